// The sequence store: the 99 slots, the events of each sequence, the
// one-level undo, and every operation that edits a sequence.
//
// All operations run on the window thread and take the engine lock while they
// move events or swap blocks, so the engine tick (which reads events by index)
// never sees a block that is being changed. Errors are returned as numbers
// (0 = success) and, where the screen must show them, also queued with
// `postError`.
#pragma once

#include <cstdint>

#include "song/records.h"
#include "song/song_store.h"

namespace qz {

// ---- Building the state ---------------------------------------------------

// Set up a fresh store: default settings (with the default sequence), the
// work buffer, slot 1 and track 1 selected. Returns ERR_NO_MEMORY when the work buffer
// cannot be allocated.
int initSongStore(SongStore& song);
// Free every block and undo copy (the store can be initialised again).
void freeSongStore(SongStore& song);

// ---- Slots ------------------------------------------------------------------

// Point at slot 1..99 (other values: slot 1): the current sequence (the
// default one for an empty slot), its length, the views at bar 0, the engine
// let go of the old block, and the song position at tick 0.
void pointAtSequence(SongStore& song, int slot);
// Select slot s as the program does it (the `select` hook), or point at it.
void selectSlot(SongStore& song, int slot);
// Make track n (1..16, or 18 for the tempo track) current; 0 does nothing.
void selectTrack(SongStore& song, int track);
// Create a sequence in the current slot when it is empty. Returns 0, or 16
// after queuing errors 3 and 16 when the block cannot be allocated.
int ensureSequence(SongStore& song);
// Allocate a new sequence from the default one into slot s, replacing what
// is there (nothing is selected). Returns the block or null (ERR_NO_MEMORY queued).
Sequence* newSequenceBlock(SongStore& song, int slot);
// Free slot s's block and close the gap in the slot table; the current
// sequence is the default one until something is selected.
void removeSequenceSlot(SongStore& song, int slot);
// Free every block; the current sequence is the default one.
void removeAllSequences(SongStore& song);
// Copy slot s into the first free slot (`target`) with a unique name.
// Returns 0, 1 (slot empty), 3 (no memory) or 9 (no free slot).
int copySequenceBlock(SongStore& song, int slot, int& target);
// Slot whose sequence has this name (case-insensitive), or 0.
int findSlotByName(const SongStore& song, const char* name);
// First empty slot 1..99, or 100 when full.
int firstFreeSlot(const SongStore& song);
// Name of the first sequence with events that is unsaved or modified, or null.
const char* anyChangedSequence(const SongStore& song);
bool anySequence(const SongStore& song);
// Copy at most 16 characters of `src` into a 17-byte name field, zero-filled.
void copyName(char* dst, const char* src);
// Increment the trailing number of a name (Sequence09 -> Sequence010).
void nextNumberedName(char* name);
// Upper-case comparison of two names.
bool sameName(const char* a, const char* b);
// Install a block (made by a file reader, say) in slot s, replacing what is
// there; the store takes ownership. Updates `lastSlot`.
void installSequence(SongStore& song, int slot, Sequence* block);

// ---- Blocks -------------------------------------------------------------------

// A zeroed block of `bytes` (at least the header), or null.
Sequence* allocSequenceBlock(uint32_t bytes);
void freeSequenceBlock(Sequence* s);
// A whole copy of a block (same capacity), or null.
Sequence* cloneSequenceBlock(const Sequence* s);

// ---- Events -------------------------------------------------------------------

inline SeqEvent* events(SongStore& song) {
    return seqEvents(song.seq);
}
inline int32_t eventCount(const SongStore& song) {
    return song.seq->eventCount;
}
inline TrackRecord& curTrackRec(SongStore& song) {
    return song.seq->tracks[song.currentTrack < TRACK_RECORDS ? song.currentTrack : 0];
}

// Insert or replace one event (replace rules: same tick and same note,
// controller, program...). For a tempo event `value` is microseconds per
// quarter; for a note it is the duration, 0 for an open note. Returns the
// index written, or -1 when the block cannot grow (ERR_NO_MEMORY queued).
int32_t insertEvent(SongStore& song, Tick time, uint8_t track, uint8_t status, uint8_t data1, uint8_t data2,
                    uint32_t value);
// Insert a copy of a whole record before the events of its tick. Returns the
// index or -1.
int32_t insertEventRecord(SongStore& song, const SeqEvent& e);
void removeEvent(SongStore& song, int32_t index);
// Grow the current block by 4096 events. Returns 0 or 3.
int growSequence(SongStore& song);
// Index of the first event with time >= min(lengthTicks, bar * 384).
int32_t firstEventAtBar(const SongStore& song, int32_t bar);
// Index of the first event with time >= t.
int32_t firstEventAtTick(const Sequence* s, Tick t);
// Give the first open note of this track and number its duration.
void closeNote(SongStore& song, uint8_t track, uint8_t note);
// Close every open note (rounded to 12 ticks, 12..9999).
void closeOpenNotes(SongStore& song);
// Fold sustain pedal events of a block into its notes' durations.
void foldSustainPedal(Sequence* s);
// Take program, bank and mixer values from the first two bars into the
// track records.
void takeTrackDefaults(Sequence* s);
// A program change, bank select or mixer controller (7, 10, 91, 93) written
// into the track's own setting; false for any other event.
bool applyTrackSetting(TrackRecord& t, const SeqEvent& e);
void resetTrackMessages(SongStore& song);
void storeTracksAsDefault(SongStore& song);
// The sequence's tempo x 10, with an out-of-range value replaced by 1200.
int32_t sequenceTempoX10(Sequence* s);

// ---- Undo ---------------------------------------------------------------------

// Take the undo copy of the current sequence. Returns 0 or 3.
int snapshotForUndo(SongStore& song);
void undo(SongStore& song);
void dropUndo(SongStore& song);

// ---- Bar, track, pad and selection operations -----------------------------------

int eraseBars(SongStore& song, int32_t b1, int32_t b2);
int eraseBarsControllers(SongStore& song, int32_t b1, int32_t b2);
int eraseBarsBend(SongStore& song, int32_t b1, int32_t b2);
int eraseBarsPressure(SongStore& song, int32_t b1, int32_t b2);
int deleteBars(SongStore& song, int32_t b1, int32_t b2);
int insertBlankBars(SongStore& song, int32_t b1, int32_t b2);
int copyBars(SongStore& song, int32_t b1, int32_t b2);
int pasteBars(SongStore& song, int32_t target);
int eraseTrack(SongStore& song, int track);
int eraseAllTracks(SongStore& song);
int eraseTrackControllers(SongStore& song, int track, int controller);
int eraseTrackBend(SongStore& song, int track);
int eraseTrackPressure(SongStore& song, int track);
int copyTrack(SongStore& song, int track);
int pasteTrack(SongStore& song, int track);
int erasePad(SongStore& song, int track, int note);
int eraseAllPads(SongStore& song, int track);
int copyPad(SongStore& song, int track, int note);
int pastePad(SongStore& song, int track, int note);
int copySelection(SongStore& song);
int pasteSelection(SongStore& song);
// True when anything was erased.
bool eraseSelection(SongStore& song);
bool eraseSelectionOther(SongStore& song, uint8_t statusFilter, int key);
void setStartControllerValue(SongStore& song, int track, int controller, int value);
void setStartProgram(SongStore& song, int track, int program);

// ---- Note edits ---------------------------------------------------------------

void editVelocity(SongStore& song, int track, int lowNote, int highNote, Tick fromTick, Tick toTick, uint32_t mode,
                  int32_t value);
void editDuration(SongStore& song, int track, int lowNote, int highNote, Tick fromTick, Tick toTick, uint32_t mode,
                  int32_t value);
// Quantize from the undo copy. Returns 0, or ERR_NO_MEMORY when the work buffer filled.
int timingCorrect(SongStore& song, int track, int lowNote, int highNote, Tick fromTick, Tick toTick, int32_t grid,
                  int32_t shift, int32_t swing, int32_t strength);

// ---- Change bars ----------------------------------------------------------------

// Give the current sequence `bars` bars (held to 1..999), cutting events at
// or after the new end.
void applyNewBars(SongStore& song, int32_t bars);

}  // namespace qz
