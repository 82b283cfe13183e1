// Screen fields of the application state that the song store touches.
#pragma once

#include <cstdint>

namespace qz {

struct UiState {
    // First bar shown by the event views (the undo copies remember it).
    int32_t firstBar = 0;
    // Lowest note the event views show; follows the track's pad base note.
    int32_t padBaseNote = 36;
    // Track shown by the step editor.
    int32_t stepTrack = 1;
};

}  // namespace qz
