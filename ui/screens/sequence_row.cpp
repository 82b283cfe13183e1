// The strip across the top: tempo, the tempo the clock runs at, the current
// sequence with its list button, the bar count, the sequence Loop switch and
// the MIDI clock output; and the sequence menu it shares with the list.
#include <algorithm>
#include <cstdio>

#include "engine/engine.h"
#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"
#include "ui/screens/menus.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"
#include "ui/screens/sequence_panels.h"

namespace qz {

namespace {

constexpr int32_t ROW_BACKGROUND = 79;
constexpr int32_t TEMPO_DIFFERS = 210;

constexpr int32_t TEMPO_X = 361, TEMPO_Y = 28, TEMPO_W = 55, TEMPO_H = 25;
constexpr int32_t NOW_X = 415, NOW_Y = 31, NOW_W = 40, NOW_H = 20;
constexpr int32_t SEQ_X = 496, SEQ_Y = 28, SEQ_W = 300, SEQ_H = 25;
constexpr int32_t LIST_X = 798, LIST_Y = 30, LIST_W = 18, LIST_H = 21;
constexpr int32_t BARS_X = 866, BARS_Y = 28, BARS_W = 40, BARS_H = 25;
constexpr int32_t LOOP_X = 956, LOOP_Y = 30, LOOP_W = 40, LOOP_H = 22;
constexpr int32_t CLOCK_X = 1126, CLOCK_Y = 33, CLOCK_W = 40, CLOCK_H = 19;

bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }
RecordMode recordMode(const AppState& app) { return app.engine.recordMode.load(std::memory_order_relaxed); }
bool realSequence(const AppState& app) { return app.seq && app.seq->exists; }
// The Loop label and switch hide while ALL TRACKS records.
bool loopShown(const AppState& app) { return !(app.allTracks && recordMode(app) != RECORD_OFF); }
// While the clock follows MIDI input the tempo field says so.
bool followingMidiClock(const AppState& app) {
    return app.engine.extClockAlive.load(std::memory_order_relaxed) > 0;
}

// An overlay opened by a click covers the element still registered under
// the pointer until the pointer moves: no highlight then.
bool underOverlay(const AppState& app) {
    return app.ui->overlayMode != OVERLAY_NONE;
}

// ---- Notices --------------------------------------------------------------------------

// "Copy NN to MM" for 1000 ms.
void showCopyNotice(AppState& app, int fromSlot, int toSlot) {
    DrawContext& dc = app.ui->draw;
    const int32_t font = dc.font;
    frameRect(dc, 550, 42, 150, 40, COL_NOTE_ROW);
    frameRect(dc, 551, 43, 148, 38, COL_NOTE_ROW);
    frameRect(dc, 552, 44, 146, 36, COL_NOTE_ROW);
    fillRect(dc, 553, 45, 144, 34, COL_WHITE);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 575, 52, "Copy        to   ", COL_BLACK);
    drawNumberZero(dc, 620, 52, fromSlot, 99, COL_BLACK);
    drawNumberZero(dc, 660, 52, toSlot, 99, COL_BLACK);
    selectFont(dc, font);
    holdNotice(app, 1000);
}

// The name-exists banner at (x, y); the caller decides how long it stays.
void showNameExists(AppState& app, int32_t x, int32_t y, const char* name) {
    DrawContext& dc = app.ui->draw;
    const int32_t font = dc.font;
    fillRect(dc, x, y - 18, 300, 18, 212);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, x + 5, y - 16, "Sequnce Mame Exist!!", COL_WHITE);
    drawNoticeBox(dc, x, y, 212, 211);
    selectFont(dc, FONT_ARIAL_22_8);
    drawTextN(dc, x + 25, y + 5, name, 16, COL_BLACK);
    selectFont(dc, font);
    holdNotice(app, 0);
}

// ---- Tempo ------------------------------------------------------------------------

// Store a tempo in tenths in the current sequence; a real sequence's running
// clock takes it at once and the sequence counts as changed.
void applyTempo(AppState& app, int32_t x10) {
    Sequence* s = app.seq;
    {
        // The tick reads the sequence tempo when it wraps to the start.
        EngineLockGuard lock(app.engineLock);
        s->tempoX10 = x10;
    }
    if (s->exists) {
        s->modified = 1;
        retempoAtPosition(app);
    }
    markDirty(app, DIRTY_SEQ_ROW | DIRTY_TEMPO);
}

void drawTempoField(AppState& app, bool hovered) {
    DrawContext& dc = app.ui->draw;
    drawField(dc, hovered, TEMPO_X, TEMPO_Y, TEMPO_W, TEMPO_H);
    if (followingMidiClock(app)) {
        selectFont(dc, FONT_ARIAL_22_8);
        drawText(dc, TEMPO_X + 7, TEMPO_Y + 1, "MIDI", COL_BLACK);
        return;
    }
    const bool typing = hovered && app.ui->numEntryActive;
    drawTempoMedium(dc, TEMPO_X + 6, TEMPO_Y + 1, typing ? app.ui->numEntryValue : sequenceTempoX10(app.seq),
                    COL_BLACK);
}

uint32_t tempoField(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_WHEEL: {
            // The pointer's place in the box chooses tens, units or tenths.
            const int32_t dx = app.ui->mouseX - TEMPO_X;
            const int32_t step = dx < 19 ? 100 : dx < 34 ? 10 : 1;
            int32_t v = sequenceTempoX10(app.seq);
            stepValue(v, TEMPO_X10_MIN, TEMPO_X10_MAX, static_cast<int32_t>(arg) * step);
            if (v != app.seq->tempoX10) applyTempo(app, v);
            return 0;
        }
        case PM_KEY: {
            int32_t v = sequenceTempoX10(app.seq);
            if (numericKey(app, v, arg, 9999, TEMPO_X10_MIN, TEMPO_X10_MAX)) applyTempo(app, v);
            return 0;
        }
        case PM_HILITE: return underOverlay(app) ? 0 : (drawTempoField(app, true), 0);
        case PM_LEAVE:
            // Typed digits belong to the field they were typed on.
            app.ui->numEntryActive = 0;
            app.ui->numEntryValue = 0;
            markDirty(app, DIRTY_SEQ_ROW);
            return 0;
        default: return msg;
    }
}

// The tempo the clock runs at now, marked when a tempo event or a tap made
// it differ from the sequence's.
void drawCurrentTempo(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const int32_t us = app.engine.usPerQuarter.load(std::memory_order_relaxed);
    const int32_t x10 = us > 0 ? 600000000 / us : TEMPO_X10_DEFAULT;
    const bool differs = us > 0 && app.seq && us != sequenceTempo(app);
    fillRect(dc, NOW_X, NOW_Y, NOW_W, NOW_H, differs ? TEMPO_DIFFERS : ROW_BACKGROUND);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d", static_cast<int>(x10 / 10), static_cast<int>(x10 % 10));
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, NOW_X + NOW_W - 2 - textWidth(dc, text), NOW_Y + 3, text, differs ? COL_WHITE : COL_BLACK);
}

// ---- Sequence field ----------------------------------------------------------------

void drawSequenceField(AppState& app, bool hovered) {
    DrawContext& dc = app.ui->draw;
    const Sequence* s = app.seq;
    drawField(dc, hovered, SEQ_X, SEQ_Y, SEQ_W, SEQ_H);
    selectFont(dc, FONT_ARIAL_22_8);
    if (s->modified && s->eventCount > 0) drawText(dc, 501, 31, "*", COL_BLACK);
    drawNumberZero(dc, 508, 28, app.currentSlot, 99, COL_BLACK);
    if (!s->exists) return;
    drawTextN(dc, 541, 28, s->name, 16, COL_BLACK);
    if (s->moduleMode == MODULE_GS || s->moduleMode == MODULE_XG) {
        fillRect(dc, 769, 32, 25, 17, COL_PANEL);
        selectFont(dc, FONT_ARIAL_16);
        drawText(dc, 772, 32, s->moduleMode == MODULE_GS ? "GS" : "XG", COL_BLACK);
    }
}

// Choose slot `slot`; a real sequence starts again from the top when the
// transport was running.
void wheelToSlot(AppState& app, int32_t slot) {
    const bool wasPlaying = isPlaying(app);
    selectSequence(app, slot);
    if (realSequence(app) && wasPlaying) startFromTop(app);
    markDirty(app, DIRTY_ALL);
}

uint32_t sequenceField(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_LDOWN:
            if (!app.slots[app.currentSlot]) {
                ensureSequence(app);
                flushErrors(app);
            } else {
                closeOpenNotes(app);
                if (isPlaying(app))
                    stopTransport(app);
                else
                    startFromTop(app);
            }
            markDirty(app, DIRTY_ALL);
            return 0;
        case PM_WHEEL: {
            if (recordMode(app) != RECORD_OFF) return 0;
            int32_t slot = app.currentSlot;
            stepValue(slot, 1, std::min(app.lastSlot + 1, MAX_SLOTS), static_cast<int32_t>(arg));
            if (slot != app.currentSlot) wheelToSlot(app, slot);
            return 0;
        }
        case PM_RUP: sequenceMenu(app, false); return 0;
        case PM_TEXT_GET:
        case PM_TEXT_SET:
        case PM_TEXT_CANCEL: return sequenceRenameText(app, msg, false);
        case PM_HILITE: return underOverlay(app) ? 0 : (drawSequenceField(app, true), 0);
        case PM_LEAVE: markDirty(app, DIRTY_SEQ_ROW); return 0;
        default: return msg;
    }
}

// ---- Bars, Loop, MIDI Out Clock --------------------------------------------------------

void drawBarsField(AppState& app, bool hovered) {
    DrawContext& dc = app.ui->draw;
    drawField(dc, hovered, BARS_X, BARS_Y, BARS_W, BARS_H);
    selectFont(dc, FONT_ARIAL_22_8);
    drawNumber3(dc, BARS_X + 5, BARS_Y + 1, static_cast<int32_t>(seqBarsLoad(app)), COL_BLACK);
}

// Stop, turn LOOP EDIT and the bar loop off and open the Change Bars popup
// on the sequence's bar count (or close it when it is open).
void openChangeBars(AppState& app) {
    if (app.ui->overlayMode == OVERLAY_CHANGE_BARS) {
        setOverlay(app, OVERLAY_NONE);
        return;
    }
    if (isPlaying(app) || recordMode(app) != RECORD_OFF) stopTransport(app);
    app.engine.loopOn.store(false, std::memory_order_relaxed);
    app.rec.loopEdit.store(false, std::memory_order_relaxed);
    screens(app).seqPanel.newBars = static_cast<int32_t>(seqBarsLoad(app));
    SequencePanelState& p = screens(app).seqPanel;
    p.barsTyping = false;
    p.barsEnterHeld = false;
    p.barsCancelHeld = false;
    setOverlay(app, OVERLAY_CHANGE_BARS);
}

uint32_t barsField(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_LDOWN:
        case PM_WHEEL: openChangeBars(app); return 0;
        case PM_KEY:
            // A digit opens the popup with that digit already typed.
            if (arg > 9) return 0;
            openChangeBars(app);
            if (app.ui->overlayMode == OVERLAY_CHANGE_BARS) sendToPanel(app, PANEL_CHANGE_BARS, PM_KEY, arg);
            return 0;
        case PM_HILITE: return underOverlay(app) ? 0 : (drawBarsField(app, true), 0);
        case PM_LEAVE: markDirty(app, DIRTY_SEQ_ROW); return 0;
        default: return msg;
    }
}

void drawLoopField(AppState& app, bool hovered) {
    DrawContext& dc = app.ui->draw;
    drawField(dc, hovered, LOOP_X, LOOP_Y, LOOP_W, LOOP_H);
    selectFont(dc, FONT_ARIAL_18);
    if (settingLoad(app.settings.seqLoop))
        drawText(dc, 965, 31, "ON", COL_BLACK);
    else
        drawText(dc, 961, 31, "OFF", COL_BLACK);
}

uint32_t loopField(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_LDOWN: settingStore(app.settings.seqLoop, settingLoad(app.settings.seqLoop) ? 0 : 1); return 0;
        case PM_WHEEL:
            // Forward (away from the user) switches off, backward on.
            if (arg != 0) settingStore(app.settings.seqLoop, static_cast<int32_t>(arg) < 0 ? 0 : 1);
            return 0;
        case PM_HILITE: return underOverlay(app) ? 0 : (drawLoopField(app, true), 0);
        case PM_LEAVE: markDirty(app, DIRTY_SEQ_ROW); return 0;
        default: return msg;
    }
}

// A clock port the outputs can take: off without ports, and a port beyond
// the last one falls back.
uint32_t usableClockPort(const AppState& app, int32_t v) {
    const int32_t ports = app.engine.outPortCount;
    if (ports <= 0 || v <= 0) return 0;
    return static_cast<uint32_t>(v > ports ? ports - 1 : v);
}

void drawClockField(AppState& app, bool hovered) {
    DrawContext& dc = app.ui->draw;
    drawField(dc, hovered, CLOCK_X, CLOCK_Y, CLOCK_W, CLOCK_H);
    const uint32_t v = usableClockPort(app, static_cast<int32_t>(settingLoad(app.settings.clockOutPort)));
    char text[16];
    if (v == 0)
        std::snprintf(text, sizeof text, " OFF ");
    else
        std::snprintf(text, sizeof text, "Dev-%u", static_cast<unsigned>(v));
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, CLOCK_X + 3, CLOCK_Y + 2, text, COL_BLACK);
}

uint32_t clockField(AppState& app, uint32_t msg, uint32_t arg) {
    int32_t v = static_cast<int32_t>(settingLoad(app.settings.clockOutPort));
    switch (msg) {
        case PM_LDOWN: v = v == 0 ? 1 : 0; break;
        case PM_WHEEL: stepValue(v, 0, app.engine.outPortCount, static_cast<int32_t>(arg)); break;
        case PM_HILITE: return underOverlay(app) ? 0 : (drawClockField(app, true), 0);
        case PM_LEAVE: markDirty(app, DIRTY_SEQ_ROW); return 0;
        default: return msg;
    }
    const uint32_t port = usableClockPort(app, v);
    // The out monitor's "Clock F8" field shows only while clock output is on.
    if ((port != 0) != (settingLoad(app.settings.clockOutPort) != 0)) markDirty(app, DIRTY_OUT_MONITOR);
    settingStore(app.settings.clockOutPort, port);
    return 0;
}

// ---- The row --------------------------------------------------------------------------

void drawRowStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 326, 25, 858, 32, ROW_BACKGROUND);
    selectFont(dc, FONT_ARIAL_18);
    drawText(dc, 459, 29, "Seq.", COL_BLACK);
    drawText(dc, 826, 29, "Bars", COL_BLACK);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 1030, 33, "MIDI Out Clock", COL_BLACK);
}

void drawRow(AppState& app) {
    drawTempoField(app, false);
    drawCurrentTempo(app);
    drawSequenceField(app, false);
    drawListButton(app);
    drawBarsField(app, false);
    // The label and the switch go while ALL TRACKS records.
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 914, 26, 84, 30, ROW_BACKGROUND);
    if (loopShown(app)) {
        selectFont(dc, FONT_ARIAL_18);
        drawText(dc, 916, 29, "Loop", COL_BLACK);
        drawLoopField(app, false);
    }
    drawClockField(app, false);
}

}  // namespace

// ---- List button ---------------------------------------------------------------------------

void drawListButton(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const bool pressed = screens(app).seqPanel.listButtonHeld && app.ui->leftHeld;
    bevelButtonThin(dc, pressed, LIST_X, LIST_Y, LIST_W, LIST_H, COL_BUTTON_OFF, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    drawGlyph(dc, 801, 38, GLYPH_DOWN, COL_BLACK);
}

uint32_t listButton(AppState& app, uint32_t msg, uint32_t) {
    switch (msg) {
        case PM_LDOWN:
            if (recordMode(app) != RECORD_OFF) stopTransport(app);
            screens(app).seqPanel.listButtonHeld = true;
            setOverlay(app, OVERLAY_SEQ_LIST);
            return 0;
        case PM_LUP:
            screens(app).seqPanel.listButtonHeld = false;
            markDirty(app, DIRTY_SEQ_ROW);
            return 0;
        default: return msg;
    }
}

// ---- Sequence menu and renaming ------------------------------------------------------------

uint32_t sequenceRenameText(AppState& app, uint32_t msg, bool fromList) {
    char* text = app.ui->textBuffer;
    switch (msg) {
        case PM_TEXT_GET: copyName(text, app.seq->name); return 0;
        case PM_TEXT_SET: {
            text[NAME_FIELD - 1] = 0;
            const int other = findSlotByName(app, text);
            if (other != 0 && other != app.currentSlot) {
                // Names tell sequences apart (loading replaces by name), so
                // a second one is refused; the banner stays for a second.
                showNameExists(app, 535, fromList ? 550 : 230, text);
                const UiPlatform& p = app.ui->platform;
                if (p.waitMs) p.waitMs(p.user, 1000);
                // The dialog stays open for another name: the banner goes now,
                // not when the dialog closes.
                redrawAll(app);
                return 1;
            }
            copyName(app.seq->name, text);
            if (app.seq->exists) app.seq->modified = 1;
            markDirty(app, DIRTY_ALL);
            return 0;
        }
        case PM_TEXT_CANCEL: return 0;
        default: return msg;
    }
}

uint32_t sequenceMenu(AppState& app, bool fromList) {
    if (isPlaying(app)) stopTransport(app);
    const int slot = app.currentSlot;
    const bool real = app.slots[slot] != nullptr;
    const uint32_t id = popupMenu(app, real ? SEQ_MENU : SEQ_DEFAULT_MENU);
    switch (id) {
        case MENU_RENAME:
            textDialog(app, fromList ? SEQ_LIST_RENAME_DIALOG : real ? SEQ_RENAME_DIALOG : SEQ_DEFAULT_NAME_DIALOG);
            break;
        case MENU_COPY: {
            if (!real) break;
            const int rc = copySequence(app, slot);
            flushErrors(app);
            if (rc != 0)
                showError(app, rc);
            else if (!fromList)
                showCopyNotice(app, slot, app.currentSlot);
            break;
        }
        case MENU_DELETE: {
            if (!real) break;
            const Sequence* s = app.slots[slot];
            bool go = true;
            if ((s->unsaved || s->modified) && s->eventCount > 0) {
                char question[48];
                std::snprintf(question, sizeof question, "Delete [ %.16s ] ?", s->name);
                go = askUser(app, "Sequence", question, MB_YES_NO_CANCEL, MB_ICON_QUESTION) == ANSWER_YES;
            }
            if (go) deleteSequence(app, slot);
            break;
        }
        case MENU_DELETE_ALL:
            if (!real) break;
            if (askUser(app, "Sequence", fromList ? "Delete ALL Sequence." : "Delete ALL sequence.", MB_YES_NO_CANCEL,
                        MB_ICON_WARNING) == ANSWER_YES)
                deleteAllSequences(app);
            break;
        default: break;
    }
    flushErrors(app);
    markDirty(app, DIRTY_ALL);
    return id;
}

uint32_t sequenceRowPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE:
            if (!inPanelArea(app, PANEL_SEQUENCE)) return msg;
            hitTest(app, tempoField, 0, 0, TEMPO_X, TEMPO_Y, TEMPO_W, TEMPO_H);
            hitTest(app, sequenceField, 0, 0, SEQ_X, SEQ_Y, SEQ_W, SEQ_H);
            hitTest(app, listButton, 0, 0, LIST_X, LIST_Y, LIST_W, LIST_H);
            hitTest(app, barsField, 0, 0, BARS_X, BARS_Y, BARS_W, BARS_H);
            if (loopShown(app)) hitTest(app, loopField, 0, 0, LOOP_X, LOOP_Y, LOOP_W, LOOP_H);
            hitTest(app, clockField, 0, 0, CLOCK_X, CLOCK_Y, CLOCK_W, CLOCK_H);
            return 0;
        case PM_STATIC: drawRowStatic(app); return 0;
        case PM_PAINT:
            if (arg == DIRTY_TEMPO)
                drawCurrentTempo(app);
            else
                drawRow(app);
            return 0;
        case PM_MOVE:
            // The element now under the pointer draws its highlight.
            if (!(app.ui->hoverHandler == app.ui->prevHoverHandler)) markDirty(app, DIRTY_SEQ_ROW);
            return 0;
        case PM_TIMER: return msg;
        default: {
            const HoverHandler h = app.ui->hoverHandler;
            if (!h.proc) return msg;
            const uint32_t answer = h.proc(app, msg, arg);
            if (answer == 0) markDirty(app, DIRTY_SEQ_ROW);
            return answer;
        }
    }
}

void installSequencePanels(AppState& app) {
    PanelRecord seq;
    seq.proc = sequenceRowPanel;
    seq.paintBits[0] = DIRTY_SEQ_ROW;
    seq.paintBits[1] = DIRTY_TEMPO;
    seq.areas[0] = {327, 1183, 26, 56};
    seq.areaCount = 1;
    registerPanel(app, PANEL_SEQUENCE, seq);
    PanelRecord track;
    track.proc = trackRowPanel;
    track.paintBits[0] = DIRTY_TRACK_ROW;
    track.paintBits[1] = DIRTY_PADS;
    track.areas[0] = {327, 1180, 58, 94};
    track.areaCount = 1;
    registerPanel(app, PANEL_TRACK, track);
    // The list's open button is its own hit test on the sequence row.
    PanelRecord list;
    list.proc = sequenceListPanel;
    list.areas[0] = {534, 770, 54, 357};
    list.areaCount = 1;
    registerPanel(app, PANEL_SEQ_LIST, list);
}

}  // namespace qz
