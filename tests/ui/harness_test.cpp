// The harness end to end: wheel steps and typed digits reach a field under
// the pointer, and the next UI frame paints the new value.
#include "tests/ui/harness.h"

#include <gtest/gtest.h>

#include "program/program.h"
#include "ui/framework/panel.h"

namespace qz {
namespace {

int32_t fieldValue = 0;

// A field at (400, 30, 20 x 20) of the sequence row whose colour is its value.
uint32_t colourField(AppState& app, uint32_t msg, uint32_t arg) {
    switch (msg) {
        case PM_WHEEL: stepValue(fieldValue, 1, 200, static_cast<int32_t>(arg)); break;
        case PM_KEY: numericKey(app, fieldValue, arg, 999, 1, 200); break;
        default: return msg;
    }
    markDirty(app, DIRTY_SEQ_ROW);
    return 0;
}

uint32_t sequenceRow(AppState& app, uint32_t msg, uint32_t arg) {
    if (msg == PM_PROBE) return hitTest(app, colourField, 0, 0, 400, 30, 20, 20) ? 0 : msg;
    if (msg == PM_PAINT && arg == DIRTY_SEQ_ROW) fillRect(app.ui->draw, 400, 30, 20, 20, fieldValue);
    if (msg == PM_WHEEL || msg == PM_KEY) return app.ui->hoverHandler.proc(app, msg, arg);
    return msg;
}

TEST(Harness, WheelAndDigitsReachTheFieldAndTheFramePaintsIt) {
    test::Harness h;
    fieldValue = 100;
    h.app->ui->panels[PANEL_SEQUENCE].proc = sequenceRow;
    // The first picture: background and the position counter's box.
    EXPECT_TRUE(h.pixelIs(600, 660, COL_BACKGROUND));
    EXPECT_TRUE(h.pixelIs(181, 26, COL_POSITION_BG));
    uint32_t ms = 1000;
    auto frame = [&] { uiTimer(*h, ms += 16); };

    h.wheel(405, 35, false);  // towards the user: +1
    frame();
    EXPECT_EQ(fieldValue, 101);
    EXPECT_TRUE(h.pixelIs(405, 35, 101));
    onMiddleDown(*h);
    h.wheel(405, 35, true);  // away, with the middle button held: -10
    onMiddleUp(*h);
    frame();
    EXPECT_EQ(fieldValue, 91);
    EXPECT_TRUE(h.pixelIs(419, 49, 91));
    for (uint32_t k : {1u, 2u, 3u, 4u, KEY_ENTER}) h.key(k);  // 234, held to 200
    frame();
    EXPECT_EQ(fieldValue, 200);
    EXPECT_TRUE(h.pixelIs(400, 30, 200));
    EXPECT_FALSE(h.pixelIs(420, 30, 200));  // the field ends at x 419
    // Off the field the wheel does nothing.
    h.wheel(600, 35, false);
    frame();
    EXPECT_EQ(fieldValue, 200);
}

}  // namespace
}  // namespace qz
