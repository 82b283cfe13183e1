// The 32-row and LOOP EDIT drum views: what they paint, the 32-row click,
// LOOP EDIT's patterns and its velocity wheel.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "engine/engine.h"
#include "tests/ui/harness.h"
#include "ui/screens/screen_state.h"

namespace qz {
namespace {

using test::Harness;
using Notes = std::vector<std::array<int32_t, 4>>;

constexpr int32_t TC_16TH = 3;

struct OtherDrumViewsTest : ::testing::Test {
    Harness h;
    AppState& app = *h;
    void SetUp() override {
        ASSERT_NE(h.sequenceWithNotes(1, "Song", {}), nullptr);
        settingStore(app.settings.tcIndex, TC_16TH);
        app.settings.zoomLevel = 0;
        ASSERT_EQ(app.ui->padBaseNote, 36);
    }
    void loopEdit() { app.rec.loopEdit.store(true); }
    void rows32() { screens(app).pads.listLength = 1; }
    // Pointer x of tick t in the first bar of a one-bar window.
    static int32_t xAt(Tick t) { return 338 + t * 576 / 384; }
    static int32_t yOf(int32_t row, int32_t height) { return 140 + height * row + height / 2; }
    void repaintAll() {
        markDirty(app, DIRTY_ALL);
        repaint(app);
    }
    Notes notes() {
        Notes out;
        for (int32_t i = 0; i < eventCount(app); ++i) {
            const SeqEvent& e = events(app)[i];
            if (e.status == ST_NOTE && e.track == 1) out.push_back({e.time, e.data1, e.data2, int32_t(e.value)});
        }
        return out;
    }
};

TEST_F(OtherDrumViewsTest, ThirtyTwoRowsPaintBlocksMarksAndLongRowLines) {
    rows32();
    insertEvent(app, 96, 1, ST_NOTE, 37, 100, 24);   // row 1
    insertEvent(app, 192, 1, ST_NOTE, 30, 100, 24);  // below the rows
    insertEvent(app, 288, 1, ST_NOTE, 80, 100, 24);  // above them
    app.rec.heldFlag[38].store(1);                   // row 2 held on input
    app.rec.heldFlag[90].store(1);                   // above the rows
    repaintAll();
    struct Case {
        int32_t x, y, colour;
        const char* what;
    } cases[] = {
        {337 + 144, 153, COL_BLACK, "block top"},
        {337 + 149, 161, COL_BLACK, "block bottom"},
        {337 + 144, 162, COL_BEVEL_LIGHT, "under the block: an even stripe"},
        {337 + 288, 132, 253, "mark below"},
        {337 + 432, 527, 253, "mark above"},
        {400, 139, COL_BEVEL_DARK, "first row line"},
        {400, 139 + 12 * 5, COL_LAMP_DARK, "row line"},
        {335 + 144, 135, COL_BEVEL_DARK + 1, "beat line from the top"},
        {336 + 36, 145, COL_LIGHT_GREY, "odd stripe from y 140"},
        {322, 140 + 24 + 5, COL_NOTE_ROW, "held row"},
        {322, 140 + 12 + 5, COL_EMPTY_MARK, "row not held"},
        {322, 530, COL_NOTE_ROW, "held above the rows"},
        {322, 134, COL_EMPTY_MARK, "nothing held below"},
    };
    for (const Case& c : cases) EXPECT_TRUE(h.pixelIs(c.x, c.y, c.colour)) << c.what;
}

TEST_F(OtherDrumViewsTest, LoopEditPaintsVelocityBarsAndWashesThePatternUnderThePointer) {
    loopEdit();
    insertEvent(app, 96, 1, ST_NOTE, 37, 127, 24);  // row 1, a bar 45 + 1 high
    insertEvent(app, 192, 1, ST_NOTE, 30, 100, 24);  // below the rows: not marked
    screens(app).pads.pattern = 1;
    h.move(xAt(200), yOf(3, 48));
    EXPECT_EQ(screens(app).hoverTick, 192);  // the pointer's tick follows it
    repaintAll();
    struct Case {
        int32_t x, y, colour;
        const char* what;
    } cases[] = {
        {337 + 144, 234, COL_BLACK, "bar bottom"},
        {337 + 144, 189, COL_BLACK, "bar top"},
        {337 + 144, 188, COL_BEVEL_LIGHT, "above the bar"},
        {337 + 288, 135, COL_EMPTY_MARK, "no mark for notes off the rows"},
        {400, 139 + 48 * 2, COL_BACKGROUND, "row line"},
        {913, 300, COL_BEVEL_DARK + 1, "bar line 3 wide"},
        {335 + 144, 135, COL_BEVEL_DARK + 1, "beat line from the top"},
    };
    for (const Case& c : cases) EXPECT_TRUE(h.pixelIs(c.x, c.y, c.colour)) << c.what;
    // Pattern 1's cells in the pointer's row only.
    for (const int32_t x : {340, 470, 614, 758}) {
        const uint32_t plain = h.pixel(x, yOf(4, 48));
        EXPECT_EQ(h.pixel(x, yOf(3, 48)), (plain | 0xFFu) & 0xF0F0FFu) << x;
    }
    EXPECT_EQ(h.pixel(540, yOf(3, 48)), h.pixel(540, yOf(4, 48)));
}

TEST_F(OtherDrumViewsTest, ThirtyTwoRowClickWritesAndErasesInItsRow) {
    rows32();
    app.ui->mouseRec = true;
    struct Case {
        int32_t x, row;
        Notes after;
    } cases[] = {
        {xAt(96), 20, {{96, 56, 127, 6}}},
        {xAt(96) + 4, 20, {}},              // within 3 ticks: removed
        {xAt(108), 31, {{120, 67, 127, 6}}},  // between steps: written at the rounded step
        {xAt(120), 30, {{120, 67, 127, 6}, {120, 66, 127, 6}}},
    };
    for (const Case& c : cases) {
        h.leftClick(c.x, yOf(c.row, 12));
        EXPECT_EQ(notes(), c.after) << "row " << c.row;
    }
}

TEST_F(OtherDrumViewsTest, TheWheelScrollsTheRowsUpToEachViewsLastFullPage) {
    struct Case {
        int32_t listLength, last;
    } cases[] = {{0, 112}, {1, 96}};
    for (const Case& c : cases) {
        screens(app).pads.listLength = c.listLength;
        app.ui->padBaseNote = c.last - 1;
        for (int32_t i = 0; i < 3; ++i) h.wheel(500, 300, false);
        EXPECT_EQ(app.ui->padBaseNote, c.last);
        h.wheel(500, 300, true);
        EXPECT_EQ(app.ui->padBaseNote, c.last - 1);
    }
}

TEST_F(OtherDrumViewsTest, LoopEditPatternFiveFillsTheBarAndTheNextClickOnlyResetsIt) {
    loopEdit();
    insertEvent(app, 50, 1, ST_NOTE, 37, 90, 24);  // the pad's old note goes
    insertEvent(app, 60, 1, ST_NOTE, 40, 90, 24);  // another pad's stays
    screens(app).pads.pattern = 5;
    h.leftClick(xAt(100), yOf(1, 48));
    Notes expected;
    for (int32_t k = 0; k < 16; ++k) {
        expected.push_back({24 * k, 37, 127, 6});
        if (k == 2) expected.push_back({60, 40, 90, 24});
    }
    EXPECT_EQ(notes(), expected);
    h.leftClick(xAt(300), yOf(5, 48));
    EXPECT_EQ(notes(), expected);
    EXPECT_EQ(screens(app).pads.pattern, 0);
    // Single notes again: the next click writes one.
    h.leftClick(xAt(300), yOf(5, 48));
    EXPECT_EQ(notes().size(), expected.size() + 1);
}

TEST_F(OtherDrumViewsTest, LoopEditVelocityWheelStopsAtTenAndAtTheTop) {
    loopEdit();
    insertEvent(app, 96, 1, ST_NOTE, 37, 64, 24);
    std::vector<int32_t> ends;
    for (const bool away : {true, false}) {
        for (int32_t i = 0; i < 50; ++i) h.wheel(xAt(96) + 3, yOf(1, 48), away);
        ASSERT_EQ(notes().size(), 1u);
        ends.push_back(notes()[0][2]);
    }
    std::sort(ends.begin(), ends.end());
    EXPECT_EQ(ends, (std::vector<int32_t>{10, 127}));
}

}  // namespace
}  // namespace qz
