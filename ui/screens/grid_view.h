// The event views' window onto the sequence and what every view of the grid
// area shares: the bars shown, pixel and tick conversions, scrolling to a
// bar, the position line with the end-of-sequence shading, and the views
// the grid panel chooses between.
#pragma once

#include <cstdint>

#include "program/app_state.h"

namespace qz {

// Left edge and width of the bars in the grid area.
constexpr int32_t GRID_X = 336;
constexpr int32_t GRID_WIDTH = 576;

// The bars the views show: `visibleBars` bars of `barWidth` pixels from
// `firstBar`, ticks [viewStart, viewEnd).
struct GridWindow {
    int32_t visibleBars;
    int32_t barWidth;
    int32_t firstBar;
    Tick viewStart;
    Tick viewEnd;
};

// The window as the zoom, LOOP EDIT and `firstBar` give it now.
GridWindow gridWindow(const AppState& app);
// Bar under canvas x (x - 336) / barWidth + firstBar.
int32_t barAtX(const GridWindow& w, int32_t x);
// Canvas x of tick t.
int32_t xOfTick(const GridWindow& w, Tick t);
// Tick under canvas x, unrounded.
Tick tickAtX(const GridWindow& w, int32_t x);
// Keep the window on the song position and inside the sequence (every
// repaint runs it first).
void recomputeGridWindow(AppState& app);
// Scroll the views to bar b; the song position keeps its place in the view.
// A negative b goes to bar 0 and steps the position back one bar.
void scrollViewToBar(AppState& app, int32_t b);
// The position line (`offset` pixels right of the bar line) and, when the
// sequence ends inside the view, the shading of what lies past the end.
void drawPositionAndEnd(AppState& app, int32_t offset);

// While the transport runs: the notes being recorded inside the window,
// copied out of the recording (at most `max`); 0 while stopped.
constexpr int32_t RECORDED_SHOWN = 1024;
int32_t recordedNotesInView(AppState& app, const GridWindow& w, SeqEvent* out, int32_t max);
// Ticks a note lasts on screen: its duration, or for a note still held
// while recording the time held so far.
uint32_t shownDuration(const AppState& app, const SeqEvent& e);

// Move the pointer and tell the panels where it is now.
void movePointer(AppState& app, int32_t x, int32_t y);

// ---- Views of the grid area ------------------------------------------------------

// TRACK MUTE MODE: the sixteen track buttons (track_mute_screen.cpp).
uint32_t trackMuteScreen(AppState& app, uint32_t msg, uint32_t arg);
// ALL TRACKS: every track's notes, one row each (track_overview.cpp).
void paintTrackOverview(AppState& app);
// The tick under the pointer, unrounded and on the timing-correct grid.
void updateDrumPointer(AppState& app);

}  // namespace qz
