// The Chord Edit window (overlay 4, panel 19): the twenty chord types with
// their names, six interval slots and a keyboard picture each, learning a
// chord from the keys played, Default and Close.
#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/menus.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t ROW_Y = 57, ROW_PITCH = 25;
constexpr int32_t KEYS_X = 631, KEYS_W = 168;
constexpr int32_t SLOT_X = 446, SLOT_W = 30;
constexpr int32_t COL_FRAME = 210;
constexpr int32_t COL_BODY = 1;
constexpr int32_t COL_MARK_WHITE = 253;

// Where the mark of interval -12..11 sits on the two-octave picture.
constexpr uint8_t MARK_X[24] = {2,  8,  14, 20, 26, 38, 44, 50,  56,  62,  68,  74,
                               86, 92, 98, 104, 110, 122, 128, 134, 140, 146, 152, 158};

enum Element : uint32_t { EL_NAMES, EL_SLOTS, EL_KEYS, EL_DEFAULT, EL_CLOSE, EL_CLOSE_BOX };

ChordEditState& ce(AppState& app) { return screens(app).chordEdit; }
int rowAt(int32_t y) { return std::clamp((y - 56) / ROW_PITCH, 0, CHORD_TYPES - 1); }
bool blackKey(int i) {
    const int k = (i + 12) % 12;
    return k == 1 || k == 3 || k == 6 || k == 8 || k == 10;
}

// Sound the row's chord on middle C (down) or end it.
void audition(AppState& app, int type, bool down) {
    const int track = std::clamp(app.currentTrack, 1, int(USER_TRACKS));
    if (down)
        liveNoteOn(app, track, 60, 127, 0, type, 0);
    else
        liveChordOff(app, track, 60, type);
}

void closeWindow(AppState& app) {
    setOverlay(app, OVERLAY_NONE);
    pollChordEdit(app);
}

uint32_t elementProc(AppState& app, uint32_t msg, uint32_t arg) {
    ChordEditState& st = ce(app);
    const uint32_t el = app.ui->hoverHandler.a;
    const int row = rowAt(app.ui->mouseY);
    switch (msg) {
        case PM_LDOWN:
        case PM_RDOWN:
            if (el == EL_NAMES) {
                st.pointX = app.ui->mouseX;
                st.pointY = app.ui->mouseY;
            } else if (el == EL_SLOTS || el == EL_KEYS) {
                st.soundingType = row;
                audition(app, row, true);
            } else if (el == EL_DEFAULT) {
                ChordDef table[CHORD_TYPES];
                defaultChordTable(table);
                // Chords may be playing from the input thread: byte by byte.
                for (int t = 0; t < CHORD_TYPES; ++t) {
                    std::memcpy(app.settings.chordTable[t].name, table[t].name, sizeof table[t].name);
                    for (int k = 0; k < CHORD_SLOTS; ++k)
                        std::atomic_ref<int8_t>(app.settings.chordTable[t].intervals[k])
                            .store(table[t].intervals[k], std::memory_order_relaxed);
                }
                st.defaultHeld = true;
            } else if (el == EL_CLOSE) {
                st.closeHeld = true;
            }
            break;
        case PM_LUP:
        case PM_RUP:
            if (st.soundingType >= 0) audition(app, st.soundingType, false);
            st.soundingType = -1;
            st.defaultHeld = st.closeHeld = false;
            if (el == EL_NAMES) {
                if (!app.engine.playing.load(std::memory_order_acquire)) {
                    st.renameType = row;
                    textDialog(app, CHORD_NAME_DIALOG);
                }
                warpPointer(app, st.pointX, st.pointY);
            } else if (el == EL_CLOSE || el == EL_CLOSE_BOX) {
                closeWindow(app);
                return 0;
            }
            break;
        case PM_WHEEL:
            if (el != EL_SLOTS) return msg;
            {
                const int k = std::clamp((app.ui->mouseX - SLOT_X) / SLOT_W, 0, CHORD_SLOTS - 1);
                int8_t& slot = app.settings.chordTable[row].intervals[k];
                int8_t v = std::atomic_ref<int8_t>(slot).load(std::memory_order_relaxed);
                stepValue(v, -24, 23, int32_t(arg));
                std::atomic_ref<int8_t>(slot).store(v, std::memory_order_relaxed);
            }
            break;
        case PM_TEXT_GET:
            std::memcpy(app.ui->textBuffer, app.settings.chordTable[st.renameType].name, 7);
            return 0;
        case PM_TEXT_SET: {
            char* name = app.settings.chordTable[st.renameType].name;
            std::memset(name, 0, 8);
            std::memcpy(name, app.ui->textBuffer, std::min<size_t>(std::strlen(app.ui->textBuffer), 7));
            break;
        }
        case PM_TEXT_CANCEL: return 0;
        case PM_LEAVE: break;
        default: return msg;
    }
    markDirty(app, DIRTY_OVERLAY);
    return 0;
}

void drawKeyboard(DrawContext& dc, const ChordDef& c, int32_t top) {
    for (int w = 0; w < 14; ++w) {
        fillRect(dc, KEYS_X + 12 * w, top, 12, 22, COL_WHITE);
        frameRect(dc, KEYS_X + 12 * w, top, 13, 22, COL_BLACK);
    }
    for (int i = -12; i < 12; ++i)
        if (blackKey(i)) fillRect(dc, KEYS_X + MARK_X[i + 12] - 1, top, 8, 13, COL_BLACK);
    auto mark = [&](int i) {
        if (i < -12 || i > 11) return;  // beyond the picture
        const bool black = blackKey(i);
        fillRect(dc, KEYS_X + 1 + MARK_X[i + 12], top + (black ? 2 : 13), 5, 5, black ? COL_WHITE : COL_MARK_WHITE);
    };
    for (int k = 0; k < CHORD_SLOTS; ++k) mark(c.intervals[k]);
}

void paint(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const ChordEditState& st = ce(app);
    frameRect(dc, 370, 11, 455, 600, COL_FRAME);
    frameRect(dc, 371, 12, 453, 598, COL_FRAME);
    frameRect(dc, 372, 13, 451, 596, COL_FRAME);
    fillRect(dc, 373, 14, 449, 28, COL_BUTTON_OFF);
    fillRect(dc, 373, 42, 449, 566, COL_BODY);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 550, 17, "Chord Edit", COL_BLACK);
    const HoverHandler& h = app.ui->hoverHandler;
    const bool keysFocus = h.proc == elementProc && h.a == EL_KEYS;
    const int pointer = rowAt(app.ui->mouseY);
    selectFont(dc, FONT_ARIAL_14);
    for (int r = 0; r < CHORD_TYPES; ++r) {
        const int32_t y = ROW_Y + ROW_PITCH * r;
        const ChordDef& c = app.settings.chordTable[r];
        const bool nameHover = h.proc == elementProc && h.a == EL_NAMES && pointer == r;
        fieldBox(dc, 391, y, 53, 22, nameHover ? COL_HOVER : COL_FIELD);
        drawTextN(dc, 393, 58 + ROW_PITCH * r, c.name, 7, COL_BLACK);
        for (int k = 0; k < CHORD_SLOTS; ++k) {
            const int32_t x = SLOT_X + SLOT_W * k;
            const int v = c.intervals[k];
            if (v == 0)
                fillRect(dc, x + 5, 64 + ROW_PITCH * r, 20, 2, COL_BLACK);
            else
                drawSigned(dc, x + 3, 58 + ROW_PITCH * r, v, 99, COL_BLACK);
        }
        drawKeyboard(dc, c, y);
    }
    if (keysFocus) {
        frameRect(dc, KEYS_X, ROW_Y + ROW_PITCH * pointer - 4, KEYS_W, 27, COL_BUTTON_ON);
        drawText(dc, 641, 558, "Please play C first.", COL_BLACK);
    }
    bevelButton(dc, st.defaultHeld, 460, 581, 80, 22, COL_BUTTON_OFF, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    drawText(dc, 476, 584, "Default", COL_BLACK);
    bevelButton(dc, st.closeHeld, 660, 581, 80, 22, COL_BUTTON_OFF, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    drawText(dc, 683, 584, "Close", COL_BLACK);
    bevelButton(dc, false, 796, 15, 24, 24, COL_BUTTON_OFF, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    drawGlyph(dc, 800, 19, GLYPH_X_15, COL_BLACK);
}

uint32_t chordEditPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE: {
            if (!inPanelArea(app, PANEL_CHORD)) return msg;
            const uint32_t row = uint32_t(rowAt(app.ui->mouseY));
            hitTest(app, elementProc, EL_NAMES, row, 390, 56, 55, 500);
            hitTest(app, elementProc, EL_SLOTS, row, SLOT_X, 56, SLOT_W * CHORD_SLOTS, 500);
            hitTest(app, elementProc, EL_KEYS, row, KEYS_X, 58, KEYS_W, 500);
            hitTest(app, elementProc, EL_DEFAULT, 0, 460, 581, 80, 22);
            hitTest(app, elementProc, EL_CLOSE, 0, 660, 581, 80, 22);
            hitTest(app, elementProc, EL_CLOSE_BOX, 0, 796, 15, 24, 24);
            const HoverHandler& h = app.ui->hoverHandler;
            // Learning fills the type under the pointer in the keyboard column.
            app.chordIn.learnType.store(h.proc == elementProc && h.a == EL_KEYS ? int32_t(row) : -1,
                                        std::memory_order_release);
            return 0;
        }
        case PM_MOVE:
            if (!(app.ui->hoverHandler == app.ui->prevHoverHandler)) markDirty(app, DIRTY_OVERLAY);
            return 0;
        case PM_PAINT: paint(app); return 0;
        case PM_LDOWN:
        case PM_LUP:
        case PM_RDOWN:
        case PM_RUP:
        case PM_WHEEL:
        case PM_TEXT_GET:
        case PM_TEXT_SET:
        case PM_TEXT_CANCEL: return forwardToHover(app, msg, arg);
        default: return msg;
    }
}

}  // namespace

void pollChordEdit(AppState& app) {
    ChordEditState& st = ce(app);
    const bool open = app.ui->overlayMode == OVERLAY_CHORD;
    if (open == st.wasOpen) return;
    st.wasOpen = open;
    app.rec.chordEditOpen.store(open, std::memory_order_release);
    if (!open) {
        // Back to normal mode: no key or pedal of the window is remembered.
        app.chordIn.learnType.store(-1, std::memory_order_release);
        if (st.soundingType >= 0) audition(app, st.soundingType, false);
        st.soundingType = -1;
        clearHeldKeys(app);
    }
}

void installChordEdit(AppState& app) {
    PanelRecord r;
    r.proc = chordEditPanel;
    r.areas[0] = {371, 824, 12, 610};
    r.areaCount = 1;
    registerPanel(app, PANEL_CHORD, r);
}

}  // namespace qz
