// The velocity, duration and timing-correct dialogs with their checks, and
// the edits they start.
#include "ui/screens/note_edit_dialogs.h"

#include <cstdio>
#include <cstring>

#include "engine/engine.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"
#include "ui/screens/screen_state.h"

namespace qz {

namespace {

// The field as a decimal number of at most `maxChars` digits (blanks around
// it allowed); -1 when it holds anything else or nothing.
int32_t fieldNumber(const FormDialog::Field& f) {
    const char* s = f.text;
    while (*s == ' ') ++s;
    int32_t v = 0;
    int digits = 0;
    while (*s >= '0' && *s <= '9') {
        if (++digits > f.maxChars) return -1;
        v = v * 10 + (*s++ - '0');
    }
    while (*s == ' ') ++s;
    return digits == 0 || *s ? -1 : v;
}

void setField(FormDialog::Field& f, int32_t v) { std::snprintf(f.text, sizeof f.text, "%d", int(v)); }

// Radio order of the velocity and duration dialogs and the modes they set.
constexpr uint32_t MODE_BY_BUTTON[4] = {EDIT_SET, EDIT_ADD, EDIT_SUB, EDIT_PERCENT};

struct ValueDialog {
    AppState* app;
    int32_t* value;
    int32_t limit;  // upper limit outside percent mode
};

void valueRadio(FormDialog& f, int group, int index) {
    auto& d = *static_cast<ValueDialog*>(f.ctx);
    if (group == 0 && index >= 0 && index < 4) screens(*d.app).noteEdit.editMode = MODE_BY_BUTTON[index];
}

// "Enter": 1..200 in percent mode, else 1..limit; out of range the field
// shows the upper limit and the dialog stays open.
bool valueEnter(FormDialog& f) {
    auto& d = *static_cast<ValueDialog*>(f.ctx);
    const int32_t max = screens(*d.app).noteEdit.editMode == EDIT_PERCENT ? 200 : d.limit;
    const int32_t v = fieldNumber(f.fields[0]);
    if (v < 1 || v > max) {
        setField(f.fields[0], max);
        return false;
    }
    *d.value = v;
    return true;
}

int runValueDialog(AppState& app, const char* name, const char* title, int32_t& value, int32_t limit,
                   int digits) {
    const UiPlatform& p = app.ui->platform;
    screens(app).noteEdit.editMode = EDIT_SET;
    if (!p.formDialog) return DIALOG_CLOSED;
    ValueDialog d{&app, &value, limit};
    FormDialog f;
    f.name = name;
    f.title = title;
    f.titleLine = screens(app).noteEdit.editTitle;
    f.groupCount = 1;
    f.groups[0] = {{"SET value.", "ADD value.", "SUB value.", "%   value."}, 4, 0};
    f.fieldCount = 1;
    f.fields[0].label = "Value:";
    f.fields[0].maxChars = digits;
    setField(f.fields[0], value);
    f.ctx = &d;
    f.onRadio = valueRadio;
    f.onEnter = valueEnter;
    const int r = p.formDialog(p.user, f);
    return r == DIALOG_ENTER ? DIALOG_ENTER : r == DIALOG_CANCEL ? DIALOG_CANCEL : DIALOG_CLOSED;
}

// Grid buttons of EDIT_TC and their ticks (the triplets are 64, 32, 16).
constexpr const char* TC_BUTTONS[7] = {"OFF", "1/8", "1/8-3", "1/16", "1/16-3", "1/32", "1/32-3"};
constexpr int32_t TC_BUTTON_GRID[7] = {1, 48, 64, 24, 32, 12, 16};

void timingRadio(FormDialog& f, int group, int index) {
    NoteEditSettings& n = screens(*static_cast<AppState*>(f.ctx)).noteEdit;
    if (group == 0 && index >= 0 && index < 7) n.editGrid = TC_BUTTON_GRID[index];
    if (group == 1 && (index == 0 || index == 1)) n.editShiftEarlier = index == 0 ? 1 : 0;
}

// "Enter": strength 0..100, shift 0..48, swing 50..75, in this order; the
// first failing field is reset and the dialog stays open.
bool timingEnter(FormDialog& f) {
    NoteEditSettings& n = screens(*static_cast<AppState*>(f.ctx)).noteEdit;
    struct Check {
        int32_t* value;
        int32_t min, max, reset;
    } checks[3] = {{&n.editStrength, 0, 100, 100}, {&n.editShift, 0, 48, 0}, {&n.editSwing, 50, 75, 50}};
    for (int i = 0; i < 3; ++i) {
        const int32_t v = fieldNumber(f.fields[i]);
        if (v < checks[i].min || v > checks[i].max) {
            setField(f.fields[i], checks[i].reset);
            return false;
        }
        *checks[i].value = v;
    }
    return true;
}

// "Edit" / "Wite......." for 500 ms.
void showEditNotice(AppState& app) {
    DrawContext& dc = app.ui->draw;
    const int32_t font = dc.font;
    fillRect(dc, 360, 232, 300, 18, COL_BUTTON_OFF);
    selectFont(dc, FONT_ARIAL_16);
    drawText(dc, 365, 234, "Edit", COL_WHITE);
    drawNoticeBox(dc, 360, 250, COL_BUTTON_OFF, COL_BUTTON_OFF);
    selectFont(dc, FONT_ARIAL_22_8);
    drawText(dc, 450, 255, "Wite.......", COL_BLACK);
    selectFont(dc, font);
    holdNotice(app, 500);
}

}  // namespace

int editVelocityDialog(AppState& app) {
    return runValueDialog(app, "EDIT_VELOCITY", "Velocity", screens(app).noteEdit.velocityValue, 127, 3);
}

int editDurationDialog(AppState& app) {
    return runValueDialog(app, "EDIT_DURATION", "Duration", screens(app).noteEdit.durationValue, MAX_DURATION, 4);
}

int editTimingDialog(AppState& app) {
    const UiPlatform& p = app.ui->platform;
    if (!p.formDialog) return DIALOG_CLOSED;
    NoteEditSettings& n = screens(app).noteEdit;
    FormDialog f;
    f.name = "EDIT_TC";
    f.title = "Timing Correct";
    f.titleLine = n.editTitle;
    f.groupCount = 2;
    f.groups[0].count = 7;
    f.groups[0].checked = 3;  // "1/16" unless another grid was chosen before
    for (int i = 0; i < 7; ++i) {
        f.groups[0].labels[i] = TC_BUTTONS[i];
        if (TC_BUTTON_GRID[i] == n.editGrid) f.groups[0].checked = i;
    }
    f.groups[1] = {{"Shift Earlier", "Shift Later"}, 2, n.editShiftEarlier ? 0 : 1};
    f.fieldCount = 3;
    f.fields[0].label = "Strength%";
    f.fields[0].maxChars = 3;
    setField(f.fields[0], n.editStrength);
    f.fields[1].label = "Shift";
    f.fields[1].maxChars = 2;
    setField(f.fields[1], n.editShift);
    f.fields[2].label = "Swing%";
    f.fields[2].maxChars = 2;
    setField(f.fields[2], n.editSwing);
    f.ctx = &app;
    f.onRadio = timingRadio;
    f.onEnter = timingEnter;
    const int r = p.formDialog(p.user, f);
    return r == DIALOG_ENTER ? DIALOG_ENTER : r == DIALOG_CANCEL ? DIALOG_CANCEL : DIALOG_CLOSED;
}

bool runNoteEdit(AppState& app, uint32_t edit, int track, int lowNote, int highNote, Tick fromTick, Tick toTick,
                 const char* title) {
    NoteEditSettings& n = screens(app).noteEdit;
    std::snprintf(n.editTitle, sizeof n.editTitle, "%s", title);
    int r = DIALOG_CLOSED;
    if (edit == NOTE_EDIT_VELOCITY) r = editVelocityDialog(app);
    if (edit == NOTE_EDIT_DURATION) r = editDurationDialog(app);
    if (edit == NOTE_EDIT_TIMING) r = editTimingDialog(app);
    if (r != DIALOG_ENTER) return false;
    setCursorShape(app, CURSOR_BUSY);
    if (ensureSequence(app) == 0 && snapshotForUndo(app) == 0) {
        if (edit == NOTE_EDIT_VELOCITY)
            editVelocity(app, track, lowNote, highNote, fromTick, toTick, n.editMode, n.velocityValue);
        if (edit == NOTE_EDIT_DURATION)
            editDuration(app, track, lowNote, highNote, fromTick, toTick, n.editMode, n.durationValue);
        if (edit == NOTE_EDIT_TIMING)
            timingCorrect(app, track, lowNote, highNote, fromTick, toTick, n.editGrid,
                          n.editShiftEarlier ? -n.editShift : n.editShift, n.editSwing, n.editStrength);
    }
    setCursorShape(app, CURSOR_ARROW);
    flushErrors(app);
    showEditNotice(app);
    return true;
}

}  // namespace qz
