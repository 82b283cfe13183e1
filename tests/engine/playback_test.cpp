// Playback: note release order, the sounding-note table, routing, what is
// never sent, the set-up messages, and the output queues.
#include <cstring>

#include "tests/engine/engine_fixture.h"

namespace qz::test {
namespace {

using Playback = EngineFixture;

TEST_F(Playback, ReleaseComesBeforeTheEventsOfItsTick) {
    note(0, 1, 60, 100, 96);
    note(96, 1, 62, 100, 10);
    note(96, 2, 60, 90, 10);  // same note, other channel: no extra note-off
    playFrom(0, 700);
    std::vector<std::string> seq;
    for (const MemoryPortEntry& e : ports.log) {
        char b[16];
        std::snprintf(b, sizeof b, "%02X %d %d", e.bytes[0], e.bytes[1], e.bytes[2]);
        seq.emplace_back(b);
    }
    const std::vector<std::string> expected = {"90 60 100", "90 60 0", "90 62 100", "91 60 90", "90 62 0", "91 60 0"};
    EXPECT_EQ(seq, expected);
    ASSERT_GE(ports.log.size(), 3u);
    EXPECT_EQ(ports.log[1].ms - ports.log[0].ms, 500u);
    EXPECT_EQ(ports.log[1].ms, ports.log[2].ms);
}

TEST_F(Playback, The65thNoteStealsOne) {
    for (int n = 0; n < 65; ++n) note(0, 1, 20 + n, 100, 200);
    playFrom(0, 20);
    auto offs = std::vector<MemoryPortEntry>();
    for (const MemoryPortEntry& e : ports.log)
        if (e.bytes[2] == 0) offs.push_back(e);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_EQ(noteOns().size(), 65u);
    // The 65th sounds, and the last short note of the table makes room.
    EXPECT_EQ(ports.log[64].bytes[1], 84);
    EXPECT_EQ(ports.log[65].bytes[1], 83);
    EXPECT_EQ(ports.log[65].bytes[2], 0);
    EXPECT_EQ(app.engine.notesStolen, 1u);
    EXPECT_EQ(app.engine.runningHigh, 64);
}

TEST_F(Playback, RepeatedNoteSendsItsNoteOffFirstAndCancelsTheOldRelease) {
    note(0, 1, 60, 100, 200);
    note(48, 1, 60, 80, 10);
    playFrom(0, 1500);
    std::vector<int> vel;
    for (const MemoryPortEntry& e : ports.log) vel.push_back(e.bytes[2]);
    EXPECT_EQ(vel, (std::vector<int>{100, 0, 80, 0}));
    EXPECT_EQ(ports.log[1].ms, ports.log[2].ms);
}

TEST_F(Playback, HeldNoteEndsAtItsNoteOffOrAtStop) {
    SeqEvent off{};
    note(0, 1, 60, 100, 0);  // duration 0: held
    note(0, 2, 61, 100, 0);
    playFrom(0, 2000);
    EXPECT_EQ(ports.log.size(), 2u);
    off.track = 1;
    off.status = ST_NOTE_OFF;
    off.data1 = 60;
    playEvent(app, off);
    simAdvance(sim, 10);
    ASSERT_EQ(ports.log.size(), 3u);
    EXPECT_EQ(ports.log[2].bytes[1], 60);
    stopTransport(app);
    ASSERT_EQ(ports.log.size(), 4u);
    EXPECT_EQ(ports.log[3].bytes[0], 0x91);
    EXPECT_EQ(ports.log[3].bytes[2], 0);
}

TEST_F(Playback, MasterRoutesEveryTrackAndTrackModeUsesTheTrackDevice) {
    app.seq->tracks[3].device = 3;
    settingStore(app.settings.masterDevice, 2);
    note(0, 3, 60, 100, 10);
    playFrom(0, 20);
    ASSERT_EQ(ports.log.size(), 1u);
    EXPECT_EQ(ports.log[0].port, 2);
    EXPECT_EQ(ports.log[0].bytes[0], 0x92);
    stopTransport(app);
    ports.log.clear();
    settingStore(app.settings.deviceByTrack, 1);
    playFrom(0, 100);
    // (a note still sounding at the stop is ended again before it restarts)
    ASSERT_GE(ports.log.size(), 2u);
    for (const MemoryPortEntry& e : ports.log) EXPECT_EQ(e.port, 3);
}

TEST_F(Playback, BankSelectIsNeverSentDuringPlayback) {
    event(0, 1, ST_CONTROL, 0, 5);
    event(0, 1, ST_CONTROL, 32, 6);
    event(0, 1, ST_CONTROL, 7, 90);
    event(0, 1, ST_PROGRAM, 12, 0);
    event(0, 1, ST_POLY_PRESSURE, 60, 30);
    event(0, 1, ST_PITCH_BEND, 0, 64);
    playFrom(0, 20);
    std::vector<std::string> got;
    for (const MemoryPortEntry& e : ports.log) got.push_back(formatEntry(e).substr(formatEntry(e).find(' ') + 1));
    EXPECT_EQ(got, (std::vector<std::string>{"0 B0 07 5A", "0 C0 0C", "0 E0 00 40"}));
}

TEST_F(Playback, MuteSoloPadSoloAndNoteMapDecideWhatSounds) {
    note(0, 1, 36, 100, 10);
    note(0, 1, 38, 100, 10);
    note(0, 2, 40, 100, 10);
    app.seq->tracks[1].noteMap[38] = 50;
    app.seq->tracks[1].noteMute[36] = 1;  // DRUM track: silent
    auto play = [&] {
        ports.log.clear();
        playFrom(0, 20);
        std::vector<int> n;
        for (const MemoryPortEntry& e : noteOns()) n.push_back(e.bytes[1]);
        stopTransport(app);
        return n;
    };
    EXPECT_EQ(play(), (std::vector<int>{50, 40}));
    app.seq->tracks[2].mute = 1;
    EXPECT_EQ(play(), (std::vector<int>{50}));
    app.seq->tracks[2].mute = 0;
    app.engine.soloMode = 1;
    app.currentTrack = 2;
    EXPECT_EQ(play(), (std::vector<int>{40}));
    app.engine.soloMode = 0;
    app.currentTrack = 1;
    app.engine.padSolo = 39;  // note 38 + 1
    EXPECT_EQ(play(), (std::vector<int>{50, 40}));
}

TEST_F(Playback, RecPassMarksTheCurrentTracksEventsInsteadOfPlayingThem) {
    note(0, 1, 60, 100, 10);
    note(0, 2, 62, 100, 10);
    app.engine.recordMode = RECORD_REC;
    playFrom(0, 20);
    auto ons = noteOns();
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(ons[0].bytes[1], 62);
    EXPECT_EQ(events(app)[0].track, 1 | TRACK_REMOVE_MARK);
}

TEST_F(Playback, GsRhythmPartMessageCarriesTheRolandChecksum) {
    uint8_t m[11];
    gsRhythmPartMessage(10, true, m);  // MIDI channel 11 as a drum part
    const uint8_t expected[11] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x1A, 0x15, 0x02, 0x0F, 0xF7};
    EXPECT_EQ(0, std::memcmp(m, expected, 11));
    for (int c : {0, 5, 8, 11, 15}) {
        for (bool drum : {false, true}) {
            gsRhythmPartMessage(c, drum, m);
            int sum = m[5] + m[6] + m[7] + m[8] + m[9];
            EXPECT_EQ(sum % 128, 0) << "channel " << c;
        }
    }
    gsRhythmPartMessage(0, false, m);
    EXPECT_EQ(m[6], 0x11);
}

TEST_F(Playback, TrackSetupOnAGsPortSendsThePartMessageThenTheQueuedValues) {
    settingStore(app.settings.resetMode[0], 1);
    for (int t = 1; t <= 16; ++t) app.seq->tracks[t].channel = uint8_t(t == 1 ? 10 : 9);
    app.seq->tracks[1].drumPart = 1;
    app.seq->tracks[1].program = 5;
    uint32_t firstLine = app.engine.monitorWrite.load();
    sendAllTrackSetups(app);
    simAdvance(sim, 100);
    std::vector<std::string> l = lines();
    ASSERT_GE(l.size(), 17u);
    EXPECT_EQ(l[0].substr(l[0].find(' ')), " 0 F0 41 10 42 12 40 1A 15 02 0F F7");
    // Track 1 on channel 11, then track 2 (channel 10, no part message);
    // tracks 3..16 share channel 10 with track 2 and send nothing.
    std::vector<std::string> rest;
    for (size_t i = 1; i < l.size(); ++i) rest.push_back(l[i].substr(l[i].find(' ') + 3));
    const std::vector<std::string> expected = {"BA 79 00", "BA 00 00", "BA 20 00", "CA 05", "BA 07 64",
                                               "BA 0A 40", "BA 5B 28", "BA 5D 00", "B9 79 00", "B9 00 00",
                                               "B9 20 00", "C9 00",    "B9 07 64", "B9 0A 40", "B9 5B 28",
                                               "B9 5D 00"};
    EXPECT_EQ(rest, expected);
    uint32_t monitor = app.engine.monitor[firstLine % MONITOR_SIZE].load();
    EXPECT_EQ(monitor & 0xFFFF, 0x1F0u);  // the 0xF0 line of a drum part
}

TEST_F(Playback, ResetsFollowThePortMode) {
    settingStore(app.settings.resetMode[1], 2);
    settingStore(app.settings.resetMode[2], 7);  // anything else is GM
    resetAllPorts(app);
    std::vector<std::string> l = lines();
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[1].substr(l[1].find(' ')), " 1 F0 43 10 4C 00 00 7E 00 F7");
    EXPECT_EQ(l[2].substr(l[2].find(' ')), " 2 F0 7E 7F 09 01 F7");
}

TEST_F(Playback, FullWindowQueueWaitsForRoomAndLosesNothing) {
    for (uint32_t i = 0; i < 600; ++i) queueMessage(app, 0xB0u | (i % 128) << 8 | (i / 128) << 16);
    simAdvance(sim, 400);
    ASSERT_EQ(ports.log.size(), 600u);
    for (uint32_t i = 0; i < 600; ++i) EXPECT_EQ(ports.log[i].bytes[1] + 128u * ports.log[i].bytes[2], i);
    // One message per millisecond.
    EXPECT_EQ(ports.log[599].ms - ports.log[0].ms, 599u);
    EXPECT_EQ(app.engine.outQueue.dropped.load(), 0u);

    // Without any tick the caller makes room itself.
    simRemove(sim);
    ports.log.clear();
    for (uint32_t i = 0; i < 300; ++i) queueMessage(app, 0xB0u | (i % 128) << 8);
    while (drainOneQueued(app)) {
    }
    EXPECT_EQ(ports.log.size(), 300u);
}

TEST_F(Playback, FullThruQueueDropsAndCounts) {
    simRemove(sim);
    for (uint32_t i = 0; i < 256; ++i) EXPECT_TRUE(queueThruMessage(app, 0x90u | (i % 128) << 8 | 0x400000u));
    EXPECT_FALSE(queueThruMessage(app, 0x90u | 0x7F00u));
    EXPECT_EQ(app.engine.thruQueue.dropped.load(), 1u);
    while (drainOneQueued(app)) {
    }
    ASSERT_EQ(ports.log.size(), 256u);
    EXPECT_EQ(ports.log[255].bytes[1], 127);
    EXPECT_EQ(ports.log[255].bytes[2], 0x40);
}

// A tick that does not answer: stopTransport goes on without touching the
// sounding notes, and the tick switches them off when it runs again.
TEST_F(Playback, StopWithoutAnAnsweringTickLeavesTheNotesToTheTick) {
    note(0, 1, 60, 100, 0);
    playFrom(0, 20);
    ASSERT_EQ(ports.log.size(), 1u);
    simRemove(sim);
    int waits = 0;
    app.engine.tickDriver = TICK_DRIVER_THREAD;
    app.engine.waitHook = [](void* ctx, uint32_t) { ++*static_cast<int*>(ctx); };
    app.engine.waitCtx = &waits;
    stopTransport(app);
    EXPECT_GE(waits, 3000);
    EXPECT_GT(app.engine.running[0].remaining, 0xFFFFFF);  // untouched
    EXPECT_EQ(app.engine.engineCommand.load(), CMD_ALL_NOTES_OFF);
    EXPECT_EQ(ports.log.size(), 1u);
    engineTick(app, app.engine.msClock.load());
    EXPECT_EQ(app.engine.engineCommand.load(), 0u);
    ASSERT_EQ(ports.log.size(), 2u);
    EXPECT_EQ(ports.log[1].bytes[2], 0);
    app.engine.tickDriver = TICK_DRIVER_NONE;
    app.engine.waitHook = nullptr;
}

}  // namespace
}  // namespace qz::test
