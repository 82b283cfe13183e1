#include "platform/timer/engine_timer.h"

#include <linux/futex.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <system_error>

#include "engine/engine.h"

namespace qz {

namespace {

constexpr long long NS_PER_MS = 1000000LL;
// Longest sleep while the engine is idle: well below the 101 ms drop rule,
// so the stopped clock keeps counting.
constexpr long long IDLE_SLEEP_MS = 20;

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
void futexWait(std::atomic<uint32_t>* word, uint32_t seen, long long untilNs) {
    long long left = untilNs - monotonicNanos();
    if (left <= 0) return;
    timespec rel = toTimespec(left);
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, seen, &rel, nullptr, 0);
}

// The engine's clock runs in millisecond slots counted from `base`. Each
// slot calls the engine once with the slot's millisecond; the call is moved
// earlier within its slot when the tick it yields is due before the slot
// boundary, so notes go out at their own time rather than on the next
// millisecond. A late wake-up moves on to the current slot (the engine then
// catches up, or drops a gap of 101 ms or more).
void timerThread(EngineTimer* timer, AppState* app) {
    EngineState& e = app->engine;
    timer->threadId.store(int32_t(syscall(SYS_gettid)), std::memory_order_relaxed);
    // A real-time priority when the system grants it; plain scheduling otherwise.
    sched_param sp{};
    sp.sched_priority = 80;
    timer->realtime.store(pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0, std::memory_order_relaxed);
    const long long base = monotonicNanos() / NS_PER_MS * NS_PER_MS;
    const uint32_t baseMs = uint32_t(base / NS_PER_MS);
    long long slot = 0;
    while (!timer->stop.load(std::memory_order_acquire)) {
        if (engineIdle(*app)) {
            uint32_t seen = e.wakeSeq.load(std::memory_order_seq_cst);
            e.engineSleeping.store(true, std::memory_order_seq_cst);
            if (engineIdle(*app) && !timer->stop.load(std::memory_order_acquire))
                futexWait(&e.wakeSeq, seen, base + (slot + IDLE_SLEEP_MS) * NS_PER_MS);
            e.engineSleeping.store(false, std::memory_order_seq_cst);
            long long now = (monotonicNanos() - base) / NS_PER_MS;
            slot = now > slot ? now : slot + 1;
        } else {
            ++slot;
            sleepUntil(base + slot * NS_PER_MS - 1000LL * e.nextTickEarlyUs);
            long long now = (monotonicNanos() - base) / NS_PER_MS;
            if (now > slot) slot = now;
        }
        engineTimerCallback(*app, baseMs + uint32_t(slot));
    }
}

}  // namespace

uint32_t systemMillis() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint32_t((unsigned long long)t.tv_sec * 1000ULL + (unsigned long long)t.tv_nsec / 1000000ULL);
}

uint64_t systemMicros() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint64_t(t.tv_sec) * 1000000ULL + uint64_t(t.tv_nsec) / 1000ULL;
}

int startEngineTimer(EngineTimer& timer, AppState& app) {
    if (timer.running) return 0;
    timer.stop.store(false, std::memory_order_relaxed);
    // The driver is set before the thread exists, so the window thread hands
    // every command over from now on.
    app.engine.wakeHook.store(futexWake, std::memory_order_release);
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

void stopEngineTimer(EngineTimer& timer, AppState& app) {
    if (!timer.running) return;
    timer.stop.store(true, std::memory_order_release);
    notifyEngine(app);
    timer.thread.join();
    timer.running = false;
    app.engine.tickDriver.store(TICK_DRIVER_NONE, std::memory_order_release);
}

uint64_t engineTimerCpuNanos(EngineTimer& timer) {
    if (!timer.running) return 0;
    clockid_t cid;
    if (pthread_getcpuclockid(timer.thread.native_handle(), &cid) != 0) return 0;
    timespec t{};
    if (clock_gettime(cid, &t) != 0) return 0;
    return uint64_t(t.tv_sec) * 1000000000ULL + uint64_t(t.tv_nsec);
}

}  // namespace qz
