#include "lists/NameBoxFilter.h"

#include <QKeyEvent>
#include <QWidget>

#include "core/mdlFunctions.h"

void NameBoxFilter::Install(QWidget* box) { box->installEventFilter(new NameBoxFilter(box)); }

bool NameBoxFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const QString text = static_cast<QKeyEvent*>(event)->text();
  if (text.size() != 1) return false;
  int key = text[0].unicode();
  mdlFunctions::CheckIllegalNameChar(static_cast<QWidget*>(watched), key);
  return key == 0;
}
