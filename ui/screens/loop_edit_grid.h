// LOOP EDIT's one-bar drum view: the click that writes a single note or a
// whole pattern, the wheel that edits the notes' velocity or timing, the
// value box over a note and the pattern's wash in the row under the pointer.
#pragma once

#include "ui/screens/grid_edit.h"

namespace qz {

// The note of the drum view's row under the pointer, or -1.
int32_t gridRowNote(const AppState& app, GridView v);

void loopEditPress(AppState& app);
// True when the press only returned the pattern to single notes.
bool loopEditRightPress(AppState& app);
void loopEditWheel(AppState& app, int32_t step);
void loopEditHilite(AppState& app);
void loopEditLeave(AppState& app);
void paintLoopEditWash(AppState& app);

}  // namespace qz
