// Text for the canvas through GDI. GDI draws into a DIB section of the
// canvas's size: the text's box is copied in from the canvas, the text drawn
// with a transparent background, and the box copied back with the top byte
// cleared. Fonts are made as the table gives them (cell height, average
// width, weight 700, face "Arial"); where no Arial is installed (Wine on
// Linux) the face with Arial's metrics stands in.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "platform/win32/text.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace qz {

namespace {

struct GdiText {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    uint32_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    std::array<HFONT, FONT_COUNT> fonts{};
    std::array<bool, FONT_COUNT> owned{};
    std::array<int, FONT_COUNT> cellHeight{};
    std::array<int, FONT_COUNT> overhang{};
};

// The face whose name GDI really gave for `name`.
bool faceIs(HDC dc, HFONT font, const char* name) {
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    return _stricmp(face, name) == 0;
}

HFONT makeFont(HDC dc, const FontSpec& fs) {
    auto make = [&](const char* face) {
        return CreateFontA(fs.height, fs.width, 0, 0, fs.weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                           OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
    };
    HFONT f = make("Arial");
    if (f && faceIs(dc, f, "Arial")) return f;
    HFONT alt = make("Liberation Sans");
    if (alt && faceIs(dc, alt, "Liberation Sans")) {
        if (f) DeleteObject(f);
        return alt;
    }
    if (alt) DeleteObject(alt);
    return f;
}

// The DIB of the canvas's size; false when it cannot be made.
bool fitSurface(GdiText& t, const DrawContext& dc) {
    if (t.bits && t.width == dc.width && t.height == dc.height) return true;
    if (t.bitmap) {
        SelectObject(t.dc, t.oldBitmap);
        DeleteObject(t.bitmap);
        t.bitmap = nullptr;
        t.bits = nullptr;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = dc.width;
    bi.bmiHeader.biHeight = -dc.height;  // top-down rows, as the canvas
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    t.bitmap = CreateDIBSection(t.dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!t.bitmap) return false;
    t.oldBitmap = SelectObject(t.dc, t.bitmap);
    t.bits = static_cast<uint32_t*>(bits);
    t.width = dc.width;
    t.height = dc.height;
    return true;
}

void drawTextGdi(void* user, DrawContext& dc, int32_t x, int32_t y, const char* text, int32_t n) {
    auto& t = *static_cast<GdiText*>(user);
    if (n <= 0 || dc.font < 0 || dc.font >= FONT_COUNT || dc.width < 1 || dc.height < 1 ||
        dc.pixels.size() < size_t(dc.width) * size_t(dc.height) || !fitSurface(t, dc))
        return;
    const size_t f = size_t(dc.font);
    SelectObject(t.dc, t.fonts[f]);
    SIZE size{};
    GetTextExtentPoint32A(t.dc, text, n, &size);
    const int left = std::max(0, x - 4);
    const int right = std::min(dc.width, x + int(size.cx) + t.overhang[f] + 4);
    const int top = std::max(0, y - 4);
    const int bottom = std::min(dc.height, y + std::max(int(size.cy), t.cellHeight[f]) + 4);
    if (left >= right || top >= bottom) return;
    GdiFlush();
    for (int row = top; row < bottom; ++row)
        std::memcpy(t.bits + size_t(row) * t.width + left, dc.pixels.data() + size_t(row) * dc.width + left,
                    size_t(right - left) * 4);
    const uint32_t c = paletteColour(dc.textColour);
    SetTextColor(t.dc, RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
    ExtTextOutA(t.dc, x, y, 0, nullptr, text, UINT(n), nullptr);
    GdiFlush();
    for (int row = top; row < bottom; ++row) {
        const uint32_t* src = t.bits + size_t(row) * t.width;
        uint32_t* dst = dc.pixels.data() + size_t(row) * dc.width;
        for (int col = left; col < right; ++col) dst[col] = src[col] & 0x00FFFFFFu;
    }
}

int32_t textWidthGdi(void* user, int32_t font, const char* text, int32_t n) {
    auto& t = *static_cast<GdiText*>(user);
    if (n <= 0 || font < 0 || font >= FONT_COUNT) return 0;
    SelectObject(t.dc, t.fonts[size_t(font)]);
    SIZE size{};
    GetTextExtentPoint32A(t.dc, text, n, &size);
    return int32_t(size.cx);
}

void releaseGdi(void* user) {
    auto* t = static_cast<GdiText*>(user);
    SelectObject(t->dc, GetStockObject(SYSTEM_FONT));
    for (size_t i = 0; i < t->fonts.size(); ++i)
        if (t->owned[i] && t->fonts[i]) DeleteObject(t->fonts[i]);
    if (t->bitmap) {
        SelectObject(t->dc, t->oldBitmap);
        DeleteObject(t->bitmap);
    }
    if (t->dc) DeleteDC(t->dc);
    delete t;
}

}  // namespace

bool installGdiTextRenderer(DrawContext& dc) {
    auto* t = new GdiText;
    t->dc = CreateCompatibleDC(nullptr);
    if (!t->dc) {
        delete t;
        return false;
    }
    SetBkMode(t->dc, TRANSPARENT);
    SetTextAlign(t->dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    SelectObject(t->dc, GetStockObject(NULL_PEN));
    const int STOCK[3] = {SYSTEM_FIXED_FONT, SYSTEM_FONT, DEFAULT_GUI_FONT};
    for (int32_t i = 0; i < FONT_COUNT; ++i) {
        const size_t k = size_t(i);
        if (i >= FONT_SYSTEM_FIXED) {
            t->fonts[k] = static_cast<HFONT>(GetStockObject(STOCK[i - FONT_SYSTEM_FIXED]));
        } else {
            t->fonts[k] = makeFont(t->dc, FONT_TABLE[k]);
            t->owned[k] = true;
        }
        if (!t->fonts[k]) t->fonts[k] = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
        SelectObject(t->dc, t->fonts[k]);
        TEXTMETRICA tm{};
        GetTextMetricsA(t->dc, &tm);
        t->cellHeight[k] = int(tm.tmHeight);
        t->overhang[k] = int(tm.tmMaxCharWidth);
    }
    TextRenderer r;
    r.user = t;
    r.drawText = drawTextGdi;
    r.textWidth = textWidthGdi;
    r.release = releaseGdi;
    installTextRenderer(dc, r);
    return true;
}

}  // namespace qz
