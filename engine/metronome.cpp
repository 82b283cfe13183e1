// The metronome clicks and the one-bar count-in.
#include "engine/engine.h"

namespace qz {

void click(Sequencer& app, uint8_t velocity) {
    const PersistentSettings& s = app.settings;
    int port = int(settingLoad(s.clickPort));
    int channel = int(settingLoad(s.clickChannel) & 15);
    uint8_t note = uint8_t(settingLoad(s.clickNote) & 127);
    sendPortMessage(app, port, channel, 0x90, note, velocity);
    sendPortMessage(app, port, channel, 0x90, note, 0);
}

void clickStep(Sequencer& app) {
    const PersistentSettings& s = app.settings;
    bool recording = app.engine.recordMode.load(std::memory_order_relaxed) != RECORD_OFF;
    bool on = recording ? settingLoad(s.clickInRec) != 0 : settingLoad(s.clickInPlay) != 0;
    if (!on) return;
    if (app.engine.posInBar.load(std::memory_order_relaxed) == 0)
        click(app, uint8_t(settingLoad(s.accentVelocity) & 127));
    else if (app.engine.posInBeat.load(std::memory_order_relaxed) == 0)
        click(app, uint8_t(settingLoad(s.normalVelocity) & 127));
}

void armCountIn(Sequencer& app) {
    EngineLockGuard lock(app.engineLock);
    int32_t pos = app.engine.position.load(std::memory_order_relaxed);
    locateTick(app, pos / TICKS_PER_BAR * TICKS_PER_BAR);
    CountInState& c = app.engine.countIn;
    c.tickCount = 0;
    c.beatCount = 0;
    c.ticksPerBeat = TICKS_PER_QUARTER >> (settingLoad(app.settings.clickRate) & 1);
    c.state.store(1, std::memory_order_relaxed);
}

int countInStep(Sequencer& app) {
    EngineState& e = app.engine;
    CountInState& c = e.countIn;
    int32_t state = c.state.load(std::memory_order_relaxed);
    if (state == 0) return 1;
    const PersistentSettings& s = app.settings;
    if (state == 1) {
        c.state.store(2, std::memory_order_relaxed);
        click(app, uint8_t(settingLoad(s.accentVelocity) & 127));
    } else {
        int32_t beats = 4 << (settingLoad(s.clickRate) & 1);
        if (c.beatCount >= beats) {
            if (!e.waitingForKey.load(std::memory_order_acquire)) {
                c.state.store(0, std::memory_order_relaxed);
                e.resyncClock.store(true, std::memory_order_relaxed);
                return 1;  // this tick already plays
            }
            // Waiting for a key: the count-in bar repeats.
            c.tickCount = 0;
            c.beatCount = 0;
            click(app, uint8_t(settingLoad(s.accentVelocity) & 127));
        } else if (c.tickCount == c.ticksPerBeat) {
            click(app, uint8_t(settingLoad(s.normalVelocity) & 127));
            c.tickCount = 0;
        }
    }
    if (++c.tickCount == c.ticksPerBeat) ++c.beatCount;
    return 0;
}

}  // namespace qz
