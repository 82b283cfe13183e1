// The program's one window on Qt (platform/window.h) and its dialogs.
#pragma once

#include "platform/window.h"

namespace qz {

// Fill the screen framework's platform table with Qt's boxes, menus and
// dialogs over the main window (ui_platform_qt.cpp).
void installQtUiPlatform(AppState& app);

}  // namespace qz
