// Screen fields of the application state: focus and hover, held buttons,
// typed entry, overlays, mode flags and the activity lamps.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "ui/framework/draw.h"
#include "ui/framework/ui_platform.h"

namespace qz {

struct AppState;

// A panel's or a clickable element's handler: (state, message, argument).
using PanelProc = uint32_t (*)(AppState& app, uint32_t msg, uint32_t arg);

// The element under the pointer: its handler and two words that tell
// elements sharing a handler apart.
struct HoverHandler {
    PanelProc proc = nullptr;
    uint32_t a = 0;
    uint32_t b = 0;
    bool operator==(const HoverHandler&) const = default;
};

constexpr int PANEL_COUNT = 23;

// Work of other subsystems that the repaint and the UI frame run at fixed
// points (all on the window thread). An unset entry is skipped, or reads as
// "no" / "the cursor".
struct FrameHooks {
    // Start of every UI timer message: drain the engine-to-window queue and
    // the input rings.
    void (*pollEngine)(AppState& app) = nullptr;
    // The panels' own frame work: the sequence row's timed field and its
    // "MIDI" countdown, the transport and record-parameter panels' counters.
    void (*frameWork)(AppState& app) = nullptr;
    // The MIDI-in panel's frame work (its clock lamps, the refused-channel
    // display), run right after `frameWork`.
    void (*midiInFrameWork)(AppState& app) = nullptr;
    // Is any key held on MIDI input?
    bool (*midiKeysHeld)(const AppState& app) = nullptr;
    // Values several panels read during one repaint.
    void (*refreshFrameValues)(AppState& app) = nullptr;
    // The event grid's visible bar window.
    void (*recomputeGridWindow)(AppState& app) = nullptr;
    // Tick the position counter shows instead of the cursor (the tick under
    // the pointer in a grid view while stopped), or -1 for the cursor.
    int32_t (*counterTick)(AppState& app) = nullptr;
    // Is the transport waiting for a MIDI-in note to start?
    bool (*waitingForNote)(const AppState& app) = nullptr;
    // Is the mixer's GM-drum-name mode on (it hides the activity lamps)?
    bool (*drumNameMode)(const AppState& app) = nullptr;
    // The event grid's note-row strip.
    void (*drawNoteRowStrip)(AppState& app) = nullptr;
    // Show the canvas on the window (the platform).
    void (*present)(AppState& app) = nullptr;
};

struct UiState {
    // First bar shown by the event views (the undo copies remember it).
    int32_t firstBar = 0;
    // Lowest note the event views show; follows the track's pad base note.
    int32_t padBaseNote = 36;
    // Track shown by the step editor.
    int32_t stepTrack = 1;

    // Panel handlers by number; an empty entry answers every message with
    // its code.
    std::array<PanelProc, PANEL_COUNT> panels{};
    uint32_t focusPanel = 0;
    uint32_t overlayMode = 0;
    HoverHandler hoverHandler;
    HoverHandler prevHoverHandler;
    uint32_t leftHeld = 0;
    uint32_t rightHeld = 0;
    int32_t repeatDelay = 0;
    int32_t repeatCount = 0;
    uint32_t numEntryActive = 0;
    int32_t numEntryValue = 0;
    uint32_t pasteMode = 0;
    uint32_t gridMenuState = 0;

    // Mode flags that decide which panels are live.
    bool stepEditView = false;
    bool trackMuteMode = false;

    // Pointer and window geometry in canvas coordinates.
    int32_t mouseX = 0, mouseY = 0;
    int32_t scrollX = 0, scrollY = 0;
    int32_t clientWidth = 1735, clientHeight = 700;
    int32_t canvasWidth = 1735, canvasHeight = 700;
    int32_t wheelStep = 1;
    uint32_t lastFrameMs = 0;

    // The canvas and its text state (window thread).
    DrawContext draw;
    FrameHooks hooks;
    // Message boxes, menus, dialogs and the pointer (window thread).
    UiPlatform platform;
    // The text of the open text dialog, 16 characters and a NUL, shared by
    // every text dialog: PM_TEXT_GET fills it, PM_TEXT_SET hands it over.
    char textBuffer[17] = {};
    // Frames the input indicator (shown while thru is off) still signals
    // input; set by the MIDI input thread, counted down by the window thread.
    std::atomic<uint8_t> inputIndicator{0};

    // Activity lamps per track 1..16, in UI frames still to glow. Input
    // lamps are lit by the MIDI input thread and counted down by the window
    // thread; output lamps by the engine and the window thread.
    std::array<std::atomic<uint8_t>, 17> inLamp{};
    std::array<std::atomic<uint8_t>, 17> outLamp{};
};

}  // namespace qz
