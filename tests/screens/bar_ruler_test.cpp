// The bar ruler through the pointer at its places on the screen: the loop
// strip, the bar-number strip with its menu, paste mode, the position strip
// and the marker's "Erase".
#include <gtest/gtest.h>

#include <vector>

#include "engine/engine.h"
#include "tests/ui/harness.h"
#include "ui/screens/menus.h"

namespace qz {
namespace {

using test::Harness;

constexpr int32_t STRIP_Y = 122, LOOP_Y = 100, GRID_Y = 300, POSITION_Y = 548;

struct BarRulerTest : ::testing::Test {
    Harness h;
    AppState& app = *h;

    // Eight bars at zoom 3 (all eight shown, 72 pixels each), a note on
    // track 1 at tick 10 of each bar in `bars`.
    void SetUp() override {
        ASSERT_NE(h.sequenceWithNotes(1, "Song", {}), nullptr);
        applyNewBars(app, 8);
        app.settings.zoomLevel = 3;
        for (int32_t b = 0; b < 8; ++b) insertEvent(app, b * 384 + 10, 1, ST_NOTE, 60, 100, 24);
        locateTick(app, 0);
    }
    // The middle of bar b (0-based).
    static int32_t barX(int32_t b) { return 336 + 72 * b + 36; }
    std::vector<Tick> noteTimes(uint8_t track = 1) {
        std::vector<Tick> out;
        for (int32_t i = 0; i < eventCount(app); ++i)
            if (events(app)[i].status == ST_NOTE && events(app)[i].track == track) out.push_back(events(app)[i].time);
        return out;
    }
    size_t menusShown() const { return h.user.of("menu").size(); }
    void rightDrag(int32_t fromX, int32_t toX) {
        h.move(fromX, STRIP_Y);
        onRightDown(app, fromX, STRIP_Y);
        onMouseMove(app, toX, STRIP_Y);
        onRightUp(app);
    }
};

TEST_F(BarRulerTest, RightDragBackFromBar5To3TintsThreeBarsAndDeleteShortensByOne) {
    h.move(barX(4), STRIP_Y);
    onRightDown(app, barX(4), STRIP_Y);
    onMouseMove(app, barX(2), STRIP_Y);
    repaint(app);
    // The highlight tints the grid under bars 3..5 only.
    EXPECT_EQ(h.pixel(barX(3), GRID_Y), 0xCCCCFFu);
    EXPECT_TRUE(h.pixelIs(barX(5), GRID_Y, COL_EMPTY_MARK));
    h.user.menuAnswers = {MENU_DELETE};
    onRightUp(app);
    EXPECT_EQ(h.user.of("menu").back().title, "BARMENU1");
    EXPECT_EQ(app.seq->bars, 7u);
    EXPECT_EQ(noteTimes(), (std::vector<Tick>{10, 394, 778, 1162, 1546}));
    undo(app);
    EXPECT_EQ(noteTimes().size(), 8u);
}

TEST_F(BarRulerTest, PasteIsGreyedUntilBarsAreInTheClipboard) {
    h.user.menuAnswers = {MENU_PASTE, MENU_INSERT, MENU_CANCEL};
    h.rightClick(barX(2), STRIP_Y);
    EXPECT_EQ(app.ui->pasteMode, 0u);  // the greyed item is no choice
    h.rightClick(barX(2), STRIP_Y);    // the dismissal's click does nothing
    h.rightClick(barX(2), STRIP_Y);
    EXPECT_EQ(noteTimes()[2], 2 * 384 + 384 + 10);  // a blank bar at bar 3
    h.rightClick(barX(2), STRIP_Y);
    const auto menus = h.user.of("menu");
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0].title, "BARMENU1");
    EXPECT_EQ(menus[1].title, "BARMENU1");
    EXPECT_EQ(menus[2].title, "BARMENU2");
    app.allTracks = true;
    h.rightClick(barX(2), STRIP_Y);
    EXPECT_EQ(h.user.of("menu").back().title, "ALLTRKBARMENU2");
}

TEST_F(BarRulerTest, DismissingTheMenuMakesTheNextRightClickDoNothing) {
    h.user.menuAnswers = {0, MENU_CANCEL};
    h.rightClick(barX(1), STRIP_Y);
    h.rightClick(barX(1), STRIP_Y);
    EXPECT_EQ(menusShown(), 1u);
    h.rightClick(barX(1), STRIP_Y);
    EXPECT_EQ(menusShown(), 2u);
}

TEST_F(BarRulerTest, PasteModePastesAtEveryClickAndHeldButtonUntilARightClick) {
    applyNewBars(app, 8);
    eraseBars(app, 1, 8);
    h.user.menuAnswers = {MENU_COPY, MENU_PASTE};
    h.rightClick(barX(0), STRIP_Y);
    h.rightClick(barX(1), STRIP_Y);  // pastes at once where the menu opened
    EXPECT_EQ(app.ui->pasteMode, 1u);
    h.leftClick(barX(5), GRID_Y);
    EXPECT_EQ(noteTimes(), (std::vector<Tick>{10, 394, 1930}));
    undo(app);  // each click took its own undo copy
    EXPECT_EQ(noteTimes(), (std::vector<Tick>{10, 394}));
    // Held: the 21st frame repeats the paste and holds the picture 100 ms.
    h.move(barX(3), GRID_Y);
    onLeftDown(app, barX(3), GRID_Y);
    for (int i = 0; i < 21; ++i) autoRepeatStep(app);
    onLeftUp(app);
    EXPECT_EQ(noteTimes(), (std::vector<Tick>{10, 394, 1162}));
    EXPECT_EQ(h.user.waits.back(), 100u);
    h.rightClick(barX(6), GRID_Y);
    EXPECT_EQ(app.ui->pasteMode, 0u);
    h.leftClick(barX(6), GRID_Y);
    EXPECT_EQ(noteTimes().size(), 3u);
}

TEST_F(BarRulerTest, HeldEraseOnTheMarkerErasesTheCurrentTracksEventsItPasses) {
    insertEvent(app, 200, 1, ST_CONTROL, 7, 100, 0);
    insertEvent(app, 100, 2, ST_NOTE, 40, 100, 24);
    const int32_t erase = 336 + 4 + 20;  // right of the drum view's marker body
    h.move(erase, POSITION_Y);
    onLeftDown(app, erase, POSITION_Y);
    onMouseMove(app, 336 + 2 * 72, POSITION_Y);  // two bars on
    onLeftUp(app);
    EXPECT_EQ(app.engine.position.load(), 768);
    EXPECT_EQ(noteTimes().front(), 778);
    EXPECT_EQ(noteTimes(2), (std::vector<Tick>{100}));
    for (int32_t i = 0; i < eventCount(app); ++i) EXPECT_NE(events(app)[i].status, ST_CONTROL);
    undo(app);
    EXPECT_EQ(eventCount(app), 10);
}

TEST_F(BarRulerTest, LoopStripSetsMovesResizesAndClearsTheLoop) {
    const EngineState& e = app.engine;
    h.leftClick(barX(2), LOOP_Y);
    EXPECT_TRUE(e.loopOn.load());
    EXPECT_EQ(e.loopStartBar, 2);
    EXPECT_EQ(e.loopBars, 1);
    EXPECT_EQ(e.position.load(), 768);
    // The right end, dragged to bar 5.
    const int32_t end = 336 + 3 * 72;
    h.move(end, LOOP_Y);
    onLeftDown(app, end, LOOP_Y);
    onMouseMove(app, barX(4), LOOP_Y);
    onLeftUp(app);
    EXPECT_EQ(e.loopBars, 3);
    EXPECT_EQ(e.loopEndTick, 5 * 384);
    h.leftClick(barX(6), LOOP_Y);  // outside: a new one-bar loop
    EXPECT_EQ(e.loopStartBar, 6);
    h.leftClick(barX(6) + 10, LOOP_Y);  // inside: off
    EXPECT_FALSE(e.loopOn.load());
    h.leftClick(barX(1), LOOP_Y);
    h.rightClick(barX(5), LOOP_Y);
    EXPECT_FALSE(e.loopOn.load());
}

TEST_F(BarRulerTest, PositionStripLocatesByZoomAndTheWheelScrolls) {
    settingStore(app.settings.tcIndex, 3);  // 1/16
    struct Case {
        uint32_t zoom;
        Tick expected;
    } cases[] = {{0, 48}, {1, 120}, {2, 192}, {3, 384}};  // x 100 into the grid
    for (const Case& c : cases) {
        app.settings.zoomLevel = c.zoom;
        app.firstBar = 0;
        locateTick(app, 0);
        h.leftClick(436, POSITION_Y);
        EXPECT_EQ(app.engine.position.load(), c.expected) << "zoom " << c.zoom;
    }
    app.settings.zoomLevel = 1;
    h.wheel(barX(0), STRIP_Y, false);
    EXPECT_EQ(app.firstBar, 1);
    h.leftClick(985, POSITION_Y);  // the end button
    EXPECT_EQ(app.engine.position.load(), 8 * 384);
}

}  // namespace
}  // namespace qz
