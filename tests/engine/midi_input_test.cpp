// MIDI input: the filters, the monitor, thru, the rings' overflow rule, ALL
// TRACKS recording with its open-note table, and the track changes that
// follow the input.
#include "tests/engine/recording_fixture.h"

namespace qz::test {
namespace {

using MidiInput = RecordingFixture;

TEST(SpscRingTest, AFullRingRefusesAndCountsAndKeepsItsEntries) {
    static SpscRing<uint32_t, 8> ring;
    ringReset(ring);
    int accepted = 0;
    for (uint32_t i = 0; i < 20; ++i) accepted += ringPush(ring, i) ? 1 : 0;
    EXPECT_EQ(accepted, 7) << "one slot stays empty";
    EXPECT_EQ(ring.dropped.load(), 13u);
    EXPECT_EQ(ring.highWater.load(), 7u);
    uint32_t v = 0;
    for (uint32_t i = 0; i < 7; ++i) {
        ASSERT_TRUE(ringPop(ring, v));
        EXPECT_EQ(v, i);
    }
    EXPECT_FALSE(ringPop(ring, v));
    // Wrapping round keeps the order.
    for (uint32_t round = 0; round < 5; ++round) {
        for (uint32_t i = 0; i < 5; ++i) ASSERT_TRUE(ringPush(ring, round * 10 + i));
        for (uint32_t i = 0; i < 5; ++i) {
            ASSERT_TRUE(ringPop(ring, v));
            EXPECT_EQ(v, round * 10 + i);
        }
    }
    EXPECT_TRUE(ringEmpty(ring));
}

TEST_F(MidiInput, ABurstBeyondTheInputRingIsRefusedAndCountedNotCorrupted) {
    startRecording(RECORD_OVER_DUB);
    runTo(10);
    // No tick runs between these: more than the ring holds.
    for (int i = 0; i < int(INPUT_RING_SIZE) + 100; ++i) {
        if (i % 2 == 0)
            keyOn(30 + (i / 2) % 60, 100);
        else
            keyOff(30 + (i / 2) % 60);
    }
    EXPECT_EQ(app.rec.inputRing.dropped.load(), 101u);
    runTicks(2);
    EXPECT_TRUE(ringEmpty(app.rec.inputRing));
    stopTransport(app);
    // Every note that got in was filed whole: at tick 10 with its velocity.
    auto notes = eventsOf(1);
    EXPECT_EQ(notes.size(), 60u);
    for (const SeqEvent& e : notes) {
        EXPECT_EQ(e.time, 10);
        EXPECT_EQ(e.data2, 100);
        EXPECT_GE(e.value, 1u);
    }
}

TEST_F(MidiInput, FiltersDropPressureProgramAndOtherChannels) {
    startRecording(RECORD_OVER_DUB);
    runTo(5);
    send(0xA0, 60, 40);
    send(0xD0, 40, 0);
    settingStore(app.settings.receiveProgram, 0);
    send(0xC0, 5, 0);
    send(0xB0, 0, 1);
    send(0xB0, 32, 2);
    send(0xB0, 1, 30);  // passes
    settingStore(app.settings.inChannel, 3);
    send(0x91, 60, 100);  // channel 2: refused
    EXPECT_EQ(app.rec.wrongChannel.load(), 2);
    EXPECT_EQ(app.rec.wrongChannelFrames.load(), 5);
    send(0x92, 61, 100);  // channel 3: taken
    runTicks(3);
    send(0x82, 61, 0);
    send(0x05, 1, 1);  // no status byte
    EXPECT_EQ(app.rec.badMessages.load(), 1u);
    runTicks(3);
    stopTransport(app);
    EXPECT_TRUE(eventsOf(1, ST_POLY_PRESSURE).empty());
    EXPECT_TRUE(eventsOf(1, ST_CHANNEL_PRESSURE).empty());
    EXPECT_TRUE(eventsOf(1, ST_PROGRAM).empty());
    auto ccs = eventsOf(1, ST_CONTROL);
    ASSERT_EQ(ccs.size(), 1u);
    EXPECT_EQ(ccs[0].data1, 1);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].data1, 61);

    // With pressure on it is recorded.
    settingStore(app.settings.receivePressure, 1);
    settingStore(app.settings.inChannel, 0);
    startRecording(RECORD_OVER_DUB);
    runTo(20);
    send(0xD0, 40, 0);
    runTicks(2);
    stopTransport(app);
    EXPECT_EQ(eventsOf(1, ST_CHANNEL_PRESSURE).size(), 1u);
}

TEST_F(MidiInput, TheMonitorLogsNoteOffsAsZeroVelocityNoteOnsWithThePort) {
    send(0x83, 64, 30, 2);
    send(0x90, 65, 99, 1);
    uint32_t out[32];
    ASSERT_EQ(inputMonitorEntries(app, out), 2);
    EXPECT_EQ(out[0], 0x02004093u);
    EXPECT_EQ(out[1], 0x01634190u);
    // System messages count only from the clock port.
    send(0xFA, 0, 0, 0);
    EXPECT_EQ(inputMonitorEntries(app, out), 2);
    EXPECT_EQ(app.engine.pendingStart.load(), 0);
    settingStore(app.settings.clockInPort, 1);
    send(0xFA, 0, 0, 0);
    EXPECT_EQ(inputMonitorEntries(app, out), 3);
    // The start and its first clock are carried out by the window thread,
    // which owns the transport; plain clocks only grant ticks.
    EXPECT_EQ(app.engine.pendingStart.load(), 0);
    pollEngine(app);
    EXPECT_EQ(app.engine.pendingStart.load(), 0xFA);
    send(0xF8, 0, 0, 0);
    EXPECT_FALSE(app.engine.playing.load());
    pollEngine(app);
    EXPECT_TRUE(app.engine.playing.load());
    EXPECT_EQ(app.engine.extTicksDue.load(), 4);
    simAdvance(sim, 10);
    EXPECT_EQ(pos(), 4);
    send(0xF8, 0, 0, 0);
    EXPECT_EQ(app.engine.extTicksDue.load(), 4) << "granted at once";
    simAdvance(sim, 10);
    EXPECT_EQ(pos(), 8);
    stopTransport(app);
    app.engine.extClockAlive.store(0);
    // A stop from the clock port is carried out by the window thread: it
    // waits for the tick and merges, which the input thread never does.
    startRecording(RECORD_OVER_DUB);
    runTo(10);
    keyOn(60);
    runTo(20);
    send(0xFC, 0, 0, 0);
    EXPECT_TRUE(app.engine.playing.load());
    pollEngine(app);
    EXPECT_FALSE(app.engine.playing.load());
    EXPECT_EQ(eventsOf(1).size(), 1u);
    send(0xF2, 8, 0, 0);  // sixteenth 8 = tick 192
    EXPECT_EQ(pos(), 20);
    pollEngine(app);
    EXPECT_EQ(pos(), 192);
}

TEST_F(MidiInput, ThruGoesToTheCurrentTracksPortAndChannel) {
    settingStore(app.settings.deviceByTrack, 1);
    app.seq->tracks[3].device = 2;
    app.seq->tracks[3].channel = 6;
    selectTrack(app, 3);
    publishInputState(app);
    send(0x90, 60, 100);  // played on channel 1
    send(0xB0, 74, 20);
    send(0x80, 60, 0);
    simAdvance(sim, 10);
    ASSERT_EQ(ports.log.size(), 3u);
    EXPECT_EQ(formatEntry(ports.log[0]).substr(formatEntry(ports.log[0]).find(' ') + 1), "2 96 3C 64");
    EXPECT_EQ(ports.log[1].bytes[0], 0xB6);
    EXPECT_EQ(ports.log[2].bytes[0], 0x96);
    EXPECT_EQ(ports.log[2].bytes[2], 0);
    EXPECT_EQ(app.rec.inputLamp[3].load(), LAMP_FRAMES);

    // Thru off: nothing goes out, the input indicator lights.
    settingStore(app.settings.midiThru, 0);
    send(0x90, 61, 100);
    simAdvance(sim, 5);
    EXPECT_EQ(ports.log.size(), 3u);
    EXPECT_EQ(app.rec.inputIndicator.load(), LAMP_FRAMES);
}

TEST_F(MidiInput, DrumTracksMoveNotesByThePadBasesAndDropOutOfRange) {
    settingStore(app.settings.trackPadBase[0], 4);  // pad 1 plays 60
    settingStore(app.settings.inputPadBase, 0);     // pad 1 comes as 24
    publishInputState(app);
    send(0x90, 24, 100);
    send(0x90, 120, 100);  // 120 + 36 is beyond 127: dropped
    simAdvance(sim, 5);
    EXPECT_TRUE(keyHeld(app, 60));
    EXPECT_FALSE(keyHeld(app, 120));
    ASSERT_EQ(ports.log.size(), 1u);
    EXPECT_EQ(ports.log[0].bytes[1], 60);
    send(0x80, 24, 0);
    send(0x80, 120, 0);
    simAdvance(sim, 5);
    EXPECT_FALSE(anyKeyHeld(app));
    ASSERT_EQ(ports.log.size(), 2u);
    EXPECT_EQ(ports.log[1].bytes[1], 60) << "the note-off follows its note-on's mapping";
}

TEST_F(MidiInput, MixerControllersFollowTheInputOnTheWindowThread) {
    send(0xB0, 7, 33);
    send(0xB0, 10, 20);
    send(0xC0, 12, 0);
    send(0xB0, 91, 70);
    EXPECT_EQ(app.seq->tracks[1].volume, 100) << "the input thread never writes the track record";
    pollEngine(app);
    EXPECT_EQ(app.seq->tracks[1].volume, 33);
    EXPECT_EQ(app.seq->tracks[1].pan, 20);
    EXPECT_EQ(app.seq->tracks[1].program, 12);
    EXPECT_EQ(app.seq->tracks[1].reverb, 70);
}

TEST_F(MidiInput, TrackMuteModeTogglesMutesFromPads) {
    app.rec.inTrackMuteMode = true;
    publishInputState(app);
    send(0x90, 36, 100);  // input pad base 36: pad 1 = track 1
    send(0x90, 38, 100);  // track 3
    send(0x90, 38, 100);  // track 3 again
    send(0x90, 52, 100);  // beyond pad 16
    pollEngine(app);
    EXPECT_EQ(app.seq->tracks[1].mute, 1);
    EXPECT_EQ(app.seq->tracks[3].mute, 0);
    EXPECT_EQ(app.seq->eventCount, 0);
    app.rec.trackMuteSolo.store(true);
    send(0x90, 40, 100);
    pollEngine(app);
    EXPECT_EQ(app.currentTrack, 5);
    EXPECT_EQ(app.engine.soloMode.load(), 1);
    send(0x90, 40, 100);
    EXPECT_EQ(app.engine.soloMode.load(), 0);
}

TEST_F(MidiInput, AllTracksRecordingKeepsItsOpenNotesAcrossInsertions) {
    app.allTracks = true;
    publishInputState(app);
    startRecording(RECORD_OVER_DUB);
    runTo(100);
    send(0x91, 60, 90);  // track 2, held
    send(0x92, 62, 90);  // track 3, held
    runTo(110);
    // The grid inserts notes before them: their indices move up.
    for (int i = 0; i < 5; ++i) ASSERT_GE(recordInsertNote(app, 10 + i, 4, uint8_t(40 + i), 80, 12), 0);
    runTo(130);
    send(0x81, 60, 0);
    runTo(150);
    send(0x82, 62, 0);
    runTo(160);
    stopTransport(app);
    auto t2 = eventsOf(2);
    auto t3 = eventsOf(3);
    ASSERT_EQ(t2.size(), 1u);
    ASSERT_EQ(t3.size(), 1u);
    EXPECT_EQ(t2[0].time, 100);
    EXPECT_EQ(t2[0].value, 30u);
    EXPECT_EQ(t3[0].value, 50u);
    auto t4 = eventsOf(4);
    ASSERT_EQ(t4.size(), 5u);
    for (const SeqEvent& e : t4) EXPECT_EQ(e.value, 12u);
    pollEngine(app);
    EXPECT_EQ(app.seq->tracks[2].used, 1);
}

TEST_F(MidiInput, ARecPassWithoutInputStillReplacesWhatItPassed) {
    note(0, 1, 60, 90, 20);
    note(500, 1, 62, 90, 20);
    startRecording(RECORD_REC);
    runTo(200);
    stopTransport(app);
    auto notes = eventsOf(1);
    ASSERT_EQ(notes.size(), 1u) << "the passed note is gone, not left hidden";
    EXPECT_EQ(notes[0].time, 500);
    ASSERT_NE(app.undoCopy, nullptr);
    EXPECT_EQ(app.undoCopy->eventCount, 2);
}

}  // namespace
}  // namespace qz::test
