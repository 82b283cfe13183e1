// MIDI to button on the input path: press and release, the device and
// channel filters, the lookup where two bindings share a number, and the
// hand-over to the window thread (learning while the window is open).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/recording_fixture.h"

namespace qz::test {
namespace {

constexpr int STOP = 7, PLAY = 8;

struct MidiButton : RecordingFixture {
    void SetUp() override {
        RecordingFixture::SetUp();
        settingStore(app.settings.midiButtonEnabled, 1);
    }
    void bind(int button, uint32_t status, int number, int channel = 0) {
        app.settings.midiButtonStatus[button - 1] = status;
        app.settings.midiButtonNumber[button - 1] = uint32_t(number);
        app.settings.midiButtonChannel[button - 1] = uint32_t(channel);
        rebuildButtonLookup(app);
    }
    // What the window thread is handed: "PLAY+", "STOP-", "learn 0xB0 36 65+".
    std::vector<std::string> taken() {
        std::vector<std::string> out;
        ButtonMessage m;
        while (takeButtonMessage(app, m)) {
            std::string s = m.learn ? "learn " + std::to_string(m.status) + " " + std::to_string(m.number) + " " +
                                          std::to_string(m.value)
                                    : std::to_string(m.button);
            out.push_back(s + (m.press ? "+" : "-"));
        }
        return out;
    }
};

TEST_F(MidiButton, PressAndReleaseByValue) {
    bind(PLAY, BUTTON_STATUS_CTRL, 20);
    bind(STOP, BUTTON_STATUS_NOTE, 40);
    struct Case {
        uint8_t status;
        int d1, d2;
        const char* want;
    } cases[] = {
        {0xB0, 20, 64, "8-"}, {0xB0, 20, 65, "8+"}, {0xB0, 20, 0, "8-"},
        {0x90, 40, 1, "7+"},  {0x80, 40, 90, "7-"}, {0x90, 40, 0, "7-"},
    };
    for (const Case& c : cases) {
        send(c.status, c.d1, c.d2);
        EXPECT_EQ(taken(), std::vector<std::string>{c.want}) << int(c.status) << " " << c.d1 << " " << c.d2;
    }
    // Taken messages go no further: nothing was echoed.
    simAdvance(sim, 5);
    EXPECT_TRUE(ports.log.empty());
}

TEST_F(MidiButton, FiltersPassUnmatchedMessagesOnUnchanged) {
    bind(PLAY, BUTTON_STATUS_NOTE, 60, 2);
    send(0x90, 60, 100);  // channel 1: not channel 2
    EXPECT_TRUE(taken().empty());
    send(0x91, 60, 100);
    EXPECT_EQ(taken(), std::vector<std::string>{"8+"});
    send(0x91, 61, 100);  // unbound number
    send(0xB1, 60, 100);  // bound as a note, not a controller
    EXPECT_TRUE(taken().empty());
    // Only device 2: device 1's messages are played and recorded as usual.
    settingStore(app.settings.midiButtonDevice, 2);
    app.engine.recordMode.store(RECORD_STEP);
    simAdvance(sim, 5);
    flush();
    send(0x91, 60, 100, 0);
    EXPECT_TRUE(taken().empty());
    send(0x91, 60, 100, 1);
    EXPECT_EQ(taken(), std::vector<std::string>{"8+"});
    simAdvance(sim, 5);
    EXPECT_EQ(noteOnTimes(60).size(), 1u);
    SeqEvent e;
    EXPECT_TRUE(ringPop(app.rec.stepRing, e));
    // Off: nothing is examined.
    settingStore(app.settings.midiButtonEnabled, 0);
    send(0x91, 60, 100, 1);
    EXPECT_TRUE(taken().empty());
}

TEST_F(MidiButton, TheLaterButtonWinsASharedNumber) {
    bind(STOP, BUTTON_STATUS_CTRL, 36);
    bind(PLAY, BUTTON_STATUS_NOTE, 36);
    send(0x90, 36, 100);
    EXPECT_EQ(taken(), std::vector<std::string>{"8+"});
    send(0xB0, 36, 127);
    EXPECT_TRUE(taken().empty());
}

TEST_F(MidiButton, WhileTheWindowIsOpenEveryMessageIsLearned) {
    app.buttonIn.windowOpen.store(true);
    send(0xB0, 36, 65);
    send(0x80, 50, 0);
    EXPECT_EQ(taken(), (std::vector<std::string>{"learn 176 36 65+", "learn 144 50 0-"}));
}

}  // namespace
}  // namespace qz::test
