// The step editor's state: the filters, the insertion choices and the rows
// found by the last repaint (event indices, never pointers).
#pragma once

#include <cstdint>

namespace qz {

constexpr int STEP_ROWS = 26;

struct StepEditorState {
    int32_t view = 0;    // 0 all, else one status (0x81 tempo)
    int32_t number = 0;  // CTRL CHANGE and POLY PRESS. views: 0 all, n = number n - 1
    int32_t insertType = 0;  // 0 CC, 1 PC, 2 BEND, 3 TEMPO
    int32_t insertController = 0;
    int32_t insertProgram = 0;
    int32_t top = 0;                // first event the list may show
    int32_t rows[STEP_ROWS] = {};  // events on the rows at the last repaint, -1 none
    // The editable field under the pointer at the last repaint (-1 none) and its left edge.
    int32_t field = -1;
    int32_t fieldLeft = 0;
    int32_t rightEvent = -1;  // the event under the pointer when the right button went down
    bool enterHeld = false;
    bool closeHeld = false;
};

}  // namespace qz
