// Ripping tracks of generated disc images through the CD control: the output
// holds exactly the image's samples, every format carries its tags, ranges,
// failures and abort leave no partial file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstring>

#include "DiscImage.h"
#include "TestEnv.h"
#include "backend/audio/AudioJobSettings.h"
#include "platform/cd/cAudioCDRipper.h"
#include "AudioFixtures.h"
#include "tests/backend/audio/JobWatcher.h"

using namespace AudioFixtures;

namespace {

std::vector<int16_t> Samples(const QByteArray& bytes) {
  std::vector<int16_t> s(size_t(bytes.size()) / 2);
  std::memcpy(s.data(), bytes.constData(), s.size() * 2);
  return s;
}

class RipperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = TestEnv::FreshDir("rip");
    out = TestEnv::FreshDir("rip-out");
    // Three tracks of different tones; the third has a pregap of one second,
    // which belongs to the second track.
    image = DiscImage::Write(dir, {{2, 440}, {1.6, 660}, {1, 880, 1}});
    UseImages({image.cue});
  }
  void TearDown() override { qunsetenv("TESSORY_CD_IMAGES"); }
  // The images as the last drives; returns the first image's position.
  long UseImages(const QStringList& cues) {
    qputenv("TESSORY_CD_IMAGES", cues.join(':').toLocal8Bit());
    return drive = ripper.GetDeviceCount() - long(cues.size());
  }
  void Rip(long track, const QString& file) {
    ripper.SetDeviceIndex(drive);
    ripper.SetTrackNumber(track);
    ripper.SetOutputFile(file);
    ASSERT_EQ(ripper.RipTrack(), 0);
  }
  QString dir, out;
  DiscImage::Image image;
  long drive = 0;
  cAudioCDRipper ripper;
};

// Each track rips to a WAV that holds exactly the image's samples of that
// track. The next track is started from inside the Done event, as the ripper
// window does.
TEST_F(RipperTest, TracksRipBitExactToWav) {
  ripper.SetDestinationFormat(DestWav);
  ripper.SetWavFormat({44100, 2, 16});
  QStringList ends;
  QObject::connect(&ripper, &cAudioCDRipper::Done, [&] {
    ends << "Done";
    if (ripper.TrackNumber() < 3) Rip(ripper.TrackNumber() + 1, out + QString("/t%1.wav").arg(ripper.TrackNumber() + 1));
  });
  QObject::connect(&ripper, &cAudioCDRipper::Error, [&](long, const QString& text) { ends << text; });
  Rip(1, out + "/t1.wav");
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return ends.size() == 3; }, 30000)) << ends.join('|').toStdString();
  EXPECT_EQ(ends, (QStringList{"Done", "Done", "Done"}));
  for (int t = 1; t <= 3; ++t) {
    SCOPED_TRACE(t);
    const Probe p = ProbeFile(out + QString("/t%1.wav").arg(t));
    EXPECT_EQ(p.codec, "pcm_s16le");
    EXPECT_EQ(p.sampleRate, 44100);
    EXPECT_EQ(p.channels, 2);
    const std::vector<int16_t> got = DecodePcm(out + QString("/t%1.wav").arg(t));
    const std::vector<int16_t> want = Samples(image.TrackBytes(t));
    ASSERT_EQ(got.size(), want.size());
    EXPECT_TRUE(got == want);
  }
  // Track 2 runs on through track 3's pregap: 120 and 75 sectors.
  EXPECT_EQ(image.TrackBytes(2).size(), (120 + 75) * DiscImage::kSectorBytes);
  EXPECT_EQ(FilesIn(out), (QStringList{"t1.wav", "t2.wav", "t3.wav"}));
}

// The compressed formats decode to the track's length (to a codec frame),
// carry the seven tags, and APE, being lossless, gives back every sample.
TEST_F(RipperTest, CompressedFormatsDecodeWithLengthAndTags) {
  struct Case {
    const char* name;
    long format;
    const char* ext;
    const char* codec;
    int tolerance;  // frames
  } cases[] = {{"MP3", DestMp3, "mp3", "mp3", 1152 * 2 + 529},
               {"OGG", DestOgg, "ogg", "vorbis", 2048},
               {"APE", DestApe, "ape", "ape", 0}};
  const std::vector<int16_t> want = Samples(image.TrackBytes(2));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JobWatcher w(ripper);
    ripper.SetDestinationFormat(c.format);
    ripper.SetTagTitle("Zweiter Titel");
    ripper.SetTagArtist("Ärtist");
    ripper.SetTagAlbum("The Album");
    ripper.SetTagYear("1999");
    ripper.SetTagTrack("2");
    ripper.SetTagGenre("Jazz");
    ripper.SetTagComment("ripped");
    const QString file = out + "/track2." + c.ext;
    Rip(2, file);
    ASSERT_TRUE(w.Wait());
    ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
    EXPECT_EQ(w.progress.back().second, 100);
    const Probe p = ProbeFile(file);
    EXPECT_EQ(p.codec, c.codec);
    EXPECT_EQ(p.sampleRate, 44100);
    EXPECT_EQ(p.channels, 2);
    const QMap<QString, QString> tags{{"title", "Zweiter Titel"}, {"artist", "Ärtist"}, {"album", "The Album"},
                                      {"track", "2"},           {"genre", "Jazz"},    {"comment", "ripped"}};
    for (auto it = tags.begin(); it != tags.end(); ++it)
      EXPECT_EQ(p.tags.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_TRUE(p.tags.value("date", p.tags.value("year")).startsWith("1999"));
    const std::vector<int16_t> got = DecodePcm(file);
    EXPECT_NEAR(double(got.size() / 2), double(want.size() / 2), c.tolerance);
    if (c.tolerance == 0) {
      EXPECT_TRUE(got == want);
    }
    EXPECT_NEAR(Rms(got), Rms(want), Rms(want) * 0.1);
  }
}

// A range rips exactly those seconds of the track; the next rip without a
// range takes the whole track again.
TEST_F(RipperTest, RangeRipsExactlyThatPartAndAppliesOnce) {
  ripper.SetDestinationFormat(DestWav);
  ripper.SetWavFormat({44100, 2, 16});
  JobWatcher w(ripper);
  ripper.SetRangeStart(1);
  ripper.SetRangeLength(1);
  Rip(1, out + "/range.wav");
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
  const qint64 second = 75 * DiscImage::kSectorBytes;
  EXPECT_TRUE(DecodePcm(out + "/range.wav") == Samples(image.bytes.mid(image.starts[0] + second, second)));
  // A length past the track's end stops at the end of the track.
  w.ends.clear();
  ripper.SetRangeStart(1);
  ripper.SetRangeLength(60);
  Rip(2, out + "/rest.wav");
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
  EXPECT_TRUE(DecodePcm(out + "/rest.wav") == Samples(image.TrackBytes(2).mid(second)));
  w.ends.clear();
  Rip(1, out + "/whole.wav");
  ASSERT_TRUE(w.Wait());
  EXPECT_TRUE(DecodePcm(out + "/whole.wav") == Samples(image.TrackBytes(1)));
}

// Other destination settings are honoured as in the converter.
TEST_F(RipperTest, WavSettingsChangeRateChannelsAndDepth) {
  ripper.SetDestinationFormat(DestWav);
  ripper.SetWavFormat({22050, 1, 8});
  JobWatcher w(ripper);
  Rip(1, out + "/small.wav");
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
  const Probe p = ProbeFile(out + "/small.wav");
  EXPECT_EQ(p.codec, "pcm_u8");
  EXPECT_EQ(p.sampleRate, 22050);
  EXPECT_EQ(p.channels, 1);
  EXPECT_NEAR(double(DecodePcm(out + "/small.wav").size()), 2.0 * 22050, 64);
}

// Whatever cannot be ripped ends with Error after RipTrack returned, and no
// file is left behind.
TEST_F(RipperTest, FailuresEndWithErrorAndNoFile) {
  const QString dataDir = TestEnv::FreshDir("rip-data");
  const QString mixed = DiscImage::Write(dataDir, {{1, 440}, {1, 0, 0, true}}).cue;
  const QString gone = TestEnv::FreshDir("rip-gone") + "/none.cue";
  const long first = UseImages({image.cue, mixed, gone});
  struct Case {
    const char* name;
    long device, track, rangeStart;
    const char* text;
  } cases[] = {{"no device", -1, 1, -1, "There is no CD drive to rip from."},
               {"past the last device", first + 3, 1, -1, "There is no CD drive to rip from."},
               {"no disc", first + 2, 1, -1, "There is no CD in drive"},
               {"track 0", first, 0, -1, "has no track 0"},
               {"track 4", first, 4, -1, "has no track 4"},
               {"data track", first + 1, 2, -1, "is not an audio track"},
               {"range outside", first, 1, 5, "The range lies outside track 1."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JobWatcher w(ripper);
    ripper.SetDeviceIndex(c.device);
    ripper.SetTrackNumber(c.track);
    ripper.SetRangeStart(c.rangeStart);
    ripper.SetOutputFile(out + "/x.wav");
    ASSERT_EQ(ripper.RipTrack(), 0);
    EXPECT_TRUE(w.ends.isEmpty());  // never before RipTrack returned
    ASSERT_TRUE(w.Wait());
    EXPECT_EQ(w.ends, QStringList{"Error"});
    EXPECT_TRUE(w.errorText.contains(c.text)) << w.errorText.toStdString();
    EXPECT_TRUE(FilesIn(out).isEmpty());
  }
}

// A disc that goes bad while its track is read (the image cut short under
// the reader) ends that track with Error and removes its partial file; the
// next track can still be ripped.
TEST_F(RipperTest, ReadErrorMidTrackEndsWithErrorAndNoFile) {
  const DiscImage::Image longImage = DiscImage::Write(dir, {{60, 330}, {1, 440}}, "long");
  UseImages({longImage.cue});
  ripper.SetDestinationFormat(DestMp3);
  Mp3FormatRecord slow = AudioJobSettings::DefaultMp3();
  slow.Quality = 0;  // the slowest coding: the reader stays far behind the cut
  ripper.SetMp3Format(slow);
  JobWatcher w(ripper);
  Rip(1, out + "/t1.mp3");
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return !w.progress.empty(); }, 20000));
  QFile bin(longImage.bin);
  ASSERT_TRUE(bin.resize(longImage.starts[0] + 30 * 75 * DiscImage::kSectorBytes));
  ASSERT_TRUE(w.Wait());
  EXPECT_EQ(w.ends, QStringList{"Error"});
  EXPECT_TRUE(w.errorText.startsWith("Read error on track 1 at 0:")) << w.errorText.toStdString();
  EXPECT_TRUE(FilesIn(out).isEmpty()) << FilesIn(out).join(' ').toStdString();
  w.ends.clear();
  QFile::resize(longImage.bin, longImage.bytes.size());
  Rip(2, out + "/t2.mp3");
  ASSERT_TRUE(w.Wait());
  EXPECT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
}

// Abort in the middle of a long track: Aborted, and neither the output nor a
// temporary file stays.
TEST_F(RipperTest, AbortMidTrackLeavesNoFile) {
  const DiscImage::Image longImage = DiscImage::Write(dir, {{60, 330}}, "long");
  UseImages({longImage.cue});
  ripper.SetDestinationFormat(DestMp3);
  JobWatcher w(ripper);
  Rip(1, out + "/long.mp3");
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return !w.progress.empty() && w.progress.back().second >= 2; }, 20000));
  ripper.AbortRip();
  ASSERT_TRUE(w.Wait());
  EXPECT_EQ(w.ends, QStringList{"Aborted"});
  EXPECT_TRUE(FilesIn(out).isEmpty());
}

// An image drive has no tray: Eject does nothing and reports nothing.
TEST_F(RipperTest, EjectOnAnImageDoesNothing) {
  JobWatcher w(ripper);
  ripper.SetDeviceIndex(drive);
  ripper.Eject();
  w.Wait(0, 50);
  EXPECT_TRUE(w.ends.isEmpty());
  EXPECT_TRUE(QFile::exists(image.cue));
  ASSERT_TRUE(ripper.SelectDevice(drive));
  EXPECT_EQ(ripper.GetTrackCount(), 3);
}

// A CUE sheet of more than 99 tracks is refused before the disc library
// reads it (it overruns its track table on one); 99 tracks still open.
TEST_F(RipperTest, ImageOfMoreThan99TracksIsRefused) {
  std::vector<DiscImage::Track> tracks(100, {0.2, 440});
  const QString many = DiscImage::Write(TestEnv::FreshDir("rip-many"), tracks, "many").cue;
  tracks.pop_back();
  const QString most = DiscImage::Write(TestEnv::FreshDir("rip-most"), tracks, "most").cue;
  const long first = UseImages({many, most});
  EXPECT_FALSE(ripper.SelectDevice(first));
  EXPECT_EQ(ripper.GetTrackCount(), 0);
  drive = first;
  JobWatcher w(ripper);
  Rip(1, out + "/one.wav");
  ASSERT_TRUE(w.Wait());
  EXPECT_EQ(w.ends, QStringList{"Error"});
  EXPECT_TRUE(w.errorText.contains("lists 100 tracks; a CD holds at most 99.")) << w.errorText.toStdString();
  EXPECT_TRUE(FilesIn(out).isEmpty());
  ASSERT_TRUE(ripper.SelectDevice(first + 1));
  EXPECT_EQ(ripper.GetTrackCount(), 99);
}

}  // namespace
