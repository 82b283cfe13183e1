// The drum views of the grid area (16 rows of 23 pixels, 32 of 12, LOOP
// EDIT's 8 of 48): one row per note from the pad base note, the step marks of
// the timing-correct setting, bar and beat lines, the current track's notes,
// the click that writes or removes a note (MOUSE REC) or only sounds the pad,
// the wheel that scrolls the rows, and the strip of held input notes.
#include <algorithm>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/grid_view.h"
#include "ui/screens/loop_edit_grid.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

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

void stepMarks(DrawContext& dc, const GridWindow& w, int32_t zoom, int32_t tc, int32_t top, int32_t height) {
    auto stripes = [&](int32_t perBar, bool alternate, int32_t width) {
        const int32_t step = w.barWidth / perBar;
        for (int32_t i = 0; i <= w.visibleBars * perBar; ++i)
            vLine(dc, GRID_X + i * step, top, height, width,
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
    for (int32_t i = 0; i < 64; ++i) vLine(dc, 335 + 9 * i, top, height, 1, FINE_LINES);
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

// A press in the grid: with MOUSE REC a click on a note removes it and a
// click on a free step writes one; without it the pad only sounds. The
// 32-row view searches a narrower window and writes wherever the click is.
void press(AppState& app, GridView v) {
    if (ensureSequence(app) != 0) {
        flushErrors(app);
        return;
    }
    updateDrumPointer(app);
    const int32_t note = gridRowNote(app, v);
    if (note < 0) return;
    ScreenState& s = screens(app);
    const int32_t track = std::clamp(app.currentTrack, 1, USER_TRACKS);
    const int32_t velocity = recordVelocity(app, 127);
    const int32_t zoom = zoomOf(app);
    Tick from, to;
    if (v == GridView::Drum32) {
        const Tick reach = zoom >= 1 ? 12 : 3;
        from = s.hoverTick - reach;
        to = s.hoverTick + reach;
    } else if (zoom >= 2) {
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
    // The 32-row view records only into a running recording; otherwise its
    // note goes straight into the sequence.
    const bool recording =
        v == GridView::Drum32 ? playing && app.engine.recordMode.load(std::memory_order_relaxed) != RECORD_OFF : playing;
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
    if (v == GridView::Drum16 && (s.hoverTick < from || s.hoverTick > to)) return;
    if (recording) {
        if (v == GridView::Drum32) liveNote(app, track, note, velocity, CLICK_DURATION);
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

int32_t gridRowNote(const AppState& app, GridView v) {
    const GridRows r = gridRows(v);
    const int32_t x = app.ui->mouseX, y = app.ui->mouseY;
    if (x < GRID_X || x > GRID_X + GRID_WIDTH || y < r.top) return -1;
    const int32_t note = app.ui->padBaseNote + std::min((y - r.top) / r.height, r.count - 1);
    return note <= 127 ? note : -1;
}

namespace {

// Row lines: the 16-row view keeps them inside the grid; the 32-row and
// LOOP EDIT views draw them on from the pad list to the note map.
void rowLines(DrawContext& dc, GridView v, const GridRows& r) {
    switch (v) {
        case GridView::Drum32:
            hLine(dc, 234, r.top - 1, 720, 1, COL_BEVEL_DARK);
            for (int32_t k = 1; k <= r.count; ++k) hLine(dc, 234, r.top - 1 + r.height * k, 720, 1, FINE_LINES);
            break;
        case GridView::LoopEdit:
            for (int32_t k = 0; k <= r.count; ++k) hLine(dc, 234, r.top - 1 + r.height * k, 770, 1, COL_BACKGROUND);
            break;
        default:
            for (int32_t k = 0; k <= r.count; ++k) hLine(dc, 326, r.top - 1 + r.height * k, 598, 1, FINE_LINES);
    }
}

// One note of the current track at x: a velocity bar or block in its row,
// or a mark above or below the rows where the view has them.
void paintNote(DrawContext& dc, GridView v, const GridRows& r, int32_t x, int32_t row, int32_t velocity) {
    const bool below = row < 0, above = row >= r.count;
    switch (v) {
        case GridView::Drum32:
            if (below || above) {
                fillRect(dc, x, below ? 132 : 527, 6, 6, OFF_VIEW_MARK);
            } else {
                fillRect(dc, x, r.top + 1 + r.height * row, 6, 9, COL_BLACK);
            }
            break;
        case GridView::LoopEdit:
            if (!below && !above) {
                const int32_t h = velocity * 45 / 127;
                fillRect(dc, x, r.top - 1 + r.height * row + 47 - h, 6, h + 1, COL_BLACK);
            }
            break;
        default:
            if (below || above) {
                fillRect(dc, x, below ? 138 : 521, 6, 6, OFF_VIEW_MARK);
            } else {
                const int32_t h = 3 * (velocity / 16) + 1;
                fillRect(dc, x, r.top + r.height * row + 22 - h, 6, h, COL_BLACK);
            }
    }
}

}  // namespace

void paintDrumGrid(AppState& app, GridView v) {
    DrawContext& dc = app.ui->draw;
    const GridWindow w = gridWindow(app);
    const GridRows r = gridRows(v);
    const int32_t zoom = zoomOf(app);
    fillRect(dc, 326, 132, 598, 407, COL_EMPTY_MARK);
    if (v == GridView::Drum16) {
        stepMarks(dc, w, zoom, tcRow(app), r.top, 368);
    } else {
        stepMarks(dc, w, zoom, tcRow(app), 140, 384);
    }
    rowLines(dc, v, r);
    const int32_t barColour = zoom == 4 ? COL_BEVEL_DARK : COL_BEVEL_DARK + 1;
    const int32_t beatTop = v == GridView::Drum16 ? 142 : 132;
    const int32_t beatHeight = v == GridView::Drum16 ? 384 : 407;
    for (int32_t b = 0; b <= w.visibleBars; ++b) {
        const int32_t x = GRID_X - 1 + b * w.barWidth;
        vLine(dc, x, 132, 407, v == GridView::LoopEdit ? 3 : 2, barColour);
        if (x > 910) break;
        for (int32_t k = 1; k <= 3; ++k) vLine(dc, x + k * w.barWidth / 4, beatTop, beatHeight, 1, barColour);
    }
    if (v == GridView::LoopEdit) paintLoopEditWash(app);
    const int32_t track = std::clamp(app.currentTrack, 1, USER_TRACKS);
    auto note = [&](const SeqEvent& e) {
        if (e.status != ST_NOTE || (e.track & 0x7F) != track || e.time < w.viewStart) return;
        const int32_t x = GRID_X + 1 + int32_t(int64_t(e.time - w.viewStart) * w.barWidth / TICKS_PER_BAR);
        paintNote(dc, v, r, x, int32_t(e.data1) - app.ui->padBaseNote, e.data2);
    };
    const SeqEvent* ev = events(app);
    for (int32_t i = firstEventAtBar(app, w.firstBar); i < eventCount(app) && ev[i].time < w.viewEnd; ++i) note(ev[i]);
    // While the transport runs, the notes being recorded stand with them.
    SeqEvent recorded[RECORDED_SHOWN];
    const int32_t n = recordedNotesInView(app, w, recorded, RECORDED_SHOWN);
    for (int32_t i = 0; i < n; ++i) note(recorded[i]);
    drawPositionAndEnd(app, 4);
    if (screens(app).clickBanner) mouseRecHint(dc);
}

// The wheel over a drum view scrolls its rows like the pad list beside it;
// the mixer shows the rows' drum names in one of its modes.
void scrollRows(AppState& app, GridView v, int32_t step) {
    const int32_t wheelMax = v == GridView::Drum16 ? 112 : v == GridView::Drum32 ? 96 : 120;
    stepValue(app.ui->padBaseNote, 0, wheelMax, step);
    markDirty(app, DIRTY_GRID | DIRTY_PADS);
    if (v == GridView::Drum32 || screens(app).drumNameMode) markDirty(app, DIRTY_MIXER);
}

uint32_t drumGridArea(AppState& app, uint32_t msg, uint32_t arg) {
    const GridView v = GridView(app.ui->hoverHandler.a);
    // A right press with a pattern chosen only returns to single notes; with
    // single notes it starts a selection like the other views.
    if (v == GridView::LoopEdit && msg == PM_RDOWN && loopEditRightPress(app)) return 0;
    if (gridMenuMessage(app, msg, v) == 0) return 0;
    switch (msg) {
        case PM_MOVE:
            markDirty(app, DIRTY_COUNTER);
            updateDrumPointer(app);
            if (v == GridView::LoopEdit) markDirty(app, DIRTY_GRID);
            return 0;
        case PM_LDOWN:
            if (v == GridView::LoopEdit) {
                loopEditPress(app);
            } else {
                press(app, v);
            }
            return 0;
        case PM_LUP:
            if (screens(app).clickBanner) {
                screens(app).clickBanner = false;
                markDirty(app, DIRTY_GRID);
            }
            return 0;
        case PM_WHEEL:
            if (v == GridView::LoopEdit) {
                loopEditWheel(app, int32_t(arg));
            } else {
                scrollRows(app, v, int32_t(arg));
            }
            return 0;
        case PM_HILITE:
            if (v == GridView::LoopEdit) loopEditHilite(app);
            return 0;
        case PM_LEAVE:
            if (v == GridView::LoopEdit) loopEditLeave(app);
            app.ui->gridMenuState = 0;
            markDirty(app, DIRTY_GRID);
            return 0;
        default: return msg;
    }
}

void paintNoteRowStrip(AppState& app, GridView v) {
    if (v == GridView::Notes) return;
    DrawContext& dc = app.ui->draw;
    const GridRows r = gridRows(v);
    const int32_t base = app.ui->padBaseNote;
    const int32_t last = std::min(base + r.count - 1, 127);
    auto held = [&](int32_t n) { return app.rec.heldFlag[n].load(std::memory_order_relaxed) != 0; };
    bool below = false, above = false;
    for (int32_t n = 0; n < base; ++n) below = below || held(n);
    for (int32_t n = last + 1; n < 128; ++n) above = above || held(n);
    auto colour = [](bool on) { return on ? COL_NOTE_ROW : COL_EMPTY_MARK; };
    const bool wide = v == GridView::Drum16;
    fillRect(dc, 321, wide ? 138 : 131, 4, wide ? 10 : 8, colour(below));
    for (int32_t row = 0; row < r.count; ++row)
        fillRect(dc, 321, r.top + r.height * row, 4, r.height - 1, colour(base + row <= 127 && held(base + row)));
    fillRect(dc, 321, wide ? 520 : 526, 4, 10, colour(above));
}

}  // namespace qz
