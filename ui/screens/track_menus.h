// The track row's and the pads' popup menus with their actions.
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

// TRACKMENU (TRACKTEMPOMENU on the tempo track) for the current track, and
// its action. Returns the chosen item.
uint32_t trackMenu(AppState& app);
// PADMENU for the pad that plays `note` on the current track, and its action.
uint32_t padMenu(AppState& app, int note);

}  // namespace qz
