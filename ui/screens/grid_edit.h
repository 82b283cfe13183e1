// The editing views of the grid area and what they share: which view the
// current track shows, the rows of the drum views, the grid's own state
// between messages, and the parts each view is built from (its notes, the
// selection / paste / move machine, the right-hand column, the note view).
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

// The view of the current track (TRACK MUTE MODE and ALL TRACKS come first
// and are not among them).
enum class GridView : uint8_t { Drum16, Drum32, LoopEdit, Notes };

// The rows of a drum view: `count` rows of `height` pixels from y `top`; row
// r is note padBaseNote + r. The note view has no rows (count 0).
struct GridRows {
    int32_t count;
    int32_t top;
    int32_t height;
};

// The view the current track shows now: a NOTE track the note view, else
// LOOP EDIT's one bar, else 16 or 32 rows as the pads panel chooses.
GridView trackView(const AppState& app);
GridRows gridRows(GridView v);

// What the grid keeps between messages (window thread).
struct GridEditState {
    // Right-button selection: where it started, and the rectangle in pixels.
    int32_t selAnchorX = 0, selAnchorY = 0;
    int32_t selX = 0, selY = 0, selW = 0, selH = 0;
    // The paste or move rectangle in pixels.
    int32_t pasteX = 0, pasteY = 0, pasteW = 0, pasteH = 0;
    // The note the note map sounds while its button is held, or -1.
    int32_t soundingNote = -1;
    // The value a drag over PAD MUTE writes.
    uint8_t muteDragValue = 0;
    // The note view's note under the pointer: its event index, or -1.
    int32_t hoverNoteEvent = -1;
    // LOOP EDIT: a pattern was written or the wheel edited; the next press
    // only returns to single notes.
    bool loopEditDone = false;
    // ---- The right-hand column (drum_column.cpp) ----
    // The track the note map's held note sounds on.
    int32_t soundingTrack = 1;
    // The row a PAD MUTE drag wrote last, or -1; the next drag step fills
    // every row from there to the pointer's.
    int32_t muteDragRow = -1;
    // ---- Note view ----
    // The press in progress: its note (-1 none) and track, whether the note
    // sounds until the release, and where an open note went (note_view.cpp).
    int32_t pressNote = -1;
    int32_t pressTrack = 1;
    bool pressHeld = false;
    uint8_t pressWrote = 0;
};

// ---- Parts of the views ----------------------------------------------------------

// The drum views (drum_grid.cpp): painting, and the grid area's handler.
void paintDrumGrid(AppState& app, GridView v);
uint32_t drumGridArea(AppState& app, uint32_t msg, uint32_t arg);
// The strip left of the grid that lights the rows of notes held on MIDI input.
void paintNoteRowStrip(AppState& app, GridView v);
// The MOUSE REC hint a click without MOUSE REC shows until the release.
void mouseRecHint(struct DrawContext& dc);

// The selection, paste and move machine every view shares (grid_select.cpp).
// A view's area handler passes it each message first; 0 when it took it.
uint32_t gridMenuMessage(AppState& app, uint32_t msg, GridView v);
// The selection inversion, the paste tint with its preview and box.
void paintGridMenu(AppState& app, GridView v);

// The right-hand column of the drum views (drum_column.cpp): note map, PAD
// SOLO, PAD MUTE, RESET and CLEAR.
void paintDrumColumnStatic(AppState& app, GridView v);
void paintDrumColumn(AppState& app, GridView v);
// Registers the column's elements under the pointer; true on a hit.
bool probeDrumColumn(AppState& app, GridView v);

// The note view of a NOTE track (note_view.cpp).
void paintNoteViewStatic(AppState& app);
void paintNoteView(AppState& app);
uint32_t noteViewArea(AppState& app, uint32_t msg, uint32_t arg);

}  // namespace qz
