// The right-hand column of the drum views: the note map with its audition,
// PAD SOLO, PAD MUTE, RESET and CLEAR, one button per row.
//
// The tick reads the maps and mute flags of the current track while it plays
// (and maps live notes through them), so every write goes through
// trackByteStore; the pad solo is the engine's own atomic.
#include <algorithm>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/screen_state.h"

namespace qz {

namespace {

enum Element : uint32_t { E_NOTE_MAP, E_SOLO, E_MUTE, E_RESET, E_CLEAR };

constexpr int32_t MAP_X = 925, MAP_W = 38;
constexpr int32_t SOLO_X = 963, MUTE_X = 984, BUTTON_W = 21;
constexpr int32_t MAP_SAME = COL_EMPTY_MARK, MAP_REMAPPED = 183;
constexpr uint32_t WHEEL_AUDITION = 24;

struct Box {
    int32_t x, y, w, h;
};

// Where a view puts the column: rows, the note map's height, RESET, CLEAR.
struct ColumnLayout {
    GridRows rows;
    int32_t mapH;
    Box reset, clear;
    int32_t mapFont, buttonFont, letterDy;
};

// The 8-row view's note map stops above its RESET (reaching the panel's
// bottom it would lie under the button and take its clicks).
ColumnLayout layoutOf(GridView v) {
    switch (v) {
        case GridView::Drum32:
            return {gridRows(v), 383, {925, 524, 38, 16}, {963, 524, 42, 16}, FONT_GUI, FONT_GUI, -2};
        case GridView::LoopEdit:
            return {gridRows(v), 384, {925, 524, 38, 16}, {963, 524, 42, 16}, FONT_ARIAL_16, FONT_ARIAL_21_7, 13};
        default:
            return {gridRows(v), 367, {925, 519, 38, 21}, {963, 518, 42, 21}, FONT_ARIAL_16, FONT_ARIAL_21_7, 0};
    }
}

int32_t trackNo(const AppState& app) { return std::clamp(app.currentTrack, 1, USER_TRACKS); }
TrackRecord& trackRec(AppState& app) { return app.seq->tracks[trackNo(app)]; }
GridEditState& grid(AppState& app) { return screens(app).grid; }
int32_t padSolo(const AppState& app) { return app.engine.padSolo.load(std::memory_order_relaxed); }
void setPadSolo(AppState& app, int32_t v) { app.engine.padSolo.store(v, std::memory_order_relaxed); }

// The row under the pointer within the view's rows, or -1.
int32_t rowAt(const AppState& app, const GridRows& r) {
    const int32_t dy = app.ui->mouseY - r.top;
    if (dy < 0 || dy >= r.count * r.height) return -1;
    return dy / r.height;
}

// The note of row `row`, or -1 when the row lies past note 127.
int32_t noteOfRow(const AppState& app, int32_t row) {
    if (row < 0) return -1;
    const int32_t note = app.ui->padBaseNote + row;
    return note <= 127 ? note : -1;
}

// Edits need a sequence to hold them; an empty slot gets one.
bool haveSequence(AppState& app) {
    if (ensureSequence(app) == 0) return true;
    flushErrors(app);
    return false;
}

void markMapChanged(AppState& app) {
    app.seq->modified = 1;
    if (screens(app).drumNameMode) markDirty(app, DIRTY_MIXER);
}

// ---- The note map's audition ----------------------------------------------------------

void auditionOff(AppState& app) {
    GridEditState& g = grid(app);
    if (g.soundingNote < 0) return;
    liveNoteOff(app, g.soundingTrack, g.soundingNote);
    g.soundingNote = -1;
}

// The engine plays a live note of a drum track through the note map, so the
// row's own note sounds the mapped one.
void auditionOn(AppState& app, int32_t note) {
    auditionOff(app);
    GridEditState& g = grid(app);
    g.soundingTrack = trackNo(app);
    g.soundingNote = note;
    liveNote(app, g.soundingTrack, note, 127, 0);
    app.engine.trackActivity[g.soundingTrack].store(LAMP_FRAMES, std::memory_order_relaxed);
}

// The held note's release is mapped when the engine takes it; a remap while
// the note sounds would send that release to the new note and leave the old
// one hanging, so the held note ends before its map entry changes.
void wheelNoteMap(AppState& app, int32_t note, int32_t step) {
    if (note < 0 || !haveSequence(app)) return;
    auditionOff(app);
    TrackRecord& t = trackRec(app);
    uint8_t v = t.noteMap[note] & 127;
    stepValue(v, 0, 127, step);
    trackByteStore(t.noteMap[note], v);
    markMapChanged(app);
    liveNote(app, trackNo(app), note, 127, WHEEL_AUDITION);
}

uint32_t noteMapMessage(AppState& app, uint32_t msg, uint32_t arg, const GridRows& r) {
    switch (msg) {
        case PM_LDOWN:
            if (const int32_t n = noteOfRow(app, rowAt(app, r)); n >= 0) auditionOn(app, n);
            return 0;
        case PM_LDRAG: {
            const int32_t n = noteOfRow(app, rowAt(app, r));
            if (grid(app).soundingNote < 0 || n == grid(app).soundingNote) return 0;
            auditionOff(app);
            if (n >= 0) auditionOn(app, n);
            return 0;
        }
        case PM_LUP: auditionOff(app); return 0;
        case PM_WHEEL: wheelNoteMap(app, noteOfRow(app, rowAt(app, r)), int32_t(arg)); return 0;
        case PM_LEAVE:
            auditionOff(app);
            markDirty(app, DIRTY_GRID);
            return 0;
        default: return msg;
    }
}

// ---- PAD SOLO and PAD MUTE -----------------------------------------------------------

uint32_t soloMessage(AppState& app, uint32_t msg, const GridRows& r) {
    if (msg != PM_LDOWN && msg != PM_RDOWN) return msg;
    const int32_t note = noteOfRow(app, rowAt(app, r));
    if (note < 0 || !haveSequence(app)) return 0;
    setPadSolo(app, padSolo(app) == note + 1 ? 0 : note + 1);
    return 0;
}

void writeMute(AppState& app, int32_t note, uint8_t v) {
    TrackRecord& t = trackRec(app);
    if (t.noteMute[note] == v) return;
    trackByteStore(t.noteMute[note], v);
    app.seq->modified = 1;
}

// A drag writes the value into every row between the last one and the
// pointer's, so a quick stroke leaves no row out.
void dragMute(AppState& app, const GridRows& r) {
    GridEditState& g = grid(app);
    const int32_t row = rowAt(app, r);
    if (row < 0 || g.muteDragRow < 0) return;
    const int32_t from = std::min(row, g.muteDragRow), to = std::max(row, g.muteDragRow);
    for (int32_t k = from; k <= to; ++k)
        if (const int32_t n = noteOfRow(app, k); n >= 0) writeMute(app, n, g.muteDragValue);
    g.muteDragRow = row;
}

uint32_t muteMessage(AppState& app, uint32_t msg, const GridRows& r) {
    GridEditState& g = grid(app);
    switch (msg) {
        case PM_LDOWN:
        case PM_RDOWN: {
            g.muteDragRow = -1;
            const int32_t row = rowAt(app, r);
            const int32_t note = noteOfRow(app, row);
            if (note < 0 || !haveSequence(app)) return 0;
            const uint8_t v = msg == PM_LDOWN && trackRec(app).noteMute[note] == 0 ? 1 : 0;
            writeMute(app, note, v);
            g.muteDragValue = v;
            g.muteDragRow = row;
            setPadSolo(app, 0);
            return 0;
        }
        case PM_LDRAG:
        case PM_RDRAG: dragMute(app, r); return 0;
        default: return msg;
    }
}

// ---- RESET and CLEAR ------------------------------------------------------------------

uint32_t resetMessage(AppState& app, uint32_t msg) {
    if (msg == PM_LUP) return 0;
    if (msg != PM_LDOWN) return msg;
    if (!haveSequence(app)) return 0;
    TrackRecord& t = trackRec(app);
    for (int32_t k = 0; k < 128; ++k) trackByteStore(t.noteMap[k], uint8_t(k));
    markMapChanged(app);
    return 0;
}

uint32_t clearMessage(AppState& app, uint32_t msg) {
    if (msg == PM_LUP) return 0;
    if (msg != PM_LDOWN) return msg;
    if (!haveSequence(app)) return 0;
    for (int32_t k = 0; k < 128; ++k) writeMute(app, k, 0);
    setPadSolo(app, 0);
    return 0;
}

// One handler for the column: a = the element (the note map adds its row
// times 256, so moving to another row is a change of hover that repaints the
// highlight), b = the view.
uint32_t columnElement(AppState& app, uint32_t msg, uint32_t arg) {
    const GridView v = GridView(app.ui->hoverHandler.b);
    const GridRows r = gridRows(v);
    switch (app.ui->hoverHandler.a & 0xFF) {
        case E_NOTE_MAP: return noteMapMessage(app, msg, arg, r);
        case E_SOLO: return soloMessage(app, msg, r);
        case E_MUTE: return muteMessage(app, msg, r);
        case E_RESET: return resetMessage(app, msg);
        case E_CLEAR: return clearMessage(app, msg);
        default: return msg;
    }
}

bool held(const AppState& app, Element e, GridView v) {
    return app.ui->leftHeld && isHovered(app, columnElement, e, uint32_t(v));
}

// One row's S or M button: lit (face 212, white letter) or dark.
void rowButton(DrawContext& dc, const ColumnLayout& l, int32_t x, int32_t y, bool on, const char* letter) {
    if (on)
        bevelButtonThin(dc, false, x, y, BUTTON_W, l.rows.height - 1, 212, COL_LAMP_DARK, COL_BUTTON_OFF);
    else
        bevelButtonThin(dc, false, x, y, BUTTON_W, l.rows.height - 1, 144, COL_WHITE, COL_BUTTON_OFF);
    selectFont(dc, l.buttonFont);
    drawText(dc, x + 6, y + l.letterDy, letter, on ? COL_WHITE : COL_BEVEL_DARK);
}

void textButton(DrawContext& dc, bool pressed, const Box& b, int32_t face, const char* text, int32_t dx,
                int32_t ink) {
    bevelButton(dc, pressed, b.x, b.y, b.w, b.h, face, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, b.x + dx + (pressed ? 1 : 0), b.y + (b.h - 14) / 2 + (pressed ? 1 : 0), text, ink);
}

}  // namespace

// The static boxes stop at x 1004, the column's right edge: the mixer's
// list begins at 1005.
void paintDrumColumnStatic(AppState& app, GridView v) {
    DrawContext& dc = app.ui->draw;
    const bool rows16 = v == GridView::Drum16;
    fillRect(dc, 925, 93, 80, rows16 ? 56 : 46, COL_EMPTY_MARK);
    if (v == GridView::LoopEdit)
        fillRect(dc, 925, 524, 79, 14, COL_EMPTY_MARK);
    else
        fillRect(dc, 925, 516, 79, 23, COL_EMPTY_MARK);
    vLine(dc, 924, 93, 446, 1, COL_BUTTON_OFF);
    if (v == GridView::Drum32)
        hLine(dc, 925, 139, 78, 1, COL_BACKGROUND);
    else if (v == GridView::LoopEdit)
        vLine(dc, 325, 132, 407, 1, COL_BACKGROUND);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 930, rows16 ? 135 : 127, "NOTE", COL_BLACK);
    drawText(dc, 928, 95, "PAD MUTE", COL_BLACK);
    drawText(dc, 928, 110, "PAD SOLO", COL_BLACK);
    const int32_t soloLine = rows16 ? 33 : 23;
    const int32_t muteLine = rows16 ? 53 : v == GridView::Drum32 ? 43 : 38;
    vLine(dc, 971, 122, soloLine, 1, 253);
    vLine(dc, 991, 102, muteLine, 1, 253);
    hLine(dc, 986, 102, 5, 1, 253);
}

void paintDrumColumn(AppState& app, GridView v) {
    DrawContext& dc = app.ui->draw;
    const ColumnLayout l = layoutOf(v);
    const GridRows& r = l.rows;
    const int32_t base = app.ui->padBaseNote;
    const int32_t last = std::min(base + r.count - 1, 127);
    // A solo of a note no longer shown would silence the track's other
    // notes with no button left to undo it.
    if (const int32_t s = padSolo(app); s != 0 && (s - 1 < base || s - 1 > last)) setPadSolo(app, 0);
    const TrackRecord& t = trackRec(app);
    const HoverHandler& hv = app.ui->hoverHandler;
    const bool mapHovered = hv.proc == columnElement && (hv.a & 0xFF) == E_NOTE_MAP && hv.b == uint32_t(v);
    const int32_t hoverRow = mapHovered ? std::clamp((app.ui->mouseY - r.top) / r.height, 0, r.count - 1) : -1;
    fillRect(dc, MAP_X, r.top, MAP_W, l.mapH, COL_EMPTY_MARK);
    fillRect(dc, SOLO_X, r.top, 2 * BUTTON_W, r.count * r.height, COL_EMPTY_MARK);
    selectFont(dc, l.mapFont);
    for (int32_t k = 0; k < r.count; ++k) {
        const int32_t note = base + k;
        if (note > 127) break;
        const int32_t y = r.top + r.height * k;
        const int32_t mapped = t.noteMap[note] & 127;
        const int32_t face = k == hoverRow ? COL_HOVER : mapped == note ? MAP_SAME : MAP_REMAPPED;
        fillRect(dc, MAP_X, y, MAP_W, r.height - 1, face);
        const int32_t ty = r.count == 32 ? y - 1 : y + 2;
        if (mapped < 100)
            drawNoteC(dc, 927, ty, mapped, COL_BLACK);
        else
            drawNoteB(dc, 926, ty, mapped, COL_BLACK);
        hLine(dc, MAP_X, y + r.height - 1, 63, 1, COL_LAMP_DARK);
        rowButton(dc, l, SOLO_X, y, padSolo(app) == note + 1, "S");
        rowButton(dc, l, MUTE_X, y, t.noteMute[note] != 0, "M");
        selectFont(dc, l.mapFont);
    }
    textButton(dc, held(app, E_RESET, v), l.reset, COL_BUTTON_OFF, "RESET", 1, COL_BLACK);
    textButton(dc, held(app, E_CLEAR, v), l.clear, 144, "CLEAR", 2, COL_BUTTON_OFF);
}

bool probeDrumColumn(AppState& app, GridView v) {
    const ColumnLayout l = layoutOf(v);
    const GridRows& r = l.rows;
    const uint32_t b = uint32_t(v);
    const int32_t row = std::clamp((app.ui->mouseY - r.top) / r.height, 0, r.count - 1);
    return hitTest(app, columnElement, E_RESET, b, l.reset.x, l.reset.y, l.reset.w, l.reset.h) ||
           hitTest(app, columnElement, E_CLEAR, b, l.clear.x, l.clear.y, l.clear.w, l.clear.h) ||
           hitTest(app, columnElement, E_NOTE_MAP | uint32_t(row) << 8, b, MAP_X, r.top, MAP_W, l.mapH) ||
           hitTest(app, columnElement, E_SOLO, b, SOLO_X, r.top, BUTTON_W, r.count * r.height) ||
           hitTest(app, columnElement, E_MUTE, b, MUTE_X, r.top, BUTTON_W, r.count * r.height);
}

}  // namespace qz
