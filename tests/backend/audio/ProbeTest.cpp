// Every type the open dialog offers is probed (rate, channels, bits, length)
// and decoded.
#include <gtest/gtest.h>

#include "AudioFixtures.h"
#include "JobWatcher.h"
#include "TestEnv.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/audio/cPlayer.h"

using namespace AudioFixtures;

namespace {
struct InputCase {
  const char* name;
  std::function<QString(const QString& dir)> make;  // returns the file
  int rate;
  int channels;
  int bits;
};
void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

// One second of sine as a WAV, then through the ffmpeg command.
auto Via(const char* ext, QStringList args, int rate, int channels, int bits = 16) {
  return [=](const QString& dir) {
    const QString wav = WriteWav(dir + "/src.wav", rate, channels, bits, 1.0);
    return Encode(wav, dir + "/in." + ext, args);
  };
}
// One second of sine converted by us.
auto Ours(long dest, const char* ext) {
  return [=](const QString& dir) {
    cAudioConverter c;
    JobWatcher w(c);
    c.SetDestinationFormat(dest);
    c.SetInputFile(WriteWav(dir + "/src.wav", 44100, 2, 16, 1.0));
    c.SetOutputFile(dir + "/in." + ext);
    c.StartConvert();
    w.Wait();
    return dir + "/in." + ext;
  };
}

const InputCase kInputs[] = {
    {"Wav8BitMono", [](const QString& d) { return WriteWav(d + "/in.wav", 11025, 1, 8, 1.0); }, 11025, 1, 8},
    {"Wav16BitStereo", [](const QString& d) { return WriteWav(d + "/in.wav", 48000, 2, 16, 1.0); }, 48000, 2, 16},
    {"Aiff", Via("aiff", {}, 22050, 2), 22050, 2, 16},
    {"Aif", Via("aif", {"-f", "aiff"}, 16000, 1), 16000, 1, 16},
    {"Aifc", Via("aifc", {"-f", "aiff", "-c:a", "pcm_s16le"}, 44100, 1), 44100, 1, 16},
    {"Au", Via("au", {}, 8000, 1), 8000, 1, 16},
    {"Snd", Via("snd", {"-f", "au"}, 22050, 2), 22050, 2, 16},
    {"Mp3", Via("mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, 44100, 2), 44100, 2, 16},
    {"Ogg", Via("ogg", {"-c:a", "libvorbis"}, 32000, 1), 32000, 1, 16},
    {"Wma", Via("wma", {"-c:a", "wmav2", "-b:a", "64k"}, 44100, 2), 44100, 2, 16},
    {"AcmWav", Via("wav", {"-c:a", "adpcm_ms"}, 22050, 1), 22050, 1, 16},
    {"Ape", Ours(DestApe, "ape"), 44100, 2, 16},
    {"Vox", [](const QString& d) { return WriteVox(d + "/in.vox", 1.0); }, 8000, 1, 16},
};

class InputTypes : public ::testing::TestWithParam<InputCase> {};
}  // namespace

TEST_P(InputTypes, ProbedAndDecoded) {
  const InputCase& tc = GetParam();
  const QString dir = TestEnv::FreshDir(QString("input_") + tc.name);
  const QString in = tc.make(dir);

  cAudioConverter c;
  ASSERT_EQ(c.OpenSource(in), 0);
  EXPECT_EQ(c.SampleRate(), tc.rate);
  EXPECT_EQ(c.Channels(), tc.channels);
  EXPECT_EQ(c.BitsPerSample(), tc.bits);
  EXPECT_NEAR(c.Duration(), 1000, 60);
  c.CloseSource();

  cPlayer player;
  ASSERT_EQ(player.OpenFile(in), 0);
  EXPECT_NEAR(player.Duration(), 1.0, 0.06);
  EXPECT_EQ(player.SampleRate(), tc.rate);
  EXPECT_EQ(player.Channels(), tc.channels);
  EXPECT_GT(player.Bitrate(), 0);

  JobWatcher w(c);
  c.SetDestinationFormat(DestWav);
  c.SetWavFormat({8000, 1, 16});
  c.SetInputFile(in);
  c.SetOutputFile(dir + "/out.wav");
  c.StartConvert();
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
  const std::vector<int16_t> pcm = DecodePcm(dir + "/out.wav");
  EXPECT_NEAR(double(pcm.size()), 8000, 8000 * 0.06);
  EXPECT_GT(Rms(pcm), 1000);
}

INSTANTIATE_TEST_SUITE_P(OpenDialogTypes, InputTypes, ::testing::ValuesIn(kInputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AcmLists, TagsAndFormatsArriveBeforeTheCallReturns) {
  cAudioConverter c;
  QStringList tags, formats;
  QObject::connect(&c, &cAudioConverter::AcmTagFound, [&](const QString& t) { tags << t; });
  QObject::connect(&c, &cAudioConverter::AcmFormatFound, [&](const QString& f) { formats << f; });
  c.EnumAcmTags(1, 44100, 2, 16, 0);
  EXPECT_EQ(tags, (QStringList{"PCM", "MS ADPCM", "IMA ADPCM", "A-Law", "u-Law", "GSM 6.10", "MPEG Layer-3"}));
  c.EnumAcmFormats("PCM");
  ASSERT_FALSE(formats.isEmpty());
  EXPECT_EQ(formats.front(), "44100 Hz, 16 Bit, Stereo");
  EXPECT_EQ(formats.size(), 28);

  // Converting from a source format offers only what keeps its rate and channels.
  tags.clear();
  formats.clear();
  c.EnumAcmTags(1, 44100, 2, 16, ACM_FORMATENUMF_CONVERT);
  EXPECT_FALSE(tags.contains("GSM 6.10"));
  EXPECT_TRUE(tags.contains("MPEG Layer-3"));
  c.EnumAcmFormats("MPEG Layer-3");
  ASSERT_FALSE(formats.isEmpty());
  for (const QString& f : formats) EXPECT_TRUE(f.endsWith("44100 Hz, Stereo")) << f.toStdString();

  tags.clear();
  c.EnumAcmTags(1, 8000, 1, 16, ACM_FORMATENUMF_CONVERT);
  EXPECT_TRUE(tags.contains("GSM 6.10"));
  formats.clear();
  c.EnumAcmFormats("no such tag");
  EXPECT_TRUE(formats.isEmpty());
}

TEST(WmaLists, CodecsAndFormatsByPosition) {
  cAudioConverter c;
  ASSERT_EQ(c.GetWmaCodecCount(), 2);
  EXPECT_EQ(c.GetWmaCodecName(0), "Windows Media Audio 2");
  EXPECT_EQ(c.GetWmaFormatName(0, 0), "320 kbit/s, 44100 Hz, Stereo");
  EXPECT_EQ(c.GetWmaFormatCount(0), c.GetWmaFormatCount(1));
  EXPECT_EQ(c.GetWmaCodecName(2), "");
  EXPECT_EQ(c.GetWmaFormatCount(-1), 0);
  EXPECT_EQ(c.GetWmaFormatName(0, c.GetWmaFormatCount(0)), "");
}
