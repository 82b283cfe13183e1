// Repaint by dirty bits, in the fixed order the screen's overlaps rely on,
// and the UI frame that feeds it.
#include "ui/framework/repaint.h"

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/panel.h"

namespace qz {

namespace {

// The background and the static parts of every panel.
void drawFullBackground(AppState& app) {
    fillCanvas(app.ui->draw, COL_BACKGROUND);
    runPainters(app, PAINT_BACKGROUND);
    for (uint32_t panel : STATIC_ORDER) sendToPanel(app, panel, PM_STATIC, 0);
}

// Each registered panel in the paint order, once per dirty bit it asks for.
void drawDirtyPanels(AppState& app, uint32_t flags) {
    for (uint32_t panel : PAINT_ORDER) {
        const PanelRecord& r = app.ui->panels[panel];
        if (!r.proc) continue;
        for (uint32_t bit : r.paintBits)
            if (bit && (flags & bit)) r.proc(app, PM_PAINT, bit);
    }
}

}  // namespace

void repaint(AppState& app) {
    // Read and clear in one step: a bit another thread sets while this
    // repaint runs stays for the next one instead of being lost.
    const uint32_t flags = app.dirty.exchange(0, std::memory_order_acq_rel);
    if (flags == 0) return;
    UiState& ui = *app.ui;
    const FrameHooks& hooks = ui.hooks;

    if (hooks.refreshFrameValues) hooks.refreshFrameValues(app);
    if (flags == DIRTY_ALL) drawFullBackground(app);
    runPainters(app, PAINT_UNDER);
    drawDirtyPanels(app, flags);
    if (const uint32_t overlay = overlayPanel(ui.overlayMode); overlay != PANEL_NONE)
        sendToPanel(app, overlay, PM_PAINT, 0);
    runPainters(app, PAINT_OVER);
    if (ui.hoverHandler.proc) ui.hoverHandler.proc(app, PM_HILITE, 0);
    runPainters(app, PAINT_TOP);
    if (hooks.present) hooks.present(app);
}

void redrawAll(AppState& app) {
    app.dirty.store(DIRTY_ALL, std::memory_order_relaxed);
    repaint(app);
}

bool uiFrameDue(const AppState& app) {
    const UiState& ui = *app.ui;
    if (app.dirty.load(std::memory_order_acquire) != 0 || ui.leftHeld || ui.transportHeld) return true;
    if (engineFrameDue(app)) return true;
    for (const PanelRecord& r : ui.panels)
        if (r.busy && r.busy(app)) return true;
    return false;
}

bool uiTimerMaySleep(AppState& app) {
    std::atomic<bool>& asleep = app.engine.windowAsleep;
    asleep.store(true, std::memory_order_seq_cst);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (!uiFrameDue(app)) return true;
    asleep.store(false, std::memory_order_relaxed);
    return false;
}

void uiTimer(AppState& app, uint32_t msClock) {
    UiState& ui = *app.ui;
    if (ui.hooks.pollEngine) ui.hooks.pollEngine(app);
    if (msClock - ui.lastFrameMs < 16) return;
    ui.lastFrameMs = msClock;

    autoRepeatStep(app);
    dispatch(app, PM_TIMER, 0);
    for (uint32_t panel : PAINT_ORDER)
        if (ui.panels[panel].frameWork) ui.panels[panel].frameWork(app);
    // The engine's part of the display refresh: the counters follow the
    // position, the activity lamps count down, and the external clock's
    // liveness ends the tempo field's "MIDI" when the clock input stops.
    engineDisplayRefresh(app);
    if (app.engine.playing.load(std::memory_order_relaxed))
        markDirty(app, ui.stepEditView ? DIRTY_GRID | DIRTY_GRID_STEP : DIRTY_GRID);
    if (app.allTracks) markDirty(app, DIRTY_GRID);
    repaint(app);
}

}  // namespace qz
