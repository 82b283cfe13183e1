// The track mute screen in the grid area, reached through TRACK MUTE MODE
// on the transport row: the buttons' layout, mute, solo and their looks.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/ui/harness.h"

namespace qz {
namespace {

using test::Harness;

constexpr int32_t MUTE_MODE_X = 1098, MUTE_MODE_Y = 571, SUB_SOLO_X = 1120, SUB_SOLO_Y = 602;

struct TrackMuteScreenTest : ::testing::Test {
    Harness h;
    AppState& app = *h;
    void SetUp() override {
        ASSERT_NE(h.sequenceWithNotes(1, "Song", {0}), nullptr);
        app.seq->tracks[1].used = 1;
        h.leftClick(MUTE_MODE_X, MUTE_MODE_Y);
        ASSERT_TRUE(app.ui->trackMuteMode);
    }
    // A point inside the button of track t.
    static int32_t buttonX(int t) { return 290 + 160 * ((t - 1) % 4) + 60; }
    static int32_t buttonY(int t) { return 126 + 105 * (3 - (t - 1) / 4) + 60; }
    void press(int t) { h.leftClick(buttonX(t), buttonY(t)); }
    bool muted(int t) const { return app.seq->tracks[t].mute != 0; }
    int32_t solo() const { return app.engine.soloMode.load(); }
};

TEST_F(TrackMuteScreenTest, ButtonsLieLikeThePadsAndAClickFlipsTheMute) {
    struct Case {
        int32_t x, y;
        int track;
    } cases[] = {{300, 530, 1}, {920, 130, 16}, {460, 240, 10}};  // bottom left, top right, row 3 column 2
    int count = 0;
    for (const Case& c : cases) {
        h.leftClick(c.x, c.y);
        EXPECT_TRUE(muted(c.track)) << c.x << "," << c.y;
        int mutedTracks = 0;
        for (int t = 1; t <= USER_TRACKS; ++t) mutedTracks += muted(t);
        EXPECT_EQ(mutedTracks, ++count);
    }
    press(1);
    EXPECT_FALSE(muted(1));
}

TEST_F(TrackMuteScreenTest, InTheSoloSubModeTheSoloMovesBetweenTracksAndEnds) {
    h.leftClick(SUB_SOLO_X, SUB_SOLO_Y);
    ASSERT_TRUE(app.rec.trackMuteSolo.load());
    press(5);
    EXPECT_EQ(app.currentTrack, 5);
    EXPECT_EQ(solo(), 1);
    press(5);
    EXPECT_EQ(solo(), 0);
    press(5);
    press(7);
    EXPECT_EQ(app.currentTrack, 7);
    EXPECT_EQ(solo(), 1);
    EXPECT_FALSE(muted(5));
    EXPECT_FALSE(muted(7));
}

TEST_F(TrackMuteScreenTest, ButtonsShowSoloBeforeMuteAndTheHeaderSetsThePadBase) {
    press(5);
    press(6);
    h.leftClick(SUB_SOLO_X, SUB_SOLO_Y);
    press(5);  // the muted track 5 is soloed
    repaint(app);
    EXPECT_TRUE(h.pixelIs(buttonX(5), buttonY(5) + 30, 245));  // SOLO
    EXPECT_TRUE(h.pixelIs(buttonX(6), buttonY(6) + 30, 240));  // MUTE
    EXPECT_TRUE(h.pixelIs(buttonX(9), buttonY(9) + 30, 249));  // not in use
    EXPECT_TRUE(h.pixelIs(buttonX(1), buttonY(1) + 30, 247));  // in use
    h.wheel(585, 105, false);
    EXPECT_EQ(app.settings.inputPadBase, 3u);
}

}  // namespace
}  // namespace qz
