// Plays a dense sequence (over 1,000 notes per second for about 30 s)
// through the real 1 ms engine thread into a port that timestamps every
// send, and compares each send with its ideal time from the tempo map. The
// same sequence on the simulated clock gives the expected messages and the
// tick each belongs to.
//
// usage: qz_bench_playback [seconds stopped, default 10] [--no-rt]
// (also built for Windows; its test runs it under Wine)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "platform/null/sim_clock.h"
#include "platform/timer/engine_timer.h"
#include "program/program.h"
#include "song/sequence_store.h"

using namespace qz;

namespace {

constexpr int BARS = 16;
constexpr int TRACKS = 12;
constexpr int STEP_TICKS = 2;
constexpr Tick TEMPO_CHANGE_TICK = 8 * TICKS_PER_BAR;
constexpr int32_t TEMPO_SECOND_HALF = 480000;  // 125.0 from bar 9

struct Sent {
    int64_t when;  // microseconds (real run) or the tick (simulated run)
    uint8_t bytes[3];
};

struct Capture {
    std::vector<Sent> sent;
    AppState* app = nullptr;
    bool byTick = false;
};

void captureShort(void* ctx, int, const uint8_t* b, int n) {
    auto* c = static_cast<Capture*>(ctx);
    if (c->sent.size() == c->sent.capacity()) return;  // never reallocate on the engine thread
    Sent s{};
    s.when = c->byTick ? c->app->engine.position.load(std::memory_order_relaxed) : int64_t(systemMicros());
    for (int i = 0; i < n && i < 3; ++i) s.bytes[i] = b[i];
    c->sent.push_back(s);
}

int captureLong(void*, int, const uint8_t*, int) { return 1; }

// A state holding the dense sequence in slot 1, stopped at tick 0.
std::unique_ptr<AppState> buildState() {
    auto app = std::make_unique<AppState>();
    if (initAppState(*app) != 0 || !createSequence(*app, 1)) std::exit(1);
    while (drainOneQueued(*app)) {
    }
    app->seq->bars = BARS;
    app->lengthTicks = BARS * TICKS_PER_BAR;
    insertEvent(*app, TEMPO_CHANGE_TICK, TEMPO_TRACK, ST_TEMPO, 0, 0, TEMPO_SECOND_HALF);
    for (Tick t = 0; t < app->lengthTicks; t += STEP_TICKS)
        for (int k = 0; k < TRACKS; ++k)
            insertEvent(*app, t, uint8_t(1 + k), ST_NOTE, uint8_t(36 + (t / STEP_TICKS * 7 + k * 3) % 60), 100, 8);
    settingStore(app->settings.seqLoop, 0);
    locateTick(*app, 0);
    return app;
}

// Microseconds from tick 0 to tick t on the tempo map.
double idealMicros(Tick t) {
    double quarterUs = 500000.0;
    if (t <= TEMPO_CHANGE_TICK) return t * quarterUs / TICKS_PER_QUARTER;
    return TEMPO_CHANGE_TICK * quarterUs / TICKS_PER_QUARTER +
           (t - TEMPO_CHANGE_TICK) * double(TEMPO_SECOND_HALF) / TICKS_PER_QUARTER;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    size_t i = size_t(std::min<double>(double(v.size() - 1), std::ceil(p * double(v.size())) - 1));
    return v[i];
}

}  // namespace

int main(int argc, char** argv) {
    int stoppedSeconds = 10;
    bool wantRealtime = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-rt") == 0)
            wantRealtime = false;
        else
            stoppedSeconds = std::atoi(argv[i]);
    }

    // Expected messages and their ticks: the engine on the simulated clock.
    Capture expected;
    expected.sent.reserve(400000);
    {
        auto app = buildState();
        expected.app = app.get();
        expected.byTick = true;
        app->engine.out = MidiOutput{&expected, captureShort, captureLong};
        app->engine.outPortCount = 1;
        SimClock sim;
        simInstall(sim, *app);
        startFromTop(*app);
        while (app->engine.playing.load()) simAdvance(sim, 1);
        pollEngine(*app);
        simAdvance(sim, 20);
        simRemove(sim);
        freeAppState(*app);
    }
    size_t noteOns = 0;
    for (const Sent& s : expected.sent) noteOns += (s.bytes[0] & 0xF0) == 0x90 && s.bytes[2] != 0;
    double songSeconds = idealMicros(BARS * TICKS_PER_BAR) / 1e6;

    // The real run.
    Capture got;
    got.sent.reserve(400000);
    auto app = buildState();
    app->engine.out = MidiOutput{&got, captureShort, captureLong};
    app->engine.outPortCount = 1;
    EngineTimer timer;
    timer.wantRealtime = wantRealtime;
    if (startEngineTimer(timer, *app) != 0) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    uint64_t cpu0 = engineTimerCpuNanos(timer);
    auto w0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(stoppedSeconds));
    uint64_t cpu1 = engineTimerCpuNanos(timer);
    auto w1 = std::chrono::steady_clock::now();
    startFromTop(*app);
    while (app->engine.playing.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        pollEngine(*app);
    }
    uint64_t cpu2 = engineTimerCpuNanos(timer);
    auto w2 = std::chrono::steady_clock::now();
    pollEngine(*app);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    bool realtime = timer.realtime.load();
    stopEngineTimer(timer, *app);
    freeAppState(*app);

    // Match each received message with the next expected one of the same
    // bytes, looking a little ahead; skipped expected messages are lost unless
    // they turn up later out of place (then they count as reordered).
    constexpr size_t LOOK_AHEAD = 64;
    size_t skipped = 0, extra = 0;
    std::vector<double> lateness;
    size_t e = 0;
    int64_t firstTime = -1;
    for (const Sent& s : got.sent) {
        size_t j = e;
        size_t end = std::min(expected.sent.size(), e + LOOK_AHEAD);
        while (j < end && (expected.sent[j].bytes[0] != s.bytes[0] || expected.sent[j].bytes[1] != s.bytes[1] ||
                           expected.sent[j].bytes[2] != s.bytes[2]))
            ++j;
        if (j == end) {
            ++extra;
            continue;
        }
        skipped += j - e;
        e = j + 1;
        double ideal = idealMicros(Tick(expected.sent[j].when));
        if (firstTime < 0) firstTime = s.when - int64_t(ideal);
        lateness.push_back(double(s.when - firstTime) - ideal);
    }
    skipped += expected.sent.size() - e;
    size_t reordered = std::min(skipped, extra);
    size_t lost = skipped - reordered;
    extra -= reordered;

    double mean = 0;
    for (double l : lateness) mean += l;
    mean /= double(lateness.size());
    std::vector<double> jitter;
    for (double l : lateness) jitter.push_back(std::fabs(l - mean));
    double playSeconds = std::chrono::duration<double>(w2 - w1).count();
    double stopSeconds = std::chrono::duration<double>(w1 - w0).count();
    double load[3] = {0, 0, 0};
#if defined(_WIN32)
    load[0] = -1;  // Windows keeps no load average
#else
    getloadavg(load, 3);
#endif

    std::printf("sequence: %d bars, %.1f s, %zu notes (%.0f per second), %zu messages expected\n", BARS, songSeconds,
                noteOns, double(noteOns) / songSeconds, expected.sent.size());
    std::printf("engine thread real-time priority: %s; load average %.2f\n", realtime ? "yes" : "no", load[0]);
    std::printf("received %zu, lost %zu, reordered %zu, unexpected %zu\n", got.sent.size(), lost, reordered, extra);
    std::printf("lateness against the tempo map (first send = 0): mean %.3f ms\n", mean / 1000.0);
    std::printf("jitter around the mean: p50 %.3f ms, p99 %.3f ms, max %.3f ms\n", percentile(jitter, 0.5) / 1000.0,
                percentile(jitter, 0.99) / 1000.0, percentile(jitter, 1.0) / 1000.0);
    std::printf("engine thread CPU: playing %.2f %% of one core, stopped %.3f %% of one core\n",
                100.0 * double(cpu2 - cpu1) / 1e9 / playSeconds, 100.0 * double(cpu1 - cpu0) / 1e9 / stopSeconds);
    return lost == 0 && reordered == 0 ? 0 : 1;
}
