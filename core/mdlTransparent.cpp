#include "core/mdlTransparent.h"

#include <QWidget>

namespace mdlTransparent {
long SetWindowAlpha(QWidget* window, int alpha) {
  if (alpha < 0 || alpha > 255) return 1;
  if (!window) return 2;
  window->setWindowOpacity(alpha / 255.0);
  return 0;
}

long ClearWindowAlpha(QWidget* window) {
  if (!window) return 2;
  window->setWindowOpacity(1.0);
  return 0;
}
}  // namespace mdlTransparent
