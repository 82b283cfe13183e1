// The "Midi Out Device" panel (panel 20) beside the event grid: the MASTER /
// TRACK routing switch and the master device, and one row per track with
// its number, SOLO, MUTE, MIDI channel and output device; the GM DRUM NAME
// switch that shows the current track's drum names in place of the rows;
// CLER and RST.
#include <algorithm>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/panel.h"
#include "ui/screens/mixer_common.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz {

namespace {

constexpr int32_t COL_HEADER = 3;
constexpr int32_t COL_ROW_OFF = COL_LAMP_DARK;  // 248
constexpr int32_t COL_LIT = 212;
constexpr int32_t COL_RULE = COL_BEVEL_DARK;

constexpr int32_t TRACK_X = 1015, TRACK_W = 30;
constexpr int32_t SOLO_X = 1047, SOLO_W = 39;
constexpr int32_t MUTE_X = 1086, MUTE_W = 39;
constexpr int32_t ROUTING_X = 1120, ROUTING_Y = 93, ROUTING_W = 60, ROUTING_H = 19;
constexpr int32_t MASTER_X = 1120, MASTER_Y = 112, MASTER_W = 30, MASTER_H = 19;
constexpr int32_t GM_X = 1008, GM_Y = 519, GM_W = 78, GM_H = 39;

MixerState& mixer(AppState& app) { return screens(app).mixer; }

bool trackRouting(const AppState& app) { return settingLoad(app.settings.deviceByTrack) == 1; }
bool soloOn(const AppState& app) { return app.engine.soloMode.load(std::memory_order_relaxed) != 0; }
void setSolo(AppState& app, bool on) { app.engine.soloMode.store(on ? 1 : 0, std::memory_order_relaxed); }
int32_t currentRow(const AppState& app) { return std::clamp(app.currentTrack, 1, USER_TRACKS); }

// Black text on light faces, white on dark ones.
int32_t inkOn(int32_t face) {
    const uint32_t rgb = paletteColour(face);
    return ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF) >= 0x180 ? COL_BLACK : COL_WHITE;
}

void centredText(DrawContext& dc, int32_t x, int32_t w, int32_t y, const char* text, int32_t c) {
    drawText(dc, x + std::max(0, (w - textWidth(dc, text)) / 2), y, text, c);
}

// ---- Routing and the master device ---------------------------------------------------

// Change MASTER/TRACK routing: the ports the tracks played on get all notes
// off (a note-off would otherwise go to the new port and the note hang),
// then every track's set-up goes out on its new port.
void setRouting(AppState& app, uint32_t byTrack) {
    if (byTrack == settingLoad(app.settings.deviceByTrack)) return;
    bool used[OUT_PORTS + 1] = {};
    for (int32_t t = 1; t <= USER_TRACKS; ++t) {
        const int32_t p = mixTrackPort(app, t);
        if (p >= 0 && p <= OUT_PORTS && !used[p]) {
            used[p] = true;
            allNotesOffPort(app, p);
        }
    }
    settingStore(app.settings.deviceByTrack, byTrack);
    sendAllTrackSetups(app);
}

uint32_t routingSwitch(AppState& app, uint32_t msg, uint32_t arg) {
    uint32_t v = settingLoad(app.settings.deviceByTrack) == 1 ? 1 : 0;
    switch (msg) {
        case PM_LDOWN: v ^= 1; break;
        case PM_WHEEL: stepValue(v, 0, 1, int32_t(arg)); break;
        default: return msg;
    }
    setRouting(app, v);
    return 0;
}

uint32_t masterField(AppState& app, uint32_t msg, uint32_t arg) {
    if (msg != PM_WHEEL) return msg;
    const int32_t old = mixShownPort(app, int32_t(settingLoad(app.settings.masterDevice)));
    int32_t v = old;
    stepValue(v, 0, std::max(app.engine.outPortCount - 1, 0), int32_t(arg));
    if (v == old) return 0;
    allNotesOffPort(app, old);
    settingStore(app.settings.masterDevice, uint32_t(v));
    // The new port has not heard the tracks' set-ups yet.
    sendAllTrackSetups(app);
    return 0;
}

// ---- Track, SOLO and MUTE columns ---------------------------------------------------------

bool recordingRuns(const AppState& app) {
    const int32_t mode = app.engine.recordMode.load(std::memory_order_relaxed);
    return app.engine.playing.load(std::memory_order_acquire) && (mode == 1 || mode == 2);
}

void allTracksOff(AppState& app) {
    if (!app.allTracks) return;
    // The tick reads the flag while it records.
    EngineLockGuard lock(app.engineLock);
    app.allTracks = false;
}

uint32_t trackColumn(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_LDOWN:
            if (app.allTracks && recordingRuns(app)) return 0;
            allTracksOff(app);
            selectTrack(app, mixPointerRow(app));
            return 0;
        case PM_WHEEL: selectTrack(app, std::clamp(currentRow(app) + int32_t(arg), 1, USER_TRACKS)); return 0;
        default: return msg;
    }
}

// Solo the track: it becomes current and solo goes on.
void soloTrack(AppState& app, int32_t track) {
    if (track != app.currentTrack) selectTrack(app, track);
    setSolo(app, true);
}

uint32_t soloColumn(AppState& app, uint32_t msg, uint32_t arg) {
    const int32_t row = mixPointerRow(app);
    switch (msg) {
        case PM_LDOWN:
            if (row == app.currentTrack && soloOn(app))
                setSolo(app, false);
            else
                soloTrack(app, row);
            break;
        case PM_LDRAG:
            if (row != app.currentTrack || !soloOn(app)) soloTrack(app, row);
            break;
        case PM_WHEEL:
            if (soloOn(app)) soloTrack(app, std::clamp(currentRow(app) + int32_t(arg), 1, USER_TRACKS));
            break;
        default: return msg;
    }
    markDirty(app, DIRTY_MIXER | DIRTY_TRANSPORT);
    return 0;
}

void setMute(AppState& app, int32_t track, uint8_t v) { trackByteStore(app.seq->tracks[track].mute, v); }

uint32_t muteColumn(AppState& app, uint32_t msg, uint32_t) {
    MixerState& m = mixer(app);
    const int32_t row = mixPointerRow(app);
    switch (msg) {
        case PM_LDOWN:
            m.muteDragState = app.seq->tracks[row].mute ? 0 : 1;
            setMute(app, row, m.muteDragState);
            setSolo(app, false);
            m.dragRow = row;
            break;
        case PM_RDOWN:
            m.muteDragState = 0;
            setMute(app, row, 0);
            m.dragRow = row;
            break;
        case PM_LDRAG:
        case PM_RDRAG: {
            // Every row passed takes the state the press set.
            if (m.dragRow < 1 || row == m.dragRow) return 0;
            const int32_t step = row > m.dragRow ? 1 : -1;
            for (int32_t t = m.dragRow + step;; t += step) {
                setMute(app, t, m.muteDragState);
                if (t == row) break;
            }
            m.dragRow = row;
            break;
        }
        default: return msg;
    }
    markDirty(app, DIRTY_MIXER | DIRTY_TRACK_ROW | DIRTY_TRANSPORT);
    return 0;
}

// ---- GM DRUM NAME and its list --------------------------------------------------------------

uint32_t gmDrumSwitch(AppState& app, uint32_t msg, uint32_t) {
    if (msg != PM_LDOWN) return msg;
    if (app.allTracks) return 0;
    screens(app).drumNameMode = !screens(app).drumNameMode;
    // The list and the rows cover different ground, the activity lamps too.
    markDirty(app, DIRTY_ALL);
    return 0;
}

// The list follows the pads' note list: 8 rows in LOOP EDIT, else 16 or 32.
struct DrumListLayout {
    int32_t top, rows, rowH;
};
DrumListLayout drumListLayout(const AppState& app) {
    if (app.rec.loopEdit.load(std::memory_order_relaxed)) return {140, 8, 48};
    if (screens(app).pads.listLength == 1) return {140, 32, 12};
    return {150, 16, 23};
}
constexpr int32_t LIST_X = 1005, LIST_W = 180;

int32_t drumListRow(const AppState& app) {
    const DrumListLayout l = drumListLayout(app);
    return std::clamp((app.ui->mouseY - l.top) / l.rowH, 0, l.rows - 1);
}

void endDrumNote(AppState& app) {
    MixerState& m = mixer(app);
    if (m.drumNote < 0) return;
    liveNoteOff(app, m.drumTrack, m.drumNote);
    m.drumNote = -1;
    m.drumRow = -1;
}

// Sound the pad note of a row on the current track, as the pads do.
void playDrumRow(AppState& app, int32_t row) {
    MixerState& m = mixer(app);
    const int32_t note = app.ui->padBaseNote + row;
    m.drumRow = row;
    if (note > 127 || app.currentTrack < 1 || app.currentTrack > USER_TRACKS) return;
    m.drumNote = note;
    m.drumTrack = app.currentTrack;
    liveNote(app, m.drumTrack, note, 127, 0);
}

uint32_t drumList(AppState& app, uint32_t msg, uint32_t) {
    MixerState& m = mixer(app);
    const int32_t row = drumListRow(app);
    switch (msg) {
        case PM_LDOWN:
            endDrumNote(app);
            playDrumRow(app, row);
            break;
        case PM_LDRAG:
            if (row == m.drumRow) return 0;
            endDrumNote(app);
            playDrumRow(app, row);
            break;
        case PM_LUP:
            endDrumNote(app);
            m.drumRow = -1;
            break;
        case PM_LEAVE: break;
        default: return msg;
    }
    markDirty(app, DIRTY_MIXER);
    return 0;
}

// What the list shows depends on the pads' base note and layout, which the
// pads and the grid change without a word to the mixer.
uint32_t drumListKey(const AppState& app) {
    const DrumListLayout l = drumListLayout(app);
    return uint32_t(app.ui->padBaseNote & 0xFF) | uint32_t(l.rows) << 8;
}

// The UI frame's part: repaint the list when its pads changed.
void mixerFrameWork(AppState& app) {
    if (screens(app).drumNameMode && drumListKey(app) != mixer(app).drumListShown) markDirty(app, DIRTY_MIXER);
}

void drawDrumList(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const DrumListLayout l = drumListLayout(app);
    MixerState& m = mixer(app);
    m.drumListShown = drumListKey(app);
    const bool holds = isHovered(app, drumList);
    const TrackRecord& r = app.seq->tracks[currentRow(app)];
    selectFont(dc, l.rowH < 14 ? FONT_GUI : FONT_ARIAL_14);
    const int32_t textDy = l.rowH < 14 ? 0 : (l.rowH - 14) / 2;
    for (int32_t k = 0; k < l.rows; ++k) {
        const int32_t y = l.top + l.rowH * k;
        fillRect(dc, LIST_X, y, LIST_W, l.rowH - 1, holds && k == m.drumRow ? COL_HOVER : COL_ROW_OFF);
        hLine(dc, LIST_X, y + l.rowH - 1, LIST_W, 1, COL_RULE);
        const int32_t note = app.ui->padBaseNote + k;
        if (note <= 127) mixDrawName(dc, 1008, y + textDy, drumName(r.noteMap[note] & 127), LIST_W - 4);
    }
}

// ---- Drawing ------------------------------------------------------------------------------------

void drawHeader(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 1010, 93, 175, 57, COL_HEADER);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 1015, 93, "Midi Out Device", COL_WHITE);
    if (!trackRouting(app)) drawText(dc, 1015, 112, "Master Device:", COL_WHITE);
    drawText(dc, 1017, 136, "Track", COL_WHITE);
    drawText(dc, 1054, 136, "Solo", COL_WHITE);
    drawText(dc, 1091, 136, "Mute", COL_WHITE);
    drawText(dc, 1129, 136, "Ch.", COL_WHITE);
    drawText(dc, 1156, 136, "Devic", COL_WHITE);

    drawField(dc, isHovered(app, routingSwitch), ROUTING_X, ROUTING_Y, ROUTING_W, ROUTING_H);
    selectFont(dc, FONT_ARIAL_14);
    centredText(dc, ROUTING_X, ROUTING_W, ROUTING_Y + 2, trackRouting(app) ? "TRACK" : "MASTER", COL_BLACK);
    if (!trackRouting(app)) {
        drawField(dc, isHovered(app, masterField), MASTER_X, MASTER_Y, MASTER_W, MASTER_H);
        const int32_t port = mixShownPort(app, int32_t(settingLoad(app.settings.masterDevice)));
        drawNumberBlank(dc, MASTER_X + 11, MASTER_Y + 2, port + 1, 9, COL_BLACK);
    }
}

// A SOLO or MUTE cell: lit or plain.
void drawRowButton(DrawContext& dc, int32_t x, int32_t w, int32_t y, bool lit, const char* text) {
    const int32_t face = lit ? COL_LIT : COL_BUTTON_OFF;
    bevelButtonThin(dc, false, x, y, w, MIX_ROW_H, face, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    centredText(dc, x, w, y + 4, text, inkOn(face));
}

void drawRows(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const bool solo = soloOn(app);
    for (int32_t t = 1; t <= USER_TRACKS; ++t) {
        const int32_t y = mixRowY(t);
        const bool current = t == app.currentTrack;
        fillRect(dc, TRACK_X, y, TRACK_W, MIX_ROW_H, current && !app.allTracks ? COL_WHITE : COL_ROW_OFF);
        selectFont(dc, FONT_ARIAL_16);
        drawNumberBlank(dc, TRACK_X + 6, y + 3, t, 99, COL_BLACK);
        selectFont(dc, FONT_ARIAL_14);
        drawRowButton(dc, SOLO_X, SOLO_W, y, solo && current, "SOLO");
        drawRowButton(dc, MUTE_X, MUTE_W, y, trackByteLoad(app.seq->tracks[t].mute) != 0, "MUTE");
    }
    mixDrawColumn(app, MIXCOL_CHANNEL);
    mixDrawColumn(app, MIXCOL_DEVICE);
}

void drawGmDrumSwitch(AppState& app) {
    DrawContext& dc = app.ui->draw;
    if (app.allTracks) {
        fillRect(dc, GM_X, GM_Y, GM_W, GM_H, COL_BACKGROUND);
        return;
    }
    const bool on = screens(app).drumNameMode;
    drawSwitch(dc, on, false, GM_X, GM_Y, GM_W, GM_H);
    selectFont(dc, FONT_ARIAL_14);
    const int32_t ink = inkOn(on ? COL_BUTTON_ON : COL_BUTTON_OFF);
    centredText(dc, GM_X, GM_W, GM_Y + 5, "GM DRUM", ink);
    centredText(dc, GM_X, GM_W, GM_Y + 19, "NAME", ink);
}

void drawPanel(AppState& app) {
    // The longest list layout's ground first, so a switch between layouts
    // leaves nothing behind; the header then covers its top.
    if (screens(app).drumNameMode) fillRect(app.ui->draw, LIST_X, 140, LIST_W, 384, COL_BACKGROUND);
    drawHeader(app);
    if (screens(app).drumNameMode)
        drawDrumList(app);
    else
        drawRows(app);
    drawGmDrumSwitch(app);
    mixDrawButton(app, MIXBTN_CLEAR);
    mixDrawButton(app, MIXBTN_RST);
}

uint32_t mixerPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE:
            if (!inPanelArea(app, PANEL_MIXER)) return msg;
            hitTest(app, routingSwitch, 0, 0, ROUTING_X, ROUTING_Y, ROUTING_W, ROUTING_H);
            if (!trackRouting(app)) hitTest(app, masterField, 0, 0, MASTER_X, MASTER_Y, MASTER_W, MASTER_H);
            if (screens(app).drumNameMode) {
                const DrumListLayout l = drumListLayout(app);
                hitTest(app, drumList, 0, 0, LIST_X, l.top, LIST_W, l.rows * l.rowH);
            } else {
                hitTest(app, trackColumn, 0, 0, TRACK_X, MIX_ROWS_Y, TRACK_W, MIX_ROWS_H);
                hitTest(app, soloColumn, 0, 0, SOLO_X, MIX_ROWS_Y, SOLO_W, MIX_ROWS_H);
                hitTest(app, muteColumn, 0, 0, MUTE_X, MIX_ROWS_Y, MUTE_W, MIX_ROWS_H);
                mixProbeColumns(app, MIXCOL_CHANNEL, MIXCOL_DEVICE);
            }
            hitTest(app, gmDrumSwitch, 0, 0, GM_X, GM_Y, GM_W, GM_H);
            mixProbeButton(app, MIXBTN_CLEAR);
            mixProbeButton(app, MIXBTN_RST);
            return 0;
        case PM_MOVE:
            if (mixFollowPointer(app) || !(app.ui->hoverHandler == app.ui->prevHoverHandler))
                markDirty(app, DIRTY_MIXER | DIRTY_TRACK_MESSAGES);
            return 0;
        case PM_PAINT:
            // The step editor lies over the panel while it is shown.
            if (!app.ui->stepEditView) drawPanel(app);
            return 0;
        case PM_STATIC: return 0;
        case PM_LDOWN:
        case PM_LUP:
        case PM_RDOWN:
        case PM_RUP:
        case PM_LDRAG:
        case PM_RDRAG:
        case PM_WHEEL: {
            const uint32_t answer = forwardToHover(app, msg, arg);
            if (answer == 0) markDirty(app, DIRTY_MIXER);
            return answer;
        }
        default: return msg;
    }
}

bool mixerLive(const AppState& app) { return !app.ui->stepEditView; }

}  // namespace

void installMixerPanel(AppState& app) {
    PanelRecord r;
    r.proc = mixerPanel;
    r.paintBits[0] = DIRTY_MIXER;
    r.frameWork = mixerFrameWork;
    r.areas[0] = {1016, 1184, 94, 563};
    r.areaCount = 1;
    r.live = mixerLive;
    registerPanel(app, PANEL_MIXER, r);
}

}  // namespace qz
