// A state with one sequence, in-memory output ports and a simulated
// millisecond clock, for the engine's deterministic tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/null/memory_ports.h"
#include "platform/null/sim_clock.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz::test {

struct EngineFixture : ::testing::Test {
    AppState app;
    MemoryPorts ports;
    SimClock sim;

    void SetUp() override {
        ASSERT_EQ(initAppState(app), 0);
        initMemoryPorts(ports, &app.engine.msClock, 4, 1 << 18);
        app.engine.out = memoryPortsOutput(ports);
        app.engine.outPortCount = 4;
        ASSERT_NE(createSequence(app, 1), nullptr);
        setBars(8);
        flush();
        simInstall(sim, app);
    }
    void TearDown() override {
        simRemove(sim);
        freeAppState(app);
    }

    void setBars(int bars) {
        app.seq->bars = uint32_t(bars);
        app.lengthTicks = bars * TICKS_PER_BAR;
    }
    // Send whatever the set-up queued and forget the log.
    void flush() {
        while (drainOneQueued(app)) {
        }
        ports.log.clear();
    }
    void note(Tick t, int track, int n, int velocity, uint32_t duration) {
        ASSERT_GE(insertEvent(app, t, uint8_t(track), ST_NOTE, uint8_t(n), uint8_t(velocity), duration), 0);
    }
    void event(Tick t, int track, uint8_t status, int d1, int d2, uint32_t value = 0) {
        ASSERT_GE(insertEvent(app, t, uint8_t(track), status, uint8_t(d1), uint8_t(d2), value), 0);
    }
    // Start from tick t without count-in and run `ms` milliseconds.
    void playFrom(Tick t, uint32_t ms) {
        locateTick(app, t);
        run(app);
        simAdvance(sim, ms);
    }
    // Entries whose status byte is `status` (any channel when `anyChannel`).
    std::vector<MemoryPortEntry> withStatus(uint8_t status, bool anyChannel = true) const {
        std::vector<MemoryPortEntry> out;
        for (const MemoryPortEntry& e : ports.log)
            if (anyChannel ? (e.bytes[0] & 0xF0) == (status & 0xF0) : e.bytes[0] == status) out.push_back(e);
        return out;
    }
    std::vector<MemoryPortEntry> noteOns() const {
        std::vector<MemoryPortEntry> out;
        for (const MemoryPortEntry& e : withStatus(0x90))
            if (e.bytes[2] != 0) out.push_back(e);
        return out;
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const MemoryPortEntry& e : ports.log) out.push_back(formatEntry(e));
        return out;
    }
};

}  // namespace qz::test
