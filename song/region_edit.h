// Helpers shared by the region operations (bars, tracks, pads, selections),
// the note edits and the bar-count change. Internal to song/.
#pragma once

#include <cstdint>
#include <cstring>

#include "song/sequence_store.h"
#include "song/store_notify.h"

namespace qz {

// Events the work buffer's halves hold (the clipboard, the delete-bars scratch).
constexpr int32_t CLIPBOARD_EVENTS = WORK_HALF_EVENTS;
// The last tick a sequence can hold an event at, plus one.
constexpr Tick MAX_SEQUENCE_TICKS = MAX_BARS * TICKS_PER_BAR;

// The track rule of the bar operations: every event in ALL TRACKS mode
// (tempo events included), else only the current track's.
inline bool onBarTrack(const SongStore& song, const SeqEvent& e) {
    return song.allTracks || e.track == uint8_t(song.currentTrack);
}

// Index range [first, end) of the events starting in bars [b1, b2): the scan
// starts at min(b1*384, length) and stops at the first event at b2*384.
struct EventRange {
    int32_t first;
    int32_t end;
};
EventRange barRange(const SongStore& song, int32_t b1, int32_t b2);

// Remove, in one pass under the engine lock, every event of [from, to) that
// `drop` picks; later events close up, the play pointers keep their events
// and `modified` is set when anything went. Returns how many went.
template <class Drop>
int32_t compactEvents(SongStore& song, int32_t from, int32_t to, Drop drop) {
    EngineLockGuard lock(song.engineLock);
    Sequence* s = song.seq;
    SeqEvent* ev = seqEvents(s);
    int32_t n = s->eventCount;
    if (from < 0) from = 0;
    if (to > n) to = n;
    if (from >= to) return 0;
    int32_t& play = song.playIndex;
    int32_t& loop = song.loopIndex;
    int32_t newPlay = play, newLoop = loop;
    int32_t w = from;
    for (int32_t r = from; r < to; ++r) {
        if (r == play) newPlay = w;
        if (r == loop) newLoop = w;
        if (drop(ev[r])) continue;
        if (w != r) ev[w] = ev[r];
        ++w;
    }
    int32_t removed = to - w;
    if (removed == 0) return 0;
    std::memmove(ev + w, ev + to, size_t(n - to) * sizeof(SeqEvent));
    s->eventCount = n - removed;
    s->modified = 1;
    play = play >= to ? play - removed : newPlay;
    loop = loop >= to ? loop - removed : newLoop;
    return removed;
}

// Insert a copy of a saved event at tick t on `track` through `insertEvent`
// (so the usual replace rules apply), carrying every field over: a note its
// velocity and duration, a tempo event its tempo, a system-exclusive record
// its bytes. Returns the index, or -1 (ERR_NO_MEMORY queued by the store).
int32_t insertCarried(SongStore& song, const SeqEvent& e, Tick t, uint8_t track);

}  // namespace qz
