// Runs one conversion or join job on a worker thread: reads each source in
// turn (a file, a range of it, a CD track), feeds the sink of the destination format and writes
// to a temporary file in the destination folder that replaces the output only
// when complete. Progress and the single ending event are delivered on the
// context object's (UI) thread, after Start has returned.
#pragma once
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "backend/audio/AudioJobSettings.h"
#include "backend/audio/PcmSource.h"

using PcmSources = std::vector<std::unique_ptr<PcmSource>>;
struct AheadJob;

// How converting sources into a temporary file ended.
struct AudioJobOutcome {
  static constexpr long kAborted = -1;
  long code = 0;  // 0: the temporary file is complete
  QString text;
};

// Converts the sources into tempPath with the settings (whose outputFile is the
// name the file will get); progress(sourceIndex, percent) is called on the
// converting thread. A failed or aborted conversion leaves no temporary file.
AudioJobOutcome ConvertToTemp(PcmSources& sources, const AudioJobSettings& settings, const QString& tempPath,
                              const std::atomic<bool>& abort, const std::function<void(int, int)>& progress);

struct AudioJobEvents {
  std::function<void(int sourceIndex, int percent)> progress;
  std::function<void()> done;
  std::function<void()> aborted;
  std::function<void(long code, const QString& text)> error;
  // Asked before an error or a completed job ends: true when the caller runs
  // the job anew instead (its file is removed; no event follows).
  std::function<bool(const AudioJobOutcome& outcome, AheadJob& job)> again;
};

// Every job runs on a thread of its own that nothing waits for: Abort and
// Close return at once, and a job stopped in a slow read removes its
// temporary file when it ends.
class AudioJobRunner {
 public:
  explicit AudioJobRunner(QObject* context);
  ~AudioJobRunner();

  // True from Start until the ending event has been delivered.
  bool Running() const { return current_ != nullptr; }
  void Start(PcmSources sources, AudioJobSettings settings, AudioJobEvents events);
  // Runs a job (one converted ahead, or one set up now) as its own: waits for
  // it (running it here when claimed, i.e. no worker has started it), relays
  // its progress and ends as Start's jobs do, renaming its temporary file to
  // its output.
  void Adopt(std::shared_ptr<AheadJob> job, bool claimed, AudioJobEvents events);
  // The running job stops and ends with the aborted event: once it has
  // stopped, or soon whatever it is doing.
  void Abort();
  // Stops a running job without any further event.
  void Close();

 private:
  struct Link;
  struct Run;
  // The running job is left to end on its own; false when none runs.
  bool Leave();
  void End(const std::shared_ptr<Run>& run, const AudioJobOutcome& outcome);

  std::shared_ptr<Link> link_;
  std::shared_ptr<Run> current_;
  AudioJobEvents events_;
};
