#include "platform/cd/CdTrackPaths.h"

#include <QRegularExpression>
#include <cmath>
#include <optional>

#include "backend/audio/PathSources.h"
#include "backend/cd/CdTrackSource.h"

namespace {
constexpr long kSectorsPerSecond = 75;

struct TrackPath {
  CdDriveTable::Drive drive;
  long track = 0;
};

// The drive of the table and the track a path names; none for any other path.
std::optional<TrackPath> ParseTrackPath(const QString& path) {
  static const QRegularExpression pattern("^([A-Z]:)/Track(\\d\\d)\\.cda$", QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch match = pattern.match(path);
  if (!match.hasMatch()) return std::nullopt;
  for (const CdDriveTable::Drive& drive : CdDriveTable::Drives())
    if (drive.name.compare(match.captured(1), Qt::CaseInsensitive) == 0)
      return TrackPath{drive, match.captured(2).toLong()};
  return std::nullopt;
}

// Whole seconds as the track source takes them; -1 stays the whole track or its rest.
long Seconds(double seconds) { return seconds < 0 ? -1 : std::lround(seconds); }

bool Fail(QString* error, const QString& text) {
  *error = text;
  return false;
}

// From the drive's table of contents, as the track source reads the track:
// from its start to the next track's start.
bool ProbeTrack(const TrackPath& t, AudioInfo* info, QString* error) {
  CdIo_t* cdio = CdDriveTable::Open(t.drive, error);
  if (!cdio) return false;
  const track_t track = track_t(t.track);
  const bool listed = t.track >= cdio_get_first_track_num(cdio) && t.track <= cdio_get_last_track_num(cdio);
  const bool audio = listed && cdio_get_track_format(cdio, track) == TRACK_FORMAT_AUDIO;
  const lsn_t first = audio ? cdio_get_track_lsn(cdio, track) : CDIO_INVALID_LSN;
  const lsn_t end = audio ? CdDriveTable::TrackEnd(cdio, track) : CDIO_INVALID_LSN;
  cdio_destroy(cdio);
  const QString where = QString("Track %1 of the CD in drive %2").arg(t.track).arg(t.drive.name);
  if (!listed) return Fail(error, where + " does not exist.");
  if (!audio) return Fail(error, where + " is not an audio track.");
  if (first == CDIO_INVALID_LSN || end == CDIO_INVALID_LSN || end <= first)
    return Fail(error, where + " cannot be read.");
  *info = AudioInfo{44100, 2, 16, 16, int64_t(end - first) * 1000 / kSectorsPerSecond, 1411};
  return true;
}
}  // namespace

bool IsCdTrackPath(const QString& path) { return ParseTrackPath(path).has_value(); }

void ServeCdTrackPaths() {
  PathReader reader;
  reader.serves = IsCdTrackPath;
  reader.source = [](const QString& path, double start, double length) {
    const auto t = ParseTrackPath(path);
    // A length from the beginning is a range from second 0: the track source reads a range only from a start.
    return MakeCdTrackSource(t ? std::optional(t->drive) : std::nullopt, t ? t->track : 0,
                             Seconds(start < 0 && length >= 0 ? 0 : start), Seconds(length));
  };
  reader.probe = [](const QString& path, AudioInfo* info, QString* error) {
    const auto t = ParseTrackPath(path);
    return t ? ProbeTrack(*t, info, error) : Fail(error, "There is no CD drive for " + path + ".");
  };
  SetPathReader(std::move(reader));
}
