// The step editor: the current sequence's events one per line, filtered by
// track, kind and number, whose values are turned with the wheel over their
// digits; ENTER inserts a controller, program, bend or tempo event at the
// cursor, and the right button deletes one.
//
// Sections: the filter and the walk; the row formats and fields; wheel
// edits; the boxes and buttons; the panel.
#include "ui/screens/step_editor.h"

#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/menus.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t LIST_X = 1013, LIST_Y = 161, ROW_H = 14;
constexpr uint8_t VIEW_ORDER[8] = {0, 0x90, 0xB0, 0xC0, 0xE0, 0xA0, 0xD0, 0x81};
constexpr const char* VIEW_NAMES[8] = {"ALL", "NOTE", "CTRL CHANGE", "PROGRAM", "BEND", "POLY PRESS.", "CH.PRESS.",
                                       "TEMPO"};
constexpr int32_t COL_STEP_BG = 247;
constexpr int32_t COL_ROW_FRAME = 250;
constexpr int32_t COL_FIELD_FACE = 0;

StepEditorState& se(AppState& app) { return screens(app).stepEditor; }
bool running(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }

// ---- The filter and the walk ---------------------------------------------------

bool passes(const AppState& app, const SeqEvent& e) {
    const StepEditorState& s = screens(app).stepEditor;
    if (e.status == ST_TEMPO) return s.view == ST_TEMPO || s.view == 0;
    if (app.ui->stepTrack != 0 && e.track != app.ui->stepTrack) return false;
    if (s.view == 0) return true;
    if (e.status != s.view) return false;
    if (e.status != ST_CONTROL && e.status != ST_POLY_PRESSURE) return true;
    return s.number == 0 || e.data1 == s.number - 1;
}

bool sysexContinuation(const SeqEvent& e) { return e.status == ST_SYSEX && e.data1 != 0xF0; }

// Fill the rows from the top event on; returns the number filled.
int buildRows(AppState& app) {
    StepEditorState& s = se(app);
    std::fill(std::begin(s.rows), std::end(s.rows), -1);
    if (!app.seq) return 0;
    const SeqEvent* ev = seqEvents(app.seq);
    const int32_t count = app.seq->eventCount;
    const Tick first = app.firstBar * TICKS_PER_BAR;
    int32_t i = std::clamp(s.top, 0, count);
    while (i < count && ev[i].time < first) ++i;
    int n = 0;
    while (i < count && n < STEP_ROWS) {
        const SeqEvent& e = ev[i++];
        if (e.track >= PLAYED_TRACKS) continue;
        if (passes(app, e)) s.rows[n++] = i - 1;
        while (i < count && sysexContinuation(ev[i])) ++i;
    }
    return n;
}

// ---- The row formats and fields -----------------------------------------------------

enum Field : int32_t { F_DATA1, F_DATA2, F_DURATION, F_BEND, F_TEMPO };
struct FieldDef {
    int32_t x0, x1;
    Field field;
};

// The editable fields of an event of this status (at most three).
int fieldsOf(uint8_t status, FieldDef out[3]) {
    switch (status) {
        case ST_NOTE:
            out[0] = {1101, 1146, F_DATA1};
            out[1] = {1168, 1197, F_DATA2};
            out[2] = {1203, 1239, F_DURATION};
            return 3;
        case ST_POLY_PRESSURE:
            out[0] = {1128, 1177, F_DATA1};
            out[1] = {1198, 1227, F_DATA2};
            return 2;
        case ST_CONTROL:
            out[0] = {1091, 1210, F_DATA1};
            out[1] = {1211, 1240, F_DATA2};
            return 2;
        case ST_PROGRAM: out[0] = {1091, 1210, F_DATA1}; return 1;
        // Channel pressure keeps its amount in the first data byte (as it is
        // recorded, read and played), so that is the byte the field edits.
        case ST_CHANNEL_PRESSURE: out[0] = {1198, 1227, F_DATA1}; return 1;
        case ST_PITCH_BEND: out[0] = {1163, 1224, F_BEND}; return 1;
        case ST_TEMPO: out[0] = {1134, 1168, F_TEMPO}; return 1;
        default: return 0;
    }
}

int32_t bendOf(const SeqEvent& e) { return int32_t(e.data2) * 128 + e.data1; }

// Sysex bytes of a record: bytes 6..15.
void recordBytes(const SeqEvent& e, uint8_t out[10]) { std::memcpy(out, reinterpret_cast<const uint8_t*>(&e) + 6, 10); }

void drawSysex(DrawContext& dc, const AppState& app, int32_t index, int32_t y) {
    const SeqEvent* ev = seqEvents(app.seq);
    uint8_t b[10];
    recordBytes(ev[index], b);
    for (int i = 0; i < 10; ++i) {
        drawHex2(dc, 1101 + 15 * i, y, b[i], COL_BLACK);
        if (b[i] == 0xF7) return;
    }
    if (index + 1 >= app.seq->eventCount || !sysexContinuation(ev[index + 1])) return;
    uint8_t next[10];
    recordBytes(ev[index + 1], next);
    for (int i = 0; i < 2; ++i) {
        drawHex2(dc, 1251 + 15 * i, y, next[i], COL_BLACK);
        if (next[i] == 0xF7) return;
    }
    if (next[2] != 0xF7) drawText(dc, 1281, y, ",,,", COL_BLACK);
}

void drawRow(AppState& app, int row, int32_t index, bool pointerRow) {
    DrawContext& dc = app.ui->draw;
    StepEditorState& s = se(app);
    const SeqEvent& e = seqEvents(app.seq)[index];
    const int32_t y = LIST_Y + ROW_H * row;
    if (pointerRow) {
        frameRect(dc, LIST_X, y, 228, ROW_H, COL_ROW_FRAME);
        FieldDef f[3];
        const int n = fieldsOf(e.status, f);
        for (int k = 0; k < n; ++k)
            if (app.ui->mouseX >= f[k].x0 && app.ui->mouseX <= f[k].x1) {
                fillRect(dc, f[k].x0, y + 1, f[k].x1 - f[k].x0 + 1, 12, COL_FIELD_FACE);
                s.field = f[k].field;
                s.fieldLeft = f[k].x0;
            }
    }
    drawPositionSmall(dc, 1014, y, e.time);
    const int32_t c = COL_BLACK;
    switch (e.status) {
        case ST_NOTE:
            drawText(dc, 1076, y, "Note:", c);
            drawNoteA(dc, 1098, y, e.data1, c);
            drawText(dc, 1161, y, "V", c);
            drawNumberBlank(dc, 1168, y, e.data2, 999, c);
            drawText(dc, 1196, y, "D", c);
            drawNumberBlank(dc, 1203, y, int32_t(e.value), 9999, c);
            break;
        case ST_POLY_PRESSURE:
            drawText(dc, 1076, y, "Poly", c);
            drawNoteA(dc, 1131, y, e.data1, c);
            drawNumberBlank(dc, 1201, y, e.data2, 999, c);
            break;
        case ST_CONTROL:
            drawText(dc, 1076, y, "CC", c);
            drawControllerName(dc, 1094, y, e.data1, c);
            drawNumberBlank(dc, 1214, y, e.data2, 999, c);
            break;
        case ST_PROGRAM:
            drawText(dc, 1076, y, "PC", c);
            drawText(dc, 1096, y, "(", c);
            drawNumberBlank(dc, 1101, y, e.data1 + 1, 999, c);
            drawText(dc, 1121, y, ")", c);
            drawProgramName(dc, 1126, y, e.data1 + 1, c);
            break;
        case ST_CHANNEL_PRESSURE:
            drawText(dc, 1076, y, "Ch.Press.:", c);
            drawNumberBlank(dc, 1201, y, e.data1, 999, c);
            break;
        case ST_PITCH_BEND: {
            drawText(dc, 1076, y, "Pitch Bend:", c);
            const int32_t v = bendOf(e);
            if (v == 8192) {
                drawText(dc, 1201, y, "0", c);
            } else {
                drawText(dc, 1166, y, v > 8192 ? "+" : "-", c);
                drawNumberBlank(dc, 1171, y, v > 8192 ? v - 8192 : 8192 - v, 9999, c);
            }
            break;
        }
        case ST_SYSEX:
            drawText(dc, 1076, y, "EXC", c);
            drawSysex(dc, app, index, y);
            break;
        case ST_TEMPO:
            drawText(dc, 1076, y, "TEMPO", c);
            drawGlyph(dc, 1126, y + 2, GLYPH_NOTE_SMALL, c);
            drawTenths(dc, 1136, y, int32_t(e.value), c);
            break;
        case ST_ERASED: drawText(dc, 1076, y, "Deleted Event NG", c); break;
        default:
            drawText(dc, 1076, y, "???:", c);
            drawHex2(dc, 1096, y, e.status, c);
            break;
    }
}

uint32_t listProc(AppState& app, uint32_t msg, uint32_t arg);

void drawList(AppState& app) {
    DrawContext& dc = app.ui->draw;
    StepEditorState& s = se(app);
    fillRect(dc, LIST_X, LIST_Y, 228, ROW_H * STEP_ROWS, COL_STEP_BG);
    s.field = -1;
    const int n = buildRows(app);
    const bool hovered = isHovered(app, listProc);
    const int pointer = (app.ui->mouseY - LIST_Y) / ROW_H;
    // The 14-pixel rows take the small interface font.
    selectFont(dc, FONT_GUI);
    for (int r = 0; r < n; ++r) drawRow(app, r, s.rows[r], hovered && r == pointer);
    if (n < STEP_ROWS) {
        const int32_t y = LIST_Y + ROW_H * n;
        drawPositionSmall(dc, 1014, y, app.lengthTicks);
        drawText(dc, 1076, y, "-----( end of sequence ) ----", COL_BLACK);
    }
}

// ---- Wheel edits ------------------------------------------------------------------------

int32_t multiplier(const AppState& app, int32_t left, int32_t fine, int32_t near, int32_t mid, int32_t far) {
    const int32_t d = app.ui->mouseX - left;
    return d < fine ? near : d < 20 ? mid : far;
}

// A program change or mixer controller at the start of the bar 1 is the
// track's setting too.
void followTrack(AppState& app, const SeqEvent& e) {
    if (e.time >= TICKS_PER_BAR || e.track < 1 || e.track > USER_TRACKS) return;
    if (!applyTrackSetting(app.seq->tracks[e.track], e)) return;
    markDirty(app, DIRTY_TRACK_ROW);
}

void editField(AppState& app, SeqEvent& e, int32_t s) {
    const StepEditorState& st = se(app);
    switch (st.field) {
        case F_DATA1: stepValue(e.data1, 0, 127, s); break;
        case F_DATA2: stepValue(e.data2, e.status == ST_NOTE ? 1 : 0, 127, s); break;
        case F_DURATION: {
            int32_t v = int32_t(e.value);
            stepValue(v, 0, MAX_DURATION, s * multiplier(app, st.fieldLeft, 10, 100, 10, 1));
            e.value = uint32_t(v);
            break;
        }
        case F_BEND: {
            const int32_t old = bendOf(e);
            int32_t v = old;
            stepValue(v, 0, 16383, s * multiplier(app, st.fieldLeft, 15, 137, 14, 6));
            // The centre stops every crossing.
            if ((v > 8192 && old < 8192) || (v < 8192 && old > 8192)) v = 8192;
            e.data1 = uint8_t(v & 127);
            e.data2 = uint8_t((v >> 7) & 127);
            break;
        }
        case F_TEMPO: {
            int32_t v = int32_t(e.value);
            stepValue(v, 300, 3000, s * multiplier(app, st.fieldLeft, 10, 100, 10, 1));
            e.value = uint32_t(v);
            e.value2 = uint32_t(600000000 / v);
            break;
        }
        default: return;
    }
    followTrack(app, e);
    app.seq->modified = 1;
    markDirty(app, DIRTY_GRID | DIRTY_TRACK_MESSAGES);
}

void scroll(AppState& app, int32_t s) {
    StepEditorState& st = se(app);
    const int row = (app.ui->mouseY - LIST_Y) / ROW_H;
    if (s > 0) {
        if (row + 1 >= STEP_ROWS) {
            if (st.rows[1] < 0) return;
            st.top = st.rows[1];
            locateTick(app, seqEvents(app.seq)[st.top].time);
        } else if (st.rows[row + 1] >= 0) {
            warpPointer(app, app.ui->mouseX, LIST_Y + ROW_H * (row + 1));
        }
        return;
    }
    if (row - 1 >= 0) {
        warpPointer(app, app.ui->mouseX, LIST_Y + ROW_H * (row - 1));
        return;
    }
    const SeqEvent* ev = seqEvents(app.seq);
    for (int32_t i = (st.rows[0] >= 0 ? st.rows[0] : app.seq->eventCount) - 1; i >= 0; --i)
        if (ev[i].track < 19 && !sysexContinuation(ev[i]) && passes(app, ev[i])) {
            st.top = i;
            locateTick(app, ev[i].time);
            return;
        }
}

uint32_t listProc(AppState& app, uint32_t msg, uint32_t arg) {
    StepEditorState& st = se(app);
    const int row = std::clamp((app.ui->mouseY - LIST_Y) / ROW_H, 0, STEP_ROWS - 1);
    const int32_t event = st.rows[row];
    switch (msg) {
        case PM_WHEEL:
            if (!app.seq || !app.seq->exists || running(app)) return 0;
            if (st.field < 0 || event < 0 || event >= app.seq->eventCount)
                scroll(app, int32_t(arg));
            else
                editField(app, seqEvents(app.seq)[event], int32_t(arg));
            break;
        case PM_RDOWN: st.rightEvent = event; return 0;
        case PM_RUP: {
            ensureSequence(app);
            if (running(app)) return 0;
            const int32_t x = app.ui->mouseX, y = app.ui->mouseY;
            const uint32_t choice = popupMenu(app, STEP_MENU);
            if (choice == 0) return 0;
            if (choice == MENU_STEP_DELETE && st.rightEvent >= 0 && st.rightEvent < app.seq->eventCount) {
                snapshotForUndo(app);
                removeEvent(app, st.rightEvent);
            }
            warpPointer(app, x, y);
            markDirty(app, DIRTY_TRANSPORT);
            break;
        }
        case PM_LEAVE: break;
        default: return msg;
    }
    markDirty(app, DIRTY_GRID_STEP);
    return 0;
}

// ---- The boxes and buttons -----------------------------------------------------------

enum Box : uint32_t { BOX_TRACK, BOX_VIEW, BOX_NUMBER, BOX_POSITION, BOX_TYPE, BOX_VALUE, BOX_COUNT };
struct BoxDef {
    int32_t x, y, w, h;
};
constexpr BoxDef BOXES[BOX_COUNT] = {{1056, 95, 50, 16},  {1056, 113, 97, 16}, {1186, 113, 30, 16},
                                     {1056, 138, 65, 16}, {1121, 138, 50, 16}, {1151, 138, 20, 16}};

template <uint32_t B>
uint32_t boxProc(AppState& app, uint32_t msg, uint32_t arg);

bool numberView(const StepEditorState& s) { return s.view == ST_CONTROL || s.view == ST_POLY_PRESSURE; }

void wheelBox(AppState& app, uint32_t box, int32_t s) {
    StepEditorState& st = se(app);
    switch (box) {
        case BOX_TRACK: {
            int32_t t = app.ui->stepTrack;
            stepValue(t, 0, USER_TRACKS, s);
            if (t != app.ui->stepTrack) {
                app.ui->stepTrack = t;
                if (t != 0) selectTrack(app, t);
                markDirty(app, DIRTY_ALL);
            }
            break;
        }
        case BOX_VIEW: {
            int32_t k = 0;
            while (k < 7 && VIEW_ORDER[k] != st.view) ++k;
            stepValue(k, 0, 7, s);
            st.view = VIEW_ORDER[k];
            break;
        }
        case BOX_NUMBER: stepValue(st.number, 0, 128, s); break;
        case BOX_TYPE: stepValue(st.insertType, 0, 3, s); break;
        case BOX_VALUE:
            stepValue(st.insertType == 0 ? st.insertController : st.insertProgram, 0, 127, s);
            break;
        case BOX_POSITION: {
            const int32_t x = app.ui->mouseX;
            const int32_t unit = x <= 1080 ? TICKS_PER_BAR : x <= 1095 ? TICKS_PER_QUARTER : 1;
            int32_t p = app.engine.cursor;
            stepValue(p, 0, app.lengthTicks, s * unit);
            locateTick(app, p);
            break;
        }
        default: break;
    }
}

template <uint32_t B>
uint32_t boxProc(AppState& app, uint32_t msg, uint32_t arg) {
    if (msg == PM_WHEEL) {
        wheelBox(app, B, int32_t(arg));
    } else if (msg != PM_LEAVE) {
        return msg;
    }
    markDirty(app, DIRTY_GRID_STEP);
    return 0;
}

constexpr PanelProc BOX_PROCS[BOX_COUNT] = {boxProc<0>, boxProc<1>, boxProc<2>, boxProc<3>, boxProc<4>, boxProc<5>};

void insertAtCursor(AppState& app) {
    StepEditorState& st = se(app);
    const Tick at = app.engine.cursor;
    if (at >= app.lengthTicks) return;
    const uint8_t track = uint8_t(app.currentTrack);
    int32_t index = -1;
    uint8_t view = 0;
    switch (st.insertType) {
        case 0: {
            const int c = st.insertController;
            index = insertEvent(app, at, track, ST_CONTROL, uint8_t(c), c == 7 ? 100 : c == 10 ? 64 : c == 11 ? 127 : 0, 0);
            view = ST_CONTROL;
            break;
        }
        case 1:
            index = insertEvent(app, at, track, ST_PROGRAM, uint8_t(st.insertProgram), 0, 0);
            if (index >= 0) curTrackRec(app).program = 0;
            view = ST_PROGRAM;
            break;
        case 2:
            index = insertEvent(app, at, track, ST_PITCH_BEND, 0, 64, 0);
            view = ST_PITCH_BEND;
            break;
        default:
            index = insertEvent(app, at, TEMPO_TRACK, ST_TEMPO, 0, 0, 1200);
            if (index >= 0) {
                SeqEvent& e = seqEvents(app.seq)[index];
                e.value = 1200;
                e.value2 = 500000;
            }
            view = ST_TEMPO;
            break;
    }
    if (index < 0) return;
    if (st.view != 0) st.view = view;
}

uint32_t enterProc(AppState& app, uint32_t msg, uint32_t) {
    StepEditorState& st = se(app);
    switch (msg) {
        case PM_LDOWN: {
            if (ensureSequence(app) != 0) return 0;
            st.enterHeld = true;
            insertAtCursor(app);
            locateTick(app, app.engine.cursor);
            st.top = app.playIndex;
            // The new event shows at once in the first row, then the pointer goes there.
            sendToPanel(app, PANEL_STEP, PM_PAINT, DIRTY_GRID_STEP);
            fillRect(app.ui->draw, LIST_X, LIST_Y, 226, ROW_H, COL_STEP_BG);
            if (const UiPlatform& p = app.ui->platform; p.presentNow) p.presentNow(p.user);
            if (const UiPlatform& p = app.ui->platform; p.waitMs) p.waitMs(p.user, 100);
            warpPointer(app, 1131, 166);
            break;
        }
        case PM_LUP: st.enterHeld = false; break;
        case PM_LEAVE: st.enterHeld = false; break;
        default: return msg;
    }
    markDirty(app, DIRTY_GRID_STEP | DIRTY_GRID);
    return 0;
}

uint32_t closeProc(AppState& app, uint32_t msg, uint32_t) {
    StepEditorState& st = se(app);
    switch (msg) {
        case PM_LDOWN:
        case PM_RDOWN: st.closeHeld = true; break;
        case PM_LUP:
        case PM_RUP:
            st.closeHeld = false;
            app.ui->stepEditView = false;
            markDirty(app, DIRTY_ALL);
            return 0;
        case PM_LEAVE: st.closeHeld = false; break;
        default: return msg;
    }
    markDirty(app, DIRTY_GRID_STEP);
    return 0;
}

// ---- The panel ----------------------------------------------------------------------------

// Boxes are white, in the hover colour while the pointer is on them.
void drawBoxFace(AppState& app, uint32_t box, int32_t w = 0) {
    const BoxDef& b = BOXES[box];
    fieldBox(app.ui->draw, b.x, b.y, w ? w : b.w, b.h, isHovered(app, BOX_PROCS[box]) ? COL_HOVER : COL_WHITE);
}

// The insert position's bar, beat and tick digits, hovered one at a time.
void drawPositionBox(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const BoxDef& b = BOXES[BOX_POSITION];
    fieldBox(dc, b.x, b.y, b.w, b.h, COL_WHITE);
    if (isHovered(app, BOX_PROCS[BOX_POSITION])) {
        const int32_t x = app.ui->mouseX;
        const int32_t offset = x <= 1080 ? 1 : x <= 1095 ? 28 : 48;
        const int32_t w = x <= 1080 ? 25 : 16;
        fillRect(dc, b.x + offset, b.y + 1, w, b.h - 2, COL_HOVER);
    }
    drawPositionMedium(dc, 1061, 139, app.engine.cursor, COL_BLACK);
}

void paint(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const StepEditorState& st = se(app);
    fieldBox(dc, 1011, 93, 230, 465, COL_STEP_BG);
    engravedHLine(dc, 1013, 134, 228);
    engravedHLine(dc, 1013, 157, 228);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 1016, 95, "Track", COL_BLACK);
    drawBoxFace(app, BOX_TRACK);
    if (app.ui->stepTrack == 0)
        drawText(dc, 1069, 96, "ALL", COL_BLACK);
    else
        drawNumberBlank(dc, 1073, 96, app.ui->stepTrack, 99, COL_BLACK);
    drawText(dc, 1018, 113, "View", COL_BLACK);
    drawBoxFace(app, BOX_VIEW);
    int k = 0;
    while (k < 7 && VIEW_ORDER[k] != st.view) ++k;
    drawText(dc, 1059, 114, VIEW_NAMES[k], COL_BLACK);
    if (numberView(st)) {
        drawText(dc, 1156, 113, st.view == ST_CONTROL ? "No." : "Note", COL_BLACK);
        drawBoxFace(app, BOX_NUMBER);
        if (st.number == 0)
            drawText(dc, 1189, 114, "ALL", COL_BLACK);
        else
            drawNumberBlank(dc, 1193, 114, st.number - 1, 99, COL_BLACK);
    }
    if (app.ui->stepTrack != 0) {
        drawText(dc, 1018, 138, "Insert", COL_BLACK);
        drawPositionBox(app);
        drawBoxFace(app, BOX_TYPE, st.insertType <= 1 ? 23 : 48);
        static constexpr const char* TYPES[4] = {"CC", "PC", "BEND", "TEMPO"};
        drawText(dc, 1124, 139, TYPES[std::clamp(st.insertType, 0, 3)], COL_BLACK);
        if (st.insertType <= 1) {
            fieldBox(dc, 1149, 139, 21, 14, isHovered(app, BOX_PROCS[BOX_VALUE]) ? COL_HOVER : COL_WHITE);
            drawNumberZero(dc, 1151, 139, st.insertType == 0 ? st.insertController : st.insertProgram + 1, 99,
                           COL_BLACK);
        }
        bevelButton(dc, st.enterHeld, 1181, 136, 55, 19, 250, 247, 251);
        drawText(dc, 1186, 137, "ENTER", COL_WHITE);
    }
    drawList(app);
    bevelButton(dc, st.closeHeld, 1091, 533, 65, 18, 246, 245, 248);
    drawText(dc, 1111, 535, "Close", COL_BLACK);
}

uint32_t stepPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE: {
            if (!inPanelArea(app, PANEL_STEP)) return msg;
            const StepEditorState& st = se(app);
            bool box = hitTest(app, listProc, 0, 0, LIST_X, LIST_Y, 230, 364);
            box |= hitTest(app, BOX_PROCS[BOX_TRACK], 0, 0, 1056, 95, 50, 16);
            box |= hitTest(app, BOX_PROCS[BOX_VIEW], 0, 0, 1056, 113, 97, 16);
            if (numberView(st)) box |= hitTest(app, BOX_PROCS[BOX_NUMBER], 0, 0, 1186, 113, 30, 16);
            if (app.ui->stepTrack != 0) {
                box |= hitTest(app, BOX_PROCS[BOX_POSITION], 0, 0, 1056, 138, 65, 16);
                box |= hitTest(app, BOX_PROCS[BOX_TYPE], 0, 0, 1121, 138, 50, 16);
                if (st.insertType <= 1) box |= hitTest(app, BOX_PROCS[BOX_VALUE], 0, 0, 1151, 138, 20, 16);
                hitTest(app, enterProc, 0, 0, 1181, 136, 55, 19);
            }
            hitTest(app, closeProc, 0, 0, 1091, 533, 65, 18);
            if (box) markDirty(app, DIRTY_GRID_STEP);
            return 0;
        }
        case PM_PAINT:
            // The mixer has the area while the step editor is off.
            if (app.ui->stepEditView) paint(app);
            return 0;
        default: break;
    }
    const uint32_t answer = forwardToHover(app, msg, arg);
    if (answer == 0) markDirty(app, DIRTY_GRID_STEP);
    return answer;
}

bool stepLive(const AppState& app) { return app.ui->stepEditView; }

}  // namespace

void installStepEditor(AppState& app) {
    PanelRecord r;
    r.proc = stepPanel;
    r.paintBits[0] = DIRTY_GRID_STEP;
    r.areas[0] = {1012, 1240, 94, 557};
    r.areaCount = 1;
    r.live = stepLive;
    registerPanel(app, PANEL_STEP, r);
}

}  // namespace qz
