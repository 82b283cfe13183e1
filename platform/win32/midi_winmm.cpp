// MIDI ports over WinMM: every output device up to 9 and every input device
// up to 8, in the system's order. The input callback runs on WinMM's own
// thread and feeds the sink as the engine's input path expects.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "platform/midi/midi_ports.h"

namespace qz {

namespace {

void copyName(char* dst, const char* src) {
    std::strncpy(dst, src, PLATFORM_PORT_NAME - 1);
    dst[PLATFORM_PORT_NAME - 1] = 0;
}

std::string errorText(MMRESULT rc, bool input) {
    char text[MAXERRORLENGTH] = {};
    if ((input ? midiInGetErrorTextA(rc, text, sizeof text) : midiOutGetErrorTextA(rc, text, sizeof text)) != 0)
        return "error " + std::to_string(rc);
    return text;
}

// Bytes a short message carries, by its status; WinMM leaves the unused
// bytes of the word unspecified.
int shortLength(uint8_t status) {
    if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3;
    if (status == 0xF1 || status == 0xF3) return 2;
    if (status == 0xF2) return 3;
    return 1;
}

void CALLBACK onInput(HMIDIIN, UINT msg, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    if (msg != MIM_DATA) return;  // long (system-exclusive) input is not taken
    auto* in = reinterpret_cast<MidiPortSet::InputContext*>(instance);
    const uint8_t status = uint8_t(param1 & 0xFF);
    if (status == 0xFE || !in->set->sink.onShort) return;  // active sensing
    const int n = shortLength(status);
    const uint32_t packed = uint32_t(param1) & (n == 1 ? 0xFFu : n == 2 ? 0xFFFFu : 0xFFFFFFu);
    in->set->sink.onShort(in->set->sink.ctx, in->port, packed);
}

void sendShort(void* ctx, int port, const uint8_t* bytes, int length) {
    auto* set = static_cast<MidiPortSet*>(ctx);
    if (port < 0 || port >= PLATFORM_MAX_OUT_PORTS || !set->outs[port] || length < 1 || length > 3) return;
    DWORD packed = 0;
    for (int i = 0; i < length; ++i) packed |= DWORD(bytes[i]) << (8 * i);
    midiOutShortMsg(static_cast<HMIDIOUT>(set->outs[port]), packed);
}

// A system-exclusive message through a prepared header; waits (at most
// about a second) for the driver to finish with the bytes.
int sendLong(void* ctx, int port, const uint8_t* bytes, int length) {
    auto* set = static_cast<MidiPortSet*>(ctx);
    if (port < 0 || port >= PLATFORM_MAX_OUT_PORTS || !set->outs[port] || length <= 0) return 0;
    auto h = static_cast<HMIDIOUT>(set->outs[port]);
    MIDIHDR hdr{};
    hdr.lpData = reinterpret_cast<LPSTR>(const_cast<uint8_t*>(bytes));
    hdr.dwBufferLength = DWORD(length);
    hdr.dwBytesRecorded = DWORD(length);
    if (midiOutPrepareHeader(h, &hdr, sizeof hdr) != MMSYSERR_NOERROR) return 0;
    int sent = midiOutLongMsg(h, &hdr, sizeof hdr) == MMSYSERR_NOERROR ? 1 : 0;
    for (int i = 0; sent && !(hdr.dwFlags & MHDR_DONE) && i < 1000; ++i) Sleep(1);
    if (!(hdr.dwFlags & MHDR_DONE)) midiOutReset(h);  // a stuck driver gives the buffer back
    midiOutUnprepareHeader(h, &hdr, sizeof hdr);
    return sent;
}

}  // namespace

std::string listMidiPorts(std::vector<std::string>& ins, std::vector<std::string>& outs, std::string&) {
    const UINT nOut = midiOutGetNumDevs();
    for (UINT i = 0; i < nOut; ++i) {
        MIDIOUTCAPSA caps{};
        if (midiOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR) outs.push_back(caps.szPname);
    }
    const UINT nIn = midiInGetNumDevs();
    for (UINT i = 0; i < nIn; ++i) {
        MIDIINCAPSA caps{};
        if (midiInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR) ins.push_back(caps.szPname);
    }
    return "Windows MultiMedia";
}

int openMidiPorts(MidiPortSet& set, const char*, MidiInputSink sink, std::string& messages) {
    set.sink = sink;
    std::strncpy(set.apiName, "WinMM", sizeof set.apiName - 1);
    const UINT nOut = midiOutGetNumDevs();
    set.outCount = int(nOut < UINT(PLATFORM_MAX_OUT_PORTS) ? nOut : UINT(PLATFORM_MAX_OUT_PORTS));
    for (int i = 0; i < set.outCount; ++i) {
        MIDIOUTCAPSA caps{};
        if (midiOutGetDevCapsA(UINT(i), &caps, sizeof caps) == MMSYSERR_NOERROR) copyName(set.outNames[i], caps.szPname);
        HMIDIOUT h = nullptr;
        const MMRESULT rc = midiOutOpen(&h, UINT(i), 0, 0, CALLBACK_NULL);
        if (rc == MMSYSERR_NOERROR)
            set.outs[i] = h;
        else
            messages += std::string("MIDI out ") + set.outNames[i] + ": " + errorText(rc, false) + "\n";
    }
    const UINT nIn = midiInGetNumDevs();
    set.inCount = int(nIn < UINT(PLATFORM_MAX_IN_PORTS) ? nIn : UINT(PLATFORM_MAX_IN_PORTS));
    for (int i = 0; i < set.inCount; ++i) {
        MIDIINCAPSA caps{};
        if (midiInGetDevCapsA(UINT(i), &caps, sizeof caps) == MMSYSERR_NOERROR) copyName(set.inNames[i], caps.szPname);
        set.inContext[i] = MidiPortSet::InputContext{&set, i};
        HMIDIIN h = nullptr;
        MMRESULT rc = midiInOpen(&h, UINT(i), reinterpret_cast<DWORD_PTR>(onInput),
                                 reinterpret_cast<DWORD_PTR>(&set.inContext[i]), CALLBACK_FUNCTION);
        if (rc == MMSYSERR_NOERROR && (rc = midiInStart(h)) != MMSYSERR_NOERROR) midiInClose(h);
        if (rc == MMSYSERR_NOERROR)
            set.ins[i] = h;
        else
            messages += std::string("MIDI in ") + set.inNames[i] + ": " + errorText(rc, true) + "\n";
    }
    return set.outCount;
}

void closeMidiPorts(MidiPortSet& set) {
    for (void*& p : set.ins) {
        if (p) {
            midiInStop(static_cast<HMIDIIN>(p));
            midiInReset(static_cast<HMIDIIN>(p));
            midiInClose(static_cast<HMIDIIN>(p));
        }
        p = nullptr;
    }
    for (void*& p : set.outs) {
        if (p) {
            midiOutReset(static_cast<HMIDIOUT>(p));
            midiOutClose(static_cast<HMIDIOUT>(p));
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
