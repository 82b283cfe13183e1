// Building the state, and the sequence verbs that span the store, the
// engine and the output.
#include "engine/engine.h"
#include "files/settings_file.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz {

namespace {

// Stop the transport if it runs.
void stopIfRunning(AppState& app) {
    if (app.engine.playing.load(std::memory_order_acquire)) stopTransport(app);
}

// The store's `select` hook: a sequence the store makes (an edit of an empty
// slot, a paste that grows the sequence, a file read) is selected in full.
void selectHook(SongStore& song, int slot) {
    AppState& app = static_cast<AppState&>(song);
    selectSequence(app, slot, app.loadBatch == 0);
}

}  // namespace

int initAppState(AppState& app) {
    installEngineStoreHooks(app);
    installChordInput(app);
    installMidiToButton(app);
    app.hooks.select = selectHook;
    return initSongStore(app);
}

void freeAppState(AppState& app) {
    freeSongStore(app);
}

int startProgramState(AppState& app, bool readSettingsFile) {
    if (int rc = initAppState(app)) return rc;
    if (readSettingsFile) loadSettings(app.settings, app.loader);
    rebuildButtonLookup(app);
    // The settings file holds the default sequence that stands for an empty
    // slot: point at slot 1 again now that it is read.
    app.currentSlot = 1;
    pointAtSequence(app, 1);
    selectTrack(app, 1);
    return 0;
}

void selectSequence(AppState& app, int slot, bool sendSetups) {
    stopIfRunning(app);
    dropUndo(app);
    pointAtSequence(app, slot);
    if (sendSetups) sendAllTrackSetups(app);
}

Sequence* createSequence(AppState& app, int slot) {
    Sequence* s = newSequenceBlock(app, slot);
    if (s) selectSequence(app, slot);
    return s;
}

int copySequence(AppState& app, int slot) {
    int target = 0;
    const int rc = copySequenceBlock(app, slot, target);
    if (rc == 0) selectSequence(app, target);
    return rc;
}

void deleteSequence(AppState& app, int slot) {
    if (slot < 1 || slot > app.lastSlot || !app.slots[slot]) return;
    stopIfRunning(app);
    dropUndo(app);
    removeSequenceSlot(app, slot);
    selectSequence(app, slot);
}

void deleteSequenceNamed(AppState& app, const char* name) {
    if (const int slot = findSlotByName(app, name)) deleteSequence(app, slot);
}

void deleteAllSequences(AppState& app) {
    stopIfRunning(app);
    dropUndo(app);
    removeAllSequences(app);
    selectSequence(app, 1);
}

}  // namespace qz
