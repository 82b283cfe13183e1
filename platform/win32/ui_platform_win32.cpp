// The screen framework's platform table on Win32: MessageBox, TrackPopupMenu,
// the text, form and rename dialogs from in-memory templates, the common
// file dialogs, the folder browser, pointer shapes and warping.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/window.h"
#include "program/app_state.h"
#include "ui/framework/ui_state.h"

namespace qz {

namespace {

HWND mainWindow() { return static_cast<HWND>(mainWindowHandle()); }

// ---- Dialog templates in memory ---------------------------------------------------

constexpr WORD CLASS_BUTTON = 0x0080;
constexpr WORD CLASS_EDIT = 0x0081;
constexpr WORD CLASS_STATIC = 0x0082;
constexpr WORD ID_EDIT = 305;  // the text dialogs' edit field

// A DLGTEMPLATE and its items, built word by word.
struct DialogTemplate {
    std::vector<WORD> words;
    size_t countAt = 0;

    void dword(DWORD v) {
        words.push_back(LOWORD(v));
        words.push_back(HIWORD(v));
    }
    void text(const char* s) {
        for (; s && *s; ++s) words.push_back(WORD(static_cast<unsigned char>(*s)));
        words.push_back(0);
    }
    void align() {
        if (words.size() % 2) words.push_back(0);
    }
    DialogTemplate(const char* title, short x, short y, short w, short h) {
        dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        dword(0);
        countAt = words.size();
        words.push_back(0);
        words.insert(words.end(), {WORD(x), WORD(y), WORD(w), WORD(h)});
        words.push_back(0);  // no menu
        words.push_back(0);  // the standard class
        text(title);
        words.push_back(8);  // the system font of 8 points
        text("MS Shell Dlg");
    }
    void item(WORD cls, DWORD style, short x, short y, short w, short h, WORD id, const char* caption) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        words.insert(words.end(), {WORD(x), WORD(y), WORD(w), WORD(h), id, 0xFFFF, cls});
        text(caption);
        words.push_back(0);
        ++words[countAt];
    }
    void button(short x, short y, short w, WORD id, const char* caption, bool isDefault = false) {
        item(CLASS_BUTTON, (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, x, y, w, 12, id, caption);
    }
    void edit(short x, short y, short w, WORD id) {
        item(CLASS_EDIT, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, x, y, w, 12, id, "");
    }
    void label(short x, short y, short w, const char* caption) {
        item(CLASS_STATIC, SS_LEFT, x, y, w, 10, 0xFFFF, caption);
    }
    // Runs the dialog modally over the main window; returns what EndDialog gave.
    int run(DLGPROC proc, void* ctx) {
        align();
        return int(DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), mainWindow(), proc,
                                           reinterpret_cast<LPARAM>(ctx)));
    }
};

std::string itemText(HWND dlg, int id, int maxChars) {
    char buf[256] = {};
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    std::string s(buf);
    return s.substr(0, size_t(maxChars));
}

// The context of a dialog procedure, kept in the dialog's user data.
template <typename T>
T* context(HWND dlg, UINT msg, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrA(dlg, DWLP_USER, lp);
    return reinterpret_cast<T*>(GetWindowLongPtrA(dlg, DWLP_USER));
}

// ---- Message boxes and popup menus ------------------------------------------------

int messageBox(void*, const char* title, const char* text, int buttons, int icon) {
    UINT flags = buttons == MB_YES_NO_CANCEL ? MB_YESNOCANCEL : buttons == MB_OK_CANCEL ? MB_OKCANCEL : MB_OK;
    flags |= icon == MB_ICON_ERROR      ? MB_ICONERROR
             : icon == MB_ICON_QUESTION ? MB_ICONQUESTION
             : icon == MB_ICON_INFO     ? MB_ICONINFORMATION
             : icon == MB_ICON_WARNING  ? MB_ICONWARNING
                                        : 0;
    switch (MessageBoxA(mainWindow(), text ? text : "", title ? title : "", flags)) {
        case IDOK: return ANSWER_OK;
        case IDYES: return ANSWER_YES;
        case IDNO: return ANSWER_NO;
        case IDCANCEL: return ANSWER_CANCEL;
        default: return ANSWER_CLOSED;
    }
}

POINT clientToScreen(int32_t x, int32_t y) {
    POINT p{x, y};
    if (HWND w = mainWindow()) ClientToScreen(w, &p);
    return p;
}

uint32_t popupMenu(void*, const MenuDef& def, int32_t x, int32_t y) {
    HMENU menu = CreatePopupMenu();
    for (int i = 0; i < def.count; ++i) {
        const MenuItem& item = def.items[i];
        if (item.id == 0)
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(menu, MF_STRING | (item.greyed ? MF_GRAYED : 0), item.id, item.text);
    }
    const POINT p = clientToScreen(x, y);
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_LEFTALIGN, p.x, p.y,
                                       0, mainWindow(), nullptr);
    DestroyMenu(menu);
    return uint32_t(chosen);
}

// ---- The text dialog ---------------------------------------------------------------

struct TextCtx {
    const char* initial;
    int maxChars;
    bool (*accept)(void* ctx, const char* text);
    void* ctx;
};

INT_PTR CALLBACK textProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* c = context<TextCtx>(dlg, msg, lp);
    switch (msg) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dlg, ID_EDIT, c->initial ? c->initial : "");
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                const std::string text = itemText(dlg, ID_EDIT, c->maxChars);
                if (c->accept(c->ctx, text.c_str()))
                    EndDialog(dlg, DIALOG_ENTER);
                else
                    SetFocus(GetDlgItem(dlg, ID_EDIT));  // refused: stay open with the typed text
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, DIALOG_CANCEL);
                return TRUE;
            }
            break;
        case WM_CLOSE: EndDialog(dlg, DIALOG_CLOSED); return TRUE;
        default: break;
    }
    return FALSE;
}

int textDialog(void*, const TextDialogDef& def, const char* initial, int maxChars,
               bool (*accept)(void* ctx, const char* text), void* ctx) {
    DialogTemplate t(def.title, short(def.x), short(def.y), short(def.w > 0 ? def.w : 140),
                     short(def.h > 0 ? def.h + 4 : 44));
    t.edit(17, 8, 100, ID_EDIT);
    t.button(30, 26, 36, IDOK, "Enter", true);
    t.button(76, 26, 36, IDCANCEL, "Cancel");
    TextCtx c{initial, maxChars, accept, ctx};
    return t.run(textProc, &c);
}

// ---- The form dialog ---------------------------------------------------------------

constexpr WORD ID_RADIO = 400;  // + group * 16 + index
constexpr WORD ID_FIELD = 500;  // + field

INT_PTR CALLBACK formProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* form = context<FormDialog>(dlg, msg, lp);
    switch (msg) {
        case WM_INITDIALOG:
            for (int g = 0; g < form->groupCount; ++g)
                CheckDlgButton(dlg, ID_RADIO + g * 16 + form->groups[g].checked, BST_CHECKED);
            for (int i = 0; i < form->fieldCount; ++i) {
                SetDlgItemTextA(dlg, ID_FIELD + i, form->fields[i].text);
                SendDlgItemMessageA(dlg, ID_FIELD + i, EM_LIMITTEXT, WPARAM(form->fields[i].maxChars), 0);
            }
            return TRUE;
        case WM_COMMAND: {
            const WORD id = LOWORD(wp);
            if (id >= ID_RADIO && id < ID_RADIO + FORM_MAX_GROUPS * 16 && HIWORD(wp) == BN_CLICKED) {
                const int g = (id - ID_RADIO) / 16, k = (id - ID_RADIO) % 16;
                form->groups[g].checked = k;
                if (form->onRadio) form->onRadio(*form, g, k);
                return TRUE;
            }
            if (id == IDOK) {
                for (int i = 0; i < form->fieldCount; ++i) {
                    const std::string t = itemText(dlg, ID_FIELD + i, FORM_FIELD_CHARS);
                    std::memset(form->fields[i].text, 0, sizeof form->fields[i].text);
                    std::memcpy(form->fields[i].text, t.data(), t.size());
                }
                if (!form->onEnter || form->onEnter(*form)) {
                    EndDialog(dlg, DIALOG_ENTER);
                    return TRUE;
                }
                for (int i = 0; i < form->fieldCount; ++i) SetDlgItemTextA(dlg, ID_FIELD + i, form->fields[i].text);
                return TRUE;
            }
            if (id == IDCANCEL) {
                EndDialog(dlg, DIALOG_CANCEL);
                return TRUE;
            }
            break;
        }
        case WM_CLOSE: EndDialog(dlg, DIALOG_CLOSED); return TRUE;
        default: break;
    }
    return FALSE;
}

int formDialog(void*, FormDialog& form) {
    int rows = 0;
    for (int g = 0; g < form.groupCount; ++g) rows = std::max(rows, form.groups[g].count);
    const short fieldsTop = short(22 + rows * 12 + 4);
    const short buttonsTop = short(fieldsTop + form.fieldCount * 16 + 4);
    DialogTemplate t(form.title, 100, 60, 200, short(buttonsTop + 20));
    t.label(8, 6, 184, form.titleLine);
    for (int g = 0; g < form.groupCount; ++g)
        for (int i = 0; i < form.groups[g].count; ++i)
            t.item(CLASS_BUTTON, BS_AUTORADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0), short(8 + g * 96),
                   short(22 + i * 12), 90, 10, WORD(ID_RADIO + g * 16 + i), form.groups[g].labels[i]);
    for (int i = 0; i < form.fieldCount; ++i) {
        t.label(8, short(fieldsTop + i * 16 + 2), 100, form.fields[i].label);
        t.item(CLASS_EDIT, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 112, short(fieldsTop + i * 16), 40, 12,
               WORD(ID_FIELD + i), "");
    }
    t.button(40, buttonsTop, 50, IDOK, "Enter", true);
    t.button(110, buttonsTop, 50, IDCANCEL, "Cancel");
    return t.run(formProc, &form);
}

// ---- "Replace Or Rename." -----------------------------------------------------------

constexpr WORD ID_REPLACE = 601, ID_REPLACE_ALL = 602, ID_RENAME = 603;

struct RenameCtx {
    char* name;
};

INT_PTR CALLBACK renameProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* c = context<RenameCtx>(dlg, msg, lp);
    switch (msg) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dlg, ID_EDIT, c->name);
            SendDlgItemMessageA(dlg, ID_EDIT, EM_LIMITTEXT, 15, 0);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case ID_REPLACE: EndDialog(dlg, REPLACE_ONE); return TRUE;
                case ID_REPLACE_ALL: EndDialog(dlg, REPLACE_ALL); return TRUE;
                case ID_RENAME: {
                    const std::string t = itemText(dlg, ID_EDIT, 15);
                    std::memset(c->name, 0, 16);
                    std::memcpy(c->name, t.data(), t.size());
                    EndDialog(dlg, REPLACE_RENAME);
                    return TRUE;
                }
                case IDCANCEL: EndDialog(dlg, REPLACE_CANCEL); return TRUE;
                default: break;
            }
            break;
        case WM_CLOSE: EndDialog(dlg, REPLACE_CANCEL); return TRUE;
        default: break;
    }
    return FALSE;
}

int replaceOrRename(void*, const char* conflictText, char* name) {
    DialogTemplate t("Replace Or Rename.", 100, 80, 230, 64);
    t.label(8, 6, 214, conflictText);
    t.label(8, 24, 30, "Name:");
    t.edit(40, 22, 100, ID_EDIT);
    t.button(8, 44, 50, ID_REPLACE, "Replace");
    t.button(62, 44, 50, ID_REPLACE_ALL, "ALL Replace");
    t.button(116, 44, 50, ID_RENAME, "Rename Load");
    t.button(170, 44, 50, IDCANCEL, "Cancel");
    RenameCtx c{name};
    return t.run(renameProc, &c);
}

// ---- File and folder dialogs -------------------------------------------------------

// The common dialog's filter: label and patterns, each NUL-ended, and a NUL.
std::string filterString(const FileFilter* filters, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += filters[i].label;
        out += '\0';
        out += filters[i].patterns;
        out += '\0';
    }
    out += '\0';
    return out;
}

std::string nativeFolder(std::string folder) {
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder;
}

std::string openFileDialog(void*, const char* title, const std::string& folder, const FileFilter* filters,
                           int count) {
    char path[MAX_PATH] = {};
    const std::string filter = filterString(filters, count);
    const std::string start = nativeFolder(folder);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = mainWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return GetOpenFileNameA(&ofn) ? std::string(path) : std::string();
}

std::string saveFileDialog(void*, const char* title, const std::string& folder, const std::string& proposed,
                           const FileFilter* filters, int count) {
    char path[MAX_PATH] = {};
    std::strncpy(path, proposed.c_str(), MAX_PATH - 1);
    const std::string filter = filterString(filters, count);
    const std::string start = nativeFolder(folder);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = mainWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return GetSaveFileNameA(&ofn) ? std::string(path) : std::string();
}

int CALLBACK browseStart(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

std::string folderDialog(void*, const char* title, const std::string& start) {
    const HRESULT co = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string from = nativeFolder(start);
    BROWSEINFOA bi{};
    bi.hwndOwner = mainWindow();
    bi.lpszTitle = title;
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    bi.lpfn = browseStart;
    bi.lParam = from.empty() ? 0 : reinterpret_cast<LPARAM>(from.c_str());
    std::string out;
    if (LPITEMIDLIST item = SHBrowseForFolderA(&bi)) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(item, path)) out = path;
        CoTaskMemFree(item);
    }
    if (SUCCEEDED(co)) CoUninitialize();
    return out;
}

// ---- Pointer, presenting, holding ------------------------------------------------

void setCursorShape(void*, int shape) {
    static const LPCSTR SHAPES[] = {IDC_ARROW, IDC_SIZEWE, IDC_WAIT, IDC_CROSS, IDC_NO};
    if (shape < 0 || shape >= int(sizeof SHAPES / sizeof SHAPES[0])) shape = CURSOR_ARROW;
    SetCursor(LoadCursorA(nullptr, SHAPES[shape]));
}

void warpPointer(void*, int32_t x, int32_t y) {
    const POINT p = clientToScreen(x, y);
    SetCursorPos(p.x, p.y);
}

void presentNow(void*) {
    if (HWND w = mainWindow()) {
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
    }
}

void waitMs(void*, uint32_t ms) { Sleep(ms); }

}  // namespace

void installWin32UiPlatform(AppState& app) {
    UiPlatform& p = app.ui->platform;
    p.user = &app;
    p.messageBox = messageBox;
    p.popupMenu = popupMenu;
    p.textDialog = textDialog;
    p.formDialog = formDialog;
    p.replaceOrRename = replaceOrRename;
    p.openFileDialog = openFileDialog;
    p.saveFileDialog = saveFileDialog;
    p.folderDialog = folderDialog;
    p.setCursorShape = setCursorShape;
    p.warpPointer = warpPointer;
    p.presentNow = presentNow;
    p.waitMs = waitMs;
}

}  // namespace qz
