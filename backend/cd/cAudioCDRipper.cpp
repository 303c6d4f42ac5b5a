#include "platform/cd/cAudioCDRipper.h"

#include <cdio/cdio.h>

#include <QFileInfo>

#include <vector>

#include "backend/audio/AudioJobRunner.h"
#include "backend/audio/WorkAhead.h"
#include "backend/cd/CdDriveTable.h"
#include "backend/cd/CdTrackSource.h"
#include "platform/RunFolder.h"

namespace {
constexpr long kFramesPerSecond = 75;
}

// The table of contents read when the device was selected.
struct cAudioCDRipper::Disc {
  struct Track {
    bool audio = false;
    long frames = 0;
  };
  std::vector<Track> tracks;
};

cAudioCDRipper::cAudioCDRipper(QObject* parent)
    : cAudioJobControl(parent),
      turns_(std::make_shared<CdReadTurns>()),
      store_(std::make_shared<ReadAheadStore>(RunFolder::SharedFolder(RunFolder::Place::RipCache))) {}
cAudioCDRipper::~cAudioCDRipper() { CloseRipper(); }

long cAudioCDRipper::GetDeviceCount() const { return long(CdDriveTable::Drives().size()); }

QString cAudioCDRipper::GetDeviceName(long position) const {
  const auto drives = CdDriveTable::Drives();
  if (position < 0 || size_t(position) >= drives.size()) return QString();
  const CdDriveTable::Drive& d = drives[size_t(position)];
  return d.name + " (" + d.device + ")";
}

bool cAudioCDRipper::SelectDevice(long position) {
  disc_.reset();
  deviceError_.clear();
  const auto drives = CdDriveTable::Drives();
  if (position < 0 || size_t(position) >= drives.size()) return false;
  deviceIndex_ = position;
  const CdDriveTable::Drive& d = drives[size_t(position)];
  // An image drive without its image file is a drive without a disc.
  if (d.image && !QFileInfo::exists(d.device)) {
    disc_ = std::make_unique<Disc>();
    return true;
  }
  CdIo_t* cdio = CdDriveTable::Open(d, &deviceError_);
  if (!cdio) return false;
  auto disc = std::make_unique<Disc>();
  const track_t first = cdio_get_first_track_num(cdio);
  const track_t count = cdio_get_num_tracks(cdio);
  if (first != CDIO_INVALID_TRACK && count != CDIO_INVALID_TRACK) {
    for (track_t t = first; t < first + count; ++t) {
      // A track runs to the start of the next one (its pregap included) or the lead-out.
      const lsn_t start = cdio_get_track_lsn(cdio, t);
      const lsn_t end = CdDriveTable::TrackEnd(cdio, t);
      Disc::Track track;
      track.audio = cdio_get_track_format(cdio, t) == TRACK_FORMAT_AUDIO;
      track.frames = start != CDIO_INVALID_LSN && end != CDIO_INVALID_LSN && end > start ? long(end - start) : 0;
      disc->tracks.push_back(track);
    }
  }
  cdio_destroy(cdio);
  disc_ = std::move(disc);
  return true;
}

bool cAudioCDRipper::IsAudioCD() const {
  if (!disc_) return false;
  for (const Disc::Track& t : disc_->tracks)
    if (t.audio) return true;
  return false;
}

long cAudioCDRipper::GetTrackCount() const { return disc_ ? long(disc_->tracks.size()) : 0; }

long cAudioCDRipper::GetTrackType(long track) const {
  if (!disc_ || track < 1 || track > GetTrackCount()) return 0;
  return disc_->tracks[size_t(track - 1)].audio ? 1 : 0;
}

long cAudioCDRipper::GetTrackLength(long track) const {
  if (!disc_ || track < 1 || track > GetTrackCount()) return 0;
  return disc_->tracks[size_t(track - 1)].frames / kFramesPerSecond;
}

namespace {
std::optional<CdDriveTable::Drive> DriveAt(long position) {
  const auto drives = CdDriveTable::Drives();
  if (position < 0 || size_t(position) >= drives.size()) return std::nullopt;
  return drives[size_t(position)];
}
}  // namespace

std::function<std::unique_ptr<PcmSource>(double start)> cAudioCDRipper::TrackPreview(long position,
                                                                                      long track) const {
  const auto drive = DriveAt(position);
  // The same reader as a rip, so a preview of a scratched disc skips no more than its rip.
  return [drive, track](double start) { return MakeCdTrackSource(drive, track, long(start), -1); };
}

// The rip set up now. Worked ahead, it takes its place in the drive's read
// order when queued (its reserved place, or the next) and reads the whole
// track at once; at its turn, when it starts (at its reserved place, or the
// next), reading as it encodes.
std::shared_ptr<AheadJob> cAudioCDRipper::CurrentJob(bool ahead) const {
  auto job = std::make_shared<AheadJob>();
  job->settings = Settings();
  const auto drive = DriveAt(deviceIndex_);
  job->input = (drive ? drive->device : QString()) + "#" + QString::number(trackNumber_);
  job->start = double(rangeStart_);
  job->length = double(rangeLength_);
  const auto reserved = readPlaces_.find(trackNumber_);
  const long place = reserved == readPlaces_.end() ? -1 : reserved->second;
  auto turnAt = [turns = turns_, place] { return place < 0 ? turns->Next() : turns->At(place); };
  job->sources = [drive, track = trackNumber_, start = rangeStart_, length = rangeLength_, turnAt,
                  ticket = ahead ? turnAt() : nullptr, store = ahead ? store_ : nullptr](const std::atomic<bool>& abort) {
    PcmSources sources;
    sources.push_back(MakeCdTrackSource(drive, track, start, length, ticket ? ticket : turnAt(), store, &abort));
    return sources;
  };
  return job;
}

long cAudioCDRipper::RipTrack() {
  const long result = StartTurn([this](int, int percent) { emit Progress(percent); });
  // The rip started, or the one queued for it, holds the place now.
  if (result == 0) readPlaces_.erase(trackNumber_);
  return result;
}

void cAudioCDRipper::ReserveReadTurn(long track) {
  GiveUpReadTurn(track);
  readPlaces_[track] = turns_->Reserve();
}

void cAudioCDRipper::GiveUpReadTurn(long track) {
  const auto it = readPlaces_.find(track);
  if (it == readPlaces_.end()) return;
  turns_->GiveUp(it->second);
  readPlaces_.erase(it);
}

void cAudioCDRipper::EndWorkAhead() {
  cAudioJobControl::EndWorkAhead();
  for (const auto& [track, place] : readPlaces_) turns_->GiveUp(place);
  readPlaces_.clear();
}

// The running rip is told first: a worker may be encoding it for it.
void cAudioCDRipper::AbortRip() {
  AbortJob();
  EndWorkAhead();
}

void cAudioCDRipper::Eject() {
  const auto drive = DriveAt(deviceIndex_);
  if (!drive || drive->image) return;
  // A drive that cannot open its tray (a laptop's caddy, a locked door) stays closed.
  cdio_eject_media_drive(drive->device.toLocal8Bit().constData());
}

void cAudioCDRipper::CloseRipper() {
  CloseJob();
  EndWorkAhead();
}
