// Copies one file in chunks, keeping a percentage the window can poll and
// letting pending window events through between chunks. The copy is written
// under a temporary name in the destination folder and renamed over the
// destination only when complete, so a failure leaves no partial file and an
// existing destination as it was.
#pragma once
#include <QString>

class QFile;
class QSaveFile;

class FileCopyClass {
 public:
  long SecondsTaken = 0;    // whole seconds the last successful copy took
  bool Sucessfull = false;  // true after a copy that ran to its end
  int PercentREady = 0;     // 0 to 100 while a copy runs
  long CacheSize = 0;       // chunk size in bytes; 0 means 32000

  // Copies SourceFile to Destination; "" on success, else why it failed. A
  // destination that is the source itself (through any path or link) is refused.
  QString Copy(const QString& SourceFile, const QString& Destination);

 private:
  // Reads in pieces of one chunk and writes in blocks of two chunks or more.
  QString copyInChunks(QFile& in, QSaveFile& out, qint64 length, qint64 chunk);
};
