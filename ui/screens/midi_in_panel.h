// Parts of the MIDI-in panel (panel 10) that live in sources of their own.
#pragma once

#include "program/app_state.h"
#include "ui/framework/draw.h"

namespace qz {

// Record-parameter lists (rec_params_panel.cpp).
// Hit tests of the Velocity, T.Correct and Duration lists and the Swing%
// and Shift fields.
void probeRecordParams(AppState& app);
// Frames and titles.
void drawRecordParamsStatic(AppState& app);
// Rows, highlights, Swing% and Shift.
void drawRecordParams(AppState& app);
// Is the sequencer recording in ALL TRACKS mode (the lists then show that
// notes are taken as played)?
bool allTracksRecording(const AppState& app);

// Panel texts are black on the beige panels.
constexpr int32_t COL_PANEL_TEXT = COL_BLACK;

}  // namespace qz
