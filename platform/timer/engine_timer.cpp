#include "platform/timer/engine_timer.h"

#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <system_error>

#include "engine/engine.h"

namespace qz {

namespace {

constexpr long NS_PER_MS = 1000000L;

void addMillisecond(timespec& t) {
    t.tv_nsec += NS_PER_MS;
    if (t.tv_nsec >= 1000000000L) {
        t.tv_nsec -= 1000000000L;
        t.tv_sec += 1;
    }
}

long long nanosOf(const timespec& t) { return (long long)t.tv_sec * 1000000000LL + t.tv_nsec; }

void timerThread(EngineTimer* timer, AppState* app) {
    timer->threadId.store(int32_t(syscall(SYS_gettid)), std::memory_order_relaxed);
    // A real-time priority when the system grants it; plain scheduling otherwise.
    sched_param sp{};
    sp.sched_priority = 80;
    timer->realtime.store(pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0, std::memory_order_relaxed);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    while (!timer->stop.load(std::memory_order_acquire)) {
        addMillisecond(next);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) {
        }
        engineTimerCallback(*app, systemMillis());
        // Far behind (the machine stalled): start the deadlines afresh rather
        // than racing through the missed ones.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (nanosOf(now) - nanosOf(next) > 50 * NS_PER_MS) next = now;
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
