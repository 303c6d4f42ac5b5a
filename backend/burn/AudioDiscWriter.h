// Writes audio tracks as a CD: on a real writer through libburn, or as a
// BIN/CUE image. Both decode every file to 44.1 kHz 16-bit stereo
// little-endian PCM, pad each track to whole 2352-byte sectors (and to the
// 4 seconds a CD track needs at least) and put a 2-second pregap of silence
// before every track after the first. Both report the same events: a
// caching step per track, then per track writing, its progress and its
// close, then the session's close and exactly one of finished or error.
// Runs on the job's thread; every event goes through the job.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "backend/burn/BurnDrives.h"
#include "backend/burn/BurnJob.h"

struct AudioBurnEvents {
  std::function<void()> caching;
  std::function<void()> writing;
  std::function<void(int percent, int track)> trackProgress;
  std::function<void(int percent)> progress;
  std::function<void(int track)> closingTrack;
  std::function<void()> closingSession;
  std::function<void()> finished;
  std::function<void(long code, const QString& text)> error;
};

// A file, whole or a range of it in seconds (negative start: from the
// beginning; negative length: to the end).
struct AudioTrack {
  AudioTrack(QString file, double from = -1, double seconds = -1)
      : path(std::move(file)), start(from), length(seconds) {}
  QString path;
  double start;
  double length;
};

struct AudioBurnRequest {
  std::vector<AudioTrack> tracks;
  BurnDrives::Writer writer;
  long speed = 0;  // KB/s, 0 the highest
  bool discAtOnce = false;
};

namespace AudioDiscWriter {
constexpr int kSectorBytes = 2352;
constexpr int kPregapSectors = 150;   // 2 seconds
constexpr int kMinTrackSectors = 300; // 4 seconds
constexpr int kSectorFrames = kSectorBytes / 4;
constexpr int kMaxTracks = 99;
constexpr long long kCdSectors = BurnDrives::kCdBytes / 2048;
// The sectors a track of that many frames takes: whole sectors, 4 seconds at least.
long long TrackSectors(long long frames);
// The sectors the tracks take on the disc, the pregaps between them included.
long long DiscSectors(const std::vector<long long>& trackFrames);
void Run(BurnJob& job, const AudioBurnRequest& request, const AudioBurnEvents& events);
}  // namespace AudioDiscWriter
