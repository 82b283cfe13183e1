// The panels and overlays of the screen. Each lives in a source of its own
// and registers its handler in the panel table through `installScreens`.
#pragma once

#include "song/app_state.h"

namespace qz {

// Put every panel's handler into `app.ui.panels`.
void installScreens(AppState& app);

// One installer per screen source; each sets its panel's entry (and any
// frame hooks it needs).
void installTransportPanel(AppState& app);
void installSequencePanels(AppState& app);
void installChangeBarsPanel(AppState& app);
void installMetronomePanel(AppState& app);
void installMidiInPanel(AppState& app);
void installOutMonitorPanel(AppState& app);

// The names of the opened input devices for the MIDI-in panel's rows (at most
// five shown, each cut at 40 characters).
void setInputDeviceNames(AppState& app, const char* const* names, int count);

}  // namespace qz
