// A converter run working ahead in a child process, stopped in the middle and
// killed with SIGKILL: what a crash or a kill leaves behind.
#pragma once
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

#include "platform/audio/FormatRecords.h"
#include "platform/audio/cAudioConverter.h"

// The hidden temporary files in the folder that hold at least a few kB.
inline QStringList FilledTemporaries(const QString& folder) {
  QStringList out;
  for (const QFileInfo& f : QDir(folder).entryInfoList({".*.part"}, QDir::Files | QDir::Hidden))
    if (f.size() >= 4096) out << f.fileName();
  return out;
}

// A child converting the inputs into out as WAVs, all of them ahead on a
// worker each, that stays in the middle of its run once each output has a
// filled temporary file; its pid, or -1.
inline pid_t ConversionInChild(const QStringList& inputs, const QString& out) {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    cAudioConverter::SetWorkAheadThreads(int(inputs.size()));
    auto* c = new cAudioConverter;
    c->SetDestinationFormat(DestWav);
    c->SetWavFormat({44100, 2, 16});
    for (const QString& in : inputs) {
      c->SetInputFile(in);
      c->SetOutputFile(out + "/" + QFileInfo(in).fileName());
      c->PrepareAhead();
    }
    c->SetInputFile(inputs[0]);
    c->SetOutputFile(out + "/" + QFileInfo(inputs[0]).fileName());
    c->StartConvert();  // its ending is never served: the run stays in the middle
    for (;;) pause();
  }
  auto filled = [&] {
    const QStringList temps = FilledTemporaries(out);
    for (const QString& in : inputs)
      if (temps.filter(QRegularExpression("^\\." + QRegularExpression::escape(QFileInfo(in).fileName()) + "\\.")).isEmpty())
        return false;
    return true;
  };
  for (int i = 0; i < 4000; ++i, usleep(5000))
    if (filled()) return pid;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// Kills the child as a crash would; true when it died of the kill.
inline bool KillChild(pid_t pid) {
  if (pid <= 0 || kill(pid, SIGKILL) != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// Kills the child when the test ends, on any path.
class LiveChild {
 public:
  explicit LiveChild(pid_t pid) : pid_(pid) {}
  ~LiveChild() { Kill(); }
  LiveChild(const LiveChild&) = delete;
  LiveChild& operator=(const LiveChild&) = delete;
  bool Started() const { return pid_ > 0; }
  bool Kill() { return KillChild(std::exchange(pid_, -1)); }

 private:
  pid_t pid_;
};

inline bool KilledConversion(const QStringList& inputs, const QString& out) {
  return KillChild(ConversionInChild(inputs, out));
}
