// What the sequence row, the track row and the sequence list share: the
// sequence menu with its rename protocol, the list button that opens the
// list and closes it again, and the panels' handlers.
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

// SEQMENU for a sequence, SEQDEFAULTMENU for an empty slot, and its action;
// `fromList` chooses the list's rename dialog, question and banner place.
// Returns the chosen item (0 when dismissed).
uint32_t sequenceMenu(AppState& app, bool fromList);
// The rename dialog's text messages (PM_TEXT_GET, PM_TEXT_SET,
// PM_TEXT_CANCEL) for the current sequence; non-zero refuses a name that
// another slot already has.
uint32_t sequenceRenameText(AppState& app, uint32_t msg, bool fromList);
// The list button beside the sequence name (a hover handler).
uint32_t listButton(AppState& app, uint32_t msg, uint32_t arg);
void drawListButton(AppState& app);

uint32_t sequenceRowPanel(AppState& app, uint32_t msg, uint32_t arg);
uint32_t trackRowPanel(AppState& app, uint32_t msg, uint32_t arg);
uint32_t sequenceListPanel(AppState& app, uint32_t msg, uint32_t arg);

// Private message of the track row: make track `arg` (1..16) current.
constexpr uint32_t PM_SELECT_TRACK = 36;

}  // namespace qz
