// The windows' timer: an interval in milliseconds and an on/off switch. Each
// tick raises Timer on the UI thread.
#pragma once
#include <QObject>
#include <QTimer>

class Timer : public QObject {
  Q_OBJECT
 public:
  explicit Timer(QObject* parent = nullptr);
  int Interval() const { return timer_.interval(); }
  void SetInterval(int ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
 signals:
  void Tick();
 private:
  QTimer timer_;
  bool enabled_ = false;
};
