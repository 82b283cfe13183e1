// The canvas's text renderer on Qt.
#pragma once

#include "ui/framework/draw.h"

namespace qz {

// Install the Qt text renderer (bold Arial fonts and the stock fonts) into the
// context. Needs a QGuiApplication; false when the fonts cannot be made.
bool installQtTextRenderer(DrawContext& dc);

}  // namespace qz
