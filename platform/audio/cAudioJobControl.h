// What the converter and the joiner share: the destination format and its
// settings, the seven tags written into the output, the output file and the
// job's ending events. A job ends with exactly one of Done, Aborted or Error,
// delivered on the UI thread after the start call has returned.
#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/audio/FormatRecords.h"

struct AudioJobSettings;
class PcmSource;
class AudioJobRunner;
class WorkAheadPool;
struct AheadJob;

// Error codes carried by the Error event.
enum AudioErrorCode : long {
  AudioErrInput = 1,        // the source cannot be read as audio
  AudioErrSameFile = 2,     // the output would overwrite a source
  AudioErrOutput = 3,       // the output cannot be written
  AudioErrEncoder = 4,      // the encoder refused the settings or failed
  AudioErrBusy = 5,         // a job is already running
  AudioErrNothingToDo = 6,  // no source given
};

class cAudioJobControl : public QObject {
  Q_OBJECT
 public:
  explicit cAudioJobControl(QObject* parent = nullptr);
  ~cAudioJobControl() override;

  // 1 WAV, 2 ACM WAV, 3 MP3, 4 WMA, 5 OGG, 6 APE.
  long DestinationFormat() const;
  void SetDestinationFormat(long format);
  void SetWavFormat(const WavFormatRecord& record);
  void SetAcmFormat(const QString& tagName, const QString& formatName);
  void SetMp3Format(const Mp3FormatRecord& record);
  void SetWmaFormat(const WmaFormatRecord& record);
  void SetOggFormat(const OggFormatRecord& record);
  // 0 (fast) to 4 (slow).
  void SetApeLevel(long level);

  QString TagAlbum() const;
  void SetTagAlbum(const QString& v);
  QString TagArtist() const;
  void SetTagArtist(const QString& v);
  QString TagComment() const;
  void SetTagComment(const QString& v);
  QString TagGenre() const;
  void SetTagGenre(const QString& v);
  QString TagTitle() const;
  void SetTagTitle(const QString& v);
  QString TagTrack() const;
  void SetTagTrack(const QString& v);
  QString TagYear() const;
  void SetTagYear(const QString& v);

  QString OutputFile() const;
  void SetOutputFile(const QString& path);

  // Work ahead: queues the job set up now (source, range, format, tags and
  // output), to be converted on a worker thread into a hidden temporary file
  // beside its output, with no events. Only the start of the same job at its
  // turn gives it its name; the ones passed over are dropped. The range set
  // is used up either way. Returns false when there is a single worker: runs
  // then stay one job at a time.
  bool PrepareAhead();
  // Stops every queued job; their temporary files go as they end.
  virtual void EndWorkAhead();
  // Workers for the jobs queued ahead: one per core unless a count is set
  // (tests and benches; 0 goes back to one per core).
  static int WorkAheadThreads();
  static void SetWorkAheadThreads(int count);
  // Waits up to ms for the jobs stopped by an abort or a close to end, their
  // temporary files removed; false when one still runs.
  static bool WaitForStoppedJobs(int ms);
  // At the program's exit: waits as WaitForStoppedJobs does; a job still
  // running then is stopped and its temporary file removed, and no job
  // starts after it.
  static bool EndStoppedJobs(int ms);

 signals:
  void Done();
  void Aborted();
  void Error(long code, const QString& text);

 protected:
  AudioJobSettings& Settings();
  const AudioJobSettings& Settings() const;
  // Starts a job over the sources with the current settings; 0 when started,
  // AudioErrBusy (and no event) while a job runs. progress gets the source's
  // position from 0 and its percent.
  long StartJob(std::vector<std::unique_ptr<PcmSource>> sources, std::function<void(int, int)> progress);
  // The job set up now, its sources made when it runs; ahead: it is queued
  // to be worked ahead (and may take its place in a read order now).
  virtual std::shared_ptr<AheadJob> CurrentJob(bool ahead) const;
  // The range set applies to one job only.
  virtual void UseUpRange() {}
  // Starts the job set up now at its turn: the job queued ahead for it when
  // it is the same in every setting, otherwise a new one. 0 when started,
  // AudioErrBusy (and no event) while a job runs, AudioErrNothingToDo when
  // no job is set up.
  long StartTurn(std::function<void(int, int)> progress);
  // Stops the running job and every queued one; Aborted follows.
  void AbortJob();
  // Stops a running job and every queued one without further events.
  void CloseJob();
  bool JobRunning() const;

 private:
  struct AudioJobEvents Events(std::function<void(int, int)> progress);

  std::unique_ptr<AudioJobSettings> settings_;
  std::unique_ptr<AudioJobRunner> runner_;
  std::shared_ptr<WorkAheadPool> ahead_;
};
