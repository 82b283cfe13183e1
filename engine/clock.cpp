// The millisecond clock and the engine tick. Everything here runs on the
// thread that drives the tick; it never allocates, locks or logs.
#include <algorithm>

#include "engine/engine.h"
#include "song/sequence_store.h"

namespace qz {

namespace {

constexpr uint32_t MS_GAP_DROP = 101;

// The counters every tick refreshes for the metronome and recording.
void updateBarCounters(Sequencer& app, int32_t pos) {
    EngineState& e = app.engine;
    int32_t inBar = pos % TICKS_PER_BAR;
    int32_t rate = int32_t(settingLoad(app.settings.clickRate) & 1);
    e.posInBar.store(inBar, std::memory_order_relaxed);
    e.posInBeat.store(inBar % (TICKS_PER_QUARTER >> rate), std::memory_order_relaxed);
}

// One elapsed millisecond: at most one tick, in the fixed order.
void tickOneMillisecond(Sequencer& app) {
    EngineState& e = app.engine;
    if (!clockStep(app)) return;
    runningNotesStep(app, 1);
    if (countInStep(app)) {
        if (e.resyncClock.exchange(false, std::memory_order_acq_rel)) {
            e.usAccumulator = 0;
            e.tickLateUs = 0;  // the clock's phase starts at this millisecond
            e.tickInQuarter = e.position.load(std::memory_order_relaxed) % TICKS_PER_QUARTER;
        }
        if (e.waitingForKey.load(std::memory_order_acquire)) {
            int32_t pos = e.position.load(std::memory_order_relaxed);
            updateBarCounters(app, pos);
            e.recordTick.store(correctTime(app, pos), std::memory_order_relaxed);
        } else if (e.playing.load(std::memory_order_acquire) && app.seq) {
            if (loopAndEndStep(app)) {
                int32_t pos = e.position.load(std::memory_order_relaxed);
                updateBarCounters(app, pos);
                e.recordTick.store(correctTime(app, pos), std::memory_order_relaxed);
                clickStep(app);
                playDueEvents(app);
                playRecorded(app);
                noteRepeatStep(app);
                takeInput(app);
                int32_t spp = e.sppTick.load(std::memory_order_relaxed);
                if (pos >= spp) {
                    if (spp != 0) e.sppTick.store(0, std::memory_order_relaxed);
                    if (pos % 4 == 0) sendClockMessage(app, 0xF8, 0, 0);
                }
                e.position.store(pos + 1, std::memory_order_relaxed);
                e.tickCounter.fetch_add(1, std::memory_order_relaxed);
            }
        } else {
            int32_t pos = e.position.load(std::memory_order_relaxed);
            e.recordTick.store(pos, std::memory_order_relaxed);
            int32_t inBar = pos % (4 * TICKS_PER_BAR);
            int32_t rate = int32_t(settingLoad(app.settings.clickRate) & 1);
            e.posInBar.store(inBar, std::memory_order_relaxed);
            e.posInBeat.store(inBar % (TICKS_PER_QUARTER >> rate), std::memory_order_relaxed);
            noteRepeatStep(app);
            e.tickCounter.fetch_add(1, std::memory_order_relaxed);
            e.idleTicks.fetch_add(1, std::memory_order_relaxed);
        }
    }
    e.tickLateUs = 0;  // what follows is not the tick's
    liveQueueStep(app);
}

// When the engine thread needs to call next: the slot that yields the next
// tick and how early before that slot's boundary the tick is due; one slot
// while anything else waits; a long idle pause while stopped with nothing
// to do. (Inside the tick's reading section: reads the clock fields.)
void planNextCall(Sequencer& app) {
    EngineState& e = app.engine;
    e.sleepSlots = 1;
    e.nextTickEarlyUs = 0;
    if (e.extClockAlive.load(std::memory_order_relaxed) > 0 && e.playing.load(std::memory_order_relaxed)) return;
    int32_t need = e.usPerTick - e.usAccumulator;
    int32_t slots = need <= 0 ? 1 : (need + 999) / 1000;
    if (enginePendingWork(app)) {
        if (slots == 1) e.nextTickEarlyUs = std::clamp(1000 - need, 0, 999);
        return;
    }
    if (engineIdle(app)) {
        e.sleepSlots = ENGINE_IDLE_SLOTS;
        return;
    }
    e.sleepSlots = slots;
    e.nextTickEarlyUs = std::clamp(slots * 1000 - need, 0, 999);
}

}  // namespace

bool enginePendingWork(const Sequencer& app) {
    const EngineState& e = app.engine;
    return e.engineCommand.load(std::memory_order_acquire) != 0 || e.longPort.load(std::memory_order_acquire) != 0 ||
           !ringEmpty(e.outQueue) || !ringEmpty(e.thruQueue);
}

bool engineIdle(const Sequencer& app) {
    const EngineState& e = app.engine;
    return !e.playing.load(std::memory_order_acquire) && e.countIn.state.load(std::memory_order_relaxed) == 0 &&
           !e.waitingForKey.load(std::memory_order_relaxed) && e.runningHigh == 0 && !enginePendingWork(app) &&
           recordingIdle(app);
}

void engineTimerCallback(Sequencer& app, uint32_t systemMs) {
    EngineState& e = app.engine;
    if (!e.haveSystemMs) {
        e.haveSystemMs = true;
        e.lastSystemMs = systemMs;
        return;
    }
    uint32_t d = systemMs - e.lastSystemMs;
    if (d == 0 || d > 0x7FFFFFFFu) return;  // same millisecond, or the clock stepped back
    e.lastSystemMs = systemMs;
    if (d >= MS_GAP_DROP) return;  // a stall: the lost time is never played
    // release: a window thread that sees the new clock also sees what the
    // ticks up to it did.
    uint32_t now = e.msClock.load(std::memory_order_relaxed) + d;
    e.msClock.store(now, std::memory_order_release);
    if (!e.closing.load(std::memory_order_acquire)) engineTick(app, now);
}

void engineTick(Sequencer& app, uint32_t now) {
    EngineState& e = app.engine;
    bool entered = false;
    if (engineTickEnter(app.engineLock)) {
        uint32_t elapsed = now - e.lastTickClock;
        e.lastTickClock = now;
        // A start plays from now: milliseconds that passed while stopped and
        // not yet counted (the thread was pausing) are not played.
        if (e.startPending.exchange(false, std::memory_order_acq_rel) && elapsed > 1) elapsed = 1;
        for (uint32_t i = 0; i < elapsed; ++i) tickOneMillisecond(app);
        engineTickLeave(app.engineLock);
        entered = true;
    }
    // acquire: the window thread wrote the command's inputs before the word.
    uint32_t cmd = e.engineCommand.load(std::memory_order_acquire);
    if (cmd != 0) {
        executeEngineCommand(app, cmd);
        // release: what the command did is visible to the waiting window thread.
        e.engineCommand.store(0, std::memory_order_release);
    }
    sendPendingLong(app);
    drainOneQueued(app);
    // Plan the next call from a consistent view of the clock fields; while
    // the lock is held, come back in a millisecond.
    e.sleepSlots = 1;
    e.nextTickEarlyUs = 0;
    if (entered && engineTickEnter(app.engineLock)) {
        planNextCall(app);
        engineTickLeave(app.engineLock);
    }
}

bool clockStep(Sequencer& app) {
    EngineState& e = app.engine;
    if (e.extClockAlive.load(std::memory_order_relaxed) > 0 && e.playing.load(std::memory_order_relaxed)) {
        // The input thread may grant new ticks meanwhile: take one only if any is left.
        int32_t due = e.extTicksDue.load(std::memory_order_relaxed);
        while (due > 0) {
            if (e.extTicksDue.compare_exchange_weak(due, due - 1, std::memory_order_relaxed)) return true;
        }
        return false;
    }
    e.usAccumulator += 1000;
    if (e.usAccumulator < e.usPerTick) return false;
    e.usAccumulator -= e.usPerTick;
    e.tickLateUs = e.usAccumulator;
    if (++e.tickInQuarter >= TICKS_PER_QUARTER) {
        e.usAccumulator -= e.usRemainder;
        e.tickInQuarter = 0;
    }
    return true;
}

void loadTempoInTick(Sequencer& app, int32_t us) {
    EngineState& e = app.engine;
    us = std::clamp(us, US_PER_QUARTER_MIN, US_PER_QUARTER_MAX);
    e.usPerQuarter.store(us, std::memory_order_relaxed);
    e.usPerTick = us / TICKS_PER_QUARTER;
    e.usRemainder = us % TICKS_PER_QUARTER;
    e.usAccumulator = 0;
}

bool loopAndEndStep(Sequencer& app) {
    EngineState& e = app.engine;
    int32_t pos = e.position.load(std::memory_order_relaxed);
    if (e.loopOn.load(std::memory_order_relaxed) && pos >= e.loopEndTick) {
        pos = e.loopStartTick;
        e.position.store(pos, std::memory_order_relaxed);
        app.playIndex = app.loopIndex;
        loadTempoInTick(app, e.loopTempo);  // the clock phase stays
        rewindRecordBuffers(app, false);
        RecordMode rec = RECORD_REC;
        if (e.recordMode.compare_exchange_strong(rec, RECORD_OVER_DUB, std::memory_order_relaxed))
            markDirty(app, DIRTY_TRANSPORT);
    }
    if (pos < app.lengthTicks) return true;
    bool recording = e.recordMode.load(std::memory_order_relaxed) != RECORD_OFF;
    if (settingLoad(app.settings.seqLoop) && !(app.allTracks && recording)) {
        e.position.store(0, std::memory_order_relaxed);
        app.playIndex = 0;
        rewindRecordBuffers(app, true);
        loadTempoInTick(app, sequenceTempo(app));
        e.tickInQuarter = 0;
        RecordMode rec = RECORD_REC;
        if (e.recordMode.compare_exchange_strong(rec, RECORD_OVER_DUB, std::memory_order_relaxed))
            markDirty(app, DIRTY_TRANSPORT);
        return true;
    }
    if (recording && app.seq->bars < MAX_GROWN_BARS) {
        // The sequence lengthens while recording past its end (the window
        // thread reads both without the lock: see seqBarsLoad).
        std::atomic_ref<uint32_t>(app.seq->bars).store(app.seq->bars + 1, std::memory_order_relaxed);
        std::atomic_ref<int32_t>(app.lengthTicks).store(app.lengthTicks + TICKS_PER_BAR, std::memory_order_relaxed);
        markDirty(app, DIRTY_SEQ_ROW);
        return true;
    }
    e.playing.store(false, std::memory_order_release);
    e.position.store(app.lengthTicks, std::memory_order_relaxed);
    postToWindow(app, 0);
    return false;
}

bool postToWindow(Sequencer& app, uint32_t word) {
    if (!ringPush(app.engine.toWindow, word)) return false;
    wakeWindow(app);
    return true;
}

}  // namespace qz
