// The background writer: bytes arrive in order, and a full disk is a failure.
#include <gtest/gtest.h>

#include <QFile>

#include "TestEnv.h"
#include "backend/burn/BackgroundWriter.h"

TEST(BackgroundWriter, WritesEveryByteInOrder) {
  const QString path = TestEnv::FreshDir("bgwriter") + "/out.bin";
  QByteArray expected;
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    BackgroundWriter w(f);
    QString error;
    // Pieces of odd sizes cross the block boundaries; zeros in between.
    for (int i = 0; i < 3000; ++i) {
      const QByteArray piece(1 + i * 7 % 4093, char('a' + i % 26));
      ASSERT_TRUE(w.Write(piece.constData(), piece.size(), &error));
      expected += piece;
      if (i % 500 == 0) {
        ASSERT_TRUE(w.WriteZeros(3000, &error));
        expected += QByteArray(3000, '\0');
      }
    }
    ASSERT_TRUE(w.Finish(&error)) << error.toStdString();
  }
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll() == expected);
}

TEST(BackgroundWriter, AFullDiskIsAFailure) {
  QFile full("/dev/full");
  if (!full.open(QIODevice::WriteOnly)) GTEST_SKIP() << "no /dev/full here";
  BackgroundWriter w(full);
  const QByteArray piece(64 * 1024, 'x');
  QString error;
  bool ok = true;
  for (int i = 0; i < 200 && ok; ++i) ok = w.Write(piece.constData(), piece.size(), &error);
  EXPECT_FALSE(w.Finish(&error));
  EXPECT_FALSE(error.isEmpty());
}

TEST(BackgroundWriter, ACopyTellsAFailedReadFromAFailedWrite) {
  const QString source = TestEnv::FreshDir("bgwriter-copy") + "/in.bin";
  {
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(QByteArray(1 << 20, 'x')), 1 << 20);
  }
  QString error;
  bool readFailed = false;
  {
    // The source ends before the size asked.
    QFile in(source), out(TestEnv::FreshDir("bgwriter-copy-out") + "/out.bin");
    ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
    BackgroundWriter w(out);
    EXPECT_FALSE(w.WriteFrom(in, 2 << 20, &error, &readFailed));
    EXPECT_TRUE(readFailed);
  }
  QFile full("/dev/full");
  if (!full.open(QIODevice::WriteOnly)) GTEST_SKIP() << "no /dev/full here";
  BackgroundWriter w(full);
  bool ok = true;
  for (int i = 0; i < 400 && ok; ++i) {
    QFile in(source);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    ok = w.WriteFrom(in, 1 << 20, &error, &readFailed);
  }
  if (ok) ok = w.Finish(&error);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(readFailed) << error.toStdString();
}
