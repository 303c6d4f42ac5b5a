#include "platform/audio/cAudioJobControl.h"

#include "backend/audio/AudioJobRunner.h"
#include "backend/audio/AudioJobSettings.h"
#include "backend/audio/WorkAhead.h"

cAudioJobControl::cAudioJobControl(QObject* parent)
    : QObject(parent),
      settings_(std::make_unique<AudioJobSettings>()),
      runner_(std::make_unique<AudioJobRunner>(this)),
      ahead_(std::make_shared<WorkAheadPool>()) {}
cAudioJobControl::~cAudioJobControl() { CloseJob(); }

AudioJobEvents cAudioJobControl::Events(std::function<void(int, int)> progress) {
  AudioJobEvents events;
  events.progress = std::move(progress);
  events.done = [this] { emit Done(); };
  events.aborted = [this] { emit Aborted(); };
  events.error = [this](long code, const QString& text) { emit Error(code, text); };
  return events;
}

long cAudioJobControl::StartJob(std::vector<std::unique_ptr<PcmSource>> sources,
                                std::function<void(int, int)> progress) {
  if (runner_->Running()) return AudioErrBusy;
  runner_->Start(std::move(sources), *settings_, Events(std::move(progress)));
  return 0;
}

std::shared_ptr<AheadJob> cAudioJobControl::CurrentJob(bool) const { return nullptr; }

int cAudioJobControl::WorkAheadThreads() { return WorkAheadPool::Threads(); }
void cAudioJobControl::SetWorkAheadThreads(int count) { WorkAheadPool::SetThreads(count); }
bool cAudioJobControl::WaitForStoppedJobs(int ms) { return WaitForDetached(ms); }
bool cAudioJobControl::EndStoppedJobs(int ms) { return EndDetached(ms); }

bool cAudioJobControl::PrepareAhead() {
  auto job = WorkAheadPool::Threads() >= 2 ? CurrentJob(true) : nullptr;
  UseUpRange();
  if (!job) return false;
  job->temp = HiddenTemp(job->settings.outputFile);
  ahead_->Add(std::move(job));
  return true;
}

void cAudioJobControl::EndWorkAhead() { ahead_->Stop(); }

// A control that sets up no job of its own has no turn to start.
long cAudioJobControl::StartTurn(std::function<void(int, int)> progress) {
  if (runner_->Running()) return AudioErrBusy;
  auto turn = CurrentJob(false);
  UseUpRange();
  if (!turn) return AudioErrNothingToDo;
  turn->temp = HiddenTemp(turn->settings.outputFile);
  bool claimed = true;
  auto job = ahead_->Take(*turn, &claimed);
  auto again = turn->Again();
  runner_->Adopt({job ? std::move(job) : std::move(turn), claimed, std::move(again), ahead_}, Events(std::move(progress)));
  return 0;
}

void cAudioJobControl::AbortJob() {
  runner_->Abort();
  ahead_->Stop();
}

void cAudioJobControl::CloseJob() {
  runner_->Close();
  ahead_->Stop();
}

bool cAudioJobControl::JobRunning() const { return runner_->Running(); }

AudioJobSettings& cAudioJobControl::Settings() { return *settings_; }
const AudioJobSettings& cAudioJobControl::Settings() const { return *settings_; }

long cAudioJobControl::DestinationFormat() const { return settings_->destinationFormat; }
void cAudioJobControl::SetDestinationFormat(long format) { settings_->destinationFormat = format; }
void cAudioJobControl::SetWavFormat(const WavFormatRecord& record) { settings_->wav = record; }
void cAudioJobControl::SetAcmFormat(const QString& tagName, const QString& formatName) {
  settings_->acmTag = tagName;
  settings_->acmFormat = formatName;
}
void cAudioJobControl::SetMp3Format(const Mp3FormatRecord& record) { settings_->mp3 = record; }
void cAudioJobControl::SetWmaFormat(const WmaFormatRecord& record) { settings_->wma = record; }
void cAudioJobControl::SetOggFormat(const OggFormatRecord& record) { settings_->ogg = record; }
void cAudioJobControl::SetApeLevel(long level) { settings_->apeLevel = level; }

QString cAudioJobControl::TagAlbum() const { return settings_->tags.album; }
void cAudioJobControl::SetTagAlbum(const QString& v) { settings_->tags.album = v; }
QString cAudioJobControl::TagArtist() const { return settings_->tags.artist; }
void cAudioJobControl::SetTagArtist(const QString& v) { settings_->tags.artist = v; }
QString cAudioJobControl::TagComment() const { return settings_->tags.comment; }
void cAudioJobControl::SetTagComment(const QString& v) { settings_->tags.comment = v; }
QString cAudioJobControl::TagGenre() const { return settings_->tags.genre; }
void cAudioJobControl::SetTagGenre(const QString& v) { settings_->tags.genre = v; }
QString cAudioJobControl::TagTitle() const { return settings_->tags.title; }
void cAudioJobControl::SetTagTitle(const QString& v) { settings_->tags.title = v; }
QString cAudioJobControl::TagTrack() const { return settings_->tags.track; }
void cAudioJobControl::SetTagTrack(const QString& v) { settings_->tags.track = v; }
QString cAudioJobControl::TagYear() const { return settings_->tags.year; }
void cAudioJobControl::SetTagYear(const QString& v) { settings_->tags.year = v; }

QString cAudioJobControl::OutputFile() const { return settings_->outputFile; }
void cAudioJobControl::SetOutputFile(const QString& path) { settings_->outputFile = path; }
