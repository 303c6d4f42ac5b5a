// Jobs converted ahead of their turn. A pool of worker threads (one per core
// unless set otherwise) converts queued jobs in queue order, each into a hidden
// temporary file beside its output. When the job's turn comes, the runner that
// would have run it adopts it and gives it its name; a job never adopted is
// dropped and its file removed.
#pragma once
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "backend/audio/AudioJobRunner.h"
#include "backend/audio/AudioJobSettings.h"
#include "platform/HiddenTemp.h"

struct AheadJob {
  AudioJobSettings settings;  // the output's name included
  QString input;
  double start = -1, length = -1;  // seconds; -1 the whole file
  HiddenTemp temp;  // named when queued, made when the job runs
  // Where the PCM comes from when not the input file (which then only names it).
  std::function<std::unique_ptr<PcmSource>()> source;
  std::atomic<bool> abort{false};

  bool SameAs(const AheadJob& other) const {
    return settings == other.settings && input == other.input && start == other.start && length == other.length;
  }
  // Converts on the calling thread; report gets each new percent.
  void Run(const std::function<void(int)>& report);
  // Waits for the job run elsewhere, passing on each new percent.
  void Follow(const std::function<void(int)>& report);
  AudioJobOutcome Outcome();
  // No one will adopt the job: it stops, and its file goes once it has ended.
  void Drop();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int percent_ = -1;
  bool finished_ = false;
  bool dropped_ = false;
  AudioJobOutcome outcome_;
};

class WorkAheadPool {
 public:
  ~WorkAheadPool() { Stop(); }
  // The number of workers: one per core (at least one), or the count set
  // (0 sets it back to one per core).
  static int Threads();
  static void SetThreads(int count);

  void Add(std::shared_ptr<AheadJob> job);
  // The queued job writing like's output when it is the same job, with
  // claimed true when no worker has started it (the caller runs it). The jobs
  // queued before it are dropped, as is a different job for that output.
  std::shared_ptr<AheadJob> Take(const AheadJob& like, bool* claimed);
  // Drops every job not taken and waits for the workers.
  void Stop();

 private:
  struct Queued {
    std::shared_ptr<AheadJob> job;
    bool started = false;
  };
  void Work();

  std::vector<std::thread> workers_;
  std::deque<Queued> queue_;
  bool stop_ = false;
  std::mutex mutex_;
  std::condition_variable wake_;
};
