// Leaving the canvas: the error box, questions, popup menus, the text
// dialogs, and the frame and hold of the notices the screens paint on the
// canvas itself while the program works. Everything goes through the platform table
// in `app.ui->platform`.
#pragma once

#include <cstdint>

#include "program/app_state.h"
#include "song/records.h"
#include "ui/framework/draw.h"
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

// ---- Canvas notices ------------------------------------------------------------------

// The frame of a notice painted on the canvas: three nested 300 x 40 frames
// (the outer one in `outer`, the inner two in `inner`) around a white box.
void drawNoticeBox(DrawContext& dc, int32_t x, int32_t y, int32_t outer, int32_t inner);
// Show what was painted now and hold it for `ms` (0: only show it).
void holdNotice(AppState& app, uint32_t ms);

}  // namespace qz
