#include "backend/audio/WorkAhead.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <set>
#include <thread>
#include <unistd.h>

#include "backend/audio/ThreadBudget.h"

namespace {
std::atomic<int> threadsSet{0};

// Threads started detached, so that a caller can wait for their end, and the
// jobs converting on them, so that the program's exit can remove their files.
// Never destroyed: a thread the exit did not wait for may still use it while
// the program's statics go.
struct Detached {
  std::mutex mutex;
  std::condition_variable ended;
  int count = 0;
  bool exiting = false;
  std::set<AheadJob*> converting;
};

Detached& detached() {
  static Detached* const state = new Detached;
  return *state;
}

constexpr auto kLookAgain = std::chrono::milliseconds(20);
}  // namespace

void StartDetached(std::function<void()> body) {
  Detached& d = detached();
  {
    std::lock_guard lock(d.mutex);
    ++d.count;
  }
  std::thread([&d, body = std::move(body)]() mutable {
    body();
    body = nullptr;  // what it held (a place of the thread budget) goes before the thread counts as ended
    std::lock_guard lock(d.mutex);
    --d.count;
    d.ended.notify_all();
  }).detach();
}

bool WaitForDetached(int ms) {
  Detached& d = detached();
  std::unique_lock lock(d.mutex);
  return d.ended.wait_for(lock, std::chrono::milliseconds(ms), [&] { return d.count == 0; });
}

bool EndDetached(int ms) {
  if (WaitForDetached(ms)) return true;
  Detached& d = detached();
  std::lock_guard lock(d.mutex);
  d.exiting = true;
  for (AheadJob* job : d.converting) {
    job->abort = true;
    job->temp.Unlink();
  }
  return d.count == 0;
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
  Detached& d = detached();
  {
    std::lock_guard lock(d.mutex);
    if (d.exiting) abort = true;
    d.converting.insert(this);
  }
  const FileStamp read = FileStamp::Of(input);
  PcmSources sources = this->sources(abort);
  temp.Make(HiddenTemp::Folder::Make);
  {
    // Made after the exit removed the files: nothing removes it later.
    std::lock_guard lock(d.mutex);
    if (d.exiting) temp.Unlink();
  }
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
  {
    std::lock_guard lock(d.mutex);
    d.converting.erase(this);
  }
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
  bool held = false;  // a job runs again alone: no worker starts another

  // Workers busy with a dropped job do not count: they end soon, and the
  // pool is at once as usable as before.
  int Serving() const {
    return workers - int(std::count_if(running.begin(), running.end(), [](const auto& j) { return j->Dropped(); }));
  }
  // The next job for a worker, or the end of the queue when none may start.
  std::deque<Queued>::iterator Next() {
    const auto started = std::count_if(queue.begin(), queue.end(), [](const Queued& q) { return q.started; });
    if (held || started >= kAheadPerWorker * Threads()) return queue.end();
    return std::find_if(queue.begin(), queue.end(), [](const Queued& q) { return !q.started; });
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
  StartWorkers(state_);
}

// With the state locked. Without a place in the budget a job waits for its
// turn, run by its runner.
void WorkAheadPool::StartWorkers(const std::shared_ptr<State>& state) {
  for (int wanted = int(std::distance(state->Next(), state->queue.end())); wanted > 0; --wanted) {
    if (state->Serving() >= Threads()) return;
    auto place = std::make_shared<ThreadBudget::Held>(ThreadBudget::TakePlace());
    if (!*place) return;
    ++state->workers;
    StartDetached([state, place] { Work(state); });
  }
}

// A worker ends when no queued job waits for one, or when enough wait ahead,
// so none is left to join.
void WorkAheadPool::Work(const std::shared_ptr<State>& state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    const auto next = state->Next();
    if (next == state->queue.end() || state->Serving() > Threads()) break;
    next->started = true;
    const std::shared_ptr<AheadJob> job = next->job;
    state->running.push_back(job);
    lock.unlock();
    {
      // A job runs on this thread even when every core is taken; holding a
      // core keeps the frame coders it starts to the cores left.
      const ThreadBudget::Held core = ThreadBudget::TakeCore();
      job->Run([](int, int) {});
    }
    lock.lock();
    std::erase(state->running, job);
    state->changed.notify_all();
  }
  --state->workers;
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
  // Room ahead for the next jobs.
  StartWorkers(state_);
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

bool WorkAheadPool::RunsAgain(AheadJob& job, bool ranAhead) {
  if (job.abort) return false;
  const AudioJobOutcome outcome = job.Outcome();
  const bool stale = !job.InputUnchanged();
  const bool squeezed = outcome.code != 0 && outcome.shortage && (ranAhead || Busy());
  if (!stale && !squeezed) return false;
  std::lock_guard lock(state_->mutex);
  state_->held = true;
  auto& queue = state_->queue;
  for (State::Queued& q : queue)
    if (q.started) q.job->Drop();
  std::erase_if(queue, [](const State::Queued& q) { return q.started; });
  return true;
}

void WorkAheadPool::Resume() {
  std::lock_guard lock(state_->mutex);
  state_->held = false;
  StartWorkers(state_);
}
