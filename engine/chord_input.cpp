// Chords from single keys: the held chord, Note to Chord on MIDI input, the
// arpeggio table and the step after a chord.
//
// The input thread never edits the sequence and never locates: what it
// records goes through the chord entry points into its rings, and the step
// after a chord entered while stopped goes to the window thread as a
// step-ring entry.
#include "engine/chord_input.h"

#include <algorithm>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"

namespace qz {

const char* const ARPEGGIO_LABELS[ARPEGGIO_ROWS] = {"OFF   ", "1 tick", "2 tick", "3 tick", "4 tick",
                                                     "5 tick", "6 tick", "7 tick", "1/32-3", "1/32  ",
                                                     "1/16-3", "1/16  ", "1/8-3 ", "1/8   "};
const int32_t ARPEGGIO_TICKS[ARPEGGIO_ROWS] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 24, 32, 48};

namespace {

// The grid the cursor lands on after a chord.
constexpr Tick CHORD_STEP_GRID = 48;

RecordMode modeOf(const Sequencer& app) {
    return app.engine.recordMode.load(std::memory_order_relaxed);
}

bool running(const Sequencer& app) {
    return app.engine.playing.load(std::memory_order_acquire);
}

// Where a chord played now is recorded: the corrected record tick while the
// transport runs, the song position while stopped.
Tick recordTickNow(const Sequencer& app) {
    return running(app) ? app.engine.recordTick.load(std::memory_order_relaxed)
                        : app.engine.position.load(std::memory_order_relaxed);
}

void setHeldKey(Sequencer& app, int n, bool on) {
    RecordState& r = app.rec;
    const uint32_t bit = 1u << (n & 31);
    if (on)
        r.heldKeys[n >> 5].fetch_or(bit, std::memory_order_relaxed);
    else
        r.heldKeys[n >> 5].fetch_and(~bit, std::memory_order_relaxed);
    r.heldFlag[n].store(on ? 1 : 0, std::memory_order_relaxed);
}

// The first key after a start with WAIT FOR KEY starts the transport (as a
// plain key does on the input path).
void startIfWaiting(Sequencer& app) {
    EngineState& e = app.engine;
    if (!e.waitingForKey.exchange(false, std::memory_order_acq_rel)) return;
    e.countIn.state.store(0, std::memory_order_relaxed);
    e.recordTick.store(e.position.load(std::memory_order_relaxed), std::memory_order_relaxed);
    // release: the tick that sees the resync sees the cleared wait.
    e.resyncClock.store(true, std::memory_order_release);
    markDirty(app, DIRTY_TRANSPORT);
    notifyEngine(app);
}

// A chord released while STEP mode records moves the cursor: at once on the
// window thread, through the step ring (behind the chord's notes) from the
// input thread.
void stepAfterRelease(Sequencer& app, uint32_t heldTicks) {
    if (calledFromInput())
        ringPush(app.rec.stepRing, SeqEvent{0, 0, ST_CHORD_STEP, 0, 0, heldTicks, 0});
    else
        stepAfterChord(app, heldTicks);
}

// The sustain pedal went up on the current track: a chord it kept goes now.
void sustainReleased(Sequencer& app, int) {
    HeldChord c = releaseHeldChord(app, modeOf(app) != RECORD_OFF);
    if (c.row >= 0 && modeOf(app) == RECORD_STEP)
        stepAfterRelease(app, app.chordIn.lastHeldTicks.load(std::memory_order_relaxed));
}

}  // namespace

uint32_t packChord(const HeldChord& c) {
    if (c.row < 0) return 0;
    return uint32_t(c.row + 1) | uint32_t(c.root & 127) << 8 | uint32_t(c.type & 31) << 16 |
           uint32_t(c.track & 31) << 24;
}

HeldChord unpackChord(uint32_t w) {
    if (w == 0) return HeldChord{};
    return HeldChord{int(w & 0xFF) - 1, int((w >> 8) & 127), int((w >> 16) & 31), int((w >> 24) & 31)};
}

int32_t arpeggioStep(const Sequencer& app) {
    const uint32_t row = settingLoad(app.settings.arpeggio);
    return row < uint32_t(ARPEGGIO_ROWS) ? ARPEGGIO_TICKS[row] : 0;
}

void holdChordRow(Sequencer& app, int track, int row, int velocity, bool record) {
    if (row < 0 || row >= CHORD_ROWS) return;
    const int root = int(settingLoad(app.settings.chordTrigger[row]) & 127);
    const int type = int(settingLoad(app.settings.chordType[row]));
    if (type < 0 || type >= CHORD_TYPES) return;
    Tick at = recordTickNow(app);
    HeldChord before = releaseHeldChord(app, record);
    if (before.row >= 0 && record && modeOf(app) == RECORD_STEP) {
        const uint32_t held = app.chordIn.lastHeldTicks.load(std::memory_order_relaxed);
        // The input thread's step reaches the cursor later: this chord goes
        // where that step lands.
        if (!running(app)) at = chordStepTarget(app, at, held);
        stepAfterRelease(app, held);
    }
    const uint32_t now = app.engine.tickCounter.load(std::memory_order_relaxed);
    app.chordIn.heldSince.store(now, std::memory_order_relaxed);
    app.chordIn.held.store(packChord(HeldChord{row, root, type, track}), std::memory_order_release);
    const int v = std::clamp(recordVelocity(app, velocity), 1, 127);
    const uint32_t duration = uint32_t(recordDuration(app));
    const int strum = arpeggioStep(app);
    liveNoteOn(app, track, root, v, duration, type, strum);
    if (record) recordChordOn(app, at, track, root, v, duration, type, strum);
    markDirty(app, DIRTY_GRID | DIRTY_PADS);
}

HeldChord releaseHeldChord(Sequencer& app, bool record) {
    HeldChord c = unpackChord(app.chordIn.held.exchange(0, std::memory_order_acq_rel));
    if (c.row < 0) return c;
    const uint32_t now = app.engine.tickCounter.load(std::memory_order_relaxed);
    app.chordIn.lastHeldTicks.store(now - app.chordIn.heldSince.load(std::memory_order_relaxed),
                                    std::memory_order_relaxed);
    liveChordOff(app, c.track, c.root, c.type);
    if (record) recordChordOff(app, c.track, c.root, c.type);
    markDirty(app, DIRTY_GRID | DIRTY_PADS);
    return c;
}

bool noteToChordInput(Sequencer& app, int track, bool on, int note, int velocity) {
    int row = -1;
    for (int r = 0; r < CHORD_ROWS && row < 0; ++r)
        if (int(settingLoad(app.settings.chordTrigger[r])) == note) row = r;
    if (row < 0) return false;
    const bool record = modeOf(app) != RECORD_OFF;
    if (on) {
        setHeldKey(app, note, true);
        startIfWaiting(app);
        holdChordRow(app, track, row, velocity, record);
        return true;
    }
    setHeldKey(app, note, false);
    // The pedal keeps the chord until it rises (see sustainReleased).
    if (app.rec.sustainDown[track]) return true;
    const HeldChord held = unpackChord(app.chordIn.held.load(std::memory_order_acquire));
    if (held.row != row) return true;  // another row's key took over meanwhile
    if (releaseHeldChord(app, record).row >= 0 && modeOf(app) == RECORD_STEP)
        stepAfterRelease(app, app.chordIn.lastHeldTicks.load(std::memory_order_relaxed));
    return true;
}

Tick chordStepTarget(const Sequencer& app, Tick from, uint32_t heldTicks) {
    Tick p = from;
    if (settingLoad(app.settings.arpeggio) >= 8) p += app.rec.strumLength.load(std::memory_order_relaxed);
    if (recordDuration(app) == 0) p += Tick(std::min<uint32_t>(heldTicks, MAX_DURATION));
    return (p / CHORD_STEP_GRID + 1) * CHORD_STEP_GRID;
}

void stepAfterChord(Sequencer& app, uint32_t heldTicks) {
    locateTick(app, chordStepTarget(app, app.engine.position.load(std::memory_order_relaxed), heldTicks));
    markDirty(app, DIRTY_GRID | DIRTY_COUNTER);
}

namespace {

// STEP, or no record mode: the panel's entries edit the sequence directly.
bool panelEntersNotes(const Sequencer& app) {
    const RecordMode m = modeOf(app);
    return m == RECORD_OFF || m == RECORD_STEP;
}

// The current track's notes in [position, position + 24).
void eraseAtPosition(Sequencer& app) {
    if (!app.seq || !app.seq->exists) return;
    const Tick p = app.engine.position.load(std::memory_order_relaxed);
    app.selection.fromTick = p;
    app.selection.toTick = p + 24;
    app.selection.lowNote = 0;
    app.selection.highNote = 127;
    eraseSelection(app);
}

}  // namespace

void chordRecButton(Sequencer& app, int row, bool down) {
    if (running(app) || row < 0 || row >= CHORD_ROWS) return;
    const int track = app.currentTrack;
    if (down) {
        const bool enter = panelEntersNotes(app);
        if (enter) {
            if (ensureSequence(app) != 0) return;
            eraseAtPosition(app);
        }
        holdChordRow(app, track, row, 127, enter);
        return;
    }
    const HeldChord c = releaseHeldChord(app, panelEntersNotes(app));
    if (c.row >= 0 && panelEntersNotes(app)) stepAfterChord(app, app.chordIn.lastHeldTicks.load(std::memory_order_relaxed));
}

void chordStepBack(Sequencer& app) {
    const Tick old = app.engine.position.load(std::memory_order_relaxed);
    if (running(app) || old <= 0) return;
    const Tick p = std::max<Tick>(old - CHORD_STEP_GRID, 0);
    Tick q = snapToGrid(app, (p + CHORD_STEP_GRID - 1) / CHORD_STEP_GRID * CHORD_STEP_GRID);
    if (q == old) q = snapToGrid(app, std::max<Tick>(old / CHORD_STEP_GRID * CHORD_STEP_GRID - CHORD_STEP_GRID, 0));
    locateTick(app, q);
    markDirty(app, DIRTY_GRID | DIRTY_COUNTER);
}

void chordStepForward(Sequencer& app) {
    const Tick old = app.engine.position.load(std::memory_order_relaxed);
    if (running(app)) return;
    const Tick p = std::min<Tick>(old + CHORD_STEP_GRID, app.lengthTicks) / CHORD_STEP_GRID * CHORD_STEP_GRID;
    Tick q = snapToGrid(app, p);
    if (q == old) q = snapToGrid(app, ((old + 24) / CHORD_STEP_GRID) * CHORD_STEP_GRID + CHORD_STEP_GRID);
    locateTick(app, q);
    markDirty(app, DIRTY_GRID | DIRTY_COUNTER);
}

void chordDelete(Sequencer& app) {
    if (running(app) || !panelEntersNotes(app)) return;
    eraseAtPosition(app);
}

void chordLearnKey(Sequencer& app, int note, bool first) {
    ChordInputState& c = app.chordIn;
    const int type = c.learnType.load(std::memory_order_acquire);
    if (type < 0 || type >= CHORD_TYPES) return;
    int8_t* slots = app.settings.chordTable[type].intervals;
    if (first) {
        c.learnBase = note;
        c.learnSlot = 0;
        // The chord tables are read by every thread that plays a chord.
        for (int k = 0; k < 5; ++k) std::atomic_ref<int8_t>(slots[k]).store(0, std::memory_order_relaxed);
    } else if (c.learnSlot < 5) {
        std::atomic_ref<int8_t>(slots[c.learnSlot++]).store(int8_t(note - c.learnBase), std::memory_order_relaxed);
    }
    markDirty(app, DIRTY_OVERLAY);
}

void installChordInput(Sequencer& app) {
    app.rec.noteToChordHook = noteToChordInput;
    app.rec.chordEditKeyHook = chordLearnKey;
    app.rec.sustainReleaseHook = sustainReleased;
}

}  // namespace qz
