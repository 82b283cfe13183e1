// The metronome panel at the lower left: the count-in and click switches and
// the click's rate, velocities, note, channel and output device. The tick
// reads these settings while it runs, so every write goes through
// `settingStore`.
#include <algorithm>

#include "engine/engine.h"
#include "ui/framework/panel.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t COL_LABEL = COL_BLACK;

// The four switches: rectangle, label, setting.
struct MetroSwitch {
    int32_t x, y, w, h;
    const char* label;
    uint32_t PersistentSettings::*field;
};
constexpr MetroSwitch METRO_SWITCHES[4] = {
    {6, 527, 105, 18, "REC COUNT IN", &PersistentSettings::recCountIn},
    {116, 527, 56, 18, "IN REC", &PersistentSettings::clickInRec},
    {6, 547, 105, 18, "PLAY COUNT IN", &PersistentSettings::playCountIn},
    {116, 547, 56, 18, "IN PLAY", &PersistentSettings::clickInPlay},
};

// The six fields, in drawing order.
enum MetroField : uint32_t { MF_RATE, MF_ACCENT, MF_NORMAL, MF_NOTE, MF_CHANNEL, MF_DEVICE, MF_COUNT };
struct MetroFieldDef {
    int32_t x, y, w, h;
    uint32_t PersistentSettings::*field;
    int32_t min, max;  // max -1: the last output port
    bool audition;
};
constexpr MetroFieldDef METRO_FIELDS[MF_COUNT] = {
    {36, 572, 25, 18, &PersistentSettings::clickRate, 0, 1, false},
    {106, 572, 23, 16, &PersistentSettings::accentVelocity, 1, 127, false},
    {150, 572, 23, 16, &PersistentSettings::normalVelocity, 1, 127, false},
    {36, 592, 37, 16, &PersistentSettings::clickNote, 0, 127, true},
    {101, 592, 20, 16, &PersistentSettings::clickChannel, 0, 15, true},
    {152, 592, 20, 16, &PersistentSettings::clickPort, 0, -1, true},
};

int32_t fieldMax(const AppState& app, const MetroFieldDef& f) {
    return f.max >= 0 ? f.max : std::max(app.engine.outPortCount - 1, 0);
}

void drawFieldElement(AppState& app, uint32_t i, bool hovered);

// A switch: press toggles, the wheel steps within 0..1.
uint32_t switchHandler(AppState& app, uint32_t msg, uint32_t arg) {
    const uint32_t i = app.ui->hoverHandler.a;
    if (i >= 4) return msg;
    uint32_t& word = app.settings.*METRO_SWITCHES[i].field;
    switch (msg) {
    case PM_LDOWN:
        settingStore(word, settingLoad(word) ? 0 : 1);
        break;
    case PM_WHEEL: {
        uint32_t v = settingLoad(word);
        stepValue(v, 0, 1, int32_t(arg));
        settingStore(word, v);
        break;
    }
    default:
        return msg;
    }
    markDirty(app, DIRTY_METRONOME);
    return 0;
}

// Sound the click note at once on the click's port and channel (on) or end
// it (off), through the tick so the sounding-note state stays the tick's.
void audition(AppState& app, bool on) {
    const uint32_t note = settingLoad(app.settings.clickNote) & 127;
    postEngineCommand(app, note << 8 | (on ? CMD_CLICK_ON : CMD_CLICK_OFF));
    engineWait(app, 10);
}

// A field: the wheel steps its value; Rate toggles on a press; Note, Ch. and
// Dev. sound the click note while pressed. Fields register (i, 1).
uint32_t fieldHandler(AppState& app, uint32_t msg, uint32_t arg) {
    const uint32_t i = app.ui->hoverHandler.proc == fieldHandler ? app.ui->hoverHandler.a : MF_COUNT;
    if (msg == PM_LEAVE) {
        markDirty(app, DIRTY_METRONOME);
        return 0;
    }
    if (i >= MF_COUNT) return msg;
    const MetroFieldDef& f = METRO_FIELDS[i];
    uint32_t& word = app.settings.*f.field;
    switch (msg) {
    case PM_HILITE:
        drawFieldElement(app, i, true);
        return 0;
    case PM_LDOWN:
        if (i == MF_RATE) {
            settingStore(word, settingLoad(word) ? 0 : 1);
            break;
        }
        if (f.audition) audition(app, true);
        return 0;
    case PM_LUP:
        if (f.audition) audition(app, false);
        return 0;
    case PM_WHEEL: {
        uint32_t v = settingLoad(word);
        stepValue(v, f.min, fieldMax(app, f), int32_t(arg));
        settingStore(word, v);
        break;
    }
    default:
        return msg;
    }
    markDirty(app, DIRTY_METRONOME);
    return 0;
}

void drawSwitchElement(AppState& app, uint32_t i) {
    DrawContext& dc = app.ui->draw;
    const MetroSwitch& s = METRO_SWITCHES[i];
    drawSwitch(dc, settingLoad(app.settings.*s.field) != 0, false, s.x, s.y, s.w, s.h);
    selectFont(dc, FONT_ARIAL_14);
    const int32_t tw = textWidth(dc, s.label);
    drawText(dc, s.x + (s.w - tw) / 2, s.y + 2, s.label, COL_LABEL);
}

void drawFieldElement(AppState& app, uint32_t i, bool hovered) {
    DrawContext& dc = app.ui->draw;
    const MetroFieldDef& f = METRO_FIELDS[i];
    uint32_t& word = app.settings.*f.field;
    if (i == MF_DEVICE && app.engine.outPortCount > 0) {
        // A port that has gone (fewer ports this run) falls back to the last
        // one. With no port at all the setting is kept: it would otherwise be
        // lost for the next run with the ports back.
        const int32_t last = app.engine.outPortCount - 1;
        if (int32_t(settingLoad(word)) > last) settingStore(word, uint32_t(last));
    }
    const int32_t v = int32_t(settingLoad(word));
    drawField(dc, hovered, f.x, f.y, f.w, f.h);
    selectFont(dc, FONT_ARIAL_14);
    const int32_t ty = f.y + 1;
    switch (i) {
    case MF_RATE: drawText(dc, f.x + 2, ty + 1, v ? "1/8" : "1/4", COL_LABEL); break;
    case MF_NOTE: drawNoteB(dc, f.x - 2, ty, v, COL_LABEL); break;
    case MF_CHANNEL:
    case MF_DEVICE: drawNumberBlank(dc, f.x + 2, ty, v + 1, 99, COL_LABEL); break;
    default: drawNumber3(dc, f.x, ty, v, COL_LABEL); break;
    }
}

void drawStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 1, 502, 178, 115, COL_PANEL);
    frameRect(dc, 1, 502, 178, 115, COL_BEVEL_DARK);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 51, 505, "Metronoum", COL_LABEL);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 6, 572, "Rate", COL_LABEL);
    drawText(dc, 66, 572, "Vel. A", COL_LABEL);
    drawText(dc, 139, 572, "N", COL_LABEL);
    drawText(dc, 6, 592, "Note", COL_LABEL);
    drawText(dc, 77, 592, "Ch.", COL_LABEL);
    drawText(dc, 124, 592, "Dev.", COL_LABEL);
}

void drawDynamic(AppState& app) {
    for (uint32_t i = 0; i < 4; ++i) drawSwitchElement(app, i);
    for (uint32_t i = 0; i < MF_COUNT; ++i) drawFieldElement(app, i, isHovered(app, fieldHandler, i, 1));
}

uint32_t metronomePanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
    case PM_PROBE: {
        if (!inPanelArea(app, PANEL_METRONOME)) return msg;
        for (uint32_t i = 0; i < 4; ++i) {
            const MetroSwitch& s = METRO_SWITCHES[i];
            hitTest(app, switchHandler, i, 0, s.x, s.y, s.w, s.h);
        }
        for (uint32_t i = 0; i < MF_COUNT; ++i) {
            const MetroFieldDef& f = METRO_FIELDS[i];
            hitTest(app, fieldHandler, i, 1, f.x, f.y, f.w, f.h);
        }
        return 0;
    }
    case PM_MOVE:
        // The element now under the pointer draws its highlight.
        if (!(app.ui->hoverHandler == app.ui->prevHoverHandler)) markDirty(app, DIRTY_METRONOME);
        return 0;
    case PM_STATIC:
        drawStatic(app);
        return 0;
    case PM_PAINT:
        drawDynamic(app);
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

void installMetronomePanel(AppState& app) {
    PanelRecord r;
    r.proc = metronomePanel;
    r.paintBits[0] = DIRTY_METRONOME;
    r.areas[0] = {7, 183, 528, 636};
    r.areaCount = 1;
    registerPanel(app, PANEL_METRONOME, r);
}

}  // namespace qz
