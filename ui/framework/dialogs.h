// Leaving the canvas: the error box, questions, popup menus, the text
// dialogs, the note-edit dialogs, and the notices painted on the canvas
// itself while the program works. Everything goes through the platform table
// in `app.ui->platform`.
#pragma once

#include <cstdint>

#include "program/app_state.h"
#include "song/records.h"
#include "ui/framework/ui_platform.h"

namespace qz {

// ---- Errors and questions ----------------------------------------------------

// The error box titled "Error": the number's text, followed by " #detail"
// when `detail` is non-zero. Number 0 shows nothing.
void showError(AppState& app, int code, int detail = 0);
// Show every error the store queued, oldest first; drop them when `show` is
// false (paths whose failures are not reported).
void flushErrors(AppState& app, bool show = true);
// A message box; ANSWER_CLOSED without a platform.
int askUser(AppState& app, const char* title, const char* text, int buttons, int icon);

// ---- Pointer -----------------------------------------------------------------

void setCursorShape(AppState& app, int shape);
// Move the pointer to a canvas point (through the scroll origin).
void warpPointer(AppState& app, int32_t x, int32_t y);

// ---- Popup menus ------------------------------------------------------------------

// Open a menu at the pointer and wait for the choice; 0 when it was
// dismissed or the choice was a greyed item. The screens own their menus.
uint32_t popupMenu(AppState& app, const MenuDef& menu);

// ---- Text dialogs ------------------------------------------------------------------

// Run a text dialog against the focus panel: PM_TEXT_GET fills the text,
// each "Enter" sends PM_TEXT_SET (a non-zero answer keeps the dialog open),
// "Cancel" sends PM_TEXT_CANCEL. Returns DIALOG_ENTER, DIALOG_CANCEL or
// DIALOG_CLOSED (closed from the frame: nothing is sent).
int textDialog(AppState& app, const TextDialogDef& dialog);

// ---- Note-edit dialogs ---------------------------------------------------------------

// EDIT_VELOCITY, EDIT_DURATION and EDIT_TC on `app.ui->noteEdit`, showing its
// `editTitle`. Each returns DIALOG_ENTER only when the values passed their
// checks; the values that passed are kept either way.
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

// ---- Canvas notices ------------------------------------------------------------------

// "Edit" / "Wite......." for 500 ms.
void showEditNotice(AppState& app);
// "Copy NN to MM" for 1000 ms.
void showCopyNotice(AppState& app, int fromSlot, int toSlot);
// The name-exists banner at (x, y); the caller decides how long it stays.
void showNameExists(AppState& app, int32_t x, int32_t y, const char* name);

}  // namespace qz
