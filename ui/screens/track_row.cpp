// The row of 16 track buttons under the sequence row, its header, and the
// ALL TRACKS switch that makes edits apply to every track.
#include <algorithm>

#include "engine/engine.h"
#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/sequence_panels.h"
#include "ui/screens/track_menus.h"

namespace qz {

namespace {

constexpr int32_t HEADER_COLOUR = 3;
constexpr int32_t TRACK_TEXT = 248;
constexpr int32_t ALL_TRACKS_ON_TEXT = 253;

constexpr int32_t BUTTONS_X = 326, BUTTONS_Y = 57, BUTTON_W = 41, BUTTON_H = 35, BUTTON_PITCH = 43;
constexpr int32_t ALL_X = 1010, ALL_Y = 57, ALL_W = 175, ALL_H = 35;

bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }

// The tick reads the flag (sequence end while recording, what it records),
// so it changes under the engine lock.
void setAllTracks(AppState& app, bool on) {
    if (app.allTracks == on) return;
    {
        EngineLockGuard lock(app.engineLock);
        app.allTracks = on;
    }
    markDirty(app, DIRTY_ALL);
}

// Track under the pointer: the button pitch decides, the last button takes
// the rest.
int trackUnderPointer(const AppState& app) {
    return std::clamp((app.ui->mouseX - BUTTONS_X) / BUTTON_PITCH + 1, 1, USER_TRACKS);
}

// Make a track current the way a press on its button does.
void pickTrack(AppState& app, int track) {
    ensureSequence(app);
    flushErrors(app);
    setAllTracks(app, false);
    selectTrack(app, track);
}

uint32_t trackButtons(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_LDOWN:
        case PM_RDOWN: pickTrack(app, trackUnderPointer(app)); return 0;
        case PM_RUP:
            if (!isPlaying(app)) trackMenu(app);
            return 0;
        case PM_WHEEL:
            if (!app.allTracks) {
                const int32_t from = std::clamp(app.currentTrack, 1, USER_TRACKS);
                selectTrack(app, std::clamp(from + static_cast<int32_t>(arg), 1, USER_TRACKS));
            }
            return 0;
        default: return msg;
    }
}

// While REC or OVER DUB runs, or in track mute mode, the switch holds.
bool allTracksLocked(const AppState& app) {
    const RecordMode mode = app.engine.recordMode.load(std::memory_order_relaxed);
    return (isPlaying(app) && (mode == RECORD_REC || mode == RECORD_OVER_DUB)) || app.ui->trackMuteMode;
}

uint32_t allTracksSwitch(AppState& app, uint32_t msg, uint32_t) {
    switch (msg) {
        case PM_LDOWN: {
            if (allTracksLocked(app)) return 0;
            // Leaving a record mode and the edit views first: they work on
            // one track.
            const RecordMode mode = app.engine.recordMode.exchange(RECORD_OFF, std::memory_order_relaxed);
            if (mode == RECORD_STEP) closeOpenNotes(app);
            app.ui->stepEditView = false;
            setAllTracks(app, !app.allTracks);
            return 0;
        }
        case PM_CURSOR:
            if (!allTracksLocked(app)) return msg;
            setCursorShape(app, CURSOR_NO_ENTRY);
            return 0;
        default: return msg;
    }
}

void drawHeader(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 180, 57, 145, 36, HEADER_COLOUR);
    selectFont(dc, FONT_ARIAL_16);
    if (!app.allTracks) {
        drawText(dc, 183, 64, " Ch.01-16", COL_WHITE);
        selectFont(dc, FONT_ARIAL_14);
        drawText(dc, 276, 57, "Active", COL_WHITE);
        drawText(dc, 266, 67, "Track", COL_WHITE);
        drawGlyph(dc, 245, 69, GLYPH_RIGHT_11, COL_WHITE);
    } else {
        drawText(dc, 193, 57, "Ch.01      Track 01", COL_WHITE);
        drawText(dc, 193, 77, "Ch.16      Track 16", COL_WHITE);
        drawGlyph(dc, 237, 61, GLYPH_RIGHT_11, COL_WHITE);
        drawGlyph(dc, 237, 83, GLYPH_RIGHT_11, COL_WHITE);
        fillRect(dc, 240, 71, 6, 1, COL_WHITE);
    }
}

void drawTrackButtons(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const Sequence* s = app.seq;
    for (int n = 1; n <= USER_TRACKS; ++n) {
        const int32_t x = BUTTONS_X + BUTTON_PITCH * (n - 1);
        const bool current = n == app.currentTrack && !app.allTracks;
        const int32_t text = current ? HEADER_COLOUR : TRACK_TEXT;
        fillRect(dc, x, BUTTONS_Y, BUTTON_W, BUTTON_H, current ? COL_WHITE : HEADER_COLOUR);
        selectFont(dc, FONT_ARIAL_22_8);
        drawNumberZero(dc, x + 5, 57, n, 99, text);
        const TrackRecord& t = s->tracks[n];
        if (!t.used) continue;
        selectFont(dc, FONT_ARIAL_14);
        if (t.type == TRACK_TYPE_NOTE)
            drawText(dc, x + 7, 79, "NOTE", text);
        else
            drawText(dc, x + 6, 79, "DRUM", text);
    }
}

void drawAllTracksSwitch(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const bool on = app.allTracks;
    bevelButton(dc, false, ALL_X, ALL_Y, ALL_W, ALL_H, on ? COL_BUTTON_ON : HEADER_COLOUR, COL_BEVEL_LIGHT,
                COL_BEVEL_DARK);
    selectFont(dc, FONT_ARIAL_22_8);
    drawText(dc, 1040, 64, "ALL TRACKS", on ? ALL_TRACKS_ON_TEXT : COL_WHITE);
}

}  // namespace

uint32_t trackRowPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE:
            if (!inPanelArea(app, PANEL_TRACK)) return msg;
            hitTest(app, trackButtons, 0, 0, BUTTONS_X, BUTTONS_Y, BUTTON_PITCH * 15 + BUTTON_W, BUTTON_H);
            hitTest(app, allTracksSwitch, 0, 0, ALL_X, ALL_Y, ALL_W, ALL_H);
            return 0;
        case PM_PAINT:
            drawHeader(app);
            drawTrackButtons(app);
            drawAllTracksSwitch(app);
            return 0;
        case PM_SELECT_TRACK:
            if (arg >= 1 && arg <= uint32_t(USER_TRACKS)) pickTrack(app, static_cast<int>(arg));
            return 0;
        case PM_STATIC:
        case PM_MOVE:
        case PM_TIMER: return msg;
        default: {
            const HoverHandler h = app.ui->hoverHandler;
            if (!h.proc) return msg;
            const uint32_t answer = h.proc(app, msg, arg);
            if (answer == 0 && msg != PM_CURSOR) markDirty(app, DIRTY_TRACK_ROW);
            return answer;
        }
    }
}

}  // namespace qz
