#include "backend/audio/SdlPlayback.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace {
constexpr int kPeakBlock = 1024;
std::mutex g_sdlAudioLock;
}  // namespace

bool SdlAudioInit(QString* error) {
  std::lock_guard<std::mutex> guard(g_sdlAudioLock);
  if (SDL_WasInit(SDL_INIT_AUDIO) || SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
  *error = QString("The sound system cannot start (%1).").arg(SDL_GetError());
  return false;
}

void SdlAudioRestart() {
  std::lock_guard<std::mutex> guard(g_sdlAudioLock);
  if (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SdlPlayback::~SdlPlayback() {
  stop_ = true;
  if (feeder_.joinable()) feeder_.join();
  if (device_) SDL_CloseAudioDevice(device_);
}

SdlPlayback::OpenResult SdlPlayback::Open(const QString& path, long device, std::function<void()> onEnd,
                                          QString* error, double start, double length) {
  make_ = [path](double from) { return MakeFileSource(path, from, -1); };
  return open(MakeFileSource(path, start, length), std::max(start, 0.0), device, std::move(onEnd), error);
}

SdlPlayback::OpenResult SdlPlayback::Open(SourceMaker make, long device, std::function<void()> onEnd,
                                          QString* error) {
  make_ = std::move(make);
  return open(make_(0), 0, device, std::move(onEnd), error);
}

bool SdlPlayback::StartSource(std::unique_ptr<PcmSource> source, double start, QString* error) {
  source_ = std::move(source);
  if (!source_ || !source_->Open(error)) return false;
  if (rate_ == 0) {
    const PcmFormat native = source_->NativeFormat();
    rate_ = native.sampleRate;
    channels_ = std::min(native.channels, 2);
  }
  if (rate_ <= 0 || channels_ <= 0 || !source_->Start({rate_, channels_, 16}, error)) return false;
  baseSeconds_ = start;
  return true;
}

SdlPlayback::OpenResult SdlPlayback::open(std::unique_ptr<PcmSource> first, double start, long device,
                                          std::function<void()> onEnd, QString* error) {
  if (!StartSource(std::move(first), start, error)) return FileFailed;
  if (!SdlAudioInit(error)) return DeviceFailed;
  const char* name = nullptr;
  if (device >= 0) {
    name = SDL_GetAudioDeviceName(int(device), 0);
    if (!name) {
      *error = QString("There is no audio output device %1.").arg(device);
      return DeviceFailed;
    }
  }
  SDL_AudioSpec want{}, have{};
  want.freq = rate_;
  want.format = AUDIO_S16SYS;
  want.channels = Uint8(channels_);
  want.samples = 1024;
  device_ = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
  if (!device_) {
    *error = QString("The audio output device cannot be opened (%1).").arg(SDL_GetError());
    return DeviceFailed;
  }
  onEnd_ = std::move(onEnd);
  feeder_ = std::thread([this] { Feed(); });
  SDL_PauseAudioDevice(device_, 0);
  return Opened;
}

void SdlPlayback::Feed() {
  const Uint32 bytesPerFrame = Uint32(channels_) * 2;
  const Uint32 ahead = Uint32(rate_ / 4) * bytesPerFrame;  // keep a quarter second queued
  QString error;
  while (!stop_) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (!ended_ && SDL_GetQueuedAudioSize(device_) < ahead) {
        const int frames = source_->Read(&error);
        if (frames <= 0) {
          ended_ = true;
          continue;
        }
        const int16_t* pcm = static_cast<const int16_t*>(source_->Pcm());
        for (int i = 0; i < frames * channels_; ++i) {
          const size_t block = size_t((queuedFrames_ + i / channels_) / kPeakBlock);
          if (block >= peaks_.size()) peaks_.resize(block + 1, 0);
          peaks_[block] = std::max<uint8_t>(peaks_[block], uint8_t(std::abs(int(pcm[i])) * 100 / 32768));
        }
        SDL_QueueAudio(device_, pcm, Uint32(frames) * bytesPerFrame);
        queuedFrames_ += frames;
        continue;
      }
      if (ended_ && !paused_ && SDL_GetQueuedAudioSize(device_) == 0) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!stop_ && onEnd_) onEnd_();
}

void SdlPlayback::SetPaused(bool paused) {
  paused_ = paused;
  SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

void SdlPlayback::Seek(double seconds) {
  std::lock_guard<std::mutex> guard(lock_);
  QString error;
  SDL_ClearQueuedAudio(device_);
  ended_ = !StartSource(make_(std::max(seconds, 0.0)), std::max(seconds, 0.0), &error);
  queuedFrames_ = 0;
  peaks_.clear();
}

int64_t SdlPlayback::PlayedFrames() {
  const int64_t waiting = SDL_GetQueuedAudioSize(device_) / (channels_ * 2);
  return std::max<int64_t>(queuedFrames_ - waiting, 0);
}

double SdlPlayback::Position() {
  std::lock_guard<std::mutex> guard(lock_);
  return baseSeconds_ + double(PlayedFrames()) / rate_;
}

int SdlPlayback::Level() {
  std::lock_guard<std::mutex> guard(lock_);
  const size_t block = size_t(PlayedFrames() / kPeakBlock);
  return block < peaks_.size() ? peaks_[block] : 0;
}
