// Recording while the transport runs: timing-corrected filing, REC and OVER
// DUB, playback of the recording, the sustain pedal, notes held past the
// stop, WAIT FOR KEY and the merge.
#include "tests/engine/recording_fixture.h"

namespace qz::test {
namespace {

using Recording = RecordingFixture;

TEST_F(Recording, KeysAreFiledAtTheTimingCorrectedTick) {
    // 1/16 with swing 75 %: the odd sixteenths move 12 ticks later.
    settingStore(app.settings.tcIndex, 3);
    settingStore(app.settings.swing, 25);
    struct Case {
        Tick played;
        Tick recorded;
        int note;
    };
    const Case cases[] = {{11, 0, 40}, {12, 36, 41}, {30, 36, 42}, {100, 96, 43}, {130, 132, 44}};
    startRecording(RECORD_OVER_DUB);
    for (const Case& c : cases) {
        runTo(c.played);
        keyOn(c.note);
        runTicks(2);
        keyOff(c.note);
    }
    runTicks(10);
    stopTransport(app);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), std::size(cases));
    for (const Case& c : cases) {
        bool found = false;
        for (const SeqEvent& e : notes)
            if (e.data1 == c.note) {
                found = true;
                EXPECT_EQ(e.time, c.recorded) << "played at " << c.played;
                EXPECT_EQ(e.data2, 100);
                EXPECT_EQ(e.value, 2u) << "held two ticks";
            }
        EXPECT_TRUE(found) << "note " << c.note;
    }
}

TEST_F(Recording, RecFirstPassReplacesTheTrackAndLaterPassesAdd) {
    note(0, 1, 60, 90, 20);
    note(96, 1, 62, 90, 20);
    note(288, 1, 64, 90, 20);
    note(96, 2, 70, 90, 20);  // another track stays
    loopBars(0, 1);
    startRecording(RECORD_REC);
    runTo(48);
    keyOn(50);
    runTicks(5);
    keyOff(50);
    runTo(383);
    EXPECT_EQ(app.engine.recordMode.load(), RECORD_REC);
    runTicks(2);  // the wrap
    EXPECT_EQ(app.engine.recordMode.load(), RECORD_OVER_DUB) << "REC turns into OVER DUB at the first wrap";
    runTo(144);
    keyOn(52);
    runTicks(5);
    keyOff(52);
    runTo(300);
    stopTransport(app);

    std::vector<std::pair<Tick, int>> got;
    for (const SeqEvent& e : eventsOf(1)) got.push_back({e.time, e.data1});
    EXPECT_EQ(got, (std::vector<std::pair<Tick, int>>{{48, 50}, {144, 52}}));
    ASSERT_EQ(eventsOf(2).size(), 1u);
    // The old block is the undo copy, without removal marks.
    ASSERT_NE(app.undoCopy, nullptr);
    EXPECT_EQ(app.undoCopy->eventCount, 4);
    for (int32_t i = 0; i < app.undoCopy->eventCount; ++i) EXPECT_LT(seqEvents(app.undoCopy)[i].track, 19);
}

TEST_F(Recording, ANoteOfPassOneSoundsFromTheBufferInPassTwoOnly) {
    settingStore(app.settings.tcIndex, 3);
    loopBars(0, 1);
    startRecording(RECORD_OVER_DUB);
    runTo(30);
    keyOn(60);  // recorded at 24, before the position
    runTo(40);
    keyOff(60);
    keyOn(61);  // recorded at 48, after the position
    runTo(45);
    keyOff(61);
    runTo(383);
    EXPECT_EQ(noteOnTimes(60).size(), 1u) << "thru only";
    EXPECT_EQ(noteOnTimes(61).size(), 1u) << "thru only, not again at tick 48";
    runTicks(1);
    uint32_t wrapMs = app.engine.msClock.load();
    runTo(100);
    ASSERT_EQ(noteOnTimes(60).size(), 2u);
    ASSERT_EQ(noteOnTimes(61).size(), 2u);
    // From the buffer at the corrected ticks of the second pass (about 5.2 ms a tick).
    EXPECT_NEAR(double(noteOnTimes(60)[1] - wrapMs), 24 * 5.208, 7);
    EXPECT_NEAR(double(noteOnTimes(61)[1] - wrapMs), 48 * 5.208, 7);
    stopTransport(app);
    EXPECT_EQ(eventsOf(1).size(), 2u);
}

TEST_F(Recording, TheSustainPedalDefersNoteOffs) {
    startRecording(RECORD_OVER_DUB);
    runTo(10);
    keyOn(60);
    runTo(20);
    send(0xB0, 64, 127);
    runTo(30);
    keyOff(60);
    keyOn(62);
    runTo(35);
    keyOff(62);
    size_t offsBefore = 0;
    for (const MemoryPortEntry& e : ports.log) offsBefore += (e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] == 0;
    runTo(50);
    send(0xB0, 64, 0);
    runTo(60);
    size_t offsAfter = 0;
    for (const MemoryPortEntry& e : ports.log) offsAfter += (e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] == 0;
    EXPECT_EQ(offsBefore, 0u) << "no thru note-off while the pedal is down";
    EXPECT_EQ(offsAfter, 2u);
    stopTransport(app);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].time, 10);
    EXPECT_EQ(notes[0].value, 40u);
    EXPECT_EQ(notes[1].time, 30);
    EXPECT_EQ(notes[1].value, 20u);
    EXPECT_TRUE(eventsOf(1, ST_CONTROL).empty()) << "the pedal is neither recorded";
}

TEST_F(Recording, AKeyHeldPastTheStopIsClosedAtTheStopWithinTheLimits) {
    // Up to the stop.
    startRecording(RECORD_OVER_DUB);
    runTo(100);
    keyOn(60);
    runTo(250);
    stopTransport(app);
    ASSERT_EQ(eventsOf(1).size(), 1u);
    EXPECT_EQ(eventsOf(1)[0].value, 150u);

    // Not past the loop end.
    loopBars(1, 1);
    startRecording(RECORD_OVER_DUB, 384);
    runTo(700);
    keyOn(61);
    runTicks(200);  // wraps to 384 and goes on to 516
    stopTransport(app);
    bool found = false;
    for (const SeqEvent& e : eventsOf(1))
        if (e.data1 == 61) {
            found = true;
            EXPECT_EQ(e.time, 700);
            EXPECT_EQ(e.value, 68u) << "cut at the loop end";
        }
    EXPECT_TRUE(found);

    // At most 9999 ticks.
    app.engine.loopOn.store(false);
    setBars(40);
    startRecording(RECORD_OVER_DUB);
    runTo(5);
    keyOn(62);
    runTo(10500);
    stopTransport(app);
    found = false;
    for (const SeqEvent& e : eventsOf(1))
        if (e.data1 == 62) {
            found = true;
            EXPECT_EQ(e.value, 9999u);
        }
    EXPECT_TRUE(found);
}

TEST_F(Recording, WaitForKeyHoldsThePositionUntilTheFirstNote) {
    app.engine.recordMode.store(RECORD_OVER_DUB);
    app.engine.waitForKey.store(true);
    locateTick(app, 96);
    startWithCountIn(app);
    simAdvance(sim, 500);
    EXPECT_EQ(pos(), 96);
    EXPECT_TRUE(app.engine.waitingForKey.load());
    send(0xB0, 1, 50);  // a controller does not start it
    simAdvance(sim, 20);
    EXPECT_EQ(pos(), 96);
    keyOn(60);
    EXPECT_FALSE(app.engine.waitingForKey.load());
    simAdvance(sim, 100);
    EXPECT_GT(pos(), 110);
    keyOff(60);
    runTicks(3);
    stopTransport(app);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].time, 96);
}

TEST_F(Recording, TheMergeOrdersSequenceThenNotesThenEventsAndEmptiesTheClipboard) {
    note(0, 1, 50, 90, 20);
    app.clipboard.mode = CLIP_NOTES;
    app.clipboard.count = 3;
    startRecording(RECORD_OVER_DUB);
    keyOn(60);
    send(0xB0, 1, 64);
    send(0xE0, 0, 80);
    runTicks(4);
    keyOff(60);
    runTicks(4);
    stopTransport(app);
    const SeqEvent* ev = seqEvents(app.seq);
    ASSERT_EQ(app.seq->eventCount, 4);
    EXPECT_EQ(ev[0].data1, 50) << "the sequence's event first";
    EXPECT_EQ(ev[1].status, ST_NOTE);
    EXPECT_EQ(ev[1].data1, 60);
    EXPECT_EQ(ev[2].status, ST_CONTROL);
    EXPECT_EQ(ev[3].status, ST_PITCH_BEND);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ev[i].time, 0);
    EXPECT_EQ(app.seq->modified, 1u);
    EXPECT_EQ(app.clipboard.mode, CLIP_NONE);
    ASSERT_NE(app.undoCopy, nullptr);
    EXPECT_EQ(app.undoCopy->eventCount, 1);
    undo(app);
    EXPECT_EQ(app.seq->eventCount, 1);
}

TEST_F(Recording, NothingIsRecordedWithoutARecordModeAndTheRingIsDiscarded) {
    locateTick(app, 0);
    run(app);
    keyOn(60);
    runTicks(3);
    keyOff(60);
    runTicks(3);
    EXPECT_TRUE(ringEmpty(app.rec.inputRing));
    stopTransport(app);
    EXPECT_EQ(app.seq->eventCount, 0);
    EXPECT_EQ(app.undoCopy, nullptr);
    EXPECT_EQ(noteOnTimes(60).size(), 1u) << "echoed all the same";
}

TEST_F(Recording, AFullNoteBufferStopsTheTransportAndKeepsWhatWasRecorded) {
    startRecording(RECORD_OVER_DUB);
    runTo(10);
    app.rec.noteEnd = WORK_HALF_EVENTS;  // as if full of earlier passes
    for (int32_t i = 0; i < WORK_HALF_EVENTS; ++i)
        app.work->firstHalf()[i] = SeqEvent{0, 2, ST_NOTE, uint8_t(i % 128), 80, 1, 0};
    keyOn(60);
    runTicks(1);
    EXPECT_FALSE(app.engine.playing.load());
    EXPECT_EQ(app.rec.noteBufferFull.load(), 1u);
    pollEngine(app);  // the window thread stops and merges
    EXPECT_EQ(app.seq->eventCount, WORK_HALF_EVENTS);
    EXPECT_EQ(app.rec.noteEnd, 0);
}

TEST_F(Recording, OverDubReplacesANoteAtTheSameTickAndItDoesNotSoundTwice) {
    settingStore(app.settings.tcIndex, 3);
    note(48, 1, 60, 50, 30);
    note(48, 1, 61, 50, 30);  // another number stays
    startRecording(RECORD_OVER_DUB);
    runTo(44);
    keyOn(60, 110);  // corrected to 48
    runTo(60);
    keyOff(60);
    runTo(100);
    EXPECT_EQ(noteOnTimes(60).size(), 1u) << "the thru only: the replaced note is not played at 48";
    stopTransport(app);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 2u);
    for (const SeqEvent& e : notes) {
        EXPECT_EQ(e.time, 48);
        EXPECT_EQ(e.data2, e.data1 == 60 ? 110 : 50);
    }
}

TEST_F(Recording, GridEditsOfTheNoteBufferWhileRecording) {
    loopBars(0, 1);
    startRecording(RECORD_OVER_DUB);
    runTo(50);
    ASSERT_GE(recordInsertNote(app, 20, 1, 64, 90, 0), 0);  // open: held from now
    ASSERT_GE(recordInsertNote(app, 200, 1, 65, 90, 24), 0);
    ASSERT_GE(recordInsertNote(app, 300, 1, 66, 90, 24), 0);
    EXPECT_EQ(recordInsertNote(app, app.lengthTicks, 1, 67, 90, 24), -1) << "not past the sequence end";
    int32_t near = recordFindNote(app, 205, 10);
    ASSERT_GE(near, 0);
    EXPECT_EQ(app.work->firstHalf()[near].data1, 65);
    EXPECT_EQ(recordFindNote(app, 250, 10), -1);
    runTicks(30);
    recordCloseNote(app, 1, 64);
    removeRecordedNotes(app, 1, 250, 384, 0, 127);
    EXPECT_EQ(app.rec.notePlay, app.rec.noteLoop) << "the playback point goes back to the loop start";
    runTicks(600);  // on into the next pass, which plays what is left
    EXPECT_EQ(noteOnTimes(64).size(), 1u);
    EXPECT_EQ(noteOnTimes(65).size(), 2u) << "heard once in each pass from the buffer";
    EXPECT_EQ(noteOnTimes(66).size(), 0u);
    stopTransport(app);
    std::vector<std::pair<Tick, uint32_t>> got;
    for (const SeqEvent& e : eventsOf(1)) got.push_back({e.time, e.value});
    EXPECT_EQ(got, (std::vector<std::pair<Tick, uint32_t>>{{20, 30}, {200, 24}}));
}

}  // namespace
}  // namespace qz::test
