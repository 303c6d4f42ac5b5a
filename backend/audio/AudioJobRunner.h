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
class WorkAheadPool;

// How converting sources into a temporary file ended.
struct AudioJobOutcome {
  static constexpr long kAborted = -1;
  long code = 0;  // 0: the temporary file is complete
  QString text;
  // Failed for want of what every job shares (room on the disk, open
  // files) or of room to hold a source aside, not for anything of its own.
  bool shortage = false;
};

// A job's turn in a run that works ahead: the job taken for it (claimed: no
// worker started it, the runner runs it), and the turn's own set-up, run again
// alone when the work ahead asks for it (WorkAheadPool::RunsAgain).
struct AudioJobTurn {
  std::shared_ptr<AheadJob> job;
  bool claimed = true;
  std::shared_ptr<AheadJob> again;
  std::shared_ptr<WorkAheadPool> ahead;
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
  // Runs a turn's job (one converted ahead, or one set up now) as its own:
  // waits for it (running it here when claimed), runs the turn again when the
  // work ahead asks for it, relays the progress and ends as Start's jobs do,
  // renaming the temporary file to the output.
  void Adopt(AudioJobTurn turn, AudioJobEvents events);
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
  static void Work(const std::shared_ptr<Run>& run, const std::function<void(int, int)>& relay);

  std::shared_ptr<Link> link_;
  std::shared_ptr<Run> current_;
  AudioJobEvents events_;
};
