// The engine thread's primitives on Linux: CLOCK_MONOTONIC, absolute
// clock_nanosleep, a futex for the long pauses, SCHED_FIFO.
#include <linux/futex.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/timer/timer_os.h"

namespace qz::timer_os {

namespace {

timespec toTimespec(long long ns) {
    timespec t{};
    t.tv_sec = time_t(ns / 1000000000LL);
    t.tv_nsec = long(ns % 1000000000LL);
    return t;
}

void futexWake(std::atomic<uint32_t>* word) {
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

}  // namespace

long long monotonicNanos() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

void threadBegin() {}

void threadEnd() {}

void sleepUntil(long long ns) {
    timespec t = toTimespec(ns);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

void waitForWork(std::atomic<uint32_t>* word, uint32_t seen, long long untilNs) {
    long long left = untilNs - monotonicNanos();
    if (left <= 0) return;
    timespec rel = toTimespec(left);
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, seen, &rel, nullptr, 0);
}

void (*const wake)(std::atomic<uint32_t>*) = futexWake;

int32_t currentThreadId() { return int32_t(syscall(SYS_gettid)); }

bool raisePriority() {
    sched_param sp{};
    sp.sched_priority = 80;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0;
}

uint64_t threadCpuNanos(std::thread& thread) {
    clockid_t cid;
    if (pthread_getcpuclockid(thread.native_handle(), &cid) != 0) return 0;
    timespec t{};
    if (clock_gettime(cid, &t) != 0) return 0;
    return uint64_t(t.tv_sec) * 1000000000ULL + uint64_t(t.tv_nsec);
}

}  // namespace qz::timer_os
