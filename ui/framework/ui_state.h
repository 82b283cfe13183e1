// Screen fields of the application state: focus and hover, held buttons,
// typed entry, overlays, mode flags and the activity lamps.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "song/song_store.h"
#include "ui/framework/draw.h"
#include "ui/framework/ui_platform.h"

namespace qz {

struct AppState;
struct ScreenState;

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

// A probe rectangle: inclusive pixel ranges. One marked `allTracksOnly`
// counts only in ALL TRACKS mode.
struct PanelArea {
    int32_t x0, x1, y0, y1;
    bool allTracksOnly = false;
};
constexpr int PANEL_MAX_AREAS = 2;
constexpr int PANEL_MAX_PAINT_BITS = 3;

// One registered panel: what the framework needs to route input to it, to
// repaint it and to run its part of the UI frame. Filled by the panel's own
// `install` function; an empty record answers every message with its code.
struct PanelRecord {
    PanelProc proc = nullptr;
    // The dirty bits that each send it PM_PAINT (argument: the bit), in
    // this order.
    uint32_t paintBits[PANEL_MAX_PAINT_BITS] = {};
    // Its part of the 16 ms UI frame (countdowns, timed fields, follow-ups).
    void (*frameWork)(AppState& app) = nullptr;
    // Where the pointer finds it (`inPanelArea`).
    PanelArea areas[PANEL_MAX_AREAS] = {};
    int areaCount = 0;
    // Is it probed in the current modes? Null: always.
    bool (*live)(const AppState& app) = nullptr;
    // Does its frame work still count something down (a lamp, a blink, a
    // timed message), so the UI frame must keep running? Null: never.
    bool (*busy)(const AppState& app) = nullptr;
};

// Drawing at fixed points of the repaint that belongs to no panel's area:
// on a full repaint before the panels' static parts, and on every repaint
// before the panels, after the overlay, and last, over the hover highlight.
constexpr uint32_t PAINT_BACKGROUND = 0;
constexpr uint32_t PAINT_UNDER = 1;
constexpr uint32_t PAINT_OVER = 2;
constexpr uint32_t PAINT_TOP = 3;
constexpr int MAX_PAINTERS = 8;
struct Painter {
    uint32_t stage = PAINT_BACKGROUND;
    void (*paint)(AppState& app) = nullptr;
};

// Work that is not a panel's and that the repaint and the UI frame run at
// fixed points (all on the window thread). An unset entry is skipped.
struct FrameHooks {
    // Start of every UI timer message: drain the engine-to-window queue and
    // the input rings.
    void (*pollEngine)(AppState& app) = nullptr;
    // Values several panels read during one repaint.
    void (*refreshFrameValues)(AppState& app) = nullptr;
    // Show the canvas on the window (the platform).
    void (*present)(AppState& app) = nullptr;
};

struct UiState {
    // Lowest note the event views show; follows the track's pad base note.
    int32_t padBaseNote = 36;
    // Track shown by the step editor.
    int32_t stepTrack = 1;

    // The registered panels by number, and the painters in the order they
    // were registered.
    std::array<PanelRecord, PANEL_COUNT> panels{};
    std::array<Painter, MAX_PAINTERS> painters{};
    int painterCount = 0;
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

    // Modes of the transport panel's buttons (window thread); LOOP EDIT and
    // the SOLO sub-mode of track mute mode are `app.rec.loopEdit` and
    // `app.rec.trackMuteSolo`, which the input thread reads.
    bool mouseRec = false;        // MOUSE REC: clicks in the grid write notes
    bool savedAllTracks = false;  // ALL TRACKS as it was when track mute mode began
    bool tapArmed = false;        // TAP TEMPO saw a first tap
    uint32_t lastTap = 0;         // msClock of the last tap
    // Transport buttons drawn pressed while the left button (or a mapped MIDI
    // message) holds them, one bit per button.
    uint32_t transportHeld = 0;
    // NOTE ERASE was drawn usable (raised) at its last paint.
    bool noteEraseShown = false;

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
    // The screens' own state (`ScreenState`, ui/screens/), made by
    // `installScreens`.
    std::unique_ptr<ScreenState, void (*)(ScreenState*)> screens{nullptr, nullptr};
};

}  // namespace qz
