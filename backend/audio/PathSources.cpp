#include "backend/audio/PathSources.h"

#include <mutex>

namespace {
// Set at start-up, read by the workers that probe and convert.
std::mutex readerMutex;
PathReader& Reader() {
  static PathReader reader;
  return reader;
}
}  // namespace

void SetPathReader(PathReader reader) {
  std::lock_guard lock(readerMutex);
  Reader() = std::move(reader);
}

PathReader PathReaderFor(const QString& path) {
  PathReader reader;
  {
    std::lock_guard lock(readerMutex);
    reader = Reader();
  }
  return reader.serves && reader.serves(path) ? reader : PathReader{};
}

bool ProbeSourcePath(const QString& path, AudioInfo* info, QString* error) {
  if (const PathReader reader = PathReaderFor(path); reader.probe) return reader.probe(path, info, error);
  AudioDecoder decoder;
  if (!decoder.Open(path, error)) return false;
  *info = decoder.Info();
  return true;
}
