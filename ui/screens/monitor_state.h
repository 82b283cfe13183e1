// State of the MIDI-in panel and the two MIDI monitors that is not a setting:
// the input device names, the clock-activity counters behind the blinking
// "CLK", and the out monitor's view of the engine's output log.
#pragma once

#include <atomic>
#include <cstdint>

namespace qz {

constexpr int MON_DEVICE_ROWS = 5;
constexpr int MON_DEVICE_NAME = 40;

struct MonitorPanels {
    // Names of the opened input devices shown in the device rows (window
    // thread, set once when the ports are opened).
    char inPortNames[MON_DEVICE_ROWS][MON_DEVICE_NAME + 1] = {};

    // ---- Window thread only --------------------------------------------------
    // Blink phase of "CLK": every redraw of the in monitor flips it.
    bool clkPhase = false;
    // Frames until the next blink while a device's clock runs.
    int32_t clkBlinkFrames = 0;
    // F8 lines drawn by the out monitor, across redraws (every eighth is grey).
    uint32_t outF8Count = 0;
    // Output log index at the last CLEAR: the list shows only what came later.
    // The log is written by the tick, so CLEAR never writes into it.
    uint32_t outClearedAt = 0;
    bool clearHeld = false;
    // The record-parameter lists show the ALL TRACKS recording look.
    bool allTracksRecShown = false;
};

}  // namespace qz
