// Chords from single keys: Note to Chord on MIDI input, the strum, the
// release of one chord by the next, recording and the step after a chord,
// and learning a chord from the keys.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/engine/recording_fixture.h"

namespace qz::test {
namespace {

struct ChordInput : RecordingFixture {
    void SetUp() override {
        RecordingFixture::SetUp();
        app.seq->tracks[1].type = TRACK_TYPE_NOTE;
        settingStore(app.settings.noteToChord, 1);
        publishInputState(app);
        flush();
    }
    // Note-ons and note-offs that went out, in order: +n on, -n off.
    std::vector<int> noteTrail() const {
        std::vector<int> out;
        for (const MemoryPortEntry& e : ports.log) {
            const uint8_t k = e.bytes[0] & 0xF0;
            if (k == 0x90 && e.bytes[2]) out.push_back(e.bytes[1]);
            if ((k == 0x90 && !e.bytes[2]) || k == 0x80) out.push_back(-e.bytes[1]);
        }
        return out;
    }
    std::vector<std::pair<Tick, int>> notesOf1() const {
        std::vector<std::pair<Tick, int>> out;
        for (const SeqEvent& e : eventsOf(1)) out.push_back({e.time, e.data1});
        return out;
    }
};

TEST_F(ChordInput, TriggerPlaysTheRowsChordAndItsReleaseEndsEveryNote) {
    keyOn(48);
    simAdvance(sim, 20);
    keyOff(48);
    simAdvance(sim, 20);
    EXPECT_EQ(noteTrail(), (std::vector<int>{48, 52, 55, -48, -52, -55}));
    // A note that is no trigger is played through as usual.
    ports.log.clear();
    keyOn(70);
    keyOff(70);
    simAdvance(sim, 5);
    EXPECT_EQ(noteTrail(), (std::vector<int>{70, -70}));
}

TEST_F(ChordInput, ASecondTriggerReleasesTheFirstChordBeforeItSounds) {
    keyOn(48);
    simAdvance(sim, 10);
    keyOn(50);  // row 2: D major
    simAdvance(sim, 10);
    EXPECT_EQ(noteTrail(), (std::vector<int>{48, 52, 55, -48, -52, -55, 50, 54, 57}));
    // The first key's release no longer ends the chord that took over.
    keyOff(48);
    simAdvance(sim, 10);
    EXPECT_EQ(noteTrail().size(), 9u);
}

TEST_F(ChordInput, StrumAndRecordInStepMode) {
    // Type "7" with Arpeggio 1/16, entered while stopped in STEP mode.
    settingStore(app.settings.chordType[0], 2);
    settingStore(app.settings.arpeggio, 11);
    settingStore(app.settings.recDuration, 6);  // 1/8
    app.engine.recordMode.store(RECORD_STEP);
    keyOn(48);
    simAdvance(sim, 255);
    // Strummed on the tick clock: one 1/16 (125 ms at 120) between notes.
    EXPECT_EQ(noteTrail(), (std::vector<int>{48, 52, 55}));
    simAdvance(sim, 150);
    EXPECT_EQ(noteOnTimes(58).size(), 1u);
    keyOff(48);
    simAdvance(sim, 5);
    pollEngine(app);
    EXPECT_EQ(notesOf1(), (std::vector<std::pair<Tick, int>>{{0, 48}, {24, 52}, {48, 55}, {72, 58}}));
    for (const SeqEvent& e : eventsOf(1)) EXPECT_EQ(e.value, 48u);
    // Past the strum (72) to the next multiple of 48.
    EXPECT_EQ(pos(), 96);
}

TEST_F(ChordInput, SlotsLeftEmptyKeepTheirPlaceInTheStrum) {
    ChordDef& c = app.settings.chordTable[13];
    c.intervals[0] = 4;
    c.intervals[3] = 12;
    int notes[7], delays[7];
    ASSERT_EQ(chordNotes(app, 60, 13, 10, notes, delays), 3);
    EXPECT_EQ(std::vector<int>(delays, delays + 3), (std::vector<int>{0, 10, 40}));
    // Notes beyond the MIDI range are left out.
    c.intervals[1] = 70;
    EXPECT_EQ(chordNotes(app, 60, 13, 10, notes, delays), 3);
}

TEST_F(ChordInput, RecButtonWhileStoppedWritesTheChordAndStepsOn) {
    settingStore(app.settings.recDuration, 6);  // 1/8
    note(10, 1, 40, 100, 10);                   // inside [0, 24): erased
    note(30, 1, 41, 100, 10);                   // after it: kept
    chordRecButton(app, 0, true);
    simAdvance(sim, 30);
    chordRecButton(app, 0, false);
    EXPECT_EQ(notesOf1(), (std::vector<std::pair<Tick, int>>{{0, 48}, {0, 52}, {0, 55}, {30, 41}}));
    for (const SeqEvent& e : eventsOf(1))
        if (e.data1 >= 48) {
            EXPECT_EQ(e.value, 48u);
        }
    EXPECT_EQ(pos(), 48);
    // As played: the chord gets the time it was held; the step goes past it.
    settingStore(app.settings.recDuration, 0);
    chordRecButton(app, 0, true);
    runTicks(60);
    chordRecButton(app, 0, false);
    EXPECT_EQ(pos(), 144);
}

TEST_F(ChordInput, StepButtonsMoveByEighths) {
    settingStore(app.settings.tcIndex, 3);  // 1/16
    chordStepForward(app);
    EXPECT_EQ(pos(), 48);
    chordStepBack(app);
    EXPECT_EQ(pos(), 0);
    locateTick(app, 30);
    chordStepForward(app);
    EXPECT_EQ(pos(), 48);
}

TEST_F(ChordInput, SustainKeepsTheChordUntilThePedalRises) {
    send(0xB0, 64, 127);
    keyOn(48);
    keyOff(48);
    simAdvance(sim, 10);
    EXPECT_EQ(noteTrail(), (std::vector<int>{48, 52, 55}));
    send(0xB0, 64, 0);
    simAdvance(sim, 10);
    EXPECT_EQ(noteTrail().size(), 6u);
}

TEST_F(ChordInput, LearningFromKeysFillsTheTypeUnderThePointer) {
    app.rec.chordEditOpen.store(true);
    app.chordIn.learnType.store(13);
    keyOn(60);
    keyOn(63);
    keyOn(67);
    const int8_t* iv = app.settings.chordTable[13].intervals;
    EXPECT_EQ(std::vector<int>(iv, iv + 6), (std::vector<int>{3, 7, 0, 0, 0, 0}));
    keyOff(60);
    keyOff(63);
    keyOff(67);
    // A key alone empties slots 0..4; slot 5 belongs to the wheel.
    app.settings.chordTable[13].intervals[5] = 9;
    keyOn(62);
    keyOff(62);
    EXPECT_EQ(std::vector<int>(iv, iv + 6), (std::vector<int>{0, 0, 0, 0, 0, 9}));
}

}  // namespace
}  // namespace qz::test
