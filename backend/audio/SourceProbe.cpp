#include "backend/audio/SourceProbe.h"

#include <sys/stat.h>

#include <QFile>
#include <algorithm>

#include "backend/audio/PathSources.h"

FileStamp FileStamp::Of(const QString& path) {
  struct stat s;
  if (stat(QFile::encodeName(path).constData(), &s) != 0) return {};
  return {uint64_t(s.st_dev), uint64_t(s.st_ino), int64_t(s.st_size),
          int64_t(s.st_mtim.tv_sec) * 1000000000 + s.st_mtim.tv_nsec};
}

SourceProbe SourceProbe::Of(const QString& path, const std::atomic<bool>* stop) {
  SourceProbe p;
  p.path = path;
  p.stamp = FileStamp::Of(path);
  if (const PathReader reader = PathReaderFor(path); reader.probe) {
    QString error;
    p.opened = reader.probe(path, &p.info, &error);
    return p;
  }
  AudioDecoder decoder;
  QString error;
  p.opened = decoder.Probe(path, &error, stop);
  p.info = decoder.Info();
  p.tags = decoder.Tags();
  return p;
}

bool SourceProbe::Current(const QString& file) const {
  return !path.isEmpty() && path == file && stamp.size >= 0 && stamp == FileStamp::Of(file);
}

void ProbePool::Start(const QStringList& paths) {
  Stop();
  slots_.resize(size_t(paths.size()));
  for (qsizetype i = 0; i < paths.size(); ++i) {
    slots_[size_t(i)].probe.path = paths[i];
    if (!index_.contains(paths[i])) index_.insert(paths[i], size_t(i));  // a duplicate shares the first slot
  }
  // Probing mostly waits for the disk, so it takes places in the budget but
  // no cores; without places the files are probed as they are asked for.
  while (workers_.size() < std::min<size_t>(ThreadBudget::Cores(), slots_.size())) {
    ThreadBudget::Held place = ThreadBudget::TakePlace();
    if (!place) break;
    places_.push_back(std::move(place));
    workers_.emplace_back([this] { Work(); });
  }
}

void ProbePool::Stop() {
  stop_ = true;
  for (std::thread& t : workers_) t.join();
  workers_.clear();
  places_.clear();
  slots_.clear();
  index_.clear();
  next_ = 0;
  stop_ = false;
}

void ProbePool::Work() {
  for (size_t i = next_++; i < slots_.size() && !stop_; i = next_++) Fill(i);
}

void ProbePool::Fill(size_t i) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (slots_[i].started) return;
    slots_[i].started = true;
  }
  SourceProbe probe = SourceProbe::Of(slots_[i].probe.path, &stop_);
  std::lock_guard<std::mutex> lock(mutex_);
  slots_[i].probe = std::move(probe);
  slots_[i].done = true;
  ready_.notify_all();
}

// A file no worker has started is probed here rather than waited for.
bool ProbePool::Take(const QString& path, SourceProbe* out) {
  const auto it = index_.constFind(path);
  if (it == index_.constEnd()) return false;
  Fill(*it);
  Slot& slot = slots_[*it];
  std::unique_lock<std::mutex> lock(mutex_);
  ready_.wait(lock, [&] { return slot.done; });
  *out = slot.probe;
  return true;
}
