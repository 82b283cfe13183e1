// The whole program state without a window: the screen framework's platform
// table answered by a scripted responder, pointer, wheel and key input at
// canvas coordinates, and the canvas to check.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"
#include "ui/screens/menus.h"
#include "ui/screens/screen_state.h"
#include "ui/screens/screens.h"

namespace qz::test {

// One step of the user in a dialog.
struct Step {
    enum Kind { ENTER, CANCEL, CLOSE, RADIO } kind = ENTER;
    std::vector<std::string> texts;  // ENTER: the typed texts, field by field
    int group = 0, index = 0;        // RADIO
};
inline Step enter(std::vector<std::string> texts) { return {Step::ENTER, std::move(texts), 0, 0}; }
inline Step cancel() { return {Step::CANCEL, {}, 0, 0}; }
inline Step closeFrame() { return {Step::CLOSE, {}, 0, 0}; }
inline Step radio(int group, int index) { return {Step::RADIO, {}, group, index}; }

// What the program showed, in order.
struct Shown {
    std::string kind;   // "box", "menu", "text", "form", "rename", "open", "save", "folder"
    std::string title;  // box and dialog title, menu name
    std::string text;   // box text, initial dialog text, conflict text
    std::vector<std::string> after;  // form and text dialogs: the fields after each refused Enter
};

struct ScriptedUser {
    std::deque<int> boxAnswers;
    std::deque<uint32_t> menuAnswers;
    std::deque<Step> steps;  // text and form dialogs
    std::deque<std::pair<int, std::string>> renameAnswers;
    std::deque<std::string> pathAnswers;  // file and folder dialogs
    std::function<void()> beforeStep;     // runs as each text or form dialog step is taken
    std::vector<Shown> shown;
    std::vector<int> cursors;
    std::vector<uint32_t> waits;
    int presents = 0;
    std::pair<int32_t, int32_t> lastMenuPoint{-1, -1};
    bool ranOut = false;  // a box or dialog came with no answer left

    std::vector<Shown> of(const std::string& kind) const {
        std::vector<Shown> out;
        for (const Shown& s : shown)
            if (s.kind == kind) out.push_back(s);
        return out;
    }
};

namespace detail {

inline ScriptedUser& user(void* u) { return *static_cast<ScriptedUser*>(u); }

inline int messageBox(void* u, const char* title, const char* text, int, int) {
    ScriptedUser& s = user(u);
    s.shown.push_back({"box", title, text, {}});
    if (s.boxAnswers.empty()) {
        s.ranOut = true;
        return ANSWER_CLOSED;
    }
    int a = s.boxAnswers.front();
    s.boxAnswers.pop_front();
    return a;
}

inline uint32_t popupMenu(void* u, const MenuDef& m, int32_t x, int32_t y) {
    ScriptedUser& s = user(u);
    s.shown.push_back({"menu", m.name, "", {}});
    s.lastMenuPoint = {x, y};
    if (s.menuAnswers.empty()) {
        s.ranOut = true;
        return 0;
    }
    uint32_t a = s.menuAnswers.front();
    s.menuAnswers.pop_front();
    return a;
}

inline bool nextStep(ScriptedUser& s, Step& out) {
    if (s.steps.empty()) {
        s.ranOut = true;
        return false;
    }
    if (s.beforeStep) s.beforeStep();
    out = s.steps.front();
    s.steps.pop_front();
    return true;
}

inline int textDialog(void* u, const TextDialogDef& def, const char* initial, int maxChars,
                      bool (*accept)(void*, const char*), void* ctx) {
    ScriptedUser& s = user(u);
    s.shown.push_back({"text", def.title, initial, {}});
    const size_t me = s.shown.size() - 1;
    Step st;
    while (nextStep(s, st)) {
        if (st.kind == Step::CANCEL) return DIALOG_CANCEL;
        if (st.kind == Step::CLOSE) return DIALOG_CLOSED;
        if (st.kind != Step::ENTER || st.texts.empty()) continue;
        const std::string typed = st.texts[0].substr(0, size_t(maxChars));
        if (accept(ctx, typed.c_str())) return DIALOG_ENTER;
        s.shown[me].after.push_back(typed);  // refused: the dialog keeps the typed text
    }
    return DIALOG_CLOSED;
}

inline int formDialog(void* u, FormDialog& f) {
    ScriptedUser& s = user(u);
    s.shown.push_back({"form", f.name, f.titleLine, {}});
    const size_t me = s.shown.size() - 1;
    Step st;
    while (nextStep(s, st)) {
        if (st.kind == Step::CANCEL) return DIALOG_CANCEL;
        if (st.kind == Step::CLOSE) return DIALOG_CLOSED;
        if (st.kind == Step::RADIO) {
            f.groups[st.group].checked = st.index;
            if (f.onRadio) f.onRadio(f, st.group, st.index);
            continue;
        }
        for (size_t i = 0; i < st.texts.size() && int(i) < f.fieldCount; ++i) {
            // An edit field takes at most its number of characters.
            const std::string t = st.texts[i].substr(0, size_t(f.fields[i].maxChars));
            std::memset(f.fields[i].text, 0, sizeof f.fields[i].text);
            std::memcpy(f.fields[i].text, t.data(), t.size());
        }
        if (!f.onEnter || f.onEnter(f)) return DIALOG_ENTER;
        std::string fields;
        for (int i = 0; i < f.fieldCount; ++i) {
            if (i) fields += '|';
            fields += f.fields[i].text;
        }
        s.shown[me].after.push_back(fields);
    }
    return DIALOG_CLOSED;
}

inline int replaceOrRename(void* u, const char* conflict, char* name) {
    ScriptedUser& s = user(u);
    s.shown.push_back({"rename", "Replace Or Rename.", conflict, {name}});
    if (s.renameAnswers.empty()) {
        s.ranOut = true;
        return REPLACE_CANCEL;
    }
    auto [answer, typed] = s.renameAnswers.front();
    s.renameAnswers.pop_front();
    if (answer == REPLACE_RENAME) {
        std::memset(name, 0, 16);
        std::memcpy(name, typed.data(), std::min<size_t>(typed.size(), 15));
    }
    return answer;
}

inline std::string nextPath(ScriptedUser& s, const char* kind, const char* title, const std::string& start) {
    s.shown.push_back({kind, title, start, {}});
    if (s.pathAnswers.empty()) {
        s.ranOut = true;
        return "";
    }
    std::string p = s.pathAnswers.front();
    s.pathAnswers.pop_front();
    return p;
}

}  // namespace detail

// The program's state and a scripted user, with a canvas of the minimum size.
struct Harness {
    std::unique_ptr<AppState> app = std::make_unique<AppState>();
    ScriptedUser user;

    Harness() {
        EXPECT_EQ(initProgramState(*app, false, CANVAS_MIN_WIDTH, CANVAS_MIN_HEIGHT), 0);
        UiPlatform& p = app->ui->platform;
        p.user = &user;
        p.messageBox = detail::messageBox;
        p.popupMenu = detail::popupMenu;
        p.textDialog = detail::textDialog;
        p.formDialog = detail::formDialog;
        p.replaceOrRename = detail::replaceOrRename;
        p.openFileDialog = [](void* u, const char* title, const std::string& folder, const FileFilter*,
                              int) { return detail::nextPath(detail::user(u), "open", title, folder); };
        p.saveFileDialog = [](void* u, const char* title, const std::string& folder, const std::string& name,
                              const FileFilter*, int) {
            return detail::nextPath(detail::user(u), "save", title, folder + "|" + name);
        };
        p.folderDialog = [](void* u, const char* title, const std::string& start) {
            return detail::nextPath(detail::user(u), "folder", title, start);
        };
        p.setCursorShape = [](void* u, int k) { detail::user(u).cursors.push_back(k); };
        p.presentNow = [](void* u) { ++detail::user(u).presents; };
        p.waitMs = [](void* u, uint32_t ms) { detail::user(u).waits.push_back(ms); };
        firstPaint(*app);
    }
    ~Harness() { freeAppState(*app); }
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    AppState& operator*() { return *app; }

    // Input at canvas coordinates, as the window hands it on.
    void move(int32_t x, int32_t y) { onMouseMove(*app, x, y); }
    void leftClick(int32_t x, int32_t y) {
        move(x, y);
        onLeftDown(*app, x, y);
        onLeftUp(*app);
    }
    void rightClick(int32_t x, int32_t y) {
        move(x, y);
        onRightDown(*app, x, y);
        onRightUp(*app);
    }
    void wheel(int32_t x, int32_t y, bool away) {
        move(x, y);
        onWheel(*app, away);
    }
    void key(uint32_t k) { onKey(*app, k); }

    uint32_t pixel(int32_t x, int32_t y) const {
        const DrawContext& dc = app->ui->draw;
        return dc.pixels[size_t(y) * size_t(dc.width) + size_t(x)];
    }
    bool pixelIs(int32_t x, int32_t y, int32_t colour) const { return pixel(x, y) == paletteColour(colour); }

    // A sequence in slot s with notes on track 1 at the given ticks.
    Sequence* sequenceWithNotes(int slot, const char* name, std::initializer_list<Tick> ticks, uint8_t note = 60,
                                uint8_t velocity = 100) {
        selectSequence(*app, slot);
        if (ensureSequence(*app) != 0) return nullptr;
        copyName(app->seq->name, name);
        for (Tick t : ticks) insertEvent(*app, t, 1, ST_NOTE, note, velocity, 24);
        return app->slots[slot];
    }
};

}  // namespace qz::test
