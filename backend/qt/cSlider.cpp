#include "platform/cSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

#include "platform/Form.h"

cSlider::cSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setRange(0, 1);
  connect(this, &QSlider::sliderPressed, this, &cSlider::SeekStart);
  connect(this, &QSlider::sliderReleased, this, &cSlider::SeekEnd);
}

void cSlider::SetSliderColor(long color) {
  QPalette p = palette();
  p.setColor(QPalette::Window, ColorFromNumber(color));
  setPalette(p);
}

void cSlider::mousePressEvent(QMouseEvent* e) {
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
  if (e->button() != Qt::LeftButton || handle.contains(e->pos())) {
    QSlider::mousePressEvent(e);
    return;
  }
  // A click on the track moves the handle there at once.
  const int span = width() - handle.width();
  emit SeekStart();
  setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), int(e->position().x()) - handle.width() / 2,
                                           span));
  emit SeekEnd();
  e->accept();
}
