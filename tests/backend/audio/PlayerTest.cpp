// The preview player under SDL's dummy driver, which plays in real time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include "AudioFixtures.h"
#include "ScriptedUi.h"
#include "TestEnv.h"
#include "platform/audio/Sound.h"
#include "platform/audio/cPlayer.h"

using namespace AudioFixtures;

namespace {
void Serve(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
}  // namespace

TEST(Player, PlaysToTheEndAndReportsTheNaturalEndOnce) {
  const QString dir = TestEnv::FreshDir("player_end");
  const QString in = WriteWav(dir + "/in.wav", 22050, 2, 16, 1.2);
  cPlayer p;
  int ends = 0;
  bool playingAtEnd = true;
  QObject::connect(&p, &cPlayer::PlayEnd, [&] {
    ++ends;
    playingAtEnd = p.IsPlaying();
  });
  QElapsedTimer t;
  t.start();
  ASSERT_EQ(p.Play(in, -1), 0);
  EXPECT_TRUE(p.IsPlaying());
  EXPECT_FALSE(p.IsPaused());
  EXPECT_NEAR(p.Duration(), 1.2, 0.01);
  Serve(500);
  EXPECT_GT(p.Level(), 10);  // a sine at half scale
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return ends > 0; }, 30000));
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(playingAtEnd);
  EXPECT_GE(t.elapsed(), 900);  // not before the sound has been played
  Serve(200);
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(p.IsPlaying());
}

TEST(Player, PositionPauseSeekAndStop) {
  const QString dir = TestEnv::FreshDir("player_pos");
  const QString in = WriteWav(dir + "/in.wav", 8000, 1, 16, 10.0);
  cPlayer p;
  int ends = 0;
  QObject::connect(&p, &cPlayer::PlayEnd, [&] { ++ends; });
  ASSERT_EQ(p.Play(in, -1), 0);
  EXPECT_EQ(p.GetPosition(), 0);
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return p.GetPosition() >= 1; }, 30000));

  p.PausePlay();
  EXPECT_TRUE(p.IsPaused());
  EXPECT_TRUE(p.IsPlaying());
  const long paused = p.GetPosition();
  Serve(1000);
  EXPECT_EQ(p.GetPosition(), paused);
  p.ResumePlay();
  EXPECT_FALSE(p.IsPaused());

  p.Seek(7);
  EXPECT_EQ(p.GetPosition(), 7);
  Serve(300);
  EXPECT_GE(p.GetPosition(), 7);

  p.StopPlay();
  EXPECT_FALSE(p.IsPlaying());
  EXPECT_EQ(p.GetPosition(), 0);
  Serve(300);
  EXPECT_EQ(ends, 0);  // stopping is no natural end
}

TEST(Player, FailedStartIsReportedThroughReportError) {
  const QString dir = TestEnv::FreshDir("player_fail");
  QFile f(dir + "/bad.mp3");
  f.open(QIODevice::WriteOnly);
  f.write("not audio");
  f.close();
  cPlayer p;
  const long code = p.Play(dir + "/bad.mp3", -1);
  EXPECT_NE(code, 0);
  EXPECT_FALSE(p.IsPlaying());
  EXPECT_NE(p.Play(WriteWav(dir + "/in.wav", 8000, 1, 16, 0.5), 99), 0);  // no such device
  p.ReportError(code);
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_FALSE(ScriptedUi::get().shown[0].prompt.isEmpty());
}

TEST(Player, SecondsToText) {
  cPlayer p;
  EXPECT_EQ(p.SecondsToText(0), "0:00:00");
  EXPECT_EQ(p.SecondsToText(3725), "1:02:05");
  EXPECT_EQ(p.SecondsToText(59), "0:00:59");
}

TEST(Sound, PlaysInTheBackgroundAndHandlerReplacesIt) {
  const QString dir = TestEnv::FreshDir("sound");
  const QString in = WriteWav(dir + "/in.wav", 8000, 1, 16, 30.0);
  QElapsedTimer t;
  t.start();
  EXPECT_TRUE(PlaySoundFile(in));
  EXPECT_LT(t.elapsed(), 30000);  // returns before the sound could have been played
  EXPECT_FALSE(PlaySoundFile(dir + "/missing.wav"));
  EXPECT_TRUE(PlaySoundFile(""));

  QStringList played;
  SetSoundHandler([&](const QString& path) {
    played << path;
    return true;
  });
  EXPECT_TRUE(PlaySoundFile("/x/notify.wav"));
  SetSoundHandler(nullptr);
  EXPECT_EQ(played, QStringList{"/x/notify.wav"});
}
