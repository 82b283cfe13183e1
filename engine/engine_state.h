// Transport, clock and MIDI-output fields of the application state. The
// song store reads a few of them; the engine owns them all.
//
// Three threads meet here: the window thread (transport verbs, panels), the
// engine thread (the 1 ms tick) and the MIDI input thread. A field that more
// than one thread touches outside the engine lock is a std::atomic and its
// comment names the writer. Plain fields marked "under the engine lock" are
// written by the window thread only while it holds `engineLock` and read by
// the tick only between engineTickEnter and engineTickLeave, so the lock's
// handshake orders them. Plain fields marked "tick-owned" are touched only by
// whichever thread currently drives the tick (see `tickDriver`).
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/doors.h"
#include "engine/rings.h"
#include "song/records.h"

namespace qz {

struct Sequencer;

constexpr int RUNNING_NOTES = 64;
// UI frames an activity lamp glows after the message that lit it.
constexpr uint8_t LAMP_FRAMES = 5;
// UI frames the external clock counts as alive after its last 0xF8.
constexpr int32_t EXT_CLOCK_ALIVE_FRAMES = 10;
constexpr int32_t RUNNING_HELD = 0x7FFFFFFF;  // remaining ticks of a note held until its note-off
constexpr uint32_t OUT_QUEUE_SIZE = 256;
constexpr uint32_t MONITOR_SIZE = 256;
constexpr uint32_t TO_WINDOW_SIZE = 64;
constexpr int LONG_MESSAGE_MAX = 64;
// Recording past the end lengthens a sequence up to this many bars.
constexpr uint32_t MAX_GROWN_BARS = 997;
// Longest pause of the engine thread while stopped and idle, in milliseconds:
// well below the 101 ms drop rule, so the stopped clock keeps counting.
constexpr int32_t ENGINE_IDLE_SLOTS = 20;

// Engine command words (low byte; the argument sits in bits 8 and up).
constexpr uint32_t CMD_ALL_NOTES_OFF = 1;
constexpr uint32_t CMD_MONITOR_GS_PART = 5;
constexpr uint32_t CMD_MONITOR_GS_DRUM = 6;
constexpr uint32_t CMD_CLICK_ON = 7;
constexpr uint32_t CMD_CLICK_OFF = 8;
constexpr uint32_t CMD_SONG_POSITION = 0xF2;
constexpr uint32_t CMD_CLOCK_START = 0xFA;
constexpr uint32_t CMD_CLOCK_CONTINUE = 0xFB;
constexpr uint32_t CMD_CLOCK_STOP = 0xFC;

// Who runs the tick: nobody (tests and tools call the engine directly, so the
// calling thread owns everything), the 1 ms thread, or a simulated clock on
// the calling thread that advances when the engine waits.
constexpr int32_t TICK_DRIVER_NONE = 0;
constexpr int32_t TICK_DRIVER_THREAD = 1;
constexpr int32_t TICK_DRIVER_SIMULATED = 2;

// One sounding note of the output.
struct RunningNote {
    int32_t remaining = 0;  // ticks left; 0 = entry free
    uint32_t note = 0;
    uint32_t channel = 0;
    uint32_t device = 0;
    uint32_t track = 0;
};

// A ring of packed messages (message | port << 24) holding OUT_QUEUE_SIZE
// of them.
using MessageRing = SpscRing<uint32_t, OUT_QUEUE_SIZE + 1>;
// Words posted by the tick to the window thread.
using ToWindowRing = SpscRing<uint32_t, TO_WINDOW_SIZE + 1>;

// The record mode. REC replaces what the pass plays over, OVER DUB adds to
// it, STEP enters notes one cursor step at a time while stopped.
enum RecordMode : int32_t {
    RECORD_OFF = 0,
    RECORD_REC = 1,
    RECORD_OVER_DUB = 2,
    RECORD_STEP = 3,
};

struct CountInState {
    // 0 none, 1 first click due, 2 counting. Written by the window thread
    // (arming, under the engine lock), the tick and the input thread (a key
    // that ends a wait clears it).
    std::atomic<int32_t> state{0};
    int32_t tickCount = 0;     // tick-owned (reset when armed under the engine lock)
    int32_t beatCount = 0;     // tick-owned
    int32_t ticksPerBeat = 96; // under the engine lock
};

struct EngineState {
    // ---- Song position (read by the store) ----------------------------------

    // Song position in ticks: the next tick to play. Written by the engine
    // thread while running and by the window thread under the engine lock
    // when locating; read by the window thread for display.
    std::atomic<int32_t> position{0};
    // Edit and locate point, display counters (window thread).
    int32_t cursor = 0;
    int32_t bar = 0, beat = 0, tickInBeat = 0;
    // Free-running tick count (engine thread; the window thread resets it at
    // start and stop; read by the store to close held notes).
    std::atomic<uint32_t> tickCounter{0x80000000u};
    // Transport runs (window thread's transport verbs, the engine at the
    // sequence end; read everywhere).
    std::atomic<bool> playing{false};
    // Window thread, and the tick at a wrap (REC turns into OVER DUB).
    std::atomic<RecordMode> recordMode{RECORD_OFF};
    // Bar loop switch (window thread; the tick reads it).
    std::atomic<bool> loopOn{false};
    // Loop bars as set by the window thread; the tick uses the derived ticks.
    int32_t loopStartBar = 0;
    int32_t loopBars = 1;
    // The play and loop pointers (`playIndex`, `loopIndex`) and the erase
    // flag (`erasePending`) are the song store's: its edits keep them.

    // ---- Millisecond clock ------------------------------------------------------

    // Milliseconds counted by the timer callback (engine thread; the window
    // thread reads it for its waits).
    std::atomic<uint32_t> msClock{0};
    uint32_t lastSystemMs = 0;     // timer callback only
    bool haveSystemMs = false;     // timer callback only
    uint32_t lastTickClock = 0;    // tick-owned: msClock up to which the tick has advanced
    // Set while the window is closing: the callback stops calling the tick
    // (window thread).
    std::atomic<bool> closing{false};

    // ---- Tempo (under the engine lock) ------------------------------------------

    // Tempo in force; atomic so the window thread may show it without the lock.
    std::atomic<int32_t> usPerQuarter{500000};
    int32_t usPerTick = 500000 / 96;
    int32_t usRemainder = 500000 % 96;
    int32_t usAccumulator = 0;
    int32_t tickInQuarter = 0;
    // Tick driver: how far behind its ideal time the tick now being played
    // runs, in microseconds (0 outside a tick). A backend that renders by
    // sample places the tick's messages at msClock * 1000 - tickLateUs.
    int32_t tickLateUs = 0;
    // The next tick restarts the clock phase (window thread at a start, the
    // input thread at a waited-for key, the count-in at its end; cleared by
    // the tick).
    std::atomic<bool> resyncClock{false};
    // A start happened since the last call: the milliseconds the paused
    // thread has not counted yet are not played (set with `resyncClock` at a
    // start, consumed by the next call that enters the tick). Kept apart
    // from `resyncClock`, which a count-in holds for its whole bar.
    std::atomic<bool> startPending{false};

    // ---- Counters of the running tick (engine thread, read by others) -----------

    std::atomic<int32_t> posInBar{0};
    std::atomic<int32_t> posInBeat{0};
    std::atomic<int32_t> recordTick{0};
    // Ticks counted while stopped (engine thread; the window thread clears it).
    std::atomic<int32_t> idleTicks{0};
    // Something may have been recorded since the start (recording path).
    std::atomic<bool> recorded{false};
    // WAIT FOR KEY option (window thread) and the waiting state (window thread
    // at a start, the input thread at the first key).
    std::atomic<bool> waitForKey{false};
    std::atomic<bool> waitingForKey{false};
    CountInState countIn;

    // ---- Loop points (under the engine lock) ------------------------------------

    int32_t loopStartTick = 0;
    int32_t loopEndTick = 2 * 384;
    int32_t loopTempo = 500000;

    // ---- Window <-> tick ----------------------------------------------------------

    // Command word: written by the window thread when zero (compare-exchange),
    // cleared by the tick once carried out.
    std::atomic<uint32_t> engineCommand{0};
    // Words posted by the tick to the window thread (producer: the tick;
    // consumer: the window thread's poll).
    ToWindowRing toWindow;

    // ---- External MIDI clock ----------------------------------------------------------

    // Countdown of the clock's liveness: the input thread sets it, the window
    // thread's refresh counts it down.
    std::atomic<int32_t> extClockAlive{0};
    // Ticks granted by the last 0xF8 (input thread sets, the tick consumes).
    std::atomic<int32_t> extTicksDue{0};
    // 0, 0xFA or 0xFB (input thread).
    std::atomic<int32_t> pendingStart{0};
    // Tick from which clock output resumes after a song position pointer
    // (the tick; the window thread clears it at a stop).
    std::atomic<int32_t> sppTick{0};

    // ---- Playback choices (window thread) ----------------------------------------

    std::atomic<int32_t> soloMode{0};
    std::atomic<int32_t> padSolo{0};
    std::atomic<int32_t> outMonitorChannel{0};
    // Activity light per track: the tick sets LAMP_FRAMES, the window refresh
    // counts down.
    std::atomic<uint8_t> trackActivity[TRACK_RECORDS] = {};

    // ---- Sounding notes (tick-owned) ------------------------------------------------

    RunningNote running[RUNNING_NOTES];
    int32_t runningHigh = 0;
    uint8_t sounding[16][128] = {};
    // Notes stolen because the table was full (tick-owned; for display).
    uint32_t notesStolen = 0;

    // ---- Output queues, long messages, monitor --------------------------------------

    // The window thread's queue (it waits for room when full, and counts in
    // its `dropped` only what it gives up after waiting 3 s for a tick that
    // does not drain) and the input thread's MIDI thru queue (drops and
    // counts when full). The tick drains one message per millisecond from
    // them, thru first.
    MessageRing outQueue;
    MessageRing thruQueue;
    // A long message handed to the tick: bytes written by the window thread
    // before it stores `longPort` (port + 1, release); the tick sends it and
    // stores `longResult` then clears `longPort` (release).
    uint8_t longBytes[LONG_MESSAGE_MAX] = {};
    int32_t longLength = 0;
    std::atomic<int32_t> longPort{0};
    std::atomic<int32_t> longResult{0};
    // Output monitor: packed message + port << 24 (the sending thread writes,
    // the window thread reads).
    std::atomic<uint32_t> monitor[MONITOR_SIZE] = {};
    std::atomic<uint32_t> monitorWrite{0};

    // ---- Platform hooks (set by the window thread before the tick runs) ---------------

    MidiOutput out{};
    int32_t outPortCount = 0;
    // The window's UI frame stops while nothing is due. The window thread
    // sets `windowAsleep` before its last look for work; whoever hands it
    // work afterwards (the tick posting a word, a MIDI input callback) clears
    // it and calls `windowWake`. seq_cst on both sides, as with the engine's
    // own sleep: either the window sees the work or the waker sees it asleep.
    WindowWake windowWake{};
    std::atomic<bool> windowAsleep{false};
    // Who runs the tick (window thread when it starts or stops the driver).
    std::atomic<int32_t> tickDriver{TICK_DRIVER_NONE};
    // While the transport is stopped and nothing is pending the engine thread
    // may sleep longer than 1 ms. Whoever gives it work bumps `wakeSeq` and,
    // when `engineSleeping` is set, calls `wakeHook` (installed by the thread)
    // to wake it. Written by the window and input threads (wakeSeq) and the
    // engine thread (engineSleeping); seq_cst on both sides so that either
    // the sleeper sees the new count or the waker sees it asleep.
    std::atomic<uint32_t> wakeSeq{0};
    std::atomic<bool> engineSleeping{false};
    std::atomic<void (*)(std::atomic<uint32_t>*)> wakeHook{nullptr};
    // Engine thread: the next call is due `sleepSlots` milliseconds after the
    // last one, `nextTickEarlyUs` microseconds before that slot's boundary
    // (when the tick it yields is due then), so that notes go out at their
    // own time. Longer pauses end early when `wakeSeq` moves.
    int32_t sleepSlots = 1;
    int32_t nextTickEarlyUs = 0;
    // How the window thread waits for the tick: null = sleep; a simulated
    // clock installs a function that advances time by running ticks.
    void (*waitHook)(void* ctx, uint32_t ms) = nullptr;
    void* waitCtx = nullptr;
};

}  // namespace qz
