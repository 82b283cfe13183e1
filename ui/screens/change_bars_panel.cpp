// The Change Bars popup: the sequence's bar count, the new count set by the
// wheel or typed, a warning when the new count cuts bars away, and ENTER
// and CANCEL.
#include <algorithm>

#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/framework/panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t POPUP_FRAME = 212;
constexpr int32_t WARNING_TEXT = 250;

constexpr int32_t ENTER_X = 710, ENTER_Y = 73, BUTTON_W = 75, BUTTON_H = 20;
constexpr int32_t CANCEL_X = 800, CANCEL_Y = 73;

// Apply the popup's bar count (held to 1..999, as the popup then shows it).
void applyBars(AppState& app) {
    SequencePanelState& p = screens(app).seqPanel;
    p.newBars = std::clamp(p.newBars, 1, MAX_BARS);
    applyNewBars(app, p.newBars);
}

// ENTER applies on the press and closes on the release.
uint32_t enterButton(AppState& app, uint32_t msg, uint32_t) {
    switch (msg) {
        case PM_LDOWN:
            screens(app).seqPanel.barsEnterHeld = true;
            applyBars(app);
            markDirty(app, DIRTY_OVERLAY);
            return 0;
        case PM_LUP:
            screens(app).seqPanel.barsEnterHeld = false;
            setOverlay(app, OVERLAY_NONE);
            return 0;
        default: return msg;
    }
}

// CANCEL closes without a change.
uint32_t cancelButton(AppState& app, uint32_t msg, uint32_t) {
    switch (msg) {
        case PM_LDOWN:
            screens(app).seqPanel.barsCancelHeld = true;
            markDirty(app, DIRTY_OVERLAY);
            return 0;
        case PM_LUP:
            screens(app).seqPanel.barsCancelHeld = false;
            setOverlay(app, OVERLAY_NONE);
            return 0;
        default: return msg;
    }
}

// The first digit after opening starts a new number, each further one is
// appended; only the last three digits count. Other keys do nothing: only
// the ENTER button applies, so a stray Enter cannot cut the sequence.
void barsKey(AppState& app, uint32_t key) {
    SequencePanelState& p = screens(app).seqPanel;
    if (key > 9) return;
    p.newBars = p.barsTyping ? (p.newBars * 10 + static_cast<int32_t>(key)) % 1000 : static_cast<int32_t>(key);
    p.barsTyping = true;
    markDirty(app, DIRTY_OVERLAY);
}

void drawPopup(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const SequencePanelState& p = screens(app).seqPanel;
    const int32_t bars = static_cast<int32_t>(app.seq->bars);
    frameRect(dc, 670, 0, 260, 100, POPUP_FRAME);
    frameRect(dc, 671, 1, 258, 98, POPUP_FRAME);
    frameRect(dc, 672, 2, 256, 96, POPUP_FRAME);
    fillRect(dc, 673, 3, 254, 21, POPUP_FRAME);
    selectFont(dc, FONT_ARIAL_18);
    drawText(dc, 740, 4, "Change Bars", COL_WHITE);
    fillRect(dc, 673, 24, 254, 73, COL_PANEL);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 680, 30, "Current =", COL_BLACK);
    drawNumberZero(dc, 750, 30, bars, 999, COL_BLACK);
    drawText(dc, 780, 30, "New Bars=", COL_BLACK);
    drawField(dc, true, 875, 30, 35, 20);
    drawNumberZero(dc, 880, 29, screens(app).seqPanel.newBars, 999, COL_BLACK);
    if (bars > screens(app).seqPanel.newBars) drawText(dc, 680, 50, "[ENTER] Will Trancate last bars !!", WARNING_TEXT);
    bevelButtonThin(dc, p.barsEnterHeld && app.ui->leftHeld, ENTER_X, ENTER_Y, BUTTON_W, BUTTON_H, COL_BUTTON_OFF,
                    COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    drawText(dc, 724, 73, "ENTER", COL_BLACK);
    bevelButtonThin(dc, p.barsCancelHeld && app.ui->leftHeld, CANCEL_X, CANCEL_Y, BUTTON_W, BUTTON_H, COL_BUTTON_OFF,
                    COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    drawText(dc, 810, 73, "CANCEL", COL_BLACK);
}

uint32_t changeBarsPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE:
            if (!inPanelArea(app, PANEL_CHANGE_BARS)) return msg;
            hitTest(app, enterButton, 0, 0, ENTER_X, ENTER_Y, BUTTON_W, BUTTON_H);
            hitTest(app, cancelButton, 0, 0, CANCEL_X, CANCEL_Y, BUTTON_W, BUTTON_H);
            return 0;
        case PM_PAINT: drawPopup(app); return 0;
        case PM_WHEEL:
            stepValue(screens(app).seqPanel.newBars, 1, MAX_BARS, static_cast<int32_t>(arg));
            markDirty(app, DIRTY_OVERLAY);
            return 0;
        case PM_KEY: barsKey(app, arg); return 0;
        case PM_LDOWN:
        case PM_LUP: {
            const HoverHandler h = app.ui->hoverHandler;
            return h.proc ? h.proc(app, msg, arg) : msg;
        }
        default: return msg;
    }
}

}  // namespace

void installChangeBarsPanel(AppState& app) {
    PanelRecord r;
    r.proc = changeBarsPanel;
    r.areas[0] = {671, 929, 1, 99};
    r.areaCount = 1;
    registerPanel(app, PANEL_CHANGE_BARS, r);
}

}  // namespace qz
