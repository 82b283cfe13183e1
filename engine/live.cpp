// The live queue that sounds pad and chord notes (now, or after a strum
// delay), and the chord entry points that record chords.
//
// Pads and chords are played from the window thread and from the input
// thread, so each has its own ring into the tick. Dropping a chord that is
// still strumming is asked of the tick by the first entry of the next chord
// (LIVE_RESTART), so no producer ever touches a ring's read side.
#include <algorithm>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"

namespace qz {

namespace {

SpscRing<SeqEvent, LIVE_RING_SIZE>& liveRing(Sequencer& app) {
    return calledFromInput() ? app.rec.liveFromInput : app.rec.liveFromWindow;
}

int currentTrackSeen(const Sequencer& app) {
    return calledFromInput() ? app.rec.inCurrentTrack.load(std::memory_order_relaxed) : app.currentTrack;
}

bool recordingWhileRunning(const Sequencer& app) {
    return app.engine.playing.load(std::memory_order_acquire) &&
           app.engine.recordMode.load(std::memory_order_relaxed) != RECORD_OFF;
}

// Take what the producers queued: a restart drops the note-ons still
// waiting (the note-offs stay, so the last chord is still released) and
// starts the live clock again.
void takeLive(Sequencer& app, SpscRing<SeqEvent, LIVE_RING_SIZE>& ring) {
    RecordState& r = app.rec;
    SeqEvent e;
    while (ringPop(ring, e)) {
        if (e.value2 & LIVE_RESTART) {
            int32_t w = 0;
            for (int32_t i = 0; i < r.livePendingCount; ++i) {
                if (r.livePending[i].status == ST_NOTE) continue;
                r.livePending[w] = r.livePending[i];
                r.livePending[w++].time = 0;
            }
            r.livePendingCount = w;
            r.liveClock = 0;
        }
        e.value2 = 0;
        if (r.livePendingCount < LIVE_PENDING)
            r.livePending[r.livePendingCount++] = e;
        else
            r.liveDropped.fetch_add(1, std::memory_order_relaxed);
    }
}

}  // namespace

int chordNotes(const Sequencer& app, int note, int slot, int strum, int notes[7], int delays[7]) {
    if (slot < 0 || slot >= CHORD_TYPES || note < 0 || note > 127) return 0;
    int count = 0;
    notes[count] = note;
    delays[count++] = 0;
    const ChordDef& c = app.settings.chordTable[slot];
    for (int k = 0; k < CHORD_SLOTS; ++k) {
        // The chord editor may change an interval meanwhile: read each once.
        int i = std::atomic_ref<int8_t>(const_cast<int8_t&>(c.intervals[k])).load(std::memory_order_relaxed);
        if (i == 0) continue;
        int n = note + i;
        if (n < 0 || n > 127) continue;  // beyond the MIDI range: left out
        notes[count] = n;
        delays[count++] = (k + 1) * std::max(strum, 0);
    }
    return count;
}

void liveQueueStep(Sequencer& app) {
    RecordState& r = app.rec;
    takeLive(app, r.liveFromWindow);
    takeLive(app, r.liveFromInput);
    if (r.livePendingCount == 0) return;
    ++r.liveClock;
    int32_t w = 0;
    for (int32_t i = 0; i < r.livePendingCount; ++i) {
        const SeqEvent& e = r.livePending[i];
        if (e.time > r.liveClock)
            r.livePending[w++] = e;
        else if (e.status == ST_NOTE_OFF)
            // A released chord is silent before the next one sounds (the
            // running note is found by the track's mapped note).
            endRunningNote(app, e.track, e.data1);
        else
            playEvent(app, e);
    }
    r.livePendingCount = w;
}

void liveNote(Sequencer& app, int track, int note, int velocity, uint32_t duration) {
    if (track < 1 || track > USER_TRACKS || note < 0 || note > 127) return;
    if (track == currentTrackSeen(app)) app.rec.lastLiveNote.store(note, std::memory_order_relaxed);
    ringPush(liveRing(app), SeqEvent{0, uint8_t(track), ST_NOTE, uint8_t(note), uint8_t(std::clamp(velocity, 1, 127)),
                                     std::min<uint32_t>(duration, MAX_DURATION), 0});
    notifyEngine(app);
}

void liveNoteOff(Sequencer& app, int track, int note) {
    if (track < 1 || track > USER_TRACKS || note < 0 || note > 127) return;
    ringPush(liveRing(app), SeqEvent{0, uint8_t(track), ST_NOTE_OFF, uint8_t(note), 0, 0, 0});
    notifyEngine(app);
}

void liveNoteOn(Sequencer& app, int track, int note, int velocity, uint32_t duration, int slot, int strum) {
    if (track < 1 || track > USER_TRACKS) return;
    int notes[7], delays[7];
    int n = chordNotes(app, note, slot, strum, notes, delays);
    if (n == 0) return;
    auto& ring = liveRing(app);
    int32_t longest = 0;
    for (int i = 0; i < n; ++i) {
        SeqEvent e{delays[i], uint8_t(track), ST_NOTE, uint8_t(notes[i]), uint8_t(std::clamp(velocity, 1, 127)),
                   std::min<uint32_t>(duration, MAX_DURATION), i == 0 ? LIVE_RESTART : 0u};
        ringPush(ring, e);
        longest = std::max(longest, delays[i]);
    }
    app.rec.strumLength.store(longest, std::memory_order_relaxed);
    notifyEngine(app);
}

void liveChordOff(Sequencer& app, int track, int note, int slot) {
    if (track < 1 || track > USER_TRACKS) return;
    int notes[7], delays[7];
    int n = chordNotes(app, note, slot, 0, notes, delays);
    auto& ring = liveRing(app);
    for (int i = 0; i < n; ++i) ringPush(ring, SeqEvent{0, uint8_t(track), ST_NOTE_OFF, uint8_t(notes[i]), 0, 0, 0});
    notifyEngine(app);
}

void recordChordOn(Sequencer& app, Tick t, int track, int note, int velocity, uint32_t duration, int slot, int strum) {
    if (track < 1 || track > USER_TRACKS) return;
    bool input = calledFromInput();
    // The input thread knows the length only as published by the window thread.
    Tick length = input ? app.rec.inLengthTicks.load(std::memory_order_relaxed) : app.lengthTicks;
    if (app.engine.position.load(std::memory_order_relaxed) >= length) return;
    int notes[7], delays[7];
    int n = chordNotes(app, note, slot, strum, notes, delays);
    uint8_t v = uint8_t(std::clamp(velocity, 1, 127));
    duration = std::min<uint32_t>(duration, MAX_DURATION);
    bool running = recordingWhileRunning(app);
    for (int i = 0; i < n; ++i) {
        Tick at = t + delays[i];
        if (at < 0 || at >= length) continue;
        uint32_t value = duration != 0 ? duration : app.engine.tickCounter.load(std::memory_order_relaxed);
        SeqEvent e{at, uint8_t(track), ST_NOTE, uint8_t(notes[i]), v, value, REC_AT_TIME};
        if (input) {
            // The input thread hands the notes on; it never edits a buffer.
            ringPush(running ? app.rec.inputRing : app.rec.stepRing, e);
        } else if (running) {
            recordInsertNote(app, at, uint8_t(track), uint8_t(notes[i]), v, duration, true);
        } else if (ensureSequence(app) == 0) {
            insertEvent(app, at, uint8_t(track), ST_NOTE, uint8_t(notes[i]), v, duration);
        }
    }
}

void recordChordOff(Sequencer& app, int track, int note, int slot) {
    if (track < 1 || track > USER_TRACKS) return;
    int notes[7], delays[7];
    int n = chordNotes(app, note, slot, 0, notes, delays);
    bool running = recordingWhileRunning(app);
    bool input = calledFromInput();
    for (int i = 0; i < n; ++i) {
        SeqEvent e{0, uint8_t(track), ST_NOTE_OFF, uint8_t(notes[i]), 0, 0, 0};
        if (input)
            ringPush(running ? app.rec.inputRing : app.rec.stepRing, e);
        else if (running)
            recordCloseNote(app, uint8_t(track), uint8_t(notes[i]));
        else if (app.seq && app.seq->exists)
            closeNote(app, uint8_t(track), uint8_t(notes[i]));
    }
}

}  // namespace qz
