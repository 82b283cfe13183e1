// The engine layer's record: the song store with the engine's own state
// (clock, transport, playback and output) and the input and recording
// state. Engine functions take a `Sequencer`; the program's `AppState`
// extends it, so the window passes its state straight in.
#pragma once

#include "engine/chord_input.h"
#include "engine/engine_state.h"
#include "engine/midi_button.h"
#include "engine/recording_state.h"
#include "song/song_store.h"

namespace qz {

struct Sequencer : SongStore {
    EngineState engine;
    RecordState rec;  // MIDI input and recording
    ChordInputState chordIn;  // the chord held from a key or the chord panel
    MidiButtonState buttonIn;  // MIDI to button's lookup and hand-over
};

// Install the store hooks the engine answers: the play pointers follow
// edits, locates and stops go to the transport, open notes take the tick
// counter. Call once after the store is initialised.
void installEngineStoreHooks(Sequencer& app);

}  // namespace qz
