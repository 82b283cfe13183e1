// The loading front end's dialogs and the saves of the window.
#include "ui/framework/load_save.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "engine/engine.h"
#include "files/file_common.h"
#include "files/mpc_reader.h"
#include "files/settings_file.h"
#include "files/smf_writer.h"
#include "program/loader.h"
#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"

namespace qz {

namespace {

std::string folderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// Both names of the loader from the file's name.
void deriveNames(AppState& app, const std::string& path) {
    deriveSequenceName(path, app.loader.proposedName);
    std::memcpy(app.loader.derivedName, app.loader.proposedName, sizeof app.loader.derivedName);
}

// The reader for the file's extension, behind its question. Files of other
// kinds are ignored (0).
int loadByExtension(AppState& app, const std::string& path) {
    const int kind = fileKindOf(path);
    if (kind == FILE_KIND_MID || kind == FILE_KIND_SEQ) return loadWithNameCheck(app, path, kind);
    if (kind == FILE_KIND_ALL) return loadPackageWithQuestion(app, path);
    return 0;
}

}  // namespace

namespace {

// A state of its own to load into when the load decides whether sequences
// of the program are removed: they go only once the new ones have loaded,
// so a file that cannot be read never costs the sequences it was to replace.
struct ScratchLoad {
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    bool ready = false;
    explicit ScratchLoad(const AppState& app) {
        ready = initAppState(*state) == 0;
        if (!ready) return;
        state->settings = app.settings;  // the same defaults for new sequences
        pointAtSequence(*state, 1);
    }
    ~ScratchLoad() { freeAppState(*state); }
    ScratchLoad(const ScratchLoad&) = delete;
    ScratchLoad& operator=(const ScratchLoad&) = delete;

    // Move the loaded sequences into the first free slots of `app`. Returns
    // the first slot used (0 when none), or -9 when the slots ran out.
    int moveInto(AppState& app) {
        int first = 0;
        for (int s = 1; s <= MAX_SLOTS && state->slots[s]; ++s) {
            const int slot = firstFreeSlot(app);
            if (slot > MAX_SLOTS) return -ERR_ROOM_FULL;
            installSequence(app, slot, state->slots[s]);
            state->slots[s] = nullptr;
            if (!first) first = slot;
        }
        return first;
    }
};

bool listed(const std::vector<std::string>& names, const char* name) {
    for (const std::string& n : names)
        if (sameName(n.c_str(), name)) return true;
    return false;
}

}  // namespace

int loadWithNameCheck(AppState& app, const std::string& path, int kind) {
    LoaderState& l = app.loader;
    // Names whose sequences the new one replaces.
    std::vector<std::string> replaced;
    if (l.replaceAll) {
        if (findSlotByName(app, l.proposedName)) replaced.emplace_back(l.proposedName);
    } else {
        while (findSlotByName(app, l.proposedName) != 0 && !listed(replaced, l.proposedName)) {
            l.conflictText = "<< Sequence name already exists >>";
            const UiPlatform& p = app.ui->platform;
            char typed[17];
            std::memcpy(typed, l.proposedName, sizeof typed);
            const int answer =
                p.replaceOrRename ? p.replaceOrRename(p.user, l.conflictText.c_str(), typed) : REPLACE_CANCEL;
            typed[16] = 0;
            switch (answer) {
                case REPLACE_ALL: l.replaceAll = true; [[fallthrough]];
                case REPLACE_ONE:
                    replaced.emplace_back(l.proposedName);
                    std::memcpy(l.proposedName, l.derivedName, sizeof l.proposedName);
                    break;
                case REPLACE_RENAME:
                    // A sequence needs a name: an emptied box asks again
                    // about the name from the file.
                    std::memset(l.proposedName, 0, sizeof l.proposedName);
                    if (typed[0])
                        std::memcpy(l.proposedName, typed, strnlen(typed, 15));
                    else
                        std::memcpy(l.proposedName, l.derivedName, sizeof l.proposedName);
                    break;
                default: return ERR_CANCELLED;
            }
        }
    }
    if (replaced.empty()) return loadFileByKind(app, path, kind, l.proposedName);
    ScratchLoad scratch(app);
    if (!scratch.ready) return ERR_NO_MEMORY;
    if (int rc = loadFileByKind(*scratch.state, path, kind, l.proposedName)) return rc;
    for (const std::string& name : replaced) deleteSequenceNamed(app, name.c_str());
    const int slot = scratch.moveInto(app);
    if (slot < 0) return -slot;
    if (kind == FILE_KIND_MID) setLoadedAllTracks(app, scratch.state->allTracks);
    selectSequence(app, slot);
    return 0;
}

int loadPackageWithQuestion(AppState& app, const std::string& path) {
    if (!anySequence(app)) {
        setCursorShape(app, CURSOR_BUSY);
        return loadMpcPackage(app, path);
    }
    if (askUser(app, "Load MPC Sequnces package file.", "[OK] Will replace All existing sequence !!",
                MB_OK_CANCEL, MB_ICON_NONE) != ANSWER_OK)
        return ERR_CANCELLED;
    setCursorShape(app, CURSOR_BUSY);
    // The sequences there are go only when the package could be read.
    ScratchLoad scratch(app);
    if (!scratch.ready) return ERR_NO_MEMORY;
    const int rc = loadMpcPackage(*scratch.state, path);
    if (!scratch.state->slots[1]) return rc != 0 ? rc : ERR_NOT_SEQUENCE;
    deleteAllSequences(app);
    scratch.moveInto(app);
    selectSequence(app, 1);
    return rc;
}

void onFilesDropped(AppState& app, const std::vector<std::string>& paths) {
    stopTransport(app);
    setCursorShape(app, CURSOR_BUSY);
    app.loader.replaceAll = false;
    bool loaded = false;
    {
        // The sequence selected at the end gets its set-ups, once.
        LoadBatch batch(app);
        for (const std::string& path : paths) {
            if (isFolder(path)) {
                if (loadFolder(app, path) != 0) break;
                loaded = true;
                continue;
            }
            deriveNames(app, path);
            const int rc = loadByExtension(app, path);
            if (rc == ERR_CANCELLED) break;
            loaded = loaded || rc == 0;
        }
    }
    if (loaded) sendAllTrackSetups(app);
    // Failures of a drop are not reported.
    flushErrors(app, false);
    dropUndo(app);
    redrawAll(app);
    setCursorShape(app, CURSOR_ARROW);
}

void loadFileDialog(AppState& app) {
    static constexpr FileFilter FILTERS[] = {{"Sequence( *.mid *.seq *.all)", "*.mid;*.seq;*.all"},
                                             {"All Files", "*.*"}};
    const UiPlatform& p = app.ui->platform;
    if (!p.openFileDialog) return;
    const std::string path = p.openFileDialog(p.user, "Load sequence", app.loader.loadFolder, FILTERS, 2);
    if (path.empty()) return;
    setCursorShape(app, CURSOR_BUSY);
    deriveNames(app, path);
    const int rc = loadByExtension(app, path);
    const int kind = fileKindOf(path);
    if (kind == FILE_KIND_MID || kind == FILE_KIND_SEQ) app.loader.loadFolder = folderOf(path);
    if (rc != ERR_CANCELLED) showError(app, rc);
    flushErrors(app, rc == 0);
    selectSequence(app, app.currentSlot);
    dropUndo(app);
    redrawAll(app);
    setCursorShape(app, CURSOR_ARROW);
}

void loadFolderDialog(AppState& app) {
    const UiPlatform& p = app.ui->platform;
    if (!p.folderDialog) return;
    const std::string folder =
        p.folderDialog(p.user, "Load all MIDI files( *.MID ) in folder.", app.loader.browseFolder);
    if (folder.empty()) return;
    setCursorShape(app, CURSOR_BUSY);
    loadFolder(app, folder);
    flushErrors(app, false);
    redrawAll(app);
    app.loader.browseFolder = folder;
    setCursorShape(app, CURSOR_ARROW);
}

void saveSequenceDialog(AppState& app) {
    static constexpr FileFilter FILTERS[] = {{"MIDI(*.mid)", "*.mid"}, {"All Files(*.*)", "*.*"}};
    const UiPlatform& p = app.ui->platform;
    Sequence* s = app.slots[app.currentSlot];
    if (!s || !p.saveFileDialog) return;
    const std::string path = p.saveFileDialog(p.user, "Save a sequence as MIDI file", app.loader.midiFolder,
                                              sequenceFileName(s), FILTERS, 2);
    if (path.empty()) return;
    setCursorShape(app, CURSOR_BUSY);
    const int rc = writeMidiFile(path, s);
    app.loader.midiFolder = folderOf(path);
    setCursorShape(app, CURSOR_ARROW);
    // A save that did not happen is said, so nobody believes it is on disk.
    showError(app, rc);
}

bool closeRequested(AppState& app) {
    stopTransport(app);
    saveSettings(app.settings, app.loader);
    const char* name = anyChangedSequence(app);
    if (!name) return true;
    const std::string text =
        std::string("Save Changes to ") + std::string(name, strnlen(name, 16)) + " ?\n(" + app.loader.midiFolder + ")";
    const int answer = askUser(app, "Save", text.c_str(), MB_YES_NO_CANCEL, MB_ICON_QUESTION);
    if (answer == ANSWER_YES) {
        // A sequence that could not be saved keeps the window open: closing
        // now would lose it after the error box.
        const int rc = saveChangedSequences(app, app.loader.midiFolder);
        flushErrors(app);
        return rc == 0;
    }
    return answer == ANSWER_NO;
}

}  // namespace qz
