// The grid area in ALL TRACKS mode: every track's notes as short lines, one
// row of 23 pixels per track, each note at a height by its pitch on a
// folded three-octave staff.
#include <algorithm>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/panel.h"
#include "ui/screens/grid_view.h"

namespace qz {

namespace {

// The note's step on the staff by note mod 36: C, D, E ... climb one pixel
// per white key; a sharp sits with the key below it.
constexpr int32_t STAFF[36] = {0,  0,  1,  1,  2,  3,  3,  4,  4,  5,  5,  6,  7,  7,  8,  8,  9,  10,
                               10, 11, 11, 12, 12, 13, 14, 14, 15, 15, 16, 17, 17, 18, 18, 19, 19, 20};

}  // namespace

void paintTrackOverview(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const GridWindow w = gridWindow(app);
    fillRect(dc, 326, 132, 598, 407, COL_EMPTY_MARK);
    hLine(dc, 326, 539, 598, 1, COL_BLACK);
    for (int32_t b = 0; b <= w.visibleBars; ++b) vLine(dc, GRID_X - 1 + b * w.barWidth, 132, 407, 3, COL_BEVEL_LIGHT);
    for (int32_t i = 0; i <= 16; ++i) hLine(dc, 326, 149 + 23 * i, 598, 1, COL_BACKGROUND);
    // One note's line in its track's row at its pitch's height.
    auto line = [&](const SeqEvent& e) {
        const int32_t track = e.track & 0x7F;
        if (e.status != ST_NOTE || track < 1 || track > USER_TRACKS) return;
        const int32_t x = xOfTick(w, e.time);
        int32_t len = std::max<int32_t>(4, int32_t(int64_t(shownDuration(app, e)) * w.barWidth / TICKS_PER_BAR));
        len = std::min(len, 924 - x);
        if (len > 0) hLine(dc, x, 127 + 23 * track + 20 - STAFF[e.data1 % 36], len, 2, COL_BLACK);
    };
    const SeqEvent* ev = events(app);
    for (int32_t i = firstEventAtBar(app, w.firstBar); i < eventCount(app) && ev[i].time < w.viewEnd; ++i) line(ev[i]);
    // While recording runs, what is being recorded is drawn over it.
    SeqEvent recorded[RECORDED_SHOWN];
    const int32_t n = recordedNotesInView(app, w, recorded, RECORDED_SHOWN);
    for (int32_t i = 0; i < n; ++i) line(recorded[i]);
    drawPositionAndEnd(app, 0);
}

}  // namespace qz
