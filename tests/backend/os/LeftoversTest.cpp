#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "TestEnv.h"
#include "platform/Leftovers.h"
#include "platform/SafeFile.h"
#include "platform/Services.h"

namespace {
QString noteFile() { return ProgramFolder() + "/tempfolders.json"; }

QByteArray noteOf(const QStringList& folders) { return QJsonDocument(QJsonArray::fromStringList(folders)).toJson(); }

QStringList noted() {
  QFile f(noteFile());
  return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).toVariant().toStringList() : QStringList();
}

bool sweepEnded() { return TestEnv::WaitUntil([] { return !Leftovers::Sweeping(); }, 30000); }

// A start-up sweep of no folders but the noted ones, waited for.
bool sweepAtStart() {
  Leftovers::SweepInBackground({});
  return sweepEnded();
}

// What a killed conversion leaves in the folder: an output's temporary and its lock, unlocked.
const QStringList kLeftover = {".a.mp3.tessory-0123456789abcdef.lock", ".a.mp3.tessory-0123456789abcdef.part"};

bool leaveTemporary(const QString& folder) {
  if (!QDir().mkpath(folder)) return false;
  for (const QString& name : kLeftover)
    if (!SafeFile::Write(folder + "/" + name, "x")) return false;
  return true;
}

std::string entries(const QString& dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name).join(" ").toStdString();
}

// Runs work(i) in n child processes at once, as n other running programs;
// true when every one succeeded.
bool inOtherPrograms(int n, const std::function<bool(int)>& work) {
  int go[2];
  if (::pipe(go) != 0) return false;
  std::vector<pid_t> children;
  for (int i = 0; i < n; ++i) {
    const pid_t pid = fork();
    if (pid == 0) {
      ::close(go[1]);
      char c;
      while (::read(go[0], &c, 1) > 0) {}  // all start when the pipe closes
      _exit(work(i) ? 0 : 1);
    }
    if (pid > 0) children.push_back(pid);
  }
  ::close(go[0]);
  ::close(go[1]);
  bool ok = int(children.size()) == n;
  for (const pid_t pid : children) {
    int status = 0;
    ok = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
  }
  return ok;
}
}  // namespace

// A noted folder that cannot be opened at a start (a disk unplugged) stays
// noted: once it is back, the next start sweeps it; only a folder read and
// found empty of ours is forgotten.
TEST(Leftovers, ANotedFolderStaysNotedUntilASweepHasReadIt) {
  ASSERT_TRUE(sweepEnded());
  const QString disk = TestEnv::FreshDir("unplugged") + "/disk";
  const QString folder = disk + "/music";
  ASSERT_TRUE(inOtherPrograms(1, [&](int) { return Leftovers::Note(folder); }));

  ASSERT_TRUE(sweepAtStart());
  ASSERT_TRUE(leaveTemporary(folder));
  ASSERT_TRUE(sweepAtStart());
  EXPECT_EQ(entries(folder), "");
  EXPECT_FALSE(noted().contains(folder));

  ASSERT_TRUE(leaveTemporary(folder));
  ASSERT_TRUE(sweepAtStart());
  EXPECT_EQ(entries(folder), kLeftover.join(" ").toStdString());
  QDir(disk).removeRecursively();
}

// The start-up sweep reads the note itself, on its own thread: the caller
// has gone on before the note's first byte is there.
TEST(Leftovers, TheNoteIsReadOnTheSweepingThread) {
  ASSERT_TRUE(sweepEnded());
  const QString folder = TestEnv::FreshDir("noted_late");
  ASSERT_TRUE(leaveTemporary(folder));
  const QByteArray note = noteOf({folder});
  QFile::remove(noteFile());
  ASSERT_EQ(::mkfifo(QFile::encodeName(noteFile()).constData(), 0600), 0);

  std::mutex mutex;
  std::condition_variable changed;
  bool returned = false, returnedFirst = false;
  // Opened for writing once the note is opened for reading; written once the
  // sweep has returned, or after a while should it wait for the note.
  std::thread writer([&] {
    const int fd = ::open(QFile::encodeName(noteFile()).constData(), O_WRONLY | O_CLOEXEC);
    {
      std::unique_lock lock(mutex);
      returnedFirst = changed.wait_for(lock, std::chrono::seconds(30), [&] { return returned; });
    }
    const bool written = ::write(fd, note.constData(), size_t(note.size())) == note.size();
    // Later reads find a file.
    const bool replaced = QFile::remove(noteFile()) && SafeFile::Write(noteFile(), note);
    ::close(fd);
    EXPECT_TRUE(written && replaced);
  });
  Leftovers::SweepInBackground({});
  {
    std::lock_guard lock(mutex);
    returned = true;
    changed.notify_all();
  }
  writer.join();
  EXPECT_TRUE(returnedFirst);
  ASSERT_TRUE(sweepEnded());
  EXPECT_EQ(entries(folder), "");
}

// Programs that note folders at the same time all keep their notes.
TEST(Leftovers, ProgramsNotingAtOnceKeepEachOthersNotes) {
  ASSERT_TRUE(sweepEnded());
  const QString dir = TestEnv::FreshDir("noted_at_once");
  constexpr int kPrograms = 4, kFolders = 50;
  auto folder = [&](int program, int i) { return QString("%1/p%2/f%3").arg(dir).arg(program).arg(i); };
  ASSERT_TRUE(inOtherPrograms(kPrograms, [&](int program) {
    for (int i = 0; i < kFolders; ++i)
      if (!Leftovers::Note(folder(program, i))) return false;
    return true;
  }));
  const QStringList all = noted();
  QStringList missing;
  for (int program = 0; program < kPrograms; ++program)
    for (int i = 0; i < kFolders; ++i)
      if (!all.contains(folder(program, i))) missing << folder(program, i);
  EXPECT_EQ(missing.join(" ").toStdString(), "");
}
