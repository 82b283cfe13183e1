// The engine thread's scheduling loop, the same on every system; the
// system's own clock, sleeps, wake-up and priority are in timer_os.h.
#include "platform/timer/engine_timer.h"

#include <system_error>

#include "engine/engine.h"
#include "platform/timer/timer_os.h"

namespace qz {

using namespace timer_os;

namespace {

constexpr long long NS_PER_MS = 1000000LL;

// The engine's clock runs in millisecond slots counted from `base`. Each
// call gives the engine its slot's millisecond. The engine says when it
// needs the next call: the next slot while anything is pending, else the
// slot of its next tick (or a long pause while stopped and idle), moved
// earlier within that slot when the tick is due before the boundary, so
// notes go out at their own time rather than on the next millisecond. A late
// wake-up moves on to the current slot (the engine then catches up, or drops
// a gap of 101 ms or more).
void timerThread(EngineTimer* timer, Sequencer* app) {
    EngineState& e = app->engine;
    threadBegin();
    timer->threadId.store(currentThreadId(), std::memory_order_relaxed);
    // A real-time priority when the system grants it; plain scheduling otherwise.
    timer->realtime.store(timer->wantRealtime && raisePriority(), std::memory_order_relaxed);
    const long long base = monotonicNanos() / NS_PER_MS * NS_PER_MS;
    const uint32_t baseMs = uint32_t(base / NS_PER_MS);
    long long slot = 0;
    while (!timer->stop.load(std::memory_order_acquire)) {
        long long target = slot + (e.sleepSlots > 1 ? e.sleepSlots : 1);
        long long deadline = base + target * NS_PER_MS - 1000LL * e.nextTickEarlyUs;
        if (target == slot + 1) {
            sleepUntil(deadline);
        } else {
            // A longer pause: any new work ends it (seq_cst against notifyEngine).
            uint32_t seen = e.wakeSeq.load(std::memory_order_seq_cst);
            e.engineSleeping.store(true, std::memory_order_seq_cst);
            if (!enginePendingWork(*app) && !timer->stop.load(std::memory_order_acquire))
                waitForWork(&e.wakeSeq, seen, deadline);
            e.engineSleeping.store(false, std::memory_order_seq_cst);
            long long nowNs = monotonicNanos();
            if (nowNs < deadline) {
                // Woken for new work: call for the current millisecond, or
                // the next one when this one was already called.
                target = (nowNs - base) / NS_PER_MS;
                if (target <= slot) {
                    target = slot + 1;
                    sleepUntil(base + target * NS_PER_MS);
                }
            }
        }
        slot = target;
        long long now = (monotonicNanos() - base) / NS_PER_MS;
        if (now > slot) slot = now;  // late: the engine catches up (or drops a long gap)
        engineTimerCallback(*app, baseMs + uint32_t(slot));
    }
    threadEnd();
}

}  // namespace

uint32_t systemMillis() { return uint32_t(monotonicNanos() / NS_PER_MS); }

uint64_t systemMicros() { return uint64_t(monotonicNanos() / 1000); }

int startEngineTimer(EngineTimer& timer, Sequencer& app) {
    if (timer.running) return 0;
    timer.stop.store(false, std::memory_order_relaxed);
    // The driver is set before the thread exists, so the window thread hands
    // every command over from now on.
    app.engine.wakeHook.store(wake, std::memory_order_release);
    app.engine.tickDriver.store(TICK_DRIVER_THREAD, std::memory_order_release);
    try {
        timer.thread = std::thread(timerThread, &timer, &app);
    } catch (const std::system_error&) {
        app.engine.tickDriver.store(TICK_DRIVER_NONE, std::memory_order_release);
        return -1;
    }
    timer.running = true;
    return 0;
}

void stopEngineTimer(EngineTimer& timer, Sequencer& app) {
    if (!timer.running) return;
    timer.stop.store(true, std::memory_order_release);
    notifyEngine(app);
    timer.thread.join();
    timer.running = false;
    app.engine.tickDriver.store(TICK_DRIVER_NONE, std::memory_order_release);
}

uint64_t engineTimerCpuNanos(EngineTimer& timer) {
    if (!timer.running) return 0;
    return threadCpuNanos(timer.thread);
}

}  // namespace qz
