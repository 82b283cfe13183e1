// The screen framework: panel numbers, message codes, dispatch to the focus
// panel, hit testing with the hover handler, the routing of window input,
// the UI frame, overlays, and the small value-entry helpers every panel uses.
#pragma once

#include <cstdint>

#include "program/app_state.h"
#include "ui/framework/ui_state.h"

namespace qz {

// Panel numbers.
constexpr uint32_t PANEL_NONE = 0;
constexpr uint32_t PANEL_MIDI_TO_BUTTON = 2;
constexpr uint32_t PANEL_SEQUENCE = 3;
constexpr uint32_t PANEL_TRACK = 4;
constexpr uint32_t PANEL_PADS = 5;
constexpr uint32_t PANEL_BARS = 6;
constexpr uint32_t PANEL_GRID = 7;
constexpr uint32_t PANEL_MIDI_IN = 10;
constexpr uint32_t PANEL_STEP = 11;
constexpr uint32_t PANEL_TRANSPORT = 12;
constexpr uint32_t PANEL_SEQ_LIST = 13;
constexpr uint32_t PANEL_METRONOME = 16;
constexpr uint32_t PANEL_CHANGE_BARS = 18;
constexpr uint32_t PANEL_CHORD = 19;
constexpr uint32_t PANEL_MIXER = 20;
constexpr uint32_t PANEL_TRACK_MESSAGES = 21;
constexpr uint32_t PANEL_OUT_MONITOR = 22;

// Message codes.
constexpr uint32_t PM_PROBE = 1;
constexpr uint32_t PM_MOVE = 2;
constexpr uint32_t PM_LDOWN = 4;
constexpr uint32_t PM_LUP = 5;
constexpr uint32_t PM_RDOWN = 6;
constexpr uint32_t PM_RUP = 7;
constexpr uint32_t PM_LDRAG = 8;
constexpr uint32_t PM_RDRAG = 9;
constexpr uint32_t PM_CURSOR = 11;
constexpr uint32_t PM_PAINT = 13;
constexpr uint32_t PM_REFRESH = 15;
constexpr uint32_t PM_WHEEL = 18;
constexpr uint32_t PM_LEAVE = 19;
constexpr uint32_t PM_TIMER = 21;
constexpr uint32_t PM_TEXT_GET = 25;
constexpr uint32_t PM_TEXT_SET = 26;
constexpr uint32_t PM_HILITE = 28;
constexpr uint32_t PM_REPEAT = 30;
constexpr uint32_t PM_KEY = 33;
constexpr uint32_t PM_TEXT_CANCEL = 35;
constexpr uint32_t PM_STATIC = 39;

constexpr uint32_t KEY_ENTER = 10;
constexpr uint32_t KEY_BACK = 11;

// Overlay modes.
constexpr uint32_t OVERLAY_NONE = 0;
constexpr uint32_t OVERLAY_SEQ_LIST = 1;
constexpr uint32_t OVERLAY_CHANGE_BARS = 3;
constexpr uint32_t OVERLAY_CHORD = 4;
constexpr uint32_t OVERLAY_MIDI_TO_BUTTON = 5;

// The handler of "nothing under the pointer": answers every message with its
// code.
uint32_t noopHandler(AppState& app, uint32_t msg, uint32_t arg);

// Panel that owns an overlay mode, or PANEL_NONE.
uint32_t overlayPanel(uint32_t mode);
// Send a message to the focus panel; the code itself when there is none.
uint32_t dispatch(AppState& app, uint32_t msg, uint32_t arg);
// Pass a click, wheel step or key on to the element under the pointer; the
// code itself when there is none.
uint32_t forwardToHover(AppState& app, uint32_t msg, uint32_t arg);
// Send a message to panel `panel`; the code itself when it has no handler.
uint32_t sendToPanel(AppState& app, uint32_t panel, uint32_t msg, uint32_t arg);
// Is the pointer inside (x, y, w, h)? A hit registers the triple as the
// hover handler unless all three are zero.
bool hitTest(AppState& app, PanelProc proc, uint32_t a, uint32_t b, int32_t x, int32_t y, int32_t w, int32_t h);
// Is the element (proc, a, b) the hovered one? The whole triple must match.
inline bool isHovered(const AppState& app, PanelProc proc, uint32_t a = 0, uint32_t b = 0) {
    return app.ui->hoverHandler == HoverHandler{proc, a, b};
}
// Is the pointer inside one of the panel's registered probe rectangles?
bool inPanelArea(const AppState& app, uint32_t panel);

// ---- The panel registry --------------------------------------------------------

// Make the screen's part of the state (once): the canvas, the panel table,
// the hooks. `app.ui` is set afterwards.
void attachUi(AppState& app);
// Register panel `panel` (PANEL_*): its handler, paint bits, frame work,
// probe rectangles and liveness.
void registerPanel(AppState& app, uint32_t panel, const PanelRecord& record);
// Register drawing at one of the repaint's fixed points (PAINT_*); painters
// of one stage run in the order they were registered.
void registerPainter(AppState& app, uint32_t stage, void (*paint)(AppState& app));
// Run the painters of a stage.
void runPainters(AppState& app, uint32_t stage);
// The fixed orders of the screen: the panels probed for the pointer (the
// first hit takes the focus), painted by dirty bits, and asked for their
// static parts on a full repaint.
extern const uint32_t PROBE_ORDER[12];
extern const uint32_t PAINT_ORDER[12];
extern const uint32_t STATIC_ORDER[9];
// Open, switch or close an overlay (the same mode again, or 0, closes it).
void setOverlay(AppState& app, uint32_t mode);

// Window input, in canvas coordinates.
void onMouseMove(AppState& app, int32_t x, int32_t y);
void onLeftDown(AppState& app, int32_t x, int32_t y);
void onLeftUp(AppState& app);
void onRightDown(AppState& app, int32_t x, int32_t y);
// Returns true when the release ended a paste placement (a full redraw is due).
bool onRightUp(AppState& app);
void onMiddleDown(AppState& app);
void onMiddleUp(AppState& app);
// `awayFromUser` is a wheel turn with a non-negative delta.
void onWheel(AppState& app, bool awayFromUser);
// Key code: 0..9 digits, KEY_ENTER, KEY_BACK.
void onKey(AppState& app, uint32_t key);
// Window to canvas coordinates with the scroll origin; positions beyond the
// window's left or top edge while captured come in as huge values and go to 0.
int32_t windowToCanvasX(const AppState& app, int32_t x);
int32_t windowToCanvasY(const AppState& app, int32_t y);

// The 16 ms frame's auto-repeat step (called once per frame).
void autoRepeatStep(AppState& app);

// value = clamp(value + delta, min, max); 0 when max < min.
void stepValue(int32_t& value, int32_t min, int32_t max, int32_t delta);
void stepValue(uint32_t& value, int32_t min, int32_t max, int32_t delta);
void stepValue(uint8_t& value, int32_t min, int32_t max, int32_t delta);
void stepValue(int8_t& value, int32_t min, int32_t max, int32_t delta);
// Typed numeric entry: digits build a number modulo (modulus + 1), Enter
// stores it clamped, anything else abandons it. Returns true when stored.
bool numericKey(AppState& app, int32_t& target, uint32_t key, int32_t modulus, int32_t min, int32_t max);
// Ticks of one timing-correct step for setting index 0..6.
int32_t timingCorrectStep(uint32_t index);

}  // namespace qz
