#include "platform/audio/cPlayer.h"

#include <QPointer>
#include <cmath>

#include "backend/audio/AudioDecoder.h"
#include "backend/audio/SdlPlayback.h"
#include "backend/audio/TimeText.h"
#include "platform/Services.h"

namespace {
enum PlayerError : long { PlayErrFile = 1, PlayErrDevice = 2 };
}

struct cPlayer::Playback : SdlPlayback {};

cPlayer::cPlayer(QObject* parent) : QObject(parent) {}

cPlayer::~cPlayer() { StopPlay(); }

long cPlayer::OpenFile(const QString& path) {
  AudioDecoder decoder;
  QString error;
  if (!decoder.Open(path, &error)) {
    lastError_ = error;
    return PlayErrFile;
  }
  TakeDetails(decoder.Info());
  return 0;
}

void cPlayer::TakeDetails(const AudioInfo& info) {
  duration_ = info.durationMs / 1000.0;
  sampleRate_ = info.sampleRate;
  bitrate_ = info.bitrateKbps;
  channels_ = info.channels;
}

void cPlayer::OpenCdAudio(double seconds) {
  constexpr PcmFormat kCdAudio{44100, 2, 16};
  TakePcmDetails(seconds, kCdAudio.sampleRate, kCdAudio.channels);
}

// PCM as it is played: 16-bit samples.
void cPlayer::TakePcmDetails(double seconds, long rate, long channels) {
  duration_ = seconds;
  sampleRate_ = rate;
  channels_ = channels;
  bitrate_ = rate * channels * 16 / 1000;
}

long cPlayer::Play(const QString& path, long device) {
  StopPlay();
  if (const long code = OpenFile(path); code != 0) return code;
  return startPlayback([path](double start) { return MakeFileSource(path, start, -1); }, device);
}

long cPlayer::PlaySource(std::function<std::unique_ptr<PcmSource>(double start)> make, double seconds, long device) {
  StopPlay();
  if (const long code = startPlayback(std::move(make), device); code != 0) return code;
  TakePcmDetails(seconds, playback_->Rate(), playback_->Channels());
  return 0;
}

long cPlayer::startPlayback(std::function<std::unique_ptr<PcmSource>(double start)> make, long device) {
  auto playback = std::make_unique<Playback>();
  const int generation = generation_;
  QPointer<cPlayer> self(this);
  auto onEnd = [self, generation] {
    QMetaObject::invokeMethod(
        self.data(), [self, generation] { if (self) self->OnNaturalEnd(generation); }, Qt::QueuedConnection);
  };
  QString error;
  const SdlPlayback::OpenResult opened = playback->Open(std::move(make), device, onEnd, &error);
  if (opened != SdlPlayback::Opened) {
    lastError_ = error;
    return opened == SdlPlayback::DeviceFailed ? PlayErrDevice : PlayErrFile;
  }
  playback_ = std::move(playback);
  return 0;
}

void cPlayer::OnNaturalEnd(int generation) {
  if (generation != generation_ || !playback_) return;
  StopPlay();
  emit PlayEnd();
}

void cPlayer::PausePlay() {
  if (playback_) playback_->SetPaused(true);
}

void cPlayer::ResumePlay() {
  if (playback_) playback_->SetPaused(false);
}

void cPlayer::StopPlay() {
  ++generation_;
  playback_.reset();
}

void cPlayer::Seek(long seconds) {
  if (playback_) playback_->Seek(double(seconds));
}

long cPlayer::GetPosition() const { return playback_ ? long(playback_->Position()) : 0; }

bool cPlayer::IsPlaying() const { return playback_ != nullptr; }

bool cPlayer::IsPaused() const { return playback_ && playback_->Paused(); }

long cPlayer::Level() const { return playback_ ? playback_->Level() : 0; }

QString cPlayer::SecondsToText(long seconds) const { return HoursMinutesSeconds(seconds); }

void cPlayer::ClosePlayer() { StopPlay(); }

long cPlayer::ReportError(long code) {
  if (code == 0) return 0;
  MsgBox(lastError_.isEmpty() ? QString("The file cannot be played (%1).").arg(code) : lastError_, vbExclamation);
  return 0;
}
