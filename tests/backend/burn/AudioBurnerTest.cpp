// The audio-CD writer on its BIN/CUE image drive: what it writes, read back
// through libcdio and the CD control; its events, failures and abort.
#include <gtest/gtest.h>

#include <cdio/cdio.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <cstring>

#include "AudioFixtures.h"
#include "BurnWatcher.h"
#include "TestEnv.h"
#include "backend/audio/AudioDecoder.h"
#include "platform/burn/cAudioBurner.h"
#include "platform/cd/cAudioCDRipper.h"

using namespace AudioFixtures;

namespace {
constexpr qint64 kSector = 2352;

// The item as the engine's decoder gives it at CD rate, 16-bit stereo.
QByteArray DecodedAtCdRate(const QString& path) {
  AudioDecoder d;
  QString error;
  QByteArray out;
  if (!d.Open(path, &error) || !d.Start(44100, 2, 16, -1, -1, &error)) return out;
  for (int n; (n = d.Read(&error)) > 0;) out.append(static_cast<const char*>(d.Pcm()), n * 4);
  return out;
}

// The sectors of a track as libcdio reads them from the image.
QByteArray ReadSectors(CdIo_t* cdio, lsn_t from, long count) {
  QByteArray out(int(count * kSector), 0);
  if (cdio_read_audio_sectors(cdio, out.data(), from, uint32_t(count)) != DRIVER_OP_SUCCESS) return QByteArray();
  return out;
}

// INDEX 01 positions (in sectors) of the CUE, in track order.
std::vector<long> TrackStarts(const QString& cue) {
  QFile f(cue);
  f.open(QIODevice::ReadOnly);
  std::vector<long> starts;
  static const QRegularExpression index(R"(INDEX 01 (\d\d):(\d\d):(\d\d))");
  for (auto m = index.globalMatch(QString::fromUtf8(f.readAll())); m.hasNext();) {
    auto hit = m.next();
    starts.push_back((hit.captured(1).toLong() * 60 + hit.captured(2).toLong()) * 75 + hit.captured(3).toLong());
  }
  return starts;
}

void PutLe(QByteArray& b, quint32 v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.append(char(v >> (8 * i)));
}

// A RIFF file of the given chunks; each chunk's size is its text's unless given.
QByteArray Riff(const std::vector<std::pair<QByteArray, QByteArray>>& chunks, qint64 dataSizeClaim = -1) {
  QByteArray body("WAVE");
  for (const auto& [id, data] : chunks) {
    body += id;
    PutLe(body, quint32(id == "data" && dataSizeClaim >= 0 ? dataSizeClaim : data.size()), 4);
    body += data;
    if (data.size() % 2) body += '\0';
  }
  QByteArray out("RIFF");
  PutLe(out, quint32(body.size()), 4);
  return out + body;
}

QByteArray RiffSizeZero(QByteArray riff) {
  riff.replace(4, 4, QByteArray(4, '\0'));
  return riff;
}

QByteArray Fmt(int tag, int channels, int rate, int bits, int extra = 0) {
  QByteArray f;
  PutLe(f, quint32(tag), 2);
  PutLe(f, quint32(channels), 2);
  PutLe(f, quint32(rate), 4);
  PutLe(f, quint32(rate * channels * bits / 8), 4);
  PutLe(f, quint32(channels * bits / 8), 2);
  PutLe(f, quint32(bits), 2);
  if (extra) PutLe(f, 0, extra);
  return f;
}

// Samples that tell positions apart: a ramp on the left, its negative on the right.
QByteArray Ramp(int frames, int channels) {
  QByteArray d;
  for (int n = 0; n < frames; ++n)
    for (int c = 0; c < channels; ++c) PutLe(d, quint32(quint16(int16_t(c ? -(n % 20000) : n % 20000))), 2);
  return d;
}

class AudioBurnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = TestEnv::FreshDir("audioburn");
    cue = dir + "/disc/out.cue";
    QDir().mkpath(dir + "/disc");
    qputenv("TESSORY_CD_IMAGES", (dir + "/other.iso:" + cue).toLocal8Bit());
  }
  void TearDown() override { qunsetenv("TESSORY_CD_IMAGES"); }

  void Watch(cAudioBurner& b, BurnWatcher& w) {
    QObject::connect(&b, &cAudioBurner::CachingTrack, &w.context, [&w] { w.Add("Caching"); });
    QObject::connect(&b, &cAudioBurner::WritingTrack, &w.context, [&w] { w.Add("Writing"); });
    QObject::connect(&b, &cAudioBurner::ClosingTrack, &w.context, [&w](int t) { w.Add("ClosingTrack " + QString::number(t)); });
    QObject::connect(&b, &cAudioBurner::ClosingSession, &w.context, [&w] { w.Add("ClosingSession"); });
    QObject::connect(&b, &cAudioBurner::TrackProgress, &w.context, [this](int p, int t) { trackProgress.push_back({t, p}); });
    QObject::connect(&b, &cAudioBurner::Finished, &w.context, [&w] { w.End("Finished"); });
    QObject::connect(&b, &cAudioBurner::Error, &w.context, [&w](long c, const QString& t) { w.Fail(c, t); });
  }

  // The image drive's letter: the second image of the table.
  QString Letter(cAudioBurner& b) {
    for (long i = 1; i <= b.GetDriveCount(); ++i)
      if (b.GetDriveName(i).contains(cue)) return b.GetDriveName(i).left(1);
    return QString();
  }

  QString dir, cue;
  std::vector<std::pair<int, int>> trackProgress;  // (track, percent)
};
}  // namespace

TEST_F(AudioBurnerTest, ImageDriveIsListedForAudioOnly) {
  cAudioBurner b;
  ASSERT_EQ(b.GetDriveCount(), 1);  // the .iso image takes data discs only
  const QString name = b.GetDriveName(1);
  EXPECT_TRUE(name.startsWith("E: ")) << name.toStdString();
  EXPECT_EQ(b.GetSpeedCount("E"), 0);
  EXPECT_EQ(b.GetDiscState("E"), "");
  EXPECT_NEAR(b.GetDiscCapacity("E") / 153535.0 / 60, 80.0, 0.1);
  EXPECT_EQ(b.GetDiscSize("E"), 0);
  EXPECT_EQ(b.GetDriveName(2), "");
}

TEST_F(AudioBurnerTest, ThreeItemsOfDifferentFormatsAndRatesBecomeTheImage) {
  const QStringList items = {
      WriteWav(dir + "/a.wav", 44100, 2, 16, 4.5),
      Encode(WriteWav(dir + "/b.wav", 22050, 1, 16, 5.2), dir + "/b.ogg", {"-c:a", "libvorbis"}),
      Encode(WriteWav(dir + "/c.wav", 48000, 2, 16, 4.1), dir + "/c.mp3", {"-c:a", "libmp3lame"}),
  };
  cAudioBurner b;
  BurnWatcher w;
  Watch(b, w);
  for (const QString& item : items) ASSERT_TRUE(b.AddTrack(item)) << item.toStdString();
  EXPECT_EQ(b.GetTrackCount(), 3);
  b.SetWriteOption(true);
  b.Burn(Letter(b), 65535);
  EXPECT_TRUE(w.events.isEmpty());  // events come after the call returned
  b.ResetBurner();                  // the running write keeps its copy of the queue
  EXPECT_EQ(b.GetTrackCount(), 0);
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Finished"}) << w.errorText.toStdString();
  EXPECT_EQ(w.events, (QStringList{"Caching", "Caching", "Caching", "Writing", "ClosingTrack 1", "Writing",
                                   "ClosingTrack 2", "Writing", "ClosingTrack 3", "ClosingSession", "Finished"}));
  ASSERT_FALSE(trackProgress.empty());
  EXPECT_EQ(trackProgress.back(), std::make_pair(3, 100));
  EXPECT_EQ(FilesIn(dir + "/disc"), (QStringList{"out.bin", "out.cue"}));  // no temporary file left

  // The CUE: one track per item, each starting after the last one and its 2-second pregap.
  const std::vector<long> starts = TrackStarts(cue);
  ASSERT_EQ(starts.size(), 3u);
  const qint64 binSectors = QFileInfo(dir + "/disc/out.bin").size() / kSector;
  ASSERT_EQ(QFileInfo(dir + "/disc/out.bin").size() % kSector, 0);

  CdIo_t* cdio = cdio_open(cue.toLocal8Bit().constData(), DRIVER_BINCUE);
  ASSERT_NE(cdio, nullptr);
  ASSERT_EQ(cdio_get_num_tracks(cdio), 3);
  for (int t = 0; t < 3; ++t) {
    const QByteArray expected = DecodedAtCdRate(items[t]);
    ASSERT_FALSE(expected.isEmpty());
    const long end = t < 2 ? starts[size_t(t + 1)] - 150 : long(binSectors);
    const long sectors = end - starts[size_t(t)];
    // Only the padding to a whole sector follows the item's samples.
    EXPECT_EQ(sectors, (expected.size() + kSector - 1) / kSector) << "track " << t + 1;
    EXPECT_EQ(cdio_get_track_lsn(cdio, track_t(t + 1)), starts[size_t(t)]);
    const QByteArray read = ReadSectors(cdio, starts[size_t(t)], sectors);
    ASSERT_EQ(read.size(), sectors * kSector);
    EXPECT_TRUE(read.left(expected.size()) == expected) << "track " << t + 1 << " samples differ";
    EXPECT_EQ(read.mid(expected.size()).count('\0'), read.size() - expected.size());
    if (t < 2) {
      const QByteArray gap = ReadSectors(cdio, end, 150);
      EXPECT_EQ(gap.count('\0'), gap.size()) << "pregap of track " << t + 2;
    }
  }
  cdio_destroy(cdio);

  // The WAV item needs no resampling: its samples are in the image as generated.
  const std::vector<int16_t> source = DecodePcm(items[0]);
  const QByteArray bin = [&] { QFile f(dir + "/disc/out.bin"); f.open(QIODevice::ReadOnly); return f.readAll(); }();
  ASSERT_GE(size_t(bin.size()), source.size() * 2);
  EXPECT_EQ(std::memcmp(bin.constData(), source.data(), source.size() * 2), 0);

  // The CD control reads the image drive back: three audio tracks of the right lengths.
  cAudioCDRipper ripper;
  ASSERT_EQ(ripper.GetDeviceCount(), 2);
  ASSERT_TRUE(ripper.SelectDevice(1));
  ASSERT_EQ(ripper.GetTrackCount(), 3);
  for (int t = 1; t <= 3; ++t) {
    EXPECT_EQ(ripper.GetTrackType(t), 1);
    const long next = t < 3 ? starts[size_t(t)] : long(binSectors);
    EXPECT_EQ(ripper.GetTrackLength(t), (next - starts[size_t(t - 1)]) / 75) << "track " << t;
  }
}

TEST_F(AudioBurnerTest, ShortItemFillsTheFourSecondsATrackNeeds) {
  cAudioBurner b;
  BurnWatcher w;
  Watch(b, w);
  ASSERT_TRUE(b.AddTrack(WriteWav(dir + "/short.wav", 44100, 2, 16, 1.0)));
  ASSERT_TRUE(b.AddTrack(WriteWav(dir + "/long.wav", 44100, 2, 16, 4.5)));
  b.Burn(Letter(b), 65535);
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Finished"}) << w.errorText.toStdString();
  EXPECT_EQ(TrackStarts(cue), (std::vector<long>{0, 300 + 150}));
}

TEST_F(AudioBurnerTest, AddTrackRefusesWhatDoesNotDecode) {
  QFile text(dir + "/notes.txt");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not audio at all\n");
  text.close();
  cAudioBurner b;
  EXPECT_FALSE(b.AddTrack(dir + "/notes.txt"));
  EXPECT_FALSE(b.AddTrack(dir + "/missing.wav"));
  EXPECT_EQ(b.GetTrackCount(), 0);
}

// Every failed write ends with one Error and no Finished, leaves no image and no
// temporary file, whether it fails before or during the write.
TEST_F(AudioBurnerTest, FailuresEndWithOneErrorAndLeaveNothing) {
  struct Case {
    const char* name;
    QString letter;   // "" for the image drive
    bool emptyQueue;
    bool removeSecond;  // the second item vanishes after it was queued
    bool noFolder;      // the image's folder does not exist
    long code;
  };
  const Case cases[] = {
      {"unknown writer", "Q", false, false, false, 2},
      {"nothing queued", "", true, false, false, 6},
      {"item gone", "", false, true, false, 1},
      {"folder missing", "", false, false, true, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(dir + "/disc").removeRecursively();
    if (!c.noFolder) QDir().mkpath(dir + "/disc");
    cAudioBurner b;
    BurnWatcher w;
    Watch(b, w);
    if (!c.emptyQueue) {
      ASSERT_TRUE(b.AddTrack(WriteWav(dir + "/one.wav", 44100, 2, 16, 4.2)));
      ASSERT_TRUE(b.AddTrack(WriteWav(dir + "/two.wav", 44100, 2, 16, 4.2)));
    }
    if (c.removeSecond) QFile::remove(dir + "/two.wav");
    b.Burn(c.letter.isEmpty() ? Letter(b) : c.letter, 65535);
    ASSERT_TRUE(w.Wait());
    EXPECT_EQ(w.ends, QStringList{"Error"});
    EXPECT_EQ(w.errorCode, c.code) << w.errorText.toStdString();
    EXPECT_EQ(w.Count("Finished"), 0);
    EXPECT_TRUE(FilesIn(dir + "/disc").isEmpty()) << FilesIn(dir + "/disc").join(",").toStdString();
  }
}

TEST_F(AudioBurnerTest, AbortStopsTheWriteBeforeItReturns) {
  cAudioBurner b;
  BurnWatcher w;
  Watch(b, w);
  // Items that need resampling take long enough that the abort lands mid-write.
  for (const char* name : {"/x.wav", "/y.wav", "/z.wav"})
    ASSERT_TRUE(b.AddTrack(WriteWav(dir + name, 48000, 2, 16, 60.0, Signal::Silence)));
  b.Burn(Letter(b), 65535);
  b.AbortBurn();
  // The writer is idle when the call returns: nothing is left behind.
  EXPECT_TRUE(FilesIn(dir + "/disc").isEmpty()) << FilesIn(dir + "/disc").join(",").toStdString();
  ASSERT_TRUE(w.Wait());
  EXPECT_EQ(w.ends, QStringList{"Error"});
  EXPECT_EQ(w.errorCode, 4);
  EXPECT_EQ(w.errorText, "Aborted");

  // The next write of the same control runs to its end.
  BurnWatcher again;
  Watch(b, again);
  b.ResetBurner();
  ASSERT_TRUE(b.AddTrack(WriteWav(dir + "/short.wav", 44100, 2, 16, 4.2)));
  b.Burn(Letter(b), 65535);
  ASSERT_TRUE(again.Wait());
  EXPECT_EQ(again.ends, QStringList{"Finished"}) << again.errorText.toStdString();
}

// The write has ended and posted its success before Abort or Close is called
// (no event is served in between): Abort still ends it aborted, Close with no
// event, and neither leaves the image or a hidden file once it returns.
TEST_F(AudioBurnerTest, AbortOrCloseMeetingTheEndOfTheWriteLeavesNoImage) {
  const QString item = WriteWav(dir + "/x.wav", 44100, 2, 16, 4.2);
  const QDir disc(dir + "/disc");
  for (bool close : {false, true}) {
    SCOPED_TRACE(close ? "Close" : "Abort");
    cAudioBurner b;
    BurnWatcher w;
    Watch(b, w);
    ASSERT_TRUE(b.AddTrack(item));
    b.Burn(Letter(b), 65535);
    // The CUE, in place or under its hidden name, is the thread's last file.
    QElapsedTimer t;
    t.start();
    while (disc.entryList({"*.cue", ".*.cue.*"}, QDir::Files | QDir::Hidden).isEmpty() && t.elapsed() < 60000)
      QThread::msleep(5);
    QThread::msleep(200);
    if (close) b.CloseBurner();
    else b.AbortBurn();
    EXPECT_EQ(disc.entryList(QDir::Files | QDir::Hidden).join(' '), "");
    w.Wait(close ? 300 : 120000);
    EXPECT_EQ(w.ends, close ? QStringList() : QStringList{"Error"});
    EXPECT_EQ(w.errorCode, close ? 0 : 4);
    EXPECT_EQ(disc.entryList(QDir::Files | QDir::Hidden).join(' '), "");
  }
}

TEST_F(AudioBurnerTest, CloseDuringAWriteRaisesNothingMore) {
  cAudioBurner b;
  BurnWatcher w;
  Watch(b, w);
  ASSERT_TRUE(b.AddTrack(WriteWav(dir + "/x.wav", 48000, 2, 16, 120.0, Signal::Silence)));
  b.Burn(Letter(b), 65535);
  b.CloseBurner();
  EXPECT_FALSE(w.Wait(300));
  EXPECT_TRUE(w.events.isEmpty());
  EXPECT_TRUE(FilesIn(dir + "/disc").isEmpty());
}

// WAV items in CD audio are copied, not decoded: whatever their chunks look
// like, and whatever sizes they state, the track holds exactly what the
// decoder makes of them.
TEST_F(AudioBurnerTest, WavItemsGiveTheDecodersSamplesWhateverTheirChunks) {
  const int frames = 44100 * 4 + 123;
  const QByteArray ramp = Ramp(frames, 2);
  struct Case {
    const char* name;
    QByteArray bytes;
  };
  const Case cases[] = {
      {"plain", Riff({{"fmt ", Fmt(1, 2, 44100, 16)}, {"data", ramp}})},
      {"odd chunk before the data", Riff({{"fmt ", Fmt(1, 2, 44100, 16)}, {"LIST", "INFOx"}, {"data", ramp}})},
      {"format with extra bytes", Riff({{"fmt ", Fmt(1, 2, 44100, 16, 2)}, {"data", ramp}})},
      {"data size beyond the file", Riff({{"fmt ", Fmt(1, 2, 44100, 16)}, {"data", ramp}}, 0x7ffffff0)},
      {"data size 0, as a recording cut short leaves it", Riff({{"fmt ", Fmt(1, 2, 44100, 16)}, {"data", ramp}}, 0)},
      {"RIFF size 0", RiffSizeZero(Riff({{"fmt ", Fmt(1, 2, 44100, 16)}, {"data", ramp}}))},
      {"half a frame at the end", Riff({{"fmt ", Fmt(1, 2, 44100, 16)}, {"data", ramp + "\x01\x02"}})},
      {"mono", Riff({{"fmt ", Fmt(1, 1, 44100, 16)}, {"data", Ramp(frames, 1)}})},
      {"other rate", Riff({{"fmt ", Fmt(1, 2, 48000, 16)}, {"data", ramp}})},
  };
  cAudioBurner b;
  BurnWatcher w;
  Watch(b, w);
  QStringList items;
  for (const Case& c : cases) {
    items << dir + "/" + c.name + ".wav";
    QFile f(items.last());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(c.bytes), c.bytes.size());
    f.close();
    ASSERT_TRUE(b.AddTrack(items.last())) << c.name;
  }
  b.Burn(Letter(b), 65535);
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Finished"}) << w.errorText.toStdString();
  const std::vector<long> starts = TrackStarts(cue);
  ASSERT_EQ(starts.size(), std::size(cases));
  CdIo_t* cdio = cdio_open(cue.toLocal8Bit().constData(), DRIVER_BINCUE);
  ASSERT_NE(cdio, nullptr);
  for (size_t t = 0; t < std::size(cases); ++t) {
    SCOPED_TRACE(cases[t].name);
    const QByteArray expected = DecodedAtCdRate(items[int(t)]);
    ASSERT_GT(expected.size(), 44100 * 4 * 3);
    const long sectors = long((expected.size() + kSector - 1) / kSector);
    const QByteArray read = ReadSectors(cdio, starts[t], sectors);
    EXPECT_TRUE(read.left(expected.size()) == expected);
    if (t + 1 < starts.size()) {
      EXPECT_EQ(starts[t + 1] - 150 - starts[t], sectors);
    }
  }
  cdio_destroy(cdio);
}
