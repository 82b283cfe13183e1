// The engine layer's record: the song store with the engine's own state
// (clock, transport, playback and output) and the input and recording
// state. Engine functions take a `Sequencer`; the program's `AppState`
// extends it, so the window passes its state straight in.
#pragma once

#include "engine/engine_state.h"
#include "engine/recording_state.h"
#include "song/song_store.h"

namespace qz {

struct Sequencer : SongStore {
    EngineState engine;
    RecordState rec;  // MIDI input and recording
};

// Install the store hooks the engine answers: the play pointers follow
// edits, locates and stops go to the transport, open notes take the tick
// counter. Call once after the store is initialised.
void installEngineStoreHooks(Sequencer& app);

}  // namespace qz
