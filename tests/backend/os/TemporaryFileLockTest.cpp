#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstdio>
#include <functional>

#include "EverySystemCall.h"
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
