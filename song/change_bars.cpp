// Changing a sequence's length in bars: what ENTER of the Change Bars popup
// does to the bars, the events, the song position and the loop.
#include <algorithm>
#include <cstring>

#include "engine/store_calls.h"
#include "song/region_edit.h"

namespace qz {

// Set the current sequence's bar count to `newBars` (held to 1..999). On a
// real sequence, every event at or after the new end goes, the song position
// moves inside and the loop turns off; the default sequence (an empty slot)
// only takes the new count.
void applyNewBars(AppState& app) {
    app.newBars = std::clamp(app.newBars, 1, MAX_BARS);
    Sequence* s = app.seq;
    if (!s->exists) {
        s->bars = uint32_t(app.newBars);
        markDirty(app, DIRTY_ALL);
        return;
    }
    {
        EngineLockGuard lock(app.engineLock);
        s->bars = uint32_t(app.newBars);
        app.lengthTicks = seqLengthTicks(s);
        s->modified = 1;
        // A note that starts before the end keeps its full duration.
        int32_t cut = firstEventAtTick(s, app.lengthTicks);
        int32_t room = seqEventRoom(s);
        SeqEvent* ev = seqEvents(s);
        if (cut < room) std::memset(static_cast<void*>(ev + cut), 0, size_t(room - cut) * sizeof(SeqEvent));
        s->eventCount = cut;
        app.engine.playIndex = std::min(app.engine.playIndex, cut);
        app.engine.loopIndex = std::min(app.engine.loopIndex, cut);
        app.engine.loopOn = false;
    }
    // Locating after the cut, so the play pointer is found among the events
    // that remain. A position inside the last bar of a shortened sequence
    // but past its end moves too.
    if (app.engine.position.load(std::memory_order_relaxed) > app.lengthTicks) locateTick(app, app.lengthTicks);
    markDirty(app, DIRTY_ALL);
}

}  // namespace qz
