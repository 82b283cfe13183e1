// What the screen shows outside the panels: the line from the MIDI inputs to
// the thru output with its input indicator, the position counter, the track
// activity lamps beside the mixer, and the notice while the transport waits
// for a key.
#include "engine/engine.h"
#include "ui/framework/panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

// The line from the MIDI inputs to the thru output (full repaints).
void drawThruLine(AppState& app) {
    DrawContext& dc = app.ui->draw;
    selectFont(dc, FONT_ARIAL_22_8);
    drawText(dc, 510, 2, "MIDI Thru Out", COL_WHITE);
    drawGlyph(dc, 500, 8, GLYPH_RIGHT_11, COL_PANEL);
    fillRect(dc, 180, 10, 320, 7, COL_PANEL);
    if (app.settings.midiThru != 0) {
        fillRect(dc, 770, 10, 410, 7, COL_PANEL);
        drawGlyph(dc, 1180, 8, GLYPH_RIGHT_11, COL_PANEL);
    } else {
        fillRect(dc, 770, 10, 20, 7, COL_PANEL);
        drawGlyph(dc, 790, 8, GLYPH_RIGHT_11, COL_PANEL);
    }
}

// While thru is off, the input indicator blanks its cross while input arrives.
void drawInputIndicator(AppState& app) {
    if (app.settings.midiThru != 0) return;
    DrawContext& dc = app.ui->draw;
    if (app.rec.inputIndicator.load(std::memory_order_relaxed) != 0)
        fillRect(dc, 800, 6, 20, 16, COL_BACKGROUND);
    else
        drawGlyph(dc, 800, 6, GLYPH_X_15, COL_WHITE);
}

// The large BAR.BEAT.TICK display at the top left (every repaint). The
// engine's cursor fields it sets are what the panels read in this repaint.
void drawPositionCounter(AppState& app) {
    EngineState& e = app.engine;
    e.cursor = e.position.load(std::memory_order_relaxed);
    e.bar = e.cursor / TICKS_PER_BAR;
    e.beat = e.cursor % TICKS_PER_BAR / 96;
    e.tickInBeat = e.cursor % 96;
    fillRect(app.ui->draw, 180, 25, 146, 32, COL_POSITION_BG);
    drawPositionLarge(app.ui->draw, 187, 23, e.cursor, COL_WHITE);
}

// "Wait for any MIDI in note" while a start waits for the first key.
void drawWaitNotice(AppState& app) {
    screens(app).waitNoticeShown = app.engine.waitingForKey.load(std::memory_order_relaxed);
    if (!screens(app).waitNoticeShown) return;
    DrawContext& dc = app.ui->draw;
    frameRect(dc, 524, 330, 200, 54, COL_WHITE);
    frameRect(dc, 525, 331, 198, 52, COL_WHITE);
    fillRect(dc, 526, 332, 196, 50, COL_BACKGROUND);
    selectFont(dc, FONT_ARIAL_22_8);
    drawText(dc, 531, 347, "Wait for any MIDI in note", COL_WHITE);
}

// Output and input lamps of the 16 tracks beside the mixer: lit by the tick
// and by the MIDI input, counted down by the engine's display refresh.
void drawActivityLamps(AppState& app) {
    if (app.ui->stepEditView || screens(app).drumNameMode) return;
    DrawContext& dc = app.ui->draw;
    for (int32_t t = 1; t <= 16; ++t) {
        const int32_t y = 150 + 23 * (t - 1);
        const bool out = app.engine.trackActivity[t].load(std::memory_order_relaxed) != 0;
        const bool in = app.rec.inputLamp[t].load(std::memory_order_relaxed) != 0;
        fillRect(dc, 1010, y, 5, 21, out ? COL_LAMP_LIT : COL_LAMP_DARK);
        fillRect(dc, 1186, y, 4, 21, in ? COL_LAMP_LIT : COL_BACKGROUND);
    }
}

}  // namespace

void installIndicators(AppState& app) {
    registerPainter(app, PAINT_BACKGROUND, drawThruLine);
    registerPainter(app, PAINT_UNDER, drawInputIndicator);
    registerPainter(app, PAINT_UNDER, drawPositionCounter);
    registerPainter(app, PAINT_OVER, drawWaitNotice);
    registerPainter(app, PAINT_TOP, drawActivityLamps);
}

}  // namespace qz
