// `qzseq-cli record`: record from a MIDI input port through the real engine
// (its 1 ms thread, the input callback, the recording buffers and the merge
// at the stop) and save the result with the MIDI file writer.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "app/cli/commands.h"
#include "engine/engine.h"
#include "files/file_common.h"
#include "files/smf_reader.h"
#include "files/smf_writer.h"
#include "platform/midi/midi_ports.h"
#include "platform/timer/engine_timer.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz::cli {

namespace {

std::atomic<bool> recordInterrupted{false};

void onRecordInterrupt(int) { recordInterrupted.store(true); }

constexpr const char* RECORD_USAGE =
    "usage: qzseq-cli record OUT.mid --in N [--out N] [--bars B] [--tc ROW] [--track T] [--count-in] "
    "[--click] [--overdub FILE]\n";

struct RecordOptions {
    const char* outFile = nullptr;
    const char* overdub = nullptr;
    int inPort = -1;
    int outPort = -1;
    int bars = 4;
    int tcRow = 3;
    int track = 1;
    bool countIn = false;
    bool click = false;
};

// A whole number within [low, high] from argv, or false.
bool numberArg(const char* text, int low, int high, int& out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!end || *end || v < low || v > high) return false;
    out = int(v);
    return true;
}

int parseRecord(int argc, char** argv, RecordOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        bool more = i + 1 < argc;
        bool ok = true;
        if (std::strcmp(a, "--in") == 0 && more)
            ok = numberArg(argv[++i], 0, IN_PORTS - 1, o.inPort);
        else if (std::strcmp(a, "--out") == 0 && more)
            ok = numberArg(argv[++i], 0, OUT_PORTS - 1, o.outPort);
        else if (std::strcmp(a, "--bars") == 0 && more)
            ok = numberArg(argv[++i], 1, 990, o.bars);
        else if (std::strcmp(a, "--tc") == 0 && more)
            ok = numberArg(argv[++i], 0, TC_ROW_COUNT - 1, o.tcRow);
        else if (std::strcmp(a, "--track") == 0 && more)
            ok = numberArg(argv[++i], 1, USER_TRACKS, o.track);
        else if (std::strcmp(a, "--overdub") == 0 && more)
            o.overdub = argv[++i];
        else if (std::strcmp(a, "--count-in") == 0)
            o.countIn = true;
        else if (std::strcmp(a, "--click") == 0)
            o.click = true;
        else if (a[0] == '-' || o.outFile)
            ok = false;
        else
            o.outFile = a;
        if (!ok) {
            std::fprintf(stderr, "qzseq-cli record: bad argument '%s'\n%s", a, RECORD_USAGE);
            return 2;
        }
    }
    if (!o.outFile || o.inPort < 0) {
        std::fprintf(stderr, "%s", RECORD_USAGE);
        return 2;
    }
    return 0;
}

// The sequence to record into: a loaded file (OVER DUB) or a new one of
// `bars` bars (REC). Returns the length in bars the result keeps, or 0 after
// printing the error.
int prepareSequence(AppState& app, const RecordOptions& o) {
    if (o.overdub) {
        int rc = loadMidiFile(app, o.overdub, nullptr);
        if (rc != 0) {
            std::fprintf(stderr, "qzseq-cli record: %s: %s\n", o.overdub, fileErrorText(rc));
            return 0;
        }
        app.engine.recordMode.store(RECORD_OVER_DUB);
        return std::max(int(app.seq->bars), o.bars);
    }
    if (!createSequence(app, 1)) {
        std::fprintf(stderr, "qzseq-cli record: %s\n", fileErrorText(ERR_NO_MEMORY));
        return 0;
    }
    app.lastSlot = 1;
    app.seq->bars = uint32_t(o.bars);
    app.lengthTicks = o.bars * TICKS_PER_BAR;
    app.engine.recordMode.store(RECORD_REC);
    return o.bars;
}

// The input callback: only the chosen port is played into the engine.
struct InputFilter {
    AppState* app;
    int port;
};

void onInput(void* ctx, int port, uint32_t packed) {
    auto* f = static_cast<InputFilter*>(ctx);
    if (port == f->port) onMidiInput(*f->app, port, packed);
}

void noSend(void*, int, const uint8_t*, int) {}
int noSendLong(void*, int, const uint8_t*, int) { return 1; }

int countNotes(const Sequence* s, int track) {
    int n = 0;
    const SeqEvent* ev = seqEvents(s);
    for (int32_t i = 0; i < s->eventCount; ++i) n += ev[i].status == ST_NOTE && ev[i].track == track;
    return n;
}

}  // namespace

int cmdRecord(int argc, char** argv) {
    RecordOptions o;
    if (int rc = parseRecord(argc, argv, o)) return rc;
    auto app = std::make_unique<AppState>();
    if (initAppState(*app) != 0) {
        std::fprintf(stderr, "qzseq-cli record: %s\n", fileErrorText(ERR_NO_MEMORY));
        return 1;
    }
    int keepBars = prepareSequence(*app, o);
    if (keepBars == 0) {
        freeAppState(*app);
        return 1;
    }
    selectTrack(*app, o.track);
    while (drainOneQueued(*app)) {
    }
    PersistentSettings& set = app->settings;
    settingStore(set.seqLoop, 0);
    settingStore(set.tcIndex, uint32_t(o.tcRow));
    settingStore(set.recVelocity, 0);  // as played
    settingStore(set.recDuration, 0);  // as held
    settingStore(set.recCountIn, o.countIn ? 1 : 0);
    settingStore(set.clickInRec, o.click ? 1 : 0);
    settingStore(set.midiThru, o.outPort >= 0 ? 1 : 0);
    settingStore(set.deviceByTrack, 0);
    settingStore(set.masterDevice, uint32_t(o.outPort >= 0 ? o.outPort : 0));
    settingStore(set.clickPort, uint32_t(o.outPort >= 0 ? o.outPort : 0));

    auto ports = std::make_unique<MidiPortSet>();
    InputFilter filter{app.get(), o.inPort};
    std::string messages;
    openMidiPorts(*ports, "QZ-Sequencer", MidiInputSink{&filter, onInput}, messages);
    if (!messages.empty()) std::fprintf(stderr, "%s", messages.c_str());
    auto fail = [&](const char* what, int port) {
        std::fprintf(stderr, "qzseq-cli record: MIDI %s port %d is not available\n", what, port);
        closeMidiPorts(*ports);
        freeAppState(*app);
        return 1;
    };
    if (o.inPort >= ports->inCount || !ports->ins[o.inPort]) return fail("input", o.inPort);
    if (o.outPort >= 0 && (o.outPort >= ports->outCount || !ports->outs[o.outPort])) return fail("output", o.outPort);
    if (o.outPort >= 0) {
        app->engine.out = midiPortsOutput(*ports);
        app->engine.outPortCount = ports->outCount;
    } else {
        // Nothing is echoed: no port hears the engine.
        app->engine.out = MidiOutput{nullptr, noSend, noSendLong};
        app->engine.outPortCount = 0;
    }
    std::fprintf(stderr, "recording %d bars from %s input %d: %s\n", o.bars, ports->apiName, o.inPort,
                 ports->inNames[o.inPort]);

    EngineTimer timer;
    if (startEngineTimer(timer, *app) != 0) {
        std::fprintf(stderr, "qzseq-cli record: cannot start the engine thread\n");
        closeMidiPorts(*ports);
        freeAppState(*app);
        return 1;
    }
    std::signal(SIGINT, onRecordInterrupt);
    std::signal(SIGTERM, onRecordInterrupt);
    publishInputState(*app);
    startFromTop(*app);
    const Tick end = o.bars * TICKS_PER_BAR;
    while (app->engine.playing.load(std::memory_order_acquire) && !recordInterrupted.load()) {
        if (app->engine.position.load(std::memory_order_relaxed) >= end) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        pollEngine(*app);
    }
    stopTransport(*app);
    pollEngine(*app);
    // Recording past the end lengthens the sequence; keep what was asked for.
    if (int(app->seq->bars) > keepBars) {
        applyNewBars(*app, keepBars);
    }
    // Let the last thru messages leave before the ports close.
    const MessageRing& thruRing = app->engine.thruQueue;
    for (int i = 0; i < 200 && !ringEmpty(thruRing); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stopEngineTimer(timer, *app);
    closeMidiPorts(*ports);

    const RecordState& r = app->rec;
    std::fprintf(stderr, "recorded %d notes on track %d; input ring high water %u, dropped %u; thru dropped %u\n",
                 countNotes(app->seq, o.track), o.track, r.inputRing.highWater.load(), r.inputRing.dropped.load(),
                 app->engine.thruQueue.dropped.load());
    int rc = writeMidiFile(o.outFile, app->seq);
    if (rc != 0) std::fprintf(stderr, "qzseq-cli record: %s: %s\n", o.outFile, fileErrorText(rc));
    freeAppState(*app);
    if (rc != 0) return 1;
    return recordInterrupted.load() ? 130 : 0;
}

}  // namespace qz::cli
