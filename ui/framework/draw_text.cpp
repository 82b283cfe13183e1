// Text through the installed renderer, and every number, note, position and
// name format built on it.
#include <cstdio>
#include <cstring>

#include "ui/framework/draw.h"

namespace qz {

namespace {

constexpr const char* NOTE_NAMES[12] = {"C ", "C#", "D ", "D#", "E ", "F ", "F#", "G ", "G#", "A ", "A#", "B "};

void drawQuestionMarks(DrawContext& dc, int32_t x, int32_t y) { drawText(dc, x, y, "???", COL_BLACK); }

// Decimal text of v padded on the left to `digits` with `pad`.
void formatPadded(char* out, size_t size, int32_t v, int32_t digits, char pad) {
    if (pad == '0')
        std::snprintf(out, size, "%0*d", static_cast<int>(digits), static_cast<int>(v));
    else
        std::snprintf(out, size, "%*d", static_cast<int>(digits), static_cast<int>(v));
}

// v capped at max and padded to the digits of max; "???" for a negative v.
void drawPadded(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t max, int32_t c, char pad) {
    if (v < 0) {
        drawQuestionMarks(dc, x, y);
        return;
    }
    if (v > max) v = max < 0 ? 0 : max;
    char text[16];
    formatPadded(text, sizeof text, v, digitCount(max), pad);
    drawText(dc, x, y, text, c);
}

// Number x-offset for a value right-aligned in a 3-digit cell.
int32_t cellOffset(int32_t v, int32_t one, int32_t two) { return v < 10 ? one : v < 100 ? two : 0; }

// The three fields of a position at the given offsets, in the context's text colour.
void drawPositionFields(DrawContext& dc, int32_t x, int32_t y, int32_t tick, int32_t beatAt, int32_t tickAt,
                        int32_t c) {
    if (tick < 0) {
        drawQuestionMarks(dc, x, y);
        return;
    }
    const BarBeatTick p = splitPosition(tick);
    char text[16];
    formatPadded(text, sizeof text, p.bar, 3, '0');
    drawText(dc, x, y, text, c);
    formatPadded(text, sizeof text, p.beat, 2, '0');
    drawText(dc, x + beatAt, y, text, c);
    formatPadded(text, sizeof text, p.tick, 2, '0');
    drawText(dc, x + tickAt, y, text, c);
}

}  // namespace

// ---- Text -------------------------------------------------------------

void setTextColour(DrawContext& dc, int32_t c) { dc.textColour = static_cast<uint8_t>(c); }

void selectFont(DrawContext& dc, int32_t font) {
    if (font >= 0 && font < FONT_COUNT) dc.font = font;
}

void drawTextN(DrawContext& dc, int32_t x, int32_t y, const char* text, int32_t n, int32_t c) {
    if (!text || n <= 0) return;
    if (static_cast<uint8_t>(c) != dc.textColour) dc.textColour = static_cast<uint8_t>(c);
    const int32_t len = static_cast<int32_t>(strnlen(text, static_cast<size_t>(n)));
    if (len > 0 && dc.text.drawText) dc.text.drawText(dc.text.user, dc, x, y, text, len);
}

void drawText(DrawContext& dc, int32_t x, int32_t y, const char* text, int32_t c) {
    if (!text) return;
    drawTextN(dc, x, y, text, static_cast<int32_t>(std::strlen(text)), c);
}

void drawTextFitted(DrawContext& dc, int32_t x, int32_t y, const char* text, int32_t n, int32_t maxWidth, int32_t c) {
    if (!text || n <= 0) return;
    int32_t len = static_cast<int32_t>(strnlen(text, static_cast<size_t>(n)));
    if (dc.text.textWidth)
        while (len > 0 && dc.text.textWidth(dc.text.user, dc.font, text, len) > maxWidth) --len;
    drawTextN(dc, x, y, text, len, c);
}

int32_t textWidth(const DrawContext& dc, const char* text) {
    if (!text || !dc.text.textWidth) return 0;
    return dc.text.textWidth(dc.text.user, dc.font, text, static_cast<int32_t>(std::strlen(text)));
}

// ---- Numbers ----------------------------------------------------------

int32_t digitCount(int32_t max) {
    int32_t digits = 1;
    for (int32_t limit = 10; digits < 9 && max >= limit; limit *= 10) ++digits;
    return digits;
}

void drawNumberZero(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t max, int32_t c) {
    drawPadded(dc, x, y, v, max, c, '0');
}

void drawNumberBlank(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t max, int32_t c) {
    drawPadded(dc, x, y, v, max, c, ' ');
}

void drawSigned(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t max, int32_t c) {
    if (v == 0) {
        drawText(dc, x + 10, y, "0", c);
    } else if (v > 0) {
        drawText(dc, x, y - 1, "+", c);
        drawNumberBlank(dc, x + 9, y, v, max, c);
    } else {
        fillRect(dc, x, y + 6, 4, 1, c);
        // -INT32_MIN does not exist; the next value shows the same.
        drawNumberBlank(dc, x + 9, y, v == INT32_MIN ? INT32_MAX : -v, max, c);
    }
}

void drawNumber3(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c) {
    if (v < 0) {
        drawQuestionMarks(dc, x, y);
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(v));
    drawText(dc, x + cellOffset(v, 8, 4), y, text, c);
}

void drawDigitsWide(DrawContext& dc, int32_t x, int32_t y, int32_t v) {
    if (v < 0) {
        drawQuestionMarks(dc, x, y);
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(v));
    drawText(dc, x + cellOffset(v, 16, 11), y, text, dc.textColour);
}

void drawTempoLarge(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c) {
    if (v < 0) {
        drawQuestionMarks(dc, x, y);
        return;
    }
    selectFont(dc, FONT_ARIAL_26_10);
    setTextColour(dc, c);
    drawDigitsWide(dc, x, y, v / 10);
    fillRect(dc, x + 33, y + 18, 3, 3, c);
    drawDigitsWide(dc, x + 20, y, v % 10);
}

void drawTempoMedium(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c) {
    if (v < 0) {
        drawQuestionMarks(dc, x, y);
        return;
    }
    selectFont(dc, FONT_ARIAL_22_8);
    setTextColour(dc, c);
    drawDigitsWide(dc, v <= 999 ? x - 2 : x, y, v / 10);
    // Bold digits of this font fill their 9-pixel cells: the point and the
    // tenths stand two pixels further right than the cells alone would put
    // them, so 101.0 never reads as 1010.
    fillRect(dc, x + 29, y + 16, 2, 2, c);
    drawDigitsWide(dc, x + 16, y, v % 10);
}

void drawTenths(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c) {
    if (v < 0) {
        drawQuestionMarks(dc, x, y);
        return;
    }
    char text[16];
    formatPadded(text, sizeof text, v / 10, 3, ' ');
    drawText(dc, x, y, text, c);
    fillRect(dc, x + 20, y + 9, 2, 2, c);
    formatPadded(text, sizeof text, v % 10, 1, ' ');
    drawText(dc, x + 23, y, text, c);
}

void drawHex2(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(v) & 0xFFu);
    drawText(dc, x, y, text, c);
}

// ---- Notes and positions ----------------------------------------------

const char* noteName(int32_t n) { return NOTE_NAMES[((n % 12) + 12) % 12]; }

// A note's number (padded to `digits` with blanks) at numberX and its name at nameX.
static void drawNoteParts(DrawContext& dc, int32_t numberX, int32_t nameX, int32_t y, int32_t n, int32_t digits,
                          int32_t c) {
    char text[16];
    formatPadded(text, sizeof text, n, digits, ' ');
    drawText(dc, numberX, y, text, c);
    drawText(dc, nameX, y, noteName(n), c);
}

void drawNoteA(DrawContext& dc, int32_t x, int32_t y, int32_t n, int32_t c) {
    if (n < 0) return drawQuestionMarks(dc, x, y);
    if (n <= 99)
        drawNoteParts(dc, x + 6, x + 25, y, n, 2, c);
    else
        drawNoteParts(dc, x, x + 25, y, n, 3, c);
}

void drawNoteB(DrawContext& dc, int32_t x, int32_t y, int32_t n, int32_t c) {
    if (n < 0) return drawQuestionMarks(dc, x, y);
    if (n <= 99)
        drawNoteParts(dc, x + 4, x + 20, y, n, 2, c);
    else
        drawNoteParts(dc, x + 1, x + 20, y, n, 3, c);
}

void drawNoteC(DrawContext& dc, int32_t x, int32_t y, int32_t n, int32_t c) {
    if (n < 0) return drawQuestionMarks(dc, x, y);
    if (n <= 99) drawNoteParts(dc, x, n < 24 ? x + 20 : x + 15, y, n, 2, c);
}

void drawNoteD(DrawContext& dc, int32_t x, int32_t y, int32_t n, int32_t c) {
    if (n < 0) return drawQuestionMarks(dc, x, y);
    if (n <= 99)
        drawNoteParts(dc, x, x + 20, y, n, 3, c);
    else
        drawNoteParts(dc, x - 4, x + 20, y, n, 3, c);
}

BarBeatTick splitPosition(int32_t tick) {
    if (tick < 0) tick = 0;
    BarBeatTick p;
    p.bar = tick / 384 + 1;
    if (p.bar > 999) p.bar = 999;
    p.beat = tick % 384 / 96 + 1;
    p.tick = tick % 96;
    return p;
}

void drawPositionSmall(DrawContext& dc, int32_t x, int32_t y, int32_t tick) {
    drawPositionFields(dc, x, y, tick, 22, 38, COL_BLACK);
}

void drawPositionMedium(DrawContext& dc, int32_t x, int32_t y, int32_t tick, int32_t c) {
    selectFont(dc, FONT_ARIAL_16);
    drawPositionFields(dc, x, y, tick, 25, 44, c);
    fillRect(dc, x + 21, y + 11, 2, 2, c);
    fillRect(dc, x + 40, y + 11, 2, 2, c);
}

void drawPositionLarge(DrawContext& dc, int32_t x, int32_t y, int32_t tick, int32_t c) {
    selectFont(dc, FONT_ARIAL_35_15);
    drawPositionFields(dc, x, y, tick, 58, 99, c);
    fillRect(dc, x + 52, y + 24, 5, 5, c);
    fillRect(dc, x + 93, y + 24, 5, 5, c);
}

// ---- Name lookups -----------------------------------------------------

void drawControllerName(DrawContext& dc, int32_t x, int32_t y, int32_t controller, int32_t c) {
    drawText(dc, x, y, controllerName(controller), c);
}

void drawControllerShort(DrawContext& dc, int32_t x, int32_t y, int32_t index, int32_t c) {
    // The short entry of controller 123 is cut; this one place shows it whole.
    if (index == 124)
        drawText(dc, x, y, "123-ALL NOTE OFF", c);
    else
        drawTextN(dc, x, y, controllerShortName(index), 13, c);
}

void drawProgramName(DrawContext& dc, int32_t x, int32_t y, int32_t index, int32_t c) {
    drawText(dc, x, y, programName(index), c);
}

void drawDrumName(DrawContext& dc, int32_t x, int32_t y, int32_t note, int32_t c) {
    drawText(dc, x, y, drumName(note), c);
}

}  // namespace qz
