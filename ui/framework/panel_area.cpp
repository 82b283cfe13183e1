// The probe rectangles of the panel table: the area each panel claims for the
// pointer. A panel's PM_PROBE branch starts by asking whether the pointer is
// in its area, then runs the hit tests of its elements.
#include "ui/framework/panel.h"

namespace qz {

namespace {

// Inclusive pixel ranges, as the panel table gives them.
struct ProbeRect {
    uint32_t panel;
    int32_t x0, x1, y0, y1;
    bool allTracksOnly;
};

constexpr ProbeRect PROBE_RECTS[] = {
    {PANEL_MIDI_TO_BUTTON, 191, 489, 2, 621, false},
    {PANEL_SEQUENCE, 327, 1183, 26, 56, false},
    {PANEL_TRACK, 327, 1180, 58, 94, false},
    {PANEL_PADS, 181, 325, 58, 557, false},
    {PANEL_PADS, 926, 1004, 151, 538, true},
    {PANEL_BARS, 327, 923, 94, 131, false},
    {PANEL_BARS, 327, 1001, 540, 557, false},
    {PANEL_GRID, 327, 1004, 113, 557, false},
    {PANEL_MIDI_IN, 2, 176, 2, 489, false},
    {PANEL_MIDI_IN, 577, 775, 6, 19, false},
    {PANEL_STEP, 1012, 1240, 94, 557, false},
    {PANEL_TRANSPORT, 1, 1244, 560, 629, false},
    {PANEL_SEQ_LIST, 534, 770, 54, 357, false},
    {PANEL_METRONOME, 7, 183, 528, 636, false},
    {PANEL_CHANGE_BARS, 671, 929, 1, 99, false},
    {PANEL_CHORD, 371, 824, 12, 610, false},
    {PANEL_MIXER, 1016, 1184, 94, 563, false},
    {PANEL_TRACK_MESSAGES, 1191, 1519, 2, 619, false},
    {PANEL_OUT_MONITOR, 1521, 1697, 3, 616, false},
};

}  // namespace

bool inPanelArea(const AppState& app, uint32_t panel) {
    const int32_t x = app.ui.mouseX, y = app.ui.mouseY;
    for (const ProbeRect& r : PROBE_RECTS) {
        if (r.panel != panel || (r.allTracksOnly && !app.allTracks)) continue;
        if (r.x0 <= x && x <= r.x1 && r.y0 <= y && y <= r.y1) return true;
    }
    return false;
}

}  // namespace qz
