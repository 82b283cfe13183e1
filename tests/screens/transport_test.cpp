// The transport buttons through the real input path: clicks, holds and wheel
// steps at the buttons' screen positions, and what the next repaint shows.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/ui/harness.h"
#include "ui/screens/transport_panel.h"

namespace qz {
namespace {

struct Point {
    int32_t x, y;
};
// Centres of the buttons on the screen.
constexpr Point TAP{250, 571}, WAIT_KEY{397, 571}, SOLO{509, 571}, STEP_BACK{641, 571}, STEP_FWD{679, 571},
    BAR_BACK{716, 571}, BAR_FWD{754, 571}, ZOOM_IN{809, 571}, MOUSE_REC{959, 571}, MUTE_MODE{1098, 571},
    NOTE_ERASE{285, 602}, REC{359, 602}, OVER_DUB{434, 602}, STOP{584, 602}, PLAY{659, 602}, START{734, 602},
    LOOP{809, 602}, UNDO{884, 602}, MUTE_ALL{1030, 602}, SUB_SOLO{1120, 602}, SUB_MUTE{1165, 602};

struct TransportTest : ::testing::Test {
    test::Harness h;
    AppState& app = *h;
    EngineState& e = app.engine;

    // A sequence of `bars` bars in slot 1, stopped at tick 0.
    void sequence(int32_t bars) {
        ASSERT_NE(h.sequenceWithNotes(1, "Song", {0, 400, 1000}), nullptr);
        app.newBars = bars;
        applyNewBars(app);
        locateTick(app, 0);
        settingStore(app.settings.recCountIn, 0);
        settingStore(app.settings.playCountIn, 0);
    }
    void click(Point p) { h.leftClick(p.x, p.y); }
    void wheel(Point p, bool towardsUser) { h.wheel(p.x, p.y, !towardsUser); }
    int32_t pos() const { return e.position.load(); }
    bool isPlaying() const { return e.playing.load(); }
    // Repaint what the clicks marked.
    void paint() { repaint(app); }
};

TEST_F(TransportTest, TapTempoTakesTheIntervalBetweenTapsWithin301To999Ms) {
    sequence(2);
    struct Case {
        uint32_t afterMs;
        int32_t tempoX10;
    } cases[] = {
        {0, 1200},     // first tap only arms
        {400, 1500},   // 600000 / 400
        {1200, 1500},  // too slow: only restarts the measurement
        {500, 1200},   // 120.0 from the restarted tap
        {300, 1200},   // too fast
        {301, 1993},   // the fastest tap taken
        {999, 600},    // the slowest tap taken
    };
    uint32_t now = 10000;
    app.seq->tempoX10 = 1200;
    app.seq->modified = 0;
    for (const Case& c : cases) {
        now += c.afterMs;
        e.msClock.store(now);
        click(TAP);
        EXPECT_EQ(app.seq->tempoX10, c.tempoX10) << "tap after " << c.afterMs << " ms";
    }
    EXPECT_EQ(app.seq->modified, 1u);
    // The new tempo is in force at once.
    EXPECT_EQ(e.usPerQuarter.load(), 1000000);
}

TEST_F(TransportTest, PlayDoesNothingWhileRecordingAndRestartsWhilePlaying) {
    sequence(4);
    locateTick(app, 500);
    click(REC);
    // REC starts from the start of the current bar.
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(e.recordMode.load(), 1);
    EXPECT_EQ(pos(), 384);
    e.position.store(700);  // as if the tick had moved on
    click(PLAY);
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(e.recordMode.load(), 1);
    EXPECT_EQ(pos(), 700);
    // REC while OVER DUB runs is ignored; OVER DUB takes over from REC.
    click(OVER_DUB);
    EXPECT_EQ(e.recordMode.load(), 2);
    click(REC);
    EXPECT_EQ(e.recordMode.load(), 2);
    click(STOP);
    EXPECT_FALSE(isPlaying());
    EXPECT_EQ(e.recordMode.load(), 0);

    // Playing: PLAY stops and starts again from the current position ...
    locateTick(app, 1000);
    click(PLAY);
    EXPECT_TRUE(isPlaying());
    e.position.store(1200);
    click(PLAY);
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(pos(), 1200);
    // ... or from the loop start when the bar loop is on.
    e.loopOn.store(true);
    e.loopStartBar = 1;
    click(PLAY);
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(pos(), 384);
}

TEST_F(TransportTest, StartPlaysFromTheTopWithCountInOrFromTheLoopWithout) {
    sequence(8);
    settingStore(app.settings.playCountIn, 1);
    locateTick(app, 3 * 384 + 50);
    click(START);
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(pos(), 0);
    EXPECT_NE(e.countIn.state.load(), 0);  // the count-in is armed
    click(STOP);

    locateBar(app, 3);
    click(LOOP);
    ASSERT_TRUE(e.loopOn.load());
    locateTick(app, 6 * 384);
    click(START);
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(pos(), 3 * 384);
    EXPECT_EQ(e.countIn.state.load(), 0);
}

TEST_F(TransportTest, LoopMakesTheCurrentBarAOneBarLoop) {
    sequence(8);
    e.loopBars = 3;
    locateTick(app, 5 * 384 + 100);
    click(LOOP);
    EXPECT_TRUE(e.loopOn.load());
    EXPECT_EQ(e.loopStartBar, 5);
    EXPECT_EQ(e.loopBars, 1);
    EXPECT_EQ(e.loopStartTick, 5 * 384);
    EXPECT_EQ(e.loopEndTick, 6 * 384);
    EXPECT_EQ(pos(), 5 * 384 + 100);  // the position stays
    click(LOOP);
    EXPECT_FALSE(e.loopOn.load());

    // At the very end the last bar becomes the loop.
    locateTick(app, app.lengthTicks);
    click(LOOP);
    EXPECT_EQ(e.loopStartBar, 7);
    EXPECT_EQ(pos(), 7 * 384);
    click(LOOP);

    // Refused in LOOP EDIT, with the no-entry pointer.
    app.ui.loopEdit = true;
    h.move(LOOP.x, LOOP.y);
    dispatch(app, PM_CURSOR, 0);
    click(LOOP);
    EXPECT_FALSE(e.loopOn.load());
    EXPECT_EQ(h.user.cursors.back(), CURSOR_NO_ENTRY);
}

TEST_F(TransportTest, BarButtonsLocateByBarsAndMoveTheLoop) {
    sequence(8);
    struct Case {
        int32_t from, to;
    } backCases[] = {{900, 768}, {800, 384}, {384, 0}, {0, 0}, {1000, 768}};
    for (const Case& c : backCases) {
        locateTick(app, c.from);
        click(BAR_BACK);
        EXPECT_EQ(pos(), c.to) << "bar back from " << c.from;
    }
    locateTick(app, 900);
    click(BAR_FWD);
    EXPECT_EQ(pos(), 3 * 384);

    // With the loop on, the loop moves and the position follows its start.
    locateBar(app, 2);
    click(LOOP);
    click(BAR_FWD);
    EXPECT_EQ(e.loopStartBar, 3);
    EXPECT_EQ(e.loopStartTick, 3 * 384);
    EXPECT_EQ(pos(), 3 * 384);
    click(BAR_BACK);
    click(BAR_BACK);
    EXPECT_EQ(e.loopStartBar, 1);
    EXPECT_EQ(pos(), 384);
    // The loop stays inside the sequence.
    for (int i = 0; i < 10; ++i) click(BAR_FWD);
    EXPECT_EQ(e.loopStartBar, 7);

    // Wheel steps over bars in the step's direction.
    click(LOOP);
    locateBar(app, 4);
    wheel(BAR_BACK, true);
    EXPECT_EQ(pos(), 5 * 384);
    onMiddleDown(app);
    wheel(START, false);  // ten bars back, held at bar 0
    onMiddleUp(app);
    EXPECT_EQ(pos(), 0);
}

TEST_F(TransportTest, StepButtonsMoveByTheTimingCorrectGrid) {
    sequence(2);
    settingStore(app.settings.tcIndex, 3);  // 1/16: 24 ticks, no swing or shift
    settingStore(app.settings.swing, 0);
    app.settings.shift[3] = 0;
    struct Case {
        Point button;
        int32_t from, to;
    } cases[] = {
        {STEP_BACK, 100, 96}, {STEP_BACK, 96, 72},   {STEP_BACK, 10, 0},
        {STEP_FWD, 100, 120}, {STEP_FWD, 96, 120},   {STEP_FWD, 760, 768},
    };
    for (const Case& c : cases) {
        locateTick(app, c.from);
        click(c.button);
        EXPECT_EQ(pos(), c.to) << "from " << c.from;
    }
    // Timing correct off: one tick.
    settingStore(app.settings.tcIndex, 0);
    locateTick(app, 50);
    click(STEP_FWD);
    EXPECT_EQ(pos(), 51);
    // Not while playing.
    click(PLAY);
    click(STEP_BACK);
    EXPECT_EQ(pos(), 51);
}

TEST_F(TransportTest, HeldLocateButtonRepeatsAfterTwentyFramesThenEverySix) {
    sequence(16);
    h.move(BAR_FWD.x, BAR_FWD.y);
    onLeftDown(app, BAR_FWD.x, BAR_FWD.y);
    EXPECT_EQ(pos(), 384);
    for (int f = 0; f < 20; ++f) autoRepeatStep(app);
    EXPECT_EQ(pos(), 384);
    autoRepeatStep(app);
    EXPECT_EQ(pos(), 2 * 384);
    for (int f = 0; f < 6; ++f) autoRepeatStep(app);
    EXPECT_EQ(pos(), 3 * 384);
    onLeftUp(app);
    for (int f = 0; f < 30; ++f) autoRepeatStep(app);
    EXPECT_EQ(pos(), 3 * 384);
    // A held toggle does not repeat.
    const bool before = e.waitForKey.load();
    h.move(WAIT_KEY.x, WAIT_KEY.y);
    onLeftDown(app, WAIT_KEY.x, WAIT_KEY.y);
    for (int f = 0; f < 40; ++f) autoRepeatStep(app);
    onLeftUp(app);
    EXPECT_NE(e.waitForKey.load(), before);
}

TEST_F(TransportTest, TrackMuteModeKeepsAllTracksAndIsRefusedWhileRecording) {
    sequence(2);
    app.allTracks = true;
    app.ui.stepEditView = true;
    e.soloMode.store(1);
    click(MUTE_MODE);
    EXPECT_TRUE(app.ui.trackMuteMode);
    EXPECT_FALSE(app.allTracks);
    EXPECT_FALSE(app.ui.stepEditView);
    EXPECT_EQ(e.soloMode.load(), 0);
    click(SUB_SOLO);
    EXPECT_TRUE(app.ui.trackMuteSolo);
    click(SUB_MUTE);
    EXPECT_FALSE(app.ui.trackMuteSolo);
    click(MUTE_MODE);
    EXPECT_FALSE(app.ui.trackMuteMode);
    EXPECT_TRUE(app.allTracks);

    app.allTracks = false;
    click(OVER_DUB);
    ASSERT_EQ(e.recordMode.load(), 2);
    h.move(MUTE_MODE.x, MUTE_MODE.y);
    EXPECT_EQ(dispatch(app, PM_CURSOR, 0), 0u);
    EXPECT_EQ(h.user.cursors.back(), CURSOR_NO_ENTRY);
    click(MUTE_MODE);
    EXPECT_FALSE(app.ui.trackMuteMode);
    // Pressing OVER DUB again ends the mode but not the playing.
    click(OVER_DUB);
    EXPECT_EQ(e.recordMode.load(), 0);
    EXPECT_TRUE(isPlaying());
}

TEST_F(TransportTest, ModeButtonsSetTheirStates) {
    sequence(2);
    click(SOLO);
    EXPECT_EQ(e.soloMode.load(), 1);
    trackByteStore(app.seq->tracks[3].mute, 1);
    click(MUTE_ALL);
    for (int t = 1; t <= 16; ++t) EXPECT_EQ(app.seq->tracks[t].mute, 1) << t;
    h.leftClick(1075, 602);  // MUTE CLR
    for (int t = 1; t <= 16; ++t) EXPECT_EQ(app.seq->tracks[t].mute, 0) << t;

    click(MOUSE_REC);
    EXPECT_TRUE(app.ui.mouseRec);
    app.allTracks = true;
    click(MOUSE_REC);  // refused in ALL TRACKS
    EXPECT_TRUE(app.ui.mouseRec);
    app.allTracks = false;

    app.settings.zoomLevel = 1;
    click(ZOOM_IN);
    click(ZOOM_IN);
    EXPECT_EQ(app.settings.zoomLevel, 0u);
    for (int i = 0; i < 6; ++i) h.leftClick(884, 571);  // ZOOM OUT
    EXPECT_EQ(app.settings.zoomLevel, 4u);
    app.ui.loopEdit = true;
    h.leftClick(884, 571);
    EXPECT_FALSE(app.ui.loopEdit);
    EXPECT_EQ(app.settings.zoomLevel, 1u);
    // Zooming in with a longer loop turns the loop off.
    e.loopOn.store(true);
    e.loopBars = 2;
    wheel(ZOOM_IN, false);
    EXPECT_EQ(app.settings.zoomLevel, 0u);
    EXPECT_FALSE(e.loopOn.load());

    h.leftClick(959, 602);  // STEP EDIT
    EXPECT_TRUE(app.ui.stepEditView);
    EXPECT_EQ(app.ui.stepTrack, app.currentTrack);
    h.leftClick(509, 602);  // STEP record
    EXPECT_EQ(e.recordMode.load(), 3);
    click(PLAY);  // ends STEP mode
    EXPECT_EQ(e.recordMode.load(), 0);
    EXPECT_TRUE(isPlaying());
}

TEST_F(TransportTest, UndoIsLitWhileACopyExistsAndRefusedWhilePlaying) {
    sequence(2);
    paint();
    EXPECT_TRUE(h.pixelIs(UNDO.x, UNDO.y + 12, COL_BUTTON_OFF));
    ASSERT_EQ(snapshotForUndo(app), 0);
    insertEvent(app, 200, 1, ST_NOTE, 64, 100, 24);
    const int32_t withNote = app.seq->eventCount;
    markDirty(app, DIRTY_TRANSPORT);
    paint();
    EXPECT_TRUE(h.pixelIs(UNDO.x, UNDO.y + 12, 225));
    click(PLAY);
    click(UNDO);
    EXPECT_EQ(app.seq->eventCount, withNote);
    click(STOP);
    click(UNDO);
    EXPECT_EQ(app.seq->eventCount, withNote - 1);
}

TEST_F(TransportTest, ClicksRepaintTheButtonsLitAndPressed) {
    sequence(2);
    paint();
    ASSERT_EQ(app.dirty.load(), 0u);
    click(WAIT_KEY);
    EXPECT_EQ(app.dirty.load() & 0xC030u, 0xC030u);
    paint();
    EXPECT_TRUE(h.pixelIs(330, 565, 77));  // lit face
    // REC and OVER DUB light red; the bar loop dark blue.
    click(REC);
    click(LOOP);
    paint();
    EXPECT_TRUE(h.pixelIs(330, 590, 35));
    EXPECT_TRUE(h.pixelIs(OVER_DUB.x, 590, COL_BUTTON_OFF));
    EXPECT_TRUE(h.pixelIs(780, 590, 214));

    // STOP is drawn pressed while held: its top bevel turns dark.
    h.move(STOP.x, STOP.y);
    onLeftDown(app, STOP.x, STOP.y);
    paint();
    EXPECT_TRUE(h.pixelIs(STOP.x, 586, COL_BEVEL_DARK));
    onLeftUp(app);
    paint();
    EXPECT_TRUE(h.pixelIs(STOP.x, 586, COL_BEVEL_LIGHT));

    // NOTE ERASE is flat unless a loop gives it something to erase.
    EXPECT_TRUE(h.pixelIs(NOTE_ERASE.x, 586, COL_BEVEL_LIGHT));  // the bar loop holds the cursor
    click(LOOP);
    settingStore(app.settings.seqLoop, 0);
    paint();
    EXPECT_TRUE(h.pixelIs(NOTE_ERASE.x, 586, COL_BUTTON_OFF));
    settingStore(app.settings.seqLoop, 1);
    markDirty(app, DIRTY_TRANSPORT);
    paint();
    EXPECT_TRUE(h.pixelIs(NOTE_ERASE.x, 586, COL_BEVEL_LIGHT));

    // Leaving a button takes its hover outline away.
    h.move(TAP.x, TAP.y);
    paint();
    EXPECT_TRUE(h.pixelIs(TAP.x, 559, COL_HOVER));
    h.move(100, 300);
    paint();
    EXPECT_TRUE(h.pixelIs(TAP.x, 559, COL_BEVEL_DARK));
}

TEST_F(TransportTest, MappedMessagesPressTheButtonsByNumber) {
    sequence(2);
    EXPECT_TRUE(pressMappedTransportButton(app, 8, true));  // PLAY
    EXPECT_TRUE(pressMappedTransportButton(app, 8, false));
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(app.dirty.load(), DIRTY_ALL);
    EXPECT_TRUE(pressMappedTransportButton(app, 7, true));  // STOP
    EXPECT_FALSE(isPlaying());
    EXPECT_TRUE(app.ui.transportHeld != 0);  // held until the release
    EXPECT_TRUE(pressMappedTransportButton(app, 7, false));
    EXPECT_EQ(app.ui.transportHeld, 0u);
    EXPECT_TRUE(pressMappedTransportButton(app, 11, true));  // MUTE MODE
    EXPECT_TRUE(app.ui.trackMuteMode);
    for (int n : {0, 24, 25, 28, 31}) EXPECT_FALSE(pressMappedTransportButton(app, n, true)) << n;
    // PANIC has no place on the screen.
    h.move(1220, 600);
    EXPECT_EQ(app.ui.hoverHandler.proc, noopHandler);
}

}  // namespace
}  // namespace qz
