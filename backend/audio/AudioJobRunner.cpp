#include "backend/audio/AudioJobRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
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
  std::shared_ptr<AheadJob> job;
  bool aborting = false;
  bool left = false;   // no one takes its file
  bool ended = false;  // its thread has posted the ending
};

AudioJobRunner::AudioJobRunner(QObject* context) : link_(std::make_shared<Link>()) { link_->context = context; }

AudioJobRunner::~AudioJobRunner() {
  Close();
  std::lock_guard lock(link_->mutex);
  link_->context = nullptr;
}

bool AudioJobRunner::Leave() {
  if (!current_) return false;
  current_->job->abort = true;
  std::lock_guard lock(link_->mutex);
  current_->left = true;
  // A job that completed but whose ending was not delivered leaves its temporary file.
  if (current_->ended) current_->job->temp.Remove();
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
  current_->job->abort = true;
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
  Adopt(std::move(job), true, std::move(events));
}

void AudioJobRunner::Adopt(std::shared_ptr<AheadJob> job, bool claimed, AudioJobEvents events) {
  Close();
  events_ = std::move(events);
  auto run = std::make_shared<Run>();
  run->job = std::move(job);
  current_ = run;
  StartDetached([this, link = link_, run, claimed] {
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
    AheadJob& job = *run->job;
    if (claimed) job.Run(relay);
    else job.Follow(relay);
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

AudioJobOutcome ConvertToTemp(PcmSources& sources, const AudioJobSettings& settings, const QString& tempPath,
                              const std::atomic<bool>& abort, const std::function<void(int, int)>& progress) {
  const QString& output = settings.outputFile;
  if (output.isEmpty()) return {AudioErrOutput, "No output file is given."};
  if (sources.empty()) return {AudioErrNothingToDo, "There is no file to convert."};
  for (const auto& s : sources)
    if (!s->File().isEmpty() && FileKey(s->File()) == FileKey(output))
      return {AudioErrSameFile, "The output file " + output + " is the source file " + s->File() + "."};
  QString error;
  if (!sources[0]->Open(&error)) return {AudioErrInput, error};
  std::unique_lock setUp(encoderSetUp);
  auto sink = MakeAudioSink(settings, sources[0]->NativeFormat(), &error);
  if (!sink) return {AudioErrEncoder, error};
  sink->SetAbortFlag(&abort);
  const QString folder = QFileInfo(output).absolutePath();
  if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
    return {AudioErrOutput, "Cannot write " + output + ": the folder cannot be written to."};
  auto fail = [&](long code) {
    sink->Cancel();
    // The sink names the file it writes; the user knows only the output's name.
    return Outcome{abort ? kAborted : code, QString(error).replace(tempPath, output)};
  };
  const bool opened = sink->Open(tempPath, settings.tags, &error);
  setUp.unlock();
  if (!opened) return fail(AudioErrEncoder);
  const PcmFormat format = sink->Format();
  for (size_t i = 0; i < sources.size(); ++i) {
    PcmSource& source = *sources[i];
    if (i > 0 && !source.Open(&error)) return fail(AudioErrInput);
    if (!source.Start(format, &error)) return fail(source.FailedOnWrite() ? AudioErrOutput : AudioErrInput);
    int shown = -1;
    for (;;) {
      if (abort) return fail(kAborted);
      const int frames = source.Read(&error);
      if (frames < 0) return fail(AudioErrInput);
      if (frames == 0) break;
      if (!sink->Write(source.Pcm(), frames, &error)) return fail(AudioErrOutput);
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
  if (!sink->Finish(&error)) return fail(AudioErrOutput);
  return {};
}

// On the UI thread: the complete temporary file replaces the output. The
// job's temporary file goes (and its lock with it) before any event, whatever
// the ending: a handler may start the next job.
void AudioJobRunner::End(const std::shared_ptr<Run>& run, const Outcome& outcome) {
  if (run != current_ || run->left) return;
  current_.reset();
  const AudioJobEvents events = events_;
  HiddenTemp temp = std::move(run->job->temp);
  const QString tempPath = temp.Path(), output = run->job->settings.outputFile;
  if (outcome.code == kAborted || run->aborting) {
    temp = {};
    events.aborted();
    return;
  }
  if (events.again && events.again(outcome, *run->job)) return;
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
