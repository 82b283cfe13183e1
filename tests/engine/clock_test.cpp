// Clock, tempo, loop and end, locating, MIDI clock out and the external clock.
#include "tests/engine/engine_fixture.h"

namespace qz::test {
namespace {

using Clock = EngineFixture;

std::vector<uint32_t> onTimes(const std::vector<MemoryPortEntry>& v, int note) {
    std::vector<uint32_t> out;
    for (const MemoryPortEntry& e : v)
        if (e.bytes[1] == note) out.push_back(e.ms);
    return out;
}

TEST_F(Clock, QuarterAt120IsExactly500Milliseconds) {
    locateTick(app, 0);
    EXPECT_EQ(app.engine.usPerTick, 5208);
    EXPECT_EQ(app.engine.usRemainder, 32);
    for (int q = 0; q < 16; ++q) note(q * 96, 1, 60, 100, 10);
    playFrom(0, 8100);
    auto t = onTimes(noteOns(), 60);
    ASSERT_EQ(t.size(), 16u);
    for (size_t i = 1; i < t.size(); ++i) EXPECT_EQ(t[i] - t[i - 1], 500u) << "quarter " << i;
}

TEST_F(Clock, TempoEventsChangeThePace) {
    // 120 for a bar, then 60.0, then 240.0 from bar 3.
    event(384, TEMPO_TRACK, ST_TEMPO, 0, 0, 1000000);
    event(768, TEMPO_TRACK, ST_TEMPO, 0, 0, 250000);
    for (int q = 0; q < 12; ++q) note(q * 96, 1, 60, 100, 10);
    playFrom(0, 9000);
    auto t = onTimes(noteOns(), 60);
    ASSERT_EQ(t.size(), 12u);
    const uint32_t expected[] = {500, 500, 500, 500, 1000, 1000, 1000, 1000, 250, 250, 250};
    for (size_t i = 1; i < t.size(); ++i) EXPECT_EQ(t[i] - t[i - 1], expected[i - 1]) << "quarter " << i;
    EXPECT_EQ(tempoAt(app, 500), 1000000);
    EXPECT_EQ(tempoAt(app, 100), 500000);
}

TEST_F(Clock, BarLoopWrapsFromTheLoopEndToItsStart) {
    app.engine.loopOn = true;
    app.engine.loopStartBar = 2;
    app.engine.loopBars = 2;
    note(1535, 1, 61, 100, 1);
    note(768, 1, 62, 100, 1);
    note(1536, 1, 63, 100, 1);  // beyond the loop: never plays
    playFrom(1530, 60);
    auto ons = noteOns();
    ASSERT_EQ(ons.size(), 2u);
    EXPECT_EQ(ons[0].bytes[1], 61);
    EXPECT_EQ(ons[1].bytes[1], 62);
    EXPECT_LE(ons[1].ms - ons[0].ms, 6u);  // the very next tick
    EXPECT_GT(app.engine.position.load(), 768);
    EXPECT_LT(app.engine.position.load(), 800);
}

TEST_F(Clock, EndStopsWithLoopOffAndWrapsWithLoopOn) {
    setBars(2);
    note(0, 1, 64, 100, 10);
    settingStore(app.settings.seqLoop, 0);
    playFrom(700, 1000);
    EXPECT_FALSE(app.engine.playing.load());
    EXPECT_EQ(app.engine.position.load(), 768);
    EXPECT_EQ(pollEngine(app), 1);  // the tick asked the window thread to stop
    EXPECT_EQ(app.engine.position.load(), 768);
    EXPECT_TRUE(noteOns().empty());

    settingStore(app.settings.seqLoop, 1);
    playFrom(700, 1000);
    EXPECT_TRUE(app.engine.playing.load());
    ASSERT_EQ(noteOns().size(), 1u);  // tick 0 again after the wrap
    EXPECT_EQ(pollEngine(app), 0);
}

TEST_F(Clock, LocateClampsAndFollowsTempoEvents) {
    event(384, TEMPO_TRACK, ST_TEMPO, 0, 0, 1000000);
    note(400, 1, 60, 100, 10);
    locateTick(app, 500);
    EXPECT_EQ(app.engine.usPerQuarter.load(), 1000000);
    EXPECT_EQ(app.playIndex, 2);
    locateTick(app, 100);
    EXPECT_EQ(app.engine.usPerQuarter.load(), 500000);
    EXPECT_EQ(app.playIndex, 0);
    setBars(999);
    locateBar(app, 2000);
    EXPECT_EQ(app.engine.position.load(), 998 * 384);
    EXPECT_EQ(app.engine.bar, 998);
    locateTick(app, -5);
    EXPECT_EQ(app.engine.position.load(), 0);
}

TEST_F(Clock, NoteSteppingFindsTheCurrentTracksNotes) {
    note(100, 1, 60, 100, 10);
    note(200, 2, 61, 100, 10);
    note(300, 1, 62, 100, 10);
    event(350, 1, ST_CONTROL, 7, 100);
    locateTick(app, 0);
    locateNextNote(app, 1);
    EXPECT_EQ(app.engine.cursor, 100);
    locateNextNote(app, 1);
    EXPECT_EQ(app.engine.cursor, 300);  // track 2's note is passed over
    locateNextNote(app, 1);
    EXPECT_EQ(app.engine.position.load(), 3072);  // none left: the end
    locatePreviousNote(app, 1);
    EXPECT_EQ(app.engine.cursor, 300);
    locatePreviousNote(app, 1);
    EXPECT_EQ(app.engine.cursor, 100);
    locatePreviousNote(app, 1);
    EXPECT_EQ(app.engine.cursor, 0);
    app.allTracks = true;
    locateTick(app, 150);
    locateNextNote(app, 1);
    EXPECT_EQ(app.engine.cursor, 200);
    locatePreviousNote(app, 7);
    EXPECT_EQ(app.engine.cursor, 100);
}

TEST_F(Clock, GapsOf101MillisecondsOrMoreAreDropped) {
    uint32_t before = app.engine.msClock.load();
    engineTimerCallback(app, sim.systemMs + 100);
    EXPECT_EQ(app.engine.msClock.load(), before + 100);
    engineTimerCallback(app, sim.systemMs + 100 + 101);
    EXPECT_EQ(app.engine.msClock.load(), before + 100);
    sim.systemMs += 201;
}

TEST_F(Clock, LockedTickCatchesUpAfterwards) {
    note(0, 1, 60, 100, 10);
    note(96, 1, 62, 100, 10);
    locateTick(app, 0);
    run(app);
    simAdvance(sim, 10);
    int32_t pos = app.engine.position.load();
    {
        EngineLockGuard lock(app.engineLock);
        simAdvance(sim, 100);
        EXPECT_EQ(app.engine.position.load(), pos);  // no time advanced under the lock
    }
    simAdvance(sim, 1);
    EXPECT_GT(app.engine.position.load(), pos + 15);  // the 100 ms were caught up
}

TEST_F(Clock, MidiClockEvery4TicksAndSongPositionPointer) {
    settingStore(app.settings.clockOutPort, 2);  // port index 1
    playFrom(0, 600);
    auto clocks = withStatus(0xF8, false);
    ASSERT_FALSE(clocks.empty());
    size_t inQuarter = 0;
    for (const MemoryPortEntry& e : clocks) {
        EXPECT_EQ(e.port, 1);
        if (e.ms <= clocks[0].ms + 500) ++inQuarter;
    }
    EXPECT_EQ(inQuarter, 25u);  // ticks 0, 4, ..., 96: 24 per quarter
    stopTransport(app);

    ports.log.clear();
    locateTick(app, 100);
    sendSongPosition(app);  // 100 ticks -> sixteenth 5 (rounded up) -> tick 120
    auto spp = withStatus(0xF2, false);
    ASSERT_EQ(spp.size(), 1u);
    EXPECT_EQ(spp[0].bytes[1], 5);
    EXPECT_EQ(spp[0].bytes[2], 0);
    EXPECT_EQ(app.engine.sppTick.load(), 120);
    note(120, 1, 60, 100, 10);
    run(app);
    simAdvance(sim, 300);
    clocks = withStatus(0xF8, false);
    ASSERT_FALSE(clocks.empty());
    auto ons = noteOns();
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(clocks[0].ms, ons[0].ms);  // clocks resume at tick 120
}

TEST_F(Clock, ExternalSongPositionLocates) {
    externalClockMessage(app, 0xF2, 8, 0);
    EXPECT_EQ(app.engine.position.load(), 192);
    externalClockMessage(app, 0xF2, 0, 1);  // 128 sixteenths = 3072 ticks = the end: wraps
    EXPECT_EQ(app.engine.position.load(), 0);
    settingStore(app.settings.seqLoop, 0);
    externalClockMessage(app, 0xF2, 0, 2);
    EXPECT_EQ(app.engine.position.load(), 3072);  // clamped to the end
}

TEST_F(Clock, StartThenClockStartsFromTopAndHoldsWithoutClocks) {
    locateTick(app, 500);
    externalClockMessage(app, 0xFA, 0, 0);
    simAdvance(sim, 20);
    EXPECT_FALSE(app.engine.playing.load());
    externalClockMessage(app, 0xF8, 0, 0);
    EXPECT_TRUE(app.engine.playing.load());
    simAdvance(sim, 50);
    EXPECT_EQ(app.engine.position.load(), 4);
    externalClockMessage(app, 0xF8, 0, 0);
    simAdvance(sim, 50);
    EXPECT_EQ(app.engine.position.load(), 8);
    // Once the clock has gone quiet for ten refreshes the tempo runs the clock again.
    for (int i = 0; i < 10; ++i) engineDisplayRefresh(app);
    EXPECT_EQ(app.engine.extClockAlive.load(), 0);
    simAdvance(sim, 50);
    EXPECT_GT(app.engine.position.load(), 12);
    EXPECT_EQ(app.engine.cursor, 8);
    externalClockMessage(app, 0xFC, 0, 0);
    EXPECT_FALSE(app.engine.playing.load());
}

}  // namespace
}  // namespace qz::test
