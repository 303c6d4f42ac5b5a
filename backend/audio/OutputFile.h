// A plain output file for the encoders that produce bytes themselves: every
// write is checked, so a full disk is reported instead of leaving a short file.
#pragma once
#include <QString>
#include <cstdint>
#include <cstdio>

// The largest file a format that keeps its sizes in 32-bit header fields
// (WAV, APE) can describe. Tests lower it to reach it with small files.
int64_t SizeFieldLimit();
void SetSizeFieldLimit(int64_t bytes);

class OutputFile {
 public:
  ~OutputFile() { Cancel(); }
  bool Open(const QString& path, QString* error);
  bool Write(const void* data, size_t size, QString* error);
  // Writes at a position, then returns to the end.
  bool WriteAt(long offset, const void* data, size_t size, QString* error);
  // A file whose last bytes could not be written is deleted.
  bool Close(QString* error);
  // Closes and deletes the file.
  void Cancel();

 private:
  QString Failed() const;
  QString path_;
  FILE* f_ = nullptr;
};
