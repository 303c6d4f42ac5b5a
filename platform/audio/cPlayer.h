// The preview player: opens a file for its details, plays it on an output
// device (-1 the default), pauses, resumes, stops, seeks and reports position
// and level. PlayEnd is raised only when playback reaches the end by itself;
// IsPlaying already reads false then.
#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

struct AudioInfo;
class PcmSource;

class cPlayer : public QObject {
  Q_OBJECT
 public:
  explicit cPlayer(QObject* parent = nullptr);
  ~cPlayer() override;

  // Opens a file for its details only (a playing preview is not disturbed);
  // 0 when opened.
  long OpenFile(const QString& path);
  double Duration() const { return duration_; }  // seconds
  long SampleRate() const { return sampleRate_; }
  long Bitrate() const { return bitrate_; }  // kbps
  long Channels() const { return channels_; }
  // Takes the details of a CD audio track of that length, as OpenFile does a
  // file's, without reading the drive: every audio track holds 44100 Hz
  // 16-bit stereo.
  void OpenCdAudio(double seconds);

  // 0 when playback started, else an error code for ReportError.
  long Play(const QString& path, long device);
  // Plays what the maker gives from a start in seconds (a CD track); it is
  // asked again at each seek. seconds is the length shown.
  long PlaySource(std::function<std::unique_ptr<PcmSource>(double start)> make, double seconds, long device);
  void PausePlay();
  void ResumePlay();
  void StopPlay();
  void Seek(long seconds);
  long GetPosition() const;  // whole seconds
  bool IsPlaying() const;
  bool IsPaused() const;
  // Peak level at the playing position, 0 to 100.
  long Level() const;
  QString SecondsToText(long seconds) const;  // "H:MM:SS"
  void ClosePlayer();
  // Tells the user why playback could not start.
  long ReportError(long code);

 signals:
  void PlayEnd();

 private:
  struct Playback;
  void OnNaturalEnd(int generation);
  long startPlayback(std::function<std::unique_ptr<PcmSource>(double start)> make, long device);
  void TakeDetails(const AudioInfo& info);
  void TakePcmDetails(double seconds, long rate, long channels);
  double duration_ = 0;
  long sampleRate_ = 0;
  long bitrate_ = 0;
  long channels_ = 0;
  QString lastError_;
  int generation_ = 0;
  std::unique_ptr<Playback> playback_;
};
