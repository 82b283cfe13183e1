// Messages, menus, the text and note-edit dialogs and the canvas notices,
// driven through the screen framework as a user would: pointer input at
// canvas coordinates, answers from a scripted user.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "program/program.h"
#include "tests/ui/harness.h"
#include "ui/framework/panel.h"
#include "ui/screens/menus.h"
#include "ui/screens/note_edit_dialogs.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/track_menus.h"

namespace qz {
namespace {

using test::Harness;

// A stand-in track row: its one element opens TRACKMENU on a right click and
// the track rename dialog on a left click, and answers the text protocol.
struct RowLog {
    std::vector<uint32_t> textMessages;
    std::vector<std::string> offered;
    std::string refusePrefix = "S";
    std::string stored = "Bass";
} rowLog;

uint32_t rowElement(AppState& app, uint32_t msg, uint32_t) {
    if (msg == PM_RUP) trackMenu(app);
    if (msg == PM_LUP) textDialog(app, TRACK_RENAME_DIALOG);
    return msg == PM_RUP || msg == PM_LUP ? 0 : msg;
}

uint32_t rowPanel(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_PROBE: return hitTest(app, rowElement, 0, 0, 327, 58, 854, 37) ? 0 : msg;
        case PM_TEXT_GET:
            rowLog.textMessages.push_back(msg);
            copyName(app.ui->textBuffer, rowLog.stored.c_str());
            return 0;
        case PM_TEXT_SET: {
            rowLog.textMessages.push_back(msg);
            const std::string t = app.ui->textBuffer;
            rowLog.offered.push_back(t);
            if (t.rfind(rowLog.refusePrefix, 0) == 0) return 1;
            rowLog.stored = t;
            return 0;
        }
        case PM_TEXT_CANCEL: rowLog.textMessages.push_back(msg); return 0;
        default:
            return app.ui->hoverHandler.proc ? app.ui->hoverHandler.proc(app, msg, arg) : msg;
    }
}

struct RowHarness : Harness {
    RowHarness() {
        rowLog = RowLog{};
        app->ui->panels[PANEL_TRACK].proc = rowPanel;
    }
};

TEST(ShowError, TextsDetailAndNothingForZero) {
    Harness h;
    showError(*h, 13);
    showError(*h, 9, 3);
    showError(*h, 0);
    showError(*h, 8);
    auto boxes = h.user.of("box");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text, "Error operation bug !!");
    EXPECT_EQ(boxes[1].text, "Sequence room is full !! #3");
    EXPECT_EQ(boxes[2].text, "This MID file has bloken !!");
    // Errors the store queued come out oldest first; a drop path discards them.
    postError(*h, 3);
    postError(*h, 16);
    flushErrors(*h);
    boxes = h.user.of("box");
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[3].text, "Insufficient Memory !!");
    EXPECT_EQ(boxes[4].text, "Create sequence bug !!");
    postError(*h, 3);
    flushErrors(*h, false);
    EXPECT_EQ(h.user.of("box").size(), 5u);
    EXPECT_EQ(takeError(*h), 0);
}

TEST(PopupMenu, GreyedItemsDismissalAndThePointsPosition) {
    // Paste is greyed in BARMENU1 and ALLTRKBARMENU1 only.
    EXPECT_TRUE(BAR_MENU1.items[11].greyed);
    EXPECT_FALSE(BAR_MENU2.items[11].greyed);

    Harness h;
    h.app->ui->scrollX = 100;
    h.app->ui->scrollY = 20;
    h.move(400, 300);
    h.user.menuAnswers = {204, 0, 203};
    EXPECT_EQ(popupMenu(*h, BAR_MENU1), 0u);  // a greyed item is no choice
    EXPECT_EQ(h.user.lastMenuPoint, std::make_pair(300, 280));
    EXPECT_EQ(popupMenu(*h, SEQ_MENU), 0u);  // dismissed
    EXPECT_EQ(popupMenu(*h, SEQ_MENU), 203u);
    EXPECT_FALSE(h.user.ranOut);
}

TEST(TextDialog, RefusedTextKeepsItOpenAndOnlySixteenCharactersPass) {
    RowHarness h;
    h.user.steps = {test::enter({"Strings"}), test::enter({"Bass guitar and more"})};
    h.leftClick(400, 70);
    auto dialogs = h.user.of("text");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Track Rename.");
    EXPECT_EQ(dialogs[0].text, "Bass");  // PM_TEXT_GET filled it
    EXPECT_EQ(dialogs[0].after, std::vector<std::string>{"Strings"});
    EXPECT_EQ(rowLog.offered, (std::vector<std::string>{"Strings", "Bass guitar and "}));
    EXPECT_EQ(rowLog.stored, "Bass guitar and ");
    EXPECT_EQ(rowLog.textMessages, (std::vector<uint32_t>{PM_TEXT_GET, PM_TEXT_SET, PM_TEXT_SET}));
    EXPECT_TRUE(h.user.steps.empty());

    // Cancel tells the panel; a close from the frame tells it nothing.
    rowLog.textMessages.clear();
    h.user.steps = {test::cancel()};
    EXPECT_EQ(textDialog(*h, TRACK_RENAME_DIALOG), DIALOG_CANCEL);
    h.user.steps = {test::closeFrame()};
    EXPECT_EQ(textDialog(*h, CHORD_NAME_DIALOG), DIALOG_CLOSED);
    EXPECT_EQ(rowLog.textMessages, (std::vector<uint32_t>{PM_TEXT_GET, PM_TEXT_CANCEL, PM_TEXT_GET}));
    EXPECT_EQ(rowLog.stored, "Bass guitar and ");
    EXPECT_EQ(h.user.of("text")[2].title, "Chord Name.");
}

TEST(EditDialogs, VelocityAndDurationLimits) {
    Harness h;
    struct Case {
        std::vector<test::Step> steps;
        int result;
        std::vector<std::string> resets;
        int32_t stored;
    } velocity[] = {
        {{test::enter({"0"}), test::enter({"128"}), test::enter({"64"})}, DIALOG_ENTER, {"127", "127"}, 64},
        {{test::radio(0, 3), test::enter({"201"}), test::enter({"200"})}, DIALOG_ENTER, {"200"}, 200},
        {{test::enter({"abc"}), test::enter({""}), test::cancel()}, DIALOG_CANCEL, {"127", "127"}, 200},
        {{test::enter({"1234"})}, DIALOG_ENTER, {}, 123},  // the field holds 3 digits
    };
    for (size_t i = 0; i < std::size(velocity); ++i) {
        const Case& c = velocity[i];
        h.user.shown.clear();
        h.user.steps.assign(c.steps.begin(), c.steps.end());
        screens(*h.app).noteEdit.editMode = EDIT_ADD;  // every opening starts at SET
        EXPECT_EQ(editVelocityDialog(*h), c.result) << "case " << i;
        ASSERT_EQ(h.user.of("form").size(), 1u);
        EXPECT_EQ(h.user.of("form")[0].after, c.resets) << "case " << i;
        EXPECT_EQ(screens(*h.app).noteEdit.velocityValue, c.stored) << "case " << i;
    }
    EXPECT_EQ(screens(*h.app).noteEdit.editMode, EDIT_SET);

    h.user.shown.clear();
    h.user.steps = {test::enter({"0"}), test::radio(0, 1), test::enter({"9999"})};
    EXPECT_EQ(editDurationDialog(*h), DIALOG_ENTER);
    EXPECT_EQ(h.user.of("form")[0].after, std::vector<std::string>{"9999"});
    EXPECT_EQ(screens(*h.app).noteEdit.durationValue, 9999);
    EXPECT_EQ(screens(*h.app).noteEdit.editMode, EDIT_ADD);
    h.user.shown.clear();
    h.user.steps = {test::radio(0, 3), test::enter({"300"}), test::enter({"150"})};
    EXPECT_EQ(editDurationDialog(*h), DIALOG_ENTER);
    EXPECT_EQ(h.user.of("form")[0].after, std::vector<std::string>{"200"});
    EXPECT_EQ(screens(*h.app).noteEdit.durationValue, 150);
    EXPECT_EQ(screens(*h.app).noteEdit.editMode, EDIT_PERCENT);
}

TEST(EditDialogs, TimingCorrectChecksInOrderAndButtonsActAtOnce) {
    Harness h;
    NoteEditSettings& n = screens(*h.app).noteEdit;
    h.user.steps = {test::enter({"101", "49", "80"}), test::enter({"50", "49", "80"}),
                    test::enter({"50", "10", "80"}), test::enter({"50", "10", "75"})};
    EXPECT_EQ(editTimingDialog(*h), DIALOG_ENTER);
    auto form = h.user.of("form");
    ASSERT_EQ(form.size(), 1u);
    EXPECT_EQ(form[0].title, "EDIT_TC");
    // Only the first failing field is reset; fields that passed keep their value.
    EXPECT_EQ(form[0].after, (std::vector<std::string>{"100|49|80", "50|0|80", "50|10|50"}));
    EXPECT_EQ(n.editStrength, 50);
    EXPECT_EQ(n.editShift, 10);
    EXPECT_EQ(n.editSwing, 75);

    // Grid and shift buttons count even when the dialog is cancelled, and
    // the dialog opens on them next time.
    h.user.steps = {test::radio(0, 2), test::radio(1, 0), test::cancel()};
    EXPECT_EQ(editTimingDialog(*h), DIALOG_CANCEL);
    EXPECT_EQ(n.editGrid, 64);
    EXPECT_EQ(n.editShiftEarlier, 1u);
    static int checkedGrid = -1, checkedShift = -1;
    h.app->ui->platform.formDialog = [](void*, FormDialog& f) {
        checkedGrid = f.groups[0].checked;
        checkedShift = f.groups[1].checked;
        return DIALOG_CLOSED;
    };
    EXPECT_EQ(editTimingDialog(*h), DIALOG_CLOSED);
    EXPECT_EQ(checkedGrid, 2);   // "1/8-3"
    EXPECT_EQ(checkedShift, 0);  // "Shift Earlier"
}

TEST(TrackMenu, VelocityEditRunsAfterEnterWithUndoAndNotice) {
    RowHarness h;
    h.sequenceWithNotes(1, "Song", {0, 96, 192}, 60, 100);
    h.app->currentTrack = 1;
    h.user.menuAnswers = {MENU_VELOCITY};
    h.user.steps = {test::radio(0, 3), test::enter({"50"})};
    h.rightClick(400, 70);
    ASSERT_EQ(h.user.of("menu").size(), 1u);
    EXPECT_EQ(h.user.of("menu")[0].title, "TRACKMENU");
    ASSERT_EQ(h.user.of("form").size(), 1u);
    EXPECT_EQ(h.user.of("form")[0].text, "Track 1 Velocity edit.");
    for (int i = 0; i < eventCount(*h); ++i) EXPECT_EQ(events(*h)[i].data2, 50) << i;
    ASSERT_NE(h.app->undoCopy, nullptr);
    EXPECT_EQ(seqEvents(h.app->undoCopy)[0].data2, 100);
    EXPECT_EQ(h.user.waits, std::vector<uint32_t>{500});
    EXPECT_EQ(h.user.cursors, (std::vector<int>{CURSOR_BUSY, CURSOR_ARROW}));

    // Cancel runs nothing.
    h.user.waits.clear();
    h.user.menuAnswers = {MENU_DURATION};
    h.user.steps = {test::cancel()};
    h.rightClick(400, 70);
    EXPECT_TRUE(h.user.waits.empty());
    EXPECT_EQ(events(*h)[0].value, 24u);

    // "Erase all tracks" asks first; No keeps the events.
    h.user.menuAnswers = {MENU_ERASE_ALL, MENU_ERASE_ALL};
    h.user.boxAnswers = {ANSWER_NO, ANSWER_YES};
    h.rightClick(400, 70);
    EXPECT_EQ(eventCount(*h), 3);
    h.rightClick(400, 70);
    EXPECT_EQ(eventCount(*h), 0);
    EXPECT_EQ(h.user.of("box")[0].text, "Erase ALL tracks ?");
    EXPECT_EQ(h.user.of("box")[0].title, "Track");
    EXPECT_FALSE(h.user.ranOut);
}

TEST(PadMenu, TimingCorrectMovesOnlyThePadsNotes) {
    Harness h;
    h.sequenceWithNotes(1, "Beat", {13}, 36);
    insertEvent(*h, 13, 1, ST_NOTE, 38, 100, 24);
    h.user.menuAnswers = {MENU_TIMING};
    h.user.steps = {test::radio(0, 3), test::enter({"100", "0", "50"})};
    padMenu(*h, 36);
    EXPECT_EQ(h.user.of("form")[0].text, "Note 36 Timing Correct.");
    ASSERT_EQ(eventCount(*h), 2);
    for (int i = 0; i < 2; ++i) {
        const SeqEvent& e = events(*h)[i];
        EXPECT_EQ(e.time, e.data1 == 36 ? 24 : 13) << "note " << int(e.data1);
    }
}

}  // namespace
}  // namespace qz
