// The program's one window on Qt: the menu, the canvas inside scroll bars,
// the 2 ms UI timer (stopped while no frame is due, started again by the next
// window event or by a wake from another thread), mouse, wheel and key input
// routed to the screen framework, and dropped files.
#pragma once

#include <string>
#include <vector>

namespace qz {

struct AppState;
struct DrawContext;

// What the program does with the window's events. Every hook runs on the
// window thread.
struct WindowHooks {
    void* user = nullptr;
    // The 2 ms UI timer. Answer false to stop it until the next window event
    // or wake (`uiTimerMaySleep`).
    bool (*timer)(void* user) = nullptr;
    // A menu command by its number (101 Load ... 110 MIDI to button).
    void (*menu)(void* user, int id) = nullptr;
    // Files and folders dropped on the window, in the order given.
    void (*drop)(void* user, const std::vector<std::string>& paths) = nullptr;
    // The window and its UI timer exist (before the window is shown).
    void (*created)(void* user) = nullptr;
    // The user asks to close; answer false to keep running.
    bool (*closeRequested)(void* user) = nullptr;
};

// The title the window carries.
extern const char* const WINDOW_TITLE;

// Size of the primary screen in pixels.
void primaryScreenSize(int& width, int& height);
// Make the window of the given size over the canvas at the screen's top-left
// corner, show it and run the event loop until it closes. Returns the loop's
// exit code.
int runMainWindow(AppState& app, DrawContext& dc, const WindowHooks& hooks, int width, int height);
// Milliseconds since the program's start (the first call), for the start-up
// times printed when QZSEQ_STARTUP_TIMES is set.
double startupMs();
// Print one start-up step's time on stderr when QZSEQ_STARTUP_TIMES is set.
void startupStep(const char* step);
// Ask the window to show the canvas again (after a repaint).
void presentCanvas();
// Ask the window to close (the close question still runs).
void requestWindowClose();
// Call fn(user) once on the window thread after `ms` milliseconds of the
// event loop.
void callLater(int ms, void (*fn)(void* user), void* user);
// Fill the screen framework's platform table with Qt's boxes, menus and
// dialogs over the main window (ui_platform_qt.cpp).
void installQtUiPlatform(AppState& app);

}  // namespace qz
