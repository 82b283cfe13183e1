// The repaint orchestrator, the panel registry and the UI frame: what is
// drawn, in which order, and when nothing is.
#include "ui/framework/repaint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "program/program.h"
#include "ui/framework/panel.h"

namespace qz {
namespace {

struct Call {
    uint32_t panel, msg, arg;
    bool operator==(const Call&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Call& c) {
    return os << "{" << c.panel << "," << c.msg << ",0x" << std::hex << c.arg << std::dec << "}";
}

std::vector<Call> calls;
int presents = 0;
uint32_t markWhilePainting = 0;

template <uint32_t N>
uint32_t recordingPanel(AppState& app, uint32_t msg, uint32_t arg) {
    if (msg == PM_PROBE) return msg;  // never hit
    calls.push_back({N, msg, arg});
    if (msg == PM_PAINT && markWhilePainting) markDirty(app, markWhilePainting);
    return msg;
}
template <uint32_t N>
void frameWork(AppState&) {
    calls.push_back({N, PM_TIMER, 1});
}
template <uint32_t Stage>
void painter(AppState&) {
    calls.push_back({100 + Stage, PM_PAINT, 0});
}

uint32_t hoverElement(AppState&, uint32_t msg, uint32_t arg) {
    calls.push_back({99, msg, arg});
    return msg;
}

// A screen of recording panels: the sequence row (two paint bits), the pads,
// the grid (with frame work) and the out monitor, a Change Bars overlay and
// one painter per stage.
struct Screen {
    std::unique_ptr<AppState> app = std::make_unique<AppState>();
    Screen() {
        calls.clear();
        presents = 0;
        markWhilePainting = 0;
        attachUi(*app);
        EXPECT_TRUE(initDrawContext(app->ui->draw, CANVAS_MIN_WIDTH, CANVAS_MIN_HEIGHT));
        add(PANEL_OUT_MONITOR, recordingPanel<22>, {DIRTY_OUT_MONITOR, DIRTY_OUT_MONITOR_LIST});
        add(PANEL_GRID, recordingPanel<7>, {DIRTY_GRID, DIRTY_GRID_STEP}, frameWork<7>);
        add(PANEL_PADS, recordingPanel<5>, {DIRTY_PADS});
        add(PANEL_SEQUENCE, recordingPanel<3>, {DIRTY_SEQ_ROW, DIRTY_TEMPO}, frameWork<3>);
        add(PANEL_CHANGE_BARS, recordingPanel<18>, {});
        registerPainter(*app, PAINT_TOP, painter<PAINT_TOP>);
        registerPainter(*app, PAINT_OVER, painter<PAINT_OVER>);
        registerPainter(*app, PAINT_UNDER, painter<PAINT_UNDER>);
        registerPainter(*app, PAINT_BACKGROUND, painter<PAINT_BACKGROUND>);
        app->ui->hooks.present = [](AppState&) { ++presents; };
        app->ui->hoverHandler = HoverHandler{hoverElement, 0, 0};
    }
    void add(uint32_t panel, PanelProc proc, std::initializer_list<uint32_t> bits, void (*work)(AppState&) = nullptr) {
        PanelRecord r;
        r.proc = proc;
        std::copy(bits.begin(), bits.end(), r.paintBits);
        r.frameWork = work;
        registerPanel(*app, panel, r);
    }
    uint32_t at(int32_t x, int32_t y) const {
        return app->ui->draw.pixels[static_cast<size_t>(y) * app->ui->draw.width + x];
    }
};

TEST(Repaint, NothingAtAllWithoutDirtyBits) {
    Screen s;
    fillCanvas(s.app->ui->draw, 8);
    s.app->dirty.store(0);
    repaint(*s.app);
    for (uint32_t p : s.app->ui->draw.pixels) ASSERT_EQ(p, PALETTE[8]);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(presents, 0);
}

TEST(Repaint, FullRedrawInTheScreensOrders) {
    Screen s;
    s.app->ui->overlayMode = OVERLAY_CHANGE_BARS;
    redrawAll(*s.app);
    // Background painters, static parts in their order, the stage before the
    // panels, each panel once per bit in the paint order, the overlay, the
    // stage after it, the hover highlight, and the last stage.
    EXPECT_EQ(calls, (std::vector<Call>{{100 + PAINT_BACKGROUND, PM_PAINT, 0},
                                        {22, PM_STATIC, 0},
                                        {3, PM_STATIC, 0},
                                        {5, PM_STATIC, 0},
                                        {7, PM_STATIC, 0},
                                        {100 + PAINT_UNDER, PM_PAINT, 0},
                                        {3, PM_PAINT, DIRTY_SEQ_ROW},
                                        {3, PM_PAINT, DIRTY_TEMPO},
                                        {5, PM_PAINT, DIRTY_PADS},
                                        {7, PM_PAINT, DIRTY_GRID},
                                        {7, PM_PAINT, DIRTY_GRID_STEP},
                                        {22, PM_PAINT, DIRTY_OUT_MONITOR},
                                        {22, PM_PAINT, DIRTY_OUT_MONITOR_LIST},
                                        {18, PM_PAINT, 0},
                                        {100 + PAINT_OVER, PM_PAINT, 0},
                                        {99, PM_HILITE, 0},
                                        {100 + PAINT_TOP, PM_PAINT, 0}}));
    EXPECT_EQ(presents, 1);
    EXPECT_EQ(s.app->dirty.load(), 0u);
    EXPECT_EQ(s.at(5, 690), PALETTE[COL_BACKGROUND]);
}

TEST(Repaint, PanelsByTheirBitsOnlyAndBitsSetMeanwhileKept) {
    Screen s;
    markWhilePainting = DIRTY_SEQ_ROW;
    s.app->dirty.store(DIRTY_OUT_MONITOR_LIST | DIRTY_GRID_STEP | DIRTY_INDICATORS);
    repaint(*s.app);
    EXPECT_EQ(calls, (std::vector<Call>{{100 + PAINT_UNDER, PM_PAINT, 0},
                                        {7, PM_PAINT, DIRTY_GRID_STEP},
                                        {22, PM_PAINT, DIRTY_OUT_MONITOR_LIST},
                                        {100 + PAINT_OVER, PM_PAINT, 0},
                                        {99, PM_HILITE, 0},
                                        {100 + PAINT_TOP, PM_PAINT, 0}}));
    EXPECT_EQ(s.app->dirty.load(), DIRTY_SEQ_ROW);
}

TEST(UiTimer, FramesEvery16MsRunThePanelsFrameWorkAndLampsOutRepaint) {
    Screen s;
    static int polls;
    polls = 0;
    s.app->ui->hooks.pollEngine = [](AppState&) { ++polls; };
    s.app->ui->focusPanel = PANEL_SEQUENCE;
    s.app->ui->lastFrameMs = 1000;
    s.app->rec.inputLamp[5] = 1;
    s.app->engine.trackActivity[2] = 2;
    s.app->dirty.store(0);

    uiTimer(*s.app, 1010);  // too soon: only the poll
    EXPECT_EQ(polls, 1);
    EXPECT_TRUE(calls.empty());

    uiTimer(*s.app, 1016);
    EXPECT_EQ(polls, 2);
    EXPECT_EQ(s.app->ui->lastFrameMs, 1016u);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], (Call{3, PM_TIMER, 0}));  // the focus panel's timer message
    EXPECT_EQ(calls[1], (Call{3, PM_TIMER, 1}));  // frame work in the paint order
    EXPECT_EQ(calls[2], (Call{7, PM_TIMER, 1}));
    EXPECT_EQ(s.app->rec.inputLamp[5].load(), 0);
    EXPECT_EQ(s.app->engine.trackActivity[2].load(), 1);
    EXPECT_EQ(presents, 1);  // the input lamp going out asked for a repaint

    // The output lamp going out repaints too; after that a frame with
    // nothing changed repaints nothing.
    uiTimer(*s.app, 1032);
    EXPECT_EQ(presents, 2);
    uiTimer(*s.app, 1048);
    EXPECT_EQ(presents, 2);
    // While playing the grid is redrawn every frame.
    s.app->engine.playing.store(true);
    calls.clear();
    uiTimer(*s.app, 1064);
    EXPECT_EQ(presents, 3);
    EXPECT_NE(std::find(calls.begin(), calls.end(), Call{7, PM_PAINT, DIRTY_GRID}), calls.end());
}

TEST(PanelRegistry, ProbeRectanglesAreInclusiveAndSomeOnlyInAllTracks) {
    auto app = std::make_unique<AppState>();
    attachUi(*app);
    PanelRecord pads;
    pads.areas[0] = {181, 325, 58, 557};
    pads.areas[1] = {926, 1004, 151, 538, true};
    pads.areaCount = 2;
    registerPanel(*app, PANEL_PADS, pads);
    struct Case {
        uint32_t panel;
        int32_t x, y;
        bool allTracks, inside;
    } cases[] = {
        {PANEL_PADS, 325, 557, false, true}, {PANEL_PADS, 326, 557, false, false}, {PANEL_PADS, 950, 300, false, false},
        {PANEL_PADS, 950, 300, true, true},  {PANEL_GRID, 200, 100, false, false}, {99, 200, 100, false, false},
    };
    for (const Case& c : cases) {
        app->ui->mouseX = c.x;
        app->ui->mouseY = c.y;
        app->allTracks = c.allTracks;
        EXPECT_EQ(inPanelArea(*app, c.panel), c.inside) << "panel " << c.panel << " at " << c.x << "," << c.y;
    }
}

}  // namespace
}  // namespace qz
