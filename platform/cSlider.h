// The position slider: a whole-number value from 0 to Max. A drag raises
// SeekStart when the handle is taken and SeekEnd when it is let go; a click on
// the track jumps there and raises both.
#pragma once
#include <QSlider>

class cSlider : public QSlider {
  Q_OBJECT
 public:
  explicit cSlider(QWidget* parent = nullptr);
  long Max() const { return maximum(); }
  void SetMax(long max) { setMaximum(int(max)); }
  long Value() const { return value(); }
  void SetValue(long v) { setValue(int(v)); }
  // Windows colour number of the track.
  void SetSliderColor(long color);

 signals:
  void SeekStart();
  void SeekEnd();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
};
