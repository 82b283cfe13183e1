// Standard MIDI File reader (format 0 and 1): events re-timed to 96 ticks per
// quarter, notes paired into events with durations, tempo changes, track
// settings derived from the file or restored from our own files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "song/records.h"

namespace qz {

struct SongStore;

// Working state of one parse; one record can be reused for every load so the
// event buffer keeps its room.
struct SmfReadState {
    int format = 0;
    int chunkCount = 0;
    uint32_t division = 0;
    // Tick conversion: converted = (delta * tickMul + carry) / tickDiv.
    int64_t tickMul = 96;
    int64_t tickDiv = 96;
    int64_t carry = 0;
    bool timeCode = false;  // time-code division: tempo metas do not time the file
    int tempoCount = 0;
    int chunkIndex = 0;
    bool ownFile = false;
    bool sawEndOfTrack = false;
    bool tickLimitHit = false;
    const uint8_t* pos = nullptr;
    const uint8_t* chunkEnd = nullptr;
    uint8_t runningStatus = 0;
    int64_t tick = 0;     // current tick of the chunk
    int64_t longest = 0;  // largest end tick of any chunk
    uint8_t destTrack = 0;
    bool byChunk = false;  // format 1 of 3 or more chunks: chunk k goes to track k
    bool channelUsedFile[16] = {};
    bool channelUsedChunk[16] = {};
    char chunkName[NAME_FIELD] = {};
    // Index into `events` of the note waiting for its note-off, per channel
    // and note number, or -1.
    int32_t pending[16][128];
    // The parsed events; after a successful parse, in store order.
    std::vector<SeqEvent> events;
};

// Parse the file image [begin, end) into the header `seq` (tracks, tempo,
// bars, moduleMode; filled with a new sequence's defaults by the caller) and
// `st.events`. Returns 0, 3 (no memory) or 8 (not a MIDI file we can read).
int parseSmf(SmfReadState& st, const uint8_t* begin, const uint8_t* end, Sequence& seq);

// Load a MIDI file image into the first free slot and select it. `name` is
// the sequence name, or null to derive it from `path`. Returns 0, 3, 8 or 9;
// on failure no slot changes.
int loadMidiImage(SongStore& app, const uint8_t* data, size_t size, const char* name, const std::string& path);

// Read the file at `path` and load it as above. Returns 0, 3, 4, 6, 8 or 9.
int loadMidiFile(SongStore& app, const std::string& path, const char* name);

// A new sequence's header with the built-in defaults (not a copy of the
// default sequence): name "Sequence", 2 bars, 120.0, `exists` set.
void initLoadedHeader(const SongStore& app, Sequence& seq);

// Make a block sized for `count` events plus room for 256 more, copy the
// header and the events in. Returns the block or null.
Sequence* buildLoadedBlock(const Sequence& header, const SeqEvent* ev, size_t count);

}  // namespace qz
