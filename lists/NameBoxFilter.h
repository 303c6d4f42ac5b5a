// Key filter of a name box: a typed character a name may not hold is dropped
// and the illegal-name balloon is shown on the box.
#pragma once
#include <QObject>

class QWidget;

class NameBoxFilter : public QObject {
  Q_OBJECT
 public:
  // Filters the box's keys for as long as the box lives.
  static void Install(QWidget* box);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using QObject::QObject;
};
