// The merge at the stop: the sequence, the note buffer and the event buffer
// become one new block; the old block stays as the undo copy.
#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"

namespace qz {

namespace {

// Clear every removal mark of a block (its events play and save again).
void unmarkAll(Sequence* s) {
    SeqEvent* ev = seqEvents(s);
    for (int32_t i = 0; i < s->eventCount; ++i) ev[i].track &= 0x7F;
}

bool anyMarked(const Sequence* s) {
    const SeqEvent* ev = seqEvents(s);
    for (int32_t i = 0; i < s->eventCount; ++i)
        if (ev[i].track & TRACK_REMOVE_MARK) return true;
    return false;
}

// Compact the note buffer in place: erased entries go, the heard-this-pass
// bit goes, notes still held are closed at the stop (at most 9999 ticks and
// not past `limit`), entries at or past the sequence end go. A note that was
// released, or has a fixed duration, keeps its length. Returns the count.
int32_t compactNoteBuffer(Sequencer& app, Tick limit) {
    RecordState& r = app.rec;
    SeqEvent* buf = app.work->firstHalf();
    uint32_t now = app.engine.tickCounter.load(std::memory_order_relaxed);
    int32_t w = 0;
    for (int32_t i = 0; i < r.noteEnd; ++i) {
        SeqEvent x = buf[i];
        if (x.status == ST_ERASED || x.status == ST_NOTE_OFF || x.time < 0 || x.time >= app.lengthTicks) continue;
        x.track &= 0x7F;
        x.value2 = 0;
        if (x.status == ST_NOTE) {
            int64_t d = isOpenNote(x) ? int64_t(int32_t(now - x.value)) : int64_t(x.value);
            d = std::clamp<int64_t>(d, 1, MAX_DURATION);
            if (isOpenNote(x) && x.time + d > limit) d = std::max<int64_t>(1, limit - x.time);
            x.value = uint32_t(d);
        } else {
            x.value = 0;
        }
        buf[w++] = x;
    }
    return w;
}

}  // namespace

bool mergeNeeded(const Sequencer& app) {
    if (!app.seq) return false;
    // A REC pass marks the notes it replaces even when nothing was played:
    // they must go (or come back) at the stop, not stay silent and hidden.
    return app.engine.recorded.load(std::memory_order_relaxed) || app.erasePending || !recordBuffersEmpty(app) ||
           anyMarked(app.seq);
}

int mergeRecording(Sequencer& app) {
    EngineState& e = app.engine;
    RecordState& r = app.rec;
    if (!app.seq || !app.work) return 0;
    if (!app.seq->exists && ensureSequence(app) != 0) return ERR_NO_MEMORY;
    Sequence* old = app.seq;
    Tick pos = e.position.load(std::memory_order_relaxed);
    bool loopWasOn = e.loopOn.load(std::memory_order_relaxed);
    int32_t firstBar = app.firstBar;
    Tick limit = loopWasOn && pos < e.loopEndTick ? e.loopEndTick : int32_t(old->bars) * TICKS_PER_BAR;

    int32_t notes = compactNoteBuffer(app, limit);
    std::stable_sort(app.work->firstHalf(), app.work->firstHalf() + notes,
                     [](const SeqEvent& x, const SeqEvent& y) { return x.time < y.time; });
    // Events of the event buffer in time order (a loop pass writes them in
    // arrival order; a stable sort keeps their order within a tick).
    SeqEvent* evBuf = app.work->secondHalf();
    int32_t events = 0;
    for (int32_t i = 0; i < r.eventHigh; ++i) {
        SeqEvent x = evBuf[i];
        if (x.status == ST_ERASED || x.time < 0 || x.time >= app.lengthTicks) continue;
        x.track &= 0x7F;
        evBuf[events++] = x;
    }
    std::stable_sort(evBuf, evBuf + events, [](const SeqEvent& a, const SeqEvent& b) { return a.time < b.time; });

    uint64_t bytes = uint64_t(SEQ_HEADER_SIZE) + (uint64_t(old->eventCount) + notes + events) * sizeof(SeqEvent) + 10404;
    Sequence* block = bytes < 0xFFFFFFF0ull ? allocSequenceBlock(uint32_t(bytes)) : nullptr;
    if (!block) {
        EngineLockGuard lock(app.engineLock);
        unmarkAll(old);
        postError(app, ERR_NO_MEMORY);
        return ERR_NO_MEMORY;
    }
    uint32_t handle = block->heapHandle;
    uint32_t capacity = block->capacity;
    std::memcpy(block, old, SEQ_HEADER_SIZE);
    block->heapHandle = handle;
    block->capacity = capacity;
    block->eventCount = 0;

    // Three-way merge; at equal ticks the sequence's event comes first, then
    // the note buffer's, then the event buffer's.
    const SeqEvent* a = seqEvents(old);
    const SeqEvent* b = app.work->firstHalf();
    const SeqEvent* c = evBuf;
    int32_t na = old->eventCount, ia = 0, ib = 0, ic = 0;
    SeqEvent* out = seqEvents(block);
    int32_t n = 0;
    for (;;) {
        while (ia < na && (a[ia].track & TRACK_REMOVE_MARK)) ++ia;
        int pick = -1;
        Tick best = 0;
        if (ia < na) pick = 0, best = a[ia].time;
        if (ib < notes && (pick < 0 || b[ib].time < best)) pick = 1, best = b[ib].time;
        if (ic < events && (pick < 0 || c[ic].time < best)) pick = 2, best = c[ic].time;
        if (pick < 0) break;
        out[n++] = pick == 0 ? a[ia++] : pick == 1 ? b[ib++] : c[ic++];
    }
    block->eventCount = n;
    block->modified = 1;

    r.noteEnd = r.notePlay = r.noteLoop = 0;
    r.eventHigh = r.eventCursor = r.eventLoop = 0;
    std::memset(r.openNote, 0, sizeof r.openNote);
    app.clipboard.mode = CLIP_NONE;
    app.clipboard.count = 0;
    app.erasePending = false;

    // The old block, unmarked, is what UNDO brings back.
    dropUndo(app);
    {
        EngineLockGuard lock(app.engineLock);
        unmarkAll(old);
        app.slots[app.currentSlot] = block;
        app.seq = block;
        engineDetachSequence(app);
    }
    app.undoCopy = old;
    app.undoFirstBar = firstBar;
    pointAtSequence(app, app.currentSlot);
    app.firstBar = firstBar;
    e.loopOn.store(loopWasOn, std::memory_order_relaxed);
    computeLoopPoints(app);
    locateTick(app, pos);
    markDirty(app, DIRTY_ALL);
    return 0;
}

}  // namespace qz
