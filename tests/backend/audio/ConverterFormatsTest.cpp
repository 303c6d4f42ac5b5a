// Every destination format: the output decodes back (through the ffmpeg
// command) with the asked codec, rate, channels and length, and carries sound.
#include <gtest/gtest.h>

#include <QFile>
#include <functional>

#include "AudioFixtures.h"
#include "JobWatcher.h"
#include "TestEnv.h"
#include "platform/audio/cAudioConverter.h"

using namespace AudioFixtures;

namespace {

enum class Source { Stereo44k16, Mono22k8 };

struct FormatCase {
  const char* name;
  Source source;
  std::function<void(cAudioConverter&)> setup;
  const char* ext;
  const char* codec;
  int rate;
  int channels;
  int tolerance;  // frames: one codec frame
};

Mp3FormatRecord Mp3(int bitrate, int rate, int mode, int vbrMethod, bool vbrTag) {
  Mp3FormatRecord r;
  r.Bitrate = bitrate;
  r.SampleRate = rate;
  r.Mode = mode;
  r.Quality = 5;
  r.VbrMethod = vbrMethod;
  r.WriteVbrTag = vbrTag ? -1 : 0;
  r.VbrMinBitrate = 3;   // 32
  r.VbrMaxBitrate = 15;  // 192
  r.VbrQuality = 4;
  r.AbrBitrate = 96;
  r.Original = -1;
  return r;
}

auto Wav(int rate, int channels, int bits) {
  return [=](cAudioConverter& c) {
    c.SetDestinationFormat(DestWav);
    c.SetWavFormat({rate, int16_t(channels), int16_t(bits)});
  };
}
auto Acm(const char* tag, const char* format) {
  return [=](cAudioConverter& c) {
    c.SetDestinationFormat(DestAcm);
    c.SetAcmFormat(tag, format);
  };
}
auto Mp3Set(Mp3FormatRecord r) {
  return [=](cAudioConverter& c) {
    c.SetDestinationFormat(DestMp3);
    c.SetMp3Format(r);
  };
}
auto Wma(int codec, int format) {
  return [=](cAudioConverter& c) {
    c.SetDestinationFormat(DestWma);
    c.SetWmaFormat({codec, format});
  };
}
auto Ogg(int mode, int bitrate, int quality) {
  return [=](cAudioConverter& c) {
    c.SetDestinationFormat(DestOgg);
    c.SetOggFormat({mode, bitrate, quality});
  };
}
auto Ape(long level) {
  return [=](cAudioConverter& c) {
    c.SetDestinationFormat(DestApe);
    c.SetApeLevel(level);
  };
}

const FormatCase kCases[] = {
    {"WavSameFormat", Source::Stereo44k16, Wav(44100, 2, 16), "wav", "pcm_s16le", 44100, 2, 0},
    {"WavDownToMono8Bit", Source::Stereo44k16, Wav(8000, 1, 8), "wav", "pcm_u8", 8000, 1, 2},
    {"WavUpToStereo48k", Source::Mono22k8, Wav(48000, 2, 16), "wav", "pcm_s16le", 48000, 2, 2},
    {"AcmPcm", Source::Stereo44k16, Acm("PCM", "22050 Hz, 8 Bit, Mono"), "wav", "pcm_u8", 22050, 1, 2},
    {"AcmMsAdpcm", Source::Stereo44k16, Acm("MS ADPCM", "44100 Hz, 4 Bit, Stereo"), "wav", "adpcm_ms", 44100, 2, 2048},
    {"AcmImaAdpcm", Source::Mono22k8, Acm("IMA ADPCM", "8000 Hz, 4 Bit, Mono"), "wav", "adpcm_ima_wav", 8000, 1, 2048},
    {"AcmALaw", Source::Stereo44k16, Acm("A-Law", "11025 Hz, 8 Bit, Mono"), "wav", "pcm_alaw", 11025, 1, 2},
    {"AcmULaw", Source::Stereo44k16, Acm("u-Law", "44100 Hz, 8 Bit, Stereo"), "wav", "pcm_mulaw", 44100, 2, 0},
    {"AcmGsm", Source::Stereo44k16, Acm("GSM 6.10", "8000 Hz, Mono"), "wav", "gsm_ms", 8000, 1, 320},
    {"AcmMpegLayer3", Source::Stereo44k16, Acm("MPEG Layer-3", "128 kbit/s, 44100 Hz, Stereo"), "wav", "mp3", 44100, 2, 1152 * 2},
    {"Mp3CbrJointStereo", Source::Stereo44k16, Mp3Set(Mp3(128, 44100, 1, 0, true)), "mp3", "mp3", 44100, 2, 1152},
    {"Mp3CbrWithoutTag", Source::Stereo44k16, Mp3Set(Mp3(192, 48000, 0, 0, false)), "mp3", "mp3", 48000, 2, 1152 * 2},
    {"Mp3VbrMono", Source::Stereo44k16, Mp3Set(Mp3(128, 22050, 3, 4, true)), "mp3", "mp3", 22050, 1, 1152},
    {"Mp3AbrForcedJoint", Source::Mono22k8, Mp3Set(Mp3(128, 32000, 5, 3, true)), "mp3", "mp3", 32000, 2, 1152},
    {"WmaVersion2", Source::Stereo44k16, Wma(0, 0), "wma", "wmav2", 44100, 2, 2048},
    {"WmaVersion1Mono", Source::Stereo44k16, Wma(1, 12), "wma", "wmav1", 44100, 1, 2048},
    {"OggQuality", Source::Mono22k8, Ogg(0, 0, 50), "ogg", "vorbis", 22050, 1, 256},
    {"OggNominalBitrate", Source::Stereo44k16, Ogg(2, 128, 0), "ogg", "vorbis", 44100, 2, 256},
    {"Ape", Source::Stereo44k16, Ape(2), "ape", "ape", 44100, 2, 0},
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class ConverterFormats : public ::testing::TestWithParam<FormatCase> {};

QString MakeSource(const QString& dir, Source s) {
  return s == Source::Stereo44k16 ? WriteWav(dir + "/in.wav", 44100, 2, 16, 1.0)
                                  : WriteWav(dir + "/in.wav", 22050, 1, 8, 1.0);
}

}  // namespace

TEST_P(ConverterFormats, OutputDecodesWithTheAskedFormatAndLength) {
  const FormatCase& tc = GetParam();
  const QString dir = TestEnv::FreshDir(QString("fmt_") + tc.name);
  const QString in = MakeSource(dir, tc.source);
  const QString out = dir + "/out." + tc.ext;
  cAudioConverter c;
  JobWatcher w(c);
  tc.setup(c);
  c.SetInputFile(in);
  c.SetOutputFile(out);
  ASSERT_EQ(c.StartConvert(), 0);
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
  EXPECT_EQ(FilesIn(dir), (QStringList{"in.wav", QString("out.") + tc.ext}));

  const Probe p = ProbeFile(out);
  EXPECT_EQ(p.codec, tc.codec);
  EXPECT_EQ(p.sampleRate, tc.rate);
  EXPECT_EQ(p.channels, tc.channels);
  const std::vector<int16_t> pcm = DecodePcm(out);
  const long frames = long(pcm.size()) / std::max(tc.channels, 1);
  EXPECT_NEAR(frames, tc.rate, tc.tolerance) << "decoded frames";
  EXPECT_GT(Rms(pcm), 2000) << "the sine survives";
  ASSERT_FALSE(w.progress.empty());
  EXPECT_EQ(w.progress.back().second, 100);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ConverterFormats, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Lossless outputs keep every sample: APE at the source's depth (24-bit
// sources as WAV and FLAC, taken directly, and as float WAV, converted), WAV
// at 16 bits as asked.
TEST(ConverterFormatsExact, WavAndApeKeepTheSamples) {
  const QString dir = TestEnv::FreshDir("exact");
  struct ExactCase {
    const char* name;
    int sourceBits;
    const char* sourceFile;  // the generated WAV, or it re-encoded with sourceCodec
    const char* sourceCodec;
    long dest;
    int outputBits;
    const char* outputFormat;  // as the decoder reports it
  };
  const ExactCase cases[] = {{"16 bit to WAV", 16, "", "", DestWav, 16, "s16"},
                             {"16 bit to APE", 16, "", "", DestApe, 16, "s16p"},
                             {"24 bit to APE", 24, "", "", DestApe, 24, "s32p"},
                             {"24 bit FLAC to APE", 24, "in.flac", "flac", DestApe, 24, "s32p"},
                             {"float WAV to APE", 24, "float.wav", "pcm_f32le", DestApe, 24, "s32p"},
                             {"8 bit to APE", 8, "", "", DestApe, 8, "u8p"},
                             {"24 bit to WAV", 24, "", "", DestWav, 16, "s16"}};
  for (const ExactCase& ec : cases) {
    SCOPED_TRACE(ec.name);
    const QString wav = WriteWav(dir + QString("/in%1.wav").arg(ec.sourceBits), 44100, 2, ec.sourceBits, 0.5);
    const QString in = *ec.sourceFile ? Encode(wav, dir + "/" + ec.sourceFile, {"-c:a", ec.sourceCodec}) : wav;
    const QByteArray source = DecodeExact(wav, ec.outputBits).pcm;
    cAudioConverter c;
    JobWatcher w(c);
    c.SetDestinationFormat(ec.dest);
    c.SetWavFormat({44100, 2, 16});
    c.SetApeLevel(4);  // the sine stays within the 32-bit sums of 24-bit stereo at this level
    c.SetInputFile(in);
    c.SetOutputFile(dir + "/out");
    c.StartConvert();
    ASSERT_TRUE(w.Wait());
    ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
    EXPECT_EQ(ProbeFile(dir + "/out").sampleFormat, ec.outputFormat);
    const Decoded out = DecodeExact(dir + "/out", ec.outputBits);
    ASSERT_EQ(out.exitCode, 0) << out.messages.toStdString();
    EXPECT_EQ(out.pcm.size(), 2 * 22050 * ec.outputBits / 8);
    EXPECT_TRUE(out.pcm == source) << "decoded samples differ";
  }
}

// Every entry of the fixed codec tables can be written.
TEST(CodecTables, EveryAcmAndWmaFormatEncodes) {
  const QString dir = TestEnv::FreshDir("tables");
  const QString in = WriteWav(dir + "/in.wav", 44100, 2, 16, 0.2);
  cAudioConverter c;
  QStringList tags;
  QObject::connect(&c, &cAudioConverter::AcmTagFound, [&](const QString& t) { tags << t; });
  c.EnumAcmTags(1, 44100, 2, 16, 0);
  int n = 0;
  auto convert = [&](const QString& what) {
    JobWatcher w(c);
    c.SetInputFile(in);
    c.SetOutputFile(dir + QString("/out%1.bin").arg(n++));
    c.StartConvert();
    ASSERT_TRUE(w.Wait(60000, 0));
    EXPECT_EQ(w.ends, QStringList{"Done"}) << what.toStdString() << ": " << w.errorText.toStdString();
  };
  for (const QString& tag : tags) {
    QStringList formats;
    auto conn = QObject::connect(&c, &cAudioConverter::AcmFormatFound, [&](const QString& f) { formats << f; });
    c.EnumAcmFormats(tag);
    QObject::disconnect(conn);
    ASSERT_FALSE(formats.isEmpty()) << tag.toStdString();
    for (const QString& f : formats) {
      c.SetDestinationFormat(DestAcm);
      c.SetAcmFormat(tag, f);
      convert(tag + " / " + f);
    }
  }
  for (long codec = 0; codec < c.GetWmaCodecCount(); ++codec) {
    for (long f = 0; f < c.GetWmaFormatCount(codec); ++f) {
      c.SetDestinationFormat(DestWma);
      c.SetWmaFormat({int32_t(codec), int32_t(f)});
      convert(c.GetWmaCodecName(codec) + " / " + c.GetWmaFormatName(codec, f));
    }
  }
}

namespace {
// The nominal bit rate an OGG file's identification header states, in kbit/s.
int OggNominalKbps(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  const QByteArray head = f.read(4096);
  const int at = head.indexOf("\x01vorbis");
  if (at < 0 || head.size() < at + 24) return -1;
  // After the packet type and name: version (4), channels (1), rate (4), maximum (4), nominal (4).
  const uchar* p = reinterpret_cast<const uchar*>(head.constData()) + at + 7 + 4 + 1 + 4 + 4;
  return int((p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24) / 1000);
}
}  // namespace

// Every bit rate the output-format window offers is written, at the nearest
// one the encoder takes for the source's rate and channels.
TEST(ConverterFormatsOgg, EveryOfferedBitrateIsWrittenAtTheNearestTheEncoderTakes) {
  const QString dir = TestEnv::FreshDir("ogg_bitrates");
  struct BitrateCase {
    int rate, channels, asked;
    int lowest, highest;  // of the nominal rate written
  };
  const BitrateCase cases[] = {
      {44100, 2, 32, 33, 63},    // below the range: up to its lowest
      {44100, 2, 40, 41, 63},
      {44100, 2, 128, 128, 128},  // inside: as asked
      {22050, 1, 350, 60, 349},   // above the range at a low rate: down to its highest
      {8000, 1, 196, 8, 80},
  };
  for (const BitrateCase& bc : cases) {
    SCOPED_TRACE(
        QString("%1 kbit/s at %2 Hz, %3 channel(s)").arg(bc.asked).arg(bc.rate).arg(bc.channels).toStdString());
    const QString in = WriteWav(dir + "/in.wav", bc.rate, bc.channels, 16, 1.0);
    cAudioConverter c;
    JobWatcher w(c);
    c.SetDestinationFormat(DestOgg);
    c.SetOggFormat({2, bc.asked, 0});
    c.SetInputFile(in);
    c.SetOutputFile(dir + "/out.ogg");
    c.StartConvert();
    ASSERT_TRUE(w.Wait());
    ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
    const int kbps = OggNominalKbps(dir + "/out.ogg");
    EXPECT_GE(kbps, bc.lowest);
    EXPECT_LE(kbps, bc.highest);
    const std::vector<int16_t> pcm = DecodePcm(dir + "/out.ogg");
    EXPECT_NEAR(double(pcm.size()) / bc.channels, bc.rate, 256);
    EXPECT_GT(Rms(pcm), 2000);
  }
}
