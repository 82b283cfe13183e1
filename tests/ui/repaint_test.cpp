// The repaint orchestrator and the UI frame: what is drawn, in which order,
// and when nothing is.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"

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

uint32_t hoverElement(AppState&, uint32_t msg, uint32_t arg) {
    calls.push_back({99, msg, arg});
    return msg;
}

struct Screen {
    std::unique_ptr<AppState> app = std::make_unique<AppState>();
    Screen() {
        calls.clear();
        presents = 0;
        markWhilePainting = 0;
        EXPECT_TRUE(initDrawContext(app->ui.draw, CANVAS_MIN_WIDTH, CANVAS_MIN_HEIGHT));
        auto& p = app->ui.panels;
        p[2] = recordingPanel<2>;
        p[3] = recordingPanel<3>;
        p[4] = recordingPanel<4>;
        p[5] = recordingPanel<5>;
        p[6] = recordingPanel<6>;
        p[7] = recordingPanel<7>;
        p[10] = recordingPanel<10>;
        p[11] = recordingPanel<11>;
        p[12] = recordingPanel<12>;
        p[13] = recordingPanel<13>;
        p[16] = recordingPanel<16>;
        p[18] = recordingPanel<18>;
        p[19] = recordingPanel<19>;
        p[20] = recordingPanel<20>;
        p[21] = recordingPanel<21>;
        p[22] = recordingPanel<22>;
        app->ui.hooks.present = [](AppState&) { ++presents; };
        app->ui.hoverHandler = HoverHandler{hoverElement, 0, 0};
    }
    uint32_t at(int32_t x, int32_t y) const {
        return app->ui.draw.pixels[static_cast<size_t>(y) * app->ui.draw.width + x];
    }
};

TEST(Repaint, NothingAtAllWithoutDirtyBits) {
    Screen s;
    fillCanvas(s.app->ui.draw, 8);
    s.app->dirty.store(0);
    s.app->engine.position.store(777);
    repaint(*s.app);
    for (uint32_t p : s.app->ui.draw.pixels) ASSERT_EQ(p, PALETTE[8]);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(presents, 0);
    EXPECT_EQ(s.app->engine.cursor, 0);
}

TEST(Repaint, FullRedrawOrderAndFixedParts) {
    for (uint32_t thru : {1u, 0u}) {
        Screen s;
        s.app->settings.midiThru = thru;
        s.app->engine.position.store(385);
        redrawAll(*s.app);
        const std::vector<Call> statics = {{10, PM_STATIC, 0}, {22, PM_STATIC, 0}, {3, PM_STATIC, 0},
                                           {4, PM_STATIC, 0},  {16, PM_STATIC, 0}, {21, PM_STATIC, 0},
                                           {5, PM_STATIC, 0},  {20, PM_STATIC, 0}, {7, PM_STATIC, 0}};
        ASSERT_GE(calls.size(), statics.size());
        EXPECT_EQ(std::vector<Call>(calls.begin(), calls.begin() + 9), statics);
        const std::vector<Call> paints(calls.begin() + 9, calls.end());
        const std::vector<Call> expected = {
            {10, PM_PAINT, DIRTY_IN_MONITOR}, {10, PM_PAINT, DIRTY_REC_PARAMS},
            {10, PM_PAINT, DIRTY_MIDI_IN},    {3, PM_PAINT, DIRTY_SEQ_ROW},
            {4, PM_PAINT, DIRTY_TRACK_ROW},   {3, PM_PAINT, DIRTY_TEMPO},
            {5, PM_PAINT, DIRTY_PADS},        {4, PM_PAINT, DIRTY_PADS},
            {6, PM_PAINT, DIRTY_GRID | DIRTY_GRID_STEP}, {7, PM_PAINT, DIRTY_GRID | DIRTY_GRID_STEP},
            {16, PM_PAINT, DIRTY_METRONOME},  {12, PM_PAINT, DIRTY_TRANSPORT},
            {20, PM_PAINT, DIRTY_MIXER},      {21, PM_PAINT, DIRTY_TRACK_MESSAGES},
            {22, PM_PAINT, DIRTY_OUT_MONITOR}, {22, PM_PAINT, DIRTY_OUT_MONITOR_LIST},
            {99, PM_HILITE, 0}};
        EXPECT_EQ(paints, expected);
        EXPECT_EQ(presents, 1);
        EXPECT_EQ(s.app->dirty.load(), 0u);

        EXPECT_EQ(s.at(5, 690), PALETTE[COL_BACKGROUND]);
        EXPECT_EQ(s.at(180, 10), PALETTE[COL_PANEL]);  // the thru line from the inputs
        EXPECT_EQ(s.at(499, 16), PALETTE[COL_PANEL]);
        EXPECT_EQ(s.at(500, 13), PALETTE[COL_PANEL]);  // the arrow's tip row
        EXPECT_EQ(s.at(1000, 12), PALETTE[thru ? COL_PANEL : COL_BACKGROUND]);
        EXPECT_EQ(s.at(780, 12), PALETTE[COL_PANEL]);
        EXPECT_EQ(s.at(801, 6), PALETTE[thru ? COL_BACKGROUND : COL_WHITE]);  // the input indicator's X
        // Position counter: dark blue box, white dots of 002.01.01.
        EXPECT_EQ(s.at(181, 26), PALETTE[COL_POSITION_BG]);
        EXPECT_EQ(s.at(325, 56), PALETTE[COL_POSITION_BG]);
        EXPECT_EQ(s.at(239, 47), PALETTE[COL_WHITE]);
        EXPECT_EQ(s.at(280, 51), PALETTE[COL_WHITE]);
        EXPECT_EQ(s.app->engine.cursor, 385);
        EXPECT_EQ(s.app->engine.bar, 1);
        EXPECT_EQ(s.app->engine.tickInBeat, 1);
    }
}

TEST(Repaint, PanelsByBitOnly) {
    Screen s;
    s.app->ui.trackMuteMode = true;
    s.app->dirty.store(DIRTY_OUT_MONITOR_LIST | DIRTY_GRID | DIRTY_PADS | DIRTY_IN_MONITOR | DIRTY_INDICATORS);
    repaint(*s.app);
    EXPECT_EQ(calls, (std::vector<Call>{{10, PM_PAINT, DIRTY_IN_MONITOR},
                                        {5, PM_PAINT, DIRTY_PADS},
                                        {4, PM_PAINT, DIRTY_PADS},
                                        {7, PM_PAINT, DIRTY_GRID},
                                        {22, PM_PAINT, DIRTY_OUT_MONITOR_LIST},
                                        {99, PM_HILITE, 0}}));

    // The step editor only in its view; the track column only in ALL TRACKS;
    // an open overlay on every repaint, after the panels.
    calls.clear();
    s.app->ui.trackMuteMode = false;
    s.app->ui.overlayMode = OVERLAY_CHANGE_BARS;
    s.app->dirty.store(DIRTY_GRID_STEP | DIRTY_TRACK_COLUMN);
    repaint(*s.app);
    EXPECT_EQ(calls, (std::vector<Call>{{6, PM_PAINT, DIRTY_GRID_STEP},
                                        {7, PM_PAINT, DIRTY_GRID_STEP},
                                        {18, PM_PAINT, 0},
                                        {99, PM_HILITE, 0}}));
    calls.clear();
    s.app->ui.stepEditView = true;
    s.app->allTracks = true;
    s.app->ui.overlayMode = OVERLAY_NONE;
    s.app->dirty.store(DIRTY_GRID_STEP | DIRTY_TRACK_COLUMN);
    repaint(*s.app);
    EXPECT_EQ(calls, (std::vector<Call>{{6, PM_PAINT, DIRTY_GRID_STEP},
                                        {7, PM_PAINT, DIRTY_GRID_STEP},
                                        {7, PM_PAINT, DIRTY_TRACK_COLUMN},
                                        {11, PM_PAINT, DIRTY_GRID_STEP},
                                        {99, PM_HILITE, 0}}));
}

TEST(Repaint, BitsSetDuringTheRepaintAreKept) {
    Screen s;
    markWhilePainting = DIRTY_TEMPO;
    s.app->dirty.store(DIRTY_SEQ_ROW);
    repaint(*s.app);
    EXPECT_EQ(s.app->dirty.load(), DIRTY_TEMPO);
}

TEST(Repaint, LampsWaitBoxAndCounterOverride) {
    Screen s;
    s.app->ui.outLamp[1] = 3;
    s.app->ui.inLamp[3] = 2;
    s.app->ui.hooks.waitingForNote = [](const AppState&) { return true; };
    s.app->ui.hooks.counterTick = [](AppState&) { return 384 * 4; };
    static std::vector<std::string> texts;
    texts.clear();
    TextRenderer r;
    r.drawText = [](void*, DrawContext&, int32_t, int32_t, const char* text, int32_t n) {
        texts.emplace_back(text, n);
    };
    installTextRenderer(s.app->ui.draw, r);
    s.app->dirty.store(DIRTY_INDICATORS);
    repaint(*s.app);
    // Stopped, the counter shows the grid's pointed tick (bar 5), not the cursor.
    EXPECT_EQ(texts, (std::vector<std::string>{"005", "01", "00", "Wait for any MIDI in note"}));
    EXPECT_EQ(s.at(1010, 150), PALETTE[COL_LAMP_LIT]);
    EXPECT_EQ(s.at(1014, 170), PALETTE[COL_LAMP_LIT]);
    EXPECT_EQ(s.at(1010, 173), PALETTE[COL_LAMP_DARK]);
    EXPECT_EQ(s.at(1186, 150), PALETTE[COL_BACKGROUND]);
    EXPECT_EQ(s.at(1189, 150 + 46), PALETTE[COL_LAMP_LIT]);
    EXPECT_EQ(s.at(524, 330), PALETTE[COL_WHITE]);
    EXPECT_EQ(s.at(525, 383), PALETTE[COL_WHITE]);
    EXPECT_EQ(s.at(600, 360), PALETTE[COL_BACKGROUND]);

    // In the step editor view the lamps are left alone.
    fillCanvas(s.app->ui.draw, 8);
    s.app->ui.stepEditView = true;
    s.app->dirty.store(DIRTY_INDICATORS);
    repaint(*s.app);
    EXPECT_EQ(s.at(1010, 150), PALETTE[8]);
}

TEST(UiTimer, FramesEvery16MsCountDownLamps) {
    Screen s;
    static int polls;
    polls = 0;
    s.app->ui.hooks.pollEngine = [](AppState&) { ++polls; };
    s.app->ui.focusPanel = PANEL_TRANSPORT;
    s.app->ui.lastFrameMs = 1000;
    s.app->ui.inLamp[5] = 1;
    s.app->ui.outLamp[2] = 2;
    s.app->dirty.store(0);

    uiTimer(*s.app, 1010);  // too soon: only the poll
    EXPECT_EQ(polls, 1);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(s.app->ui.inLamp[5].load(), 1);

    uiTimer(*s.app, 1016);
    EXPECT_EQ(polls, 2);
    EXPECT_EQ(s.app->ui.lastFrameMs, 1016u);
    EXPECT_EQ(calls.front(), (Call{12, PM_TIMER, 0}));
    EXPECT_EQ(s.app->ui.inLamp[5].load(), 0);
    EXPECT_EQ(s.app->ui.outLamp[2].load(), 1);
    EXPECT_EQ(presents, 1);  // the lamp going out asked for a repaint
    EXPECT_EQ(s.at(1186, 150 + 4 * 23), PALETTE[COL_BACKGROUND]);

    // The output lamp going out repaints too; after that a frame with
    // nothing changed repaints nothing.
    uiTimer(*s.app, 1032);
    EXPECT_EQ(presents, 2);
    EXPECT_EQ(s.at(1010, 150 + 23), PALETTE[COL_LAMP_DARK]);
    uiTimer(*s.app, 1048);
    EXPECT_EQ(presents, 2);
    // While playing the grid is redrawn every frame.
    s.app->engine.playing.store(true);
    calls.clear();
    uiTimer(*s.app, 1064);
    EXPECT_EQ(presents, 3);
    EXPECT_NE(std::find(calls.begin(), calls.end(), Call{7, PM_PAINT, DIRTY_GRID}), calls.end());
}

}  // namespace
}  // namespace qz

namespace qz {
namespace {

TEST(PanelArea, ProbeRectanglesAreInclusive) {
    auto app = std::make_unique<AppState>();
    struct Case {
        uint32_t panel;
        int32_t x, y;
        bool allTracks, inside;
    } cases[] = {
        {PANEL_SEQUENCE, 1183, 56, false, true}, {PANEL_SEQUENCE, 1184, 56, false, false},
        {PANEL_PADS, 950, 300, false, false},    {PANEL_PADS, 950, 300, true, true},
        {PANEL_MIDI_IN, 700, 10, false, true},   {99, 5, 5, false, false},
    };
    for (const Case& c : cases) {
        app->ui.mouseX = c.x;
        app->ui.mouseY = c.y;
        app->allTracks = c.allTracks;
        EXPECT_EQ(inPanelArea(*app, c.panel), c.inside) << "panel " << c.panel << " at " << c.x << "," << c.y;
    }
}

}  // namespace
}  // namespace qz
