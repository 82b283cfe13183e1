// A text renderer for screen tests that draws nothing and remembers what was
// drawn where, in which colour.
#pragma once

#include <string>
#include <vector>

#include "ui/framework/draw.h"

namespace qz::test {

struct DrawnText {
    int32_t x, y;
    std::string text;
    int32_t colour;
};

struct TextLog {
    std::vector<DrawnText> drawn;

    // Install on the context; the log must outlive the installation.
    void install(DrawContext& dc) {
        TextRenderer r;
        r.user = this;
        r.drawText = [](void* u, DrawContext& d, int32_t x, int32_t y, const char* text, int32_t n) {
            static_cast<TextLog*>(u)->drawn.push_back({x, y, std::string(text, size_t(n)), d.textColour});
        };
        r.textWidth = [](void*, int32_t, const char*, int32_t n) { return 7 * n; };
        installTextRenderer(dc, r);
    }
    void clear() { drawn.clear(); }
    // Texts drawn inside the rectangle, in drawing order.
    std::vector<std::string> within(int32_t x, int32_t y, int32_t w, int32_t h) const {
        std::vector<std::string> out;
        for (const DrawnText& d : drawn)
            if (d.x >= x && d.x < x + w && d.y >= y && d.y < y + h) out.push_back(d.text);
        return out;
    }
    // The last text drawn inside the rectangle, or "" when none (a field may
    // be drawn more than once in one repaint).
    std::string lastIn(int32_t x, int32_t y, int32_t w, int32_t h) const {
        for (auto it = drawn.rbegin(); it != drawn.rend(); ++it)
            if (it->x >= x && it->x < x + w && it->y >= y && it->y < y + h) return it->text;
        return "";
    }
    // The last text drawn at (x, y), or nullptr when none.
    const DrawnText* at(int32_t x, int32_t y) const {
        for (auto it = drawn.rbegin(); it != drawn.rend(); ++it)
            if (it->x == x && it->y == y) return &*it;
        return nullptr;
    }
};

}  // namespace qz::test
