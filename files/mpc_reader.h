// Reader of the pad sampler's sequence (".SEQ") and package (".ALL") files.
// Times are already at 96 ticks per quarter; records are copied one by one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "song/records.h"

namespace qz {

struct SongStore;

// How records are read, from the version digits: 0 (before 4.1), 1 (x.1),
// 2 (x.2, and x.3 in a package), 3 (later).
int mpcVariant(uint8_t major, uint8_t minor, bool package);

// Convert one sequence image [image, end) into the header `seq` (defaults
// filled in by the caller) and `events` (replaced). Records it cannot use are
// skipped; it never fails and never reads outside the image.
void readMpcImage(const uint8_t* image, const uint8_t* end, Sequence& seq, std::vector<SeqEvent>& events,
                  int variant);

// Load a ".SEQ" image into the first free slot and select it. Returns 0,
// ERR_NO_MEMORY, ERR_ROOM_FULL, or ERR_NOT_SEQUENCE when the image does not start like a sequence file.
int loadMpcSequenceImage(SongStore& app, const uint8_t* data, size_t size, const char* name, const std::string& path);
// Read and load a ".SEQ" file. Returns 0, 3, 4, 6, 9 or 10.
int loadMpcSequence(SongStore& app, const std::string& path, const char* name);

// Load every sequence of a package image into successive free slots, then
// select slot 1. Stops at the first failure; the sequences loaded before it
// stay. Returns 0, 3, 9 or 10.
int loadMpcPackageImage(SongStore& app, const uint8_t* data, size_t size);
// Read and load an ".ALL" file. Returns 0, 3, 4, 6, 9 or 10.
int loadMpcPackage(SongStore& app, const std::string& path);

}  // namespace qz
