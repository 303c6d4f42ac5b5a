// The join control: a queue of whole files and ranges becomes one output.
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>

#include "AudioFixtures.h"
#include "JobWatcher.h"
#include "TestEnv.h"
#include "platform/audio/cAudioJoin.h"

using namespace AudioFixtures;

TEST(Join, QueueMembers) {
  cAudioJoin j;
  j.AddFile("/a.wav", -1, -1);
  j.AddFile("/b.mp3", 5.5, 10);
  j.AddFile("/c.ogg", -1, -1);
  EXPECT_EQ(j.FileCount(), 3);
  double start = 0, length = 0;
  EXPECT_EQ(j.GetFileItem(2, &start, &length), "/b.mp3");
  EXPECT_EQ(start, 5.5);
  EXPECT_EQ(length, 10);
  EXPECT_EQ(j.GetFileItem(4), "");
  j.RemoveFile(1);
  EXPECT_EQ(j.GetFileItem(1), "/b.mp3");
  j.RemoveFile(0);
  j.RemoveFile(3);
  EXPECT_EQ(j.FileCount(), 2);
  j.ResetJoin();
  EXPECT_EQ(j.FileCount(), 0);
}

TEST(Join, FilesAndRangesOfDifferentFormatsBecomeOneOutput) {
  const QString dir = TestEnv::FreshDir("join");
  cAudioJoin j;
  JobWatcher w(j);
  j.AddFile(WriteWav(dir + "/a.wav", 8000, 1, 8, 1.0), -1, -1);
  j.AddFile(WriteWav(dir + "/b.wav", 44100, 2, 16, 3.0, Signal::Silence), 1, 1);
  j.AddFile(Encode(WriteWav(dir + "/c.wav", 22050, 2, 16, 1.5), dir + "/c.ogg", {"-c:a", "libvorbis"}), -1, -1);
  j.SetDestinationFormat(DestWav);
  j.SetWavFormat({44100, 2, 16});
  j.SetTagTitle("Joined");
  j.SetOutputFile(dir + "/joined.wav");
  ASSERT_EQ(j.StartJoin(), 0);
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();

  const std::vector<int16_t> pcm = DecodePcm(dir + "/joined.wav");
  EXPECT_NEAR(double(pcm.size()) / 2, 44100 * 3.5, 4);
  // The silent second sits between the two sines.
  const std::vector<int16_t> middle(pcm.begin() + 2 * 44100 + 400, pcm.begin() + 2 * 88200 - 400);
  EXPECT_LT(Rms(middle), 2);
  EXPECT_EQ(ProbeFile(dir + "/joined.wav").tags.value("title"), "Joined");

  // Progress names each file from 1, in queue order, and each reaches 100.
  long last = 0;
  for (auto [file, percent] : w.progress) {
    EXPECT_GE(file, last);
    last = file;
  }
  for (long f : {1, 2, 3})
    EXPECT_NE(std::find(w.progress.begin(), w.progress.end(), std::pair<long, long>{f, 100}), w.progress.end()) << f;
}

TEST(Join, AnyDestinationFormatAndRefusals) {
  const QString dir = TestEnv::FreshDir("join_mp3");
  const QString a = WriteWav(dir + "/a.wav", 44100, 2, 16, 1.0);
  cAudioJoin j;
  j.AddFile(a, -1, -1);
  j.AddFile(a, 0, 1);
  j.SetDestinationFormat(DestMp3);
  Mp3FormatRecord mp3;
  mp3.Bitrate = 128;
  mp3.SampleRate = 44100;
  mp3.WriteVbrTag = -1;
  j.SetMp3Format(mp3);
  {
    JobWatcher w(j);
    j.SetOutputFile(dir + "/joined.mp3");
    j.StartJoin();
    ASSERT_TRUE(w.Wait());
    ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
    EXPECT_NEAR(double(DecodePcm(dir + "/joined.mp3").size()) / 2, 88200, 1152);
  }
  {
    // The output may not be one of the queued files.
    JobWatcher w(j);
    j.SetOutputFile(a);
    j.StartJoin();
    ASSERT_TRUE(w.Wait());
    EXPECT_EQ(w.ends, QStringList{"Error"});
    EXPECT_EQ(w.errorCode, AudioErrSameFile);
  }
  {
    // A damaged file in the queue fails the join and leaves no output.
    QFile f(dir + "/bad.mp3");
    f.open(QIODevice::WriteOnly);
    f.write("garbage");
    f.close();
    j.AddFile(dir + "/bad.mp3", -1, -1);
    JobWatcher w(j);
    j.SetOutputFile(dir + "/second.mp3");
    j.StartJoin();
    ASSERT_TRUE(w.Wait());
    EXPECT_EQ(w.ends, QStringList{"Error"});
    EXPECT_FALSE(QFile::exists(dir + "/second.mp3"));
  }
}

TEST(Join, AbortThenResetEndsWithAborted) {
  const QString dir = TestEnv::FreshDir("join_abort");
  const QString a = WriteWav(dir + "/a.wav", 44100, 2, 16, 30.0);
  cAudioJoin j;
  JobWatcher w(j);
  j.AddFile(a, -1, -1);
  j.AddFile(a, -1, -1);
  j.SetDestinationFormat(DestOgg);
  j.SetOutputFile(dir + "/out/joined.ogg");
  j.StartJoin();
  while (w.progress.empty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  j.AbortJoin();
  j.ResetJoin();
  ASSERT_TRUE(w.Wait());
  EXPECT_EQ(w.ends, QStringList{"Aborted"});
  EXPECT_TRUE(FilesIn(dir + "/out").isEmpty());
  EXPECT_EQ(j.FileCount(), 0);
}
