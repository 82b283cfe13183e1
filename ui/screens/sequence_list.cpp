// The sequence list that drops down under the sequence field: twenty rows
// of slots with their state marks, a cursor moved by the wheel, and the
// sequence menu on a right click.
#include <algorithm>

#include "engine/engine.h"
#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/sequence_panels.h"

namespace qz {

namespace {

constexpr int32_t LIST_ROWS = 20;
constexpr int32_t LIST_TOP_MAX = MAX_SLOTS - LIST_ROWS;  // 79
constexpr int32_t ROW_PITCH = 15;
constexpr int32_t FIRST_ROW_Y = 53;
constexpr int32_t CURRENT_ROW = 128;

bool isPlaying(const AppState& app) { return app.engine.playing.load(std::memory_order_acquire); }

// Scroll so that the current slot is in view, once per change of slot.
void followCurrentSlot(AppState& app) {
    SequencePanelState& p = screens(app).seqPanel;
    if (p.listSlotShown == app.currentSlot) return;
    p.listSlotShown = app.currentSlot;
    const int32_t index = app.currentSlot - 1;
    if (index < p.listTop) p.listTop = index;
    if (index > p.listTop + LIST_ROWS - 1) p.listTop = index - (LIST_ROWS - 1);
    p.listTop = std::clamp(p.listTop, 0, LIST_TOP_MAX);
    p.listCursor = std::clamp(index - p.listTop, 0, LIST_ROWS - 1);
}

// Row under the pointer, 0..19.
int32_t rowUnderPointer(const AppState& app) {
    return std::clamp((app.ui->mouseY - FIRST_ROW_Y) / ROW_PITCH, 0, LIST_ROWS - 1);
}

// Slot of a list row, or 0 when the row shows no sequence.
int slotOfRow(const AppState& app, int32_t row) {
    const int slot = screens(app).seqPanel.listTop + row + 1;
    return slot <= app.lastSlot && app.slots[slot] ? slot : 0;
}

// Move the cursor by `steps` rows, scrolling at either end; the slot under
// it becomes current. The cursor stays on the listed sequences.
void moveCursor(AppState& app, int32_t steps) {
    SequencePanelState& p = screens(app).seqPanel;
    const int32_t last = std::max(app.lastSlot, 1);
    int32_t index = std::clamp(p.listTop + p.listCursor + steps, 0, last - 1);
    int32_t cursor = p.listCursor + steps;
    int32_t top = p.listTop;
    if (cursor < 0) top = index;
    if (cursor > LIST_ROWS - 1) top = index - (LIST_ROWS - 1);
    p.listTop = std::clamp(top, 0, LIST_TOP_MAX);
    p.listCursor = std::clamp(index - p.listTop, 0, LIST_ROWS - 1);
    index = p.listTop + p.listCursor;
    if (index + 1 != app.currentSlot && app.slots[index + 1]) selectSequence(app, index + 1);
    p.listSlotShown = app.currentSlot;
    markDirty(app, DIRTY_ALL);
}

uint32_t listRows(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_LDOWN:
        case PM_RDOWN: {
            const int32_t row = rowUnderPointer(app);
            const int slot = slotOfRow(app, row);
            if (slot == 0) return 0;
            const bool wasPlaying = isPlaying(app);
            if (wasPlaying) stopTransport(app);
            screens(app).seqPanel.listCursor = row;
            selectSequence(app, slot);
            screens(app).seqPanel.listSlotShown = app.currentSlot;
            // A left click keeps the music going in the new sequence.
            if (msg == PM_LDOWN && wasPlaying) startFromTop(app);
            markDirty(app, DIRTY_ALL);
            return 0;
        }
        case PM_RUP:
            if (slotOfRow(app, rowUnderPointer(app)) != 0) sequenceMenu(app, true);
            return 0;
        case PM_WHEEL: {
            // Left of the slot numbers the wheel moves ten rows a step.
            const int32_t steps = static_cast<int32_t>(arg) * (app.ui->mouseX < 563 ? 10 : 1);
            moveCursor(app, steps);
            return 0;
        }
        case PM_TEXT_GET:
        case PM_TEXT_SET:
        case PM_TEXT_CANCEL: return sequenceRenameText(app, msg, true);
        default: return msg;
    }
}

void drawList(AppState& app) {
    followCurrentSlot(app);
    DrawContext& dc = app.ui->draw;
    frameRect(dc, 532, 52, 240, 307, COL_BLACK);
    fillRect(dc, 533, 53, 238, 305, COL_WHITE);
    const SequencePanelState& p = screens(app).seqPanel;
    for (int32_t r = 0; r < LIST_ROWS; ++r) {
        const int slot = p.listTop + r + 1;
        if (slot > app.lastSlot) break;
        const Sequence* s = app.slots[slot];
        if (!s) continue;
        const int32_t y = FIRST_ROW_Y + ROW_PITCH * r;
        const bool current = slot == app.currentSlot;
        const int32_t text = current ? COL_WHITE : COL_BLACK;
        if (current) fillRect(dc, 534, y - 1, 236, 16, CURRENT_ROW);
        if (s->unsaved) {
            // "New" must end before the slot number at x 558: where Arial 14
            // is too wide for that, the interface font takes its place.
            selectFont(dc, FONT_ARIAL_14);
            if (textWidth(dc, "New") > 558 - 535 - 1) selectFont(dc, FONT_GUI);
            drawText(dc, 535, y, "New", text);
        } else if (s->modified) {
            selectFont(dc, FONT_ARIAL_18);
            drawText(dc, 539, y, "*", text);
        }
        selectFont(dc, FONT_ARIAL_14);
        drawNumberZero(dc, 558, y, slot, 99, text);
        drawTextN(dc, 586, y, s->name, 16, text);
    }
}

}  // namespace

uint32_t sequenceListPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE: {
            // The list button stays live so that it can close the list.
            const bool onButton = hitTest(app, listButton, 0, 0, 798, 30, 18, 21);
            const bool onRows = hitTest(app, listRows, 0, 0, 534, 54, 237, 304);
            return onButton || onRows ? 0 : msg;
        }
        case PM_PAINT:
            drawList(app);
            drawListButton(app);
            return 0;
        case PM_STATIC:
        case PM_MOVE:
        case PM_TIMER: return msg;
        default: {
            const HoverHandler h = app.ui->hoverHandler;
            if (!h.proc) return msg;
            return h.proc(app, msg, arg);
        }
    }
}

}  // namespace qz
