// MIDI to button: notes and controllers of a MIDI input that press the
// screen's buttons. The input thread matches a message against lookup
// tables that the window thread rebuilds from the settings' button map, and
// hands what it took to the window thread, which presses the button (or, with
// the binding window open, learns from it).
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/rings.h"

namespace qz {

struct Sequencer;

constexpr int MIDI_BUTTON_COUNT = 30;
constexpr uint32_t BUTTON_STATUS_NOTE = 0x90;
constexpr uint32_t BUTTON_STATUS_CTRL = 0xB0;

// A message handed to the window thread (one ring word, packButtonWord).
struct ButtonMessage {
    bool learn = false;  // the binding window was open: learn, press nothing
    bool press = false;  // controller value 65 and up, or a note-on
    int button = 0;      // 1..30 (not when learning)
    int channel = 0;     // 0..15
    int status = 0;      // 0x90 or 0xB0
    int number = 0;      // 0..127
    int value = 0;       // 0..127
};
uint32_t packButtonWord(const ButtonMessage& m);
ButtonMessage unpackButtonWord(uint32_t w);

struct MidiButtonState {
    // Per note or controller number: the bound button (1..30, 0 none) |
    // channel (0 all, 1..16) << 8 | status << 16. Written by the window
    // thread (rebuildButtonLookup), read by the input thread.
    std::atomic<uint32_t> lookup[128] = {};
    // The binding window is open (window thread).
    std::atomic<bool> windowOpen{false};
    // Messages taken (input thread -> window thread).
    SpscRing<uint32_t, 256> taken;
};

// (input) One note or controller message (a note-off already a note-on of
// value 0; channel 0..15; status 0x90 or 0xB0) from input device `device`
// (0-based). True when it was taken: the input path then neither plays nor
// records it.
bool midiToButton(Sequencer& app, int device, int channel, int status, int number, int value);
// (window) Rebuild the lookup tables from the settings' map, buttons 1 to 30
// in turn over cleared tables (a later button wins a shared number).
void rebuildButtonLookup(Sequencer& app);
// (window) Take the next message the input thread handed over; false when
// none waits.
bool takeButtonMessage(Sequencer& app, ButtonMessage& out);
// (window) Install the hook of the input path and build the tables.
void installMidiToButton(Sequencer& app);

}  // namespace qz
