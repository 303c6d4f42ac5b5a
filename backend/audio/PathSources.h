// Paths that name no file but a source another part reads: a CD track's path
// ("D:/Track01.cda") is read from its drive. That part sets its reader here
// (the audio engine knows no drive), and every tool that reads a source by
// its path, for its samples or for its format and length, asks here first.
#pragma once
#include <QString>
#include <functional>
#include <memory>

#include "backend/audio/AudioDecoder.h"
#include "backend/audio/PcmSource.h"

struct PathReader {
  // True for a path the reader serves.
  std::function<bool(const QString& path)> serves;
  // A served path's source, whole or a range (seconds, as MakeFileSource takes them).
  std::function<std::unique_ptr<PcmSource>(const QString& path, double start, double length)> source;
  // A served path's format and length; false with the reason when it cannot be read.
  std::function<bool(const QString& path, AudioInfo* info, QString* error)> probe;
};

void SetPathReader(PathReader reader);
// The reader when it serves the path; one without functions otherwise.
PathReader PathReaderFor(const QString& path);
// A source's format and length by its path: the reader's for a served path,
// the file's as AudioDecoder::Open reads it otherwise.
bool ProbeSourcePath(const QString& path, AudioInfo* info, QString* error);
