#include "backend/audio/AudioJobRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "backend/audio/AudioSink.h"
#include "backend/audio/WorkAhead.h"
#include "platform/FileIdentity.h"
#include "platform/audio/cAudioJobControl.h"

namespace {
constexpr long kAborted = AudioJobOutcome::kAborted;
using Outcome = AudioJobOutcome;
constexpr int kAbortGraceMs = 250;

// Encoder libraries fill shared tables when their first encoder is set up.
std::mutex encoderSetUp;
}  // namespace

// What a job's thread shares with the runner: the context events go to,
// cleared when the runner goes, and whether the job was left to end alone.
struct AudioJobRunner::Link {
  std::mutex mutex;
  QObject* context;
};

struct AudioJobRunner::Run {
  AudioJobTurn turn;
  bool aborting = false;
  bool left = false;   // no one takes its file
  bool ended = false;  // its thread has posted the ending
  std::atomic<bool> again{false};  // the turn ran again: its own set-up is the job
  AheadJob& Job() const { return again ? *turn.again : *turn.job; }
  void Stop() {
    turn.job->abort = true;
    if (turn.again) turn.again->abort = true;
  }
};

AudioJobRunner::AudioJobRunner(QObject* context) : link_(std::make_shared<Link>()) { link_->context = context; }

AudioJobRunner::~AudioJobRunner() {
  Close();
  std::lock_guard lock(link_->mutex);
  link_->context = nullptr;
}

bool AudioJobRunner::Leave() {
  if (!current_) return false;
  current_->Stop();
  std::lock_guard lock(link_->mutex);
  current_->left = true;
  // A job that completed but whose ending was not delivered leaves its temporary file.
  if (current_->ended) current_->Job().temp.Remove();
  return true;
}

void AudioJobRunner::Close() {
  Leave();
  current_.reset();
}

// The job usually ends at its next look at the flag, its file removed, and
// ends as aborted then; one stuck in a read is left to end on its own.
void AudioJobRunner::Abort() {
  if (!current_ || current_->aborting) return;
  current_->aborting = true;
  current_->Stop();
  QTimer::singleShot(kAbortGraceMs, link_->context, [this, run = current_] {
    if (run != current_) return;
    Leave();
    current_.reset();
    const AudioJobEvents events = events_;
    events.aborted();
  });
}

void AudioJobRunner::Start(PcmSources sources, AudioJobSettings settings, AudioJobEvents events) {
  auto job = std::make_shared<AheadJob>();
  job->settings = std::move(settings);
  job->temp = HiddenTemp(job->settings.outputFile);
  auto held = std::make_shared<PcmSources>(std::move(sources));
  job->sources = [held](const std::atomic<bool>&) { return std::move(*held); };
  Adopt({std::move(job), true, nullptr, nullptr}, std::move(events));
}

void AudioJobRunner::Adopt(AudioJobTurn turn, AudioJobEvents events) {
  Close();
  events_ = std::move(events);
  auto run = std::make_shared<Run>();
  run->turn = std::move(turn);
  current_ = run;
  StartDetached([this, link = link_, run] {
    // Events go out only while the runner and the run are there to take them.
    auto post = [&](std::function<void()> fn) {
      std::lock_guard lock(link->mutex);
      if (!run->left && link->context) QMetaObject::invokeMethod(link->context, std::move(fn), Qt::QueuedConnection);
    };
    auto relay = [&](int source, int percent) {
      post([this, run, source, percent] {
        if (run == current_) events_.progress(source, percent);
      });
    };
    Work(run, relay);
    AheadJob& job = run->Job();
    const Outcome outcome = job.Outcome();
    std::lock_guard lock(link->mutex);
    run->ended = true;
    if (run->left || !link->context) {
      job.temp.Remove();
      return;
    }
    QMetaObject::invokeMethod(link->context, [this, run, outcome] { End(run, outcome); }, Qt::QueuedConnection);
  });
}

// The turn's job; then, when the work ahead asks for it, the turn's own set-up
// once more, alone, with the work ahead held until it has ended.
void AudioJobRunner::Work(const std::shared_ptr<Run>& run, const std::function<void(int, int)>& relay) {
  AudioJobTurn& turn = run->turn;
  if (turn.claimed) turn.job->Run(relay);
  else turn.job->Follow(relay);
  if (!turn.again || !turn.ahead || !turn.ahead->RunsAgain(*turn.job, !turn.claimed)) return;
  turn.job->temp = {};  // its room on the disk is given back first
  turn.ahead->WaitIdle(turn.again->abort);
  run->again = true;
  turn.again->Run(relay);
  turn.ahead->Resume();
}

namespace {
// Whether the system's error number of a failure tells of want of what every
// job shares: room on the disk or open files.
bool ForWantOfShared(int errnum) {
  return errnum == ENOSPC || errnum == EDQUOT || errnum == EMFILE || errnum == ENFILE;
}
}  // namespace

AudioJobOutcome ConvertToTemp(PcmSources& sources, const AudioJobSettings& settings, const QString& tempPath,
                              const std::atomic<bool>& abort, const std::function<void(int, int)>& progress) {
  const QString& output = settings.outputFile;
  if (output.isEmpty()) return {AudioErrOutput, "No output file is given."};
  if (sources.empty()) return {AudioErrNothingToDo, "There is no file to convert."};
  for (const auto& s : sources)
    if (!s->File().isEmpty() && FileKey(s->File()) == FileKey(output))
      return {AudioErrSameFile, "The output file " + output + " is the source file " + s->File() + "."};
  QString error;
  if (!sources[0]->Open(&error)) return {AudioErrInput, error, ForWantOfShared(sources[0]->Errno())};
  std::unique_lock setUp(encoderSetUp);
  auto sink = MakeAudioSink(settings, sources[0]->NativeFormat(), &error);
  if (!sink) return {AudioErrEncoder, error};
  sink->SetAbortFlag(&abort);
  const QString folder = QFileInfo(output).absolutePath();
  if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
    return {AudioErrOutput, "Cannot write " + output + ": the folder cannot be written to."};
  auto fail = [&](long code, bool shortage = false) {
    sink->Cancel();
    // The sink names the file it writes; the user knows only the output's name.
    return Outcome{abort ? kAborted : code, QString(error).replace(tempPath, output), shortage && !abort};
  };
  const bool opened = sink->Open(tempPath, settings.tags, &error);
  setUp.unlock();
  auto sinkFailed = [&] { return fail(AudioErrOutput, ForWantOfShared(sink->Errno())); };
  if (!opened) return fail(AudioErrEncoder, ForWantOfShared(sink->Errno()));
  const PcmFormat format = sink->Format();
  for (size_t i = 0; i < sources.size(); ++i) {
    PcmSource& source = *sources[i];
    auto sourceFailed = [&] { return fail(AudioErrInput, ForWantOfShared(source.Errno())); };
    if (i > 0 && !source.Open(&error)) return sourceFailed();
    // What a source holds aside ahead of its turn is the work ahead's, not the row's.
    if (!source.Start(format, &error)) return source.FailedOnWrite() ? fail(AudioErrOutput, true) : sourceFailed();
    int shown = -1;
    for (;;) {
      if (abort) return fail(kAborted);
      const int frames = source.Read(&error);
      if (frames < 0) return sourceFailed();
      if (frames == 0) break;
      if (!sink->Write(source.Pcm(), frames, &error)) return sinkFailed();
      const int percent = int(source.Progress() * 100);
      if (percent != shown) {
        shown = percent;
        progress(int(i), percent);
      }
    }
    if (shown != 100) progress(int(i), 100);
    sources[i].reset();  // a long queue keeps one file open at a time
  }
  if (abort) return fail(kAborted);
  if (!sink->Finish(&error)) return sinkFailed();
  return {};
}

// On the UI thread: the complete temporary file replaces the output. The
// job's temporary file goes (and its lock with it) before any event, whatever
// the ending: a handler may start the next job.
void AudioJobRunner::End(const std::shared_ptr<Run>& run, const Outcome& outcome) {
  if (run != current_ || run->left) return;
  current_.reset();
  const AudioJobEvents events = events_;
  AheadJob& job = run->Job();
  HiddenTemp temp = std::move(job.temp);
  const QString tempPath = temp.Path(), output = job.settings.outputFile;
  if (outcome.code == kAborted || run->aborting) {
    temp = {};
    events.aborted();
    return;
  }
  if (outcome.code != 0) {
    temp = {};
    events.error(outcome.code, outcome.text);
    return;
  }
  if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(output).constData()) != 0) {
    const QString why = QString::fromLocal8Bit(strerror(errno));
    temp = {};
    events.error(AudioErrOutput, "Cannot write " + output + " (" + why + ").");
    return;
  }
  temp = {};
  events.done();
}
