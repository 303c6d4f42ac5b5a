#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "InterruptedSave.h"
#include "TestEnv.h"
#include "platform/SafeFile.h"

namespace {
QStringList filesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
}  // namespace

// A save killed half way leaves the old file and a temporary one; the sweep
// at the next start removes it, but not while a save still holds it.
TEST(SafeFile, LeftoversOfAnInterruptedSaveAreSweptUnlessInUse) {
  const QString dir = TestEnv::FreshDir("interrupted");
  const QString path = dir + "/Notes";
  ASSERT_TRUE(SafeFile::Write(path, "old\r\n"));
  ASSERT_TRUE(InterruptSave([&] { SafeFile::Write(path, QByteArray(100000, 'x')); }, 5000));
  const QStringList after = filesIn(dir);
  ASSERT_EQ(after.size(), 2);
  const QString leftover = after.filter(QRegularExpression("^\\.")).value(0);
  EXPECT_TRUE(SafeFile::IsTemporaryName(leftover)) << leftover.toStdString();
  EXPECT_FALSE(leftover.contains("Notes"));

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "old\r\n");

  const int inUse = ::open(QFile::encodeName(dir + "/" + leftover).constData(), O_RDONLY);
  ASSERT_EQ(::flock(inUse, LOCK_EX), 0);
  SafeFile::RemoveStale({dir});
  EXPECT_EQ(filesIn(dir), after);
  ::close(inUse);
  SafeFile::RemoveStale({dir});
  EXPECT_EQ(filesIn(dir), QStringList{"Notes"});
}
