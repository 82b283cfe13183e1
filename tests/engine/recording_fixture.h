// The engine fixture with MIDI input fed straight into onMidiInput, for the
// recording tests.
#pragma once

#include <vector>

#include "tests/engine/engine_fixture.h"

namespace qz::test {

struct RecordingFixture : EngineFixture {
    void SetUp() override {
        EngineFixture::SetUp();
        settingStore(app.settings.tcIndex, 0);
        settingStore(app.settings.recVelocity, 0);
        settingStore(app.settings.recCountIn, 0);
        publishInputState(app);
    }
    void send(uint8_t status, int d1, int d2, int port = 0) {
        onMidiInput(app, port, uint32_t(status) | uint32_t(d1) << 8 | uint32_t(d2) << 16);
    }
    void keyOn(int n, int v = 100, int channel = 0) { send(uint8_t(0x90 | channel), n, v); }
    void keyOff(int n, int channel = 0) { send(uint8_t(0x80 | channel), n, 0); }
    Tick pos() const { return app.engine.position.load(); }
    // Run until the tick about to play is t (at most a minute of time).
    void runTo(Tick t) {
        for (int i = 0; i < 60000 && pos() != t; ++i) simAdvance(sim, 1);
        ASSERT_EQ(pos(), t);
    }
    // Run n more ticks (running or stopped), across loop wraps.
    void runTicks(uint32_t n) {
        uint32_t target = app.engine.tickCounter.load() + n;
        for (int i = 0; i < 2000000 && app.engine.tickCounter.load() != target; ++i) simAdvance(sim, 1);
        ASSERT_EQ(app.engine.tickCounter.load(), target);
    }
    void startRecording(RecordMode mode, Tick from = 0) {
        app.engine.recordMode.store(mode);
        locateTick(app, from);
        run(app);
    }
    void loopBars(int start, int bars) {
        app.engine.loopOn.store(true);
        app.engine.loopStartBar = start;
        app.engine.loopBars = bars;
        computeLoopPoints(app);
    }
    std::vector<SeqEvent> eventsOf(int track, uint8_t status = ST_NOTE) const {
        std::vector<SeqEvent> out;
        const SeqEvent* ev = seqEvents(app.seq);
        for (int32_t i = 0; i < app.seq->eventCount; ++i)
            if (ev[i].track == track && ev[i].status == status) out.push_back(ev[i]);
        return out;
    }
    // Note-ons (velocity > 0) of note n that went out, with their ms.
    std::vector<uint32_t> noteOnTimes(int n) const {
        std::vector<uint32_t> out;
        for (const MemoryPortEntry& e : ports.log)
            if ((e.bytes[0] & 0xF0) == 0x90 && e.bytes[1] == n && e.bytes[2] != 0) out.push_back(e.ms);
        return out;
    }
};

}  // namespace qz::test
