// The engine lock: the one lock word between the window (and input) thread
// and the 1 ms engine tick.
//
// Taking it is a handshake, not a flag: `lockEngine` returns only when the
// tick is not inside its event-reading section and cannot enter it until
// `unlockEngine`. The tick brackets the part of its work that reads the event
// array, the play pointers and the tempo with `engineTickEnter` /
// `engineTickLeave`; while the lock is held it skips that part and catches the
// lost milliseconds up afterwards. Both sides use sequentially consistent
// operations on two words (a Dekker-style handshake), so either the tick sees
// the holder count or the holder sees the tick inside and waits for it.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace qz {

struct EngineLock {
    // Written by the window thread and the input thread (holders count up and
    // down; nested locks on one thread just count).
    std::atomic<uint32_t> holders{0};
    // Written by the engine thread only: 1 while the tick reads events.
    std::atomic<uint32_t> inTick{0};
};

// Take the lock; waits until the tick has left its reading section.
inline void lockEngine(EngineLock& l) {
    l.holders.fetch_add(1, std::memory_order_seq_cst);
    while (l.inTick.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
}

inline void unlockEngine(EngineLock& l) {
    // release: every change made under the lock is visible to the tick that
    // next sees the count at zero.
    l.holders.fetch_sub(1, std::memory_order_release);
}

inline bool engineLocked(const EngineLock& l) { return l.holders.load(std::memory_order_acquire) != 0; }

// Engine thread: try to enter the reading section. False while the lock is
// held; the tick then advances no time.
inline bool engineTickEnter(EngineLock& l) {
    l.inTick.store(1, std::memory_order_seq_cst);
    if (l.holders.load(std::memory_order_seq_cst) != 0) {
        l.inTick.store(0, std::memory_order_release);
        return false;
    }
    return true;
}

// Engine thread: leave the reading section (release: the tick's reads are
// finished before a waiting holder goes on).
inline void engineTickLeave(EngineLock& l) { l.inTick.store(0, std::memory_order_release); }

class EngineLockGuard {
public:
    explicit EngineLockGuard(EngineLock& l) : lock_(l) { lockEngine(lock_); }
    ~EngineLockGuard() { unlockEngine(lock_); }
    EngineLockGuard(const EngineLockGuard&) = delete;
    EngineLockGuard& operator=(const EngineLockGuard&) = delete;

private:
    EngineLock& lock_;
};

}  // namespace qz
