#include "platform/null/memory_ports.h"

#include <cstdio>

namespace qz {

namespace {

void record(MemoryPorts& p, int port, const uint8_t* bytes, int length) {
    if (port < 0 || port >= p.portCount || length <= 0) return;  // a port that is not open
    if (p.log.size() >= p.capacity) {
        ++p.lost;
        return;
    }
    MemoryPortEntry e;
    e.ms = p.clock ? p.clock->load(std::memory_order_relaxed) : 0;
    e.port = port;
    int kept = length > int(sizeof e.bytes) ? int(sizeof e.bytes) : length;
    if (kept < length) ++p.truncated;
    e.length = uint8_t(kept);
    for (int i = 0; i < kept; ++i) e.bytes[i] = bytes[i];
    p.log.push_back(e);
}

void sendShort(void* ctx, int port, const uint8_t* bytes, int length) {
    record(*static_cast<MemoryPorts*>(ctx), port, bytes, length);
}

int sendLong(void* ctx, int port, const uint8_t* bytes, int length) {
    MemoryPorts& p = *static_cast<MemoryPorts*>(ctx);
    if (port < 0 || port >= p.portCount) return 0;
    record(p, port, bytes, length);
    return 1;
}

}  // namespace

void initMemoryPorts(MemoryPorts& ports, const std::atomic<uint32_t>* clock, int portCount, size_t capacity) {
    ports.clock = clock;
    ports.portCount = portCount;
    ports.log.clear();
    ports.log.reserve(capacity);
    ports.capacity = capacity;
    ports.lost = 0;
    ports.truncated = 0;
}

MidiOutput memoryPortsOutput(MemoryPorts& ports) {
    MidiOutput out;
    out.ctx = &ports;
    out.sendShort = sendShort;
    out.sendLong = sendLong;
    return out;
}

std::string formatEntry(const MemoryPortEntry& e) {
    char buf[160];
    int n = std::snprintf(buf, sizeof buf, "%u %d", e.ms, e.port);
    for (int i = 0; i < e.length && n < int(sizeof buf) - 4; ++i) n += std::snprintf(buf + n, sizeof buf - n, " %02X", e.bytes[i]);
    return std::string(buf, size_t(n));
}

}  // namespace qz
