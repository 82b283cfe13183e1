// In-memory MIDI output ports: every message sent is logged with the
// millisecond it went out and its port. Used by the tests and by
// `qzseq-cli play --simulate`.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/doors.h"

namespace qz {

struct MemoryPortEntry {
    uint32_t ms = 0;
    int32_t port = 0;
    uint8_t length = 0;  // bytes kept (a longer message is cut and counted)
    uint8_t bytes[32] = {};
};

struct MemoryPorts {
    // Millisecond clock read at each send (normally the engine's msClock).
    const std::atomic<uint32_t>* clock = nullptr;
    int portCount = 1;
    // Room is reserved up front so that a send never allocates.
    std::vector<MemoryPortEntry> log;
    size_t capacity = 0;
    uint64_t lost = 0;       // sends refused because the log was full
    uint64_t truncated = 0;  // long messages cut to 32 bytes
};

// Reserve room for `capacity` messages and reset the log.
void initMemoryPorts(MemoryPorts& ports, const std::atomic<uint32_t>* clock, int portCount, size_t capacity);
// The output table that sends into `ports`.
MidiOutput memoryPortsOutput(MemoryPorts& ports);
// "<ms> <port> <hex bytes>" for one entry.
std::string formatEntry(const MemoryPortEntry& e);

}  // namespace qz
