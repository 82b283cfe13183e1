// The 1 ms engine thread: sleeps to absolute 1 ms deadlines and calls the
// engine's timer callback with the system millisecond clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace qz {

struct Sequencer;

struct EngineTimer {
    std::thread thread;
    // Set by the window thread to end the thread.
    std::atomic<bool> stop{false};
    // Kernel thread id of the engine thread (written by it once at start).
    std::atomic<int32_t> threadId{0};
    // True when the thread got a real-time priority (written by it at start).
    std::atomic<bool> realtime{false};
    bool running = false;  // window thread
    // Ask for a real-time priority (window thread, before the start).
    bool wantRealtime = true;
};

// Monotonic system time in milliseconds (wraps after 49 days).
uint32_t systemMillis();
// Monotonic system time in microseconds.
uint64_t systemMicros();
// Start the thread and make it the engine's tick driver. Returns 0, or -1
// when the thread cannot be made.
int startEngineTimer(EngineTimer& timer, Sequencer& app);
// Stop and join the thread; afterwards the caller owns the tick again.
void stopEngineTimer(EngineTimer& timer, Sequencer& app);
// CPU time used by the engine thread so far, in nanoseconds (0 when unknown).
uint64_t engineTimerCpuNanos(EngineTimer& timer);

}  // namespace qz
