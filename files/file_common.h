// Pieces shared by the file readers, the writer and the settings file:
// error numbers, whole-file reading, safe replacement of a file, and the
// sequence names derived from file names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qz {

struct Sequence;

// Error numbers of the file layer (texts: `fileErrorText`).
constexpr int ERR_FILE_OPEN = 4;
constexpr int ERR_FILE_TOO_BIG = 5;
constexpr int ERR_FILE_READ = 6;
constexpr int ERR_FILE_SAVE = 7;
constexpr int ERR_MID_BROKEN = 8;
constexpr int ERR_ROOM_FULL = 9;
constexpr int ERR_NOT_SEQUENCE = 10;
constexpr int ERR_CANCELLED = 15;

// The program's own text for an error number ("Error operation bug !!" for
// numbers it does not know).
const char* fileErrorText(int code);

// Read a whole file into `out`. Returns 0, 4 (cannot open), 6 (read failed)
// or 3 (no memory).
int readWholeFile(const std::string& path, std::vector<uint8_t>& out);

// Write `size` bytes to `path` through a temporary file in the same folder
// that is renamed over the old file only after a complete write, so a failed
// save never destroys the previous file. Returns 0, 4 (the temporary file
// cannot be created) or 7 (writing or renaming failed; the old file stays).
int writeFileReplacing(const std::string& path, const uint8_t* data, size_t size);

// The sequence name for a file: its name without the folder, at most 16
// characters, stopping before the first ".". Writes a NUL-terminated name
// into a 17-byte field (zero-filled).
void deriveSequenceName(const std::string& path, char out[17]);

// Give a loaded block its name: `name` when given, else derived from `path`.
void nameLoadedSequence(Sequence* s, const char* name, const std::string& path);

}  // namespace qz
