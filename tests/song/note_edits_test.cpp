#include "tests/song/edit_fixture.h"

namespace qz::test {
namespace {

using NoteEdits = EditFixture;

TEST_F(NoteEdits, TimingCorrectMovesOneNote) {
    struct Case {
        int grid, swing, strength, shift;
        Tick in, out;
    };
    const Case cases[] = {
        {24, 50, 100, 0, 13, 24}, {24, 50, 100, 0, 11, 0},  {24, 50, 100, 0, 12, 24},  {24, 75, 100, 0, 24, 36},
        {24, 75, 100, 0, 48, 48}, {32, 75, 100, 0, 32, 32},  // triplets take no swing
        {48, 50, 50, 0, 20, 10},  {48, 50, 0, 7, 20, 27},   {1, 50, 100, -10, 5, 0},   {1, 50, 100, 10, 5, 15},
        {24, 50, 100, 40, 4 * BAR - 30, 4 * BAR},  // held at the sequence end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "grid " << c.grid << " swing " << c.swing << " strength " << c.strength
                                        << " shift " << c.shift << " tick " << c.in);
        eraseAllTracks(*app);
        note(c.in, 60);
        ASSERT_EQ(snapshotForUndo(*app), 0);
        EXPECT_EQ(timingCorrect(*app, 1, 0, 127, 0, app->lengthTicks, c.grid, c.shift, c.swing, c.strength), 0);
        EXPECT_EQ(times(), std::vector<Tick>{c.out});
    }
}

TEST_F(NoteEdits, TimingCorrectDropsCollidedNotesOnly) {
    note(22, 60);
    note(25, 60);
    note(25, 61);
    note(25, 60, 100, 24, 2);  // same number on another track: another note
    note(30, 62);              // above the chosen notes
    event(24, ST_CONTROL, 7, 90);
    ASSERT_EQ(snapshotForUndo(*app), 0);
    timingCorrect(*app, 0, 0, 61, 0, app->lengthTicks, 24, 0, 50, 100);
    EXPECT_EQ(all(), (std::vector<Ev>{{24, 1, ST_NOTE, 60, 100, 24}, {24, 1, ST_NOTE, 61, 100, 24},
                                      {24, 2, ST_NOTE, 60, 100, 24}, {24, 1, ST_CONTROL, 7, 90, 0},
                                      {30, 1, ST_NOTE, 62, 100, 24}}));
    for (int32_t i = 0; i < app->undoCopy->eventCount; ++i) EXPECT_NE(seqEvents(app->undoCopy)[i].status, ST_TAKEN);
}

TEST_F(NoteEdits, TimingCorrectOnOnePadLeavesTheOtherNotes) {
    note(13, 36);
    note(13, 38);
    note(BAR + 13, 36);
    ASSERT_EQ(snapshotForUndo(*app), 0);
    timingCorrect(*app, 1, 36, 36, 0, BAR, 24, 0, 50, 100);
    EXPECT_EQ(times(), (std::vector<Tick>{13, 24, BAR + 13}));
    EXPECT_EQ(all()[1].data1, 36);
}

TEST_F(NoteEdits, TimingCorrectPastTheWorkBufferLosesNoNote) {
    setBars(200);
    const int32_t n = 2 * WORK_HALF_EVENTS + 1;
    for (int32_t i = 0; i < n; ++i) insertEvent(*app, 1 + i / 100 * 2, 1, ST_NOTE, uint8_t(i % 100), 90, 12);
    copyBars(*app, 0, 1);
    ASSERT_EQ(snapshotForUndo(*app), 0);
    EXPECT_EQ(timingCorrect(*app, 1, 0, 127, 0, app->lengthTicks, 1, -1, 50, 100), ERR_NO_MEMORY);
    EXPECT_EQ(app->seq->eventCount, n);
    EXPECT_EQ(seqEvents(app->seq)[0].time, 0);
    EXPECT_EQ(seqEvents(app->seq)[n - 1].time, 1 + (n - 1) / 100 * 2);  // not reached: not moved
    EXPECT_EQ(app->clipboard.mode, CLIP_NONE);                           // the gathering ran over it
}

TEST_F(NoteEdits, VelocityAndDurationArithmetic) {
    struct Case {
        bool duration;
        uint32_t mode;
        int32_t value;
        uint32_t before, after;
    };
    const Case cases[] = {
        {false, EDIT_PERCENT, 150, 100, 127}, {false, EDIT_PERCENT, 1, 50, 1}, {false, EDIT_ADD, 30, 100, 127},
        {false, EDIT_SUB, 30, 20, 1},         {false, EDIT_SET, 200, 5, 127},  {true, EDIT_SUB, 500, 100, 1},
        {true, EDIT_ADD, 9000, 5000, 9999},   {true, EDIT_PERCENT, 200, 9000, 9999}, {true, EDIT_PERCENT, 50, 101, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.duration ? "duration " : "velocity ") << c.mode << " " << c.value
                                        << " on " << c.before);
        eraseAllTracks(*app);
        note(0, 60, c.duration ? 100 : int(c.before), c.duration ? c.before : 24);
        note(BAR, 60, 100, 100);  // outside the ticks
        if (c.duration) editDuration(*app, 1, 0, 127, 0, BAR, c.mode, c.value);
        else editVelocity(*app, 1, 0, 127, 0, BAR, c.mode, c.value);
        EXPECT_EQ(c.duration ? all()[0].value : uint32_t(all()[0].data2), c.after);
        EXPECT_EQ(all()[1], (Ev{BAR, 1, ST_NOTE, 60, 100, 100}));
    }
}

TEST_F(NoteEdits, ChangeBarsCutsAtTheNewEnd) {
    setBars(12);
    note(3 * BAR + 100, 60, 100, 2000);  // in bar 4, sounding past the new end
    note(4 * BAR, 61);
    note(7 * BAR, 62);
    locateTick(*app, 9 * BAR);  // bar 10
    app->engine.loopOn = true;
    applyNewBars(*app, 4);
    EXPECT_EQ(app->lengthTicks, 1536);
    EXPECT_EQ(all(), (std::vector<Ev>{{3 * BAR + 100, 1, ST_NOTE, 60, 100, 2000}}));
    EXPECT_EQ(seqEvents(app->seq)[1].time, 0);  // freed records are cleared
    EXPECT_EQ(app->engine.position.load(), 1536);
    EXPECT_FALSE(app->engine.loopOn);

    selectSequence(*app, 2);  // an empty slot: only the default's bar count changes
    const int32_t length = app->lengthTicks;
    applyNewBars(*app, 0);
    EXPECT_EQ(app->settings.defaultSequence.bars, 1u);
    EXPECT_EQ(app->lengthTicks, length);
    EXPECT_EQ(app->slots[2], nullptr);
}

}  // namespace
}  // namespace qz::test
