// The table of installed screens.
#include "ui/screens/screens.h"

namespace qz {

void installScreens(AppState& app) {
    // One line per screen source, added with the source.
    installTransportPanel(app);
    installSequencePanels(app);
    installChangeBarsPanel(app);
    installMetronomePanel(app);
    installMidiInPanel(app);
    installOutMonitorPanel(app);
}

}  // namespace qz
