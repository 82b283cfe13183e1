// The program's one window, as every window door gives it (platform/qt/ and
// platform/win32/): the menu, the canvas inside scroll bars, the 2 ms UI
// timer (a door may stop it while no frame is due and start it again on the
// next window event or wake), mouse, wheel and key input routed to the screen
// framework, and dropped files.
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
    // The 2 ms UI timer. Answer false when the timer may stop until the next
    // window event or wake (`uiTimerMaySleep`); a door without a wake keeps
    // it running.
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
// times printed when QZSEQ_STARTUP_TIMES is set (null/startup_times.cpp).
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

}  // namespace qz
