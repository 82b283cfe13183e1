// The MIDI to button window and the presses it binds, through the pointer
// and through onMidiInput as the input thread calls it.
#include "engine/engine.h"
#include "platform/null/memory_ports.h"
#include "tests/ui/harness.h"

namespace qz::test {
namespace {

constexpr int32_t rowY(int row) { return 47 + 18 * row + 8; }
constexpr int32_t STATUS_X = 270, NUMBER_X = 320, NUMBER_LEFT_X = 306;

struct MidiButtonWindow : ::testing::Test {
    Harness h;
    AppState& app = *h;
    MemoryPorts ports;
    void SetUp() override {
        initMemoryPorts(ports, &app.engine.msClock, 2, 4096);
        app.engine.out = memoryPortsOutput(ports);
        app.engine.outPortCount = 2;
        setOverlay(app, OVERLAY_MIDI_TO_BUTTON);
        pollMidiButtons(app);
        h.leftClick(315, 15);  // ON
        ASSERT_EQ(app.settings.midiButtonEnabled, 1u);
    }
    void wheel(int32_t x, int32_t y, int steps) {
        for (int i = 0; i < std::abs(steps); ++i) h.wheel(x, y, steps < 0);
    }
    void input(uint8_t status, int d1, int d2) {
        onMidiInput(app, 0, uint32_t(status) | uint32_t(d1) << 8 | uint32_t(d2) << 16);
        pollMidiButtons(app);
    }
};

TEST_F(MidiButtonWindow, ABindingMadeWithTheWheelPressesPlayAfterClose) {
    wheel(STATUS_X, rowY(7), 2);  // OFF -> CTRL -> NOTE
    EXPECT_EQ(app.settings.midiButtonStatus[7], 0x90u);
    wheel(NUMBER_LEFT_X, rowY(7), 3);  // tens near the left edge
    wheel(NUMBER_X, rowY(7), 6);
    EXPECT_EQ(app.settings.midiButtonNumber[7], 36u);
    // Backward from OFF stays OFF.
    wheel(STATUS_X, rowY(2), -1);
    EXPECT_EQ(app.settings.midiButtonStatus[2], 0u);
    // Nothing is pressed while the window is open (away from the columns
    // nothing is learned either); Close builds the tables.
    h.move(400, 300);
    input(0x90, 36, 100);
    input(0x90, 36, 0);
    EXPECT_FALSE(app.engine.playing.load());
    h.leftClick(400, 605);
    EXPECT_EQ(app.ui->overlayMode, OVERLAY_NONE);
    input(0x90, 36, 100);
    EXPECT_TRUE(app.engine.playing.load());
    EXPECT_EQ(screens(app).midiButtons.state[7], 100);
    input(0x80, 36, 0);
    EXPECT_EQ(screens(app).midiButtons.state[7], 0);
    stopTransport(app);
}

TEST_F(MidiButtonWindow, LearningBindsTheRowUnderThePointerAndUnbindsTheOthers) {
    app.settings.midiButtonStatus[0] = 0xB0;
    app.settings.midiButtonNumber[0] = 20;
    h.move(NUMBER_X, rowY(6));
    input(0xB0, 20, 127);
    EXPECT_EQ(app.settings.midiButtonStatus[6], 0xB0u);
    EXPECT_EQ(app.settings.midiButtonNumber[6], 20u);
    EXPECT_EQ(app.settings.midiButtonStatus[0], 0u);
    EXPECT_EQ(screens(app).midiButtons.state[6], 127);
    input(0xB0, 20, 0);
    EXPECT_EQ(screens(app).midiButtons.state[6], 0);
    // A row bound to another channel only lights.
    app.settings.midiButtonChannel[5] = 3;
    h.move(NUMBER_X, rowY(5));
    input(0x90, 50, 90);
    EXPECT_EQ(app.settings.midiButtonStatus[5], 0u);
    EXPECT_EQ(screens(app).midiButtons.state[5], 90);
    // Away from the columns: rows light by their message, nothing is bound.
    h.move(400, 300);
    input(0xB0, 20, 70);
    EXPECT_EQ(screens(app).midiButtons.state[6], 70);
    // Dragging copies a row's channel; ALL RESET clears everything.
    app.settings.midiButtonChannel[0] = 9;
    h.move(244, rowY(0));
    onLeftDown(app, 244, rowY(0));
    h.move(244, rowY(1));
    h.move(244, rowY(2));
    onLeftUp(app);
    EXPECT_EQ(app.settings.midiButtonChannel[2], 9u);
    h.leftClick(280, 605);
    for (int r = 0; r < 30; ++r) EXPECT_EQ(app.settings.midiButtonStatus[r] | app.settings.midiButtonChannel[r], 0u);
}

}  // namespace
}  // namespace qz::test
