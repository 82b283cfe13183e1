// The MIDI to button window's own state, and the window thread's side of
// MIDI to button: the presses handed over by the input thread.
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

struct MidiButtonPanelState {
    // The last value received for each button (non-zero: drawn lit).
    int32_t state[30] = {};
    // Right button in a column: the wheel sets every row.
    bool allRows = false;
    // Left button in a column: the value copied into each row dragged over
    // (column 0 Ch., 1 Status, 2 Number; -1 none).
    int32_t dragColumn = -1;
    uint32_t dragValue = 0;
    bool resetHeld = false;
    bool closeHeld = false;
    // The window was open at the last poll (its closing rebuilds the tables).
    bool wasOpen = false;
};

// (window) Every poll: press the buttons the input thread matched, learn
// from the messages while the window is open, and rebuild the lookup when
// the window has closed.
void pollMidiButtons(AppState& app);
// (window) Press (or release) MIDI-to-button button 1..30 as the mouse would.
void pressMidiButton(AppState& app, int button, bool down);

}  // namespace qz
