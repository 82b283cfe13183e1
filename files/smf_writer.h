// Standard MIDI File writer: one sequence as a format 1 file of 17 chunks at
// 96 ticks per quarter, with a private text event per track that carries
// every track setting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qz {

struct SongStore;
struct Sequence;

// Build the file image of `s` in `out` (cleared first; it grows as needed).
// Returns 0, or ERR_NO_MEMORY when memory runs out.
int encodeSequence(const Sequence* s, std::vector<uint8_t>& out);

// Encode `s` and write it to `path` through a temporary file, so a failed
// save keeps the old file. Clears `unsaved` and `modified` only after a
// complete write. Returns 0, 3 (no memory), 4 (cannot create) or 7 (write
// failed).
int writeMidiFile(const std::string& path, Sequence* s);

// The file name a sequence is saved under: its name with ".mid" added when it
// has no extension, characters a file name cannot hold replaced by "_".
std::string sequenceFileName(const Sequence* s);

// Write every unsaved or modified sequence of slots 1..lastSlot (stopping at
// the first empty slot) into `folder`. A file that cannot be created queues
// ERR_FILE_OPEN and stops; a failed write queues ERR_FILE_SAVE and goes on. Returns 0 or
// the last error number.
int saveChangedSequences(SongStore& app, const std::string& folder);

}  // namespace qz
