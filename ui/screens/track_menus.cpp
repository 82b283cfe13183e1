// TRACKMENU (TRACKTEMPOMENU on the tempo track) and PADMENU: the edits of a
// whole track or of one pad's notes.
#include "ui/screens/track_menus.h"

#include <cstdio>

#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/repaint.h"
#include "ui/screens/menus.h"
#include "ui/screens/note_edit_dialogs.h"

namespace qz {

namespace {

// A destructive edit of the current sequence, with its undo copy first.
template <typename Edit>
void withUndo(AppState& app, Edit edit) {
    if (ensureSequence(app) == 0 && snapshotForUndo(app) == 0) edit();
}

const char* EDIT_KIND[3] = {"Velocity edit.", "Duration edit.", "Timing Correct."};

// The velocity, duration or timing-correct item of a menu on the notes of a
// track in [lowNote, highNote], titled "<what> <number> <edit>".
void menuNoteEdit(AppState& app, uint32_t id, const char* what, int number, int track, int lowNote, int highNote) {
    const uint32_t edit = id - MENU_VELOCITY;
    char title[40];
    std::snprintf(title, sizeof title, "%s %d %s", what, number, EDIT_KIND[edit]);
    runNoteEdit(app, edit, track, lowNote, highNote, 0, app.lengthTicks, title);
}

}  // namespace

uint32_t trackMenu(AppState& app) {
    const int track = app.currentTrack;
    if (track == TEMPO_TRACK) {
        const uint32_t id = popupMenu(app, TRACK_TEMPO_MENU);
        if (id == MENU_ERASE) withUndo(app, [&] { eraseTrack(app, TEMPO_TRACK); });
        flushErrors(app);
        redrawAll(app);
        return id;
    }
    const uint32_t id = popupMenu(app, TRACK_MENU);
    switch (id) {
        case MENU_ERASE:
            withUndo(app, [&] { eraseTrack(app, track); });
            break;
        case MENU_ERASE_ALL:
            if (askUser(app, "Track", "Erase ALL tracks ?", MB_YES_NO_CANCEL, MB_ICON_QUESTION) == ANSWER_YES)
                withUndo(app, [&] { eraseAllTracks(app); });
            break;
        case MENU_ERASE_CONTROL:
            withUndo(app, [&] { eraseTrackControllers(app, track, 0); });
            break;
        case MENU_ERASE_BEND:
            withUndo(app, [&] { eraseTrackBend(app, track); });
            break;
        case MENU_ERASE_PRESSURE:
            withUndo(app, [&] { eraseTrackPressure(app, track); });
            break;
        case MENU_COPY:
            copyTrack(app, track);
            break;
        case MENU_PASTE:
            pasteTrack(app, track);
            break;
        case MENU_VELOCITY:
        case MENU_DURATION:
        case MENU_TIMING:
            menuNoteEdit(app, id, "Track", track, track, 0, 127);
            break;
        default:
            break;
    }
    flushErrors(app);
    redrawAll(app);
    return id;
}

uint32_t padMenu(AppState& app, int note) {
    const int track = app.currentTrack;
    const uint32_t id = popupMenu(app, PAD_MENU);
    switch (id) {
        case MENU_ERASE:
            withUndo(app, [&] { erasePad(app, track, note); });
            break;
        case MENU_ERASE_ALL:
            if (askUser(app, "Erase All Notes", "Erase ALL Notes events?", MB_YES_NO_CANCEL, MB_ICON_QUESTION) ==
                ANSWER_YES)
                withUndo(app, [&] { eraseAllPads(app, track); });
            break;
        case MENU_COPY:
            copyPad(app, track, note);
            break;
        case MENU_PASTE:
            if (ensureSequence(app) == 0) pastePad(app, track, note);
            break;
        case MENU_VELOCITY:
        case MENU_DURATION:
        case MENU_TIMING:
            menuNoteEdit(app, id, "Note", note, track, note, note);
            break;
        default:
            break;
    }
    flushErrors(app);
    redrawAll(app);
    return id;
}

}  // namespace qz
