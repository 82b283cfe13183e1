// The sequence row, its menu and list, and the track row, driven through
// the pointer, the wheel and the keys at their places on the screen.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/ui/harness.h"

namespace qz {
namespace {

using test::enter;
using test::Harness;

uint32_t ms = 1000;
void frame(Harness& h) { uiTimer(*h, ms += 16); }

// ---- Tempo ------------------------------------------------------------------------

TEST(SequenceRowTempo, WheelStepsByPointerPlaceAndHoldsTheRange) {
    Harness h;
    Sequence* s = h.sequenceWithNotes(1, "Song", {0});
    ASSERT_NE(s, nullptr);
    s->modified = 0;
    // The field is tens, units and tenths from the left; away from the user
    // steps down; the range is 30.0..300.0.
    struct Case {
        int32_t x;
        bool away;
        int32_t before, after;
    } cases[] = {{371, false, 1200, 1300}, {386, true, 1300, 1290}, {401, false, 1290, 1291},
                 {371, false, 2950, 3000}, {371, true, 305, 300}};
    for (const Case& c : cases) {
        s->tempoX10 = c.before;
        h.wheel(c.x, 40, c.away);
        EXPECT_EQ(s->tempoX10, c.after) << "wheel at x " << c.x << " from " << c.before;
    }
    EXPECT_EQ(s->modified, 1u);
    EXPECT_EQ(h.app->engine.usPerQuarter.load(), 600000000 / 300);  // the clock follows
}

TEST(SequenceRowTempo, TypedDigitsAreTenthsHeldToTheRangeOnEnter) {
    Harness h;
    Sequence* s = h.sequenceWithNotes(1, "Song", {0});
    h.move(380, 40);
    for (uint32_t k : {1u, 2u, 0u, 5u}) h.key(k);
    EXPECT_EQ(s->tempoX10, 1200);  // nothing stored before Enter
    h.key(KEY_ENTER);
    EXPECT_EQ(s->tempoX10, 1205);
    for (uint32_t k : {5u, KEY_ENTER}) h.key(k);
    EXPECT_EQ(s->tempoX10, 300);
    // Backspace abandons the entry; leaving the field does too.
    for (uint32_t k : {9u, KEY_BACK, KEY_ENTER}) h.key(k);
    EXPECT_EQ(s->tempoX10, 300);
    h.key(9);
    h.move(600, 40);
    h.move(380, 40);
    h.key(KEY_ENTER);
    EXPECT_EQ(s->tempoX10, 300);
}

TEST(SequenceRowTempo, MidiClockFollowingEndsTenFramesAfterTheLastClock) {
    Harness h;
    h.app->engine.extClockAlive.store(10);  // a clock byte came in
    for (int i = 0; i < 9; ++i) frame(h);
    EXPECT_EQ(h.app->engine.extClockAlive.load(), 1);
    frame(h);
    EXPECT_EQ(h.app->engine.extClockAlive.load(), 0);
}

// ---- Sequence field ----------------------------------------------------------------

TEST(SequenceRowSequence, ClickCreatesStartsAndStopsWheelStopsAtFirstEmptySlot) {
    Harness h;
    ASSERT_EQ(h.app->slots[1], nullptr);
    h.leftClick(600, 40);
    ASSERT_NE(h.app->slots[1], nullptr);
    EXPECT_FALSE(h.app->engine.playing.load());
    h.leftClick(600, 40);
    EXPECT_TRUE(h.app->engine.playing.load());
    h.leftClick(600, 40);
    EXPECT_FALSE(h.app->engine.playing.load());

    h.sequenceWithNotes(2, "Two", {0});
    h.sequenceWithNotes(1, "One", {0});
    for (int i = 0; i < 5; ++i) h.wheel(600, 40, false);
    EXPECT_EQ(h.app->currentSlot, 3);  // the first empty slot, showing the default
    EXPECT_FALSE(h.app->seq->exists);
    h.wheel(600, 40, true);
    EXPECT_EQ(h.app->currentSlot, 2);
    // A running sequence carries on in the next one.
    h.leftClick(600, 40);
    ASSERT_TRUE(h.app->engine.playing.load());
    h.wheel(600, 40, true);
    EXPECT_EQ(h.app->currentSlot, 1);
    EXPECT_TRUE(h.app->engine.playing.load());
    stopTransport(*h);
    // Not while a record mode is on.
    h.app->engine.recordMode.store(RECORD_STEP);
    h.wheel(600, 40, false);
    EXPECT_EQ(h.app->currentSlot, 1);
}

TEST(SequenceMenu, RenameRefusesAnotherSlotsNameInAnyCase) {
    Harness h;
    h.sequenceWithNotes(5, "Beta", {0});
    Sequence* s3 = h.sequenceWithNotes(3, "Alpha", {0});
    s3->modified = 0;
    h.user.menuAnswers = {MENU_RENAME};
    h.user.steps = {enter({"BETA"}), enter({"alpha2"})};
    // The name-exists banner over the row goes before the next try.
    std::vector<bool> banner;
    h.user.beforeStep = [&] { banner.push_back(h.pixelIs(540, 214, 212)); };
    h.rightClick(600, 40);
    EXPECT_EQ(banner, (std::vector<bool>{false, false}));
    h.user.beforeStep = nullptr;
    const auto texts = h.user.of("text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].title, "Sequence Rename.");
    EXPECT_EQ(texts[0].text, "Alpha");
    ASSERT_EQ(texts[0].after.size(), 1u);  // refused once, the dialog stayed
    EXPECT_EQ(h.user.waits, std::vector<uint32_t>{1000});
    EXPECT_STREQ(s3->name, "alpha2");
    EXPECT_EQ(s3->modified, 1u);
    // Its own name in other case is no clash.
    h.user.menuAnswers = {MENU_RENAME};
    h.user.steps = {enter({"ALPHA2"})};
    h.rightClick(600, 40);
    EXPECT_STREQ(s3->name, "ALPHA2");
    EXPECT_FALSE(h.user.ranOut);
}

TEST(SequenceMenu, DeleteAsksOnlyForChangedSequencesWithEventsCopyShowsTheNotice) {
    Harness h;
    Sequence* a = h.sequenceWithNotes(1, "Kept", {0});
    a->unsaved = a->modified = 0;
    Sequence* b = h.sequenceWithNotes(2, "Changed", {0});
    b->modified = 1;
    h.user.menuAnswers = {MENU_DELETE};
    h.user.boxAnswers = {ANSWER_NO};
    h.rightClick(600, 40);
    ASSERT_EQ(h.user.of("box").size(), 1u);
    EXPECT_EQ(h.user.of("box")[0].text, "Delete [ Changed ] ?");
    EXPECT_EQ(h.app->slots[2], b);

    selectSequence(*h, 1);
    h.user.menuAnswers = {MENU_COPY};
    h.rightClick(600, 40);
    ASSERT_NE(h.app->slots[3], nullptr);
    EXPECT_EQ(h.app->currentSlot, 3);
    EXPECT_EQ(h.user.waits, std::vector<uint32_t>{1000});  // the copy notice

    selectSequence(*h, 1);
    h.user.menuAnswers = {MENU_DELETE};
    h.rightClick(600, 40);
    EXPECT_EQ(h.user.of("box").size(), 1u);  // no question for an unchanged one
    EXPECT_EQ(h.app->lastSlot, 2);
    EXPECT_STREQ(h.app->slots[1]->name, "Changed");

    h.user.menuAnswers = {MENU_DELETE_ALL, MENU_DELETE_ALL};
    h.user.boxAnswers = {ANSWER_CANCEL, ANSWER_YES};
    h.rightClick(600, 40);
    EXPECT_EQ(h.app->lastSlot, 2);
    h.rightClick(600, 40);
    EXPECT_EQ(h.user.of("box").back().text, "Delete ALL sequence.");
    EXPECT_EQ(h.app->lastSlot, 0);
    EXPECT_EQ(h.app->slots[1], nullptr);
    EXPECT_EQ(h.app->currentSlot, 1);
}

TEST(SequenceRowSwitches, LoopAndClockPort) {
    Harness h;
    PersistentSettings& p = h.app->settings;
    settingStore(p.seqLoop, 1);
    h.leftClick(970, 40);
    EXPECT_EQ(p.seqLoop, 0u);
    h.wheel(970, 40, false);  // backward: on
    EXPECT_EQ(p.seqLoop, 1u);
    h.leftClick(1140, 40);
    EXPECT_EQ(p.clockOutPort, 0u);  // no output port, no clock
    h.app->engine.outPortCount = 3;
    for (int i = 0; i < 5; ++i) h.wheel(1140, 40, false);
    EXPECT_EQ(p.clockOutPort, 3u);
    h.leftClick(1140, 40);
    EXPECT_EQ(p.clockOutPort, 0u);
}

// ---- Sequence list ------------------------------------------------------------------

TEST(SequenceList, ButtonOpensRowsSelectWheelMovesTheCursorButtonCloses) {
    Harness h;
    for (int s = 1; s <= 30; ++s) h.sequenceWithNotes(s, "Seq", {0});
    selectSequence(*h, 1);
    h.leftClick(805, 40);
    ASSERT_EQ(h.app->ui->overlayMode, OVERLAY_SEQ_LIST);
    frame(h);
    EXPECT_TRUE(h.pixelIs(540, 53, 128));  // slot 1's row is the current one
    EXPECT_TRUE(h.pixelIs(532, 100, COL_BLACK));
    h.leftClick(600, 53 + 15 * 4 + 5);  // row 4
    EXPECT_EQ(h.app->currentSlot, 5);
    frame(h);
    EXPECT_TRUE(h.pixelIs(540, 53 + 15 * 4, 128));
    EXPECT_TRUE(h.pixelIs(540, 53, COL_WHITE));
    h.wheel(600, 100, false);
    EXPECT_EQ(h.app->currentSlot, 6);
    h.wheel(540, 100, false);  // left of the numbers: ten at a time
    EXPECT_EQ(h.app->currentSlot, 16);
    h.wheel(540, 100, false);
    EXPECT_EQ(h.app->currentSlot, 26);  // past row 19: the list scrolled
    EXPECT_EQ(screens(*h.app).seqPanel.listTop, 6);
    EXPECT_EQ(screens(*h.app).seqPanel.listCursor, 19);
    h.wheel(540, 100, false);
    EXPECT_EQ(h.app->currentSlot, 30);  // stops at the last sequence
    selectSequence(*h, 2);  // chosen elsewhere: the list scrolls to it
    frame(h);
    EXPECT_EQ(screens(*h.app).seqPanel.listTop, 1);
    EXPECT_TRUE(h.pixelIs(540, 53, 128));
    // A right click opens the list's menu with its own question.
    h.user.menuAnswers = {MENU_DELETE_ALL};
    h.user.boxAnswers = {ANSWER_NO};
    h.rightClick(600, 60);
    EXPECT_EQ(h.user.of("box").back().text, "Delete ALL Sequence.");
    h.leftClick(805, 40);
    EXPECT_EQ(h.app->ui->overlayMode, OVERLAY_NONE);
    // A click outside an open list only closes it.
    h.leftClick(805, 40);
    h.leftClick(1100, 300);
    EXPECT_EQ(h.app->ui->overlayMode, OVERLAY_NONE);
}

// ---- Track row ------------------------------------------------------------------------

TEST(TrackRow, ButtonsWheelMessageAndMenuChooseAndEditTheTrack) {
    Harness h;
    h.leftClick(326 + 43 * 4 + 10, 70);  // button 5
    EXPECT_NE(h.app->slots[1], nullptr);  // the press made a sequence
    EXPECT_EQ(h.app->currentTrack, 5);
    frame(h);
    EXPECT_TRUE(h.pixelIs(326 + 43 * 4 + 35, 90, COL_WHITE));
    EXPECT_TRUE(h.pixelIs(326 + 35, 90, 3));
    h.leftClick(1005, 70);  // past the last button's pitch: still 16
    EXPECT_EQ(h.app->currentTrack, 16);
    h.wheel(500, 70, false);
    EXPECT_EQ(h.app->currentTrack, 16);
    h.wheel(500, 70, true);
    EXPECT_EQ(h.app->currentTrack, 15);
    h.app->allTracks = true;
    h.wheel(500, 70, true);
    EXPECT_EQ(h.app->currentTrack, 15);
    sendToPanel(*h, PANEL_TRACK, 36, 3);
    EXPECT_EQ(h.app->currentTrack, 3);
    EXPECT_FALSE(h.app->allTracks);

    h.sequenceWithNotes(1, "Song", {0, 96});
    h.user.menuAnswers = {MENU_ERASE};
    h.rightClick(326 + 10, 70);
    EXPECT_EQ(h.user.of("menu").at(0).title, "TRACKMENU");
    EXPECT_EQ(h.app->seq->eventCount, 0);
    startFromTop(*h);
    h.rightClick(326 + 10, 70);  // no menu while playing
    EXPECT_EQ(h.user.of("menu").size(), 1u);
}

TEST(TrackRow, AllTracksSwitchTogglesExceptWhileRecordingOrInTrackMuteMode) {
    Harness h;
    h.app->ui->stepEditView = true;
    h.leftClick(1100, 70);
    EXPECT_TRUE(h.app->allTracks);
    EXPECT_FALSE(h.app->ui->stepEditView);
    frame(h);
    EXPECT_TRUE(h.pixelIs(1100, 75, COL_BUTTON_ON));
    h.leftClick(1100, 70);
    EXPECT_FALSE(h.app->allTracks);

    h.sequenceWithNotes(1, "Song", {0});
    startFromTop(*h);
    h.app->engine.recordMode.store(RECORD_OVER_DUB);
    h.leftClick(1100, 70);
    EXPECT_FALSE(h.app->allTracks);
    stopTransport(*h);
    h.app->engine.recordMode.store(RECORD_STEP);  // STEP while stopped ends
    h.leftClick(1100, 70);
    EXPECT_TRUE(h.app->allTracks);
    EXPECT_EQ(h.app->engine.recordMode.load(), RECORD_OFF);
    h.app->ui->trackMuteMode = true;
    h.leftClick(1100, 70);
    EXPECT_TRUE(h.app->allTracks);
}

}  // namespace
}  // namespace qz
