#include "backend/cd/CdTrackSource.h"

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <malloc.h>

#include <QByteArray>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <climits>
#include <vector>

namespace {
constexpr long kSectorsPerSecond = 75;
constexpr int kSectorsPerRead = 75;
// Retries of one sector before paranoia gives up on it.
constexpr int kRetries = 20;

// Paranoia's callback carries no context; each worker thread reads one track.
// A read error alone is retried; a skip means paranoia gave the sector up.
thread_local bool t_sectorLost = false;
void OnParanoiaEvent(long, paranoia_cb_mode_t mode) {
  if (mode == PARANOIA_CB_SKIP) t_sectorLost = true;
}

QString TrackText(long track) { return QString("track %1").arg(track); }

class CdTrackSource : public PcmSource {
 public:
  CdTrackSource(std::optional<CdDriveTable::Drive> drive, long track, long rangeStart, long rangeLength,
                const std::atomic<bool>* abort = nullptr)
      : drive_(std::move(drive)), track_(track), rangeStart_(rangeStart), rangeLength_(rangeLength), abort_(abort) {}
  ~CdTrackSource() override {
    swr_free(&swr_);
    if (paranoia_) cdio_paranoia_free(paranoia_);
    if (cdda_) cdio_cddap_close_no_free_cdio(cdda_);
    if (cdio_) cdio_destroy(cdio_);
  }

  bool Open(QString* error) override {
    if (!drive_) return Fail(error, "There is no CD drive to rip from.");
    const QString name = drive_->name;
    if (drive_->image && !QFileInfo::exists(drive_->device))
      return Fail(error, "There is no CD in drive " + name + ".");
    cdio_ = CdDriveTable::Open(*drive_, error);
    if (!cdio_) return false;
    cdda_ = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
    if (!cdda_ || cdio_cddap_open(cdda_) != 0) return Fail(error, "There is no audio CD in drive " + name + ".");
    cdio_cddap_verbose_set(cdda_, CDDA_MESSAGE_FORGETIT, CDDA_MESSAGE_FORGETIT);
    if (track_ < 1 || track_ > long(cdio_cddap_tracks(cdda_)))
      return Fail(error, "The CD in drive " + name + " has no " + TrackText(track_) + ".");
    if (!cdio_cddap_track_audiop(cdda_, track_t(track_)))
      return Fail(error, "The " + TrackText(track_) + " of the CD in drive " + name + " is not an audio track.");
    if (!SetExtent(error)) return false;
    next_ = first_;
    paranoia_ = cdio_paranoia_init(cdda_);
    cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    cdio_paranoia_seek(paranoia_, first_, SEEK_SET);
    return true;
  }

  PcmFormat NativeFormat() const override { return {44100, 2, 16}; }

  bool Start(PcmFormat format, QString* error) override {
    out_ = format;
    if (out_.sampleRate == 44100 && out_.channels == 2 && out_.bits == 16) return true;
    AVChannelLayout in{}, out{};
    av_channel_layout_default(&in, 2);
    av_channel_layout_default(&out, out_.channels);
    const AVSampleFormat fmt = out_.bits == 8 ? AV_SAMPLE_FMT_U8 : out_.bits == 24 ? AV_SAMPLE_FMT_S32 : AV_SAMPLE_FMT_S16;
    const int r = swr_alloc_set_opts2(&swr_, &out, fmt, out_.sampleRate, &in, AV_SAMPLE_FMT_S16, 44100, 0, nullptr);
    if (r < 0 || swr_init(swr_) < 0) return Fail(error, "The CD audio cannot be converted to the output format.");
    outBlock_ = out_.channels * av_get_bytes_per_sample(fmt);
    return true;
  }

  int Read(QString* error) override {
    if (next_ > last_) return Drain(error);
    // Past the end of an image's data paranoia reads silence, or nothing for
    // ever: the track ends there in a read error.
    const int sectors = int(std::min({long(kSectorsPerRead), last_ - next_ + 1, DataEnd() - next_}));
    raw_.resize(size_t(std::max(sectors, 0)) * CDIO_CD_FRAMESIZE_RAW);
    if (sectors <= 0 || !ReadChecked(sectors)) {
      Fail(error, ReadError(next_ - first_));
      return -1;
    }
    const int frames = sectors * CDIO_CD_FRAMESIZE_RAW / 4;
    if (!swr_) {
      pcm_ = raw_.data();
      return frames;
    }
    return Convert(raw_.data(), frames);
  }

  const void* Pcm() const override { return pcm_; }
  double Progress() const override { return double(next_ - first_) / double(last_ - first_ + 1); }
  QString File() const override { return QString(); }

 private:
  static bool Fail(QString* error, const QString& text) {
    *error = text;
    return false;
  }

  QString ReadError(long sector) const {
    const long at = sector / kSectorsPerSecond;
    return QString("Read error on %1 at %2:%3.").arg(TrackText(track_)).arg(at / 60).arg(at % 60, 2, 10, QChar('0'));
  }

  // The sectors to read: the track from its start to the next track's start
  // (so its pregap goes with this track; a data track's pregap does not), or
  // the asked range of it.
  bool SetExtent(QString* error) {
    first_ = cdio_cddap_track_firstsector(cdda_, track_t(track_));
    last_ = long(CdDriveTable::TrackEnd(cdio_, track_t(track_))) - 1;
    const lsn_t listed = cdio_get_track_lsn(cdio_, track_t(track_));
    // A track behind the end of an image's data fails at its start.
    if (listed != CDIO_INVALID_LSN && DataEnd() <= listed) return Fail(error, ReadError(0));
    // Otherwise, a reader's track table that disagrees with the disc's own (a
    // later track starting where an earlier one does) reads nothing.
    if (first_ < 0 || last_ < first_ || first_ != listed)
      return Fail(error, "The " + TrackText(track_) + " cannot be read.");
    if (rangeStart_ < 0) return true;
    const long begin = first_ + rangeStart_ * kSectorsPerSecond;
    if (begin > last_) return Fail(error, "The range lies outside " + TrackText(track_) + ".");
    first_ = begin;
    if (rangeLength_ >= 0) last_ = std::min<long>(last_, first_ + rangeLength_ * kSectorsPerSecond - 1);
    if (last_ < first_) return Fail(error, "The range of " + TrackText(track_) + " is empty.");
    return true;
  }

  // The first sector an image's BIN does not hold, looked up at each read (a
  // BIN can be cut while it is read); a disc in a drive has no such end.
  long DataEnd() const {
    if (!drive_->image) return LONG_MAX;
    return long(QFileInfo(CdDriveTable::ImageData(*drive_)).size() / CDIO_CD_FRAMESIZE_RAW);
  }

  // Sector by sector through paranoia, which re-reads and compares until the
  // data is sure; a sector it had to give up on fails the track.
  bool ReadChecked(int sectors) {
    for (int s = 0; s < sectors; ++s, ++next_) {
      // A sector's retries take long on a scratched disc: a stopped rip ends between sectors.
      if (abort_ && *abort_) return false;
      t_sectorLost = false;
      const int16_t* data = cdio_paranoia_read_limited(paranoia_, OnParanoiaEvent, kRetries);
      if (!data || t_sectorLost) return false;
      std::copy_n(reinterpret_cast<const uint8_t*>(data), CDIO_CD_FRAMESIZE_RAW, raw_.begin() + s * CDIO_CD_FRAMESIZE_RAW);
    }
    return true;
  }

  int Convert(const uint8_t* in, int frames) {
    const int cap = swr_get_out_samples(swr_, frames);
    converted_.resize(size_t(std::max(cap, 0)) * outBlock_);
    uint8_t* outp = converted_.data();
    const int got = swr_convert(swr_, &outp, cap, in ? &in : nullptr, frames);
    pcm_ = converted_.data();
    return std::max(got, 0);
  }

  // The resampler's last samples once the track is read.
  int Drain(QString*) {
    if (!swr_ || drained_) return 0;
    drained_ = true;
    return Convert(nullptr, 0);
  }

  std::optional<CdDriveTable::Drive> drive_;
  long track_, rangeStart_, rangeLength_;
  const std::atomic<bool>* abort_;
  CdIo_t* cdio_ = nullptr;
  cdrom_drive_t* cdda_ = nullptr;
  cdrom_paranoia_t* paranoia_ = nullptr;
  long first_ = 0, last_ = -1, next_ = 0;
  PcmFormat out_;
  SwrContext* swr_ = nullptr;
  int outBlock_ = 4;
  bool drained_ = false;
  std::vector<uint8_t> raw_, converted_;
  const uint8_t* pcm_ = nullptr;
};
}  // namespace

std::unique_ptr<PcmSource> MakeCdTrackSource(std::optional<CdDriveTable::Drive> drive, long track, long rangeStart,
                                             long rangeLength) {
  return std::make_unique<CdTrackSource>(std::move(drive), track, rangeStart, rangeLength);
}

bool CdReadTurns::Ticket::Wait(const std::atomic<bool>* abort) {
  std::unique_lock lock(turns_->mutex_);
  // A dropped job sets its abort flag without knowing of this wait: look again now and then.
  while (turns_->reading_ || (!turns_->held_.empty() && *turns_->held_.begin() < place_)) {
    if (abort && *abort) return false;
    turns_->changed_.wait_for(lock, std::chrono::milliseconds(20));
  }
  turns_->reading_ = this;
  return true;
}

void CdReadTurns::Ticket::Release() {
  if (released_.exchange(true)) return;
  {
    std::lock_guard lock(turns_->mutex_);
    if (const auto it = turns_->held_.find(place_); it != turns_->held_.end()) turns_->held_.erase(it);
    if (turns_->reading_ == this) turns_->reading_ = nullptr;
  }
  turns_->changed_.notify_all();
}

bool CdReadTurns::Ticket::LaterReadsWait() const {
  std::lock_guard lock(turns_->mutex_);
  return turns_->held_.upper_bound(place_) != turns_->held_.end();
}

long CdReadTurns::Reserve() {
  std::lock_guard lock(mutex_);
  held_.insert(next_);
  reserved_.insert(next_);
  return next_++;
}

std::shared_ptr<CdReadTurns::Ticket> CdReadTurns::At(long place) {
  std::lock_guard lock(mutex_);
  if (!reserved_.erase(place)) held_.insert(place);
  return std::make_shared<Ticket>(shared_from_this(), place);
}

void CdReadTurns::GiveUp(long place) {
  {
    std::lock_guard lock(mutex_);
    if (!reserved_.erase(place)) return;
    held_.erase(held_.find(place));
  }
  changed_.notify_all();
}

namespace {
std::mutex watcherMutex;
std::function<void(long)> readWatcher;

void TellRead(long track) {
  std::lock_guard lock(watcherMutex);
  if (readWatcher) readWatcher(track);
}

class TurnTakingSource : public PcmSource {
 public:
  TurnTakingSource(std::unique_ptr<PcmSource> track, long number, std::shared_ptr<CdReadTurns::Ticket> ticket,
                   std::shared_ptr<ReadAheadStore> store, const std::atomic<bool>* abort)
      : track_(std::move(track)), number_(number), ticket_(std::move(ticket)), store_(std::move(store)),
        abort_(abort) {}
  ~TurnTakingSource() override {
    track_.reset();
    ticket_->Release();
  }

  bool Open(QString* error) override {
    if (!ticket_->Wait(abort_)) {
      *error = "Aborted.";
      return false;
    }
    TellRead(number_);
    return track_->Open(error);
  }
  PcmFormat NativeFormat() const override { return track_->NativeFormat(); }

  bool Start(PcmFormat format, QString* error) override {
    if (!track_->Start(format, error)) return false;
    // The last read in line frees the drive for no one: it is read as it is encoded.
    if (!store_ || !ticket_->LaterReadsWait()) return true;
    held_ = std::make_unique<HeldPcm>(store_);
    const bool read = ReadWhole(format, error);
    track_.reset();
    ticket_->Release();
    // The reader's buffers of a few MB would stay in this worker's pool of the
    // allocator, one such pool per worker: they go back to the system.
    malloc_trim(0);
    return read;
  }

  int Read(QString* error) override {
    if (!held_) return track_->Read(error);
    if (!held_->Get(&piece_, error)) return -1;
    return int(piece_.size() / frameBytes_);
  }
  const void* Pcm() const override { return held_ ? piece_.constData() : track_->Pcm(); }
  double Progress() const override { return held_ ? held_->Share() : track_->Progress(); }
  QString File() const override { return QString(); }
  bool FailedOnWrite() const override { return writeFailed_; }

 private:
  // Piece by piece as the track delivers them, so the encoder gets the same writes.
  bool ReadWhole(PcmFormat format, QString* error) {
    frameBytes_ = format.channels * (format.bits == 8 ? 1 : format.bits == 16 ? 2 : 4);
    for (;;) {
      if (abort_ && *abort_) {
        *error = "Aborted.";
        return false;
      }
      const int frames = track_->Read(error);
      if (frames < 0) return false;
      const bool held = frames == 0 ? held_->EndPut(error)
                                    : held_->Put(static_cast<const char*>(track_->Pcm()), qsizetype(frames) * frameBytes_, error);
      writeFailed_ = !held;
      if (!held || frames == 0) return held;
    }
  }

  std::unique_ptr<PcmSource> track_;
  long number_;
  std::shared_ptr<CdReadTurns::Ticket> ticket_;
  std::shared_ptr<ReadAheadStore> store_;
  const std::atomic<bool>* abort_;
  std::unique_ptr<HeldPcm> held_;
  int frameBytes_ = 4;
  bool writeFailed_ = false;
  QByteArray piece_;
};
}  // namespace

std::unique_ptr<PcmSource> MakeCdTrackSource(std::optional<CdDriveTable::Drive> drive, long track, long rangeStart,
                                             long rangeLength, std::shared_ptr<CdReadTurns::Ticket> ticket,
                                             std::shared_ptr<ReadAheadStore> store, const std::atomic<bool>* abort) {
  return std::make_unique<TurnTakingSource>(
      std::make_unique<CdTrackSource>(std::move(drive), track, rangeStart, rangeLength, abort), track,
      std::move(ticket), std::move(store), abort);
}

void WatchCdReads(std::function<void(long track)> watcher) {
  std::lock_guard lock(watcherMutex);
  readWatcher = std::move(watcher);
}
