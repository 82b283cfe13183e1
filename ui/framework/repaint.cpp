// Repaint by dirty bits, in the fixed order the screen's overlaps rely on,
// and the UI frame that feeds it.
#include "ui/framework/repaint.h"

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/panel.h"

namespace qz {

namespace {

// Count an activity counter down by one frame; true when it reached 0 now.
// A compare-exchange, because the MIDI input thread may relight it meanwhile.
bool countDown(std::atomic<uint8_t>& counter) {
    uint8_t v = counter.load(std::memory_order_relaxed);
    while (v > 0) {
        if (counter.compare_exchange_weak(v, static_cast<uint8_t>(v - 1), std::memory_order_relaxed)) return v == 1;
    }
    return false;
}

// The line from the MIDI inputs to the thru output, and the static parts of
// every panel.
void drawFullBackground(AppState& app, bool thruOn) {
    DrawContext& dc = app.ui.draw;
    fillCanvas(dc, COL_BACKGROUND);
    selectFont(dc, FONT_ARIAL_22_8);
    drawText(dc, 510, 2, "MIDI Thru Out", COL_WHITE);
    drawGlyph(dc, 500, 8, GLYPH_RIGHT_11, COL_PANEL);
    fillRect(dc, 180, 10, 320, 7, COL_PANEL);
    if (thruOn) {
        fillRect(dc, 770, 10, 410, 7, COL_PANEL);
        drawGlyph(dc, 1180, 8, GLYPH_RIGHT_11, COL_PANEL);
    } else {
        fillRect(dc, 770, 10, 20, 7, COL_PANEL);
        drawGlyph(dc, 790, 8, GLYPH_RIGHT_11, COL_PANEL);
    }
    for (uint32_t panel : {PANEL_MIDI_IN, PANEL_OUT_MONITOR, PANEL_SEQUENCE, PANEL_TRACK, PANEL_METRONOME,
                           PANEL_TRACK_MESSAGES, PANEL_PADS, PANEL_MIXER, PANEL_GRID})
        sendToPanel(app, panel, PM_STATIC, 0);
}

// The large BAR.BEAT.TICK display at the top left.
void drawPositionCounter(AppState& app) {
    EngineState& e = app.engine;
    e.cursor = e.position.load(std::memory_order_relaxed);
    e.bar = e.cursor / TICKS_PER_BAR;
    e.beat = e.cursor % TICKS_PER_BAR / 96;
    e.tickInBeat = e.cursor % 96;
    int32_t shown = e.cursor;
    if (!e.playing.load(std::memory_order_relaxed) && app.ui.hooks.counterTick) {
        const int32_t pointed = app.ui.hooks.counterTick(app);
        if (pointed >= 0) shown = pointed;
    }
    fillRect(app.ui.draw, 180, 25, 146, 32, COL_POSITION_BG);
    drawPositionLarge(app.ui.draw, 187, 23, shown, COL_WHITE);
}

// Panels by dirty bit, in the order their areas overlap.
void drawDirtyPanels(AppState& app, uint32_t flags) {
    const UiState& ui = app.ui;
    auto paint = [&](uint32_t bit, uint32_t panel) {
        if (flags & bit) sendToPanel(app, panel, PM_PAINT, bit);
    };
    paint(DIRTY_IN_MONITOR, PANEL_MIDI_IN);
    paint(DIRTY_REC_PARAMS, PANEL_MIDI_IN);
    paint(DIRTY_MIDI_IN, PANEL_MIDI_IN);
    paint(DIRTY_SEQ_ROW, PANEL_SEQUENCE);
    paint(DIRTY_TRACK_ROW, PANEL_TRACK);
    paint(DIRTY_TEMPO, PANEL_SEQUENCE);
    if (flags & DIRTY_PADS) {
        sendToPanel(app, PANEL_PADS, PM_PAINT, DIRTY_PADS);
        sendToPanel(app, PANEL_TRACK, PM_PAINT, DIRTY_PADS);
    }
    if (flags & (DIRTY_GRID | DIRTY_GRID_STEP)) {
        const uint32_t bit = flags & (DIRTY_GRID | DIRTY_GRID_STEP);
        if (!ui.trackMuteMode) sendToPanel(app, PANEL_BARS, PM_PAINT, bit);
        sendToPanel(app, PANEL_GRID, PM_PAINT, bit);
    }
    if ((flags & DIRTY_TRACK_COLUMN) && app.allTracks) sendToPanel(app, PANEL_GRID, PM_PAINT, DIRTY_TRACK_COLUMN);
    paint(DIRTY_METRONOME, PANEL_METRONOME);
    paint(DIRTY_TRANSPORT, PANEL_TRANSPORT);
    paint(DIRTY_MIXER, PANEL_MIXER);
    paint(DIRTY_TRACK_MESSAGES, PANEL_TRACK_MESSAGES);
    if (ui.stepEditView) paint(DIRTY_GRID_STEP, PANEL_STEP);
    paint(DIRTY_OUT_MONITOR, PANEL_OUT_MONITOR);
    paint(DIRTY_OUT_MONITOR_LIST, PANEL_OUT_MONITOR);
}


// Output and input lamps of the 16 tracks beside the mixer.
void drawActivityLamps(AppState& app) {
    DrawContext& dc = app.ui.draw;
    for (int32_t t = 1; t <= 16; ++t) {
        const int32_t y = 150 + 23 * (t - 1);
        const bool out = app.ui.outLamp[static_cast<size_t>(t)].load(std::memory_order_relaxed) != 0;
        const bool in = app.ui.inLamp[static_cast<size_t>(t)].load(std::memory_order_relaxed) != 0;
        fillRect(dc, 1010, y, 5, 21, out ? COL_LAMP_LIT : COL_LAMP_DARK);
        fillRect(dc, 1186, y, 4, 21, in ? COL_LAMP_LIT : COL_BACKGROUND);
    }
}

}  // namespace

void repaint(AppState& app) {
    // Read and clear in one step: a bit another thread sets while this
    // repaint runs stays for the next one instead of being lost.
    const uint32_t flags = app.dirty.exchange(0, std::memory_order_acq_rel);
    if (flags == 0) return;
    UiState& ui = app.ui;
    const FrameHooks& hooks = ui.hooks;
    DrawContext& dc = ui.draw;
    const bool thruOn = app.settings.midiThru != 0;

    if (hooks.refreshFrameValues) hooks.refreshFrameValues(app);
    if (flags == DIRTY_ALL) drawFullBackground(app, thruOn);
    if (!thruOn) {
        if (ui.inputIndicator.load(std::memory_order_relaxed) != 0)
            fillRect(dc, 800, 6, 20, 16, COL_BACKGROUND);
        else
            drawGlyph(dc, 800, 6, GLYPH_X_15, COL_WHITE);
    }
    if (hooks.recomputeGridWindow) hooks.recomputeGridWindow(app);
    drawPositionCounter(app);
    drawDirtyPanels(app, flags);
    if (const uint32_t overlay = overlayPanel(ui.overlayMode); overlay != PANEL_NONE)
        sendToPanel(app, overlay, PM_PAINT, 0);
    if (hooks.waitingForNote && hooks.waitingForNote(app)) {
        frameRect(dc, 524, 330, 200, 54, COL_WHITE);
        frameRect(dc, 525, 331, 198, 52, COL_WHITE);
        fillRect(dc, 526, 332, 196, 50, COL_BACKGROUND);
        selectFont(dc, FONT_ARIAL_22_8);
        drawText(dc, 531, 347, "Wait for any MIDI in note", COL_WHITE);
    }
    if (ui.hoverHandler.proc) ui.hoverHandler.proc(app, PM_HILITE, 0);
    if (!ui.stepEditView && !(hooks.drumNameMode && hooks.drumNameMode(app))) drawActivityLamps(app);
    const bool noteTrack = app.seq && curTrackRec(app).type == TRACK_TYPE_NOTE;
    if (!ui.trackMuteMode && ui.overlayMode != OVERLAY_MIDI_TO_BUTTON && !noteTrack && hooks.drawNoteRowStrip)
        hooks.drawNoteRowStrip(app);
    if (hooks.present) hooks.present(app);
}

void redrawAll(AppState& app) {
    app.dirty.store(DIRTY_ALL, std::memory_order_relaxed);
    repaint(app);
}

void uiTimer(AppState& app, uint32_t msClock) {
    UiState& ui = app.ui;
    const FrameHooks& hooks = ui.hooks;
    if (hooks.pollEngine) hooks.pollEngine(app);
    if (msClock - ui.lastFrameMs < 16) return;
    ui.lastFrameMs = msClock;

    autoRepeatStep(app);
    dispatch(app, PM_TIMER, 0);
    if (hooks.frameWork) hooks.frameWork(app);
    if (hooks.transportFrameWork) hooks.transportFrameWork(app);
    if (hooks.midiInFrameWork) hooks.midiInFrameWork(app);
    // The engine's part of the display refresh: among others it counts the
    // external clock's liveness down, which ends the tempo field's "MIDI"
    // and lets the clock run on its own again when the clock input stops.
    engineDisplayRefresh(app);
    if (app.engine.playing.load(std::memory_order_relaxed))
        markDirty(app, ui.stepEditView ? DIRTY_GRID | DIRTY_GRID_STEP : DIRTY_GRID);
    if (app.allTracks || (hooks.midiKeysHeld && hooks.midiKeysHeld(app))) markDirty(app, DIRTY_GRID);
    // An output lamp going out asks for a repaint as well; otherwise, with
    // the transport stopped, it would stay lit until something else redraws.
    for (size_t t = 1; t <= 16; ++t) {
        if (countDown(ui.outLamp[t])) markDirty(app, DIRTY_INDICATORS);
        if (countDown(ui.inLamp[t])) markDirty(app, DIRTY_INDICATORS);
    }
    if (countDown(ui.inputIndicator)) markDirty(app, DIRTY_INDICATORS);
    repaint(app);
}

}  // namespace qz
