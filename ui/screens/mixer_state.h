// What the two mixer panels ("Midi Out Device" and "TRACK MIDI MESSAGES")
// remember between messages (window thread).
#pragma once

#include <cstdint>

namespace qz {

constexpr int MIXER_DEVICE_ROWS = 6;
constexpr int MIXER_DEVICE_NAME = 32;

struct MixerState {
    // The value column's selection: the column (MIXCOL_*, MIXCOL_NONE when
    // none), the row it started on and the row it reaches (tracks 1..16).
    uint32_t selColumn = 0xFFFFFFFF;
    int32_t selAnchor = 0;
    int32_t selEnd = 0;
    // The value remembered at the press that a drag copies, and the row the
    // drag last wrote.
    int32_t remembered = 0;
    int32_t dragRow = 0;
    // The test note sounding since a left press on a value column: track
    // (0 none) and where the note went, so its note-off reaches the same
    // port, channel and note even when the press changed them meanwhile.
    int32_t auditionTrack = 0;
    int32_t auditionPort = 0;
    int32_t auditionChannel = 0;
    int32_t auditionNote = 0;
    // MUTE column: the state the last press set, which a drag copies.
    uint8_t muteDragState = 0;
    // Momentary buttons held down, one bit per button (MIXBTN_*).
    uint32_t held = 0;
    // The drum-name list: the pad note sounding from a press (-1 none), its
    // row and track.
    int32_t drumNote = -1;
    int32_t drumRow = -1;
    int32_t drumTrack = 0;
    // The pads' base note and row count the list was last drawn for.
    uint32_t drumListShown = 0;
    // Names of the opened output devices for the six device rows.
    char outNames[MIXER_DEVICE_ROWS][MIXER_DEVICE_NAME + 1] = {};
};

}  // namespace qz
