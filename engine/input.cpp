// MIDI input on the input thread: the filters, the monitor, the routes to
// the clock, MIDI-to-button, ALL TRACKS, the chord edit window, track mute
// mode and the current track, the sustain pedal, MIDI thru, and the hand-off
// of what is recorded into the rings.
//
// Nothing here allocates, locks or waits, and nothing reads the sequence
// block: the window thread publishes the routing it needs (publishInputState)
// and applies the track changes the input asks for (the mixer ring).
#include <algorithm>
#include <thread>

#include "engine/engine.h"
#include "engine/recording.h"

namespace qz {

namespace {

constexpr int PAD_BASE_NOTES[7] = {24, 35, 36, 48, 60, 72, 84};

thread_local bool inputCallbackActive = false;

// Light an activity lamp for its frames and ask for the lamps' repaint.
void lightLamp(Sequencer& app, std::atomic<uint8_t>& lamp) {
    lamp.store(LAMP_FRAMES, std::memory_order_relaxed);
    markDirty(app, DIRTY_INDICATORS);
}

// Marks the calling thread as the input thread while a message is handled,
// so the chord entry points pick the input thread's rings, and makes the
// handlers of several input ports take turns (see `inputBusy`).
struct InputScope {
    RecordState& rec;
    bool previous;
    explicit InputScope(RecordState& r) : rec(r), previous(inputCallbackActive) {
        // acquire: what the previous handler wrote is visible to this one.
        if (!previous && rec.inputBusy.test_and_set(std::memory_order_acquire)) {
            rec.inputContended.fetch_add(1, std::memory_order_relaxed);
            while (rec.inputBusy.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
        }
        inputCallbackActive = true;
    }
    ~InputScope() {
        inputCallbackActive = previous;
        // release: this handler's writes are complete for the next one.
        if (!previous) rec.inputBusy.clear(std::memory_order_release);
    }
    InputScope(const InputScope&) = delete;
    InputScope& operator=(const InputScope&) = delete;
};

// Where a message for track t goes: the track, its output port and channel.
struct Target {
    int track;
    int channel;
    int port;
    uint32_t route;
};

int padBase(uint32_t index) { return PAD_BASE_NOTES[index < 7 ? index : 2]; }

Target targetOf(Sequencer& app, int track, int channel) {
    uint32_t route = app.rec.route[track].load(std::memory_order_relaxed);
    int device = int(route & 0xFF);
    return Target{track, channel < 0 ? int((route >> 8) & 15) : channel, outputPortFor(app, device), route};
}

void setHeld(Sequencer& app, int n, bool on) {
    RecordState& r = app.rec;
    uint32_t bit = 1u << (n & 31);
    if (on)
        r.heldKeys[n >> 5].fetch_or(bit, std::memory_order_relaxed);
    else
        r.heldKeys[n >> 5].fetch_and(~bit, std::memory_order_relaxed);
    r.heldFlag[n].store(on ? 1 : 0, std::memory_order_relaxed);
}

bool setHas(const uint32_t set[4], int n) { return (set[n >> 5] >> (n & 31)) & 1; }

bool recording(const Sequencer& app) {
    return app.engine.recordMode.load(std::memory_order_relaxed) != RECORD_OFF;
}

// Recorded input goes to the tick while the transport runs, else to the
// window thread's step recording.
void toRing(Sequencer& app, const SeqEvent& e) {
    if (app.engine.playing.load(std::memory_order_acquire))
        ringPush(app.rec.inputRing, e);
    else
        ringPush(app.rec.stepRing, e);
}

void thru(Sequencer& app, int port, uint8_t status, uint8_t d1, uint8_t d2) {
    queueThruMessage(app, uint32_t(status) | uint32_t(d1 & 127) << 8 | uint32_t(d2 & 127) << 16 |
                              uint32_t(port & 0xFF) << 24);
}

bool thruOn(const Sequencer& app) {
    return settingLoad(app.settings.midiThru) != 0;
}

// The first key after a start with WAIT FOR KEY starts the transport.
void startAtKey(Sequencer& app) {
    EngineState& e = app.engine;
    if (!e.waitingForKey.exchange(false, std::memory_order_acq_rel)) return;
    e.countIn.state.store(0, std::memory_order_relaxed);
    e.recordTick.store(e.position.load(std::memory_order_relaxed), std::memory_order_relaxed);
    // release: the tick that sees the resync sees the cleared wait.
    e.resyncClock.store(true, std::memory_order_release);
    e.startPending.store(true, std::memory_order_release);
    markDirty(app, DIRTY_TRANSPORT);
    notifyEngine(app);
}

void noteOnPath(Sequencer& app, const Target& t, int n, int velocity, bool fixedDuration) {
    RecordState& r = app.rec;
    uint8_t v = uint8_t(std::clamp(recordVelocity(app, velocity), 1, 127));
    uint32_t duration = fixedDuration ? uint32_t(recordDuration(app)) : 0;
    uint32_t value = duration != 0 ? duration : app.engine.tickCounter.load(std::memory_order_relaxed);
    if (recording(app) || r.loopEdit.load(std::memory_order_relaxed)) {
        r.usedPending.fetch_or(1u << t.track, std::memory_order_relaxed);
        toRing(app, SeqEvent{0, uint8_t(t.track), ST_NOTE, uint8_t(n), v, value, 0});
    }
    if (thruOn(app)) {
        thru(app, t.port, uint8_t(0x90 | t.channel), uint8_t(n), v);
        lightLamp(app, r.inputLamp[t.track]);
    } else {
        lightLamp(app, r.inputIndicator);
    }
}

void noteOffPath(Sequencer& app, const Target& t, int n, bool currentTrackPath) {
    RecordState& r = app.rec;
    if (recording(app) && (recordDuration(app) == 0 || !currentTrackPath))
        toRing(app, SeqEvent{0, uint8_t(t.track), ST_NOTE_OFF, uint8_t(n), 0, 0, 0});
    if (!anyKeyHeld(app)) {
        if (currentTrackPath && app.engine.recordMode.load(std::memory_order_relaxed) == RECORD_STEP) {
            // A released chord of keys moves the cursor one step, unless
            // note repeat already entered the notes.
            if (!r.noteRepeatFired.load(std::memory_order_relaxed))
                ringPush(r.stepRing, SeqEvent{0, 0, ST_STEP_MARK, 0, 0, 0, 0});
            if (r.chordEditOpen.load(std::memory_order_relaxed) && r.chordEditStepHook) r.chordEditStepHook(app);
            markDirty(app, DIRTY_COUNTER | DIRTY_GRID);
        }
        r.noteRepeatFired.store(false, std::memory_order_relaxed);
    }
    if (thruOn(app)) thru(app, t.port, uint8_t(0x90 | t.channel), uint8_t(n), 0);
    markDirty(app, DIRTY_PADS);
}

// Control change 64: neither recorded nor echoed; its release sends the
// note-offs it held back.
void sustain(Sequencer& app, const Target& t, int value, bool currentTrackPath) {
    RecordState& r = app.rec;
    r.sustainDown[t.track] = uint8_t(value);
    if (value != 0) return;
    uint32_t* set = r.sustainedOff[t.track];
    for (int n = 0; n < 128; ++n)
        if (setHas(set, n)) noteOffPath(app, t, n, currentTrackPath);
    std::fill(set, set + 4, 0u);
    if (r.sustainReleaseHook) r.sustainReleaseHook(app, t.track);
}

// A message other than a note or the pedal: recorded (not the volume
// controller), followed by the track's mixer values, echoed.
void otherMessage(Sequencer& app, const Target& t, uint8_t kind, uint8_t d1, uint8_t d2) {
    RecordState& r = app.rec;
    bool programOn = settingLoad(app.settings.receiveProgram) != 0;
    if (!programOn && (kind == 0xC0 || (kind == 0xB0 && (d1 == 0 || d1 == 32)))) return;
    if (recording(app) && !(kind == 0xB0 && d1 == 7))
        toRing(app, SeqEvent{0, uint8_t(t.track), kind, d1, kind == 0xC0 || kind == 0xD0 ? uint8_t(0) : d2, 0, 0});
    bool xgDrum = t.port >= 0 && t.port < OUT_PORTS && settingLoad(app.settings.resetMode[t.port]) == 2 &&
                  ((t.route & ROUTE_DRUM_PART) || ((t.route >> 8) & 15) == 9);
    uint32_t field = 0;
    uint8_t echo = d2;
    if (kind == 0xB0) {
        switch (d1) {
        case 91: field = MIX_REVERB; break;
        case 93: field = MIX_CHORUS; break;
        case 32: field = MIX_BANK_LSB; break;
        case 7: field = MIX_VOLUME; break;
        case 10: field = MIX_PAN; break;
        case 0:
            // An XG drum part keeps its stored bank; the device needs 127.
            if (xgDrum)
                echo = 127;
            else
                field = MIX_BANK_MSB;
            break;
        default: break;
        }
    } else if (kind == 0xC0) {
        field = MIX_PROGRAM;
    }
    if (field != 0) {
        uint32_t value = kind == 0xC0 ? d1 : d2;
        ringPush(r.mixerRing, uint32_t(t.track) << 16 | field << 8 | value);
        markDirty(app, DIRTY_TRACK_MESSAGES);
    }
    if (thruOn(app)) thru(app, t.port, uint8_t(kind | t.channel), d1, echo);
}

void allTracksInput(Sequencer& app, int c, uint8_t kind, uint8_t d1, uint8_t d2) {
    RecordState& r = app.rec;
    Target t = targetOf(app, c + 1, c);
    if (kind == 0x90 && d2 > 0) {
        uint8_t v = uint8_t(std::clamp(recordVelocity(app, d2), 1, 127));
        startAtKey(app);
        if (recording(app)) {
            r.usedPending.fetch_or(1u << t.track, std::memory_order_relaxed);
            toRing(app, SeqEvent{0, uint8_t(t.track), ST_NOTE, d1, v,
                                 app.engine.tickCounter.load(std::memory_order_relaxed), 0});
        }
        if (thruOn(app)) thru(app, t.port, uint8_t(0x90 | c), d1, v);
        lightLamp(app, r.inputLamp[t.track]);
    } else if (kind == 0x90) {
        if (r.sustainDown[t.track]) {
            r.sustainedOff[t.track][d1 >> 5] |= 1u << (d1 & 31);
        } else {
            noteOffPath(app, t, d1, false);
        }
    } else if (kind == 0xB0 && d1 == 64) {
        sustain(app, t, d2, false);
    } else {
        otherMessage(app, t, kind, d1, d2);
    }
}

void chordEditInput(Sequencer& app, uint8_t kind, uint8_t d1, uint8_t d2) {
    RecordState& r = app.rec;
    if (kind != 0x90) return;
    Target t = targetOf(app, std::clamp(r.inCurrentTrack.load(std::memory_order_relaxed), 1, USER_TRACKS), -1);
    if (d2 > 0) {
        bool first = !anyKeyHeld(app);
        if (r.chordEditKeyHook) r.chordEditKeyHook(app, d1, first);
        setHeld(app, d1, true);
        noteOnPath(app, t, d1, d2, true);
    } else {
        setHeld(app, d1, false);
        noteOffPath(app, t, d1, true);
    }
}

void trackMuteInput(Sequencer& app, uint8_t kind, uint8_t d1, uint8_t d2) {
    RecordState& r = app.rec;
    if (kind != 0x90 || d2 == 0) return;
    int b = padBase(settingLoad(app.settings.inputPadBase));
    if (d1 < b || d1 >= b + 16) return;
    int track = d1 - b + 1;
    if (r.trackMuteSolo.load(std::memory_order_relaxed)) {
        bool current = r.inCurrentTrack.load(std::memory_order_relaxed) == track;
        if (current && app.engine.soloMode.load(std::memory_order_relaxed) != 0)
            app.engine.soloMode.store(0, std::memory_order_relaxed);
        else
            ringPush(r.mixerRing, uint32_t(track) << 16 | MIX_SELECT_SOLO << 8);
    } else {
        ringPush(r.mixerRing, uint32_t(track) << 16 | MIX_TOGGLE_MUTE << 8);
    }
    markDirty(app, DIRTY_TRACK_ROW | DIRTY_MIXER);
}

void currentTrackInput(Sequencer& app, uint8_t kind, uint8_t d1, uint8_t d2) {
    RecordState& r = app.rec;
    int track = std::clamp(r.inCurrentTrack.load(std::memory_order_relaxed), 1, USER_TRACKS);
    Target t = targetOf(app, track, -1);
    bool noteTrack = (t.route & ROUTE_TYPE_NOTE) != 0;
    if (kind == 0x90 && noteTrack && settingLoad(app.settings.noteToChord) && r.noteToChordHook &&
        r.noteToChordHook(app, track, d2 > 0, d1, d2))
        return;
    if (kind == 0xB0 && d1 == 64) {
        sustain(app, t, d2, true);
        return;
    }
    if (kind != 0x90) {
        otherMessage(app, t, kind, d1, d2);
        return;
    }
    if (d2 > 0) {
        int n = d1;
        if (!noteTrack) {
            n += padBase(settingLoad(app.settings.trackPadBase[track - 1])) -
                 padBase(settingLoad(app.settings.inputPadBase));
            if (n < 0 || n > 127) {
                r.inputNoteMap[d1] = 0;
                return;
            }
        }
        setHeld(app, n, true);
        r.inputNoteMap[d1] = int16_t(n + 1);
        startAtKey(app);
        markDirty(app, DIRTY_PADS);
        if (r.noteRepeatOn.load(std::memory_order_relaxed)) return;
        if (r.noteEraseHeld.load(std::memory_order_relaxed)) {
            r.noteEraseKey.store(true, std::memory_order_release);
            return;
        }
        uint32_t* set = r.sustainedOff[track];
        if (setHas(set, n)) {
            set[n >> 5] &= ~(1u << (n & 31));
            noteOffPath(app, t, n, true);
        }
        noteOnPath(app, t, n, d2, true);
        return;
    }
    int mapped = r.inputNoteMap[d1];
    if (mapped == 0) return;
    int n = mapped - 1;
    r.inputNoteMap[d1] = 0;
    setHeld(app, n, false);
    if (r.noteEraseHeld.load(std::memory_order_relaxed)) return;
    if (r.sustainDown[track])
        r.sustainedOff[track][n >> 5] |= 1u << (n & 31);
    else
        noteOffPath(app, t, n, true);
}

}  // namespace

bool calledFromInput() { return inputCallbackActive; }

bool anyKeyHeld(const Sequencer& app) {
    for (const auto& w : app.rec.heldKeys)
        if (w.load(std::memory_order_relaxed) != 0) return true;
    return false;
}

bool keyHeld(const Sequencer& app, int note) {
    if (note < 0 || note > 127) return false;
    return (app.rec.heldKeys[note >> 5].load(std::memory_order_relaxed) >> (note & 31)) & 1;
}

void onMidiInput(Sequencer& app, int port, uint32_t packed) {
    // Whatever the message did (a lamp, the monitor, a ring entry, a start)
    // is the window's to show: wake its frame once the handler is done.
    struct WakeWindowAfter {
        Sequencer& app;
        ~WakeWindowAfter() { wakeWindow(app); }
    } wakeAfter{app};
    RecordState& r = app.rec;
    InputScope scope(r);
    uint8_t s = uint8_t(packed);
    uint8_t d1 = uint8_t((packed >> 8) & 0x7F);
    uint8_t d2 = uint8_t((packed >> 16) & 0x7F);
    if (s < 0x80) {
        r.badMessages.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    if (s >= 0xF0) {
        // The MIDI-in panel shows which devices send a clock, whichever the
        // clock is taken from.
        if (s == 0xF8 && port >= 0 && port < PLATFORM_MAX_IN_PORTS)
            r.clockActivity[port].store(CLOCK_ACTIVITY_FRAMES, std::memory_order_relaxed);
        uint32_t clockPort = settingLoad(app.settings.clockInPort);
        if (clockPort == 0 || uint32_t(port + 1) != clockPort) return;
        if (s == 0xF2 || s == 0xFA || s == 0xFB || s == 0xFC) {
            uint32_t w = r.inputMonitorWrite.load(std::memory_order_relaxed);
            r.inputMonitor[w % INPUT_MONITOR_SIZE].store((packed & 0xFFFFFF) | uint32_t(port & 0xFF) << 24,
                                                         std::memory_order_relaxed);
            r.inputMonitorWrite.store(w + 1, std::memory_order_release);
            markDirty(app, DIRTY_IN_MONITOR);
        }
        // A plain 0xF8 only grants ticks (atomics): it is handled here at once.
        if (s == 0xF8 && !r.clockStartSent) {
            externalClockMessage(app, s, d1, d2);
        } else if (s == 0xF8 || s == 0xFA || s == 0xFB || s == 0xFC || s == 0xF2) {
            if (ringPush(r.clockRing, packed & 0xFFFFFF)) {
                if (s == 0xFA || s == 0xFB) r.clockStartSent = true;
                if (s == 0xF8 || s == 0xFC) r.clockStartSent = false;
            }
            notifyEngine(app);
        }
        return;
    }
    uint8_t kind = s & 0xF0;
    int c = s & 15;
    if ((kind == 0xA0 || kind == 0xD0) && settingLoad(app.settings.receivePressure) == 0) return;
    if (settingLoad(app.settings.receiveProgram) == 0 && (kind == 0xC0 || (kind == 0xB0 && (d1 == 0 || d1 == 32))))
        return;
    if (kind == 0x80) {
        kind = 0x90;
        d2 = 0;
    }
    uint32_t inChannel = settingLoad(app.settings.inChannel);
    if (inChannel != 0 && uint32_t(c + 1) != inChannel) {
        r.wrongChannel.store(c + 1, std::memory_order_relaxed);
        r.wrongChannelFrames.store(WRONG_CHANNEL_FRAMES, std::memory_order_relaxed);
        markDirty(app, DIRTY_MIDI_IN);
        return;
    }
    uint32_t m = uint32_t(kind | c) | uint32_t(d1) << 8 | uint32_t(d2) << 16;
    uint32_t w = r.inputMonitorWrite.load(std::memory_order_relaxed);
    r.inputMonitor[w % INPUT_MONITOR_SIZE].store(m | uint32_t(port & 0xFF) << 24, std::memory_order_relaxed);
    // release: a reader that sees the index sees the entry.
    r.inputMonitorWrite.store(w + 1, std::memory_order_release);
    markDirty(app, DIRTY_IN_MONITOR);

    if (r.midiToButtonHook && r.midiToButtonHook(app, port, c, kind, d1, d2)) {
        r.mappedNote.store(kind == 0x90 && d2 > 0 ? d1 : 0, std::memory_order_relaxed);
        return;
    }
    if (r.inAllTracks.load(std::memory_order_relaxed)) {
        allTracksInput(app, c, kind, d1, d2);
    } else if (r.chordEditOpen.load(std::memory_order_relaxed)) {
        chordEditInput(app, kind, d1, d2);
    } else if (r.inTrackMuteMode.load(std::memory_order_relaxed)) {
        trackMuteInput(app, kind, d1, d2);
    } else {
        currentTrackInput(app, kind, d1, d2);
    }
}

void publishInputState(Sequencer& app) {
    RecordState& r = app.rec;
    r.inCurrentTrack.store(app.currentTrack, std::memory_order_relaxed);
    r.inAllTracks.store(app.allTracks, std::memory_order_relaxed);
    r.inLengthTicks.store(app.lengthTicks, std::memory_order_relaxed);
    if (!app.seq) return;
    r.inSequenceExists.store(app.seq->exists != 0, std::memory_order_relaxed);
    for (int t = 1; t <= USER_TRACKS; ++t) {
        const TrackRecord& tr = app.seq->tracks[t];
        uint32_t w = uint32_t(tr.device) | uint32_t(tr.channel & 15) << 8 |
                     (tr.type == TRACK_TYPE_NOTE ? ROUTE_TYPE_NOTE : 0) | (tr.drumPart ? ROUTE_DRUM_PART : 0);
        r.route[t].store(w, std::memory_order_relaxed);
    }
}

void clearHeldKeys(Sequencer& app) {
    for (auto& w : app.rec.heldKeys) w.store(0, std::memory_order_relaxed);
    for (auto& f : app.rec.heldFlag) f.store(0, std::memory_order_relaxed);
    markDirty(app, DIRTY_PADS);
}

int inputMonitorEntries(const Sequencer& app, uint32_t out[32]) {
    const RecordState& r = app.rec;
    uint32_t w = r.inputMonitorWrite.load(std::memory_order_acquire);
    uint32_t count = std::min<uint32_t>(w, INPUT_MONITOR_SIZE);
    for (uint32_t i = 0; i < count; ++i)
        out[i] = r.inputMonitor[(w - count + i) % INPUT_MONITOR_SIZE].load(std::memory_order_relaxed);
    return int(count);
}

}  // namespace qz
