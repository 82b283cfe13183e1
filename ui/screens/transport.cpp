// The transport and mode buttons: two rows along the bottom of the screen.
// Each button is a handler of its own (one instance of `buttonProc` per
// button) with a fixed rectangle; the panel passes every message to the
// button under the pointer, and paints them all in table order.
//
// Sections: the button table; the state each button shows; the presses;
// the wheel; painting; the handlers and the panel.
#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "engine/engine.h"
#include "engine/recording.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"
#include "ui/screens/transport_panel.h"

namespace qz {

namespace {

// ---- The button table ------------------------------------------------------

constexpr uint8_t ARROW_NONE = 0;
constexpr uint8_t ARROW_LEFT = 1;
constexpr uint8_t ARROW_RIGHT = 2;

struct ButtonDef {
    int32_t x, y, w, h;
    const char* label1;
    const char* label2;  // second line, or null
    uint8_t arrow;
    bool momentary;     // drawn pressed while held
    int32_t litColour;  // face when the button's state is on; 0 = never lit
};

// Labels of a locate button's right half name the pair; the left half has none.
constexpr ButtonDef BUTTONS[TRANSPORT_BUTTON_COUNT] = {
    {185, 559, 130, 25, "TAP TEMPO", nullptr, ARROW_NONE, true, 0},
    {323, 559, 148, 25, "WAIT FOR KEY", nullptr, ARROW_NONE, false, 77},
    {473, 559, 73, 25, "SOLO", nullptr, ARROW_NONE, false, 212},
    {548, 559, 37, 25, nullptr, nullptr, ARROW_LEFT, true, 0},
    {586, 559, 37, 25, "NOTE", nullptr, ARROW_RIGHT, true, 0},
    {623, 559, 37, 25, nullptr, nullptr, ARROW_LEFT, true, 0},
    {661, 559, 37, 25, "TC STEP", nullptr, ARROW_RIGHT, true, 0},
    {698, 559, 37, 25, nullptr, nullptr, ARROW_LEFT, true, 0},
    {736, 559, 37, 25, "BAR", nullptr, ARROW_RIGHT, true, 0},
    {773, 559, 73, 25, "ZOOM", "IN", ARROW_NONE, true, 0},
    {848, 559, 73, 25, "ZOOM", "OUT", ARROW_NONE, true, 0},
    {923, 559, 73, 25, "MOUSE REC", nullptr, ARROW_NONE, false, 77},
    {1008, 559, 180, 25, "TRACK MUTE MODE", nullptr, ARROW_NONE, false, 77},
    {185, 585, 60, 34, "NOTE", "REPEAT", ARROW_NONE, false, 77},
    {255, 585, 60, 34, "NOTE", "ERASE", ARROW_NONE, false, 77},
    {323, 585, 73, 34, "MIDI IN", "REC", ARROW_NONE, false, 35},
    {398, 585, 73, 34, "MIDI IN", "OVER DUB", ARROW_NONE, false, 35},
    {473, 585, 73, 34, "MIDI IN", "STEP", ARROW_NONE, false, 35},
    {548, 585, 73, 34, "STOP", nullptr, ARROW_NONE, true, 0},
    {623, 585, 73, 34, "PLAY", nullptr, ARROW_NONE, true, 0},
    {698, 585, 73, 34, "START", nullptr, ARROW_NONE, true, 0},
    {773, 585, 73, 34, "LOOP", nullptr, ARROW_NONE, true, 214},
    {848, 585, 73, 34, "UNDO", nullptr, ARROW_NONE, false, 225},
    {923, 585, 73, 34, "STEP", "EDIT", ARROW_NONE, false, 77},
    {1008, 585, 44, 34, "MUTE", "ALL", ARROW_NONE, true, 0},
    {1053, 585, 44, 34, "MUTE", "CLR", ARROW_NONE, true, 0},
    {1098, 585, 44, 34, "SOLO", nullptr, ARROW_NONE, false, 77},
    {1143, 585, 44, 34, "MUTE", nullptr, ARROW_NONE, false, 77},
    {1190, 585, 73, 35, "PANIC", nullptr, ARROW_NONE, true, 0},
};

bool isLocateButton(uint32_t id) { return id >= TRANSPORT_PREV_NOTE && id <= TRANSPORT_BAR_FORWARD; }

// ---- State ---------------------------------------------------------------------

EngineState& eng(AppState& app) { return app.engine; }
bool playing(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }
RecordMode recordMode(const AppState& app) { return app.engine.recordMode.load(std::memory_order_relaxed); }
// REC or OVER DUB is on (it is on only while the transport runs or waits for a key).
bool recordingRuns(const AppState& app) {
    const RecordMode m = recordMode(app);
    return m == RECORD_REC || m == RECORD_OVER_DUB;
}
bool loopOn(const AppState& app) { return app.engine.loopOn.load(std::memory_order_relaxed); }
// The pads' LOOP EDIT view and track mute mode's SOLO sub-mode live with
// the input side, which reads them on its own thread.
bool loopEdit(const AppState& app) { return app.rec.loopEdit.load(std::memory_order_relaxed); }
void setLoopEdit(AppState& app, bool on) { app.rec.loopEdit.store(on, std::memory_order_relaxed); }
bool trackMuteSolo(const AppState& app) { return app.rec.trackMuteSolo.load(std::memory_order_relaxed); }
void setTrackMuteSolo(AppState& app, bool on) { app.rec.trackMuteSolo.store(on, std::memory_order_relaxed); }

// Is the button's press refused now (it then shows the no-entry pointer)?
bool refused(const AppState& app, uint32_t id) {
    switch (id) {
        case TRANSPORT_MOUSE_REC: return app.allTracks;
        case TRANSPORT_TRACK_MUTE_MODE: return recordingRuns(app);
        case TRANSPORT_LOOP: return loopEdit(app) || (app.allTracks && recordingRuns(app));
        case TRANSPORT_UNDO: return playing(app);
        default: return false;
    }
}

// Does the button show its lit colour?
bool lit(const AppState& app, uint32_t id) {
    const UiState& ui = *app.ui;
    switch (id) {
        case TRANSPORT_WAIT_FOR_KEY: return app.engine.waitForKey.load(std::memory_order_relaxed);
        case TRANSPORT_SOLO: return app.engine.soloMode.load(std::memory_order_relaxed) != 0;
        case TRANSPORT_MOUSE_REC: return ui.mouseRec;
        case TRANSPORT_TRACK_MUTE_MODE: return ui.trackMuteMode;
        case TRANSPORT_NOTE_REPEAT: return app.rec.noteRepeatOn.load(std::memory_order_relaxed);
        case TRANSPORT_NOTE_ERASE: return app.rec.noteEraseHeld.load(std::memory_order_relaxed);
        case TRANSPORT_REC: return recordMode(app) == RECORD_REC;
        case TRANSPORT_OVER_DUB: return recordMode(app) == RECORD_OVER_DUB;
        case TRANSPORT_STEP: return recordMode(app) == RECORD_STEP;
        case TRANSPORT_LOOP: return loopOn(app);
        case TRANSPORT_UNDO: return app.undoCopy != nullptr;
        case TRANSPORT_STEP_EDIT: return ui.stepEditView;
        case TRANSPORT_SUB_SOLO: return ui.trackMuteMode && trackMuteSolo(app);
        case TRANSPORT_SUB_MUTE: return ui.trackMuteMode && !trackMuteSolo(app);
        default: return false;
    }
}

// Bars the event views show: one in LOOP EDIT, else 2^zoomLevel.
int32_t visibleBars(const AppState& app) {
    if (loopEdit(app)) return 1;
    return 1 << std::min<uint32_t>(app.settings.zoomLevel, 4);
}

// Move the event views one bar to the right, as far as the sequence allows.
void scrollViewOneBar(AppState& app) {
    const int32_t last = std::max(0, int32_t(seqBarsLoad(app)) - visibleBars(app));
    app.firstBar = std::min(app.firstBar + 1, last);
}

// ---- Presses ---------------------------------------------------------------------

// Every record mode off. Notes entered in STEP mode may still be open: they
// are closed now, as every other way out of STEP mode does, instead of
// getting whatever length the next stop gives them.
void recordModesOff(AppState& app) {
    if (recordMode(app) == RECORD_STEP) closeOpenNotes(app);
    app.engine.recordMode.store(RECORD_OFF, std::memory_order_relaxed);
}

// A tap 301..999 ms after the previous one sets the tempo to that beat.
void tapTempo(AppState& app) {
    UiState& ui = *app.ui;
    const uint32_t now = app.engine.msClock.load(std::memory_order_relaxed);
    if (ui.tapArmed) {
        const uint32_t d = now - ui.lastTap;
        if (d >= 301 && d < 1000) {
            {
                EngineLockGuard lock(app.engineLock);
                app.seq->tempoX10 = int32_t(600000 / d);
            }
            retempoAtPosition(app);
            app.seq->modified = 1;
            markDirty(app, DIRTY_TEMPO | DIRTY_SEQ_ROW);
        }
    }
    ui.lastTap = now;
    ui.tapArmed = true;
}

// Ticks of one cursor step: the timing-correct grid, 1 when it is off.
int32_t cursorStep(const AppState& app) { return timingCorrectStep(settingLoad(app.settings.tcIndex)); }

void stepBack(AppState& app) {
    const int32_t old = app.engine.cursor;
    if (playing(app) || old <= 0) return;
    const int32_t s = cursorStep(app);
    const int32_t p = std::max(0, old - s);
    int32_t c = snapToGrid(app, (p + s - 1) / s * s);
    if (c == old) c = snapToGrid(app, std::max(0, old / s * s - s));
    locateTick(app, c);
}

void stepForward(AppState& app) {
    const int32_t old = app.engine.cursor;
    if (playing(app)) return;
    const int32_t s = cursorStep(app);
    int32_t c = snapToGrid(app, std::min(old + s, app.lengthTicks) / s * s);
    if (c == old) c = snapToGrid(app, ((old + s / 2) / s + 1) * s);
    locateTick(app, c);
}

void barBack(AppState& app) {
    EngineState& e = eng(app);
    if (loopOn(app)) {
        if (e.loopStartBar > 0) {
            --e.loopStartBar;
            locateBar(app, e.loopStartBar);
            computeLoopPoints(app);
        }
    } else if (!playing(app)) {
        // Within the first beat of a bar the press goes one bar further back,
        // so that repeated presses keep moving.
        int32_t b = e.cursor / TICKS_PER_BAR;
        if (e.cursor - b * TICKS_PER_BAR < TICKS_PER_QUARTER) --b;
        locateBar(app, std::max(0, b));
    } else if (e.bar > 0) {
        locateBar(app, e.bar - 1);
    }
}

void barForward(AppState& app) {
    EngineState& e = eng(app);
    const int32_t bars = int32_t(seqBarsLoad(app));
    if (loopOn(app)) {
        if (e.loopStartBar + e.loopBars < bars) {
            if (e.loopStartBar + e.loopBars >= app.firstBar + visibleBars(app)) scrollViewOneBar(app);
            ++e.loopStartBar;
            locateBar(app, e.loopStartBar);
            computeLoopPoints(app);
        }
        return;
    }
    const int32_t next = e.bar + 1;
    locateBar(app, next);
    if (next == app.firstBar + visibleBars(app)) scrollViewOneBar(app);
}

void zoomIn(AppState& app) {
    setLoopEdit(app, false);
    if (app.settings.zoomLevel > 0) --app.settings.zoomLevel;
    if (app.engine.loopBars > 1) app.engine.loopOn.store(false, std::memory_order_relaxed);
}

void zoomOut(AppState& app) {
    if (loopEdit(app)) {
        setLoopEdit(app, false);
        app.settings.zoomLevel = 1;
    } else if (app.settings.zoomLevel < 4) {
        ++app.settings.zoomLevel;
    }
}

// Track mute mode on or off; the input thread routes the pads by it.
void setTrackMuteMode(AppState& app, bool on) {
    app.ui->trackMuteMode = on;
    app.rec.inTrackMuteMode.store(on, std::memory_order_relaxed);
}

void toggleTrackMuteMode(AppState& app) {
    UiState& ui = *app.ui;
    if (refused(app, TRANSPORT_TRACK_MUTE_MODE)) return;
    setTrackMuteMode(app, !ui.trackMuteMode);
    if (ui.trackMuteMode) {
        ui.savedAllTracks = app.allTracks;
        recordModesOff(app);
        app.allTracks = false;
        ui.stepEditView = false;
        setTrackMuteSolo(app, false);
        app.engine.soloMode.store(0, std::memory_order_relaxed);
        setLoopEdit(app, false);
    } else {
        app.allTracks = ui.savedAllTracks;
    }
    markDirty(app, DIRTY_ALL);
}

// Every held key gets its note-off on the current track's port and channel,
// and the held keys are forgotten, so that nothing keeps sounding when
// solo takes the other tracks away.
void releaseHeldKeys(AppState& app) {
    const TrackRecord& tr = curTrackRec(app);
    for (int n = 0; n < 128; ++n)
        if (keyHeld(app, n)) queueTrackMessage(app, tr.device, tr.channel, 0x90, uint8_t(n), 0);
    clearHeldKeys(app);
}

// REC and OVER DUB.
void recordButton(AppState& app, RecordMode m) {
    EngineState& e = eng(app);
    if (ensureSequence(app) != 0) return;
    if (m == 1 && recordMode(app) == RECORD_OVER_DUB) return;
    if (app.allTracks) e.loopOn.store(false, std::memory_order_relaxed);
    setTrackMuteMode(app, false);
    // The ALL TRACKS open-note table is emptied by the start below; while the
    // transport runs it still points at notes held in the recording, which
    // would otherwise never be closed.
    if (recordMode(app) != m) {
        if (recordMode(app) == RECORD_STEP) closeOpenNotes(app);
        if (app.allTracks) settingStore(app.settings.seqLoop, 0);
        e.recordMode.store(m, std::memory_order_relaxed);
        e.recorded.store(true, std::memory_order_relaxed);
        if (!playing(app)) {
            locateBar(app, loopOn(app) ? e.loopStartBar : e.bar);
            startWithCountIn(app);
        }
        app.clipboard.mode = CLIP_NONE;
    } else {
        e.recordMode.store(RECORD_OFF, std::memory_order_relaxed);
        // A start still waiting for the first key is called off.
        if (playing(app) && e.waitingForKey.load(std::memory_order_relaxed)) stopTransport(app);
    }
    markDirty(app, DIRTY_ALL);
}

void stepRecordButton(AppState& app) {
    EngineState& e = eng(app);
    if (ensureSequence(app) != 0) return;
    setTrackMuteMode(app, false);
    if (recordMode(app) == RECORD_STEP) {
        e.recordMode.store(RECORD_OFF, std::memory_order_relaxed);
        closeOpenNotes(app);
    } else if (!playing(app)) {
        e.recordMode.store(RECORD_STEP, std::memory_order_relaxed);
    }
}

// The common start of PLAY and START: open notes closed, STEP mode ended.
void endStepMode(AppState& app) {
    closeOpenNotes(app);
    RecordMode step = RECORD_STEP;
    app.engine.recordMode.compare_exchange_strong(step, RECORD_OFF, std::memory_order_relaxed);
}

void stopButton(AppState& app) {
    postEngineCommand(app, CMD_CLOCK_STOP);
    engineWait(app, 2);
    stopTransport(app);
    closeOpenNotes(app);
    if (loopEdit(app)) locateBar(app, app.engine.loopStartBar);
}

void playButton(AppState& app) {
    EngineState& e = eng(app);
    if (ensureSequence(app) != 0) return;
    // PLAY must not cut into a recording.
    if (recordingRuns(app)) return;
    endStepMode(app);
    if (playing(app)) stopTransport(app);
    if (loopOn(app))
        locateBar(app, e.loopStartBar);
    else
        locateTick(app, e.cursor);
    sendSongPosition(app);
    postEngineCommand(app, CMD_CLOCK_CONTINUE);
    engineWait(app, 2);
    if (settingLoad(app.settings.recCountIn) == 0 && settingLoad(app.settings.playCountIn) == 0)
        run(app);
    else
        startWithCountIn(app);
}

void startButton(AppState& app) {
    EngineState& e = eng(app);
    if (ensureSequence(app) != 0) return;
    endStepMode(app);
    if (!loopEdit(app) && !loopOn(app)) {
        postEngineCommand(app, CMD_CLOCK_START);
        engineWait(app, 2);
        startFromTop(app);
        return;
    }
    // The bar loop plays from its first bar at once, without a count-in.
    postEngineCommand(app, CMD_CLOCK_STOP);
    stopTransport(app);
    engineWait(app, 2);
    locateBar(app, e.loopStartBar);
    sendSongPosition(app);
    postEngineCommand(app, CMD_CLOCK_CONTINUE);
    engineWait(app, 2);
    run(app);
}

void loopButton(AppState& app) {
    EngineState& e = eng(app);
    if (ensureSequence(app) != 0 || refused(app, TRANSPORT_LOOP)) return;
    if (loopOn(app)) {
        e.loopOn.store(false, std::memory_order_relaxed);
        return;
    }
    e.loopStartBar = e.bar;
    e.loopBars = 1;
    e.loopOn.store(true, std::memory_order_relaxed);
    computeLoopPoints(app);
    const int32_t start = e.loopStartBar * TICKS_PER_BAR;
    if (e.cursor < start || e.cursor >= start + e.loopBars * TICKS_PER_BAR) locateBar(app, e.loopStartBar);
}

void undoButton(AppState& app) {
    EngineState& e = eng(app);
    if (!playing(app)) {
        undo(app);
        markDirty(app, DIRTY_ALL);
    }
    if (loopEdit(app)) {
        e.loopStartBar = e.bar;
        e.loopOn.store(true, std::memory_order_relaxed);
        computeLoopPoints(app);
    }
}

void stepEditButton(AppState& app) {
    UiState& ui = *app.ui;
    ui.stepEditView = !ui.stepEditView;
    if (ui.stepEditView) {
        ui.stepTrack = app.currentTrack;
        setTrackMuteMode(app, false);
    }
    markDirty(app, DIRTY_ALL);
}

void muteAll(AppState& app, bool mute) {
    for (int t = 1; t <= USER_TRACKS; ++t) trackByteStore(app.seq->tracks[t].mute, mute ? 1 : 0);
    markDirty(app, DIRTY_MIXER | DIRTY_TRACK_ROW);
}

// What a press (mouse down, or a mapped MIDI message) does.
void press(AppState& app, uint32_t id) {
    EngineState& e = eng(app);
    UiState& ui = *app.ui;
    const int32_t skip = app.settings.zoomLevel >= 1 ? 7 : 1;
    switch (id) {
        case TRANSPORT_TAP_TEMPO: tapTempo(app); break;
        case TRANSPORT_WAIT_FOR_KEY:
            e.waitForKey.store(!e.waitForKey.load(std::memory_order_relaxed), std::memory_order_relaxed);
            e.waitingForKey.store(false, std::memory_order_relaxed);
            recordModesOff(app);
            break;
        case TRANSPORT_SOLO:
            if (ensureSequence(app) != 0) break;
            e.soloMode.store(e.soloMode.load(std::memory_order_relaxed) ? 0 : 1, std::memory_order_relaxed);
            trackByteStore(curTrackRec(app).mute, 0);
            markDirty(app, DIRTY_MIXER);
            break;
        case TRANSPORT_PREV_NOTE:
            if (!playing(app)) locatePreviousNote(app, skip);
            break;
        case TRANSPORT_NEXT_NOTE:
            if (!playing(app)) locateNextNote(app, skip);
            break;
        case TRANSPORT_STEP_BACK: stepBack(app); break;
        case TRANSPORT_STEP_FORWARD: stepForward(app); break;
        case TRANSPORT_BAR_BACK: barBack(app); break;
        case TRANSPORT_BAR_FORWARD: barForward(app); break;
        case TRANSPORT_ZOOM_IN: zoomIn(app); break;
        case TRANSPORT_ZOOM_OUT: zoomOut(app); break;
        case TRANSPORT_MOUSE_REC:
            if (app.allTracks || ensureSequence(app) != 0) break;
            ui.mouseRec = !ui.mouseRec;
            break;
        case TRANSPORT_TRACK_MUTE_MODE: toggleTrackMuteMode(app); break;
        case TRANSPORT_NOTE_REPEAT: pressNoteRepeat(app, true); break;
        case TRANSPORT_NOTE_ERASE: pressNoteErase(app, true); break;
        case TRANSPORT_REC: recordButton(app, RECORD_REC); break;
        case TRANSPORT_OVER_DUB: recordButton(app, RECORD_OVER_DUB); break;
        case TRANSPORT_STEP: stepRecordButton(app); break;
        case TRANSPORT_STOP: stopButton(app); break;
        case TRANSPORT_PLAY: playButton(app); break;
        case TRANSPORT_START: startButton(app); break;
        case TRANSPORT_LOOP: loopButton(app); break;
        case TRANSPORT_UNDO: undoButton(app); break;
        case TRANSPORT_STEP_EDIT: stepEditButton(app); break;
        case TRANSPORT_MUTE_ALL: muteAll(app, true); break;
        case TRANSPORT_MUTE_CLR: muteAll(app, false); break;
        case TRANSPORT_SUB_SOLO:
            setTrackMuteSolo(app, true);
            releaseHeldKeys(app);
            break;
        case TRANSPORT_SUB_MUTE:
            setTrackMuteSolo(app, false);
            e.soloMode.store(0, std::memory_order_relaxed);
            break;
        case TRANSPORT_PANIC: allNotesOffEverywhere(app); break;
        default: break;
    }
}

void release(AppState& app, uint32_t id) {
    if (id == TRANSPORT_NOTE_REPEAT) pressNoteRepeat(app, false);
    if (id == TRANSPORT_NOTE_ERASE) pressNoteErase(app, false);
}

// ---- Wheel -----------------------------------------------------------------------

// Locate by whole bars: the bar under the position plus the step, 0..998.
void wheelBars(AppState& app, int32_t step) {
    locateBar(app, std::clamp(app.engine.bar + step, 0, MAX_BARS - 1));
}

void wheelZoom(AppState& app, int32_t step) {
    if (loopEdit(app)) return;
    int32_t z = int32_t(app.settings.zoomLevel);
    const int32_t before = z;
    stepValue(z, 0, 4, step);
    app.settings.zoomLevel = uint32_t(z);
    if (z < before && app.engine.loopBars != 1) app.engine.loopOn.store(false, std::memory_order_relaxed);
}

// A wheel step on a button; false when the button takes no wheel.
bool wheel(AppState& app, uint32_t id, int32_t step) {
    const bool forward = step > 0;
    switch (id) {
        case TRANSPORT_PREV_NOTE:
        case TRANSPORT_NEXT_NOTE:
            press(app, forward ? TRANSPORT_NEXT_NOTE : TRANSPORT_PREV_NOTE);
            return true;
        case TRANSPORT_STEP_BACK:
        case TRANSPORT_STEP_FORWARD:
            forward ? stepForward(app) : stepBack(app);
            return true;
        case TRANSPORT_BAR_BACK:
        case TRANSPORT_BAR_FORWARD:
        case TRANSPORT_START: wheelBars(app, step); return true;
        case TRANSPORT_PLAY:
            if (!playing(app)) wheelBars(app, forward ? 1 : -1);
            return true;
        case TRANSPORT_ZOOM_IN:
        case TRANSPORT_ZOOM_OUT: wheelZoom(app, step); return true;
        default: return false;
    }
}

// ---- Painting --------------------------------------------------------------------

// Black text on a light face, white on a dark one.
int32_t textColourOn(int32_t face) {
    const uint32_t rgb = paletteColour(face);
    const uint32_t sum = ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF);
    return sum >= 0x180 ? COL_BLACK : COL_WHITE;
}

// The first of the fonts (largest first) in which every text fits the width;
// the small interface font when none does. Selects it and returns its height.
int32_t fitFont(DrawContext& dc, std::initializer_list<int32_t> fonts, int32_t width, const char* a,
                const char* b = nullptr) {
    for (int32_t f : fonts) {
        selectFont(dc, f);
        if (textWidth(dc, a) <= width && (!b || textWidth(dc, b) <= width)) return FONT_TABLE[size_t(f)].height;
    }
    selectFont(dc, FONT_GUI);
    return FONT_TABLE[FONT_GUI].height;
}

void centredText(DrawContext& dc, int32_t x, int32_t w, int32_t y, const char* text, int32_t c) {
    drawText(dc, x + std::max(0, (w - textWidth(dc, text)) / 2), y, text, c);
}

void paintButton(AppState& app, uint32_t id) {
    DrawContext& dc = app.ui->draw;
    const ButtonDef& b = BUTTONS[id];
    const bool held = (app.ui->transportHeld & (1u << id)) != 0;
    const bool on = b.litColour != 0 && lit(app, id);
    const int32_t face = on ? b.litColour : COL_BUTTON_OFF;
    int32_t ink = textColourOn(face);
    if (id == TRANSPORT_NOTE_ERASE) app.ui->noteEraseShown = noteEraseAvailable(app);
    if (id == TRANSPORT_NOTE_ERASE && !app.ui->noteEraseShown) {
        // Flat: no bevel, greyed label.
        frameRectCut(dc, b.x, b.y, b.w, b.h, COL_BEVEL_DARK);
        fillRect(dc, b.x + 1, b.y + 1, b.w - 2, b.h - 2, COL_BUTTON_OFF);
        ink = COL_BEVEL_LIGHT;
    } else {
        bevelButton(dc, b.momentary && held, b.x, b.y, b.w, b.h, face, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    }
    const int32_t shift = b.momentary && held ? 1 : 0;  // the face moves with the bevel
    const int32_t x = b.x + shift, y = b.y + shift;
    const int32_t arrowY = y + (b.h - 11) / 2;
    if (b.arrow == ARROW_LEFT) drawGlyph(dc, x + 5, arrowY, GLYPH_LEFT_11, ink);
    if (b.arrow == ARROW_RIGHT) drawGlyph(dc, x + b.w - 12, arrowY, GLYPH_RIGHT_11, ink);
    if (!b.label1) return;
    const int32_t room = b.w - 4;
    if (b.arrow == ARROW_RIGHT) {
        // The word of a locate pair sits across both halves, between the arrows.
        const ButtonDef& left = BUTTONS[id - 1];
        const int32_t between = b.x + b.w - 13 - (left.x + 13);
        const int32_t h = fitFont(dc, {FONT_ARIAL_14}, between, b.label1);
        centredText(dc, left.x + 13, between, b.y + (b.h - h) / 2, b.label1, ink);
    } else if (b.h < 30) {
        // Upper row: one line.
        char line[24] = {};
        const char* text = b.label1;
        if (b.label2) {
            std::snprintf(line, sizeof line, "%s %s", b.label1, b.label2);
            text = line;
        }
        const int32_t h = fitFont(dc, {FONT_ARIAL_16, FONT_ARIAL_14}, room, text);
        centredText(dc, x, b.w, y + (b.h - h) / 2, text, ink);
    } else if (b.label2) {
        fitFont(dc, {FONT_ARIAL_14}, room, b.label1, b.label2);
        centredText(dc, x, b.w, y + 3, b.label1, ink);
        centredText(dc, x, b.w, y + 17, b.label2, ink);
    } else {
        const int32_t h = fitFont(dc, {FONT_ARIAL_18, FONT_ARIAL_16, FONT_ARIAL_14}, room, b.label1);
        centredText(dc, x, b.w, y + (b.h - h) / 2, b.label1, ink);
    }
}

// The hovered button's outline in the hover colour.
void paintHover(AppState& app, uint32_t id) {
    const ButtonDef& b = BUTTONS[id];
    frameRectCut(app.ui->draw, b.x, b.y, b.w, b.h, COL_HOVER);
}

// ---- Handlers and the panel ----------------------------------------------------------

// One button's answer to a message: 0 when it acted, else the code.
uint32_t buttonMessage(AppState& app, uint32_t id, uint32_t msg, uint32_t arg) {
    UiState& ui = *app.ui;
    switch (msg) {
        case PM_LDOWN:
            if (BUTTONS[id].momentary) ui.transportHeld |= 1u << id;
            press(app, id);
            return 0;
        case PM_LUP:
            if (BUTTONS[id].momentary) ui.transportHeld &= ~(1u << id);
            release(app, id);
            return 0;
        case PM_REPEAT:
            if (!isLocateButton(id)) return msg;
            press(app, id);
            return 0;
        case PM_WHEEL: return wheel(app, id, int32_t(arg)) ? 0 : msg;
        case PM_CURSOR:
            if (!refused(app, id)) return msg;
            setCursorShape(app, CURSOR_NO_ENTRY);
            return 0;
        case PM_PAINT: paintButton(app, id); return 0;
        case PM_HILITE: paintHover(app, id); return 0;
        case PM_LEAVE:
        case PM_REFRESH: markDirty(app, DIRTY_TRANSPORT); return 0;
        default: return msg;
    }
}

template <uint32_t ID>
uint32_t buttonProc(AppState& app, uint32_t msg, uint32_t arg) {
    return buttonMessage(app, ID, msg, arg);
}

template <size_t... I>
constexpr std::array<PanelProc, sizeof...(I)> makeProcs(std::index_sequence<I...>) {
    return {&buttonProc<uint32_t(I)>...};
}
constexpr auto BUTTON_PROCS = makeProcs(std::make_index_sequence<TRANSPORT_BUTTON_COUNT>());

uint32_t transportPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE: {
            if (!inPanelArea(app, PANEL_TRANSPORT)) return msg;
            // PANIC has no place on the screen: only a mapped message presses it.
            for (uint32_t id = 0; id < TRANSPORT_PANIC; ++id) {
                const ButtonDef& b = BUTTONS[id];
                hitTest(app, BUTTON_PROCS[id], 0, 0, b.x, b.y, b.w, b.h);
            }
            return 0;
        }
        case PM_PAINT:
            for (uint32_t id = 0; id < TRANSPORT_PANIC; ++id) BUTTON_PROCS[id](app, PM_PAINT, arg);
            return 0;
        default: break;
    }
    const HoverHandler h = app.ui->hoverHandler;
    if (!h.proc) return msg;
    const uint32_t answer = h.proc(app, msg, arg);
    // A pointer-shape query changes nothing on the screen.
    if (answer == 0 && msg != PM_CURSOR) {
        h.proc(app, PM_REFRESH, 0);
        markDirty(app, DIRTY_GRID | DIRTY_GRID_STEP | DIRTY_PADS | DIRTY_TRANSPORT);
    }
    return answer;
}

}  // namespace

void pressTransportButton(AppState& app, TransportButton button, bool down) {
    if (button >= TRANSPORT_BUTTON_COUNT) return;
    BUTTON_PROCS[button](app, down ? PM_LDOWN : PM_LUP, 0);
    markDirty(app, DIRTY_ALL);
}

bool pressMappedTransportButton(AppState& app, int number, bool down) {
    // MIDI-to-button numbers 1..30; 0 marks the buttons of other panels.
    constexpr int NONE = -1;
    constexpr int MAP[31] = {NONE,
                             TRANSPORT_NOTE_REPEAT, TRANSPORT_NOTE_ERASE, TRANSPORT_WAIT_FOR_KEY,
                             TRANSPORT_REC, TRANSPORT_OVER_DUB, TRANSPORT_STEP,
                             TRANSPORT_STOP, TRANSPORT_PLAY, TRANSPORT_START,
                             TRANSPORT_LOOP, TRANSPORT_TRACK_MUTE_MODE, TRANSPORT_MUTE_ALL,
                             TRANSPORT_MUTE_CLR, TRANSPORT_SUB_MUTE, TRANSPORT_SUB_SOLO,
                             TRANSPORT_PANIC, TRANSPORT_SOLO, TRANSPORT_PREV_NOTE,
                             TRANSPORT_NEXT_NOTE, TRANSPORT_STEP_BACK, TRANSPORT_STEP_FORWARD,
                             TRANSPORT_BAR_BACK, TRANSPORT_BAR_FORWARD, NONE,
                             NONE, TRANSPORT_ZOOM_IN, TRANSPORT_ZOOM_OUT,
                             NONE, TRANSPORT_TAP_TEMPO, TRANSPORT_UNDO};
    if (number < 1 || number > 30 || MAP[number] == NONE) return false;
    pressTransportButton(app, TransportButton(MAP[number]), down);
    return true;
}

namespace {

// Every UI frame: the keys played while NOTE ERASE is held are erased,
// NOTE ERASE is redrawn when the position moves into or out of the loop, and
// the wait-for-key notice goes once the wait has ended.
void transportFrameWork(AppState& app) {
    noteEraseFrame(app);
    if (noteEraseAvailable(app) != app.ui->noteEraseShown) markDirty(app, DIRTY_TRANSPORT);
    // The key that ended a wait came on the input thread: the notice goes.
    if (screens(app).waitNoticeShown && !app.engine.waitingForKey.load(std::memory_order_relaxed))
        markDirty(app, DIRTY_ALL);
}

}  // namespace

void installTransportPanel(AppState& app) {
    PanelRecord r;
    r.proc = transportPanel;
    r.paintBits[0] = DIRTY_TRANSPORT;
    r.frameWork = transportFrameWork;
    r.areas[0] = {1, 1244, 560, 629};
    r.areaCount = 1;
    registerPanel(app, PANEL_TRANSPORT, r);
}

}  // namespace qz
