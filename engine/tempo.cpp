// Tempo, locating and the loop points: the window thread's side of the
// clock. Everything that moves the play pointers or the tempo fields holds
// the engine lock, so the tick never sees them half changed.
#include <algorithm>

#include "engine/engine.h"
#include "song/sequence_store.h"

namespace qz {

namespace {

// Index of the first event at or after t (linear; window thread only).
int32_t firstIndexAt(const Sequence* s, Tick t) {
    const SeqEvent* ev = seqEvents(s);
    int32_t n = s->eventCount;
    int32_t i = 0;
    while (i < n && ev[i].time < t) ++i;
    return i;
}

}  // namespace

void setTempo(Sequencer& app, int32_t us) {
    EngineState& e = app.engine;
    us = std::clamp(us, US_PER_QUARTER_MIN, US_PER_QUARTER_MAX);
    e.usPerQuarter.store(us, std::memory_order_relaxed);
    e.usPerTick = us / TICKS_PER_QUARTER;
    e.usRemainder = us % TICKS_PER_QUARTER;
    e.tickInQuarter = e.position.load(std::memory_order_relaxed) % TICKS_PER_QUARTER;
    e.usAccumulator = 0;
    // The engine thread may be pausing until a tick planned at the old tempo.
    notifyEngine(app);
}

int32_t sequenceTempo(const Sequencer& app) {
    int32_t x10 = app.seq ? app.seq->tempoX10 : TEMPO_X10_DEFAULT;
    if (x10 < TEMPO_X10_MIN || x10 > TEMPO_X10_MAX) x10 = TEMPO_X10_DEFAULT;
    return 600000000 / x10;
}

int32_t repairTempoEvent(SeqEvent& e) {
    int32_t us = int32_t(e.value2);
    if (us >= US_PER_QUARTER_MIN && us <= US_PER_QUARTER_MAX) return us;
    if (e.value < uint32_t(TEMPO_X10_MIN) || e.value > uint32_t(TEMPO_X10_MAX)) e.value = TEMPO_X10_DEFAULT;
    e.value2 = 600000000 / e.value;
    return int32_t(e.value2);
}

int32_t tempoAt(const Sequencer& app, Tick t) {
    int32_t us = sequenceTempo(app);
    if (!app.seq) return us;
    const SeqEvent* ev = seqEvents(app.seq);
    for (int32_t i = 0; i < app.seq->eventCount && ev[i].time <= t; ++i) {
        if (!isTempoEvent(ev[i])) continue;
        int32_t v = int32_t(ev[i].value2);
        // An unrepaired value is read as its repair would make it.
        if (v < US_PER_QUARTER_MIN || v > US_PER_QUARTER_MAX) {
            SeqEvent copy = ev[i];
            v = repairTempoEvent(copy);
        }
        us = v;
    }
    return us;
}

void retempoAtPosition(Sequencer& app) {
    EngineLockGuard lock(app.engineLock);
    int32_t us = sequenceTempo(app);
    if (app.seq) {
        SeqEvent* ev = seqEvents(app.seq);
        int32_t pos = app.engine.position.load(std::memory_order_relaxed);
        for (int32_t i = 0; i < app.seq->eventCount && ev[i].time <= pos; ++i)
            if (isTempoEvent(ev[i])) us = repairTempoEvent(ev[i]);
    }
    setTempo(app, us);
    app.engine.loopTempo = tempoAt(app, app.engine.loopStartTick);
}

void updateCounters(Sequencer& app, Tick t) {
    app.engine.bar = t / TICKS_PER_BAR;
    app.engine.beat = (t % TICKS_PER_BAR) / TICKS_PER_QUARTER;
    app.engine.tickInBeat = t % TICKS_PER_QUARTER;
}

void computeLoopPoints(Sequencer& app) {
    EngineState& e = app.engine;
    int32_t bars = app.seq ? int32_t(seqBarsLoad(app)) : lengthTicksLoad(app) / TICKS_PER_BAR;
    if (bars <= e.loopStartBar) e.loopStartBar = std::max(0, bars - e.loopBars);
    EngineLockGuard lock(app.engineLock);
    if (e.loopOn.load(std::memory_order_relaxed)) {
        e.loopStartTick = e.loopStartBar * TICKS_PER_BAR;
        e.loopEndTick = e.loopStartTick + e.loopBars * TICKS_PER_BAR;
    } else {
        e.loopStartTick = 0;
        e.loopEndTick = app.lengthTicks;
    }
    e.loopTempo = tempoAt(app, e.loopStartTick);
    app.loopIndex = app.seq ? firstIndexAt(app.seq, std::min(app.lengthTicks, e.loopStartBar * TICKS_PER_BAR)) : 0;
    if (e.playing.load(std::memory_order_acquire)) setRecordLoopPoints(app);
}

void locateTick(Sequencer& app, Tick t) {
    EngineState& e = app.engine;
    EngineLockGuard lock(app.engineLock);
    setTempo(app, sequenceTempo(app));
    t = std::clamp(t, 0, app.lengthTicks);
    e.position.store(t, std::memory_order_relaxed);
    e.cursor = t;
    int32_t i = 0;
    if (app.seq) {
        SeqEvent* ev = seqEvents(app.seq);
        for (; i < app.seq->eventCount && ev[i].time < t; ++i)
            if (isTempoEvent(ev[i])) setTempo(app, repairTempoEvent(ev[i]));
    }
    app.playIndex = i;
    updateCounters(app, t);
}

void locateBar(Sequencer& app, int32_t b) {
    b = std::clamp(b, 0, MAX_BARS - 1);
    locateTick(app, std::min(b * TICKS_PER_BAR, lengthTicksLoad(app)));
    if (app.engine.playing.load(std::memory_order_acquire)) {
        EngineLockGuard lock(app.engineLock);
        setRecordPlayPoints(app, app.engine.position.load(std::memory_order_relaxed));
    }
}

}  // namespace qz
