// What each operating system gives the engine thread's scheduling loop
// (engine_timer.cpp). One source per system implements it: timer_linux.cpp,
// timer_windows.cpp, and timer_portable.cpp on the standard library for the
// rest; CMake picks the one.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace qz::timer_os {

// Monotonic system time in nanoseconds.
long long monotonicNanos();
// Called on the engine thread before its first sleep and after its last
// (a system may keep a per-thread timer there).
void threadBegin();
void threadEnd();
// Sleep until the monotonic time `ns`.
void sleepUntil(long long ns);
// Sleep until `untilNs` or until `wake` is called after the word changed
// from `seen`; may return early.
void waitForWork(std::atomic<uint32_t>* word, uint32_t seen, long long untilNs);
// The wake call for the engine's `wakeHook`: ends a `waitForWork`. Null when
// `waitForWork` polls.
extern void (*const wake)(std::atomic<uint32_t>*);
// The system's id of the calling thread (0 when there is none).
int32_t currentThreadId();
// Give the calling thread a real-time priority; false when refused.
bool raisePriority();
// CPU time the thread has used, in nanoseconds (0 when unknown).
uint64_t threadCpuNanos(std::thread& thread);

}  // namespace qz::timer_os
