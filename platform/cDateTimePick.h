// A time picker showing a time of day as "HH:mm:ss". Change is raised for
// every new value, whether typed, stepped or set in code.
#pragma once
#include <QTime>
#include <QTimeEdit>

class cDateTimePick : public QTimeEdit {
  Q_OBJECT
 public:
  explicit cDateTimePick(QWidget* parent = nullptr);
  QTime Value() const { return time(); }
  void SetValue(const QTime& value) { setTime(value); }
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool on) { setEnabled(on); }

 signals:
  void Change(const QTime& newValue);
};
