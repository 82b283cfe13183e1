// The note view of a NOTE track: what it paints for the notes and the
// grid, and the press that writes, erases or holds a note.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "engine/engine.h"
#include "engine/recording.h"
#include "platform/null/memory_ports.h"
#include "platform/null/sim_clock.h"
#include "tests/ui/harness.h"
#include "ui/framework/ui_platform.h"
#include "ui/screens/grid_view.h"
#include "ui/screens/screen_state.h"

namespace qz {
namespace {

using test::Harness;
using Notes = std::vector<std::array<int32_t, 4>>;

constexpr int32_t TC_16TH = 3;
constexpr uint32_t DURATION_48 = 6;  // the Duration row of 48 ticks
constexpr int32_t TAIL = COL_BEVEL_DARK + 1;

struct NoteViewTest : ::testing::Test {
    Harness h;
    AppState& app = *h;
    MemoryPorts ports;
    SimClock sim;
    void SetUp() override {
        ASSERT_NE(h.sequenceWithNotes(1, "Song", {}), nullptr);
        app.seq->tracks[1].type = TRACK_TYPE_NOTE;
        settingStore(app.settings.tcIndex, TC_16TH);
        settingStore(app.settings.recCountIn, 0);
        app.settings.zoomLevel = 0;
        initMemoryPorts(ports, &app.engine.msClock, 1, 8192);
        app.engine.out = memoryPortsOutput(ports);
        app.engine.outPortCount = 1;
        simInstall(sim, app);
    }
    void TearDown() override { simRemove(sim); }
    // Pointer x of tick t in bar 0 at zoom 0, and y inside note n's row.
    static int32_t xAt(Tick t) { return 336 + t * 576 / 384; }
    static int32_t yOf(int32_t n) { return (108 - n) * 4 + 153 + 1; }
    void repaintAll() {
        markDirty(app, DIRTY_ALL);
        repaint(app);
    }
    Notes notes() {
        Notes out;
        for (int32_t i = 0; i < eventCount(app); ++i) {
            const SeqEvent& e = events(app)[i];
            if (e.status == ST_NOTE && e.track == 1) out.push_back({e.time, e.data1, e.data2, int32_t(e.value)});
        }
        return out;
    }
};

TEST_F(NoteViewTest, HeadsTailsAndGridLinesLandOnTheirPixels) {
    ASSERT_GE(app.seq->bars, 2u);
    insertEvent(app, 336, 1, ST_NOTE, 72, 100, 96);          // sounds into bar 1 for 48 ticks
    insertEvent(app, 384 + 96, 1, ST_NOTE, 60, 100, 48);     // head at (478, 344)
    insertEvent(app, 384 + 192, 1, ST_NOTE, 120, 100, 24);   // above the roll: at note 113's row
    insertEvent(app, 384 + 360, 1, ST_NOTE, 48, 100, 9999);  // its tail is cut at x 919
    scrollViewToBar(app, 1);
    repaintAll();
    ASSERT_EQ(app.firstBar, 1);
    struct Case {
        int32_t x, y, colour;
        const char* what;
    } cases[] = {
        {478, 344, COL_BLACK, "head's corner"},
        {482, 348, COL_BLACK, "head's far corner"},
        {490, 346, TAIL, "tail"},
        {554, 346, TAIL, "tail's end (48 ticks = 72 pixels from 483)"},
        {555, 345, COL_BEVEL_LIGHT, "past the tail: an even 1/16 stripe"},
        {490, 349, COL_EMPTY_MARK, "below the tail"},
        {623, 133, COL_BLACK, "a high note at the top row"},
        {360, 298, TAIL, "note begun before the view, from x 334"},
        {405, 298, TAIL, "its remaining 48 ticks"},
        {406, 297, COL_BEVEL_LIGHT, "past it: an even 1/16 stripe"},
        {918, 394, TAIL, "long tail up to the cut"},
        {919, 393, COL_EMPTY_MARK, "long tail cut"},
        {400, 250, COL_LAMP_DARK, "octave line"},
        {370, 300, COL_LIGHT_GREY, "odd 1/16 stripe, 7 wide from 333"},
    };
    for (const Case& c : cases) EXPECT_TRUE(h.pixelIs(c.x, c.y, c.colour)) << c.what;
}

TEST_F(NoteViewTest, BeatLinesUpToZoomThreeNoneAtFour) {
    struct Case {
        uint32_t zoom;
        int32_t x, colour;
    } cases[] = {{3, 336 + 18, COL_BEVEL_DARK}, {4, 336 + 9, COL_EMPTY_MARK}, {2, 336 + 36, COL_BEVEL_DARK}};
    for (const Case& c : cases) {
        app.settings.zoomLevel = c.zoom;
        repaintAll();
        EXPECT_TRUE(h.pixelIs(c.x, 300, c.colour)) << "zoom " << c.zoom;
    }
}

TEST_F(NoteViewTest, MouseRecClickWritesAtThePitchUnderThePointerAndTheNextErasesIt) {
    settingStore(app.settings.recDuration, DURATION_48);
    app.ui->mouseRec = true;
    h.leftClick(xAt(96) + 2, yOf(60));
    EXPECT_EQ(notes(), (Notes{{96, 60, 127, 48}}));
    h.leftClick(xAt(96) + 6, yOf(61));  // a neighbour pitch, near enough
    EXPECT_TRUE(notes().empty());
}

TEST_F(NoteViewTest, APlayedDurationLastsAsLongAsTheButtonIsHeld) {
    app.ui->mouseRec = true;
    h.move(xAt(192), yOf(64));
    const uint32_t down = app.engine.tickCounter.load();
    onLeftDown(app, xAt(192), yOf(64));
    ASSERT_EQ(notes().size(), 1u);
    EXPECT_TRUE(isOpenNote(events(app)[0]));
    simAdvance(sim, 300);
    const int32_t held = int32_t(app.engine.tickCounter.load() - down);
    ASSERT_GT(held, 20);
    onLeftUp(app);
    EXPECT_EQ(notes(), (Notes{{192, 64, 127, held}}));
    EXPECT_EQ(app.lastDuration, held);
}

TEST_F(NoteViewTest, WithoutMouseRecAPressSoundsTheNoteUntilTheReleaseAndWritesNothing) {
    h.move(xAt(96), yOf(67));
    onLeftDown(app, xAt(96), yOf(67));
    repaint(app);
    EXPECT_TRUE(h.pixelIs(600, 340, COL_BACKGROUND));  // the MOUSE REC hint's box
    SeqEvent e;
    ASSERT_TRUE(ringPop(app.rec.liveFromWindow, e));
    EXPECT_EQ(e.status, ST_NOTE);
    EXPECT_EQ(e.data1, 67);
    onLeftUp(app);
    ASSERT_TRUE(ringPop(app.rec.liveFromWindow, e));
    EXPECT_EQ(e.status, ST_NOTE_OFF);
    EXPECT_EQ(e.data1, 67);
    repaint(app);
    EXPECT_FALSE(h.pixelIs(600, 340, COL_BACKGROUND));
    EXPECT_TRUE(notes().empty());
}

TEST_F(NoteViewTest, WhilePlayingAPressLandsOnlyInsideTheLoop) {
    settingStore(app.settings.recDuration, DURATION_48);
    app.ui->mouseRec = true;
    run(app);
    ASSERT_TRUE(app.engine.playing.load());
    h.user.cursors.clear();
    h.leftClick(xAt(96), yOf(60));
    EXPECT_TRUE(notes().empty());
    ASSERT_FALSE(h.user.cursors.empty());
    EXPECT_EQ(h.user.cursors.back(), CURSOR_NO_ENTRY);
    app.engine.loopOn.store(true);
    app.engine.loopStartBar = 0;
    app.engine.loopBars = 1;
    computeLoopPoints(app);
    h.leftClick(xAt(96), yOf(60));
    stopTransport(app);
    EXPECT_EQ(notes(), (Notes{{96, 60, 127, 48}}));
}

TEST_F(NoteViewTest, ANoteHeldWhileRecordingShowsInTheRecordingAndClosesAtTheRelease) {
    app.ui->mouseRec = true;
    app.engine.loopOn.store(true);
    app.engine.loopStartBar = 0;
    app.engine.loopBars = 1;
    computeLoopPoints(app);
    h.leftClick(434, 602);  // OVER DUB
    ASSERT_TRUE(app.engine.playing.load());
    h.move(xAt(96), yOf(60));
    const uint32_t down = app.engine.tickCounter.load();
    onLeftDown(app, xAt(96), yOf(60));
    simAdvance(sim, 200);
    const int32_t held = int32_t(app.engine.tickCounter.load() - down);
    repaintAll();
    EXPECT_TRUE(notes().empty());                               // in the recording until the stop
    EXPECT_TRUE(h.pixelIs(478, 344, COL_BLACK));                // its head
    EXPECT_TRUE(h.pixelIs(483 + held * 3 / 2 - 2, 345, TAIL));  // its tail, grown with the time
    onLeftUp(app);
    h.leftClick(584, 602);  // STOP
    ASSERT_FALSE(app.engine.playing.load());
    EXPECT_EQ(notes(), (Notes{{96, 60, 127, held}}));
}

}  // namespace
}  // namespace qz
