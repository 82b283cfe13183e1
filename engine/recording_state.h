// Fields of MIDI input and recording: the rings between the input thread,
// the tick and the window thread, the two recording buffers (kept in the
// work buffer's halves), the held-key sets, the sustain pedal, note repeat,
// NOTE ERASE, the live queue and the input monitor.
//
// Threads: the input thread (RtMidi callbacks), the tick (the 1 ms engine
// thread or whoever drives it) and the window thread. Every field that more
// than one of them touches is an atomic whose comment names its writer.
// Plain fields say which single thread owns them.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/doors.h"
#include "engine/rings.h"
#include "song/records.h"

namespace qz {

struct Sequencer;

// Ring sizes. A keyboard performance sends at most a few hundred messages a
// second while the tick takes them every millisecond, so 1024 entries hold
// far more than any burst between two ticks (or a long count-in).
constexpr uint32_t INPUT_RING_SIZE = 1024;
constexpr uint32_t STEP_RING_SIZE = 1024;
constexpr uint32_t PAD_RING_SIZE = 256;
constexpr uint32_t LIVE_RING_SIZE = 256;
constexpr uint32_t MIXER_RING_SIZE = 256;
constexpr int LIVE_PENDING = 128;
constexpr uint32_t INPUT_MONITOR_SIZE = 32;
constexpr int CHORD_SLOTS = 6;
// UI frames a port's clock lamp stays lit after its last clock message.
constexpr uint8_t CLOCK_ACTIVITY_FRAMES = 10;
// UI frames the "wrong channel" notice stays after the refused message.
constexpr int32_t WRONG_CHANNEL_FRAMES = 5;

// `value2` flags of ring entries (the stored events never carry them).
constexpr uint32_t REC_AT_TIME = 0x40000000u;   // file at the entry's own `time`, not at the record tick
constexpr uint32_t LIVE_RESTART = 0x20000000u;  // a new chord: the live clock restarts, waiting note-ons go
// Step-ring entry status: one cursor step (a released chord of keys).
constexpr uint8_t ST_STEP_MARK = 0x01;

// Fields of the mixer ring's words (input thread -> window thread):
// track << 16 | field << 8 | value.
constexpr uint32_t MIX_VOLUME = 1;
constexpr uint32_t MIX_PAN = 2;
constexpr uint32_t MIX_REVERB = 3;
constexpr uint32_t MIX_CHORUS = 4;
constexpr uint32_t MIX_BANK_MSB = 5;
constexpr uint32_t MIX_BANK_LSB = 6;
constexpr uint32_t MIX_PROGRAM = 7;
constexpr uint32_t MIX_TOGGLE_MUTE = 8;
constexpr uint32_t MIX_SELECT_SOLO = 9;

// A track's routing as the input thread sees it (published by the window
// thread): device | channel << 8 | type << 12 | drumPart << 13 | used << 14.
constexpr uint32_t ROUTE_TYPE_NOTE = 1u << 12;
constexpr uint32_t ROUTE_DRUM_PART = 1u << 13;

using InputRing = SpscRing<SeqEvent, INPUT_RING_SIZE>;

struct RecordState {
    // ---- Rings ------------------------------------------------------------------

    // Notes and events played while the transport runs (input thread -> tick).
    InputRing inputRing;
    // Notes and events played while stopped, and cursor steps (input thread
    // -> window thread).
    SpscRing<SeqEvent, STEP_RING_SIZE> stepRing;
    // Repeated notes fired while stopped (tick -> window thread).
    SpscRing<SeqEvent, PAD_RING_SIZE> padRing;
    // The live queue: notes to sound now or after a strum delay. Pads and
    // chords are played from the window thread and from the input thread, so
    // each has its own ring and the tick reads both.
    SpscRing<SeqEvent, LIVE_RING_SIZE> liveFromWindow;
    SpscRing<SeqEvent, LIVE_RING_SIZE> liveFromInput;
    // Track changes that follow the input (mixer controllers, mute toggles
    // of track mute mode), applied by the window thread (input -> window).
    SpscRing<uint32_t, MIXER_RING_SIZE> mixerRing;
    // Clock-port messages that start, stop or locate the transport (all but
    // a plain 0xF8): they wait for the tick, merge the recording and change
    // the window thread's fields, which the input thread must not do
    // (input -> window).
    SpscRing<uint32_t, 64> clockRing;
    // A start or continue went to the window thread: the next 0xF8, which
    // starts the transport, follows it there (input threads, in turn).
    bool clockStartSent = false;

    // ---- Live queue (tick-owned) --------------------------------------------------

    SeqEvent livePending[LIVE_PENDING] = {};
    int32_t livePendingCount = 0;
    int32_t liveClock = 0;
    // Entries lost because the pending table was full (tick).
    std::atomic<uint32_t> liveDropped{0};
    // Delay of the last note of the last chord queued (window or input thread).
    std::atomic<int32_t> strumLength{0};
    // Last note played live on the current track, -1 none (window or input thread).
    std::atomic<int32_t> lastLiveNote{-1};

    // ---- Recording buffers ----------------------------------------------------------
    // The tick owns them while the transport runs; the window thread touches
    // them only under the engine lock, or after the stop has stopped the
    // tick's use of them. Entries are referred to by index only.

    // Note buffer (work buffer, first half): [0, noteEnd) in time order.
    int32_t noteEnd = 0;
    int32_t notePlay = 0;  // playback point
    int32_t noteLoop = 0;  // loop-start point
    // Event buffer (work buffer, second half): arrival order.
    int32_t eventHigh = 0;    // high-water end
    int32_t eventCursor = 0;  // write and playback point
    int32_t eventLoop = 0;    // loop-start point
    // Open notes of ALL TRACKS recording: note buffer index + 1 per track
    // 0..16 and note, 0 none. Kept consistent by every insertion and removal.
    int32_t openNote[17][128] = {};
    // Times the full note buffer stopped the transport, and events dropped by
    // the full event buffer (tick).
    std::atomic<uint32_t> noteBufferFull{0};
    std::atomic<uint32_t> eventsDropped{0};

    // ---- Input thread's own state ------------------------------------------------------

    int16_t inputNoteMap[128] = {};         // played note -> note used + 1; 0 dropped or not held
    uint8_t sustainDown[17] = {};           // pedal value per track
    uint32_t sustainedOff[17][4] = {};      // deferred note-offs per track (128-bit sets)

    // ---- Shared flags and sets -----------------------------------------------------------

    // Held input notes (128 bits), also the note repeat set. The input thread
    // sets and clears bits; the window thread clears all (panic, stop); the
    // tick reads them.
    std::atomic<uint32_t> heldKeys[4] = {};
    // Pad lights per note: input thread sets and clears, window thread clears.
    std::atomic<uint8_t> heldFlag[128] = {};
    // NOTE REPEAT held (window thread).
    std::atomic<bool> noteRepeatOn{false};
    // A repeat fired since the last key went down (tick sets; input and
    // window threads clear).
    std::atomic<bool> noteRepeatFired{false};
    // NOTE ERASE held (window thread), and a key to erase (window and input
    // threads set, window thread clears).
    std::atomic<bool> noteEraseHeld{false};
    std::atomic<bool> noteEraseKey{false};
    // Track mute mode's SOLO sub-mode, the pads' LOOP EDIT, the chord edit
    // window (window thread).
    std::atomic<bool> trackMuteSolo{false};
    std::atomic<bool> loopEdit{false};
    std::atomic<bool> chordEditOpen{false};

    // Published by the window thread for the input thread, which never reads
    // the sequence block (the window thread may replace it at any time).
    std::atomic<int32_t> inCurrentTrack{1};
    std::atomic<bool> inAllTracks{false};
    // Track mute mode: the window thread stores it whenever the mode changes.
    std::atomic<bool> inTrackMuteMode{false};
    std::atomic<bool> inSequenceExists{false};
    std::atomic<int32_t> inLengthTicks{2 * TICKS_PER_BAR};
    std::atomic<uint32_t> route[17] = {};
    // Tracks to mark used (bit t; input thread ORs, window thread takes).
    std::atomic<uint32_t> usedPending{0};

    // Activity lamps, in UI frames still to glow: the input lamp of each
    // track 1..16 (lit when a note of it is echoed), the indicator shown
    // while thru is off, and each input port's clock. The input thread lights
    // them; the window thread counts them down.
    std::atomic<uint8_t> inputLamp[17] = {};
    std::atomic<uint8_t> inputIndicator{0};
    std::atomic<uint8_t> clockActivity[PLATFORM_MAX_IN_PORTS] = {};

    // Input monitor: packed message + port << 24 (input thread writes).
    std::atomic<uint32_t> inputMonitor[INPUT_MONITOR_SIZE] = {};
    std::atomic<uint32_t> inputMonitorWrite{0};
    // Refused channel (1..16) and the refreshes it stays shown (input thread
    // sets; the window refresh counts down).
    std::atomic<int32_t> wrongChannel{0};
    std::atomic<int32_t> wrongChannelFrames{0};
    // Note of the last message taken by MIDI-to-button (input thread).
    std::atomic<int32_t> mappedNote{0};
    // Messages that arrived with a data byte where a status byte belongs (input thread).
    std::atomic<uint32_t> badMessages{0};
    // The MIDI layer gives every opened input port a thread of its own, and
    // the input side of each ring must have one writer: the handlers of the
    // ports take turns on this flag (set and cleared by the input threads).
    // A handler never waits inside, so a turn lasts a few microseconds.
    std::atomic_flag inputBusy = ATOMIC_FLAG_INIT;
    // Times a handler found another port's handler running (input threads).
    std::atomic<uint32_t> inputContended{0};

    // ---- Hooks of the screens (set by the window thread before input starts) ----------

    // MIDI to button: true when the message was taken as a button press.
    bool (*midiToButtonHook)(Sequencer& app, int port, int channel, int status, int d1, int d2) = nullptr;
    // Note to Chord on a NOTE track: true when the chord code took the note.
    bool (*noteToChordHook)(Sequencer& app, int track, bool on, int note, int velocity) = nullptr;
    // Chord edit window: a key went down (`first` when no other key was
    // held), and a STEP-mode step was reported.
    void (*chordEditKeyHook)(Sequencer& app, int note, bool first) = nullptr;
    void (*chordEditStepHook)(Sequencer& app) = nullptr;
    // The sustain pedal went up on the current track: release a held pad chord.
    void (*sustainReleaseHook)(Sequencer& app, int track) = nullptr;
};

}  // namespace qz
