// The audio-CD writer: a queue of audio files of any format, decoded to CD
// audio and written as one track each. Writers are the CD writers of the drive
// table and its BIN/CUE image drives (a ".cue" image is written as that CUE and
// a BIN beside it). Drive letters are one-character texts ("E").
#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class cAudioBurner : public QObject {
  Q_OBJECT
 public:
  explicit cAudioBurner(QObject* parent = nullptr);
  ~cAudioBurner() override;

  long GetDriveCount();
  // index from 1: "E: " and the writer's model or image path.
  QString GetDriveName(long index);
  // The number of write speeds of that writer; GetSpeed then reads them.
  long GetSpeedCount(const QString& letter);
  // index from 1: a speed in KB/s (1x = 176).
  long GetSpeed(long index) const;
  // The used size of the disc in MB (0 for a blank disc).
  long GetDiscSize(const QString& letter);
  // The room on the disc in data bytes (2048 per sector).
  long GetDiscCapacity(const QString& letter);
  // "" when the disc can be written, else why not.
  QString GetDiscState(const QString& letter);
  // The folder of the writer's disc for a file manager ("" when none).
  QString GetDriveRoot(const QString& letter);
  void OpenTray(const QString& letter);
  void CloseTray(const QString& letter);

  // True when the file decodes as audio; it is queued as the next track,
  // whole or the range in seconds (negative start: from the beginning;
  // negative length: to the end).
  bool AddTrack(const QString& path, double start = -1, double length = -1);
  int GetTrackCount() const { return int(queue_.size()); }
  // The length of the disc that tracks of these lengths make, as it is
  // written: each track in whole sectors and at least 4 seconds long, with
  // the 2-second pregaps between tracks.
  static double DiscSeconds(const std::vector<long>& trackSeconds);
  // True: disc at once (no gaps beyond the 2-second pregaps, disc closed);
  // False: track at once.
  bool WriteOption() const { return writeOption_; }
  void SetWriteOption(bool v) { writeOption_ = v; }
  // Writes the queued tracks (a copy of the queue) at speed KB/s, 65535 the
  // highest; returns at once. Every write ends with exactly one of Finished
  // or Error, also when it cannot start.
  void Burn(const QString& letter, long speed);
  // Empties the queue; a running write keeps its own copy.
  void ResetBurner();
  // Stops a running write and returns when the writer is idle; the write then
  // ends with Error.
  void AbortBurn();
  // Stops a running write without further events and releases the writer.
  void CloseBurner();

 signals:
  // percent within the track, track numbered from 1.
  void TrackProgress(int percent, int track);
  // percent of the whole write.
  void Progress(int percent, int unused);
  void ClosingSession();
  void ClosingTrack(int track);
  void CachingTrack();
  void WritingTrack();
  void Finished();
  void Error(long code, const QString& text);

 private:
  struct Job;
  struct Track {
    QString path;
    double start;
    double length;
  };
  std::vector<Track> queue_;
  bool writeOption_ = false;
  std::vector<long> speeds_;
  std::unique_ptr<Job> job_;
};
