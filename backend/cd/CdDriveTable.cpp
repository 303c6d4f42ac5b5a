#include "backend/cd/CdDriveTable.h"

#include <cdio/cdio.h>

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace CdDriveTable {
namespace {
QStringList realDevices() {
  QStringList out;
  char** list = cdio_get_devices(DRIVER_DEVICE);
  if (!list) return out;
  for (char** d = list; *d; ++d) out << QString::fromLocal8Bit(*d);
  cdio_free_device_list(list);
  return out;
}

constexpr int kMaxTracks = 99;
constexpr lsn_t kDataPregap = 150;
// Lead-out of the first session (6750), lead-in of the second (4500) and the
// data track's pregap.
constexpr lsn_t kSessionGap = 11400;
// A CUE sheet of a CD is a few kilobytes; a larger file is no CUE sheet.
constexpr qint64 kMaxCueBytes = 1 << 20;
// libcdio reads a sheet with fgets into 4096 bytes: a longer line reaches it
// in pieces, and a piece that starts with TRACK is a track to it.
constexpr qsizetype kLongestLine = 4094;

// The sheet libcdio reads for an image drive: the drive's own path when it
// ends in "cue", the one beside it when it ends in "bin" (its case kept, as
// libcdio matches it); empty when libcdio takes the path for no image.
QString SheetPath(const QString& device) {
  for (const auto& [bin, cue] : {std::pair{"bin", "cue"}, std::pair{"BIN", "CUE"}}) {
    if (device.endsWith(cue, Qt::CaseSensitive)) return device;
    if (device.endsWith(bin, Qt::CaseSensitive)) return device.chopped(3) + cue;
  }
  return {};
}

// The words of a line as libcdio splits it: a NUL ends the line for it.
QList<QByteArray> Words(QByteArray line) {
  const qsizetype nul = line.indexOf('\0');
  if (nul >= 0) line.truncate(nul);
  QList<QByteArray> words;
  for (const QByteArray& w : line.replace('\t', ' ').replace('\r', ' ').split(' '))
    if (!w.isEmpty()) words << w;
  return words;
}

// A track number as libcdio's sscanf("%d") takes it from the word's start;
// 0 (no CD track) when the word starts with no number or it is far too large.
int TrackNumber(const QByteArray& word) {
  static const QRegularExpression number("^[+-]?0*(\\d{1,3})(?!\\d)");
  const QRegularExpressionMatch m = number.match(QString::fromLatin1(word));
  if (!m.hasMatch()) return 0;
  return word.startsWith('-') ? 0 : m.captured(1).toInt();
}

// Why libcdio would misread the sheet (it then writes outside its track
// table), as the rest of a sentence about the drive; empty when it reads it right.
QString SheetProblem(const QByteArray& sheet) {
  std::vector<int> numbers;  // of the TRACK lines, in order
  for (const QByteArray& line : sheet.split('\n')) {
    if (line.size() > kLongestLine)
      return QString("has a line of %1 bytes; a CUE sheet line holds at most %2.")
          .arg(line.size())
          .arg(kLongestLine);
    const QList<QByteArray> words = Words(line);
    if (!words.isEmpty() && words[0] == "TRACK") numbers.push_back(TrackNumber(words.value(1)));
  }
  const int count = int(numbers.size());
  if (count == 0) return "lists no tracks.";
  if (count > kMaxTracks) return QString("lists %1 tracks; a CD holds at most %2.").arg(count).arg(kMaxTracks);
  if (std::any_of(numbers.begin(), numbers.end(), [](int t) { return t < 1 || t > kMaxTracks; }))
    return QString("numbers a track outside 1 to %1.").arg(kMaxTracks);
  if (numbers[0] > count)
    return QString("starts at track %1, above its number of tracks (%2).").arg(numbers[0]).arg(count);
  for (int i = 1; i < count; ++i)
    if (numbers[size_t(i)] != numbers[0] + i)
      return QString("lists track %1 after track %2; its tracks must follow in order.")
          .arg(numbers[size_t(i)]).arg(numbers[size_t(i - 1)]);
  return {};
}

// Why the image drive's sheet cannot be handed to libcdio; empty when it can.
QString ImageProblem(const QString& device) {
  QFile file(SheetPath(device));
  if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly)) return "cannot be read.";
  const QByteArray sheet = file.read(kMaxCueBytes + 1);
  // Checking part of what libcdio reads would check nothing.
  if (file.error() != QFileDevice::NoError || sheet.size() > kMaxCueBytes) return "cannot be read.";
  return SheetProblem(sheet);
}

QStringList imageDevices() {
  QStringList out;
  const QString env = qEnvironmentVariable("TESSORY_CD_IMAGES");
  for (const QString& p : env.split(':', Qt::SkipEmptyParts)) out << p;
  return out;
}
}  // namespace

std::vector<Drive> Drives() {
  std::vector<Drive> out;
  auto add = [&](const QString& device, bool image) {
    // Letters run from D to Z; further devices get no name.
    if (out.size() >= 23) return;
    out.push_back({QString(QChar('D' + int(out.size()))) + ":", device, image});
  };
  for (const QString& d : realDevices()) add(d, false);
  for (const QString& d : imageDevices()) add(d, true);
  return out;
}

CdIo_t* Open(const Drive& drive, QString* why) {
  auto fail = [&](const QString& text) -> CdIo_t* {
    *why = text;
    return nullptr;
  };
  const QString problem = drive.image ? ImageProblem(drive.device) : QString();
  if (!problem.isEmpty()) return fail("The CD image of drive " + drive.name + " " + problem);
  // The image reader parses a CUE sheet with strtok: one open at a time in the
  // process (the list's disc check runs beside the ripper's reads).
  static std::mutex opening;
  std::lock_guard lock(opening);
  CdIo_t* cdio = cdio_open(drive.device.toLocal8Bit().constData(), drive.image ? DRIVER_BINCUE : DRIVER_DEVICE);
  return cdio ? cdio : fail("Drive " + drive.name + " cannot be opened.");
}

lsn_t TrackEnd(CdIo_t* cdio, track_t track) {
  const track_t last = cdio_get_last_track_num(cdio);
  if (track == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || track >= last)
    return cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
  const track_t next = track_t(track + 1);
  const lsn_t start = cdio_get_track_lsn(cdio, next);
  const bool audioThenData = cdio_get_track_format(cdio, track) == TRACK_FORMAT_AUDIO &&
                             cdio_get_track_format(cdio, next) != TRACK_FORMAT_AUDIO;
  if (start == CDIO_INVALID_LSN || !audioThenData) return start;
  lsn_t session = 0;
  const bool laterSession = cdio_get_last_session(cdio, &session) == DRIVER_OP_SUCCESS && session > 0 &&
                            session <= start && session > cdio_get_track_lsn(cdio, track);
  if (laterSession) return start - kSessionGap;
  // An image knows the pregap's start (its INDEX 00); a drive's table does not.
  const lsn_t pregap = cdio_get_track_pregap_lsn(cdio, next);
  return pregap != CDIO_INVALID_LSN && pregap < start ? pregap : start - kDataPregap;
}

}  // namespace CdDriveTable
