// `qzseq-cli render-audio`: play a file through the engine on a simulated
// clock into the built-in synthesizer and write the sound as a WAV file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/cli/commands.h"
#include "program/program.h"
#if QZ_CLI_WITH_SYNTH
#include "platform/synth/synth.h"
#endif

namespace qz::cli {

int cmdRenderAudio(int argc, char** argv) {
#if QZ_CLI_WITH_SYNTH
    const char* usage = "usage: qzseq-cli render-audio FILE OUT.wav [--soundfont SF2] [--rate HZ] [--gain G]\n";
    const char* file = nullptr;
    const char* outPath = nullptr;
    SynthOptions so;
    synthOptionsFromEnvironment(so);
    AudioRenderOptions o;
    o.progress = true;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        std::string bad;
        if (std::strcmp(argv[i], "--soundfont") == 0 && hasValue) {
            so.soundFont = argv[++i];
        } else if (std::strcmp(argv[i], "--gain") == 0 && hasValue) {
            if (!setSynthOption(so, "gain", argv[++i], bad)) {
                std::fprintf(stderr, "qzseq-cli render-audio: %s", bad.c_str());
                return 2;
            }
        } else if (std::strcmp(argv[i], "--rate") == 0 && hasValue) {
            char* end = nullptr;
            long hz = std::strtol(argv[++i], &end, 10);
            if (!end || *end || hz < 8000 || hz > 192000) {
                std::fprintf(stderr, "qzseq-cli render-audio: --rate takes 8000..192000 Hz\n");
                return 2;
            }
            o.sampleRate = int(hz);
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "qzseq-cli render-audio: unknown option '%s'\n%s", argv[i], usage);
            return 2;
        } else if (!file) {
            file = argv[i];
        } else if (!outPath) {
            outPath = argv[i];
        } else {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
    }
    if (!file || !outPath) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    o.soundFont = so.soundFont;
    o.gain = so.gain;

    auto app = std::make_unique<AppState>();
    if (initAppState(*app) != 0) {
        std::fprintf(stderr, "qzseq-cli render-audio: Insufficient Memory !!\n");
        return 1;
    }
    int rc = loadPlayFile(*app, file);
    AudioRender audio;
    std::string message;
    if (rc == 0 && renderSequenceAudio(*app, o, audio, message) != 0) {
        std::fprintf(stderr, "qzseq-cli render-audio: %s\n", message.c_str());
        rc = 1;
    }
    freeAppState(*app);
    if (rc != 0) return rc;
    if (audio.dropped) std::fprintf(stderr, "qzseq-cli render-audio: %u messages lost\n", audio.dropped);
    if (audio.clipped)
        std::fprintf(stderr, "qzseq-cli render-audio: %llu samples clipped at gain %.2f; try a lower --gain\n",
                     (unsigned long long)audio.clipped, double(o.gain));
    if (!writeWavFile(outPath, audio)) {
        std::fprintf(stderr, "qzseq-cli render-audio: cannot write %s\n", outPath);
        return 1;
    }
    std::fprintf(stderr, "%s: %.3f s (%.3f s of sequence), %d Hz\n", outPath, double(audio.frames()) / o.sampleRate,
                 double(audio.sequenceFrames) / o.sampleRate, o.sampleRate);
    return 0;
#else
    (void)argc;
    (void)argv;
    std::fprintf(stderr, "qzseq-cli render-audio: built without the synthesizer (FluidSynth)\n");
    return 1;
#endif
}

}  // namespace qz::cli
