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
    const UiPlatform& p = app.ui.platform;
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
    const UiPlatform& p = app.ui.platform;
    if (p.setCursorShape && shape >= CURSOR_ARROW && shape <= CURSOR_NO_ENTRY) p.setCursorShape(p.user, shape);
}

void warpPointer(AppState& app, int32_t x, int32_t y) {
    const UiPlatform& p = app.ui.platform;
    if (p.warpPointer) p.warpPointer(p.user, x - app.ui.scrollX, y - app.ui.scrollY);
}

// ---- Popup menus ------------------------------------------------------------------

namespace {

constexpr MenuItem SEPARATOR{0, nullptr, false};

constexpr MenuItem EVENT_MENU[] = {{201, "Erase", false}, SEPARATOR,          {203, "Copy", false},
                                   SEPARATOR,            {204, "Paste", false}, SEPARATOR,
                                   {205, "Move", false}, SEPARATOR,          {216, "Velocity", false},
                                   {217, "Duration", false}, {218, "Timing Correct", false}, SEPARATOR,
                                   {219, "Cancel", false}};
constexpr MenuItem EVENT_MENU_PLAY[] = {{201, "Erase", false}, SEPARATOR, {219, "Cancel", false}};
constexpr MenuItem PAD_MENU[] = {{201, "Erase Pad", false},      {202, "Erase all Pads", false}, SEPARATOR,
                                 {203, "Copy Pad", false},       {204, "Paste Pad", false},      SEPARATOR,
                                 {216, "Velocity", false},       {217, "Duration", false},
                                 {218, "Timing Correct", false}, SEPARATOR,                      {219, "Cancel", false}};
constexpr MenuItem TRACK_MENU[] = {{201, "Erase a track", false},
                                   {202, "Erase all tracks", false},
                                   SEPARATOR,
                                   {220, "Erase Control Change", false},
                                   {221, "Erase Bend", false},
                                   {222, "Erase Pressure", false},
                                   SEPARATOR,
                                   {203, "Copy track", false},
                                   {204, "Paste track", false},
                                   SEPARATOR,
                                   {216, "Velocity", false},
                                   {217, "Duration", false},
                                   {218, "Timing Correct", false},
                                   SEPARATOR,
                                   {219, "Cancel", false}};
constexpr MenuItem TRACK_TEMPO_MENU[] = {{201, "Erase all tempo change", false}, SEPARATOR, {219, "Cancel", false}};
#define QZ_BAR_MENU(paste, greyed)                                                                                 \
    {                                                                                                              \
        {201, "Erase Bar", false}, {206, "Delete Bar", false}, SEPARATOR, {220, "Erase Control Change", false},   \
            {221, "Erase Bend", false}, {222, "Erase Pressure", false}, SEPARATOR,                                 \
            {208, "Insert Blank Bar", false}, SEPARATOR, {203, "Copy Bar", false}, SEPARATOR, {204, paste, greyed}, \
            SEPARATOR, {                                                                                           \
            219, "Cancel", false                                                                                   \
        }                                                                                                          \
    }
constexpr MenuItem BAR_MENU1[] = QZ_BAR_MENU("Paste", true);
constexpr MenuItem BAR_MENU2[] = QZ_BAR_MENU("Paste Bar", false);
#undef QZ_BAR_MENU
#define QZ_ALL_BAR_MENU(greyed)                                                                                   \
    {                                                                                                             \
        {201, "Erase Track(1-16) Bar", false}, {206, "Delete Track(1-16) Bar", false}, SEPARATOR,                \
            {220, "Erase Ctrl (1-16) Bar", false}, {221, "Erase Bend(1-16) Bar", false},                          \
            {222, "Erase Press.(1-16) Bar", false}, SEPARATOR, {208, "Insert Blank Track(1-16) Bar", false},      \
            SEPARATOR, {203, "Copy Track(1-16) Bar", false}, SEPARATOR, {204, "Paste Track(1-16) Bar", greyed},   \
            SEPARATOR, {                                                                                          \
            219, "Cancel", false                                                                                  \
        }                                                                                                         \
    }
constexpr MenuItem ALL_BAR_MENU1[] = QZ_ALL_BAR_MENU(true);
constexpr MenuItem ALL_BAR_MENU2[] = QZ_ALL_BAR_MENU(false);
#undef QZ_ALL_BAR_MENU
constexpr MenuItem SEQ_MENU[] = {{215, "Rename", false}, SEPARATOR, {203, "Copy", false}, SEPARATOR,
                                 {206, "Delete", false}, {207, "Delete All", false}, SEPARATOR,
                                 {219, "Cancel", false}};
constexpr MenuItem SEQ_DEFAULT_MENU[] = {{215, "Default Name", false}, SEPARATOR, {219, "Cancel", false}};
constexpr MenuItem STEP_MENU[] = {{260, "Delete", false}, SEPARATOR, {265, "Cancel", false}};

template <size_t N>
constexpr MenuDef menu(const char* name, const MenuItem (&items)[N]) {
    return MenuDef{name, items, int(N)};
}

constexpr MenuDef MENUS[] = {
    menu("EVENTMENU", EVENT_MENU),         menu("EVENTMENUPLAY", EVENT_MENU_PLAY),
    menu("PADMENU", PAD_MENU),             menu("TRACKMENU", TRACK_MENU),
    menu("TRACKTEMPOMENU", TRACK_TEMPO_MENU), menu("BARMENU1", BAR_MENU1),
    menu("BARMENU2", BAR_MENU2),           menu("ALLTRKBARMENU1", ALL_BAR_MENU1),
    menu("ALLTRKBARMENU2", ALL_BAR_MENU2), menu("SEQMENU", SEQ_MENU),
    menu("SEQDEFAULTMENU", SEQ_DEFAULT_MENU), menu("STEPMENU", STEP_MENU),
};

constexpr TextDialogDef TEXT_DIALOGS[] = {
    {"SEQLISTRENAME", "Sequence Rename.", 270, 170, 140, 40},
    {"SEQRENAME", "Sequence Rename.", 270, 30, 140, 40},
    {"SEQRENAME2", "Sequence Default Name.", 270, 30, 140, 40},
    {"TRKRENAME", "Track Rename.", 120, 70, 140, 40},
    {"CHORDNAME", "Chord Name.", 120, 70, 140, 40},
};

}  // namespace

const MenuDef* findMenu(const char* name) {
    for (const MenuDef& m : MENUS)
        if (std::strcmp(m.name, name) == 0) return &m;
    return nullptr;
}

uint32_t popupMenu(AppState& app, const char* name) {
    const MenuDef* m = findMenu(name);
    const UiPlatform& p = app.ui.platform;
    if (!m || !p.popupMenu) return 0;
    const uint32_t id = p.popupMenu(p.user, *m, app.ui.mouseX - app.ui.scrollX, app.ui.mouseY - app.ui.scrollY);
    // Only an enabled item of this menu counts as a choice.
    for (int i = 0; i < m->count; ++i)
        if (m->items[i].id != 0 && m->items[i].id == id && !m->items[i].greyed) return id;
    return 0;
}

// ---- Text dialogs ------------------------------------------------------------------

const TextDialogDef* findTextDialog(const char* name) {
    for (const TextDialogDef& d : TEXT_DIALOGS)
        if (std::strcmp(d.name, name) == 0) return &d;
    return nullptr;
}

namespace {

// "Enter" of a text dialog: the text (at most 16 characters) goes to the
// panel in the shared buffer; the panel's answer decides whether it closes.
bool acceptText(void* ctx, const char* text) {
    AppState& app = *static_cast<AppState*>(ctx);
    copyName(app.ui.textBuffer, text);
    return dispatch(app, PM_TEXT_SET, 0) == 0;
}

}  // namespace

int textDialog(AppState& app, const char* templateName) {
    const TextDialogDef* def = findTextDialog(templateName);
    const UiPlatform& p = app.ui.platform;
    if (!def || !p.textDialog) return DIALOG_CLOSED;
    std::memset(app.ui.textBuffer, 0, sizeof app.ui.textBuffer);
    dispatch(app, PM_TEXT_GET, 0);
    app.ui.textBuffer[16] = 0;
    char initial[17];
    std::memcpy(initial, app.ui.textBuffer, sizeof initial);
    const int result = p.textDialog(p.user, *def, initial, 16, acceptText, &app);
    if (result == DIALOG_CANCEL) dispatch(app, PM_TEXT_CANCEL, 0);
    return result == DIALOG_ENTER || result == DIALOG_CANCEL ? result : DIALOG_CLOSED;
}

// ---- Canvas notices ------------------------------------------------------------------

namespace {

// Show what was painted now and hold it for `ms`.
void holdNotice(AppState& app, uint32_t ms) {
    const UiPlatform& p = app.ui.platform;
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
    DrawContext& dc = app.ui.draw;
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
    DrawContext& dc = app.ui.draw;
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
    DrawContext& dc = app.ui.draw;
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
