// Loading and saving from the window: drops, "Load", "Load Folder", the
// name check with its "Replace Or Rename." dialog, the question before a
// package replaces everything, "Save a Sequence" and the question asked when
// the window closes.
#pragma once

#include <string>
#include <vector>

#include "program/app_state.h"

namespace qz {

// A dropped set of files and folders, in the order given. Failures of single
// files are not reported; a cancelled question ends the drop.
void onFilesDropped(AppState& app, const std::vector<std::string>& paths);
// A MIDI (kind 2) or ".SEQ" (kind 1) file under the loader's proposed name,
// after resolving a name that already exists. Returns the reader's result,
// or ERR_CANCELLED when the user cancelled.
int loadWithNameCheck(AppState& app, const std::string& path, int kind);
// An ".ALL" package, after asking whether it may replace every sequence.
// Returns the reader's result, or ERR_CANCELLED when the user declined.
int loadPackageWithQuestion(AppState& app, const std::string& path);
// Menu "Load": the open-file dialog and the load, errors shown.
void loadFileDialog(AppState& app);
// Menu "Load Folder": the folder browser and every MIDI file in the folder.
void loadFolderDialog(AppState& app);
// Menu "Save a Sequence": the save dialog and the write of the current
// sequence. Nothing when the current slot is empty.
void saveSequenceDialog(AppState& app);
// The window is asked to close: stop, write the settings file, and ask
// about changed sequences. False when the user chose to keep running.
bool closeRequested(AppState& app);

}  // namespace qz
