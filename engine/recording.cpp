// The recording buffers: filing the input ring into the note and event
// buffers, playing them back on later passes, their loop and play points, and
// the note buffer edits of the grid while recording runs.
//
// The note buffer is the work buffer's first half, in time order; the event
// buffer its second half, in arrival order. Entries are known by index only:
// every insertion or removal goes through insertNoteEntry / compactNotes,
// which keep the loop-start point and the open-note table of ALL TRACKS
// recording on the same entries.
#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"

namespace qz {

namespace {

constexpr int32_t NOTE_CAPACITY = WORK_HALF_EVENTS;
constexpr int32_t EVENT_CAPACITY = WORK_HALF_EVENTS;

SeqEvent* noteBuffer(Sequencer& app) {
    return app.work->firstHalf();
}
SeqEvent* eventBuffer(Sequencer& app) {
    return app.work->secondHalf();
}

bool sameNote(const SeqEvent& e, uint8_t track, uint8_t note) {
    return e.status == ST_NOTE && (e.track & 0x7F) == track && e.data1 == note;
}

// Duration of an open note closed now: at least 1, at most 9999.
uint32_t heldDuration(const Sequencer& app, uint32_t start) {
    uint32_t now = app.engine.tickCounter.load(std::memory_order_relaxed);
    int64_t d = int64_t(int32_t(now - start));
    return uint32_t(std::clamp<int64_t>(d, 1, MAX_DURATION));
}

// Open a hole at index i of the note buffer and write `e` there. The
// playback point keeps its index; the loop-start point and the open-note
// table follow the entries they name. The caller checked the room.
void insertNoteEntry(Sequencer& app, int32_t i, const SeqEvent& e) {
    RecordState& r = app.rec;
    SeqEvent* buf = noteBuffer(app);
    std::memmove(buf + i + 1, buf + i, size_t(r.noteEnd - i) * sizeof(SeqEvent));
    buf[i] = e;
    ++r.noteEnd;
    if (i < r.noteLoop || (i == r.noteLoop && e.time < app.engine.loopStartTick)) ++r.noteLoop;
    for (auto& row : r.openNote)
        for (int32_t& slot : row)
            if (slot > i) ++slot;  // slot holds index + 1
}

// Index of the first note buffer entry at tick >= t, searched from the
// playback point (the entries near it are the ones recording touches).
int32_t firstEntryAt(Sequencer& app, Tick t) {
    RecordState& r = app.rec;
    const SeqEvent* buf = noteBuffer(app);
    int32_t i = std::clamp(r.notePlay, 0, r.noteEnd);
    while (i > 0 && buf[i - 1].time >= t) --i;
    while (i < r.noteEnd && buf[i].time < t) ++i;
    return i;
}

// OVER DUB: notes of the sequence at exactly tick r with this track and
// number give way to the new one; the merge removes them. The search starts
// at the play index, which stands within a grid step of r.
void markReplacedNotes(Sequencer& app, Tick r, uint8_t track, uint8_t note) {
    Sequence* s = app.seq;
    if (!s) return;
    SeqEvent* ev = seqEvents(s);
    int32_t n = s->eventCount;
    int32_t i = std::clamp(app.playIndex, 0, n);
    while (i > 0 && ev[i - 1].time >= r) --i;
    while (i < n && ev[i].time < r) ++i;
    for (; i < n && ev[i].time == r; ++i)
        if (ev[i].status == ST_NOTE && ev[i].track == track && ev[i].data1 == note) ev[i].track |= TRACK_REMOVE_MARK;
}

// Put a note-on at tick t into the note buffer, replacing an entry of the
// same tick, track and number. Returns its index, or -1 when full.
int32_t placeNote(Sequencer& app, Tick t, uint8_t track, uint8_t note, uint8_t velocity, uint32_t value,
                  bool heardLive) {
    RecordState& r = app.rec;
    SeqEvent* buf = noteBuffer(app);
    int32_t i = firstEntryAt(app, t);
    int32_t j = i;
    for (; j < r.noteEnd && buf[j].time == t; ++j) {
        if (sameNote(buf[j], track, note) && buf[j].status != ST_ERASED) break;
    }
    bool replace = j < r.noteEnd && buf[j].time == t;
    if (!replace) {
        if (r.noteEnd >= NOTE_CAPACITY) return -1;
        SeqEvent e{t, track, ST_NOTE, note, velocity, value, 0};
        insertNoteEntry(app, j, e);
    } else {
        buf[j] = SeqEvent{t, track, ST_NOTE, note, velocity, value, 0};
    }
    // Heard live on this pass: not played again until the next one.
    if (heardLive && j >= r.notePlay) buf[j].track |= TRACK_REMOVE_MARK;
    app.engine.recorded.store(true, std::memory_order_relaxed);
    return j;
}

// ALL TRACKS: every entry except a note-off goes in at the position, after
// the entries of that tick; note-ons become the open note of their track.
void fileAllTracks(Sequencer& app, const SeqEvent& in, Tick pos) {
    RecordState& r = app.rec;
    SeqEvent* buf = noteBuffer(app);
    uint8_t track = in.track & 0x7F;
    if (track > USER_TRACKS) return;
    if (in.status == ST_NOTE || in.status == ST_NOTE_OFF) {
        int32_t& open = r.openNote[track][in.data1 & 127];
        if (open > 0 && open <= r.noteEnd) {
            SeqEvent& o = buf[open - 1];
            if (o.status == ST_NOTE && isOpenNote(o)) o.value = heldDuration(app, o.value);
        }
        open = 0;
        if (in.status == ST_NOTE_OFF) return;
    }
    if (r.noteEnd >= NOTE_CAPACITY) return;
    int32_t i = firstEntryAt(app, pos + 1);
    SeqEvent e = in;
    e.time = pos;
    e.track = track;
    e.value2 = 0;
    insertNoteEntry(app, i, e);
    if (in.status == ST_NOTE && isOpenNote(e)) r.openNote[track][in.data1 & 127] = i + 1;
    app.engine.recorded.store(true, std::memory_order_relaxed);
}

// First index of the event buffer whose entry lies at or after t (the
// buffer is in arrival order, so this is the first such entry).
int32_t firstEventEntryAt(Sequencer& app, Tick t) {
    const SeqEvent* buf = eventBuffer(app);
    int32_t i = 0;
    while (i < app.rec.eventHigh && buf[i].time < t) ++i;
    return i;
}

}  // namespace

namespace {

int32_t fileNoteOnAs(Sequencer& app, RecordMode mode, Tick r, uint8_t track, uint8_t note, uint8_t velocity,
                     uint32_t value) {
    if (app.rec.noteEnd >= NOTE_CAPACITY) return -1;
    if (mode == RECORD_OVER_DUB) markReplacedNotes(app, r, track, note);
    return placeNote(app, r, track, note, velocity, value, true);
}

// End of the ticks a recorded note may land on: the sequence end, or one bar
// more while recording past the end lengthens the sequence (timing correct
// may move a key played just before the end onto the new bar).
Tick recordEndTick(const Sequencer& app) {
    bool wraps = settingLoad(app.settings.seqLoop) != 0 && !app.allTracks;
    bool grows = !wraps && app.seq && app.seq->bars < MAX_GROWN_BARS;
    return app.lengthTicks + (grows ? TICKS_PER_BAR : 0);
}

// A recorded note-on or controller goes in before the entries of a previous
// pass that follow it, so nothing recorded earlier is overwritten. The loop
// start point follows the entries it names.
void insertEventEntry(Sequencer& app, const SeqEvent& x) {
    RecordState& r = app.rec;
    SeqEvent* buf = eventBuffer(app);
    int32_t i = r.eventCursor;
    std::memmove(buf + i + 1, buf + i, size_t(r.eventHigh - i) * sizeof(SeqEvent));
    buf[i] = x;
    ++r.eventHigh;
    r.eventCursor = i + 1;
    if (i < r.eventLoop || (i == r.eventLoop && x.time < app.engine.loopStartTick)) ++r.eventLoop;
}

// The note played back from the buffer while its key was still held sounds
// until the key is released: end it with the key.
void endHeldReplay(Sequencer& app, uint8_t track, uint8_t note) {
    if (!app.seq || track >= TRACK_RECORDS) return;
    EngineState& e = app.engine;
    uint32_t n = uint32_t(app.seq->tracks[track].noteMap[note & 127] & 127);
    for (int i = 0; i < e.runningHigh; ++i) {
        RunningNote& rn = e.running[i];
        // Held notes count down from RUNNING_HELD; timed ones are far below.
        if (rn.remaining > 0xFFFFFF && rn.track == track && rn.note == n) rn.remaining = 1;
    }
}

// File what waits in the input ring as `mode` records it, at the current
// position. False when the note buffer is full (the rest is discarded).
bool fileInputRing(Sequencer& app, RecordMode mode) {
    EngineState& e = app.engine;
    RecordState& r = app.rec;
    Tick pos = e.position.load(std::memory_order_relaxed);
    Tick recTick = e.recordTick.load(std::memory_order_relaxed);
    Tick end = recordEndTick(app);
    SeqEvent in;
    while (ringPop(r.inputRing, in)) {
        if (r.noteEnd >= NOTE_CAPACITY) {
            r.noteBufferFull.fetch_add(1, std::memory_order_relaxed);
            ringDiscard(r.inputRing);
            return false;
        }
        if (app.allTracks) {
            fileAllTracks(app, in, pos);
            continue;
        }
        uint8_t track = in.track & 0x7F;
        switch (in.status) {
        case ST_NOTE: {
            Tick t = (in.value2 & REC_AT_TIME) ? in.time : recTick;
            if (t < 0 || t >= end) break;
            fileNoteOnAs(app, mode, t, track, in.data1, in.data2, in.value);
            break;
        }
        case ST_NOTE_OFF:
            if (closeBufferedNote(app, track, in.data1) >= 0) endHeldReplay(app, track, in.data1);
            break;
        default:
            // Controllers and the like are filed where they came, uncorrected.
            if (r.eventHigh < EVENT_CAPACITY) {
                insertEventEntry(app, SeqEvent{pos, track, in.status, in.data1, in.data2, 0, 0});
                e.recorded.store(true, std::memory_order_relaxed);
            } else {
                r.eventsDropped.fetch_add(1, std::memory_order_relaxed);
            }
            break;
        }
    }
    return true;
}

}  // namespace

int32_t fileNoteOn(Sequencer& app, Tick r, uint8_t track, uint8_t note, uint8_t velocity, uint32_t value) {
    return fileNoteOnAs(app, app.engine.recordMode.load(std::memory_order_relaxed), r, track, note, velocity, value);
}

int32_t closeBufferedNote(Sequencer& app, uint8_t track, uint8_t note) {
    RecordState& r = app.rec;
    SeqEvent* buf = noteBuffer(app);
    int32_t from = std::clamp(r.notePlay, 0, r.noteEnd);
    int32_t found = -1;
    for (int32_t i = from - 1; i >= 0 && found < 0; --i)
        if (sameNote(buf[i], track, note) && isOpenNote(buf[i])) found = i;
    for (int32_t i = from; i < r.noteEnd && found < 0; ++i)
        if (sameNote(buf[i], track, note) && isOpenNote(buf[i])) found = i;
    if (found >= 0) buf[found].value = heldDuration(app, buf[found].value);
    return found;
}

void takeInput(Sequencer& app) {
    EngineState& e = app.engine;
    RecordState& r = app.rec;
    if (ringEmpty(r.inputRing)) return;
    RecordMode mode = e.recordMode.load(std::memory_order_relaxed);
    if (mode == RECORD_OFF || !e.playing.load(std::memory_order_relaxed) || !app.work) {
        ringDiscard(r.inputRing);
        return;
    }
    if (!fileInputRing(app, mode)) {
        // Full: the window thread stops the transport and merges what is there.
        e.playing.store(false, std::memory_order_release);
        postToWindow(app, 0);
    }
}

void takeInputAtStop(Sequencer& app, RecordMode mode, bool ran) {
    RecordState& r = app.rec;
    EngineLockGuard lock(app.engineLock);
    if (ringEmpty(r.inputRing)) return;
    if (mode == RECORD_OFF || mode == RECORD_STEP || !ran || !app.work) {
        ringDiscard(r.inputRing);
        return;
    }
    // Filed where the next tick would have filed them.
    EngineState& e = app.engine;
    e.recordTick.store(correctTime(app, e.position.load(std::memory_order_relaxed)), std::memory_order_relaxed);
    fileInputRing(app, mode);
}

void playRecorded(Sequencer& app) {
    if (app.allTracks || !app.work) return;
    EngineState& e = app.engine;
    RecordState& r = app.rec;
    Tick pos = e.position.load(std::memory_order_relaxed);
    SeqEvent* buf = noteBuffer(app);
    while (r.notePlay < r.noteEnd && buf[r.notePlay].time <= pos) {
        SeqEvent& x = buf[r.notePlay++];
        if (x.status == ST_ERASED) continue;
        if (x.time == pos && !(x.track & TRACK_REMOVE_MARK)) {
            playEvent(app, x);
            if (x.track < TRACK_RECORDS) e.trackActivity[x.track].store(LAMP_FRAMES, std::memory_order_relaxed);
        } else {
            x.track &= 0x7F;  // heard live on the last pass: plays from the next one
        }
    }
    SeqEvent* ev = eventBuffer(app);
    while (r.eventCursor < r.eventHigh && ev[r.eventCursor].time <= pos) {
        const SeqEvent& x = ev[r.eventCursor++];
        if (x.status == ST_ERASED) continue;
        if (x.track < TRACK_RECORDS) e.trackActivity[x.track].store(LAMP_FRAMES, std::memory_order_relaxed);
        playEvent(app, x);
    }
}

void rewindRecordBuffers(Sequencer& app, bool toStart) {
    RecordState& r = app.rec;
    r.notePlay = toStart ? 0 : std::min(r.noteLoop, r.noteEnd);
    r.eventCursor = toStart ? 0 : std::min(r.eventLoop, r.eventHigh);
}

void setRecordLoopPoints(Sequencer& app) {
    if (!app.work) return;
    RecordState& r = app.rec;
    Tick t = app.engine.loopStartTick;
    const SeqEvent* buf = noteBuffer(app);
    int32_t i = 0;
    while (i < r.noteEnd && buf[i].time < t) ++i;
    r.noteLoop = i;
    r.eventLoop = firstEventEntryAt(app, t);
}

void setRecordPlayPoints(Sequencer& app, Tick t) {
    if (!app.work) return;
    RecordState& r = app.rec;
    const SeqEvent* buf = noteBuffer(app);
    int32_t i = 0;
    while (i < r.noteEnd && buf[i].time < t) ++i;
    r.notePlay = i;
    r.eventCursor = firstEventEntryAt(app, t);
}

int32_t copyRecordedNotes(Sequencer& app, Tick from, Tick to, SeqEvent* out, int32_t max) {
    EngineLockGuard lock(app.engineLock);
    const RecordState& r = app.rec;
    const SeqEvent* buf = noteBuffer(app);
    int32_t n = 0;
    for (int32_t i = 0; i < r.noteEnd && n < max; ++i) {
        if (buf[i].time >= to) break;
        if (buf[i].time >= from && buf[i].status == ST_NOTE) out[n++] = buf[i];
    }
    return n;
}

bool recordBuffersEmpty(const Sequencer& app) {
    return app.rec.noteEnd == 0 && app.rec.eventHigh == 0;
}

void resetRecordBuffers(Sequencer& app) {
    EngineState& e = app.engine;
    RecordState& r = app.rec;
    EngineLockGuard lock(app.engineLock);
    // Input left from before the start (a key that came after the last stop
    // took the ring) is not this recording's. Under the lock the window
    // thread may take the tick's side of the ring.
    if (!e.playing.load(std::memory_order_acquire)) ringDiscard(r.inputRing);
    if (!recordBuffersEmpty(app) && e.playing.load(std::memory_order_acquire)) {
        // A restart while recording runs keeps what was recorded: it is
        // merged at the stop. Only the points move.
        setRecordPlayPoints(app, e.position.load(std::memory_order_relaxed));
        return;
    }
    r.noteEnd = r.notePlay = r.noteLoop = 0;
    r.eventHigh = r.eventCursor = r.eventLoop = 0;
    std::memset(r.openNote, 0, sizeof r.openNote);
    e.tickCounter.store(0x80000000u, std::memory_order_relaxed);
    if (e.recordMode.load(std::memory_order_relaxed) != RECORD_OFF && app.work) {
        // The event buffer shares the clipboard's room.
        app.clipboard.mode = CLIP_NONE;
        app.clipboard.count = 0;
    }
}

// ---- Grid edits while recording runs ----------------------------------------------------

int32_t recordInsertNote(Sequencer& app, Tick t, uint8_t track, uint8_t note, uint8_t velocity, uint32_t duration,
                         bool heardLive) {
    if (!app.work || t < 0 || t >= app.lengthTicks) return -1;
    EngineLockGuard lock(app.engineLock);
    if (app.rec.noteEnd >= NOTE_CAPACITY) return -1;
    uint32_t value = duration != 0 ? std::min<uint32_t>(duration, MAX_DURATION)
                                   : app.engine.tickCounter.load(std::memory_order_relaxed);
    return placeNote(app, t, track, note, velocity, value, heardLive);
}

void recordCloseNote(Sequencer& app, uint8_t track, uint8_t note) {
    if (!app.work) return;
    EngineLockGuard lock(app.engineLock);
    closeBufferedNote(app, track, note);
}

int32_t recordFindNote(Sequencer& app, Tick t, int32_t reach) {
    if (!app.work) return -1;
    EngineLockGuard lock(app.engineLock);
    const SeqEvent* buf = noteBuffer(app);
    int32_t best = -1;
    int32_t bestDistance = reach + 1;
    for (int32_t i = 0; i < app.rec.noteEnd; ++i) {
        const SeqEvent& x = buf[i];
        if (x.status != ST_NOTE || (x.track & 0x7F) != app.currentTrack) continue;
        int32_t d = std::abs(x.time - t);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

void removeRecordedNotes(Sequencer& app, int track, Tick from, Tick to, int lowNote, int highNote) {
    if (!app.work) return;
    EngineLockGuard lock(app.engineLock);
    RecordState& r = app.rec;
    SeqEvent* buf = noteBuffer(app);
    int32_t w = 0;
    for (int32_t i = 0; i < r.noteEnd; ++i) {
        const SeqEvent& x = buf[i];
        bool gone = (x.track & 0x7F) == track && (x.status == ST_NOTE || x.status == ST_POLY_PRESSURE) &&
                    x.data1 >= lowNote && x.data1 <= highNote && x.time >= from && x.time < to;
        if (!gone) buf[w++] = x;
    }
    r.noteEnd = w;
    // The open-note table names entries by index: rebuild it from the open notes.
    std::memset(r.openNote, 0, sizeof r.openNote);
    if (app.allTracks)
        for (int32_t i = 0; i < r.noteEnd; ++i)
            if (buf[i].status == ST_NOTE && isOpenNote(buf[i]) && (buf[i].track & 0x7F) <= USER_TRACKS)
                r.openNote[buf[i].track & 0x7F][buf[i].data1 & 127] = i + 1;
    setRecordLoopPoints(app);
    r.notePlay = r.noteLoop;
}

}  // namespace qz
