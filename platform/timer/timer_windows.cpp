// The engine thread's primitives on Windows: the performance counter, a
// high-resolution waitable timer (Windows 10 1803 and later; older systems
// get a plain waitable timer with the system tick raised to 1 ms and a short
// spin to the deadline), an event that ends the long pauses, and the
// time-critical thread priority.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <mmsystem.h>
#if defined(__MINGW32__)
#include <pthread.h>  // std::thread is a winpthreads thread here
#endif

#include "platform/timer/timer_os.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace qz::timer_os {

namespace {

long long counterFrequency() {
    static const long long f = [] {
        LARGE_INTEGER q;
        QueryPerformanceFrequency(&q);
        return (long long)q.QuadPart;
    }();
    return f;
}

// The event every wake sets (auto-reset). One per process: a wake meant for
// another engine thread only ends a pause early, which the loop allows.
HANDLE wakeEvent() {
    static const HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return e;
}

// The engine thread's timer; `precise` false on the fallback.
thread_local HANDLE waitTimer = nullptr;
thread_local bool precise = false;

void setEvent(std::atomic<uint32_t>*) { SetEvent(wakeEvent()); }

// Arm the thread's timer to fire at the monotonic time `ns`; false when it
// is already due or there is no timer.
bool armTimer(long long ns) {
    const long long left = ns - monotonicNanos();
    if (left <= 0 || !waitTimer) return false;
    LARGE_INTEGER due;
    due.QuadPart = -(left / 100 > 0 ? left / 100 : 1);  // relative, in 100 ns units
    return SetWaitableTimer(waitTimer, &due, 0, nullptr, nullptr, FALSE) != 0;
}

// The fallback's timer fires on the next 1 ms system tick after the due
// time: it is armed one tick early and the rest is spun.
constexpr long long FALLBACK_EARLY_NS = 1000000LL;

void spinUntil(long long ns) {
    while (monotonicNanos() < ns) YieldProcessor();
}

}  // namespace

long long monotonicNanos() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    const long long f = counterFrequency();
    return (long long)(c.QuadPart / f) * 1000000000LL + (long long)(c.QuadPart % f) * 1000000000LL / f;
}

void threadBegin() {
    waitTimer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    precise = waitTimer != nullptr;
    if (!precise) {
        timeBeginPeriod(1);
        waitTimer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    }
}

void threadEnd() {
    if (waitTimer) CloseHandle(waitTimer);
    waitTimer = nullptr;
    if (!precise) timeEndPeriod(1);
}

void sleepUntil(long long ns) {
    if (!waitTimer) {
        spinUntil(ns);
        return;
    }
    if (armTimer(precise ? ns : ns - FALLBACK_EARLY_NS)) WaitForSingleObject(waitTimer, INFINITE);
    if (!precise) spinUntil(ns);
}

void waitForWork(std::atomic<uint32_t>* word, uint32_t seen, long long untilNs) {
    if (word->load(std::memory_order_seq_cst) != seen) return;
    if (!armTimer(untilNs)) return;
    const HANDLE handles[2] = {wakeEvent(), waitTimer};
    WaitForMultipleObjects(2, handles, FALSE, INFINITE);
}

void (*const wake)(std::atomic<uint32_t>*) = setEvent;

int32_t currentThreadId() { return int32_t(GetCurrentThreadId()); }

bool raisePriority() { return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL) != 0; }

uint64_t threadCpuNanos(std::thread& thread) {
#if defined(__MINGW32__)
    const HANDLE h = pthread_gethandle(thread.native_handle());
#else
    const HANDLE h = thread.native_handle();
#endif
    FILETIME created, exited, kernel, user;
    if (!h || !GetThreadTimes(h, &created, &exited, &kernel, &user))
        return 0;
    auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) * 100;
}

}  // namespace qz::timer_os
