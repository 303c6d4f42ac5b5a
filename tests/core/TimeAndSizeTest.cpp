#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>

#include "TestEnv.h"
#include "core/mdlFileSystem.h"
#include "core/mdlFileTime.h"
#include "core/mdlFunctions.h"

namespace {
// The texts below are written with a dot; the procedures use the locale's separator.
class CLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = QLocale();
    QLocale::setDefault(QLocale::c());
  }
  void TearDown() override { QLocale::setDefault(saved_); }
  QLocale saved_;
};
using Durations = CLocale;
using Sizes = CLocale;

constexpr double KiB = 1024.0, MiB = KiB * KiB, GiB = MiB * KiB, TiB = GiB * KiB;
}  // namespace

TEST_F(Durations, SecondsToTimeText) {
  struct Case {
    long seconds;
    const char* text;
  } cases[] = {{0, "0:00:00"},        {59, "0:00:59"},     {90, "0:01:30"},     {3599, "0:59:59"},
               {3600, "1:00:00"},     {3661, "1:01:01"},   {90000, "25:00:00"}, {360000, "100:00:00"},
               {-5, "-0:00:05"}};
  for (const Case& c : cases) EXPECT_EQ(mdlFunctions::SecondsToTimeText(c.seconds), c.text) << c.seconds;
}

TEST_F(Durations, TimeTextToSeconds) {
  struct Case {
    const char* text;
    long seconds;
  } cases[] = {{"01:02:03", 3723}, {"1:02:03", 3723},  {"1:02:03 PM", 46923}, {"0:00:00", 0},
               {"1:02", 3720},     {"25:00:00", 90000}, {"100:00:00", 360000}, {"", 0},
               {"abc", 0},         {"1:xx:03", 0},      {"1:2:3:4", 0}};
  for (const Case& c : cases) EXPECT_EQ(mdlFunctions::TimeTextToSeconds(c.text), c.seconds) << c.text;
  for (long s : {0L, 4000L, 86399L, 86400L, 400000L})
    EXPECT_EQ(mdlFunctions::TimeTextToSeconds(mdlFunctions::SecondsToTimeText(s)), s);
}

TEST_F(Sizes, FormatFileSizeSwitchesUnitAbove999OfTheLast) {
  struct Case {
    double bytes;
    const char* text;
  } cases[] = {
      {0, "0 bytes"},
      {999, "999 bytes"},
      {1000, "0.98 KB"},
      {10240, "10.0 KB"},
      {102400, "100 KB"},
      {1022976, "999 KB"},
      {1022977, "0.98 MB"},
      {1048576, "1.00 MB"},
      {512.5 * KiB, "512 KB"},  // halves to the even neighbour
      {513.5 * KiB, "514 KB"},
      {2 * GiB, "2.00 GB"},
      {4.5 * GiB, "4.50 GB"},
      {999 * GiB, "999 GB"},
      {1000 * GiB, "0.98 TB"},
      {3 * TiB, "3.00 TB"},
      {5 * TiB * KiB, "5.00 PB"},
      {7 * TiB * MiB, "7.00 EB"},
      {2 * TiB * GiB, "2.00 ZB"},
      {1000 * TiB * GiB, "0.98 YB"},
      {2000 * TiB * TiB, "2000 YB"},
  };
  for (const Case& c : cases) EXPECT_EQ(mdlFileSystem::FormatFileSize(c.bytes), c.text) << c.bytes;
}

TEST_F(Sizes, FormatByteSizeSwitchesUnitAt1000) {
  struct Case {
    qint64 bytes;
    const char* text;
  } cases[] = {
      {-1, ""},
      {0, "0"},
      {5, "5.00"},
      {999, "999"},
      {1000, "0.98 KB"},
      {1024, "1.00 KB"},
      {1023500, "1000 KB"},
      {1024000, "0.98 MB"},
      {qint64(2) << 30, "2.00 GB"},
      {qint64(5) << 40, "5.00 TB"},
      {qint64(3) << 50, "3.00 PB"},
      {std::numeric_limits<qint64>::max(), "8.00 EB"},
  };
  for (const Case& c : cases) EXPECT_EQ(mdlFileSystem::FormatByteSize(c.bytes), c.text) << c.bytes;
}

TEST(SizeTexts, NumbersUseTheLocalesDecimalSeparator) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(mdlFileSystem::FormatFileSize(1000), "0,98 KB");
  EXPECT_EQ(mdlFileSystem::FormatByteSize(5), "5,00");
  QLocale::setDefault(saved);
}

TEST(Files, ExistsAndDelete) {
  const QString dir = TestEnv::FreshDir("files");
  const QString path = dir + "/a.wav";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_TRUE(mdlFileSystem::FileExists(path));
  EXPECT_FALSE(mdlFileSystem::FileExists(dir));
  EXPECT_FALSE(mdlFileSystem::FileExists(""));
  EXPECT_TRUE(mdlFileSystem::DeleteFileSafe(path));
  EXPECT_FALSE(mdlFileSystem::FileExists(path));
  EXPECT_FALSE(mdlFileSystem::DeleteFileSafe(path));
  EXPECT_FALSE(mdlFileSystem::DeleteFileSafe(dir));
  EXPECT_TRUE(QFileInfo(dir).isDir());
}

TEST(FileTimes, CreatedIsLocalTimeToTheSecond) {
  const QString path = TestEnv::FreshDir("times") + "/a.wav";
  const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("x");
  f.close();
  const QDateTime created = mdlFileTime::GetFileCreated(path);
  EXPECT_EQ(created.timeSpec(), Qt::LocalTime);
  EXPECT_EQ(created.time().msec(), 0);
  EXPECT_GE(created, before);
  EXPECT_LE(created, QDateTime::currentDateTime());

  QDateTime c, a, w;
  EXPECT_FALSE(mdlFileTime::GetFileTimes(path, c, a, w, false));
  EXPECT_EQ(c.timeSpec(), Qt::UTC);
  EXPECT_EQ(c, created);
}

TEST(FileTimes, MissingFileGivesTheZeroDate) {
  const QString dir = TestEnv::FreshDir("notimes");
  EXPECT_EQ(mdlFileTime::GetFileCreated(dir + "/missing.wav"), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
  EXPECT_EQ(mdlFileTime::GetFileCreated(dir), mdlFileTime::ZeroDate());
  QDateTime c = mdlFileTime::ZeroDate(), a, w;
  EXPECT_TRUE(mdlFileTime::GetFileTimes(dir + "/missing.wav", c, a, w, true));
  EXPECT_EQ(c, mdlFileTime::ZeroDate());
}
