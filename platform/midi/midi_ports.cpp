#include "platform/midi/midi_ports.h"

#include <rtmidi/RtMidi.h>
#if QZ_MIDI_WITH_JACK
#include <jack/jack.h>
#endif

#include <cstring>
#include <exception>
#include <memory>
#if defined(__linux__)
#include <unistd.h>
#endif

namespace qz {

namespace {

// RtMidi reports through this instead of throwing once it is installed.
void quietError(RtMidiError::Type, const std::string&, void*) {}

// While opening, errors are noted here (warnings are not failures).
struct OpenResult {
    bool failed = false;
    std::string text;
};
void noteError(RtMidiError::Type type, const std::string& text, void* ctx) {
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
    auto* r = static_cast<OpenResult*>(ctx);
    r->failed = true;
    r->text = text;
}

void copyName(char* dst, const std::string& src) {
    std::strncpy(dst, src.c_str(), PLATFORM_PORT_NAME - 1);
    dst[PLATFORM_PORT_NAME - 1] = 0;
}

#if QZ_MIDI_WITH_JACK
// The JACK library prints a dozen lines of its own when it finds no server
// (and again for every client that tries): the probe says in one line what
// failed, so the library's words are dropped, for the whole process.
void dropJackWords(const char*) {}
void quietJack() {
    jack_set_error_function(dropJackWords);
    jack_set_info_function(dropJackWords);
}
#else
void quietJack() {}
#endif

// The systems to try, in order.
std::vector<RtMidi::Api> candidateApis() {
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    std::vector<RtMidi::Api> order;
#if defined(__linux__)
    const RtMidi::Api preferred[] = {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
#elif defined(_WIN32)
    const RtMidi::Api preferred[] = {RtMidi::WINDOWS_MM};
#elif defined(__APPLE__)
    const RtMidi::Api preferred[] = {RtMidi::MACOSX_CORE};
#else
    const RtMidi::Api preferred[] = {RtMidi::UNSPECIFIED};
#endif
    for (RtMidi::Api a : preferred)
        for (RtMidi::Api c : compiled)
            if (a == c || a == RtMidi::UNSPECIFIED) order.push_back(a);
    return order;
}

// A probe output on `api`, or null when the system is not there.
std::unique_ptr<RtMidiOut> probe(RtMidi::Api api, const char* clientName, std::string& messages) {
#if defined(__linux__)
    // Without the sequencer device the ALSA library only prints errors.
    if (api == RtMidi::LINUX_ALSA && access("/dev/snd/seq", F_OK) != 0) {
        messages += "ALSA: no /dev/snd/seq";
        return nullptr;
    }
#endif
#if QZ_MIDI_WITH_JACK
    // Ask the library first, without starting a server: RtMidi would print
    // its own warning when none answers.
    if (api == RtMidi::UNIX_JACK) {
        quietJack();
        jack_status_t status{};
        jack_client_t* c = jack_client_open(clientName, JackNoStartServer, &status);
        if (!c) {
            messages += "JACK: no server running";
            return nullptr;
        }
        jack_client_close(c);
    }
#endif
    try {
        auto out = std::make_unique<RtMidiOut>(api, clientName);
        // JACK without a server constructs fine but cannot make a port.
        if (api == RtMidi::UNIX_JACK) {
            OpenResult r;
            out->setErrorCallback(noteError, &r);
            out->openVirtualPort("probe");
            out->closePort();
            if (r.failed) {
                messages += "JACK: no server running";
                return nullptr;
            }
        }
        out->setErrorCallback(quietError, nullptr);
        return out;
    } catch (const std::exception& e) {
        messages += RtMidi::getApiName(api) + ": " + e.what();
    } catch (...) {
        messages += RtMidi::getApiName(api) + ": unusable";
    }
    return nullptr;
}

// Try each system in turn; the failures of those passed over make one line
// ("MIDI: ALSA: ...; JACK: ...", ending in what became of it) in `messages`.
std::unique_ptr<RtMidiOut> firstSystem(const char* clientName, RtMidi::Api& used, std::string& messages) {
    std::string tried;
    for (RtMidi::Api api : candidateApis()) {
        std::string why;
        std::unique_ptr<RtMidiOut> out = probe(api, clientName, why);
        if (out) {
            if (!tried.empty()) messages += "MIDI: " + tried + "; using " + RtMidi::getApiName(api) + "\n";
            used = api;
            return out;
        }
        tried += (tried.empty() ? "" : "; ") + why;
    }
    messages += "MIDI: no MIDI system (" + (tried.empty() ? std::string("none built in") : tried) + "); no MIDI ports\n";
    return nullptr;
}

void onInput(double, std::vector<unsigned char>* message, void* ctx) {
    if (!message || message->empty()) return;
    auto* in = static_cast<MidiPortSet::InputContext*>(ctx);
    MidiPortSet* set = in->set;
    if (!set->sink.onShort || message->size() > 3) return;
    uint32_t packed = 0;
    for (size_t i = 0; i < message->size(); ++i) packed |= uint32_t((*message)[i]) << (8 * i);
    set->sink.onShort(set->sink.ctx, in->port, packed);
}

void sendShort(void* ctx, int port, const uint8_t* bytes, int length) {
    auto* set = static_cast<MidiPortSet*>(ctx);
    if (port < 0 || port >= PLATFORM_MAX_OUT_PORTS || !set->outs[port]) return;
    try {
        static_cast<RtMidiOut*>(set->outs[port])->sendMessage(bytes, size_t(length));
    } catch (...) {
    }
}

int sendLong(void* ctx, int port, const uint8_t* bytes, int length) {
    auto* set = static_cast<MidiPortSet*>(ctx);
    if (port < 0 || port >= PLATFORM_MAX_OUT_PORTS || !set->outs[port]) return 0;
    try {
        static_cast<RtMidiOut*>(set->outs[port])->sendMessage(bytes, size_t(length));
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace

std::string listMidiPorts(std::vector<std::string>& ins, std::vector<std::string>& outs, std::string& messages) {
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    if (std::unique_ptr<RtMidiOut> out = firstSystem("QZ-Sequencer", api, messages)) {
        try {
            unsigned n = out->getPortCount();
            for (unsigned i = 0; i < n; ++i) outs.push_back(out->getPortName(i));
            RtMidiIn in(api, "QZ-Sequencer");
            in.setErrorCallback(quietError, nullptr);
            n = in.getPortCount();
            // As `openMidiPorts` counts them: another instance's outputs are not inputs.
            for (unsigned i = 0; i < n; ++i) {
                std::string name = in.getPortName(i);
                if (name.compare(0, std::strlen("QZ-Sequencer"), "QZ-Sequencer") != 0) ins.push_back(name);
            }
        } catch (const std::exception& e) {
            messages += std::string("listing ports: ") + e.what() + "\n";
        }
        return RtMidi::getApiName(api);
    }
    return "";
}

int openMidiPorts(MidiPortSet& set, const char* clientName, MidiInputSink sink, std::string& messages) {
    set.sink = sink;
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    if (std::unique_ptr<RtMidiOut> lister = firstSystem(clientName, api, messages)) {
        std::strncpy(set.apiName, RtMidi::getApiName(api).c_str(), sizeof set.apiName - 1);
        try {
            unsigned n = lister->getPortCount();
            set.outCount = int(n < PLATFORM_MAX_OUT_PORTS ? n : PLATFORM_MAX_OUT_PORTS);
            for (int i = 0; i < set.outCount; ++i) {
                copyName(set.outNames[i], lister->getPortName(unsigned(i)));
                try {
                    auto out = std::make_unique<RtMidiOut>(api, clientName);
                    OpenResult r;
                    out->setErrorCallback(noteError, &r);
                    out->openPort(unsigned(i), "out" + std::to_string(i + 1));
                    out->setErrorCallback(quietError, nullptr);
                    if (!r.failed)
                        set.outs[i] = out.release();
                    else
                        messages += std::string("MIDI out ") + set.outNames[i] + ": " + r.text + "\n";
                } catch (const std::exception& e) {
                    messages += std::string("MIDI out ") + set.outNames[i] + ": " + e.what() + "\n";
                }
            }
            RtMidiIn inLister(api, clientName);
            inLister.setErrorCallback(quietError, nullptr);
            n = inLister.getPortCount();
            // Our own output ports are sources too: listening to them would
            // echo every message we send back into the thru, for ever.
            const size_t ownLen = std::strlen(clientName);
            set.inCount = 0;
            for (unsigned k = 0; k < n && set.inCount < PLATFORM_MAX_IN_PORTS; ++k) {
                const std::string name = inLister.getPortName(k);
                if (ownLen && name.compare(0, ownLen, clientName) == 0) continue;
                const int i = set.inCount++;
                copyName(set.inNames[i], name);
                set.inContext[i] = MidiPortSet::InputContext{&set, i};
                try {
                    auto in = std::make_unique<RtMidiIn>(api, clientName);
                    OpenResult r;
                    in->setErrorCallback(noteError, &r);
                    in->ignoreTypes(true, false, true);  // keep the clock, drop sysex and sensing
                    in->setCallback(onInput, &set.inContext[i]);
                    in->openPort(k, "in" + std::to_string(i + 1));
                    in->setErrorCallback(quietError, nullptr);
                    if (!r.failed)
                        set.ins[i] = in.release();
                    else
                        messages += std::string("MIDI in ") + set.inNames[i] + ": " + r.text + "\n";
                } catch (const std::exception& e) {
                    messages += std::string("MIDI in ") + set.inNames[i] + ": " + e.what() + "\n";
                }
            }
        } catch (const std::exception& e) {
            messages += std::string("MIDI ports: ") + e.what() + "\n";
        }
        return set.outCount;
    }
    return 0;
}

void closeMidiPorts(MidiPortSet& set) {
    for (void*& p : set.outs) {
        try {
            delete static_cast<RtMidiOut*>(p);
        } catch (...) {
        }
        p = nullptr;
    }
    for (void*& p : set.ins) {
        try {
            delete static_cast<RtMidiIn*>(p);
        } catch (...) {
        }
        p = nullptr;
    }
    set.outCount = set.inCount = 0;
}

MidiOutput midiPortsOutput(MidiPortSet& set) {
    MidiOutput out;
    out.ctx = &set;
    out.sendShort = sendShort;
    out.sendLong = sendLong;
    return out;
}

}  // namespace qz
