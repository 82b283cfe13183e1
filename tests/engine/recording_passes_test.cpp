// Recording across stops, starts and loop passes: what a take keeps, how
// long its notes are, what a later pass adds, and what PANIC and NOTE ERASE
// leave behind.
#include "tests/engine/recording_fixture.h"

namespace qz::test {
namespace {

using RecordingPasses = RecordingFixture;

int countNotes(const std::vector<SeqEvent>& notes, int n) {
    int k = 0;
    for (const SeqEvent& e : notes) k += e.data1 == n ? 1 : 0;
    return k;
}

TEST_F(RecordingPasses, InputWaitingAtTheStopBelongsToThatTakeOnly) {
    // A key played during a count-in that is stopped early was never recorded.
    settingStore(app.settings.recCountIn, 1);
    app.engine.recordMode.store(RECORD_OVER_DUB);
    locateTick(app, 0);
    startWithCountIn(app);
    simAdvance(sim, 200);
    keyOn(60);
    keyOff(60);
    stopTransport(app);
    EXPECT_EQ(countNotes(eventsOf(1), 60), 0);

    // A key pressed less than a tick before STOP is in that take.
    settingStore(app.settings.recCountIn, 0);
    startRecording(RECORD_OVER_DUB);
    runTo(100);
    keyOn(61);
    stopTransport(app);
    keyOff(61);
    auto first = eventsOf(1);
    ASSERT_EQ(countNotes(first, 61), 1);
    EXPECT_EQ(first[0].time, 100);

    // Neither comes back in the next take.
    startRecording(RECORD_OVER_DUB);
    runTo(3 * TICKS_PER_BAR);
    stopTransport(app);
    auto second = eventsOf(1);
    EXPECT_EQ(countNotes(second, 60), 0);
    EXPECT_EQ(countNotes(second, 61), 1);
}

TEST_F(RecordingPasses, TheMergeShortensOnlyNotesStillHeldAtTheStop) {
    struct Case {
        const char* what;
        uint32_t durationRow;  // 0: as held
        Tick press, release;   // release counts ticks from the start; -1: held at the stop
        Tick stopAt;
        uint32_t stored;
    };
    const Case cases[] = {
        {"fixed 2 bars in a 1-bar loop", 1, 10, 20, 200, 768},
        {"released across the wrap", 0, 370, 384 + 20, 384 + 100, 34},
        {"held at the stop, cut at the loop end", 0, 300, -1, 384 + 380, 84},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settingStore(app.settings.recDuration, c.durationRow);
        loopBars(0, 1);
        startRecording(RECORD_OVER_DUB);
        runTo(c.press);
        keyOn(70);
        if (c.release >= 0) {
            runTicks(uint32_t(c.release - c.press));
            keyOff(70);
        }
        runTicks(uint32_t(c.stopAt - (c.release >= 0 ? c.release : c.press)));
        stopTransport(app);
        auto notes = eventsOf(1);
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_EQ(notes[0].time, c.press);
        EXPECT_EQ(notes[0].value, c.stored);
        keyOff(70);
        while (eventCount(app) > 0) removeEvent(app, 0);
    }
}

TEST_F(RecordingPasses, ASnappedKeyOnTheEndOfAGrowingSequenceIsKept) {
    setBars(2);
    settingStore(app.settings.seqLoop, 0);
    settingStore(app.settings.tcIndex, 1);  // 1/8: 760 snaps to 768
    settingStore(app.settings.swing, 0);
    startRecording(RECORD_OVER_DUB);
    runTo(760);
    keyOn(64);
    runTicks(4);
    keyOff(64);
    runTo(800);
    stopTransport(app);
    EXPECT_EQ(app.seq->bars, 3u);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].time, 768);
}

TEST_F(RecordingPasses, ControllersOfALaterPassJoinThoseOfEarlierPasses) {
    loopBars(0, 1);
    startRecording(RECORD_OVER_DUB);
    runTo(100);
    send(0xB0, 1, 10);
    runTo(200);
    send(0xB0, 1, 20);
    runTo(383);
    runTicks(1 + 50);  // into pass 2
    send(0xB0, 1, 5);
    runTo(300);
    stopTransport(app);
    std::vector<std::pair<Tick, int>> got;
    for (const SeqEvent& e : eventsOf(1, ST_CONTROL)) got.push_back({e.time, e.data2});
    EXPECT_EQ(got, (std::vector<std::pair<Tick, int>>{{50, 5}, {100, 10}, {200, 20}}));
}

TEST_F(RecordingPasses, ANoteReplayedWhileItsKeyIsHeldEndsWithTheKey) {
    settingStore(app.settings.midiThru, 0);  // only the replay sounds
    loopBars(0, 1);
    startRecording(RECORD_OVER_DUB);
    runTo(10);
    keyOn(60);
    runTo(383);
    runTicks(1 + 20);  // pass 2 has replayed it at 10, still held
    ports.log.clear();
    keyOff(60);
    runTicks(3);
    int offs = 0;
    for (const MemoryPortEntry& e : ports.log) offs += (e.bytes[0] & 0xF0) == 0x90 && e.bytes[1] == 60 && !e.bytes[2];
    EXPECT_EQ(offs, 1) << "the replayed note ends when the key is released";
    stopTransport(app);
}

TEST_F(RecordingPasses, NoteEraseWithTheLoopOffStartsAtTheSequenceStart) {
    setBars(2);
    note(10, 1, 60, 90, 20);
    note(500, 1, 60, 90, 20);
    loopBars(1, 1);  // leaves the loop index at bar 2
    app.engine.loopOn.store(false);
    computeLoopPoints(app);
    startRecording(RECORD_OVER_DUB);
    runTo(5);
    ASSERT_TRUE(noteEraseAvailable(app));
    pressNoteErase(app, true);
    keyOn(60);
    noteEraseFrame(app);
    keyOff(60);
    pressNoteErase(app, false);
    stopTransport(app);
    EXPECT_TRUE(eventsOf(1).empty());
}

TEST_F(RecordingPasses, PanicForgetsTheHeldKeys) {
    keyOn(60);
    keyOn(64);
    ASSERT_TRUE(anyKeyHeld(app));
    allNotesOffEverywhere(app);
    EXPECT_FALSE(anyKeyHeld(app));
    EXPECT_FALSE(keyHeld(app, 60));
}

}  // namespace
}  // namespace qz::test
