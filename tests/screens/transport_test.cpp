// The transport buttons through the real input path: clicks, holds and wheel
// steps at the buttons' screen positions, and what the next repaint shows.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/recording.h"
#include "program/program.h"
#include "tests/ui/harness.h"
#include "ui/framework/panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/transport_panel.h"

namespace qz {
namespace {

struct Point {
    int32_t x, y;
};
// Points inside the buttons.
constexpr Point TAP{250, 571}, WAIT_KEY{397, 571}, STEP_BACK{641, 571}, STEP_FWD{679, 571}, BAR_BACK{716, 571},
    BAR_FWD{754, 571}, ZOOM_IN{809, 571}, ZOOM_OUT{884, 571}, MUTE_MODE{1098, 571}, NOTE_ERASE{285, 602}, REC{359, 602},
    OVER_DUB{434, 602}, STEP{509, 602}, STOP{584, 602}, PLAY{659, 602}, START{734, 602}, LOOP{809, 602}, UNDO{884, 602},
    NOTE_REPEAT{215, 602}, SUB_SOLO{1120, 602};

struct TransportTest : ::testing::Test {
    test::Harness h;
    AppState& app = *h;
    EngineState& e = app.engine;

    // A sequence of `bars` bars in slot 1, stopped at tick 0, no count-in.
    void sequence(int32_t bars) {
        ASSERT_NE(h.sequenceWithNotes(1, "Song", {0, 400, 1000}), nullptr);
        applyNewBars(app, bars);
        locateTick(app, 0);
        settingStore(app.settings.recCountIn, 0);
        settingStore(app.settings.playCountIn, 0);
    }
    void click(Point p) { h.leftClick(p.x, p.y); }
    void wheel(Point p, bool towardsUser) { h.wheel(p.x, p.y, !towardsUser); }
    int32_t pos() const { return e.position.load(); }
    bool isPlaying() const { return e.playing.load(); }
};

TEST_F(TransportTest, TapTempoTakesTheIntervalBetweenTapsWithin301To999Ms) {
    sequence(2);
    struct Case {
        uint32_t afterMs;
        int32_t tempoX10;
    } cases[] = {{0, 1200},     // the first tap only arms
                 {400, 1500},   // 600000 / 400
                 {1200, 1500},  // too slow: only restarts the measurement
                 {500, 1200},   // 120.0 from the restarted tap
                 {300, 1200},   // too fast
                 {301, 1993},  {999, 600}};
    uint32_t now = 10000;
    app.seq->tempoX10 = 1200;
    for (const Case& c : cases) {
        e.msClock.store(now += c.afterMs);
        click(TAP);
        EXPECT_EQ(app.seq->tempoX10, c.tempoX10) << "tap after " << c.afterMs << " ms";
    }
    EXPECT_EQ(app.seq->modified, 1u);
    EXPECT_EQ(e.usPerQuarter.load(), 1000000);  // 60.0 is in force at once
}

TEST_F(TransportTest, RecordPlayAndStartChooseWhereAndHowToRun) {
    sequence(8);
    locateTick(app, 500);
    click(REC);  // from the start of the current bar
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(e.recordMode.load(), RECORD_REC);
    EXPECT_EQ(pos(), 384);
    e.position.store(700);  // as if the tick had moved on
    click(PLAY);            // does nothing while recording
    EXPECT_EQ(e.recordMode.load(), RECORD_REC);
    EXPECT_EQ(pos(), 700);
    click(OVER_DUB);  // takes over from REC
    click(REC);       // ignored while OVER DUB runs
    EXPECT_EQ(e.recordMode.load(), RECORD_OVER_DUB);
    click(STOP);
    EXPECT_FALSE(isPlaying());
    EXPECT_EQ(e.recordMode.load(), RECORD_OFF);

    // PLAY while playing starts again from the position, or the loop start.
    click(PLAY);
    e.position.store(1200);
    click(PLAY);
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(pos(), 1200);
    e.loopOn.store(true);
    e.loopStartBar = 1;
    click(PLAY);
    EXPECT_EQ(pos(), 384);
    click(STOP);
    e.loopOn.store(false);

    // START: from the top with the count-in; with the loop on, from the
    // loop start without one.
    settingStore(app.settings.playCountIn, 1);
    click(START);
    EXPECT_EQ(pos(), 0);
    EXPECT_NE(e.countIn.state.load(), 0);
    click(STOP);
    locateBar(app, 3);
    click(LOOP);
    locateTick(app, 6 * 384);
    click(START);
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(pos(), 3 * 384);
    EXPECT_EQ(e.countIn.state.load(), 0);
}

TEST_F(TransportTest, LoopAndBarButtons) {
    sequence(8);
    e.loopBars = 3;
    locateTick(app, 5 * 384 + 100);
    click(LOOP);  // bar 5 becomes a one-bar loop, the position stays
    EXPECT_TRUE(e.loopOn.load());
    EXPECT_EQ(e.loopStartTick, 5 * 384);
    EXPECT_EQ(e.loopEndTick, 6 * 384);
    EXPECT_EQ(pos(), 5 * 384 + 100);
    click(BAR_FWD);  // the loop moves, the position follows its start
    EXPECT_EQ(e.loopStartTick, 6 * 384);
    EXPECT_EQ(pos(), 6 * 384);
    for (int i = 0; i < 3; ++i) click(BAR_FWD);
    EXPECT_EQ(e.loopStartBar, 7);  // kept inside the sequence
    click(LOOP);
    EXPECT_FALSE(e.loopOn.load());
    locateTick(app, app.lengthTicks);
    click(LOOP);  // at the very end the last bar becomes the loop
    EXPECT_EQ(e.loopStartBar, 7);
    EXPECT_EQ(pos(), 7 * 384);
    click(LOOP);

    struct Case {
        int32_t from, to;
    } backCases[] = {{900, 768}, {800, 384}, {384, 0}, {0, 0}};
    for (const Case& c : backCases) {
        locateTick(app, c.from);
        click(BAR_BACK);
        EXPECT_EQ(pos(), c.to) << "bar back from " << c.from;
    }
    locateTick(app, 900);
    click(BAR_FWD);
    EXPECT_EQ(pos(), 3 * 384);
    wheel(BAR_BACK, true);  // a step towards the user: one bar on
    EXPECT_EQ(pos(), 4 * 384);
}

TEST_F(TransportTest, StepButtonsFollowTheGridAndLocateButtonsRepeatWhileHeld) {
    sequence(16);
    settingStore(app.settings.tcIndex, 3);  // 1/16: 24 ticks, no swing or shift
    settingStore(app.settings.swing, 0);
    app.settings.shift[3] = 0;
    struct Case {
        Point button;
        int32_t from, to;
    } cases[] = {{STEP_BACK, 100, 96}, {STEP_BACK, 96, 72}, {STEP_BACK, 10, 0},
                 {STEP_FWD, 100, 120}, {STEP_FWD, 96, 120}, {STEP_FWD, 6130, 6144}};
    for (const Case& c : cases) {
        locateTick(app, c.from);
        click(c.button);
        EXPECT_EQ(pos(), c.to) << "from " << c.from;
    }

    // Held: the first repeat on the 21st frame, then every 6 frames.
    locateTick(app, 0);
    h.move(BAR_FWD.x, BAR_FWD.y);
    onLeftDown(app, BAR_FWD.x, BAR_FWD.y);
    for (int f = 0; f < 20; ++f) autoRepeatStep(app);
    EXPECT_EQ(pos(), 384);
    autoRepeatStep(app);
    EXPECT_EQ(pos(), 2 * 384);
    for (int f = 0; f < 6; ++f) autoRepeatStep(app);
    onLeftUp(app);
    EXPECT_EQ(pos(), 3 * 384);

    click(PLAY);  // the step buttons work only while stopped
    click(STEP_BACK);
    EXPECT_EQ(pos(), 3 * 384);
}

TEST_F(TransportTest, TrackMuteModeZoomAndLoopEdit) {
    sequence(2);
    // Leaving STEP mode through track mute mode closes the notes it left open.
    click(STEP);
    ASSERT_EQ(e.recordMode.load(), RECORD_STEP);
    const int32_t open = insertEvent(app, 96, 1, ST_NOTE, 62, 100, 0);
    ASSERT_TRUE(isOpenNote(events(app)[open]));
    app.allTracks = true;
    click(MUTE_MODE);
    EXPECT_TRUE(app.ui->trackMuteMode);
    EXPECT_EQ(e.recordMode.load(), RECORD_OFF);
    EXPECT_FALSE(app.allTracks);
    for (int32_t i = 0; i < eventCount(app); ++i) EXPECT_FALSE(isOpenNote(events(app)[i])) << i;
    click(MUTE_MODE);
    EXPECT_TRUE(app.allTracks);  // as it was before
    app.allTracks = false;

    // Refused with the no-entry pointer while OVER DUB runs.
    click(OVER_DUB);
    h.move(MUTE_MODE.x, MUTE_MODE.y);
    EXPECT_EQ(dispatch(app, PM_CURSOR, 0), 0u);
    EXPECT_EQ(h.user.cursors.back(), CURSOR_NO_ENTRY);
    click(MUTE_MODE);
    EXPECT_FALSE(app.ui->trackMuteMode);
    click(STOP);

    app.settings.zoomLevel = 1;
    e.loopOn.store(true);
    e.loopBars = 2;
    wheel(ZOOM_IN, false);  // zooming in with a longer loop ends the loop
    EXPECT_EQ(app.settings.zoomLevel, 0u);
    EXPECT_FALSE(e.loopOn.load());
    for (int i = 0; i < 6; ++i) click(ZOOM_OUT);
    EXPECT_EQ(app.settings.zoomLevel, 4u);
    app.rec.loopEdit = true;
    click(LOOP);  // refused in LOOP EDIT
    EXPECT_FALSE(e.loopOn.load());
    click(ZOOM_OUT);  // leaves LOOP EDIT at two bars
    EXPECT_FALSE(app.rec.loopEdit);
    EXPECT_EQ(app.settings.zoomLevel, 1u);
}

TEST_F(TransportTest, SoloSubModeReleasesTheHeldKeys) {
    sequence(2);
    app.rec.heldKeys[1].fetch_or(1u << (60 - 32));  // key 60 held
    curTrackRec(app).channel = 9;
    ringDiscard(e.outQueue);
    click(SUB_SOLO);
    EXPECT_TRUE(app.rec.trackMuteSolo.load());
    EXPECT_FALSE(keyHeld(app, 60));
    uint32_t sent = 0;
    ASSERT_TRUE(ringPop(e.outQueue, sent));
    EXPECT_EQ(sent & 0xFFFFFFu, 0x003C99u);  // its note-off on channel 10
    EXPECT_TRUE(ringEmpty(e.outQueue)) << "one message only";
}

TEST_F(TransportTest, KeysPlayedWhileNoteEraseIsHeldAreErasedByTheNextFrame) {
    sequence(2);  // key 60 at 0 and 400 (1000 lies past the end); Loop ON
    insertEvent(app, 200, 1, ST_NOTE, 62, 100, 24);
    const int32_t before = eventCount(app);
    uint32_t ms = 1000;
    h.move(NOTE_ERASE.x, NOTE_ERASE.y);
    onLeftDown(app, NOTE_ERASE.x, NOTE_ERASE.y);
    EXPECT_TRUE(app.rec.noteEraseHeld.load());
    app.rec.heldFlag[60] = 1;  // key 60 held on the keyboard
    uiTimer(app, ms += 16);
    EXPECT_EQ(eventCount(app), before - 2);
    onLeftUp(app);
    EXPECT_FALSE(app.rec.noteEraseHeld.load());

    // Unusable without a loop: the press holds nothing and the frame erases nothing.
    settingStore(app.settings.seqLoop, 0);
    uiTimer(app, ms += 16);
    EXPECT_TRUE(h.pixelIs(NOTE_ERASE.x, 586, COL_BUTTON_OFF));  // redrawn flat by the frame
    h.leftClick(NOTE_ERASE.x, NOTE_ERASE.y);
    app.rec.heldFlag[62] = 1;
    uiTimer(app, ms += 16);
    EXPECT_EQ(eventCount(app), before - 2);
}

TEST_F(TransportTest, RepaintShowsLitPressedFlatAndHoveredButtons) {
    sequence(2);
    repaint(app);
    ASSERT_EQ(app.dirty.load(), 0u);
    EXPECT_TRUE(h.pixelIs(UNDO.x, 597, COL_BUTTON_OFF));  // no undo copy yet
    click(WAIT_KEY);
    EXPECT_EQ(app.dirty.load() & 0xC030u, 0xC030u);
    click(REC);
    click(LOOP);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(330, 565, 77));  // faces: WAIT FOR KEY, REC, OVER DUB, LOOP
    EXPECT_TRUE(h.pixelIs(330, 590, 35));
    EXPECT_TRUE(h.pixelIs(OVER_DUB.x, 590, COL_BUTTON_OFF));
    EXPECT_TRUE(h.pixelIs(780, 590, 214));
    EXPECT_TRUE(h.pixelIs(NOTE_ERASE.x, 586, COL_BEVEL_LIGHT));  // raised: the loop holds the cursor

    // STOP is drawn pressed while held: its top bevel turns dark.
    h.move(STOP.x, STOP.y);
    onLeftDown(app, STOP.x, STOP.y);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(STOP.x, 586, COL_BEVEL_DARK));
    onLeftUp(app);
    click(LOOP);
    settingStore(app.settings.seqLoop, 0);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(STOP.x, 586, COL_BEVEL_LIGHT));
    EXPECT_TRUE(h.pixelIs(NOTE_ERASE.x, 586, COL_BUTTON_OFF));  // flat: nothing to erase

    // UNDO lights while an undo copy exists and refuses while playing.
    ASSERT_EQ(snapshotForUndo(app), 0);
    insertEvent(app, 200, 1, ST_NOTE, 64, 100, 24);
    const int32_t withNote = eventCount(app);
    click(PLAY);
    click(UNDO);
    EXPECT_EQ(eventCount(app), withNote);
    click(STOP);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(UNDO.x, 597, 225));
    click(UNDO);
    EXPECT_EQ(eventCount(app), withNote - 1);

    // The hovered button has an outline that goes when the pointer leaves.
    h.move(TAP.x, TAP.y);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(TAP.x, 559, COL_HOVER));
    h.move(100, 300);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(TAP.x, 559, COL_BEVEL_DARK));
}

TEST_F(TransportTest, MappedMessagesPressTheButtonsByNumber) {
    sequence(2);
    EXPECT_TRUE(pressMappedTransportButton(app, 8, true));  // PLAY
    EXPECT_TRUE(pressMappedTransportButton(app, 8, false));
    EXPECT_TRUE(isPlaying());
    EXPECT_EQ(app.dirty.load(), DIRTY_ALL);
    EXPECT_TRUE(pressMappedTransportButton(app, 7, true));  // STOP, drawn pressed until released
    EXPECT_FALSE(isPlaying());
    EXPECT_NE(app.ui->transportHeld, 0u);
    EXPECT_TRUE(pressMappedTransportButton(app, 7, false));
    EXPECT_EQ(app.ui->transportHeld, 0u);
    for (int n : {0, 24, 25, 28, 31}) EXPECT_FALSE(pressMappedTransportButton(app, n, true)) << n;
    // PANIC has no place on the screen.
    h.move(1220, 600);
    EXPECT_EQ(app.ui->hoverHandler.proc, noopHandler);
}

}  // namespace
}  // namespace qz
