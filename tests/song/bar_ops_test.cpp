#include <algorithm>
#include <functional>

#include "tests/song/edit_fixture.h"

namespace qz::test {
namespace {

using BarOps = EditFixture;

// Note 60+b starts bar b on track 1; notes 50 and 51 start bars 1 and 3 on track 2.
TEST_F(BarOps, DeleteBarsShortensByExactlyOneBar) {
    using Placed = std::vector<std::pair<Tick, int>>;  // (tick, note), in any order within a tick
    struct Case {
        int bars, b1, b2;
        bool allTracks;
        int wantBars;
        Placed want;
    };
    const Case cases[] = {
        {10, 1, 4, false, 9, {{0, 60}, {BAR, 64}, {2 * BAR, 65}, {3 * BAR, 66}, {4 * BAR, 67}, {5 * BAR, 68},
                              {6 * BAR, 69}, {BAR, 50}, {3 * BAR, 51}}},
        {4, 1, 2, false, 3, {{0, 60}, {BAR, 62}, {2 * BAR, 63}, {BAR, 50}, {3 * BAR, 51}}},
        {4, 1, 2, true, 3, {{0, 60}, {BAR, 62}, {2 * BAR, 63}, {2 * BAR, 51}}},
        {1, 0, 1, false, 1, {{0, 60}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bars << " bars, delete " << c.b1 << ".." << c.b2
                                        << (c.allTracks ? " all tracks" : ""));
        eraseAllTracks(*app);
        setBars(c.bars);
        for (int b = 0; b < c.bars; ++b) note(b * BAR, 60 + b);
        if (c.bars > 1) {
            note(BAR, 50, 100, 24, 2);
            note(3 * BAR, 51, 100, 24, 2);
        }
        app->allTracks = c.allTracks;
        deleteBars(*app, c.b1, c.b2);
        app->allTracks = false;
        EXPECT_EQ(app->lengthTicks, c.wantBars * BAR);
        Placed got, want = c.want;
        for (const Ev& e : all()) got.push_back({e.time, e.data1});
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want);
    }
}

TEST_F(BarOps, EraseChoosesEventsByTheirStart) {
    note(BAR - 10, 60, 100, 200);     // sounds into bar 1
    note(2 * BAR - 5, 61, 100, 300);  // starts in the last erased bar
    note(BAR + 6, 40, 90, 24, 2);     // another track
    note(2 * BAR, 62);
    eraseBars(*app, 1, 2);
    EXPECT_EQ(all(), (std::vector<Ev>{{BAR - 10, 1, ST_NOTE, 60, 100, 200}, {BAR + 6, 2, ST_NOTE, 40, 90, 24},
                                      {2 * BAR, 1, ST_NOTE, 62, 100, 24}}));
}

TEST_F(BarOps, InsertBlankBarsMovesTheTailIntoTheClipboardAndStaysWithin999) {
    note(0, 60);
    note(3 * BAR + 10, 61);
    insertEventRecord(*app, SeqEvent{BAR, TEMPO_TRACK, ST_TEMPO, 0, 0, 1000, 600000});  // not the current track
    EXPECT_EQ(insertBlankBars(*app, 1, 3), 0);
    EXPECT_EQ(times(), (std::vector<Tick>{0, BAR, 5 * BAR + 10}));
    EXPECT_EQ(app->seq->bars, 6u);
    ASSERT_EQ(app->clipboard.mode == CLIP_BARS ? app->clipboard.count : -1, 1);
    EXPECT_EQ(app->work->secondHalf()[0].time, 2 * BAR + 10);
    setBars(7);  // an empty last bar: exactly one bar more
    EXPECT_EQ(insertBlankBars(*app, 6, 8), 0);
    EXPECT_EQ(app->seq->bars, 8u);

    setBars(MAX_BARS);
    EXPECT_EQ(insertBlankBars(*app, 1, 995), ERR_CANNOT_INPUT);  // the note in bar 6 would pass 999
    EXPECT_EQ(times(), (std::vector<Tick>{0, BAR, 5 * BAR + 10}));
    eraseAllTracks(*app);
    EXPECT_EQ(insertBlankBars(*app, 500, 501), 0);
    EXPECT_EQ(app->seq->bars, uint32_t(MAX_BARS));
}

TEST_F(BarOps, PasteBarsGrowsToItsLastEventUpTo999Bars) {
    note(0, 61);
    note(BAR + 1, 62);
    copyBars(*app, 0, 2);
    snapshotForUndo(*app);
    EXPECT_EQ(pasteBars(*app, 3), 0);  // the last event lands on the old end
    EXPECT_EQ(app->seq->bars, 5u);
    EXPECT_EQ(app->engine.position.load(), 3 * BAR);
    EXPECT_EQ(app->undoCopy, nullptr);  // re-selecting the grown sequence drops the undo pair
    setBars(990);
    EXPECT_EQ(pasteBars(*app, 998), ERR_CANNOT_INPUT);
    EXPECT_EQ(app->seq->bars, uint32_t(MAX_BARS));
    EXPECT_EQ(all().back().time, 998 * BAR);
}

TEST_F(BarOps, EachPasteTakesOnlyItsOwnMode) {
    note(0, 60);
    app->selection = {0, BAR, 0, 127, 2 * BAR, 60};
    const std::function<void()> copies[] = {[&] { copyTrack(*app, 1); }, [&] { copyPad(*app, 1, 60); },
                                            [&] { copySelection(*app); }, [&] { copyBars(*app, 0, 1); }};
    const std::function<void()> pastes[] = {[&] { pasteTrack(*app, 2); }, [&] { pastePad(*app, 2, 40); },
                                            [&] { pasteSelection(*app); }, [&] { pasteBars(*app, 3); }};
    for (int k = 0; k < 16; ++k) {
        SCOPED_TRACE(testing::Message() << "copy mode " << k / 4 + 1 << ", paste of mode " << k % 4 + 1);
        copies[k / 4]();
        pastes[k % 4]();
        EXPECT_EQ(all().size(), k / 4 == k % 4 ? 2u : 1u);
        for (int32_t i = app->seq->eventCount - 1; i >= 0; --i)
            if (all()[i] != (Ev{0, 1, ST_NOTE, 60, 100, 24})) removeEvent(*app, i);
    }
}

TEST_F(BarOps, PasteTrackKeepsTheOrderAndTakesTheSettings) {
    event(0, ST_CONTROL, 0, 5);  // bank select before program change
    event(0, ST_PROGRAM, 33);
    copyName(app->seq->tracks[1].name, "Bass");
    app->seq->tracks[1].program = 33;
    ASSERT_EQ(copyTrack(*app, 1), 0);
    ASSERT_EQ(pasteTrack(*app, 3), 0);
    EXPECT_EQ(all()[0], (Ev{0, 3, ST_CONTROL, 0, 5, 0}));
    EXPECT_EQ(all()[1], (Ev{0, 3, ST_PROGRAM, 33, 0, 0}));
    EXPECT_STREQ(app->seq->tracks[3].name, "Bass");
    EXPECT_EQ(app->seq->tracks[3].program, 33);
}

TEST_F(BarOps, PadCopyTakesAnyEventOnTheNoteAndPasteRewritesIt) {
    note(0, 36);
    event(10, ST_CONTROL, 36, 77);
    note(20, 38);
    ASSERT_EQ(copyPad(*app, 1, 36), 0);
    eraseAllTracks(*app);
    ASSERT_EQ(pastePad(*app, 2, 40), 0);
    EXPECT_EQ(all(), (std::vector<Ev>{{0, 2, ST_NOTE, 40, 100, 24}, {10, 2, ST_CONTROL, 40, 77, 0}}));
}

TEST_F(BarOps, PasteSelectionDropsNotesAbove127AndStopsAt999Bars) {
    note(0, 60);
    note(10, 70);
    app->selection = {0, BAR, 60, 70, BAR, 120};  // pastes 120 and 130
    ASSERT_EQ(copySelection(*app), 0);
    EXPECT_EQ(pasteSelection(*app), 0);
    EXPECT_EQ(all().size(), 3u);
    EXPECT_EQ(all().back(), (Ev{BAR, 1, ST_NOTE, 120, 100, 24}));
    app->selection.targetTick = 5 * BAR + 1;
    pasteSelection(*app);
    EXPECT_EQ(app->seq->bars, 7u);  // grown to cover the paste
    setBars(MAX_BARS);
    app->selection = {0, 0, 0, 0, MAX_BARS * BAR - 5, 0};
    EXPECT_EQ(pasteSelection(*app), ERR_CANNOT_INPUT);
    EXPECT_EQ(app->seq->bars, uint32_t(MAX_BARS));
    EXPECT_EQ(all().back().time, MAX_BARS * BAR - 5);  // the note 10 ticks later was left out
}

TEST_F(BarOps, CopiesAndMovesStopAtTheWorkBufferSize) {
    note(0, 60);
    copyBars(*app, 0, 1);
    for (int i = 0; i <= WORK_HALF_EVENTS; ++i)  // one more than the half holds, all in bar 2
        insertEvent(*app, 2 * BAR + i / 100, 1, ST_NOTE, uint8_t(i % 100), 90, 12);
    const int32_t count = app->seq->eventCount;
    const std::pair<const char*, std::function<int()>> ops[] = {
        {"copyBars", [&] { return copyBars(*app, 2, 4); }},
        {"copyTrack", [&] { return copyTrack(*app, 1); }},
        {"deleteBars", [&] { return deleteBars(*app, 0, 2); }},
        {"insertBlankBars", [&] { return insertBlankBars(*app, 1, 2); }},
    };
    for (const auto& [name, run] : ops) {
        SCOPED_TRACE(name);
        EXPECT_EQ(run(), ERR_NO_MEMORY);
        EXPECT_EQ(takeError(*app), ERR_NO_MEMORY);
        EXPECT_EQ(app->seq->eventCount, count);
        EXPECT_EQ(app->seq->bars, 4u);
        EXPECT_EQ(app->clipboard.count, 1);  // the clipboard keeps what it held
    }
}

TEST_F(BarOps, UndoTwiceAfterAnEraseRestoresTheEdit) {
    note(0, 60);
    note(BAR, 61);
    ASSERT_EQ(snapshotForUndo(*app), 0);
    eraseBars(*app, 0, 1);
    undo(*app);
    EXPECT_EQ(times(), (std::vector<Tick>{0, BAR}));
    undo(*app);
    EXPECT_EQ(times(), std::vector<Tick>{BAR});
}

TEST_F(BarOps, ErasingKeepsThePlayPointerOnItsEvent) {
    note(0, 60);
    note(10, 61);
    note(20, 62);
    locateTick(*app, 20);
    app->selection = {0, 15, 0, 127, 0, 0};
    EXPECT_TRUE(eraseSelection(*app));
    EXPECT_EQ(app->playIndex, 0);
}

}  // namespace
}  // namespace qz::test
