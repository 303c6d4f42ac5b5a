#include "backend/audio/WorkAhead.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <thread>

#include "backend/audio/ThreadBudget.h"

namespace {
std::atomic<int> threadsSet{0};

// Threads started detached, so that a caller can wait for their end.
std::mutex detachedMutex;
std::condition_variable detachedEnded;
int detachedCount = 0;

constexpr auto kLookAgain = std::chrono::milliseconds(20);
}  // namespace

void StartDetached(std::function<void()> body) {
  {
    std::lock_guard lock(detachedMutex);
    ++detachedCount;
  }
  std::thread([body = std::move(body)] {
    body();
    std::lock_guard lock(detachedMutex);
    --detachedCount;
    detachedEnded.notify_all();
  }).detach();
}

bool WaitForDetached(int ms) {
  std::unique_lock lock(detachedMutex);
  return detachedEnded.wait_for(lock, std::chrono::milliseconds(ms), [] { return detachedCount == 0; });
}

std::shared_ptr<AheadJob> FileJob(const AudioJobSettings& settings, const QString& input, double start,
                                  double length) {
  auto job = std::make_shared<AheadJob>();
  job->settings = settings;
  job->input = input;
  job->start = start;
  job->length = length;
  job->sources = [input, start, length](const std::atomic<bool>&) {
    PcmSources sources;
    sources.push_back(MakeFileSource(input, start, length));
    return sources;
  };
  return job;
}

std::shared_ptr<AheadJob> AheadJob::Again() const {
  auto job = std::make_shared<AheadJob>();
  job->settings = settings;
  job->input = input;
  job->start = start;
  job->length = length;
  job->sources = sources;
  job->temp = HiddenTemp(settings.outputFile);
  return job;
}

void AheadJob::Run(const std::function<void(int, int)>& report) {
  const FileStamp read = FileStamp::Of(input);
  PcmSources sources = this->sources(abort);
  temp.Make(HiddenTemp::Folder::Make);
  AudioJobOutcome outcome = ConvertToTemp(sources, settings, temp.Path(), abort, [&](int source, int percent) {
    {
      std::lock_guard lock(mutex_);
      source_ = source;
      percent_ = percent;
    }
    changed_.notify_all();
    report(source, percent);
  });
  sources.clear();  // a drive read in turns is free for the next read
  std::lock_guard lock(mutex_);
  finished_ = true;
  outcome_ = std::move(outcome);
  read_ = read;
  if (dropped_) temp.Remove();
  changed_.notify_all();
}

void AheadJob::Follow(const std::function<void(int, int)>& report) {
  std::unique_lock lock(mutex_);
  int shown = -1;
  for (;;) {
    changed_.wait(lock, [&] { return finished_ || percent_ != shown; });
    if (percent_ != shown) {
      shown = percent_;
      report(source_, shown);
    }
    if (finished_) return;
  }
}

AudioJobOutcome AheadJob::Outcome() {
  std::lock_guard lock(mutex_);
  return outcome_;
}

bool AheadJob::InputUnchanged() const { return FileStamp::Of(input) == read_; }

void AheadJob::Drop() {
  abort = true;
  std::lock_guard lock(mutex_);
  dropped_ = true;
  if (finished_) temp.Remove();
}

bool AheadJob::Dropped() {
  std::lock_guard lock(mutex_);
  return dropped_;
}

struct WorkAheadPool::State {
  struct Queued {
    std::shared_ptr<AheadJob> job;
    bool started = false;
  };
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::deque<Queued> queue;
  std::vector<std::shared_ptr<AheadJob>> running;
  int workers = 0;

  // Workers busy with a dropped job do not count: they end soon, and the
  // pool is at once as usable as before.
  int Serving() const {
    return workers - int(std::count_if(running.begin(), running.end(), [](const auto& j) { return j->Dropped(); }));
  }
};

WorkAheadPool::WorkAheadPool() : state_(std::make_shared<State>()) {}

int WorkAheadPool::Threads() {
  if (threadsSet > 0) return threadsSet;
  return std::max(1, int(std::thread::hardware_concurrency()));
}

void WorkAheadPool::SetThreads(int count) { threadsSet = std::max(0, count); }

void WorkAheadPool::Add(std::shared_ptr<AheadJob> job) {
  std::lock_guard lock(state_->mutex);
  state_->queue.push_back({std::move(job)});
  // Without a place in the budget the job waits for its turn, run by its runner.
  if (state_->Serving() >= Threads() || !ThreadBudget::TakePlace()) return;
  ++state_->workers;
  StartDetached([state = state_] { Work(state); });
}

// A worker ends when no queued job waits for one, so none is left to join.
void WorkAheadPool::Work(const std::shared_ptr<State>& state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    auto next = std::find_if(state->queue.begin(), state->queue.end(), [](const State::Queued& q) { return !q.started; });
    if (next == state->queue.end() || state->Serving() > Threads()) break;
    next->started = true;
    const std::shared_ptr<AheadJob> job = next->job;
    state->running.push_back(job);
    lock.unlock();
    // A job runs on this thread even when every core is taken; holding a
    // core keeps the frame coders it starts to the cores left.
    const bool core = ThreadBudget::TakeCore();
    job->Run([](int, int) {});
    if (core) ThreadBudget::GiveCore();
    lock.lock();
    std::erase(state->running, job);
    state->changed.notify_all();
  }
  --state->workers;
  ThreadBudget::GivePlace();
}

std::shared_ptr<AheadJob> WorkAheadPool::Take(const AheadJob& like, bool* claimed) {
  std::lock_guard lock(state_->mutex);
  auto& queue = state_->queue;
  const QString& output = like.settings.outputFile;
  auto found = std::find_if(queue.begin(), queue.end(),
                            [&](const State::Queued& q) { return q.job->settings.outputFile == output; });
  if (found == queue.end()) return nullptr;
  for (auto it = queue.begin(); it != found; ++it) it->job->Drop();
  const State::Queued taken = *found;
  queue.erase(queue.begin(), found + 1);
  if (!taken.job->SameAs(like)) {
    taken.job->Drop();
    return nullptr;
  }
  *claimed = !taken.started;
  return taken.job;
}

void WorkAheadPool::Stop() {
  std::lock_guard lock(state_->mutex);
  for (State::Queued& q : state_->queue) q.job->Drop();
  state_->queue.clear();
}

bool WorkAheadPool::Busy() const {
  std::lock_guard lock(state_->mutex);
  return !state_->queue.empty() || !state_->running.empty();
}

void WorkAheadPool::WaitIdle(const std::atomic<bool>& abort) const {
  std::unique_lock lock(state_->mutex);
  while (!state_->running.empty() && !abort) state_->changed.wait_for(lock, kLookAgain);
}
