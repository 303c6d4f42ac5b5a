// Always-on-top windows.
#pragma once

class QWidget;

namespace mdlOnTop {
// Puts the window above all others (true) or back into the normal order,
// keeping its place and size; the window is shown without being activated.
void SetWindowOnTop(QWidget* window, bool onTop);
}  // namespace mdlOnTop
