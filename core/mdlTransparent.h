// Translucent windows.
#pragma once

class QWidget;

namespace mdlTransparent {
// Opacity 0 (invisible) to 255 (opaque). 0 done, 1 alpha out of range, 2 failed.
long SetWindowAlpha(QWidget* window, int alpha);
// Makes the window opaque again: 0 done, 2 failed.
long ClearWindowAlpha(QWidget* window);
}  // namespace mdlTransparent
