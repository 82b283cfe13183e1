// The MIDI-in panel: filters, thru, the in monitor, the clock lamps and the
// record-parameter lists, through real pointer, wheel and MIDI input.
#include "engine/engine.h"
#include "engine/recording.h"
#include "program/program.h"
#include "tests/screens/text_log.h"
#include "tests/ui/harness.h"
#include "ui/framework/panel.h"
#include "ui/screens/screens.h"

namespace qz::test {
namespace {

// One UI frame (16 ms of engine time later than the last).
void frame(AppState& app) {
    uiTimer(app, app.ui->lastFrameMs + 16);
}

uint32_t packed(uint8_t status, uint8_t d1, uint8_t d2) { return status | uint32_t(d1) << 8 | uint32_t(d2) << 16; }

TEST(MidiInPanel, FilterFieldsPressAndWheel) {
    Harness h;
    AppState& app = *h;
    PersistentSettings& s = app.settings;
    // Channel: a press does nothing, the wheel covers ALL and 1..16.
    h.leftClick(70, 110);
    EXPECT_EQ(s.inChannel, 0u);
    for (int i = 0; i < 20; ++i) h.wheel(70, 110, false);
    EXPECT_EQ(s.inChannel, 16u);
    // Clock: a press goes between OFF and Dev1, even from Dev4; wheel 0..5.
    h.leftClick(150, 110);
    EXPECT_EQ(s.clockInPort, 1u);
    for (int i = 0; i < 9; ++i) h.wheel(150, 110, false);
    EXPECT_EQ(s.clockInPort, 5u);
    h.leftClick(150, 110);
    EXPECT_EQ(s.clockInPort, 0u);
    // Pressure toggles and stays within 0..1.
    h.leftClick(70, 130);
    EXPECT_EQ(s.receivePressure, 1u);
    h.wheel(70, 130, false);
    EXPECT_EQ(s.receivePressure, 1u);
    // Progrm: any non-zero value is on; a press turns it off.
    s.receiveProgram = 3;
    app.dirty.store(0);
    h.leftClick(150, 130);
    EXPECT_EQ(s.receiveProgram, 0u);
    EXPECT_TRUE(app.dirty.load() & DIRTY_REC_PARAMS);

    TextLog texts;
    texts.install(app.ui->draw);
    s.receiveProgram = 4;
    s.clockInPort = 2;
    redrawAll(app);
    EXPECT_EQ(texts.lastIn(142, 101, 35, 19), "Dev2");
    EXPECT_EQ(texts.lastIn(142, 121, 35, 19), "ON");
    EXPECT_EQ(texts.lastIn(61, 101, 32, 19), "16");
}

TEST(MidiInPanel, ThruSwitchRedrawsTheTopBarLine) {
    Harness h;
    AppState& app = *h;
    ASSERT_EQ(app.settings.midiThru, 1u);
    EXPECT_TRUE(h.pixelIs(1000, 12, COL_PANEL));  // the line runs on to the outputs
    h.leftClick(700, 12);
    EXPECT_EQ(app.settings.midiThru, 0u);
    EXPECT_EQ(app.dirty.load(), DIRTY_ALL);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(1000, 12, COL_BACKGROUND));
    EXPECT_TRUE(h.pixelIs(780, 12, COL_PANEL));
    h.wheel(700, 12, false);
    EXPECT_EQ(app.settings.midiThru, 1u);
}

TEST(MidiInPanel, RefusedChannelShowsForAMoment) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    app.settings.inChannel = 3;
    onMidiInput(app, 0, packed(0x94, 60, 100));  // channel 5
    texts.clear();
    frame(app);
    EXPECT_EQ(texts.within(61, 101, 32, 19), std::vector<std::string>{"5"});
    // A note on the chosen channel passes and reaches the monitor.
    onMidiInput(app, 0, packed(0x92, 60, 100));
    for (int i = 0; i < 5; ++i) frame(app);
    texts.clear();
    redrawAll(app);
    EXPECT_EQ(texts.lastIn(61, 101, 32, 19), "3");
    texts.clear();
    app.dirty.store(DIRTY_IN_MONITOR);
    repaint(app);
    EXPECT_EQ(texts.within(2, 261, 176, 12), (std::vector<std::string>{"1", "3", "NOTE ON ", "60", "C ", "100"}));
}

TEST(MidiInPanel, InMonitorShowsTheEightNewestNewestAtTheBottom) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    app.settings.receivePressure = 1;
    const uint32_t messages[] = {
        packed(0x90, 36, 90),  packed(0x80, 36, 0),  packed(0xB1, 7, 100), packed(0xB0, 123, 0),
        packed(0xC2, 4, 0),    packed(0xD0, 33, 0),  packed(0xE0, 0, 64),   packed(0xA0, 61, 20),
        packed(0x93, 72, 0),
    };
    for (uint32_t m : messages) onMidiInput(app, 1, m);
    texts.clear();
    app.dirty.store(DIRTY_IN_MONITOR);
    repaint(app);
    // The first message has scrolled out; the last (a note-on of velocity 0)
    // is the bottom line, drawn as a note-off.
    EXPECT_TRUE(texts.within(2, 177, 176, 100).size() > 0);
    const DrawnText* bottom = texts.at(46, 261);
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(bottom->text, "NOTE OFF");
    EXPECT_EQ(bottom->colour, 248);
    EXPECT_EQ(texts.at(46, 261 - 12 * 7)->text, "NOTE OFF");  // the second message
    // A controller name stops short of the value column (here 7 pixels a
    // character: "123-ALL NOTE" of "123-ALL NOTE OFF" fits).
    EXPECT_EQ(texts.within(46, 261 - 12 * 5, 130, 12), (std::vector<std::string>{"CC", "123-ALL NOTE", "0"}));
    EXPECT_EQ(texts.within(46, 261 - 12 * 4, 130, 12), (std::vector<std::string>{"PROGRAM", "5"}));
    EXPECT_EQ(texts.within(46, 261 - 12 * 2, 130, 12), (std::vector<std::string>{"BEND", "0", "64"}));
    EXPECT_EQ(texts.at(46, 261 - 12 * 2)->colour, 4);
    EXPECT_EQ(texts.at(10, 261)->text, "2");  // device 2
    EXPECT_EQ(texts.at(28, 261)->text, "4");  // channel 4
}

TEST(MidiInPanel, ClockLampBlinksWhileTheDeviceSendsClock) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    const char* names[] = {"Keyboard", "Drum machine with a rather long name that is cut"};
    setInputDeviceNames(app, names, 2);
    app.engine.extClockAlive.store(50);
    onMidiInput(app, 1, 0xF8);  // device 2; the clock filter is OFF
    EXPECT_EQ(app.rec.clockActivity[1].load(), CLOCK_ACTIVITY_FRAMES);
    int shown = 0, hidden = 0;
    for (int i = 0; i < 6; ++i) {
        texts.clear();
        app.dirty.store(DIRTY_IN_MONITOR);
        repaint(app);
        (texts.at(156, 35) ? shown : hidden) += 1;
        EXPECT_EQ(texts.at(156, 19), nullptr);  // device 1 sends no clock
    }
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(hidden, 3);
    // Ten frames after the last clock message the lamp goes out for good.
    for (int i = 0; i < 10; ++i) frame(app);
    EXPECT_EQ(app.rec.clockActivity[1].load(), 0);
    for (int i = 0; i < 2; ++i) {
        texts.clear();
        app.dirty.store(DIRTY_IN_MONITOR);
        repaint(app);
        EXPECT_EQ(texts.at(156, 35), nullptr);
    }
    texts.clear();
    redrawAll(app);
    ASSERT_NE(texts.at(16, 35), nullptr);
    // A long name stops short of the "CLK" column.
    EXPECT_EQ(texts.at(16, 35)->text, std::string(names[1]).substr(0, 138 / 7));
}

TEST(MidiInPanel, ListsChooseTheRowUnderThePointer) {
    Harness h;
    AppState& app = *h;
    PersistentSettings& s = app.settings;
    struct Case {
        int32_t x, y;
        uint32_t PersistentSettings::*field;
        uint32_t row;
    } cases[] = {
        {20, 304, &PersistentSettings::recVelocity, 0},    {20, 308 + 16 * 11 + 5, &PersistentSettings::recVelocity, 11},
        {20, 340, &PersistentSettings::recVelocity, 2},    {80, 306 + 16 * 6 + 3, &PersistentSettings::tcIndex, 6},
        {80, 305, &PersistentSettings::tcIndex, 0},        {140, 308 + 16 * 5, &PersistentSettings::recDuration, 5},
        {140, 488, &PersistentSettings::recDuration, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        app.dirty.store(0);
        h.leftClick(c.x, c.y);
        EXPECT_EQ(s.*c.field, c.row);
        EXPECT_TRUE(app.dirty.load() & DIRTY_MIDI_IN);
        EXPECT_EQ((app.dirty.load() & DIRTY_GRID) != 0, c.field == &PersistentSettings::tcIndex);
    }
    // The chosen row sits on its band.
    s.recVelocity = 4;
    redrawAll(app);
    EXPECT_TRUE(h.pixelIs(3, 303 + 16 * 4 + 8, COL_BUTTON_ON));
    EXPECT_TRUE(h.pixelIs(3, 303 + 16 * 3 + 8, COL_PANEL));
}

TEST(MidiInPanel, EachTimingCorrectRowKeepsItsOwnShift) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    const int32_t row16 = 306 + 16 * 3 + 4, row8 = 306 + 16 * 1 + 4, row8t = 306 + 16 * 2 + 4;
    h.leftClick(80, row16);
    for (int i = 0; i < 5; ++i) h.wheel(80, 475, false);
    EXPECT_EQ(app.settings.shift[3], 5);
    h.leftClick(80, row8);
    onMiddleDown(app);
    for (int i = 0; i < 3; ++i) h.wheel(80, 475, true);  // -30, held at -23
    onMiddleUp(app);
    EXPECT_EQ(app.settings.shift[1], -23);
    h.leftClick(80, row16);
    texts.clear();
    redrawAll(app);
    EXPECT_EQ(texts.within(67, 469, 40, 18), (std::vector<std::string>{"+", " 5"}));
    // A non-zero value is drawn on yellow; the pointer's field in the hover colour.
    EXPECT_TRUE(h.pixelIs(100, 480, 5));
    EXPECT_TRUE(h.pixelIs(90, 445, 246));  // Swing% at 50
    for (int i = 0; i < 30; ++i) h.wheel(85, 440, false);
    EXPECT_EQ(app.settings.swing, 25u);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(74, 445, COL_HOVER));
    // 1/8-3 offers no swing: the wheel over its place does nothing.
    h.leftClick(80, row8t);
    h.wheel(85, 440, true);
    EXPECT_EQ(app.settings.swing, 25u);
    texts.clear();
    redrawAll(app);
    EXPECT_TRUE(texts.within(57, 415, 58, 20).empty());
    EXPECT_EQ(texts.within(67, 451, 40, 36), (std::vector<std::string>{"Shift", "0"}));
    // OFF offers neither.
    h.leftClick(80, 310);
    texts.clear();
    redrawAll(app);
    EXPECT_TRUE(texts.within(57, 415, 58, 80).empty());
}

TEST(MidiInPanel, AllTracksRecordingShowsNotesTakenAsPlayed) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    app.settings.recDuration = 4;
    app.allTracks = true;
    app.engine.recordMode.store(RECORD_OVER_DUB);
    app.engine.playing.store(true);
    app.dirty.store(0);
    frame(app);  // the frame notices the look change and repaints the panel
    EXPECT_TRUE(texts.within(57, 304, 60, 111) == std::vector<std::string>{"OFF   "});
    EXPECT_TRUE(texts.within(120, 304, 58, 192) == std::vector<std::string>{"PLAYED"});
    EXPECT_TRUE(texts.within(57, 415, 58, 80).empty());
    // The settings themselves are untouched, and the lists take no presses.
    h.leftClick(140, 308 + 16 * 8);
    EXPECT_EQ(app.settings.recDuration, 4u);
    EXPECT_EQ(app.settings.tcIndex, 3u);
    app.engine.playing.store(false);
    app.engine.recordMode.store(RECORD_OFF);
    texts.clear();
    frame(app);
    EXPECT_EQ(texts.within(57, 304, 60, 111).size(), size_t(TC_ROW_COUNT));
}

}  // namespace
}  // namespace qz::test
