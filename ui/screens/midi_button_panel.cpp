// The MIDI to button window (overlay 5, panel 2): thirty rows binding a
// note or controller to a button, with the switch, the input device, the
// channel, status and number columns, learning from the next message played,
// ALL RESET and Close. The window thread's side of MIDI to button lives here
// too: the input thread only matches and hands the messages over.
//
// Sections: the rows; pressing a button; learning and the poll; the
// elements; painting; the panel.
#include "ui/screens/midi_button_panel.h"

#include <algorithm>

#include "engine/engine.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/bar_ruler.h"
#include "ui/screens/pads_panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"
#include "ui/screens/transport_panel.h"

namespace qz {

namespace {

// ---- The rows ----------------------------------------------------------------

constexpr int32_t ROWS = MIDI_BUTTON_COUNT;
constexpr int32_t ROW_Y = 47;
constexpr int32_t ROW_PITCH = 18;
constexpr int32_t BUTTON_X = 360;

enum Column : uint32_t { COL_CH, COL_STATUS, COL_NUMBER, COLUMN_COUNT };
struct ColumnDef {
    int32_t x, w;
};
constexpr ColumnDef COLUMNS[COLUMN_COUNT] = {{231, 26}, {259, 34}, {305, 25}};
constexpr int32_t COLUMN_H = ROWS * ROW_PITCH;

constexpr uint8_t TRI_NONE = 0, TRI_LEFT = 1, TRI_RIGHT = 2;
struct RowButton {
    const char* label;
    uint8_t triangle;
    bool bar;  // the bar of the start and end buttons
};
constexpr RowButton ROW_BUTTONS[ROWS] = {
    {"REPEAT", TRI_NONE, false},     {"ERASE", TRI_NONE, false},    {"WAIT KEY", TRI_NONE, false},
    {"REC", TRI_NONE, false},        {"OVER DUB", TRI_NONE, false}, {"STEP REC", TRI_NONE, false},
    {"STOP", TRI_NONE, false},       {"PLAY", TRI_NONE, false},     {"START", TRI_NONE, false},
    {"LOOP", TRI_NONE, false},       {"MUTE MODE", TRI_NONE, false}, {"MUTE ALL", TRI_NONE, false},
    {"MUTE CLEAR", TRI_NONE, false}, {"MUTE MUTE", TRI_NONE, false}, {"MUTE SOLO", TRI_NONE, false},
    {"PANIC", TRI_NONE, false},      {"SOLO", TRI_NONE, false},     {"NOTE", TRI_LEFT, false},
    {"NOTE", TRI_RIGHT, false},      {"STEP", TRI_LEFT, false},     {"STEP", TRI_RIGHT, false},
    {"BAR", TRI_LEFT, false},        {"BAR", TRI_RIGHT, false},     {nullptr, TRI_LEFT, true},
    {nullptr, TRI_RIGHT, true},      {"ZOOM IN", TRI_NONE, false},  {"ZOOM OUT", TRI_NONE, false},
    {"ALL TRACKS", TRI_NONE, false}, {"TAP TEMPO", TRI_NONE, false}, {"UNDO", TRI_NONE, false},
};

int32_t rowButtonWidth(int b) {  // b = 1..30
    if (b >= 18 && b <= 25) return 34;
    if ((b >= 11 && b <= 15) || b >= 26) return 90;
    return 80;
}

int32_t rowButtonFill(int b) {
    if (b <= 2) return 15;
    if (b >= 4 && b <= 6) return 35;
    if (b >= 7 && b <= 9) return 192;
    return 250;
}

MidiButtonPanelState& mb(AppState& app) { return screens(app).midiButtons; }
bool switchOn(const AppState& app) { return settingLoad(app.settings.midiButtonEnabled) != 0; }
bool windowOpen(const AppState& app) { return app.ui->overlayMode == OVERLAY_MIDI_TO_BUTTON; }
int32_t inputDeviceCount(const AppState& app) {
    int32_t n = 0;
    for (const auto& name : screens(app).monitorPanels.inPortNames) n += name[0] != 0;
    return n;
}

// A row's value in a column, and storing one.
uint32_t& cell(AppState& app, uint32_t column, int row) {
    PersistentSettings& s = app.settings;
    switch (column) {
        case COL_CH: return s.midiButtonChannel[row];
        case COL_STATUS: return s.midiButtonStatus[row];
        default: return s.midiButtonNumber[row];
    }
}

int rowAt(int32_t y) { return std::clamp((y - ROW_Y) / ROW_PITCH, 0, ROWS - 1); }

// ---- Pressing a button ----------------------------------------------------------

}  // namespace

void pressMidiButton(AppState& app, int button, bool down) {
    if (pressMappedTransportButton(app, button, down)) return;
    // The bar ruler's start and end buttons and the pads' ALL TRACKS toggle.
    const uint32_t msg = down ? PM_LDOWN : PM_LUP;
    if (button == 24) startButton(app, msg, 0);
    if (button == 25) endButton(app, msg, 0);
    if (button == 28) toggleAllTracks(app, msg, 0);
    markDirty(app, DIRTY_ALL);
}

namespace {

// ---- Learning and the poll --------------------------------------------------------

// The column and row the pointer is in, when it is in one of the three.
bool pointerRow(const AppState& app, uint32_t& column, int& row);

void learn(AppState& app, const ButtonMessage& m) {
    MidiButtonPanelState& st = mb(app);
    PersistentSettings& s = app.settings;
    const uint32_t ch = uint32_t(m.channel + 1);
    const uint32_t status = uint32_t(m.status);
    auto matches = [&](int r) {
        return (s.midiButtonChannel[r] == 0 || s.midiButtonChannel[r] == ch) && s.midiButtonStatus[r] == status &&
               s.midiButtonNumber[r] == uint32_t(m.number);
    };
    uint32_t column = 0;
    int row = 0;
    if (!pointerRow(app, column, row)) {
        // Rows light while their message is held.
        for (int r = 0; r < ROWS; ++r)
            if (matches(r)) st.state[r] = m.value;
        return;
    }
    if (!m.press) {
        st.state[row] = 0;
        if (row + 1 < ROWS) warpPointer(app, app.ui->mouseX, ROW_Y + ROW_PITCH * (row + 1) + ROW_PITCH / 2);
        return;
    }
    if (s.midiButtonChannel[row] == 0 || s.midiButtonChannel[row] == ch) {
        // One row per message: the others that this message would press let go.
        for (int r = 0; r < ROWS; ++r)
            if (r != row && matches(r)) s.midiButtonStatus[r] = 0;
        s.midiButtonStatus[row] = status;
        s.midiButtonNumber[row] = uint32_t(m.number);
    }
    st.state[row] = m.value;
}

}  // namespace

void pollMidiButtons(AppState& app) {
    MidiButtonPanelState& st = mb(app);
    const bool open = windowOpen(app);
    if (open != st.wasOpen) {
        st.wasOpen = open;
        // release: the input thread that sees the window closed sees the new tables.
        if (!open) rebuildButtonLookup(app);
        app.buttonIn.windowOpen.store(open, std::memory_order_release);
    }
    ButtonMessage m;
    while (takeButtonMessage(app, m)) {
        if (m.learn) {
            if (open) learn(app, m);
            markDirty(app, DIRTY_OVERLAY);
            continue;
        }
        if (m.button < 1 || m.button > ROWS) continue;
        st.state[m.button - 1] = m.value;
        pressMidiButton(app, m.button, m.press);
    }
}

namespace {

// ---- The elements -----------------------------------------------------------------

constexpr uint32_t EL_SWITCH = 0, EL_DEVICE = 1, EL_RESET = 2, EL_CLOSE = 3, EL_CLOSE_BOX = 4;

uint32_t columnProc(AppState& app, uint32_t msg, uint32_t arg);

bool pointerRow(const AppState& app, uint32_t& column, int& row) {
    const HoverHandler& h = app.ui->hoverHandler;
    if (h.proc != columnProc || h.a >= COLUMN_COUNT) return false;
    column = h.a;
    row = rowAt(app.ui->mouseY);
    return true;
}

void stepCell(AppState& app, uint32_t column, int row, int32_t step, bool nearLeft) {
    uint32_t& v = cell(app, column, row);
    if (column == COL_CH) {
        stepValue(v, 0, 16, step);
    } else if (column == COL_STATUS) {
        if (step > 0)
            v = v == 0 ? BUTTON_STATUS_CTRL : BUTTON_STATUS_NOTE;
        else
            v = v == BUTTON_STATUS_NOTE ? BUTTON_STATUS_CTRL : 0;
    } else {
        stepValue(v, 0, 127, nearLeft ? step * 10 : step);
    }
}

uint32_t columnProc(AppState& app, uint32_t msg, uint32_t arg) {
    MidiButtonPanelState& st = mb(app);
    const uint32_t column = app.ui->hoverHandler.a;
    if (column >= COLUMN_COUNT) return msg;
    const int row = rowAt(app.ui->mouseY);
    switch (msg) {
        case PM_WHEEL: {
            const bool nearLeft = app.ui->mouseX < COLUMNS[column].x + 10;
            stepCell(app, column, row, int32_t(arg), nearLeft);
            if (st.allRows)
                for (int r = 0; r < ROWS; ++r) cell(app, column, r) = cell(app, column, row);
            break;
        }
        case PM_LDOWN:
            st.allRows = false;
            st.dragColumn = int32_t(column);
            st.dragValue = cell(app, column, row);
            break;
        case PM_RDOWN: st.allRows = !st.allRows; break;
        case PM_LUP: st.dragColumn = -1; break;
        case PM_LEAVE: break;
        default: return msg;
    }
    markDirty(app, DIRTY_OVERLAY);
    return 0;
}

void closeWindow(AppState& app) {
    setOverlay(app, OVERLAY_NONE);
    pollMidiButtons(app);
}

uint32_t elementProc(AppState& app, uint32_t msg, uint32_t arg) {
    MidiButtonPanelState& st = mb(app);
    const uint32_t el = app.ui->hoverHandler.a;
    switch (msg) {
        case PM_LDOWN:
            if (el == EL_SWITCH) settingStore(app.settings.midiButtonEnabled, switchOn(app) ? 0 : 1);
            if (el == EL_RESET) {
                st.resetHeld = true;
                for (int r = 0; r < ROWS; ++r)
                    for (uint32_t c = 0; c < COLUMN_COUNT; ++c) cell(app, c, r) = 0;
            }
            if (el == EL_CLOSE) st.closeHeld = true;
            break;
        case PM_LUP:
            st.resetHeld = false;
            st.closeHeld = false;
            if (el == EL_CLOSE || el == EL_CLOSE_BOX) {
                closeWindow(app);
                return 0;
            }
            break;
        case PM_WHEEL:
            if (el == EL_SWITCH) {
                uint32_t v = settingLoad(app.settings.midiButtonEnabled);
                stepValue(v, 0, 1, int32_t(arg));
                settingStore(app.settings.midiButtonEnabled, v);
            } else if (el == EL_DEVICE) {
                uint32_t v = settingLoad(app.settings.midiButtonDevice);
                stepValue(v, 0, inputDeviceCount(app) + 2, int32_t(arg));
                settingStore(app.settings.midiButtonDevice, v);
            } else {
                return msg;
            }
            break;
        case PM_LEAVE:
            st.resetHeld = st.closeHeld = false;
            break;
        default: return msg;
    }
    markDirty(app, DIRTY_OVERLAY);
    return 0;
}

// ---- Painting ---------------------------------------------------------------------

int32_t inkOn(int32_t face) {
    const uint32_t rgb = paletteColour(face);
    const uint32_t sum = ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF);
    return sum >= 0x180 ? COL_BLACK : COL_WHITE;
}

void centred(DrawContext& dc, int32_t x, int32_t w, int32_t y, const char* text, int32_t c) {
    drawText(dc, x + std::max(0, (w - textWidth(dc, text)) / 2), y, text, c);
}

void paintRowButton(AppState& app, int b) {  // b = 1..30
    DrawContext& dc = app.ui->draw;
    const RowButton& rb = ROW_BUTTONS[b - 1];
    const int32_t y = ROW_Y + ROW_PITCH * (b - 1);
    const int32_t w = rowButtonWidth(b);
    const int32_t h = b == 7 ? 18 : 17;
    const int32_t face = mb(app).state[b - 1] != 0 ? COL_BUTTON_ON : rowButtonFill(b);
    const int32_t ink = inkOn(face);
    bevelButton(dc, false, BUTTON_X, y, w, h, face, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    const int32_t gy = y + (h - 11) / 2;
    if (rb.bar) {
        drawGlyph(dc, BUTTON_X + 9, gy, rb.triangle == TRI_LEFT ? GLYPH_TO_START : GLYPH_TO_END, ink);
        return;
    }
    selectFont(dc, FONT_ARIAL_14);
    if (rb.triangle == TRI_NONE) {
        centred(dc, BUTTON_X, w, y + 1, rb.label, ink);
        return;
    }
    // The word and its triangle share 34 pixels: the small interface font.
    selectFont(dc, FONT_GUI);
    const int32_t tw = textWidth(dc, rb.label);
    if (rb.triangle == TRI_LEFT) {
        drawGlyph(dc, BUTTON_X + 2, gy, GLYPH_LEFT_11, ink);
        drawText(dc, BUTTON_X + 9, y + 2, rb.label, ink);
    } else {
        drawText(dc, BUTTON_X + 3, y + 2, rb.label, ink);
        drawGlyph(dc, BUTTON_X + std::max(3 + tw, w - 9), gy, GLYPH_RIGHT_11, ink);
    }
}

void paintColumns(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const MidiButtonPanelState& st = mb(app);
    uint32_t hoverColumn = COLUMN_COUNT;
    int hoverRow = -1;
    pointerRow(app, hoverColumn, hoverRow);
    selectFont(dc, FONT_ARIAL_14);
    for (uint32_t c = 0; c < COLUMN_COUNT; ++c) {
        const ColumnDef& cd = COLUMNS[c];
        for (int r = 0; r < ROWS; ++r) {
            const int32_t y = ROW_Y + ROW_PITCH * r;
            const bool lit = c == hoverColumn && (r == hoverRow || st.allRows);
            drawField(dc, lit, cd.x, y, cd.w, 16);
            const uint32_t v = cell(app, c, r);
            if (c == COL_CH) {
                if (v == 0)
                    drawText(dc, cd.x + 2, y + 1, "ALL", COL_BLACK);
                else
                    drawNumberBlank(dc, cd.x + 4, y + 1, int32_t(v), 99, COL_BLACK);
            } else if (c == COL_STATUS) {
                drawText(dc, cd.x + 2, y + 1, v == BUTTON_STATUS_NOTE ? "NOTE" : v == BUTTON_STATUS_CTRL ? "CTRL" : "OFF",
                         COL_BLACK);
            } else if (app.settings.midiButtonStatus[r] != 0) {
                drawNumberBlank(dc, cd.x + 1, y + 1, int32_t(v & 127), 999, COL_BLACK);
            }
        }
    }
}

void paintWindow(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const MidiButtonPanelState& st = mb(app);
    fillRect(dc, 190, 1, 300, 621, COL_NOTE_ROW);
    fillRect(dc, 193, 4, 294, 615, COL_LIGHT_GREY);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 200, 7, "MIDI to button", COL_BLACK);
    hLine(dc, 193, 28, 294, 1, COL_BEVEL_DARK);
    hLine(dc, 193, 29, 294, 1, COL_BEVEL_LIGHT);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 200, 31, "Dev. Ch. Status Number    BUTTON", COL_BLACK);
    const bool on = switchOn(app);
    drawSwitch(dc, on, false, 300, 7, 34, 16);
    centred(dc, 300, 34, 8, on ? "ON" : "OFF", COL_BLACK);
    if (on) {
        drawField(dc, isHovered(app, elementProc, EL_DEVICE), 200, 47, 30, 16);
        const uint32_t dev = settingLoad(app.settings.midiButtonDevice);
        if (dev == 0)
            drawText(dc, 202, 48, "ALL", COL_BLACK);
        else
            drawNumberBlank(dc, 206, 48, int32_t(dev), 99, COL_BLACK);
        paintColumns(app);
        bevelButton(dc, st.resetHeld, 230, 596, 100, 22, st.resetHeld ? COL_BUTTON_ON : COL_BUTTON_OFF,
                    COL_BEVEL_LIGHT, COL_BEVEL_DARK);
        centred(dc, 230, 100, 599, "ALL RESET", COL_BLACK);
    }
    for (int b = 1; b <= ROWS; ++b) paintRowButton(app, b);
    bevelButton(dc, st.closeHeld, 360, 596, 80, 22, st.closeHeld ? COL_BUTTON_ON : COL_BUTTON_OFF, COL_BEVEL_LIGHT,
                COL_BEVEL_DARK);
    centred(dc, 360, 80, 599, "Close", COL_BLACK);
    bevelButton(dc, false, 461, 5, 24, 24, COL_BUTTON_OFF, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    drawGlyph(dc, 465, 9, GLYPH_X_15, COL_BLACK);
}

// ---- The panel --------------------------------------------------------------------

void dragCopy(AppState& app) {
    MidiButtonPanelState& st = mb(app);
    if (st.dragColumn < 0) return;
    const ColumnDef& cd = COLUMNS[st.dragColumn];
    const UiState& ui = *app.ui;
    if (ui.mouseX < cd.x || ui.mouseX >= cd.x + cd.w || ui.mouseY < ROW_Y || ui.mouseY >= ROW_Y + COLUMN_H) return;
    cell(app, uint32_t(st.dragColumn), rowAt(ui.mouseY)) = st.dragValue;
    markDirty(app, DIRTY_OVERLAY);
}

uint32_t midiButtonPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE: {
            if (!inPanelArea(app, PANEL_MIDI_TO_BUTTON)) return msg;
            hitTest(app, elementProc, EL_SWITCH, 0, 300, 7, 34, 16);
            hitTest(app, elementProc, EL_CLOSE, 0, 360, 596, 80, 22);
            hitTest(app, elementProc, EL_CLOSE_BOX, 0, 461, 5, 24, 24);
            if (switchOn(app)) {
                hitTest(app, elementProc, EL_DEVICE, 0, 200, 47, 30, 16);
                hitTest(app, elementProc, EL_RESET, 0, 230, 596, 100, 22);
                for (uint32_t c = 0; c < COLUMN_COUNT; ++c)
                    hitTest(app, columnProc, c, uint32_t(rowAt(app.ui->mouseY)), COLUMNS[c].x, ROW_Y, COLUMNS[c].w,
                            COLUMN_H);
            }
            return 0;
        }
        case PM_MOVE:
            if (!(app.ui->hoverHandler == app.ui->prevHoverHandler)) markDirty(app, DIRTY_OVERLAY);
            return 0;
        case PM_PAINT:
            paintWindow(app);
            return 0;
        case PM_LDRAG:
            dragCopy(app);
            return 0;
        case PM_LUP:
            mb(app).dragColumn = -1;
            return forwardToHover(app, msg, arg);
        case PM_LDOWN:
        case PM_RDOWN:
        case PM_WHEEL:
            return forwardToHover(app, msg, arg);
        default: return msg;
    }
}

}  // namespace

void installMidiButtonPanel(AppState& app) {
    PanelRecord r;
    r.proc = midiButtonPanel;
    r.areas[0] = {190, 489, 1, 621};
    r.areaCount = 1;
    registerPanel(app, PANEL_MIDI_TO_BUTTON, r);
}

}  // namespace qz
