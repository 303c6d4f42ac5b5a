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

using PcmSources = std::vector<std::unique_ptr<PcmSource>>;

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
  // The running job stops and ends with the aborted event.
  void Abort();
  // Stops a running job without any further event and waits for its thread.
  void Close();

 private:
  struct Outcome {
    long code = 0;  // 0: the temporary file is complete
    QString text;
  };
  Outcome Work(PcmSources& sources, const AudioJobSettings& settings,
               const QString& tempPath, int generation);
  void Post(int generation, std::function<void()> fn);
  void End(int generation, const Outcome& outcome, const QString& tempPath, const QString& output);

  QObject* context_;
  std::thread worker_;
  std::atomic<bool> abort_{false};
  std::atomic<int> generation_{0};
  bool running_ = false;
  QString tempPath_;
  AudioJobEvents events_;
};
