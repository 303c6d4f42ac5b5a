// The length of an MP3 is counted from its frame headers, whatever an Info
// frame states, and loses the encoder's delay and padding its LAME tag states:
// the probe and the full open give the length and rate a full decode gives,
// for every layer, rate, damage and writer, and the probe stops when asked.
#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <atomic>
#include <thread>

#include "AudioFixtures.h"
#include "TestEnv.h"
#include "backend/audio/ApeTag.h"
#include "backend/audio/AudioDecoder.h"
#include "backend/audio/SourceProbe.h"

using namespace AudioFixtures;

namespace {
QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QString Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
  return path;
}
// As lame writes it by default: an Info frame with its LAME tag first.
QString LameWithInfo(const QString& dir, const QString& name, int rate, double seconds, const QStringList& args,
                     int channels = 2) {
  const QString wav = WriteWav(dir + "/" + name + ".wav", rate, channels, 16, seconds);
  const QString mp3 = dir + "/" + name + ".mp3";
  RunTool("lame", QStringList{"--quiet"} + args + QStringList{wav, mp3});
  return mp3;
}
// Without the Info frame: nothing states the length.
QString Lame(const QString& dir, const QString& name, int rate, double seconds, const QStringList& args,
             int channels = 2) {
  return LameWithInfo(dir, name, rate, seconds, QStringList{"-t"} + args, channels);
}
QString Ffmpeg(const QString& dir, const QStringList& args) {
  return Encode(WriteWav(dir + "/ff.wav", 44100, 2, 16, 2.0), dir + "/ff.mp3", QStringList{"-c:a", "libmp3lame"} + args);
}
// A picture for the ID3v2 tag.
QString Cover(const QString& dir) {
  RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "color=red:s=32x32", "-frames:v", "1", dir + "/cover.png"});
  return dir + "/cover.png";
}
// Frames of silence, mono, each a header and zero bits: no subband carries
// samples. Layer I, MPEG-1 at 48 kHz, 32 kbit/s: 32 bytes per frame.
QByteArray SilentLayerOne(int frames) {
  QByteArray frame(32, '\0');
  frame[0] = char(0xFF), frame[1] = char(0xFF), frame[2] = char(0x14), frame[3] = char(0xC0);
  return frame.repeated(frames);
}
// The file's bytes with the frame count its Xing/Info frame states changed.
QByteArray WithStatedFrames(QByteArray bytes, const std::function<quint32(quint32)>& count) {
  qsizetype at = bytes.indexOf("Info");
  if (at < 0 || at > 200) at = bytes.indexOf("Xing");
  EXPECT_TRUE(at > 0 && at < 200 && (bytes[at + 7] & 1));
  uchar* field = reinterpret_cast<uchar*>(bytes.data() + at + 8);
  qToBigEndian(count(qFromBigEndian<quint32>(field)), field);
  return bytes;
}
// An ID3v2 tag with a title.
QByteArray Id3v2Tag() {
  const QByteArray title = QByteArray("\0Title", 6);
  QByteArray frame = "TIT2" + QByteArray("\0\0\0", 3) + char(title.size()) + QByteArray(2, '\0') + title;
  return QByteArray("ID3\x03\0\0\0\0\0", 9) + char(frame.size()) + frame;
}

struct Expected {
  int rate = 0;
  int channels = 0;
  double ms = 0;
};
// What a full open (the format) and a full decode at its rate (the length) give.
Expected FullDecode(const QString& path) {
  AudioDecoder decoder;
  QString error;
  if (!decoder.Open(path, &error)) return {};
  const int rate = decoder.Info().sampleRate;
  const QByteArray pcm = RunTool("ffmpeg", {"-v", "quiet", "-i", path, "-f", "s16le", "-ac", "1", "-ar",
                                            QString::number(rate), "-"});
  return {rate, decoder.Info().channels, 1000.0 * double(pcm.size() / 2) / rate};
}

struct LengthCase {
  const char* name;
  std::function<QString(const QString& dir)> make;
};
void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }

const LengthCase kLengthCases[] = {
    {"Cbr", [](const QString& d) { return Lame(d, "cbr", 44100, 2.0, {"-b", "128"}); }},
    {"VbrNoXing", [](const QString& d) { return Lame(d, "vbr", 44100, 2.0, {"-V", "4"}); }},
    {"Mpeg2", [](const QString& d) { return Lame(d, "m2", 22050, 2.0, {"-b", "48"}); }},
    {"Mpeg2At16k", [](const QString& d) { return Lame(d, "m2", 16000, 2.0, {"-b", "32"}); }},
    {"Mpeg25At8k", [](const QString& d) { return Lame(d, "m25", 8000, 2.0, {"--resample", "8", "-b", "16"}); }},
    {"Mpeg25At11k", [](const QString& d) { return Lame(d, "m25", 11025, 2.0, {"--resample", "11.025", "-b", "24"}); }},
    {"LayerTwo",
     [](const QString& d) {
       return Encode(WriteWav(d + "/in.wav", 32000, 2, 16, 2.0), d + "/in.mp2", {"-c:a", "mp2", "-b:a", "128k"});
     }},
    {"LayerOneTinyFrames", [](const QString& d) { return Write(d + "/l1.mp3", SilentLayerOne(3000)); }},
    {"StereoBrieflyThenMono",
     [](const QString& d) {
       return Write(d + "/sm.mp3", ReadAll(Lame(d, "s", 44100, 0.3, {"-b", "128"})) +
                                       ReadAll(Lame(d, "m", 44100, 1.5, {"-b", "64"}, 1)));
     }},
    {"Id3v2InFront",
     [](const QString& d) {
       return Lame(d, "id3", 44100, 1.5, {"-b", "96", "--id3v2-only", "--tt", "Title", "--pad-id3v2-size", "3000"});
     }},
    {"JunkBetweenFrames",
     [](const QString& d) {
       const QByteArray cbr = ReadAll(Lame(d, "cbr", 44100, 1.0, {"-b", "128"}));
       return Write(d + "/junk.mp3", cbr + QByteArray(777, '\0') + cbr + QByteArray("no frame here ").repeated(40) +
                                         cbr + QByteArray(3, '\xFF') + cbr);
     }},
    {"TruncatedLastFrame",
     [](const QString& d) {
       const QByteArray cbr = ReadAll(Lame(d, "cbr", 44100, 2.0, {"-b", "128"}));
       return Write(d + "/cut.mp3", cbr.left(cbr.size() - 200));
     }},
    {"Id3v1AndApeTagsAtTheEnd",
     [](const QString& d) {
       const QByteArray cbr = ReadAll(Lame(d, "cbr", 44100, 2.0, {"-b", "128"}));
       QByteArray id3v1 = "TAG" + QByteArray(125, '\xFF');
       return Write(d + "/tags.mp3", cbr + ApeTag::Build({{"Title", QString(300, QChar(0xFF))}}) + id3v1);
     }},
    // More zeros than the demuxer looks through for the first frame.
    {"ZerosBeforeTheAudio",
     [](const QString& d) {
       return Write(d + "/zeros.mp3", QByteArray(100000, '\0') + ReadAll(Lame(d, "cbr", 44100, 2.0, {"-b", "128"})));
     }},
    {"Id3v2ThenZeros",
     [](const QString& d) {
       const QByteArray tag = QByteArray("ID3\x03\0\0\0\0\0\x06", 10) + QByteArray(6, '\0');
       return Write(d + "/tagzeros.mp3",
                    tag + QByteArray(70000, '\0') + ReadAll(Lame(d, "cbr", 44100, 2.0, {"-b", "128"})));
     }},
    {"VbrWithPicture", [](const QString& d) { return Lame(d, "pic", 44100, 2.0, {"-V", "4", "--ti", Cover(d)}); }},
    // The decoder drops the delay and padding the LAME tag states.
    {"LameCbrInfo", [](const QString& d) { return LameWithInfo(d, "cbr", 44100, 2.0, {"-b", "128"}); }},
    {"LameVbrInfo", [](const QString& d) { return LameWithInfo(d, "vbr", 44100, 2.0, {"-V", "2"}); }},
    {"LameVbrMonoInfo", [](const QString& d) { return LameWithInfo(d, "mono", 44100, 2.0, {"-V", "2"}, 1); }},
    {"LameMpeg2MonoInfo", [](const QString& d) { return LameWithInfo(d, "m2", 16000, 2.0, {"-b", "64"}, 1); }},
    {"LameVbrInfoWithPicture",
     [](const QString& d) { return LameWithInfo(d, "pic", 44100, 2.0, {"-V", "2", "--ti", Cover(d)}); }},
    {"JoinedInfoFiles",
     [](const QString& d) {
       return Write(d + "/joined.mp3", ReadAll(LameWithInfo(d, "a", 44100, 1.0, {"-V", "2"})) +
                                          ReadAll(LameWithInfo(d, "b", 44100, 1.5, {"-b", "128"})));
     }},
    {"FfmpegCbrInfo", [](const QString& d) { return Ffmpeg(d, {"-b:a", "128k"}); }},
    {"FfmpegVbrInfo", [](const QString& d) { return Ffmpeg(d, {"-q:a", "4"}); }},
    // A count the bytes do not back is not taken.
    {"InfoCountHuge",
     [](const QString& d) {
       const QByteArray cbr = ReadAll(LameWithInfo(d, "cbr", 44100, 2.0, {"-b", "128"}));
       return Write(d + "/huge.mp3", WithStatedFrames(cbr, [](quint32) { return 0x7FFFFFFFu; }));
     }},
    {"InfoCountHalved",
     [](const QString& d) {
       const QByteArray cbr = ReadAll(LameWithInfo(d, "cbr", 44100, 3.0, {"-b", "128"}));
       return Write(d + "/half.mp3", WithStatedFrames(cbr, [](quint32 n) { return n / 2; }));
     }},
    {"XingCountHalved",
     [](const QString& d) {
       const QByteArray vbr = ReadAll(LameWithInfo(d, "vbr", 44100, 3.0, {"-V", "2"}));
       return Write(d + "/half.mp3", WithStatedFrames(vbr, [](quint32 n) { return n / 2; }));
     }},
    {"InfoFileCutShort",
     [](const QString& d) {
       const QByteArray cbr = ReadAll(LameWithInfo(d, "long", 44100, 20.0, {"-b", "128"}));
       return Write(d + "/cut.mp3", cbr.left(200000));
     }},
    // Where FFmpeg has only a bit rate estimate, the frames are counted.
    {"ZerosThenId3v2",
     [](const QString& d) {
       return Write(d + "/zerostag.mp3",
                    QByteArray(70000, '\0') + Id3v2Tag() + ReadAll(Lame(d, "vbr", 44100, 2.0, {"-V", "2"})));
     }},
    {"AdtsAacNamedMp3",
     [](const QString& d) {
       const QString aac = Encode(WriteWav(d + "/in.wav", 44100, 2, 16, 2.0), d + "/in.aac", {"-c:a", "aac", "-f", "adts"});
       QFile::rename(aac, d + "/aac.mp3");
       return d + "/aac.mp3";
     }},
};
class Mp3Length : public ::testing::TestWithParam<LengthCase> {};
}  // namespace

TEST_P(Mp3Length, ProbeGivesTheRateAndLengthOfAFullDecode) {
  const QString path = GetParam().make(TestEnv::FreshDir(QString("mp3_length_") + GetParam().name));
  const Expected expected = FullDecode(path);
  ASSERT_GT(expected.ms, 900);
  const SourceProbe probe = SourceProbe::Of(path);
  ASSERT_TRUE(probe.opened);
  EXPECT_EQ(probe.info.sampleRate, expected.rate);
  EXPECT_EQ(probe.info.channels, expected.channels);
  EXPECT_NEAR(double(probe.info.durationMs), expected.ms, 1.0);
  AudioDecoder full;  // as the player and the audio-CD writer's plan open it
  QString error;
  ASSERT_TRUE(full.Open(path, &error)) << error.toStdString();
  EXPECT_NEAR(double(full.Info().durationMs), expected.ms, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Mp3Files, Mp3Length, ::testing::ValuesIn(kLengthCases),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {
// Bytes this process has read so far (every thread, files and pipes).
int64_t BytesRead() {
  QFile io("/proc/self/io");
  io.open(QIODevice::ReadOnly);
  for (const QByteArray& line : io.readAll().split('\n'))
    if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
  return -1;
}
}  // namespace

// Frames at the start and a gigabyte of nothing after them (a hole, taking no
// disk): stopping the probes ends the count within a piece of the file.
TEST(Mp3LengthCount, StopsWhenTheProbesAreStopped) {
  const QString dir = TestEnv::FreshDir("mp3_stop");
  const QString path = Write(dir + "/long.mp3", ReadAll(Lame(dir, "cbr", 44100, 1.0, {"-b", "128"})));
  constexpr int64_t kGigabyte = int64_t(1) << 30;
  ASSERT_TRUE(QFile(path).resize(kGigabyte));

  const int64_t before = BytesRead();
  ProbePool pool;
  pool.Start({path});
  // Until the count is well under way (a probe that ended early reads less).
  for (int i = 0; i < 10000000 && BytesRead() - before < (int64_t(16) << 20); ++i) std::this_thread::yield();
  pool.Stop();
  EXPECT_LT(BytesRead() - before, kGigabyte / 8);
}

// A file that is no MP3 at all, named as one, and one whose tags state sizes
// beyond the file: the probe ends having read the file at most once or twice.
TEST(Mp3LengthCount, FilesThatAreNoMp3AreReadNoFurtherThanTheirEnd) {
  const QString dir = TestEnv::FreshDir("mp3_not");
  QByteArray noise(4 << 20, '\0');
  QRandomGenerator random(5);
  random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
  const QByteArray cbr = ReadAll(Lame(dir, "cbr", 44100, 1.0, {"-b", "128"}));
  QByteArray hugeId3("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10);
  QByteArray apeFooter = ApeTag::Build({{"Title", "x"}}).right(32);
  apeFooter.replace(12, 4, QByteArray("\xF0\xFF\xFF\x7F", 4));
  const struct {
    const char* name;
    QByteArray bytes;
  } cases[] = {
      {"Noise", noise},
      {"Text", QByteArray("not audio\n").repeated(100000)},
      {"HugeId3v2", hugeId3 + cbr},
      {"HugeApeTag", cbr + apeFooter},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = Write(dir + "/" + c.name + ".mp3", c.bytes);
    const int64_t before = BytesRead();
    const SourceProbe probe = SourceProbe::Of(path);
    EXPECT_LE(BytesRead() - before, 2 * c.bytes.size() + (1 << 20));
    AudioDecoder full;
    QString error;
    EXPECT_EQ(probe.opened, full.Open(path, &error));
  }
}
