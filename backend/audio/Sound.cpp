#include "platform/audio/Sound.h"

#include <memory>

#include "backend/audio/SdlPlayback.h"

namespace {
SoundHandler& Handler() {
  static SoundHandler handler;
  return handler;
}

// One sound at a time: a new one, or an empty path, ends the one playing.
bool PlayOnDefaultDevice(const QString& path) {
  static std::unique_ptr<SdlPlayback> current;
  current.reset();
  if (path.isEmpty()) return true;
  auto playback = std::make_unique<SdlPlayback>();
  QString error;
  if (playback->Open(path, -1, nullptr, &error) != SdlPlayback::Opened) return false;
  current = std::move(playback);
  return true;
}
}  // namespace

bool PlaySoundFile(const QString& path) {
  return Handler() ? Handler()(path) : PlayOnDefaultDevice(path);
}

void SetSoundHandler(SoundHandler handler) { Handler() = std::move(handler); }
