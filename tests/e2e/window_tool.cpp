// Helper of the window's end-to-end test, run against the real program on an
// X server:
//   window_tool check SHOT.png      find the canvas in a screenshot and check
//                                   the colours of the top bar and the
//                                   position counter; prints the canvas origin
//   window_tool drop X Y FILE...    drop files on the window titled like the
//                                   program's at screen point (X, Y) the way
//                                   a file manager does (the XDND protocol)
//   window_tool close TITLE         ask the window of that title to close, as
//                                   its frame's close button does
// Exit code 0 when the check passed, the drop was accepted and finished, or
// the close request was sent.
// Qt before Xlib: Xlib's macros (Status, None, Bool) break Qt's headers.
#include <QImage>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/framework/draw.h"

namespace {

using qz::paletteColour;

// ---- check -------------------------------------------------------------------------

bool is(const QImage& img, int x, int y, int colour) {
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return false;
    return (img.pixel(x, y) & 0xFFFFFF) == paletteColour(colour);
}

// Each channel of the pixel lies between those of colours a and b.
bool between(QRgb px, int a, int b) {
    const uint32_t ca = paletteColour(a), cb = paletteColour(b);
    for (int shift : {0, 8, 16}) {
        const int v = int(px >> shift) & 0xFF, va = int(ca >> shift) & 0xFF, vb = int(cb >> shift) & 0xFF;
        if (v < std::min(va, vb) || v > std::max(va, vb)) return false;
    }
    return true;
}

int check(const char* path) {
    QImage img(QString::fromLocal8Bit(path));
    if (img.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    // The position counter's box (180, 25, 146 x 32) in colour 240: its first
    // row of 146 pixels gives the canvas origin.
    int ox = -1, oy = -1;
    for (int y = 0; y < img.height() && ox < 0; ++y)
        for (int x = 0; x + 146 <= img.width(); ++x) {
            if (!is(img, x, y, 240)) continue;
            int run = 0;
            while (run < 146 && is(img, x + run, y, 240)) ++run;
            if (run == 146) {
                ox = x - 180;
                oy = y - 25;
                break;
            }
            x += run;
        }
    if (ox < 0) {
        std::fprintf(stderr, "no position counter in the screenshot\n");
        return 1;
    }
    std::printf("canvas at %d %d\n", ox, oy);
    int failures = 0;
    auto expect = [&](bool ok, const char* what) {
        if (!ok) {
            std::fprintf(stderr, "FAIL: %s\n", what);
            ++failures;
        }
    };
    auto count = [&](int x0, int y0, int w, int h, int colour) {
        int n = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) n += is(img, ox + x, oy + y, colour);
        return n;
    };
    // Top bar: the background, the line from the inputs (180, 10, 320 x 7)
    // with its arrow, "MIDI Thru Out" in white at (510, 2).
    // (The MIDI-in panel fills the corner itself, from (1, 1).)
    expect(count(180, 0, 320, 8, 2) == 320 * 8, "top bar background is colour 2");
    expect(count(2, 20, 3, 70, 7) == 3 * 70, "MIDI-in panel in colour 7 at the top left");
    expect(count(180, 10, 320, 7, 7) == 320 * 7, "input line (180, 10, 320 x 7) is colour 7");
    expect(count(180, 8, 320, 2, 2) == 320 * 2, "background above the input line");
    expect(count(510, 2, 110, 22, 0) > 100, "white text of \"MIDI Thru Out\"");
    // The counter: the whole box in colour 240 apart from its white digits,
    // whose smoothed edges blend the two.
    const int box = count(180, 25, 146, 32, 240);
    const int digits = count(180, 25, 146, 32, 0);
    int blends = 0;
    for (int y = 25; y < 57; ++y)
        for (int x = 180; x < 326; ++x) blends += between(img.pixel(ox + x, oy + y), 240, 0);
    expect(blends == 146 * 32, "position box holds only colours 240, 0 and their blends");
    expect(box > 146 * 32 / 2, "position box mostly colour 240");
    expect(digits > 300, "white digits in the position box");
    expect(count(326, 25, 4, 32, 79) == 4 * 32, "sequence row (colour 79) right of the position box");
    return failures ? 1 : 0;
}

// ---- drop --------------------------------------------------------------------------

const char* const TITLE = "QZSEQ  Ver1.08     ";

Window findWindow(Display* d, Window w, const char* title = TITLE) {
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        const bool match = std::strcmp(name, title) == 0;
        XFree(name);
        if (match) return w;
    }
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < n && !found; ++i) found = findWindow(d, children[i], title);
    if (children) XFree(children);
    return found;
}

void sendClient(Display* d, Window to, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.display = d;
    e.xclient.window = to;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(d, to, False, NoEventMask, &e);
    XFlush(d);
}

// Wait for a client message of `type` to our window, answering selection
// requests for the dropped list meanwhile.
bool waitFor(Display* d, Window self, Atom type, const std::string& uris, Atom uriList, XEvent& got) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == SelectionRequest) {
                const XSelectionRequestEvent& r = e.xselectionrequest;
                XEvent reply{};
                reply.xselection.type = SelectionNotify;
                reply.xselection.display = d;
                reply.xselection.requestor = r.requestor;
                reply.xselection.selection = r.selection;
                reply.xselection.target = r.target;
                reply.xselection.time = r.time;
                reply.xselection.property = None;
                if (r.target == uriList) {
                    XChangeProperty(d, r.requestor, r.property, uriList, 8, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(uris.data()), int(uris.size()));
                    reply.xselection.property = r.property;
                }
                XSendEvent(d, r.requestor, False, NoEventMask, &reply);
                XFlush(d);
            } else if (e.type == ClientMessage && e.xclient.window == self && e.xclient.message_type == type) {
                got = e;
                return true;
            }
        }
        struct timespec ts = {0, 5 * 1000 * 1000};
        nanosleep(&ts, nullptr);
    }
    return false;
}

int drop(int x, int y, const std::vector<std::string>& files) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(d);
    const Window target = findWindow(d, root);
    if (!target) {
        std::fprintf(stderr, "no window titled \"%s\"\n", TITLE);
        return 1;
    }
    auto atom = [&](const char* n) { return XInternAtom(d, n, False); };
    const Atom enter = atom("XdndEnter"), position = atom("XdndPosition"), status = atom("XdndStatus"),
               dropA = atom("XdndDrop"), finished = atom("XdndFinished"), selection = atom("XdndSelection"),
               copy = atom("XdndActionCopy"), uriList = atom("text/uri-list");
    const Window self = XCreateSimpleWindow(d, root, 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, selection, self, CurrentTime);
    std::string uris;
    for (const std::string& f : files) uris += "file://" + f + "\r\n";

    sendClient(d, target, enter, long(self), 5L << 24, long(uriList), 0, 0);
    sendClient(d, target, position, long(self), 0, (long(x) << 16) | long(y), CurrentTime, long(copy));
    XEvent e;
    if (!waitFor(d, self, status, uris, uriList, e)) {
        std::fprintf(stderr, "no answer to the drag position\n");
        return 1;
    }
    if (!(e.xclient.data.l[1] & 1)) {
        std::fprintf(stderr, "the window refuses the drop\n");
        return 1;
    }
    sendClient(d, target, dropA, long(self), 0, CurrentTime, 0, 0);
    if (!waitFor(d, self, finished, uris, uriList, e)) {
        std::fprintf(stderr, "the drop did not finish\n");
        return 1;
    }
    std::printf("dropped %zu file(s), accepted\n", files.size());
    XCloseDisplay(d);
    return 0;
}

int closeWindow(const char* title) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 1;
    const Window w = findWindow(d, DefaultRootWindow(d), title);
    if (!w) {
        std::fprintf(stderr, "no window titled \"%s\"\n", title);
        return 1;
    }
    sendClient(d, w, XInternAtom(d, "WM_PROTOCOLS", False), long(XInternAtom(d, "WM_DELETE_WINDOW", False)),
               CurrentTime, 0, 0, 0);
    XCloseDisplay(d);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "check") == 0) return check(argv[2]);
    if (argc >= 5 && std::strcmp(argv[1], "drop") == 0) {
        std::vector<std::string> files(argv + 4, argv + argc);
        return drop(std::atoi(argv[2]), std::atoi(argv[3]), files);
    }
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) return closeWindow(argv[2]);
    std::fprintf(stderr, "usage: window_tool check SHOT.png | drop X Y FILE... | close TITLE\n");
    return 2;
}
