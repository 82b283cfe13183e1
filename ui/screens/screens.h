// The panels and overlays of the screen. Each lives in a source of its own
// and registers itself (its panel record, painters) through `installScreens`.
#pragma once

#include "program/app_state.h"

namespace qz {

// Build the program's state as the window does at its creation, through the
// same steps for the window program, `qzseq-cli render` and the tests: the
// screen's part (canvas of `canvasWidth` x `canvasHeight`, unless already
// attached), the work buffer and defaults, with `readSettingsFile` the
// settings file over them, sequence 1 and track 1, every screen, and the
// framework's hooks. The caller has set `app.loader.programFolder` and
// installs its platform table and text renderer. Returns 0, or ERR_NO_MEMORY when memory
// cannot be had.
int initProgramState(AppState& app, bool readSettingsFile, int32_t canvasWidth = 1735, int32_t canvasHeight = 700);
// The first picture: the canvas filled with colour 2 and a full repaint.
void firstPaint(AppState& app);

// Make the screens' own state and register every panel and painter.
void installScreens(AppState& app);

// One installer per screen source.
void installTransportPanel(AppState& app);
void installSequencePanels(AppState& app);
void installChangeBarsPanel(AppState& app);
void installMetronomePanel(AppState& app);
void installMidiInPanel(AppState& app);
void installOutMonitorPanel(AppState& app);
void installIndicators(AppState& app);
void installMixerPanel(AppState& app);
void installTrackMessagesPanel(AppState& app);
void installGridPanel(AppState& app);
void installBarRuler(AppState& app);
void installPadsPanel(AppState& app);
void installMidiButtonPanel(AppState& app);
void installChordPanel(AppState& app);
void installStepEditor(AppState& app);
void installChordEdit(AppState& app);

// The names of the opened input devices for the MIDI-in panel's rows (at most
// five shown, each cut at 40 characters).
void setInputDeviceNames(AppState& app, const char* const* names, int count);
// The names of the opened output devices for the mixer's six device rows
// (each cut at 32 characters).
void setOutputDeviceNames(AppState& app, const char* const* names, int count);

}  // namespace qz
