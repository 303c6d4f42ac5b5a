#include "platform/audio/cWave.h"

#include <SDL.h>

#include <QFileInfo>
#include <atomic>
#include <cmath>
#include <mutex>

#include "backend/audio/OutputFile.h"
#include "backend/audio/SdlPlayback.h"
#include "backend/audio/TimeText.h"
#include "backend/audio/WavFile.h"

namespace {
bool samePath(const QString& a, const QString& b) {
  if (a.isEmpty() || b.isEmpty()) return false;
  return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

const char* deviceName(long position, int capture) {
  return position >= 0 ? SDL_GetAudioDeviceName(int(position), capture) : nullptr;
}
}  // namespace

// A running recording: SDL's capture thread hands each buffer to Take, which
// writes it to the file (checked) and keeps the peak for the meter.
struct cWave::Recording {
  QString path;
  WAVEFORMATEX format;
  OutputFile file;
  SDL_AudioDeviceID device = 0;
  std::mutex lock;
  uint32_t dataBytes = 0;
  bool failed = false;
  std::atomic<bool> paused{false};
  std::atomic<int> peak{0};  // 0 to 32768

  static void Callback(void* self, Uint8* data, int length) { static_cast<Recording*>(self)->Take(data, length); }
  void Take(const Uint8* data, int length) {
    if (paused) return;
    int top = 0;
    if (format.wBitsPerSample == 8) {
      for (int i = 0; i < length; ++i) top = std::max(top, std::abs((int(data[i]) - 128) << 8));
    } else {
      for (int i = 0; i + 1 < length; i += 2) top = std::max(top, std::abs(int(int16_t(data[i] | (data[i + 1] << 8)))));
    }
    peak = std::max(peak.load(), top);
    std::lock_guard<std::mutex> guard(lock);
    QString error;
    // A WAV file holds at most 4 GB of samples; beyond that the take is dropped.
    if (failed || uint64_t(dataBytes) + uint64_t(length) > 0xFFFFFFF0u) return;
    if (!file.Write(data, size_t(length), &error)) {
      failed = true;
      return;
    }
    dataBytes += uint32_t(length);
  }
};

struct cWave::Playing {
  QString path;
  SdlPlayback sdl;
  double seconds = 0;
  bool ended = false;
};

cWave::cWave(QObject* parent) : QObject(parent) {
  meter_.setInterval(100);
  connect(&meter_, &QTimer::timeout, this, &cWave::MeterTick);
}

cWave::~cWave() { CloseWave(); }

long cWave::GetDeviceCount(long kind) {
  QString error;
  if (!SdlAudioInit(&error)) return 0;
  return std::max(SDL_GetNumAudioDevices(kind == WAVE_DEVICES_IN ? 1 : 0), 0);
}

void cWave::GetDeviceCaps(long& position, WaveDeviceRecord& record, long kind) {
  const int capture = kind == WAVE_DEVICES_IN ? 1 : 0;
  const char* name = deviceName(position, capture);
  if (!name) return;
  record.name = QString::fromUtf8(name);
  record.driver = QString::fromUtf8(SDL_GetCurrentAudioDriver());
  record.reserved = 0;
  SDL_AudioSpec spec{};
  record.channels = SDL_GetAudioDeviceSpec(int(position), capture, &spec) == 0 ? spec.channels : 2;
}

long cWave::RecordStart(long& device, const QString& path, WAVEFORMATEX& format, int16_t bufferFrames) {
  if (recording_) return 5;
  const int bits = format.wBitsPerSample, channels = format.nChannels;
  if (format.wFormatTag != 1 || (bits != 8 && bits != 16) || channels < 1 || channels > 2 ||
      format.nSamplesPerSec <= 0)
    return 1;
  if (playing_ && samePath(playing_->path, path)) return 4;
  QString error;
  if (!SdlAudioInit(&error)) return 2;
  auto rec = std::make_unique<Recording>();
  rec->path = path;
  rec->format = format;
  SDL_AudioSpec want{}, have{};
  want.freq = format.nSamplesPerSec;
  want.format = bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  want.channels = Uint8(channels);
  want.samples = Uint16(bufferFrames > 0 ? bufferFrames : 1024);
  want.callback = &Recording::Callback;
  want.userdata = rec.get();
  // No changes allowed: SDL converts whatever the device delivers into the
  // format asked for, so the file holds exactly that format. The device
  // opens paused and before the file, so a device that fails leaves an
  // existing file as it was.
  const char* name = deviceName(device, 1);
  if (device >= 0 && !name) return 2;
  rec->device = SDL_OpenAudioDevice(name, 1, &want, &have, 0);
  if (!rec->device) return 2;
  const QByteArray header = WavFile::Header(channels, format.nSamplesPerSec, bits, 0);
  if (!rec->file.Open(path, &error) || !rec->file.Write(header.constData(), size_t(header.size()), &error)) {
    SDL_CloseAudioDevice(rec->device);
    return 3;
  }
  recording_ = std::move(rec);
  SDL_PauseAudioDevice(recording_->device, 0);
  if (meterOn_) meter_.start();
  return 0;
}

void cWave::RecordStop() {
  if (!recording_) return;
  meter_.stop();
  std::unique_ptr<Recording> rec = std::move(recording_);
  SDL_CloseAudioDevice(rec->device);  // waits for the capture thread
  const uint32_t riff = 36 + rec->dataBytes;
  QString error;
  if (!rec->file.WriteAt(WavFile::kRiffSizeOffset, &riff, 4, &error) ||
      !rec->file.WriteAt(WavFile::kDataSizeOffset, &rec->dataBytes, 4, &error) || !rec->file.Close(&error))
    rec->file.Cancel();
  const int generation = generation_;
  QMetaObject::invokeMethod(this, [this, generation] {
    if (generation == generation_) emit RecordDone();
  }, Qt::QueuedConnection);
}

void cWave::RecordPause() {
  if (recording_) recording_->paused = true;
}
void cWave::RecordUnPause() {
  if (recording_) recording_->paused = false;
}
bool cWave::IsRecordPaused() const { return recording_ && recording_->paused; }
bool cWave::IsRecording() const { return recording_ != nullptr; }

void cWave::MeterTick() {
  if (!recording_ || !meterOn_) return;
  const int peak = recording_->peak.exchange(0);
  const int level = peak > 0 ? int(std::lround(20 * std::log10(peak / 32768.0))) + 120 : 0;
  emit MeterLevel(std::clamp(level, 0, 120));
}

QString cWave::SecondsToText(long seconds) const { return HoursMinutesSeconds(seconds); }

long cWave::GetWaveInfo(const QString& path, WaveInfoRecord& info) {
  WavLayout l;
  QString error;
  if (!WavFile::ReadLayout(path, &l, &error)) return 1;
  info.format.wFormatTag = int16_t(l.formatTag);
  info.format.nChannels = int16_t(l.channels);
  info.format.nSamplesPerSec = l.sampleRate;
  info.format.nAvgBytesPerSec = l.sampleRate * l.blockAlign;
  info.format.nBlockAlign = int16_t(l.blockAlign);
  info.format.wBitsPerSample = int16_t(l.bits);
  info.format.cbSize = 0;
  info.name = QFileInfo(path).fileName();
  info.path = QFileInfo(path).absolutePath();
  info.seconds = long(l.Frames() / l.sampleRate);
  return 0;
}

long cWave::PlayStart(const QString& path, int16_t device, int16_t) {
  if (recording_ && samePath(recording_->path, path)) return 4;
  WavLayout l;
  QString error;
  if (!WavFile::ReadLayout(path, &l, &error)) return 1;
  PlayStop();
  if (!SdlAudioInit(&error)) return 2;
  // The output device of the recording device's name, else the default one.
  long output = -1;
  if (const char* name = deviceName(device, 1)) {
    for (int i = 0; i < SDL_GetNumAudioDevices(0); ++i)
      if (QString::fromUtf8(SDL_GetAudioDeviceName(i, 0)) == QString::fromUtf8(name)) output = i;
  }
  auto play = std::make_unique<Playing>();
  play->path = path;
  play->seconds = double(l.Frames()) / l.sampleRate;
  Playing* raw = play.get();
  const int generation = ++generation_;
  auto onEnd = [this, generation, raw] {
    QMetaObject::invokeMethod(this, [this, generation, raw] {
      if (generation != generation_ || playing_.get() != raw) return;
      raw->ended = true;
      emit PlayDone();
    }, Qt::QueuedConnection);
  };
  const SdlPlayback::OpenResult opened = play->sdl.Open(path, output, onEnd, &error);
  if (opened != SdlPlayback::Opened) return opened == SdlPlayback::FileFailed ? 1 : 2;
  playing_ = std::move(play);
  return 0;
}

bool cWave::IsPlaying() const { return playing_ && !playing_->ended; }

long cWave::GetPlayPosition() const {
  if (!playing_) return 0;
  if (playing_->ended || playing_->seconds <= 0) return 100;
  return std::clamp(long(playing_->sdl.Position() * 100 / playing_->seconds), 0L, 100L);
}

long cWave::GetPlayPositionSeconds() const {
  if (!playing_) return 0;
  return playing_->ended ? long(playing_->seconds) : long(playing_->sdl.Position());
}

long cWave::PlayStop() {
  ++generation_;
  playing_.reset();
  return 0;
}

void cWave::PlayPause() {
  if (playing_) playing_->sdl.SetPaused(true);
}
void cWave::PlayUnPause() {
  if (playing_) playing_->sdl.SetPaused(false);
}

void cWave::CloseWave() {
  RecordStop();
  PlayStop();
  ++generation_;  // drops the RecordDone just queued
}
