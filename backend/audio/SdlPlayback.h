// Streams a file or another PCM source (a CD track) to an SDL2 output device:
// a feeder thread reads ahead into SDL's queue while the device plays. Used by
// the preview player and by the sound service.
#pragma once
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "backend/audio/PcmSource.h"

// Starts SDL's audio once for the process; false with the reason.
bool SdlAudioInit(QString* error);
// Shuts SDL's audio down so that the next start reads SDL_AUDIODRIVER again
// (tests switch between the dummy and the disk driver).
void SdlAudioRestart();

class SdlPlayback {
 public:
  ~SdlPlayback();
  enum OpenResult { Opened, FileFailed, DeviceFailed };
  // Makes the source that starts at a position in seconds; a seek makes a new one.
  using SourceMaker = std::function<std::unique_ptr<PcmSource>(double start)>;
  // device: an SDL output device position, -1 the default. onEnd runs on the
  // feeder thread once everything has been played. start and length in
  // seconds pick a range of a file (negative: from the beginning, to the end).
  OpenResult Open(const QString& path, long device, std::function<void()> onEnd, QString* error,
                  double start = -1, double length = -1);
  OpenResult Open(SourceMaker make, long device, std::function<void()> onEnd, QString* error);
  // The rate and channels played.
  int Rate() const { return rate_; }
  int Channels() const { return channels_; }
  void SetPaused(bool paused);
  bool Paused() const { return paused_; }
  void Seek(double seconds);
  double Position();  // seconds
  int Level();        // peak at the playing position, 0 to 100

 private:
  void Feed();
  int64_t PlayedFrames();  // since the last seek; call with the lock held
  OpenResult open(std::unique_ptr<PcmSource> first, double start, long device, std::function<void()> onEnd,
                  QString* error);
  // Takes the source, which begins at start seconds, in the played format; false with the reason.
  bool StartSource(std::unique_ptr<PcmSource> source, double start, QString* error);
  SourceMaker make_;
  std::unique_ptr<PcmSource> source_;
  uint32_t device_ = 0;
  int rate_ = 0;
  int channels_ = 0;
  std::mutex lock_;
  int64_t queuedFrames_ = 0;
  double baseSeconds_ = 0;
  std::vector<uint8_t> peaks_;  // one per block of kPeakBlock frames since the last seek
  bool ended_ = false;          // the decoder has delivered everything
  std::atomic<bool> paused_{false};
  std::atomic<bool> stop_{false};
  std::function<void()> onEnd_;
  std::thread feeder_;
};
