#include "platform/WrapLabel.h"

#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace {
// Lays the text out in lines of the width, one under the other; their height.
qreal LayOut(QTextLayout& layout, qreal width) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  qreal height = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    line.setPosition({0, height});
    height += line.height();
  }
  layout.endLayout();
  return height;
}

int MarginsHeight(const QWidget& w) { return w.contentsMargins().top() + w.contentsMargins().bottom(); }
int MarginsWidth(const QWidget& w) { return w.contentsMargins().left() + w.contentsMargins().right(); }
}  // namespace

int WrapLabel::heightForWidth(int width) const {
  QTextLayout layout(text(), font());
  return int(std::ceil(LayOut(layout, width - MarginsWidth(*this)))) + MarginsHeight(*this);
}

void WrapLabel::paintEvent(QPaintEvent*) {
  QTextLayout layout(text(), font());
  const QRect room = contentsRect();
  const qreal height = LayOut(layout, room.width());
  // Lines that fit stand where a plain label puts them: centred unless aligned to the top.
  const qreal top = alignment() & Qt::AlignTop ? 0 : std::max<qreal>(0, (room.height() - height) / 2);
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  layout.draw(&painter, QPointF(room.left(), room.top() + top));
}
