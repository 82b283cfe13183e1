// A stand-in tick reads events by index on its own thread while the window
// thread inserts, grows, undoes and deletes. Every event the tick sees must
// be whole and in order; ThreadSanitizer checks the hand-over itself.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "program/program.h"
#include "song/sequence_store.h"

namespace qz {
namespace {

// Events written by the test carry their tick in data2 and value, so a torn
// or stale read shows as a mismatch.
int32_t insertMarked(AppState& app, Tick t, uint8_t note) {
    return insertEvent(app, t, 1, ST_NOTE, note, uint8_t(t & 0x7F), uint32_t(t % 9000) + 1);
}

struct TickStats {
    std::atomic<long> entered{0};  // written by the tick thread, read by the test
    long skipped = 0;
    long bad = 0;
};

// Let the tick run at least once more, so every round really overlaps.
void waitForTick(const TickStats& st) {
    long seen = st.entered.load(std::memory_order_acquire);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (st.entered.load(std::memory_order_acquire) < seen + 2 && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
}

// One engine tick: walk up to 64 events from the play pointer.
void fakeTick(AppState& app, TickStats& st) {
    if (!engineTickEnter(app.engineLock)) {
        ++st.skipped;
        return;
    }
    st.entered.fetch_add(1, std::memory_order_release);
    const Sequence* s = app.seq;
    const SeqEvent* ev = seqEvents(s);
    int32_t n = s->eventCount;
    if (n > seqEventRoom(s)) ++st.bad;
    int32_t i = app.playIndex;
    if (i > n) i = 0;
    Tick last = -1;
    for (int k = 0; k < 64 && i < n; ++k, ++i) {
        const SeqEvent& e = ev[i];
        if (e.time < last || e.data2 != uint8_t(e.time & 0x7F) || e.value != uint32_t(e.time % 9000) + 1) ++st.bad;
        last = e.time;
    }
    app.playIndex = i >= n ? 0 : i;
    engineTickLeave(app.engineLock);
}

TEST(EngineLockThreads, TickReadsWhileWindowEdits) {
    AppState app;
    ASSERT_EQ(initAppState(app), 0);
    std::atomic<bool> done{false};
    TickStats st;
    std::thread tick([&] {
        while (!done.load(std::memory_order_acquire)) {
            fakeTick(app, st);
            std::this_thread::yield();
        }
    });

    for (int round = 0; round < 6; ++round) {
        ASSERT_EQ(ensureSequence(app), 0);
        ASSERT_EQ(snapshotForUndo(app), 0);
        // Enough events to grow the block twice, inserted out of order so
        // that the tail moves under the reader.
        for (int i = 0; i < 9000; ++i) {
            ASSERT_GE(insertMarked(app, (i * 7919) % 20000, uint8_t(i % 100)), 0);
            if (i % 1000 == 0) waitForTick(st);
        }
        undo(app);
        waitForTick(st);
        undo(app);
        for (int i = 0; i < 500; ++i) removeEvent(app, (i * 31) % eventCount(app));
        ASSERT_EQ(copySequence(app, app.currentSlot), 0);
        deleteSequence(app, 1);
        if (round % 2 == 1) deleteAllSequences(app);
    }
    done.store(true, std::memory_order_release);
    tick.join();

    EXPECT_EQ(st.bad, 0);
    EXPECT_GE(st.entered.load(), 6 * 20);
    freeAppState(app);
}

TEST(EngineLockThreads, LockWaitsForTickToLeave) {
    EngineLock lock;
    ASSERT_TRUE(engineTickEnter(lock));
    std::atomic<bool> taken{false};
    std::thread window([&] {
        lockEngine(lock);
        taken.store(true, std::memory_order_release);
        unlockEngine(lock);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(taken.load(std::memory_order_acquire));  // still inside the tick
    engineTickLeave(lock);
    window.join();
    EXPECT_TRUE(taken.load());
    // While held, the tick stays out.
    lockEngine(lock);
    EXPECT_FALSE(engineTickEnter(lock));
    unlockEngine(lock);
    EXPECT_TRUE(engineTickEnter(lock));
    engineTickLeave(lock);
}

}  // namespace
}  // namespace qz
