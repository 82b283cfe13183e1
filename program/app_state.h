// The one application state record. Each layer's record extends the one
// below it: the song store (`SongStore`, song/), the engine with input and
// recording (`Sequencer`, engine/), and here the program's own part. A
// layer's functions take the lowest record they need, so a song operation
// cannot reach the engine and the engine cannot reach the screen.
#pragma once

#include <memory>

#include "engine/sequencer.h"
#include "files/loader_state.h"

namespace qz {

// The screen's part of the state, made and owned by the screen framework
// (`attachUi`); the layers below never look inside it.
struct UiState;

struct AppState : Sequencer {
    LoaderState loader;  // folders and names of the loading front end (window thread)
    // While a batch of loads runs (a folder, a drop), selecting the sequence
    // each file loaded into sends no set-ups: the batch sends them once at
    // its end (window thread).
    int32_t loadBatch = 0;
    // The screen's part (window thread); empty in programs without a screen.
    std::unique_ptr<UiState, void (*)(UiState*)> ui{nullptr, nullptr};
};

}  // namespace qz
