// The screens' own state: what a panel keeps between messages that is no
// setting and no part of the song. Made by `installScreens` and reached
// through `screens(app)` (window thread, unless a field says otherwise).
#pragma once

#include <cstdint>

#include "program/app_state.h"
#include "ui/framework/ui_state.h"
#include "ui/screens/mixer_state.h"
#include "ui/screens/monitor_state.h"
#include "ui/screens/note_edit_dialogs.h"
#include "ui/screens/bar_ruler_state.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/pads_state.h"
#include "ui/screens/chord_panel.h"
#include "ui/screens/grid_edit.h"
#include "ui/screens/midi_button_panel.h"
#include "ui/screens/step_editor.h"

namespace qz {

// The sequence row's list overlay and the Change Bars popup.
struct SequencePanelState {
    int32_t listTop = 0;        // slots listed from listTop + 1, 0..79
    int32_t listCursor = 0;     // cursor row 0..19
    int32_t listSlotShown = 0;  // the current slot the list last scrolled to
    bool listButtonHeld = false;
    bool barsEnterHeld = false;
    bool barsCancelHeld = false;
    bool barsTyping = false;  // a digit has started a new bar count
    int32_t newBars = 2;      // the bar count Change Bars shows and applies
};

struct ScreenState {
    MonitorPanels monitorPanels;  // MIDI-in panel and both monitors
    SequencePanelState seqPanel;
    // The note-edit dialogs' values.
    NoteEditSettings noteEdit;
    MixerState mixer;  // "Midi Out Device" and "TRACK MIDI MESSAGES"
    BarRulerState barRuler;
    PadsState pads;  // the pads panel and the ALL TRACKS track list
    // The grid area was painted in this repaint (two dirty bits ask for it).
    bool gridPainted = false;
    MidiButtonPanelState midiButtons;  // the MIDI to button window
    ChordPanelState chordPanel;        // the Note to Chord panel
    ChordEditState chordEdit;          // the Chord Edit window
    StepEditorState stepEditor;        // the step editor's filters and rows
    // The mixer's GM DRUM NAME mode: its list covers the activity lamps.
    bool drumNameMode = false;
    // "Wait for any MIDI in note" was drawn at the last repaint; once the
    // wait ends a full repaint takes it away.
    bool waitNoticeShown = false;
    // The drum grid's pointer: the tick under it unrounded and rounded to
    // the timing-correct step, and the x of the rounded tick.
    Tick hoverTickRaw = 0;
    Tick hoverTick = 0;
    int32_t hoverX = 336;
    // A click without MOUSE REC shows the hint until the button is let go.
    bool clickBanner = false;
    GridEditState grid;
};

inline ScreenState& screens(AppState& app) {
    return *app.ui->screens;
}
inline const ScreenState& screens(const AppState& app) {
    return *app.ui->screens;
}

}  // namespace qz
