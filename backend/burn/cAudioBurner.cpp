#include "platform/burn/cAudioBurner.h"

#include <climits>

#include "backend/audio/PathSources.h"
#include "backend/burn/AudioDiscWriter.h"
#include "backend/burn/BurnErrors.h"
#include "backend/burn/WriterList.h"

struct cAudioBurner::Job {
  explicit Job(QObject* context) : job(context) {}
  BurnJob job;
  WriterList writers{WriterList::AudioCd};
  QString writing;  // the letter of the writer the running write holds
  const std::vector<BurnDrives::Writer>& Writers() { return writers.All(); }
  const BurnDrives::Writer* Find(const QString& letter) { return writers.Find(letter); }
};

namespace {
long ClampLong(long long v) { return long(std::min<long long>(std::max<long long>(v, 0), INT_MAX)); }
}  // namespace

cAudioBurner::cAudioBurner(QObject* parent) : QObject(parent), job_(std::make_unique<Job>(this)) {}

cAudioBurner::~cAudioBurner() { CloseBurner(); }

long cAudioBurner::GetDriveCount() { return long(job_->Writers().size()); }

QString cAudioBurner::GetDriveName(long index) {
  const auto& writers = job_->Writers();
  if (index < 1 || size_t(index) > writers.size()) return QString();
  const BurnDrives::Writer& w = writers[size_t(index - 1)];
  return w.letter + ": " + w.model;
}

long cAudioBurner::GetSpeedCount(const QString& letter) {
  speeds_.clear();
  if (const BurnDrives::Writer* w = job_->Find(letter)) speeds_ = job_->writers.Disc(*w).speeds;
  return long(speeds_.size());
}

long cAudioBurner::GetSpeed(long index) const {
  return index >= 1 && size_t(index) <= speeds_.size() ? speeds_[size_t(index - 1)] : 0;
}

long cAudioBurner::GetDiscSize(const QString& letter) {
  const BurnDrives::Writer* w = job_->Find(letter);
  return w ? ClampLong(job_->writers.Disc(*w).usedBytes / (1024 * 1024)) : 0;
}

long cAudioBurner::GetDiscCapacity(const QString& letter) {
  const BurnDrives::Writer* w = job_->Find(letter);
  return w ? ClampLong(job_->writers.Disc(*w).freeBytes) : 0;
}

QString cAudioBurner::GetDiscState(const QString& letter) {
  const BurnDrives::Writer* w = job_->Find(letter);
  return w ? job_->writers.Disc(*w).state : QString("No such writer");
}

QString cAudioBurner::GetDriveRoot(const QString& letter) {
  const BurnDrives::Writer* w = job_->Find(letter);
  return w ? BurnDrives::Root(*w) : QString();
}

// The tray of the writer being written stays shut: a moving tray ruins the disc.
void cAudioBurner::OpenTray(const QString& letter) {
  const BurnDrives::Writer* w = job_->Find(letter);
  if (w && !(job_->job.Running() && w->letter == job_->writing)) BurnDrives::OpenTray(*w);
}

void cAudioBurner::CloseTray(const QString& letter) {
  const BurnDrives::Writer* w = job_->Find(letter);
  if (w && !(job_->job.Running() && w->letter == job_->writing)) BurnDrives::CloseTray(*w);
}

bool cAudioBurner::AddTrack(const QString& path, double start, double length) {
  AudioInfo info;
  QString error;
  if (!ProbeSourcePath(path, &info, &error) || info.channels <= 0) return false;
  queue_.push_back({path, start, length});
  return true;
}

void cAudioBurner::Burn(const QString& letter, long speed) {
  auto fail = [this](long code, const QString& text) {
    job_->job.Post([this, code, text] { emit Error(code, text); });
  };
  if (job_->job.Running()) return fail(BurnErrBusy, "A write is already running.");
  const BurnDrives::Writer* w = job_->Find(letter);
  if (!w) return fail(BurnErrWriter, "There is no writer " + letter.left(1) + ":.");
  if (queue_.empty()) return fail(BurnErrNothing, "Nothing to burn.");
  AudioBurnRequest request{{}, *w, speed == 65535 ? 0 : speed, writeOption_};
  for (const Track& t : queue_) request.tracks.push_back({t.path, t.start, t.length});
  AudioBurnEvents events;
  events.caching = [this] { emit CachingTrack(); };
  events.writing = [this] { emit WritingTrack(); };
  events.trackProgress = [this](int percent, int track) { emit TrackProgress(percent, track); };
  events.progress = [this](int percent) { emit Progress(percent, 0); };
  events.closingTrack = [this](int track) { emit ClosingTrack(track); };
  events.closingSession = [this] { emit ClosingSession(); };
  events.finished = [this] { emit Finished(); };
  events.error = [this](long code, const QString& text) { emit Error(code, text); };
  BurnJob& job = job_->job;
  job_->writing = w->letter;
  job_->writers.ForgetDisc();
  job.Start([&job, request, events] { AudioDiscWriter::Run(job, request, events); });
}

double cAudioBurner::DiscSeconds(const std::vector<long>& trackSeconds) {
  std::vector<long long> frames;
  for (long seconds : trackSeconds) frames.push_back(std::max(0LL, (long long)seconds) * 44100);
  return double(AudioDiscWriter::DiscSectors(frames)) / 75.0;
}

void cAudioBurner::ResetBurner() { queue_.clear(); }

void cAudioBurner::AbortBurn() { job_->job.Abort(); }

void cAudioBurner::CloseBurner() { job_->job.Close(); }
