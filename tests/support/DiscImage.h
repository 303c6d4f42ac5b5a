// Generated BIN/CUE disc images for the CD tests: one BIN of 44.1 kHz 16-bit
// stereo audio, each track a tone of its own (the right channel a fifth above
// the left), tracks in whole sectors, an optional pregap (INDEX 00) and data
// tracks. A test lists the image in TESSORY_CD_IMAGES to use it as a drive.
#pragma once
#include <QByteArray>
#include <QString>
#include <vector>

namespace DiscImage {
constexpr int kSectorBytes = 2352;
constexpr int kSectorsPerSecond = 75;

struct Track {
  double seconds;          // from INDEX 01 to the next track's pregap
  double frequency;        // of the left channel, Hz
  double pregapSeconds = 0;  // INDEX 00 before INDEX 01, same tone
  bool data = false;       // a MODE1/2352 track
};

struct Image {
  QString cue;
  QString bin;
  QByteArray bytes;           // the whole BIN
  std::vector<qint64> starts;  // byte offset of each track's INDEX 01, then the end
  // A track as a ripper reads it: from its INDEX 01 to the next track's INDEX 01.
  QByteArray TrackBytes(int track) const;
};

// Writes <dir>/<name>.bin and <name>.cue.
Image Write(const QString& dir, const std::vector<Track>& tracks, const QString& name = "disc");
}  // namespace DiscImage
