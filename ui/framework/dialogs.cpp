// Error box, questions, the pointer, popup menus, text dialogs and the frame
// of the canvas notices.
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

void holdNotice(AppState& app, uint32_t ms) {
    const UiPlatform& p = app.ui->platform;
    if (p.presentNow) p.presentNow(p.user);
    if (ms && p.waitMs) p.waitMs(p.user, ms);
}

void drawNoticeBox(DrawContext& dc, int32_t x, int32_t y, int32_t outer, int32_t inner) {
    frameRect(dc, x, y, 300, 40, outer);
    frameRect(dc, x + 1, y + 1, 298, 38, inner);
    frameRect(dc, x + 2, y + 2, 296, 36, inner);
    fillRect(dc, x + 3, y + 3, 294, 34, COL_WHITE);
}

}  // namespace qz
