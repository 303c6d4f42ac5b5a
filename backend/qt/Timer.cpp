#include "platform/Timer.h"

Timer::Timer(QObject* parent) : QObject(parent) {
  connect(&timer_, &QTimer::timeout, this, &Timer::Tick);
}

void Timer::SetInterval(int ms) {
  timer_.setInterval(ms);
  if (enabled_ && ms > 0) timer_.start();
  if (ms <= 0) timer_.stop();
}

void Timer::SetEnabled(bool on) {
  enabled_ = on;
  if (on && timer_.interval() > 0) timer_.start();
  else timer_.stop();
}
