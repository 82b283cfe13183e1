// The note view of a NOTE track: a piano roll of the current track.
#include "ui/framework/draw.h"
#include "ui/framework/panel.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/grid_view.h"

namespace qz {

void paintNoteViewStatic(AppState&) {}

void paintNoteView(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const GridWindow w = gridWindow(app);
    fillRect(dc, 326, 132, 598, 407, COL_EMPTY_MARK);
    for (int32_t b = 0; b <= w.visibleBars; ++b) vLine(dc, GRID_X - 1 + b * w.barWidth, 132, 407, 2, 251);
    drawPositionAndEnd(app, 0);
}

uint32_t noteViewArea(AppState&, uint32_t msg, uint32_t) { return msg; }

}  // namespace qz
