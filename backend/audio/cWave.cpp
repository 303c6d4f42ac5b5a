#include "platform/audio/cWave.h"

#include <SDL.h>

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <functional>
#include <mutex>

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
// writes it to the file and keeps the peak for the meter. The file is
// unbuffered, so a write's count is what reached it: a full disk shows at
// once, and the header can always state exactly what the file holds.
struct cWave::Recording {
  QString path;
  WAVEFORMATEX format;
  int serial = 0;
  QFile file;
  SDL_AudioDeviceID device = 0;
  std::mutex lock;
  uint32_t dataBytes = 0;    // written
  uint32_t statedBytes = 0;  // as the header states them
  QString error;             // the first failure; nothing is written after it
  std::function<void()> failed;  // called once, on the capture thread, with the lock held
  std::atomic<bool> paused{false};
  std::atomic<int> peak{0};  // 0 to 32768

  int BlockAlign() const { return format.nChannels * format.wBitsPerSample / 8; }
  uint32_t WholeFrameBytes() const { return dataBytes / uint32_t(BlockAlign()) * uint32_t(BlockAlign()); }
  QString WriteError(const QString& why) const { return "Cannot write " + path + " (" + why + ")."; }

  static void Callback(void* self, Uint8* data, int length) { static_cast<Recording*>(self)->Take(data, length); }
  void Take(const Uint8* data, int length) {
    if (paused) return;
    peak = std::max(peak.load(), Peak(data, length));
    std::lock_guard<std::mutex> guard(lock);
    // A WAV file holds at most 4 GB of samples; beyond that the take is dropped.
    if (!error.isEmpty() || uint64_t(dataBytes) + uint64_t(length) > 0xFFFFFFF0u) return;
    const qint64 written = file.write(reinterpret_cast<const char*>(data), length);
    dataBytes += uint32_t(std::max<qint64>(written, 0));
    // A full disk takes part of a buffer and then refuses: errno says why.
    if (written != length) return Fail(WriteError(QString::fromLocal8Bit(strerror(errno))));
    // About once a second the header catches up, so a take cut short by a
    // crash or a kill keeps what was recorded.
    const uint32_t second = uint32_t(format.nSamplesPerSec) * uint32_t(BlockAlign());
    if (dataBytes - statedBytes < second) return;
    if (!WavFile::WriteSizes(file, WholeFrameBytes())) return Fail(WriteError(file.errorString()));
    statedBytes = WholeFrameBytes();
  }
  int Peak(const Uint8* data, int length) const {
    int top = 0;
    if (format.wBitsPerSample == 8) {
      for (int i = 0; i < length; ++i) top = std::max(top, std::abs((int(data[i]) - 128) << 8));
    } else {
      for (int i = 0; i + 1 < length; i += 2) top = std::max(top, std::abs(int(int16_t(data[i] | (data[i + 1] << 8)))));
    }
    return top;
  }
  void Fail(const QString& why) {
    error = why;
    failed();
  }
  // Closes the file with its header stating every whole frame written; the
  // reason when that failed.
  QString Finish() {
    const bool stated = WavFile::WriteSizes(file, WholeFrameBytes());
    const QString why = stated ? QString() : WriteError(file.errorString());
    file.close();
    if (!why.isEmpty()) return why;
    return file.error() == QFileDevice::NoError ? QString() : WriteError(file.errorString());
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
  if (recording_) return Refuse(5, "A recording is already running.");
  const int bits = format.wBitsPerSample, channels = format.nChannels;
  if (format.wFormatTag != 1 || (bits != 8 && bits != 16) || channels < 1 || channels > 2 ||
      format.nSamplesPerSec <= 0)
    return Refuse(1, "Only 8- and 16-bit PCM of one or two channels can be recorded.");
  if (playing_ && samePath(playing_->path, path)) return Refuse(4, "The file " + path + " is being played.");
  QString error;
  if (!SdlAudioInit(&error)) return Refuse(2, error);
  auto rec = std::make_unique<Recording>();
  rec->path = path;
  rec->format = format;
  rec->serial = ++recordings_;
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
  if (device >= 0 && !name) return Refuse(2, QString("There is no audio input device %1.").arg(device));
  rec->device = SDL_OpenAudioDevice(name, 1, &want, &have, 0);
  if (!rec->device) return Refuse(2, QString("No audio input device can be opened (%1).").arg(SDL_GetError()));
  const QByteArray header = WavFile::Header(channels, format.nSamplesPerSec, bits, 0);
  rec->file.setFileName(path);
  if (!rec->file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) ||
      rec->file.write(header) != header.size()) {
    error = rec->WriteError(rec->file.errorString());
    SDL_CloseAudioDevice(rec->device);
    if (rec->file.isOpen()) rec->file.remove();
    return Refuse(3, error);
  }
  const int serial = rec->serial;
  rec->failed = [this, serial] {
    QMetaObject::invokeMethod(this, [this, serial] { RecordFailed(serial); }, Qt::QueuedConnection);
  };
  recording_ = std::move(rec);
  SDL_PauseAudioDevice(recording_->device, 0);
  if (meterOn_) meter_.start();
  return 0;
}

long cWave::Refuse(long code, const QString& why) {
  lastError_ = why;
  return code;
}

void cWave::RecordFailed(int serial) {
  if (!recording_ || recording_->serial != serial) return;
  QString why;
  {
    std::lock_guard<std::mutex> guard(recording_->lock);
    why = recording_->error;
  }
  // The take ends with what was written before the failure.
  RecordStop();
  emit Error(3, why);
}

void cWave::RecordStop() {
  if (!recording_) return;
  meter_.stop();
  std::unique_ptr<Recording> rec = std::move(recording_);
  SDL_CloseAudioDevice(rec->device);  // waits for the capture thread
  // The file is kept whatever failed: it holds the take up to the failure.
  const QString why = rec->Finish();
  const bool reported = !rec->error.isEmpty();
  // Playback's own stops leave this event alone; only CloseWave drops it.
  const int closes = closes_;
  QMetaObject::invokeMethod(this, [this, closes, why, reported] {
    if (closes != closes_) return;
    if (!why.isEmpty() && !reported) emit Error(3, why);
    emit RecordDone();
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
  if (recording_ && samePath(recording_->path, path)) return Refuse(4, "The file " + path + " is being recorded.");
  WavLayout l;
  QString error;
  if (!WavFile::ReadLayout(path, &l, &error)) return Refuse(1, "The file " + path + " cannot be played: " + error);
  PlayStop();
  if (!SdlAudioInit(&error)) return Refuse(2, error);
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
  if (opened != SdlPlayback::Opened) return Refuse(opened == SdlPlayback::FileFailed ? 1 : 2, error);
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
  ++closes_;  // drops the RecordDone just queued
}
