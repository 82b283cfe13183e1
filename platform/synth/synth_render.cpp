// Rendering to audio: the engine on a simulated clock plays into a
// FluidSynth instance that has no audio driver. Each message carries the
// frame of its ideal time (the tick's own time, not the millisecond it was
// sent in), and the synthesizer is rendered in its own 64-frame blocks with
// each message applied at the block boundary nearest its frame, so no
// rounding adds up over a long file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "platform/null/sim_clock.h"
#include "platform/synth/synth.h"
#include "platform/synth/synth_core.h"

namespace qz {

namespace {

constexpr uint64_t BLOCK = 64;  // FluidSynth's own block: events take effect at its boundaries

struct Renderer {
    SynthCore core;
    Sequencer* app = nullptr;
    int rate = 48000;
    // Until the first tick has played, messages go to the synthesizer at
    // once and no audio is kept; from then on they are stamped by frame.
    bool started = false;
    int64_t originUs = 0;
    uint64_t rendered = 0;
    bool havePending = false;
    SynthEvent pending;
    float lastPeak = 0;  // of the blocks rendered by the last `renderTo`
    std::vector<float>* out = nullptr;
};

uint64_t frameNow(const Renderer& r) {
    const EngineState& e = r.app->engine;
    int64_t us = int64_t(e.msClock.load(std::memory_order_relaxed)) * 1000 - e.tickLateUs - r.originUs;
    if (us <= 0) return 0;
    return uint64_t((us * r.rate + 500000) / 1000000);
}

void send(Renderer& r, int port, const uint8_t* bytes, int length) {
    if (port != 0) return;
    if (!r.started) {
        SynthEvent ev;
        if (length <= 0 || length > int(sizeof ev.bytes)) {
            r.core.tooLong.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        ev.length = uint8_t(length);
        std::memcpy(ev.bytes, bytes, size_t(length));
        applySynthEvent(r.core.synth, ev);
        return;
    }
    pushSynthEvent(r.core, frameNow(r), bytes, length);
}

void sendShortRender(void* ctx, int port, const uint8_t* bytes, int length) {
    send(*static_cast<Renderer*>(ctx), port, bytes, length);
}

int sendLongRender(void* ctx, int port, const uint8_t* bytes, int length) {
    auto& r = *static_cast<Renderer*>(ctx);
    const uint32_t before = r.core.ring.dropped.load() + r.core.tooLong.load();
    send(r, port, bytes, length);
    return port == 0 && r.core.ring.dropped.load() + r.core.tooLong.load() == before ? 1 : 0;
}

// Apply every waiting message due before `limit`.
void applyDue(Renderer& r, uint64_t limit) {
    for (;;) {
        if (!r.havePending && !ringPop(r.core.ring, r.pending)) return;
        r.havePending = true;
        if (r.pending.frame >= limit) return;
        applySynthEvent(r.core.synth, r.pending);
        r.havePending = false;
    }
}

// Render every block whose messages are all known: those due before the
// `known` frame have been sent.
void renderTo(Renderer& r, uint64_t known) {
    std::vector<float>& out = *r.out;
    r.lastPeak = 0;
    while (r.rendered + BLOCK / 2 <= known) {
        applyDue(r, r.rendered + BLOCK / 2);
        size_t at = out.size();
        out.resize(at + 2 * BLOCK);
        fluid_synth_write_float(r.core.synth, int(BLOCK), out.data() + at, 0, 2, out.data() + at, 1, 2);
        for (size_t i = at; i < out.size(); ++i) r.lastPeak = std::max(r.lastPeak, std::fabs(out[i]));
        r.rendered += BLOCK;
    }
}

uint64_t framesAtMs(const Renderer& r, uint32_t ms) {
    int64_t us = int64_t(ms) * 1000 - r.originUs;
    return us <= 0 ? 0 : uint64_t((us * r.rate + 500000) / 1000000);
}

}  // namespace

int renderSequenceAudio(Sequencer& app, const AudioRenderOptions& o, AudioRender& audio, std::string& message) {
    const std::string sf = findSoundFont(o.soundFont);
    if (sf.empty()) {
        message = o.soundFont.empty() ? "no SoundFont in /usr/share/sounds/sf2 or /usr/share/soundfonts (install "
                                        "timgm6mb-soundfont, or give --soundfont)"
                                      : "SoundFont " + o.soundFont + " not found";
        return 1;
    }
    auto r = std::make_unique<Renderer>();
    if (!openSynthCore(r->core, sf, o.sampleRate, o.gain, message)) return 1;
    r->app = &app;
    r->rate = o.sampleRate;
    audio = AudioRender{};
    audio.sampleRate = o.sampleRate;
    r->out = &audio.samples;

    EngineState& e = app.engine;
    const MidiOutput savedOut = e.out;
    const int savedCount = e.outPortCount;
    e.out = MidiOutput{r.get(), sendShortRender, sendLongRender};
    e.outPortCount = 1;
    settingStore(app.settings.seqLoop, 0);
    settingStore(app.settings.playCountIn, 0);
    settingStore(app.settings.deviceByTrack, 0);
    settingStore(app.settings.masterDevice, 0);

    SimClock sim;
    simInstall(sim, app);
    resetAllPorts(app);
    engineWait(app, 50);
    sendAllTrackSetups(app);
    startFromTop(app);
    // The timeline starts at the first tick of the sequence.
    while (!r->started && e.playing.load(std::memory_order_acquire)) {
        simAdvance(sim, 1);
        if (e.position.load(std::memory_order_relaxed) > 0) {
            r->started = true;
            r->originUs = int64_t(e.msClock.load(std::memory_order_relaxed)) * 1000;
        }
    }
    r->started = true;
    uint32_t lastProgress = 0;
    while (e.playing.load(std::memory_order_acquire)) {
        simAdvance(sim, 1);
        pollEngine(app);
        const uint32_t ms = e.msClock.load(std::memory_order_relaxed);
        renderTo(*r, framesAtMs(*r, ms));
        if (o.progress && r->rendered / uint64_t(r->rate) >= lastProgress + 10) {
            lastProgress = uint32_t(r->rendered / uint64_t(r->rate));
            std::fprintf(stderr, "\rrendering %u:%02u", lastProgress / 60, lastProgress % 60);
        }
    }
    pollEngine(app);
    audio.sequenceFrames = framesAtMs(*r, e.msClock.load(std::memory_order_relaxed));
    // The release tail: until nothing waits and the sound has stayed below
    // -80 dB (or no voice is left) for 300 ms. Some SoundFont releases take
    // seconds to reach the end of their envelope, far below hearing.
    uint32_t quietMs = 0;
    for (uint32_t t = 0; t < o.maxTailMs && quietMs < 300; ++t) {
        simAdvance(sim, 1);
        renderTo(*r, framesAtMs(*r, e.msClock.load(std::memory_order_relaxed)));
        const bool quiet = r->lastPeak < 1e-4f || fluid_synth_get_active_voice_count(r->core.synth) == 0;
        const bool idle = quiet && ringEmpty(r->core.ring) && !r->havePending && !enginePendingWork(app);
        quietMs = idle ? quietMs + 1 : 0;
    }
    if (o.progress && lastProgress) std::fprintf(stderr, "\n");
    simRemove(sim);
    e.out = savedOut;
    e.outPortCount = savedCount;
    audio.dropped = r->core.ring.dropped.load() + r->core.tooLong.load();
    for (float v : audio.samples) audio.clipped += std::fabs(v) > 1.0f;
    closeSynthCore(r->core);
    return 0;
}

bool writeWavFile(const std::string& path, const AudioRender& audio) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    const uint32_t dataBytes = uint32_t(audio.samples.size() * 2);
    auto u32 = [&](uint32_t v) {
        const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        f.write(b, 4);
    };
    auto u16 = [&](uint16_t v) {
        const char b[2] = {char(v), char(v >> 8)};
        f.write(b, 2);
    };
    f.write("RIFF", 4);
    u32(36 + dataBytes);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(2);
    u32(uint32_t(audio.sampleRate));
    u32(uint32_t(audio.sampleRate) * 4);
    u16(4);
    u16(16);
    f.write("data", 4);
    u32(dataBytes);
    std::vector<char> pcm(audio.samples.size() * 2);
    for (size_t i = 0; i < audio.samples.size(); ++i) {
        const float s = std::clamp(audio.samples[i], -1.0f, 1.0f);
        const auto v = int16_t(s < 0 ? s * 32768.0f : s * 32767.0f);
        pcm[2 * i] = char(uint16_t(v) & 0xFF);
        pcm[2 * i + 1] = char(uint16_t(v) >> 8);
    }
    f.write(pcm.data(), std::streamsize(pcm.size()));
    return bool(f);
}

}  // namespace qz
