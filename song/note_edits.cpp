// The velocity and duration edits and timing correct, on the notes chosen
// by track, note range and tick range.
#include <algorithm>
#include <cstring>

#include "song/region_edit.h"

namespace qz {

namespace {

// Does a note fall inside the edit's choice? Track 0 means every track.
struct NoteChoice {
    int track, lowNote, highNote;
    Tick fromTick, toTick;
    bool operator()(const SeqEvent& e) const {
        return e.status == ST_NOTE && e.time >= fromTick && e.time < toTick && e.data1 >= lowNote &&
               e.data1 <= highNote && (track == 0 || e.track == uint8_t(track));
    }
};

// v changed by x under an edit mode, held to lo..hi; unknown modes leave v.
int64_t applyEditMode(int64_t v, int64_t x, uint32_t mode, int64_t lo, int64_t hi) {
    switch (mode) {
        case EDIT_ADD: v += x; break;
        case EDIT_SUB: v -= x; break;
        case EDIT_SET: v = x; break;
        case EDIT_PERCENT: v = v * x / 100; break;
        default: return v;
    }
    return std::clamp(v, lo, hi);
}

// Run `change` over the chosen notes in place. Times do not change, so the
// order stays; the lock keeps the tick from reading a half-written note.
template <class Change>
void editChosenNotes(SongStore& song, const NoteChoice& choice, Change change) {
    bool changed = false;
    {
        EngineLockGuard lock(song.engineLock);
        SeqEvent* ev = seqEvents(song.seq);
        for (int32_t i = 0; i < song.seq->eventCount && ev[i].time < choice.toTick; ++i)
            if (choice(ev[i])) changed |= change(ev[i]);
        if (changed) song.seq->modified = 1;
    }
    if (changed) markDirty(song, DIRTY_ALL);
}

}  // namespace

void editVelocity(SongStore& song, int track, int lowNote, int highNote, Tick fromTick, Tick toTick, uint32_t mode,
                  int32_t value) {
    editChosenNotes(song, NoteChoice{track, lowNote, highNote, fromTick, toTick}, [&](SeqEvent& e) {
        uint8_t v = uint8_t(applyEditMode(e.data2, value, mode, 1, 127));
        bool changed = v != e.data2;
        e.data2 = v;
        return changed;
    });
}

void editDuration(SongStore& song, int track, int lowNote, int highNote, Tick fromTick, Tick toTick, uint32_t mode,
                  int32_t value) {
    editChosenNotes(song, NoteChoice{track, lowNote, highNote, fromTick, toTick}, [&](SeqEvent& e) {
        // A held note's word is a tick count, not a duration: it is closed
        // when its key comes up.
        if (isOpenNote(e)) return false;
        uint32_t d = uint32_t(applyEditMode(e.value, value, mode, 1, MAX_DURATION));
        bool changed = d != e.value;
        e.value = d;
        return changed;
    });
}

// Quantize the chosen notes of the undo copy onto the grid and rebuild the
// current sequence from it. Returns 0; 1 when the undo copy does not fit the
// current block; 3 when the work buffer filled (the notes not reached stay
// where they were).
int timingCorrect(SongStore& song, int track, int lowNote, int highNote, Tick fromTick, Tick toTick, int32_t grid,
                  int32_t shift, int32_t swing, int32_t strength) {
    Sequence* src = song.undoCopy;
    if (fromTick == toTick || !src) return 0;
    if (src->eventCount > seqEventRoom(song.seq)) {
        postError(song, ERR_PROGRAM);
        return ERR_PROGRAM;
    }
    const int32_t g = std::max(grid, 1);
    const int32_t p = std::clamp(strength, 0, 100);
    const int32_t w = std::clamp(swing, 50, 75);
    const int32_t swingOffset = (g == 48 || g == 24 || g == 12) ? ((w - 50) * g) / 50 : 0;
    const int64_t length = song.lengthTicks;
    const NoteChoice choice{track, lowNote, highNote, fromTick, toTick};

    // Gather the moved notes in tick order (they arrive almost sorted, so
    // each finds its place a few steps from the end). A note that lands on
    // the tick of an already gathered note of the same track and number is
    // dropped: the two would sound as one.
    SeqEvent* gathered = song.work->records;
    const int32_t room = 2 * WORK_HALF_EVENTS;
    int32_t count = 0;
    bool full = false;
    SeqEvent* sev = seqEvents(src);
    int32_t end = firstEventAtTick(src, toTick);
    for (int32_t i = firstEventAtTick(src, fromTick); i < end; ++i) {
        SeqEvent& e = sev[i];
        if (!choice(e)) continue;
        if (count == room) {
            full = true;
            break;
        }
        int64_t t = e.time;
        int64_t line = (t + g / 2) / g;
        int64_t target = line * g + ((line & 1) ? swingOffset : 0);
        int64_t moved = std::clamp<int64_t>(target + ((t - target) * (100 - p)) / 100 + shift, 0, length);
        int32_t k = count;
        while (k > 0 && gathered[k - 1].time > moved) --k;
        bool collided = false;
        for (int32_t j = k; j > 0 && gathered[j - 1].time == moved && !collided; --j)
            collided = gathered[j - 1].data1 == e.data1 && gathered[j - 1].track == e.track;
        if (!collided) {
            std::memmove(gathered + k + 1, gathered + k, size_t(count - k) * sizeof(SeqEvent));
            gathered[k] = e;
            gathered[k].time = Tick(moved);
            ++count;
        }
        e.status = ST_TAKEN;
    }
    if (count > WORK_HALF_EVENTS) {
        // The gathering ran over the clipboard.
        song.clipboard.mode = CLIP_NONE;
        song.clipboard.count = 0;
    }

    // Merge: the source without its taken notes, with the gathered notes in
    // front of the source events of their tick.
    {
        EngineLockGuard lock(song.engineLock);
        SeqEvent* out = seqEvents(song.seq);
        int32_t n = 0, gi = 0;
        for (int32_t r = 0; r < src->eventCount; ++r) {
            if (sev[r].status == ST_TAKEN) {
                sev[r].status = ST_NOTE;
                continue;
            }
            while (gi < count && gathered[gi].time <= sev[r].time) out[n++] = gathered[gi++];
            out[n++] = sev[r];
        }
        while (gi < count) out[n++] = gathered[gi++];
        song.seq->eventCount = n;
        song.seq->modified = 1;
        notifyEventsReplaced(song);
    }
    markDirty(song, DIRTY_ALL);
    if (full) {
        postError(song, ERR_NO_MEMORY);
        return ERR_NO_MEMORY;
    }
    return 0;
}

}  // namespace qz
