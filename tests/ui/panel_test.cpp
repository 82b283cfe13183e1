#include "ui/framework/panel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/program.h"
#include "song/sequence_store.h"

namespace qz {
namespace {

// Messages seen by the fake panels and elements, as "who:code".
std::vector<std::string> seen;

void note(const char* who, uint32_t msg) { seen.push_back(std::string(who) + ":" + std::to_string(msg)); }

// Two elements side by side in one panel: A at x 0..9, B at x 10..19.
uint32_t elementA(AppState&, uint32_t msg, uint32_t) {
    note("A", msg);
    return 0;
}
uint32_t elementB(AppState&, uint32_t msg, uint32_t) {
    note("B", msg);
    return 0;
}

// A panel covering x 0..99, y 0..99, forwarding input to the hovered element.
uint32_t panelWithElements(AppState& app, uint32_t msg, uint32_t arg) {
    if (msg == PM_PROBE) {
        if (!hitTest(app, nullptr, 0, 0, 0, 0, 100, 100)) return msg;
        hitTest(app, elementA, 0, 0, 0, 0, 10, 10);
        hitTest(app, elementB, 0, 0, 10, 0, 10, 10);
        return 0;
    }
    note("P", msg);
    return app.ui->hoverHandler.proc ? app.ui->hoverHandler.proc(app, msg, arg) : msg;
}

// Panel 10 answers a hit with 1.
uint32_t midiInPanel(AppState& app, uint32_t msg, uint32_t) {
    if (msg == PM_PROBE) return hitTest(app, nullptr, 0, 0, 0, 0, 50, 50) ? 1 : 0;
    note("MIDIIN", msg);
    return 0;
}

uint32_t stepPanel(AppState& app, uint32_t msg, uint32_t) {
    if (msg == PM_PROBE) return hitTest(app, nullptr, 0, 0, 0, 0, 50, 50) ? 0 : msg;
    note("STEP", msg);
    return 0;
}

uint32_t fakeOverlay(AppState& app, uint32_t msg, uint32_t) {
    if (msg == PM_PROBE) return hitTest(app, nullptr, 0, 0, 200, 0, 50, 50) ? 0 : msg;
    note("OVL", msg);
    return 0;
}

struct Framework : ::testing::Test {
    AppState app;
    void SetUp() override {
        attachUi(app);
        ASSERT_EQ(initAppState(app), 0);
        seen.clear();
    }
    void TearDown() override { freeAppState(app); }
    // Register a test panel by its handler alone (it hit-tests itself).
    void panel(uint32_t id, PanelProc proc, bool (*live)(const AppState&) = nullptr) {
        PanelRecord r;
        r.proc = proc;
        r.live = live;
        registerPanel(app, id, r);
    }
};

TEST_F(Framework, ProbeOrderAndLiveRules) {
    panel(PANEL_PADS, panelWithElements);
    panel(PANEL_MIDI_IN, midiInPanel);
    panel(PANEL_STEP, stepPanel, [](const AppState& a) { return a.ui->stepEditView; });
    onMouseMove(app, 5, 5);
    EXPECT_EQ(app.ui->focusPanel, PANEL_MIDI_IN);  // probed first, answers 1 on a hit
    panel(PANEL_MIDI_IN, nullptr);
    onMouseMove(app, 6, 5);
    EXPECT_EQ(app.ui->focusPanel, PANEL_PADS);  // the step editor is not live
    app.ui->stepEditView = true;
    onMouseMove(app, 7, 5);
    EXPECT_EQ(app.ui->focusPanel, PANEL_STEP);
    onMouseMove(app, 60, 60);
    EXPECT_EQ(app.ui->focusPanel, PANEL_PADS);
    onMouseMove(app, 500, 500);
    EXPECT_EQ(app.ui->focusPanel, PANEL_NONE);
}

TEST_F(Framework, LeaveGoesOnceToTheElementLeft) {
    panel(PANEL_PADS, panelWithElements);
    onMouseMove(app, 2, 2);
    onMouseMove(app, 3, 3);  // within A: no leave
    seen.clear();
    onMouseMove(app, 12, 2);  // A to B
    onMouseMove(app, 13, 2);
    std::vector<std::string> leaves;
    for (const auto& s : seen)
        if (s.find(":19") != std::string::npos) leaves.push_back(s);
    EXPECT_EQ(leaves, std::vector<std::string>{"A:19"});
    seen.clear();
    onMouseMove(app, 50, 50);  // B to the panel's empty area
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "B:19"), 1);
}

TEST_F(Framework, InputGoesToTheHoveredElement) {
    panel(PANEL_PADS, panelWithElements);
    onMouseMove(app, 12, 2);
    seen.clear();
    onLeftDown(app, 12, 2);
    onMouseMove(app, 3, 3);  // a drag keeps the focus
    onLeftUp(app);
    onWheel(app, true);
    onKey(app, 7);
    onKey(app, 99);  // not a digit, Enter or Backspace: ignored
    std::vector<std::string> want = {"P:4", "B:4", "P:8", "B:8", "P:5", "B:5", "P:18", "B:18", "P:33", "B:33"};
    EXPECT_EQ(seen, want);
}

TEST_F(Framework, NothingUnderThePointerIgnoresInput) {
    onMouseMove(app, 5, 5);
    onLeftDown(app, 5, 5);
    onLeftUp(app);
    onWheel(app, false);
    onKey(app, 3);
    EXPECT_TRUE(seen.empty());
}

TEST_F(Framework, PressOutsideOverlayOnlyClosesIt) {
    panel(PANEL_PADS, panelWithElements);
    panel(PANEL_CHANGE_BARS, fakeOverlay);
    setOverlay(app, OVERLAY_CHANGE_BARS);
    EXPECT_EQ(app.ui->focusPanel, PANEL_CHANGE_BARS);
    onMouseMove(app, 5, 5);  // over the pads, but only the overlay is probed
    EXPECT_EQ(app.ui->focusPanel, PANEL_NONE);
    onLeftDown(app, 5, 5);
    onLeftUp(app);
    EXPECT_EQ(app.ui->overlayMode, OVERLAY_NONE);
    EXPECT_TRUE(seen.empty());
    panel(PANEL_SEQ_LIST, fakeOverlay);
    setOverlay(app, OVERLAY_SEQ_LIST);
    EXPECT_EQ(app.ui->overlayMode, OVERLAY_SEQ_LIST);
    setOverlay(app, OVERLAY_SEQ_LIST);  // the same mode again closes
    EXPECT_EQ(app.ui->overlayMode, OVERLAY_NONE);
    // An overlay without a registered panel does not open: it would swallow
    // the next click unseen.
    setOverlay(app, OVERLAY_MIDI_TO_BUTTON);
    EXPECT_EQ(app.ui->overlayMode, OVERLAY_NONE);
    EXPECT_EQ(app.ui->focusPanel, PANEL_NONE);
}

uint32_t wheelArg = 0;
uint32_t wheelPanel(AppState& app, uint32_t msg, uint32_t arg) {
    if (msg == PM_PROBE) return hitTest(app, nullptr, 0, 0, 0, 0, 10, 10) ? 0 : msg;
    if (msg == PM_WHEEL) wheelArg = arg;
    return msg == PM_REPEAT ? 0 : msg;
}

TEST_F(Framework, WheelSignAndMiddleButtonStep) {
    panel(PANEL_PADS, wheelPanel);
    onMouseMove(app, 1, 1);
    onWheel(app, true);
    EXPECT_EQ(int32_t(wheelArg), -1);
    onWheel(app, false);
    EXPECT_EQ(int32_t(wheelArg), 1);
    onMiddleDown(app);
    onWheel(app, true);
    EXPECT_EQ(int32_t(wheelArg), -10);
    onMiddleUp(app);
    onWheel(app, false);
    EXPECT_EQ(int32_t(wheelArg), 1);
}

int repeats = 0;
uint32_t repeatPanel(AppState& app, uint32_t msg, uint32_t) {
    if (msg == PM_PROBE) return hitTest(app, nullptr, 0, 0, 0, 0, 10, 10) ? 0 : msg;
    if (msg == PM_REPEAT) ++repeats;
    return msg;
}

TEST_F(Framework, AutoRepeatOnTwentyFirstFrameThenEverySixth) {
    panel(PANEL_PADS, repeatPanel);
    onMouseMove(app, 1, 1);
    onLeftDown(app, 1, 1);
    std::vector<int> framesWithRepeat;
    for (int frame = 1; frame <= 40; ++frame) {
        int before = repeats;
        autoRepeatStep(app);
        if (repeats != before) framesWithRepeat.push_back(frame);
    }
    EXPECT_EQ(framesWithRepeat, (std::vector<int>{21, 27, 33, 39}));
    onLeftUp(app);
    autoRepeatStep(app);
    EXPECT_EQ(app.ui->repeatDelay, 0);
}

TEST_F(Framework, TypedEntryKeepsLastDigitsAndClamps) {
    int32_t field = 50;
    for (uint32_t k : {1u, 2u, 3u, 4u}) EXPECT_FALSE(numericKey(app, field, k, 999, 1, 999));
    EXPECT_EQ(app.ui->numEntryValue, 234);
    EXPECT_TRUE(numericKey(app, field, KEY_ENTER, 999, 1, 999));
    EXPECT_EQ(field, 234);
    numericKey(app, field, 0, 999, 1, 999);
    EXPECT_TRUE(numericKey(app, field, KEY_ENTER, 999, 1, 999));
    EXPECT_EQ(field, 1);  // 0 held to the minimum
    numericKey(app, field, 9, 999, 1, 999);
    EXPECT_FALSE(numericKey(app, field, KEY_BACK, 999, 1, 999));
    EXPECT_EQ(field, 1);  // abandoned
    EXPECT_FALSE(numericKey(app, field, KEY_ENTER, 999, 1, 999));  // Enter without entry does nothing
}

TEST(FrameworkValues, StepValueClampsAndHandlesEmptyRange) {
    int32_t v = 5;
    stepValue(v, 1, 10, 100);
    EXPECT_EQ(v, 10);
    stepValue(v, 1, 10, -100);
    EXPECT_EQ(v, 1);
    stepValue(v, 10, 1, 1);
    EXPECT_EQ(v, 0);
    uint8_t u = 120;
    stepValue(u, 0, 127, 10);
    EXPECT_EQ(u, 127);
    EXPECT_EQ(timingCorrectStep(3), 24);
    EXPECT_EQ(timingCorrectStep(6), 8);
}

}  // namespace
}  // namespace qz
