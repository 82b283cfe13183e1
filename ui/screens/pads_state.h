// What the left column remembers between messages (window thread): the pads
// panel's list and LOOP EDIT options, the note it plays, and the ALL TRACKS
// track list's pending right click.
#pragma once

#include <cstdint>

#include "ui/framework/ui_state.h"

namespace qz {

struct PadsState {
    // 0: 16 rows of 23 pixels; 1: 32 rows of 12 pixels (the grid follows it).
    int32_t listLength = 0;
    // LOOP EDIT's wheel edits velocity (0) or timing (1), and the pattern
    // 0..5 a click writes in the one-bar view.
    int32_t veloShift = 0;
    int32_t pattern = 0;
    // Note sounding from the list and its track, or -1.
    int32_t playingNote = -1;
    int32_t playingTrack = 1;
    // The note a right press on the list picked for PADMENU, or -1.
    int32_t menuNote = -1;
    // The track whose name the rename dialog edits.
    int32_t renameTrack = 1;
    // The track list's number column: a right press made a track current and
    // its menu opens on the release.
    bool trackMenuPending = false;
    // The column a NOTE track shows in place of the pads (its own panel
    // handler), once there is one.
    PanelProc noteColumn = nullptr;
};

}  // namespace qz
