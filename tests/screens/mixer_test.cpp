// The two mixer panels through real pointer and wheel input, with the
// messages checked on the in-memory ports as the engine sends them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/null/memory_ports.h"
#include "platform/null/sim_clock.h"
#include "tests/screens/text_log.h"
#include "tests/ui/harness.h"

namespace qz {
namespace {

using test::Harness;
using test::TextLog;

// Pointer rows and columns of the panels.
int32_t rowY(int track) { return 137 + 23 * track; }
int32_t mixRow(int track) { return 127 + 23 * track; }  // top of the row
constexpr int32_t TRACK_X = 1030, SOLO_X = 1066, MUTE_X = 1105, CH_X = 1140, DEV_X = 1171;
constexpr int32_t SOUND_X = 1214, PROGRAM_X = 1350, LEV_X = 1421;

struct Mixer : ::testing::Test {
    Harness h;
    AppState& app = *h;
    MemoryPorts ports;
    SimClock sim;
    void SetUp() override {
        initMemoryPorts(ports, &app.engine.msClock, 3, 1 << 14);
        app.engine.out = memoryPortsOutput(ports);
        app.engine.outPortCount = 3;
        simInstall(sim, app);
    }
    void TearDown() override { simRemove(sim); }

    // Let the queue drain; the messages sent since the last call, each as
    // "<port> <hex bytes>".
    std::vector<std::string> sent() {
        simAdvance(sim, 1000);
        std::vector<std::string> out;
        for (const MemoryPortEntry& e : ports.log) {
            const std::string s = formatEntry(e);
            out.push_back(s.substr(s.find(' ') + 1));
        }
        ports.log.clear();
        return out;
    }
    static size_t countOf(const std::vector<std::string>& log, const std::string& prefix) {
        return size_t(std::count_if(log.begin(), log.end(),
                                    [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
    }
    static size_t indexOf(const std::vector<std::string>& log, const std::string& prefix) {
        for (size_t i = 0; i < log.size(); ++i)
            if (log[i].rfind(prefix, 0) == 0) return i;
        return log.size();
    }
    TrackRecord& track(int t) { return app.seq->tracks[t]; }
    void realSequence() { h.sequenceWithNotes(1, "Song", {0}); }
    void rightDrag(int32_t x, int fromTrack, int toTrack) {
        h.move(x, rowY(fromTrack));
        onRightDown(app, x, rowY(fromTrack));
        h.move(x, rowY(toTrack));
        onRightUp(app);
    }
};

TEST_F(Mixer, MasterRoutingSendsOneSetUpPerChannelTheLowerTracks) {
    app.settings.deviceByTrack = 1;
    track(3).channel = 2;
    track(3).volume = 90;
    track(5).channel = 2;
    track(5).volume = 50;
    track(5).device = 2;
    h.leftClick(1150, 102);  // MASTER/TRACK
    EXPECT_EQ(app.settings.deviceByTrack, 0u);
    const std::vector<std::string> log = sent();
    // Before the switch tracks played on ports 0 and 2: their notes end there.
    EXPECT_EQ(countOf(log, "2 B0 7B 00"), 1u);
    EXPECT_EQ(countOf(log, "0 BF 7B 00"), 1u);
    // Fifteen channels in use, one set-up each, all on the master device.
    size_t resets = 0;
    for (const std::string& s : log)
        if (s.size() == 10 && s.substr(5) == "79 00") ++resets;
    EXPECT_EQ(resets, 15u);
    EXPECT_EQ(countOf(log, "0 B2 79 00"), 1u);
    EXPECT_EQ(countOf(log, "0 B2 07"), 1u);
    EXPECT_EQ(countOf(log, "0 B2 07 5A"), 1u);  // track 3's volume, not track 5's
    EXPECT_EQ(countOf(log, "2 B"), 16u);         // nothing but the notes-off on port 2
}

TEST_F(Mixer, DeviceChangesEndTheNotesOnTheOldPortBeforeTheSetUpOnTheNewOne) {
    app.settings.deviceByTrack = 1;
    // A press on the Device cell sounds the test note; the wheel moves the
    // track to port 2 while it sounds; the release ends the note where it went.
    h.move(DEV_X, rowY(2));
    onLeftDown(app, DEV_X, rowY(2));
    onWheel(app, false);
    onLeftUp(app);
    EXPECT_EQ(track(2).device, 1);
    std::vector<std::string> log = sent();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "0 91 3C 7F");
    EXPECT_EQ(log[1], "0 B1 7B 00");
    EXPECT_EQ(log[2], "1 B1 79 00");
    EXPECT_EQ(log.back(), "0 91 3C 00");
    EXPECT_EQ(countOf(log, "1 B1 07 64"), 1u);
    h.wheel(DEV_X, rowY(2), false);
    h.wheel(DEV_X, rowY(2), false);  // the last opened port holds
    EXPECT_EQ(track(2).device, 2);

    // The master device: all notes off on the old port, then the set-ups on
    // the new one.
    app.settings.deviceByTrack = 0;
    sent();
    h.wheel(1135, 121, false);
    EXPECT_EQ(app.settings.masterDevice, 1u);
    log = sent();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(countOf(log, "0 B"), 16u);
    EXPECT_EQ(log[0], "0 B0 7B 00");
    EXPECT_LT(indexOf(log, "0 BF 7B 00"), indexOf(log, "1 B0 79 00"));
    EXPECT_EQ(countOf(log, "1 B0 79 00"), 1u);
}

TEST_F(Mixer, XgPortMakesDrumPartsSendBankMsb127) {
    track(10).bankMsb = 5;
    h.wheel(1205, 31, false);  // port 1: GM to GS
    EXPECT_EQ(app.settings.resetMode[0], 1u);
    std::vector<std::string> log = sent();
    EXPECT_EQ(log[0], "0 F0 41 10 42 12 40 00 7F 00 41 F7");
    h.wheel(1205, 31, false);  // GS to XG
    log = sent();
    EXPECT_EQ(log[0], "0 F0 43 10 4C 00 00 7E 00 F7");
    EXPECT_EQ(countOf(log, "0 B9 00 7F"), 1u);  // channel 10
    EXPECT_EQ(countOf(log, "0 B0 00 00"), 1u);

    // SOUND makes a part a drum part only on a GS or XG port and off channel 10.
    struct Case {
        int track;
        uint32_t mode;
        uint8_t drumPart;
    } cases[] = {{1, 2, 1}, {10, 2, 0}, {2, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.track);
        app.settings.resetMode[0] = c.mode;
        h.wheel(SOUND_X, rowY(c.track), false);
        EXPECT_EQ(track(c.track).drumPart, c.drumPart);
    }
    log = sent();
    EXPECT_EQ(countOf(log, "0 B0 00 7F"), 1u);  // track 1 set up again as a drum part
    EXPECT_EQ(countOf(log, "0 B1"), 0u);
}

TEST_F(Mixer, ShowsProgramNamesDrumPartsRoutingAndTheDefaultSequence) {
    TextLog texts;
    texts.install(app.ui->draw);
    app.settings.resetMode[0] = 2;
    track(3).drumPart = 1;
    redrawAll(app);
    EXPECT_EQ(texts.lastIn(1298, mixRow(1), 20, 20), "001");
    EXPECT_EQ(texts.lastIn(1321, mixRow(1), 80, 20), "Grand Piano");
    EXPECT_EQ(texts.lastIn(1321, mixRow(10), 80, 20), "DRUM");
    EXPECT_EQ(texts.lastIn(1321, mixRow(3), 80, 20), "DRUM");
    EXPECT_EQ(texts.lastIn(1190, mixRow(1), 49, 20), "INST");
    EXPECT_EQ(texts.lastIn(1190, mixRow(10), 49, 20), "DRUM");
    EXPECT_EQ(texts.lastIn(1156, mixRow(1), 30, 20), "MAS");
    EXPECT_EQ(texts.lastIn(1120, 93, 60, 19), "MASTER");
    EXPECT_TRUE(h.pixelIs(1430, rowY(1), COL_BEVEL_LIGHT));  // the default sequence's cells
    EXPECT_EQ(texts.lastIn(1198, 561, 10, 10), "");

    app.settings.deviceByTrack = 1;
    track(4).device = 7;  // a port of an earlier run: shown as the last one
    realSequence();
    texts.clear();
    redrawAll(app);
    EXPECT_EQ(texts.lastIn(1160, mixRow(4), 26, 20), "3");
    EXPECT_EQ(texts.lastIn(1160, mixRow(2), 26, 20), "1");
    EXPECT_EQ(texts.lastIn(1198, 561, 10, 10), "This seq. track midi messages to default");
    EXPECT_TRUE(h.pixelIs(1430, rowY(1), COL_PANEL));
}

TEST_F(Mixer, RightDragSelectsRowsAndOneWheelStepChangesEachAtOnce) {
    rightDrag(LEV_X, 2, 5);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(LEV_X, rowY(3), COL_HOVER));
    EXPECT_TRUE(h.pixelIs(LEV_X, rowY(6), COL_BEVEL_LIGHT));
    sent();
    h.wheel(LEV_X, rowY(5), false);
    for (int t = 1; t <= 6; ++t) EXPECT_EQ(track(t).volume, t >= 2 && t <= 5 ? 101 : 100) << t;
    const std::vector<std::string> log = sent();
    EXPECT_EQ(log, (std::vector<std::string>{"0 B1 07 65", "0 B2 07 65", "0 B3 07 65", "0 B4 07 65"}));
    // Leaving the column ends the selection.
    h.move(1600, 300);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(LEV_X, rowY(3), COL_BEVEL_LIGHT));
    h.wheel(LEV_X, rowY(3), true);
    EXPECT_EQ(track(3).volume, 100);
    EXPECT_EQ(track(4).volume, 101);
}

TEST_F(Mixer, LeftDragCopiesThePressedValueAndTheStartEventsFollow) {
    realSequence();
    applyNewBars(app, 4);
    insertEvent(app, 0, 3, ST_CONTROL, 7, 30, 0);
    insertEvent(app, 800, 3, ST_CONTROL, 7, 30, 0);  // past the first two bars
    insertEvent(app, 10, 3, ST_PROGRAM, 4, 0, 0);
    app.seq->modified = 0;
    track(2).volume = 80;
    sent();
    h.move(LEV_X, rowY(2));
    onLeftDown(app, LEV_X, rowY(2));
    h.move(LEV_X, rowY(4));
    onLeftUp(app);
    EXPECT_EQ(track(3).volume, 80);
    EXPECT_EQ(track(4).volume, 80);
    EXPECT_EQ(track(5).volume, 100);
    std::vector<std::string> log = sent();
    EXPECT_EQ(log, (std::vector<std::string>{"0 91 3C 7F", "0 91 3C 00", "0 B2 07 50", "0 B3 07 50"}));
    h.wheel(PROGRAM_X, rowY(3), false);
    EXPECT_EQ(track(3).program, 1);
    log = sent();
    EXPECT_EQ(log, (std::vector<std::string>{"0 B2 00 00", "0 B2 20 00", "0 C2 01"}));
    const SeqEvent* ev = seqEvents(app.seq);
    std::vector<int> values;
    for (int32_t i = 0; i < app.seq->eventCount; ++i)
        if (ev[i].track == 3) values.push_back(ev[i].status == ST_CONTROL ? ev[i].data2 : ev[i].data1);
    EXPECT_EQ(values, (std::vector<int>{80, 1, 30}));
    EXPECT_EQ(app.seq->modified, 1u);
}

TEST_F(Mixer, ResetTakesAnUndoCopyOnlyForARealSequence) {
    for (bool real : {false, true}) {
        SCOPED_TRACE(real);
        if (real) realSequence();
        track(1).volume = 5;
        track(2).channel = 9;
        track(2).noteMap[40] = 41;
        track(4).mute = 1;
        sent();
        h.leftClick(1480, 538);
        EXPECT_EQ(app.undoCopy != nullptr, real);
        EXPECT_EQ(track(1).volume, 100);
        EXPECT_EQ(track(2).channel, 1);
        EXPECT_EQ(track(2).noteMap[40], 40);
        EXPECT_EQ(track(4).mute, 1);
        EXPECT_EQ(countOf(sent(), "0 B1 79 00"), 1u);
    }
    ASSERT_NE(app.undoCopy, nullptr);
    EXPECT_EQ(app.undoCopy->tracks[1].volume, 5);
}

TEST_F(Mixer, ClearRstAndEnterButtons) {
    realSequence();
    for (int t = 1; t <= 16; ++t) {
        track(t).mute = 1;
        track(t).channel = 3;
    }
    track(6).pan = 10;
    h.leftClick(1100, 530);  // CLER
    h.leftClick(1140, 530);  // RST
    for (int t = 1; t <= 16; ++t) {
        EXPECT_EQ(track(t).mute, 0) << t;
        EXPECT_EQ(track(t).channel, t - 1) << t;
    }
    EXPECT_EQ(countOf(sent(), "0 B5 0A 0A"), 1u);
    h.leftClick(1482, 569);  // ENTER
    EXPECT_EQ(app.settings.defaultSequence.tracks[6].pan, 10);
    EXPECT_EQ(app.settings.defaultSequence.tracks[6].channel, 5);
}

TEST_F(Mixer, TrackSoloAndMuteColumns) {
    h.leftClick(TRACK_X, rowY(4));
    EXPECT_EQ(app.currentTrack, 4);
    h.wheel(TRACK_X, rowY(4), false);
    EXPECT_EQ(app.currentTrack, 5);

    h.leftClick(SOLO_X, rowY(3));
    EXPECT_EQ(app.currentTrack, 3);
    EXPECT_EQ(app.engine.soloMode.load(), 1);
    h.leftClick(SOLO_X, rowY(3));
    EXPECT_EQ(app.engine.soloMode.load(), 0);
    h.move(SOLO_X, rowY(3));
    onLeftDown(app, SOLO_X, rowY(3));
    h.move(SOLO_X, rowY(6));
    onLeftUp(app);
    EXPECT_EQ(app.currentTrack, 6);
    EXPECT_EQ(app.engine.soloMode.load(), 1);
    h.wheel(SOLO_X, rowY(6), false);
    EXPECT_EQ(app.currentTrack, 7);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(SOLO_X, rowY(7), 212));

    // A mute press ends the solo; a drag gives its state to every row passed.
    h.move(MUTE_X, rowY(2));
    onLeftDown(app, MUTE_X, rowY(2));
    h.move(MUTE_X, rowY(5));
    onLeftUp(app);
    EXPECT_EQ(app.engine.soloMode.load(), 0);
    h.rightClick(MUTE_X, rowY(3));
    std::string mutes;
    for (int t = 1; t <= 6; ++t) mutes += char('0' + track(t).mute);
    EXPECT_EQ(mutes, "010110");
    repaint(app);
    EXPECT_TRUE(h.pixelIs(MUTE_X, rowY(2), 212));
    EXPECT_FALSE(h.pixelIs(MUTE_X, rowY(3), 212));
}

TEST_F(Mixer, DrumNameListFollowsThePadsLayoutAndPlaysItsRows) {
    TextLog texts;
    texts.install(app.ui->draw);
    track(1).noteMap[37] = 38;
    h.leftClick(1047, 538);  // GM DRUM NAME
    ASSERT_TRUE(screens(app).drumNameMode);
    struct Case {
        bool loopEdit;
        int32_t listLength;
        int32_t top, rowH, rows;
    } cases[] = {{false, 0, 150, 23, 16}, {false, 1, 140, 12, 32}, {true, 0, 140, 48, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        app.rec.loopEdit.store(c.loopEdit);
        screens(app).pads.listLength = c.listLength;
        texts.clear();
        redrawAll(app);
        EXPECT_EQ(texts.lastIn(1008, c.top, 170, c.rowH), "Bass Drum 1");
        EXPECT_EQ(texts.lastIn(1008, c.top + c.rowH, 170, c.rowH), "Acoustic Snare");
        EXPECT_EQ(texts.within(1005, 140, 75, 384).size(), size_t(c.rows));
    }
    // A press plays the row's pad note on the current track, mapped as the
    // pads play it; the release ends it.
    sent();
    h.move(1050, 140 + 48 + 10);
    onLeftDown(app, 1050, 140 + 48 + 10);
    onLeftUp(app);
    EXPECT_EQ(sent(), (std::vector<std::string>{"0 90 26 7F", "0 90 26 00"}));
    // Scrolling the pads' list moves the names with it at the next frame.
    app.rec.loopEdit.store(false);
    redrawAll(app);
    texts.clear();
    h.wheel(280, 300, false);
    ASSERT_EQ(app.ui->padBaseNote, 37);
    uiTimer(app, app.ui->lastFrameMs + 16);
    EXPECT_EQ(texts.lastIn(1008, 150, 170, 23), "Acoustic Snare");
    // In ALL TRACKS the switch is blank and holds.
    app.allTracks = true;
    h.leftClick(1047, 538);
    EXPECT_TRUE(screens(app).drumNameMode);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(1047, 538, COL_BACKGROUND));
}

}  // namespace
}  // namespace qz
