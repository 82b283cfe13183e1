// A simulated millisecond clock that drives the engine on the calling
// thread: each simulated millisecond runs the timer callback once, and the
// engine's waits (set-up pauses, command hand-over) advance it.
#pragma once

#include <cstdint>

namespace qz {

struct Sequencer;

struct SimClock {
    Sequencer* app = nullptr;
    uint32_t systemMs = 0;
};

// Make the clock the engine's tick driver.
void simInstall(SimClock& sim, Sequencer& app);
// Hand the engine back to no driver.
void simRemove(SimClock& sim);
// Run `ms` simulated milliseconds.
void simAdvance(SimClock& sim, uint32_t ms);

}  // namespace qz
