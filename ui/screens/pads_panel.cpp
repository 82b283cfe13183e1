// The pads panel (panel 5), the left column under the track row for a drum
// track: the track's mode, the two base notes that tie the sixteen pads to
// MIDI notes, LOOP EDIT with its options, the 16/32 switch and the note
// list that plays notes and opens PADMENU. In ALL TRACKS mode the column
// shows the track list instead, and a NOTE track shows its own column once
// one is registered; in TRACK MUTE MODE only the start button answers.
//
// Sections: base notes and pad notes; the controls; the note list;
// painting; the panel.
#include <algorithm>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/bar_ruler.h"
#include "ui/screens/pads_panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"
#include "ui/screens/track_menus.h"

namespace qz {

namespace {

constexpr int32_t PAD_BASE_NOTES[PAD_BASE_COUNT] = {24, 35, 36, 48, 60, 72, 84};
constexpr const char* PAD_BASE_LABELS[PAD_BASE_COUNT] = {"24 C", "35 B", "36 C", "48 C", "60 C", "72 C", "84 C"};
constexpr int32_t BACKGROUND = COL_EMPTY_MARK;
constexpr int32_t TEXT = COL_BLACK;
constexpr int32_t DIM_TEXT = 253;

PadsState& pads(AppState& app) { return screens(app).pads; }
bool loopEdit(const AppState& app) { return app.rec.loopEdit.load(std::memory_order_relaxed); }
bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }
int padTrack(const AppState& app) { return std::clamp(app.currentTrack, 1, USER_TRACKS); }
TrackRecord& track(AppState& app) { return app.seq->tracks[padTrack(app)]; }

// LOOP EDIT on or off; its one-bar loop plays the bar of the position.
void setLoopEdit(AppState& app, bool on) {
    EngineState& e = app.engine;
    if (loopEdit(app) == on) return;
    app.rec.loopEdit.store(on, std::memory_order_relaxed);
    if (on) {
        e.loopStartBar = e.position.load(std::memory_order_relaxed) / TICKS_PER_BAR;
        e.loopBars = 1;
    }
    e.loopOn.store(on, std::memory_order_relaxed);
    computeLoopPoints(app);
    markDirty(app, DIRTY_ALL);
}

// The track byte changes while the tick and the input thread read it.
void setTrackByte(uint8_t& b, uint8_t v) { trackByteStore(b, v); }

// Put the current track in use, creating the sequence in an empty slot.
bool useTrack(AppState& app) {
    if (ensureSequence(app) != 0) {
        flushErrors(app);
        return false;
    }
    setTrackByte(track(app).used, 1);
    return true;
}

void setTrackType(AppState& app, int32_t type) {
    TrackRecord& t = track(app);
    if (t.type == type) return;
    padNoteOff(app);
    setTrackByte(t.type, uint8_t(type));
    app.seq->modified = 1;
    setLoopEdit(app, false);
    markDirty(app, DIRTY_ALL);
}

// ---- The controls --------------------------------------------------------------------

enum Control : uint32_t { C_MODE, C_INPUT_BASE, C_TRACK_BASE, C_LOOP_EDIT, C_LENGTH, C_VELO_SHIFT, C_PATTERN, C_COUNT };
struct Rect {
    int32_t x, y, w, h;
};
constexpr Rect CONTROLS[C_COUNT] = {{180, 93, 145, 20},  {223, 113, 40, 32}, {282, 113, 40, 32}, {183, 219, 49, 44},
                                    {183, 263, 49, 41},  {180, 328, 49, 20}, {180, 358, 49, 121}};

uint32_t control(AppState& app, uint32_t msg, uint32_t arg) {
    const uint32_t c = app.ui->hoverHandler.a;
    PadsState& p = pads(app);
    const int32_t step = int32_t(arg);
    const bool wheel = msg == PM_WHEEL;
    if (msg == PM_LEAVE) {
        markDirty(app, DIRTY_PADS);
        return 0;
    }
    if (msg != PM_LDOWN && !wheel) return msg;
    switch (c) {
        case C_MODE:
            if (!track(app).used || !app.seq->exists) {
                useTrack(app);
            } else if (wheel) {
                setTrackType(app, std::clamp(int32_t(track(app).type) + step, 0, 1));
            } else {
                setTrackType(app, track(app).type == TRACK_TYPE_NOTE ? TRACK_TYPE_DRUM : TRACK_TYPE_NOTE);
            }
            markDirty(app, DIRTY_TRACK_ROW);
            break;
        case C_INPUT_BASE: {
            if (!wheel) return msg;
            uint32_t v = settingLoad(app.settings.inputPadBase);
            stepValue(v, 0, PAD_BASE_COUNT - 1, step);
            settingStore(app.settings.inputPadBase, v);
            break;
        }
        case C_TRACK_BASE: {
            if (!wheel) return msg;
            uint32_t& word = app.settings.trackPadBase[padTrack(app) - 1];
            uint32_t v = settingLoad(word);
            stepValue(v, 0, PAD_BASE_COUNT - 1, step);
            settingStore(word, v);
            app.ui->padBaseNote = padBaseNoteOf(v);
            markDirty(app, DIRTY_GRID);
            break;
        }
        case C_LOOP_EDIT:
            if (wheel || app.ui->trackMuteMode || !useTrack(app)) return msg;
            setLoopEdit(app, !loopEdit(app));
            break;
        case C_LENGTH:
            if (wheel) {
                stepValue(p.listLength, 0, 1, step);
            } else {
                if (ensureSequence(app) != 0) return 0;
                setLoopEdit(app, false);
                p.listLength = app.ui->mouseY >= 284 ? 1 : 0;
            }
            markDirty(app, DIRTY_ALL);
            break;
        case C_VELO_SHIFT:
            if (wheel)
                stepValue(p.veloShift, 0, 1, step);
            else
                p.veloShift = 1 - p.veloShift;
            break;
        case C_PATTERN:
            if (wheel)
                stepValue(p.pattern, 0, 5, step);
            else
                p.pattern = std::clamp((app.ui->mouseY - 358) / 20, 0, 5);
            break;
        default: return msg;
    }
    markDirty(app, DIRTY_PADS);
    return 0;
}

// ---- The note list ----------------------------------------------------------------------

struct ListLayout {
    Rect area;
    int32_t rows, rowHeight, nameX, padX, numberX, numberDy, wheelMax;
};
constexpr ListLayout LAYOUTS[3] = {{{234, 150, 91, 368}, 16, 23, 283, 235, 262, 0, 112},
                                   {{234, 140, 91, 384}, 32, 12, 272, 237, 259, 0, 96},
                                   {{234, 140, 91, 384}, 8, 48, 264, 237, 239, 12, 120}};

const ListLayout& layout(AppState& app) { return LAYOUTS[loopEdit(app) ? 2 : pads(app).listLength ? 1 : 0]; }

// Note of the row under the pointer, or -1.
int32_t noteUnderPointer(AppState& app) {
    const ListLayout& l = layout(app);
    const int32_t row = std::clamp((app.ui->mouseY - l.area.y) / l.rowHeight, 0, l.rows - 1);
    const int32_t note = app.ui->padBaseNote + row;
    return note <= 127 ? note : -1;
}

uint32_t noteList(AppState& app, uint32_t msg, uint32_t arg) {
    PadsState& p = pads(app);
    switch (msg) {
        case PM_LDOWN:
            if (const int32_t n = noteUnderPointer(app); n >= 0) padNoteOn(app, n);
            return 0;
        case PM_LUP:
        case PM_LEAVE: padNoteOff(app); return 0;
        case PM_LDRAG: {
            const int32_t n = noteUnderPointer(app);
            if (n == p.playingNote || p.playingNote < 0) return 0;
            padNoteOff(app);
            if (n >= 0) padNoteOn(app, n);
            return 0;
        }
        case PM_RDOWN: p.menuNote = noteUnderPointer(app); return 0;
        case PM_RUP:
            if (!isPlaying(app) && p.menuNote >= 0) padMenu(app, p.menuNote);
            return 0;
        case PM_WHEEL:
            stepValue(app.ui->padBaseNote, 0, layout(app).wheelMax, int32_t(arg));
            markDirty(app, DIRTY_GRID);
            return 0;
        default: return msg;
    }
}

// ---- Painting -----------------------------------------------------------------------------

void drawPadsStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    hLine(dc, 180, 92, 146, 1, 251);
    fillRect(dc, 180, 93, 145, 446, BACKGROUND);
    if (app.ui->trackMuteMode) return;
    vLine(dc, 233, 132, 407, 1, COL_LAMP_DARK);
    vLine(dc, 325, 132, 407, 1, COL_LAMP_DARK);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 182, 114, "Pad01", TEXT);
    drawGlyph(dc, 274, 116, GLYPH_ARROW_RIGHT, COL_BLACK);
    fillRect(dc, 269, 118, 5, 7, COL_BLACK);
    drawText(dc, 188, 198, "View", DIM_TEXT);
    drawText(dc, 241, 137, "PAD", TEXT);
    drawText(dc, 287, 137, "NOTE", TEXT);
    hLine(dc, 180, 131, 145, 1, COL_LAMP_DARK);
    if (loopEdit(app)) drawText(dc, 187, 313, "Wheel", DIM_TEXT);
}

void drawPatternRow(DrawContext& dc, int32_t row, bool chosen) {
    const int32_t y = 358 + 20 * row;
    fillRect(dc, 180, y, 49, 20, chosen ? COL_HOVER : BACKGROUND);
    static constexpr int32_t MARKS[6] = {1, 4, 4, 8, 8, 16};
    const int32_t n = MARKS[row];
    if (n == 1) {
        fillRect(dc, 184, y + 8, 40, 4, COL_BLACK);
        return;
    }
    const int32_t pitch = 44 / n, shift = (row == 2 || row == 4) ? pitch / 2 : 0;
    for (int32_t i = 0; i < n; ++i) fillRect(dc, 183 + i * pitch + shift, y + 5, n == 16 ? 1 : 2, 10, COL_BLACK);
}

void drawNoteList(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const ListLayout& l = layout(app);
    const PadsState& p = pads(app);
    const bool held = isHovered(app, noteList);
    const int32_t base = trackPadBase(app, padTrack(app));
    fillRect(dc, l.area.x, l.area.y, l.area.w, l.area.h, BACKGROUND);
    selectFont(dc, l.rows == 32 ? FONT_GUI : FONT_ARIAL_16);
    for (int32_t k = 0; k < l.rows; ++k) {
        const int32_t note = app.ui->padBaseNote + k;
        if (note > 127) break;
        const int32_t y = l.area.y + l.rowHeight * k;
        const int32_t ty = l.rows == 32 ? y - 1 : y + 1;
        if (held && note == p.playingNote) fillRect(dc, l.area.x, y, l.area.w, l.rowHeight - 1, COL_HOVER);
        if (l.rows == 16) hLine(dc, l.area.x, y + l.rowHeight - 1, l.area.w, 1, COL_LAMP_DARK);
        drawNoteB(dc, l.nameX, ty, note, TEXT);
        const int32_t pad = note - base + 1;
        if (pad < 1 || pad > 16) continue;
        drawText(dc, l.padX, ty, "PAD", TEXT);
        drawNumberZero(dc, l.numberX, ty + l.numberDy, pad, 99, TEXT);
    }
}

void drawPadsDynamic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const PadsState& p = pads(app);
    const TrackRecord& t = track(app);
    const bool on = loopEdit(app);
    // Track mode.
    fillRect(dc, 180, 93, 145, 20, isHovered(app, control, C_MODE) ? COL_HOVER : 236);
    selectFont(dc, FONT_ARIAL_16);
    if (!t.used || !app.seq->exists)
        drawText(dc, 227, 95, "(Unused)", COL_WHITE);
    else if (t.type == TRACK_TYPE_NOTE)
        drawText(dc, 232, 95, "NOTE", COL_WHITE);
    else
        drawText(dc, 235, 95, "DRUM", COL_WHITE);
    // The two base notes.
    selectFont(dc, FONT_ARIAL_14);
    fillRect(dc, 223, 113, 40, 18, isHovered(app, control, C_INPUT_BASE) ? COL_HOVER : BACKGROUND);
    frameRect(dc, 223, 113, 40, 18, COL_BLACK);
    drawText(dc, 227, 114, padBaseLabel(settingLoad(app.settings.inputPadBase)), TEXT);
    fillRect(dc, 282, 113, 40, 18, isHovered(app, control, C_TRACK_BASE) ? COL_HOVER : BACKGROUND);
    drawText(dc, 286, 114, padBaseLabel(settingLoad(app.settings.trackPadBase[padTrack(app) - 1])), TEXT);
    // LOOP EDIT.
    const int32_t ink = on ? COL_BLACK : COL_WHITE;
    fillRect(dc, 183, 219, 49, 44, on ? 35 : BACKGROUND);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 194, 220, "LOOP", ink);
    drawText(dc, 197, 231, "EDIT", ink);
    drawText(dc, 203, 244, "8", ink);
    // 16 / 32.
    fillRect(dc, 183, 263, 49, 41, BACKGROUND);
    if (!on) fillRect(dc, 183, p.listLength ? 284 : 263, 49, 20, COL_WHITE);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 198, 263, "16", TEXT);
    drawText(dc, 198, 283, "32", TEXT);
    if (on) {
        fillRect(dc, 180, 328, 49, 20, isHovered(app, control, C_VELO_SHIFT) ? COL_HOVER : COL_FIELD);
        selectFont(dc, FONT_ARIAL_14);
        drawText(dc, p.veloShift ? 185 : 186, 330, p.veloShift ? "SHIFT" : "VELO.", TEXT);
        for (int32_t r = 0; r < 6; ++r) drawPatternRow(dc, r, r == p.pattern);
    }
    drawNoteList(app);
    drawStartButton(app);
}

// Which column the left side shows now.
enum Column { COLUMN_PADS, COLUMN_TRACKS, COLUMN_NOTE, COLUMN_MUTE };
Column column(AppState& app) {
    if (app.ui->trackMuteMode) return COLUMN_MUTE;
    if (app.allTracks) return COLUMN_TRACKS;
    const TrackRecord& t = track(app);
    if (t.used && t.type == TRACK_TYPE_NOTE && pads(app).noteColumn) return COLUMN_NOTE;
    return COLUMN_PADS;
}

// ---- The panel ------------------------------------------------------------------------------

uint32_t padsPanel(AppState& app, uint32_t msg, uint32_t arg) {
    const Column col = column(app);
    if (col == COLUMN_TRACKS) return trackListColumn(app, msg, arg);
    if (col == COLUMN_NOTE) return pads(app).noteColumn(app, msg, arg);
    switch (msg) {
        case PM_PROBE:
            if (!inPanelArea(app, PANEL_PADS)) return msg;
            if (col == COLUMN_MUTE) return hitTest(app, startButton, 0, 0, 180, 539, 145, 19) ? 0 : msg;
            for (uint32_t c = 0; c < C_COUNT; ++c) {
                if ((c == C_VELO_SHIFT || c == C_PATTERN) && !loopEdit(app)) continue;
                const Rect& r = CONTROLS[c];
                hitTest(app, control, c, 0, r.x, r.y, r.w, r.h);
            }
            {
                const Rect& a = layout(app).area;
                hitTest(app, noteList, 0, 0, a.x, a.y, a.w, a.h);
            }
            hitTest(app, startButton, 0, 0, 180, 539, 145, 19);
            return 0;
        case PM_STATIC: drawPadsStatic(app); return 0;
        case PM_PAINT:
            if (arg != DIRTY_PADS) return 0;
            if (col == COLUMN_MUTE)
                drawStartButton(app);
            else
                drawPadsDynamic(app);
            return 0;
        case PM_MOVE:
            if (!(app.ui->hoverHandler == app.ui->prevHoverHandler)) markDirty(app, DIRTY_PADS);
            return 0;
        default: {
            const uint32_t answer = forwardToHover(app, msg, arg);
            if (answer == 0 && msg != PM_CURSOR) markDirty(app, DIRTY_PADS);
            return answer;
        }
    }
}

// The first row of the lists follows the current track's pad base note.
void followTrack(SongStore& song) {
    AppState& app = static_cast<AppState&>(song);
    if (app.ui) app.ui->padBaseNote = trackPadBase(app, padTrack(app));
}

}  // namespace

int32_t padBaseNoteOf(uint32_t index) { return PAD_BASE_NOTES[index < PAD_BASE_COUNT ? index : 2]; }
const char* padBaseLabel(uint32_t index) { return PAD_BASE_LABELS[index < PAD_BASE_COUNT ? index : 2]; }
int32_t trackPadBase(const AppState& app, int t) {
    return padBaseNoteOf(settingLoad(app.settings.trackPadBase[std::clamp(t, 1, USER_TRACKS) - 1]));
}

void padNoteOn(AppState& app, int32_t note) {
    PadsState& p = pads(app);
    padNoteOff(app);
    p.playingTrack = padTrack(app);
    p.playingNote = note;
    liveNote(app, p.playingTrack, note, 127, 0);
}

void padNoteOff(AppState& app) {
    PadsState& p = pads(app);
    if (p.playingNote < 0) return;
    liveNoteOff(app, p.playingTrack, p.playingNote);
    p.playingNote = -1;
}

uint32_t toggleAllTracks(AppState& app, uint32_t msg, uint32_t) {
    if (msg != PM_LDOWN) return 0;
    const int32_t mode = app.engine.recordMode.load(std::memory_order_relaxed);
    if ((isPlaying(app) && (mode == 1 || mode == 2)) || app.ui->trackMuteMode) return 0;
    {
        EngineLockGuard lock(app.engineLock);
        app.allTracks = !app.allTracks;
    }
    setLoopEdit(app, false);
    if (app.engine.recordMode.exchange(RECORD_OFF, std::memory_order_relaxed) == RECORD_STEP) closeOpenNotes(app);
    markDirty(app, DIRTY_ALL);
    return 0;
}

void installPadsPanel(AppState& app) {
    PanelRecord r;
    r.proc = padsPanel;
    r.paintBits[0] = DIRTY_PADS;
    r.paintBits[1] = DIRTY_TRACK_COLUMN;
    r.areas[0] = {181, 325, 58, 557};
    r.areas[1] = {926, 1004, 151, 538, true};
    r.areaCount = 2;
    registerPanel(app, PANEL_PADS, r);
    app.hooks.trackSelected = followTrack;
    followTrack(app);
}

}  // namespace qz
