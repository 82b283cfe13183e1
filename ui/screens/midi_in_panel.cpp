// The MIDI-in panel at the left edge (panel 10): the opened input devices
// with their clock lamps, the input filters, the MIDI thru switch of the top
// bar, the MIDI in monitor and (rec_params_panel.cpp) the record parameters.
// The input thread reads the filters, so every write goes through
// `settingStore`.
#include "ui/screens/midi_in_panel.h"

#include <algorithm>
#include <cstdio>

#include "engine/engine.h"
#include "engine/recording.h"
#include "program/program.h"
#include "ui/framework/panel.h"
#include "ui/screens/monitor_lines.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t COL_MONITOR_BG = COL_BLACK;
constexpr int32_t COL_MONITOR_BAND = 247;
// Frames between two blinks of "CLK" while a device's clock runs.
constexpr int32_t CLK_BLINK_FRAMES = 15;

// The five filter fields, by their hover word.
enum InField : uint32_t { IF_CHANNEL, IF_CLOCK, IF_PRESSURE, IF_PROGRAM, IF_THRU, IF_COUNT };
struct InFieldDef {
    int32_t x, y, w, h;
    uint32_t PersistentSettings::*field;
    int32_t max;
};
constexpr InFieldDef IN_FIELDS[IF_COUNT] = {
    {61, 101, 32, 19, &PersistentSettings::inChannel, 16},
    {142, 101, 35, 19, &PersistentSettings::clockInPort, 5},
    {61, 121, 32, 19, &PersistentSettings::receivePressure, 1},
    {142, 121, 35, 19, &PersistentSettings::receiveProgram, 5},
    {620, 3, 146, 19, &PersistentSettings::midiThru, 1},
};

void drawInField(AppState& app, uint32_t i, bool hovered) {
    DrawContext& dc = app.ui->draw;
    const InFieldDef& f = IN_FIELDS[i];
    const uint32_t v = settingLoad(app.settings.*f.field);
    drawField(dc, hovered, f.x, f.y, f.w, f.h);
    selectFont(dc, FONT_ARIAL_16);
    char text[20] = "";
    switch (i) {
    case IF_CHANNEL: {
        // A refused channel shows for a moment instead of the setting.
        const int32_t refused = app.rec.wrongChannelFrames.load(std::memory_order_relaxed) > 0
                                    ? app.rec.wrongChannel.load(std::memory_order_relaxed)
                                    : 0;
        const uint32_t shown = refused > 0 ? uint32_t(refused) : v;
        if (shown == 0)
            std::snprintf(text, sizeof text, "ALL");
        else
            std::snprintf(text, sizeof text, "%u", unsigned(shown));
        break;
    }
    case IF_CLOCK:
        if (v == 0)
            std::snprintf(text, sizeof text, " OFF ");
        else
            std::snprintf(text, sizeof text, "Dev%u", unsigned(std::min<uint32_t>(v, 5)));
        break;
    case IF_PRESSURE:
    case IF_PROGRAM: std::snprintf(text, sizeof text, "%s", v ? "ON" : "OFF"); break;
    default: std::snprintf(text, sizeof text, "%s", v ? "As Track Channel" : "OFF"); break;
    }
    const int32_t tw = textWidth(dc, text);
    drawText(dc, f.x + std::max((f.w - tw) / 2, 1), f.y + 1, text, COL_PANEL_TEXT);
}

// A filter field or the thru switch: a press toggles (Channel: nothing), the
// wheel steps within the range. The thru switch redraws the whole screen,
// because the top bar's signal line follows it.
uint32_t inFieldHandler(AppState& app, uint32_t msg, uint32_t arg) {
    if (msg == PM_LEAVE) {
        markDirty(app, DIRTY_REC_PARAMS);
        return 0;
    }
    if (app.ui->hoverHandler.proc != inFieldHandler) return msg;
    const uint32_t i = app.ui->hoverHandler.a;
    if (i >= IF_COUNT) return msg;
    const InFieldDef& f = IN_FIELDS[i];
    uint32_t& word = app.settings.*f.field;
    switch (msg) {
    case PM_HILITE:
        drawInField(app, i, true);
        return 0;
    case PM_LDOWN:
        if (i == IF_CHANNEL) return 0;
        settingStore(word, settingLoad(word) ? 0 : 1);
        break;
    case PM_WHEEL: {
        uint32_t v = settingLoad(word);
        stepValue(v, 0, f.max, int32_t(arg));
        settingStore(word, v);
        break;
    }
    default:
        return msg;
    }
    markDirty(app, i == IF_THRU ? DIRTY_ALL : DIRTY_REC_PARAMS);
    return 0;
}

// Device names, and "CLK" where a device's clock runs (it blinks: `phase`).
void drawDeviceRows(AppState& app, bool namesToo) {
    DrawContext& dc = app.ui->draw;
    MonitorPanels& m = screens(app).monitorPanels;
    const bool clockAlive = app.engine.extClockAlive.load(std::memory_order_relaxed) != 0;
    selectFont(dc, FONT_ARIAL_14);
    for (int32_t i = 0; i < MON_DEVICE_ROWS; ++i) {
        const int32_t y = 19 + 16 * i;
        if (namesToo) {
            fillRect(dc, 16, y, 162, 16, COL_PANEL);
            // A long name stops short of the "CLK" column.
            drawTextFitted(dc, 16, y, m.inPortNames[i], MON_DEVICE_NAME, 156 - 16 - 2, COL_PANEL_TEXT);
        }
        fillRect(dc, 156, y, 22, 16, COL_PANEL);
        if (m.clkPhase && clockAlive && app.rec.clockActivity[i].load(std::memory_order_relaxed) != 0)
            drawText(dc, 156, y, "CLK", COL_PANEL_TEXT);
    }
}

// The eight newest input messages, the newest on the bottom line.
void drawInMonitor(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 2, 177, 176, 100, COL_MONITOR_BG);
    uint32_t entries[INPUT_MONITOR_SIZE];
    const int count = inputMonitorEntries(app, entries);
    selectFont(dc, FONT_GUI);
    for (int k = 0; k < 8 && k < count; ++k) {
        const uint32_t packed = entries[count - 1 - k];
        if (packed == 0) continue;
        drawMonitorLine(dc, MON_IN_COLUMNS, 261 - 12 * k, packed, false, false);
    }
}

void drawStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    // Device panel.
    fillRect(dc, 1, 1, 178, 141, COL_PANEL);
    frameRect(dc, 1, 1, 178, 141, COL_BEVEL_DARK);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 36, 2, "MIDI IN DEVICE", COL_PANEL_TEXT);
    hLine(dc, 2, 17, 176, 1, COL_BEVEL_DARK);
    selectFont(dc, FONT_ARIAL_14);
    for (int32_t i = 0; i < MON_DEVICE_ROWS; ++i) {
        const int32_t y = 19 + 16 * i;
        char digit[2] = {char('1' + i), 0};
        drawText(dc, 6, y, digit, COL_PANEL_TEXT);
        drawText(dc, 12, y, ":", COL_PANEL_TEXT);
    }
    hLine(dc, 2, 99, 176, 1, COL_BEVEL_DARK);
    drawText(dc, 6, 102, "Channel", COL_PANEL_TEXT);
    drawText(dc, 95, 102, "Clock", COL_PANEL_TEXT);
    drawText(dc, 6, 122, "Pressure", COL_PANEL_TEXT);
    drawText(dc, 95, 122, "Progrm", COL_PANEL_TEXT);
    // MIDI in monitor.
    fillRect(dc, 1, 142, 178, 136, COL_PANEL);
    frameRect(dc, 1, 142, 178, 136, COL_BEVEL_DARK);
    fillRect(dc, 2, 143, 176, 19, COL_MONITOR_BAND);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 38, 145, "MIDI in monitor", COL_PANEL_TEXT);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 4, 163, "Dev.Ch.", COL_PANEL_TEXT);
    drawText(dc, 54, 163, "Status", COL_PANEL_TEXT);
    drawText(dc, 104, 163, "Data1", COL_PANEL_TEXT);
    drawText(dc, 144, 163, "Data2", COL_PANEL_TEXT);
    hLine(dc, 2, 176, 176, 1, COL_BEVEL_DARK);
    drawRecordParamsStatic(app);
}

void drawFields(AppState& app) {
    for (uint32_t i = 0; i < IF_COUNT; ++i) drawInField(app, i, isHovered(app, inFieldHandler, i, 0));
}

uint32_t midiInPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
    case PM_PROBE:
        // This panel answers a hit with 1 and a miss with 0.
        if (!inPanelArea(app, PANEL_MIDI_IN)) return 0;
        for (uint32_t i = 0; i < IF_COUNT; ++i) {
            const InFieldDef& f = IN_FIELDS[i];
            hitTest(app, inFieldHandler, i, 0, f.x, f.y, f.w, f.h);
        }
        probeRecordParams(app);
        return 1;
    case PM_MOVE:
        // The element now under the pointer draws its highlight.
        if (!(app.ui->hoverHandler == app.ui->prevHoverHandler))
            markDirty(app, app.ui->hoverHandler.proc == inFieldHandler ? DIRTY_REC_PARAMS : DIRTY_MIDI_IN);
        return 0;
    case PM_STATIC:
        drawStatic(app);
        return 0;
    case PM_PAINT:
        if (arg == DIRTY_IN_MONITOR) {
            // Every redraw of the monitor flips the blinking "CLK".
            screens(app).monitorPanels.clkPhase = !screens(app).monitorPanels.clkPhase;
            drawDeviceRows(app, false);
            drawInMonitor(app);
        } else if (arg == DIRTY_REC_PARAMS) {
            drawFields(app);
        } else {
            drawDeviceRows(app, true);
            drawFields(app);
            drawInMonitor(app);
            drawRecordParams(app);
        }
        return 0;
    case PM_LDOWN:
    case PM_LUP:
    case PM_WHEEL:
    case PM_KEY:
        return forwardToHover(app, msg, arg);
    default:
        return msg;
    }
}

// Count a window-side countdown down by one frame; true when it reached 0 now.
template <typename T>
bool countDown(std::atomic<T>& counter) {
    T v = counter.load(std::memory_order_relaxed);
    while (v > 0) {
        // The input thread may set it again meanwhile: lower only what was read.
        if (counter.compare_exchange_weak(v, T(v - 1), std::memory_order_relaxed)) return v == 1;
    }
    return false;
}

// The UI frame's work for this panel: clock lamps going out and blinking,
// the refused channel's moment, and the ALL TRACKS recording look.
void midiInFrameWork(AppState& app) {
    MonitorPanels& m = screens(app).monitorPanels;
    bool running = false;
    for (int i = 0; i < MON_DEVICE_ROWS; ++i) {
        std::atomic<uint8_t>& counter = app.rec.clockActivity[i];
        if (countDown(counter)) markDirty(app, DIRTY_IN_MONITOR);
        running = running || counter.load(std::memory_order_relaxed) != 0;
    }
    if (running && ++m.clkBlinkFrames >= CLK_BLINK_FRAMES) {
        m.clkBlinkFrames = 0;
        markDirty(app, DIRTY_IN_MONITOR);
    }
    if (countDown(app.rec.wrongChannelFrames)) markDirty(app, DIRTY_REC_PARAMS);
    const bool look = allTracksRecording(app);
    if (look != m.allTracksRecShown) {
        m.allTracksRecShown = look;
        markDirty(app, DIRTY_MIDI_IN);
    }
}

// Its frame work still counts: a clock lamp or the refused channel's moment.
bool midiInBusy(const AppState& app) {
    for (int i = 0; i < MON_DEVICE_ROWS; ++i)
        if (app.rec.clockActivity[i].load(std::memory_order_relaxed) != 0) return true;
    return app.rec.wrongChannelFrames.load(std::memory_order_relaxed) > 0;
}

}  // namespace

void installMidiInPanel(AppState& app) {
    PanelRecord r;
    r.proc = midiInPanel;
    r.paintBits[0] = DIRTY_IN_MONITOR;
    r.paintBits[1] = DIRTY_REC_PARAMS;
    r.paintBits[2] = DIRTY_MIDI_IN;
    r.frameWork = midiInFrameWork;
    r.busy = midiInBusy;
    r.areas[0] = {2, 176, 2, 489};
    r.areas[1] = {577, 775, 6, 19};
    r.areaCount = 2;
    registerPanel(app, PANEL_MIDI_IN, r);
}

void setInputDeviceNames(AppState& app, const char* const* names, int count) {
    MonitorPanels& m = screens(app).monitorPanels;
    for (int i = 0; i < MON_DEVICE_ROWS; ++i) {
        std::fill(std::begin(m.inPortNames[i]), std::end(m.inPortNames[i]), '\0');
        if (i >= count || !names[i]) continue;
        for (int k = 0; k < MON_DEVICE_NAME && names[i][k]; ++k) m.inPortNames[i][k] = names[i][k];
    }
    markDirty(app, DIRTY_MIDI_IN);
}

}  // namespace qz
