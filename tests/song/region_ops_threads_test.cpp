// The region edits against a tick that reads the events by index: the tick
// must only ever see a sorted array and a play pointer inside it.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/screens/screen_state.h"

namespace qz {
namespace {

TEST(RegionOpsThreads, TickSeesWholeArraysWhileRegionsChange) {
    auto app = std::make_unique<AppState>();
    ASSERT_EQ(initAppState(*app), 0);
    ASSERT_EQ(ensureSequence(*app), 0);
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0}, faults{0};
    std::thread tick([&] {
        while (!stop.load(std::memory_order_acquire)) {
            if (engineTickEnter(app->engineLock)) {
                const Sequence* s = app->seq;
                const SeqEvent* ev = seqEvents(s);
                int32_t n = s->eventCount;
                if (app->playIndex < 0 || app->playIndex > n) faults.fetch_add(1);
                for (int32_t i = 1; i < n; ++i)
                    if (ev[i].time < ev[i - 1].time) faults.fetch_add(1);
                engineTickLeave(app->engineLock);
                reads.fetch_add(1, std::memory_order_relaxed);
            }
            std::this_thread::yield();
        }
    });
    // Edit until the tick has had many looks, however the threads are scheduled.
    for (int round = 0; round < 60 || (reads.load() < 2000 && round < 200000); ++round) {
        applyNewBars(*app, 8);
        for (int k = 0; k < 300; ++k)
            insertEvent(*app, (k * 97) % (8 * TICKS_PER_BAR), uint8_t(1 + k % 2), ST_NOTE, uint8_t(k % 128), 90, 12);
        app->allTracks = round % 2 == 0;
        snapshotForUndo(*app);
        timingCorrect(*app, 0, 0, 127, 0, app->lengthTicks, 24, 5, 60, 80);
        deleteBars(*app, 1, 3);
        insertBlankBars(*app, 0, 1);
        copyBars(*app, 0, 2);
        pasteBars(*app, 5);
        app->selection = {100, 900, 0, 127, 0, 0};
        eraseSelection(*app);
        eraseTrack(*app, 2);
        applyNewBars(*app, 3);
    }
    stop.store(true, std::memory_order_release);
    tick.join();
    EXPECT_EQ(faults.load(), 0);
    EXPECT_GT(reads.load(), 0);
    freeAppState(*app);
}

}  // namespace
}  // namespace qz
