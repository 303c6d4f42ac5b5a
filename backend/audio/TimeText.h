// The players' and the recorder's time text: "H:MM:SS", hours unpadded.
#pragma once
#include <QString>
#include <algorithm>

inline QString HoursMinutesSeconds(long seconds) {
  const long s = std::max(seconds, 0L);
  return QString("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QChar('0')).arg(s % 60, 2, 10, QChar('0'));
}
