// The selection, paste and move machine of the grid views: a right-button
// selection by bars and rows (by beats in the note view), EVENTMENU and
// EVENTMENUPLAY with their items, and the paste and move placement.
#include <algorithm>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/grid_view.h"
#include "ui/screens/menus.h"
#include "ui/screens/note_edit_dialogs.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr uint32_t IDLE = 0, SELECTING = 1, PASTING = 2, MOVING = 3;
constexpr int32_t GRID_RIGHT = GRID_X + GRID_WIDTH;  // 912
constexpr int32_t GRID_BOTTOM = 539;
constexpr int32_t SCROLL_EDGE = 913;

bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }
bool loopOn(const AppState& app) { return app.engine.loopOn.load(std::memory_order_relaxed); }
int32_t zoomOf(const AppState& app) { return std::min<int32_t>(int32_t(app.settings.zoomLevel), 4); }
int32_t currentTrack(const AppState& app) { return std::clamp(app.currentTrack, 1, USER_TRACKS); }
GridEditState& grid(AppState& app) { return screens(app).grid; }
uint32_t& menuState(AppState& app) { return app.ui->gridMenuState; }

// While selecting or placing, the buttons, moves and the wheel belong to
// this machine; painting, timers and the rest go on to the view.
uint32_t swallowed(uint32_t msg) {
    switch (msg) {
        case PM_MOVE:
        case PM_LDOWN:
        case PM_LUP:
        case PM_LDRAG:
        case PM_RDOWN:
        case PM_RUP:
        case PM_RDRAG:
        case PM_WHEEL: return 0;
        default: return msg;
    }
}

// The selection cell under the pointer: a bar and a row of a drum view, a
// beat over the full height in the note view.
struct Cell {
    int32_t x, y, w, h;
};

Cell cellAt(const AppState& app, GridView v, int32_t mx, int32_t my) {
    const GridWindow w = gridWindow(app);
    const int32_t dx = std::clamp(mx, GRID_X, GRID_RIGHT - 1) - GRID_X;
    if (v == GridView::Notes) {
        const int32_t step = std::max(1, w.barWidth / 4);
        return {GRID_X + dx / step * step, 132, step, 407};
    }
    const GridRows r = gridRows(v);
    const int32_t row = std::clamp((my - r.top) / r.height, 0, r.count - 1);
    return {GRID_X + dx / w.barWidth * w.barWidth, r.top + r.height * row, w.barWidth, r.height};
}

// Selections are allowed while stopped, with the loop on, or when the
// sequence loops and lies wholly in the window.
bool selectionAllowed(const AppState& app) {
    if (!isPlaying(app) || loopOn(app)) return true;
    const GridWindow w = gridWindow(app);
    return settingLoad(app.settings.seqLoop) != 0 && w.firstBar == 0 && app.lengthTicks <= w.viewEnd;
}

// The EventSelection of the selected rectangle.
void selectionFromRect(AppState& app, GridView v) {
    const GridEditState& g = grid(app);
    const GridWindow w = gridWindow(app);
    EventSelection& s = app.selection;
    s.fromTick = w.viewStart + (g.selX - GRID_X) * TICKS_PER_BAR / w.barWidth;
    s.toTick = s.fromTick + g.selW * TICKS_PER_BAR / w.barWidth;
    if (v == GridView::Notes) {
        s.lowNote = 0;
        s.highNote = 127;
        return;
    }
    const GridRows r = gridRows(v);
    s.lowNote = std::min(127, app.ui->padBaseNote + (g.selY - r.top) / r.height);
    s.highNote = std::min(127, s.lowNote + g.selH / r.height - 1);
}

bool haveNotesClip(const AppState& app) { return app.clipboard.mode == CLIP_NOTES && app.clipboard.count > 0; }

// The paste rectangle and the paste target at the pointer: drum views on bar
// boundaries with the clipboard's rows kept inside the view's rows; the note
// view in 24-pixel steps (1 pixel at the widest zoom) at its own notes.
void pasteTarget(AppState& app, GridView v) {
    GridEditState& g = grid(app);
    const GridWindow w = gridWindow(app);
    const int32_t dx = std::max(0, app.ui->mouseX - GRID_X);
    g.pasteW = int32_t(int64_t(app.clipboard.length) * w.barWidth / TICKS_PER_BAR);
    int32_t x;
    if (v == GridView::Notes) {
        x = zoomOf(app) >= 1 ? dx / 24 * 24 : dx;
        if (x + g.pasteW > 600) x = std::max(0, GRID_WIDTH - g.pasteW);
        g.pasteY = 132;
        g.pasteH = 407;
        if (menuState(app) != MOVING) app.selection.targetNote = 0;
    } else {
        x = std::min(dx / w.barWidth, w.visibleBars - 1) * w.barWidth;
        const GridRows r = gridRows(v);
        const int32_t rows = std::clamp(int32_t(app.clipboard.span), 1, r.count);
        const int32_t row = std::min(std::clamp((app.ui->mouseY - r.top) / r.height, 0, r.count - 1), r.count - rows);
        g.pasteY = r.top + r.height * row;
        g.pasteH = rows * r.height;
        app.selection.targetNote = app.ui->padBaseNote + row;
    }
    g.pasteX = GRID_X + x;
    app.selection.targetTick = w.viewStart + x * TICKS_PER_BAR / w.barWidth;
}

// While placing, the view follows the pointer past either edge one bar at a
// time; the pointer steps back so the next move does not scroll at once.
void scrollAtEdges(AppState& app, GridView v) {
    const int32_t reach = v == GridView::Notes ? app.ui->mouseX + grid(app).pasteW - 24 : app.ui->mouseX;
    const int32_t before = app.firstBar;
    if (reach + 24 >= SCROLL_EDGE) {
        scrollViewToBar(app, before + 1);
        recomputeGridWindow(app);
        if (app.firstBar != before) movePointer(app, app.ui->mouseX - 24, app.ui->mouseY);
    } else if (before > 0 && app.ui->mouseX < GRID_X) {
        scrollViewToBar(app, before - 1);
        recomputeGridWindow(app);
        movePointer(app, 360, app.ui->mouseY);
    }
    if (app.firstBar != before) markDirty(app, DIRTY_ALL);
}

void startPlacement(AppState& app, GridView v, uint32_t state, int32_t px, int32_t py) {
    movePointer(app, px, py);
    menuState(app) = state;
    pasteTarget(app, v);
}

// One paste at the target, with its undo copy.
void pasteHere(AppState& app) {
    if (ensureSequence(app) == 0 && snapshotForUndo(app) == 0) pasteSelection(app);
    flushErrors(app);
    markDirty(app, DIRTY_ALL);
}

void eraseItem(AppState& app, GridView v) {
    const bool playing = isPlaying(app);
    if (!playing && snapshotForUndo(app) != 0) return;
    selectionFromRect(app, v);
    eraseSelection(app);
    // The note view plays on from where it is, without the erased notes.
    if (playing && v == GridView::Notes) locateTick(app, app.engine.position.load(std::memory_order_relaxed));
}

void noteEditItem(AppState& app, GridView v, uint32_t edit, const char* title) {
    selectionFromRect(app, v);
    const EventSelection& s = app.selection;
    runNoteEdit(app, edit, currentTrack(app), s.lowNote, s.highNote, s.fromTick, s.toTick, title);
}

// The menu at the end of a selection, and its item.
void eventMenu(AppState& app, GridView v) {
    GridEditState& g = grid(app);
    const bool notes = v == GridView::Notes;
    const bool playing = isPlaying(app);
    if (playing) app.engine.recorded.store(true, std::memory_order_relaxed);
    menuState(app) = IDLE;
    const uint32_t item = popupMenu(app, playing ? EVENT_MENU_PLAY : EVENT_MENU);
    const int32_t cornerX = notes ? g.selX + 50 : g.selX, cornerY = notes ? g.selY + 50 : g.selY;
    switch (item) {
        case MENU_ERASE: eraseItem(app, v); break;
        case MENU_COPY:
            selectionFromRect(app, v);
            copySelection(app);
            g.pasteX = g.selX, g.pasteY = g.selY, g.pasteW = g.selW, g.pasteH = g.selH;
            if (notes && haveNotesClip(app))
                startPlacement(app, v, PASTING, cornerX, cornerY);
            else
                movePointer(app, cornerX, cornerY);
            break;
        case MENU_PASTE:
            if (!haveNotesClip(app)) break;
            if (notes) {
                startPlacement(app, v, PASTING, g.selX, g.selY);
                break;
            }
            pasteTarget(app, v);
            pasteHere(app);
            startPlacement(app, v, PASTING, g.selX, g.selY);
            break;
        case MENU_MOVE:
            if (!playing && snapshotForUndo(app) != 0) break;
            selectionFromRect(app, v);
            copySelection(app);
            if (!haveNotesClip(app)) break;
            app.selection.targetNote = app.selection.lowNote;
            startPlacement(app, v, MOVING, cornerX, cornerY);
            break;
        case MENU_VELOCITY: noteEditItem(app, v, NOTE_EDIT_VELOCITY, "Velocity edit."); break;
        case MENU_DURATION: noteEditItem(app, v, NOTE_EDIT_DURATION, "Duration edit."); break;
        case MENU_TIMING: noteEditItem(app, v, NOTE_EDIT_TIMING, "Timing Correct."); break;
        default: break;
    }
    flushErrors(app);
    setCursorShape(app, CURSOR_ARROW);
    markDirty(app, DIRTY_TRANSPORT | DIRTY_ALL);
}

uint32_t idle(AppState& app, uint32_t msg, GridView v) {
    if (msg != PM_RDOWN) return msg;
    if (ensureSequence(app) != 0) {
        flushErrors(app);
        return 0;
    }
    if (!selectionAllowed(app)) {
        setCursorShape(app, CURSOR_NO_ENTRY);
        return 0;
    }
    GridEditState& g = grid(app);
    const Cell c = cellAt(app, v, app.ui->mouseX, app.ui->mouseY);
    g.selAnchorX = g.selX = c.x;
    g.selAnchorY = g.selY = c.y;
    g.selW = c.w;
    g.selH = c.h;
    menuState(app) = SELECTING;
    setCursorShape(app, CURSOR_ARROW);
    markDirty(app, DIRTY_GRID);
    return 0;
}

uint32_t selecting(AppState& app, uint32_t msg, GridView v) {
    GridEditState& g = grid(app);
    switch (msg) {
        case PM_RDRAG: {
            // From the anchor's cell to the pointer's, both included, either way.
            const Cell a = cellAt(app, v, g.selAnchorX, g.selAnchorY);
            const Cell c = cellAt(app, v, app.ui->mouseX, app.ui->mouseY);
            g.selX = std::min(a.x, c.x);
            g.selY = std::min(a.y, c.y);
            g.selW = std::max(a.x, c.x) + c.w - g.selX;
            g.selH = std::max(a.y, c.y) + c.h - g.selY;
            if (v != GridView::Notes) updateDrumPointer(app);
            markDirty(app, DIRTY_GRID);
            return 0;
        }
        case PM_LDOWN:
            menuState(app) = IDLE;
            markDirty(app, DIRTY_GRID);
            return 0;
        case PM_LEAVE:
            menuState(app) = IDLE;
            markDirty(app, DIRTY_ALL);
            return 0;
        case PM_RUP: eventMenu(app, v); return 0;
        default: return swallowed(msg);
    }
}

uint32_t placing(AppState& app, uint32_t msg, GridView v) {
    switch (msg) {
        case PM_MOVE:
            scrollAtEdges(app, v);
            pasteTarget(app, v);
            if (v != GridView::Notes) updateDrumPointer(app);
            markDirty(app, DIRTY_GRID | DIRTY_COUNTER);
            return 0;
        case PM_LDOWN:
            pasteTarget(app, v);
            if (menuState(app) == MOVING) {
                // The undo copy was taken when the move began.
                if (ensureSequence(app) == 0) {
                    eraseSelection(app);
                    pasteSelection(app);
                }
                flushErrors(app);
                menuState(app) = IDLE;
                markDirty(app, DIRTY_ALL | DIRTY_TRANSPORT);
            } else {
                pasteHere(app);
                markDirty(app, DIRTY_TRANSPORT);
            }
            return 0;
        case PM_RDOWN:
            menuState(app) = IDLE;
            markDirty(app, DIRTY_ALL);
            return 0;
        case PM_LEAVE:
            menuState(app) = IDLE;
            markDirty(app, DIRTY_ALL);
            return 0;
        default: return swallowed(msg);
    }
}

// The clipboard's notes where the paste would put them, light on the tint.
void paintPreview(AppState& app, GridView v) {
    DrawContext& dc = app.ui->draw;
    const GridEditState& g = grid(app);
    const GridWindow w = gridWindow(app);
    const SeqEvent* clip = app.work->secondHalf();
    const GridRows r = gridRows(v);
    for (int32_t k = 0; k < app.clipboard.count; ++k) {
        const SeqEvent& e = clip[k];
        if (e.status != ST_NOTE) continue;
        const int32_t x = g.pasteX + 1 + int32_t(int64_t(e.time) * w.barWidth / TICKS_PER_BAR);
        if (x >= 924) continue;
        if (v == GridView::Notes) {
            const int32_t note = std::clamp(app.selection.targetNote + int32_t(e.data1), 18, 113);
            const int32_t y = (108 - note) * 4 + 152;
            monoToColour(dc, x, y, 5, 5);
            const int32_t tail = std::min(int32_t(int64_t(e.value) * w.barWidth / TICKS_PER_BAR), 919 - (x + 5));
            if (tail > 0) monoToColour(dc, x + 5, y + 1, tail, 3);
            continue;
        }
        const int32_t h = std::min(3 * (e.data2 / 16) + 1, r.height - 2);
        const int32_t bottom = g.pasteY + r.height * int32_t(e.data1) + r.height - 2;
        if (bottom < GRID_BOTTOM) monoToColour(dc, x, bottom + 1 - h, 6, h);
    }
}

}  // namespace

uint32_t gridMenuMessage(AppState& app, uint32_t msg, GridView v) {
    switch (menuState(app)) {
        case IDLE: return idle(app, msg, v);
        case SELECTING: return selecting(app, msg, v);
        case PASTING:
        case MOVING: return placing(app, msg, v);
        default: menuState(app) = IDLE; return msg;
    }
}

void paintGridMenu(AppState& app, GridView v) {
    DrawContext& dc = app.ui->draw;
    const GridEditState& g = grid(app);
    const uint32_t state = menuState(app);
    if (state == SELECTING) {
        invertRect(dc, g.selX, g.selY, g.selW, g.selH);
        return;
    }
    if (state != PASTING && state != MOVING) return;
    // While the button is down on a paste the tint would hide the notes just put in.
    if (state == MOVING || !app.ui->leftHeld) {
        tintRect(dc, g.pasteX, g.pasteY, g.pasteW, g.pasteH);
        paintPreview(app, v);
    }
    const int32_t x = app.ui->mouseX, y = app.ui->mouseY;
    fillRect(dc, x, y - 32, 40, 16, COL_WHITE);
    frameRect(dc, x, y - 32, 40, 16, COL_BLACK);
    selectFont(dc, FONT_SYSTEM);
    drawText(dc, x + 3, y - 30, state == MOVING ? " Move" : "Paste", COL_BLACK);
}

}  // namespace qz
