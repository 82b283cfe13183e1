// Number, note, position and name formats, checked through a text renderer
// that records what it is asked to draw.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ui/framework/draw.h"

namespace qz {
namespace {

struct Drawn {
    int32_t x, y;
    std::string text;
    int32_t colour, font;
    bool operator==(const Drawn&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Drawn& d) {
    return os << "(" << d.x << "," << d.y << ",\"" << d.text << "\",c" << d.colour << ",f" << d.font << ")";
}

struct Recorder {
    DrawContext dc;
    std::vector<Drawn> drawn;
    Recorder() {
        EXPECT_TRUE(initDrawContext(dc, 1735, 700));
        TextRenderer r;
        r.user = &drawn;
        r.drawText = [](void* user, DrawContext& d, int32_t x, int32_t y, const char* text, int32_t n) {
            static_cast<std::vector<Drawn>*>(user)->push_back({x, y, std::string(text, n), d.textColour, d.font});
        };
        installTextRenderer(dc, r);
    }
    ~Recorder() { releaseDrawContext(dc); }
    uint32_t at(int32_t x, int32_t y) const { return dc.pixels[static_cast<size_t>(y) * dc.width + x]; }
    std::vector<Drawn> take() { return std::exchange(drawn, {}); }
};

constexpr int32_t F = FONT_SYSTEM;  // the font selected at start

TEST(DrawNumbers, PaddingCappingAndNegatives) {
    Recorder r;
    struct Case {
        int32_t v, max;
        bool zero;
        const char* text;
        int32_t colour;
    } cases[] = {
        {7, 999, true, "007", 0},     {1234, 999, true, "999", 0}, {-1, 999, true, "???", 255},
        {7, 999, false, "  7", 0},    {0, 9, true, "0", 0},        {12, 9, false, "9", 0},
        {5, 100, true, "005", 0},     {99, 99, true, "99", 0},     {-3, 99, false, "???", 255},
        {123456789, 999999999, true, "123456789", 0},
    };
    for (const Case& c : cases) {
        if (c.zero)
            drawNumberZero(r.dc, 10, 20, c.v, c.max, 0);
        else
            drawNumberBlank(r.dc, 10, 20, c.v, c.max, 0);
        EXPECT_EQ(r.take(), (std::vector<Drawn>{{10, 20, c.text, c.colour, F}})) << c.v << " of " << c.max;
    }
    EXPECT_EQ(digitCount(9), 1);
    EXPECT_EQ(digitCount(10), 2);
    EXPECT_EQ(digitCount(999999999), 9);
    EXPECT_EQ(digitCount(2000000000), 9);

    drawNumber3(r.dc, 100, 5, 7, 3);
    drawNumber3(r.dc, 100, 5, 42, 3);
    drawNumber3(r.dc, 100, 5, 127, 3);
    drawHex2(r.dc, 0, 0, 0x1AB, 3);
    drawHex2(r.dc, 0, 0, 10, 3);
    EXPECT_EQ(r.take(), (std::vector<Drawn>{
                            {108, 5, "7", 3, F}, {104, 5, "42", 3, F}, {100, 5, "127", 3, F},
                            {0, 0, "AB", 3, F}, {0, 0, "0A", 3, F}}));
}

TEST(DrawNumbers, SignedValues) {
    Recorder r;
    drawSigned(r.dc, 50, 40, 0, 99, 0);
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{60, 40, "0", 0, F}}));
    drawSigned(r.dc, 50, 40, 12, 99, 0);
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{50, 39, "+", 0, F}, {59, 40, "12", 0, F}}));
    drawSigned(r.dc, 50, 40, -5, 99, 0);
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{59, 40, " 5", 0, F}}));
    // The minus sign is a 4 x 1 bar at (x, y + 6).
    for (int x = 49; x <= 54; ++x) EXPECT_EQ(r.at(x, 46), (x >= 50 && x <= 53) ? 0xFFFFFFu : 0u) << x;
    EXPECT_EQ(r.at(50, 45), 0u);
    EXPECT_EQ(r.at(50, 47), 0u);
}

TEST(DrawNumbers, TempoAndTenths) {
    Recorder r;
    drawTempoLarge(r.dc, 100, 50, 1200, 0);
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{100, 50, "120", 0, FONT_ARIAL_26_10},
                                            {136, 50, "0", 0, FONT_ARIAL_26_10}}));
    EXPECT_EQ(r.at(133, 68), 0xFFFFFFu);
    EXPECT_EQ(r.at(135, 70), 0xFFFFFFu);
    EXPECT_EQ(r.at(136, 70), 0u);

    drawTempoLarge(r.dc, 100, 50, 905, 5);  // 90.5: two digits at +11
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{111, 50, "90", 5, FONT_ARIAL_26_10},
                                            {136, 50, "5", 5, FONT_ARIAL_26_10}}));

    drawTempoMedium(r.dc, 300, 50, 995, 0);  // x - 2 for 99.9 and below
    drawTempoMedium(r.dc, 300, 50, 1000, 0);
    // The point stands clear of the digits on both sides.
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{309, 50, "99", 0, FONT_ARIAL_22_8},
                                            {332, 50, "5", 0, FONT_ARIAL_22_8},
                                            {300, 50, "100", 0, FONT_ARIAL_22_8},
                                            {332, 50, "0", 0, FONT_ARIAL_22_8}}));
    EXPECT_EQ(r.at(329, 66), 0xFFFFFFu);
    EXPECT_EQ(r.at(330, 67), 0xFFFFFFu);

    selectFont(r.dc, FONT_ARIAL_14);
    drawTenths(r.dc, 500, 10, 57, 0);
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{500, 10, "  5", 0, FONT_ARIAL_14}, {523, 10, "7", 0, FONT_ARIAL_14}}));
    EXPECT_EQ(r.at(520, 19), 0xFFFFFFu);
}

TEST(DrawPositions, BarBeatTick) {
    Recorder r;
    drawPositionLarge(r.dc, 187, 23, 0, 0);
    drawPositionLarge(r.dc, 187, 23, 385, 0);
    const int32_t L = FONT_ARIAL_35_15;
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{187, 23, "001", 0, L}, {245, 23, "01", 0, L}, {286, 23, "00", 0, L},
                                            {187, 23, "002", 0, L}, {245, 23, "01", 0, L}, {286, 23, "01", 0, L}}));
    // 5 x 5 dots at x + 52 and x + 93, y + 24.
    EXPECT_EQ(r.at(239, 47), 0xFFFFFFu);
    EXPECT_EQ(r.at(243, 51), 0xFFFFFFu);
    EXPECT_EQ(r.at(244, 51), 0u);
    EXPECT_EQ(r.at(280, 47), 0xFFFFFFu);

    drawPositionMedium(r.dc, 10, 100, 384 * 12 + 96 * 3 + 95, 0);
    const int32_t M = FONT_ARIAL_16;
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{10, 100, "013", 0, M}, {35, 100, "04", 0, M}, {54, 100, "95", 0, M}}));
    EXPECT_EQ(r.at(31, 111), 0xFFFFFFu);
    EXPECT_EQ(r.at(51, 112), 0xFFFFFFu);

    selectFont(r.dc, FONT_ARIAL_14);
    drawPositionSmall(r.dc, 0, 0, 384 * 2000);
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{0, 0, "999", 255, FONT_ARIAL_14}, {22, 0, "01", 255, FONT_ARIAL_14},
                                            {38, 0, "00", 255, FONT_ARIAL_14}}));
}

TEST(DrawNotes, NumberAndNameOffsets) {
    Recorder r;
    struct Case {
        void (*draw)(DrawContext&, int32_t, int32_t, int32_t, int32_t);
        const char* name;
        int32_t note;
        std::vector<Drawn> expected;
    } cases[] = {
        {drawNoteA, "A", 60, {{106, 0, "60", 0, F}, {125, 0, "C ", 0, F}}},
        {drawNoteA, "A", 1, {{106, 0, " 1", 0, F}, {125, 0, "C#", 0, F}}},
        {drawNoteA, "A", 100, {{100, 0, "100", 0, F}, {125, 0, "E ", 0, F}}},
        {drawNoteB, "B", 70, {{104, 0, "70", 0, F}, {120, 0, "A#", 0, F}}},
        {drawNoteB, "B", 127, {{101, 0, "127", 0, F}, {120, 0, "G ", 0, F}}},
        {drawNoteC, "C", 23, {{100, 0, "23", 0, F}, {120, 0, "B ", 0, F}}},
        {drawNoteC, "C", 24, {{100, 0, "24", 0, F}, {115, 0, "C ", 0, F}}},
        {drawNoteC, "C", 100, {}},
        {drawNoteD, "D", 36, {{100, 0, " 36", 0, F}, {120, 0, "C ", 0, F}}},
        {drawNoteD, "D", 110, {{96, 0, "110", 0, F}, {120, 0, "D ", 0, F}}},
    };
    for (const Case& c : cases) {
        c.draw(r.dc, 100, 0, c.note, 0);
        EXPECT_EQ(r.take(), c.expected) << "drawNote" << c.name << " " << c.note;
    }
}

TEST(NameTables, EntriesAsListed) {
    struct Case {
        const char* (*lookup)(int32_t);
        int32_t index;
        const char* text;  // without the trailing blanks
        size_t width;
    } cases[] = {
        {controllerName, -1, "OFF", 16},          {controllerName, 0, " 00-BANK SEL MSB", 16},
        {controllerName, 7, " 07-VOLUME", 16},    {controllerName, 69, " 69-9OLD 2", 16},
        {controllerName, 127, "127-POLY MODE ON", 16},
        {controllerShortName, 0, "ALL", 13},      {controllerShortName, 34, " 33-WHEEL^LSB", 13},
        {controllerShortName, 124, "123-ALL N OFF", 13}, {controllerShortName, 128, "127-POLY ON", 13},
        {programName, 0, "", 13},                 {programName, 1, "Grand Piano", 13},
        {programName, 31, "Dist. Guiter", 13},    {programName, 128, "Gunshot", 13},
        {drumName, 27, "High Q", 14},             {drumName, 36, "Bass Drum 1", 14},
        {drumName, 87, "Open Surdo", 14},
    };
    for (const Case& c : cases) {
        const char* entry = c.lookup(c.index);
        ASSERT_NE(entry, nullptr) << c.text;
        EXPECT_EQ(std::strlen(entry), c.width) << c.text;
        std::string trimmed(entry);
        trimmed.erase(trimmed.find_last_not_of(' ') + 1);
        EXPECT_EQ(trimmed, c.text);
    }
    EXPECT_EQ(controllerName(-2), nullptr);
    EXPECT_EQ(controllerName(128), nullptr);
    EXPECT_EQ(controllerShortName(129), nullptr);
    EXPECT_EQ(programName(129), nullptr);
    EXPECT_EQ(programName(-1), nullptr);
    EXPECT_EQ(drumName(26), nullptr);
    EXPECT_EQ(drumName(88), nullptr);
    // The numbered tables carry their own numbers: entry i names controller i - 1.
    for (int32_t cc = 0; cc < 128; ++cc) {
        EXPECT_EQ(std::atoi(controllerName(cc)), cc) << cc;
        EXPECT_EQ(std::atoi(controllerShortName(cc + 1)), cc) << cc;
    }
}

TEST(NameTables, DrawnEntries) {
    Recorder r;
    drawControllerShort(r.dc, 0, 0, 124, 0);
    drawControllerShort(r.dc, 0, 0, 125, 0);
    drawDrumName(r.dc, 0, 0, 26, 0);
    drawDrumName(r.dc, 0, 0, 88, 0);
    drawProgramName(r.dc, 0, 0, 129, 0);
    drawControllerName(r.dc, 0, 0, -1, 0);
    drawDrumName(r.dc, 0, 0, 42, 0);
    EXPECT_EQ(r.take(), (std::vector<Drawn>{{0, 0, "123-ALL NOTE OFF", 0, F},
                                            {0, 0, "124-OMNI OFF ", 0, F},
                                            {0, 0, "OFF             ", 0, F},
                                            {0, 0, "Closed Hi-Hat ", 0, F}}));
}

}  // namespace
}  // namespace qz
