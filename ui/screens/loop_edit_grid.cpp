// LOOP EDIT's one-bar drum view: a click writes a single note or one of five
// patterns into the pad's row, a further click after a pattern only returns
// to single notes, and the wheel moves the velocity or the timing of the
// pad's notes near the pointer.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/engine_lock.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/grid_view.h"
#include "ui/screens/loop_edit_grid.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr uint32_t CLICK_DURATION = 6;
constexpr int32_t VELOCITY_MIN = 10, VELOCITY_MAX = 127;

// The ticks of each pattern within the bar (pattern 0 is the single note).
std::vector<Tick> patternTicks(int32_t pattern) {
    std::vector<Tick> t;
    switch (pattern) {
        case 1: t = {0, 96, 192, 288}; break;
        case 2: t = {48, 144, 240, 336}; break;
        case 3:
            for (Tick k = 0; k < 8; ++k) t.push_back(48 * k);
            break;
        case 4:
            for (Tick k = 0; k < 8; ++k) t.push_back(24 + 48 * k);
            break;
        case 5:
            for (Tick k = 0; k < 16; ++k) t.push_back(24 * k);
            break;
        default: break;
    }
    return t;
}

int32_t currentTrack(const AppState& app) { return std::clamp(app.currentTrack, 1, USER_TRACKS); }
bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }
Tick barStart(const AppState& app) { return gridWindow(app).viewStart; }

// Index of the pad's note nearest tick t within `reach` ticks (both ends
// included), or -1.
int32_t findNote(AppState& app, int32_t note, Tick t, Tick reach) {
    const SeqEvent* ev = events(app);
    const int32_t track = currentTrack(app);
    int32_t best = -1;
    Tick bestDistance = reach + 1;
    for (int32_t i = firstEventAtTick(app.seq, std::max<Tick>(t - reach, 0)); i < eventCount(app); ++i) {
        const SeqEvent& e = ev[i];
        if (e.time > t + reach) break;
        if (e.status != ST_NOTE || e.track != track || e.data1 != note) continue;
        const Tick d = std::abs(e.time - t);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// Remove the pad's notes in [from, to) from the sequence (and while
// running from the recording). True when the sequence had one.
bool eraseRange(AppState& app, int32_t note, Tick from, Tick to) {
    app.selection.fromTick = std::max<Tick>(from, 0);
    app.selection.toTick = to;
    app.selection.lowNote = app.selection.highNote = note;
    return eraseSelection(app);
}

// Write one note at t: into the recording while the transport runs, else
// into the sequence. False when it could not be written (error shown).
bool writeNote(AppState& app, Tick t, int32_t note, int32_t velocity, bool audition) {
    const int32_t track = currentTrack(app);
    if (isPlaying(app)) {
        recordInsertNote(app, t, uint8_t(track), uint8_t(note), uint8_t(velocity), CLICK_DURATION);
        return true;
    }
    if (insertEvent(app, t, uint8_t(track), ST_NOTE, uint8_t(note), uint8_t(velocity), CLICK_DURATION) < 0) {
        flushErrors(app);
        return false;
    }
    if (audition) liveNote(app, track, note, velocity, CLICK_DURATION);
    return true;
}

// The pad's notes the wheel edits: with single notes the one near the
// pointer, with a pattern the one near each of its ticks. Their times.
std::vector<Tick> wheelTargets(AppState& app, int32_t note, int32_t pattern) {
    std::vector<Tick> out;
    const SeqEvent* ev = events(app);
    if (pattern == 0) {
        if (const int32_t i = findNote(app, note, screens(app).hoverTickRaw, 8); i >= 0) out.push_back(ev[i].time);
        return out;
    }
    for (const Tick p : patternTicks(pattern))
        if (const int32_t i = findNote(app, note, barStart(app) + p, 11); i >= 0) out.push_back(ev[i].time);
    return out;
}

// The time a SHIFT wheel step takes a note to, or its own time when the
// step would carry it off its grid position.
Tick shiftedTime(const AppState& app, Tick t, int32_t step, Tick w) {
    const Tick moved = t + step;
    if (step > 0) {
        if ((moved + w / 2) % w > w - 2) return t;
        return std::min<Tick>(moved, app.lengthTicks - 1);
    }
    if (moved < 0 || (moved + w / 2 - 2) % w > w - 2) return t;
    return moved;
}

}  // namespace

void loopEditPress(AppState& app) {
    ScreenState& s = screens(app);
    if (s.grid.loopEditDone) {
        s.grid.loopEditDone = false;
        s.pads.pattern = 0;
        markDirty(app, DIRTY_PADS | DIRTY_GRID);
        return;
    }
    if (ensureSequence(app) != 0) {
        flushErrors(app);
        return;
    }
    updateDrumPointer(app);
    const int32_t note = gridRowNote(app, GridView::LoopEdit);
    if (note < 0) return;
    const int32_t track = currentTrack(app);
    const int32_t velocity = recordVelocity(app, 127);
    const bool playing = isPlaying(app);
    if (playing) app.engine.recorded.store(true, std::memory_order_relaxed);
    app.engine.trackActivity[track].store(LAMP_FRAMES, std::memory_order_relaxed);
    if (!playing && snapshotForUndo(app) != 0) {
        flushErrors(app);
        return;
    }
    markDirty(app, DIRTY_GRID | DIRTY_TRANSPORT);
    // A click on a note removes it, whatever the pattern.
    const Tick raw = s.hoverTickRaw;
    if (eraseRange(app, note, raw - 3, raw + 4)) return;
    const int32_t pattern = s.pads.pattern;
    if (pattern == 0) {
        // Too near a note to be a new one: the click was meant for it.
        const int32_t near = findNote(app, note, raw, 6);
        if (near >= 0 && events(app)[near].time <= raw + 5) return;
        if (findNote(app, note, raw - 1, 5) >= 0) return;
        writeNote(app, s.hoverTick, note, velocity, true);
        return;
    }
    const Tick bar = barStart(app);
    eraseRange(app, note, bar, bar + TICKS_PER_BAR);
    for (const Tick p : patternTicks(pattern))
        if (!writeNote(app, bar + p, note, velocity, false)) break;
    if (!playing) liveNote(app, track, note, velocity, CLICK_DURATION);
    s.grid.loopEditDone = true;
}

bool loopEditRightPress(AppState& app) {
    ScreenState& s = screens(app);
    if (s.pads.pattern == 0) return false;
    s.pads.pattern = 0;
    markDirty(app, DIRTY_PADS | DIRTY_GRID);
    return true;
}

void loopEditWheel(AppState& app, int32_t step) {
    ScreenState& s = screens(app);
    updateDrumPointer(app);
    const int32_t note = gridRowNote(app, GridView::LoopEdit);
    if (note < 0 || step == 0 || !app.seq->exists) return;
    const int32_t pattern = s.pads.pattern;
    const std::vector<Tick> targets = wheelTargets(app, note, pattern);
    if (targets.empty()) return;
    const Tick w = pattern == 0 ? 18 : 24;
    for (const Tick t : targets) {
        const int32_t i = findNote(app, note, t, 0);
        if (i < 0) continue;
        if (s.pads.veloShift == 0) {
            EngineLockGuard lock(app.engineLock);
            SeqEvent& e = events(app)[i];
            e.data2 = uint8_t(std::clamp(int32_t(e.data2) + (step > 0 ? 3 : -3), VELOCITY_MIN, VELOCITY_MAX));
            continue;
        }
        SeqEvent moved = events(app)[i];
        moved.time = shiftedTime(app, t, step, w);
        if (moved.time == t) continue;
        // Out and back in at its new time keeps the events in time order.
        removeEvent(app, i);
        if (insertEventRecord(app, moved) < 0) flushErrors(app);
    }
    app.seq->modified = 1;
    s.grid.loopEditDone = true;
    markDirty(app, DIRTY_GRID | DIRTY_TRANSPORT);
}

void loopEditHilite(AppState& app) {
    updateDrumPointer(app);
    const ScreenState& s = screens(app);
    const int32_t note = gridRowNote(app, GridView::LoopEdit);
    if (note < 0 || !app.seq->exists) return;
    const int32_t i = findNote(app, note, s.hoverTick, 11);
    if (i < 0) return;
    const SeqEvent& e = events(app)[i];
    char text[16];
    if (s.pads.veloShift == 0) {
        std::snprintf(text, sizeof text, "V=%d", int(e.data2));
    } else {
        const int32_t n = int32_t((e.time + 12) % 24) - 12;
        std::snprintf(text, sizeof text, "%s%02d", n < 0 ? "TC-" : n > 0 ? "TC+" : "TC ", n < 0 ? -n : n);
    }
    DrawContext& dc = app.ui->draw;
    const int32_t x = app.ui->mouseX + 15, y = app.ui->mouseY + 10;
    frameRect(dc, x, y, 40, 16, COL_BLACK);
    fillRect(dc, x + 1, y + 1, 38, 14, COL_WHITE);
    selectFont(dc, FONT_SYSTEM);
    drawText(dc, x + 3, y + 1, text, COL_BLACK);
}

void loopEditLeave(AppState& app) {
    ScreenState& s = screens(app);
    s.grid.loopEditDone = false;
    if (app.ui->mouseY < 140 || app.ui->mouseY >= 540) {
        s.pads.pattern = 0;
        markDirty(app, DIRTY_PADS);
    }
}

// The chosen pattern's places in the row under the pointer, washed blue.
void paintLoopEditWash(AppState& app) {
    const int32_t pattern = screens(app).pads.pattern;
    const int32_t y = app.ui->mouseY;
    if (pattern == 0 || app.ui->hoverHandler.proc != drumGridArea || y < 140) return;
    const int32_t top = 140 + 48 * std::min((y - 140) / 48, 7);
    DrawContext& dc = app.ui->draw;
    auto cells = [&](int32_t x0, int32_t dx, int32_t n, int32_t width) {
        for (int32_t k = 0; k < n; ++k) blueWash(dc, x0 + dx * k, top, width, 48);
    };
    switch (pattern) {
        case 1:
            cells(468, 144, 3, 36);
            cells(336, 0, 1, 18);
            break;
        case 2: cells(396, 144, 4, 36); break;
        case 3: cells(324, 72, 8, 32); break;
        case 4: cells(360, 72, 8, 32); break;
        case 5: cells(328, 36, 16, 24); break;
        default: break;
    }
}

}  // namespace qz
