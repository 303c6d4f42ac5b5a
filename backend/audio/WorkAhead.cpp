#include "backend/audio/WorkAhead.h"

#include <QFile>
#include <algorithm>

#include "backend/audio/ThreadBudget.h"

namespace {
std::atomic<int> threadsSet{0};
}

void AheadJob::Run(const std::function<void(int)>& report) {
  PcmSources sources;
  sources.push_back(source ? source() : MakeFileSource(input, double(start), double(length)));
  temp.Make(HiddenTemp::Folder::Make);
  AudioJobOutcome outcome = ConvertToTemp(sources, settings, temp.Path(), abort, [&](int, int percent) {
    {
      std::lock_guard lock(mutex_);
      percent_ = percent;
    }
    changed_.notify_all();
    report(percent);
  });
  std::lock_guard lock(mutex_);
  finished_ = true;
  outcome_ = std::move(outcome);
  if (dropped_) QFile::remove(temp.Path());
  changed_.notify_all();
}

void AheadJob::Follow(const std::function<void(int)>& report) {
  std::unique_lock lock(mutex_);
  int shown = -1;
  for (;;) {
    changed_.wait(lock, [&] { return finished_ || percent_ != shown; });
    if (percent_ != shown) {
      shown = percent_;
      report(shown);
    }
    if (finished_) return;
  }
}

AudioJobOutcome AheadJob::Outcome() {
  std::lock_guard lock(mutex_);
  return outcome_;
}

void AheadJob::Drop() {
  abort = true;
  std::lock_guard lock(mutex_);
  dropped_ = true;
  if (finished_) QFile::remove(temp.Path());
}

int WorkAheadPool::Threads() {
  if (threadsSet > 0) return threadsSet;
  return std::max(1, int(std::thread::hardware_concurrency()));
}

void WorkAheadPool::SetThreads(int count) { threadsSet = std::max(0, count); }

void WorkAheadPool::Add(std::shared_ptr<AheadJob> job) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({std::move(job)});
  }
  // Without a place in the budget the job waits for its turn, run by its runner.
  if (int(workers_.size()) < Threads() && ThreadBudget::TakePlace())
    workers_.emplace_back([this] { Work(); });
  wake_.notify_one();
}

void WorkAheadPool::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    auto next = queue_.end();
    wake_.wait(lock, [&] {
      next = std::find_if(queue_.begin(), queue_.end(), [](const Queued& q) { return !q.started; });
      return stop_ || next != queue_.end();
    });
    if (stop_) return;
    next->started = true;
    const std::shared_ptr<AheadJob> job = next->job;
    lock.unlock();
    // A job runs on this thread even when every core is taken; holding a
    // core keeps the frame coders it starts to the cores left.
    const bool core = ThreadBudget::TakeCore();
    job->Run([](int) {});
    if (core) ThreadBudget::GiveCore();
    lock.lock();
  }
}

std::shared_ptr<AheadJob> WorkAheadPool::Take(const AheadJob& like, bool* claimed) {
  std::lock_guard lock(mutex_);
  const QString& output = like.settings.outputFile;
  auto found = std::find_if(queue_.begin(), queue_.end(),
                            [&](const Queued& q) { return q.job->settings.outputFile == output; });
  if (found == queue_.end()) return nullptr;
  for (auto it = queue_.begin(); it != found; ++it) it->job->Drop();
  const Queued taken = *found;
  queue_.erase(queue_.begin(), found + 1);
  if (!taken.job->SameAs(like)) {
    taken.job->Drop();
    return nullptr;
  }
  *claimed = !taken.started;
  return taken.job;
}

void WorkAheadPool::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    for (Queued& q : queue_) q.job->Drop();
    queue_.clear();
  }
  wake_.notify_all();
  for (std::thread& t : workers_) {
    t.join();
    ThreadBudget::GivePlace();
  }
  workers_.clear();
  stop_ = false;
}
