// Canvas text through the Qt renderer, headless: cell heights, average widths,
// colours, transparent background, and a sample sheet written as PNG and read
// back by Qt to check the PNG writer.
#include <gtest/gtest.h>

// Before any Qt header: Qt defines `slots` as a keyword macro, and the state
// record has a field of that name.
#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/qt/text.h"
#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/framework/draw.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"
#include "ui/screens/screens.h"

namespace qz {
namespace {

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int64_t count = 0;
};

// Bounding box of the pixels in a region that differ from `background`.
Box inkBox(const DrawContext& dc, int x0, int y0, int w, int h, uint32_t background) {
    Box b;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (dc.pixels[static_cast<size_t>(y) * dc.width + x] != background) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
                ++b.count;
            }
    return b;
}

// Average width of the current font: lower-case letters and the space by
// their frequency in English text, each measured over 20 copies.
double weightedAverage(const DrawContext& dc) {
    const int weights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                             56, 17, 4,  49, 56,  71, 31, 10, 18, 3,  18, 2, 166};
    double sum = 0;
    for (int i = 0; i < 27; ++i) {
        const std::string run(20, i < 26 ? static_cast<char>('a' + i) : ' ');
        sum += weights[i] * textWidth(dc, run.c_str()) / 20.0;
    }
    return sum / 1000.0;
}

struct QtCanvas : testing::Test {
    DrawContext dc;
    void SetUp() override {
        ASSERT_TRUE(initDrawContext(dc, CANVAS_MIN_WIDTH, CANVAS_MIN_HEIGHT));
        ASSERT_TRUE(installQtTextRenderer(dc));
        fillCanvas(dc, COL_BACKGROUND);
    }
    void TearDown() override { releaseDrawContext(dc); }
};

TEST_F(QtCanvas, ArialCellsWidthsAndColour) {
    struct Case {
        int32_t font, height, width;
    } cases[] = {{FONT_ARIAL_14, 14, 0},   {FONT_ARIAL_16, 16, 0},    {FONT_ARIAL_18, 18, 0},
                 {FONT_ARIAL_21_7, 21, 7}, {FONT_ARIAL_22_8, 22, 8},  {FONT_ARIAL_26_10, 26, 10},
                 {FONT_ARIAL_35_15, 35, 15}};
    const char* sample = "HgjQ|";
    int y = 10;
    for (const Case& c : cases) {
        selectFont(dc, c.font);
        drawText(dc, 100, y, sample, 0);
        // Ink stays inside the cell: from the top at y over `height` rows.
        const Box b = inkBox(dc, 90, y - 4, 300, c.height + 8, PALETTE[COL_BACKGROUND]);
        EXPECT_GT(b.count, 0) << "font " << c.font;
        EXPECT_GE(b.top, y) << "font " << c.font;
        EXPECT_LT(b.bottom, y + c.height) << "font " << c.font;
        EXPECT_GE(b.bottom - b.top + 1, c.height * 2 / 3) << "font " << c.font;
        // Bold strokes have solid pixels in exactly the asked colour.
        EXPECT_GT(inkBox(dc, 90, y, 300, c.height, 0x00FFFFFF).count, b.count / 4) << "font " << c.font;
        if (c.width > 0) {
            EXPECT_NEAR(weightedAverage(dc), c.width, 0.6) << "font " << c.font;
        }
        y += c.height + 12;
    }
    // Text never leaves the top byte of a pixel set.
    for (uint32_t p : dc.pixels) ASSERT_EQ(p >> 24, 0u);
}

TEST_F(QtCanvas, TransparentBackgroundAndStockFonts) {
    checkerFill(dc, 0, 0, 200, 40, 7, 4);
    std::vector<uint32_t> before(dc.pixels.begin(), dc.pixels.end());
    selectFont(dc, FONT_ARIAL_22_8);
    drawText(dc, 10, 5, "I", 255);
    // Only the stroke changes; the checkerboard around it stays as it was.
    int64_t changed = 0, outside = 0;
    for (int yy = 0; yy < 40; ++yy)
        for (int xx = 0; xx < 200; ++xx) {
            const size_t i = static_cast<size_t>(yy) * dc.width + xx;
            if (dc.pixels[i] != before[i]) {
                ++changed;
                if (xx > 22) ++outside;
            }
        }
    EXPECT_GT(changed, 20);
    EXPECT_EQ(outside, 0);
    for (int32_t font : {FONT_SYSTEM_FIXED, FONT_SYSTEM, FONT_GUI}) {
        selectFont(dc, font);
        drawText(dc, 300, 100, "Wg", 0);
        EXPECT_GT(inkBox(dc, 290, 95, 100, 30, PALETTE[COL_BACKGROUND]).count, 10) << "font " << font;
        fillCanvas(dc, COL_BACKGROUND);
    }
}

// A sheet of every primitive, glyph and font, to look at; read back by Qt to
// check the PNG writer pixel for pixel.
TEST_F(QtCanvas, SampleSheetRoundTripsThroughPng) {
    fillCanvas(dc, COL_BACKGROUND);
    fillRect(dc, 10, 10, 600, 300, COL_PANEL);
    selectFont(dc, FONT_ARIAL_22_8);
    drawText(dc, 20, 14, "MIDI Thru Out", 255);
    fillRect(dc, 180, 25, 146, 32, COL_POSITION_BG);
    drawPositionLarge(dc, 187, 23, 385, COL_WHITE);
    bevelButton(dc, false, 20, 70, 70, 26, COL_BUTTON_ON, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    bevelButton(dc, true, 100, 70, 70, 26, COL_BUTTON_OFF, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    bevelButtonThin(dc, false, 180, 70, 70, 26, COL_FIELD, COL_BEVEL_LIGHT, COL_BEVEL_DARK);
    fieldBox(dc, 260, 70, 60, 22, COL_HOVER);
    fieldBox(dc, 330, 70, 60, 22, COL_FIELD);
    selectFont(dc, FONT_ARIAL_16);
    drawNumberZero(dc, 265, 72, 7, 999, 255);
    drawNumberBlank(dc, 335, 72, 7, 999, 255);
    drawSigned(dc, 400, 72, -5, 99, 255);
    drawSigned(dc, 440, 72, 12, 99, 255);
    drawTempoLarge(dc, 480, 66, 1200, 255);
    engravedFrame(dc, 20, 110, 300, 60);
    engravedHLine(dc, 30, 140, 280);
    checkerFill(dc, 340, 110, 80, 60, 5, 8);
    fillRect(dc, 430, 110, 80, 60, 210);
    tintRect(dc, 430, 110, 40, 60);
    fillRect(dc, 520, 110, 80, 60, COL_PANEL);
    blueWash(dc, 520, 110, 40, 60);
    const uint8_t* glyphs[] = {GLYPH_NOTE,   GLYPH_NOTE_SMALL, GLYPH_LEFT_11,    GLYPH_RIGHT_11, GLYPH_LEFT_15,
                               GLYPH_RIGHT_15, GLYPH_TO_START, GLYPH_TO_END,     GLYPH_X_15,     GLYPH_X_11,
                               GLYPH_ARROW_RIGHT, GLYPH_DOWN,  GLYPH_KEY_C,      GLYPH_KEY_D,    GLYPH_KEY_E};
    int gx = 20;
    for (const uint8_t* g : glyphs) {
        drawGlyph(dc, gx, 190, g, 255);
        gx += g[0] * 8 + 8;
    }
    int ty = 230;
    const int32_t fonts[] = {FONT_ARIAL_14,    FONT_ARIAL_16,     FONT_ARIAL_18,     FONT_ARIAL_21_7, FONT_ARIAL_22_8,
                             FONT_ARIAL_26_10, FONT_ARIAL_35_15, FONT_SYSTEM_FIXED, FONT_SYSTEM,     FONT_GUI};
    for (int32_t f : fonts) {
        selectFont(dc, f);
        drawText(dc, 640, ty, "Seq. 01 Bars 002 Tempo 120.0 MIDI Out Clock", 0);
        ty += FONT_TABLE[static_cast<size_t>(f)].height + 6;
    }
    selectFont(dc, FONT_ARIAL_14);
    for (int i = 0; i < 10; ++i) {
        drawControllerName(dc, 640, 10 + i * 18, i * 13 - 1, 0);
        drawProgramName(dc, 800, 10 + i * 18, i * 14 + 1, 0);
        drawDrumName(dc, 940, 10 + i * 18, 35 + i, 0);
        drawNoteA(dc, 1080, 10 + i * 18, 24 + i * 11, 0);
    }
    invertRect(dc, 20, 250, 100, 40);

    const char* path = QZ_UI_SAMPLE_PNG;
    ASSERT_TRUE(writeCanvasPng(dc, path));
    QImage back(QString::fromUtf8(path));
    ASSERT_FALSE(back.isNull());
    ASSERT_EQ(back.width(), dc.width);
    ASSERT_EQ(back.height(), dc.height);
    back = back.convertToFormat(QImage::Format_RGB32);
    int64_t differing = 0;
    for (int yy = 0; yy < dc.height; ++yy) {
        const auto* row = reinterpret_cast<const uint32_t*>(back.constScanLine(yy));
        for (int xx = 0; xx < dc.width; ++xx)
            differing += (row[xx] & 0xFFFFFFu) != dc.pixels[static_cast<size_t>(yy) * dc.width + xx];
    }
    EXPECT_EQ(differing, 0);
}

// The screen as the program builds it, with real text: the thru line's
// label and the position counter, white on their backgrounds.
TEST(QtScreen, FullRedrawDrawsLabelAndCounter) {
    auto app = std::make_unique<AppState>();
    ASSERT_EQ(initProgramState(*app, false, CANVAS_MIN_WIDTH, CANVAS_MIN_HEIGHT), 0);
    DrawContext& dc = app->ui->draw;
    ASSERT_TRUE(installQtTextRenderer(dc));
    app->settings.midiThru = 0;
    app->engine.position.store(385);
    redrawAll(*app);
    // Left of the input channel box that starts at x 620.
    const Box label = inkBox(dc, 511, 0, 108, 26, PALETTE[COL_BACKGROUND]);
    EXPECT_LE(label.left, 514);
    EXPECT_GT(label.right, 590);  // "MIDI Thru Out" in Arial 22/8 is about 100 pixels wide
    const Box counter = inkBox(dc, 181, 26, 144, 30, PALETTE[COL_POSITION_BG]);
    EXPECT_GT(counter.count, 300);
    EXPECT_GT(counter.right, 300);  // the tick field at x + 99 is drawn
    const std::string path = std::string(QZ_UI_SAMPLE_PNG) + ".screen.png";
    EXPECT_TRUE(writeCanvasPng(dc, path.c_str()));
    freeAppState(*app);
}

// "New" on a sequence list row ends before the slot number at x 558.
TEST(QtScreen, NewStopsShortOfTheSlotNumber) {
    auto app = std::make_unique<AppState>();
    ASSERT_EQ(initProgramState(*app, false, CANVAS_MIN_WIDTH, CANVAS_MIN_HEIGHT), 0);
    DrawContext& dc = app->ui->draw;
    ASSERT_TRUE(installQtTextRenderer(dc));
    for (int slot : {1, 2}) {  // the current row is the second
        selectSequence(*app, slot);
        ASSERT_EQ(ensureSequence(*app), 0);
    }
    ASSERT_EQ(app->slots[1]->unsaved, 1u);
    setOverlay(*app, OVERLAY_SEQ_LIST);
    redrawAll(*app);
    const Box ink = inkBox(dc, 535, 53, 23, 14, PALETTE[COL_WHITE]);
    EXPECT_GT(ink.count, 20);
    EXPECT_LT(ink.right, 557);
    freeAppState(*app);
}

}  // namespace
}  // namespace qz

int main(int argc, char** argv) {
    // Headless whatever the environment says, also when the tests are listed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
