// The window on Win32: a window of class "QZSEQ" whose client area shows the
// canvas at the scroll position with StretchDIBits, the menu, the 2 ms UI
// timer on a waitable timer in the message loop, mouse, wheel and key input
// routed to the screen framework as the Qt door routes it, and dropped files.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "platform/win32/window.h"
#include "program/app_state.h"
#include "ui/framework/draw.h"
#include "ui/framework/panel.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace qz {

const char* const WINDOW_TITLE = "QZSEQ  Ver1.08     ";

namespace {

constexpr UINT_PTR LATER_TIMER_BASE = 100;
constexpr int SCROLL_LINE = 10;

struct Later {
    UINT_PTR id;
    void (*fn)(void* user);
    void* user;
};

struct Window {
    HWND hwnd = nullptr;
    AppState* app = nullptr;
    DrawContext* dc = nullptr;
    WindowHooks hooks;
    HANDLE uiTimer = nullptr;
    bool timerOn = false;
    std::vector<Later> later;
    UINT_PTR nextLater = LATER_TIMER_BASE;
};

Window win;

void present() {
    if (win.hwnd) InvalidateRect(win.hwnd, nullptr, FALSE);
}

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const DrawContext& dc = *win.dc;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = dc.width;
    bi.bmiHeader.biHeight = -dc.height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    // The whole canvas one to one, moved by the scroll origin; GDI clips it
    // to the part that needs painting.
    StretchDIBits(hdc, -win.app->ui->scrollX, -win.app->ui->scrollY, dc.width, dc.height, 0, 0, dc.width, dc.height,
                  dc.pixels.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
    EndPaint(hwnd, &ps);
}

// The scroll bars' ranges for the client size: 0..canvas, page = client.
void updateScrollBars() {
    UiState& ui = *win.app->ui;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = ui.canvasWidth - 1;
    si.nPage = UINT(std::max(0, ui.clientWidth));
    ui.scrollX = std::clamp(ui.scrollX, 0, std::max(0, ui.canvasWidth - ui.clientWidth));
    si.nPos = ui.scrollX;
    SetScrollInfo(win.hwnd, SB_HORZ, &si, TRUE);
    si.nMax = ui.canvasHeight - 1;
    si.nPage = UINT(std::max(0, ui.clientHeight));
    ui.scrollY = std::clamp(ui.scrollY, 0, std::max(0, ui.canvasHeight - ui.clientHeight));
    si.nPos = ui.scrollY;
    SetScrollInfo(win.hwnd, SB_VERT, &si, TRUE);
}

// A scroll bar message: lines of 10 pixels, the thumb's position; the other
// parts leave the position.
void scroll(int bar, WPARAM wp) {
    UiState& ui = *win.app->ui;
    int32_t& pos = bar == SB_HORZ ? ui.scrollX : ui.scrollY;
    const int32_t maxPos = bar == SB_HORZ ? std::max(0, ui.canvasWidth - ui.clientWidth)
                                          : std::max(0, ui.canvasHeight - ui.clientHeight);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(win.hwnd, bar, &si);
    int32_t next = pos;
    switch (LOWORD(wp)) {
        case SB_LINEUP: next = pos - SCROLL_LINE; break;
        case SB_LINEDOWN: next = pos + SCROLL_LINE; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: next = si.nTrackPos; break;
        default: return;
    }
    next = std::clamp(next, 0, maxPos);
    if (next == pos) return;
    pos = next;
    SetScrollPos(win.hwnd, bar, pos, TRUE);
    present();
}

// Client coordinates of a mouse message to canvas coordinates; beyond the
// left or top edge (while captured) counts as 0.
int32_t canvasX(LPARAM lp) { return windowToCanvasX(*win.app, GET_X_LPARAM(lp)); }
int32_t canvasY(LPARAM lp) { return windowToCanvasY(*win.app, GET_Y_LPARAM(lp)); }

void key(WPARAM vk) {
    if (vk >= '0' && vk <= '9')
        onKey(*win.app, uint32_t(vk - '0'));
    else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        onKey(*win.app, uint32_t(vk - VK_NUMPAD0));
    else if (vk == VK_RETURN)
        onKey(*win.app, KEY_ENTER);
    else if (vk == VK_BACK || vk == VK_DELETE)
        onKey(*win.app, KEY_BACK);
    else
        return;
    present();
}

void drop(HDROP h) {
    std::vector<std::string> paths;
    const UINT n = DragQueryFileA(h, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
        const UINT len = DragQueryFileA(h, i, nullptr, 0);
        std::string path(len, '\0');
        DragQueryFileA(h, i, path.data(), len + 1);
        paths.push_back(path);
    }
    DragFinish(h);
    if (win.hooks.drop && !paths.empty()) win.hooks.drop(win.hooks.user, paths);
    present();
}

HMENU buildMenu() {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 101, "Load");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, 102, "Load Folder");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, 104, "Save a Sequence");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, 107, "Cancel");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, 108, "Exit(&X)");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File(&F)");
    AppendMenuA(bar, MF_STRING, 110, "MIDI to button");
    return bar;
}

void runLater(UINT_PTR id) {
    KillTimer(win.hwnd, id);
    for (size_t i = 0; i < win.later.size(); ++i) {
        if (win.later[i].id != id) continue;
        const Later l = win.later[i];
        win.later.erase(win.later.begin() + long(i));
        l.fn(l.user);
        return;
    }
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!win.app) return DefWindowProcA(hwnd, msg, wp, lp);
    AppState& app = *win.app;
    switch (msg) {
        case WM_PAINT: paint(hwnd); return 0;
        case WM_ERASEBKGND: return 1;  // the canvas covers the client area
        case WM_MOUSEMOVE:
            onMouseMove(app, canvasX(lp), canvasY(lp));
            present();
            return 0;
        case WM_SETCURSOR:
            // The panel under the pointer sets the shape (answer 0), else the
            // arrow; near the client area's bottom edge the default applies.
            if (LOWORD(lp) == HTCLIENT && app.ui->clientHeight - (app.ui->mouseY - app.ui->scrollY) >= 2) {
                if (dispatch(app, PM_CURSOR, 0) != 0) SetCursor(LoadCursor(nullptr, IDC_ARROW));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN:
            SetCapture(hwnd);
            onLeftDown(app, canvasX(lp), canvasY(lp));
            present();
            return 0;
        case WM_LBUTTONUP:
            ReleaseCapture();
            onLeftUp(app);
            present();
            return 0;
        case WM_RBUTTONDOWN:
            SetCapture(hwnd);
            onRightDown(app, canvasX(lp), canvasY(lp));
            present();
            return 0;
        case WM_RBUTTONUP:
            ReleaseCapture();
            onRightUp(app);
            present();
            return 0;
        case WM_MBUTTONDOWN:
            SetCapture(hwnd);
            onMiddleDown(app);
            return 0;
        case WM_MBUTTONUP:
            ReleaseCapture();
            onMiddleUp(app);
            return 0;
        case WM_MOUSEWHEEL: {
            const int delta = GET_WHEEL_DELTA_WPARAM(wp);
            if (delta == 0) return 0;
            onWheel(app, delta > 0);
            present();
            return 0;
        }
        case WM_KEYDOWN: key(wp); return 0;
        case WM_COMMAND:
            if (HIWORD(wp) == 0 && lp == 0) {
                if (win.hooks.menu) win.hooks.menu(win.hooks.user, int(LOWORD(wp)));
                present();
                return 0;
            }
            break;
        case WM_DROPFILES: drop(reinterpret_cast<HDROP>(wp)); return 0;
        case WM_TIMER: runLater(wp); return 0;
        case WM_SIZE:
            app.ui->clientWidth = LOWORD(lp);
            app.ui->clientHeight = HIWORD(lp);
            updateScrollBars();
            return 0;
        case WM_HSCROLL: scroll(SB_HORZ, wp); return 0;
        case WM_VSCROLL: scroll(SB_VERT, wp); return 0;
        case WM_CLOSE:
            if (win.hooks.closeRequested && !win.hooks.closeRequested(win.hooks.user)) return 0;
            win.timerOn = false;
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The 2 ms UI timer: a periodic waitable timer the message loop waits on
// beside the messages. Modal boxes, menus and dialogs run loops of their own,
// so the frame waits for them, as it should.
HANDLE makeUiTimer() {
    HANDLE t = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (!t) t = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    if (!t) return nullptr;
    LARGE_INTEGER due;
    due.QuadPart = -20000;  // 2 ms, in 100 ns units
    SetWaitableTimer(t, &due, 2, nullptr, nullptr, FALSE);
    return t;
}

int messageLoop() {
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return int(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD n = win.uiTimer ? 1 : 0;
        const DWORD r = MsgWaitForMultipleObjectsEx(n, &win.uiTimer, n ? INFINITE : 2, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if ((r == WAIT_OBJECT_0 && n) || r == WAIT_TIMEOUT)
            if (win.timerOn && win.hooks.timer) win.hooks.timer(win.hooks.user);
    }
}

}  // namespace

bool claimSingleInstance() {
    // Held until the process ends.
    HANDLE m = CreateMutexA(nullptr, TRUE, "QZSEQ");
    if (m && GetLastError() != ERROR_ALREADY_EXISTS) return true;
    MessageBoxA(nullptr, "QZ-Sequencer is active", "QZ-Sequencer", MB_OK);
    return false;
}

std::string programFolder() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    const size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

void primaryScreenSize(int& width, int& height) {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0) width = CANVAS_MIN_WIDTH, height = CANVAS_MIN_HEIGHT;
}

int runMainWindow(AppState& app, DrawContext& dc, const WindowHooks& hooks, int width, int height) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconA(inst, "IDI_ICON1");
    if (!wc.hIcon) wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "QZSEQ";
    if (!RegisterClassExA(&wc)) return 0;

    win.app = &app;
    win.dc = &dc;
    win.hooks = hooks;
    win.hwnd = CreateWindowExA(WS_EX_ACCEPTFILES, "QZSEQ", WINDOW_TITLE, WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL,
                               0, 0, width, height, nullptr, buildMenu(), inst, nullptr);
    if (!win.hwnd) return 0;
    DragAcceptFiles(win.hwnd, TRUE);
    RECT rc;
    GetClientRect(win.hwnd, &rc);
    app.ui->clientWidth = rc.right - rc.left;
    app.ui->clientHeight = rc.bottom - rc.top;
    updateScrollBars();
    win.uiTimer = makeUiTimer();
    win.timerOn = true;
    if (hooks.created) hooks.created(hooks.user);
    ShowWindow(win.hwnd, SW_SHOWNORMAL);
    UpdateWindow(win.hwnd);
    const int code = messageLoop();
    if (win.uiTimer) CloseHandle(win.uiTimer);
    win = Window{};
    return code;
}

void presentCanvas() { present(); }

void requestWindowClose() {
    if (win.hwnd) SendMessageA(win.hwnd, WM_CLOSE, 0, 0);
}

void callLater(int ms, void (*fn)(void* user), void* user) {
    if (!win.hwnd) return;
    const UINT_PTR id = win.nextLater++;
    win.later.push_back(Later{id, fn, user});
    SetTimer(win.hwnd, id, UINT(ms > 0 ? ms : 1), nullptr);
}

void* mainWindowHandle() { return win.hwnd; }

}  // namespace qz
