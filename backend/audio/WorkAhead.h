// Jobs converted ahead of their turn. A pool of worker threads (one per core
// unless set otherwise) converts queued jobs in queue order, each into a hidden
// temporary file beside its output. When the job's turn comes, the runner that
// would have run it adopts it and gives it its name; a job never adopted is
// dropped and its file removed.
//
// Nothing here waits for a worker on the caller's thread: a dropped job ends
// on its own (at its next look at its abort flag) and removes its file then.
// What waits ahead is bounded: workers stop short of kAheadPerWorker jobs per
// worker started and not yet taken, so a list of any length holds a few open
// files and a few outputs on disk at a time.
#pragma once
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "backend/audio/AudioJobRunner.h"
#include "backend/audio/AudioJobSettings.h"
#include "backend/audio/SourceProbe.h"
#include "platform/HiddenTemp.h"

struct AheadJob {
  AudioJobSettings settings;  // the output's name included
  QString input;              // the file read, or what names the source
  double start = -1, length = -1;  // seconds; -1 the whole file
  HiddenTemp temp;  // named when queued, made when the job runs
  // Makes the job's sources when it runs; a slow read looks at abort.
  std::function<PcmSources(const std::atomic<bool>& abort)> sources;
  std::atomic<bool> abort{false};

  bool SameAs(const AheadJob& other) const {
    return settings == other.settings && input == other.input && start == other.start && length == other.length;
  }
  // The same set-up as a new job, with a new temporary file.
  std::shared_ptr<AheadJob> Again() const;
  // Converts on the calling thread; report gets each source's new percent.
  void Run(const std::function<void(int, int)>& report);
  // Waits for the job run elsewhere, passing on each new percent.
  void Follow(const std::function<void(int, int)>& report);
  AudioJobOutcome Outcome();
  // False once the input file was replaced or written after the job read it.
  bool InputUnchanged() const;
  // No one will adopt the job: it stops, and its file goes once it has ended.
  void Drop();
  bool Dropped();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int source_ = 0, percent_ = -1;
  bool finished_ = false;
  bool dropped_ = false;
  AudioJobOutcome outcome_;
  FileStamp read_;
};

// A job converting a file, or a range of it (seconds; -1 the whole file).
std::shared_ptr<AheadJob> FileJob(const AudioJobSettings& settings, const QString& input, double start = -1,
                                  double length = -1);

// Runs body on a thread of its own that no one joins.
void StartDetached(std::function<void()> body);
// Waits up to ms for every such thread to end; false when one still runs.
bool WaitForDetached(int ms);
// At the program's exit: waits up to ms as WaitForDetached does; each job
// still converting then is told to stop and its temporary file is removed,
// and no job starts after it. False when a thread still runs.
bool EndDetached(int ms);

class WorkAheadPool {
 public:
  // Jobs started ahead and not yet taken, per worker: each holds its output
  // (and an open file while it waits for its turn).
  static constexpr int kAheadPerWorker = 2;

  WorkAheadPool();
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
  // Drops every job not taken; returns at once.
  void Stop();
  // True while a job is queued or runs (a dropped one that has not ended
  // included): files written ahead may take room on the disk.
  bool Busy() const;
  // Waits until no job runs any more, or abort is set.
  void WaitIdle(const std::atomic<bool>& abort) const;
  // Whether a turn's job (ranAhead: a worker ran it before its turn) runs
  // again, alone and once: when its input changed after it was read, or when
  // it failed for want of what it shares with the work ahead (room on the
  // disk, open files). Any other outcome is the job's own. When it does, the
  // jobs started ahead are dropped and no worker starts another until
  // Resume, so the job runs again as it would have run one at a time.
  bool RunsAgain(AheadJob& job, bool ranAhead);
  // Work ahead goes on after a job ran again.
  void Resume();

 private:
  struct State;
  static void StartWorkers(const std::shared_ptr<State>& state);
  static void Work(const std::shared_ptr<State>& state);
  std::shared_ptr<State> state_;
};
