// The start, the count-in and a short playback on the real 1 ms thread,
// which sleeps several milliseconds between calls (a simulated clock calls
// every millisecond and cannot see what that changes). Times are the
// engine's own millisecond clock, which drops long stalls together with the
// music they would have played, so a loaded machine shifts nothing here;
// the tolerances are still generous. Also the window thread's reads of a
// sequence that recording lengthens.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "platform/null/memory_ports.h"
#include "platform/timer/engine_timer.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz {
namespace {

using namespace std::chrono_literals;

constexpr int32_t TOLERANCE_MS = 40;

struct RealTime : ::testing::Test {
    AppState app;
    MemoryPorts ports;
    EngineTimer timer;

    void SetUp() override {
        ASSERT_EQ(initAppState(app), 0);
        ASSERT_NE(createSequence(app, 1), nullptr);
        while (drainOneQueued(app)) {
        }
        initMemoryPorts(ports, &app.engine.msClock, 4, 1 << 16);
        app.engine.out = memoryPortsOutput(ports);
        app.engine.outPortCount = 4;
        app.seq->bars = 4;
        app.lengthTicks = 4 * TICKS_PER_BAR;
        app.seq->tempoX10 = 1200;
        for (Tick t = 0; t < 4 * TICKS_PER_QUARTER; t += TICKS_PER_QUARTER)
            ASSERT_GE(insertEvent(app, t, 1, ST_NOTE, 60, 100, 24), 0);
        locateTick(app, 0);
        ASSERT_EQ(startEngineTimer(timer, app), 0);
        // Let the stopped thread settle into its long idle pauses.
        std::this_thread::sleep_for(100ms);
    }
    void TearDown() override {
        stopEngineTimer(timer, app);
        freeAppState(app);
    }
    // Engine milliseconds of the note-ons of note n after `from`.
    std::vector<int32_t> noteOns(int n, uint32_t from) const {
        std::vector<int32_t> out;
        for (const MemoryPortEntry& e : ports.log)
            if ((e.bytes[0] & 0xF0) == 0x90 && e.bytes[1] == n && e.bytes[2] != 0) out.push_back(int32_t(e.ms - from));
        return out;
    }
    void expectEvery500ms(const std::vector<int32_t>& at, size_t count, int32_t first) {
        ASSERT_GE(at.size(), count);
        for (size_t i = 0; i < count; ++i)
            EXPECT_NEAR(at[i], first + 500 * int32_t(i), TOLERANCE_MS) << "entry " << i;
    }
};

TEST_F(RealTime, PlaybackStartsAtOnceAndKeepsTheTempo) {
    const uint32_t start = app.engine.msClock.load();
    run(app);
    std::this_thread::sleep_for(1800ms);
    stopTransport(app);
    stopEngineTimer(timer, app);
    expectEvery500ms(noteOns(60, start), 4, 0);
}

TEST_F(RealTime, CountInClicksAtTheTempoAndTheBarFollowsIt) {
    settingStore(app.settings.playCountIn, 1);
    settingStore(app.settings.clickInPlay, 0);
    const int clickNote = int(settingLoad(app.settings.clickNote));
    const uint32_t start = app.engine.msClock.load();
    startWithCountIn(app);
    std::this_thread::sleep_for(2700ms);
    stopTransport(app);
    stopEngineTimer(timer, app);
    expectEvery500ms(noteOns(clickNote, start), 4, 0);
    auto notes = noteOns(60, start);
    ASSERT_FALSE(notes.empty());
    EXPECT_NEAR(notes[0], 2000, TOLERANCE_MS) << "the bar starts one count-in bar after the start";
}

struct GrowingRecording : RealTime {};

TEST_F(GrowingRecording, TheWindowReadsTheLengthWhileTheTickAddsBars) {
    app.seq->bars = 1;
    app.lengthTicks = TICKS_PER_BAR;
    app.seq->tempoX10 = 3000;  // a bar every 800 ms
    settingStore(app.settings.seqLoop, 0);
    app.engine.recordMode.store(RECORD_OVER_DUB);
    locateTick(app, 0);
    run(app);
    uint32_t seen = 0;
    const auto until = std::chrono::steady_clock::now() + 1800ms;
    while (std::chrono::steady_clock::now() < until) {
        // What the window's refresh and panels read while recording runs.
        seen = std::max(seen, seqBarsLoad(app));
        noteEraseAvailable(app);
        computeLoopPoints(app);
        std::this_thread::sleep_for(2ms);
    }
    stopTransport(app);
    EXPECT_GE(seen, 2u);
    EXPECT_EQ(app.lengthTicks, int32_t(app.seq->bars) * TICKS_PER_BAR);
}

}  // namespace
}  // namespace qz
