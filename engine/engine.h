// The sequencer engine: the millisecond clock and the tick, tempo and
// transport, playback to the MIDI outputs, the metronome and count-in, and
// the record parameters.
//
// Threads: functions marked (tick) run on whichever thread drives the tick
// (the 1 ms thread, or the caller when no driver runs); (window) ones on the
// window thread; (input) ones on the MIDI input thread. See engine_state.h
// for who writes which field.
#pragma once

#include <cstdint>

#include "engine/engine_state.h"
#include "engine/recording.h"
#include "engine/sequencer.h"
#include "song/records.h"

namespace qz {

// ---- Settings words read across threads ------------------------------------------

// The settings block is a byte image, so its words cannot be std::atomic; the
// panels change single words while the tick reads them. Both sides go through
// these to make each access atomic (relaxed: a setting is one independent word).
inline uint32_t settingLoad(const uint32_t& word) {
    return std::atomic_ref<uint32_t>(const_cast<uint32_t&>(word)).load(std::memory_order_relaxed);
}
inline void settingStore(uint32_t& word, uint32_t v) {
    std::atomic_ref<uint32_t>(word).store(v, std::memory_order_relaxed);
}
inline uint8_t trackByteLoad(const uint8_t& b) {
    return std::atomic_ref<uint8_t>(const_cast<uint8_t&>(b)).load(std::memory_order_relaxed);
}
inline void trackByteStore(uint8_t& b, uint8_t v) { std::atomic_ref<uint8_t>(b).store(v, std::memory_order_relaxed); }

// The current sequence's bar count and length in ticks. The tick lengthens a
// sequence recorded past its end while the window thread shows them without
// the engine lock, so the tick stores them and lock-free readers load them
// through these (relaxed: each is one word shown or clamped against, and
// nothing else is published with it). Under the engine lock, or on the tick,
// plain access is fine.
inline uint32_t seqBarsLoad(const Sequencer& app) {
    return app.seq ? std::atomic_ref<uint32_t>(app.seq->bars).load(std::memory_order_relaxed) : 0;
}
inline Tick lengthTicksLoad(const Sequencer& app) {
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(app.lengthTicks)).load(std::memory_order_relaxed);
}

// ---- Clock and tick (clock.cpp) ---------------------------------------------------

// (tick) The 1 ms timer callback: turns the system millisecond time into
// `msClock` (a gap of 101 ms or more is dropped) and runs the tick.
void engineTimerCallback(Sequencer& app, uint32_t systemMs);
// (tick) One timer call: advance the elapsed milliseconds (unless the engine
// lock is held), carry out the command word, send one queued message.
void engineTick(Sequencer& app, uint32_t now);
// (tick) One millisecond of the clock; true when it yields a tick.
bool clockStep(Sequencer& app);
// (tick) The bar loop wrap and the sequence end; false when it stopped the
// transport (the rest of the tick is skipped).
bool loopAndEndStep(Sequencer& app);
// (tick) Load a tempo from the tick (tempo event or loop wrap).
void loadTempoInTick(Sequencer& app, int32_t us);

// ---- Tempo, locate, loop points (tempo.cpp) ----------------------------------------

// (window) Move the song position (and the play pointer) to tick t, clamped
// to the sequence; the tempo follows the tempo events passed.
void locateTick(Sequencer& app, Tick t);
// (window) Locate to bar b (clamped to 0..998 and the sequence end).
void locateBar(Sequencer& app, int32_t b);
// (window, under the engine lock) Put tempo `us` (clamped) in force.
void setTempo(Sequencer& app, int32_t us);
// Microseconds per quarter of the current sequence's tempo setting.
int32_t sequenceTempo(const Sequencer& app);
// Tempo in force at tick t: the sequence tempo, then every tempo event up to t.
int32_t tempoAt(const Sequencer& app, Tick t);
// Put a repaired tempo event's microseconds per quarter in range; returns it.
int32_t repairTempoEvent(SeqEvent& e);
// (window) Reload the tempo in force at the position after a tempo edit.
void retempoAtPosition(Sequencer& app);
// (window, under the engine lock) Let go of the current sequence: the play
// and loop pointers go to its start and the bar loop turns off. Every swap,
// free or cut of the current block runs it (through the store's hooks).
void engineDetachSequence(Sequencer& app);
// (window) Derive the loop ticks, tempo and event index from the loop bars.
void computeLoopPoints(Sequencer& app);
// bar, beat, tickInBeat from tick t.
void updateCounters(Sequencer& app, Tick t);

// ---- Transport (transport.cpp) -------------------------------------------------------

// (window) Stop the transport if it runs (closing notes and merging a
// recording).
void stopTransport(Sequencer& app);
// (window) Start running from the position, without count-in.
void run(Sequencer& app);
// (window) Start with the count-in chosen for recording or playing.
void startWithCountIn(Sequencer& app);
// (window) Start (or restart) from tick 0.
void startFromTop(Sequencer& app);
// (window) Post the song position pointer of the position.
void sendSongPosition(Sequencer& app);
// (window) Locate to the next / previous note of the current track; `skip` is
// 7 when the event views show two bars or more, else 1.
void locateNextNote(Sequencer& app, int32_t skip);
void locatePreviousNote(Sequencer& app, int32_t skip);
// (window) Hand a command word to the tick and wait until it is carried out
// (at most `timeoutMs` of msClock). With no tick driver the caller carries it
// out itself. Returns true when carried out.
bool postEngineCommand(Sequencer& app, uint32_t word, uint32_t timeoutMs = 3000);
// (tick) Carry out one command word.
void executeEngineCommand(Sequencer& app, uint32_t word);
// (window) Empty the tick-to-window ring (a stop posted by the tick becomes
// stopTransport). Returns the number of words taken.
int pollEngine(Sequencer& app);
// (window) The engine's part of the 16 ms display refresh: the cursor and
// counters follow the position, activity lights and the external clock's
// liveness count down.
void engineDisplayRefresh(Sequencer& app);
// (tick) Post a word to the window thread; false (and counted) when full.
bool postToWindow(Sequencer& app, uint32_t word);
// (window) Let the tick run for `ms` milliseconds (sleep, or advance the
// simulated clock).
void engineWait(Sequencer& app, uint32_t ms);
// (input) A system message from the clock input port: 0xF8, 0xFA, 0xFB, 0xFC, 0xF2.
void externalClockMessage(Sequencer& app, uint8_t status, uint8_t d1, uint8_t d2);
// Tell a sleeping engine thread that there is work (any thread).
inline void notifyEngine(Sequencer& app) {
    EngineState& e = app.engine;
    e.wakeSeq.fetch_add(1, std::memory_order_seq_cst);
    if (e.engineSleeping.load(std::memory_order_seq_cst)) {
        auto hook = e.wakeHook.load(std::memory_order_acquire);
        if (hook) hook(&e.wakeSeq);
    }
}
// Wake the window's UI frame when it sleeps (any thread; at most one wake per
// sleep).
inline void wakeWindow(Sequencer& app) {
    EngineState& e = app.engine;
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (!e.windowAsleep.load(std::memory_order_seq_cst)) return;
    if (e.windowAsleep.exchange(false, std::memory_order_seq_cst) && e.windowWake.wake)
        e.windowWake.wake(e.windowWake.ctx);
}
// (window) Does the engine's side give the UI frame work: a running, counting
// in or waiting transport, a followed clock, a word in the tick-to-window ring
// or an input ring, an activity lamp still lit, a position the counter has
// not shown?
bool engineFrameDue(const Sequencer& app);
// (tick) True when stopped with nothing pending: no command, long message,
// queued message, sounding note, count-in or wait for a key. Recording adds
// its own conditions here.
bool engineIdle(const Sequencer& app);
// True while a command, a long message or a queued message waits for the tick.
bool enginePendingWork(const Sequencer& app);
// True when a thread other than the caller may be running the tick.
inline bool tickOnOtherThread(const Sequencer& app) {
    return app.engine.tickDriver.load(std::memory_order_acquire) == TICK_DRIVER_THREAD;
}

// ---- Playback and output (playback.cpp, output.cpp) ------------------------------------

// (tick) Play the events due at the position.
void playDueEvents(Sequencer& app);
// (tick) Send one stored event as its track dictates.
void playEvent(Sequencer& app, const SeqEvent& e);
// (tick) Age the sounding notes by n ticks, releasing those that end.
void runningNotesStep(Sequencer& app, int32_t n);
void addRunningNote(Sequencer& app, uint32_t duration, uint32_t note, uint32_t channel, uint32_t device,
                    uint32_t track);
void releaseRunningNote(Sequencer& app, uint32_t track, uint32_t note);
// (tick) The same, its note-off sent at once (a live chord released before
// the next one sounds).
void endRunningNote(Sequencer& app, uint32_t track, uint32_t note);
void cancelRunningNote(Sequencer& app, uint32_t note, uint32_t channel, uint32_t device);
void allRunningNotesOff(Sequencer& app);
// Port a track's messages go to under the MASTER/TRACK choice.
int outputPortFor(const Sequencer& app, int device);
// (tick) Immediate sends, logged in the output monitor.
void sendTrackMessage(Sequencer& app, int device, int channel, uint8_t status, uint8_t d1, uint8_t d2);
void sendPortMessage(Sequencer& app, int port, int channel, uint8_t status, uint8_t d1, uint8_t d2);
void sendClockMessage(Sequencer& app, uint8_t status, uint8_t d1, uint8_t d2);
// (window) Append to the output queue, waiting for room while it is full.
void queueMessage(Sequencer& app, uint32_t packed);
void queueTrackMessage(Sequencer& app, int device, int channel, uint8_t status, uint8_t d1, uint8_t d2);
// (input) MIDI thru: append to the thru queue; false (and counted) when full.
// The input thread uses only these two, never the window thread's queue.
bool queueThruMessage(Sequencer& app, uint32_t packed);
bool queueThruTrackMessage(Sequencer& app, int device, int channel, uint8_t status, uint8_t d1, uint8_t d2);
// (tick) Send at most one queued message; true when one went out.
bool drainOneQueued(Sequencer& app);
// (tick) Send a long message handed over by the window thread, if any.
void sendPendingLong(Sequencer& app);
// (window) Send a system-exclusive message on a port; 1 when sent, 0 on
// error or after 1000 ms without the tick taking it.
int sendLongMessage(Sequencer& app, int port, const uint8_t* bytes, int length);
// Append a packed message (port in the top byte) to the output monitor.
void logOutput(Sequencer& app, uint32_t packedWithPort);
void allNotesOffEverywhere(Sequencer& app);
void allNotesOffPort(Sequencer& app, int port);
void resetPort(Sequencer& app, int port);
void resetAllPorts(Sequencer& app);
// The GS use-for-rhythm-part message for a channel (11 bytes into `out`).
void gsRhythmPartMessage(int channel, bool drum, uint8_t out[11]);
void sendTrackSetup(Sequencer& app, int track);
// (window) Send every track's set-up messages (bank, program, mixer values).
void sendAllTrackSetups(Sequencer& app);
void sendBankAndProgram(Sequencer& app, int track);
void auditionOn(Sequencer& app, int track);
void auditionOff(Sequencer& app, int track);
// The audition's test note of a track: a drum part sounds a snare-like 47,
// others 60.
int auditionNote(const Sequencer& app, int track);

// ---- Metronome and count-in (metronome.cpp) ---------------------------------------------

// (tick) Click on the beats while running.
void clickStep(Sequencer& app);
// (tick) 1 = proceed, 0 = hold (the count-in runs).
int countInStep(Sequencer& app);
// (window, under the engine lock) Locate to the bar start and arm the count-in.
void armCountIn(Sequencer& app);
// (tick) One click: note-on and its note-off on the metronome port.
void click(Sequencer& app, uint8_t velocity);

// ---- Record parameters (record_params.cpp) -------------------------------------------------

constexpr int TC_ROW_COUNT = 7;
constexpr int VELOCITY_ROWS = 12;
constexpr int DURATION_ROWS = 12;
extern const char* const VELOCITY_LABELS[VELOCITY_ROWS];
extern const int32_t VELOCITY_VALUES[VELOCITY_ROWS];
extern const char* const TC_LABELS[TC_ROW_COUNT];
extern const int32_t TC_GRID[TC_ROW_COUNT];
extern const int32_t TC_SHIFT_LIMIT[TC_ROW_COUNT];
extern const bool TC_SWING[TC_ROW_COUNT];
extern const char* const DURATION_LABELS[DURATION_ROWS];
extern const int32_t DURATION_TICKS[DURATION_ROWS];

// Velocity to record for a played velocity under the Velocity row.
int32_t recordVelocity(const Sequencer& app, int32_t played);
// Duration row's ticks (0 = as held).
int32_t recordDuration(const Sequencer& app);
// (window) Advance the position by the Duration row's ticks after a step entry.
void stepAdvance(Sequencer& app);
// Timing-correct rounding of a played tick (never negative).
Tick snapToGrid(const Sequencer& app, Tick t);
// Record-time timing correct with the loop and sequence wraps.
Tick correctTime(Sequencer& app, Tick t);

// ---- Recording steps of the tick (recording.cpp) -------------------------------------------

void takeInput(Sequencer& app);
void playRecorded(Sequencer& app);
void noteRepeatStep(Sequencer& app);
void liveQueueStep(Sequencer& app);
// (window) Empty the recording buffers; the tick counter restarts.
void resetRecordBuffers(Sequencer& app);

}  // namespace qz
