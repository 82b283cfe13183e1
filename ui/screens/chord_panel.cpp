// The Note to Chord panel: the switch, twelve trigger rows with their chord
// types and Rec buttons, the step buttons and DELETE for entering chords one
// after another while stopped, the Arpeggio and CHORD EDIT.
//
// What a row does lives in the engine (engine/chord_input.h), which the MIDI
// input uses too; this file draws and routes the pointer.
#include "ui/screens/chord_panel.h"

#include <algorithm>
#include <cstdio>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t ROW_Y = 200;
constexpr int32_t ROW_PITCH = 20;

enum Element : uint32_t {
    EL_CHORD_EDIT,
    EL_SWITCH,
    EL_KEY,
    EL_CHORD,
    EL_REC,
    EL_STEP_BACK,
    EL_STEP_FORWARD,
    EL_DELETE,
    EL_ARPEGGIO,
    EL_COUNT
};
struct Rect {
    int32_t x, y, w, h;
};
constexpr Rect RECTS[EL_COUNT] = {
    {184, 134, 90, 20}, {267, 170, 30, 16}, {180, 200, 41, 240}, {220, 200, 59, 240}, {282, 200, 18, 240},
    {243, 442, 29, 25}, {272, 442, 29, 25}, {182, 442, 54, 25},  {244, 475, 50, 18},
};

ChordPanelState& cp(AppState& app) { return screens(app).chordPanel; }
bool stopped(const AppState& app) { return !app.engine.playing.load(std::memory_order_acquire); }
int rowAt(int32_t y) { return std::clamp((y - ROW_Y) / ROW_PITCH, 0, CHORD_ROWS - 1); }
bool isColumn(uint32_t el) { return el == EL_KEY || el == EL_CHORD || el == EL_REC; }

void wheelRow(AppState& app, uint32_t el, int row, int32_t step) {
    // A changed row must not leave its old chord sounding.
    releaseHeldChord(app, false);
    uint32_t& word = el == EL_KEY ? app.settings.chordTrigger[row] : app.settings.chordType[row];
    uint32_t v = settingLoad(word);
    stepValue(v, 0, el == EL_KEY ? 127 : CHORD_TYPES - 1, step);
    settingStore(word, v);
    if (app.seq) app.seq->modified = 1;
}

uint32_t elementProc(AppState& app, uint32_t msg, uint32_t arg) {
    ChordPanelState& st = cp(app);
    const uint32_t el = app.ui->hoverHandler.a;
    const int row = rowAt(app.ui->mouseY);
    switch (msg) {
        case PM_LDOWN:
            switch (el) {
                case EL_CHORD_EDIT: st.chordEditHeld = true; break;
                case EL_SWITCH: settingStore(app.settings.noteToChord, settingLoad(app.settings.noteToChord) ? 0 : 1); break;
                case EL_KEY:
                case EL_CHORD:
                    st.chordHeldRow = row;
                    holdChordRow(app, app.currentTrack, row, 127, false);
                    break;
                case EL_REC:
                    if (!stopped(app)) return msg;
                    st.recHeldRow = row;
                    chordRecButton(app, row, true);
                    break;
                case EL_STEP_BACK: st.stepBackHeld = true; chordStepBack(app); break;
                case EL_STEP_FORWARD: st.stepForwardHeld = true; chordStepForward(app); break;
                case EL_DELETE: st.deleteHeld = true; chordDelete(app); break;
                default: return msg;
            }
            break;
        case PM_REPEAT:
            if (el == EL_STEP_BACK) chordStepBack(app);
            else if (el == EL_STEP_FORWARD) chordStepForward(app);
            else if (el == EL_DELETE) chordDelete(app);
            else return msg;
            break;
        case PM_LUP:
            if (el == EL_CHORD_EDIT && st.chordEditHeld) setOverlay(app, OVERLAY_CHORD);
            if (st.chordHeldRow >= 0) releaseHeldChord(app, false);
            if (st.recHeldRow >= 0) chordRecButton(app, st.recHeldRow, false);
            if (el == EL_DELETE && st.deleteHeld) chordStepForward(app);
            st = ChordPanelState{};
            break;
        case PM_WHEEL:
            if (el == EL_SWITCH) {
                uint32_t v = settingLoad(app.settings.noteToChord);
                stepValue(v, 0, 1, int32_t(arg));
                settingStore(app.settings.noteToChord, v);
            } else if (el == EL_KEY || el == EL_CHORD) {
                wheelRow(app, el, row, int32_t(arg));
            } else if (el == EL_STEP_BACK || el == EL_STEP_FORWARD) {
                int32_t(arg) > 0 ? chordStepForward(app) : chordStepBack(app);
            } else if (el == EL_ARPEGGIO) {
                uint32_t v = settingLoad(app.settings.arpeggio);
                stepValue(v, 0, ARPEGGIO_ROWS - 1, int32_t(arg));
                settingStore(app.settings.arpeggio, v);
            } else {
                return msg;
            }
            break;
        case PM_LEAVE: break;
        default: return msg;
    }
    markDirty(app, DIRTY_PADS | DIRTY_GRID);
    return 0;
}

void drawStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    // The pads' LOOP EDIT has no place beside the chord rows.
    app.rec.loopEdit.store(false, std::memory_order_relaxed);
    hLine(dc, 180, 92, 146, 1, COL_BEVEL_DARK);
    fillRect(dc, 180, 112, 145, 427, COL_PANEL);
    vLine(dc, 325, 132, 407, 1, COL_BEVEL_DARK);
    hLine(dc, 180, 131, 146, 1, COL_BEVEL_DARK);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 188, 170, "Note to Chord", COL_BLACK);
    drawText(dc, 194, 186, "Key", COL_BLACK);
    drawText(dc, 236, 186, "Chord", COL_BLACK);
    if (stopped(app)) drawText(dc, 279, 186, "Rec", COL_BLACK);
    drawText(dc, 184, 475, "Arpeggio", COL_BLACK);
    for (int i = 0; i < 8; ++i) drawNumberBlank(dc, 304, 146 + 48 * i, 108 - 12 * i, 999, COL_BLACK);
}

void drawButton(DrawContext& dc, const Rect& r, bool held, const char* label) {
    bevelButton(dc, held, r.x, r.y, r.w, r.h, COL_BUTTON_OFF, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    if (label) drawText(dc, r.x + std::max(0, (r.w - textWidth(dc, label)) / 2) + held, r.y + 3 + held, label, COL_BLACK);
}

void drawDynamic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const ChordPanelState& st = cp(app);
    const HoverHandler& h = app.ui->hoverHandler;
    const bool hoverColumn = h.proc == elementProc && isColumn(h.a);
    const int hoverRow = rowAt(app.ui->mouseY);
    const HeldChord held = unpackChord(app.chordIn.held.load(std::memory_order_acquire));
    selectFont(dc, FONT_ARIAL_14);
    drawButton(dc, RECTS[EL_CHORD_EDIT], st.chordEditHeld, "CHORD EDIT");
    const bool on = settingLoad(app.settings.noteToChord) != 0;
    drawSwitch(dc, on, false, 267, 170, 30, 16);
    drawText(dc, on ? 272 : 269, 171, on ? "ON" : "OFF", COL_BLACK);
    fillRect(dc, 180, 200, 145 - 20, 240, COL_PANEL);
    for (int r = 0; r < CHORD_ROWS; ++r) {
        const int32_t y = ROW_Y + ROW_PITCH * r;
        if (held.row == r) fillRect(dc, 181, y + 1, 39, 17, COL_LAMP_LIT);
        if (hoverColumn && hoverRow == r && h.a != EL_REC) {
            const Rect& c = RECTS[h.a];
            fillRect(dc, c.x + 1, y + 1, c.w - 2, 17, COL_HOVER);
        }
        frameRect(dc, 180, y, 99, 19, COL_BEVEL_DARK);
        vLine(dc, 220, y, 19, 1, COL_BEVEL_DARK);
        const int32_t trigger = int32_t(settingLoad(app.settings.chordTrigger[r]) & 127);
        char name[4] = {};
        for (int k = 0, j = 0; k < 3 && noteName(trigger)[k]; ++k)
            if (noteName(trigger)[k] != ' ') name[j++] = noteName(trigger)[k];
        char key[8];
        std::snprintf(key, sizeof key, "%s%d", name, trigger / 12 - 1);
        drawText(dc, 184, 202 + ROW_PITCH * r, key, COL_BLACK);
        const uint32_t type = settingLoad(app.settings.chordType[r]);
        if (type < uint32_t(CHORD_TYPES)) drawTextN(dc, 223, 202 + ROW_PITCH * r, app.settings.chordTable[type].name, 7, COL_BLACK);
        if (stopped(app)) {
            // The round Rec button: a disc, darker while held.
            const bool down = st.recHeldRow == r;
            const int32_t cx = 291, cy = y + 9;
            for (int32_t dy = -6; dy <= 6; ++dy)
                for (int32_t dx = -6; dx <= 6; ++dx)
                    if (dx * dx + dy * dy <= 36) fillRect(dc, cx + dx, cy + dy, 1, 1, down ? COL_BEVEL_DARK : 35);
        }
    }
    drawButton(dc, RECTS[EL_DELETE], st.deleteHeld, "DELETE");
    drawButton(dc, RECTS[EL_STEP_BACK], st.stepBackHeld, nullptr);
    drawGlyph(dc, 252, 449, GLYPH_LEFT_11, COL_BLACK);
    drawButton(dc, RECTS[EL_STEP_FORWARD], st.stepForwardHeld, nullptr);
    drawGlyph(dc, 286, 449, GLYPH_RIGHT_11, COL_BLACK);
    fillRect(dc, 266, 446, 12, 20, COL_BUTTON_OFF);
    selectFont(dc, FONT_GUI);
    drawText(dc, 262, 447, "1/8", COL_BLACK);
    selectFont(dc, FONT_ARIAL_14);
    drawField(dc, isHovered(app, elementProc, EL_ARPEGGIO), 244, 475, 50, 18);
    const uint32_t arp = std::min<uint32_t>(settingLoad(app.settings.arpeggio), ARPEGGIO_ROWS - 1);
    drawText(dc, 247, 476, ARPEGGIO_LABELS[arp], COL_BLACK);
}

}  // namespace

bool noteToChordShown(const AppState& app) {
    return app.seq && app.currentTrack >= 1 && app.currentTrack <= USER_TRACKS &&
           app.seq->tracks[app.currentTrack].type == TRACK_TYPE_NOTE && !app.allTracks && !app.ui->trackMuteMode;
}

uint32_t noteToChordPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE: {
            if (!noteToChordShown(app) || !inPanelArea(app, PANEL_PADS)) return msg;
            for (uint32_t el = 0; el < EL_COUNT; ++el) {
                if (el == EL_REC && !stopped(app)) continue;
                const Rect& r = RECTS[el];
                const uint32_t b = isColumn(el) ? uint32_t(rowAt(app.ui->mouseY)) : 0;
                hitTest(app, elementProc, el, b, r.x, r.y, r.w, r.h);
            }
            return 0;
        }
        case PM_MOVE:
            if (!(app.ui->hoverHandler == app.ui->prevHoverHandler)) markDirty(app, DIRTY_PADS);
            return 0;
        case PM_STATIC:
            if (noteToChordShown(app)) drawStatic(app);
            return 0;
        case PM_PAINT:
            if (noteToChordShown(app)) drawDynamic(app);
            return 0;
        case PM_LDOWN:
        case PM_LUP:
        case PM_WHEEL:
        case PM_REPEAT:
            return forwardToHover(app, msg, arg);
        default: return msg;
    }
}

void installChordPanel(AppState& app) {
    // The pads panel shows this one in its column for a NOTE track.
    screens(app).pads.noteColumn = noteToChordPanel;
    if (app.ui->panels[PANEL_PADS].proc) return;
    PanelRecord r;
    r.proc = noteToChordPanel;
    r.paintBits[0] = DIRTY_PADS;
    r.areas[0] = {181, 325, 58, 557};
    r.areaCount = 1;
    registerPanel(app, PANEL_PADS, r);
}

}  // namespace qz
