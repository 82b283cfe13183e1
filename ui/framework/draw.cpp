// The canvas, the palette and every primitive that writes pixels directly.
#include "ui/framework/draw.h"

#include <algorithm>
#include <new>

namespace qz {

namespace {

// The 6 x 6 x 6 cube with blue fastest, four 10-step ramps, black, and the
// six entries the screen's look needs instead.
constexpr std::array<uint32_t, 256> makePalette() {
    constexpr uint32_t cube[6] = {0xFF, 0xCC, 0x99, 0x66, 0x33, 0x00};
    constexpr uint32_t ramp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
    std::array<uint32_t, 256> p{};
    for (uint32_t i = 0; i < 215; ++i) p[i] = cube[i / 36] << 16 | cube[i / 6 % 6] << 8 | cube[i % 6];
    for (uint32_t i = 0; i < 10; ++i) {
        p[215 + i] = ramp[i] << 16;
        p[225 + i] = ramp[i] << 8;
        p[235 + i] = ramp[i];
        p[245 + i] = ramp[i] * 0x010101;
    }
    p[255] = 0x000000;
    p[1] = 0xCCCCCC;
    p[2] = 0x444450;
    p[3] = 0x444477;
    p[6] = 0x77736A;
    p[7] = 0xEEE7D4;
    p[8] = 0xFFCCFF;
    return p;
}

// The one clipping rule of every rectangle primitive. False when nothing is
// to be drawn.
bool clipRect(const DrawContext& dc, int32_t& x, int32_t& y, int32_t& w, int32_t& h) {
    if (x < 0 || y < 0 || w < 0 || h < 0 || dc.width <= 0 || dc.height <= 0) return false;
    if (x >= dc.width) x = dc.width - 1;
    if (y >= dc.height) y = dc.height - 1;
    // 64-bit sums: a huge w must not wrap round to a small one.
    if (int64_t{x} + w >= dc.width) w = dc.width - x;
    if (int64_t{y} + h > dc.height) h = dc.height - y;
    return w > 0 && h > 0;
}

// Apply op to every pixel of a clipped rectangle.
template <typename Op>
void eachPixel(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, Op op) {
    if (!clipRect(dc, x, y, w, h)) return;
    for (int32_t row = y; row < y + h; ++row) {
        uint32_t* p = dc.pixels.data() + static_cast<size_t>(row) * dc.width + x;
        for (int32_t i = 0; i < w; ++i) p[i] = op(p[i]);
    }
}

}  // namespace

const std::array<uint32_t, 256> PALETTE = makePalette();

const std::array<FontSpec, FONT_COUNT> FONT_TABLE = {{
    {14, 0, 700, false},
    {16, 0, 700, false},
    {18, 0, 700, false},
    {21, 7, 700, false},
    {22, 8, 700, false},
    {26, 10, 700, false},
    {35, 15, 700, false},
    {15, 0, 400, true},   // fixed-pitch system font
    {16, 0, 700, false},  // variable-pitch system font
    {13, 0, 400, false},  // default interface font
}};

bool initDrawContext(DrawContext& dc, int32_t width, int32_t height) {
    if (width < 1 || height < 1) return false;
    try {
        dc.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    } catch (const std::bad_alloc&) {
        dc.pixels.clear();
        dc.width = dc.height = 0;
        return false;
    }
    dc.width = width;
    dc.height = height;
    dc.textColour = 255;
    dc.font = FONT_SYSTEM;
    return true;
}

void releaseDrawContext(DrawContext& dc) {
    installTextRenderer(dc, TextRenderer{});
    dc.pixels.clear();
    dc.pixels.shrink_to_fit();
    dc.width = dc.height = 0;
}

void installTextRenderer(DrawContext& dc, const TextRenderer& renderer) {
    if (dc.text.release) dc.text.release(dc.text.user);
    dc.text = renderer;
}

// ---- Rectangles and lines ---------------------------------------------

void fillRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c) {
    const uint32_t colour = paletteColour(c);
    eachPixel(dc, x, y, w, h, [colour](uint32_t) { return colour; });
}

void fillCanvas(DrawContext& dc, int32_t c) { std::fill(dc.pixels.begin(), dc.pixels.end(), paletteColour(c)); }

void hLine(DrawContext& dc, int32_t x, int32_t y, int32_t length, int32_t thickness, int32_t c) {
    fillRect(dc, x, y, length, thickness, c);
}

void vLine(DrawContext& dc, int32_t x, int32_t y, int32_t length, int32_t thickness, int32_t c) {
    fillRect(dc, x, y, thickness, length, c);
}

void frameRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c) {
    if (w == 0 || h == 0 || !clipRect(dc, x, y, w, h)) return;
    fillRect(dc, x, y, w, 1, c);
    fillRect(dc, x, y + h - 1, w, 1, c);
    fillRect(dc, x, y, 1, h, c);
    fillRect(dc, x + w - 1, y, 1, h, c);
}

void frameRectCut(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c) {
    if (dc.height > 0 && y >= 0 && int64_t{y} + h > dc.height) h = dc.height - y;
    fillRect(dc, x + 1, y, w - 2, 1, c);
    fillRect(dc, x + 1, y + h - 1, w - 2, 1, c);
    fillRect(dc, x, y + 1, 1, h - 2, c);
    fillRect(dc, x + w - 1, y + 1, 1, h - 2, c);
}

void fieldBox(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c) {
    if (w < 0 || h < 0) return;
    fillRect(dc, x, y, w, 1, COL_BEVEL_DARK);
    fillRect(dc, x, y, 1, h, COL_BEVEL_DARK);
    fillRect(dc, x, y + h - 1, w, 1, COL_BUTTON_OFF);
    fillRect(dc, x + w - 1, y, 1, h, COL_BUTTON_OFF);
    fillRect(dc, x + 1, y + 1, w - 2, h - 2, c);
}

void bevelButton(DrawContext& dc, bool pressed, int32_t x, int32_t y, int32_t w, int32_t h, int32_t face,
                 int32_t light, int32_t dark) {
    if (w < 5 || h < 5) return;
    const int32_t topLeft = pressed ? dark : light;
    const int32_t bottomRight = pressed ? light : dark;
    frameRectCut(dc, x, y, w, h, COL_BEVEL_DARK);
    fillRect(dc, x + 3, y + 3, w - 6, h - 6, face);
    hLine(dc, x + 1, y + 1, w - 2, 2, topLeft);
    vLine(dc, x + 1, y + 1, h - 2, 2, topLeft);
    vLine(dc, x + w - 3, y + 2, h - 4, 2, bottomRight);
    hLine(dc, x + 2, y + h - 3, w - 3, 2, bottomRight);
}

void bevelButtonThin(DrawContext& dc, bool pressed, int32_t x, int32_t y, int32_t w, int32_t h, int32_t face,
                     int32_t light, int32_t dark) {
    if (w < 5 || h < 5) return;
    const int32_t topLeft = pressed ? dark : light;
    const int32_t bottomRight = pressed ? light : dark;
    hLine(dc, x + 1, y, w - 2, 1, COL_BUTTON_OFF);
    hLine(dc, x + 1, y + h - 1, w - 2, 1, COL_BUTTON_OFF);
    vLine(dc, x + w - 1, y + 1, h - 2, 1, COL_BUTTON_OFF);
    vLine(dc, x, y + 1, h - 2, 1, COL_BEVEL_DARK);
    fillRect(dc, x + 2, y + 2, w - 4, h - 4, face);
    hLine(dc, x + 1, y + 1, w - 2, 1, topLeft);
    vLine(dc, x + 1, y + 1, h - 2, 1, topLeft);
    vLine(dc, x + w - 2, y + 2, h - 4, 1, bottomRight);
    hLine(dc, x + 2, y + h - 2, w - 3, 1, bottomRight);
}

void engravedHLine(DrawContext& dc, int32_t x, int32_t y, int32_t length) {
    hLine(dc, x, y, length, 1, COL_WHITE);
    hLine(dc, x, y + 1, length, 1, COL_BUTTON_OFF);
}

void engravedVLine(DrawContext& dc, int32_t x, int32_t y, int32_t length) {
    vLine(dc, x, y, length, 1, COL_WHITE);
    vLine(dc, x + 1, y, length, 1, COL_BUTTON_OFF);
}

void engravedFrame(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (w < 2 || h < 2) return;
    engravedHLine(dc, x + 1, y, w - 2);
    engravedHLine(dc, x + 1, y + h - 2, w - 2);
    engravedVLine(dc, x, y + 1, h - 2);
    engravedVLine(dc, x + w - 2, y + 1, h - 2);
}

void checkerFill(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t c, int32_t cell) {
    if (cell <= 0) return;
    const int32_t x0 = x, y0 = y;
    if (!clipRect(dc, x, y, w, h)) return;
    const uint32_t colours[2] = {paletteColour(c), paletteColour(COL_LIGHT_GREY)};
    for (int32_t row = y; row < y + h; ++row) {
        uint32_t* p = dc.pixels.data() + static_cast<size_t>(row) * dc.width;
        const int32_t band = (row - y0) / cell;
        for (int32_t col = x; col < x + w; ++col) p[col] = colours[(band + (col - x0) / cell) & 1];
    }
}

void dimRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h) {
    eachPixel(dc, x, y, w, h, [](uint32_t p) { return p & 0x3F3FFFu; });
}

void monoToColour(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h) {
    const uint32_t ink = paletteColour(COL_GLYPH_INK);
    eachPixel(dc, x, y, w, h, [ink](uint32_t p) { return (p & 0xFFFFFFu) != 0 ? ink : 0xFFFFFFu; });
}

void invertRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (w < 0 || h < 0 || int64_t{x} + w > 924 || int64_t{y} + h > 539) return;
    eachPixel(dc, x, y, w, h, [](uint32_t p) { return p ^ 0xFFFFFFu; });
}

void tintRect(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (x > 923) x = 923;
    if (int64_t{x} + w > 924) w = 924 - x;
    eachPixel(dc, x, y, w, h, [](uint32_t p) {
        int32_t r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
        if (b + 0x33 > 255) {
            const int32_t excess = b - 204;
            r = std::max(0, r - excess);
            g = std::max(0, g - excess);
            b = 255;
        } else {
            b += 0x33;
        }
        return static_cast<uint32_t>(r << 16 | g << 8 | b);
    });
}

void blueWash(DrawContext& dc, int32_t x, int32_t y, int32_t w, int32_t h) {
    eachPixel(dc, x, y, w, h, [](uint32_t p) { return (p | 0xFFu) & 0xF0F0FFu; });
}

void drawField(DrawContext& dc, bool hovered, int32_t x, int32_t y, int32_t w, int32_t h) {
    fieldBox(dc, x, y, w, h, hovered ? COL_HOVER : COL_FIELD);
}

void drawSwitch(DrawContext& dc, bool on, bool pressed, int32_t x, int32_t y, int32_t w, int32_t h) {
    bevelButton(dc, pressed, x, y, w, h, on ? COL_BUTTON_ON : COL_BUTTON_OFF, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
}

// ---- Glyphs -----------------------------------------------------------

// clang-format off
const uint8_t GLYPH_NOTE[] = {2, 19,
    0x00,0x30, 0x00,0x30, 0x00,0x30, 0x00,0x30, 0x00,0x30, 0x00,0x30, 0x00,0x30, 0x00,0x30, 0x00,0x30, 0x00,0x30,
    0x00,0x30, 0x00,0x30, 0x03,0xf0, 0x0f,0xf0, 0x1f,0xf0, 0x3f,0xf0, 0x3f,0xe0, 0x3f,0xc0, 0x1f,0x00};
const uint8_t GLYPH_NOTE_SMALL[] = {2, 9,
    0x04,0x00, 0x04,0x00, 0x04,0x00, 0x04,0x00, 0x04,0x00, 0x04,0x00, 0x7c,0x00, 0xfc,0x00, 0x78,0x00};
const uint8_t GLYPH_LEFT_11[] = {1, 11, 0x04, 0x0c, 0x1c, 0x3c, 0x7c, 0xfc, 0x7c, 0x3c, 0x1c, 0x0c, 0x04};
const uint8_t GLYPH_RIGHT_11[] = {1, 11, 0x80, 0xc0, 0xe0, 0xf0, 0xf8, 0xfc, 0xf8, 0xf0, 0xe0, 0xc0, 0x80};
const uint8_t GLYPH_LEFT_15[] = {1, 15,
    0x01, 0x03, 0x07, 0x0f, 0x1f, 0x3f, 0x7f, 0xff, 0x7f, 0x3f, 0x1f, 0x0f, 0x07, 0x03, 0x01};
const uint8_t GLYPH_RIGHT_15[] = {1, 15,
    0x80, 0xc0, 0xe0, 0xf0, 0xf8, 0xfc, 0xfe, 0xff, 0xfe, 0xfc, 0xf8, 0xf0, 0xe0, 0xc0, 0x80};
const uint8_t GLYPH_TO_START[] = {2, 11,
    0xe0,0x20, 0xe0,0x60, 0xe0,0xe0, 0xe1,0xe0, 0xe3,0xe0, 0xe7,0xe0, 0xe3,0xe0, 0xe1,0xe0, 0xe0,0xe0, 0xe0,0x60,
    0xe0,0x20};
const uint8_t GLYPH_TO_END[] = {2, 11,
    0x10,0x1c, 0x18,0x1c, 0x1c,0x1c, 0x1e,0x1c, 0x1f,0x1c, 0x1f,0x9c, 0x1f,0x1c, 0x1e,0x1c, 0x1c,0x1c, 0x18,0x1c,
    0x10,0x1c};
const uint8_t GLYPH_X_15[] = {2, 15,
    0x40,0x04, 0xe0,0x0e, 0x70,0x1c, 0x38,0x38, 0x1c,0x70, 0x0e,0xe0, 0x07,0xc0, 0x03,0x80, 0x07,0xc0, 0x0e,0xe0,
    0x1c,0x70, 0x38,0x38, 0x70,0x1c, 0xe0,0x0e, 0x40,0x04};
const uint8_t GLYPH_X_11[] = {2, 11,
    0x70,0x1c, 0x38,0x38, 0x1c,0x70, 0x0e,0xe0, 0x07,0xc0, 0x03,0x80, 0x07,0xc0, 0x0e,0xe0, 0x1c,0x70, 0x38,0x38,
    0x70,0x1c};
const uint8_t GLYPH_ARROW_RIGHT[] = {1, 7, 0x08, 0x04, 0x02, 0xff, 0x02, 0x04, 0x08};
const uint8_t GLYPH_DOWN[] = {2, 6, 0x7f,0xf0, 0x3f,0xe0, 0x1f,0xc0, 0x0f,0x80, 0x07,0x00, 0x02,0x00};
#define QZ_ROWS10(a, b) a,b, a,b, a,b, a,b, a,b, a,b, a,b, a,b, a,b, a,b
const uint8_t GLYPH_KEY_C[] = {2, 20, QZ_ROWS10(0xfe, 0x00), QZ_ROWS10(0xff, 0xe0)};
const uint8_t GLYPH_KEY_D[] = {2, 20, QZ_ROWS10(0x0e, 0x00), QZ_ROWS10(0xff, 0xe0)};
const uint8_t GLYPH_KEY_E[] = {2, 20, QZ_ROWS10(0x0f, 0xe0), QZ_ROWS10(0xff, 0xe0)};
#undef QZ_ROWS10
// clang-format on

void drawGlyph(DrawContext& dc, int32_t x, int32_t y, const uint8_t* glyph, int32_t c) {
    if (!glyph) return;
    const int32_t bytesPerRow = glyph[0];
    const int32_t rows = glyph[1];
    const int32_t pixelWidth = bytesPerRow * 8;
    if (x + pixelWidth > dc.width) x = dc.width - pixelWidth;
    const uint32_t colour = paletteColour(c);
    for (int32_t r = 0; r < rows; ++r) {
        const int32_t py = y + r;
        if (py < 0) continue;
        if (py >= dc.height) break;
        const uint8_t* bits = glyph + 2 + r * bytesPerRow;
        uint32_t* line = dc.pixels.data() + static_cast<size_t>(py) * dc.width;
        for (int32_t col = 0; col < pixelWidth; ++col) {
            const int32_t px = x + col;
            if (px < 0 || px >= dc.width) continue;
            if (bits[col >> 3] & (0x80 >> (col & 7))) line[px] = colour;
        }
    }
}

}  // namespace qz
