// `qzseq-cli render [FILE] OUT.png`: the program's whole screen, drawn as the
// window draws it at start (with FILE loaded), written as a PNG. Text needs
// the Qt renderer (without a display Qt runs on its offscreen platform), or
// GDI on Windows.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/commands.h"
#include "files/file_common.h"
#include "program/app_state.h"  // before Qt: the state has a field named `slots`
#include "program/loader.h"
#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/draw.h"
#include "ui/framework/panel.h"
#include "ui/screens/screens.h"

#if QZ_CLI_WITH_QT
#include <QGuiApplication>

#include "platform/qt/text.h"
#elif QZ_CLI_WITH_GDI
#include "platform/win32/text.h"
#endif

namespace qz::cli {

namespace {

// The system's text renderer; false when there is none.
bool installText(DrawContext& dc) {
#if QZ_CLI_WITH_QT
    return installQtTextRenderer(dc);
#elif QZ_CLI_WITH_GDI
    return installGdiTextRenderer(dc);
#else
    (void)dc;
    return false;
#endif
}

}  // namespace

int cmdRender(int argc, char** argv) {
    // Trailing "--move X,Y", "--click X,Y", "--key DIGIT", "--overlay N" (as
    // the menu opens one) and "--note-track T" (track T made a NOTE track)
    // act on the screen before it is drawn, as the pointer and the keys would
    // (to see a hovered field, typed digits or an open overlay).
    struct InputStep {
        char kind;  // 'm' move, 'c' click, 'k' key, 'o' overlay, 'n' NOTE track
        int x, y;
    };
    std::vector<InputStep> steps;
    // "--no-text" leaves the text out: what remains is drawn by our own
    // primitives alone, the same on every system.
    bool noText = false;
    if (argc >= 3 && std::string(argv[argc - 1]) == "--no-text") {
        noText = true;
        --argc;
    }
    while (argc >= 4) {
        const std::string opt = argv[argc - 2];
        InputStep step{opt == "--click"        ? 'c'
                       : opt == "--key"        ? 'k'
                       : opt == "--overlay"    ? 'o'
                       : opt == "--note-track" ? 'n'
                                               : 'm',
                       0, 0};
        bool ok = false;
        if (opt == "--click" || opt == "--move")
            ok = std::sscanf(argv[argc - 1], "%d,%d", &step.x, &step.y) == 2;
        else if (opt == "--key")
            ok = std::sscanf(argv[argc - 1], "%d", &step.x) == 1 && step.x >= 0 && step.x <= 9;
        else if (opt == "--overlay" || opt == "--note-track")
            ok = std::sscanf(argv[argc - 1], "%d", &step.x) == 1 && step.x >= 0 && step.x <= 16;
        if (!ok) break;
        steps.insert(steps.begin(), step);
        argc -= 2;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: qzseq-cli render [FILE] OUT.png [--move X,Y | --click X,Y | --key DIGIT]... [--no-text]\n");
        return 2;
    }
    const char* file = argc == 3 ? argv[1] : nullptr;
    const char* out = argv[argc - 1];
#if QZ_CLI_WITH_QT
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char qtName[] = "qzseq-cli";
    char* qtArgv[] = {qtName, nullptr};
    QGuiApplication qapp(qtArgc, qtArgv);
#endif
    auto app = std::make_unique<AppState>();
    if (initProgramState(*app, false, CANVAS_MIN_WIDTH, CANVAS_MIN_HEIGHT) != 0) {
        std::fprintf(stderr, "qzseq-cli render: %s\n", errorText(ERR_NO_MEMORY));
        return 1;
    }
    DrawContext& dc = app->ui->draw;
    if (!noText && !installText(dc)) std::fprintf(stderr, "qzseq-cli render: no fonts; the screen has no text\n");
    int rc = 0;
    if (file) {
        const int kind = fileKindOf(file);
        rc = kind == FILE_KIND_NONE ? ERR_NOT_SEQUENCE : loadFileByKind(*app, file, kind, nullptr);
        if (rc != 0) std::fprintf(stderr, "qzseq-cli render: %s: %s\n", file, errorText(rc));
    }
    if (rc == 0) {
        for (const InputStep& step : steps) {
            if (step.kind == 'k') {
                onKey(*app, uint32_t(step.x));
                continue;
            }
            if (step.kind == 'o') {
                setOverlay(*app, uint32_t(step.x));
                continue;
            }
            if (step.kind == 'n') {
                if (step.x >= 1 && ensureSequence(*app) == 0) app->seq->tracks[step.x].type = TRACK_TYPE_NOTE;
                continue;
            }
            onMouseMove(*app, step.x, step.y);
            if (step.kind != 'c') continue;
            onLeftDown(*app, step.x, step.y);
            onLeftUp(*app);
        }
        firstPaint(*app);
        if (!writeCanvasPng(dc, out)) {
            std::fprintf(stderr, "qzseq-cli render: %s: %s\n", out, errorText(ERR_FILE_SAVE));
            rc = ERR_FILE_SAVE;
        }
    }
    freeAppState(*app);
    return rc == 0 ? 0 : 1;
}

}  // namespace qz::cli
