// What the "Midi Out Device" panel and the "TRACK MIDI MESSAGES" panel
// share: the 16 track rows, the value columns with their selection, copy
// drag, test note and wheel rules, the momentary buttons, and the port a
// track plays on.
#pragma once

#include <cstdint>

#include "program/app_state.h"
#include "ui/framework/draw.h"
#include "ui/screens/mixer_state.h"

namespace qz {

// Track rows: track t at y = 127 + 23 t, 22 pixels high.
constexpr int32_t MIX_ROWS_Y = 150;
constexpr int32_t MIX_ROW_PITCH = 23;
constexpr int32_t MIX_ROW_H = 22;
constexpr int32_t MIX_ROWS_H = 368;
inline int32_t mixRowY(int32_t track) { return 127 + MIX_ROW_PITCH * track; }
// Track row under the pointer, 1..16.
int32_t mixPointerRow(const AppState& app);

// The value columns, left to right over both panels.
enum MixColumn : uint32_t {
    MIXCOL_CHANNEL,
    MIXCOL_DEVICE,
    MIXCOL_SOUND,
    MIXCOL_MSB,
    MIXCOL_LSB,
    MIXCOL_PROGRAM,
    MIXCOL_LEVEL,
    MIXCOL_PAN,
    MIXCOL_REVERB,
    MIXCOL_CHORUS,
    MIXCOL_COUNT,
    MIXCOL_NONE = 0xFFFFFFFF
};
struct MixColumnDef {
    int32_t x, w;
    int32_t controller;  // the controller it sends, or -1
};
extern const MixColumnDef MIX_COLUMNS[MIXCOL_COUNT];

// The hover handler of a value column (word A: the column).
uint32_t mixValueColumn(AppState& app, uint32_t msg, uint32_t arg);
// Hit tests of columns first..last (inclusive).
void mixProbeColumns(AppState& app, uint32_t first, uint32_t last);
// The panel's part of a pointer move over a value column: a selection that
// does not hold the pointer's row becomes that row. True when it changed.
bool mixFollowPointer(AppState& app);
// Draw the 16 cells of a value column: the selection in the hover colour
// while the column holds the pointer, else the value-cell colour.
void mixDrawColumn(AppState& app, uint32_t column);

// The port a track's messages go to (MASTER or TRACK routing), unclamped as
// the engine sends it, and as shown: a port beyond the opened ones is the
// last one, and with none opened it is port 0.
int32_t mixTrackPort(const AppState& app, int32_t track);
int32_t mixShownPort(const AppState& app, int32_t port);
// Is the track's port set to GS or XG?
bool mixOnModulePort(const AppState& app, int32_t track);
// Does the track play a drum part (channel 10, or `drumPart` on a GS or XG
// port)?
bool mixDrumPart(const AppState& app, int32_t track);

// Momentary buttons of both panels, lit while pressed.
enum MixButton : uint32_t {
    MIXBTN_CLEAR,
    MIXBTN_RST,
    MIXBTN_PANIC,
    MIXBTN_SEND,
    MIXBTN_RESET,
    MIXBTN_ENTER,
    MIXBTN_COUNT
};
// The hover handler of the buttons (word A: the button).
uint32_t mixButton(AppState& app, uint32_t msg, uint32_t arg);
void mixProbeButton(AppState& app, uint32_t id);
void mixDrawButton(AppState& app, uint32_t id);

// Every write to a track record the tick reads goes through here: the byte
// is stored under the engine lock, and a real sequence is marked modified.
void mixSetTrackByte(AppState& app, int32_t track, uint8_t TrackRecord::*field, uint8_t value);
// A name of a fixed-width table without its trailing blanks, cut to the width.
void mixDrawName(DrawContext& dc, int32_t x, int32_t y, const char* name, int32_t maxWidth);
// Mark both panels and the sequence row for repaint.
void mixDirty(AppState& app);

}  // namespace qz
