// Recording on the real 1 ms engine thread while an input thread plays into
// onMidiInput and the window thread polls, edits the recording and stops
// (also run under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/engine.h"
#include "platform/null/memory_ports.h"
#include "platform/timer/engine_timer.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz {
namespace {

using namespace std::chrono_literals;

struct ThreadedRecording : ::testing::Test {
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
        app.seq->bars = 2;
        app.lengthTicks = 2 * TICKS_PER_BAR;
        app.seq->tempoX10 = 3000;  // fast, for many loop passes
        settingStore(app.settings.recVelocity, 0);
        for (Tick t = 0; t < app.lengthTicks; t += 48)
            ASSERT_GE(insertEvent(app, t, 2, ST_NOTE, uint8_t(40 + t / 48), 90, 20), 0);
        publishInputState(app);
        ASSERT_EQ(startEngineTimer(timer, app), 0);
    }
    void TearDown() override {
        stopEngineTimer(timer, app);
        freeAppState(app);
    }
};

void setBars(AppState& app, int bars) {
    EngineLockGuard lock(app.engineLock);
    app.seq->bars = uint32_t(bars);
    app.lengthTicks = bars * TICKS_PER_BAR;
}

// Sorted, no marks, no open notes, durations within 1..9999.
void expectSound(const Sequence* s) {
    const SeqEvent* ev = seqEvents(s);
    for (int32_t i = 0; i < s->eventCount; ++i) {
        EXPECT_LT(ev[i].track, 19) << "event " << i;
        if (i > 0) {
            EXPECT_LE(ev[i - 1].time, ev[i].time) << "event " << i;
        }
        if (ev[i].status == ST_NOTE) {
            EXPECT_FALSE(isOpenNote(ev[i])) << "event " << i;
            EXPECT_GE(ev[i].value, 1u);
            EXPECT_LE(ev[i].value, 9999u);
        }
    }
}

TEST_F(ThreadedRecording, InputTickAndWindowThreadsMeetOnlyThroughRingsAndTheLock) {
    std::atomic<bool> stopInput{false};
    std::atomic<int> sent{0};
    std::thread input([&] {
        int i = 0;
        while (!stopInput.load(std::memory_order_acquire)) {
            uint8_t n = uint8_t(50 + i % 24);
            onMidiInput(app, 0, 0x90u | uint32_t(n) << 8 | 100u << 16);
            if (i % 5 == 0) onMidiInput(app, 0, 0xB0u | 1u << 8 | uint32_t(i % 128) << 16);
            if (i % 7 == 0) onMidiInput(app, 0, 0xB0u | 64u << 8 | uint32_t(i % 2 ? 0 : 127) << 16);
            std::this_thread::sleep_for(300us);
            onMidiInput(app, 0, 0x80u | uint32_t(n) << 8);
            sent.fetch_add(1, std::memory_order_relaxed);
            ++i;
        }
        onMidiInput(app, 0, 0xB0u | 64u << 8);  // pedal up at the end
    });
    for (int round = 0; round < 6; ++round) {
        app.engine.recordMode.store(round % 2 ? RECORD_REC : RECORD_OVER_DUB);
        if (round % 3 == 2) {
            app.engine.loopOn.store(true);
            app.engine.loopStartBar = 1;
            app.engine.loopBars = 1;
        } else {
            app.engine.loopOn.store(false);
        }
        locateTick(app, 0);
        run(app);
        for (int k = 0; k < 40; ++k) {
            std::this_thread::sleep_for(2ms);
            pollEngine(app);
            if (k == 10) recordInsertNote(app, 100, 3, 70, 90, 10);
            if (k == 20) removeRecordedNotes(app, 1, 0, 200, 50, 60);
            if (k == 25) liveNoteOn(app, 4, 60, 100, 20, 0, 5);
            if (k == 30) liveChordOff(app, 4, 60, 0);
        }
        stopTransport(app);
        pollEngine(app);
        expectSound(app.seq);
        EXPECT_EQ(app.engine.engineCommand.load(), 0u) << "round " << round;
    }
    stopInput.store(true, std::memory_order_release);
    input.join();
    std::this_thread::sleep_for(20ms);
    pollEngine(app);
    EXPECT_GT(sent.load(), 100);
    EXPECT_EQ(app.rec.inputRing.dropped.load(), 0u);
    EXPECT_EQ(app.rec.stepRing.dropped.load(), 0u);
    EXPECT_EQ(app.rec.liveFromWindow.dropped.load(), 0u);
    EXPECT_EQ(ports.lost, 0u);
    EXPECT_GT(app.seq->eventCount, 16);
    int recorded = 0;
    const SeqEvent* ev = seqEvents(app.seq);
    for (int32_t i = 0; i < app.seq->eventCount; ++i) recorded += ev[i].track == 1 && ev[i].status == ST_NOTE;
    EXPECT_GT(recorded, 0);
}

TEST_F(ThreadedRecording, TwoInputPortsOnTheirOwnThreadsTakeTurns) {
    // Each opened input port calls back on a thread of its own.
    constexpr int N = 300;
    app.engine.recordMode.store(RECORD_OVER_DUB);
    setBars(app, 64);
    locateTick(app, 0);
    run(app);
    auto player = [&](int port, int lowNote) {
        for (int i = 0; i < N; ++i) {
            uint32_t n = uint32_t(lowNote + i % 20);
            onMidiInput(app, port, 0x90u | n << 8 | 90u << 16);
            onMidiInput(app, port, 0x80u | n << 8);
            if (i % 4 == 0) std::this_thread::sleep_for(100us);
        }
    };
    std::thread a(player, 0, 30);
    std::thread b(player, 1, 70);
    while (a.joinable() || b.joinable()) {
        if (a.joinable()) a.join();
        if (b.joinable()) b.join();
    }
    std::this_thread::sleep_for(30ms);
    pollEngine(app);
    stopTransport(app);
    expectSound(app.seq);
    EXPECT_EQ(app.rec.inputRing.dropped.load(), 0u);
    int low = 0, high = 0;
    const SeqEvent* ev = seqEvents(app.seq);
    for (int32_t i = 0; i < app.seq->eventCount; ++i)
        if (ev[i].status == ST_NOTE && ev[i].track == 1) (ev[i].data1 < 60 ? low : high)++;
    // Notes of one number at one tick replace each other: at least one of
    // each number, none lost to a torn ring entry.
    EXPECT_GE(low, 20);
    EXPECT_GE(high, 20);
    for (int32_t i = 0; i < app.seq->eventCount; ++i)
        if (ev[i].status == ST_NOTE) {
            EXPECT_EQ(ev[i].data2, 90);
        }
}

TEST_F(ThreadedRecording, LiveNotesFromBothThreadsAllSoundAndEnd) {
    constexpr int N = 200;
    // The input thread plays its live notes from inside onMidiInput, as the
    // chord code does, so they take the input thread's own ring.
    app.seq->tracks[1].type = TRACK_TYPE_NOTE;
    settingStore(app.settings.noteToChord, 1);
    app.rec.noteToChordHook = [](Sequencer& a, int, bool on, int note, int) {
        if (on) liveNote(a, 5, note, 100, 3);
        return true;
    };
    publishInputState(app);
    std::thread input([&] {
        for (int i = 0; i < N; ++i) {
            onMidiInput(app, 0, 0x90u | uint32_t(30 + i % 40) << 8 | 100u << 16);
            onMidiInput(app, 0, 0x80u | uint32_t(30 + i % 40) << 8);
            std::this_thread::sleep_for(200us);
        }
    });
    for (int i = 0; i < N; ++i) {
        liveNote(app, 6, 30 + i % 40, 100, 3);
        std::this_thread::sleep_for(200us);
        if (i % 10 == 0) pollEngine(app);
        if (i == N / 2) {
            EXPECT_GT(app.rec.liveFromInput.writeIndex.load(), 0u);
        }
    }
    input.join();
    std::this_thread::sleep_for(100ms);
    stopEngineTimer(timer, app);
    int ons = 0, offs = 0;
    for (const MemoryPortEntry& e : ports.log) {
        if ((e.bytes[0] & 0xF0) != 0x90) continue;
        if (e.bytes[2])
            ++ons;
        else
            ++offs;
    }
    EXPECT_EQ(ons, 2 * N);
    EXPECT_EQ(offs, 2 * N);
    EXPECT_EQ(app.rec.liveDropped.load(), 0u);
}

}  // namespace
}  // namespace qz
