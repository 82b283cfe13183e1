// Event primitives: insertion with its replace rules, removal, growth of a
// block, closing held notes, folding the sustain pedal and taking track
// defaults from the start of a sequence.
#include <algorithm>
#include <cstring>

#include "song/sequence_store.h"
#include "song/store_notify.h"

namespace qz {

namespace {

// Does an event already at the new event's tick give way to it?
bool replacedBy(const SeqEvent& old, uint8_t track, uint8_t status, uint8_t data1) {
    if (status == ST_TEMPO && track == TEMPO_TRACK) return isTempoEvent(old);
    if (old.track != track || old.status != status) return false;
    switch (status) {
        case ST_NOTE:
        case ST_POLY_PRESSURE:
        case ST_CONTROL:
            return old.data1 == data1;
        case ST_PROGRAM:
        case ST_CHANNEL_PRESSURE:
        case ST_PITCH_BEND:
            return true;
        default:
            return false;
    }
}

// Keep the play and loop pointers on the same events when one is inserted at
// `index` (delta 1) or removed from it (delta -1). Called under the lock.
void followPointers(SongStore& song, int32_t index, int delta, Tick time) {
    const Tick position = songPosition(song);
    auto follow = [&](int32_t& p) {
        if (delta > 0) {
            if (index < p || (index == p && time < position)) ++p;
        } else if (index < p) {
            --p;
        }
    };
    follow(song.playIndex);
    follow(song.loopIndex);
}

// Open a hole at `index`, growing the block when it is full. Returns false
// (ERR_NO_MEMORY queued) when it cannot grow.
bool openSlot(SongStore& song, int32_t index, Tick time) {
    Sequence* s = song.seq;
    if (s->eventCount >= seqEventRoom(s)) {
        if (growSequence(song) != 0) return false;
        s = song.seq;
    }
    SeqEvent* ev = seqEvents(s);
    std::memmove(ev + index + 1, ev + index, size_t(s->eventCount - index) * sizeof(SeqEvent));
    ++s->eventCount;
    followPointers(song, index, 1, time);
    return true;
}

}  // namespace

int32_t firstEventAtTick(const Sequence* s, Tick t) {
    const SeqEvent* ev = seqEvents(s);
    const SeqEvent* end = ev + s->eventCount;
    return int32_t(std::lower_bound(ev, end, t, [](const SeqEvent& e, Tick v) { return e.time < v; }) - ev);
}

int32_t firstEventAtBar(const SongStore& song, int32_t bar) {
    int64_t t = std::min<int64_t>(song.lengthTicks, int64_t(bar) * TICKS_PER_BAR);
    return firstEventAtTick(song.seq, Tick(t));
}

int growSequence(SongStore& song) {
    Sequence* old = song.seq;
    if (!old->exists || song.slots[song.currentSlot] != old) {
        postError(song, ERR_PROGRAM);
        return ERR_PROGRAM;
    }
    uint64_t bytes = uint64_t(old->capacity) + SEQ_GROWTH_BYTES;
    if (bytes > 0xFFFFFFF0ull) {
        postError(song, ERR_NO_MEMORY);
        return ERR_NO_MEMORY;
    }
    Sequence* grown = allocSequenceBlock(uint32_t(bytes));
    if (!grown) {
        postError(song, ERR_NO_MEMORY);
        return ERR_NO_MEMORY;
    }
    uint32_t handle = grown->heapHandle;
    std::memcpy(grown, old, old->capacity);
    grown->capacity = uint32_t(bytes);
    grown->heapHandle = handle;
    // Events keep their indices, so the tick's play pointers stay valid: the
    // swap only has to exclude the tick while it happens.
    EngineLockGuard lock(song.engineLock);
    song.slots[song.currentSlot] = grown;
    song.seq = grown;
    freeSequenceBlock(old);
    return 0;
}

int32_t insertEvent(SongStore& song, Tick time, uint8_t track, uint8_t status, uint8_t data1, uint8_t data2,
                    uint32_t value) {
    EngineLockGuard lock(song.engineLock);
    Sequence* s = song.seq;
    if (!s->exists) {
        postError(song, ERR_PROGRAM);
        return -1;
    }
    s->modified = 1;
    if (s->eventCount >= seqEventRoom(s)) {
        if (growSequence(song) != 0) return -1;
        s = song.seq;
    }
    SeqEvent* ev = seqEvents(s);
    int32_t i = firstEventAtTick(s, time);
    int32_t n = s->eventCount;
    while (i < n && ev[i].time == time && !replacedBy(ev[i], track, status, data1)) ++i;
    if (i >= n || ev[i].time != time) {
        if (!openSlot(song, i, time)) return -1;
        ev = seqEvents(song.seq);
    }
    SeqEvent& e = ev[i];
    e.time = time;
    e.track = track;
    e.status = status;
    e.data1 = data1;
    e.data2 = data2;
    if (status == ST_TEMPO && track == TEMPO_TRACK) {
        uint32_t us = std::clamp<uint32_t>(value, US_PER_QUARTER_MIN, US_PER_QUARTER_MAX);
        e.value = 600000000u / us;
        e.value2 = us;
    } else if (status == ST_NOTE) {
        e.value = value != 0 ? value : songTickNow(song);
        e.value2 = 0;
        song.lastDuration = int32_t(value);
    } else {
        e.value = 0;
        e.value2 = 0;
    }
    return i;
}

int32_t insertEventRecord(SongStore& song, const SeqEvent& e) {
    EngineLockGuard lock(song.engineLock);
    if (!song.seq->exists) {
        postError(song, ERR_PROGRAM);
        return -1;
    }
    SeqEvent copy = e;  // `e` may live in the block that is about to grow
    int32_t i = firstEventAtTick(song.seq, copy.time);
    if (!openSlot(song, i, copy.time)) return -1;
    seqEvents(song.seq)[i] = copy;
    song.seq->modified = 1;
    return i;
}

void removeEvent(SongStore& song, int32_t index) {
    EngineLockGuard lock(song.engineLock);
    Sequence* s = song.seq;
    if (index < 0 || index >= s->eventCount) return;
    SeqEvent* ev = seqEvents(s);
    std::memmove(ev + index, ev + index + 1, size_t(s->eventCount - index - 1) * sizeof(SeqEvent));
    --s->eventCount;
    s->modified = 1;
    followPointers(song, index, -1, 0);
}

void closeNote(SongStore& song, uint8_t track, uint8_t note) {
    EngineLockGuard lock(song.engineLock);
    SeqEvent* ev = seqEvents(song.seq);
    for (int32_t i = 0; i < song.seq->eventCount; ++i) {
        SeqEvent& e = ev[i];
        if (e.status != ST_NOTE || e.track != track || e.data1 != note || !isOpenNote(e)) continue;
        uint32_t now = songTickNow(song);
        int32_t d = std::clamp(int32_t(now - e.value), 1, MAX_DURATION);
        e.value = uint32_t(d);
        song.lastDuration = d;
        return;
    }
}

void closeOpenNotes(SongStore& song) {
    EngineLockGuard lock(song.engineLock);
    SeqEvent* ev = seqEvents(song.seq);
    uint32_t now = songTickNow(song);
    for (int32_t i = 0; i < song.seq->eventCount; ++i) {
        SeqEvent& e = ev[i];
        if (e.status != ST_NOTE || !isOpenNote(e)) continue;
        int32_t d = std::clamp(int32_t(now - e.value), 12, MAX_DURATION);
        if (d >= 13) d -= d % 12;
        e.value = uint32_t(d);
    }
}

void foldSustainPedal(Sequence* s) {
    // Write index at which each track's pedal went down, or -1.
    int32_t downAt[USER_TRACKS + 1];
    Tick downTime[USER_TRACKS + 1];
    std::fill(std::begin(downAt), std::end(downAt), -1);
    SeqEvent* ev = seqEvents(s);
    int32_t w = 0;
    for (int32_t r = 0; r < s->eventCount; ++r) {
        const SeqEvent e = ev[r];
        bool pedal = e.status == ST_CONTROL && e.data1 == 64;
        if (!pedal) {
            ev[w++] = e;
            continue;
        }
        if (e.track > USER_TRACKS) continue;  // a pedal outside the user tracks just goes
        if (e.data2 != 0) {
            // Half-pedal streams send many "down" values: the pedal went
            // down at the first of them.
            if (downAt[e.track] < 0) {
                downAt[e.track] = w;
                downTime[e.track] = e.time;
            }
            continue;
        }
        if (downAt[e.track] >= 0) {
            for (int32_t k = downAt[e.track]; k < w; ++k) {
                SeqEvent& n = ev[k];
                if (n.status != ST_NOTE || n.track != e.track || n.time < downTime[e.track] || isOpenNote(n)) continue;
                // The pedal holds a note until it comes up, but never cuts
                // one that was held longer by the key.
                uint32_t held = uint32_t(std::min(e.time - n.time, MAX_DURATION));
                if (held > n.value) n.value = held;
                if (n.value == 0) n.value = 1;
            }
            downAt[e.track] = -1;
        }
    }
    s->eventCount = w;
}

bool applyTrackSetting(TrackRecord& t, const SeqEvent& e) {
    if (e.status == ST_PROGRAM) {
        t.program = e.data1;
        return true;
    }
    if (e.status != ST_CONTROL) return false;
    switch (e.data1) {
        case 0: t.bankMsb = e.data2; return true;
        case 32: t.bankLsb = e.data2; return true;
        case 7: t.volume = e.data2; return true;
        case 10: t.pan = e.data2; return true;
        case 91: t.reverb = e.data2; return true;
        case 93: t.chorus = e.data2; return true;
        default: return false;
    }
}

void takeTrackDefaults(Sequence* s) {
    const SeqEvent* ev = seqEvents(s);
    for (int32_t i = 0; i < s->eventCount && ev[i].time < 2 * TICKS_PER_BAR; ++i) {
        const SeqEvent& e = ev[i];
        if (e.track >= 1 && e.track <= USER_TRACKS) applyTrackSetting(s->tracks[e.track], e);
    }
}

}  // namespace qz
