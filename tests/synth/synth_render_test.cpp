// The synthesizer's offline renderer, end to end through the engine on the
// simulated clock: timing of every onset, length, silence, and the GS drum
// part. The audio is judged by its envelope and by comparing renders.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/synth/synth.h"
#include "engine/engine.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz {
namespace {

struct Note {
    int32_t tick;
    uint8_t track, note, velocity;
    uint32_t duration;
};

struct Song {
    int bars = 2;
    uint32_t resetMode = 0;  // 0 GM, 1 GS
    std::vector<Note> notes;
    std::vector<std::array<int, 4>> tracks;  // track, channel (0-based), GS drum part, program
};

// Build the state as the program does, load `song`, render it.
AudioRender render(const Song& song, int rate) {
    auto app = std::make_unique<AppState>();
    EXPECT_EQ(initAppState(*app), 0);
    EXPECT_NE(createSequence(*app, 1), nullptr);
    app->seq->bars = uint16_t(song.bars);
    app->lengthTicks = song.bars * TICKS_PER_BAR;
    settingStore(app->settings.resetMode[0], song.resetMode);
    for (auto [t, ch, drum, program] : song.tracks) {
        app->seq->tracks[t].channel = uint8_t(ch);
        app->seq->tracks[t].drumPart = uint8_t(drum);
        app->seq->tracks[t].program = uint8_t(program);
    }
    for (const Note& n : song.notes) insertEvent(*app, n.tick, n.track, ST_NOTE, n.note, n.velocity, n.duration);
    AudioRenderOptions o;
    o.sampleRate = rate;
    AudioRender audio;
    std::string message;
    EXPECT_EQ(renderSequenceAudio(*app, o, audio, message), 0) << message;
    freeAppState(*app);
    return audio;
}

float mono(const AudioRender& a, size_t frame) { return 0.5f * (a.samples[2 * frame] + a.samples[2 * frame + 1]); }

float peak(const AudioRender& a, size_t from, size_t to) {
    float p = 0;
    for (size_t i = from; i < std::min(to, size_t(a.frames())); ++i) p = std::max(p, std::fabs(mono(a, i)));
    return p;
}

// Frames of the ideal time of `tick` at 120 beats per minute.
double idealFrame(int32_t tick, int rate) { return tick * (500000.0 / 96) * 1e-6 * rate; }

TEST(SynthRender, EveryOnsetIsWithinThreeMillisecondsOfItsTick) {
    // Claves on the drum channel at ticks that fall between milliseconds, over 4 s.
    Song song;
    song.bars = 3;
    song.tracks = {{10, 9, 0, 0}};
    for (int32_t t : {0, 101, 203, 311, 397, 509, 601, 715, 803}) song.notes.push_back({t, 10, 75, 120, 12});
    for (int rate : {48000, 44100}) {
        AudioRender a = render(song, rate);
        ASSERT_GT(a.frames(), 0u);
        const double ms = rate / 1000.0;
        double worst = 0;
        for (const Note& n : song.notes) {
            const double ideal = idealFrame(n.tick, rate);
            const size_t from = size_t(std::max(0.0, ideal - 20 * ms));
            const float threshold = 0.2f * peak(a, size_t(ideal), size_t(ideal + 50 * ms));
            ASSERT_GT(threshold, 0.005f) << "no hit at tick " << n.tick;
            size_t onset = from;
            while (onset < a.frames() && std::fabs(mono(a, onset)) < threshold) ++onset;
            const double error = (double(onset) - ideal) / ms;
            EXPECT_NEAR(error, 0.0, 3.0) << "tick " << n.tick << " at " << rate << " Hz";
            worst = std::max(worst, std::fabs(error));
        }
        std::printf("%d Hz: onsets at most %.2f ms from their ticks\n", rate, worst);
    }
}

TEST(SynthRender, LengthIsTheSequenceAndItsTailAndANoteFreeFileIsSilent) {
    struct Case {
        const char* name;
        Song song;
        bool silent;
    };
    Song ringing;  // strings held to the end ring on after it
    ringing.bars = 1;
    ringing.tracks = {{1, 0, 0, 48}};
    ringing.notes = {{0, 1, 60, 100, 384}};
    const Case cases[] = {{"no notes", Song{}, true}, {"held note", ringing, false}};
    for (const Case& c : cases) {
        AudioRender a = render(c.song, 48000);
        const uint64_t sequence = uint64_t(c.song.bars * 2.0 * 48000);  // 2 s per bar
        EXPECT_NEAR(double(a.sequenceFrames), double(sequence), 48.0) << c.name;
        EXPECT_GE(a.frames(), sequence) << c.name;
        EXPECT_LE(a.frames(), sequence + 5 * 48000) << c.name;
        const float tail = peak(a, sequence, a.frames());
        if (c.silent) {
            EXPECT_LT(peak(a, 0, a.frames()), 1.0f / 65536) << c.name << ": every 16-bit sample is 0";
        } else {
            EXPECT_GT(tail, 0.01f) << c.name << ": the release is kept";
            EXPECT_LT(peak(a, a.frames() - 4800, a.frames()), 0.001f) << c.name << ": and ends quiet";
        }
    }
}

// Normalised correlation of two renders' first `frames` frames.
double similarity(const AudioRender& a, const AudioRender& b, size_t frames) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < frames && i < a.frames() && i < b.frames(); ++i) {
        ab += double(mono(a, i)) * mono(b, i);
        aa += double(mono(a, i)) * mono(a, i);
        bb += double(mono(b, i)) * mono(b, i);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

TEST(SynthRender, GsDrumPartMovesTheKitToChannel11) {
    // The same snare note on channel 11 as a GS drum part, on channel 11 as a
    // melodic part, and on channel 10 (the kit's home).
    auto snare = [](int channel, int drum) {
        Song s;
        s.bars = 1;
        s.resetMode = 1;
        s.tracks = {{11, channel, drum, 0}};
        s.notes = {{0, 11, 38, 110, 48}};
        return s;
    };
    AudioRender part = render(snare(10, 1), 48000);
    AudioRender melodic = render(snare(10, 0), 48000);
    AudioRender home = render(snare(9, 0), 48000);
    const size_t half = 24000;
    EXPECT_GT(peak(part, 0, half), 0.01f);
    EXPECT_GT(similarity(part, home, half), 0.95) << "the drum part plays the kit";
    EXPECT_LT(similarity(part, melodic, half), 0.5) << "and not the melodic program";
}

TEST(SynthRender, WavFileHeaderAndSamples) {
    AudioRender a;
    a.sampleRate = 44100;
    a.samples = {0.0f, 1.0f, -1.0f, 0.5f, 2.0f, -2.0f};  // the last two clip
    const std::string path = testing::TempDir() + "synth_render_test.wav";
    ASSERT_TRUE(writeWavFile(path, a));
    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_EQ(b.size(), 44u + 12u);
    auto u32 = [&](size_t at) { return uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24); };
    auto s16 = [&](size_t at) { return int16_t(b[at] | b[at + 1] << 8); };
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(u32(4), 36u + 12u);
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(40), 12u);
    const int16_t want[] = {0, 32767, -32768, 16383, 32767, -32768};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s16(44 + 2 * i), want[i]) << i;
}

}  // namespace
}  // namespace qz
