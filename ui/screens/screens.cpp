// The table of installed screens, and the program's state built in the
// order of the window's creation.
#include "ui/screens/screens.h"

#include "engine/engine.h"
#include "program/program.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"
#include "ui/screens/midi_button_panel.h"
#include "ui/screens/screen_state.h"

namespace qz {

namespace {

void pollEngineHook(AppState& app) {
    pollEngine(app);
    pollMidiButtons(app);
    pollChordEdit(app);
}

}  // namespace

void installScreens(AppState& app) {
    app.ui->screens =
        std::unique_ptr<ScreenState, void (*)(ScreenState*)>(new ScreenState, [](ScreenState* s) { delete s; });
    // One line per screen source, added with the source.
    installTransportPanel(app);
    installSequencePanels(app);
    installChangeBarsPanel(app);
    installMetronomePanel(app);
    installMidiInPanel(app);
    installOutMonitorPanel(app);
    installIndicators(app);
    installMixerPanel(app);
    installTrackMessagesPanel(app);
    installGridPanel(app);
    installBarRuler(app);
    installPadsPanel(app);
    installMidiButtonPanel(app);
    installChordPanel(app);
    installStepEditor(app);
    installChordEdit(app);
}

int initProgramState(AppState& app, bool readSettingsFile, int32_t canvasWidth, int32_t canvasHeight) {
    if (!app.ui) {
        attachUi(app);
        app.ui->canvasWidth = canvasWidth;
        app.ui->canvasHeight = canvasHeight;
        if (!initDrawContext(app.ui->draw, canvasWidth, canvasHeight)) return ERR_NO_MEMORY;
    }
    if (int rc = startProgramState(app, readSettingsFile)) return rc;
    installScreens(app);
    app.ui->hooks.pollEngine = pollEngineHook;
    return 0;
}

void firstPaint(AppState& app) {
    fillCanvas(app.ui->draw, COL_BACKGROUND);
    redrawAll(app);
}

}  // namespace qz
