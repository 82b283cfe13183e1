// Chords from single keys: the Note to Chord rows played from MIDI input or
// from the chord panel, the chord held at the moment, the arpeggio (strum)
// steps, and the cursor step after a chord entered while stopped.
//
// Threads as in engine.h. The held chord is claimed and released by the
// input thread (keys) and the window thread (the panel's buttons and wheel),
// so it is one atomic word that each side swaps.
#pragma once

#include <atomic>
#include <cstdint>

#include "song/records.h"

namespace qz {

struct Sequencer;

constexpr int CHORD_ROWS = 12;
constexpr int ARPEGGIO_ROWS = 14;
extern const char* const ARPEGGIO_LABELS[ARPEGGIO_ROWS];
extern const int32_t ARPEGGIO_TICKS[ARPEGGIO_ROWS];

// Step-ring entry status: the cursor step after a chord (`value`: ticks it was held).
constexpr uint8_t ST_CHORD_STEP = 0x02;

struct ChordInputState {
    // The held chord: 0 none, else packChord(); input and window threads
    // swap it (exchange), so a chord is released exactly once.
    std::atomic<uint32_t> held{0};
    // tickCounter when the held chord started (whoever claimed `held`).
    std::atomic<uint32_t> heldSince{0};
    // Ticks the last released chord was held (whoever released it).
    std::atomic<uint32_t> lastHeldTicks{0};
    // Chord learning: the chord type under the pointer in the chord edit
    // window (-1 none; window thread), the base key and the next slot
    // (input thread).
    std::atomic<int32_t> learnType{-1};
    int32_t learnBase = 0;
    int32_t learnSlot = 0;
};

// The held chord as one word: row + 1 (1..12), root, type, track; and back.
struct HeldChord {
    int row = -1;  // -1: none
    int root = 0;
    int type = 0;
    int track = 0;
};
uint32_t packChord(const HeldChord& c);
HeldChord unpackChord(uint32_t w);

// Ticks of the current Arpeggio row.
int32_t arpeggioStep(const Sequencer& app);

// (input) Note to Chord for one note message of the current NOTE track:
// true when a row's trigger took it (the hook of the input path).
bool noteToChordInput(Sequencer& app, int track, bool on, int note, int velocity);
// (any) Sound and hold row `row`'s chord (releasing a held one first), and
// record it at the record tick while `record`. Velocity and duration come
// from the record parameters.
void holdChordRow(Sequencer& app, int track, int row, int velocity, bool record);
// (any) Release the held chord, closing its recorded notes while `record`.
// Returns the chord released (row -1 when none was held).
HeldChord releaseHeldChord(Sequencer& app, bool record);
// Where the step after a chord held `heldTicks` moves the position from
// `from`: past the strum (arpeggio 1/32-3 and longer) and, with Duration as
// played, the time held, to the next multiple of 48.
Tick chordStepTarget(const Sequencer& app, Tick from, uint32_t heldTicks);
// (window) After a chord entered while stopped: the position moves past the
// strum and (Duration as played) the time held, to the next multiple of 48.
void stepAfterChord(Sequencer& app, uint32_t heldTicks);
// (window) The chord panel's Rec button of row `row` on the current track
// (stopped only): down sounds the chord and, with no record mode or STEP,
// erases the current track's notes in [position, position + 24) and writes
// it at the position; up releases it and steps on.
void chordRecButton(Sequencer& app, int row, bool down);
// (window) The chord panel's step buttons (stopped only) and DELETE (the
// current track's notes in [position, position + 24), with no record mode or
// STEP; its release steps forward).
void chordStepBack(Sequencer& app);
void chordStepForward(Sequencer& app);
void chordDelete(Sequencer& app);
// (input) A key went down while the chord edit window is open: the first
// key (`first`: no other held) becomes the base of the type under the
// pointer and empties slots 0..4; each further key fills the next of them.
void chordLearnKey(Sequencer& app, int note, bool first);
// (window) Install the chord hooks of the input path.
void installChordInput(Sequencer& app);

}  // namespace qz
