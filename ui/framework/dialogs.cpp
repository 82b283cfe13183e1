// Error box, questions, the pointer, popup menus, text dialogs and the canvas
// notices.
#include "ui/framework/dialogs.h"

#include <cstdio>
#include <cstring>

#include "song/sequence_store.h"
#include "ui/framework/panel.h"

namespace qz {

// ---- Errors and questions ----------------------------------------------------

int askUser(AppState& app, const char* title, const char* text, int buttons, int icon) {
    const UiPlatform& p = app.ui->platform;
    if (!p.messageBox) return ANSWER_CLOSED;
    return p.messageBox(p.user, title, text, buttons, icon);
}

void showError(AppState& app, int code, int detail) {
    if (code == 0) return;
    char text[80];
    if (detail != 0)
        std::snprintf(text, sizeof text, "%s #%d", errorText(code), detail);
    else
        std::snprintf(text, sizeof text, "%s", errorText(code));
    askUser(app, "Error", text, MB_OK_ONLY, MB_ICON_ERROR);
}

void flushErrors(AppState& app, bool show) {
    while (int code = takeError(app))
        if (show) showError(app, code);
}

// ---- Pointer -----------------------------------------------------------------

void setCursorShape(AppState& app, int shape) {
    const UiPlatform& p = app.ui->platform;
    if (p.setCursorShape && shape >= CURSOR_ARROW && shape <= CURSOR_NO_ENTRY) p.setCursorShape(p.user, shape);
}

void warpPointer(AppState& app, int32_t x, int32_t y) {
    const UiPlatform& p = app.ui->platform;
    if (p.warpPointer) p.warpPointer(p.user, x - app.ui->scrollX, y - app.ui->scrollY);
}

// ---- Popup menus ------------------------------------------------------------------

uint32_t popupMenu(AppState& app, const MenuDef& m) {
    const UiPlatform& p = app.ui->platform;
    if (!p.popupMenu) return 0;
    const uint32_t id = p.popupMenu(p.user, m, app.ui->mouseX - app.ui->scrollX, app.ui->mouseY - app.ui->scrollY);
    // Only an enabled item of this menu counts as a choice.
    for (int i = 0; i < m.count; ++i)
        if (m.items[i].id != 0 && m.items[i].id == id && !m.items[i].greyed) return id;
    return 0;
}

// ---- Text dialogs ------------------------------------------------------------------

namespace {

// "Enter" of a text dialog: the text (at most 16 characters) goes to the
// panel in the shared buffer; the panel's answer decides whether it closes.
bool acceptText(void* ctx, const char* text) {
    AppState& app = *static_cast<AppState*>(ctx);
    copyName(app.ui->textBuffer, text);
    return dispatch(app, PM_TEXT_SET, 0) == 0;
}

}  // namespace

int textDialog(AppState& app, const TextDialogDef& def) {
    const UiPlatform& p = app.ui->platform;
    if (!p.textDialog) return DIALOG_CLOSED;
    std::memset(app.ui->textBuffer, 0, sizeof app.ui->textBuffer);
    dispatch(app, PM_TEXT_GET, 0);
    app.ui->textBuffer[16] = 0;
    char initial[17];
    std::memcpy(initial, app.ui->textBuffer, sizeof initial);
    const int result = p.textDialog(p.user, def, initial, 16, acceptText, &app);
    if (result == DIALOG_CANCEL) dispatch(app, PM_TEXT_CANCEL, 0);
    return result == DIALOG_ENTER || result == DIALOG_CANCEL ? result : DIALOG_CLOSED;
}

// ---- Canvas notices ------------------------------------------------------------------

namespace {

// Show what was painted now and hold it for `ms`.
void holdNotice(AppState& app, uint32_t ms) {
    const UiPlatform& p = app.ui->platform;
    if (p.presentNow) p.presentNow(p.user);
    if (ms && p.waitMs) p.waitMs(p.user, ms);
}

// Three nested frames and the white box inside them.
void noticeBox(DrawContext& dc, int32_t x, int32_t y, int32_t outer, int32_t inner) {
    frameRect(dc, x, y, 300, 40, outer);
    frameRect(dc, x + 1, y + 1, 298, 38, inner);
    frameRect(dc, x + 2, y + 2, 296, 36, inner);
    fillRect(dc, x + 3, y + 3, 294, 34, COL_WHITE);
}

}  // namespace

void showEditNotice(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const int32_t font = dc.font;
    fillRect(dc, 360, 232, 300, 18, COL_BUTTON_OFF);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 365, 234, "Edit", COL_WHITE);
    noticeBox(dc, 360, 250, COL_BUTTON_OFF, COL_BUTTON_OFF);
    selectFont(dc, FONT_ARIAL_22_8);
    drawText(dc, 450, 255, "Wite.......", COL_BLACK);
    selectFont(dc, font);
    holdNotice(app, 500);
}

void showCopyNotice(AppState& app, int fromSlot, int toSlot) {
    DrawContext& dc = app.ui->draw;
    const int32_t font = dc.font;
    frameRect(dc, 550, 42, 150, 40, COL_NOTE_ROW);
    frameRect(dc, 551, 43, 148, 38, COL_NOTE_ROW);
    frameRect(dc, 552, 44, 146, 36, COL_NOTE_ROW);
    fillRect(dc, 553, 45, 144, 34, COL_WHITE);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 575, 52, "Copy        to   ", COL_BLACK);
    drawNumberZero(dc, 620, 52, fromSlot, 99, COL_BLACK);
    drawNumberZero(dc, 660, 52, toSlot, 99, COL_BLACK);
    selectFont(dc, font);
    holdNotice(app, 1000);
}

void showNameExists(AppState& app, int32_t x, int32_t y, const char* name) {
    DrawContext& dc = app.ui->draw;
    const int32_t font = dc.font;
    fillRect(dc, x, y - 18, 300, 18, 212);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, x + 5, y - 16, "Sequnce Mame Exist!!", COL_WHITE);
    noticeBox(dc, x, y, 212, 211);
    selectFont(dc, FONT_ARIAL_22_8);
    drawTextN(dc, x + 25, y + 5, name, 16, COL_BLACK);
    selectFont(dc, font);
    holdNotice(app, 0);
}

}  // namespace qz
