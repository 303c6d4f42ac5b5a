#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

#include "EverySystemCall.h"
#include "ProcLocks.h"
#include "TestEnv.h"
#include "platform/HiddenTemp.h"
#include "platform/SafeFile.h"

namespace {
QByteArray read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}
}  // namespace

// Another program's sweep may come at any moment while a temporary file is
// made, written and renamed: it never takes the file, which is locked from
// the moment it has its name.
TEST(TemporaryFileLock, ASweepAtAnySystemCallNeverTakesAFileInUse) {
  struct Case {
    const char* name;
    std::function<bool(const QString& file)> write;
    std::function<void(const QString& dir)> sweep;
  };
  const Case cases[] = {
      {"save", [](const QString& file) { return SafeFile::Write(file, "new\r\n"); },
       [](const QString& dir) { SafeFile::RemoveStale({dir}); }},
      {"output",
       [](const QString& file) {
         HiddenTemp temp(file);
         QFile f(temp.Path());
         return temp.Make() && f.open(QIODevice::WriteOnly) && f.write("new\r\n") == 5 && f.flush() &&
                std::rename(QFile::encodeName(temp.Path()).constData(), QFile::encodeName(file).constData()) == 0;
       },
       [](const QString& dir) { HiddenTemp::Sweep(dir); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString dir = TestEnv::FreshDir(QString("locked_") + c.name);
    const QString file = dir + "/kept.txt";
    ASSERT_TRUE(SafeFile::Write(file, "old\r\n"));
    EXPECT_TRUE(AtEverySystemCall([&] { return c.write(file); }, [&] { c.sweep(dir); }));
    EXPECT_EQ(read(file), "new\r\n");
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.txt"});
  }
}

// NFS grants an exclusive lock only through a descriptor open for writing:
// the sweep takes each leftover's lock through one, whatever the leftover's
// mode, and never truncates it on the way.
TEST(TemporaryFileLock, ASweepLocksThroughADescriptorOpenForWriting) {
  const QString dir = TestEnv::FreshDir("sweep_writable");
  for (const int mode : {0600, 0200, 0644}) {
    const QString path = dir + QString("/left%1").arg(mode, 0, 8);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("x") == 1);
    f.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
  }
  QStringList seen;
  SweepUnlocked(dir, [](const QString&) { return true; }, [&](const QString& path) {
    const int flags = OpenFlagsOf(path);
    EXPECT_NE(flags, -1) << path.toStdString();
    EXPECT_NE(flags & O_ACCMODE, O_RDONLY) << path.toStdString();
    EXPECT_EQ(flags & O_TRUNC, 0);
    EXPECT_TRUE(Locked(path)) << path.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), 1);
    seen << QFileInfo(path).fileName();
    QFile::remove(path);
  });
  seen.sort();
  EXPECT_EQ(seen, (QStringList{"left200", "left600", "left644"}));
}

// The temporary of a file whose name takes nearly all a file system allows
// still fits, cut between characters, and takes the file's place.
TEST(TemporaryFileLock, TheTemporaryOfALongNameFits) {
  const QString dir = TestEnv::FreshDir("long_name");
  const QString file = dir + "/" + QString(125, QChar(0xe9)) + ".mp3";
  HiddenTemp temp(file);
  ASSERT_TRUE(temp.Make());
  const QByteArray name = QFile::encodeName(QFileInfo(temp.Path()).fileName());
  EXPECT_LE(name.size(), 255);
  EXPECT_EQ(QFile::encodeName(QFile::decodeName(name)), name);
  EXPECT_EQ(std::rename(QFile::encodeName(temp.Path()).constData(), QFile::encodeName(file).constData()), 0);
}
