// The metronome panel through real pointer and wheel input.
#include "engine/engine.h"
#include "platform/null/memory_ports.h"
#include "program/program.h"
#include "tests/screens/text_log.h"
#include "tests/ui/harness.h"
#include "ui/framework/panel.h"

namespace qz::test {
namespace {

// The metronome settings as the tick reads them.
uint32_t& word(AppState& app, uint32_t PersistentSettings::*f) { return app.settings.*f; }

TEST(MetronomePanel, SwitchesToggleOnPressAndStepWithinOneOnTheWheel) {
    struct Case {
        int32_t x, y;
        uint32_t PersistentSettings::*field;
    } cases[] = {{20, 530, &PersistentSettings::recCountIn},
                 {150, 530, &PersistentSettings::clickInRec},
                 {20, 550, &PersistentSettings::playCountIn},
                 {150, 550, &PersistentSettings::clickInPlay}};
    Harness h;
    AppState& app = *h;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "switch at " << c.x << "," << c.y);
        ASSERT_EQ(word(app, c.field), 0u);
        app.dirty.store(0);
        h.leftClick(c.x, c.y);
        EXPECT_EQ(word(app, c.field), 1u);
        EXPECT_TRUE(app.dirty.load() & DIRTY_METRONOME);
        h.wheel(c.x, c.y, false);  // +1 at the top stays 1
        EXPECT_EQ(word(app, c.field), 1u);
        h.wheel(c.x, c.y, true);
        h.wheel(c.x, c.y, true);
        EXPECT_EQ(word(app, c.field), 0u);
    }
    // Only the switch under the pointer changed each time; the lit face shows.
    h.leftClick(20, 530);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(20, 536, COL_BUTTON_ON));
    EXPECT_TRUE(h.pixelIs(150, 536, COL_BUTTON_OFF));
}

TEST(MetronomePanel, FieldsStepWithinTheirLimits) {
    Harness h;
    AppState& app = *h;
    app.engine.outPortCount = 3;
    struct Case {
        const char* name;
        int32_t x, y;
        uint32_t PersistentSettings::*field;
        uint32_t start, low, high;
    } cases[] = {
        {"Rate", 45, 578, &PersistentSettings::clickRate, 0, 0, 1},
        {"Vel. A", 115, 578, &PersistentSettings::accentVelocity, 127, 1, 127},
        {"N", 160, 578, &PersistentSettings::normalVelocity, 50, 1, 127},
        {"Note", 50, 598, &PersistentSettings::clickNote, 31, 0, 127},
        {"Ch.", 110, 598, &PersistentSettings::clickChannel, 9, 0, 15},
        {"Dev.", 160, 598, &PersistentSettings::clickPort, 1, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(word(app, c.field), c.start);
        onMiddleDown(app);  // steps of 10
        for (int i = 0; i < 20; ++i) h.wheel(c.x, c.y, false);
        EXPECT_EQ(word(app, c.field), c.high);
        for (int i = 0; i < 20; ++i) h.wheel(c.x, c.y, true);
        EXPECT_EQ(word(app, c.field), c.low);
        onMiddleUp(app);
        h.wheel(c.x, c.y, false);
        EXPECT_EQ(word(app, c.field), c.low + 1);
    }
    // A press on Rate toggles 1/4 and 1/8.
    word(app, &PersistentSettings::clickRate) = 0;
    h.leftClick(45, 578);
    EXPECT_EQ(word(app, &PersistentSettings::clickRate), 1u);
    h.leftClick(45, 578);
    EXPECT_EQ(word(app, &PersistentSettings::clickRate), 0u);
}

TEST(MetronomePanel, NoteChannelAndDeviceAuditionWhilePressed) {
    Harness h;
    AppState& app = *h;
    MemoryPorts ports;
    initMemoryPorts(ports, &app.engine.msClock, 3, 64);
    app.engine.out = memoryPortsOutput(ports);
    app.engine.outPortCount = 3;
    app.settings.clickPort = 2;
    app.settings.clickChannel = 9;
    app.settings.clickNote = 37;
    for (auto [x, y] : {std::pair{50, 598}, {110, 598}, {160, 598}}) {
        SCOPED_TRACE(x);
        ports.log.clear();
        h.move(x, y);
        onLeftDown(app, x, y);
        ASSERT_EQ(ports.log.size(), 1u);
        EXPECT_EQ(ports.log[0].port, 2);
        EXPECT_EQ(formatEntry(ports.log[0]).substr(formatEntry(ports.log[0]).find(' ') + 3), "99 25 7F");
        onLeftUp(app);
        ASSERT_EQ(ports.log.size(), 2u);
        EXPECT_EQ(formatEntry(ports.log[1]).substr(formatEntry(ports.log[1]).find(' ') + 3), "99 25 00");
    }
    // The velocity fields and the switches sound nothing.
    ports.log.clear();
    h.leftClick(115, 578);
    h.leftClick(20, 530);
    EXPECT_TRUE(ports.log.empty());
}

TEST(MetronomePanel, ShowsValuesAndFollowsThePointer) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    app.engine.outPortCount = 2;
    app.settings.clickPort = 7;  // a port of an earlier run that is gone
    app.settings.clickRate = 1;
    redrawAll(app);
    EXPECT_EQ(app.settings.clickPort, 1u);
    // Without any port the stored port is kept for a run with the ports back.
    app.engine.outPortCount = 0;
    app.settings.clickPort = 4;
    redrawAll(app);
    EXPECT_EQ(app.settings.clickPort, 4u);
    app.engine.outPortCount = 2;
    app.settings.clickPort = 1;
    texts.clear();
    redrawAll(app);
    EXPECT_EQ(texts.within(36, 572, 25, 18), std::vector<std::string>{"1/8"});
    EXPECT_EQ(texts.within(101, 592, 20, 16), std::vector<std::string>{"10"});
    EXPECT_EQ(texts.within(152, 592, 20, 16), std::vector<std::string>{" 2"});
    EXPECT_EQ(texts.within(30, 592, 43, 16), (std::vector<std::string>{"31", "G "}));

    // Hovering a field lights it; leaving it puts the plain face back.
    EXPECT_TRUE(h.pixelIs(110, 580, COL_FIELD));
    h.move(115, 578);
    repaint(app);
    EXPECT_TRUE(h.pixelIs(110, 580, COL_HOVER));
    h.move(90, 540);  // a switch
    repaint(app);
    EXPECT_TRUE(h.pixelIs(110, 580, COL_FIELD));
}

}  // namespace
}  // namespace qz::test
