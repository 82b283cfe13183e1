// The doors the engine calls and the platform fills: MIDI output, and the
// sink MIDI input arrives through. The engine only sees these plain function
// tables; the backends (RtMidi ports, the in-memory ports of the tests) live
// in platform/ and are linked by the programs that need them.
#pragma once

#include <cstdint>

namespace qz {

constexpr int PLATFORM_MAX_OUT_PORTS = 9;
constexpr int PLATFORM_MAX_IN_PORTS = 8;
constexpr int PLATFORM_PORT_NAME = 33;  // 32 characters and a NUL

// Where the engine's MIDI output goes. Both calls are made by one thread at a
// time (the thread that drives the tick) and must not block for long: the
// engine thread calls them. A port index outside the opened ports, or a port
// that failed to open, ignores the message.
struct MidiOutput {
    void* ctx = nullptr;
    // Send one short message (1 to 3 bytes) now.
    void (*sendShort)(void* ctx, int port, const uint8_t* bytes, int length) = nullptr;
    // Send a system-exclusive message; returns 1 when it went out, 0 on error.
    int (*sendLong)(void* ctx, int port, const uint8_t* bytes, int length) = nullptr;
};

// How a thread that hands the window work wakes the window thread's UI frame
// while it sleeps (the platform's window fills it). Called from any thread,
// the engine thread included: it must not allocate, lock or block.
struct WindowWake {
    void* ctx = nullptr;
    void (*wake)(void* ctx) = nullptr;
};

// Input side: the backend calls this for each short message it receives
// (port index, packed status | data1 << 8 | data2 << 16), on its own thread.
struct MidiInputSink {
    void* ctx = nullptr;
    void (*onShort)(void* ctx, int port, uint32_t packed) = nullptr;
};

}  // namespace qz
