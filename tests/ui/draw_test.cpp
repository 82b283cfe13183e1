// Pixel tests of the canvas primitives, the palette and the glyphs.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/framework/draw.h"

namespace qz {
namespace {

struct Canvas {
    DrawContext dc;
    explicit Canvas(int32_t w = CANVAS_MIN_WIDTH, int32_t h = CANVAS_MIN_HEIGHT) { EXPECT_TRUE(initDrawContext(dc, w, h)); }
    ~Canvas() { releaseDrawContext(dc); }
    uint32_t at(int32_t x, int32_t y) const { return dc.pixels[static_cast<size_t>(y) * dc.width + x]; }
    void set(int32_t x, int32_t y, uint32_t v) { dc.pixels[static_cast<size_t>(y) * dc.width + x] = v; }
    // Pixels that differ from `background`.
    int64_t countNot(uint32_t background) const {
        int64_t n = 0;
        for (uint32_t p : dc.pixels) n += p != background;
        return n;
    }
};

// Each {x, y, palette index} must hold that colour.
void expectPixels(const Canvas& c, std::initializer_list<std::array<int, 3>> pixels) {
    for (const auto& p : pixels) EXPECT_EQ(c.at(p[0], p[1]), PALETTE[p[2]]) << "at " << p[0] << "," << p[1];
}

TEST(Palette, CubeRampsAndExceptions) {
    struct Case {
        int index;
        uint32_t rgb;
    } cases[] = {
        {0, 0xFFFFFF},  {1, 0xCCCCCC},   {2, 0x444450},   {3, 0x444477},   {4, 0xFFFF33},   {5, 0xFFFF00},
        {6, 0x77736A},  {7, 0xEEE7D4},   {8, 0xFFCCFF},   {9, 0xFFCC66},   {36, 0xCCFFFF},  {77, 0x99FF00},
        {186, 0x00CCFF}, {192, 0x0099FF}, {210, 0x0000FF}, {214, 0x000033}, {215, 0xEE0000}, {224, 0x110000},
        {225, 0x00EE00}, {234, 0x001100}, {235, 0x0000EE}, {240, 0x000077}, {244, 0x000011}, {245, 0xEEEEEE},
        {246, 0xDDDDDD}, {247, 0xBBBBBB}, {248, 0xAAAAAA}, {249, 0x888888}, {250, 0x777777}, {254, 0x111111},
        {255, 0x000000},
    };
    for (const Case& c : cases) EXPECT_EQ(PALETTE[c.index], c.rgb) << "entry " << c.index;
    for (uint32_t p : PALETTE) EXPECT_EQ(p >> 24, 0u);
    // A colour argument is a byte: -10 is entry 246.
    EXPECT_EQ(paletteColour(-10), 0xDDDDDDu);
}

TEST(DrawRect, ClipsToTheCanvas) {
    Canvas c;
    fillRect(c.dc, 1730, 10, 20, 3, 0);
    EXPECT_EQ(c.countNot(0), 5 * 3);
    for (int x = 1730; x < 1735; ++x) EXPECT_EQ(c.at(x, 11), 0xFFFFFFu);

    Canvas d;
    fillRect(d.dc, 10, 10, -1, 5, 0);
    fillRect(d.dc, 10, 10, 5, -1, 0);
    fillRect(d.dc, -1, 10, 5, 5, 0);
    fillRect(d.dc, 10, -3, 5, 5, 0);
    fillRect(d.dc, 10, 10, 0, 5, 0);
    EXPECT_EQ(d.countNot(0), 0);

    // x past the right edge moves to the last column; h is cut at the bottom.
    fillRect(d.dc, 5000, 695, 30, 30, 5);
    EXPECT_EQ(d.countNot(0), 5);
    EXPECT_EQ(d.at(1734, 699), 0xFFFF00u);
    // A huge width must not wrap round.
    Canvas e;
    fillRect(e.dc, 10, 0, 0x7FFFFFFF, 1, 0);
    EXPECT_EQ(e.countNot(0), 1735 - 10);
}

TEST(DrawRect, LinesFramesFieldsBevels) {
    Canvas c(120, 30);
    hLine(c.dc, 2, 3, 5, 2, 0);
    vLine(c.dc, 10, 1, 4, 3, 5);
    frameRect(c.dc, 20, 1, 10, 5, 0);
    frameRect(c.dc, 20, 10, 0, 5, 0);  // w 0: nothing
    frameRectCut(c.dc, 40, 1, 10, 5, 0);
    fieldBox(c.dc, 60, 1, 10, 6, COL_HOVER);
    engravedHLine(c.dc, 80, 2, 6);
    engravedVLine(c.dc, 90, 2, 6);
    EXPECT_EQ(c.countNot(0), 10 + 12 + 26 + 22 + 60 + 12 + 12);
    expectPixels(c, {{6, 4, 0},    {12, 4, 5},   {20, 1, 0},    {29, 5, 0},   {40, 1, 255}, {49, 5, 255},
                     {41, 1, 0},   {65, 1, 250}, {60, 4, 250},  {65, 6, 249}, {69, 4, 249}, {66, 3, 186},
                     {81, 2, 0},   {81, 3, 249}, {90, 4, 0},    {91, 4, 249}});

    for (bool pressed : {false, true}) {
        Canvas b(40, 30);
        bevelButton(b.dc, pressed, 0, 0, 20, 12, 77, 247, 250);
        const int light = pressed ? 250 : 247, dark = pressed ? 247 : 250;
        expectPixels(b, {{0, 0, 255},    {5, 0, 250},    {5, 1, light}, {5, 2, light}, {1, 5, light},
                         {2, 5, light},  {5, 5, 77},     {17, 5, dark}, {18, 5, dark}, {5, 9, dark},
                         {5, 10, dark},  {19, 5, 250},   {20, 5, 255}});
    }
    Canvas t(40, 30);
    bevelButtonThin(t.dc, false, 0, 0, 20, 12, 245, 247, 250);
    expectPixels(t, {{5, 0, 249}, {0, 5, 250}, {19, 5, 249}, {5, 1, 247}, {1, 5, 247}, {18, 5, 250},
                     {5, 10, 250}, {5, 5, 245}});
    Canvas small(40, 30);
    bevelButton(small.dc, false, 0, 0, 4, 12, 77, 247, 250);
    bevelButtonThin(small.dc, false, 0, 0, 12, 4, 77, 247, 250);
    EXPECT_EQ(small.countNot(0), 0);

    Canvas k(40, 30);
    checkerFill(k.dc, 2, 2, 8, 4, 5, 2);
    const char* rows[4] = {"aabbaabb", "aabbaabb", "bbaabbaa", "bbaabbaa"};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(k.at(2 + x, 2 + y), PALETTE[rows[y][x] == 'a' ? 5 : 1]) << x << "," << y;
    EXPECT_EQ(k.countNot(0), 32);
}

TEST(DrawRect, PixelEffects) {
    Canvas c(1000, 600);
    auto paint = [&](uint32_t v) { std::fill(c.dc.pixels.begin(), c.dc.pixels.end(), v); };

    paint(0xC1C2C3);
    dimRect(c.dc, 0, 0, 2, 2);
    EXPECT_EQ(c.at(1, 1), 0x0102C3u);
    EXPECT_EQ(c.at(2, 1), 0xC1C2C3u);

    c.set(1, 0, 0);
    monoToColour(c.dc, 0, 0, 2, 1);
    EXPECT_EQ(c.at(0, 0), PALETTE[192]);
    EXPECT_EQ(c.at(1, 0), 0xFFFFFFu);

    paint(0x123456);
    invertRect(c.dc, 900, 500, 25, 10);  // reaches x + w = 925: nothing at all
    invertRect(c.dc, 900, 530, 10, 10);  // reaches y + h = 540: nothing
    EXPECT_EQ(c.countNot(0x123456), 0);
    invertRect(c.dc, 900, 500, 24, 39);
    EXPECT_EQ(c.at(923, 538), 0xEDCBA9u);
    EXPECT_EQ(c.countNot(0x123456), 24 * 39);

    paint(0x8040F0);
    tintRect(c.dc, 920, 0, 50, 1);  // cut at x + w = 924
    EXPECT_EQ(c.at(920, 0), 0x5C1CFFu);  // excess 0xF0 - 204 = 36 taken from red and green
    EXPECT_EQ(c.countNot(0x8040F0), 4);
    c.set(0, 1, 0x101010);
    c.set(1, 1, 0x1010E0);
    tintRect(c.dc, 0, 1, 2, 1);
    EXPECT_EQ(c.at(0, 1), 0x101043u);
    EXPECT_EQ(c.at(1, 1), 0x0000FFu);  // never below 0

    paint(0x1F2F3F);
    blueWash(c.dc, 0, 0, 1, 1);
    EXPECT_EQ(c.at(0, 0), 0x1020FFu);
}

// Parses rows as the glyph table writes them ("0030", "fe00 x10").
std::vector<uint32_t> parseRows(const std::string& text) {
    std::vector<uint32_t> rows;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find(' ', i);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(i, end - i);
        i = end + 1;
        if (word.empty()) continue;
        if (word[0] == 'x') {
            const int times = std::atoi(word.c_str() + 1);
            const uint32_t last = rows.back();
            for (int k = 1; k < times; ++k) rows.push_back(last);
        } else {
            rows.push_back(static_cast<uint32_t>(std::strtoul(word.c_str(), nullptr, 16)));
        }
    }
    return rows;
}

TEST(Glyphs, EveryBitAsListed) {
    struct Case {
        const char* name;
        const uint8_t* glyph;
        int width, height;
        const char* rows;
    } cases[] = {
        {"NOTE", GLYPH_NOTE, 16, 19, "0030 0030 0030 0030 0030 0030 0030 0030 0030 0030 0030 0030 03f0 0ff0 1ff0 3ff0 3fe0 3fc0 1f00"},
        {"NOTE_SMALL", GLYPH_NOTE_SMALL, 16, 9, "0400 0400 0400 0400 0400 0400 7c00 fc00 7800"},
        {"LEFT_11", GLYPH_LEFT_11, 8, 11, "04 0c 1c 3c 7c fc 7c 3c 1c 0c 04"},
        {"RIGHT_11", GLYPH_RIGHT_11, 8, 11, "80 c0 e0 f0 f8 fc f8 f0 e0 c0 80"},
        {"LEFT_15", GLYPH_LEFT_15, 8, 15, "01 03 07 0f 1f 3f 7f ff 7f 3f 1f 0f 07 03 01"},
        {"RIGHT_15", GLYPH_RIGHT_15, 8, 15, "80 c0 e0 f0 f8 fc fe ff fe fc f8 f0 e0 c0 80"},
        {"TO_START", GLYPH_TO_START, 16, 11, "e020 e060 e0e0 e1e0 e3e0 e7e0 e3e0 e1e0 e0e0 e060 e020"},
        {"TO_END", GLYPH_TO_END, 16, 11, "101c 181c 1c1c 1e1c 1f1c 1f9c 1f1c 1e1c 1c1c 181c 101c"},
        {"X_15", GLYPH_X_15, 16, 15, "4004 e00e 701c 3838 1c70 0ee0 07c0 0380 07c0 0ee0 1c70 3838 701c e00e 4004"},
        {"X_11", GLYPH_X_11, 16, 11, "701c 3838 1c70 0ee0 07c0 0380 07c0 0ee0 1c70 3838 701c"},
        {"ARROW_RIGHT", GLYPH_ARROW_RIGHT, 8, 7, "08 04 02 ff 02 04 08"},
        {"DOWN", GLYPH_DOWN, 16, 6, "7ff0 3fe0 1fc0 0f80 0700 0200"},
        {"KEY_C", GLYPH_KEY_C, 16, 20, "fe00 x10 ffe0 x10"},
        {"KEY_D", GLYPH_KEY_D, 16, 20, "0e00 x10 ffe0 x10"},
        {"KEY_E", GLYPH_KEY_E, 16, 20, "0fe0 x10 ffe0 x10"},
    };
    for (const Case& g : cases) {
        const std::vector<uint32_t> rows = parseRows(g.rows);
        ASSERT_EQ(static_cast<int>(rows.size()), g.height) << g.name;
        EXPECT_EQ(g.glyph[0] * 8, g.width) << g.name;
        EXPECT_EQ(g.glyph[1], g.height) << g.name;
        Canvas c(40, 30);
        fillCanvas(c.dc, 255);
        drawGlyph(c.dc, 3, 4, g.glyph, 0);
        for (int y = -1; y <= g.height; ++y)
            for (int x = -1; x <= g.width; ++x) {
                const bool set = y >= 0 && y < g.height && x >= 0 && x < g.width &&
                                 ((rows[static_cast<size_t>(y)] >> (g.width - 1 - x)) & 1u);
                EXPECT_EQ(c.at(3 + x, 4 + y), set ? 0xFFFFFFu : 0u) << g.name << " at " << x << "," << y;
            }
    }
}

TEST(Glyphs, ClipAtTheEdges) {
    Canvas c(40, 30);
    fillCanvas(c.dc, 255);
    drawGlyph(c.dc, 35, 25, GLYPH_KEY_C, 0);  // moved left to end at the edge, cut at the bottom
    EXPECT_EQ(c.at(24, 25), 0xFFFFFFu);       // leftmost bit of "fe00" now at x 24
    EXPECT_EQ(c.at(30, 29), 0xFFFFFFu);
    EXPECT_EQ(c.at(31, 29), 0u);
    Canvas d(40, 30);
    fillCanvas(d.dc, 255);
    drawGlyph(d.dc, -4, -3, GLYPH_RIGHT_11, 0);  // off the top and the left: skipped, no stray writes
    EXPECT_EQ(d.at(0, 0), 0u);                   // row 3 "f0": columns -4..-1 only
    EXPECT_EQ(d.at(0, 1), 0xFFFFFFu);            // row 4 "f8": its fifth column
    EXPECT_EQ(d.countNot(0), 1 + 2 + 1);
}

}  // namespace
}  // namespace qz
