// Drawing on the program's canvas: the palette, filled shapes, bevels,
// glyphs, text through the platform's renderer, number and position formats
// and the fixed name tables. Everything but text writes the pixel array
// directly; nothing here allocates while drawing.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qz {

constexpr int32_t CANVAS_MIN_WIDTH = 1735;
constexpr int32_t CANVAS_MIN_HEIGHT = 700;

// Font numbers: the seven bold Arial sizes, then the three stock fonts.
constexpr int32_t FONT_ARIAL_14 = 0;
constexpr int32_t FONT_ARIAL_16 = 1;
constexpr int32_t FONT_ARIAL_18 = 2;
constexpr int32_t FONT_ARIAL_21_7 = 3;
constexpr int32_t FONT_ARIAL_22_8 = 4;
constexpr int32_t FONT_ARIAL_26_10 = 5;
constexpr int32_t FONT_ARIAL_35_15 = 6;
constexpr int32_t FONT_SYSTEM_FIXED = 7;  // fixed-pitch system font
constexpr int32_t FONT_SYSTEM = 8;        // variable-pitch system font (selected at start)
constexpr int32_t FONT_GUI = 9;           // default interface font
constexpr int32_t FONT_COUNT = 10;

// What the platform needs to make a font: cell height in pixels, average
// character width (0 = the face's own), weight, and whether it is the
// fixed-pitch face.
struct FontSpec {
    int32_t height;
    int32_t width;
    int32_t weight;
    bool fixedPitch;
};
extern const std::array<FontSpec, FONT_COUNT> FONT_TABLE;

struct DrawContext;

// The text hook. Text is the only thing the canvas cannot draw by itself;
// the platform installs a renderer that draws into `pixels` in the context's
// current font and text colour, with a transparent background, leaving the
// top byte of every pixel 0.
struct TextRenderer {
    void* user = nullptr;
    // Draws n bytes of text with the top-left of its cell at (x, y).
    void (*drawText)(void* user, DrawContext& dc, int32_t x, int32_t y, const char* text, int32_t n) = nullptr;
    // Advance width in pixels of n bytes of text in a font.
    int32_t (*textWidth)(void* user, int32_t font, const char* text, int32_t n) = nullptr;
    // Frees `user`; called when another renderer replaces this one or the
    // context is released.
    void (*release)(void* user) = nullptr;
};

// The canvas and the text state. One instance for the program.
struct DrawContext {
    // Rows top to bottom, `width` pixels of 0x00RRGGBB each.
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t textColour = 255;
    int32_t font = FONT_SYSTEM;
    TextRenderer text;

    DrawContext() = default;
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;
    // The renderer's state goes with the context.
    ~DrawContext() {
        if (text.release) text.release(text.user);
    }
};

// Make the canvas (filled with black) and reset the text state; false when
// the size is below 1 x 1 or the memory cannot be had.
bool initDrawContext(DrawContext& dc, int32_t width, int32_t height);
// Release the text renderer and the canvas.
void releaseDrawContext(DrawContext& dc);
// Install a text renderer, releasing the one installed before.
void installTextRenderer(DrawContext& dc, const TextRenderer& renderer);

// ---- Palette ----------------------------------------------------------

// The 256 colours, 0x00RRGGBB. A colour argument is a byte: every drawing
// call takes it modulo 256, so -10 means 246.
extern const std::array<uint32_t, 256> PALETTE;
inline uint32_t paletteColour(int32_t c) { return PALETTE[static_cast<uint8_t>(c)]; }

// Colours with a fixed role across panels.
constexpr int32_t COL_WHITE = 0;
constexpr int32_t COL_LIGHT_GREY = 1;
constexpr int32_t COL_BACKGROUND = 2;
constexpr int32_t COL_LAMP_LIT = 5;
constexpr int32_t COL_PANEL = 7;
constexpr int32_t COL_BUTTON_ON = 77;
constexpr int32_t COL_HOVER = 186;
constexpr int32_t COL_GLYPH_INK = 192;
constexpr int32_t COL_NOTE_ROW = 210;
constexpr int32_t COL_POSITION_BG = 240;
constexpr int32_t COL_FIELD = 245;
constexpr int32_t COL_EMPTY_MARK = 246;
constexpr int32_t COL_BEVEL_LIGHT = 247;
constexpr int32_t COL_LAMP_DARK = 248;
constexpr int32_t COL_BUTTON_OFF = 249;
constexpr int32_t COL_BEVEL_DARK = 250;
constexpr int32_t COL_BLACK = 255;

// ---- Rectangles and lines ---------------------------------------------
// All of them clip alike: a negative x, y, w or h draws nothing; x or y at
// or past the canvas edge moves to the last column or row; w and h are cut
// at the canvas edge.

void fillRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c);
void fillCanvas(DrawContext& dc, int32_t c);
void hLine(DrawContext& dc, int32_t x, int32_t y, int32_t length, int32_t thickness, int32_t c);
void vLine(DrawContext& dc, int32_t x, int32_t y, int32_t length, int32_t thickness, int32_t c);
// 1-pixel outline; nothing when w or h is 0.
void frameRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c);
// 1-pixel outline without its four corner pixels.
void frameRectCut(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c);
// Sunken field: top and left edges 250, bottom and right 249, inside c.
void fieldBox(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c);
// Button with a 2-pixel bevel; nothing when w or h is below 5.
void bevelButton(DrawContext& dc, bool pressed, int32_t x, int32_t y, int32_t w, int32_t h, int32_t face,
                 int32_t light, int32_t dark);
// Button with a 1-pixel bevel; nothing when w or h is below 5.
void bevelButtonThin(DrawContext& dc, bool pressed, int32_t x, int32_t y, int32_t w, int32_t h, int32_t face,
                     int32_t light, int32_t dark);
void engravedHLine(DrawContext& dc, int32_t x, int32_t y, int32_t length);
void engravedVLine(DrawContext& dc, int32_t x, int32_t y, int32_t length);
// Engraved outline; nothing when w or h is below 2.
void engravedFrame(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h);
// Checkerboard of cell x cell squares of c and 1 (CCCCCC), c first.
void checkerFill(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c, int32_t cell);
// Keeps the low 6 bits of red and green.
void dimRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h);
// Non-black pixels become colour 192, black ones white.
void monoToColour(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h);
// XOR FFFFFF; only inside the event grid area (x + w <= 924, y + h <= 539).
void invertRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h);
// Bluish tint for selected bars; x limited to 923 and x + w to 924.
void tintRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h);
// Blue at full, low 4 bits of red and green cleared.
void blueWash(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h);

// The look every panel shares: a field's face is 186 while it is the hovered
// element, else 245; a switch's face is 77 when on, 249 when off.
void drawField(DrawContext& dc, bool hovered, int32_t x, int32_t y, int32_t w, int32_t h);
void drawSwitch(DrawContext& dc, bool on, bool pressed, int32_t x, int32_t y, int32_t w, int32_t h);

// ---- Glyphs -----------------------------------------------------------
// Byte 0 is the width in bytes, byte 1 the height in rows, then the rows top
// to bottom, most significant bit leftmost.

extern const uint8_t GLYPH_NOTE[];  // drawn in colour 255 by its users
extern const uint8_t GLYPH_NOTE_SMALL[];
extern const uint8_t GLYPH_LEFT_11[];
extern const uint8_t GLYPH_RIGHT_11[];
extern const uint8_t GLYPH_LEFT_15[];
extern const uint8_t GLYPH_RIGHT_15[];
extern const uint8_t GLYPH_TO_START[];
extern const uint8_t GLYPH_TO_END[];
extern const uint8_t GLYPH_X_15[];
extern const uint8_t GLYPH_X_11[];
extern const uint8_t GLYPH_ARROW_RIGHT[];
extern const uint8_t GLYPH_DOWN[];
extern const uint8_t GLYPH_KEY_C[];
extern const uint8_t GLYPH_KEY_D[];
extern const uint8_t GLYPH_KEY_E[];

// Set bits in c, clear bits leave the canvas. A glyph passing the right edge
// is moved left to end there; rows and columns off the canvas are skipped.
void drawGlyph(DrawContext& dc, int32_t x, int32_t y, const uint8_t* glyph, int32_t c);

// ---- Text -------------------------------------------------------------

void setTextColour(DrawContext& dc, int32_t c);
// Makes a font of the table current; an unknown number is ignored.
void selectFont(DrawContext& dc, int32_t font);
void drawText(DrawContext& dc, int32_t x, int32_t y, const char* text, int32_t c);
// At most n characters, stopping early at a NUL.
void drawTextN(DrawContext& dc, int32_t x, int32_t y, const char* text, int32_t n, int32_t c);
// At most n characters of text from x, as many as end within maxWidth pixels.
void drawTextFitted(DrawContext& dc, int32_t x, int32_t y, const char* text, int32_t n, int32_t maxWidth, int32_t c);
// Advance width of the text in the current font; 0 without a renderer.
int32_t textWidth(const DrawContext& dc, const char* text);

// ---- Numbers ----------------------------------------------------------
// A negative value draws "???" in colour 255.

// Number of digits shown for a maximum: 1 below 10, 2 below 100 ... up to 9.
int32_t digitCount(int32_t max);
// v (capped at max) zero-padded to the digits of max.
void drawNumberZero(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t max, int32_t c);
// v (capped at max) blank-padded to the digits of max.
void drawNumberBlank(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t max, int32_t c);
// "0", or a "+" or a short bar followed by the magnitude.
void drawSigned(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t max, int32_t c);
// Right-aligned in a 3-digit cell.
void drawNumber3(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c);
// Right-aligned in a 3-digit cell of the 26-pixel font, current colour.
void drawDigitsWide(DrawContext& dc, int32_t x, int32_t y, int32_t v);
// Tempo in tenths, large (Arial 26/10).
void drawTempoLarge(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c);
// Tempo in tenths, medium (Arial 22/8).
void drawTempoMedium(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c);
// A value in tenths in the current font.
void drawTenths(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c);
// Two upper-case hexadecimal digits of the low byte.
void drawHex2(DrawContext& dc, int32_t x, int32_t y, int32_t v, int32_t c);

// ---- Notes and positions ----------------------------------------------

// Name of note n without octave: "C ", "C#" ... "B ".
const char* noteName(int32_t n);
void drawNoteA(DrawContext& dc, int32_t x, int32_t y, int32_t n, int32_t c);
void drawNoteB(DrawContext& dc, int32_t x, int32_t y, int32_t n, int32_t c);
// Nothing for notes of 100 and above.
void drawNoteC(DrawContext& dc, int32_t x, int32_t y, int32_t n, int32_t c);
void drawNoteD(DrawContext& dc, int32_t x, int32_t y, int32_t n, int32_t c);

// BAR.BEAT.TICK of a tick value: bar from 1 (at most 999), beat from 1.
struct BarBeatTick {
    int32_t bar;
    int32_t beat;
    int32_t tick;
};
BarBeatTick splitPosition(int32_t tick);
// Current font, colour 255, no separators.
void drawPositionSmall(DrawContext& dc, int32_t x, int32_t y, int32_t tick);
// Arial 16 with 2 x 2 dots.
void drawPositionMedium(DrawContext& dc, int32_t x, int32_t y, int32_t tick, int32_t c);
// Arial 35/15 with 5 x 5 dots.
void drawPositionLarge(DrawContext& dc, int32_t x, int32_t y, int32_t tick, int32_t c);

// ---- Name tables ------------------------------------------------------
// Entries are blank-padded to the table's width; nullptr out of range.

// Controller -1..127 ("OFF" for -1), 16 characters.
const char* controllerName(int32_t controller);
// Index 0..128 (controller + 1, "ALL" for 0), 13 characters.
const char* controllerShortName(int32_t index);
// Index 0..128: 0 is blank, 1 is program 0; 13 characters.
const char* programName(int32_t index);
// Note 27..87, 14 characters.
const char* drumName(int32_t note);

void drawControllerName(DrawContext& dc, int32_t x, int32_t y, int32_t controller, int32_t c);
// Cut at 13 characters, except index 124 which shows "123-ALL NOTE OFF".
void drawControllerShort(DrawContext& dc, int32_t x, int32_t y, int32_t index, int32_t c);
void drawProgramName(DrawContext& dc, int32_t x, int32_t y, int32_t index, int32_t c);
void drawDrumName(DrawContext& dc, int32_t x, int32_t y, int32_t note, int32_t c);

// ---- Export -----------------------------------------------------------

// Write the canvas as an RGB PNG file; false when the file cannot be written.
bool writeCanvasPng(const DrawContext& dc, const char* path);

}  // namespace qz
