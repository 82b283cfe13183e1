// Dispatch, hit testing, the routing of window input and the value helpers.
#include "ui/framework/panel.h"

#include <algorithm>

namespace qz {

namespace {


// Panel 10 answers a hit with 1; every other panel with 0.
bool probeHit(AppState& app, uint32_t panel) {
    // A panel without a handler is never hit (its echoed PM_PROBE would read
    // as panel 10's "hit").
    if (panel >= uint32_t(PANEL_COUNT) || !app.ui->panels[panel].proc) return false;
    uint32_t answer = sendToPanel(app, panel, PM_PROBE, 0);
    return panel == PANEL_MIDI_IN ? answer == 1 : answer == 0;
}

// Ask the live panels in their fixed order; the first hit takes the focus.
void probePanels(AppState& app) {
    UiState& ui = *app.ui;
    if (ui.overlayMode != OVERLAY_NONE) {
        uint32_t panel = overlayPanel(ui.overlayMode);
        if (panel != PANEL_NONE && probeHit(app, panel)) ui.focusPanel = panel;
        return;
    }
    for (uint32_t panel : PROBE_ORDER) {
        const PanelRecord& r = ui.panels[panel];
        if (r.live && !r.live(app)) continue;
        if (probeHit(app, panel)) {
            ui.focusPanel = panel;
            return;
        }
    }
}

}  // namespace

const uint32_t PROBE_ORDER[12] = {PANEL_MIDI_IN,   PANEL_STEP, PANEL_PADS,      PANEL_SEQUENCE,
                                  PANEL_TRACK,     PANEL_BARS, PANEL_METRONOME, PANEL_TRACK_MESSAGES,
                                  PANEL_TRANSPORT, PANEL_GRID, PANEL_MIXER,     PANEL_OUT_MONITOR};
const uint32_t PAINT_ORDER[12] = {PANEL_MIDI_IN, PANEL_SEQUENCE,       PANEL_TRACK,     PANEL_PADS,
                                  PANEL_BARS,    PANEL_GRID,           PANEL_METRONOME, PANEL_TRANSPORT,
                                  PANEL_MIXER,   PANEL_TRACK_MESSAGES, PANEL_STEP,      PANEL_OUT_MONITOR};
const uint32_t STATIC_ORDER[9] = {PANEL_MIDI_IN,        PANEL_OUT_MONITOR, PANEL_SEQUENCE, PANEL_TRACK, PANEL_METRONOME,
                                  PANEL_TRACK_MESSAGES, PANEL_PADS,        PANEL_MIXER,    PANEL_GRID};

uint32_t noopHandler(AppState&, uint32_t msg, uint32_t) { return msg; }
uint32_t overlayPanel(uint32_t mode) {
    switch (mode) {
        case OVERLAY_SEQ_LIST: return PANEL_SEQ_LIST;
        case OVERLAY_CHANGE_BARS: return PANEL_CHANGE_BARS;
        case OVERLAY_CHORD: return PANEL_CHORD;
        case OVERLAY_MIDI_TO_BUTTON: return PANEL_MIDI_TO_BUTTON;
        default: return PANEL_NONE;
    }
}


uint32_t sendToPanel(AppState& app, uint32_t panel, uint32_t msg, uint32_t arg) {
    if (panel >= uint32_t(PANEL_COUNT) || !app.ui->panels[panel].proc) return msg;
    return app.ui->panels[panel].proc(app, msg, arg);
}

uint32_t forwardToHover(AppState& app, uint32_t msg, uint32_t arg) {
    const HoverHandler& h = app.ui->hoverHandler;
    return h.proc ? h.proc(app, msg, arg) : msg;
}

uint32_t dispatch(AppState& app, uint32_t msg, uint32_t arg) {
    UiState& ui = *app.ui;
    if (ui.focusPanel == PANEL_NONE) {
        // A click outside an open overlay only closes it.
        if (msg == PM_LDOWN && ui.overlayMode != OVERLAY_NONE) setOverlay(app, OVERLAY_NONE);
        return msg;
    }
    return sendToPanel(app, ui.focusPanel, msg, arg);
}

bool hitTest(AppState& app, PanelProc proc, uint32_t a, uint32_t b, int32_t x, int32_t y, int32_t w, int32_t h) {
    const UiState& ui = *app.ui;
    if (!(x <= ui.mouseX && ui.mouseX < x + w && y <= ui.mouseY && ui.mouseY < y + h)) return false;
    if (proc || a || b) app.ui->hoverHandler = HoverHandler{proc, a, b};
    return true;
}

void setOverlay(AppState& app, uint32_t mode) {
    UiState& ui = *app.ui;
    // An overlay whose panel is not registered would take the focus and
    // swallow the next click without drawing anything.
    const uint32_t panel = overlayPanel(mode);
    if (mode != ui.overlayMode && panel != PANEL_NONE && !ui.panels[panel].proc) return;
    if (mode == OVERLAY_NONE || mode == ui.overlayMode) {
        ui.overlayMode = OVERLAY_NONE;
        ui.focusPanel = PANEL_NONE;
    } else {
        ui.overlayMode = mode;
        ui.focusPanel = overlayPanel(mode);
    }
    markDirty(app, DIRTY_ALL);
}

int32_t windowToCanvasX(const AppState& app, int32_t x) {
    int32_t c = x + app.ui->scrollX;
    return (x < 0 || c > 32767) ? 0 : c;
}

int32_t windowToCanvasY(const AppState& app, int32_t y) {
    int32_t c = y + app.ui->scrollY;
    return (y < 0 || c >= 32768) ? 0 : c;
}

void onMouseMove(AppState& app, int32_t x, int32_t y) {
    UiState& ui = *app.ui;
    ui.mouseX = x;
    ui.mouseY = y;
    if (ui.leftHeld) {
        dispatch(app, PM_LDRAG, 0);
        return;
    }
    if (ui.rightHeld) {
        dispatch(app, PM_RDRAG, 0);
        return;
    }
    ui.prevHoverHandler = ui.hoverHandler;
    ui.hoverHandler = HoverHandler{noopHandler, 0, 0};
    ui.focusPanel = PANEL_NONE;
    probePanels(app);
    dispatch(app, PM_MOVE, 0);
    if (!(ui.hoverHandler == ui.prevHoverHandler) && ui.prevHoverHandler.proc)
        ui.prevHoverHandler.proc(app, PM_LEAVE, 0);
}

void onLeftDown(AppState& app, int32_t x, int32_t y) {
    app.ui->mouseX = x;
    app.ui->mouseY = y;
    app.ui->leftHeld = 1;
    dispatch(app, PM_LDOWN, 0);
}

void onLeftUp(AppState& app) {
    app.ui->repeatDelay = 0;
    app.ui->repeatCount = 0;
    dispatch(app, PM_LUP, 0);
    app.ui->leftHeld = 0;
}

void onRightDown(AppState& app, int32_t x, int32_t y) {
    app.ui->mouseX = x;
    app.ui->mouseY = y;
    app.ui->rightHeld = 1;
    if (!app.ui->pasteMode) dispatch(app, PM_RDOWN, 0);
}

bool onRightUp(AppState& app) {
    UiState& ui = *app.ui;
    if (ui.pasteMode) {
        ui.pasteMode = 0;
        ui.rightHeld = 0;
        markDirty(app, DIRTY_ALL);
        return true;
    }
    if (ui.gridMenuState == 2) {
        ui.gridMenuState = 0;
        ui.rightHeld = 0;
        markDirty(app, DIRTY_ALL);
        return true;
    }
    dispatch(app, PM_RUP, 0);
    ui.rightHeld = 0;
    return false;
}

void onMiddleDown(AppState& app) {
    app.ui->wheelStep = 10;
}
void onMiddleUp(AppState& app) {
    app.ui->wheelStep = 1;
}

void onWheel(AppState& app, bool awayFromUser) {
    int32_t step = awayFromUser ? -app.ui->wheelStep : app.ui->wheelStep;
    dispatch(app, PM_WHEEL, uint32_t(step));
}

void onKey(AppState& app, uint32_t key) {
    if (key <= 9 || key == KEY_ENTER || key == KEY_BACK) dispatch(app, PM_KEY, key);
}

void autoRepeatStep(AppState& app) {
    UiState& ui = *app.ui;
    if (!ui.leftHeld) return;
    if (ui.repeatDelay <= 15) ++ui.repeatDelay;
    if (ui.repeatDelay <= 15) return;
    if (++ui.repeatCount > 5) {
        ui.repeatCount = 0;
        if (dispatch(app, PM_REPEAT, 0) == 0) markDirty(app, DIRTY_ALL);
    }
}

void stepValue(int32_t& value, int32_t min, int32_t max, int32_t delta) {
    if (max < min) {
        value = 0;
        return;
    }
    value = int32_t(std::clamp<int64_t>(int64_t(value) + delta, min, max));
}

void stepValue(uint32_t& value, int32_t min, int32_t max, int32_t delta) {
    int32_t v = int32_t(std::min<uint32_t>(value, 0x7FFFFFFFu));
    stepValue(v, min, max, delta);
    value = uint32_t(v);
}

void stepValue(uint8_t& value, int32_t min, int32_t max, int32_t delta) {
    int32_t v = value;
    stepValue(v, min, max, delta);
    value = uint8_t(v);
}

void stepValue(int8_t& value, int32_t min, int32_t max, int32_t delta) {
    int32_t v = value;
    stepValue(v, min, max, delta);
    value = int8_t(v);
}

bool numericKey(AppState& app, int32_t& target, uint32_t key, int32_t modulus, int32_t min, int32_t max) {
    UiState& ui = *app.ui;
    if (key <= 9) {
        if (!ui.numEntryActive) {
            ui.numEntryValue = int32_t(key);
            ui.numEntryActive = 1;
        } else {
            ui.numEntryValue = int32_t((int64_t(ui.numEntryValue) * 10 + key) % (int64_t(modulus) + 1));
        }
        return false;
    }
    bool stored = false;
    if (key == KEY_ENTER && ui.numEntryActive) {
        target = std::clamp(ui.numEntryValue, min, max);
        stored = true;
    }
    ui.numEntryActive = 0;
    ui.numEntryValue = 0;
    return stored;
}

int32_t timingCorrectStep(uint32_t index) {
    constexpr int32_t STEPS[7] = {1, 48, 32, 24, 16, 12, 8};
    return index < 7 ? STEPS[index] : 1;
}

}  // namespace qz
