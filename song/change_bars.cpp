// Changing a sequence's length in bars: what ENTER of the Change Bars popup
// does to the bars, the events, the song position and the loop.
#include <algorithm>
#include <cstring>

#include "song/region_edit.h"

namespace qz {

// Set the current sequence's bar count to `bars` (held to 1..999). On a
// real sequence, every event at or after the new end goes, the song position
// moves inside and the loop turns off; the default sequence (an empty slot)
// only takes the new count.
void applyNewBars(SongStore& song, int32_t bars) {
    bars = std::clamp(bars, 1, MAX_BARS);
    Sequence* s = song.seq;
    if (!s->exists) {
        s->bars = uint32_t(bars);
        markDirty(song, DIRTY_ALL);
        return;
    }
    {
        EngineLockGuard lock(song.engineLock);
        s->bars = uint32_t(bars);
        song.lengthTicks = seqLengthTicks(s);
        s->modified = 1;
        // A note that starts before the end keeps its full duration.
        int32_t cut = firstEventAtTick(s, song.lengthTicks);
        int32_t room = seqEventRoom(s);
        SeqEvent* ev = seqEvents(s);
        if (cut < room) std::memset(static_cast<void*>(ev + cut), 0, size_t(room - cut) * sizeof(SeqEvent));
        s->eventCount = cut;
        notifyDetachSequence(song);
    }
    // Locating after the cut finds the play pointer among the events that
    // remain. A position inside the last bar of a shortened sequence but
    // past its end moves to the end.
    locateSongTick(song, std::min(songPosition(song), song.lengthTicks));
    markDirty(song, DIRTY_ALL);
}

}  // namespace qz
