// The synthesizer port: FluidSynth with one of its audio drivers, fed from
// the ring; the options (environment, text file); the SoundFont search; and
// the door that puts the port after the system's MIDI ports.
#include "platform/synth/synth.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

#include "platform/synth/synth_core.h"
#if QZ_SYNTH_WITH_ALSA
#include <alsa/asoundlib.h>
#endif

namespace qz {

namespace {

std::atomic<std::string*> logSink{nullptr};

void onFluidLog(int level, const char* text, void*) {
    std::string* sink = logSink.load(std::memory_order_acquire);
    if (!sink || !text || level > FLUID_WARN) return;
    if (!sink->empty()) *sink += "; ";
    *sink += text;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool readable(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec) && std::ifstream(p, std::ios::binary).good();
}

// GS "use for rhythm part": F0 41 10 42 12 40 1x 15 v sum F7 with a good
// checksum. Returns the MIDI channel (0..15) it names, or -1.
int gsRhythmPartChannel(const SynthEvent& ev) {
    const uint8_t* b = ev.bytes;
    if (ev.length != 11 || b[1] != 0x41 || b[3] != 0x42 || b[4] != 0x12 || b[5] != 0x40 || (b[6] & 0xF0) != 0x10 ||
        b[7] != 0x15)
        return -1;
    if ((b[5] + b[6] + b[7] + b[8] + b[9]) % 128 != 0) return -1;
    const int part = b[6] & 15;  // part 10 is block 0, parts 1..9 are blocks 1..9
    return part == 0 ? 9 : part <= 9 ? part - 1 : part;
}

bool isModuleReset(const SynthEvent& ev) {
    static const uint8_t GM_ON[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    static const uint8_t GS_RESET[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    static const uint8_t XG_ON[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    auto is = [&](const uint8_t* m, size_t n) { return ev.length == n && std::memcmp(ev.bytes, m, n) == 0; };
    return is(GM_ON, sizeof GM_ON) || is(GS_RESET, sizeof GS_RESET) || is(XG_ON, sizeof XG_ON);
}

}  // namespace

// ---- The core ---------------------------------------------------------------------

void captureSynthLog(std::string* sink) {
    static const bool installed = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, onFluidLog, nullptr);
        return true;
    }();
    (void)installed;
    logSink.store(sink, std::memory_order_release);
}

bool openSynthCore(SynthCore& core, const std::string& soundFont, int rate, float gain, std::string& message) {
    std::string log;
    captureSynthLog(&log);
    core.settings = new_fluid_settings();
    if (core.settings) {
        fluid_settings_setnum(core.settings, "synth.sample-rate", double(rate));
        fluid_settings_setnum(core.settings, "synth.gain", double(std::clamp(gain, 0.0f, 10.0f)));
        fluid_settings_setstr(core.settings, "synth.midi-bank-select", "gs");
        fluid_settings_setint(core.settings, "synth.cpu-cores", 1);
        core.synth = new_fluid_synth(core.settings);
    }
    bool ok = core.synth && fluid_synth_sfload(core.synth, soundFont.c_str(), 1) != FLUID_FAILED;
    captureSynthLog(nullptr);
    if (!ok) {
        message = std::string(SYNTH_PORT_NAME) + ": cannot load the SoundFont " + soundFont + (log.empty() ? "" : ": ") + log;
        closeSynthCore(core);
    }
    return ok;
}

void closeSynthCore(SynthCore& core) {
    if (core.synth) delete_fluid_synth(core.synth);
    if (core.settings) delete_fluid_settings(core.settings);
    core.synth = nullptr;
    core.settings = nullptr;
}

void pushSynthEvent(SynthCore& core, uint64_t frame, const uint8_t* bytes, int length) {
    SynthEvent ev;
    if (length <= 0) return;
    if (length > int(sizeof ev.bytes)) {
        core.tooLong.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    ev.frame = frame;
    ev.length = uint8_t(length);
    std::memcpy(ev.bytes, bytes, size_t(length));
    ringPush(core.ring, ev);
}

void applySynthEvent(fluid_synth_t* s, const SynthEvent& ev) {
    const uint8_t* b = ev.bytes;
    const int ch = b[0] & 15;
    const int d1 = ev.length > 1 ? b[1] & 127 : 0;
    const int d2 = ev.length > 2 ? b[2] & 127 : 0;
    switch (b[0] & 0xF0) {
        case 0x80: fluid_synth_noteoff(s, ch, d1); break;
        case 0x90: d2 ? fluid_synth_noteon(s, ch, d1, d2) : fluid_synth_noteoff(s, ch, d1); break;
        case 0xA0: fluid_synth_key_pressure(s, ch, d1, d2); break;
        case 0xB0: fluid_synth_cc(s, ch, d1, d2); break;
        case 0xC0: fluid_synth_program_change(s, ch, d1); break;
        case 0xD0: fluid_synth_channel_pressure(s, ch, d1); break;
        case 0xE0: fluid_synth_pitch_bend(s, ch, d1 | d2 << 7); break;
        default:
            if (b[0] != 0xF0 || ev.length < 3 || b[ev.length - 1] != 0xF7) break;  // clock and the like
            if (isModuleReset(ev)) {
                // Every part back to its power-on state, the drum part on channel 10 alone.
                fluid_synth_system_reset(s);
                break;
            }
            if (int rc = gsRhythmPartChannel(ev); rc >= 0) {
                const bool drum = b[8] != 0;
                fluid_synth_set_channel_type(s, rc, drum ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
                fluid_synth_bank_select(s, rc, drum ? 128 : 0);
                fluid_synth_program_change(s, rc, 0);
                break;
            }
            int handled = 0;
            fluid_synth_sysex(s, reinterpret_cast<const char*>(b + 1), ev.length - 2, nullptr, nullptr, &handled, 0);
            break;
    }
}

// ---- Options ------------------------------------------------------------------------

bool setSynthOption(SynthOptions& o, const std::string& name, const std::string& value, std::string& message) {
    if (name == "driver") {
        o.driver = value;
    } else if (name == "soundfont") {
        o.soundFont = value;
    } else if (name == "gain") {
        char* end = nullptr;
        double g = std::strtod(value.c_str(), &end);
        if (value.empty() || !end || *end || !(g >= 0 && g <= 10)) {
            message += "synth gain '" + value + "' is not a number 0..10\n";
            return false;
        }
        o.gain = float(g);
    } else {
        message += "unknown synth setting '" + name + "'\n";
        return false;
    }
    return true;
}

void synthOptionsFromEnvironment(SynthOptions& o) {
    std::string ignored;
    if (const char* v = std::getenv("QZSEQ_SYNTH_DRIVER")) o.driver = v;
    if (const char* v = std::getenv("QZSEQ_SOUNDFONT")) o.soundFont = v;
    if (const char* v = std::getenv("QZSEQ_SYNTH_GAIN")) setSynthOption(o, "gain", v, ignored);
}

bool readSynthOptionsFile(const std::string& path, SynthOptions& o) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line, ignored;
    while (std::getline(in, line)) {
        line = trim(line.substr(0, line.find('#')));
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        setSynthOption(o, trim(line.substr(0, eq)), trim(line.substr(eq + 1)), ignored);
    }
    return true;
}

bool writeSynthOptionsFile(const std::string& path, const SynthOptions& o) {
    std::ofstream f(path, std::ios::trunc);
    f << "# The built-in synthesizer (output port \"" << SYNTH_PORT_NAME << "\"), read at start.\n"
      << "# driver: pulseaudio, jack, alsa, ... (empty: the first that opens)\n"
      << "driver = " << o.driver << "\n"
      << "# soundfont: a .sf2 file (empty: the first in /usr/share/sounds/sf2 or /usr/share/soundfonts)\n"
      << "soundfont = " << o.soundFont << "\n"
      << "# gain: 0 to 10\n"
      << "gain = " << o.gain << "\n";
    return bool(f);
}

std::string findSoundFont(const std::string& wanted) {
    if (!wanted.empty()) return readable(wanted) ? wanted : "";
    std::vector<std::filesystem::path> folders = {"/usr/share/sounds/sf2", "/usr/share/soundfonts",
                                                  "/usr/local/share/soundfonts"};
    if (const char* home = std::getenv("HOME")) folders.push_back(std::filesystem::path(home) / ".local/share/soundfonts");
    // A General MIDI set by its usual names first, then any SoundFont there.
    for (const char* name : {"default-GM.sf2", "TimGM6mb.sf2", "FluidR3_GM.sf2", "default-GM.sf3", "FluidR3_GM.sf3"})
        for (const auto& f : folders)
            if (readable(f / name)) return (f / name).string();
    for (const auto& f : folders) {
        std::error_code ec;
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(f, ec)) {
            std::string ext = entry.path().extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
            if ((ext == ".sf2" || ext == ".sf3") && readable(entry.path())) found.push_back(entry.path().string());
        }
        std::sort(found.begin(), found.end());
        if (!found.empty()) return found.front();
    }
    return "";
}

// ---- The live port --------------------------------------------------------------

struct SynthPort {
    SynthCore core;
    fluid_audio_driver_t* driver = nullptr;
    std::string driverName;
    // Audio thread; others read them.
    std::atomic<uint64_t> framesPlayed{0};
    std::atomic<uint64_t> framesSounding{0};
};

namespace {

const char* const DEFAULT_DRIVERS[] = {
#if defined(_WIN32)
    "wasapi", "dsound", "waveout",
#elif defined(__APPLE__)
    "coreaudio",
#else
    "pulseaudio", "jack", "alsa",
#endif
};

#if QZ_SYNTH_WITH_ALSA
// The ALSA library prints its configuration errors itself (a dozen lines
// on a machine without a sound card); the driver's failure says enough.
void dropAlsaWords(const char*, int, const char*, int, const char*, ...) {}
#endif

// Before the drivers are tried: no library prints on its own, and the JACK
// driver does not start a server of its own on the sound card (unless the
// user asked for that).
void quietAudioLibraries() {
#if QZ_SYNTH_WITH_ALSA
    snd_lib_error_set_handler(dropAlsaWords);
#endif
#if !defined(_WIN32)
    setenv("JACK_NO_START_SERVER", "1", 0);
#endif
}

// Audio thread: the messages that arrived since the last period, then the period.
int renderPeriod(void* data, int len, int nfx, float* fx[], int nout, float* out[]) {
    auto* p = static_cast<SynthPort*>(data);
    SynthEvent ev;
    while (ringPop(p->core.ring, ev)) applySynthEvent(p->core.synth, ev);
    int rc;
    if (nfx == 0) {
        // No effect buffers of its own: reverb and chorus mix into the dry ones.
        float* fxb[4] = {out[0], out[1 % nout], out[0], out[1 % nout]};
        rc = fluid_synth_process(p->core.synth, len, 4, fxb, nout, out);
    } else {
        rc = fluid_synth_process(p->core.synth, len, nfx, fx, nout, out);
    }
    p->framesPlayed.fetch_add(uint64_t(len), std::memory_order_relaxed);
    if (fluid_synth_get_active_voice_count(p->core.synth) > 0)
        p->framesSounding.fetch_add(uint64_t(len), std::memory_order_relaxed);
    return rc;
}

}  // namespace

SynthPort* openSynthPort(const SynthOptions& o, std::string& message) {
    const std::string sf = findSoundFont(o.soundFont);
    if (sf.empty()) {
        message = o.soundFont.empty()
                      ? std::string(SYNTH_PORT_NAME) +
                            ": no SoundFont in /usr/share/sounds/sf2 or /usr/share/soundfonts (install timgm6mb-soundfont, "
                            "or name one with QZSEQ_SOUNDFONT)"
                      : std::string(SYNTH_PORT_NAME) + ": SoundFont " + o.soundFont + " not found";
        return nullptr;
    }
    auto* p = new (std::nothrow) SynthPort;
    if (!p) return nullptr;
    if (!openSynthCore(p->core, sf, o.sampleRate, o.gain, message)) {
        delete p;
        return nullptr;
    }
    std::vector<std::string> drivers;
    if (!o.driver.empty())
        drivers.push_back(o.driver);
    else
        drivers.assign(std::begin(DEFAULT_DRIVERS), std::end(DEFAULT_DRIVERS));
    std::string tried, log;
    quietAudioLibraries();
    captureSynthLog(&log);
    fluid_settings_setstr(p->core.settings, "audio.jack.id", "QZ GM Synth");
    fluid_settings_setint(p->core.settings, "audio.jack.autoconnect", 1);
    fluid_settings_setint(p->core.settings, "audio.realtime-prio", 60);
    if (o.periodSize > 0) fluid_settings_setint(p->core.settings, "audio.period-size", o.periodSize);
    for (const std::string& d : drivers) {
        log.clear();
        if (fluid_settings_setstr(p->core.settings, "audio.driver", d.c_str()) == FLUID_OK)
            p->driver = new_fluid_audio_driver2(p->core.settings, renderPeriod, p);
        if (p->driver) {
            p->driverName = d;
            break;
        }
        tried += (tried.empty() ? "" : ", ") + d;
    }
    captureSynthLog(nullptr);
    if (!p->driver) {
        message = std::string(SYNTH_PORT_NAME) + ": no audio device (tried " + tried + ")" + (log.empty() ? "" : ": ") + log;
        closeSynthCore(p->core);
        delete p;
        return nullptr;
    }
    return p;
}

void closeSynthPort(SynthPort* p) {
    if (!p) return;
    if (p->driver) delete_fluid_audio_driver(p->driver);
    closeSynthCore(p->core);
    delete p;
}

const char* synthDriverName(const SynthPort* p) { return p ? p->driverName.c_str() : ""; }
uint64_t synthFramesPlayed(const SynthPort* p) { return p ? p->framesPlayed.load(std::memory_order_relaxed) : 0; }
uint64_t synthFramesSounding(const SynthPort* p) {
    return p ? p->framesSounding.load(std::memory_order_relaxed) : 0;
}
uint32_t synthMessagesDropped(const SynthPort* p) {
    return p ? p->core.ring.dropped.load(std::memory_order_relaxed) + p->core.tooLong.load(std::memory_order_relaxed)
             : 0;
}

// ---- The door with the synthesizer after the system's ports ---------------------

namespace {

void sendShortWithSynth(void* ctx, int port, const uint8_t* bytes, int length) {
    auto* o = static_cast<OutputWithSynth*>(ctx);
    if (port >= 0 && port < o->systemCount) {
        if (o->system.sendShort) o->system.sendShort(o->system.ctx, port, bytes, length);
    } else if (port == o->systemCount && o->synth) {
        pushSynthEvent(o->synth->core, 0, bytes, length);
    }
}

int sendLongWithSynth(void* ctx, int port, const uint8_t* bytes, int length) {
    auto* o = static_cast<OutputWithSynth*>(ctx);
    if (port >= 0 && port < o->systemCount)
        return o->system.sendLong ? o->system.sendLong(o->system.ctx, port, bytes, length) : 0;
    if (port != o->systemCount || !o->synth) return 0;
    const uint32_t before = synthMessagesDropped(o->synth);
    pushSynthEvent(o->synth->core, 0, bytes, length);
    return synthMessagesDropped(o->synth) == before ? 1 : 0;
}

}  // namespace

MidiOutput outputWithSynth(OutputWithSynth& o) {
    MidiOutput out;
    out.ctx = &o;
    out.sendShort = sendShortWithSynth;
    out.sendLong = sendLongWithSynth;
    return out;
}

}  // namespace qz
