// The window thread's side of recording while stopped (the step ring and
// the pad ring), the track changes that follow the input, NOTE ERASE, and
// the tick's note repeat step.
#include <algorithm>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"

namespace qz {

namespace {

// Step-ring entries taken per poll: plenty for a chord, bounded per 2 ms.
constexpr int STEP_ENTRIES_PER_POLL = 64;

void applyMixerWord(Sequencer& app, uint32_t w) {
    int track = int((w >> 16) & 0xFF);
    uint32_t field = (w >> 8) & 0xFF;
    uint8_t v = uint8_t(w & 0x7F);
    if (!app.seq || track < 1 || track > USER_TRACKS) return;
    TrackRecord& tr = app.seq->tracks[track];
    switch (field) {
    case MIX_VOLUME: tr.volume = v; break;
    case MIX_PAN: tr.pan = v; break;
    case MIX_REVERB: tr.reverb = v; break;
    case MIX_CHORUS: tr.chorus = v; break;
    case MIX_BANK_MSB: tr.bankMsb = v; break;
    case MIX_BANK_LSB: tr.bankLsb = v; break;
    case MIX_PROGRAM: tr.program = v; break;
    case MIX_TOGGLE_MUTE:
        // The tick reads the mute byte while it plays.
        trackByteStore(tr.mute, trackByteLoad(tr.mute) ? 0 : 1);
        markDirty(app, DIRTY_TRACK_ROW | DIRTY_MIXER);
        return;
    case MIX_SELECT_SOLO:
        selectTrack(app, track);
        app.engine.soloMode.store(1, std::memory_order_relaxed);
        return;
    default: return;
    }
    markDirty(app, DIRTY_TRACK_MESSAGES | DIRTY_MIXER);
}

// One step-ring entry inserted at the cursor (or at its own tick).
void insertStepEntry(Sequencer& app, const SeqEvent& e) {
    if (e.status == ST_STEP_MARK) {
        if (recordDuration(app) != 0)
            stepAdvance(app);
        else
            stepCursor(app);
        return;
    }
    if (e.status == ST_CHORD_STEP) {
        stepAfterChord(app, e.value);
        return;
    }
    if (e.status == ST_NOTE_OFF) {
        if (app.seq->exists) closeNote(app, e.track, e.data1);
        return;
    }
    Tick t = (e.value2 & REC_AT_TIME) ? e.time : app.engine.position.load(std::memory_order_relaxed);
    if (t < 0 || t >= app.lengthTicks) return;
    if (ensureSequence(app) != 0) return;
    insertEvent(app, t, e.track, e.status, e.data1, e.data2, e.status == ST_NOTE ? e.value : 0);
    markDirty(app, DIRTY_GRID);
}

// Events of the current track with note number n (notes and polyphonic
// pressure) within [from, to).
bool erasable(const SeqEvent& x, int track, int n, Tick from, Tick to) {
    return (x.track & 0x7F) == track && (x.status == ST_NOTE || x.status == ST_POLY_PRESSURE) && x.data1 == n &&
           x.time >= from && x.time < to;
}

}  // namespace

void stepCursor(Sequencer& app) {
    EngineState& e = app.engine;
    uint32_t row = settingLoad(app.settings.tcIndex);
    int32_t q = row < uint32_t(TC_ROW_COUNT) ? TC_GRID[row] : 1;
    locateTick(app, snapToGrid(app, e.position.load(std::memory_order_relaxed) + q));
    Tick pos = e.position.load(std::memory_order_relaxed);
    if (e.loopOn.load(std::memory_order_relaxed) && pos >= e.loopEndTick)
        locateTick(app, e.loopStartTick);
    else if (settingLoad(app.settings.seqLoop) && pos >= app.lengthTicks)
        locateTick(app, 0);
    markDirty(app, DIRTY_GRID | DIRTY_COUNTER);
}

void pollRecordRings(Sequencer& app) {
    RecordState& r = app.rec;
    uint32_t w;
    while (ringPop(r.clockRing, w))
        externalClockMessage(app, uint8_t(w), uint8_t((w >> 8) & 0x7F), uint8_t((w >> 16) & 0x7F));
    while (ringPop(r.mixerRing, w)) applyMixerWord(app, w);
    uint32_t used = r.usedPending.exchange(0, std::memory_order_relaxed);
    if (used && app.seq && app.seq->exists) {
        for (int t = 1; t <= USER_TRACKS; ++t)
            if (used & (1u << t)) app.seq->tracks[t].used = 1;
        markDirty(app, DIRTY_TRACK_ROW);
    }
    SeqEvent e;
    // Repeated notes fired while stopped: each one is entered at its own tick
    // and moves the cursor on by a step.
    while (ringPop(r.padRing, e)) {
        if (e.time >= 0 && e.time < app.lengthTicks && ensureSequence(app) == 0) {
            insertEvent(app, e.time, e.track, ST_NOTE, e.data1, e.data2, e.value);
            markDirty(app, DIRTY_GRID);
        }
        stepCursor(app);
    }
    for (int i = 0; i < STEP_ENTRIES_PER_POLL && ringPop(r.stepRing, e); ++i) insertStepEntry(app, e);
    publishInputState(app);
}

bool noteEraseAvailable(const Sequencer& app) {
    const EngineState& e = app.engine;
    if (!app.seq || !app.seq->exists) return false;
    if (e.loopOn.load(std::memory_order_relaxed))
        return e.cursor >= e.loopStartTick && e.cursor < e.loopEndTick;
    return settingLoad(app.settings.seqLoop) != 0 && seqBarsLoad(app) < 5;
}

void pressNoteRepeat(Sequencer& app, bool down) {
    RecordState& r = app.rec;
    if (!down) {
        r.noteRepeatOn.store(false, std::memory_order_relaxed);
        return;
    }
    if (app.allTracks) return;
    if (settingLoad(app.settings.tcIndex) == 0) {
        settingStore(app.settings.tcIndex, 1);
        markDirty(app, DIRTY_REC_PARAMS);
    }
    r.noteRepeatFired.store(false, std::memory_order_relaxed);
    r.noteRepeatOn.store(true, std::memory_order_release);
    notifyEngine(app);
}

void pressNoteErase(Sequencer& app, bool down) {
    RecordState& r = app.rec;
    if (down && noteEraseAvailable(app)) {
        r.noteEraseHeld.store(true, std::memory_order_relaxed);
        r.noteEraseKey.store(true, std::memory_order_release);
    } else {
        r.noteEraseHeld.store(false, std::memory_order_relaxed);
    }
}

int noteEraseFrame(Sequencer& app) {
    EngineState& e = app.engine;
    RecordState& r = app.rec;
    if (!r.noteEraseHeld.load(std::memory_order_relaxed)) return 0;
    if (!r.noteEraseKey.exchange(false, std::memory_order_acq_rel)) return 0;
    if (!app.seq || !app.seq->exists) return 0;
    bool loop = e.loopOn.load(std::memory_order_relaxed);
    Tick from = loop ? e.loopStartTick : 0;
    Tick to = loop ? e.loopEndTick : lengthTicksLoad(app);
    int track = app.currentTrack;
    bool notes[128];
    bool any = false;
    for (int n = 0; n < 128; ++n) any |= (notes[n] = r.heldFlag[n].load(std::memory_order_relaxed) != 0);
    if (!any) return 0;
    int erased = 0;
    if (e.playing.load(std::memory_order_acquire)) {
        EngineLockGuard lock(app.engineLock);
        SeqEvent* buf = app.work->firstHalf();
        for (int32_t i = std::min(r.noteLoop, r.noteEnd); i < r.noteEnd; ++i)
            if (buf[i].status != ST_ERASED && erasable(buf[i], track, buf[i].data1, from, to) && notes[buf[i].data1]) {
                buf[i].status = ST_ERASED;
                ++erased;
            }
        SeqEvent* ev = seqEvents(app.seq);
        // With the loop off the erase starts at the sequence's start;
        // `loopIndex` still follows the loop bars set last.
        int32_t first = loop ? std::clamp(app.loopIndex, 0, app.seq->eventCount) : 0;
        for (int32_t i = first; i < app.seq->eventCount; ++i)
            if (!(ev[i].track & TRACK_REMOVE_MARK) && erasable(ev[i], track, ev[i].data1, from, to) &&
                notes[ev[i].data1]) {
                ev[i].track |= TRACK_REMOVE_MARK;
                ++erased;
            }
        if (erased) app.erasePending = true;
        setRecordPlayPoints(app, e.position.load(std::memory_order_relaxed));
    } else {
        if (snapshotForUndo(app) != 0) return 0;
        Tick pos = e.position.load(std::memory_order_relaxed);
        {
            EngineLockGuard lock(app.engineLock);
            SeqEvent* ev = seqEvents(app.seq);
            int32_t w = 0;
            for (int32_t i = 0; i < app.seq->eventCount; ++i) {
                if (erasable(ev[i], track, ev[i].data1, from, to) && notes[ev[i].data1]) {
                    ++erased;
                    continue;
                }
                ev[w++] = ev[i];
            }
            app.seq->eventCount = w;
            if (erased) app.seq->modified = 1;
        }
        computeLoopPoints(app);
        locateTick(app, pos);
    }
    markDirty(app, DIRTY_GRID);
    return erased;
}

void noteRepeatStep(Sequencer& app) {
    EngineState& e = app.engine;
    RecordState& r = app.rec;
    if (!r.noteRepeatOn.load(std::memory_order_acquire) || !anyKeyHeld(app)) return;
    bool running = e.playing.load(std::memory_order_relaxed);
    if (running) {
        if (e.position.load(std::memory_order_relaxed) != e.recordTick.load(std::memory_order_relaxed)) return;
    } else {
        if (!r.noteRepeatFired.load(std::memory_order_relaxed)) e.idleTicks.store(0, std::memory_order_relaxed);
        Tick t = e.idleTicks.load(std::memory_order_relaxed);
        if (correctTime(app, t) != t) return;
    }
    if (!app.seq) return;
    int track = std::clamp(app.currentTrack, 1, USER_TRACKS);
    const TrackRecord& tr = app.seq->tracks[track];
    bool recording = e.recordMode.load(std::memory_order_relaxed) != RECORD_OFF;
    Tick pos = e.position.load(std::memory_order_relaxed);
    for (int n = 0; n < 128; ++n) {
        if (!keyHeld(app, n)) continue;
        sendTrackMessage(app, tr.device, tr.channel & 15, 0x90, uint8_t(n), 0);
        sendTrackMessage(app, tr.device, tr.channel & 15, 0x90, uint8_t(n), 127);
        if (!recording) continue;
        if (running) {
            Tick rt = e.recordTick.load(std::memory_order_relaxed);
            if (rt < app.lengthTicks && app.work) fileNoteOn(app, rt, uint8_t(track), uint8_t(n), 127, 8);
        } else {
            ringPush(r.padRing, SeqEvent{pos, uint8_t(track), ST_NOTE, uint8_t(n), 127, 8, 0});
        }
    }
    r.noteRepeatFired.store(true, std::memory_order_relaxed);
}

bool recordingIdle(const Sequencer& app) {
    const RecordState& r = app.rec;
    return ringEmpty(r.liveFromWindow) && ringEmpty(r.liveFromInput) && r.livePendingCount == 0 &&
           ringEmpty(r.inputRing) && !(r.noteRepeatOn.load(std::memory_order_relaxed) && anyKeyHeld(app));
}

}  // namespace qz
