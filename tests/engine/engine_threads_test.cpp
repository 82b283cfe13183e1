// The engine on its real 1 ms thread while the window and input threads use
// the transport, the command word and the queues (also run under TSan).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>
#include <utility>

#include "engine/engine.h"
#include "platform/null/memory_ports.h"
#include "platform/timer/engine_timer.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz {
namespace {

using namespace std::chrono_literals;

struct ThreadedEngine : ::testing::Test {
    AppState app;
    MemoryPorts ports;
    EngineTimer timer;

    void SetUp() override {
        ASSERT_EQ(initAppState(app), 0);
        ASSERT_NE(createSequence(app, 1), nullptr);
        while (drainOneQueued(app)) {
        }
        initMemoryPorts(ports, &app.engine.msClock, 4, 1 << 20);
        app.engine.out = memoryPortsOutput(ports);
        app.engine.outPortCount = 4;
        app.seq->bars = 4;
        app.lengthTicks = 4 * TICKS_PER_BAR;
        // Dense short notes, some held until the stop.
        for (Tick t = 0; t < app.lengthTicks; t += 6)
            for (int k = 0; k < 3; ++k)
                ASSERT_GE(insertEvent(app, t, uint8_t(1 + k), ST_NOTE, uint8_t(40 + (t / 6 + k * 5) % 40), 90,
                                      t % 96 == 0 && k == 0 ? 0 : 7),
                          0);
        ASSERT_EQ(startEngineTimer(timer, app), 0);
    }
    void TearDown() override {
        stopEngineTimer(timer, app);
        freeAppState(app);
    }
};

TEST_F(ThreadedEngine, StartLocateStopWhileTheTickRunsLeavesNoNoteSounding) {
    for (int round = 0; round < 12; ++round) {
        locateTick(app, (round * 211) % app.lengthTicks);
        if (round % 3 == 0)
            startFromTop(app);
        else
            run(app);
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + round * 3));
        locateBar(app, round % 4);
        queueTrackMessage(app, 0, 5, 0xB0, 20, uint8_t(round));
        std::this_thread::sleep_for(10ms);
        stopTransport(app);
        EXPECT_EQ(app.engine.engineCommand.load(), 0u) << "round " << round;
    }
    std::this_thread::sleep_for(20ms);
    stopEngineTimer(timer, app);

    std::map<std::pair<int, int>, int> balance;
    int queued = 0;
    for (const MemoryPortEntry& e : ports.log) {
        if ((e.bytes[0] & 0xF0) == 0x90) balance[{e.bytes[0] & 15, e.bytes[1]}] += e.bytes[2] ? 1 : -1;
        if (e.bytes[0] == 0xB5 && e.bytes[1] == 20) {
            EXPECT_EQ(e.bytes[2], queued++);
        }
    }
    EXPECT_EQ(queued, 12);
    for (const auto& [key, n] : balance) EXPECT_LE(n, 0) << "channel " << key.first << " note " << key.second;
    EXPECT_EQ(app.engine.runningHigh, 0);
    EXPECT_EQ(ports.lost, 0u);
}

TEST_F(ThreadedEngine, EndOfSequenceStopsThroughTheWindowRing) {
    settingStore(app.settings.seqLoop, 0);
    locateTick(app, app.lengthTicks - 20);
    run(app);
    auto deadline = std::chrono::steady_clock::now() + 2s;
    int taken = 0;
    while (taken == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(2ms);
        taken = pollEngine(app);
    }
    EXPECT_EQ(taken, 1);
    EXPECT_FALSE(app.engine.playing.load());
    EXPECT_EQ(app.engine.position.load(), app.lengthTicks);
}

// While stopped the thread pauses up to 20 ms at a time; the clock still
// counts every millisecond and the stopped ticks still run.
TEST_F(ThreadedEngine, StoppedClockKeepsCountingWhileTheThreadPauses) {
    std::this_thread::sleep_for(50ms);
    uint32_t ms0 = app.engine.msClock.load();
    uint32_t ticks0 = app.engine.tickCounter.load();
    auto w0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(600ms);
    uint32_t ms1 = app.engine.msClock.load();
    uint32_t ticks1 = app.engine.tickCounter.load();
    auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - w0).count();
    EXPECT_GE(int64_t(ms1 - ms0), wall - 60);
    // The first reading may come late in a pause of up to one tick (5.2 ms
    // at 120.0), which a busy machine stretches.
    EXPECT_LE(int64_t(ms1 - ms0), wall + 12);
    EXPECT_GE(ticks1 - ticks0, 100u);  // 600 ms at 120.0 is 115 ticks
}

TEST_F(ThreadedEngine, CommandsAndThruFromOtherThreadsAreNeitherLostNorOverwritten) {
    std::atomic<bool> done{false};
    uint32_t sent = 0;
    std::thread input([&] {
        while (!done.load(std::memory_order_relaxed)) {
            queueThruTrackMessage(app, 0, 1, 0x90, uint8_t(sent % 128), 0x7F);
            ++sent;
            std::this_thread::sleep_for(200us);
        }
    });
    settingStore(app.settings.clickNote, 0);
    settingStore(app.settings.resetMode[2], 1);
    for (uint32_t i = 0; i < 100; ++i) {
        EXPECT_TRUE(postEngineCommand(app, (i % 128) << 8 | CMD_CLICK_ON));
        if (i == 50) resetAllPorts(app);  // long messages go through the tick too
    }
    done = true;
    input.join();
    // The thru queue drains at one message per millisecond.
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!ringEmpty(app.engine.thruQueue) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    stopEngineTimer(timer, app);

    uint32_t clicks = 0, thru = 0, resets = 0;
    for (const MemoryPortEntry& e : ports.log) {
        if (e.bytes[0] == 0xF0) {
            EXPECT_EQ(e.port, int(resets));
            EXPECT_EQ(e.length, resets == 2 ? 11 : 6);  // port 2 is a GS port
            ++resets;
        }
        if (e.bytes[0] == 0x99) {
            EXPECT_EQ(e.bytes[1], clicks++ % 128);
        }
        if (e.bytes[0] == 0x91 && e.bytes[2] == 0x7F) ++thru;
    }
    EXPECT_EQ(clicks, 100u);
    EXPECT_EQ(resets, 4u);
    EXPECT_EQ(thru + app.engine.thruQueue.dropped.load(), sent);
}

}  // namespace
}  // namespace qz
