// The program's state as the window builds it at its creation, shared by the
// window program, the render command and the headless tests.
#pragma once

#include "song/app_state.h"

namespace qz {

// The work buffer and the defaults, then (with `readSettingsFile`) the
// settings file over them, then sequence 1 and track 1 selected. The caller
// has made the canvas and set `app.loader.programFolder`. Returns 0, or 3
// when the work buffer cannot be had.
int initProgramState(AppState& app, bool readSettingsFile);
// The first picture: the canvas filled with colour 2 and a full repaint.
void firstPaint(AppState& app);
// The UI frame's hooks that the framework itself provides (the engine's
// poll of its queues).
void installFrameworkHooks(AppState& app);

}  // namespace qz
