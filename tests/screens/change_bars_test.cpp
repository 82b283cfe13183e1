// The Change Bars popup: opened from the Bars field, typed and wheeled
// values, ENTER cutting the sequence, CANCEL leaving it alone.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/ui/harness.h"

namespace qz {
namespace {

using test::Harness;

constexpr int32_t BARS_FIELD_X = 880, BARS_FIELD_Y = 40;
constexpr int32_t ENTER_X = 740, CANCEL_X = 830, BUTTON_Y = 80;

TEST(ChangeBars, OpensOnTheBarCountStoppedWithTheLoopOff) {
    Harness h;
    Sequence* s = h.sequenceWithNotes(1, "Song", {0});
    s->bars = 8;
    startFromTop(*h);
    h.app->engine.loopOn.store(true);
    h.app->rec.loopEdit.store(true);
    h.wheel(BARS_FIELD_X, BARS_FIELD_Y, false);  // the wheel opens it too
    EXPECT_EQ(h.app->ui->overlayMode, OVERLAY_CHANGE_BARS);
    EXPECT_FALSE(h.app->engine.playing.load());
    EXPECT_FALSE(h.app->engine.loopOn.load());
    EXPECT_FALSE(h.app->rec.loopEdit.load());
    EXPECT_EQ(screens(*h.app).seqPanel.newBars, 8);
    uiTimer(*h, 2000);
    EXPECT_TRUE(h.pixelIs(670, 0, 212));
    EXPECT_TRUE(h.pixelIs(700, 3, 212));  // the title band reaches the frame
    EXPECT_TRUE(h.pixelIs(877, 32, COL_HOVER));  // the new value's field
    // The Bars field under the pointer does not highlight through the popup.
    EXPECT_TRUE(h.pixelIs(868, 50, COL_PANEL));
}

TEST(ChangeBars, DigitsKeepTheLastThreeWheelHoldsTheRange) {
    Harness h;
    h.sequenceWithNotes(1, "Song", {0});
    h.leftClick(BARS_FIELD_X, BARS_FIELD_Y);
    h.move(800, 40);
    for (uint32_t k : {1u, 2u, 3u, 4u}) h.key(k);
    EXPECT_EQ(screens(*h.app).seqPanel.newBars, 234);
    h.wheel(800, 40, false);
    EXPECT_EQ(screens(*h.app).seqPanel.newBars, 235);
    screens(*h.app).seqPanel.newBars = 1;
    h.wheel(800, 40, true);
    EXPECT_EQ(screens(*h.app).seqPanel.newBars, 1);
    // 0 shows as typed; ENTER makes it one bar.
    h.key(0);
    EXPECT_EQ(screens(*h.app).seqPanel.newBars, 10);
    screens(*h.app).seqPanel.barsTyping = false;
    h.key(0);
    EXPECT_EQ(screens(*h.app).seqPanel.newBars, 0);
    h.leftClick(ENTER_X, BUTTON_Y);
    EXPECT_EQ(h.app->seq->bars, 1u);
    EXPECT_EQ(h.app->ui->overlayMode, OVERLAY_NONE);
}

TEST(ChangeBars, EnterCutsAtTheNewEndCancelChangesNothing) {
    Harness h;
    Sequence* s = h.sequenceWithNotes(1, "Song", {0, 1500, 1535, 1536, 2000, 3000});
    s->bars = 8;
    selectSequence(*h, 1);
    s = h.app->seq;
    // A note in bar 4 that sounds past the new end keeps its duration.
    s->modified = 0;
    const int32_t before = s->eventCount;

    h.leftClick(BARS_FIELD_X, BARS_FIELD_Y);
    h.key(4);
    h.leftClick(CANCEL_X, BUTTON_Y);
    EXPECT_EQ(h.app->ui->overlayMode, OVERLAY_NONE);
    EXPECT_EQ(s->bars, 8u);
    EXPECT_EQ(s->eventCount, before);

    h.leftClick(BARS_FIELD_X, BARS_FIELD_Y);
    h.move(800, 40);
    h.key(4);
    uiTimer(*h, 3000);
    h.move(ENTER_X, BUTTON_Y);
    onLeftDown(*h, ENTER_X, BUTTON_Y);
    // Applied on the press; the popup stays until the release.
    EXPECT_EQ(s->bars, 4u);
    EXPECT_EQ(h.app->ui->overlayMode, OVERLAY_CHANGE_BARS);
    onLeftUp(*h);
    EXPECT_EQ(h.app->ui->overlayMode, OVERLAY_NONE);
    EXPECT_EQ(h.app->lengthTicks, 1536);
    EXPECT_EQ(s->modified, 1u);
    ASSERT_EQ(s->eventCount, 3);
    EXPECT_EQ(seqEvents(s)[2].time, 1535);
    EXPECT_EQ(seqEvents(s)[2].value, 24u);

    // Growing removes nothing.
    h.leftClick(BARS_FIELD_X, BARS_FIELD_Y);
    for (uint32_t k : {1u, 2u}) h.key(k);
    h.leftClick(ENTER_X, BUTTON_Y);
    EXPECT_EQ(s->bars, 12u);
    EXPECT_EQ(s->eventCount, 3);
}

TEST(ChangeBars, TypingOnTheBarsFieldOpensWithTheDigitAndOnlyTheButtonApplies) {
    Harness h;
    Sequence* s = h.sequenceWithNotes(1, "Song", {0, 100 * TICKS_PER_BAR});
    s->bars = 141;
    selectSequence(*h, 1);
    h.move(BARS_FIELD_X, BARS_FIELD_Y);
    h.key(1);
    ASSERT_EQ(h.app->ui->overlayMode, OVERLAY_CHANGE_BARS);
    h.key(6);
    EXPECT_EQ(screens(*h.app).seqPanel.newBars, 16);
    h.key(KEY_ENTER);
    EXPECT_EQ(h.app->ui->overlayMode, OVERLAY_CHANGE_BARS);
    EXPECT_EQ(h.app->seq->bars, 141u);
    EXPECT_EQ(h.app->seq->eventCount, 2);
}

}  // namespace
}  // namespace qz
