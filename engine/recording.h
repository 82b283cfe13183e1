// MIDI input and recording: the input callback's entry, the recording
// buffers and their merge, step recording, note repeat, NOTE ERASE, the
// live queue and the chord entry points.
//
// Threads as in engine.h: (input) the MIDI input thread, (tick) whoever
// drives the tick, (window) the window thread. Functions marked (any) may
// be called from the window or the input thread.
#pragma once

#include <cstdint>

#include "engine/sequencer.h"
#include "song/records.h"

namespace qz {

// ---- Input (input.cpp) ----------------------------------------------------------------

// (input) One short message from input port `port`: status | d1 << 8 | d2 << 16.
// Never allocates, locks or waits.
void onMidiInput(Sequencer& app, int port, uint32_t packed);
// True while the calling thread is handling an input message.
bool calledFromInput();
// (window) Publish what the input thread needs of the current sequence and
// track (it never reads the sequence block itself). Cheap; run every poll.
void publishInputState(Sequencer& app);
// (window) Forget every held and sustained key (panic, chord edit closed).
void clearHeldKeys(Sequencer& app);
// Any input key held (any thread; a snapshot).
bool anyKeyHeld(const Sequencer& app);
bool keyHeld(const Sequencer& app, int note);
// (window) The input monitor's entries, oldest first; returns how many (<= 32).
int inputMonitorEntries(const Sequencer& app, uint32_t out[32]);

// ---- Recording buffers (recording.cpp) ------------------------------------------------

// (tick) The recording steps of the running tick (declared in engine.h too).
// takeInput, playRecorded
// (window, at the stop, after the tick let go of the running transport)
// File what the input thread put into the input ring since the tick last
// took it, as `mode` recorded it; discarded when nothing ran (`ran` false:
// the stop came during the count-in or the wait for a key). Takes the engine
// lock, under which the window thread may take the tick's side of the ring.
void takeInputAtStop(Sequencer& app, RecordMode mode, bool ran);
// (tick) The loop or sequence wrap: the buffers' points go back to their
// loop-start points (`toStart`: to the first entries).
void rewindRecordBuffers(Sequencer& app, bool toStart);
// (window, under the engine lock) Loop-start points to the first entries at
// or after the loop start (the loop moved while running).
void setRecordLoopPoints(Sequencer& app);
// (window, under the engine lock) Playback and write points to the first
// entries at or after t (a locate while running).
void setRecordPlayPoints(Sequencer& app, Tick t);
// (tick) File a note-on into the note buffer at tick r; returns its index, or
// -1 when the buffer is full.
int32_t fileNoteOn(Sequencer& app, Tick r, uint8_t track, uint8_t note, uint8_t velocity, uint32_t value);
// (tick) Close the open note of a track and number (search back from the
// playback point, then forward). Returns its index or -1.
int32_t closeBufferedNote(Sequencer& app, uint8_t track, uint8_t note);
// True when nothing was recorded into the buffers.
bool recordBuffersEmpty(const Sequencer& app);

// Note buffer edits of the grid while recording runs (window, each takes the
// engine lock). Insert a note in time order; -1 when at or past the sequence
// end or the buffer is full. `heardLive`: the note sounded as it was entered
// (a chord from the panel), so this pass does not play it again.
int32_t recordInsertNote(Sequencer& app, Tick t, uint8_t track, uint8_t note, uint8_t velocity, uint32_t duration,
                         bool heardLive = false);
// Close the open note of a track and number in the note buffer.
void recordCloseNote(Sequencer& app, uint8_t track, uint8_t note);
// Index of the current track's note nearest to tick t within `reach` ticks,
// or -1.
int32_t recordFindNote(Sequencer& app, Tick t, int32_t reach);
// (window) Copy the recorded notes with from <= time < to, in time order,
// into `out` (at most `max`) under the engine lock, so a view can draw them
// over the sequence; returns how many were copied.
int32_t copyRecordedNotes(Sequencer& app, Tick from, Tick to, SeqEvent* out, int32_t max);
// (window) While running: remove notes of a track in a tick and note range
// from the recording note buffer.
void removeRecordedNotes(Sequencer& app, int track, Tick from, Tick to, int lowNote, int highNote);

// ---- Merge (merge.cpp) ---------------------------------------------------------------

// (window, at stop) Merge the recording buffers into a new block of the
// current sequence; the old block becomes the undo copy and the clipboard is
// emptied. Returns 0, or ERR_NO_MEMORY when the block cannot be allocated (the sequence
// is left as it was, unmarked).
int mergeRecording(Sequencer& app);
// True when a stop has a recording to merge.
bool mergeNeeded(const Sequencer& app);

// ---- Step recording, pads, note repeat, NOTE ERASE (step.cpp) --------------------------

// (window) Every 2 ms: the step ring, the pad ring, the mixer ring, the
// tracks marked used, and the published input state.
void pollRecordRings(Sequencer& app);
// (window) Advance the cursor by one step after a step entry.
void stepCursor(Sequencer& app);
// NOTE ERASE may be pressed: the sequence exists and either the loop is on
// with the cursor inside it, or Loop ON with fewer than 5 bars.
bool noteEraseAvailable(const Sequencer& app);
// (window) Press and release of NOTE REPEAT and NOTE ERASE.
void pressNoteRepeat(Sequencer& app, bool down);
void pressNoteErase(Sequencer& app, bool down);
// (window, 16 ms refresh) Erase the held notes while NOTE ERASE is held and a
// key came. Returns the number of events erased or marked.
int noteEraseFrame(Sequencer& app);
// (tick) True when nothing of this subsystem needs the tick while stopped.
bool recordingIdle(const Sequencer& app);

// ---- Live queue and chords (live.cpp) ----------------------------------------------------

// (any) One note-on / note-off at live time 0.
void liveNote(Sequencer& app, int track, int note, int velocity, uint32_t duration);
void liveNoteOff(Sequencer& app, int track, int note);
// (any) A chord of slot `slot` (0..19) on `note`, each further note `strum`
// ticks after the one before its slot.
void liveNoteOn(Sequencer& app, int track, int note, int velocity, uint32_t duration, int slot, int strum);
void liveChordOff(Sequencer& app, int track, int note, int slot);
// (any) Record the chord at tick t (into the recording while it runs, else
// into the sequence); nothing at or past the sequence end.
void recordChordOn(Sequencer& app, Tick t, int track, int note, int velocity, uint32_t duration, int slot, int strum);
void recordChordOff(Sequencer& app, int track, int note, int slot);
// The notes of a chord: root and each non-empty slot within 0..127, with
// their delays. Returns the count (at most 7).
int chordNotes(const Sequencer& app, int note, int slot, int strum, int notes[7], int delays[7]);

}  // namespace qz
