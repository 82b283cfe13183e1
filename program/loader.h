// The loading front end without its dialogs: which reader a file goes to, and
// loading a file or a folder of MIDI files.
#pragma once

#include <string>

namespace qz {

struct AppState;

constexpr int FILE_KIND_NONE = 0;
constexpr int FILE_KIND_SEQ = 1;
constexpr int FILE_KIND_MID = 2;
constexpr int FILE_KIND_ALL = 3;

// The reader for a file, from the first four characters of its extension
// (the part from the last "." of the file name), in any case: ".MID",
// ".SEQ", ".ALL", else FILE_KIND_NONE.
int fileKindOf(const std::string& path);

// Load one file with the reader of its kind: a MIDI or ".SEQ" file under
// `name` (null: the name derived from the file), an ".ALL" package into
// successive free slots. Returns the reader's result; FILE_KIND_NONE files
// are not read and give 10.
int loadFileByKind(AppState& app, const std::string& path, int kind, const char* name);

// ALL TRACKS after a MIDI file loaded: as the reader chose (on for a file of
// another program), but off in track mute mode, which works on one track.
void setLoadedAllTracks(AppState& app, bool readerChoice);

// Load every file of a folder whose extension is ".MID" (first four
// characters, any case) under the name derived from its file name, then
// select slot 1, sending the set-ups once. Returns 0, or ERR_FILE_OPEN when the folder
// cannot be listed.
int loadFolder(AppState& app, const std::string& folder);

}  // namespace qz
