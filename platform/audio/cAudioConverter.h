// The conversion control: probes a source (format, length, tags), converts one
// file or a range of it into the destination format on a worker thread, and
// lists the compressed-WAV ("ACM") and WMA codecs and formats it can write.
#pragma once
#include <QStringList>
#include <QTime>
#include <memory>

#include "platform/audio/cAudioJobControl.h"

// EnumAcmTags flag: only tags that can convert from the given source format.
constexpr long ACM_FORMATENUMF_CONVERT = 0x100000;

class cAudioConverter : public cAudioJobControl {
  Q_OBJECT
 public:
  explicit cAudioConverter(QObject* parent = nullptr);
  ~cAudioConverter() override;

  // Probing. OpenSource returns 0 when the file was opened as audio; the
  // properties below keep the values of the file opened last.
  long OpenSource(const QString& path);
  void CloseSource();
  long SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  long BitsPerSample() const { return bitsPerSample_; }
  long Duration() const { return durationMs_; }  // milliseconds
  // Reads the file's tags into the seven tag properties; 0 when it was read.
  long ReadSourceTags(const QString& path);
  QTime SecondsToTime(long seconds) const;
  // Starts probing these files on worker threads ahead of OpenSource calls
  // for them, made in the same order; OpenSource then takes a file's result,
  // the same as its own probe would give. An empty list ends the probing.
  void PrefetchSources(const QStringList& paths);

  // The next job: source, range (seconds, fractions cut at the nearest
  // sample; -1 for the whole file; a range applies to the next start only),
  // output.
  QString InputFile() const { return inputFile_; }
  void SetInputFile(const QString& path) { inputFile_ = path; }
  double RangeStart() const { return rangeStart_; }
  void SetRangeStart(double seconds) { rangeStart_ = seconds; }
  double RangeLength() const { return rangeLength_; }
  void SetRangeLength(double seconds) { rangeLength_ = seconds; }
  // Returns 0 at once when the job was started; its events follow. A job
  // queued ahead (PrepareAhead) that is the same in every setting is taken over.
  long StartConvert();
  void AbortConvert();
  // Stops a running job without further events and releases the source.
  void CloseConverter();

  // Compressed-WAV codec tags and formats; the events arrive before the return.
  void EnumAcmTags(long formatTag, long sampleRate, long channels, long bits, long flags);
  void EnumAcmFormats(const QString& tagName);
  long GetWmaCodecCount() const;
  QString GetWmaCodecName(long position) const;
  long GetWmaFormatCount(long codecPosition) const;
  QString GetWmaFormatName(long codecPosition, long position) const;

 signals:
  void Progress(long percent);
  void AcmTagFound(const QString& name);
  void AcmFormatFound(const QString& name);

 private:
  long sampleRate_ = 44100;
  int channels_ = 2;
  long bitsPerSample_ = 16;
  long durationMs_ = 0;
  QString inputFile_;
  double rangeStart_ = -1;
  double rangeLength_ = -1;
  long acmFilterRate_ = 0;  // set by a converting tag enumeration
  long acmFilterChannels_ = 0;
  // The last probe, which ReadSourceTags of the same unchanged file reuses,
  // and the files being probed ahead.
  struct Probes;
  std::unique_ptr<Probes> probes_;

 protected:
  std::shared_ptr<AheadJob> CurrentJob(bool ahead) const override;
  void UseUpRange() override { rangeStart_ = rangeLength_ = -1; }
};
