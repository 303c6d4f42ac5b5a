#include "platform/cd/cAudioCDRipper.h"

#include <cdio/cdio.h>

#include <QFileInfo>

#include <vector>

#include "backend/audio/AudioJobRunner.h"
#include "backend/audio/WorkAhead.h"
#include "backend/cd/CdDriveTable.h"
#include "backend/cd/CdTrackSource.h"
#include "platform/Services.h"

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
      store_(std::make_shared<ReadAheadStore>(ProgramFolder() + "/ripcache")),
      ahead_(std::make_unique<WorkAheadPool>()) {}
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

// The track's read at its reserved place, or after every place given so far.
std::shared_ptr<CdReadTurns::Ticket> TurnOf(CdReadTurns& turns, const std::map<long, long>& places, long track) {
  const auto it = places.find(track);
  return it == places.end() ? turns.Next() : turns.At(it->second);
}
}  // namespace

std::function<std::unique_ptr<PcmSource>(double start)> cAudioCDRipper::TrackPreview(long position,
                                                                                      long track) const {
  const auto drive = DriveAt(position);
  // The same reader as a rip, so a preview of a scratched disc skips no more than its rip.
  return [drive, track](double start) { return MakeCdTrackSource(drive, track, long(start), -1); };
}

// The rip set up now. Its source takes its turn at the drive only when it
// starts, and reads the whole track at once when it works ahead.
std::shared_ptr<AheadJob> cAudioCDRipper::CurrentJob(bool whole) const {
  auto job = std::make_shared<AheadJob>();
  job->settings = Settings();
  const auto drive = DriveAt(deviceIndex_);
  job->input = (drive ? drive->device : QString()) + "#" + QString::number(trackNumber_);
  job->start = double(rangeStart_);
  job->length = double(rangeLength_);
  if (!whole) return job;
  job->source = [drive, track = trackNumber_, start = rangeStart_, length = rangeLength_,
                 ticket = TurnOf(*turns_, readPlaces_, trackNumber_), store = store_, abort = &job->abort] {
    return MakeCdTrackSource(drive, track, start, length, ticket, store, abort);
  };
  return job;
}

bool cAudioCDRipper::PrepareAhead() {
  const bool ahead = WorkAheadPool::Threads() >= 2;
  if (ahead) {
    auto job = CurrentJob(true);
    job->temp = HiddenTemp(job->settings.outputFile);
    ahead_->Add(std::move(job));
  }
  rangeStart_ = rangeLength_ = -1;
  return ahead;
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
  ahead_->Stop();
  for (const auto& [track, place] : readPlaces_) turns_->GiveUp(place);
  readPlaces_.clear();
}

long cAudioCDRipper::RipTrack() {
  if (JobRunning()) return AudioErrBusy;
  auto progress = [this](int, int percent) { emit Progress(percent); };
  bool claimed = false;
  if (auto job = ahead_->Take(*CurrentJob(false), &claimed)) {
    rangeStart_ = rangeLength_ = -1;
    readPlaces_.erase(trackNumber_);
    return AdoptJob(std::move(job), claimed, progress);
  }
  std::vector<std::unique_ptr<PcmSource>> sources;
  sources.push_back(MakeCdTrackSource(DriveAt(deviceIndex_), trackNumber_, rangeStart_, rangeLength_,
                                      TurnOf(*turns_, readPlaces_, trackNumber_), nullptr, nullptr));
  readPlaces_.erase(trackNumber_);
  const long result = StartJob(std::move(sources), progress);
  // A range belongs to the rip it was set for; the next rip takes the whole
  // track unless a range is set again.
  if (result == 0) rangeStart_ = rangeLength_ = -1;
  return result;
}

// The running rip is told first: a worker may be encoding it for it.
void cAudioCDRipper::AbortRip() {
  AbortJob();
  ahead_->Stop();
}

void cAudioCDRipper::Eject() {
  const auto drive = DriveAt(deviceIndex_);
  if (!drive || drive->image) return;
  // A drive that cannot open its tray (a laptop's caddy, a locked door) stays closed.
  cdio_eject_media_drive(drive->device.toLocal8Bit().constData());
}

void cAudioCDRipper::CloseRipper() {
  AbortJob();
  EndWorkAhead();
  CloseJob();
}
