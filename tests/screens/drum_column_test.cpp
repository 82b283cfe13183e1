// The drum views' right-hand column: the note map's audition and wheel,
// PAD SOLO dropped once its row scrolls away, PAD MUTE strokes, RESET and
// CLEAR in each view, and what the 16-row column paints.
#include <gtest/gtest.h>

#include <vector>

#include "engine/engine.h"
#include "tests/ui/harness.h"
#include "ui/screens/screen_state.h"

namespace qz {
namespace {

using test::Harness;

constexpr int32_t MAP_X = 940, SOLO_X = 973, MUTE_X = 994, LIST_X = 280;

struct DrumColumnTest : ::testing::Test {
    Harness h;
    AppState& app = *h;
    TrackRecord* track = nullptr;
    void SetUp() override {
        ASSERT_NE(h.sequenceWithNotes(1, "Song", {}), nullptr);
        track = &app.seq->tracks[1];
        ASSERT_EQ(app.ui->padBaseNote, 36);
    }
    static int32_t rowY(int32_t r) { return 150 + 23 * r + 11; }
    void repaintAll() {
        markDirty(app, DIRTY_ALL);
        repaint(app);
    }
    // The live queue: +note for a note-on (with its duration), -note for a note-off.
    std::vector<std::pair<int, uint32_t>> liveSent() {
        std::vector<std::pair<int, uint32_t>> out;
        SeqEvent e;
        while (ringPop(app.rec.liveFromWindow, e))
            out.push_back({e.status == ST_NOTE ? e.data1 : -e.data1, e.status == ST_NOTE ? e.value : 0});
        return out;
    }
};

TEST_F(DrumColumnTest, APadSoloOfARowScrolledOutOfViewIsDroppedAtTheNextRepaint) {
    struct Case {
        int32_t soloRow, scrollSteps;
        bool kept;
    } cases[] = {{2, 2, true}, {2, 3, false}, {15, -1, false}, {15, 0, true}};
    for (const Case& c : cases) {
        app.ui->padBaseNote = 36;
        app.engine.padSolo = 0;
        h.leftClick(SOLO_X, rowY(c.soloRow));
        const int32_t solo = 36 + c.soloRow + 1;
        ASSERT_EQ(app.engine.padSolo.load(), solo);
        for (int32_t k = 0; k < std::abs(c.scrollSteps); ++k) h.wheel(LIST_X, rowY(0), c.scrollSteps < 0);
        ASSERT_EQ(app.ui->padBaseNote, 36 + c.scrollSteps) << "the list's wheel scrolls by one note";
        EXPECT_EQ(app.engine.padSolo.load(), solo) << "kept until the column is painted";
        repaintAll();
        EXPECT_EQ(app.engine.padSolo.load(), c.kept ? solo : 0) << c.soloRow << " " << c.scrollSteps;
    }
    // A second press, or a right press, on the soloed row ends the solo.
    app.ui->padBaseNote = 36;
    h.leftClick(SOLO_X, rowY(4));
    h.rightClick(SOLO_X, rowY(4));
    EXPECT_EQ(app.engine.padSolo.load(), 0);
}

TEST_F(DrumColumnTest, ResetMapsAll128NotesBackAndClearUnmutesInEveryView) {
    struct Case {
        uint32_t listLength;
        bool loopEdit;
        int32_t resetX, resetY, clearX, clearY;
    } cases[] = {{0, false, 940, 529, 980, 528}, {1, false, 940, 531, 980, 531}, {0, true, 940, 531, 980, 531}};
    for (const Case& c : cases) {
        screens(app).pads.listLength = c.listLength;
        app.rec.loopEdit = c.loopEdit;
        for (int32_t k = 0; k < 128; ++k) {
            track->noteMap[k] = uint8_t(127 - k);
            track->noteMute[k] = 1;
        }
        app.engine.padSolo = 40;
        app.seq->modified = 0;
        h.leftClick(c.resetX, c.resetY);
        int32_t identity = 0;
        for (int32_t k = 0; k < 128; ++k) identity += track->noteMap[k] == k;
        EXPECT_EQ(identity, 128) << "view " << c.listLength << c.loopEdit;
        EXPECT_EQ(track->noteMap[127], 127);
        EXPECT_EQ(app.seq->modified, 1);
        EXPECT_EQ(track->noteMute[0], 1) << "RESET leaves the mutes";
        h.leftClick(c.clearX, c.clearY);
        int32_t muted = 0;
        for (int32_t k = 0; k < 128; ++k) muted += track->noteMute[k];
        EXPECT_EQ(muted, 0);
        EXPECT_EQ(app.engine.padSolo.load(), 0);
    }
}

TEST_F(DrumColumnTest, APadMuteStrokeWritesItsValueIntoEachRowItCrosses) {
    app.engine.padSolo = 37;
    h.move(MUTE_X, rowY(1));
    onLeftDown(app, MUTE_X, rowY(1));
    EXPECT_EQ(app.engine.padSolo.load(), 0);
    onMouseMove(app, MUTE_X, rowY(5));  // one quick step over rows 2-4
    onMouseMove(app, MUTE_X + 30, rowY(6));  // off the column, still in the rows
    onLeftUp(app);
    std::vector<int> muted;
    for (int32_t n = 36; n < 44; ++n) muted.push_back(track->noteMute[n]);
    EXPECT_EQ(muted, (std::vector<int>{0, 1, 1, 1, 1, 1, 1, 0}));
    // The right button unmutes its row and strokes 0 over the next ones.
    h.move(MUTE_X, rowY(3));
    onRightDown(app, MUTE_X, rowY(3));
    onMouseMove(app, MUTE_X, rowY(2));
    onMouseMove(app, MUTE_X, rowY(8));
    onRightUp(app);
    muted.clear();
    for (int32_t n = 36; n < 44; ++n) muted.push_back(track->noteMute[n]);
    EXPECT_EQ(muted, (std::vector<int>{0, 1, 0, 0, 0, 0, 0, 0}));
    // A press on a muted row unmutes it, and the stroke writes 0.
    h.move(MUTE_X, rowY(1));
    onLeftDown(app, MUTE_X, rowY(1));
    onLeftUp(app);
    EXPECT_EQ(track->noteMute[37], 0);
}

TEST_F(DrumColumnTest, TheNoteMapAuditionsWhileHeldAndItsWheelRemapsAndAuditions) {
    using Sent = std::vector<std::pair<int, uint32_t>>;
    h.move(MAP_X, rowY(0));
    onLeftDown(app, MAP_X, rowY(0));
    onMouseMove(app, MAP_X, rowY(0) + 5);  // the same row: nothing new
    onMouseMove(app, MAP_X, rowY(2));
    onLeftUp(app);
    EXPECT_EQ(liveSent(), (Sent{{36, 0}, {-36, 0}, {38, 0}, {-38, 0}}));
    // The engine maps the row's note, so the wheel sounds the row for 24 ticks.
    app.seq->modified = 0;
    h.wheel(MAP_X, rowY(2), false);
    EXPECT_EQ(track->noteMap[38], 38 + app.ui->wheelStep);
    EXPECT_EQ(app.seq->modified, 1);
    EXPECT_EQ(liveSent(), (Sent{{38, 24}}));
    // A note held while its entry changes ends first, so its release cannot
    // go to the newly mapped note.
    onLeftDown(app, MAP_X, rowY(2));
    h.wheel(MAP_X, rowY(2), true);
    EXPECT_EQ(track->noteMap[38], 38);
    onLeftUp(app);
    EXPECT_EQ(liveSent(), (Sent{{38, 0}, {-38, 0}, {38, 24}}));
    track->noteMap[40] = 127;
    h.wheel(MAP_X, rowY(4), false);
    EXPECT_EQ(track->noteMap[40], 127);
    // GM drum names on: the mixer's list follows.
    screens(app).drumNameMode = true;
    app.dirty = 0;
    h.wheel(MAP_X, rowY(4), true);
    EXPECT_NE(app.dirty.load() & DIRTY_MIXER, 0u);
}

TEST_F(DrumColumnTest, TheSixteenRowColumnPaintsMapsSolosMutesAndItsButtons) {
    track->noteMap[37] = 40;
    track->noteMute[39] = 1;
    app.engine.padSolo = 38 + 1;
    h.move(MAP_X, rowY(4));
    repaintAll();
    struct Case {
        int32_t x, y, colour;
        const char* what;
    } cases[] = {
        {1000, 100, COL_EMPTY_MARK, "top box"},
        {924, 300, COL_BUTTON_OFF, "left line"},
        {971, 130, 253, "PAD SOLO pointer line"},
        {991, 110, 253, "PAD MUTE pointer line"},
        {988, 102, 253, "PAD MUTE pointer foot"},
        {926, 150 + 20, COL_EMPTY_MARK, "row 0 maps to itself"},
        {926, 150 + 23 + 20, 183, "row 1 remapped"},
        {926, 150 + 23 * 4 + 20, COL_HOVER, "hovered row"},
        {930, 150 + 22, COL_LAMP_DARK, "row line"},
        {980, 150 + 23 * 2 + 10, 212, "soloed row"},
        {980, 150 + 10, 144, "row not soloed"},
        {1001, 150 + 23 * 3 + 10, 212, "muted row"},
        {1001, 150 + 23 * 2 + 10, 144, "row not muted"},
        {926, 520, COL_BEVEL_LIGHT, "RESET raised"},
        {928, 536, COL_BUTTON_OFF, "RESET face"},
        {966, 535, 144, "CLEAR face"},
    };
    for (const Case& c : cases) EXPECT_TRUE(h.pixelIs(c.x, c.y, c.colour)) << c.what;
    h.move(980, 528);
    onLeftDown(app, 980, 528);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(964, 519, COL_BEVEL_DARK)) << "CLEAR pressed while held";
    onLeftUp(app);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(964, 519, COL_BEVEL_LIGHT));
}

}  // namespace
}  // namespace qz
