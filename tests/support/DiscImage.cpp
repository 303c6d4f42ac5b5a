#include "DiscImage.h"

#include <QFile>
#include <QtEndian>
#include <cmath>

namespace DiscImage {
namespace {
QByteArray Tone(qint64 sectors, double frequency) {
  const qint64 frames = sectors * kSectorBytes / 4;
  QByteArray pcm(int(frames * 4), '\0');
  auto* out = reinterpret_cast<qint16*>(pcm.data());
  for (qint64 i = 0; i < frames; ++i) {
    const double t = double(i) / 44100;
    out[i * 2] = qToLittleEndian(qint16(std::lround(8000 * std::sin(2 * M_PI * frequency * t))));
    out[i * 2 + 1] = qToLittleEndian(qint16(std::lround(6000 * std::sin(2 * M_PI * frequency * 1.5 * t))));
  }
  return pcm;
}

QString Msf(qint64 sectors) {
  return QString("%1:%2:%3")
      .arg(sectors / (60 * kSectorsPerSecond), 2, 10, QChar('0'))
      .arg(sectors / kSectorsPerSecond % 60, 2, 10, QChar('0'))
      .arg(sectors % kSectorsPerSecond, 2, 10, QChar('0'));
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
}
}  // namespace

QByteArray Image::TrackBytes(int track) const {
  return bytes.mid(starts[size_t(track - 1)], starts[size_t(track)] - starts[size_t(track - 1)]);
}

Image Write(const QString& dir, const std::vector<Track>& tracks, const QString& name) {
  Image image;
  image.bin = dir + "/" + name + ".bin";
  image.cue = dir + "/" + name + ".cue";
  QString cue = "FILE \"" + name + ".bin\" BINARY\r\n";
  for (size_t t = 0; t < tracks.size(); ++t) {
    const Track& track = tracks[t];
    const qint64 pregap = std::llround(track.pregapSeconds * kSectorsPerSecond);
    const qint64 body = std::llround(track.seconds * kSectorsPerSecond);
    const qint64 at = image.bytes.size() / kSectorBytes;
    cue += QString("  TRACK %1 %2\r\n").arg(t + 1, 2, 10, QChar('0')).arg(track.data ? "MODE1/2352" : "AUDIO");
    if (pregap > 0) cue += "    INDEX 00 " + Msf(at) + "\r\n";
    cue += "    INDEX 01 " + Msf(at + pregap) + "\r\n";
    image.bytes += Tone(pregap + body, track.frequency);
    image.starts.push_back((at + pregap) * kSectorBytes);
  }
  image.starts.push_back(image.bytes.size());
  WriteFile(image.bin, image.bytes);
  WriteFile(image.cue, cue.toLatin1());
  return image;
}
}  // namespace DiscImage
