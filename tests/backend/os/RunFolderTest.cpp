#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <sys/stat.h>
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

bool link(const QString& target, const QString& path) {
  return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0;
}

// A user's folder with a file and a sub-folder with a file.
QString userFolder(const QString& name) {
  const QString dir = TestEnv::FreshDir(name);
  return writeFile(dir + "/a.mp3") && QDir(dir).mkdir("sub") && writeFile(dir + "/sub/b.mp3") ? dir : QString();
}

// Whose the file is, the link itself when it is one; -1 when it is not there.
long ownerOf(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? long(st.st_uid) : -1;
}

bool giveAway(const QString& path) { return ::lchown(QFile::encodeName(path).constData(), 65534, 65534) == 0; }
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

// What a sweep finds where a crashed run's folder would be is removed without
// following a symbolic link: a link in the folder's place, beside a lock file
// anyone could have put there, or one inside a run folder, never costs the
// folder it points to a file.
TEST(RunFolder, ASweepNeverFollowsASymbolicLink) {
  const QString shared = TestEnv::FreshDir("shared_links");
  const QString pointedTo = userFolder("pointed_to"), linkedInside = userFolder("linked_inside");
  ASSERT_FALSE(pointedTo.isEmpty() || linkedInside.isEmpty());
  ASSERT_TRUE(link(pointedTo, shared + "/.tessory-run-zzzzzzzz") && writeFile(shared + "/.tessory-run-zzzzzzzz.lock"));
  const QString crashed = shared + "/.tessory-run-yyyyyyyy";
  ASSERT_TRUE(QDir().mkpath(crashed) && writeFile(crashed + ".lock") && writeFile(crashed + "/staged.mp3") &&
              link(linkedInside, crashed + "/linked") && link(linkedInside + "/sub", crashed + "/linked_sub"));

  RunFolder::Sweep(shared);
  for (const QString& dir : {pointedTo, linkedInside}) {
    SCOPED_TRACE(dir.toStdString());
    EXPECT_EQ(entries(dir).join(" ").toStdString(), "a.mp3 sub");
    EXPECT_EQ(entries(dir + "/sub").join(" ").toStdString(), "b.mp3");
  }
  EXPECT_FALSE(QFileInfo::exists(crashed) || QFileInfo(crashed).isSymLink());
}

// A sweep removes only what the running user owns: another user's run folder
// and lock stay, and so does another user's file in a crashed run's folder,
// with the folder that holds it.
TEST(RunFolder, ASweepLeavesWhatAnotherUserOwns) {
  const QString shared = TestEnv::FreshDir("shared_owners");
  const QString theirs = shared + "/.tessory-run-tttttttt", mine = shared + "/.tessory-run-mmmmmmmm";
  ASSERT_TRUE(QDir().mkpath(theirs) && writeFile(theirs + ".lock") && writeFile(theirs + "/a.mp3"));
  ASSERT_TRUE(QDir().mkpath(mine) && writeFile(mine + ".lock") && writeFile(mine + "/theirs.mp3") &&
              writeFile(mine + "/mine.mp3"));
  if (!giveAway(theirs) || !giveAway(theirs + ".lock") || !giveAway(mine + "/theirs.mp3"))
    GTEST_SKIP() << "files cannot be given to another user here";

  RunFolder::Sweep(shared);
  EXPECT_EQ(entries(theirs).join(" ").toStdString(), "a.mp3");
  EXPECT_EQ(ownerOf(theirs + ".lock"), 65534);
  EXPECT_EQ(entries(mine).join(" ").toStdString(), "theirs.mp3");
}
