#include "backend/cd/CdDriveTable.h"

#include <cdio/cdio.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <mutex>

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

// The TRACK lines of a CUE sheet; -1 when it cannot be read or is far too large.
int CueTracks(const QString& cue) {
  QFile file(cue);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCueBytes) return -1;
  static const QRegularExpression track("^\\s*TRACK\\s", QRegularExpression::CaseInsensitiveOption |
                                                              QRegularExpression::MultilineOption);
  return int(QString::fromLatin1(file.readAll()).count(track));
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
  const int tracks = drive.image ? CueTracks(drive.device) : 0;
  if (tracks < 0) return fail("The CD image of drive " + drive.name + " cannot be read.");
  if (tracks > kMaxTracks)
    return fail(QString("The CD image of drive %1 lists %2 tracks; a CD holds at most %3.")
                    .arg(drive.name).arg(tracks).arg(kMaxTracks));
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
