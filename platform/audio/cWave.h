// The recorder control: records from an input device into a PCM WAV file and
// plays a WAV file on an output device, with a level meter for the input.
// Devices are numbered from 0 in a stable order; -1 is the default device.
// Events arrive on the UI thread after the call that caused them returned.
#pragma once
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

// The sample format of a recording, laid out as the window fills it.
struct WAVEFORMATEX {
  int16_t wFormatTag = 1;
  int16_t nChannels = 0;
  int32_t nSamplesPerSec = 0;
  int32_t nAvgBytesPerSec = 0;
  int16_t nBlockAlign = 0;
  int16_t wBitsPerSample = 0;
  int16_t cbSize = 0;
};

// A device: its name, the sound system's name, and two numbers (the third
// field is 0, the fourth the device's most channels).
struct WaveDeviceRecord {
  QString name;
  QString driver;
  long reserved = 0;
  long channels = 0;
};

// What GetWaveInfo reads from a file's header.
struct WaveInfoRecord {
  WAVEFORMATEX format;
  QString name;
  QString path;
  long seconds = 0;
};

// Device lists: the kind 2 lists the devices that can record.
constexpr long WAVE_DEVICES_IN = 2;

class cWave : public QObject {
  Q_OBJECT
 public:
  explicit cWave(QObject* parent = nullptr);
  ~cWave() override;

  long GetDeviceCount(long kind);
  void GetDeviceCaps(long& position, WaveDeviceRecord& record, long kind);

  // MeterLevel about ten times a second while recording, when on.
  void MeterIn(bool on) { meterOn_ = on; }
  void PreScreenClose() {}
  // 0 when recording into the file (replaced) has started. 1: the format is
  // not 8- or 16-bit PCM of one or two channels; 2: the device cannot record
  // in it; 3: the file cannot be written; 4: the file is being played;
  // 5: a recording is running.
  long RecordStart(long& device, const QString& path, WAVEFORMATEX& format, int16_t bufferFrames);
  // The reason the last RecordStart or PlayStart refused, for the user.
  QString LastError() const { return lastError_; }
  // Ends the recording with its header final before it returns; RecordDone
  // follows. The file is kept whatever failed; Error comes first when its
  // header could not be made final.
  void RecordStop();
  void RecordPause();
  void RecordUnPause();
  bool IsRecordPaused() const;
  bool IsRecording() const;

  QString SecondsToText(long seconds) const;  // "H:MM:SS"
  // 0 when the file's header was read into the record.
  long GetWaveInfo(const QString& path, WaveInfoRecord& info);

  // 0 when playback started on the output device of the recording device's
  // name (else the default one). 1: no such file or not a WAV; 2: no output
  // device; 4: the file is being recorded.
  long PlayStart(const QString& path, int16_t device, int16_t bufferFrames);
  bool IsPlaying() const;
  long GetPlayPosition() const;  // 0 to 100; 100 after the end
  long GetPlayPositionSeconds() const;
  long PlayStop();
  void PlayPause();
  void PlayUnPause();

  // Stops everything; no event follows.
  void CloseWave();

 signals:
  void RecordDone();
  // A recording that cannot go on (a full disk): it has ended with what was
  // written, and RecordDone follows.
  void Error(long code, const QString& text);
  void MeterLevel(int level);  // 0 to 120: the peak in dB above -120 dBFS
  void PlayDone();

 private:
  struct Recording;
  struct Playing;
  void MeterTick();
  long Refuse(long code, const QString& why);
  void RecordFailed(int serial);
  std::unique_ptr<Recording> recording_;
  std::unique_ptr<Playing> playing_;
  QTimer meter_;
  bool meterOn_ = false;
  int generation_ = 0;
  int recordings_ = 0;
  int closes_ = 0;
  QString lastError_;
};
