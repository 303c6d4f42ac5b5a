// The speech control: speaks a text with a chosen voice, rate and volume on
// an audio output, reporting each word as it is heard, and renders a text
// into a PCM WAV file in one of its audio formats. The text is plain: angle
// brackets are read out, never taken as markup.
#pragma once
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class cParlo : public QObject {
  Q_OBJECT
 public:
  explicit cParlo(QObject* parent = nullptr);
  ~cParlo() override;

  // Names are numbered from 1; the index properties count from 0.
  long GetVoiceCount();
  QString GetVoiceName(long& index);
  long GetAudioOutputCount();
  QString GetAudioOutputName(long& index);

  // Raises FormatFound for every audio format before it returns.
  void InitSpeech();
  bool IsSpeaking() const;

  long AudioOutputIndex() const { return outputIndex_; }
  void SetAudioOutputIndex(long index) { outputIndex_ = index; }
  long VoiceIndex() const { return voiceIndex_; }
  void SetVoiceIndex(long index) { voiceIndex_ = index; }
  long Rate() const { return rate_; }  // -10 to 10
  void SetRate(long rate) { rate_ = rate; }
  long Volume() const { return volume_; }  // 0 to 100
  void SetVolume(long volume) { volume_ = volume; }
  long SpeakFlags() const { return flags_; }
  void SetSpeakFlags(long flags) { flags_ = flags; }
  long AudioFormatId() const { return formatId_; }
  void SetAudioFormatId(long id) { formatId_ = id; }

  // Starts speaking (ending any speech under way) and returns at once.
  void Speak(const QString& text);
  void StopSpeaking();
  // Renders the text into a WAV file in the chosen format; returns when the
  // file is complete. 0 on success; 1: the speech engine is unavailable;
  // 2: the text gave no sound; 3: the file cannot be written.
  long SpeakToFile(const QString& text, QString& path);
  void CloseSpeech();

 signals:
  void Notify(long a, long b);
  void SpeakDone();
  // start counts UTF-16 characters from 0.
  void WordBoundary(long start, long length);
  void FormatFound(const QString& name, long id);

 private:
  struct Speech;
  void Poll();
  long outputIndex_ = 0;
  long voiceIndex_ = 0;
  long rate_ = 0;
  long volume_ = 100;
  long flags_ = 0;
  long formatId_ = 22;
  std::unique_ptr<Speech> speech_;
  QTimer poll_;
};
