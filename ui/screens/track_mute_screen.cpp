// TRACK MUTE MODE's screen in the grid area: sixteen big track buttons laid
// out like the pads (track 1 at the bottom left), a click mutes or unmutes a
// track or, in the SOLO sub-mode, solos it; the header sets the note the
// first pad sends. The input path does the same for notes from a pad
// controller.
#include <algorithm>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/panel.h"
#include "ui/screens/bar_ruler.h"
#include "ui/screens/grid_view.h"
#include "ui/screens/pads_panel.h"
#include "ui/screens/screen_state.h"

namespace qz {

namespace {

constexpr int32_t BUTTONS_X = 290, BUTTONS_Y = 126, BUTTON_W = 150, BUTTON_H = 95, PITCH_X = 160, PITCH_Y = 105;
constexpr int32_t BASE_X = 570, BASE_Y = 98, BASE_W = 35, BASE_H = 16;

// Track of button (c, r): the bottom row holds tracks 1 to 4.
int trackOfButton(int32_t c, int32_t r) { return (3 - r) * 4 + c + 1; }

int trackUnderPointer(const AppState& app) {
    const int32_t c = std::clamp((app.ui->mouseX - BUTTONS_X) / PITCH_X, 0, 3);
    const int32_t r = std::clamp((app.ui->mouseY - BUTTONS_Y) / PITCH_Y, 0, 3);
    return trackOfButton(c, r);
}

bool soloOn(const AppState& app) { return app.engine.soloMode.load(std::memory_order_relaxed) != 0; }

// A click on track t: solo moves to it or ends, or its mute flips.
void pressTrack(AppState& app, int t) {
    if (app.rec.trackMuteSolo.load(std::memory_order_relaxed) || soloOn(app)) {
        if (soloOn(app) && t == app.currentTrack) {
            app.engine.soloMode.store(0, std::memory_order_relaxed);
        } else {
            selectTrack(app, t);
            app.engine.soloMode.store(1, std::memory_order_relaxed);
        }
    } else {
        // A mute is a track setting of this sequence, not of the default one.
        if (ensureSequence(app) != 0) return;
        uint8_t& mute = app.seq->tracks[t].mute;
        trackByteStore(mute, trackByteLoad(mute) ? 0 : 1);
    }
    markDirty(app, DIRTY_TRACK_ROW | DIRTY_MIXER | DIRTY_TRANSPORT);
}

uint32_t trackButtons(AppState& app, uint32_t msg, uint32_t) {
    if (msg != PM_LDOWN) return msg;
    pressTrack(app, trackUnderPointer(app));
    return 0;
}

uint32_t baseField(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_WHEEL: {
            uint32_t v = settingLoad(app.settings.inputPadBase);
            stepValue(v, 0, PAD_BASE_COUNT - 1, int32_t(arg));
            settingStore(app.settings.inputPadBase, v);
            markDirty(app, DIRTY_PADS);
            return 0;
        }
        case PM_LEAVE: markDirty(app, DIRTY_GRID); return 0;
        default: return msg;
    }
}

struct ButtonLook {
    int32_t face, wordColour, text, light;
    const char* word;
};

ButtonLook lookOf(const AppState& app, int t) {
    const TrackRecord& tr = app.seq->tracks[t];
    if (soloOn(app) && t == app.currentTrack) return {245, 240, 254, 249, "SOLO"};
    if (trackByteLoad(tr.mute)) return {240, 245, 249, COL_LAMP_LIT, "MUTE"};
    if (!tr.used) return {249, 0, 253, -1, nullptr};
    return {247, 0, 252, soloOn(app) ? 249 : COL_LAMP_LIT, nullptr};
}

// A note sounds on the track: from playback or from the input.
bool noteShown(const AppState& app, int t) {
    return app.engine.trackActivity[t].load(std::memory_order_relaxed) != 0 ||
           app.rec.inputLamp[t].load(std::memory_order_relaxed) != 0;
}

void drawButton(AppState& app, int32_t c, int32_t r) {
    DrawContext& dc = app.ui->draw;
    const int t = trackOfButton(c, r);
    const int32_t x = BUTTONS_X + PITCH_X * c, y = BUTTONS_Y + PITCH_Y * r;
    const ButtonLook k = lookOf(app, t);
    fillRect(dc, x, y, BUTTON_W, BUTTON_H, k.face);
    frameRect(dc, x, y, BUTTON_W, BUTTON_H, COL_BEVEL_DARK);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, x + 5, y + 5, "Pad", k.text);
    drawNumberZero(dc, x + 32, y + 5, t, 99, k.text);
    drawText(dc, x + 95, y + 5, "Track", k.text);
    drawNumberZero(dc, x + 130, y + 5, t, 99, k.text);
    const TrackRecord& tr = app.seq->tracks[t];
    if (tr.used)
        drawTextN(dc, x + 5, y + 30, tr.name, 16, k.text + 1);
    else
        drawText(dc, x + 5, y + 30, "(Unused)", k.text + 1);
    if (k.light >= 0 && noteShown(app, t)) fillRect(dc, x + 5, y + 20, 7, 7, k.light);
    if (k.word) {
        selectFont(dc, FONT_ARIAL_26_10);
        drawText(dc, x + 48, y + 45, k.word, k.wordColour);
    }
}

void drawBaseField(AppState& app) {
    DrawContext& dc = app.ui->draw;
    drawField(dc, isHovered(app, baseField), BASE_X, BASE_Y, BASE_W, BASE_H);
    selectFont(dc, FONT_ARIAL_14);
    drawText(dc, BASE_X + 3, BASE_Y + 1, padBaseLabel(settingLoad(app.settings.inputPadBase)), COL_BLACK);
}

void drawStatic(AppState& app) {
    DrawContext& dc = app.ui->draw;
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 518, 98, "Pad 01=", COL_WHITE);
    fillRect(dc, 611, 103, 13, 7, COL_WHITE);
    drawGlyph(dc, 624, 101, GLYPH_ARROW_RIGHT, COL_WHITE);
    drawText(dc, 636, 98, "Track 1", COL_WHITE);
    frameRect(dc, 326, 539, 638, 19, COL_BEVEL_DARK);
}

}  // namespace

uint32_t trackMuteScreen(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE:
            if (!inPanelArea(app, PANEL_GRID)) return msg;
            hitTest(app, baseField, 0, 0, BASE_X, BASE_Y, BASE_W, BASE_H);
            hitTest(app, trackButtons, 0, 0, BUTTONS_X, BUTTONS_Y, 640, 420);
            hitTest(app, endButton, 0, 0, 964, 539, 41, 19);
            return 0;
        case PM_STATIC: drawStatic(app); return 0;
        case PM_PAINT:
            fillRect(app.ui->draw, BUTTONS_X, BUTTONS_Y, 640, 412, COL_BACKGROUND);
            for (int32_t r = 0; r < 4; ++r)
                for (int32_t c = 0; c < 4; ++c) drawButton(app, c, r);
            drawBaseField(app);
            drawEndButton(app);
            return 0;
        case PM_MOVE:
            if (!(app.ui->hoverHandler == app.ui->prevHoverHandler)) markDirty(app, DIRTY_GRID);
            return 0;
        default: {
            const uint32_t answer = forwardToHover(app, msg, arg);
            if (answer == 0 && msg != PM_CURSOR) markDirty(app, DIRTY_GRID);
            return answer;
        }
    }
}

}  // namespace qz
