// The one door from the screen framework to the window system: message
// boxes, popup menus, modal dialogs, file and folder dialogs, pointer shapes
// and warping, showing the canvas at once and holding a notice. The window
// program fills the table from its Qt layer; tests fill it with a scripted
// responder. An empty entry behaves as if the user closed the box or dialog.
#pragma once

#include <cstdint>
#include <string>

namespace qz {

// Message box buttons and icons.
constexpr int MB_OK_ONLY = 0;
constexpr int MB_OK_CANCEL = 1;
constexpr int MB_YES_NO_CANCEL = 3;
constexpr int MB_ICON_NONE = 0;
constexpr int MB_ICON_INFO = 1;
constexpr int MB_ICON_QUESTION = 2;
constexpr int MB_ICON_ERROR = 3;
constexpr int MB_ICON_WARNING = 4;

// What a message box answers.
constexpr int ANSWER_CLOSED = 0;
constexpr int ANSWER_OK = 1;
constexpr int ANSWER_CANCEL = 2;
constexpr int ANSWER_YES = 6;
constexpr int ANSWER_NO = 7;

// What a modal dialog ends with.
constexpr int DIALOG_CLOSED = 0;
constexpr int DIALOG_ENTER = 1;
constexpr int DIALOG_CANCEL = 2;

// Answers of the "Replace Or Rename." dialog.
constexpr int REPLACE_CANCEL = 0;
constexpr int REPLACE_ONE = 1;
constexpr int REPLACE_ALL = 2;
constexpr int REPLACE_RENAME = 3;

// Pointer shapes of setCursorShape.
constexpr int CURSOR_ARROW = 0;
constexpr int CURSOR_SIZE_LR = 1;
constexpr int CURSOR_BUSY = 2;
constexpr int CURSOR_CROSS = 3;
constexpr int CURSOR_NO_ENTRY = 4;

// One popup menu item; id 0 is a separator.
struct MenuItem {
    uint32_t id;
    const char* text;
    bool greyed;
};
struct MenuDef {
    const char* name;
    const MenuItem* items;
    int count;
};

// A text dialog template: title and its place and size in dialog units.
struct TextDialogDef {
    const char* name;
    const char* title;
    int x, y, w, h;
};

// A file dialog filter: the label shown and its patterns ("*.mid;*.seq").
struct FileFilter {
    const char* label;
    const char* patterns;
};

// A modal form: a title line, up to two groups of radio buttons and up to
// three short numeric fields, with "Enter" and "Cancel". A radio button takes
// effect at once through `onRadio`; "Enter" copies the fields' texts into
// `fields` and calls `onEnter`, which may rewrite them and answer false to
// keep the dialog open.
constexpr int FORM_MAX_GROUPS = 2;
constexpr int FORM_MAX_BUTTONS = 7;
constexpr int FORM_MAX_FIELDS = 3;
constexpr int FORM_FIELD_CHARS = 8;
struct FormDialog {
    const char* name = "";
    const char* title = "";
    const char* titleLine = "";
    struct Group {
        const char* labels[FORM_MAX_BUTTONS] = {};
        int count = 0;
        int checked = 0;
    } groups[FORM_MAX_GROUPS];
    int groupCount = 0;
    struct Field {
        const char* label = "";
        int maxChars = 3;
        char text[FORM_FIELD_CHARS + 1] = {};
    } fields[FORM_MAX_FIELDS];
    int fieldCount = 0;
    void* ctx = nullptr;
    void (*onRadio)(FormDialog& form, int group, int index) = nullptr;
    bool (*onEnter)(FormDialog& form) = nullptr;
};

struct UiPlatform {
    void* user = nullptr;
    // Modal box over the window; returns an ANSWER_ value.
    int (*messageBox)(void* user, const char* title, const char* text, int buttons, int icon) = nullptr;
    // Popup at a point of the window's client area; the chosen id, 0 when
    // dismissed.
    uint32_t (*popupMenu)(void* user, const MenuDef& menu, int32_t clientX, int32_t clientY) = nullptr;
    // Modal text dialog starting with `initial`. "Enter" hands the field's
    // text, cut to `maxChars`, to `accept`; the dialog stays open while it
    // answers false. Returns a DIALOG_ value.
    int (*textDialog)(void* user, const TextDialogDef& def, const char* initial, int maxChars,
                      bool (*accept)(void* ctx, const char* text), void* ctx) = nullptr;
    // Modal form (see FormDialog); returns a DIALOG_ value.
    int (*formDialog)(void* user, FormDialog& form) = nullptr;
    // The "Replace Or Rename." dialog; `name` (16 bytes) holds the proposed
    // name and receives the typed one (at most 15 characters). Returns a
    // REPLACE_ value.
    int (*replaceOrRename)(void* user, const char* conflictText, char* name) = nullptr;
    // File dialogs: the chosen path, "" when cancelled.
    std::string (*openFileDialog)(void* user, const char* title, const std::string& folder,
                                  const FileFilter* filters, int filterCount) = nullptr;
    std::string (*saveFileDialog)(void* user, const char* title, const std::string& folder,
                                  const std::string& proposedName, const FileFilter* filters,
                                  int filterCount) = nullptr;
    std::string (*folderDialog)(void* user, const char* title, const std::string& start) = nullptr;
    void (*setCursorShape)(void* user, int shape) = nullptr;
    // Move the pointer to a point of the client area.
    void (*warpPointer)(void* user, int32_t clientX, int32_t clientY) = nullptr;
    // Show the canvas on the window now, not at the next paint.
    void (*presentNow)(void* user) = nullptr;
    // Hold the window thread (a notice stays on screen meanwhile).
    void (*waitMs)(void* user, uint32_t ms) = nullptr;
};

}  // namespace qz
