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

// Called right after the failed call, while errno is still its.
QString OutputFile::Failed(const char* doing) {
  errno_ = errno;
  const QString why = errno_ ? QString::fromLocal8Bit(strerror(errno_)) : QString("the file ends early");
  return QString("Cannot %1 %2 (%3).").arg(doing, path_, why);
}

bool OutputFile::Open(const QString& path, QString* error, bool readBack) {
  path_ = path;
  errno_ = 0;
  f_ = fopen(QFile::encodeName(path).constData(), readBack ? "w+b" : "wb");
  if (!f_) *error = Failed("write");
  return f_ != nullptr;
}

bool OutputFile::Write(const void* data, size_t size, QString* error) {
  if (size == 0 || fwrite(data, 1, size, f_) == size) return true;
  *error = Failed("write");
  return false;
}

bool OutputFile::WriteAt(long offset, const void* data, size_t size, QString* error) {
  if (fseek(f_, offset, SEEK_SET) != 0) {
    *error = Failed("write");
    return false;
  }
  if (!Write(data, size, error)) return false;
  if (fseek(f_, 0, SEEK_END) == 0) return true;
  *error = Failed("write");
  return false;
}

bool OutputFile::ReadAt(long offset, void* data, size_t size, QString* error) {
  errno = 0;
  if (fseek(f_, offset, SEEK_SET) == 0 && fread(data, 1, size, f_) == size && fseek(f_, 0, SEEK_END) == 0) return true;
  *error = Failed("read back");
  return false;
}

bool OutputFile::Close(QString* error) {
  const bool ok = fflush(f_) == 0 && !ferror(f_);
  if (!ok) *error = Failed("write");
  const bool closed = fclose(f_) == 0;
  f_ = nullptr;
  if (ok && !closed) *error = Failed("write");
  if (ok && closed) return true;
  QFile::remove(path_);
  return false;
}

void OutputFile::Cancel() {
  if (!f_) return;
  fclose(f_);
  f_ = nullptr;
  QFile::remove(path_);
}
