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

#include "song/app_state.h"
#include "song/records.h"

namespace qz {

// ---- Building the state ---------------------------------------------------

// Set up a fresh state: default settings (with the default sequence), the
// work buffer, slot 1 and track 1 selected. Returns 3 when the work buffer
// cannot be allocated.
int initAppState(AppState& app);
// Free every block and undo copy (the state can be initialised again).
void freeAppState(AppState& app);

// ---- Slots ------------------------------------------------------------------

// Stop the transport, drop the undo copies, point at the slot (1..99, other
// values select slot 1) and send every track's set-up messages.
void selectSequence(AppState& app, int slot);
// The pointer part of `selectSequence` alone.
void pointAtSequence(AppState& app, int slot);
// Make track n (1..16, or 18 for the tempo track) current; 0 does nothing.
void selectTrack(AppState& app, int track);
// Create a sequence in the current slot when it is empty. Returns 0, or 16
// after queuing errors 3 and 16 when the block cannot be allocated.
int ensureSequence(AppState& app);
// Allocate a new sequence from the default one into slot s and select it.
// Returns the block or null (error 3 queued).
Sequence* createSequence(AppState& app, int slot);
void deleteSequence(AppState& app, int slot);
void deleteSequenceNamed(AppState& app, const char* name);
void deleteAllSequences(AppState& app);
// Copy slot s into the first free slot with a unique name and select it.
// Returns 0, 1 (slot empty), 3 (no memory) or 9 (no free slot).
int copySequence(AppState& app, int slot);
// Slot whose sequence has this name (case-insensitive), or 0.
int findSlotByName(const AppState& app, const char* name);
// First empty slot 1..99, or 100 when full.
int firstFreeSlot(const AppState& app);
// Name of the first sequence with events that is unsaved or modified, or null.
const char* anyChangedSequence(const AppState& app);
bool anySequence(const AppState& app);
// Copy at most 16 characters of `src` into a 17-byte name field, zero-filled.
void copyName(char* dst, const char* src);
// Increment the trailing number of a name (Sequence09 -> Sequence010).
void nextNumberedName(char* name);
// Upper-case comparison of two names.
bool sameName(const char* a, const char* b);
// Install a block (made by a file reader, say) in slot s, replacing what is
// there; the store takes ownership. Updates `lastSlot`.
void installSequence(AppState& app, int slot, Sequence* block);

// ---- Blocks -------------------------------------------------------------------

// A zeroed block of `bytes` (at least the header), or null.
Sequence* allocSequenceBlock(uint32_t bytes);
void freeSequenceBlock(Sequence* s);
// A whole copy of a block (same capacity), or null.
Sequence* cloneSequenceBlock(const Sequence* s);

// ---- Events -------------------------------------------------------------------

inline SeqEvent* events(AppState& app) { return seqEvents(app.seq); }
inline int32_t eventCount(const AppState& app) { return app.seq->eventCount; }
inline TrackRecord& curTrackRec(AppState& app) { return app.seq->tracks[app.currentTrack < TRACK_RECORDS ? app.currentTrack : 0]; }

// Insert or replace one event (replace rules: same tick and same note,
// controller, program...). For a tempo event `value` is microseconds per
// quarter; for a note it is the duration, 0 for an open note. Returns the
// index written, or -1 when the block cannot grow (error 3 queued).
int32_t insertEvent(AppState& app, Tick time, uint8_t track, uint8_t status, uint8_t data1, uint8_t data2,
                    uint32_t value);
// Insert a copy of a whole record before the events of its tick. Returns the
// index or -1.
int32_t insertEventRecord(AppState& app, const SeqEvent& e);
void removeEvent(AppState& app, int32_t index);
// Grow the current block by 4096 events. Returns 0 or 3.
int growSequence(AppState& app);
// Index of the first event with time >= min(lengthTicks, bar * 384).
int32_t firstEventAtBar(const AppState& app, int32_t bar);
// Index of the first event with time >= t.
int32_t firstEventAtTick(const Sequence* s, Tick t);
// Give the first open note of this track and number its duration.
void closeNote(AppState& app, uint8_t track, uint8_t note);
// Close every open note (rounded to 12 ticks, 12..9999).
void closeOpenNotes(AppState& app);
// Fold sustain pedal events of a block into its notes' durations.
void foldSustainPedal(Sequence* s);
// Take program, bank and mixer values from the first two bars into the
// track records.
void takeTrackDefaults(Sequence* s);
void resetTrackMessages(AppState& app);
void storeTracksAsDefault(AppState& app);
// The sequence's tempo x 10, with an out-of-range value replaced by 1200.
int32_t sequenceTempoX10(Sequence* s);

// ---- Undo ---------------------------------------------------------------------

// Take the undo copy of the current sequence. Returns 0 or 3.
int snapshotForUndo(AppState& app);
void undo(AppState& app);
void dropUndo(AppState& app);

// ---- Bar, track, pad and selection operations -----------------------------------

int eraseBars(AppState& app, int32_t b1, int32_t b2);
int eraseBarsControllers(AppState& app, int32_t b1, int32_t b2);
int eraseBarsBend(AppState& app, int32_t b1, int32_t b2);
int eraseBarsPressure(AppState& app, int32_t b1, int32_t b2);
int deleteBars(AppState& app, int32_t b1, int32_t b2);
int insertBlankBars(AppState& app, int32_t b1, int32_t b2);
int copyBars(AppState& app, int32_t b1, int32_t b2);
int pasteBars(AppState& app, int32_t target);
int eraseTrack(AppState& app, int track);
int eraseAllTracks(AppState& app);
int eraseTrackControllers(AppState& app, int track, int controller);
int eraseTrackBend(AppState& app, int track);
int eraseTrackPressure(AppState& app, int track);
int copyTrack(AppState& app, int track);
int pasteTrack(AppState& app, int track);
int erasePad(AppState& app, int track, int note);
int eraseAllPads(AppState& app, int track);
int copyPad(AppState& app, int track, int note);
int pastePad(AppState& app, int track, int note);
int copySelection(AppState& app);
int pasteSelection(AppState& app);
// True when anything was erased.
bool eraseSelection(AppState& app);
bool eraseSelectionOther(AppState& app, uint8_t statusFilter, int key);
void setStartControllerValue(AppState& app, int track, int controller, int value);
void setStartProgram(AppState& app, int track, int program);

// ---- Note edits ---------------------------------------------------------------

void editVelocity(AppState& app, int track, int lowNote, int highNote, Tick fromTick, Tick toTick, uint32_t mode,
                  int32_t value);
void editDuration(AppState& app, int track, int lowNote, int highNote, Tick fromTick, Tick toTick, uint32_t mode,
                  int32_t value);
// Quantize from the undo copy. Returns 0, or 3 when the work buffer filled.
int timingCorrect(AppState& app, int track, int lowNote, int highNote, Tick fromTick, Tick toTick, int32_t grid,
                  int32_t shift, int32_t swing, int32_t strength);

// ---- Change bars ----------------------------------------------------------------

// Apply `newBars` (held to 1..999) to the current sequence, cutting events
// at or after the new end.
void applyNewBars(AppState& app);

}  // namespace qz
