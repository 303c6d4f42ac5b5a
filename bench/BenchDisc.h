// A generated BIN/CUE disc image for the ripper's benches: equal tracks of
// two tones and a slow sweep each, different on each track, written a second
// at a time so that a long track needs no memory of its size.
#pragma once
#include <QFile>
#include <QString>
#include <cmath>
#include <vector>

// Writes <dir>/disc.bin and disc.cue; the cue sheet's path.
inline QString WriteBenchImage(const QString& dir, int tracks, int trackSeconds) {
  QFile bin(dir + "/disc.bin");
  if (!bin.open(QIODevice::WriteOnly)) qFatal("cannot write the image");
  QString cue = "FILE \"disc.bin\" BINARY\r\n";
  std::vector<int16_t> pcm(size_t(44100) * 2);
  for (int t = 0; t < tracks; ++t) {
    const qint64 sector = qint64(t) * trackSeconds * 75;
    cue += QString("  TRACK %1 AUDIO\r\n    INDEX 01 %2:%3:00\r\n")
               .arg(t + 1, 2, 10, QChar('0'))
               .arg(sector / 75 / 60, 2, 10, QChar('0'))
               .arg(sector / 75 % 60, 2, 10, QChar('0'));
    const double f = 220 + 40 * t;
    for (qint64 second = 0; second < trackSeconds; ++second) {
      for (qint64 i = 0; i < 44100; ++i) {
        const double s = double(second * 44100 + i) / 44100;
        pcm[size_t(2 * i)] = int16_t(9000 * std::sin(2 * M_PI * f * s) + 4000 * std::sin(2 * M_PI * (200 + 5 * s) * s));
        pcm[size_t(2 * i + 1)] =
            int16_t(9000 * std::sin(2 * M_PI * 1.5 * f * s) + 3000 * std::sin(2 * M_PI * 3000 * s));
      }
      const qint64 bytes = qint64(pcm.size()) * 2;
      if (bin.write(reinterpret_cast<const char*>(pcm.data()), bytes) != bytes) qFatal("cannot write the image");
    }
  }
  QFile c(dir + "/disc.cue");
  if (!c.open(QIODevice::WriteOnly) || c.write(cue.toLatin1()) != cue.size()) qFatal("cannot write the cue sheet");
  return c.fileName();
}
