// The panel registry: the screen's part of the state, the registered panels
// with their probe rectangles, and the painters of the repaint's fixed points.
#include "ui/framework/panel.h"

namespace qz {

void attachUi(AppState& app) {
    if (app.ui) return;
    app.ui = std::unique_ptr<UiState, void (*)(UiState*)>(new UiState, [](UiState* ui) {
        releaseDrawContext(ui->draw);
        delete ui;
    });
}

void registerPanel(AppState& app, uint32_t panel, const PanelRecord& record) {
    if (panel < uint32_t(PANEL_COUNT)) app.ui->panels[panel] = record;
}

void registerPainter(AppState& app, uint32_t stage, void (*paint)(AppState& app)) {
    UiState& ui = *app.ui;
    if (ui.painterCount < MAX_PAINTERS) ui.painters[size_t(ui.painterCount++)] = Painter{stage, paint};
}

void runPainters(AppState& app, uint32_t stage) {
    const UiState& ui = *app.ui;
    for (int i = 0; i < ui.painterCount; ++i)
        if (ui.painters[size_t(i)].stage == stage) ui.painters[size_t(i)].paint(app);
}

bool inPanelArea(const AppState& app, uint32_t panel) {
    if (panel >= uint32_t(PANEL_COUNT)) return false;
    const PanelRecord& r = app.ui->panels[panel];
    const int32_t x = app.ui->mouseX, y = app.ui->mouseY;
    for (int i = 0; i < r.areaCount && i < PANEL_MAX_AREAS; ++i) {
        const PanelArea& a = r.areas[i];
        if (a.allTracksOnly && !app.allTracks) continue;
        if (a.x0 <= x && x <= a.x1 && a.y0 <= y && y <= a.y1) return true;
    }
    return false;
}

}  // namespace qz
