// The velocity, duration and timing-correct dialogs of the note edits, the
// edit they start, and the notice shown while it runs.
#pragma once

#include <cstdint>

#include "program/app_state.h"
#include "song/records.h"

namespace qz {

// Values of the velocity, duration and timing-correct dialogs (kept for the
// run, not saved).
struct NoteEditSettings {
    uint32_t editMode = EDIT_SET;
    int32_t velocityValue = 127;
    int32_t durationValue = 24;
    int32_t editGrid = 24;
    uint32_t editShiftEarlier = 0;
    int32_t editShift = 0;
    int32_t editSwing = 50;
    int32_t editStrength = 100;
    char editTitle[40] = {};
};

// EDIT_VELOCITY, EDIT_DURATION and EDIT_TC on `screens(app).noteEdit`,
// showing its `editTitle`. Each returns DIALOG_ENTER only when the values
// passed their checks; the values that passed are kept either way.
int editVelocityDialog(AppState& app);
int editDurationDialog(AppState& app);
int editTimingDialog(AppState& app);
// Which note edit `runNoteEdit` runs.
constexpr uint32_t NOTE_EDIT_VELOCITY = 0;
constexpr uint32_t NOTE_EDIT_DURATION = 1;
constexpr uint32_t NOTE_EDIT_TIMING = 2;
// The velocity, duration or timing-correct edit (NOTE_EDIT_*) on the notes
// of `track` in [lowNote, highNote] and [fromTick, toTick): title, dialog,
// and after "Enter" the undo copy, the edit and the wait notice. Returns
// true when the edit ran.
bool runNoteEdit(AppState& app, uint32_t edit, int track, int lowNote, int highNote, Tick fromTick, Tick toTick,
                 const char* title);

}  // namespace qz
