// What probing a source file learned (format, length, tags), with the file's
// identity and change stamp, so that a later call for the same unchanged file
// reuses it instead of opening the file again.
#pragma once
#include <QString>
#include <cstdint>

#include "backend/audio/AudioDecoder.h"

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

  static SourceProbe Of(const QString& path);
  // True when this is path's probe and the file has not changed since.
  bool Current(const QString& path) const;
};
