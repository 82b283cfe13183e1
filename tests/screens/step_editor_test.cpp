// The step editor through pointer, wheel and clicks at canvas coordinates:
// the filters, the row formats, wheel edits, ENTER insertion and the
// right-click delete.
#include <cstring>

#include "engine/engine.h"
#include "tests/screens/text_log.h"
#include "tests/ui/harness.h"

namespace qz::test {
namespace {

constexpr int32_t ROW0_Y = 168;  // middle of the list's first row

struct StepEditor : ::testing::Test {
    Harness h;
    AppState& app = *h;
    TextLog text;
    void SetUp() override {
        text.install(app.ui->draw);
        ASSERT_EQ(ensureSequence(app), 0);
        h.leftClick(950, 600);  // STEP EDIT
        ASSERT_TRUE(app.ui->stepEditView);
    }
    StepEditorState& st() { return screens(app).stepEditor; }
    const SeqEvent& event(int32_t i) { return seqEvents(app.seq)[i]; }
    // The events listed at the last repaint, as (time, track, status).
    std::vector<std::tuple<Tick, int, int>> listed() {
        repaint(app);
        std::vector<std::tuple<Tick, int, int>> out;
        for (int32_t i : st().rows)
            if (i >= 0) out.push_back({event(i).time, event(i).track, event(i).status});
        return out;
    }
    void wheelAt(int32_t x, int32_t y, int steps) {
        for (int i = 0; i < std::abs(steps); ++i) {
            h.move(x, y);
            repaint(app);  // the field under the pointer is found by the repaint
            onWheel(app, steps < 0);
        }
    }
};

TEST_F(StepEditor, FiltersByTrackKindAndNumber) {
    insertEvent(app, 0, 5, ST_NOTE, 60, 100, 24);
    insertEvent(app, 10, 3, ST_NOTE, 62, 100, 24);
    insertEvent(app, 20, 5, ST_CONTROL, 7, 90, 0);
    insertEvent(app, 25, 5, ST_CONTROL, 10, 64, 0);
    insertEvent(app, 30, TEMPO_TRACK, ST_TEMPO, 0, 0, 1400);
    using L = std::vector<std::tuple<Tick, int, int>>;
    wheelAt(1070, 100, 4);  // Track 1 -> 5
    EXPECT_EQ(app.currentTrack, 5);
    EXPECT_EQ(listed(), (L{{0, 5, 0x90}, {20, 5, 0xB0}, {25, 5, 0xB0}, {30, 18, 0x81}}));
    wheelAt(1070, 118, 2);  // View: CTRL CHANGE
    EXPECT_EQ(listed(), (L{{20, 5, 0xB0}, {25, 5, 0xB0}}));
    wheelAt(1200, 118, 11);  // No. 10
    EXPECT_EQ(listed(), (L{{25, 5, 0xB0}}));
    wheelAt(1070, 118, 9);  // View: TEMPO, the last, whatever the track
    EXPECT_EQ(listed(), (L{{30, 18, 0x81}}));
    // A row past the end shows the sequence length.
    EXPECT_NE(text.at(1076, ROW0_Y - 7 + 14), nullptr);
}

TEST_F(StepEditor, PitchBendStopsAtTheCentreAndTheEditMarksTheSequence) {
    insertEvent(app, 0, 1, ST_PITCH_BEND, 8191 & 127, 8191 >> 7, 0);
    app.seq->modified = 0;
    auto bend = [&] { return event(0).data2 * 128 + event(0).data1; };
    wheelAt(1222, ROW0_Y, 1);  // right end: steps of 6
    EXPECT_EQ(bend(), 8192);
    wheelAt(1222, ROW0_Y, 1);
    EXPECT_EQ(bend(), 8198);
    wheelAt(1165, ROW0_Y, -1);  // left end: steps of 137, down past the centre
    EXPECT_EQ(bend(), 8192);
    EXPECT_EQ(app.seq->modified, 1);
    // The duration digits: hundreds, tens and ones by the pointer's place.
    insertEvent(app, 5, 1, ST_NOTE, 60, 100, 24);
    wheelAt(1205, ROW0_Y + 14, 1);
    wheelAt(1215, ROW0_Y + 14, 1);
    wheelAt(1230, ROW0_Y + 14, 1);
    EXPECT_EQ(event(1).value, 135u);
}

TEST_F(StepEditor, EnterInsertsAtTheCursorWithTheControllersStartValue) {
    struct Case {
        int controller, value;
    } cases[] = {{7, 100}, {11, 127}, {10, 64}, {1, 0}};
    Tick t = 0;
    for (const Case& c : cases) {
        st().insertController = c.controller;
        locateTick(app, t);
        h.leftClick(1200, 145);
        const int32_t i = firstEventAtTick(app.seq, t);
        ASSERT_LT(i, app.seq->eventCount);
        EXPECT_EQ(event(i).status, ST_CONTROL);
        EXPECT_EQ(event(i).data2, c.value) << "controller " << c.controller;
        t += 96;
    }
    // TEMPO goes on the tempo track at 120.0.
    st().insertType = 3;
    locateTick(app, 500);
    h.leftClick(1200, 145);
    const SeqEvent& e = event(firstEventAtTick(app.seq, 500));
    EXPECT_EQ(e.track, TEMPO_TRACK);
    EXPECT_EQ(e.value, 1200u);
    EXPECT_EQ(e.value2, 500000u);
    // Nothing at the sequence end.
    const int32_t before = app.seq->eventCount;
    locateTick(app, app.lengthTicks);
    h.leftClick(1200, 145);
    EXPECT_EQ(app.seq->eventCount, before);
}

TEST_F(StepEditor, SysexShowsTenBytesThenTwoOfTheNextRecord) {
    const uint8_t first[10] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41};
    const uint8_t next[10] = {0x02, 0x03, 0x04, 0xF7};
    for (const uint8_t* bytes : {next, first}) {
        SeqEvent e{};
        e.track = 1;
        e.status = ST_SYSEX;
        std::memcpy(reinterpret_cast<uint8_t*>(&e) + 6, bytes, 10);
        insertEventRecord(app, e);
    }
    EXPECT_EQ(listed().size(), 1u);  // the continuation is no row of its own
    const int32_t y = ROW0_Y - 7;
    ASSERT_NE(text.at(1101 + 15 * 9, y), nullptr);
    EXPECT_EQ(text.at(1251, y)->text, "02");
    EXPECT_EQ(text.at(1266, y)->text, "03");
    ASSERT_NE(text.at(1281, y), nullptr);
    EXPECT_EQ(text.at(1281, y)->text, ",,,");
}

TEST_F(StepEditor, RightClickDeletesTheEventWithUndo) {
    insertEvent(app, 0, 1, ST_NOTE, 60, 100, 24);
    insertEvent(app, 96, 1, ST_NOTE, 62, 100, 24);
    repaint(app);
    h.user.menuAnswers = {MENU_STEP_DELETE, MENU_STEP_CANCEL};
    h.rightClick(1100, ROW0_Y);
    ASSERT_EQ(app.seq->eventCount, 1);
    EXPECT_EQ(event(0).data1, 62);
    h.rightClick(1100, ROW0_Y);
    EXPECT_EQ(app.seq->eventCount, 1);
    undo(app);
    EXPECT_EQ(app.seq->eventCount, 2);
    // Close ends the mode.
    h.leftClick(1120, 540);
    EXPECT_FALSE(app.ui->stepEditView);
}

}  // namespace
}  // namespace qz::test
