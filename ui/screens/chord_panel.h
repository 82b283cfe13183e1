// The Note to Chord panel, shown in the pads' column while the current
// track is a NOTE track, and its state.
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

struct ChordPanelState {
    bool chordEditHeld = false;
    bool stepBackHeld = false;
    bool stepForwardHeld = false;
    bool deleteHeld = false;
    int32_t recHeldRow = -1;    // the Rec button held down, -1 none
    int32_t chordHeldRow = -1;  // the Chord (or Key) cell held down, -1 none
};

// The Chord Edit window's state.
struct ChordEditState {
    int32_t renameType = 0;     // the type the name dialog renames
    int32_t soundingType = -1;  // the type sounding from a press, -1 none
    int32_t pointX = 0, pointY = 0;
    bool defaultHeld = false;
    bool closeHeld = false;
    bool wasOpen = false;  // open at the last poll
};

// (window) Every poll: the input path learns while the window is open;
// its closing forgets every held key.
void pollChordEdit(AppState& app);

// The panel takes the pads' place: the current track is a NOTE track, ALL
// TRACKS and TRACK MUTE MODE are off.
bool noteToChordShown(const AppState& app);
// The panel's handler (a PanelProc). The pads panel hands its messages here
// for a NOTE track in use; without a pads panel it is registered as panel 5.
uint32_t noteToChordPanel(AppState& app, uint32_t msg, uint32_t arg);

}  // namespace qz
