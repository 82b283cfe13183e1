// Recording while stopped and the helpers of live playing: STEP mode, note
// repeat, NOTE ERASE, the live queue and the chord entry points.
#include "program/program.h"
#include "tests/engine/recording_fixture.h"

namespace qz::test {
namespace {

using StepRecord = RecordingFixture;

TEST_F(StepRecord, StepModeInsertsAtTheCursorAndAReleasedChordAdvancesOneStep) {
    settingStore(app.settings.tcIndex, 3);
    app.engine.recordMode.store(RECORD_STEP);
    locateTick(app, 96);
    keyOn(60);
    simAdvance(sim, 30);
    keyOn(64);
    pollEngine(app);
    simAdvance(sim, 50);
    keyOff(60);
    pollEngine(app);
    EXPECT_EQ(pos(), 96) << "a key is still held";
    keyOff(64);
    pollEngine(app);
    EXPECT_EQ(pos(), 120);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].time, 96);
    EXPECT_EQ(notes[1].time, 96);
    EXPECT_FALSE(isOpenNote(notes[0]));
    EXPECT_FALSE(isOpenNote(notes[1]));
    // Held for 80 and 50 ms: about 15 and 9 ticks at 120 bpm.
    EXPECT_NEAR(double(notes[0].value), 80 / 5.208, 1.5);
    EXPECT_NEAR(double(notes[1].value), 50 / 5.208, 1.5);

    // A fixed duration moves on by that duration (Duration "1/4-3": 64).
    settingStore(app.settings.recDuration, 5);
    keyOn(67);
    keyOff(67);
    pollEngine(app);
    EXPECT_EQ(pos(), 184);
    notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[2].time, 120);
    EXPECT_EQ(notes[2].value, 64u);
}

TEST_F(StepRecord, StepModeWrapsAtTheLoopEnd) {
    settingStore(app.settings.tcIndex, 1);  // 1/8
    loopBars(1, 1);
    app.engine.recordMode.store(RECORD_STEP);
    locateTick(app, 720);
    keyOn(60);
    keyOff(60);
    pollEngine(app);
    EXPECT_EQ(pos(), 384);
}

TEST_F(StepRecord, NoteRepeatFiresOnTheGridWhileRunning) {
    settingStore(app.settings.tcIndex, 3);
    pressNoteRepeat(app, true);
    startRecording(RECORD_OVER_DUB);
    runTo(5);
    keyOn(42);
    runTo(100);
    keyOff(42);
    runTo(130);
    pressNoteRepeat(app, false);
    stopTransport(app);
    std::vector<Tick> times;
    for (const SeqEvent& e : eventsOf(1)) {
        times.push_back(e.time);
        EXPECT_EQ(e.value, 8u);
        EXPECT_EQ(e.data2, 127);
    }
    EXPECT_EQ(times, (std::vector<Tick>{24, 48, 72, 96}));
    EXPECT_EQ(noteOnTimes(42).size(), 4u) << "the key itself is not echoed";
}

TEST_F(StepRecord, NoteRepeatWhileStoppedTurnsOnTimingCorrectAndStepsThroughThePadRing) {
    settingStore(app.settings.tcIndex, 0);
    pressNoteRepeat(app, true);
    EXPECT_EQ(settingLoad(app.settings.tcIndex), 1u) << "1/8 when it was off";
    app.engine.recordMode.store(RECORD_STEP);
    locateTick(app, 0);
    keyOn(50);
    // 48 ticks of 5.2 ms: a repeat at once, another after 250 ms.
    for (int i = 0; i < 130; ++i) {
        simAdvance(sim, 2);
        pollEngine(app);
    }
    keyOff(50);
    pollEngine(app);
    pressNoteRepeat(app, false);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].time, 0);
    EXPECT_EQ(notes[1].time, 48);
    EXPECT_EQ(pos(), 96) << "one step per repeated note, none for the release";
}

TEST_F(StepRecord, NoteEraseRemovesTheHeldNoteFromTheLoopWhileRunning) {
    note(0, 1, 36, 90, 20);
    note(96, 1, 36, 90, 20);
    note(48, 1, 38, 90, 20);
    note(400, 1, 36, 90, 20);  // outside the loop
    note(96, 2, 36, 90, 20);   // another track
    loopBars(0, 1);
    startRecording(RECORD_OVER_DUB);
    runTo(20);
    keyOn(36);  // recorded into the buffer
    runTo(30);
    keyOff(36);
    app.engine.cursor = pos();
    ASSERT_TRUE(noteEraseAvailable(app));
    pressNoteErase(app, true);
    size_t echoed = noteOnTimes(36).size();
    keyOn(36);
    runTicks(2);
    EXPECT_EQ(noteOnTimes(36).size(), echoed) << "a key under NOTE ERASE is not echoed";
    EXPECT_EQ(noteEraseFrame(app), 3);
    keyOff(36);
    pressNoteErase(app, false);
    runTicks(400);
    stopTransport(app);
    std::vector<std::pair<Tick, int>> got;
    for (const SeqEvent& e : eventsOf(1)) got.push_back({e.time, e.data1});
    EXPECT_EQ(got, (std::vector<std::pair<Tick, int>>{{48, 38}, {400, 36}}));
    EXPECT_EQ(eventsOf(2).size(), 1u);
}

TEST_F(StepRecord, NoteEraseWhileStoppedRemovesAtOnceAndOnlyWhenAvailable) {
    setBars(8);
    note(0, 1, 36, 90, 20);
    note(700, 1, 36, 90, 20);
    pressNoteErase(app, true);
    EXPECT_FALSE(app.rec.noteEraseHeld.load()) << "8 bars, no loop: not available";
    setBars(4);
    pressNoteErase(app, true);
    ASSERT_TRUE(app.rec.noteEraseHeld.load());
    keyOn(36);
    EXPECT_EQ(noteEraseFrame(app), 2);
    EXPECT_EQ(noteEraseFrame(app), 0) << "once per key";
    EXPECT_EQ(app.seq->eventCount, 0);
    ASSERT_NE(app.undoCopy, nullptr);
}

TEST_F(StepRecord, TheLiveQueueStrumsAChordAndANewChordDropsTheWaitingNotes) {
    // Slot 2: intervals 4, 7, 10.
    liveNoteOn(app, 1, 60, 100, 0, 2, 24);
    EXPECT_EQ(app.rec.strumLength.load(), 72);
    simAdvance(sim, 600);
    std::vector<int> played;
    for (const MemoryPortEntry& e : ports.log)
        if (e.bytes[2]) played.push_back(e.bytes[1]);
    EXPECT_EQ(played, (std::vector<int>{60, 64, 67, 70}));
    ASSERT_EQ(ports.log.size(), 4u);
    EXPECT_NEAR(double(ports.log[3].ms - ports.log[0].ms), 72 * 5.208, 6);
    liveChordOff(app, 1, 60, 2);
    simAdvance(sim, 20);
    EXPECT_EQ(ports.log.size(), 8u) << "four note-offs";

    ports.log.clear();
    liveNoteOn(app, 1, 48, 100, 0, 0, 48);  // 48, then 52 and 55 later
    simAdvance(sim, 100);
    liveChordOff(app, 1, 48, 0);
    liveNoteOn(app, 1, 50, 100, 30, 4, 0);  // m: 50, 53, 57 at once
    simAdvance(sim, 800);
    played.clear();
    for (const MemoryPortEntry& e : ports.log)
        if (e.bytes[2]) played.push_back(e.bytes[1]);
    EXPECT_EQ(played, (std::vector<int>{48, 50, 53, 57})) << "52 and 55 were dropped";
    int offs = 0;
    for (const MemoryPortEntry& e : ports.log) offs += e.bytes[2] == 0;
    EXPECT_EQ(offs, 4) << "48 released, and the second chord's notes end after 30 ticks";
    // Out of range intervals and slots.
    int notes[7], delays[7];
    EXPECT_EQ(chordNotes(app, 125, 0, 10, notes, delays), 1);
    EXPECT_EQ(chordNotes(app, 60, 20, 10, notes, delays), 0);
    EXPECT_EQ(chordNotes(app, 60, 13, 10, notes, delays), 1) << "a user chord without intervals";
}

TEST_F(StepRecord, ChordsAreRecordedIntoTheSequenceWhileStoppedAndTheBufferWhileRunning) {
    recordChordOn(app, 0, 1, 60, 90, 48, 0, 0);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 3u);
    for (const SeqEvent& e : notes) {
        EXPECT_EQ(e.time, 0);
        EXPECT_EQ(e.value, 48u);
    }
    // Strummed and open while running, closed by recordChordOff.
    startRecording(RECORD_OVER_DUB);
    runTo(100);
    recordChordOn(app, 192, 1, 48, 80, 0, 3, 12);  // M7: 52, 55, 59
    runTo(130);
    recordChordOff(app, 1, 48, 3);
    runTo(140);
    stopTransport(app);
    std::vector<std::pair<Tick, int>> got;
    for (const SeqEvent& e : eventsOf(1))
        if (e.data1 < 60) {
            got.push_back({e.time, e.data1});
            EXPECT_EQ(e.value, 30u);
        }
    EXPECT_EQ(got, (std::vector<std::pair<Tick, int>>{{192, 48}, {204, 52}, {216, 55}, {228, 59}}));
}

TEST_F(StepRecord, ChordsFromTheInputThreadGoThroughItsRings) {
    // A note-to-chord hook as the chord panel will install it: the input
    // thread plays and records through the entry points.
    app.seq->tracks[1].type = TRACK_TYPE_NOTE;
    settingStore(app.settings.noteToChord, 1);
    app.rec.noteToChordHook = [](Sequencer& a, int track, bool on, int note, int velocity) {
        if (note != 48) return false;
        if (on) {
            liveNoteOn(a, track, note, velocity, 0, 0, 0);
            recordChordOn(a, a.engine.position.load(), track, note, velocity, 0, 0, 0);
        } else {
            liveChordOff(a, track, note, 0);
            recordChordOff(a, track, note, 0);
        }
        return true;
    };
    publishInputState(app);
    app.engine.recordMode.store(RECORD_STEP);
    locateTick(app, 96);
    keyOn(48);
    EXPECT_FALSE(ringEmpty(app.rec.liveFromInput));
    EXPECT_TRUE(ringEmpty(app.rec.liveFromWindow));
    simAdvance(sim, 60);
    keyOff(48);
    simAdvance(sim, 10);
    pollEngine(app);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 3u);
    for (const SeqEvent& e : notes) {
        EXPECT_EQ(e.time, 96);
        EXPECT_FALSE(isOpenNote(e));
    }
    EXPECT_EQ(noteOnTimes(55).size(), 1u);
}

}  // namespace
}  // namespace qz::test
