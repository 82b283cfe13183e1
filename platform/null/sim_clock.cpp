#include "platform/null/sim_clock.h"

#include "engine/engine.h"

namespace qz {

namespace {

void simWait(void* ctx, uint32_t ms) { simAdvance(*static_cast<SimClock*>(ctx), ms); }

}  // namespace

void simInstall(SimClock& sim, Sequencer& app) {
    sim.app = &app;
    app.engine.waitHook = simWait;
    app.engine.waitCtx = &sim;
    app.engine.tickDriver.store(TICK_DRIVER_SIMULATED, std::memory_order_release);
    // The callback's first call only takes the reading.
    engineTimerCallback(app, sim.systemMs);
}

void simRemove(SimClock& sim) {
    if (!sim.app) return;
    sim.app->engine.tickDriver.store(TICK_DRIVER_NONE, std::memory_order_release);
    sim.app->engine.waitHook = nullptr;
    sim.app->engine.waitCtx = nullptr;
    sim.app = nullptr;
}

void simAdvance(SimClock& sim, uint32_t ms) {
    for (uint32_t i = 0; i < ms; ++i) engineTimerCallback(*sim.app, ++sim.systemMs);
}

}  // namespace qz
