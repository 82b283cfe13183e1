// What the pads panel offers the other screens: the base notes that tie the
// sixteen pads to MIDI notes, and playing a note of the list.
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

// The base-note list: index 0..6 gives the notes 24, 35, 36, 48, 60, 72, 84.
constexpr uint32_t PAD_BASE_COUNT = 7;
int32_t padBaseNoteOf(uint32_t index);
// "24 C" ... "84 C".
const char* padBaseLabel(uint32_t index);
// The note pad 1 plays on track t (1..16).
int32_t trackPadBase(const AppState& app, int track);

// Sound a note of the list on the current track at velocity 127, ending the
// one sounding before; and end it.
void padNoteOn(AppState& app, int32_t note);
void padNoteOff(AppState& app);

// The ALL TRACKS toggle pressed from MIDI (message 4; 5 does nothing).
uint32_t toggleAllTracks(AppState& app, uint32_t msg, uint32_t arg);

// The ALL TRACKS track list in the left column (track_list.cpp).
uint32_t trackListColumn(AppState& app, uint32_t msg, uint32_t arg);

}  // namespace qz
