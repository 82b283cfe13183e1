// The text of a MIDI monitor line: device, channel, what the message is and
// its data, in the colour of its kind.
#include "ui/screens/monitor_lines.h"

#include <cstdio>

namespace qz {

const MonitorColumns MON_IN_COLUMNS = {10, 28, 46, 101, 111, 156};
const MonitorColumns MON_OUT_COLUMNS = {1529, 1547, 1565, 1620, 1630, 1675};

namespace {

constexpr int32_t COL_MON_TEXT = COL_WHITE;
constexpr int32_t COL_MON_OFF = 248;
constexpr int32_t COL_MON_OTHER = 4;

void drawValue(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c) {
    char text[8];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(v));
    drawText(dc, x, y, text, c);
}

}  // namespace

const char* monitorSystemText(uint32_t packed, bool outMonitor) {
    const uint32_t low = packed & 15;
    const uint32_t d1 = (packed >> 8) & 0x7F;
    if (outMonitor) {
        switch (low) {
        case 0: return d1 == 1 ? "EXC( GS DRUM )" : "EXC( GS INST )";
        case 1: return "MTC";
        case 2: return "SONG POSITION";
        case 3: return "SONG SELECT";
        case 8: return "F8";
        case 10: return "START";
        case 11: return "PLAY";
        case 12: return "STOP";
        default: return "";
        }
    }
    switch (low) {
    case 1: return "MTC (Ignore)";
    case 2: return "SONG POSITION";
    case 3: return "SONG SEL.(Ignore)";
    case 10: return "START";
    case 11: return "PLAY";
    case 12: return "STOP";
    default: return "";
    }
}

bool drawMonitorLine(DrawContext& dc, const MonitorColumns& col, int32_t y, uint32_t packed, bool outMonitor,
                     bool greyF8) {
    const uint32_t status = packed & 0xF0;
    const int32_t channel = int32_t(packed & 15);
    const int32_t d1 = int32_t((packed >> 8) & 0x7F);
    const int32_t d2 = int32_t((packed >> 16) & 0x7F);
    const int32_t device = int32_t((packed >> 24) & 0x7F);
    const bool system = status == 0xF0;
    const bool f8 = system && channel == 8;
    int32_t c = COL_MON_OTHER;
    if (status == 0x80 || (status == 0x90 && d2 == 0))
        c = COL_MON_OFF;
    else if (status == 0x90 || system)
        c = (f8 && greyF8) ? COL_MON_OFF : COL_MON_TEXT;

    drawValue(dc, col.device, y, device + 1, c);
    if (system) {
        drawText(dc, col.status, y, monitorSystemText(packed, outMonitor), c);
        return f8;
    }
    drawValue(dc, col.channel, y, channel + 1, c);
    switch (status) {
    case 0x80:
        drawText(dc, col.status, y, "NOTE OFF", c);
        drawNoteB(dc, col.name, y, d1, c);
        break;
    case 0x90:
        drawText(dc, col.status, y, d2 == 0 ? "NOTE OFF" : "NOTE ON ", c);
        drawNoteB(dc, col.name, y, d1, c);
        if (d2 != 0) drawValue(dc, col.second, y, d2, c);
        break;
    case 0xA0:
        drawText(dc, col.status, y, "Po.PRESS", c);
        drawNoteB(dc, col.name, y, d1, c);
        drawValue(dc, col.second, y, d2, c);
        break;
    case 0xB0:
        drawText(dc, col.status, y, "CC", c);
        // The name is wide: it starts right after "CC" and stops short of
        // the value.
        // Controller 123's name is shown whole where it fits.
        drawTextFitted(dc, col.status + 18, y, d1 == 123 ? "123-ALL NOTE OFF" : controllerShortName(d1 + 1),
                       d1 == 123 ? 16 : 13, col.second - 3 - (col.status + 18), c);
        drawValue(dc, col.second, y, d2, c);
        break;
    case 0xC0:
        drawText(dc, col.status, y, "PROGRAM", c);
        drawValue(dc, col.number, y, d1 + 1, c);
        break;
    case 0xD0:
        drawText(dc, col.status, y, "Ch.PRESS", c);
        drawValue(dc, col.number, y, d1, c);
        break;
    case 0xE0:
        drawText(dc, col.status, y, "BEND", c);
        drawValue(dc, col.number, y, d1, c);
        drawValue(dc, col.second, y, d2, c);
        break;
    default:
        break;
    }
    return false;
}

}  // namespace qz
