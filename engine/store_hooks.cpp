// What the engine answers when the song store changes under it: the play
// pointers follow edits, locates and stops go through the transport.
#include <algorithm>

#include "engine/engine.h"
#include "song/sequence_store.h"

namespace qz {

namespace {

// The store hands its own record back; it is always the store part of a
// `Sequencer` once these hooks are installed.
Sequencer& engineOf(SongStore& song) {
    return static_cast<Sequencer&>(song);
}
const Sequencer& engineOf(const SongStore& song) {
    return static_cast<const Sequencer&>(song);
}

// The events were rebuilt: the play pointer is the first event at the song
// position, the loop pointer the first at the loop start (under the lock).
void reindexPlayPointers(SongStore& song) {
    Sequencer& app = engineOf(song);
    app.playIndex = firstEventAtTick(app.seq, app.engine.position.load(std::memory_order_relaxed));
    app.loopIndex = firstEventAtTick(app.seq, app.engine.loopStartBar * TICKS_PER_BAR);
}

void detachHook(SongStore& song) {
    engineDetachSequence(engineOf(song));
}
Tick positionHook(const SongStore& song) {
    return engineOf(song).engine.position.load(std::memory_order_relaxed);
}
void locateTickHook(SongStore& song, Tick t) {
    locateTick(engineOf(song), t);
}
void locateBarHook(SongStore& song, int32_t b) {
    locateBar(engineOf(song), b);
}
bool runningHook(const SongStore& song) {
    return engineOf(song).engine.playing.load(std::memory_order_acquire);
}
uint32_t tickNowHook(const SongStore& song) {
    return engineOf(song).engine.tickCounter.load(std::memory_order_relaxed);
}
void eraseRecordedHook(SongStore& song, int track, Tick from, Tick to, int lowNote, int highNote) {
    removeRecordedNotes(engineOf(song), track, from, to, lowNote, highNote);
}

}  // namespace

void engineDetachSequence(Sequencer& app) {
    app.playIndex = 0;
    app.loopIndex = 0;
    app.engine.loopOn.store(false, std::memory_order_relaxed);
}

void installEngineStoreHooks(Sequencer& app) {
    StoreHooks& h = app.hooks;
    h.eventsReplaced = reindexPlayPointers;
    h.detachSequence = detachHook;
    h.position = positionHook;
    h.locateTick = locateTickHook;
    h.locateBar = locateBarHook;
    h.running = runningHook;
    h.tickNow = tickNowHook;
    h.eraseRecorded = eraseRecordedHook;
}

}  // namespace qz
