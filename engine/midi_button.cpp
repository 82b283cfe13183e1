// MIDI to button on the input thread: the match against the lookup tables,
// and their rebuild from the settings' map.
#include "engine/midi_button.h"

#include "engine/engine.h"
#include "engine/recording.h"

namespace qz {

uint32_t packButtonWord(const ButtonMessage& m) {
    return uint32_t(m.learn) << 31 | uint32_t(m.press) << 30 | uint32_t(m.button & 31) << 24 |
           uint32_t(m.status == int(BUTTON_STATUS_CTRL)) << 23 | uint32_t(m.channel & 15) << 16 |
           uint32_t(m.number & 127) << 8 | uint32_t(m.value & 127);
}

ButtonMessage unpackButtonWord(uint32_t w) {
    ButtonMessage m;
    m.learn = (w >> 31) & 1;
    m.press = (w >> 30) & 1;
    m.button = int((w >> 24) & 31);
    m.status = (w >> 23) & 1 ? int(BUTTON_STATUS_CTRL) : int(BUTTON_STATUS_NOTE);
    m.channel = int((w >> 16) & 15);
    m.number = int((w >> 8) & 127);
    m.value = int(w & 127);
    return m;
}

bool midiToButton(Sequencer& app, int device, int channel, int status, int number, int value) {
    const PersistentSettings& s = app.settings;
    if (settingLoad(s.midiButtonEnabled) == 0) return false;
    if (status != int(BUTTON_STATUS_NOTE) && status != int(BUTTON_STATUS_CTRL)) return false;
    const uint32_t only = settingLoad(s.midiButtonDevice);
    if (only != 0 && only != uint32_t(device + 1)) return false;
    ButtonMessage m;
    m.press = status == int(BUTTON_STATUS_CTRL) ? value >= 65 : value > 0;
    m.channel = channel & 15;
    m.status = status;
    m.number = number & 127;
    m.value = value & 127;
    MidiButtonState& b = app.buttonIn;
    if (b.windowOpen.load(std::memory_order_acquire)) {
        m.learn = true;
    } else {
        const uint32_t w = b.lookup[m.number].load(std::memory_order_relaxed);
        const int button = int(w & 0xFF);
        const uint32_t boundChannel = (w >> 8) & 0xFF;
        if (button < 1 || button > MIDI_BUTTON_COUNT) return false;
        if (boundChannel != 0 && boundChannel != uint32_t(m.channel + 1)) return false;
        if (((w >> 16) & 0xFF) != uint32_t(status)) return false;
        m.button = button;
    }
    ringPush(b.taken, packButtonWord(m));
    markDirty(app, DIRTY_TRANSPORT);
    return true;
}

void rebuildButtonLookup(Sequencer& app) {
    const PersistentSettings& s = app.settings;
    uint32_t table[128] = {};
    for (int i = 0; i < MIDI_BUTTON_COUNT; ++i) {
        const uint32_t status = s.midiButtonStatus[i];
        if (status != BUTTON_STATUS_NOTE && status != BUTTON_STATUS_CTRL) continue;
        const uint32_t number = s.midiButtonNumber[i] & 127;
        const uint32_t channel = s.midiButtonChannel[i] <= 16 ? s.midiButtonChannel[i] : 0;
        table[number] = uint32_t(i + 1) | channel << 8 | status << 16;
    }
    for (int n = 0; n < 128; ++n) app.buttonIn.lookup[n].store(table[n], std::memory_order_relaxed);
}

bool takeButtonMessage(Sequencer& app, ButtonMessage& out) {
    uint32_t w;
    if (!ringPop(app.buttonIn.taken, w)) return false;
    out = unpackButtonWord(w);
    return true;
}

void installMidiToButton(Sequencer& app) {
    rebuildButtonLookup(app);
    app.rec.midiToButtonHook = midiToButton;
}

}  // namespace qz
