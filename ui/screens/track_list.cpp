// The ALL TRACKS track list in the left column: one row per track with its
// number and name. The number column chooses a track (a left press leaves
// ALL TRACKS, a right press keeps it and opens TRACKMENU on release); the
// name column opens the rename dialog.
#include <algorithm>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/bar_ruler.h"
#include "ui/screens/menus.h"
#include "ui/screens/pads_panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/track_menus.h"

namespace qz {

namespace {

constexpr int32_t HEADER_COLOUR = 3;
constexpr int32_t ROW_COLOUR = COL_EMPTY_MARK;
constexpr int32_t RULE_COLOUR = COL_LAMP_DARK;

bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }
bool recordingRuns(const AppState& app) {
    const int32_t m = app.engine.recordMode.load(std::memory_order_relaxed);
    return isPlaying(app) && (m == 1 || m == 2);
}

// Track of the row under the pointer, or 0.
int trackUnderPointer(const AppState& app) {
    const int32_t y = app.ui->mouseY;
    if (y < 150) return 0;
    const int t = (y - 150) / 23 + 1;
    return t >= 1 && t <= USER_TRACKS ? t : 0;
}

bool insideNumbers(const AppState& app) {
    const UiState& ui = *app.ui;
    return ui.mouseX >= 180 && ui.mouseX < 210 && ui.mouseY >= 150 && ui.mouseY < 518;
}

uint32_t numberColumn(AppState& app, uint32_t msg, uint32_t arg) {
    PadsState& p = screens(app).pads;
    const int t = trackUnderPointer(app);
    switch (msg) {
        case PM_LDOWN:
            if (recordingRuns(app) || t == 0 || ensureSequence(app) != 0) return 0;
            {
                EngineLockGuard lock(app.engineLock);
                app.allTracks = false;
            }
            selectTrack(app, t);
            return 0;
        case PM_RDOWN:
            if (t == 0) return 0;
            selectTrack(app, t);
            p.trackMenuPending = true;
            return 0;
        case PM_RUP:
            if (p.trackMenuPending && insideNumbers(app) && !isPlaying(app)) {
                p.trackMenuPending = false;
                trackMenu(app);
            }
            p.trackMenuPending = false;
            return 0;
        case PM_WHEEL:
            selectTrack(app, std::clamp(app.currentTrack + int32_t(arg), 1, USER_TRACKS));
            return 0;
        default: return msg;
    }
}

uint32_t nameColumn(AppState& app, uint32_t msg, uint32_t) {
    PadsState& p = screens(app).pads;
    char* text = app.ui->textBuffer;
    switch (msg) {
        case PM_LDOWN:
        case PM_RDOWN: {
            const int t = trackUnderPointer(app);
            if (t == 0 || ensureSequence(app) != 0) return 0;
            p.renameTrack = t;
            selectTrack(app, t);
            return 0;
        }
        case PM_LUP:
        case PM_RUP:
            if (!isPlaying(app) && app.seq->exists) textDialog(app, TRACK_RENAME_DIALOG);
            markDirty(app, DIRTY_ALL);
            return 0;
        case PM_TEXT_GET: copyName(text, app.seq->tracks[p.renameTrack].name); return 0;
        case PM_TEXT_SET: {
            TrackRecord& tr = app.seq->tracks[p.renameTrack];
            copyName(tr.name, text);
            trackByteStore(tr.used, 1);
            app.seq->modified = 1;
            return 0;
        }
        case PM_TEXT_CANCEL: return 0;
        case PM_LEAVE: markDirty(app, DIRTY_TRACK_COLUMN); return 0;
        default: return msg;
    }
}

void drawStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    fillRect(dc, 180, 93, 145, 446, ROW_COLOUR);
    fillRect(dc, 180, 93, 145, 56, HEADER_COLOUR);
    fillRect(dc, 180, 517, 145, 22, HEADER_COLOUR);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, 180, 135, "Track", COL_WHITE);
    drawText(dc, 250, 135, "Name", COL_WHITE);
    hLine(dc, 180, 131, 145, 1, RULE_COLOUR);
    for (int32_t n = 0; n <= 16; ++n) hLine(dc, 180, 149 + 23 * n, 145, 1, RULE_COLOUR);
    vLine(dc, 325, 132, 407, 1, RULE_COLOUR);
    fillRect(dc, 925, 93, 84, 445, HEADER_COLOUR);
    for (int32_t n = 0; n <= 17; ++n) hLine(dc, 925, 149 + 23 * n, 84, 1, RULE_COLOUR);
}

void drawRows(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const PadsState& p = screens(app).pads;
    const bool namesHovered = isHovered(app, nameColumn);
    const int hoveredRow = namesHovered ? trackUnderPointer(app) : 0;
    for (int n = 1; n <= USER_TRACKS; ++n) {
        const int32_t y = 127 + 23 * n;
        const bool pending = p.trackMenuPending && n == app.currentTrack;
        fillRect(dc, 180, y, 30, 22, pending ? COL_HOVER : ROW_COLOUR);
        fillRect(dc, 210, y, 115, 22, n == hoveredRow ? COL_HOVER : ROW_COLOUR);
        selectFont(dc, FONT_ARIAL_16);
        drawNumberZero(dc, 183, 128 + 23 * n, n, 99, COL_BLACK);
        const TrackRecord& tr = app.seq->tracks[n];
        selectFont(dc, FONT_ARIAL_14);
        if (tr.used)
            drawTextN(dc, 215, 130 + 23 * n, tr.name, 16, COL_BLACK);
        else
            drawText(dc, 215, 130 + 23 * n, "(Unused)", COL_BLACK);
    }
    drawStartButton(app);
}

}  // namespace

uint32_t trackListColumn(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE:
            if (!inPanelArea(app, PANEL_PADS)) return msg;
            hitTest(app, numberColumn, 0, 0, 180, 150, 30, 368);
            hitTest(app, nameColumn, 0, 0, 210, 150, 115, 368);
            hitTest(app, startButton, 0, 0, 180, 539, 145, 19);
            return 0;
        case PM_STATIC: drawStatic(app); return 0;
        case PM_PAINT: drawRows(app); return 0;
        case PM_MOVE:
            if (isHovered(app, nameColumn) || !(app.ui->hoverHandler == app.ui->prevHoverHandler))
                markDirty(app, DIRTY_TRACK_COLUMN);
            return 0;
        default: {
            const uint32_t answer = forwardToHover(app, msg, arg);
            if (answer == 0 && msg != PM_CURSOR) markDirty(app, DIRTY_TRACK_COLUMN | DIRTY_PADS);
            return answer;
        }
    }
}

}  // namespace qz
