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
  // readBack: what was written can be read again (ReadAt).
  bool Open(const QString& path, QString* error, bool readBack = false);
  bool Write(const void* data, size_t size, QString* error);
  // Writes at a position, then returns to the end.
  bool WriteAt(long offset, const void* data, size_t size, QString* error);
  // Reads what was written at a position, then returns to the end.
  bool ReadAt(long offset, void* data, size_t size, QString* error);
  // A file whose last bytes could not be written is deleted.
  bool Close(QString* error);
  // Closes and deletes the file.
  void Cancel();
  bool IsOpen() const { return f_ != nullptr; }
  // The system's error number (errno) of the last failure; 0 when none, or
  // when the failure was no call's (a read that found the end).
  int Errno() const { return errno_; }

 private:
  QString Failed(const char* doing);
  QString path_;
  FILE* f_ = nullptr;
  int errno_ = 0;
};
