// What probing a source file learned (format, length, tags), with the file's
// identity and change stamp, so that a later call for the same unchanged file
// reuses it instead of opening the file again; and a pool of worker threads
// that probes a list of files ahead of the caller, who takes the results in
// the list's order.
#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "backend/audio/AudioDecoder.h"
#include "backend/audio/ThreadBudget.h"

struct FileStamp {
  uint64_t device = 0, inode = 0;
  int64_t size = -1, modifiedNs = 0;
  static FileStamp Of(const QString& path);
  bool operator==(const FileStamp&) const = default;
};

struct SourceProbe {
  QString path;
  FileStamp stamp;  // taken before the file was opened
  bool opened = false;
  AudioInfo info;
  AudioTags tags;  // empty for a file that cannot be read

  // Setting stop ends a long probe early, as one that failed.
  static SourceProbe Of(const QString& path, const std::atomic<bool>* stop = nullptr);
  // True when this is path's probe and the file has not changed since.
  bool Current(const QString& path) const;
};

class ProbePool {
 public:
  ~ProbePool() { Stop(); }
  // Starts probing paths in their order, one worker per core as the thread
  // budget gives places; a running list is dropped.
  void Start(const QStringList& paths);
  // Stops the workers and drops every result.
  void Stop();
  // Waits for path's probe if it is one of the list's and hands it out; false when it is not.
  bool Take(const QString& path, SourceProbe* out);

 private:
  struct Slot {
    SourceProbe probe;
    bool started = false;  // by a worker or by Take
    bool done = false;
  };
  void Work();
  // Probes slot i unless it was started already.
  void Fill(size_t i);

  std::vector<std::thread> workers_;
  std::vector<ThreadBudget::Held> places_;  // one per worker
  std::vector<Slot> slots_;
  QHash<QString, size_t> index_;  // path to its first slot
  std::atomic<size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable ready_;
};
