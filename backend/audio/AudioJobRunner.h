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
#include <thread>
#include <vector>

#include "backend/audio/AudioJobSettings.h"
#include "backend/audio/PcmSource.h"
#include "platform/HiddenTemp.h"

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
};

class AudioJobRunner {
 public:
  explicit AudioJobRunner(QObject* context);
  ~AudioJobRunner();

  // True from Start until the ending event has been delivered.
  bool Running() const { return running_; }
  void Start(PcmSources sources, AudioJobSettings settings, AudioJobEvents events);
  // Runs a job converted ahead as its own: waits for it (running it here when
  // claimed, i.e. no worker has started it), relays its progress as source 0
  // and ends as Start's jobs do, renaming its temporary file to its output.
  void Adopt(std::shared_ptr<AheadJob> job, bool claimed, AudioJobEvents events);
  // The running job stops and ends with the aborted event.
  void Abort();
  // Stops a running job without any further event and waits for its thread.
  void Close();

 private:
  using Outcome = AudioJobOutcome;
  int Begin(AudioJobEvents events, const QString& tempPath);
  void Post(int generation, std::function<void()> fn);
  void End(int generation, const Outcome& outcome, const QString& tempPath, const QString& output);

  QObject* context_;
  std::thread worker_;
  std::atomic<bool> abort_{false};
  std::atomic<int> generation_{0};
  bool running_ = false;
  QString tempPath_;
  HiddenTemp own_;  // the file of a job started here, locked until it ends
  std::shared_ptr<AheadJob> adopted_;
  AudioJobEvents events_;
};
