// What the screen shows outside the panels, on the state the program builds
// (`initProgramState`): nothing here is wired by the test, so a lamp or a
// notice whose source nobody writes fails.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "platform/null/memory_ports.h"
#include "platform/null/sim_clock.h"
#include "tests/screens/text_log.h"
#include "tests/ui/harness.h"

namespace qz {
namespace {

using test::Harness;

constexpr int32_t OUT_LAMP_X = 1010, IN_LAMP_X = 1186;
int32_t lampY(int track) { return 150 + 23 * (track - 1) + 10; }

struct Indicators : ::testing::Test {
    Harness h;
    AppState& app = *h;
    MemoryPorts ports;
    SimClock sim;
    void SetUp() override {
        initMemoryPorts(ports, &app.engine.msClock, 1, 8192);
        app.engine.out = memoryPortsOutput(ports);
        app.engine.outPortCount = 1;
        simInstall(sim, app);
    }
    void TearDown() override { simRemove(sim); }
    // Let the engine run `ms` milliseconds with the window's frames between.
    void run(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 16) {
            simAdvance(sim, 16);
            uiTimer(app, app.engine.msClock.load());
        }
    }
};

TEST_F(Indicators, OutputLampLightsWhileATrackPlaysAndGoesOut) {
    Sequence* s = h.sequenceWithNotes(1, "Song", {0, 96, 192, 288});
    for (int32_t i = 0; i < s->eventCount; ++i) seqEvents(s)[i].track = 3;
    s->tracks[3].used = 1;
    EXPECT_TRUE(h.pixelIs(OUT_LAMP_X, lampY(3), COL_LAMP_DARK));
    h.leftClick(650, 600);  // PLAY
    run(48);  // the notes at tick 0 went out; a lamp glows five frames
    EXPECT_TRUE(h.pixelIs(OUT_LAMP_X, lampY(3), COL_LAMP_LIT));
    EXPECT_TRUE(h.pixelIs(OUT_LAMP_X, lampY(1), COL_LAMP_DARK));
    h.leftClick(575, 600);  // STOP
    run(200);
    EXPECT_TRUE(h.pixelIs(OUT_LAMP_X, lampY(3), COL_LAMP_DARK));
}

TEST_F(Indicators, InputLampAndThruIndicatorFollowMidiInput) {
    h.sequenceWithNotes(1, "Song", {0});
    selectTrack(app, 2);
    publishInputState(app);
    onMidiInput(app, 0, 0x90 | 60 << 8 | 100 << 16);
    run(16);
    EXPECT_TRUE(h.pixelIs(IN_LAMP_X, lampY(2), COL_LAMP_LIT));
    run(200);
    EXPECT_TRUE(h.pixelIs(IN_LAMP_X, lampY(2), COL_BACKGROUND));

    // Thru off: the cross at (800, 6) blanks while input arrives.
    settingStore(app.settings.midiThru, 0);
    redrawAll(app);
    EXPECT_TRUE(h.pixelIs(807, 13, COL_WHITE));
    onMidiInput(app, 0, 0x90 | 62 << 8 | 100 << 16);
    run(16);
    EXPECT_TRUE(h.pixelIs(807, 13, COL_BACKGROUND));
}

TEST_F(Indicators, PositionCounterFollowsThePosition) {
    app.engine.position.store(385);
    redrawAll(app);
    // Dark blue box, white dots of 002.01.01; the panels read the same bar.
    EXPECT_TRUE(h.pixelIs(181, 26, COL_POSITION_BG));
    EXPECT_TRUE(h.pixelIs(325, 56, COL_POSITION_BG));
    EXPECT_TRUE(h.pixelIs(239, 47, COL_WHITE));
    EXPECT_TRUE(h.pixelIs(280, 51, COL_WHITE));
    EXPECT_EQ(app.engine.bar, 1);
    EXPECT_EQ(app.engine.tickInBeat, 1);
}

TEST_F(Indicators, WaitForKeyNoticeWhileTheStartWaitsForANote) {
    h.sequenceWithNotes(1, "Song", {0});
    h.leftClick(400, 570);  // WAIT FOR KEY
    ASSERT_TRUE(app.engine.waitForKey.load());
    h.leftClick(350, 600);  // REC
    run(32);
    EXPECT_TRUE(h.pixelIs(524, 330, COL_WHITE));
    EXPECT_TRUE(h.pixelIs(600, 340, COL_BACKGROUND));
    onMidiInput(app, 0, 0x90 | 60 << 8 | 100 << 16);  // the key starts it
    run(32);
    EXPECT_FALSE(app.engine.waitingForKey.load());
    EXPECT_FALSE(h.pixelIs(524, 330, COL_WHITE));
}

// The frame's hooks come from the state the program builds: a hook set only
// by a test would leave the window without what it stands for. The window's
// own `present` comes from the platform, and no screen asks for
// `refreshFrameValues` yet. A new hook changes the record's size and so
// this list.
TEST(FrameHooksTest, TheProgramStateSetsTheHooksOfItsScreens) {
    static_assert(sizeof(FrameHooks) == 3 * sizeof(void (*)()), "a new hook: name its writer here");
    Harness h;
    const FrameHooks& hooks = h.app->ui->hooks;
    EXPECT_NE(hooks.pollEngine, nullptr);
}

// The window's timer stops when no frame is due; a MIDI input note and the
// engine's stop at the sequence end, made while it sleeps, wake it and are
// drawn by the next frame.
TEST_F(Indicators, ChangesMadeWhileTheFrameSleepsWakeItAndShowInTheNextFrame) {
    static int wakes;
    wakes = 0;
    app.engine.windowWake = WindowWake{nullptr, [](void*) { ++wakes; }};
    auto frame = [&] {
        simAdvance(sim, 16);
        uiTimer(app, app.engine.msClock.load());
    };
    h.sequenceWithNotes(1, "Song", {0});
    settingStore(app.settings.seqLoop, 0);
    selectTrack(app, 2);
    publishInputState(app);
    run(64);
    ASSERT_TRUE(uiTimerMaySleep(app));  // stopped, nothing held, lit or queued
    EXPECT_TRUE(h.pixelIs(IN_LAMP_X, lampY(2), COL_BACKGROUND));

    onMidiInput(app, 0, 0x90 | 60 << 8 | 100 << 16);
    EXPECT_EQ(wakes, 1);
    EXPECT_FALSE(app.engine.windowAsleep.load());
    frame();
    EXPECT_TRUE(h.pixelIs(IN_LAMP_X, lampY(2), COL_LAMP_LIT));
    EXPECT_FALSE(uiTimerMaySleep(app));  // the lamp still counts down
    run(200);
    EXPECT_TRUE(h.pixelIs(IN_LAMP_X, lampY(2), COL_BACKGROUND));
    EXPECT_TRUE(uiTimerMaySleep(app));
    EXPECT_EQ(wakes, 1);  // one wake per sleep, not one per change

    // Playing keeps the frame running. Let the window fall asleep anyway just
    // before the end, as when its last look crosses the stop.
    h.leftClick(650, 600);  // PLAY
    ASSERT_TRUE(app.engine.playing.load());
    frame();
    EXPECT_FALSE(uiTimerMaySleep(app));
    app.engine.windowAsleep.store(true);
    wakes = 0;
    for (int ms = 0; ms < 20000 && app.engine.playing.load(); ++ms) simAdvance(sim, 1);
    ASSERT_FALSE(app.engine.playing.load());
    EXPECT_EQ(wakes, 1);
    test::TextLog texts;
    texts.install(app.ui->draw);
    frame();
    EXPECT_EQ(app.dirty.load(), 0u);
    // The counter shows the end, 003.01.00, drawn by this frame.
    const std::vector<std::string> counter = texts.within(180, 20, 146, 40);
    EXPECT_EQ(std::vector<std::string>(counter.begin(), counter.begin() + std::min<size_t>(3, counter.size())),
              (std::vector<std::string>{"003", "01", "00"}));
    run(200);  // the stop's lamps go out
    EXPECT_TRUE(uiTimerMaySleep(app));
}

}  // namespace
}  // namespace qz
