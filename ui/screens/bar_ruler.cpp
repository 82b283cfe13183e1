// The bar ruler (panel 6): the loop strip and the bar-number strip above the
// grid, bar paste mode, and below the grid the position strip with its
// marker and "Erase", and the end button; the start button at the foot of
// the left column shares the code.
//
// Sections: geometry and the loop; the loop strip; the bar-number strip and
// its menu; paste mode; the position strip and the marker; the start and
// end buttons; painting; the panel.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"
#include "ui/screens/bar_ruler.h"
#include "ui/screens/grid_view.h"
#include "ui/screens/menus.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr uint32_t DIRTY_RULER = DIRTY_GRID | DIRTY_GRID_STEP;
constexpr int32_t LOOP_STRIP_COLOUR = COL_BEVEL_DARK;
constexpr int32_t LOOP_COLOUR = COL_LAMP_LIT;
constexpr int32_t STRIP_COLOUR = COL_EMPTY_MARK;
constexpr int32_t RULE_COLOUR = COL_BLACK;
constexpr int32_t MARKER_COLOUR = COL_GLYPH_INK;
constexpr int32_t END_X = 964, END_Y = 539, END_W = 41, END_H = 19;
constexpr int32_t START_X = 180, START_Y = 539, START_W = 145, START_H = 19;

// ---- Geometry and the loop -----------------------------------------------------------

BarRulerState& ruler(AppState& app) { return screens(app).barRuler; }
bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }
bool loopOn(const AppState& app) { return app.engine.loopOn.load(std::memory_order_relaxed); }
bool loopEdit(const AppState& app) { return app.rec.loopEdit.load(std::memory_order_relaxed); }
Tick position(const AppState& app) { return app.engine.position.load(std::memory_order_relaxed); }
int32_t pointerX(const AppState& app) { return app.ui->mouseX; }

// Put the loop on bars [start, start + bars) inside the sequence, or turn it
// off, and derive its ticks.
void applyLoop(AppState& app, bool on, int32_t start, int32_t bars) {
    EngineState& e = app.engine;
    const int32_t seqBars = int32_t(app.seq->bars);
    if (on) {
        e.loopStartBar = std::clamp(start, 0, seqBars - 1);
        e.loopBars = std::clamp(bars, 1, seqBars - e.loopStartBar);
    }
    e.loopOn.store(on, std::memory_order_relaxed);
    computeLoopPoints(app);
}

// The loop bar's ends on screen.
struct LoopSpan {
    int32_t x1, x2;
};
LoopSpan loopSpan(const AppState& app, const GridWindow& w) {
    const int32_t x1 = (app.engine.loopStartBar - w.firstBar) * w.barWidth + GRID_X;
    return {x1, x1 + app.engine.loopBars * w.barWidth};
}

// ---- The loop strip --------------------------------------------------------------------

// A left press on the loop strip (also what the other strips pass on while
// the loop plays). A press on either end only arms the drag that follows.
void loopPress(AppState& app) {
    const int32_t mode = app.engine.recordMode.load(std::memory_order_relaxed);
    if (loopEdit(app) || (isPlaying(app) && app.allTracks && (mode == 1 || mode == 2))) return;
    if (ensureSequence(app) != 0) return;
    const GridWindow w = gridWindow(app);
    const int32_t x = pointerX(app), b = barAtX(w, x);
    if (loopOn(app)) {
        const LoopSpan s = loopSpan(app, w);
        if (std::abs(x - s.x2) < 7 || (x >= s.x1 && x < s.x1 + 7)) {
            ruler(app).loopArmed = std::abs(x - s.x2) < 7 ? 2 : 1;
            return;
        }
        if (x >= s.x1 && x < s.x2) {
            applyLoop(app, false, 0, 0);
            return;
        }
    }
    applyLoop(app, true, b, 1);
    const EngineState& e = app.engine;
    const Tick pos = position(app);
    if (pos < e.loopStartTick || pos >= e.loopEndTick) locateBar(app, e.loopStartBar);
}

// Is the pointer on an end of the loop (which: 1 start, 2 end)?
bool nearLoopEnd(AppState& app, int32_t& which) {
    if (!loopOn(app)) return false;
    const LoopSpan s = loopSpan(app, gridWindow(app));
    const int32_t x = pointerX(app);
    which = std::abs(x - s.x2) < 7 ? 2 : std::abs(x - s.x1) < 7 ? 1 : 0;
    return which != 0;
}

uint32_t loopStrip(AppState& app, uint32_t msg, uint32_t) {
    BarRulerState& r = ruler(app);
    switch (msg) {
        case PM_LDOWN:
            r.loopArmed = 0;
            loopPress(app);
            return 0;
        case PM_LDRAG:
            // The end pressed follows the pointer.
            if (r.loopDrag == 0 && loopOn(app)) r.loopDrag = r.loopArmed;
            if (r.loopDrag) setCursorShape(app, CURSOR_SIZE_LR);
            return 0;
        case PM_LUP: {
            r.loopArmed = 0;
            if (r.loopDrag == 0) return 0;
            const GridWindow w = gridWindow(app);
            const int32_t b = barAtX(w, std::clamp(pointerX(app), GRID_X, 902));
            const EngineState& e = app.engine;
            if (r.loopDrag == 1)
                applyLoop(app, true, b, std::max(1, e.loopStartBar + e.loopBars - b));
            else
                applyLoop(app, true, e.loopStartBar, std::abs(b - e.loopStartBar) + 1);
            r.loopDrag = 0;
            return 0;
        }
        case PM_RDOWN:
            if (!loopEdit(app)) applyLoop(app, false, 0, 0);
            return 0;
        case PM_CURSOR: {
            int32_t which = 0;
            setCursorShape(app, nearLoopEnd(app, which) || r.loopDrag ? CURSOR_SIZE_LR : CURSOR_ARROW);
            return 0;
        }
        default: return msg;
    }
}

// ---- The bar-number strip and its menu -------------------------------------------------

void setHighlight(AppState& app) {
    BarRulerState& r = ruler(app);
    const GridWindow w = gridWindow(app);
    r.selBars = r.barSelEnd - r.barSelFirst + 1;
    r.selX = (r.barSelFirst - w.firstBar) * w.barWidth + GRID_X - 1;
    r.selWidth = w.barWidth * r.selBars + 3;
}

// A destructive bar edit, with its undo copy first.
template <typename Edit>
void withUndo(AppState& app, Edit edit) {
    if (ensureSequence(app) == 0 && snapshotForUndo(app) == 0) edit();
}

void pasteAt(AppState& app, int32_t bar, bool undoCopy) {
    if (ensureSequence(app) != 0) return;
    locateBar(app, bar);
    if (undoCopy && snapshotForUndo(app) != 0) return;
    pasteBars(app, bar);
    flushErrors(app);
}

// The menu at the end of a right-button selection, on bars [first, end).
void barMenu(AppState& app) {
    BarRulerState& r = ruler(app);
    UiState& ui = *app.ui;
    r.barSelecting = false;
    const int32_t first = r.barSelFirst, end = ++r.barSelEnd;
    const bool copied = app.clipboard.mode == CLIP_BARS;
    const MenuDef& menu = app.allTracks ? (copied ? ALL_BAR_MENU2 : ALL_BAR_MENU1) : (copied ? BAR_MENU2 : BAR_MENU1);
    switch (popupMenu(app, menu)) {
        case MENU_ERASE: withUndo(app, [&] { eraseBars(app, first, end); }); break;
        case MENU_DELETE: withUndo(app, [&] { deleteBars(app, first, end); }); break;
        // The table's other erases and the insert change the sequence too, so
        // they take their undo copy like every destructive edit.
        case MENU_ERASE_CONTROL: withUndo(app, [&] { eraseBarsControllers(app, first, end); }); break;
        case MENU_ERASE_BEND: withUndo(app, [&] { eraseBarsBend(app, first, end); }); break;
        case MENU_ERASE_PRESSURE: withUndo(app, [&] { eraseBarsPressure(app, first, end); }); break;
        case MENU_INSERT: withUndo(app, [&] { insertBlankBars(app, first, end); }); break;
        case MENU_COPY:
            copyBars(app, first, end);
            r.pasteGhostWidth = r.selWidth;
            break;
        case MENU_PASTE:
            ui.pasteMode = 1;
            pasteAt(app, barAtX(gridWindow(app), pointerX(app)), true);
            break;
        case MENU_CANCEL: break;
        default: r.barMenuSuppress = true; break;
    }
    flushErrors(app);
    ui.leftHeld = ui.rightHeld = 0;
    movePointer(app, r.selX + gridWindow(app).barWidth / 4, 122);
    markDirty(app, DIRTY_ALL);
}

int32_t barUnderPointer(AppState& app) {
    return barAtX(gridWindow(app), std::clamp(pointerX(app), GRID_X, GRID_X + GRID_WIDTH - 1));
}

uint32_t barStrip(AppState& app, uint32_t msg, uint32_t arg) {
    BarRulerState& r = ruler(app);
    switch (msg) {
        case PM_LDOWN:
            if (ensureSequence(app) != 0) return 0;
            if (isPlaying(app) && loopOn(app)) loopPress(app);
            locateBar(app, barUnderPointer(app));
            return 0;
        case PM_RDOWN: {
            if (r.barMenuSuppress) return 0;
            const int32_t b = barUnderPointer(app);
            if (isPlaying(app)) {
                if (loopOn(app))
                    loopStrip(app, PM_RDOWN, 0);
                else
                    locateBar(app, b);
                return 0;
            }
            if (ensureSequence(app) != 0) return 0;
            r.barSelAnchor = r.barSelFirst = r.barSelEnd = b;
            locateBar(app, b);
            setHighlight(app);
            r.barSelecting = true;
            return 0;
        }
        case PM_RDRAG: {
            if (!r.barSelecting) return 0;
            const int32_t b = barUnderPointer(app);
            r.barSelFirst = std::min(r.barSelAnchor, b);
            r.barSelEnd = std::max(r.barSelAnchor, b);
            setHighlight(app);
            return 0;
        }
        case PM_RUP:
            if (r.barMenuSuppress) {
                r.barMenuSuppress = false;
                return 0;
            }
            if (!isPlaying(app) && r.barSelecting) barMenu(app);
            return 0;
        case PM_WHEEL: scrollViewToBar(app, app.firstBar + int32_t(arg)); return 0;
        case PM_LEAVE:
            r.barSelecting = false;
            r.barMenuSuppress = false;
            markDirty(app, DIRTY_RULER);
            return 0;
        default: return msg;
    }
}

// ---- Paste mode --------------------------------------------------------------------------

void endPasteMode(AppState& app) {
    app.ui->pasteMode = 0;
    markDirty(app, DIRTY_ALL);
}

// The pointer at a side of the grid scrolls the view a bar and steps back
// from the edge. A ghost wider than the view cannot be kept in it: then only
// the pointer itself at the edge scrolls.
bool pasteEdgeScroll(AppState& app) {
    const UiState& ui = *app.ui;
    const int32_t x = ui.mouseX, ghost = ruler(app).pasteGhostWidth;
    const int32_t reach = ghost + 48 < GRID_WIDTH ? ghost : 0;
    if (x >= GRID_X && x + reach + 24 >= 913 && app.firstBar + gridWindow(app).visibleBars < int32_t(app.seq->bars)) {
        scrollViewToBar(app, app.firstBar + 1);
        movePointer(app, x - 24, ui.mouseY);
        return true;
    }
    if (x < GRID_X && app.firstBar > 0) {
        scrollViewToBar(app, app.firstBar - 1);
        movePointer(app, 360, ui.mouseY);
        return true;
    }
    return false;
}

// The ghost stands on the bar under the pointer.
void placeGhost(AppState& app) {
    BarRulerState& r = ruler(app);
    const GridWindow w = gridWindow(app);
    r.selX = (barUnderPointer(app) - w.firstBar) * w.barWidth + GRID_X - 1;
}

uint32_t pasteArea(AppState& app, uint32_t msg, uint32_t) {
    UiState& ui = *app.ui;
    if (!ui.pasteMode) return msg;
    switch (msg) {
        case PM_LDOWN:
            if (ui.mouseX >= 337 && ui.mouseX <= 911 && ui.mouseY >= 113 && ui.mouseY <= 406)
                pasteAt(app, barUnderPointer(app), true);
            else
                endPasteMode(app);
            return 0;
        case PM_REPEAT: {
            pasteAt(app, barUnderPointer(app), false);
            pasteEdgeScroll(app);
            placeGhost(app);
            redrawAll(app);
            const UiPlatform& p = ui.platform;
            if (p.presentNow) p.presentNow(p.user);
            if (p.waitMs) p.waitMs(p.user, 100);
            return 0;
        }
        case PM_LEAVE: endPasteMode(app); return 0;
        case PM_LUP: return 0;
        case PM_CURSOR: setCursorShape(app, CURSOR_ARROW); return 0;
        default: return msg;
    }
}

// ---- The position strip and the marker ----------------------------------------------------

uint32_t positionStrip(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_LDOWN: {
            if (ensureSequence(app) != 0) return 0;
            if (isPlaying(app) && loopOn(app)) {
                loopPress(app);
                return 0;
            }
            const GridWindow w = gridWindow(app);
            Tick t = tickAtX(w, pointerX(app));
            if (w.visibleBars <= 2) {
                const int32_t q = timingCorrectStep(settingLoad(app.settings.tcIndex));
                t = t / q * q;
            } else if (w.visibleBars == 4) {
                t = t / TICKS_PER_QUARTER * TICKS_PER_QUARTER;
            } else {
                t = t / TICKS_PER_BAR * TICKS_PER_BAR;
            }
            locateTick(app, t);
            return 0;
        }
        case PM_WHEEL: scrollViewToBar(app, app.firstBar + int32_t(arg)); return 0;
        default: return msg;
    }
}

// The marker's x, or -1 when the position lies outside the view.
int32_t markerX(const AppState& app) {
    const GridWindow w = gridWindow(app);
    const Tick pos = position(app);
    if (pos < w.viewStart || pos > w.viewEnd) return -1;
    const bool drumView = !app.allTracks && app.seq->tracks[app.currentTrack % TRACK_RECORDS].type == TRACK_TYPE_DRUM;
    return xOfTick(w, pos) + (drumView ? 4 : 0);
}

// A drag of the marker: locate, or scroll at either side; with "Erase" held
// whatever the marker passed over goes.
void markerDrag(AppState& app) {
    const GridWindow w = gridWindow(app);
    const Tick old = position(app);
    const int32_t dx = pointerX(app) - GRID_X;
    if (dx <= -30) {
        scrollViewToBar(app, w.firstBar - 1);
        movePointer(app, GRID_X, 549);
    } else if (dx < 0) {
        locateTick(app, w.viewStart);
    } else if (dx <= GRID_WIDTH) {
        locateTick(app, tickAtX(w, pointerX(app)));
    } else if (dx <= 605) {
        locateBar(app, w.firstBar + w.visibleBars);
    } else {
        scrollViewToBar(app, w.firstBar + 1);
        movePointer(app, 912, 549);
    }
    if (!ruler(app).markerEraseOn) return;
    const Tick now = position(app);
    if (now == old) return;
    app.selection.fromTick = std::min(old, now);
    app.selection.toTick = std::max(old, now);
    app.selection.lowNote = 0;
    app.selection.highNote = 127;
    eraseSelection(app);
    eraseSelectionOther(app, 0, -1);
}

uint32_t positionMarker(AppState& app, uint32_t msg, uint32_t arg) {
    BarRulerState& r = ruler(app);
    if (isPlaying(app)) return msg;
    switch (msg) {
        case PM_LDOWN:
        case PM_RDOWN:
            r.markerEraseOn = pointerX(app) >= markerX(app) + 14;
            if (r.markerEraseOn && (ensureSequence(app) != 0 || snapshotForUndo(app) != 0)) r.markerEraseOn = false;
            flushErrors(app);
            return 0;
        case PM_LUP:
        case PM_RUP: r.markerEraseOn = false; return 0;
        case PM_LDRAG:
        case PM_RDRAG: markerDrag(app); return 0;
        case PM_WHEEL: {
            locateTick(app, std::clamp(position(app) + int32_t(arg), 0, app.lengthTicks));
            const int32_t x = markerX(app);
            if (x >= 0) movePointer(app, x, 546);
            return 0;
        }
        default: return msg;
    }
}

// ---- Painting --------------------------------------------------------------------------------

void drawLoopStrip(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const BarRulerState& r = ruler(app);
    fillRect(dc, 326, 93, 598, 18, LOOP_STRIP_COLOUR);
    if (!loopOn(app)) return;
    const GridWindow w = gridWindow(app);
    const EngineState& e = app.engine;
    if (e.loopStartBar < w.firstBar || e.loopStartBar + e.loopBars > w.firstBar + w.visibleBars) return;
    LoopSpan s = loopSpan(app, w);
    const int32_t x = std::clamp(pointerX(app), GRID_X, 912);
    if (r.loopDrag == 1) s.x1 = std::min(x, s.x2 - w.barWidth);
    if (r.loopDrag == 2) s.x2 = std::min(std::max(x, s.x1 + w.barWidth), 924);
    vLine(dc, s.x1, 94, 19, 1, LOOP_COLOUR);
    vLine(dc, s.x2, 94, 19, 1, LOOP_COLOUR);
    drawGlyph(dc, s.x1 + 1, 96, GLYPH_LEFT_11, LOOP_COLOUR);
    drawGlyph(dc, s.x2 - 6, 96, GLYPH_RIGHT_11, LOOP_COLOUR);
    fillRect(dc, s.x1 + 7, 98, s.x2 - s.x1 - 13, 7, LOOP_COLOUR);
}

void drawBarStrip(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const GridWindow w = gridWindow(app);
    fillRect(dc, 326, 113, 598, 19, STRIP_COLOUR);
    hLine(dc, 326, 112, 598, 1, RULE_COLOUR);
    hLine(dc, 326, 131, 598, 1, RULE_COLOUR);
    selectFont(dc, FONT_ARIAL_16);
    char text[12];
    for (int32_t i = 0; i <= w.visibleBars; ++i) {
        const int32_t x = i * w.barWidth + GRID_X - 1;
        vLine(dc, x, 113, 19, 2, RULE_COLOUR);
        if (i == w.visibleBars) break;
        std::snprintf(text, sizeof text, "%d", w.firstBar + i + 1);
        drawText(dc, x + w.barWidth / 2 - 11, 111, text, RULE_COLOUR);
    }
}

void drawPositionStrip(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 326, 539, 598, 19, STRIP_COLOUR);
    frameRect(dc, 326, 539, 638, 19, COL_BEVEL_DARK);
    const int32_t mx = markerX(app);
    if (isPlaying(app) || mx < 0) return;
    const bool on = ruler(app).markerEraseOn;
    fillRect(dc, mx - 12, 539, 25, 19, MARKER_COLOUR);
    fillRect(dc, mx + 12, 539, 38, 19, on ? COL_BUTTON_ON : MARKER_COLOUR);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, mx + 16, 541, "Erase", on ? COL_BLACK : COL_WHITE);
}

// The clipboard's bars as marks in the ghost.
void drawGhostMarks(AppState& app, int32_t gx) {
    DrawContext& dc = app.ui->draw;
    const GridWindow w = gridWindow(app);
    static constexpr int32_t D[5] = {2, 2, 3, 4, 3}, W[5] = {6, 6, 4, 2, 2};
    const int32_t zoom = std::min<int32_t>(int32_t(app.settings.zoomLevel), 4);
    const SeqEvent* clip = app.work->secondHalf();
    for (int32_t k = 0; k < app.clipboard.count; ++k) {
        const SeqEvent& e = clip[k];
        const int32_t x = int32_t(int64_t(e.time) * w.barWidth / TICKS_PER_BAR) + gx;
        if (app.allTracks) {
            const int32_t len = e.status == ST_NOTE && !isOpenNote(e)
                                    ? std::max<int32_t>(4, int32_t(int64_t(e.value) * w.barWidth / TICKS_PER_BAR))
                                    : 4;
            const int32_t y = 150 - (e.data1 % 16) + (e.track & 0x1F) * 23;
            if (y > 132 && y < 539) hLine(dc, x + 1, y, std::min(len, 924 - x - 1), 1, COL_BLACK);
            continue;
        }
        const int32_t y = (e.data1 - app.ui->padBaseNote) * 21 + 132 + 17 - e.data2 / 8;
        if (y >= 133 && y <= 538 && x + D[zoom] < 924) fillRect(dc, x + D[zoom], y, W[zoom], e.data2 / 8 + 3, COL_BLACK);
    }
}

}  // namespace

// ---- The start and end buttons ------------------------------------------------------------------

uint32_t startButton(AppState& app, uint32_t msg, uint32_t) {
    BarRulerState& r = ruler(app);
    switch (msg) {
        case PM_LDOWN:
            locateBar(app, 0);
            computeLoopPoints(app);
            r.startHeld = true;
            return 0;
        case PM_LUP:
        case PM_LEAVE:
            r.startHeld = false;
            markDirty(app, DIRTY_PADS);
            return 0;
        default: return msg;
    }
}

uint32_t endButton(AppState& app, uint32_t msg, uint32_t) {
    BarRulerState& r = ruler(app);
    switch (msg) {
        case PM_LDOWN:
            locateBar(app, int32_t(app.seq->bars));
            computeLoopPoints(app);
            r.endHeld = true;
            return 0;
        case PM_LUP:
        case PM_LEAVE:
            r.endHeld = false;
            markDirty(app, DIRTY_RULER);
            return 0;
        default: return msg;
    }
}

void drawStartButton(AppState& app) {
    DrawContext& dc = app.ui->draw;
    bevelButton(dc, ruler(app).startHeld, START_X, START_Y, START_W, START_H, COL_BUTTON_OFF, COL_BEVEL_LIGHT,
                COL_BEVEL_DARK);
    drawGlyph(dc, 298, 543, GLYPH_LEFT_11, COL_BLACK);
}

void drawEndButton(AppState& app) {
    DrawContext& dc = app.ui->draw;
    bevelButton(dc, ruler(app).endHeld, END_X, END_Y, END_W, END_H, COL_BUTTON_OFF, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    drawGlyph(dc, 977, 543, GLYPH_RIGHT_11, COL_BLACK);
}

void drawBarRulerOverGrid(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const BarRulerState& r = ruler(app);
    const UiState& ui = *app.ui;
    if (ui.pasteMode) {
        tintRect(dc, r.selX, 112, r.pasteGhostWidth - 2, 425);
        drawGhostMarks(app, r.selX);
        const int32_t font = dc.font;
        frameRect(dc, ui.mouseX, ui.mouseY + 22, 40, 16, COL_BLACK);
        fillRect(dc, ui.mouseX + 1, ui.mouseY + 23, 38, 14, COL_WHITE);
        selectFont(dc, FONT_SYSTEM);
        drawText(dc, ui.mouseX + 3, ui.mouseY + 23, "Paste", COL_BLACK);
        selectFont(dc, font);
    } else if (r.barSelecting) {
        tintRect(dc, r.selX, 112, r.selWidth, 425);
    }
}

// ---- The panel ----------------------------------------------------------------------------------

namespace {

uint32_t barRulerPanel(AppState& app, uint32_t msg, uint32_t arg) {
    UiState& ui = *app.ui;
    switch (msg) {
        case PM_PROBE: {
            if (ui.pasteMode && ui.mouseX >= 327 && ui.mouseX <= 923 && ui.mouseY >= 94 && ui.mouseY <= 557) {
                pasteEdgeScroll(app);
                placeGhost(app);
                if (hitTest(app, pasteArea, 0, 0, GRID_X, 112, GRID_WIDTH, 425)) return 0;
            }
            if (!inPanelArea(app, PANEL_BARS)) return msg;
            hitTest(app, loopStrip, 0, 0, GRID_X, 93, GRID_WIDTH, 18);
            const bool drum = app.seq->tracks[app.currentTrack % TRACK_RECORDS].type == TRACK_TYPE_DRUM;
            hitTest(app, barStrip, 0, 0, 334, 113, 578, drum ? 28 : 18);
            hitTest(app, positionStrip, 0, 0, GRID_X, 539, GRID_WIDTH, 18);
            if (!isPlaying(app))
                if (const int32_t mx = markerX(app); mx >= 0) hitTest(app, positionMarker, 0, 0, mx - 11, 538, 63, 19);
            hitTest(app, endButton, 0, 0, END_X, END_Y, END_W, END_H);
            return 0;
        }
        case PM_MOVE:
            if (ui.pasteMode || !(ui.hoverHandler == ui.prevHoverHandler)) markDirty(app, DIRTY_RULER);
            return 0;
        case PM_PAINT:
            if (ui.trackMuteMode) return 0;
            drawLoopStrip(app);
            drawBarStrip(app);
            drawPositionStrip(app);
            drawEndButton(app);
            return 0;
        default: {
            const uint32_t answer = forwardToHover(app, msg, arg);
            if (answer == 0 && msg != PM_CURSOR) markDirty(app, DIRTY_RULER);
            return answer;
        }
    }
}

bool rulerLive(const AppState& app) { return !app.ui->trackMuteMode; }

}  // namespace

void installBarRuler(AppState& app) {
    PanelRecord r;
    r.proc = barRulerPanel;
    r.paintBits[0] = DIRTY_GRID;
    r.paintBits[1] = DIRTY_GRID_STEP;
    r.areas[0] = {327, 923, 94, 131};
    r.areas[1] = {327, 1004, 540, 557};
    r.areaCount = 2;
    r.live = rulerLive;
    registerPanel(app, PANEL_BARS, r);
}

}  // namespace qz
