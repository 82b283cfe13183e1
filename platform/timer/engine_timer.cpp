#include "platform/timer/engine_timer.h"

#if defined(__linux__)
#include <linux/futex.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <system_error>

#include "engine/engine.h"

namespace qz {

namespace {

constexpr long long NS_PER_MS = 1000000LL;

#if defined(__linux__)

long long monotonicNanos() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

timespec toTimespec(long long ns) {
    timespec t{};
    t.tv_sec = time_t(ns / 1000000000LL);
    t.tv_nsec = long(ns % 1000000000LL);
    return t;
}

void sleepUntil(long long ns) {
    timespec t = toTimespec(ns);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

void futexWake(std::atomic<uint32_t>* word) {
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

// Sleep until `untilNs` or until the word changes from `seen`.
void waitForWork(std::atomic<uint32_t>* word, uint32_t seen, long long untilNs) {
    long long left = untilNs - monotonicNanos();
    if (left <= 0) return;
    timespec rel = toTimespec(left);
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, seen, &rel, nullptr, 0);
}

int32_t currentThreadId() { return int32_t(syscall(SYS_gettid)); }

bool raisePriority() {
    sched_param sp{};
    sp.sched_priority = 80;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0;
}

constexpr auto WAKE_HOOK = futexWake;

#else

// Portable fallback: the standard clock and sleeps; a pause polls for work
// every millisecond instead of being woken.
long long monotonicNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void sleepUntil(long long ns) {
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(std::chrono::nanoseconds(ns)));
}

void waitForWork(std::atomic<uint32_t>* word, uint32_t seen, long long untilNs) {
    while (word->load(std::memory_order_seq_cst) == seen && monotonicNanos() < untilNs)
        sleepUntil(std::min(untilNs, monotonicNanos() + NS_PER_MS));
}

int32_t currentThreadId() { return 0; }

bool raisePriority() { return false; }

constexpr void (*WAKE_HOOK)(std::atomic<uint32_t>*) = nullptr;

#endif

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
}

}  // namespace

uint32_t systemMillis() { return uint32_t(monotonicNanos() / NS_PER_MS); }

uint64_t systemMicros() { return uint64_t(monotonicNanos() / 1000); }

int startEngineTimer(EngineTimer& timer, Sequencer& app) {
    if (timer.running) return 0;
    timer.stop.store(false, std::memory_order_relaxed);
    // The driver is set before the thread exists, so the window thread hands
    // every command over from now on.
    app.engine.wakeHook.store(WAKE_HOOK, std::memory_order_release);
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
#if !defined(__linux__)
    (void)timer;
    return 0;
#else
    if (!timer.running) return 0;
    clockid_t cid;
    if (pthread_getcpuclockid(timer.thread.native_handle(), &cid) != 0) return 0;
    timespec t{};
    if (clock_gettime(cid, &t) != 0) return 0;
    return uint64_t(t.tv_sec) * 1000000000ULL + uint64_t(t.tv_nsec);
#endif
}

}  // namespace qz
