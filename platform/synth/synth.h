// The built-in General MIDI synthesizer, over FluidSynth: an output port
// ("QZ GM Synth") that plays through one of FluidSynth's audio drivers, and
// an offline renderer that plays a sequence through the engine on a
// simulated clock into a WAV file. No FluidSynth type leaves this folder.
//
// Messages reach the synthesizer through a single-producer single-consumer
// ring: the engine thread (the producer) never blocks or locks; the audio
// thread (the consumer) applies what waits before each period it renders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/doors.h"

namespace qz {

struct Sequencer;

constexpr const char* SYNTH_PORT_NAME = "QZ GM Synth";
constexpr const char* SYNTH_OPTIONS_FILE_NAME = "QZSEQ-synth.txt";

struct SynthOptions {
    std::string driver;     // FluidSynth audio driver; "" = the first that opens
    std::string soundFont;  // a path; "" = the first found in the usual folders
    float gain = 0.3f;      // FluidSynth's master gain (0..10): a dense GM file peaks 2 dB below full scale
    int sampleRate = 48000;
    int periodSize = 0;  // frames per audio period; 0 = the driver's default
};

// Take QZSEQ_SYNTH_DRIVER, QZSEQ_SOUNDFONT and QZSEQ_SYNTH_GAIN where set.
void synthOptionsFromEnvironment(SynthOptions& o);
// Read "driver = ...", "soundfont = ...", "gain = ..." lines ('#' starts a
// comment). Returns false when the file cannot be read (the options stay).
bool readSynthOptionsFile(const std::string& path, SynthOptions& o);
// Write the options as such a file, each line explained. Returns false when
// it cannot be written.
bool writeSynthOptionsFile(const std::string& path, const SynthOptions& o);
// Apply one "name = value" setting. Returns false for an unknown name or a
// bad value (with the reason appended to `message`).
bool setSynthOption(SynthOptions& o, const std::string& name, const std::string& value, std::string& message);

// `wanted` when it names a readable file, else the first General MIDI
// SoundFont in the usual folders. Returns "" when there is none.
std::string findSoundFont(const std::string& wanted);

struct SynthPort;

// Open the synthesizer with its audio driver. Returns null and one line in
// `message` (no SoundFont, no audio device) when it cannot play.
SynthPort* openSynthPort(const SynthOptions& o, std::string& message);
void closeSynthPort(SynthPort* port);
// Which driver plays ("pulseaudio", "jack", ...).
const char* synthDriverName(const SynthPort* port);
// Frames the audio driver has asked for so far (any thread).
uint64_t synthFramesPlayed(const SynthPort* port);
// Frames rendered while at least one voice sounded (any thread).
uint64_t synthFramesSounding(const SynthPort* port);
// Messages refused because the ring was full or they were too long.
uint32_t synthMessagesDropped(const SynthPort* port);

// The system's output ports with the synthesizer after them, as one door.
struct OutputWithSynth {
    MidiOutput system{};
    int systemCount = 0;
    SynthPort* synth = nullptr;  // null: only the system's ports
};
MidiOutput outputWithSynth(OutputWithSynth& o);
// How many ports the door has (the synthesizer counts when it is open).
inline int outputWithSynthCount(const OutputWithSynth& o) { return o.systemCount + (o.synth ? 1 : 0); }

// ---- Rendering to audio -----------------------------------------------------------

struct AudioRenderOptions {
    std::string soundFont;  // as for SynthOptions
    int sampleRate = 48000;
    float gain = 0.3f;
    uint32_t maxTailMs = 5000;  // the release tail after the sequence ends, at most
    bool progress = false;      // a progress line on stderr
};

struct AudioRender {
    int sampleRate = 0;
    std::vector<float> samples;  // interleaved stereo
    uint64_t sequenceFrames = 0;  // frames up to the end of the sequence
    uint32_t dropped = 0;         // messages the synthesizer never got
    uint64_t clipped = 0;         // samples beyond full scale (cut by the WAV writer)
    uint64_t frames() const { return samples.size() / 2; }
};

// Play the loaded sequence from the top to its end (resets and track
// set-ups first, as at start-up) through the engine on a simulated clock
// into the synthesizer, each message at the sample of its ideal time, and
// keep the audio from the start to the end of the release tail. Returns 0,
// or 1 with one line in `message` (no SoundFont, FluidSynth refused).
int renderSequenceAudio(Sequencer& app, const AudioRenderOptions& o, AudioRender& out, std::string& message);
// Write 16-bit stereo PCM. Returns false when the file cannot be written.
bool writeWavFile(const std::string& path, const AudioRender& audio);

}  // namespace qz
