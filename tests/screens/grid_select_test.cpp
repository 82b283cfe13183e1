// The grid's right-button selection and its menu: the rectangle a drag
// covers, Erase, Copy and Paste with the paste placement, Move, in the drum
// view and in the note view.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/ui/harness.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/screen_state.h"

namespace qz {
namespace {

using test::Harness;
using Note = std::array<int32_t, 2>;  // time, note

constexpr int32_t BAR_W = 144;  // zoom 2: four bars of 144 pixels
constexpr uint32_t ERASE = 201, COPY = 203, PASTE = 204, MOVE = 205;

struct GridSelectTest : ::testing::Test {
    Harness h;
    AppState& app = *h;
    void SetUp() override {
        ASSERT_NE(h.sequenceWithNotes(1, "Song", {}), nullptr);
        app.seq->bars = 8;
        app.lengthTicks = 8 * TICKS_PER_BAR;
        app.settings.zoomLevel = 2;
        ASSERT_EQ(app.ui->padBaseNote, 36);
    }
    static int32_t xOfBar(int32_t b) { return 336 + b * BAR_W + 20; }
    static int32_t yOfRow(int32_t r) { return 150 + 23 * r + 11; }
    // A right-button drag from one cell to another, answered with `item`.
    void select(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t item) {
        h.move(x0, y0);
        onRightDown(app, x0, y0);
        h.move(x1, y1);
        h.user.menuAnswers = {item};
        onRightUp(app);
    }
    std::vector<Note> notes() {
        std::vector<Note> out;
        for (int32_t i = 0; i < eventCount(app); ++i) {
            const SeqEvent& e = events(app)[i];
            if (e.status == ST_NOTE && e.track == 1) out.push_back({e.time, e.data1});
        }
        return out;
    }
    uint32_t state() const { return app.ui->gridMenuState; }
};

TEST_F(GridSelectTest, ADragCoversBothEndCellsEitherWayAndEraseTakesOnlyWhatItCovers) {
    struct Case {
        int32_t fromBar, fromRow, toBar, toRow;
        int32_t x, y, w, h;
    } cases[] = {
        {2, 5, 0, 2, 336, 150 + 46, 3 * BAR_W, 4 * 23},  // back and up
        {0, 2, 2, 5, 336, 150 + 46, 3 * BAR_W, 4 * 23},  // forward and down
        {1, 0, 1, 0, 336 + BAR_W, 150, BAR_W, 23},       // one cell
    };
    for (const Case& c : cases) {
        h.move(xOfBar(c.fromBar), yOfRow(c.fromRow));
        onRightDown(app, xOfBar(c.fromBar), yOfRow(c.fromRow));
        h.move(xOfBar(c.toBar), yOfRow(c.toRow));
        const GridEditState& g = screens(app).grid;
        EXPECT_EQ((std::array{g.selX, g.selY, g.selW, g.selH}), (std::array{c.x, c.y, c.w, c.h})) << c.fromBar;
        EXPECT_EQ(state(), 1u);
        // The selection is shown inverted; a left press cancels it.
        markDirty(app, DIRTY_ALL);
        repaint(app);
        const uint32_t shown = h.pixel(c.x + 3, c.y + 3);
        onLeftDown(app, xOfBar(c.toBar), yOfRow(c.toRow));
        onLeftUp(app);
        onRightUp(app);
        EXPECT_EQ(state(), 0u);
        markDirty(app, DIRTY_ALL);
        repaint(app);
        EXPECT_EQ((h.pixel(c.x + 3, c.y + 3) ^ shown) & 0xFFFFFFu, 0xFFFFFFu);
        EXPECT_TRUE(h.user.of("menu").empty());
    }
    // Bars 0..2, rows 2..5 (notes 38..41): only the notes inside go.
    const std::vector<Note> inside = {{0, 38}, {2 * 384 + 100, 41}};
    const std::vector<Note> outside = {{10, 37}, {400, 42}, {3 * 384, 38}};
    for (const Note& n : inside) insertEvent(app, n[0], 1, ST_NOTE, uint8_t(n[1]), 100, 24);
    for (const Note& n : outside) insertEvent(app, n[0], 1, ST_NOTE, uint8_t(n[1]), 100, 24);
    select(xOfBar(2), yOfRow(5), xOfBar(0), yOfRow(2), ERASE);
    EXPECT_EQ(notes(), outside);
    EXPECT_EQ(state(), 0u);
    ASSERT_EQ(h.user.of("menu").size(), 1u);
}

TEST_F(GridSelectTest, DrumPastePastesAtOnceThenAtEveryLeftClickUntilARightClick) {
    insertEvent(app, 0, 1, ST_NOTE, 36, 100, 24);
    insertEvent(app, 96, 1, ST_NOTE, 37, 100, 24);
    select(xOfBar(0), yOfRow(0), xOfBar(0), yOfRow(1), COPY);
    EXPECT_EQ(state(), 0u);  // Copy alone places nothing in the drum view
    EXPECT_EQ(app.clipboard.count, 2);
    // Paste: at the pointer's bar and row at once, then placement.
    select(xOfBar(2), yOfRow(4), xOfBar(2), yOfRow(4), PASTE);
    EXPECT_EQ(state(), 2u);
    EXPECT_EQ(notes(), (std::vector<Note>{{0, 36}, {96, 37}, {768, 40}, {864, 41}}));
    // A click on the last row keeps both clipboard rows inside the view.
    h.leftClick(xOfBar(3), yOfRow(15));
    h.leftClick(xOfBar(1), yOfRow(0));
    EXPECT_EQ(state(), 2u);
    EXPECT_EQ(notes(), (std::vector<Note>{{0, 36},
                                          {96, 37},
                                          {384, 36},
                                          {480, 37},
                                          {768, 40},
                                          {864, 41},
                                          {1152, 50},
                                          {1248, 51}}));
    // Placing past either edge scrolls a bar and steps the pointer back in.
    struct Edge {
        int32_t x, firstBar, pointerX;
    } edges[] = {{900, 1, 876}, {330, 0, 360}, {330, 0, 330}};
    for (const Edge& e : edges) {
        h.move(e.x, yOfRow(3));
        EXPECT_EQ((std::array{app.firstBar, app.ui->mouseX}), (std::array{e.firstBar, e.pointerX})) << e.x;
    }
    h.rightClick(xOfBar(1), yOfRow(8));
    EXPECT_EQ(state(), 0u);
    h.leftClick(xOfBar(1), yOfRow(8));  // MOUSE REC off: only sounds the pad
    EXPECT_EQ(notes().size(), 8u);
}

TEST_F(GridSelectTest, MoveTakesTheSelectedNotesToTheClickAndEnds) {
    insertEvent(app, 0, 1, ST_NOTE, 36, 90, 24);
    insertEvent(app, 48, 1, ST_NOTE, 40, 80, 24);  // a row outside the selection
    select(xOfBar(0), yOfRow(0), xOfBar(0), yOfRow(0), MOVE);
    EXPECT_EQ(state(), 3u);
    EXPECT_EQ(notes().size(), 2u);  // nothing moves before the click
    h.leftClick(xOfBar(2), yOfRow(3));
    EXPECT_EQ(state(), 0u);
    EXPECT_EQ(notes(), (std::vector<Note>{{48, 40}, {768, 39}}));
    EXPECT_EQ(events(app)[1].data2, 90);
}

TEST_F(GridSelectTest, VelocityEditChangesOnlyTheSelectedNotes) {
    insertEvent(app, 0, 1, ST_NOTE, 36, 100, 24);
    insertEvent(app, 10, 1, ST_NOTE, 38, 100, 24);   // row outside
    insertEvent(app, 400, 1, ST_NOTE, 36, 100, 24);  // bar outside
    h.user.steps = {test::radio(0, 3), test::enter({"50"})};
    select(xOfBar(0), yOfRow(0), xOfBar(0), yOfRow(1), 216);
    std::vector<int32_t> velocities;
    for (int32_t i = 0; i < eventCount(app); ++i) velocities.push_back(events(app)[i].data2);
    EXPECT_EQ(velocities, (std::vector<int32_t>{50, 100, 100}));
    ASSERT_NE(app.undoCopy, nullptr);
    EXPECT_EQ(state(), 0u);
}

// The note view: Copy starts the placement itself, Paste only starts it, and
// either pastes only on the left click, at note offset 0.
TEST_F(GridSelectTest, NoteViewPastesOnlyOnTheClick) {
    app.seq->tracks[1].type = TRACK_TYPE_NOTE;
    auto send = [&](uint32_t msg, int32_t x, int32_t y) {
        app.ui->mouseX = x;
        app.ui->mouseY = y;
        return gridMenuMessage(app, msg, GridView::Notes);
    };
    insertEvent(app, 0, 1, ST_NOTE, 60, 100, 24);
    insertEvent(app, 100, 1, ST_NOTE, 64, 100, 24);
    insertEvent(app, 200, 1, ST_NOTE, 67, 100, 24);  // beyond the two beats
    const std::vector<Note> before = notes();
    struct Case {
        uint32_t item;
        int32_t pointerX, pointerY;  // where placement puts the pointer
    } cases[] = {{COPY, 336 + 50, 132 + 50}, {PASTE, 336, 132}};
    for (const Case& c : cases) {
        EXPECT_EQ(send(PM_MOVE, 400, 300), PM_MOVE);  // idle: the view's own
        EXPECT_EQ(send(PM_RDOWN, 340, 300), 0u);
        EXPECT_EQ(send(PM_RDRAG, 336 + 36 + 5, 200), 0u);  // two beats, full height
        EXPECT_EQ(screens(app).grid.selH, 407);
        h.user.menuAnswers = {c.item};
        send(PM_RUP, 336 + 36 + 5, 200);
        EXPECT_EQ(state(), 2u) << c.item;
        EXPECT_EQ((std::array{app.ui->mouseX, app.ui->mouseY}), (std::array{c.pointerX, c.pointerY}));
        EXPECT_EQ(notes(), before) << "nothing pasted before the click";
        // Bar 2 + 5 pixels: rounded down to 24 pixels.
        send(PM_MOVE, 336 + 2 * BAR_W + 5, 250);
        EXPECT_EQ(send(PM_LDOWN, 336 + 2 * BAR_W + 5, 250), 0u);
        std::vector<Note> pasted = before;
        pasted.insert(pasted.end(), {{768, 60}, {868, 64}});
        EXPECT_EQ(notes(), pasted) << c.item;
        EXPECT_EQ(send(PM_RDOWN, 400, 300), 0u);
        EXPECT_EQ(state(), 0u);
        // Take the paste back for the next case.
        app.selection = {768, 1152, 0, 127, 0, 0};
        eraseSelection(app);
        ASSERT_EQ(notes(), before);
    }
}

}  // namespace
}  // namespace qz
