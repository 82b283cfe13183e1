// Minimal transport for the store until the engine drives it: locating moves
// the position and the play pointers; there is no running transport to stop.
#include "engine/store_calls.h"

#include <algorithm>

#include "song/sequence_store.h"

namespace qz {

void stopTransport(AppState& app) {
    app.engine.playing.store(false, std::memory_order_relaxed);
    app.engine.recordMode.store(0, std::memory_order_relaxed);
}

void locateTick(AppState& app, Tick t) {
    EngineLockGuard lock(app.engineLock);
    t = std::clamp(t, 0, app.lengthTicks);
    app.engine.position.store(t, std::memory_order_relaxed);
    app.engine.cursor = t;
    app.engine.playIndex = firstEventAtTick(app.seq, t);
    app.engine.bar = t / TICKS_PER_BAR;
    app.engine.beat = (t % TICKS_PER_BAR) / TICKS_PER_QUARTER;
    app.engine.tickInBeat = t % TICKS_PER_QUARTER;
}

void locateBar(AppState& app, int32_t b) {
    b = std::clamp(b, 0, MAX_BARS - 1);
    locateTick(app, std::min(b * TICKS_PER_BAR, app.lengthTicks));
}

void sendAllTrackSetups(AppState&) {}

void resumeTransport(AppState& app, bool wasPlaying, int32_t recordMode) {
    app.engine.recordMode.store(recordMode, std::memory_order_relaxed);
    app.engine.playing.store(wasPlaying, std::memory_order_relaxed);
}

void removeRecordedNotes(AppState&, int, Tick, Tick, int, int) {}

}  // namespace qz
