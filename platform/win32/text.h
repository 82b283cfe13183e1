// The canvas's text renderer on GDI.
#pragma once

#include "ui/framework/draw.h"

namespace qz {

// Install the GDI text renderer (bold Arial fonts and the three stock fonts)
// into the context. False when the drawing surface cannot be made.
bool installGdiTextRenderer(DrawContext& dc);

}  // namespace qz
