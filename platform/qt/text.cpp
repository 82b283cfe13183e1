// Text for the canvas: QPainter on a QImage that wraps the canvas's own
// pixels. Fonts are made once so that each cell height matches the table
// (ascent plus descent) and, where the table gives one, the average character
// width is reached by horizontal stretch. "Arial" resolves to Liberation Sans
// on Linux, which has Arial's metrics.
#include "platform/qt/text.h"

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace qz {

namespace {

struct QtText {
    std::array<QFont, FONT_COUNT> fonts;
    std::array<int, FONT_COUNT> ascent{};
    // Each font's metrics, made once: a repaint measures hundreds of texts.
    std::vector<QFontMetrics> metrics;
    QImage image;  // wraps the canvas; remade when the canvas moves
    // One painter on the image for its whole life, instead of one per text
    // (beginning a painter costs more than drawing a short text).
    std::unique_ptr<QPainter> painter;
    const uint32_t* wrapped = nullptr;
    int32_t wrappedWidth = 0;
    int32_t wrappedHeight = 0;
};

// Average character width in the classic sense the width column means: the
// lower-case letters and the space weighted by their frequency in English
// text. Qt's averageCharWidth() reads the face's own field, which newer
// faces compute over every glyph and which comes out far wider.
double weightedAverageWidth(const QFont& font) {
    constexpr int WEIGHTS[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                                 56, 17, 4,  49, 56,  71, 31, 10, 18, 3,  18, 2, 166};
    const QFontMetricsF fm(font);
    double sum = 0;
    for (int i = 0; i < 26; ++i) sum += WEIGHTS[i] * fm.horizontalAdvance(QChar(u'a' + i));
    sum += WEIGHTS[26] * fm.horizontalAdvance(QChar(u' '));
    return sum / 1000.0;
}

// A font of the table with its cell height fitted in whole pixels.
QFont makeFont(const FontSpec& fs) {
    QFont f(fs.fixedPitch ? QStringLiteral("Courier New") : QStringLiteral("Arial"));
    f.setStyleHint(fs.fixedPitch ? QFont::TypeWriter : QFont::SansSerif);
    f.setFixedPitch(fs.fixedPitch);
    f.setWeight(fs.weight >= 700 ? QFont::Bold : QFont::Normal);
    // The table gives the cell (ascent + descent); Qt's pixel size is the em.
    int px = fs.height;
    for (; px > 1; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).height() <= fs.height) break;
    }
    if (fs.width > 0) {
        const double average = weightedAverageWidth(f);
        if (average > 0) f.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * fs.width / average)), 1, 4000));
    }
    return f;
}

// Point the image at the canvas; false when there is no canvas.
bool wrapCanvas(QtText& t, DrawContext& dc) {
    if (dc.width < 1 || dc.height < 1 || dc.pixels.size() < static_cast<size_t>(dc.width) * dc.height) return false;
    if (t.wrapped != dc.pixels.data() || t.wrappedWidth != dc.width || t.wrappedHeight != dc.height) {
        t.painter.reset();
        t.image = QImage(reinterpret_cast<uchar*>(dc.pixels.data()), dc.width, dc.height, dc.width * 4,
                         QImage::Format_RGB32);
        t.wrapped = dc.pixels.data();
        t.wrappedWidth = dc.width;
        t.wrappedHeight = dc.height;
        t.painter = std::make_unique<QPainter>(&t.image);
    }
    return true;
}

void drawTextQt(void* user, DrawContext& dc, int32_t x, int32_t y, const char* text, int32_t n) {
    auto& t = *static_cast<QtText*>(user);
    if (n <= 0 || dc.font < 0 || dc.font >= FONT_COUNT || !wrapCanvas(t, dc)) return;
    const QFont& font = t.fonts[static_cast<size_t>(dc.font)];
    const QString s = QString::fromLatin1(text, n);
    QPainter& painter = *t.painter;
    painter.setFont(font);
    painter.setPen(QColor(static_cast<QRgb>(paletteColour(dc.textColour))));
    painter.drawText(x, y + t.ascent[static_cast<size_t>(dc.font)], s);
    // Qt writes opaque pixels (0xFF in the top byte); the canvas keeps it 0.
    const QFontMetrics& fm = t.metrics[static_cast<size_t>(dc.font)];
    const int left = std::max(0, x - 4);
    const int right = std::min(dc.width, x + fm.horizontalAdvance(s) + fm.maxWidth() + 4);
    const int top = std::max(0, y - 4);
    const int bottom = std::min(dc.height, y + fm.height() + 4);
    for (int row = top; row < bottom; ++row) {
        uint32_t* p = dc.pixels.data() + static_cast<size_t>(row) * dc.width;
        for (int col = left; col < right; ++col) p[col] &= 0x00FFFFFFu;
    }
}

int32_t textWidthQt(void* user, int32_t font, const char* text, int32_t n) {
    auto& t = *static_cast<QtText*>(user);
    if (n <= 0 || font < 0 || font >= FONT_COUNT) return 0;
    return t.metrics[static_cast<size_t>(font)].horizontalAdvance(QString::fromLatin1(text, n));
}

void releaseQt(void* user) { delete static_cast<QtText*>(user); }

}  // namespace

bool installQtTextRenderer(DrawContext& dc) {
    if (!QGuiApplication::instance()) return false;
    auto* t = new QtText;
    for (int32_t i = 0; i < FONT_COUNT; ++i) {
        t->fonts[static_cast<size_t>(i)] = makeFont(FONT_TABLE[static_cast<size_t>(i)]);
        t->metrics.emplace_back(t->fonts[static_cast<size_t>(i)]);
        t->ascent[static_cast<size_t>(i)] = t->metrics.back().ascent();
    }
    TextRenderer r;
    r.user = t;
    r.drawText = drawTextQt;
    r.textWidth = textWidthQt;
    r.release = releaseQt;
    installTextRenderer(dc, r);
    return true;
}

}  // namespace qz
