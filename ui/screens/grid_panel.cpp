// The grid area (panel 7): the window onto the bars that the ruler and every
// view share, and the choice of view on each message: the track mute
// screen, the ALL TRACKS overview, or the current track's view.
#include <algorithm>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/bar_ruler.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/grid_view.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr Tick LAST_VIEW_TICK = MAX_BARS * TICKS_PER_BAR - TICKS_PER_BAR;  // 383616, the end of the last bar shown
constexpr int32_t END_RULE_COLOUR = COL_BEVEL_DARK;
constexpr int32_t END_FILL_COLOUR = COL_BUTTON_OFF;

bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }

}  // namespace

GridView trackView(const AppState& app) {
    const TrackRecord& t = app.seq->tracks[std::clamp(app.currentTrack, 1, USER_TRACKS)];
    if (t.type == TRACK_TYPE_NOTE) return GridView::Notes;
    if (app.rec.loopEdit.load(std::memory_order_relaxed)) return GridView::LoopEdit;
    return screens(app).pads.listLength == 0 ? GridView::Drum16 : GridView::Drum32;
}

GridRows gridRows(GridView v) {
    switch (v) {
        case GridView::Drum16: return {16, 150, 23};
        case GridView::Drum32: return {32, 140, 12};
        case GridView::LoopEdit: return {8, 140, 48};
        default: return {0, 132, 407};
    }
}

namespace {

// Before the panels of every repaint: the window follows the position, and
// the grid, which two dirty bits ask for, is painted once.
void newRepaint(AppState& app) {
    recomputeGridWindow(app);
    screens(app).gridPainted = false;
}

// The grid area and the right-hand column of the current track's view.
void probeView(AppState& app, GridView v) {
    if (v == GridView::Notes) {
        hitTest(app, noteViewArea, 0, 0, 326, 132, 598, 407);
        return;
    }
    if (probeDrumColumn(app, v)) return;
    const GridRows r = gridRows(v);
    hitTest(app, drumGridArea, uint32_t(v), 0, 326, v == GridView::LoopEdit ? r.top : 132, 598, 407);
}

void paintView(AppState& app, GridView v) {
    if (v == GridView::Notes) {
        paintNoteView(app);
    } else {
        paintDrumGrid(app, v);
        paintDrumColumn(app, v);
    }
    paintGridMenu(app, v);
    paintNoteRowStrip(app, v);
}

uint32_t gridPanel(AppState& app, uint32_t msg, uint32_t arg) {
    UiState& ui = *app.ui;
    if (ui.trackMuteMode && msg != PM_PAINT) return trackMuteScreen(app, msg, arg);
    switch (msg) {
        case PM_PROBE:
            if (!inPanelArea(app, PANEL_GRID) || ui.mouseX < 327 || ui.mouseY < 113) return msg;
            if (app.allTracks) {
                hitTest(app, noopHandler, 0, 0, 327, 113, 678, 445);
                return 0;
            }
            probeView(app, trackView(app));
            return 0;
        case PM_PAINT: {
            ScreenState& s = screens(app);
            if (s.gridPainted) return 0;
            s.gridPainted = true;
            if (ui.trackMuteMode) return trackMuteScreen(app, msg, arg);
            if (app.allTracks)
                paintTrackOverview(app);
            else
                paintView(app, trackView(app));
            drawBarRulerOverGrid(app);
            return 0;
        }
        case PM_STATIC:
            if (!ui.trackMuteMode && !app.allTracks) {
                const GridView v = trackView(app);
                if (v == GridView::Notes)
                    paintNoteViewStatic(app);
                else
                    paintDrumColumnStatic(app, v);
            }
            return 0;
        case PM_MOVE:
            // The views mark what a move changes themselves (the counter, the
            // paste placement), so a move does not repaint the whole grid.
            forwardToHover(app, msg, arg);
            return 0;
        default: {
            const uint32_t answer = forwardToHover(app, msg, arg);
            if (answer == 0 && msg != PM_CURSOR) markDirty(app, DIRTY_GRID);
            return answer;
        }
    }
}

}  // namespace

GridWindow gridWindow(const AppState& app) {
    GridWindow w;
    const uint32_t zoom = app.rec.loopEdit.load(std::memory_order_relaxed) ? 0 : std::min<uint32_t>(app.settings.zoomLevel, 4);
    w.visibleBars = 1 << zoom;
    w.barWidth = GRID_WIDTH >> zoom;
    w.firstBar = app.firstBar;
    w.viewStart = app.firstBar * TICKS_PER_BAR;
    w.viewEnd = std::min(w.viewStart + w.visibleBars * TICKS_PER_BAR, LAST_VIEW_TICK);
    return w;
}

int32_t barAtX(const GridWindow& w, int32_t x) { return (x - GRID_X) / w.barWidth + w.firstBar; }

int32_t xOfTick(const GridWindow& w, Tick t) {
    return GRID_X + int32_t(int64_t(t - w.viewStart) * w.barWidth / TICKS_PER_BAR);
}

Tick tickAtX(const GridWindow& w, int32_t x) { return (x - GRID_X) * TICKS_PER_BAR / w.barWidth + w.viewStart; }

void recomputeGridWindow(AppState& app) {
    const GridWindow w = gridWindow(app);
    const int32_t bars = int32_t(app.seq->bars);
    const int32_t highest = std::max(0, bars - w.visibleBars);
    int32_t first = std::min(app.firstBar, highest);
    const Tick pos = app.engine.position.load(std::memory_order_relaxed);
    const Tick start = first * TICKS_PER_BAR;
    const Tick end = std::min(start + w.visibleBars * TICKS_PER_BAR, LAST_VIEW_TICK);
    const int32_t posBar = pos / TICKS_PER_BAR;
    if (pos < start) {
        first = posBar;
    } else if (pos >= end) {
        if (isPlaying(app))
            first = std::min(std::max(std::min(posBar, MAX_BARS - w.visibleBars), 0), highest);
        else
            first = bars < w.visibleBars ? 0 : std::min(posBar, highest);
    }
    app.firstBar = std::max(first, 0);
}

void scrollViewToBar(AppState& app, int32_t b) {
    if (ensureSequence(app) != 0) return;
    const GridWindow old = gridWindow(app);
    const Tick pos = app.engine.position.load(std::memory_order_relaxed);
    if (b < 0) {
        app.firstBar = 0;
        locateBar(app, std::max(0, pos / TICKS_PER_BAR - 1));
        return;
    }
    const Tick offset = std::max(0, pos - old.viewStart);
    app.firstBar = std::min(b, std::max(0, int32_t(app.seq->bars) - 1));
    const GridWindow w = gridWindow(app);
    const Tick end = std::min(w.viewStart + w.visibleBars * TICKS_PER_BAR, app.lengthTicks);
    Tick to = w.viewStart + offset;
    if (to >= end) to = std::max(w.viewStart, end - TICKS_PER_BAR);
    locateTick(app, to);
}

void drawPositionAndEnd(AppState& app, int32_t offset) {
    DrawContext& dc = app.ui->draw;
    const GridWindow w = gridWindow(app);
    const Tick pos = app.engine.position.load(std::memory_order_relaxed);
    if (pos >= w.viewStart && pos <= w.viewEnd) {
        const int32_t x = xOfTick(w, pos) - 1 + offset;
        if (x + 3 <= 924) dimRect(dc, x, 132, 3, 407);
    }
    const int32_t bars = int32_t(app.seq->bars);
    if (bars >= w.firstBar + w.visibleBars) return;
    const int32_t x = (bars - w.firstBar) * w.barWidth + GRID_X;
    vLine(dc, x, 112, 427, 2, END_RULE_COLOUR);
    vLine(dc, x + 4, 112, 427, 4, END_RULE_COLOUR);
    if (x + 8 < 924) fillRect(dc, x + 8, 112, 924 - (x + 8), 427, END_FILL_COLOUR);
}

int32_t recordedNotesInView(AppState& app, const GridWindow& w, SeqEvent* out, int32_t max) {
    if (!isPlaying(app) || recordBuffersEmpty(app)) return 0;
    return copyRecordedNotes(app, w.viewStart, w.viewEnd, out, max);
}

uint32_t shownDuration(const AppState& app, const SeqEvent& e) {
    const uint32_t now = app.engine.tickCounter.load(std::memory_order_relaxed);
    return std::min<uint32_t>(isOpenNote(e) ? now - e.value : e.value, MAX_DURATION);
}

void movePointer(AppState& app, int32_t x, int32_t y) {
    warpPointer(app, x, y);
    app.ui->mouseX = x;
    app.ui->mouseY = y;
}

void installGridPanel(AppState& app) {
    PanelRecord r;
    r.proc = gridPanel;
    r.paintBits[0] = DIRTY_GRID;
    r.paintBits[1] = DIRTY_GRID_STEP;
    // The grid from x 327 and y 113; the track mute screen reaches further
    // left (its buttons) and up (the pad base field of its header).
    r.areas[0] = {290, 1004, 98, 557};
    r.areaCount = 1;
    registerPanel(app, PANEL_GRID, r);
    registerPainter(app, PAINT_UNDER, newRepaint);
}

}  // namespace qz
