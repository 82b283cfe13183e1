// The "TRACK MIDI MESSAGES" panel (panel 21) at the right: the reset mode
// (GM, GS, XG) of the first six output ports with their names, and per track
// the sound type, bank select, program with its General MIDI name, level,
// pan, reverb and chorus; PANIC, SEND TO OUT DEVICE, RESET and ENTER.
#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "ui/framework/panel.h"
#include "ui/screens/mixer_common.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t COL_HEADER = 3;
constexpr int32_t MODE_X = 1192, MODE_W = 27, MODE_H = 14;
constexpr int32_t SETUP_PAUSE_MS = 50;

int32_t modeY(int32_t port) { return 24 + 16 * port; }

bool realSequence(const AppState& app) { return app.seq && app.seq->exists; }

// Reset a port in its mode and set every track up again after the pause a
// module needs to come out of its reset. Ports that did not open are left
// alone.
void resetAndSetUp(AppState& app, int32_t port) {
    if (port >= app.engine.outPortCount) return;
    resetPort(app, port);
    engineWait(app, SETUP_PAUSE_MS);
    sendAllTrackSetups(app);
}

// A port's GS/XG field (word A: the port).
uint32_t modeField(AppState& app, uint32_t msg, uint32_t arg) {
    const uint32_t port = app.ui->hoverHandler.a;
    if (msg == PM_LEAVE) {
        markDirty(app, DIRTY_TRACK_MESSAGES);
        return 0;
    }
    if (app.ui->hoverHandler.proc != modeField || port >= uint32_t(MIXER_DEVICE_ROWS)) return msg;
    uint32_t& word = app.settings.resetMode[port];
    switch (msg) {
        case PM_LDOWN: resetAndSetUp(app, int32_t(port)); break;
        case PM_WHEEL: {
            if (app.engine.playing.load(std::memory_order_acquire)) stopTransport(app);
            uint32_t v = std::min<uint32_t>(settingLoad(word), 2);
            const uint32_t old = v;
            stepValue(v, 0, 2, int32_t(arg));
            if (v == old) break;
            settingStore(word, v);
            if (v == MODULE_GS || v == MODULE_XG) resetAndSetUp(app, int32_t(port));
            break;
        }
        default: return msg;
    }
    markDirty(app, DIRTY_TRACK_MESSAGES | DIRTY_MIXER);
    return 0;
}

void drawStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    frameRect(dc, 1190, 1, 330, 120, COL_BEVEL_LIGHT);
    fillRect(dc, 1191, 2, 328, 118, COL_PANEL);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 1193, 7, "GS/XG", COL_BLACK);
    drawText(dc, 1280, 3, "MIDI OUT DEVICE", COL_BLACK);
    fillRect(dc, 1190, 121, 330, 29, COL_HEADER);
    drawText(dc, 1291, 124, "TRACK MIDI MESSAGES", COL_WHITE);
    drawText(dc, 1194, 136, "SOUND", COL_WHITE);
    drawText(dc, 1242, 136, "MSB", COL_WHITE);
    drawText(dc, 1270, 136, "LSB", COL_WHITE);
    drawText(dc, 1304, 136, "Program Change", COL_WHITE);
    drawText(dc, 1410, 136, "Lev", COL_WHITE);
    drawText(dc, 1439, 136, "Pan", COL_WHITE);
    drawText(dc, 1466, 136, "Rev", COL_WHITE);
    drawText(dc, 1494, 136, "Cho", COL_WHITE);
}

void drawDevices(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const MixerState& m = screens(app).mixer;
    selectFont(dc, FONT_ARIAL_14);
    for (int32_t k = 0; k < MIXER_DEVICE_ROWS; ++k) {
        const int32_t y = 25 + 16 * k;
        fillRect(dc, MODE_X, modeY(k), 327, 16, COL_PANEL);
        drawField(dc, isHovered(app, modeField, uint32_t(k)), MODE_X, modeY(k), MODE_W, MODE_H);
        const uint32_t mode = settingLoad(app.settings.resetMode[k]);
        const char* text = mode == MODULE_GS ? "GS" : mode == MODULE_XG ? "XG" : "-";
        drawText(dc, MODE_X + std::max(1, (MODE_W - textWidth(dc, text)) / 2), y - 1, text, COL_BLACK);
        drawNumberBlank(dc, 1224, y - 1, k + 1, 9, COL_BLACK);
        drawText(dc, 1235, y - 1, ":", COL_BLACK);
        drawTextFitted(dc, 1239, y - 1, m.outNames[k], MIXER_DEVICE_NAME, 1518 - 1239, COL_BLACK);
    }
}

void drawFoot(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 1190, 557, 330, 24, COL_BACKGROUND);
    mixDrawButton(app, MIXBTN_PANIC);
    mixDrawButton(app, MIXBTN_SEND);
    mixDrawButton(app, MIXBTN_RESET);
    if (!realSequence(app)) return;
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 1198, 561, "This seq. track midi messages to default", COL_WHITE);
    mixDrawButton(app, MIXBTN_ENTER);
}

void drawDynamic(AppState& app) {
    drawDevices(app);
    for (uint32_t c = MIXCOL_SOUND; c <= MIXCOL_CHORUS; ++c) mixDrawColumn(app, c);
    drawFoot(app);
}

uint32_t trackMessagesPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE:
            if (!inPanelArea(app, PANEL_TRACK_MESSAGES)) return msg;
            for (uint32_t k = 0; k < uint32_t(MIXER_DEVICE_ROWS); ++k)
                hitTest(app, modeField, k, 0, MODE_X, modeY(int32_t(k)), MODE_W, MODE_H);
            mixProbeColumns(app, MIXCOL_SOUND, MIXCOL_CHORUS);
            for (uint32_t b = MIXBTN_PANIC; b <= MIXBTN_ENTER; ++b) mixProbeButton(app, b);
            return 0;
        case PM_MOVE:
            if (mixFollowPointer(app) || !(app.ui->hoverHandler == app.ui->prevHoverHandler))
                markDirty(app, DIRTY_TRACK_MESSAGES | DIRTY_MIXER);
            return 0;
        case PM_STATIC:
            drawStatic(app);
            return 0;
        case PM_PAINT:
            drawDynamic(app);
            // The step editor lies over the panel's left edge while it is
            // shown: draw it again on top.
            if (app.ui->stepEditView) sendToPanel(app, PANEL_STEP, PM_PAINT, DIRTY_GRID_STEP);
            return 0;
        case PM_LDOWN:
        case PM_LUP:
        case PM_RDOWN:
        case PM_RUP:
        case PM_LDRAG:
        case PM_RDRAG:
        case PM_WHEEL: {
            const uint32_t answer = forwardToHover(app, msg, arg);
            if (answer == 0) markDirty(app, DIRTY_TRACK_MESSAGES);
            return answer;
        }
        default: return msg;
    }
}

bool trackMessagesLive(const AppState& app) { return !app.ui->stepEditView; }

}  // namespace

void installTrackMessagesPanel(AppState& app) {
    PanelRecord r;
    r.proc = trackMessagesPanel;
    r.paintBits[0] = DIRTY_TRACK_MESSAGES;
    r.areas[0] = {1191, 1519, 2, 619};
    r.areaCount = 1;
    r.live = trackMessagesLive;
    registerPanel(app, PANEL_TRACK_MESSAGES, r);
}

void setOutputDeviceNames(AppState& app, const char* const* names, int count) {
    MixerState& m = screens(app).mixer;
    for (int i = 0; i < MIXER_DEVICE_ROWS; ++i) {
        std::memset(m.outNames[i], 0, sizeof m.outNames[i]);
        if (i < count && names[i]) std::strncpy(m.outNames[i], names[i], MIXER_DEVICE_NAME);
    }
    markDirty(app, DIRTY_TRACK_MESSAGES);
}

}  // namespace qz
