// Transport verbs, the command word, the tick-to-window ring and the
// external clock. These run on the window thread (the external clock on the
// input thread) and hand everything the tick owns over through the command
// word, so no two threads ever write the sounding-note table.
#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/engine.h"
#include "song/sequence_store.h"

namespace qz {

void engineWait(Sequencer& app, uint32_t ms) {
    EngineState& e = app.engine;
    if (e.waitHook) {
        e.waitHook(e.waitCtx, ms);
        return;
    }
    // Nobody drains anything while no driver runs: there is nothing to wait for.
    if (e.tickDriver.load(std::memory_order_acquire) == TICK_DRIVER_NONE) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool postEngineCommand(Sequencer& app, uint32_t word, uint32_t timeoutMs) {
    EngineState& e = app.engine;
    if (word == 0) return true;
    if (e.tickDriver.load(std::memory_order_acquire) == TICK_DRIVER_NONE) {
        // No tick runs anywhere: the caller owns the tick's state.
        executeEngineCommand(app, word);
        return true;
    }
    // Wait for the word to be free so that no command is overwritten.
    uint32_t waited = 0;
    for (;;) {
        uint32_t expected = 0;
        // release: the command's inputs are visible to the tick that reads it.
        if (e.engineCommand.compare_exchange_strong(expected, word, std::memory_order_acq_rel)) {
            notifyEngine(app);
            break;
        }
        if (waited++ >= timeoutMs) return false;
        engineWait(app, 1);
    }
    while (e.engineCommand.load(std::memory_order_acquire) != 0) {
        // A tick that does not answer keeps the command: it carries it out
        // when it runs again, and the caller never does the tick's work.
        if (waited++ >= timeoutMs) return false;
        engineWait(app, 1);
    }
    return true;
}

void executeEngineCommand(Sequencer& app, uint32_t word) {
    EngineState& e = app.engine;
    uint32_t arg = word >> 8;
    switch (word & 0xFF) {
    case CMD_ALL_NOTES_OFF:
        allRunningNotesOff(app);
        break;
    case CMD_MONITOR_GS_PART:
    case CMD_MONITOR_GS_DRUM:
        logOutput(app, 0xF0u | ((word & 0xFF) == CMD_MONITOR_GS_DRUM ? 0x100u : 0u));
        break;
    case CMD_CLICK_ON:
    case CMD_CLICK_OFF:
        sendPortMessage(app, int(settingLoad(app.settings.clickPort)), int(settingLoad(app.settings.clickChannel) & 15),
                        0x90, uint8_t(arg & 127), (word & 0xFF) == CMD_CLICK_ON ? 127 : 0);
        break;
    case CMD_SONG_POSITION:
        sendClockMessage(app, 0xF2, uint8_t(arg & 127), uint8_t((arg >> 7) & 127));
        e.sppTick.store(int32_t(arg) * 24, std::memory_order_relaxed);
        break;
    case CMD_CLOCK_START:
    case CMD_CLOCK_CONTINUE:
    case CMD_CLOCK_STOP:
        sendClockMessage(app, uint8_t(word & 0xFF), 0, 0);
        break;
    default:
        break;
    }
}

int pollEngine(Sequencer& app) {
    EngineState& e = app.engine;
    int taken = 0;
    uint32_t word = 0;
    while (ringPop(e.toWindow, word)) {
        ++taken;
        if (word == 0) {
            stopTransport(app);
            markDirty(app, DIRTY_ALL);
        }
    }
    pollRecordRings(app);
    return taken;
}

namespace {

// Count a lamp down by one frame; true when it went out now. The tick or
// the input thread may light it again meanwhile: lower only what was read.
bool countLampDown(std::atomic<uint8_t>& lamp) {
    uint8_t v = lamp.load(std::memory_order_relaxed);
    return v > 0 && lamp.compare_exchange_strong(v, uint8_t(v - 1), std::memory_order_relaxed) && v == 1;
}

}  // namespace

void engineDisplayRefresh(Sequencer& app) {
    EngineState& e = app.engine;
    int32_t pos = e.position.load(std::memory_order_relaxed);
    if (pos != e.cursor) markDirty(app, DIRTY_COUNTER);
    e.cursor = pos;
    updateCounters(app, pos);
    // A lamp going out asks for a repaint; otherwise, with the transport
    // stopped, it would stay lit until something else redraws.
    bool lampOut = false;
    for (std::atomic<uint8_t>& a : e.trackActivity) lampOut |= countLampDown(a);
    for (std::atomic<uint8_t>& a : app.rec.inputLamp) lampOut |= countLampDown(a);
    lampOut |= countLampDown(app.rec.inputIndicator);
    if (lampOut) markDirty(app, DIRTY_INDICATORS);
    int32_t alive = e.extClockAlive.load(std::memory_order_relaxed);
    if (alive > 0 && e.extClockAlive.compare_exchange_strong(alive, alive - 1, std::memory_order_relaxed) &&
        alive == 1)
        markDirty(app, DIRTY_SEQ_ROW);
}

bool engineFrameDue(const Sequencer& app) {
    const EngineState& e = app.engine;
    const RecordState& r = app.rec;
    if (e.playing.load(std::memory_order_relaxed) || e.countIn.state.load(std::memory_order_relaxed) != 0 ||
        e.waitingForKey.load(std::memory_order_relaxed) || e.extClockAlive.load(std::memory_order_relaxed) > 0)
        return true;
    if (!ringEmpty(e.toWindow) || !ringEmpty(r.clockRing) || !ringEmpty(r.mixerRing) || !ringEmpty(r.padRing) || !ringEmpty(r.stepRing) ||
        r.usedPending.load(std::memory_order_relaxed) != 0)
        return true;
    if (e.position.load(std::memory_order_relaxed) != e.cursor) return true;
    auto lit = [](const std::atomic<uint8_t>& a) { return a.load(std::memory_order_relaxed) != 0; };
    for (const std::atomic<uint8_t>& a : e.trackActivity)
        if (lit(a)) return true;
    for (const std::atomic<uint8_t>& a : r.inputLamp)
        if (lit(a)) return true;
    return lit(r.inputIndicator);
}

void run(Sequencer& app) {
    EngineState& e = app.engine;
    resetRecordBuffers(app);
    computeLoopPoints(app);
    RecordMode step = RECORD_STEP;
    e.recordMode.compare_exchange_strong(step, RECORD_OVER_DUB, std::memory_order_relaxed);
    EngineLockGuard lock(app.engineLock);
    e.countIn.state.store(0, std::memory_order_relaxed);
    e.waitingForKey.store(false, std::memory_order_relaxed);
    e.resyncClock.store(true, std::memory_order_relaxed);
    e.startPending.store(true, std::memory_order_relaxed);
    // release: the loop points and the tempo set above come before the start.
    e.playing.store(true, std::memory_order_release);
    notifyEngine(app);
}

void startWithCountIn(Sequencer& app) {
    EngineState& e = app.engine;
    resetRecordBuffers(app);
    computeLoopPoints(app);
    EngineLockGuard lock(app.engineLock);
    e.countIn.state.store(0, std::memory_order_relaxed);
    bool recording = e.recordMode.load(std::memory_order_relaxed) != RECORD_OFF;
    bool countIn = recording ? settingLoad(app.settings.recCountIn) != 0 : settingLoad(app.settings.playCountIn) != 0;
    if (countIn) armCountIn(app);
    if (recording && e.waitForKey.load(std::memory_order_relaxed)) {
        e.waitingForKey.store(true, std::memory_order_relaxed);
    } else {
        e.resyncClock.store(true, std::memory_order_relaxed);
    }
    e.startPending.store(true, std::memory_order_relaxed);
    e.playing.store(true, std::memory_order_release);
    notifyEngine(app);
}

void startFromTop(Sequencer& app) {
    {
        EngineLockGuard lock(app.engineLock);
        setTempo(app, sequenceTempo(app));
    }
    locateTick(app, 0);
    app.engine.sppTick.store(0, std::memory_order_relaxed);
    if (app.engine.playing.load(std::memory_order_acquire))
        run(app);
    else
        startWithCountIn(app);
}

void stopTransport(Sequencer& app) {
    EngineState& e = app.engine;
    int32_t pos = e.position.load(std::memory_order_relaxed);
    // The transport ran (not still counting in or waiting for the first key).
    bool ran = e.playing.load(std::memory_order_acquire) && e.countIn.state.load(std::memory_order_relaxed) == 0 &&
               !e.waitingForKey.load(std::memory_order_relaxed);
    e.playing.store(false, std::memory_order_release);
    RecordMode mode = e.recordMode.exchange(RECORD_OFF, std::memory_order_relaxed);
    // The sounding notes belong to the tick: it switches them off itself. If it
    // does not answer in time the command stays posted and nobody else touches
    // the table.
    postEngineCommand(app, CMD_ALL_NOTES_OFF, 3000);
    // Keys played just before the stop belong to this take.
    takeInputAtStop(app, mode, ran);
    bool recorded = e.recorded.load(std::memory_order_relaxed);
    if (app.seq) closeOpenNotes(app);
    if (app.seq && mergeNeeded(app)) mergeRecording(app);
    for (auto& f : app.rec.heldFlag) f.store(0, std::memory_order_relaxed);
    locateTick(app, pos);
    if (recorded && app.seq) takeTrackDefaults(app.seq);
    e.waitingForKey.store(false, std::memory_order_relaxed);
    e.countIn.state.store(0, std::memory_order_relaxed);
    e.recorded.store(false, std::memory_order_relaxed);
    e.idleTicks.store(0, std::memory_order_relaxed);
    e.sppTick.store(0, std::memory_order_relaxed);
    e.pendingStart.store(0, std::memory_order_relaxed);
    e.tickCounter.store(0x80000000u, std::memory_order_relaxed);
    markDirty(app, DIRTY_ALL);
}

void sendSongPosition(Sequencer& app) {
    int32_t pos = app.engine.position.load(std::memory_order_relaxed);
    int32_t s = std::min((pos + 23) / 24, 16383);
    postEngineCommand(app, uint32_t(s) << 8 | CMD_SONG_POSITION, 3000);
}

namespace {

bool isNoteOfTrack(const Sequencer& app, const SeqEvent& ev) {
    if (ev.status != ST_NOTE) return false;
    return app.allTracks || ev.track == app.currentTrack;
}

}  // namespace

void locateNextNote(Sequencer& app, int32_t skip) {
    if (!app.seq) return;
    Tick target = -1;
    {
        EngineLockGuard lock(app.engineLock);
        const SeqEvent* ev = seqEvents(app.seq);
        int32_t n = app.seq->eventCount;
        int32_t i = std::clamp(app.playIndex, 0, n);
        while (i < n && ev[i].time <= app.engine.cursor + skip) ++i;
        while (i < n && !isNoteOfTrack(app, ev[i])) ++i;
        if (i < n) target = ev[i].time;
    }
    if (target >= 0)
        locateTick(app, target);
    else
        locateBar(app, int32_t(seqBarsLoad(app)));
}

void locatePreviousNote(Sequencer& app, int32_t skip) {
    if (!app.seq) return;
    Tick from = std::max(0, app.engine.cursor - skip);
    Tick target = 0;
    if (from > 0) {
        EngineLockGuard lock(app.engineLock);
        const SeqEvent* ev = seqEvents(app.seq);
        int32_t i = std::clamp(app.playIndex, 0, app.seq->eventCount);
        while (i > 0 && ev[i - 1].time >= from) --i;
        int32_t j = i - 1;
        while (j >= 0 && !isNoteOfTrack(app, ev[j])) --j;
        if (i > 0 && j >= 0) target = ev[j].time;
    }
    locateTick(app, target);
}

void externalClockMessage(Sequencer& app, uint8_t status, uint8_t d1, uint8_t d2) {
    EngineState& e = app.engine;
    switch (status) {
    case 0xF8: {
        int32_t pending = e.pendingStart.exchange(0, std::memory_order_relaxed);
        // The clock is alive before the start so that the first tick waits
        // for the granted ticks instead of running on the tempo.
        e.extClockAlive.store(EXT_CLOCK_ALIVE_FRAMES, std::memory_order_relaxed);
        if (pending == 0xFA) startFromTop(app);
        if (pending == 0xFB) run(app);
        if (e.playing.load(std::memory_order_acquire)) {
            e.extTicksDue.store(4, std::memory_order_relaxed);
            markDirty(app, DIRTY_SEQ_ROW);
        }
        break;
    }
    case 0xFA:
    case 0xFB:
        if (status == 0xFB && e.playing.load(std::memory_order_acquire)) break;
        if (app.seq && app.seq->exists) {
            if (e.recordMode.load(std::memory_order_relaxed) == RECORD_STEP) {
                closeOpenNotes(app);
                e.recordMode.store(RECORD_OFF, std::memory_order_relaxed);
            }
        }
        e.pendingStart.store(status, std::memory_order_relaxed);
        break;
    case 0xFC:
        e.pendingStart.store(0, std::memory_order_relaxed);
        stopTransport(app);
        if (app.seq) closeOpenNotes(app);
        break;
    case 0xF2: {
        Tick p = (int32_t(d1 & 127) + 128 * int32_t(d2 & 127)) * 24;
        Tick length = lengthTicksLoad(app);
        if (settingLoad(app.settings.seqLoop) && length > 0) p %= length;
        locateTick(app, p);
        markDirty(app, DIRTY_GRID);
        break;
    }
    default:
        break;
    }
}

}  // namespace qz
