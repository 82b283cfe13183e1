// The 16-row drum view: what it paints for the track's notes and step grid,
// and the click that removes, writes or only sounds a note, stopped and
// while recording.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "engine/engine.h"
#include "engine/recording.h"
#include "tests/ui/harness.h"
#include "ui/screens/screen_state.h"

namespace qz {
namespace {

using test::Harness;

constexpr int32_t OVER_DUB_X = 434, STOP_X = 584, UNDO_X = 884, BUTTON_Y = 602;
constexpr int32_t TC_16TH = 3;

struct DrumGridTest : ::testing::Test {
    Harness h;
    AppState& app = *h;
    void SetUp() override {
        ASSERT_NE(h.sequenceWithNotes(1, "Song", {}), nullptr);
        settingStore(app.settings.tcIndex, TC_16TH);
        settingStore(app.settings.recCountIn, 0);
        app.settings.zoomLevel = 0;
        ASSERT_EQ(app.ui->padBaseNote, 36);
    }
    // Pointer x of tick t in bar 0 at zoom 0 (the pointer's origin is 338).
    static int32_t xAt(Tick t) { return 338 + t * 576 / 384; }
    static int32_t yOfRow(int32_t r) { return 150 + 23 * r + 11; }
    void repaintAll() {
        markDirty(app, DIRTY_ALL);
        repaint(app);
    }
    // The current track's notes as (time, note, velocity, duration).
    std::vector<std::array<int32_t, 4>> notes() {
        std::vector<std::array<int32_t, 4>> out;
        for (int32_t i = 0; i < eventCount(app); ++i) {
            const SeqEvent& e = events(app)[i];
            if (e.status == ST_NOTE && e.track == 1) out.push_back({e.time, e.data1, e.data2, int32_t(e.value)});
        }
        return out;
    }
};

TEST_F(DrumGridTest, NotesStandInTheirRowsAsVelocityBarsOverTheStepStripes) {
    insertEvent(app, 96, 1, ST_NOTE, 37, 100, 24);   // row 1: a bar 3 * 6 + 1 high
    insertEvent(app, 192, 1, ST_NOTE, 30, 100, 24);  // below the rows
    insertEvent(app, 288, 1, ST_NOTE, 60, 100, 24);  // above them
    repaintAll();
    struct Case {
        int32_t x, y, colour;
        const char* what;
    } cases[] = {
        {337 + 144, 150 + 23 + 21, COL_BLACK, "bottom of the bar"},
        {337 + 144 + 5, 150 + 23 + 22 - 19, COL_BLACK, "top of the bar"},
        {337 + 144, 150 + 23 + 22 - 20, COL_BEVEL_LIGHT, "above the bar: an even 1/16 stripe"},
        {337 + 288, 138, 253, "mark of a note below the rows"},
        {337 + 432, 521, 253, "mark of a note above the rows"},
        {335, 300, COL_BEVEL_DARK + 1, "bar line"},
        {335 + 144, 145, COL_BEVEL_DARK + 1, "beat line"},
        {400, 149 + 23 * 4, COL_LAMP_DARK, "row line"},
        {336 + 36, 160, COL_LIGHT_GREY, "odd 1/16 stripe"},
        {336 + 72, 160, COL_BEVEL_LIGHT, "even 1/16 stripe"},
        {336 + 36, 140, COL_EMPTY_MARK, "stripes start at the rows"},
    };
    for (const Case& c : cases) EXPECT_TRUE(h.pixelIs(c.x, c.y, c.colour)) << c.what;
    // From zoom 2 the step marks are 64 fine lines.
    app.settings.zoomLevel = 2;
    repaintAll();
    EXPECT_TRUE(h.pixelIs(335 + 9 * 5, 160, COL_LAMP_DARK));
    EXPECT_TRUE(h.pixelIs(336 + 9 * 5, 160, COL_EMPTY_MARK));
}

TEST_F(DrumGridTest, MouseRecClickRemovesANoteAndTheNextWritesItBackAtTheRecordVelocity) {
    struct Case {
        uint32_t velocityRow;
        int32_t written;
    } cases[] = {{0, 127}, {5, 90}};
    for (const Case& c : cases) {
        settingStore(app.settings.recVelocity, c.velocityRow);
        insertEvent(app, 96, 1, ST_NOTE, 37, 100, 24);
        app.ui->mouseRec = true;
        h.leftClick(xAt(96) + 4, yOfRow(1));  // within the search window, off the step
        EXPECT_TRUE(notes().empty());
        h.leftClick(xAt(96) + 4, yOfRow(1));
        ASSERT_EQ(notes(), (std::vector<std::array<int32_t, 4>>{{96, 37, c.written, 6}}));
        h.leftClick(UNDO_X, BUTTON_Y);  // takes back the write only
        EXPECT_TRUE(notes().empty()) << "velocity row " << c.velocityRow;
    }
    // Halfway between two 1/16 steps at zoom 0 nothing is written.
    h.leftClick(xAt(108), yOfRow(1));
    EXPECT_TRUE(notes().empty());
}

TEST_F(DrumGridTest, WithoutMouseRecAClickOnlySoundsThePadAndShowsTheHint) {
    h.move(xAt(96), yOfRow(2));
    onLeftDown(app, xAt(96), yOfRow(2));
    repaint(app);
    EXPECT_TRUE(screens(app).clickBanner);
    EXPECT_TRUE(h.pixelIs(600, 340, COL_BACKGROUND));  // the hint's box
    SeqEvent e;
    ASSERT_TRUE(ringPop(app.rec.liveFromWindow, e));
    EXPECT_EQ(e.data1, 38);
    onLeftUp(app);
    repaint(app);
    EXPECT_FALSE(screens(app).clickBanner);
    EXPECT_TRUE(h.pixelIs(600, 340, COL_EMPTY_MARK));
    EXPECT_TRUE(notes().empty());
}

TEST_F(DrumGridTest, ANoteClickedWhileRecordingLandsInTheRecordingAndSurvivesTheStop) {
    app.ui->mouseRec = true;
    h.leftClick(OVER_DUB_X, BUTTON_Y);
    ASSERT_TRUE(app.engine.playing.load());
    h.leftClick(xAt(192), yOfRow(0));
    EXPECT_TRUE(notes().empty());  // in the recording buffer until the stop
    repaintAll();
    EXPECT_TRUE(h.pixelIs(337 + 288, 150 + 21, COL_BLACK)) << "the recorded note is drawn while recording";
    h.leftClick(STOP_X, BUTTON_Y);
    ASSERT_FALSE(app.engine.playing.load());
    EXPECT_EQ(notes(), (std::vector<std::array<int32_t, 4>>{{192, 36, 127, 6}}));
}

}  // namespace
}  // namespace qz
