// The MIDI out monitor: its list of the output log, the grey F8 lines, the
// channel and clock fields and CLEAR.
#include "engine/engine.h"
#include "program/program.h"
#include "tests/screens/text_log.h"
#include "tests/ui/harness.h"
#include "ui/framework/panel.h"

namespace qz::test {
namespace {

uint32_t packed(uint8_t status, uint8_t d1, uint8_t d2, uint8_t port = 0) {
    return status | uint32_t(d1) << 8 | uint32_t(d2) << 16 | uint32_t(port) << 24;
}

// Status texts of the list, top to bottom.
std::vector<std::string> listedStatus(const TextLog& texts) {
    std::vector<std::string> out;
    for (int i = 0; i < 43; ++i)
        if (const DrawnText* d = texts.at(1565, 62 + 12 * i)) out.push_back(d->text);
    return out;
}

void repaintList(AppState& app) {
    app.dirty.store(DIRTY_OUT_MONITOR_LIST);
    repaint(app);
}

TEST(OutMonitorPanel, ListsTheNewestFortyThreeOldestOnTop) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    for (int i = 0; i < 50; ++i) logOutput(app, packed(0x90 | (i % 16), uint8_t(i), 100, uint8_t(i % 3)));
    logOutput(app, packed(0xB2, 7, 90, 1));
    logOutput(app, packed(0xF0, 1, 0, 0));  // the GS drum-part message
    EXPECT_TRUE(app.dirty.load() & DIRTY_OUT_MONITOR_LIST);
    repaintList(app);
    const auto status = listedStatus(texts);
    ASSERT_EQ(status.size(), 43u);
    // 52 logged: the first nine have scrolled out.
    const DrawnText* first = texts.at(1620 + 4, 62);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text, " 9");
    EXPECT_EQ(texts.at(1529, 62)->text, "1");  // port 0 shows as 1
    EXPECT_EQ(texts.at(1547, 62)->text, "10");
    EXPECT_EQ(status[41], "CC");
    EXPECT_EQ(texts.at(1675, 62 + 12 * 41)->text, "90");
    EXPECT_EQ(status[42], "EXC( GS DRUM )");
    EXPECT_EQ(texts.at(1547, 62 + 12 * 42), nullptr);  // no channel on system lines
}

TEST(OutMonitorPanel, EveryEighthClockLineIsGreyAcrossRedraws) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    for (int i = 0; i < 10; ++i) logOutput(app, packed(0xF8, 0, 0));
    auto greyLines = [&] {
        std::vector<int> grey;
        for (int i = 0; i < 10; ++i) {
            const DrawnText* d = texts.at(1565, 62 + 12 * i);
            EXPECT_NE(d, nullptr);
            if (d && d->text == "F8" && d->colour == 248) grey.push_back(i);
        }
        return grey;
    };
    texts.clear();
    repaintList(app);
    EXPECT_EQ(greyLines(), (std::vector<int>{0, 8}));
    // The count goes on with the next redraw: the 16th F8 drawn is line 6.
    texts.clear();
    repaintList(app);
    EXPECT_EQ(greyLines(), (std::vector<int>{6}));
}

TEST(OutMonitorPanel, ClearEmptiesTheListAndLooksPressedWhileHeld) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    for (int i = 0; i < 5; ++i) logOutput(app, packed(0x90, 60, 100));
    repaintList(app);
    const uint32_t raised = h.pixel(1521, 586);
    h.move(1600, 600);
    onLeftDown(app, 1600, 600);
    texts.clear();
    repaint(app);
    EXPECT_TRUE(listedStatus(texts).empty());
    EXPECT_NE(h.pixel(1521, 586), raised);
    onLeftUp(app);
    repaint(app);
    EXPECT_EQ(h.pixel(1521, 586), raised);
    // What is sent afterwards shows again.
    logOutput(app, packed(0xC0, 5, 0));
    texts.clear();
    repaint(app);
    EXPECT_EQ(listedStatus(texts), std::vector<std::string>{"PROGRAM"});
    EXPECT_EQ(texts.at(1630, 62)->text, "6");
}

TEST(OutMonitorPanel, DisplayChannelAndClockFields) {
    Harness h;
    AppState& app = *h;
    TextLog texts;
    texts.install(app.ui->draw);
    for (int i = 0; i < 20; ++i) h.wheel(1600, 30, false);
    EXPECT_EQ(app.engine.outMonitorChannel.load(), 16);
    for (int i = 0; i < 20; ++i) h.wheel(1600, 30, true);
    EXPECT_EQ(app.engine.outMonitorChannel.load(), 0);
    h.wheel(1600, 30, false);
    h.wheel(1600, 30, false);
    texts.clear();
    repaint(app);
    EXPECT_EQ(texts.lastIn(1588, 23, 28, 15), "2");
    // Only channel 2 is logged now.
    sendPortMessage(app, 0, 0, 0x90, 60, 100);
    sendPortMessage(app, 0, 1, 0x90, 61, 100);
    texts.clear();
    repaintList(app);
    EXPECT_EQ(listedStatus(texts), std::vector<std::string>{"NOTE ON "});

    // Clock F8 is offered only while clock output is on.
    ASSERT_EQ(app.settings.showClockInMonitor, 1u);
    h.leftClick(1680, 30);
    EXPECT_EQ(app.settings.showClockInMonitor, 1u);
    app.settings.clockOutPort = 1;
    texts.clear();
    redrawAll(app);
    EXPECT_EQ(texts.lastIn(1667, 23, 27, 15), "YES");
    h.leftClick(1680, 30);
    EXPECT_EQ(app.settings.showClockInMonitor, 0u);
    texts.clear();
    repaint(app);
    EXPECT_EQ(texts.lastIn(1667, 23, 27, 15), "NO");
    h.wheel(1680, 30, false);
    EXPECT_EQ(app.settings.showClockInMonitor, 1u);

    // Turning clock output off and on at the sequence row shows the field
    // at the next repaint, not only after a full one.
    app.engine.outPortCount = 1;
    for (const char* shown : {"", "Clock F8"}) {
        h.leftClick(1140, 40);
        texts.clear();
        repaint(app);
        EXPECT_EQ(texts.lastIn(1618, 21, 48, 18), shown);
    }
}

}  // namespace
}  // namespace qz::test
