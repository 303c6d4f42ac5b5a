#include "platform/cDateTimePick.h"

cDateTimePick::cDateTimePick(QWidget* parent) : QTimeEdit(parent) {
  setDisplayFormat("HH:mm:ss");
  setTimeRange(QTime(0, 0), QTime(23, 59, 59));
  connect(this, &QTimeEdit::timeChanged, this, &cDateTimePick::Change);
}
