// The Note to Chord panel and the Chord Edit window at their places on the
// screen.
#include "engine/engine.h"
#include "tests/ui/harness.h"

namespace qz::test {
namespace {

struct ChordScreens : ::testing::Test {
    Harness h;
    AppState& app = *h;
    void SetUp() override {
        ASSERT_EQ(ensureSequence(app), 0);
        app.seq->tracks[1].type = TRACK_TYPE_NOTE;
        redrawAll(app);
    }
    void wheel(int32_t x, int32_t y, int steps) {
        for (int i = 0; i < std::abs(steps); ++i) h.wheel(x, y, steps < 0);
    }
};

TEST_F(ChordScreens, RecWhileStoppedWritesTheChordAndMovesOn) {
    settingStore(app.settings.recDuration, 6);  // 1/8
    h.move(291, 209);                            // row 0's Rec button
    onLeftDown(app, 291, 209);
    EXPECT_EQ(unpackChord(app.chordIn.held.load()).row, 0);
    onLeftUp(app);
    std::vector<int> notes;
    for (int32_t i = 0; i < app.seq->eventCount; ++i) {
        const SeqEvent& e = seqEvents(app.seq)[i];
        EXPECT_EQ(e.time, 0);
        EXPECT_EQ(e.value, 48u);
        notes.push_back(e.data1);
    }
    EXPECT_EQ(notes, (std::vector<int>{48, 52, 55}));
    EXPECT_EQ(app.engine.position.load(), 48);
    EXPECT_EQ(app.chordIn.held.load(), 0u);
    // DELETE erases what lies at the position, its release steps on.
    locateTick(app, 0);
    h.leftClick(200, 450);
    EXPECT_EQ(app.seq->eventCount, 0);
    EXPECT_EQ(app.engine.position.load(), 48);
}

TEST_F(ChordScreens, WheelSetsTriggerTypeSwitchAndArpeggio) {
    wheel(200, 230, 2);   // row 1's key: C#3 -> D#3
    wheel(250, 250, 3);   // row 2's type: M -> M7
    wheel(280, 178, 1);   // the switch on
    wheel(270, 484, 20);  // Arpeggio to its last row
    EXPECT_EQ(app.settings.chordTrigger[1], 51u);
    EXPECT_EQ(app.settings.chordType[2], 3u);
    EXPECT_EQ(app.settings.noteToChord, 1u);
    EXPECT_EQ(app.settings.arpeggio, 13u);
    EXPECT_EQ(arpeggioStep(app), 48);
}

TEST_F(ChordScreens, ChordEditWheelNamesDefaultAndLearning) {
    h.leftClick(220, 144);  // CHORD EDIT
    ASSERT_EQ(app.ui->overlayMode, OVERLAY_CHORD);
    pollChordEdit(app);
    EXPECT_TRUE(app.rec.chordEditOpen.load());
    const int32_t user1 = 57 + 25 * 13 + 10;
    wheel(446 + 30 * 5 + 10, user1, -30);  // slot 5 of User1, held to -24
    EXPECT_EQ(app.settings.chordTable[13].intervals[5], -24);
    h.user.steps = {enter({"Jazz"})};
    h.leftClick(410, user1);
    EXPECT_STREQ(app.settings.chordTable[13].name, "Jazz");
    // The keyboard column names the type that the keys teach.
    h.move(700, user1);
    EXPECT_EQ(app.chordIn.learnType.load(), 13);
    h.leftClick(500, 590);  // Default
    EXPECT_STREQ(app.settings.chordTable[13].name, "User1 ");
    EXPECT_EQ(app.settings.chordTable[13].intervals[5], 0);
    h.leftClick(700, 590);  // Close
    EXPECT_EQ(app.ui->overlayMode, OVERLAY_NONE);
    EXPECT_FALSE(app.rec.chordEditOpen.load());
    EXPECT_EQ(app.chordIn.learnType.load(), -1);
}

}  // namespace
}  // namespace qz::test
