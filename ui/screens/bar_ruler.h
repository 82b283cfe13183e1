// The bar ruler's parts that other panels show or call: the start and end
// buttons below the grid, the loop as the ruler applies it, and what the
// ruler draws over whichever grid view is shown (the selected bars, the
// paste ghost).
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

// The start button (180, 539) at the foot of the left column and the end
// button (964, 539) right of the position strip: hover handlers.
uint32_t startButton(AppState& app, uint32_t msg, uint32_t arg);
uint32_t endButton(AppState& app, uint32_t msg, uint32_t arg);
void drawStartButton(AppState& app);
void drawEndButton(AppState& app);

// Drawn by every grid view after its own picture: the highlight of the bars
// being selected, or the paste ghost with the clipboard's marks.
void drawBarRulerOverGrid(AppState& app);

}  // namespace qz
