#include "core/mdlMouseClick.h"

#include <QCursor>

namespace mdlMouseClick {
void GetMousePos(long& x, long& y) {
  const QPoint p = QCursor::pos();
  x = p.x();
  y = p.y();
}
}  // namespace mdlMouseClick
