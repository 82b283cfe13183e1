// The record-parameter lists of the MIDI-in panel: Velocity, T.Correct with
// Swing% and a Shift per row, and Duration. Recording and the input thread
// read these settings, so every write goes through `settingStore`.
#include <algorithm>

#include "engine/engine.h"
#include "ui/framework/panel.h"
#include "ui/screens/midi_in_panel.h"

namespace qz {

namespace {

constexpr int32_t COL_ROW_CHOSEN = COL_BUTTON_ON;
constexpr int32_t COL_VALUE_SET = 5;
constexpr int32_t COL_VALUE_ZERO = 246;

enum ListKind : uint32_t { LIST_VELOCITY, LIST_TC, LIST_DURATION };

int32_t tcRow(const AppState& app) {
    return int32_t(std::min<uint32_t>(settingLoad(app.settings.tcIndex), TC_ROW_COUNT - 1));
}

// The shift of a T.Correct row, read and written as single words.
int32_t loadShift(const AppState& app, int32_t row) {
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(app.settings.shift[row])).load(std::memory_order_relaxed);
}
void storeShift(AppState& app, int32_t row, int32_t v) {
    std::atomic_ref<int32_t>(app.settings.shift[row]).store(v, std::memory_order_relaxed);
}

bool swingOffered(const AppState& app) { return !allTracksRecording(app) && TC_SWING[tcRow(app)]; }
bool shiftOffered(const AppState& app) { return !allTracksRecording(app) && tcRow(app) != 0; }

// A press in a list chooses the row under the pointer.
uint32_t listHandler(AppState& app, uint32_t msg, uint32_t) {
    if (msg != PM_LDOWN) return msg;
    const int32_t y = app.ui->mouseY;
    switch (app.ui->hoverHandler.a) {
        case LIST_VELOCITY:
            settingStore(app.settings.recVelocity, uint32_t(std::clamp((y - 308) / 16, 0, VELOCITY_ROWS - 1)));
            markDirty(app, DIRTY_MIDI_IN);
            break;
        case LIST_TC:
            settingStore(app.settings.tcIndex, uint32_t(std::clamp((y - 306) / 16, 0, TC_ROW_COUNT - 1)));
            // The grid's step follows the T.Correct row.
            markDirty(app, DIRTY_MIDI_IN | DIRTY_GRID);
            break;
        case LIST_DURATION:
            settingStore(app.settings.recDuration, uint32_t(std::clamp((y - 308) / 16, 0, DURATION_ROWS - 1)));
            markDirty(app, DIRTY_MIDI_IN);
            break;
        default:
            return msg;
    }
    return 0;
}

void drawSwing(AppState& app, bool hovered);
void drawShift(AppState& app, bool hovered);

// Swing% (a 0) and Shift (a 1): the wheel steps them, the highlight shows
// the pointer.
uint32_t tcFieldHandler(AppState& app, uint32_t msg, uint32_t arg) {
    if (msg == PM_LEAVE) {
        markDirty(app, DIRTY_MIDI_IN);
        return 0;
    }
    if (app.ui->hoverHandler.proc != tcFieldHandler) return msg;
    const bool swing = app.ui->hoverHandler.a == 0;
    if (msg == PM_HILITE) {
        if (swing)
            drawSwing(app, true);
        else
            drawShift(app, true);
        return 0;
    }
    if (msg != PM_WHEEL) return msg;
    if (swing) {
        uint32_t v = settingLoad(app.settings.swing);
        stepValue(v, 0, 25, int32_t(arg));
        settingStore(app.settings.swing, v);
    } else {
        const int32_t row = tcRow(app);
        int32_t v = loadShift(app, row);
        stepValue(v, -TC_SHIFT_LIMIT[row], TC_SHIFT_LIMIT[row], int32_t(arg));
        storeShift(app, row, v);
    }
    markDirty(app, DIRTY_MIDI_IN);
    return 0;
}

void drawValueField(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, bool hovered, bool nonZero) {
    fieldBox(dc, x, y, w, h, hovered ? COL_HOVER : nonZero ? COL_VALUE_SET : COL_VALUE_ZERO);
}

void drawSwing(AppState& app, bool hovered) {
    DrawContext& dc = app.ui->draw;
    const int32_t v = int32_t(settingLoad(app.settings.swing));
    drawValueField(dc, 72, 433, 30, 18, hovered, v != 0);
    selectFont(dc, FONT_ARIAL_16);
    drawNumberBlank(dc, 79, 434, v + 50, 99, COL_PANEL_TEXT);
}

void drawShift(AppState& app, bool hovered) {
    DrawContext& dc = app.ui->draw;
    const int32_t v = loadShift(app, tcRow(app));
    drawValueField(dc, 67, 469, 40, 18, hovered, v != 0);
    selectFont(dc, FONT_ARIAL_16);
    drawSigned(dc, 74, 470, v, 99, COL_PANEL_TEXT);
}

// One list: its rows with the chosen one on a band; `onlyRow` >= 0 shows that
// row alone (the ALL TRACKS recording look).
void drawList(DrawContext& dc, int32_t bandX, int32_t bandW, int32_t textX, int32_t firstY, const char* const* labels,
              int32_t rows, int32_t chosen, int32_t onlyRow) {
    fillRect(dc, bandX, firstY, bandW, 16 * rows + 1, COL_PANEL);
    selectFont(dc, FONT_ARIAL_14);
    for (int32_t r = 0; r < rows; ++r) {
        if (onlyRow >= 0 && r != onlyRow) continue;
        if (r == chosen) fillRect(dc, bandX, firstY + 16 * r, bandW, 17, COL_ROW_CHOSEN);
        drawText(dc, textX, firstY + 16 * r + 2, labels[r], COL_PANEL_TEXT);
    }
}

}  // namespace

bool allTracksRecording(const AppState& app) {
    const EngineState& e = app.engine;
    return app.allTracks && e.recordMode.load(std::memory_order_relaxed) != RECORD_OFF &&
           e.playing.load(std::memory_order_relaxed);
}

void probeRecordParams(AppState& app) {
    hitTest(app, listHandler, LIST_VELOCITY, 0, 2, 303, 51, 16 * VELOCITY_ROWS);
    if (allTracksRecording(app)) return;
    hitTest(app, listHandler, LIST_TC, 0, 57, 304, 60, 112);
    hitTest(app, listHandler, LIST_DURATION, 0, 119, 304, 60, 192);
    if (swingOffered(app)) hitTest(app, tcFieldHandler, 0, 0, 72, 433, 30, 18);
    if (shiftOffered(app)) hitTest(app, tcFieldHandler, 1, 0, 67, 469, 40, 18);
}

void drawRecordParamsStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const struct {
        int32_t x, w, titleX;
        const char* title;
    } frames[3] = {{1, 53, 6, "Velocity"}, {56, 60, 59, "T.Correct"}, {119, 60, 126, "Duration"}};
    selectFont(dc, FONT_ARIAL_14);
    for (const auto& f : frames) {
        fillRect(dc, f.x, 285, f.w, 212, COL_PANEL);
        frameRect(dc, f.x, 285, f.w, 212, COL_BEVEL_DARK);
        drawText(dc, f.titleX, 286, f.title, COL_PANEL_TEXT);
    }
}

void drawRecordParams(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const bool allRec = allTracksRecording(app);
    drawList(dc, 2, 51, 6, 303, VELOCITY_LABELS, VELOCITY_ROWS, int32_t(settingLoad(app.settings.recVelocity)), -1);
    // The T.Correct rows stop where Swing% begins; the list is drawn first so
    // that the fields below stay on top.
    drawList(dc, 57, 58, 69, 304, TC_LABELS, TC_ROW_COUNT, allRec ? 0 : tcRow(app), allRec ? 0 : -1);
    drawList(dc, 120, 58, 124, 304, DURATION_LABELS, DURATION_ROWS,
             allRec ? 0 : int32_t(settingLoad(app.settings.recDuration)), allRec ? 0 : -1);
    // Swing% and Shift: shown only where they apply.
    fillRect(dc, 57, 417, 58, 78, COL_PANEL);
    selectFont(dc, FONT_ARIAL_14);
    if (swingOffered(app)) {
        drawText(dc, 60, 415, "Swing%", COL_PANEL_TEXT);
        drawSwing(app, isHovered(app, tcFieldHandler, 0, 0));
    }
    if (shiftOffered(app)) {
        selectFont(dc, FONT_ARIAL_14);
        drawText(dc, 69, 451, "Shift", COL_PANEL_TEXT);
        drawShift(app, isHovered(app, tcFieldHandler, 1, 0));
    }
}

}  // namespace qz
