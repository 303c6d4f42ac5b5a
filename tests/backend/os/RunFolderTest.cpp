#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

#include "TestEnv.h"
#include "platform/RunFolder.h"

namespace {
QStringList entries(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

bool writeFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write("x", 1) == 1;
}

// A run in a child process that dies without cleaning up, as a crash leaves it.
bool crashedRun(const QString& shared) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    auto* run = new RunFolder(shared);
    _exit(run->Make() && writeFile(run->Path() + "staged.mp3") ? 0 : 1);
  }
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
}  // namespace

// Two runs share a folder: each removes only its own run folder; a crashed
// run's leftover goes when the next run starts, a live run's never does, and
// the user's own files beside them stay.
TEST(RunFolder, RunsKeepOutOfEachOthersFilesAndSweepOnlyCrashedRuns) {
  const QString shared = TestEnv::FreshDir("shared");
  ASSERT_TRUE(writeFile(shared + "/mine.mp3") && writeFile(shared + "/.tessory-run-mine") &&
              QDir(shared).mkdir("keep") && writeFile(shared + "/keep/a.mp3"));
  const QStringList users = entries(shared);
  ASSERT_TRUE(crashedRun(shared));
  ASSERT_EQ(entries(shared).size(), users.size() + 2);  // the folder and its lock

  auto first = std::make_unique<RunFolder>(shared);
  ASSERT_TRUE(first->Make());
  EXPECT_TRUE(first->Path().startsWith(shared + "/") && first->Path().endsWith("/"));
  ASSERT_TRUE(writeFile(first->Path() + "a.mp3"));
  EXPECT_EQ(entries(shared).size(), users.size() + 2);  // the crashed run's leftover is gone

  RunFolder second(shared);
  ASSERT_TRUE(second.Make());
  EXPECT_NE(second.Path(), first->Path());
  ASSERT_TRUE(writeFile(second.Path() + "a.mp3"));
  EXPECT_EQ(entries(first->Path()), QStringList{"a.mp3"});
  second.Remove();
  EXPECT_FALSE(QFileInfo::exists(second.Path()));
  EXPECT_EQ(entries(first->Path()), QStringList{"a.mp3"});

  first.reset();
  EXPECT_EQ(entries(shared), users);
  EXPECT_EQ(entries(shared + "/keep"), QStringList{"a.mp3"});
}
