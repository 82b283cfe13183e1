// `qzseq-cli play` and `qzseq-cli ports`: play a sequence through the real
// engine to a MIDI output port, or print the engine's output timeline under a
// simulated clock.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/cli/commands.h"
#include "engine/engine.h"
#include "files/file_common.h"
#include "platform/midi/midi_ports.h"
#include "platform/null/memory_ports.h"
#include "platform/null/sim_clock.h"
#include "platform/timer/engine_timer.h"
#if QZ_CLI_WITH_SYNTH
#include "platform/synth/synth.h"
#endif
#include "program/loader.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz::cli {

namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int) { interrupted.store(true); }

// The built-in test sequence: four bars, a tempo change at bar 3, an
// arpeggio on track 1 (channel 1) and a drum pattern on track 10 (channel 10).
int buildDemo(AppState& app) {
    if (!createSequence(app, 1)) return 1;
    app.seq->bars = 4;
    app.lengthTicks = 4 * TICKS_PER_BAR;
    app.seq->tracks[1].type = TRACK_TYPE_NOTE;
    app.seq->tracks[1].program = 4;
    app.seq->tracks[10].drumPart = 1;
    insertEvent(app, 0, 1, ST_PROGRAM, 4, 0, 0);
    insertEvent(app, 0, 1, ST_CONTROL, 7, 110, 0);
    insertEvent(app, 768, TEMPO_TRACK, ST_TEMPO, 0, 0, 400000);  // 150.0 from bar 3
    const uint8_t arp[4] = {60, 64, 67, 72};
    for (int i = 0; i < 32; ++i) insertEvent(app, i * 48, 1, ST_NOTE, arp[i % 4], uint8_t(80 + (i % 4) * 10), 40);
    for (int beat = 0; beat < 16; ++beat) {
        insertEvent(app, beat * 96, 10, ST_NOTE, beat % 2 ? 38 : 36, 110, 10);
        insertEvent(app, beat * 96, 10, ST_NOTE, 42, 70, 10);
        insertEvent(app, beat * 96 + 48, 10, ST_NOTE, 42, 50, 10);
    }
    return 0;
}

}  // namespace

// Load a file for playing into slot 1 (a package: its first sequence).
int loadPlayFile(AppState& app, const char* path) {
    const int kind = fileKindOf(path);
    if (kind == FILE_KIND_NONE) {
        std::fprintf(stderr, "qzseq-cli: %s: not a .mid, .seq or .all file\n", path);
        return 2;
    }
    // A package plays its first sequence.
    if (int rc = loadFileByKind(app, path, kind, nullptr); rc != 0) {
        std::fprintf(stderr, "%s\n", fileErrorText(rc));
        return 1;
    }
    return 0;  // the reader leaves the new sequence selected
}

namespace {

struct PlayOptions {
    const char* file = nullptr;
    bool demo = false;
    bool simulate = false;
    int port = 0;
    bool synth = false;  // --port synth: the built-in synthesizer, wherever it is listed
#if QZ_CLI_WITH_SYNTH
    SynthOptions synthOptions;
#endif
};

int parsePlay(int argc, char** argv, PlayOptions& o) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0) {
            o.demo = true;
        } else if (std::strcmp(argv[i], "--simulate") == 0) {
            o.simulate = true;
        } else if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc && std::strcmp(argv[i + 1], "synth") == 0) {
            o.synth = true;
            ++i;
#if QZ_CLI_WITH_SYNTH
        } else if ((std::strcmp(argv[i], "--synth-driver") == 0 || std::strcmp(argv[i], "--soundfont") == 0 ||
                    std::strcmp(argv[i], "--gain") == 0) &&
                   i + 1 < argc) {
            std::string bad;
            const char* name = argv[i][2] == 's' && argv[i][3] == 'y' ? "driver" : argv[i] + 2;
            if (!setSynthOption(o.synthOptions, name, argv[++i], bad)) {
                std::fprintf(stderr, "qzseq-cli play: %s", bad.c_str());
                return 2;
            }
#endif
        } else if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (!end || *end || n < 0 || n >= OUT_PORTS) {
                std::fprintf(stderr, "qzseq-cli play: --port takes a port number 0..%d\n", OUT_PORTS - 1);
                return 2;
            }
            o.port = int(n);
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "qzseq-cli play: unknown option '%s'\n", argv[i]);
            return 2;
        } else if (!o.file) {
            o.file = argv[i];
        } else {
            std::fprintf(stderr, "qzseq-cli play: more than one file given\n");
            return 2;
        }
    }
    if (!o.file == !o.demo) {
        std::fprintf(stderr,
                     "usage: qzseq-cli play FILE|--demo [--port N|synth] [--simulate] [--synth-driver D] "
                     "[--soundfont SF2] [--gain G]\n");
        return 2;
    }
    return 0;
}

// Resets, set-ups, start from the top; returns once the end was reached, the
// stop came through and the output queue is empty. `step` lets time pass.
template <typename Step>
void playToEnd(AppState& app, Step step) {
    resetAllPorts(app);
    engineWait(app, 50);
    sendAllTrackSetups(app);
    startFromTop(app);
    while (app.engine.playing.load(std::memory_order_acquire) && !interrupted.load()) {
        step();
        pollEngine(app);
    }
    if (interrupted.load()) stopTransport(app);
    pollEngine(app);
    // Let the queue empty and the last releases go out.
    for (int i = 0; i < 2000; ++i) {
        if (ringEmpty(app.engine.outQueue))
            break;
        step();
    }
    engineWait(app, 10);
}

// The system's output ports and, after them, the built-in synthesizer.
struct OpenedOutputs {
    MidiOutput door{};
    int count = 0;
    int synthPort = -1;
    const char* names[PLATFORM_MAX_OUT_PORTS] = {};
#if QZ_CLI_WITH_SYNTH
    OutputWithSynth withSynth;
#endif
};

void openOutputs(OpenedOutputs& outs, MidiPortSet& ports, const PlayOptions& o, std::string& messages) {
    for (int i = 0; i < ports.outCount; ++i) outs.names[i] = ports.outNames[i];
    outs.door = midiPortsOutput(ports);
    outs.count = ports.outCount;
#if QZ_CLI_WITH_SYNTH
    outs.withSynth.system = outs.door;
    outs.withSynth.systemCount = ports.outCount;
    // The synthesizer opens an audio device: only when it is to play.
    if (!o.synth && o.port < ports.outCount) return;
    if (ports.outCount >= PLATFORM_MAX_OUT_PORTS) {
        messages += std::string(SYNTH_PORT_NAME) + ": every output port is taken by the system's ports\n";
        return;
    }
    std::string message;
    outs.withSynth.synth = openSynthPort(o.synthOptions, message);
    if (!outs.withSynth.synth) {
        messages += message + "\n";
        return;
    }
    outs.synthPort = ports.outCount;
    outs.names[outs.synthPort] = SYNTH_PORT_NAME;
    outs.door = outputWithSynth(outs.withSynth);
    outs.count = outputWithSynthCount(outs.withSynth);
#else
    (void)o;
    (void)messages;
#endif
}

void closeOutputs(OpenedOutputs& outs, MidiPortSet& ports) {
    closeMidiPorts(ports);
#if QZ_CLI_WITH_SYNTH
    if (outs.withSynth.synth) {
        const SynthPort* s = outs.withSynth.synth;
        std::fprintf(stderr, "%s on %s: %llu frames played, %llu with voices sounding, %u messages lost\n",
                     SYNTH_PORT_NAME, synthDriverName(s), (unsigned long long)synthFramesPlayed(s),
                     (unsigned long long)synthFramesSounding(s), synthMessagesDropped(s));
        closeSynthPort(outs.withSynth.synth);
        outs.withSynth.synth = nullptr;
    }
#else
    (void)outs;
#endif
}

}  // namespace

int cmdPlay(int argc, char** argv) {
    PlayOptions o;
#if QZ_CLI_WITH_SYNTH
    synthOptionsFromEnvironment(o.synthOptions);
#endif
    if (int rc = parsePlay(argc, argv, o)) return rc;
    if (o.synth && o.simulate) o.port = 0;  // the timeline is the same on any port
    auto app = std::make_unique<AppState>();
    if (initAppState(*app) != 0) {
        std::fprintf(stderr, "qzseq-cli play: Insufficient Memory !!\n");
        return 1;
    }
    int rc = o.demo ? buildDemo(*app) : loadPlayFile(*app, o.file);
    if (rc != 0) {
        freeAppState(*app);
        return rc;
    }
    // What building the sequence queued went nowhere: start clean.
    while (drainOneQueued(*app)) {
    }
    settingStore(app->settings.seqLoop, 0);
    settingStore(app->settings.deviceByTrack, 0);
    settingStore(app->settings.masterDevice, uint32_t(o.port));
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);

    if (o.simulate) {
        MemoryPorts ports;
        initMemoryPorts(ports, &app->engine.msClock, o.port + 1, size_t(1) << 22);
        app->engine.out = memoryPortsOutput(ports);
        app->engine.outPortCount = o.port + 1;
        SimClock sim;
        simInstall(sim, *app);
        uint32_t start = app->engine.msClock.load();
        playToEnd(*app, [&] { simAdvance(sim, 1); });
        simRemove(sim);
        for (const MemoryPortEntry& e : ports.log) {
            MemoryPortEntry shown = e;
            shown.ms -= start;
            std::printf("%s\n", formatEntry(shown).c_str());
        }
        if (ports.lost) std::fprintf(stderr, "qzseq-cli play: %llu messages beyond the log\n", (unsigned long long)ports.lost);
        freeAppState(*app);
        return ports.lost ? 1 : 0;
    }

    auto ports = std::make_unique<MidiPortSet>();
    std::string messages;
    openMidiPorts(*ports, "QZ-Sequencer", MidiInputSink{}, messages);
    OpenedOutputs outs;
    openOutputs(outs, *ports, o, messages);
    if (!messages.empty()) std::fprintf(stderr, "%s", messages.c_str());
    if (o.synth) o.port = outs.synthPort;
    if (o.port < 0 || o.port >= outs.count || (o.port < ports->outCount && !ports->outs[o.port])) {
        if (o.synth)
            std::fprintf(stderr, "qzseq-cli play: the built-in synthesizer is not available\n");
        else
            std::fprintf(stderr, "qzseq-cli play: MIDI output port %d is not available (%d listed)\n", o.port,
                         outs.count);
        closeOutputs(outs, *ports);
        freeAppState(*app);
        return 1;
    }
    app->engine.out = outs.door;
    app->engine.outPortCount = outs.count;
    settingStore(app->settings.masterDevice, uint32_t(o.port));
    std::fprintf(stderr, "playing to port %d: %s\n", o.port, outs.names[o.port]);
    EngineTimer timer;
    if (startEngineTimer(timer, *app) != 0) {
        std::fprintf(stderr, "qzseq-cli play: cannot start the engine thread\n");
        closeOutputs(outs, *ports);
        freeAppState(*app);
        return 1;
    }
    playToEnd(*app, [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
    // The synthesizer's last notes ring on for a moment.
    if (o.port == outs.synthPort && !interrupted.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    stopEngineTimer(timer, *app);
    closeOutputs(outs, *ports);
    freeAppState(*app);
    return interrupted.load() ? 130 : 0;
}

int cmdPorts(int, char**) {
    std::vector<std::string> ins, outs;
    std::string messages;
    std::string api = listMidiPorts(ins, outs, messages);
    if (!messages.empty()) std::fprintf(stderr, "%s", messages.c_str());
    if (outs.size() > size_t(OUT_PORTS)) outs.resize(size_t(OUT_PORTS));
#if QZ_CLI_WITH_SYNTH
    // The synthesizer comes after the system's ports when it has a SoundFont.
    SynthOptions so;
    synthOptionsFromEnvironment(so);
    if (outs.size() < size_t(OUT_PORTS) && !findSoundFont(so.soundFont).empty()) outs.push_back(SYNTH_PORT_NAME);
#endif
    if (api.empty() && outs.empty()) {
        std::fprintf(stderr, "qzseq-cli ports: no MIDI system available\n");
        return 1;
    }
    std::printf("MIDI system: %s\n", api.empty() ? "none" : api.c_str());
    for (size_t i = 0; i < ins.size() && i < size_t(IN_PORTS); ++i) std::printf("in %zu: %s\n", i, ins[i].c_str());
    for (size_t i = 0; i < outs.size(); ++i) std::printf("out %zu: %s\n", i, outs[i].c_str());
    return 0;
}

}  // namespace qz::cli
