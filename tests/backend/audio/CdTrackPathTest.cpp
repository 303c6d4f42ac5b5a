// A CD track's path ("D:/Track02.cda") given to the conversion and join
// controls is read from its drive: the output holds the track's exact samples,
// and the track's format and length are reported by its path.
#include <gtest/gtest.h>

#include <cstring>

#include "AudioFixtures.h"
#include "DiscImage.h"
#include "JobWatcher.h"
#include "TestEnv.h"
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
