// One line of a MIDI monitor, shared by the in and out monitors.
#pragma once

#include <cstdint>

#include "ui/framework/draw.h"

namespace qz {

// Where a monitor's columns stand: the out monitor's are the in monitor's
// moved right.
struct MonitorColumns {
    int32_t device, channel, status, name, number, second;
};
extern const MonitorColumns MON_IN_COLUMNS;
extern const MonitorColumns MON_OUT_COLUMNS;

// Draw one packed message (status | data1 << 8 | data2 << 16 | device << 24)
// at line top y. `outMonitor` picks the out monitor's system texts; `greyF8`
// draws an F8 line in 248. Returns true when the line was an F8.
bool drawMonitorLine(DrawContext& dc, const MonitorColumns& col, int32_t y, uint32_t packed, bool outMonitor,
                     bool greyF8);
// Text of a system message's line (low nibble of the status), or "" when the
// monitor shows none.
const char* monitorSystemText(uint32_t packed, bool outMonitor);

}  // namespace qz
