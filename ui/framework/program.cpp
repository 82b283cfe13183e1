// Building the program's state in the order of the window's creation.
#include "ui/framework/program.h"
#include "ui/screens/screens.h"

#include "engine/engine.h"
#include "files/settings_file.h"
#include "song/sequence_store.h"
#include "ui/framework/repaint.h"

namespace qz {

namespace {

void pollEngineHook(AppState& app) { pollEngine(app); }

}  // namespace

int initProgramState(AppState& app, bool readSettingsFile) {
    if (int rc = initAppState(app)) return rc;
    if (readSettingsFile) loadSettings(app);
    // The settings file holds the default sequence that stands for an empty
    // slot: point at slot 1 again now that it is read.
    app.currentSlot = 1;
    pointAtSequence(app, 1);
    selectTrack(app, 1);
    installScreens(app);
    return 0;
}

void firstPaint(AppState& app) {
    fillCanvas(app.ui.draw, COL_BACKGROUND);
    redrawAll(app);
}

void installFrameworkHooks(AppState& app) { app.ui.hooks.pollEngine = pollEngineHook; }

}  // namespace qz
