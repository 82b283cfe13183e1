#include <functional>

#include "song/region_edit.h"
#include "tests/song/edit_fixture.h"

namespace qz::test {
namespace {

constexpr Tick BAR = TICKS_PER_BAR;

using BarOps = EditFixture;

TEST_F(BarOps, DeleteBarsShortensByOneBarWhateverTheRange) {
    struct Case {
        int bars, b1, b2;
        bool allTracks;
        std::vector<Tick> want;  // times left of notes put at the start of bars 0..bars-1
        std::vector<int> wantTracks;
    };
    const Case cases[] = {
        {10, 1, 4, false, {0, 1 * BAR, 2 * BAR, 3 * BAR, 4 * BAR, 5 * BAR, 6 * BAR}, {}},
        {3, 0, 1, false, {0, 1 * BAR}, {}},
        {4, 2, 9, false, {0, BAR}, {}},
        // Other tracks' events stay put outside ALL TRACKS mode (a moved
        // event goes after those already at its tick), and move with it.
        {4, 1, 2, false, {0, BAR, BAR, 2 * BAR, 3 * BAR}, {1, 2, 1, 1, 2}},
        {4, 1, 2, true, {0, BAR, 2 * BAR, 2 * BAR}, {1, 1, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bars " << c.bars << " delete " << c.b1 << ".." << c.b2 << " all "
                                        << c.allTracks);
        eraseAllTracks(*app);
        setBars(c.bars);
        for (int b = 0; b < c.bars; ++b) note(b * BAR, 60 + b);
        if (!c.wantTracks.empty()) {
            note(1 * BAR, 50, 100, 24, 2);
            note(3 * BAR, 51, 100, 24, 2);
        }
        app->allTracks = c.allTracks;
        EXPECT_EQ(deleteBars(*app, c.b1, c.b2), 0);
        app->allTracks = false;
        EXPECT_EQ(int(app->seq->bars), c.bars - 1);
        EXPECT_EQ(app->lengthTicks, (c.bars - 1) * BAR);
        EXPECT_EQ(times(), c.want);
        if (!c.wantTracks.empty()) {
            std::vector<int> tracks;
            for (const Ev& e : all()) tracks.push_back(e.track);
            EXPECT_EQ(tracks, c.wantTracks);
        }
    }
    // Bar 5 (index 4) landed on bar 2 (index 1) in the first case: checked by
    // its note number here.
    eraseAllTracks(*app);
    setBars(10);
    for (int b = 0; b < 10; ++b) note(b * BAR, 60 + b);
    deleteBars(*app, 1, 4);
    EXPECT_EQ(all()[1], (Ev{BAR, 1, ST_NOTE, 64, 100, 24}));
}

TEST_F(BarOps, DeleteBarsOnOneBarDoesNothing) {
    setBars(1);
    note(10, 60);
    EXPECT_EQ(deleteBars(*app, 0, 1), 0);
    EXPECT_EQ(app->seq->bars, 1u);
    EXPECT_EQ(all().size(), 1u);
}

TEST_F(BarOps, EraseKeepsNotesStartingBeforeTheRange) {
    note(BAR - 10, 60, 100, 200);      // sounds into bar 1
    note(2 * BAR - 5, 61, 100, 300);   // starts in the last erased bar
    note(2 * BAR, 62);                 // first tick after the range
    event(BAR + 5, 1, ST_CONTROL, 7, 90);
    note(BAR + 6, 40, 90, 24, 2);      // another track
    eraseBars(*app, 1, 2);
    EXPECT_EQ(all(), (std::vector<Ev>{{BAR - 10, 1, ST_NOTE, 60, 100, 200},
                                      {BAR + 6, 2, ST_NOTE, 40, 90, 24},
                                      {2 * BAR, 1, ST_NOTE, 62, 100, 24}}));
}

TEST_F(BarOps, InsertBlankBarsMovesTheTailAndLeavesItInTheClipboard) {
    note(0, 60);
    note(3 * BAR + 10, 61);
    insertEventRecord(*app, SeqEvent{BAR, TEMPO_TRACK, ST_TEMPO, 0, 0, 1000, 600000});
    EXPECT_EQ(insertBlankBars(*app, 1, 3), 0);
    EXPECT_EQ(times(), (std::vector<Tick>{0, BAR, 5 * BAR + 10}));  // the tempo track is not the current one
    EXPECT_EQ(app->seq->bars, 6u);
    EXPECT_EQ(app->clipboard.mode, CLIP_BARS);
    ASSERT_EQ(app->clipboard.count, 1);
    EXPECT_EQ(app->work->secondHalf()[0].time, 2 * BAR + 10);

    // An empty last bar: exactly one more bar.
    setBars(7);
    EXPECT_EQ(insertBlankBars(*app, 6, 8), 0);
    EXPECT_EQ(app->seq->bars, 8u);
    EXPECT_EQ(app->clipboard.count, 0);
}

TEST_F(BarOps, InsertBlankBarsNeverPasses999Bars) {
    setBars(MAX_BARS);
    note(998 * BAR, 60);
    EXPECT_EQ(insertBlankBars(*app, 0, 1), ERR_CANNOT_INPUT);
    EXPECT_EQ(times(), std::vector<Tick>{998 * BAR});
    EXPECT_EQ(app->seq->bars, uint32_t(MAX_BARS));
    eraseAllTracks(*app);
    EXPECT_EQ(insertBlankBars(*app, 500, 501), 0);  // nothing behind: no growth past 999
    EXPECT_EQ(app->seq->bars, uint32_t(MAX_BARS));

    // A bar paste near the end keeps what fits.
    setBars(4);
    note(0, 61);
    note(BAR + 1, 62);
    copyBars(*app, 0, 2);
    EXPECT_EQ(pasteBars(*app, 998), ERR_CANNOT_INPUT);
    EXPECT_EQ(app->seq->bars, uint32_t(MAX_BARS));
    EXPECT_EQ(times(), (std::vector<Tick>{0, BAR + 1, 998 * BAR}));
}

TEST_F(BarOps, EachPasteTakesOnlyItsOwnMode) {
    note(0, 60);
    app->selection = {0, BAR, 0, 127, 2 * BAR, 60};
    const std::pair<const char*, std::function<void()>> copies[] = {
        {"track", [&] { copyTrack(*app, 1); }},
        {"pad", [&] { copyPad(*app, 1, 60); }},
        {"selection", [&] { copySelection(*app); }},
        {"bars", [&] { copyBars(*app, 0, 1); }},
    };
    const std::pair<const char*, std::function<void()>> pastes[] = {
        {"track", [&] { pasteTrack(*app, 2); }},
        {"pad", [&] { pastePad(*app, 2, 40); }},
        {"selection", [&] { pasteSelection(*app); }},
        {"bars", [&] { pasteBars(*app, 3); }},
    };
    for (int c = 0; c < 4; ++c) {
        for (int p = 0; p < 4; ++p) {
            SCOPED_TRACE(testing::Message() << "copy " << copies[c].first << ", paste " << pastes[p].first);
            copies[c].second();
            pastes[p].second();
            EXPECT_EQ(all().size(), c == p ? 2u : 1u);
            for (int32_t i = app->seq->eventCount - 1; i >= 0; --i) {
                const SeqEvent& e = seqEvents(app->seq)[i];
                if (e.time != 0 || e.track != 1 || e.data1 != 60) removeEvent(*app, i);
            }
        }
    }
}

TEST_F(BarOps, PasteTrackTakesEventsInOrderAndSettings) {
    event(0, 1, ST_CONTROL, 0, 5);  // bank select before program change
    event(0, 1, ST_PROGRAM, 33);
    note(BAR, 60);
    copyName(app->seq->tracks[1].name, "Bass");
    app->seq->tracks[1].program = 33;
    ASSERT_EQ(copyTrack(*app, 1), 0);
    ASSERT_EQ(pasteTrack(*app, 3), 0);
    std::vector<Ev> got = all();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0], (Ev{0, 3, ST_CONTROL, 0, 5, 0}));
    EXPECT_EQ(got[1], (Ev{0, 3, ST_PROGRAM, 33, 0, 0}));
    EXPECT_STREQ(app->seq->tracks[3].name, "Bass");
    EXPECT_EQ(app->seq->tracks[3].program, 33);
}

TEST_F(BarOps, PadCopyTakesAnyEventOnTheNoteAndPasteRewritesIt) {
    note(0, 36);
    event(10, 1, ST_CONTROL, 36, 77);
    note(20, 38);
    ASSERT_EQ(copyPad(*app, 1, 36), 0);
    EXPECT_EQ(app->clipboard.count, 2);
    eraseAllTracks(*app);
    ASSERT_EQ(pastePad(*app, 2, 40), 0);
    EXPECT_EQ(all(), (std::vector<Ev>{{0, 2, ST_NOTE, 40, 100, 24}, {10, 2, ST_CONTROL, 40, 77, 0}}));
}

TEST_F(BarOps, PasteSelectionDropsNotesAbove127AndStopsAt999Bars) {
    note(0, 60);
    note(10, 70);
    app->selection = {0, BAR, 60, 70, 0, 0};
    ASSERT_EQ(copySelection(*app), 0);
    app->selection.targetTick = BAR;
    app->selection.targetNote = 120;  // 120 and 130
    EXPECT_EQ(pasteSelection(*app), 0);
    EXPECT_EQ(all().back(), (Ev{BAR, 1, ST_NOTE, 120, 100, 24}));
    EXPECT_EQ(all().size(), 3u);

    // Growth covers the paste; at the end it stops at 999 bars.
    app->selection.targetTick = 5 * BAR + 1;
    app->selection.targetNote = 0;
    pasteSelection(*app);
    EXPECT_EQ(app->seq->bars, 7u);
    setBars(MAX_BARS);
    app->selection.targetTick = MAX_BARS * BAR - 5;
    EXPECT_EQ(pasteSelection(*app), ERR_CANNOT_INPUT);
    EXPECT_EQ(app->seq->bars, uint32_t(MAX_BARS));
    EXPECT_EQ(all().back().time, MAX_BARS * BAR - 5);  // the note at +10 was left out
}

// 32769 events of track 1 in bar 2, one more than the work buffer's half.
void fillPastWorkHalf(AppState& app) {
    for (int i = 0; i <= WORK_HALF_EVENTS; ++i)
        insertEvent(app, 2 * BAR + i / 100, 1, ST_NOTE, uint8_t(i % 100), 90, 12);
}

TEST_F(BarOps, CopiesAndMovesStopAtTheWorkBufferSize) {
    note(0, 60);
    copyBars(*app, 0, 1);
    fillPastWorkHalf(*app);
    const int32_t count = app->seq->eventCount;
    const struct {
        const char* name;
        std::function<int()> run;
    } ops[] = {
        {"copyBars", [&] { return copyBars(*app, 2, 4); }},
        {"copyTrack", [&] { return copyTrack(*app, 1); }},
        {"deleteBars", [&] { return deleteBars(*app, 0, 2); }},
        {"insertBlankBars", [&] { return insertBlankBars(*app, 1, 2); }},
    };
    for (const auto& op : ops) {
        SCOPED_TRACE(op.name);
        EXPECT_EQ(op.run(), ERR_NO_MEMORY);
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
    EXPECT_EQ(times(), std::vector<Tick>{BAR});
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
    ASSERT_EQ(app->engine.playIndex, 2);
    app->selection = {0, 15, 0, 127, 0, 0};
    EXPECT_TRUE(eraseSelection(*app));
    EXPECT_EQ(app->engine.playIndex, 0);
    EXPECT_EQ(all()[0].data1, 62);
}

}  // namespace
}  // namespace qz::test
