#include "backend/audio/AudioJobRunner.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "backend/audio/AudioSink.h"
#include "backend/audio/WorkAhead.h"
#include "platform/audio/cAudioJobControl.h"

namespace {
constexpr long kAborted = AudioJobOutcome::kAborted;

bool SameFile(const QString& a, const QString& b) {
  struct stat sa, sb;
  if (stat(QFile::encodeName(a).constData(), &sa) == 0 && stat(QFile::encodeName(b).constData(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// Encoder libraries fill shared tables when their first encoder is set up.
std::mutex encoderSetUp;
}  // namespace

AudioJobRunner::AudioJobRunner(QObject* context) : context_(context) {}

AudioJobRunner::~AudioJobRunner() { Close(); }

void AudioJobRunner::Close() {
  ++generation_;
  Abort();
  abort_ = true;
  if (worker_.joinable()) worker_.join();
  // A job that completed but whose ending was not delivered leaves its temporary file.
  if (running_) QFile::remove(tempPath_);
  running_ = false;
  adopted_.reset();
  own_ = {};
}

void AudioJobRunner::Abort() {
  if (!running_) return;
  abort_ = true;
  if (adopted_) adopted_->abort = true;
}

void AudioJobRunner::Post(int generation, std::function<void()> fn) {
  QMetaObject::invokeMethod(
      context_,
      [this, generation, fn = std::move(fn)] {
        if (generation == generation_) fn();
      },
      Qt::QueuedConnection);
}

int AudioJobRunner::Begin(AudioJobEvents events, const QString& tempPath) {
  if (worker_.joinable()) worker_.join();  // the previous job has already ended
  events_ = std::move(events);
  running_ = true;
  abort_ = false;
  tempPath_ = tempPath;
  adopted_.reset();
  return ++generation_;
}

void AudioJobRunner::Start(PcmSources sources, AudioJobSettings settings, AudioJobEvents events) {
  const QString output = settings.outputFile;
  // In the destination folder, so that the final rename stays on one file system.
  own_ = HiddenTemp(output);
  own_.Make(HiddenTemp::Folder::Make);
  const QString temp = own_.Path();
  const int generation = Begin(std::move(events), temp);
  worker_ = std::thread([this, sources = std::move(sources), settings = std::move(settings), generation, temp,
                         output]() mutable {
    const Outcome outcome = ConvertToTemp(sources, settings, temp, abort_, [this, generation](int i, int percent) {
      Post(generation, [this, i, percent] { events_.progress(i, percent); });
    });
    Post(generation, [this, generation, outcome, temp, output] { End(generation, outcome, temp, output); });
  });
}

void AudioJobRunner::Adopt(std::shared_ptr<AheadJob> job, bool claimed, AudioJobEvents events) {
  const int generation = Begin(std::move(events), job->temp.Path());
  adopted_ = job;
  worker_ = std::thread([this, job, claimed, generation] {
    auto relay = [this, generation](int percent) {
      Post(generation, [this, percent] { events_.progress(0, percent); });
    };
    if (claimed) job->Run(relay);
    else job->Follow(relay);
    const Outcome outcome = job->Outcome();
    const QString temp = job->temp.Path(), output = job->settings.outputFile;
    Post(generation, [this, generation, outcome, temp, output] { End(generation, outcome, temp, output); });
  });
}

AudioJobOutcome ConvertToTemp(PcmSources& sources, const AudioJobSettings& settings, const QString& tempPath,
                              const std::atomic<bool>& abort, const std::function<void(int, int)>& progress) {
  using Outcome = AudioJobOutcome;
  const QString& output = settings.outputFile;
  if (output.isEmpty()) return {AudioErrOutput, "No output file is given."};
  if (sources.empty()) return {AudioErrNothingToDo, "There is no file to convert."};
  for (const auto& s : sources)
    if (!s->File().isEmpty() && SameFile(s->File(), output))
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
    if (!source.Start(format, &error)) return fail(AudioErrInput);
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

// On the UI thread: the complete temporary file replaces the output, unless the
// job was aborted meanwhile.
void AudioJobRunner::End(int generation, const Outcome& outcome, const QString& tempPath, const QString& output) {
  running_ = false;
  // The job's file stays locked until it is renamed or removed.
  const std::shared_ptr<AheadJob> adopted = std::exchange(adopted_, nullptr);
  const HiddenTemp own = std::move(own_);
  const AudioJobEvents events = events_;  // a handler may start the next job
  if (outcome.code == kAborted || abort_) {
    QFile::remove(tempPath);
    events.aborted();
    return;
  }
  if (outcome.code != 0) {
    events.error(outcome.code, outcome.text);
    return;
  }
  if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(output).constData()) != 0) {
    const QString why = QString::fromLocal8Bit(strerror(errno));
    QFile::remove(tempPath);
    events.error(AudioErrOutput, "Cannot write " + output + " (" + why + ").");
    return;
  }
  events.done();
}
