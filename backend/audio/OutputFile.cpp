#include "backend/audio/OutputFile.h"

#include <QFile>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace {
std::atomic<int64_t> sizeFieldLimit{0xFFFFFFFFll};
}

int64_t SizeFieldLimit() { return sizeFieldLimit; }
void SetSizeFieldLimit(int64_t bytes) { sizeFieldLimit = bytes; }

QString OutputFile::Failed() const { return "Cannot write " + path_ + " (" + QString::fromLocal8Bit(strerror(errno)) + ")."; }

bool OutputFile::Open(const QString& path, QString* error) {
  path_ = path;
  f_ = fopen(QFile::encodeName(path).constData(), "wb");
  if (!f_) *error = Failed();
  return f_ != nullptr;
}

bool OutputFile::Write(const void* data, size_t size, QString* error) {
  if (size == 0 || fwrite(data, 1, size, f_) == size) return true;
  *error = Failed();
  return false;
}

bool OutputFile::WriteAt(long offset, const void* data, size_t size, QString* error) {
  if (fseek(f_, offset, SEEK_SET) != 0 || !Write(data, size, error) || fseek(f_, 0, SEEK_END) != 0) {
    if (error->isEmpty()) *error = Failed();
    return false;
  }
  return true;
}

bool OutputFile::Close(QString* error) {
  const bool ok = fflush(f_) == 0 && !ferror(f_);
  if (!ok) *error = Failed();
  const bool closed = fclose(f_) == 0;
  f_ = nullptr;
  if (ok && !closed) *error = Failed();
  // A file whose last bytes did not reach the disk is no output.
  if (!ok || !closed) QFile::remove(path_);
  return ok && closed;
}

void OutputFile::Cancel() {
  if (!f_) return;
  fclose(f_);
  f_ = nullptr;
  QFile::remove(path_);
}
