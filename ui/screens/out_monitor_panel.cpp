// The MIDI out monitor at the right edge (panel 22): the channel filter, the
// F8 switch, the 43 newest messages of the output log and CLEAR.
#include <algorithm>
#include <cstdio>

#include "engine/engine.h"
#include "program/program.h"
#include "ui/framework/panel.h"
#include "ui/screens/midi_in_panel.h"
#include "ui/screens/monitor_lines.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t COL_MONITOR_BG = COL_BLACK;
constexpr int32_t COL_MONITOR_BAND = 247;
constexpr int32_t OUT_LINES = 43;

enum OutElement : uint32_t { OE_CHANNEL, OE_CLOCK, OE_CLEAR };

bool clockOutOn(const AppState& app) { return settingLoad(app.settings.clockOutPort) != 0; }

void drawChannelField(AppState& app, bool hovered) {
    DrawContext& dc = app.ui->draw;
    const int32_t ch = app.engine.outMonitorChannel.load(std::memory_order_relaxed);
    drawField(dc, hovered, 1588, 23, 28, 15);
    selectFont(dc, FONT_ARIAL_14);
    char text[8];
    if (ch == 0)
        std::snprintf(text, sizeof text, "ALL");
    else
        std::snprintf(text, sizeof text, "%d", ch);
    drawText(dc, 1588 + std::max((28 - textWidth(dc, text)) / 2, 1), 23, text, COL_PANEL_TEXT);
}

void drawClockField(AppState& app, bool hovered) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 1618, 21, 78, 18, COL_MONITOR_BAND);
    if (!clockOutOn(app)) return;
    selectFont(dc, FONT_GUI);
    drawText(dc, 1620, 23, "Clock F8", COL_PANEL_TEXT);
    drawField(dc, hovered, 1667, 23, 27, 15);
    const char* text = settingLoad(app.settings.showClockInMonitor) ? "YES" : "NO";
    drawText(dc, 1667 + std::max((27 - textWidth(dc, text)) / 2, 1), 23, text, COL_PANEL_TEXT);
}

void drawClearButton(AppState& app) {
    DrawContext& dc = app.ui->draw;
    bevelButton(dc, screens(app).monitorPanels.clearHeld, 1520, 585, 178, 35, COL_BUTTON_OFF, COL_BEVEL_LIGHT,
                COL_BEVEL_DARK);
    selectFont(dc, FONT_ARIAL_18);
    drawText(dc, 1590, 593, "CLEAR", COL_PANEL_TEXT);
}

// The 43 newest entries logged since the last CLEAR, oldest at the top.
void drawList(AppState& app) {
    DrawContext& dc = app.ui->draw;
    MonitorPanels& m = screens(app).monitorPanels;
    const EngineState& e = app.engine;
    fillRect(dc, 1521, 61, 176, 519, COL_MONITOR_BG);
    const uint32_t w = e.monitorWrite.load(std::memory_order_acquire);
    uint32_t available = std::min<uint32_t>(w - m.outClearedAt, MONITOR_SIZE);
    const uint32_t n = std::min<uint32_t>(available, OUT_LINES);
    selectFont(dc, FONT_GUI);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t packed = e.monitor[(w - n + i) % MONITOR_SIZE].load(std::memory_order_relaxed);
        if (packed == 0) continue;
        const bool f8 = (packed & 0xFF) == 0xF8;
        const bool grey = f8 && m.outF8Count % 8 == 0;
        if (f8) ++m.outF8Count;
        drawMonitorLine(dc, MON_OUT_COLUMNS, 62 + 12 * int32_t(i), packed, true, grey);
    }
}

uint32_t outElementHandler(AppState& app, uint32_t msg, uint32_t arg) {
    MonitorPanels& m = screens(app).monitorPanels;
    if (msg == PM_LEAVE) {
        markDirty(app, DIRTY_OUT_MONITOR);
        return 0;
    }
    if (app.ui->hoverHandler.proc != outElementHandler) return msg;
    const uint32_t which = app.ui->hoverHandler.a;
    switch (msg) {
    case PM_HILITE:
        if (which == OE_CHANNEL) drawChannelField(app, true);
        if (which == OE_CLOCK) drawClockField(app, true);
        return 0;
    case PM_LDOWN:
        if (which == OE_CLOCK) {
            settingStore(app.settings.showClockInMonitor, settingLoad(app.settings.showClockInMonitor) ? 0 : 1);
        } else if (which == OE_CLEAR) {
            m.outClearedAt = app.engine.monitorWrite.load(std::memory_order_acquire);
            m.clearHeld = true;
            markDirty(app, DIRTY_OUT_MONITOR_LIST);
        } else {
            return 0;
        }
        break;
    case PM_LUP:
        if (which != OE_CLEAR || !m.clearHeld) return msg;
        m.clearHeld = false;
        break;
    case PM_WHEEL:
        if (which == OE_CHANNEL) {
            int32_t ch = app.engine.outMonitorChannel.load(std::memory_order_relaxed);
            stepValue(ch, 0, 16, int32_t(arg));
            app.engine.outMonitorChannel.store(ch, std::memory_order_relaxed);
        } else if (which == OE_CLOCK) {
            uint32_t v = settingLoad(app.settings.showClockInMonitor);
            stepValue(v, 0, 1, int32_t(arg));
            settingStore(app.settings.showClockInMonitor, v);
        } else {
            return msg;
        }
        break;
    default:
        return msg;
    }
    markDirty(app, DIRTY_OUT_MONITOR);
    return 0;
}

void drawStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 1520, 1, 178, 580, COL_PANEL);
    frameRect(dc, 1520, 1, 178, 580, COL_BEVEL_DARK);
    fillRect(dc, 1521, 3, 176, 57, COL_MONITOR_BAND);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 1557, 4, "MIDI out monitor", COL_PANEL_TEXT);
    hLine(dc, 1521, 20, 176, 1, COL_BEVEL_DARK);
    // The header's labels share their row with two fields: the narrow face.
    selectFont(dc, FONT_GUI);
    drawText(dc, 1525, 23, "Display Ch.", COL_PANEL_TEXT);
    selectFont(dc, FONT_ARIAL_14);
    hLine(dc, 1521, 40, 176, 1, COL_BEVEL_DARK);
    drawText(dc, 1523, 46, "Dev.Ch.", COL_PANEL_TEXT);
    drawText(dc, 1573, 46, "Status", COL_PANEL_TEXT);
    drawText(dc, 1623, 46, "Data1", COL_PANEL_TEXT);
    drawText(dc, 1663, 46, "Data2", COL_PANEL_TEXT);
    hLine(dc, 1521, 60, 176, 1, COL_BEVEL_DARK);
}

uint32_t outMonitorPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
    case PM_PROBE:
        if (!inPanelArea(app, PANEL_OUT_MONITOR)) return msg;
        hitTest(app, outElementHandler, OE_CHANNEL, 0, 1588, 23, 28, 15);
        if (clockOutOn(app)) hitTest(app, outElementHandler, OE_CLOCK, 0, 1667, 23, 27, 15);
        hitTest(app, outElementHandler, OE_CLEAR, 0, 1520, 585, 178, 35);
        return 0;
    case PM_MOVE:
        // The element now under the pointer draws its highlight.
        if (!(app.ui->hoverHandler == app.ui->prevHoverHandler)) markDirty(app, DIRTY_OUT_MONITOR);
        return 0;
    case PM_STATIC:
        drawStatic(app);
        return 0;
    case PM_PAINT:
        if (arg == DIRTY_OUT_MONITOR_LIST) {
            drawList(app);
        } else {
            drawChannelField(app, isHovered(app, outElementHandler, OE_CHANNEL, 0));
            drawClockField(app, isHovered(app, outElementHandler, OE_CLOCK, 0));
            drawClearButton(app);
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

}  // namespace

void installOutMonitorPanel(AppState& app) {
    PanelRecord r;
    r.proc = outMonitorPanel;
    r.paintBits[0] = DIRTY_OUT_MONITOR;
    r.paintBits[1] = DIRTY_OUT_MONITOR_LIST;
    r.areas[0] = {1521, 1697, 3, 616};
    r.areaCount = 1;
    registerPanel(app, PANEL_OUT_MONITOR, r);
}

}  // namespace qz
