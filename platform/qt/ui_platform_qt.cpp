// The screen framework's platform table on Qt: message boxes, popup menus,
// the modal text, form and rename dialogs, file and folder dialogs, pointer
// shapes and warping.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWidget>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/qt/main_window.h"
#include "platform/qt/window_access.h"
#include "program/app_state.h"  // before Qt: the state has a field named `slots`
#include "ui/framework/ui_state.h"

namespace qz {

namespace {

QString latin1(const char* s) { return QString::fromLatin1(s ? s : ""); }

// A dialog that tells a close from its frame apart from its buttons.
class ModalDialog : public QDialog {
public:
    explicit ModalDialog(const char* title) : QDialog(mainWindowWidget()) {
        setWindowTitle(latin1(title));
        setModal(true);
    }
    int frameResult = 0;

protected:
    void closeEvent(QCloseEvent* e) override {
        e->accept();
        done(frameResult);
    }
    // Escape means the Cancel button, as in the system's own dialogs.
    void reject() override { done(cancelResult); }

public:
    int cancelResult = DIALOG_CANCEL;
};

QPushButton* addButton(QHBoxLayout* row, const char* text, bool isDefault = false) {
    auto* b = new QPushButton(latin1(text));
    b->setAutoDefault(isDefault);
    b->setDefault(isDefault);
    row->addWidget(b);
    return b;
}

int messageBox(void*, const char* title, const char* text, int buttons, int icon) {
    QMessageBox box(mainWindowWidget());
    box.setWindowTitle(latin1(title));
    box.setText(latin1(text));
    box.setIcon(icon == MB_ICON_ERROR      ? QMessageBox::Critical
                : icon == MB_ICON_QUESTION ? QMessageBox::Question
                : icon == MB_ICON_INFO     ? QMessageBox::Information
                : icon == MB_ICON_WARNING  ? QMessageBox::Warning
                                           : QMessageBox::NoIcon);
    if (buttons == MB_YES_NO_CANCEL)
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    else if (buttons == MB_OK_CANCEL)
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    else
        box.setStandardButtons(QMessageBox::Ok);
    switch (box.exec()) {
        case QMessageBox::Ok: return ANSWER_OK;
        case QMessageBox::Yes: return ANSWER_YES;
        case QMessageBox::No: return ANSWER_NO;
        case QMessageBox::Cancel: return ANSWER_CANCEL;
        default: return ANSWER_CLOSED;
    }
}

QPoint clientToGlobal(int32_t x, int32_t y) {
    QWidget* area = clientAreaWidget();
    return area ? area->mapToGlobal(QPoint(x, y)) : QPoint(x, y);
}

uint32_t popupMenu(void*, const MenuDef& def, int32_t x, int32_t y) {
    QMenu menu(mainWindowWidget());
    for (int i = 0; i < def.count; ++i) {
        const MenuItem& item = def.items[i];
        if (item.id == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* a = menu.addAction(latin1(item.text));
        a->setData(item.id);
        a->setEnabled(!item.greyed);
    }
    QAction* chosen = menu.exec(clientToGlobal(x, y));
    return chosen ? chosen->data().toUInt() : 0;
}

int textDialog(void*, const TextDialogDef& def, const char* initial, int maxChars,
               bool (*accept)(void* ctx, const char* text), void* ctx) {
    ModalDialog dlg(def.title);
    auto* edit = new QLineEdit(latin1(initial));
    auto* buttons = new QHBoxLayout;
    QPushButton* enter = addButton(buttons, "Enter", true);
    QPushButton* cancel = addButton(buttons, "Cancel");
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(edit);
    layout->addLayout(buttons);
    QObject::connect(enter, &QPushButton::clicked, &dlg, [&] {
        const QByteArray text = edit->text().toLatin1().left(maxChars);
        if (accept(ctx, text.constData())) {
            dlg.done(DIALOG_ENTER);
        } else {
            edit->setFocus();  // refused: stay open with the typed text
        }
    });
    QObject::connect(cancel, &QPushButton::clicked, &dlg, [&] { dlg.done(DIALOG_CANCEL); });
    return dlg.exec();
}

int formDialog(void*, FormDialog& form) {
    ModalDialog dlg(form.title);
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(latin1(form.titleLine)));
    auto* groupsRow = new QHBoxLayout;
    for (int g = 0; g < form.groupCount; ++g) {
        auto* column = new QVBoxLayout;
        auto* group = new QButtonGroup(&dlg);
        for (int i = 0; i < form.groups[g].count; ++i) {
            auto* rb = new QRadioButton(latin1(form.groups[g].labels[i]));
            rb->setChecked(i == form.groups[g].checked);
            group->addButton(rb, i);
            column->addWidget(rb);
        }
        QObject::connect(group, &QButtonGroup::idClicked, &dlg, [&form, g](int id) {
            form.groups[g].checked = id;
            if (form.onRadio) form.onRadio(form, g, id);
        });
        groupsRow->addLayout(column);
    }
    layout->addLayout(groupsRow);
    auto* fieldGrid = new QGridLayout;
    QLineEdit* edits[FORM_MAX_FIELDS] = {};
    for (int i = 0; i < form.fieldCount; ++i) {
        fieldGrid->addWidget(new QLabel(latin1(form.fields[i].label)), i, 0);
        edits[i] = new QLineEdit(latin1(form.fields[i].text));
        edits[i]->setMaxLength(form.fields[i].maxChars);
        fieldGrid->addWidget(edits[i], i, 1);
    }
    layout->addLayout(fieldGrid);
    auto* buttons = new QHBoxLayout;
    QPushButton* enter = addButton(buttons, "Enter", true);
    QPushButton* cancel = addButton(buttons, "Cancel");
    layout->addLayout(buttons);
    QObject::connect(enter, &QPushButton::clicked, &dlg, [&] {
        for (int i = 0; i < form.fieldCount; ++i) {
            const QByteArray t = edits[i]->text().toLatin1().left(FORM_FIELD_CHARS);
            std::memset(form.fields[i].text, 0, sizeof form.fields[i].text);
            std::memcpy(form.fields[i].text, t.constData(), size_t(t.size()));
        }
        if (!form.onEnter || form.onEnter(form)) {
            dlg.done(DIALOG_ENTER);
            return;
        }
        for (int i = 0; i < form.fieldCount; ++i) edits[i]->setText(latin1(form.fields[i].text));
    });
    QObject::connect(cancel, &QPushButton::clicked, &dlg, [&] { dlg.done(DIALOG_CANCEL); });
    return dlg.exec();
}

int replaceOrRename(void*, const char* conflictText, char* name) {
    ModalDialog dlg("Replace Or Rename.");
    dlg.frameResult = REPLACE_CANCEL;
    dlg.cancelResult = REPLACE_CANCEL;
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(latin1(conflictText)));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Name:")));
    auto* edit = new QLineEdit(latin1(name));
    edit->setMaxLength(15);
    nameRow->addWidget(edit);
    layout->addLayout(nameRow);
    auto* buttons = new QHBoxLayout;
    const struct {
        const char* text;
        int answer;
    } choices[] = {{"Replace", REPLACE_ONE},
                   {"ALL Replace", REPLACE_ALL},
                   {"Rename Load", REPLACE_RENAME},
                   {"Cancel", REPLACE_CANCEL}};
    for (const auto& c : choices) {
        QPushButton* b = addButton(buttons, c.text);
        const int answer = c.answer;
        QObject::connect(b, &QPushButton::clicked, &dlg, [&dlg, answer] { dlg.done(answer); });
    }
    layout->addLayout(buttons);
    const int answer = dlg.exec();
    if (answer == REPLACE_RENAME) {
        const QByteArray t = edit->text().toLatin1().left(15);
        std::memset(name, 0, 16);
        std::memcpy(name, t.constData(), size_t(t.size()));
    }
    return answer;
}

// Qt's filter string; patterns are matched in both cases, as the file
// systems of most users do.
QString filterString(const FileFilter* filters, int count) {
    QStringList out;
    for (int i = 0; i < count; ++i) {
        QStringList patterns = latin1(filters[i].patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (patterns.contains(QStringLiteral("*.*"))) {
            patterns = {QStringLiteral("*")};
        } else {
            const QStringList lower = patterns;
            for (const QString& p : lower) patterns << p.toUpper();
        }
        out << latin1(filters[i].label) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QStringLiteral(")");
    }
    return out.join(QStringLiteral(";;"));
}

std::string openFileDialog(void*, const char* title, const std::string& folder, const FileFilter* filters,
                           int count) {
    return QFileDialog::getOpenFileName(mainWindowWidget(), latin1(title), QString::fromStdString(folder),
                                        filterString(filters, count))
        .toStdString();
}

std::string saveFileDialog(void*, const char* title, const std::string& folder, const std::string& proposed,
                           const FileFilter* filters, int count) {
    const QString start = QString::fromStdString(folder) + QLatin1Char('/') + QString::fromStdString(proposed);
    return QFileDialog::getSaveFileName(mainWindowWidget(), latin1(title), start, filterString(filters, count))
        .toStdString();
}

std::string folderDialog(void*, const char* title, const std::string& start) {
    return QFileDialog::getExistingDirectory(mainWindowWidget(), latin1(title), QString::fromStdString(start),
                                             QFileDialog::ShowDirsOnly)
        .toStdString();
}

bool busyShown = false;

void setCursorShape(void*, int shape) {
    // The busy pointer covers the whole program while the window thread
    // works; the others belong to the canvas.
    if (shape == CURSOR_BUSY) {
        if (!busyShown) QApplication::setOverrideCursor(Qt::WaitCursor);
        busyShown = true;
        return;
    }
    if (busyShown) QApplication::restoreOverrideCursor();
    busyShown = false;
    static const Qt::CursorShape SHAPES[] = {Qt::ArrowCursor, Qt::SizeHorCursor, Qt::WaitCursor, Qt::CrossCursor,
                                             Qt::ForbiddenCursor};
    if (QWidget* c = canvasWidget()) c->setCursor(SHAPES[shape]);
}

void warpPointer(void*, int32_t x, int32_t y) { QCursor::setPos(clientToGlobal(x, y)); }

void presentNow(void*) {
    if (QWidget* c = canvasWidget()) c->repaint();
}

void waitMs(void*, uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

void installQtUiPlatform(AppState& app) {
    UiPlatform& p = app.ui->platform;
    p.user = &app;
    p.messageBox = messageBox;
    p.popupMenu = popupMenu;
    p.textDialog = textDialog;
    p.formDialog = formDialog;
    p.replaceOrRename = replaceOrRename;
    p.openFileDialog = openFileDialog;
    p.saveFileDialog = saveFileDialog;
    p.folderDialog = folderDialog;
    p.setCursorShape = setCursorShape;
    p.warpPointer = warpPointer;
    p.presentNow = presentNow;
    p.waitMs = waitMs;
}

}  // namespace qz
