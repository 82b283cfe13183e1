// The verbs that span the layers, on the whole `AppState`: building the
// state in the order of the program's start, and selecting, creating,
// copying and deleting sequences (each stops the transport, lets the engine
// go of the old block, locates and sends the set-ups as the store alone
// cannot).
#pragma once

#include "program/app_state.h"

namespace qz {

// ---- The state ----------------------------------------------------------------

// A fresh state: default settings, the work buffer, slot 1 and track 1, with
// the engine's and the program's store hooks installed. Returns 0, or ERR_NO_MEMORY when
// the work buffer cannot be had.
int initAppState(AppState& app);
// Free every block and undo copy (the state can be initialised again).
void freeAppState(AppState& app);
// The start-up order without the screen: `initAppState`, then (with
// `readSettingsFile`) the settings file over the defaults, then sequence 1
// and track 1. The caller has set `app.loader.programFolder`. Returns 0 or 3.
int startProgramState(AppState& app, bool readSettingsFile);

// ---- Sequences ----------------------------------------------------------------

// Stop the transport, drop the undo copies, point at the slot (1..99, other
// values select slot 1), start at its top with the loop off and send every
// track's set-up messages (unless `sendSetups` is false: a batch of loads
// sends them once at its end).
void selectSequence(AppState& app, int slot, bool sendSetups = true);
// Allocate a new sequence from the default one into slot s and select it.
// Returns the block or null (ERR_NO_MEMORY queued).
Sequence* createSequence(AppState& app, int slot);
// Copy slot s into the first free slot with a unique name and select it.
// Returns 0, 1 (slot empty), 3 (no memory) or 9 (no free slot).
int copySequence(AppState& app, int slot);
// Delete slot s (the slots after it move up) and select the slot it held.
void deleteSequence(AppState& app, int slot);
void deleteSequenceNamed(AppState& app, const char* name);
void deleteAllSequences(AppState& app);

// Loads in a batch (a folder, a drop of many files): while one lives, a
// sequence a reader selects sends no set-ups; the caller sends them once,
// for the sequence selected at the end.
struct LoadBatch {
    AppState& app;
    explicit LoadBatch(AppState& a) : app(a) { ++app.loadBatch; }
    ~LoadBatch() { --app.loadBatch; }
    LoadBatch(const LoadBatch&) = delete;
    LoadBatch& operator=(const LoadBatch&) = delete;
};

}  // namespace qz
