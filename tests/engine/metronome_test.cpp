// Metronome clicks, the count-in, and the record parameters.
#include "program/program.h"
#include "tests/engine/engine_fixture.h"

namespace qz::test {
namespace {

using Metronome = EngineFixture;

std::vector<MemoryPortEntry> clicks(const std::vector<MemoryPortEntry>& ons) {
    std::vector<MemoryPortEntry> out;
    for (const MemoryPortEntry& e : ons)
        if (e.bytes[0] == 0x99 && e.bytes[1] == 31) out.push_back(e);
    return out;
}

TEST_F(Metronome, AccentFallsOnBeatOneAndEachClickEndsAtOnce) {
    settingStore(app.settings.clickInPlay, 1);
    playFrom(0, 2100);
    auto c = clicks(noteOns());
    ASSERT_GE(c.size(), 5u);
    const int expected[] = {127, 50, 50, 50, 127};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(c[size_t(i)].bytes[2], expected[i]) << "click " << i;
        EXPECT_EQ(c[size_t(i)].port, 1);
        if (i) {
            EXPECT_EQ(c[size_t(i)].ms - c[size_t(i - 1)].ms, 500u);
        }
    }
    ASSERT_GE(ports.log.size(), 2u);
    EXPECT_EQ(ports.log[1].bytes[2], 0);  // note-off right after the note-on
    EXPECT_EQ(ports.log[1].ms, ports.log[0].ms);

    // Pressing REC with IN REC off silences it.
    stopTransport(app);
    ports.log.clear();
    app.engine.recordMode = RECORD_OVER_DUB;
    playFrom(0, 1000);
    EXPECT_TRUE(clicks(noteOns()).empty());
}

TEST_F(Metronome, CountInPlaysOneBarOfEighthsAndHoldsThePosition) {
    settingStore(app.settings.playCountIn, 1);
    settingStore(app.settings.clickRate, 1);
    note(768, 1, 60, 100, 10);
    locateTick(app, 1000);  // the middle of bar 3: the count-in starts at its top
    startWithCountIn(app);
    EXPECT_EQ(app.engine.position.load(), 768);
    simAdvance(sim, 1500);
    EXPECT_EQ(app.engine.position.load(), 768);  // still counting in
    simAdvance(sim, 1000);
    auto ons = noteOns();
    auto c = clicks(ons);
    ASSERT_EQ(c.size(), 8u);
    EXPECT_EQ(c[0].bytes[2], 127);
    for (size_t i = 1; i < 8; ++i) {
        EXPECT_EQ(c[i].bytes[2], 50);
        EXPECT_EQ(c[i].ms - c[i - 1].ms, 250u);
    }
    ASSERT_EQ(ons.size(), 9u);
    EXPECT_EQ(ons[8].bytes[1], 60);
    EXPECT_EQ(ons[8].ms - c[0].ms, 2000u);  // one bar after the first click
    EXPECT_GT(app.engine.position.load(), 768);
}

TEST_F(Metronome, CountInRepeatsWhileWaitingForAKey) {
    settingStore(app.settings.recCountIn, 1);
    app.engine.waitForKey = true;
    app.engine.recordMode = RECORD_OVER_DUB;
    startWithCountIn(app);
    simAdvance(sim, 4100);
    EXPECT_EQ(clicks(noteOns()).size(), 9u);  // two bars of quarters and the next accent
    EXPECT_EQ(app.engine.position.load(), 0);
    EXPECT_TRUE(app.engine.waitingForKey.load());
}

TEST(RecordParams, SnapToGridFollowsGridSwingAndShift) {
    AppState app;
    ASSERT_EQ(initAppState(app), 0);
    struct Case {
        uint32_t row;
        uint32_t swing;
        int32_t shift;
        Tick in;
        Tick out;
    } cases[] = {
        {3, 25, 0, 30, 36}, {3, 25, 0, 11, 0},  {3, 25, 0, 12, 36}, {3, 0, 5, 40, 53},  {3, 25, 0, 20, 36},
        {3, 25, 0, 40, 48}, {2, 25, 0, 20, 32}, {0, 25, 7, 41, 41}, {3, 0, -11, 3, 0}, {1, 10, 0, 50, 48 + 9},
    };
    for (const Case& c : cases) {
        app.settings.tcIndex = c.row;
        app.settings.swing = c.swing;
        app.settings.shift[c.row] = c.shift;
        EXPECT_EQ(snapToGrid(app, c.in), c.out) << "row " << c.row << " swing " << c.swing << " shift " << c.shift
                                                << " tick " << c.in;
        app.settings.shift[c.row] = 0;
    }
    app.allTracks = true;
    app.settings.tcIndex = 3;
    EXPECT_EQ(snapToGrid(app, 30), 30);
    freeAppState(app);
}

TEST(RecordParams, CorrectTimeWrapsAtTheLoopAndSequenceEnd) {
    AppState app;
    ASSERT_EQ(initAppState(app), 0);
    app.settings.tcIndex = 3;
    app.lengthTicks = 768;
    EXPECT_EQ(correctTime(app, 760), 0);
    app.engine.loopOn = true;
    app.engine.loopStartTick = 384;
    app.engine.loopEndTick = 768;
    EXPECT_EQ(correctTime(app, 765), 384);
    EXPECT_EQ(app.engine.idleTicks.load(), 384);
    app.settings.tcIndex = 0;
    EXPECT_EQ(correctTime(app, 765), 765);
    freeAppState(app);
}

TEST(RecordParams, VelocityAndDurationRows) {
    AppState app;
    ASSERT_EQ(initAppState(app), 0);
    app.settings.recVelocity = 11;
    EXPECT_EQ(recordVelocity(app, 99), 30);
    app.settings.recVelocity = 0;
    EXPECT_EQ(recordVelocity(app, 99), 99);
    app.settings.recDuration = 5;
    EXPECT_EQ(recordDuration(app), 64);
    locateTick(app, 0);
    stepAdvance(app);
    EXPECT_EQ(app.engine.position.load(), 64);
    EXPECT_STREQ(DURATION_LABELS[5], "1/4-3 ");
    EXPECT_STREQ(TC_LABELS[4], "1/16-3");
    freeAppState(app);
}

}  // namespace
}  // namespace qz::test
