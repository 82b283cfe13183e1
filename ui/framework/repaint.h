// The repaint orchestrator and the UI frame: what is drawn for which dirty
// bits, in which order, and the periodic work of the 2 ms UI timer.
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

// Draw what the dirty bits name, then the parts drawn on every repaint, and
// present the canvas. Nothing at all when no bit is set. Each panel gets
// PM_PAINT with the bit that asked for it as the argument, so a panel with
// several parts (panel 10, the tempo field of panel 3, the out monitor's
// list) can draw only that part.
void repaint(AppState& app);
// Mark everything dirty and repaint at once.
void redrawAll(AppState& app);
// One UI timer message at engine millisecond `msClock`: poll the engine, and
// at most every 16 ms run the frame (auto-repeat, timers, lamps) and repaint.
void uiTimer(AppState& app, uint32_t msClock);
// Is a UI frame due: anything dirty, a held button, the engine's side
// (`engineFrameDue`), or a panel whose frame work still counts down?
bool uiFrameDue(const AppState& app);
// After a UI timer message: may the timer stop until the next event? Marks
// the window asleep before the last look, so a thread that hands it work
// meanwhile either is seen here or wakes it (`wakeWindow`). The caller stops
// its timer on true and starts it again on the next window event or wake.
bool uiTimerMaySleep(AppState& app);

}  // namespace qz
