// A CD track's path ("D:/Track02.cda") given to the conversion and join
// controls is read from its drive: the output holds the track's exact samples,
// and the track's format and length are reported by its path; workers that
// resolve paths at once get what one at a time gets.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "AudioFixtures.h"
#include "DiscImage.h"
#include "JobWatcher.h"
#include "TestEnv.h"
#include "backend/audio/PathSources.h"
#include "backend/cd/CdDriveTable.h"
#include "platform/cd/CdTrackPaths.h"

using namespace AudioFixtures;

namespace {
class CdTrackPath : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = TestEnv::FreshDir("cdpath");
    image = DiscImage::Write(dir, {{2, 440}, {1.6, 660}, {1, 880, 1}});
    qputenv("TESSORY_CD_IMAGES", image.cue.toLocal8Bit());
    ServeCdTrackPaths();
    drive = CdDriveTable::Drives().back().name;
  }
  void TearDown() override { qunsetenv("TESSORY_CD_IMAGES"); }
  QString TrackPath(int track) const { return drive + QString("/Track%1.cda").arg(track, 2, 10, QChar('0')); }
  static QByteArray WavBytes(const QString& path) {
    const std::vector<int16_t> pcm = DecodePcm(path);
    return QByteArray(reinterpret_cast<const char*>(pcm.data()), qsizetype(pcm.size() * 2));
  }

  QString dir, drive;
  DiscImage::Image image;
};
}  // namespace

TEST_F(CdTrackPath, ConvertingATrackOrARangeOfItGivesItsExactSamples) {
  const qint64 second = DiscImage::kSectorsPerSecond * DiscImage::kSectorBytes;
  struct Case {
    int track;
    long start, length;
    QByteArray want;
  } cases[] = {{2, -1, -1, image.TrackBytes(2)}, {1, 1, 1, image.TrackBytes(1).mid(second, second)},
               {3, 0, 1, image.TrackBytes(3).left(second)}};
  cAudioConverter c;
  c.SetDestinationFormat(DestWav);
  c.SetWavFormat({44100, 2, 16});
  for (const Case& k : cases) {
    SCOPED_TRACE(k.track);
    JobWatcher w(c);
    c.SetInputFile(TrackPath(k.track));
    c.SetRangeStart(k.start);
    c.SetRangeLength(k.length);
    c.SetOutputFile(dir + "/out.wav");
    ASSERT_EQ(c.StartConvert(), 0);
    ASSERT_TRUE(w.Wait());
    ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
    EXPECT_TRUE(WavBytes(dir + "/out.wav") == k.want);
  }
}

TEST_F(CdTrackPath, TheConversionControlReportsATracksFormatAndLengthByItsPath) {
  cAudioConverter c;
  ASSERT_EQ(c.OpenSource(TrackPath(2)), 0);
  EXPECT_EQ(c.SampleRate(), 44100);
  EXPECT_EQ(c.Channels(), 2);
  EXPECT_EQ(c.BitsPerSample(), 16);
  EXPECT_EQ(c.Duration(), (image.starts[2] - image.starts[1]) / 4 * 1000 / 44100);
  EXPECT_NE(c.OpenSource(TrackPath(4)), 0);
}

TEST_F(CdTrackPath, JoiningTracksGivesTheirSamplesOneAfterTheOther) {
  cAudioJoin j;
  JobWatcher w(j);
  j.SetDestinationFormat(DestWav);
  j.SetWavFormat({44100, 2, 16});
  j.AddFile(TrackPath(3), -1, -1);
  j.AddFile(TrackPath(1), -1, -1);
  j.SetOutputFile(dir + "/joined.wav");
  ASSERT_EQ(j.StartJoin(), 0);
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
  EXPECT_TRUE(WavBytes(dir + "/joined.wav") == image.TrackBytes(3) + image.TrackBytes(1));
}

// Work-ahead workers resolve track paths at once, each listing the drives.
TEST_F(CdTrackPath, PathsResolvedOnSeveralThreadsAtOnceGiveWhatOneThreadGives) {
  const QStringList paths = {TrackPath(1), TrackPath(3), TrackPath(4), drive.toLower() + "/Track02.cda",
                             "Z:/Track01.cda", dir + "/Track01.cda"};
  auto answers = [&] {
    QStringList out;
    for (const QString& path : paths) {
      AudioInfo info;
      QString error;
      const bool read = ProbeSourcePath(path, &info, &error);
      out << QString("%1 %2 %3 %4 %5").arg(IsCdTrackPath(path)).arg(read).arg(info.durationMs).arg(info.channels).arg(error);
    }
    return out;
  };
  const QStringList alone = answers();
  ASSERT_TRUE(alone[0].startsWith("1 1 ")) << alone[0].toStdString();
  constexpr int kThreads = 6, kRounds = 20;
  std::vector<QStringList> differing(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round)
        if (const QStringList got = answers(); got != alone) differing[size_t(t)] = got;
    });
  for (std::thread& t : threads) t.join();
  for (const QStringList& d : differing) EXPECT_TRUE(d.isEmpty()) << d.join(" | ").toStdString();
}
