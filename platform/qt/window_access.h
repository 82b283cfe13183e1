// The main window's widgets for the Qt dialogs; null while no window runs.
#pragma once

class QWidget;

namespace qz {

QWidget* mainWindowWidget();
QWidget* canvasWidget();
// The scroll area's viewport: the window's client area.
QWidget* clientAreaWidget();

}  // namespace qz
