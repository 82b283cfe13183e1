// What the bar ruler remembers between messages (window thread). Paste mode
// itself is `app.ui->pasteMode`: the framework's right release ends it.
#pragma once

#include <cstdint>

#include "song/records.h"

namespace qz {

struct BarRulerState {
    // Bar-number strip selection: the bar pressed first and the range,
    // end inclusive while selecting, exclusive once the menu opens.
    int32_t barSelAnchor = 0;
    int32_t barSelFirst = 0;
    int32_t barSelEnd = 0;
    bool barSelecting = false;
    // BARMENU was dismissed: the next right press on the strip is ignored.
    bool barMenuSuppress = false;
    // The highlight: x of the first selected bar, its width and bars.
    int32_t selX = 0;
    int32_t selWidth = 0;
    int32_t selBars = 0;
    // Width of the copied bars at "Copy Bar", drawn as the paste ghost.
    int32_t pasteGhostWidth = 0;
    // 0 none, 1 the loop start, 2 the loop end follows the pointer.
    int32_t loopDrag = 0;
    // The press was on an end of the loop (1 start, 2 end): a drag moves it.
    int32_t loopArmed = 0;
    // The marker's "Erase" is held; each drag erases what the marker passes.
    bool markerEraseOn = false;
    // Start and end buttons drawn pressed while held.
    bool startHeld = false;
    bool endHeld = false;
};

}  // namespace qz
