// The engine thread's primitives on the standard library alone, for systems
// without a file of their own: the steady clock and its sleeps; a long pause
// polls for work every millisecond instead of being woken.
#include <algorithm>
#include <chrono>

#include "platform/timer/timer_os.h"

namespace qz::timer_os {

long long monotonicNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void threadBegin() {}

void threadEnd() {}

void sleepUntil(long long ns) {
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::nanoseconds(ns))));
}

void waitForWork(std::atomic<uint32_t>* word, uint32_t seen, long long untilNs) {
    while (word->load(std::memory_order_seq_cst) == seen && monotonicNanos() < untilNs)
        sleepUntil(std::min(untilNs, monotonicNanos() + 1000000LL));
}

void (*const wake)(std::atomic<uint32_t>*) = nullptr;

int32_t currentThreadId() { return 0; }

bool raisePriority() { return false; }

uint64_t threadCpuNanos(std::thread&) { return 0; }

}  // namespace qz::timer_os
