// Tracks read from a drive ahead of their encoding wait here, so that the
// drive is free for the next read: in memory while all the tracks held stay
// within the store's budget, past it in files of a run folder of the store's
// own (swept after a crash). What is held in memory ahead is thus bounded
// however long the tracks are.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/RunFolder.h"

class ReadAheadStore {
 public:
  static constexpr qint64 kBudget = qint64(48) << 20;
  // The budget of stores made without one: kBudget unless tests set another.
  static qint64 DefaultBudget();
  static void SetDefaultBudget(qint64 bytes);
  // budget: bytes of PCM all the tracks together hold in memory.
  explicit ReadAheadStore(const QString& sharedFolder, qint64 budget = DefaultBudget());
  // A new file name in the run folder, made now; empty (error set) when it cannot be made.
  QString NewFile(QString* error);
  // True when that much more fits in the budget, which it then takes.
  bool TakeMemory(qint64 bytes);
  void GiveMemory(qint64 bytes);

 private:
  std::mutex mutex_;
  RunFolder folder_;
  const qint64 budget_;
  qint64 held_ = 0;
  long files_ = 0;
};

// One track's PCM, given back piece by piece as it was put in.
class HeldPcm {
 public:
  explicit HeldPcm(std::shared_ptr<ReadAheadStore> store) : store_(std::move(store)) {}
  // Gives its memory back and removes its file.
  ~HeldPcm();
  HeldPcm(const HeldPcm&) = delete;
  HeldPcm& operator=(const HeldPcm&) = delete;

  bool Put(const char* data, qsizetype bytes, QString* error);
  // Ends putting: the pieces are given back from the first on.
  bool EndPut(QString* error);
  // The next piece (valid until the next call); empty at the end; false on failure.
  bool Get(QByteArray* piece, QString* error);
  // Share given back, 0 to 1.
  double Share() const;

 private:
  // A piece in memory, in pages of its own.
  struct Pages {
    char* data;
    qsizetype size;
  };
  bool Spill(const char* data, qsizetype bytes, QString* error);
  void GiveBack(Pages& pages);

  std::shared_ptr<ReadAheadStore> store_;
  std::vector<Pages> memory_;       // the first pieces
  std::vector<qsizetype> filed_;    // the sizes of the pieces after them, in the file
  QFile file_;
  size_t given_ = 0;
};
