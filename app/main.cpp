// qzseq: the sequencer's window program. Start-up and shut-down in their
// fixed order; everything in between is the screen framework's.
#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <chrono>
#include <memory>

#include "platform/qt/main_window.h"
#include "platform/qt/text.h"
#include "song/sequence_store.h"
#include "ui/framework/draw.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"

namespace {

using namespace qz;

// Milliseconds for the UI frame until the engine's clock drives it.
uint32_t uiClockMs() {
    static const auto start = std::chrono::steady_clock::now();
    return uint32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

void onTimer(void* user) { uiTimer(*static_cast<AppState*>(user), uiClockMs()); }

void onMenu(void* user, int id) {
    AppState& app = *static_cast<AppState*>(user);
    switch (id) {
        case 108: requestWindowClose(); return;
        case 110: setOverlay(app, OVERLAY_MIDI_TO_BUTTON); break;
        default: break;
    }
    redrawAll(app);
}

bool onClose(void*) { return true; }

void presentHook(AppState&) { presentCanvas(); }

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);

    // One instance at a time. The lock names its owner's process, so a lock
    // left behind by a crash is taken over instead of blocking the start.
    QLockFile instanceLock(QDir::temp().filePath(QStringLiteral("QZSEQ.lock")));
    instanceLock.setStaleLockTime(0);
    if (!instanceLock.tryLock(0)) {
        QMessageBox::information(nullptr, QStringLiteral("QZ-Sequencer"), QStringLiteral("QZ-Sequencer is active"));
        return 0;
    }

    auto app = std::make_unique<AppState>();
    int screenW = 0, screenH = 0;
    primaryScreenSize(screenW, screenH);
    app->ui.canvasWidth = screenW >= 1736 ? screenW : 1735;
    app->ui.canvasHeight = screenH >= 701 ? screenH : 700;

    // Window creation, in order: canvas and text, then the state.
    DrawContext& dc = app->ui.draw;
    if (!initDrawContext(dc, app->ui.canvasWidth, app->ui.canvasHeight)) return 1;
    installQtTextRenderer(dc);
    if (initAppState(*app) != 0) return 1;
    app->ui.hooks.present = presentHook;

    fillCanvas(dc, COL_BACKGROUND);
    redrawAll(*app);

    WindowHooks hooks;
    hooks.user = app.get();
    hooks.timer = onTimer;
    hooks.menu = onMenu;
    hooks.closeRequested = onClose;
    int rc = runMainWindow(*app, dc, hooks, std::min(screenW, 1735), std::min(screenH, 700));

    freeAppState(*app);
    releaseDrawContext(dc);
    return rc;
}
