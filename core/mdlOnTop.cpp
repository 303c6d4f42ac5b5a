#include "core/mdlOnTop.h"

#include <QWidget>

namespace mdlOnTop {
void SetWindowOnTop(QWidget* window, bool onTop) {
  if (!window) return;
  const bool activates = !window->testAttribute(Qt::WA_ShowWithoutActivating);
  window->setAttribute(Qt::WA_ShowWithoutActivating, true);
  if (bool(window->windowFlags() & Qt::WindowStaysOnTopHint) != onTop) {
    // Changing the flag recreates the native window: keep its place and size.
    const QRect place = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    window->setGeometry(place);
  }
  window->show();
  if (activates) window->setAttribute(Qt::WA_ShowWithoutActivating, false);
}
}  // namespace mdlOnTop
