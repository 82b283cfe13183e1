// The transport and mode buttons along the bottom of the screen, as other
// screens reach them: the buttons by number, and pressing one from a mapped
// MIDI message.
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

// The buttons in painting and hit-test order; PANIC is not shown.
enum TransportButton : uint32_t {
    TRANSPORT_TAP_TEMPO,
    TRANSPORT_WAIT_FOR_KEY,
    TRANSPORT_SOLO,
    TRANSPORT_PREV_NOTE,
    TRANSPORT_NEXT_NOTE,
    TRANSPORT_STEP_BACK,
    TRANSPORT_STEP_FORWARD,
    TRANSPORT_BAR_BACK,
    TRANSPORT_BAR_FORWARD,
    TRANSPORT_ZOOM_IN,
    TRANSPORT_ZOOM_OUT,
    TRANSPORT_MOUSE_REC,
    TRANSPORT_TRACK_MUTE_MODE,
    TRANSPORT_NOTE_REPEAT,
    TRANSPORT_NOTE_ERASE,
    TRANSPORT_REC,
    TRANSPORT_OVER_DUB,
    TRANSPORT_STEP,
    TRANSPORT_STOP,
    TRANSPORT_PLAY,
    TRANSPORT_START,
    TRANSPORT_LOOP,
    TRANSPORT_UNDO,
    TRANSPORT_STEP_EDIT,
    TRANSPORT_MUTE_ALL,
    TRANSPORT_MUTE_CLR,
    TRANSPORT_SUB_SOLO,
    TRANSPORT_SUB_MUTE,
    TRANSPORT_PANIC,
    TRANSPORT_BUTTON_COUNT
};

// (window thread) Send a button its press (PM_LDOWN) or release (PM_LUP) as
// the mouse would, and repaint everything.
void pressTransportButton(AppState& app, TransportButton button, bool down);
// The same by MIDI-to-button number (1..30). False when the number is not a
// button of this panel (the start and end buttons, the ALL TRACKS toggle).
bool pressMappedTransportButton(AppState& app, int number, bool down);

}  // namespace qz
