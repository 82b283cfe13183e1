// The left column: the pads panel's controls and note list, PADMENU, and in
// ALL TRACKS mode the track list with TRACKMENU, renaming and the overview.
#include <gtest/gtest.h>

#include <vector>

#include "engine/engine.h"
#include "engine/recording.h"
#include "tests/ui/harness.h"
#include "ui/screens/menus.h"
#include "ui/screens/pads_panel.h"

namespace qz {
namespace {

using test::enter;
using test::Harness;

constexpr int32_t INPUT_BASE_X = 240, TRACK_BASE_X = 300, BASE_Y = 120, LIST_X = 280;

struct PadsTest : ::testing::Test {
    Harness h;
    AppState& app = *h;
    void SetUp() override { ASSERT_NE(h.sequenceWithNotes(1, "Song", {}), nullptr); }
    // Row k of the 16-row list.
    static int32_t rowY(int32_t k) { return 150 + 23 * k + 11; }
    // What the list sent to the live queue: +note for a note-on, -note for a note-off.
    std::vector<int> liveSent() {
        std::vector<int> out;
        SeqEvent e;
        while (ringPop(app.rec.liveFromWindow, e)) out.push_back(e.status == ST_NOTE ? e.data1 : -e.data1);
        return out;
    }
};

TEST_F(PadsTest, BaseNotesMoveIncomingNotesAndTheListFollowsTheTrackBase) {
    h.wheel(TRACK_BASE_X, BASE_Y, false);  // 36 C -> 48 C
    EXPECT_EQ(app.settings.trackPadBase[0], 3u);
    EXPECT_EQ(app.ui->padBaseNote, 48);
    EXPECT_EQ(app.settings.inputPadBase, 2u);  // 36 C
    publishInputState(app);
    onMidiInput(app, 0, 0x90 | 36 << 8 | 100 << 16);
    onMidiInput(app, 0, 0x90 | 120 << 8 | 100 << 16);
    int held = 0;
    for (int n = 0; n < 128; ++n) held += keyHeld(app, n);
    EXPECT_TRUE(keyHeld(app, 48));
    EXPECT_EQ(held, 1);  // 120 + 12 is dropped
    h.wheel(TRACK_BASE_X, BASE_Y, false);
    h.wheel(TRACK_BASE_X, BASE_Y, true);
    h.wheel(INPUT_BASE_X, BASE_Y, true);
    EXPECT_EQ(app.settings.inputPadBase, 1u);
    selectTrack(app, 2);
    EXPECT_EQ(app.ui->padBaseNote, 36);  // track 2 keeps its own base
    selectTrack(app, 1);
    EXPECT_EQ(app.ui->padBaseNote, 48);
}

TEST_F(PadsTest, ADragAcrossRowsPlaysAndEndsEachNoteInTurn) {
    h.move(LIST_X, rowY(0));
    onLeftDown(app, LIST_X, rowY(0));
    onMouseMove(app, LIST_X, rowY(1));
    onMouseMove(app, LIST_X, rowY(1) + 5);  // the same row: nothing new
    onMouseMove(app, LIST_X, rowY(2));
    onLeftUp(app);
    EXPECT_EQ(liveSent(), (std::vector<int>{36, -36, 37, -37, 38, -38}));
}

TEST_F(PadsTest, TheWheelScrollsTheListWithinEachLayoutsRange) {
    struct Case {
        int32_t y;     // where to click first: 16, 32 or LOOP EDIT
        int32_t last;  // highest first row
    } cases[] = {{270, 112}, {290, 96}, {240, 120}};
    for (const Case& c : cases) {
        h.leftClick(200, c.y);
        for (int i = 0; i < 150; ++i) h.wheel(LIST_X, 300, false);
        EXPECT_EQ(app.ui->padBaseNote, c.last) << "click at y " << c.y;
        for (int i = 0; i < 150; ++i) h.wheel(LIST_X, 300, true);
        EXPECT_EQ(app.ui->padBaseNote, 0);
    }
    EXPECT_TRUE(app.rec.loopEdit.load());
    EXPECT_TRUE(app.engine.loopOn.load());
    EXPECT_EQ(app.engine.loopBars, 1);
    h.leftClick(200, 270);  // 16 rows: LOOP EDIT and its loop end
    EXPECT_FALSE(app.rec.loopEdit.load());
    EXPECT_FALSE(app.engine.loopOn.load());
    EXPECT_EQ(screens(app).pads.listLength, 0);
}

TEST_F(PadsTest, PadMenuTimingCorrectMovesOnlyThePadsNotes) {
    insertEvent(app, 13, 1, ST_NOTE, 36, 100, 24);
    insertEvent(app, 13, 1, ST_NOTE, 38, 100, 24);
    h.user.menuAnswers = {MENU_TIMING};
    h.user.steps = {enter({"100", "0", "50"})};
    h.rightClick(LIST_X, rowY(0));
    ASSERT_EQ(h.user.of("form").size(), 1u);
    EXPECT_EQ(h.user.of("form")[0].text, "Note 36 Timing Correct.");
    ASSERT_EQ(eventCount(app), 2);
    for (int32_t i = 0; i < 2; ++i) EXPECT_EQ(events(app)[i].time, events(app)[i].data1 == 36 ? 24 : 13);
}

TEST_F(PadsTest, TrackModePutsTheTrackInUseThenSwitchesItsType) {
    TrackRecord& t = app.seq->tracks[1];
    t.used = 0;
    h.leftClick(250, 100);
    EXPECT_EQ(t.used, 1);
    const uint8_t type = t.type;
    h.leftClick(250, 100);
    EXPECT_NE(t.type, type);
    h.wheel(250, 100, false);
    EXPECT_EQ(t.type, TRACK_TYPE_NOTE);
}

TEST_F(PadsTest, MidiAllTracksToggleIsRefusedInTrackMuteMode) {
    toggleAllTracks(app, PM_LDOWN, 0);
    EXPECT_TRUE(app.allTracks);
    toggleAllTracks(app, PM_LUP, 0);
    EXPECT_TRUE(app.allTracks);
    toggleAllTracks(app, PM_LDOWN, 0);
    app.ui->trackMuteMode = true;
    toggleAllTracks(app, PM_LDOWN, 0);
    EXPECT_FALSE(app.allTracks);
}

// ---- The ALL TRACKS track list ------------------------------------------------------

TEST_F(PadsTest, TrackNumbersChooseATrackOrOpenTrackMenu) {
    app.allTracks = true;
    h.user.menuAnswers = {MENU_CANCEL};
    h.rightClick(190, rowY(1));
    EXPECT_EQ(h.user.of("menu").back().title, "TRACKMENU");
    EXPECT_EQ(app.currentTrack, 2);
    EXPECT_TRUE(app.allTracks);
    h.leftClick(190, rowY(2));
    EXPECT_EQ(app.currentTrack, 3);
    EXPECT_FALSE(app.allTracks);
}

TEST_F(PadsTest, TrackNamesRenameAndTheOverviewDrawsEveryTracksNotes) {
    app.allTracks = true;
    app.settings.zoomLevel = 3;
    insertEvent(app, 0, 2, ST_NOTE, 60, 100, 96);
    h.user.steps = {enter({"Kick drum"})};
    h.leftClick(250, rowY(3));
    ASSERT_EQ(h.user.of("text").size(), 1u);
    EXPECT_EQ(h.user.of("text")[0].title, "Track Rename.");
    EXPECT_STREQ(app.seq->tracks[4].name, "Kick drum");
    EXPECT_EQ(app.seq->tracks[4].used, 1);
    EXPECT_EQ(app.seq->modified, 1u);
    redrawAll(app);
    // Note 60 sits 14 steps up its row; 96 ticks at 72 pixels a bar are 18 pixels.
    const int32_t y = 127 + 23 * 2 + 20 - 14;
    EXPECT_TRUE(h.pixelIs(340, y, COL_BLACK));
    EXPECT_TRUE(h.pixelIs(353, y + 1, COL_BLACK));
    EXPECT_TRUE(h.pixelIs(356, y, COL_EMPTY_MARK));
}

TEST_F(PadsTest, TheOverviewDrawsTheNotesBeingRecordedOverTheSequence) {
    app.allTracks = true;
    app.settings.zoomLevel = 3;
    settingStore(app.settings.recCountIn, 0);
    h.leftClick(434, 602);  // OVER DUB
    ASSERT_TRUE(app.engine.playing.load());
    ASSERT_EQ(recordInsertNote(app, 96, 5, 60, 100, 96), 0);
    redrawAll(app);
    const int32_t y = 127 + 23 * 5 + 20 - 14;
    EXPECT_TRUE(h.pixelIs(336 + 18 + 2, y, COL_BLACK));  // from tick 96, 18 pixels long
    EXPECT_TRUE(h.pixelIs(336 + 40, y, COL_EMPTY_MARK));
    EXPECT_EQ(eventCount(app), 0);  // still only in the recording
}

}  // namespace
}  // namespace qz
