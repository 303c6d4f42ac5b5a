// A track is read through paranoia, as on a real drive, and gives the exact
// samples of an image; an audio track ends before a following data track's
// pregap.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <algorithm>

#include "DiscImage.h"
#include "FileSizeLimit.h"
#include "TestEnv.h"
#include "backend/cd/CdTrackSource.h"

namespace {

QByteArray ReadRest(PcmSource& source, QString* error) {
  QByteArray pcm;
  for (int frames; (frames = source.Read(error)) > 0;)
    pcm.append(static_cast<const char*>(source.Pcm()), frames * 4);
  return pcm;
}

QByteArray ReadAll(PcmSource& source, QString* error) {
  if (!source.Open(error) || !source.Start(source.NativeFormat(), error)) return QByteArray();
  return ReadRest(source, error);
}

// The sizes of the files tracks spilled into, in a store's shared folder.
std::vector<qint64> SpillSizes(const QString& shared) {
  std::vector<qint64> sizes;
  for (QDirIterator it(shared, {"*.pcm"}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
    sizes.push_back(it.nextFileInfo().size());
  std::sort(sizes.begin(), sizes.end());
  return sizes;
}

// Whether the ticket would get the drive now (an abort set ends a wait at once).
bool GetsTheDrive(CdReadTurns::Ticket& ticket) {
  const std::atomic<bool> aborted{true};
  return ticket.Wait(&aborted);
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
// later track where an earlier one starts. The track behind the cut fails at
// its start, not read from another track's place.
TEST(CdTrackSource, ATrackBehindACutIsRefused) {
  const DiscImage::Image image = DiscImage::Write(TestEnv::FreshDir("cut"), {{2, 440}, {60, 330}, {2, 550}});
  QFile::resize(image.bin, image.starts[1] + 30 * 75 * DiscImage::kSectorBytes);
  auto source = MakeCdTrackSource(CdDriveTable::Drive{"D:", image.cue, true}, 3, -1, -1);
  QString error;
  EXPECT_FALSE(source->Open(&error));
  EXPECT_EQ(error, "Read error on track 3 at 0:00.");
}

// Tracks read ahead while later reads wait: what does not fit the store's
// budget (shared by the tracks held together) goes to files, the pieces come
// back as read, and the files go with their tracks. The last read in line
// spills nothing: it holds the drive instead.
TEST(CdTrackSource, TracksReadAheadSpillPastTheBudget) {
  const DiscImage::Image image = DiscImage::Write(TestEnv::FreshDir("spill"), {{3, 440}, {2, 660}, {1, 880}});
  const CdDriveTable::Drive drive{"D:", image.cue, true};
  const qint64 piece = 75 * DiscImage::kSectorBytes;  // a read of one second
  struct Case {
    qint64 budget;
    std::vector<qint64> spilled;  // by tracks 1 and 2, held together
  } cases[] = {{0, {2 * piece, 3 * piece}},
               {piece, {2 * piece, 2 * piece}},
               {4 * piece, {piece}},
               {5 * piece, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.budget / piece);
    const QString shared = TestEnv::FreshDir("ripcache");
    auto store = std::make_shared<ReadAheadStore>(shared, c.budget);
    auto turns = std::make_shared<CdReadTurns>();
    std::vector<std::unique_ptr<PcmSource>> sources;
    for (long track = 1; track <= 3; ++track)
      sources.push_back(MakeCdTrackSource(drive, track, -1, -1, turns->Next(), store, nullptr));
    QString error;
    for (auto& source : sources)
      ASSERT_TRUE(source->Open(&error) && source->Start({44100, 2, 16}, &error)) << error.toStdString();
    EXPECT_EQ(SpillSizes(shared), c.spilled);
    for (long track = 1; track <= 3; ++track) {
      const QByteArray got = ReadRest(*sources[size_t(track - 1)], &error);
      EXPECT_TRUE(error.isEmpty()) << error.toStdString();
      EXPECT_EQ(got.size(), image.TrackBytes(int(track)).size());
      EXPECT_TRUE(got == image.TrackBytes(int(track)));
    }
    sources.clear();
    EXPECT_TRUE(SpillSizes(shared).empty());
  }
}

// A full disk under the spill fails the track's read with the reason, leaves
// no file and frees the drive for the next read.
TEST(CdTrackSource, AFullDiskFailsATrackReadAhead) {
  const DiscImage::Image image = DiscImage::Write(TestEnv::FreshDir("full"), {{3, 440}, {1, 660}});
  const QString shared = TestEnv::FreshDir("ripcache-full");
  auto turns = std::make_shared<CdReadTurns>();
  auto source = MakeCdTrackSource(CdDriveTable::Drive{"D:", image.cue, true}, 1, -1, -1, turns->Next(),
                                  std::make_shared<ReadAheadStore>(shared, 0), nullptr);
  const auto next = turns->Next();
  QString error;
  ASSERT_TRUE(source->Open(&error)) << error.toStdString();
  {
    FileSizeLimit full(75 * DiscImage::kSectorBytes + 1000);
    EXPECT_FALSE(source->Start(source->NativeFormat(), &error));
  }
  EXPECT_TRUE(error.startsWith("Cannot write " + shared)) << error.toStdString();
  EXPECT_TRUE(GetsTheDrive(*next));
  source.reset();
  EXPECT_TRUE(SpillSizes(shared).empty());
}

// Reads go in the order of their places, reserved or not, one at a time: a
// reservation holds the later reads back until a read takes it over or it is
// given up; a read at a place whose first read was dropped still goes first.
TEST(CdTrackSource, ReadsKeepTheirPlaces) {
  auto turns = std::make_shared<CdReadTurns>();
  const long first = turns->Reserve(), second = turns->Reserve(), third = turns->Reserve();
  const auto late = turns->At(third);
  EXPECT_FALSE(GetsTheDrive(*late));
  auto dropped = turns->At(first);
  const auto middle = turns->At(second);
  dropped->Release();
  const auto again = turns->At(first);
  EXPECT_FALSE(GetsTheDrive(*middle));
  EXPECT_TRUE(GetsTheDrive(*again));
  EXPECT_FALSE(GetsTheDrive(*middle));  // the drive is being read
  again->Release();
  EXPECT_TRUE(GetsTheDrive(*middle));
  middle->Release();
  const long given = turns->Reserve();
  const auto last = turns->At(turns->Reserve());
  EXPECT_TRUE(GetsTheDrive(*late));
  late->Release();
  EXPECT_FALSE(GetsTheDrive(*last));
  turns->GiveUp(given);
  EXPECT_TRUE(GetsTheDrive(*last));
}
