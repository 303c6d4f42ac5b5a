#include "backend/audio/SourceProbe.h"

#include <sys/stat.h>

#include <QFile>

FileStamp FileStamp::Of(const QString& path) {
  struct stat s;
  if (stat(QFile::encodeName(path).constData(), &s) != 0) return {};
  return {uint64_t(s.st_dev), uint64_t(s.st_ino), int64_t(s.st_size),
          int64_t(s.st_mtim.tv_sec) * 1000000000 + s.st_mtim.tv_nsec};
}

SourceProbe SourceProbe::Of(const QString& path) {
  SourceProbe p;
  p.path = path;
  p.stamp = FileStamp::Of(path);
  AudioDecoder decoder;
  QString error;
  p.opened = decoder.Probe(path, &error);
  p.info = decoder.Info();
  p.tags = decoder.Tags();
  return p;
}

bool SourceProbe::Current(const QString& file) const {
  return !path.isEmpty() && path == file && stamp.size >= 0 && stamp == FileStamp::Of(file);
}
