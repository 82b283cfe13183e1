// The right-hand column of the drum views: the note map with its audition,
// PAD SOLO, PAD MUTE, RESET and CLEAR, one button per row.
#include "ui/framework/panel.h"
#include "ui/screens/grid_edit.h"

namespace qz {

void paintDrumColumnStatic(AppState&, GridView) {}
void paintDrumColumn(AppState&, GridView) {}
bool probeDrumColumn(AppState&, GridView) { return false; }

}  // namespace qz
