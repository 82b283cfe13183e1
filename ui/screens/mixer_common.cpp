// The parts both mixer panels share: the value columns (Ch., Device, SOUND,
// MSB, LSB, Program Change, Lev, Pan, Rev, Cho) with their selection, test
// note, copy drag and wheel, the momentary buttons, and the port rules.
#include "ui/screens/mixer_common.h"

#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/screen_state.h"

namespace qz {

namespace {

constexpr int32_t COL_CELL_REAL = COL_PANEL;          // cells of a real sequence
constexpr int32_t COL_CELL_DEFAULT = COL_BEVEL_LIGHT;  // cells of the default sequence

MixerState& mixer(AppState& app) { return screens(app).mixer; }

bool realSequence(const AppState& app) { return app.seq && app.seq->exists; }

uint32_t packed(int32_t port, uint8_t status, int32_t d1, int32_t d2) {
    return uint32_t(status) | uint32_t(d1 & 127) << 8 | uint32_t(d2 & 127) << 16 | uint32_t(port & 0xFF) << 24;
}

// The record byte each column shows and changes.
uint8_t TrackRecord::*const COLUMN_FIELD[MIXCOL_COUNT] = {
    &TrackRecord::channel, &TrackRecord::device,  &TrackRecord::drumPart, &TrackRecord::bankMsb,
    &TrackRecord::bankLsb, &TrackRecord::program, &TrackRecord::volume,   &TrackRecord::pan,
    &TrackRecord::reverb,  &TrackRecord::chorus,
};

int32_t columnMax(const AppState& app, uint32_t col) {
    switch (col) {
        case MIXCOL_CHANNEL: return 15;
        case MIXCOL_DEVICE: return std::max(app.engine.outPortCount - 1, 0);
        case MIXCOL_SOUND: return 1;
        default: return 127;
    }
}

int32_t columnValue(const AppState& app, uint32_t col, int32_t track) {
    const int32_t v = app.seq->tracks[track].*COLUMN_FIELD[col];
    if (col == MIXCOL_SOUND) return v ? 1 : 0;
    return std::min(v, columnMax(app, col));
}

// Can the row take a new value in this column? The device of a track only
// counts in TRACK routing (MASTER shows "MAS" on every row), and a drum part
// needs a GS or XG port and a channel other than 10.
bool writable(const AppState& app, uint32_t col, int32_t track) {
    if (col == MIXCOL_DEVICE) return settingLoad(app.settings.deviceByTrack) == 1;
    if (col == MIXCOL_SOUND) return mixOnModulePort(app, track) && app.seq->tracks[track].channel != 9;
    return true;
}

// Give a row a column's value and send what the device needs to follow it.
// Returns false when nothing changed.
bool applyValue(AppState& app, uint32_t col, int32_t track, int32_t value) {
    if (track < 1 || track > USER_TRACKS || !writable(app, col, track)) return false;
    const TrackRecord& r = app.seq->tracks[track];
    const uint8_t v = uint8_t(std::clamp(value, 0, columnMax(app, col)));
    const uint8_t old = r.*COLUMN_FIELD[col];
    if (v == old) return false;
    const int32_t oldPort = mixTrackPort(app, track);
    mixSetTrackByte(app, track, COLUMN_FIELD[col], v);
    switch (col) {
        case MIXCOL_CHANNEL:
        case MIXCOL_DEVICE: {
            // Notes left sounding where the track played before would hang.
            const int32_t oldChannel = col == MIXCOL_CHANNEL ? old : r.channel;
            queueMessage(app, packed(oldPort, uint8_t(0xB0 | (oldChannel & 15)), 123, 0));
            sendTrackSetup(app, track);
            break;
        }
        case MIXCOL_SOUND: sendTrackSetup(app, track); break;
        case MIXCOL_MSB:
        case MIXCOL_LSB: sendBankAndProgram(app, track); break;
        case MIXCOL_PROGRAM:
            sendBankAndProgram(app, track);
            setStartProgram(app, track, v);
            break;
        default: {
            const int32_t cc = MIX_COLUMNS[col].controller;
            queueTrackMessage(app, r.device, r.channel & 15, 0xB0, uint8_t(cc), v);
            setStartControllerValue(app, track, cc, v);
            break;
        }
    }
    mixDirty(app);
    return true;
}

// Write the remembered value into every row from the last one the drag
// wrote up to the pointer's row.
void copyDrag(AppState& app, uint32_t col, int32_t row) {
    MixerState& m = mixer(app);
    if (m.dragRow < 1 || row == m.dragRow) return;
    const int32_t step = row > m.dragRow ? 1 : -1;
    for (int32_t t = m.dragRow + step;; t += step) {
        applyValue(app, col, t, m.remembered);
        if (t == row) break;
    }
    m.dragRow = row;
}

void startAudition(AppState& app, int32_t track) {
    MixerState& m = mixer(app);
    const TrackRecord& r = app.seq->tracks[track];
    m.auditionTrack = track;
    m.auditionPort = mixTrackPort(app, track);
    m.auditionChannel = r.channel & 15;
    m.auditionNote = auditionNote(app, track);
    auditionOn(app, track);
}

// End the test note where it went, even if the row's port, channel or part
// changed while it sounded.
void stopAudition(AppState& app) {
    MixerState& m = mixer(app);
    const int32_t t = m.auditionTrack;
    if (t == 0) return;
    m.auditionTrack = 0;
    if (mixTrackPort(app, t) == m.auditionPort && (app.seq->tracks[t].channel & 15) == m.auditionChannel &&
        auditionNote(app, t) == m.auditionNote) {
        auditionOff(app, t);
        return;
    }
    queueMessage(app, packed(m.auditionPort, uint8_t(0x90 | m.auditionChannel), m.auditionNote, 0));
}

void select(MixerState& m, uint32_t col, int32_t row) {
    m.selColumn = col;
    m.selAnchor = m.selEnd = row;
}

bool columnHoldsPointer(const AppState& app, uint32_t col) { return isHovered(app, mixValueColumn, col, 0); }

// ---- Buttons --------------------------------------------------------------------

struct MixButtonDef {
    int32_t x, y, w, h;
    const char* line1;
    const char* line2;
};
constexpr MixButtonDef MIX_BUTTONS[MIXBTN_COUNT] = {
    {1086, 519, 39, 21, "CLER", nullptr},
    {1125, 519, 30, 21, "RST", nullptr},
    {1190, 519, 75, 38, "PANIC", nullptr},
    {1265, 519, 178, 38, "TRACK MIDI MESSAGES", "SEND TO OUT DEVICE"},
    {1443, 519, 75, 38, "RESET", nullptr},
    {1457, 559, 50, 20, "ENTER", nullptr},
};

bool buttonShown(const AppState& app, uint32_t id) { return id != MIXBTN_ENTER || realSequence(app); }

void setDefaultChannels(AppState& app) {
    for (int32_t t = 1; t <= USER_TRACKS; ++t) mixSetTrackByte(app, t, &TrackRecord::channel, uint8_t(t - 1));
}

void resetButton(AppState& app) {
    if (realSequence(app) && snapshotForUndo(app) != 0) {
        // Without the undo copy the old settings would be lost for good.
        flushErrors(app);
        return;
    }
    {
        // The tick reads the devices, note maps and mutes.
        EngineLockGuard lock(app.engineLock);
        resetTrackMessages(app);
    }
    setDefaultChannels(app);
    if (realSequence(app)) app.seq->modified = 1;
    sendAllTrackSetups(app);
    markDirty(app, DIRTY_ALL);
}

void pressButton(AppState& app, uint32_t id) {
    switch (id) {
        case MIXBTN_CLEAR:
            for (int32_t t = 1; t <= USER_TRACKS; ++t) trackByteStore(app.seq->tracks[t].mute, 0);
            markDirty(app, DIRTY_TRACK_ROW);
            break;
        case MIXBTN_RST:
            setDefaultChannels(app);
            sendAllTrackSetups(app);
            break;
        case MIXBTN_PANIC: allNotesOffEverywhere(app); break;
        case MIXBTN_SEND:
            if (app.engine.playing.load(std::memory_order_acquire)) stopTransport(app);
            sendAllTrackSetups(app);
            break;
        case MIXBTN_RESET: resetButton(app); break;
        case MIXBTN_ENTER:
            if (realSequence(app)) storeTracksAsDefault(app);
            break;
        default: break;
    }
}

}  // namespace

const MixColumnDef MIX_COLUMNS[MIXCOL_COUNT] = {
    {1125, 30, -1}, {1156, 30, -1}, {1190, 49, -1}, {1240, 27, -1}, {1268, 27, -1},
    {1296, 111, -1}, {1408, 27, 7},  {1436, 27, 10}, {1464, 27, 91}, {1492, 27, 93},
};

int32_t mixPointerRow(const AppState& app) {
    return std::clamp((app.ui->mouseY - MIX_ROWS_Y) / MIX_ROW_PITCH + 1, 1, USER_TRACKS);
}

int32_t mixTrackPort(const AppState& app, int32_t track) {
    return outputPortFor(app, app.seq->tracks[track].device);
}

int32_t mixShownPort(const AppState& app, int32_t port) {
    const int32_t n = app.engine.outPortCount;
    return n <= 0 ? 0 : std::clamp(port, 0, n - 1);
}

bool mixOnModulePort(const AppState& app, int32_t track) {
    const int32_t port = mixTrackPort(app, track);
    if (port < 0 || port >= OUT_PORTS) return false;
    const uint32_t mode = settingLoad(app.settings.resetMode[port]);
    return mode == MODULE_GS || mode == MODULE_XG;
}

bool mixDrumPart(const AppState& app, int32_t track) {
    const TrackRecord& r = app.seq->tracks[track];
    return r.channel == 9 || (r.drumPart && mixOnModulePort(app, track));
}

void mixSetTrackByte(AppState& app, int32_t track, uint8_t TrackRecord::*field, uint8_t value) {
    TrackRecord& r = app.seq->tracks[track];
    if (r.*field == value) return;
    {
        EngineLockGuard lock(app.engineLock);
        r.*field = value;
    }
    if (realSequence(app)) app.seq->modified = 1;
    mixDirty(app);
}

void mixDrawName(DrawContext& dc, int32_t x, int32_t y, const char* name, int32_t maxWidth) {
    if (!name) return;
    int32_t n = int32_t(std::strlen(name));
    while (n > 0 && name[n - 1] == ' ') --n;
    drawTextFitted(dc, x, y, name, n, maxWidth, COL_BLACK);
}

void mixDirty(AppState& app) { markDirty(app, DIRTY_MIXER | DIRTY_TRACK_MESSAGES | DIRTY_SEQ_ROW); }

uint32_t mixValueColumn(AppState& app, uint32_t msg, uint32_t arg) {
    MixerState& m = mixer(app);
    if (msg == PM_LEAVE) {
        // Leaving the column ends its selection (the triple left is the
        // previous hover handler).
        if (m.selColumn == app.ui->prevHoverHandler.a) m.selColumn = MIXCOL_NONE;
        markDirty(app, DIRTY_MIXER | DIRTY_TRACK_MESSAGES);
        return 0;
    }
    const HoverHandler& h = app.ui->hoverHandler;
    if (h.proc != mixValueColumn || h.a >= MIXCOL_COUNT) return msg;
    const uint32_t col = h.a;
    const int32_t row = mixPointerRow(app);
    switch (msg) {
        case PM_LDOWN:
            select(m, col, row);
            m.remembered = columnValue(app, col, row);
            m.dragRow = row;
            stopAudition(app);
            startAudition(app, row);
            break;
        case PM_LUP: stopAudition(app); break;
        case PM_RDOWN:
            select(m, col, row);
            m.remembered = columnValue(app, col, row);
            m.dragRow = row;
            break;
        case PM_LDRAG:
            if (m.auditionTrack != 0 && m.auditionTrack != row) stopAudition(app);
            copyDrag(app, col, row);
            break;
        case PM_RDRAG:
            if (m.selColumn == col) m.selEnd = row;
            copyDrag(app, col, row);
            break;
        case PM_WHEEL: {
            int32_t lo = row, hi = row;
            if (m.selColumn == col) {
                lo = std::min(m.selAnchor, m.selEnd);
                hi = std::max(m.selAnchor, m.selEnd);
            }
            for (int32_t t = lo; t <= hi; ++t) {
                int32_t v = columnValue(app, col, t);
                stepValue(v, 0, columnMax(app, col), int32_t(arg));
                applyValue(app, col, t, v);
            }
            break;
        }
        default: return msg;
    }
    markDirty(app, DIRTY_MIXER | DIRTY_TRACK_MESSAGES);
    return 0;
}

void mixProbeColumns(AppState& app, uint32_t first, uint32_t last) {
    for (uint32_t c = first; c <= last && c < MIXCOL_COUNT; ++c)
        hitTest(app, mixValueColumn, c, 0, MIX_COLUMNS[c].x, MIX_ROWS_Y, MIX_COLUMNS[c].w, MIX_ROWS_H);
}

bool mixFollowPointer(AppState& app) {
    const HoverHandler& h = app.ui->hoverHandler;
    if (h.proc != mixValueColumn) return false;
    MixerState& m = mixer(app);
    const int32_t row = mixPointerRow(app);
    if (m.selColumn == h.a && row >= std::min(m.selAnchor, m.selEnd) && row <= std::max(m.selAnchor, m.selEnd))
        return false;
    select(m, h.a, row);
    return true;
}

void mixDrawColumn(AppState& app, uint32_t col) {
    DrawContext& dc = app.ui->draw;
    const MixerState& m = mixer(app);
    const MixColumnDef& c = MIX_COLUMNS[col];
    const bool holds = columnHoldsPointer(app, col) && m.selColumn == col;
    const int32_t lo = std::min(m.selAnchor, m.selEnd), hi = std::max(m.selAnchor, m.selEnd);
    const int32_t cell = realSequence(app) ? COL_CELL_REAL : COL_CELL_DEFAULT;
    const bool trackRouting = settingLoad(app.settings.deviceByTrack) == 1;
    selectFont(dc, FONT_ARIAL_14);
    for (int32_t t = 1; t <= USER_TRACKS; ++t) {
        const int32_t y = mixRowY(t);
        fillRect(dc, c.x, y, c.w, MIX_ROW_H, holds && t >= lo && t <= hi ? COL_HOVER : cell);
        const TrackRecord& r = app.seq->tracks[t];
        const int32_t ty = y + 4;
        switch (col) {
            case MIXCOL_CHANNEL: drawNumberBlank(dc, c.x + 7, ty, (r.channel & 15) + 1, 99, COL_BLACK); break;
            case MIXCOL_DEVICE:
                if (trackRouting)
                    drawNumberBlank(dc, 1167, ty, mixShownPort(app, mixTrackPort(app, t)) + 1, 9, COL_BLACK);
                else
                    drawText(dc, 1159, ty, "MAS", COL_BLACK);
                break;
            case MIXCOL_SOUND:
                if (mixOnModulePort(app, t))
                    drawText(dc, c.x + 5, ty, r.drumPart || r.channel == 9 ? "DRUM" : "INST", COL_BLACK);
                break;
            case MIXCOL_PROGRAM:
                drawNumberZero(dc, 1298, ty, r.program + 1, 999, COL_BLACK);
                if (mixDrumPart(app, t))
                    drawText(dc, 1321, ty, "DRUM", COL_BLACK);
                else
                    mixDrawName(dc, 1321, ty, programName(r.program + 1), c.x + c.w - 1321);
                break;
            default: drawNumber3(dc, c.x + 1, ty, r.*COLUMN_FIELD[col], COL_BLACK); break;
        }
    }
}

uint32_t mixButton(AppState& app, uint32_t msg, uint32_t) {
    const HoverHandler& h = app.ui->hoverHandler;
    if (h.proc != mixButton || h.a >= MIXBTN_COUNT) return msg;
    MixerState& m = mixer(app);
    const uint32_t bit = 1u << h.a;
    switch (msg) {
        case PM_LDOWN:
            m.held |= bit;
            pressButton(app, h.a);
            break;
        case PM_LUP: m.held &= ~bit; break;
        default: return msg;
    }
    markDirty(app, DIRTY_MIXER | DIRTY_TRACK_MESSAGES);
    return 0;
}

void mixProbeButton(AppState& app, uint32_t id) {
    const MixButtonDef& b = MIX_BUTTONS[id];
    if (buttonShown(app, id)) hitTest(app, mixButton, id, 0, b.x, b.y, b.w, b.h);
}

void mixDrawButton(AppState& app, uint32_t id) {
    DrawContext& dc = app.ui->draw;
    const MixButtonDef& b = MIX_BUTTONS[id];
    if (!buttonShown(app, id)) return;
    const bool held = (mixer(app).held & (1u << id)) != 0;
    bevelButton(dc, held, b.x, b.y, b.w, b.h, held ? COL_BUTTON_ON : COL_BUTTON_OFF, COL_BEVEL_LIGHT,
                COL_BEVEL_DARK);
    const int32_t ink = COL_BLACK;  // both faces are light
    const int32_t shift = held ? 1 : 0;
    selectFont(dc, b.h >= 30 && !b.line2 ? FONT_ARIAL_18 : FONT_ARIAL_14);
    const int32_t lineH = b.h >= 30 && !b.line2 ? 18 : 14;
    auto centred = [&](const char* text, int32_t y) {
        drawText(dc, b.x + shift + std::max(0, (b.w - textWidth(dc, text)) / 2), y + shift, text, ink);
    };
    if (b.line2) {
        centred(b.line1, b.y + (b.h - 2 * lineH) / 2);
        centred(b.line2, b.y + (b.h - 2 * lineH) / 2 + lineH);
    } else {
        centred(b.line1, b.y + (b.h - lineH) / 2);
    }
}

}  // namespace qz
