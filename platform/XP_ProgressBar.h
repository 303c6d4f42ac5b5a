// Progress bars: XP_ProgressBar (value, minimum, maximum, bar colour) and
// cProgressBar (value, minimum, maximum, bar colour and the colour of its text).
#pragma once
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

// Work reports progress far faster than anyone can see it. The value reads
// back at once, but the bar repaints at most once per RepaintGapMs; the last
// value set is always shown, by a timer when the work goes quiet.
class ThrottledProgressBar : public QProgressBar {
  Q_OBJECT
 public:
  static constexpr int RepaintGapMs = 50;
  long Value() const { return value_; }
  void SetValue(long v);
  long Min() const { return minimum(); }
  void SetMin(long v);
  long Max() const { return maximum(); }
  void SetMax(long v);
  long BarColor() const { return barColor_; }
  void SetBarColor(long color);
 protected:
  explicit ThrottledProgressBar(QWidget* parent);
 private:
  void showValue();
  void setRangeNow(int min, int max);
  long value_ = 0;
  long barColor_ = 0;
  QElapsedTimer lastShown_;
  QTimer pending_;
};

class XP_ProgressBar : public ThrottledProgressBar {
  Q_OBJECT
 public:
  explicit XP_ProgressBar(QWidget* parent = nullptr) : ThrottledProgressBar(parent) {}
};

class cProgressBar : public ThrottledProgressBar {
  Q_OBJECT
 public:
  explicit cProgressBar(QWidget* parent = nullptr) : ThrottledProgressBar(parent) {}
  long BarTextColor() const { return barTextColor_; }
  void SetBarTextColor(long color);
 private:
  long barTextColor_ = 0;
};
