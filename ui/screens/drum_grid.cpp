// The 16-row drum view of the grid area: one row of 23 pixels per note from
// the pad base note, the step marks of the timing-correct setting, bar and
// beat lines, the current track's notes as velocity bars, and the click that
// writes or removes a note (MOUSE REC) or only sounds the pad.
#include <algorithm>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/grid_view.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t ROWS = 16;
constexpr int32_t ROW_TOP = 150;
constexpr int32_t ROW_HEIGHT = 23;
constexpr int32_t MARK_HEIGHT = 368;
constexpr int32_t FINE_LINES = 248;
constexpr int32_t OFF_VIEW_MARK = 253;
constexpr uint32_t CLICK_DURATION = 6;

// Timing-correct rows (the record parameters' TC list).
enum TcRow { TC_OFF, TC_8, TC_8T, TC_16, TC_16T, TC_32, TC_32T };

bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }
int32_t zoomOf(const AppState& app) { return std::min<int32_t>(int32_t(app.settings.zoomLevel), 4); }
int32_t tcRow(const AppState& app) {
    return std::min<int32_t>(int32_t(settingLoad(app.settings.tcIndex)), TC_ROW_COUNT - 1);
}

void stepMarks(DrawContext& dc, const GridWindow& w, int32_t zoom, int32_t tc) {
    auto stripes = [&](int32_t perBar, bool alternate, int32_t width) {
        const int32_t step = w.barWidth / perBar;
        for (int32_t i = 0; i <= w.visibleBars * perBar; ++i)
            vLine(dc, GRID_X + i * step, ROW_TOP, MARK_HEIGHT, width,
                  alternate && (i & 1) ? COL_LIGHT_GREY : COL_BEVEL_LIGHT);
    };
    if (zoom < 2) {
        switch (tc) {
            case TC_8: return stripes(8, true, 8);
            case TC_8T: return stripes(12, false, 8);
            case TC_16: return stripes(16, true, 8);
            case TC_16T: return stripes(24, false, zoom == 1 ? 1 : 8);
            case TC_32: return stripes(32, false, 8);
            default: break;
        }
    }
    for (int32_t i = 0; i < 64; ++i) vLine(dc, 335 + 9 * i, ROW_TOP, MARK_HEIGHT, 1, FINE_LINES);
}

}  // namespace

void mouseRecHint(DrawContext& dc) {
    frameRect(dc, 524, 330, 200, 54, COL_WHITE);
    frameRect(dc, 525, 331, 198, 52, COL_WHITE);
    fillRect(dc, 526, 332, 196, 50, COL_BACKGROUND);
    bevelButtonThin(dc, false, 579, 347, 75, 25, 217, COL_BUTTON_OFF, COL_BEVEL_DARK + 1);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 586, 352, "MOUSE REC", COL_LAMP_DARK);
    selectFont(dc, FONT_ARIAL_22_8);
    drawText(dc, 531, 347, "Click", COL_WHITE);
    drawText(dc, 661, 347, "Button", COL_WHITE);
}

namespace {

// The note of the row under the pointer, or -1.
int32_t rowNote(const AppState& app) {
    const int32_t x = app.ui->mouseX, y = app.ui->mouseY;
    if (x < GRID_X || x > GRID_X + GRID_WIDTH || y < ROW_TOP) return -1;
    const int32_t note = app.ui->padBaseNote + std::min((y - ROW_TOP) / ROW_HEIGHT, ROWS - 1);
    return note <= 127 ? note : -1;
}

// A press in the grid: with MOUSE REC a click on a note removes it and a
// click on a free step writes one; without it the pad only sounds.
void press(AppState& app) {
    if (ensureSequence(app) != 0) {
        flushErrors(app);
        return;
    }
    updateDrumPointer(app);
    const int32_t note = rowNote(app);
    if (note < 0) return;
    ScreenState& s = screens(app);
    const int32_t track = std::clamp(app.currentTrack, 1, USER_TRACKS);
    const int32_t velocity = recordVelocity(app, 127);
    const int32_t zoom = zoomOf(app);
    Tick from, to;
    if (zoom >= 2) {
        from = s.hoverTick - 12;
        to = s.hoverTick + 12;
    } else {
        from = s.hoverTickRaw - 6 * (1 << zoom);
        to = s.hoverTickRaw + 6 * (1 << zoom);
    }
    from = std::max<Tick>(from, 0);
    app.selection.fromTick = from;
    app.selection.toTick = to + 1;
    app.selection.lowNote = app.selection.highNote = note;
    const bool playing = isPlaying(app);
    if (playing) app.engine.recorded.store(true, std::memory_order_relaxed);
    app.engine.trackActivity[track].store(LAMP_FRAMES, std::memory_order_relaxed);
    if (!app.ui->mouseRec) {
        liveNote(app, track, note, velocity, CLICK_DURATION);
        s.clickBanner = true;
        return;
    }
    if (!playing && snapshotForUndo(app) != 0) {
        flushErrors(app);
        return;
    }
    if (eraseSelection(app)) {
        markDirty(app, DIRTY_TRANSPORT);
        return;
    }
    // Between the steps of a fine grid the click writes nothing.
    if (s.hoverTick < from || s.hoverTick > to) return;
    if (playing) {
        recordInsertNote(app, s.hoverTick, uint8_t(track), uint8_t(note), uint8_t(velocity), CLICK_DURATION);
    } else {
        if (insertEvent(app, s.hoverTick, uint8_t(track), ST_NOTE, uint8_t(note), uint8_t(velocity), CLICK_DURATION) <
            0) {
            flushErrors(app);
            return;
        }
        liveNote(app, track, note, velocity, CLICK_DURATION);
    }
    markDirty(app, DIRTY_GRID | DIRTY_TRANSPORT);
}

}  // namespace

void updateDrumPointer(AppState& app) {
    ScreenState& s = screens(app);
    const GridWindow w = gridWindow(app);
    const int32_t dx = std::clamp(app.ui->mouseX - 338, 0, GRID_WIDTH);
    const Tick ticks = dx * TICKS_PER_BAR / w.barWidth;
    s.hoverTickRaw = w.viewStart + ticks;
    const int32_t q = TC_GRID[tcRow(app)];
    const Tick rounded = q > 1 ? (ticks + q / 2) / q * q : ticks;
    s.hoverX = rounded * w.barWidth / TICKS_PER_BAR + GRID_X;
    s.hoverTick = snapToGrid(app, w.viewStart + rounded);
}

void paintDrumGrid(AppState& app, GridView) {
    DrawContext& dc = app.ui->draw;
    const GridWindow w = gridWindow(app);
    const int32_t zoom = zoomOf(app);
    fillRect(dc, 326, 132, 598, 407, COL_EMPTY_MARK);
    stepMarks(dc, w, zoom, tcRow(app));
    for (int32_t k = 0; k <= ROWS; ++k) hLine(dc, 326, ROW_TOP - 1 + ROW_HEIGHT * k, 598, 1, FINE_LINES);
    const int32_t barColour = zoom == 4 ? COL_BEVEL_DARK : COL_BEVEL_DARK + 1;
    for (int32_t b = 0; b <= w.visibleBars; ++b) {
        const int32_t x = GRID_X - 1 + b * w.barWidth;
        vLine(dc, x, 132, 407, 2, barColour);
        if (x > 910) break;
        for (int32_t k = 1; k <= 3; ++k) vLine(dc, x + k * w.barWidth / 4, 142, 384, 1, barColour);
    }
    const SeqEvent* ev = events(app);
    const int32_t track = std::clamp(app.currentTrack, 1, USER_TRACKS);
    for (int32_t i = firstEventAtBar(app, w.firstBar); i < eventCount(app); ++i) {
        const SeqEvent& e = ev[i];
        if (e.time >= w.viewEnd) break;
        if (e.status != ST_NOTE || e.track != track || e.time < w.viewStart) continue;
        const int32_t x = GRID_X + 1 + int32_t(int64_t(e.time - w.viewStart) * w.barWidth / TICKS_PER_BAR);
        const int32_t row = int32_t(e.data1) - app.ui->padBaseNote;
        if (row < 0) {
            fillRect(dc, x, 138, 6, 6, OFF_VIEW_MARK);
        } else if (row >= ROWS) {
            fillRect(dc, x, 521, 6, 6, OFF_VIEW_MARK);
        } else {
            const int32_t h = 3 * (e.data2 / 16) + 1;
            fillRect(dc, x, ROW_TOP + ROW_HEIGHT * row + 22 - h, 6, h, COL_BLACK);
        }
    }
    drawPositionAndEnd(app, 4);
    if (screens(app).clickBanner) mouseRecHint(dc);
}

uint32_t drumGridArea(AppState& app, uint32_t msg, uint32_t) {
    const GridView v = GridView(app.ui->hoverHandler.a);
    if (gridMenuMessage(app, msg, v) == 0) return 0;
    switch (msg) {
        case PM_MOVE:
            markDirty(app, DIRTY_COUNTER);
            updateDrumPointer(app);
            return 0;
        case PM_LDOWN: press(app); return 0;
        case PM_LUP:
            if (screens(app).clickBanner) {
                screens(app).clickBanner = false;
                markDirty(app, DIRTY_GRID);
            }
            return 0;
        case PM_LEAVE:
            app.ui->gridMenuState = 0;
            markDirty(app, DIRTY_GRID);
            return 0;
        default: return msg;
    }
}

void paintNoteRowStrip(AppState&, GridView) {}

}  // namespace qz
