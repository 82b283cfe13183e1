// The Qt dialogs of the platform table, offscreen: a refused text keeps the
// text dialog open, a form's failed check shows the reset field and stays
// open, the rename dialog hands back the typed name. A timer plays the user.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/main_window.h"
#include "program/app_state.h"  // before Qt: the state has a field named `slots`
#include "program/program.h"
#include "ui/framework/panel.h"

namespace qz {
namespace {

using Action = std::function<void(QWidget*)>;

// Run `actions` one by one against the open modal dialog, each when the
// previous one has been carried out and a modal dialog is showing.
void playUser(std::vector<Action> actions) {
    // Owned by the application, so a timer whose last action closed the
    // dialog is still freed at the end.
    auto* timer = new QTimer(qApp);
    auto pending = std::make_shared<std::vector<Action>>(std::move(actions));
    QObject::connect(timer, &QTimer::timeout, [timer, pending] {
        if (pending->empty()) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        QWidget* dlg = QApplication::activeModalWidget();
        if (!dlg) return;
        Action a = pending->front();
        pending->erase(pending->begin());
        a(dlg);
    });
    timer->start(20);
}

void type(QWidget* dlg, int field, const char* text) { dlg->findChildren<QLineEdit*>()[field]->setText(text); }
void press(QWidget* dlg, const char* button) {
    for (QPushButton* b : dlg->findChildren<QPushButton*>())
        if (b->text() == QString::fromLatin1(button)) return b->click();
    ADD_FAILURE() << "no button " << button;
}
std::string fieldText(QWidget* dlg, int field) {
    return dlg->findChildren<QLineEdit*>()[field]->text().toStdString();
}

TEST(QtDialogs, RefusalKeepsTheDialogOpenAndChecksResetFields) {
    auto app = std::make_unique<AppState>();
    attachUi(*app);
    installQtUiPlatform(*app);
    const UiPlatform& p = app->ui->platform;

    // Text dialog: the first text is refused, the dialog stays with it.
    std::vector<std::string> offered;
    std::string afterRefusal;
    playUser({[](QWidget* d) { type(d, 0, "Strings"); press(d, "Enter"); },
              [&](QWidget* d) { afterRefusal = fieldText(d, 0); type(d, 0, "Bass"); press(d, "Enter"); }});
    struct Ctx { std::vector<std::string>* offered; } ctx{&offered};
    const TextDialogDef def{"TRKRENAME", "Track Rename.", 120, 70, 140, 40};
    const int r = p.textDialog(p.user, def, "Old", 16, [](void* c, const char* t) {
        static_cast<Ctx*>(c)->offered->push_back(t);
        return std::string(t) != "Strings";
    }, &ctx);
    EXPECT_EQ(r, DIALOG_ENTER);
    EXPECT_EQ(offered, (std::vector<std::string>{"Strings", "Bass"}));
    EXPECT_EQ(afterRefusal, "Strings");

    // Form: a failed check rewrites the field shown; a radio acts at once.
    FormDialog f;
    f.title = "Velocity";
    f.groupCount = 1;
    f.groups[0] = {{"SET value.", "ADD value."}, 2, 0};
    f.fieldCount = 1;
    f.fields[0].label = "Value:";
    f.fields[0].maxChars = 3;
    static int radioSeen = -1;
    f.onRadio = [](FormDialog&, int, int index) { radioSeen = index; };
    f.onEnter = [](FormDialog& form) {
        if (std::string(form.fields[0].text) == "64") return true;
        std::snprintf(form.fields[0].text, sizeof form.fields[0].text, "127");
        return false;
    };
    std::string reset;
    playUser({[](QWidget* d) { type(d, 0, "1280"); press(d, "Enter"); },
              [&](QWidget* d) {
                  reset = fieldText(d, 0);
                  d->findChildren<QRadioButton*>()[1]->click();
                  type(d, 0, "64");
                  press(d, "Enter");
              }});
    EXPECT_EQ(p.formDialog(p.user, f), DIALOG_ENTER);
    EXPECT_EQ(reset, "127");
    EXPECT_EQ(radioSeen, 1);

    // Rename dialog: the typed name, at most 15 characters.
    char name[16] = "Song";
    playUser({[](QWidget* d) { type(d, 0, "A much longer name"); press(d, "Rename Load"); }});
    EXPECT_EQ(p.replaceOrRename(p.user, "<< Sequence name already exists >>", name), REPLACE_RENAME);
    EXPECT_STREQ(name, "A much longer n");
    playUser({[](QWidget* d) { d->close(); }});
    EXPECT_EQ(p.replaceOrRename(p.user, "x", name), REPLACE_CANCEL);
}

}  // namespace
}  // namespace qz

int main(int argc, char** argv) {
    // Test discovery runs this without the test's environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
