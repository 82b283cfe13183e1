// Repaint times of the window's canvas, on the state the window builds, with
// the Qt text renderer (offscreen): the full repaint of the 1735 x 700 canvas
// and the UI frame's work while a dense file plays (the engine on a
// simulated clock, 16 ms between frames). Prints median and p99 in
// microseconds of the thread's CPU time.
//   qz_repaint_bench FILE.mid [FRAMES]
#include <QGuiApplication>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "files/file_common.h"
#include "platform/null/memory_ports.h"
#include "platform/null/sim_clock.h"
#include "platform/qt/text.h"
#include "program/app_state.h"
#include "program/loader.h"
#include "program/program.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"
#include "ui/screens/screens.h"

using namespace qz;

namespace {

// The thread's own CPU time: on a shared machine the wall clock counts the
// other processes' turns too.
double nowUs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

void report(const char* what, std::vector<double>& us) {
    std::sort(us.begin(), us.end());
    std::printf("%s median_us=%.1f p99_us=%.1f n=%zu\n", what, us[us.size() / 2], us[us.size() * 99 / 100], us.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qz_repaint_bench FILE.mid [FRAMES]\n");
        return 2;
    }
    const int frames = argc > 2 ? std::atoi(argv[2]) : 1000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char name[] = "qz_repaint_bench";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication qapp(qtArgc, qtArgv);
    auto app = std::make_unique<AppState>();
    if (initProgramState(*app, false) != 0 || !installQtTextRenderer(app->ui->draw)) return 1;
    if (int rc = loadFileByKind(*app, argv[1], fileKindOf(argv[1]), nullptr)) {
        std::fprintf(stderr, "cannot load %s (%d)\n", argv[1], rc);
        return 1;
    }
    firstPaint(*app);

    std::vector<double> full;
    for (int i = 0; i < 200; ++i) {
        const double t = nowUs();
        redrawAll(*app);
        full.push_back(nowUs() - t);
    }
    report("full_repaint", full);

    MemoryPorts ports;
    initMemoryPorts(ports, &app->engine.msClock, 1, size_t(1) << 16);
    app->engine.out = memoryPortsOutput(ports);
    app->engine.outPortCount = 1;
    SimClock sim;
    simInstall(sim, *app);
    settingStore(app->settings.playCountIn, 0);
    startFromTop(*app);
    std::vector<double> frame;
    for (int i = 0; i < frames; ++i) {
        simAdvance(sim, 16);
        if (ports.log.size() > 60000) ports.log.clear();
        const double t = nowUs();
        uiTimer(*app, app->engine.msClock.load());
        frame.push_back(nowUs() - t);
        if (!app->engine.playing.load()) startFromTop(*app);
    }
    report("playing_frame", frame);
    stopTransport(*app);
    simRemove(sim);
    freeAppState(*app);
    return 0;
}
