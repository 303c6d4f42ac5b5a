// Progress bars: XP_ProgressBar (value, minimum, maximum, bar colour) and
// cProgressBar (value, maximum, bar colour and the colour of its text).
#pragma once
#include <QProgressBar>

class XP_ProgressBar : public QProgressBar {
  Q_OBJECT
 public:
  explicit XP_ProgressBar(QWidget* parent = nullptr);
  long Value() const { return value(); }
  void SetValue(long v);
  long Min() const { return minimum(); }
  void SetMin(long v) { setMinimum(int(v)); }
  long Max() const { return maximum(); }
  void SetMax(long v) { setMaximum(int(v)); }
  long BarColor() const { return barColor_; }
  void SetBarColor(long color);
 private:
  long barColor_ = 0;
};

class cProgressBar : public QProgressBar {
  Q_OBJECT
 public:
  explicit cProgressBar(QWidget* parent = nullptr);
  long Value() const { return value(); }
  void SetValue(long v);
  long Max() const { return maximum(); }
  void SetMax(long v) { setMaximum(int(v)); }
  long BarColor() const { return barColor_; }
  void SetBarColor(long color);
  long BarTextColor() const { return barTextColor_; }
  void SetBarTextColor(long color);
 private:
  long barColor_ = 0;
  long barTextColor_ = 0;
};
