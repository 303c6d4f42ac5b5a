// The APE encoder against FFmpeg's decoder: every output must decode, with
// frame CRC errors made fatal, to exactly the PCM that went in.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>
#include <atomic>
#include <cmath>
#include <random>

#include "TestEnv.h"
#include "backend/audio/ApeEncoder.h"
#include "AudioFixtures.h"

namespace {

constexpr int kFastFrame = 73728;  // blocks per frame at levels 1000 to 3000

enum class Content { Music, Silence, Square, Noise, Identical };

// Interleaved PCM in the encoder's input layout (8-bit unsigned, 16/24-bit LE).
QByteArray MakePcm(Content content, int bits, int channels, int blocks) {
  const int top = (1 << (bits - 1)) - 1;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> full(-top - 1, top);
  std::uniform_int_distribution<int> hiss(-top / 64, top / 64);
  QByteArray out;
  out.reserve(blocks * channels * bits / 8);
  for (int n = 0; n < blocks; ++n) {
    int first = 0;
    for (int c = 0; c < channels; ++c) {
      int v = 0;
      switch (content) {
        case Content::Music:  // a different tone per channel, with some hiss
          v = int(top * (0.5 - 0.2 * c) * std::sin(n * (0.031 + 0.017 * c))) + hiss(random);
          break;
        case Content::Silence: break;
        case Content::Square: v = (n / 40 + c) % 2 ? top : -top - 1; break;
        case Content::Noise: v = full(random); break;
        case Content::Identical:
          v = c ? first : int(top * 0.8 * std::sin(n * 0.023)) + hiss(random);
          break;
      }
      if (c == 0) first = v;
      if (bits == 8) {
        out.append(char(v + 128));
      } else {
        for (int b = 0; b < bits; b += 8) out.append(char(v >> b));
      }
    }
  }
  return out;
}

struct Format {
  int rate = 44100;
  int channels = 2;
  int bits = 16;
  int level = 2000;
};

// Writes pcm in uneven chunks, as the converter does.
void EncodeApe(const QString& path, const QByteArray& pcm, const Format& f,
               const QMap<QString, QString>& tags = {}) {
  ApeEncoder enc;
  QString error;
  ASSERT_TRUE(enc.Open(path, f.rate, f.channels, f.bits, f.level, &error)) << error.toStdString();
  const int align = f.channels * f.bits / 8;
  const qint64 blocks = pcm.size() / align;
  for (qint64 at = 0, chunk = 1; at < blocks; at += chunk, chunk = chunk * 7 % 20011 + 1) {
    chunk = std::min(chunk, blocks - at);
    ASSERT_TRUE(enc.Write(pcm.constData() + at * align, chunk, &error)) << error.toStdString();
  }
  ASSERT_TRUE(enc.Finish(tags, &error)) << error.toStdString();
}

// Sets the encoder's thread count while it lives.
struct ThreadCount {
  explicit ThreadCount(const char* count) { qputenv("TESSORY_APE_THREADS", count); }
  ~ThreadCount() { qunsetenv("TESSORY_APE_THREADS"); }
};

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

using AudioFixtures::Decoded;
using AudioFixtures::DecodeExact;

void ExpectRoundTrip(const QString& path, const QByteArray& pcm, const Format& f) {
  ASSERT_NO_FATAL_FAILURE(EncodeApe(path, pcm, f));
  const Decoded d = DecodeExact(path, f.bits);
  ASSERT_EQ(d.exitCode, 0) << d.messages.toStdString();
  ASSERT_EQ(d.pcm.size(), pcm.size());
  EXPECT_TRUE(d.pcm == pcm) << "decoded samples differ";
}

QString Name(const Format& f) {
  return QString("%1bit_%2ch_%3_%4Hz").arg(f.bits).arg(f.channels).arg(f.level).arg(f.rate);
}

// Every depth, channel count and level, at a spread of sample rates.
class ApeMatrix : public ::testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(ApeMatrix, DecodesToTheInput) {
  const auto [bits, channels, level] = GetParam();
  const Format f{8000 + 11025 * (level / 1000 - 1) * bits / 8, channels, bits, level};
  const QString dir = TestEnv::FreshDir("ape_matrix");
  ExpectRoundTrip(dir + "/" + Name(f) + ".ape", MakePcm(Content::Music, bits, channels, 9000), f);
}

std::string MatrixName(const ::testing::TestParamInfo<ApeMatrix::ParamType>& info) {
  const auto [bits, channels, level] = info.param;
  return QString("b%1_c%2_l%3").arg(bits).arg(channels).arg(level).toStdString();
}

INSTANTIATE_TEST_SUITE_P(DepthChannelsLevel, ApeMatrix,
                         ::testing::Combine(::testing::Values(8, 16, 24), ::testing::Values(1, 2),
                                            ::testing::Values(1000, 2000, 3000, 4000, 5000)),
                         MatrixName);

// Hard content: no residual, extreme residuals (escape codes, wide pivots,
// carries in the range coder) and a zero difference channel.
struct ContentCase {
  const char* name;
  Content content;
};
const ContentCase kContents[] = {{"Silence", Content::Silence},
                                 {"Square", Content::Square},
                                 {"Noise", Content::Noise},
                                 {"Identical", Content::Identical}};

TEST(ApeContent, DecodesToTheInput) {
  const QString dir = TestEnv::FreshDir("ape_content");
  for (const ContentCase& c : kContents) {
    for (int bits : {8, 16, 24}) {
      for (int channels : {1, 2}) {
        for (int level : {1000, 3000, 5000}) {
          // Loud 24-bit stereo overflows the 32-bit sums at level 5000, where
          // FFmpeg 5.1 sums in 64 bits (see docs/platform.md, "APE output").
          const bool loud = c.content == Content::Square || c.content == Content::Noise;
          if (loud && bits == 24 && channels == 2 && level == 5000) continue;
          const Format f{44100, channels, bits, level};
          SCOPED_TRACE(std::string(c.name) + " " + Name(f).toStdString());
          ExpectRoundTrip(dir + "/" + c.name + Name(f) + ".ape", MakePcm(c.content, bits, channels, 6000), f);
        }
      }
    }
  }
}

// Lengths around a frame boundary: the final frame's size, frames that start
// inside a 32-bit word, and the padding after the last frame.
TEST(ApeFrames, LengthsAroundAFrameBoundary) {
  const QString dir = TestEnv::FreshDir("ape_frames");
  for (int blocks : {1, 2, kFastFrame - 1, kFastFrame, kFastFrame + 1, 2 * kFastFrame + 3}) {
    for (const Format& f : {Format{44100, 2, 16, 1000}, Format{22050, 1, 8, 3000}}) {
      SCOPED_TRACE(QString("%1 blocks %2").arg(blocks).arg(Name(f)).toStdString());
      ExpectRoundTrip(dir + "/f.ape", MakePcm(Content::Music, f.bits, f.channels, blocks), f);
    }
  }
}

// Frames are coded on several threads and written in order: the file is byte
// for byte a one-thread encode's, for levels with no, one and two adaptive
// filters, and a last frame shorter than the others.
TEST(ApeThreads, OutputEqualsAOneThreadEncode) {
  const QString dir = TestEnv::FreshDir("ape_threads");
  const int blocks = 2 * 4 * kFastFrame + 1234;  // two frames at level 4000, eight at the faster levels
  for (const Format& f : {Format{44100, 2, 16, 1000}, Format{44100, 2, 16, 3000}, Format{48000, 1, 24, 4000}}) {
    SCOPED_TRACE(Name(f).toStdString());
    const QByteArray pcm = MakePcm(Content::Music, f.bits, f.channels, blocks);
    {
      ThreadCount one("1");
      ASSERT_NO_FATAL_FAILURE(EncodeApe(dir + "/one" + Name(f) + ".ape", pcm, f));
    }
    {
      ThreadCount several("4");
      ExpectRoundTrip(dir + "/several" + Name(f) + ".ape", pcm, f);
    }
    EXPECT_TRUE(ReadAll(dir + "/one" + Name(f) + ".ape") == ReadAll(dir + "/several" + Name(f) + ".ape"));
  }
}

// The header fields FFmpeg does not check: sizes, the seek table and the MD5
// over frame data, header and seek table.
TEST(ApeFrames, HeaderSeekTableAndMd5) {
  const QString dir = TestEnv::FreshDir("ape_header");
  const Format f{48000, 2, 24, 2000};
  const int blocks = 2 * kFastFrame + 100;
  ASSERT_NO_FATAL_FAILURE(EncodeApe(dir + "/h.ape", MakePcm(Content::Music, 24, 2, blocks), f));
  QFile file(dir + "/h.ape");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray all = file.readAll();
  auto u16 = [&](int at) { return qFromLittleEndian<quint16>(all.constData() + at); };
  auto u32 = [&](int at) { return qFromLittleEndian<quint32>(all.constData() + at); };
  EXPECT_EQ(all.left(4), "MAC ");
  EXPECT_EQ(u16(4), 3990);
  EXPECT_EQ(u16(52), 2000);
  EXPECT_EQ(u32(56), quint32(kFastFrame));
  EXPECT_EQ(u32(60), 100u);
  EXPECT_EQ(u32(64), 3u);
  EXPECT_EQ(u16(68), 24);
  EXPECT_EQ(u16(70), 2);
  EXPECT_EQ(u32(72), 48000u);
  const quint32 seekBytes = u32(16);
  const quint32 dataBytes = u32(24);
  ASSERT_EQ(seekBytes, 12u);
  const int dataStart = 52 + 24 + int(seekBytes);
  EXPECT_EQ(u32(76), quint32(dataStart));
  EXPECT_LT(u32(80), u32(84));
  EXPECT_EQ(dataBytes % 4, 0u);
  EXPECT_EQ(all.size(), dataStart + int(dataBytes));  // no tag was asked for
  QCryptographicHash md5(QCryptographicHash::Md5);
  md5.addData(all.mid(dataStart, dataBytes));
  md5.addData(all.mid(52, 24));
  md5.addData(all.mid(76, seekBytes));
  EXPECT_EQ(all.mid(36, 16), md5.result());
}

// A damaged frame must make the checked decode fail, or the round trips
// above would prove nothing about the CRCs.
TEST(ApeFrames, CorruptedFrameFailsTheCheckedDecode) {
  const QString path = TestEnv::FreshDir("ape_corrupt") + "/c.ape";
  ASSERT_NO_FATAL_FAILURE(EncodeApe(path, MakePcm(Content::Music, 16, 2, 5000), Format{}));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  QByteArray all = file.readAll();
  all[all.size() / 2] = char(all[all.size() / 2] ^ 0x10);
  file.seek(0);
  file.write(all);
  file.close();
  EXPECT_NE(DecodeExact(path, 16).exitCode, 0);
}

TEST(ApeTags, SevenFieldsReadBackByFfprobe) {
  const QString path = TestEnv::FreshDir("ape_tags") + "/t.ape";
  const QMap<QString, QString> tags{{"Title", "Straße № 5"}, {"Artist", "Ünïcode Artist"},
                                    {"Album", "An Album"},    {"Year", "1999"},
                                    {"Comment", "a comment"}, {"Genre", "Jazz"},
                                    {"Track", "7"}};
  const QByteArray pcm = MakePcm(Content::Music, 16, 2, 3000);
  ASSERT_NO_FATAL_FAILURE(EncodeApe(path, pcm, Format{}, tags));
  const AudioFixtures::Probe probe = AudioFixtures::ProbeFile(path);
  for (auto it = tags.begin(); it != tags.end(); ++it)
    EXPECT_EQ(probe.tags.value(it.key().toLower()), it.value()) << it.key().toStdString();
  // The tag sits behind the frame data without disturbing it.
  const Decoded d = DecodeExact(path, 16);
  EXPECT_EQ(d.exitCode, 0) << d.messages.toStdString();
  EXPECT_TRUE(d.pcm == pcm);
}

TEST(ApeTags, EmptyValuesAreLeftOut) {
  const QString path = TestEnv::FreshDir("ape_tags_empty") + "/t.ape";
  ASSERT_NO_FATAL_FAILURE(
      EncodeApe(path, MakePcm(Content::Music, 16, 1, 3000), Format{44100, 1}, {{"Title", "T"}, {"Artist", ""}}));
  const AudioFixtures::Probe probe = AudioFixtures::ProbeFile(path);
  EXPECT_EQ(probe.tags.value("title"), "T");
  EXPECT_FALSE(probe.tags.contains("artist"));
}

// Abort and failure leave no file behind.
TEST(ApeAbort, CancelDeletesThePartialFile) {
  const QString dir = TestEnv::FreshDir("ape_cancel");
  const QByteArray pcm = MakePcm(Content::Music, 16, 2, 4 * kFastFrame + 500);
  {
    ThreadCount one("1");  // one frame already written when Write returns
    ApeEncoder enc;
    ASSERT_TRUE(enc.Open(dir + "/a.ape", 44100, 2, 16, 1000, nullptr));
    ASSERT_TRUE(enc.Write(pcm.constData(), kFastFrame + 500, nullptr));
    EXPECT_GT(QFile(dir + "/a.ape").size(), 1000);
    enc.Cancel();
    EXPECT_FALSE(QFile::exists(dir + "/a.ape"));
  }
  {
    ThreadCount several("3");  // frames still being coded on other threads
    ApeEncoder enc;
    ASSERT_TRUE(enc.Open(dir + "/a.ape", 44100, 2, 16, 1000, nullptr));
    ASSERT_TRUE(enc.Write(pcm.constData(), 4 * kFastFrame + 500, nullptr));
    enc.Cancel();
    EXPECT_FALSE(QFile::exists(dir + "/a.ape"));
  }
  {
    ApeEncoder enc;  // dropped without Finish
    ASSERT_TRUE(enc.Open(dir + "/b.ape", 44100, 2, 16, 5000, nullptr));
    ASSERT_TRUE(enc.Write(pcm.constData(), 100, nullptr));
  }
  EXPECT_FALSE(QFile::exists(dir + "/b.ape"));
  ApeEncoder enc;  // nothing to write: no file FFmpeg would refuse
  ASSERT_TRUE(enc.Open(dir + "/c.ape", 44100, 2, 16, 2000, nullptr));
  QString error;
  EXPECT_FALSE(enc.Finish({}, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(QFile::exists(dir + "/c.ape"));
  EXPECT_EQ(AudioFixtures::FilesIn(dir), QStringList{});
}

// A set abort flag stops the coding of a frame (Write, or Finish's last frame)
// and the move of the frame data in Finish; the caller then cancels.
TEST(ApeAbort, FlagStopsCodingAndMovingData) {
  const QString dir = TestEnv::FreshDir("ape_stop");
  const QByteArray pcm = MakePcm(Content::Music, 16, 2, kFastFrame);
  struct StopCase {
    const char* name;
    int blocks;  // written before the flag is set
    bool flagInWrite;
  };
  for (StopCase sc : {StopCase{"frame in Write", kFastFrame, true}, StopCase{"last frame", 5000, false},
                      StopCase{"data move", kFastFrame, false}}) {
    SCOPED_TRACE(sc.name);
    std::atomic<bool> stop{sc.flagInWrite};
    ApeEncoder enc;
    enc.SetAbortFlag(&stop);
    ASSERT_TRUE(enc.Open(dir + "/s.ape", 44100, 2, 16, 1000, nullptr));
    QString error;
    EXPECT_EQ(enc.Write(pcm.constData(), sc.blocks, &error), !sc.flagInWrite);
    stop = true;
    EXPECT_FALSE(enc.Finish({}, &error));
    EXPECT_FALSE(error.isEmpty());
    enc.Cancel();
    EXPECT_EQ(AudioFixtures::FilesIn(dir), QStringList{});
  }
}

TEST(ApeAbort, UnsupportedFormatsAreRefused) {
  const QString dir = TestEnv::FreshDir("ape_refused");
  const Format bad[] = {{44100, 3, 16, 2000}, {44100, 2, 12, 2000}, {44100, 2, 32, 2000},
                        {44100, 2, 16, 2500}, {44100, 2, 16, 6000}, {0, 2, 16, 2000}};
  for (const Format& f : bad) {
    ApeEncoder enc;
    QString error;
    EXPECT_FALSE(enc.Open(dir + "/x.ape", f.rate, f.channels, f.bits, f.level, &error)) << Name(f).toStdString();
    EXPECT_FALSE(error.isEmpty());
  }
  EXPECT_EQ(AudioFixtures::FilesIn(dir), QStringList{});
}

}  // namespace
