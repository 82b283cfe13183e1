// What the synthesizer port and the renderer share: one FluidSynth
// instance with its SoundFont, and the ring its messages arrive through.
// Private to platform/synth/.
#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/rings.h"

namespace qz {

// One message for the synthesizer: its bytes and the frame it is due at
// (the renderer's timeline; the live port plays each at its next period).
struct SynthEvent {
    uint64_t frame = 0;
    uint8_t length = 0;
    uint8_t bytes[15] = {};
};

constexpr uint32_t SYNTH_RING_SIZE = 4096;

struct SynthCore {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    // Engine thread (producer) to audio thread (consumer).
    SpscRing<SynthEvent, SYNTH_RING_SIZE> ring;
    // Producer: messages longer than an entry holds.
    std::atomic<uint32_t> tooLong{0};
};

// Settings, synthesizer and SoundFont at `rate`. Returns false with one
// line in `message`; `core` is then empty again.
bool openSynthCore(SynthCore& core, const std::string& soundFont, int rate, float gain, std::string& message);
void closeSynthCore(SynthCore& core);
// Producer: queue one message due at `frame`. Never blocks; a full ring or
// an overlong message is counted and dropped.
void pushSynthEvent(SynthCore& core, uint64_t frame, const uint8_t* bytes, int length);
// Consumer: play one message on the synthesizer now.
void applySynthEvent(fluid_synth_t* synth, const SynthEvent& ev);
// FluidSynth's error and warning lines go to `sink` while it is set (one
// thread at a time, during opening); otherwise nowhere.
void captureSynthLog(std::string* sink);

}  // namespace qz
