// The program's one window on Win32 (platform/window.h) and its dialogs.
#pragma once

#include <string>

#include "platform/window.h"

namespace qz {

// Take the named mutex "QZSEQ". False when another instance holds it: then
// "QZ-Sequencer is active" has been shown and the program should end.
bool claimSingleInstance();
// The folder the executable lives in.
std::string programFolder();
// Fill the screen framework's platform table with the Win32 boxes, menus
// and dialogs over the main window (ui_platform_win32.cpp).
void installWin32UiPlatform(AppState& app);
// The main window, as a HWND; null while none runs.
void* mainWindowHandle();

}  // namespace qz
