// The join control: a queue of files, each whole or a range, written one after
// another into one output of any destination format on a worker thread.
#pragma once
#include <QString>
#include <vector>

#include "platform/audio/cAudioJobControl.h"

class cAudioJoin : public cAudioJobControl {
  Q_OBJECT
 public:
  explicit cAudioJoin(QObject* parent = nullptr);
  ~cAudioJoin() override;

  // start and length in seconds (fractions cut at the nearest sample); -1
  // and -1 for the whole file.
  void AddFile(const QString& path, double start, double length);
  long FileCount() const { return long(files_.size()); }
  // index from 1; an index outside the queue does nothing.
  void RemoveFile(long index);
  // number from 1; start and length receive the entry's range when given.
  QString GetFileItem(long number, double* start = nullptr, double* length = nullptr) const;
  // Returns 0 at once when the job was started; its events follow.
  long StartJoin();
  void AbortJoin();
  // Empties the queue; a running join is aborted first.
  void ResetJoin();
  void CloseJoin();

 signals:
  // File number from 1 in queue order, percent of that file.
  void Progress(long fileNumber, long percent);

 private:
  struct Entry {
    QString path;
    double start;
    double length;
  };
  std::vector<Entry> files_;
};
