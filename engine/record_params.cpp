// Record parameters: the Velocity, T.Correct and Duration tables and the
// functions that turn a setting into the value recording uses.
#include <algorithm>

#include "engine/engine.h"

namespace qz {

const char* const VELOCITY_LABELS[VELOCITY_ROWS] = {"PLAYED", " 127  ", " 120  ", " 110  ", " 100  ", "  90  ",
                                                    "  80  ", "  70  ", "  60  ", "  50  ", "  40  ", "  30  "};
const int32_t VELOCITY_VALUES[VELOCITY_ROWS] = {0, 127, 120, 110, 100, 90, 80, 70, 60, 50, 40, 30};

const char* const TC_LABELS[TC_ROW_COUNT] = {"OFF   ", "1/8   ", "1/8-3 ", "1/16  ", "1/16-3", "1/32  ", "1/32-3"};
const int32_t TC_GRID[TC_ROW_COUNT] = {1, 48, 32, 24, 16, 12, 8};
const int32_t TC_SHIFT_LIMIT[TC_ROW_COUNT] = {0, 23, 15, 11, 7, 5, 3};
const bool TC_SWING[TC_ROW_COUNT] = {false, true, false, true, false, true, false};

const char* const DURATION_LABELS[DURATION_ROWS] = {"PLAYED", "2 Bars", "1 Bar ", "2/4   ", "1/4   ", "1/4-3 ",
                                                    "1/8   ", "1/8-3 ", "1/16  ", "1/16-3", "1/32  ", "1/32-3"};
const int32_t DURATION_TICKS[DURATION_ROWS] = {0, 768, 384, 192, 96, 64, 48, 32, 24, 16, 12, 8};

int32_t recordVelocity(const Sequencer& app, int32_t played) {
    uint32_t row = settingLoad(app.settings.recVelocity);
    if (row == 0 || row >= uint32_t(VELOCITY_ROWS)) return played;
    return VELOCITY_VALUES[row];
}

int32_t recordDuration(const Sequencer& app) {
    uint32_t row = settingLoad(app.settings.recDuration);
    return row < uint32_t(DURATION_ROWS) ? DURATION_TICKS[row] : 0;
}

void stepAdvance(Sequencer& app) {
    int32_t ticks = recordDuration(app);
    if (ticks == 0) return;
    locateTick(app, app.engine.position.load(std::memory_order_relaxed) + ticks);
    markDirty(app, DIRTY_GRID);
}

Tick snapToGrid(const Sequencer& app, Tick t) {
    uint32_t row = settingLoad(app.settings.tcIndex);
    if (app.allTracks || row >= uint32_t(TC_ROW_COUNT)) return t;
    int32_t g = TC_GRID[row];
    if (g < 2) return t;
    int32_t i = (t + g / 2) / g;
    int32_t result = i * g;
    if (TC_SWING[row] && (i & 1)) result += int32_t(settingLoad(app.settings.swing)) * g / 50;
    int32_t shift = int32_t(settingLoad(reinterpret_cast<const uint32_t&>(app.settings.shift[row])));
    result += std::clamp(shift, -TC_SHIFT_LIMIT[row], TC_SHIFT_LIMIT[row]);
    return std::max(result, 0);
}

Tick correctTime(Sequencer& app, Tick t) {
    uint32_t row = settingLoad(app.settings.tcIndex);
    if (app.allTracks || row == 0 || row >= uint32_t(TC_ROW_COUNT)) return t;
    Tick c = snapToGrid(app, t);
    EngineState& e = app.engine;
    if (e.loopOn.load(std::memory_order_relaxed) && c >= e.loopEndTick) {
        c = e.loopStartTick;
        e.idleTicks.store(c, std::memory_order_relaxed);
    } else if (settingLoad(app.settings.seqLoop) && c >= app.lengthTicks) {
        c = 0;
        e.idleTicks.store(0, std::memory_order_relaxed);
    }
    return c;
}

}  // namespace qz
