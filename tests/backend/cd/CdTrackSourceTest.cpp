// A track is read through paranoia, as on a real drive, and gives the exact
// samples of an image; an audio track ends before a following data track's
// pregap.
#include <gtest/gtest.h>

#include <QFile>

#include "DiscImage.h"
#include "TestEnv.h"
#include "backend/cd/CdTrackSource.h"

namespace {

QByteArray ReadAll(PcmSource& source, QString* error) {
  QByteArray pcm;
  if (!source.Open(error) || !source.Start(source.NativeFormat(), error)) return pcm;
  for (int frames; (frames = source.Read(error)) > 0;)
    pcm.append(static_cast<const char*>(source.Pcm()), frames * 4);
  return pcm;
}

TEST(CdTrackSource, ReadsGiveTheImagesSamples) {
  const DiscImage::Image image =
      DiscImage::Write(TestEnv::FreshDir("source"), {{2, 440}, {1.6, 660}, {1, 880, 1}, {1, 220, 2, true}});
  const qint64 dataPregap = 150 * DiscImage::kSectorBytes;
  const CdDriveTable::Drive drive{"D:", image.cue, true};
  const qint64 second = 75 * DiscImage::kSectorBytes;
  struct Case {
    long track, rangeStart, rangeLength;
    QByteArray want;
  } cases[] = {{1, -1, -1, image.TrackBytes(1)},
               {2, -1, -1, image.TrackBytes(2)},
               {3, -1, -1, image.TrackBytes(3).chopped(dataPregap)},
               {1, 1, 1, image.TrackBytes(1).mid(second, second)},
               {2, 1, -1, image.TrackBytes(2).mid(second)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(QString("track %1, from %2").arg(c.track).arg(c.rangeStart).toStdString());
    auto source = MakeCdTrackSource(drive, c.track, c.rangeStart, c.rangeLength);
    QString error;
    const QByteArray got = ReadAll(*source, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(got.size(), c.want.size());
    EXPECT_TRUE(got == c.want);
    EXPECT_DOUBLE_EQ(source->Progress(), 1.0);
  }
}

}  // namespace

// A disc that goes bad under the reader: the read fails with the place,
// never delivering made-up samples.
TEST(CdTrackSource, ADamagedDiscFailsTheRead) {
  const DiscImage::Image image = DiscImage::Write(TestEnv::FreshDir("damaged"), {{3, 440}, {1, 660}});
  auto source = MakeCdTrackSource(CdDriveTable::Drive{"D:", image.cue, true}, 1, -1, -1);
  QString error;
  ASSERT_TRUE(source->Open(&error)) << error.toStdString();
  ASSERT_TRUE(source->Start(source->NativeFormat(), &error));
  QFile::resize(image.bin, 75 * DiscImage::kSectorBytes + 40 * DiscImage::kSectorBytes);
  int frames = 0;
  qint64 delivered = 0;
  while ((frames = source->Read(&error)) > 0) delivered += frames * 4;
  EXPECT_EQ(frames, -1);
  EXPECT_TRUE(error.startsWith("Read error on track 1 at 0:0")) << error.toStdString();
  EXPECT_LE(delivered, 75 * DiscImage::kSectorBytes + 40 * DiscImage::kSectorBytes);
}

// An image cut short before a track is opened: the reader's table then puts a
// later track where an earlier one starts. The track behind the cut is refused,
// not read from another track's place.
TEST(CdTrackSource, ATrackBehindACutIsRefused) {
  const DiscImage::Image image = DiscImage::Write(TestEnv::FreshDir("cut"), {{2, 440}, {60, 330}, {2, 550}});
  QFile::resize(image.bin, image.starts[1] + 30 * 75 * DiscImage::kSectorBytes);
  auto source = MakeCdTrackSource(CdDriveTable::Drive{"D:", image.cue, true}, 3, -1, -1);
  QString error;
  EXPECT_FALSE(source->Open(&error));
  EXPECT_EQ(error, "The track 3 cannot be read.");
}
