// Which paths name one file: the keys rows are compared by before they work
// ahead, for files that exist and for targets not written yet.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <unistd.h>

#include "TestEnv.h"
#include "platform/FileIdentity.h"

TEST(FileIdentity, PathsThatLeadToOneFileShareTheirKey) {
  const QString dir = TestEnv::FreshDir("identity");
  QDir(dir).mkpath("sub");
  QFile a(dir + "/a.wav");
  ASSERT_TRUE(a.open(QIODevice::WriteOnly));
  a.write("a");
  a.close();
  ASSERT_TRUE(QFile::link(dir + "/a.wav", dir + "/link.wav"));
  ASSERT_TRUE(QFile::link(dir + "/sub", dir + "/folder"));
  ASSERT_TRUE(QFile::link(dir + "/sub/later.mp3", dir + "/ahead.mp3"));
  ASSERT_EQ(::link(QFile::encodeName(dir + "/a.wav").constData(), QFile::encodeName(dir + "/hard.wav").constData()), 0);
  struct Case {
    const char* name;
    QString a, b;
    bool same;
  } cases[] = {
      {"other spelling", dir + "/a.wav", dir + "/sub/../a.wav", true},
      {"symbolic link", dir + "/link.wav", dir + "/a.wav", true},
      {"hard link", dir + "/hard.wav", dir + "/a.wav", true},
      {"link to a file not written yet", dir + "/ahead.mp3", dir + "/sub/later.mp3", true},
      {"linked folder, file not written yet", dir + "/folder/later.mp3", dir + "/sub/later.mp3", true},
      {"two files", dir + "/a.wav", dir + "/sub/a.wav", false},
      {"two names not written yet", dir + "/sub/one.mp3", dir + "/sub/two.mp3", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FileKey(c.a) == FileKey(c.b), c.same) << FileKey(c.a).toStdString() << " " << FileKey(c.b).toStdString();
  }
}
