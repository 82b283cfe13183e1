// The note view of a NOTE track: a piano roll of the current track. Four
// pixels per semitone from note 113 at the top down to note 18, heads and
// tails of the notes against the bars, and the press that writes a note as
// long as the button is held (MOUSE REC) or only sounds it.
#include <algorithm>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/draw.h"
#include "ui/framework/panel.h"
#include "ui/framework/ui_platform.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/grid_view.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t TOP_NOTE = 113;     // higher notes share its row
constexpr int32_t BOTTOM_NOTE = 18;   // lower notes share its row
constexpr int32_t HEAD_X = 334;       // x of a note at viewStart
constexpr int32_t TAIL_END = 919;     // tails stop here
constexpr int32_t FINE_LINES = 248;
constexpr int32_t TAIL_COLOUR = COL_BEVEL_DARK + 1;
constexpr int32_t HOVER_FACE = 186;
// Where a press wrote its open note.
constexpr uint8_t PRESS_WROTE_NOTHING = 0, PRESS_WROTE_SEQUENCE = 1, PRESS_WROTE_RECORDING = 2;

bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }
bool isRecording(const AppState& app) {
    return isPlaying(app) && app.engine.recordMode.load(std::memory_order_relaxed) != RECORD_OFF;
}
int32_t zoomOf(const AppState& app) { return std::min<int32_t>(int32_t(app.settings.zoomLevel), 4); }
int32_t tcRow(const AppState& app) {
    return std::min<int32_t>(int32_t(settingLoad(app.settings.tcIndex)), TC_ROW_COUNT - 1);
}
int32_t currentTrack(const AppState& app) { return std::clamp(app.currentTrack, 1, USER_TRACKS); }

// Top of note n's row.
int32_t rowY(int32_t n) { return (108 - std::clamp(n, BOTTOM_NOTE, TOP_NOTE)) * 4 + 152; }

// The note under the pointer (0 off the roll's width).
int32_t pointerNote(const AppState& app) {
    const int32_t x = app.ui->mouseX, y = app.ui->mouseY;
    if (x < 332 || x > 1252) return 0;
    const int32_t row = y >= 153 ? (y - 153) / 4 : -((153 - y + 3) / 4);
    return std::clamp(108 - std::min(row, 89), 0, 127);
}

// Presses while playing only land inside the running loop.
bool pressAllowed(const AppState& app, Tick t) {
    if (!isPlaying(app)) return true;
    return app.engine.loopOn.load(std::memory_order_relaxed) && t >= app.engine.loopStartTick &&
           t < app.engine.loopEndTick;
}

// The tick under the pointer: rounded plainly to the timing-correct step.
void updateNotePointer(AppState& app) {
    ScreenState& s = screens(app);
    const GridWindow w = gridWindow(app);
    const int32_t dx = std::clamp(app.ui->mouseX - GRID_X, 0, GRID_WIDTH);
    const Tick ticks = dx * TICKS_PER_BAR / w.barWidth;
    s.hoverTickRaw = w.viewStart + ticks;
    const int32_t q = TC_GRID[tcRow(app)];
    const Tick rounded = q > 1 ? (ticks + q / 2) / q * q : ticks;
    s.hoverX = rounded * w.barWidth / TICKS_PER_BAR + GRID_X;
    s.hoverTick = w.viewStart + rounded;
}

// The step marks of the drum views, widened to the roll's full height.
void stepMarks(DrawContext& dc, const GridWindow& w, int32_t zoom, int32_t tc) {
    auto stripes = [&](int32_t perBar, bool alternate, int32_t width) {
        const int32_t step = w.barWidth / perBar;
        for (int32_t i = 0; i <= w.visibleBars * perBar; ++i)
            vLine(dc, 333 + i * step, 132, 407, width, alternate && (i & 1) ? COL_LIGHT_GREY : COL_BEVEL_LIGHT);
    };
    switch (tc) {
        case 1: return stripes(8, true, 7);
        case 2: return stripes(12, false, 7);
        case 3: return stripes(16, true, 7);
        case 4: return stripes(24, false, zoom == 1 ? 1 : 7);
        case 5: return stripes(32, false, 7);
        default:
            for (int32_t i = 0; i < 64; ++i) vLine(dc, 335 + 9 * i, 132, 407, 1, FINE_LINES);
    }
}

// One note: its head at its start, its tail as long as it lasts; a note
// begun before the view shows only the tail of what remains of it.
void drawNote(DrawContext& dc, const GridWindow& w, const SeqEvent& e, int32_t duration) {
    const int32_t y = rowY(e.data1);
    int32_t tailX, tailLength;
    if (e.time < w.viewStart) {
        const Tick left = e.time + duration - w.viewStart;
        if (left <= 0) return;
        tailX = HEAD_X;
        tailLength = int32_t(int64_t(left) * w.barWidth / TICKS_PER_BAR);
    } else {
        const int32_t x = HEAD_X + int32_t(int64_t(e.time - w.viewStart) * w.barWidth / TICKS_PER_BAR);
        fillRect(dc, x, y, 5, 5, COL_BLACK);
        tailX = x + 5;
        tailLength = int32_t(int64_t(duration) * w.barWidth / TICKS_PER_BAR);
    }
    tailLength = std::min(tailLength, TAIL_END - tailX);
    if (tailLength > 0) hLine(dc, tailX, y + 1, tailLength, 3, TAIL_COLOUR);
}

// The notes the running recording holds for the current track, the ones
// still held growing with the time.
void drawRecordedNotes(AppState& app, const GridWindow& w, int32_t track) {
    if (!app.work) return;
    EngineLockGuard lock(app.engineLock);
    const SeqEvent* buf = app.work->firstHalf();
    for (int32_t i = 0; i < app.rec.noteEnd; ++i) {
        const SeqEvent& e = buf[i];
        if (e.time >= w.viewEnd) break;
        if (e.status == ST_NOTE && e.track == track) drawNote(app.ui->draw, w, e, shownDuration(app, e));
    }
}

// What a press started: the note sounding and, when one was written open,
// where it went, so that the release can close it.
void releasePress(AppState& app) {
    GridEditState& g = screens(app).grid;
    ScreenState& s = screens(app);
    if (s.clickBanner) {
        s.clickBanner = false;
        markDirty(app, DIRTY_GRID);
    }
    if (g.pressNote < 0) return;
    const int32_t track = g.pressTrack;
    const uint8_t note = uint8_t(g.pressNote);
    g.pressNote = -1;
    if (!g.pressHeld) return;
    liveNoteOff(app, track, note);
    if (g.pressWrote == PRESS_WROTE_RECORDING) {
        recordCloseNote(app, uint8_t(track), note);
    } else if (g.pressWrote == PRESS_WROTE_SEQUENCE) {
        closeNote(app, uint8_t(track), note);
    }
    g.pressWrote = PRESS_WROTE_NOTHING;
    markDirty(app, DIRTY_GRID);
}

// A press: with MOUSE REC a click near a note erases it, else a note is
// written at the pointer; without MOUSE REC the note only sounds.
void press(AppState& app) {
    if (ensureSequence(app) != 0) {
        flushErrors(app);
        return;
    }
    updateNotePointer(app);
    ScreenState& s = screens(app);
    if (!pressAllowed(app, s.hoverTick)) {
        setCursorShape(app, CURSOR_NO_ENTRY);
        return;
    }
    const int32_t note = pointerNote(app);
    const int32_t track = currentTrack(app);
    const int32_t velocity = recordVelocity(app, 127);
    const int32_t duration = recordDuration(app);
    const int32_t reach = zoomOf(app) >= 1 ? 12 : 3;
    app.selection.fromTick = std::max<Tick>(s.hoverTick - reach, 0);
    app.selection.toTick = s.hoverTick + reach + 1;
    app.selection.lowNote = std::max(note - 1, 0);
    app.selection.highNote = std::min(note + 1, 127);
    const bool playing = isPlaying(app);
    if (playing) app.engine.recorded.store(true, std::memory_order_relaxed);
    app.engine.trackActivity[track].store(LAMP_FRAMES, std::memory_order_relaxed);
    GridEditState& g = s.grid;
    g.pressNote = note;
    g.pressTrack = track;
    g.pressHeld = duration == 0;
    g.pressWrote = PRESS_WROTE_NOTHING;
    if (!app.ui->mouseRec) {
        liveNote(app, track, note, velocity, uint32_t(duration));
        s.clickBanner = true;
        markDirty(app, DIRTY_GRID);
        return;
    }
    if (!playing && snapshotForUndo(app) != 0) {
        flushErrors(app);
        g.pressNote = -1;
        return;
    }
    if (eraseSelection(app)) {
        g.pressNote = -1;
        markDirty(app, DIRTY_GRID | DIRTY_TRANSPORT);
        return;
    }
    liveNote(app, track, note, velocity, uint32_t(duration));
    if (isRecording(app)) {
        if (recordInsertNote(app, s.hoverTick, uint8_t(track), uint8_t(note), uint8_t(velocity), uint32_t(duration)) >= 0)
            g.pressWrote = PRESS_WROTE_RECORDING;
    } else {
        if (insertEvent(app, s.hoverTick, uint8_t(track), ST_NOTE, uint8_t(note), uint8_t(velocity),
                        uint32_t(duration)) < 0) {
            flushErrors(app);
        } else {
            g.pressWrote = PRESS_WROTE_SEQUENCE;
        }
    }
    markDirty(app, DIRTY_GRID | DIRTY_TRANSPORT);
}

// The current track's note at the pointer's pitch that starts near the
// pointer's tick or lasts over it, or -1.
int32_t noteUnderPointer(AppState& app) {
    const ScreenState& s = screens(app);
    const int32_t note = pointerNote(app);
    const int32_t track = currentTrack(app);
    const Tick t = s.hoverTickRaw;
    const int32_t near = 3 << zoomOf(app);
    const SeqEvent* ev = events(app);
    for (int32_t i = 0; i < eventCount(app); ++i) {
        const SeqEvent& e = ev[i];
        if (e.time > t + near) break;
        if (e.status != ST_NOTE || e.track != track || e.data1 != note) continue;
        if (std::abs(e.time - t) <= near || (t >= e.time && t < e.time + Tick(shownDuration(app, e)))) return i;
    }
    return -1;
}

void cursor(AppState& app) {
    updateNotePointer(app);
    GridEditState& g = screens(app).grid;
    if (!pressAllowed(app, screens(app).hoverTick)) {
        setCursorShape(app, CURSOR_NO_ENTRY);
        g.hoverNoteEvent = -1;
        return;
    }
    setCursorShape(app, CURSOR_ARROW);
    g.hoverNoteEvent = app.seq && app.seq->exists ? noteUnderPointer(app) : -1;
}

// The pitch under the pointer, or of the note there, in a small field.
void hilite(AppState& app) {
    const int32_t x = app.ui->mouseX, y = app.ui->mouseY;
    if (x < 337 || x > 861 || y < 133 || y > 508) return;
    DrawContext& dc = app.ui->draw;
    const int32_t i = screens(app).grid.hoverNoteEvent;
    const bool onNote = i >= 0 && i < eventCount(app) && events(app)[i].status == ST_NOTE;
    fieldBox(dc, x, y + 22, 39, 14, onNote ? HOVER_FACE : COL_WHITE);
    drawNoteB(dc, x + 3, y + 23, onNote ? events(app)[i].data1 : pointerNote(app), COL_BLACK);
}

}  // namespace

void paintNoteViewStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 925, 93, 79, 465, COL_EMPTY_MARK);
    hLine(dc, 925, 111, 81, 1, FINE_LINES);
    selectFont(dc, FONT_ARIAL_16);
    for (int32_t i = 0; i < 8; ++i) drawText(dc, 925, 147 + 48 * i, "C", COL_BLACK);
}

void paintNoteView(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const GridWindow w = gridWindow(app);
    const int32_t zoom = zoomOf(app);
    vLine(dc, 924, 93, 446, 1, FINE_LINES);
    fillRect(dc, 326, 132, 598, 407, COL_EMPTY_MARK);
    hLine(dc, 326, 539, 598, 1, 254);
    for (int32_t b = 0; b <= w.visibleBars; ++b) vLine(dc, GRID_X - 1 + b * w.barWidth, 132, 407, 2, COL_BEVEL_LIGHT);
    if (zoom <= 1) stepMarks(dc, w, zoom, tcRow(app));
    if (zoom < 4) {
        const int32_t beat = 144 >> zoom;
        for (int32_t i = 0; i < 4 * w.visibleBars + 1; ++i) vLine(dc, GRID_X + i * beat, 132, 407, 1, COL_BEVEL_DARK);
    }
    for (int32_t i = 0; i < 8; ++i) hLine(dc, 326, 154 + 48 * i, 598, 1, FINE_LINES);
    const int32_t track = currentTrack(app);
    if (app.seq && app.seq->exists) {
        const SeqEvent* ev = events(app);
        for (int32_t i = 0; i < eventCount(app); ++i) {
            const SeqEvent& e = ev[i];
            if (e.time >= w.viewEnd) break;
            if (e.status == ST_NOTE && e.track == track) drawNote(dc, w, e, shownDuration(app, e));
        }
    }
    if (isRecording(app)) drawRecordedNotes(app, w, track);
    drawPositionAndEnd(app, 0);
    if (screens(app).clickBanner) mouseRecHint(dc);
}

uint32_t noteViewArea(AppState& app, uint32_t msg, uint32_t) {
    if (gridMenuMessage(app, msg, GridView::Notes) == 0) return 0;
    switch (msg) {
        case PM_MOVE:
            markDirty(app, DIRTY_COUNTER);
            updateNotePointer(app);
            return 0;
        case PM_LDOWN: press(app); return 0;
        case PM_LUP: releasePress(app); return 0;
        case PM_CURSOR: cursor(app); return 0;
        case PM_HILITE: hilite(app); return 0;
        case PM_TIMER:
            if (app.ui->leftHeld) markDirty(app, DIRTY_GRID);
            return 0;
        case PM_REFRESH: markDirty(app, DIRTY_GRID); return 0;
        case PM_LEAVE:
            app.ui->gridMenuState = 0;
            markDirty(app, DIRTY_GRID);
            return 0;
        default: return msg;
    }
}

}  // namespace qz
