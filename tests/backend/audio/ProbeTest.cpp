// Every type the open dialog offers is probed (rate, channels, bits, length)
// and decoded.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>

#include "AudioFixtures.h"
#include "JobWatcher.h"
#include "TestEnv.h"
#include "backend/audio/AudioDecoder.h"
#include "backend/audio/SourceProbe.h"
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
// Seconds of sine converted by us.
auto Ours(long dest, const char* ext, double seconds = 1.0) {
  return [=](const QString& dir) {
    cAudioConverter c;
    JobWatcher w(c);
    c.SetDestinationFormat(dest);
    c.SetInputFile(WriteWav(dir + "/src.wav", 44100, 2, 16, seconds));
    c.SetOutputFile(dir + "/in." + ext);
    c.StartConvert();
    w.Wait();
    return dir + "/in." + ext;
  };
}

// Converts in to an 8 kHz mono WAV; false when the job does not end.
bool ConvertTo8k(cAudioConverter& c, JobWatcher& w, const QString& in, const QString& out) {
  c.SetDestinationFormat(DestWav);
  c.SetWavFormat({8000, 1, 16});
  c.SetInputFile(in);
  c.SetOutputFile(out);
  c.StartConvert();
  return w.Wait();
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
  ASSERT_TRUE(ConvertTo8k(c, w, in, dir + "/out.wav"));
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

namespace {
struct ProbeCase {
  const char* name;
  std::function<QString(const QString& dir)> make;
  long rate;
  int channels;
  long bits;
  long durationMs;
  const char* title;
  const char* year;
};
void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

// 1.5 s of sine at 44.1 kHz stereo, through the ffmpeg command with tags.
auto Tagged(const char* ext, QStringList args, int bits = 16) {
  return [=](const QString& dir) {
    const QString wav = WriteWav(dir + "/src.wav", 44100, 2, bits, 1.5);
    return Encode(wav, dir + "/in." + ext, args + QStringList{"-metadata", "title=Probe", "-metadata", "date=2021"});
  };
}
auto Pcm(int rate, int channels, int bits, double seconds) {
  return [=](const QString& dir) { return WriteWav(dir + "/in.wav", rate, channels, bits, seconds); };
}
// A WAV whose data chunk claims more than the file holds.
QString TruncatedWav(const QString& dir) {
  const QString wav = WriteWav(dir + "/src.wav", 22050, 1, 16, 2.0);
  QFile f(wav);
  f.open(QIODevice::ReadWrite);
  f.resize(f.size() / 2);
  return wav;
}

// What the converter reports for each input type: the format a full FFmpeg
// probe (stream information read, decoder opened) gives for each file, which
// the header-only probe of WAV, MP3, OGG and WMA must give too, and the length
// a decode gives (an MP3's leaves out the encoder's delay and padding its LAME
// tag states).
const ProbeCase kProbeCases[] = {
    {"Wav8BitMono", Pcm(11025, 1, 8, 1.0), 11025, 1, 8, 1000, "", ""},
    {"Wav16BitStereo", Pcm(48000, 2, 16, 1.25), 48000, 2, 16, 1250, "", ""},
    {"Wav24Bit", Pcm(96000, 2, 24, 0.5), 96000, 2, 24, 500, "", ""},
    {"WavTagged", Tagged("wav", {}), 44100, 2, 16, 1500, "Probe", "2021"},
    {"WavFloat", Tagged("wav", {"-c:a", "pcm_f32le"}), 44100, 2, 32, 1500, "Probe", "2021"},
    {"WavExtensible", Tagged("wav", {"-c:a", "pcm_s24le", "-ac", "3"}, 24), 44100, 3, 24, 1500, "Probe", "2021"},
    {"WavTruncated", TruncatedWav, 22050, 1, 16, 999, "", ""},
    {"AcmWav", Tagged("wav", {"-c:a", "adpcm_ms"}), 44100, 2, 16, 1514, "Probe", "2021"},
    {"Mp3CbrInfoHeader", Tagged("mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}), 44100, 2, 16, 1500, "Probe", "2021"},
    {"Mp3CbrNoHeader", Tagged("mp3", {"-c:a", "libmp3lame", "-b:a", "96k", "-write_xing", "0"}), 44100, 2, 16, 1541,
     "Probe", "2021"},
    {"Mp3Vbr", Tagged("mp3", {"-c:a", "libmp3lame", "-q:a", "5"}), 44100, 2, 16, 1500, "Probe", "2021"},
    // No header states the length and no bit rate gives it: the frames counted.
    {"Mp3VbrNoHeader", Tagged("mp3", {"-c:a", "libmp3lame", "-q:a", "5", "-write_xing", "0"}), 44100, 2, 16, 1541,
     "Probe", "2021"},
    {"Mp3CbrMpeg2NoHeader",
     Tagged("mp3", {"-c:a", "libmp3lame", "-ar", "16000", "-b:a", "32k", "-write_xing", "0"}), 16000, 2, 16, 1584,
     "Probe", "2021"},
    {"Mp3Mono22kWithId3v1",
     Tagged("mp3", {"-c:a", "libmp3lame", "-ac", "1", "-ar", "22050", "-id3v2_version", "3", "-write_id3v1", "1"}),
     22050, 1, 16, 1500, "Probe", "2021"},
    {"Ogg", Tagged("ogg", {"-c:a", "libvorbis"}), 44100, 2, 16, 1500, "Probe", "2021"},
    {"OggMono22k", Tagged("ogg", {"-c:a", "libvorbis", "-ac", "1", "-ar", "22050"}), 22050, 1, 16, 1500, "Probe",
     "2021"},
    // The decode's length: the header states 1532.
    {"Wma", Tagged("wma", {"-c:a", "wmav2"}), 44100, 2, 16, 1486, "Probe", "2021"},
    {"WmaVersion1Mono", Tagged("wma", {"-c:a", "wmav1", "-ac", "1"}), 44100, 1, 16, 1486, "Probe", "2021"},
    {"Aiff", Tagged("aiff", {}), 44100, 2, 16, 1500, "Probe", ""},
    {"Vox", [](const QString& d) { return WriteVox(d + "/in.vox", 1.0); }, 8000, 1, 16, 1000, "", ""},
};
class ProbeValues : public ::testing::TestWithParam<ProbeCase> {};
}  // namespace

TEST_P(ProbeValues, FormatLengthAndTags) {
  const ProbeCase& tc = GetParam();
  const QString in = tc.make(TestEnv::FreshDir(QString("probe_") + tc.name));
  cAudioConverter c;
  ASSERT_EQ(c.OpenSource(in), 0);
  ASSERT_EQ(c.ReadSourceTags(in), 0);
  EXPECT_EQ(c.SampleRate(), tc.rate);
  EXPECT_EQ(c.Channels(), tc.channels);
  EXPECT_EQ(c.BitsPerSample(), tc.bits);
  EXPECT_EQ(c.Duration(), tc.durationMs);
  EXPECT_EQ(c.TagTitle(), tc.title);
  EXPECT_EQ(c.TagYear(), tc.year);
}

INSTANTIATE_TEST_SUITE_P(InputTypes, ProbeValues, ::testing::ValuesIn(kProbeCases),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {
QByteArray ReadAll(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}
timespec ModifiedTime(const QString& path) {
  struct stat s {};
  stat(QFile::encodeName(path).constData(), &s);
  return s.st_mtim;
}
// Writes data over the file in place (same inode) and sets its modification time.
void Overwrite(const QString& path, const QByteArray& data, timespec modified) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_EQ(f.write(data), data.size());
  ASSERT_TRUE(f.resize(data.size()));
  f.close();
  const timespec times[2] = {modified, modified};
  ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}
}  // namespace

// The tag read after OpenSource of the same file takes what that probe read,
// unless the file changed in between (in length or time).
TEST(ProbeReuse, TagsAfterOpenSourceComeFromItsProbeUnlessTheFileChanged) {
  const QString dir = TestEnv::FreshDir("probe_reuse");
  const QString wav = WriteWav(dir + "/src.wav", 44100, 2, 16, 0.5);
  const QString first = Encode(wav, dir + "/first.mp3", {"-c:a", "libmp3lame", "-metadata", "title=First"});
  const QString second = Encode(wav, dir + "/second.mp3", {"-c:a", "libmp3lame", "-metadata", "title=Other"});
  const QByteArray other = ReadAll(second);
  ASSERT_EQ(other.size(), QFile(first).size());
  const timespec time = ModifiedTime(first);
  const timespec later{time.tv_sec + 1, time.tv_nsec};

  cAudioConverter c;
  ASSERT_EQ(c.OpenSource(first), 0);
  Overwrite(first, other, time);  // same length, same time: taken as unchanged
  ASSERT_EQ(c.ReadSourceTags(first), 0);
  EXPECT_EQ(c.TagTitle(), "First");

  ASSERT_EQ(c.OpenSource(first), 0);
  Overwrite(first, other, later);
  ASSERT_EQ(c.ReadSourceTags(first), 0);
  EXPECT_EQ(c.TagTitle(), "Other");

  ASSERT_EQ(c.OpenSource(first), 0);
  QFile::remove(first);
  EXPECT_NE(c.ReadSourceTags(first), 0);
  EXPECT_EQ(c.TagTitle(), "");
}

// Files probed ahead give OpenSource the values of its own probe, in any
// order asked, a file named twice included; a file changed after its probe
// ahead is probed again.
TEST(ProbeReuse, FilesProbedAheadGiveTheValuesOfAProbeOfTheirOwn) {
  const QString dir = TestEnv::FreshDir("probe_ahead");
  const QString wav = WriteWav(dir + "/a.wav", 22050, 1, 16, 1.0);
  const QString mp3 = Encode(wav, dir + "/b.mp3", {"-c:a", "libmp3lame", "-metadata", "title=First"});
  const QString ogg = Encode(wav, dir + "/c.ogg", {"-c:a", "libvorbis", "-metadata", "title=Ogg"});
  const QString longer = Encode(WriteWav(dir + "/long.wav", 44100, 2, 16, 3.0), dir + "/long.mp3",
                                {"-c:a", "libmp3lame", "-metadata", "title=Other"});
  cAudioConverter c;
  c.PrefetchSources({wav, mp3, dir + "/missing.wav", ogg, mp3});
  EXPECT_EQ(c.OpenSource(ogg), 0);  // out of order
  EXPECT_EQ(c.Duration(), 1000);
  EXPECT_NE(c.OpenSource(dir + "/missing.wav"), 0);
  ASSERT_EQ(c.OpenSource(mp3), 0);
  EXPECT_EQ(c.SampleRate(), 22050);
  ASSERT_EQ(c.ReadSourceTags(mp3), 0);
  EXPECT_EQ(c.TagTitle(), "First");

  // Replaced by a longer file of other tags: its probe ahead no longer counts.
  ASSERT_TRUE(QFile::remove(mp3));
  ASSERT_TRUE(QFile::copy(longer, mp3));
  ASSERT_EQ(c.OpenSource(mp3), 0);
  EXPECT_EQ(c.SampleRate(), 44100);
  EXPECT_EQ(c.Channels(), 2);
  ASSERT_EQ(c.ReadSourceTags(mp3), 0);
  EXPECT_EQ(c.TagTitle(), "Other");
  c.PrefetchSources({});
  ASSERT_EQ(c.OpenSource(wav), 0);
  EXPECT_EQ(c.Channels(), 1);
}

// The header probe takes a WAV's length from its samples when its sizes
// cannot be trusted, and refuses a header stating a format no audio file has.
TEST(ProbeWavHeaders, UntrustedSizesGiveTheSamplesLength) {
  for (const WavSizes& sizes : kUntrustedWavSizes) {
    SCOPED_TRACE(sizes.name);
    const QString dir = TestEnv::FreshDir("probe_sizes");
    const QString in = SetWavSizes(WriteWav(dir + "/in.wav", 8000, 1, 16, 2.0), sizes);
    const SourceProbe p = SourceProbe::Of(in);
    ASSERT_TRUE(p.opened);
    EXPECT_EQ(p.info.durationMs, 2000);
  }
}

TEST(ProbeWavHeaders, FormatsNoAudioFileHasAreRefused) {
  struct Case {
    uint32_t rate;
    int channels;
    bool opened;
  } cases[] = {{1000000000, 4, false}, {768001, 2, false}, {999, 1, false}, {44100, 9, false},
               {768000, 8, true},       {1000, 1, true},    {8000, 1, true}};
  const QString dir = TestEnv::FreshDir("probe_absurd");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    const QString in = WriteWavHeaderClaiming(dir + "/in.wav", c.rate, c.channels);
    const SourceProbe p = SourceProbe::Of(in);
    EXPECT_EQ(p.opened, c.opened);
    if (c.opened) EXPECT_EQ(p.info.sampleRate, int(c.rate));
    EXPECT_EQ(cAudioConverter().OpenSource(in) == 0, c.opened);
  }
}

namespace {
// The length a full decode of the file gives, in ms (each part of a file
// that changes its rate resampled to the first part's).
double DecodedMs(const QString& path) {
  const Probe p = ProbeFile(path);
  if (p.sampleRate <= 0) return 0;
  const QByteArray pcm =
      RunTool("ffmpeg", {"-v", "quiet", "-i", path, "-f", "s16le", "-ac", "1", "-ar", QString::number(p.sampleRate), "-"});
  return 1000.0 * double(pcm.size() / 2) / p.sampleRate;
}
QString Lame(const QString& wav, const QString& mp3, const QStringList& args) {
  RunTool("lame", QStringList{"--quiet"} + args + QStringList{wav, mp3});
  return mp3;
}
QString Joined(const QString& out, const QStringList& parts) {
  QByteArray bytes;
  for (const QString& p : parts) bytes += ReadAll(p);
  QFile f(out);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
  return out;
}
}  // namespace

// An MP3 whose header frame does not state its length is measured frame by
// frame: a VBR file without Xing tag that starts with silence (its first
// frames share the lowest bit rate) and files of two rates and bit rates
// joined together. Without a LAME tag the decode keeps every frame whole. The
// rate is the one a full open reports: not the first frame's where the first
// rate lasts only a few frames.
TEST(ProbeMp3Length, WithoutAStatedLengthTheProbeGivesTheDecodedLength) {
  const QString dir = TestEnv::FreshDir("probe_mp3_length");
  const QString silence = WriteWav(dir + "/silence.wav", 44100, 2, 16, 4.0, Signal::Silence);
  const QString sine = WriteWav(dir + "/sine.wav", 44100, 2, 16, 4.0);
  const QString quietFirst = Encode(silence, dir + "/quiet_first.wav", {"-i", sine, "-filter_complex", "concat=n=2:v=0:a=1"});
  const QString at44 = Lame(WriteWav(dir + "/a44.wav", 44100, 2, 16, 3.0), dir + "/a44.mp3", {"-b", "128", "-t"});
  const QString at22 = Lame(WriteWav(dir + "/a22.wav", 22050, 2, 16, 3.0), dir + "/a22.mp3", {"-b", "32", "-t"});
  const QString brief = Lame(WriteWav(dir + "/b16.wav", 16000, 2, 16, 0.5), dir + "/b16.mp3", {"-b", "32", "-t"});
  // A file and the files whose decodes, one after the other, are its decode.
  const struct {
    const char* name;
    QString file;
    QStringList parts;
  } cases[] = {
      {"VbrNoTagSilenceFirst", Lame(quietFirst, dir + "/vbr.mp3", {"-V", "2", "-t"}), {dir + "/vbr.mp3"}},
      {"High rate then low", Joined(dir + "/44_22.mp3", {at44, at22}), {at44, at22}},
      {"Low rate then high", Joined(dir + "/22_44.mp3", {at22, at44}), {at22, at44}},
      {"Brief low rate then high", Joined(dir + "/16_44.mp3", {brief, at44, at22}), {brief, at44, at22}},
  };
  for (const auto& c : cases) {
    double decoded = 0;
    for (const QString& part : c.parts) decoded += DecodedMs(part);
    ASSERT_GT(decoded, 5900) << c.name;
    cAudioConverter converter;
    ASSERT_EQ(converter.OpenSource(c.file), 0) << c.name;
    EXPECT_NEAR(converter.Duration(), decoded, 1) << c.name;
    AudioDecoder full;
    QString error;
    ASSERT_TRUE(full.Open(c.file, &error)) << c.name;
    EXPECT_EQ(converter.SampleRate(), full.Info().sampleRate) << c.name;
  }
}

namespace {
// The file's first share of bytes, its header's sizes as they were: a
// download or a copy cut short.
auto CutShort(std::function<QString(const QString&)> make, double share) {
  return [=](const QString& dir) {
    const QString path = make(dir);
    QFile f(path);
    EXPECT_TRUE(f.resize(qint64(f.size() * share)));
    return path;
  };
}
// Seconds of sine at the rate and channels, through the ffmpeg command.
auto Sine(const char* ext, QStringList args, int rate, int channels, double seconds) {
  return [=](const QString& dir) {
    return Encode(WriteWav(dir + "/src.wav", rate, channels, 16, seconds), dir + "/in." + ext, args);
  };
}
// Two Ogg Vorbis files of other rates and channels, one behind the other.
auto ChainedOgg(int firstRate, int firstChannels, int secondRate, int secondChannels) {
  return [=](const QString& dir) {
    const QString a = Encode(WriteWav(dir + "/a.wav", firstRate, firstChannels, 16, 3.3), dir + "/a.ogg", {"-c:a", "libvorbis"});
    const QString b = Encode(WriteWav(dir + "/b.wav", secondRate, secondChannels, 16, 2.2), dir + "/b.ogg", {"-c:a", "libvorbis"});
    return Joined(dir + "/chained.ogg", {a, b});
  };
}

struct LengthCase {
  const char* name;
  std::function<QString(const QString& dir)> make;
};
void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }

// Files whose header states a length other than their decode's.
const LengthCase kLengthCases[] = {
    {"WavCutShortInAFrame", CutShort(Pcm(44100, 2, 16, 3.0), 0.4)},
    {"Mp3InfoCutShort", CutShort(Sine("mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, 44100, 2, 6.0), 0.4)},
    {"Wma", Sine("wma", {"-c:a", "wmav2"}, 44100, 2, 4.0)},
    {"WmaCutShort", CutShort(Sine("wma", {"-c:a", "wmav2"}, 44100, 2, 6.0), 0.5)},
    {"OggChainedHighRateFirst", ChainedOgg(44100, 2, 22050, 1)},
    {"OggChainedLowRateFirst", ChainedOgg(22050, 1, 44100, 2)},
    {"ImaAdpcmWavCutShort", CutShort(Sine("wav", {"-c:a", "adpcm_ima_wav"}, 22050, 2, 6.0), 0.4)},
    {"MsAdpcmWavCutShort", CutShort(Sine("wav", {"-c:a", "adpcm_ms"}, 22050, 1, 6.0), 0.4)},
    {"GsmWavCutShort", CutShort(Sine("wav", {"-c:a", "gsm_ms"}, 8000, 1, 6.0), 0.4)},
    {"AlawWavCutShort", CutShort(Sine("wav", {"-c:a", "pcm_alaw"}, 8000, 1, 6.0), 0.4)},
    {"AiffCutShort", CutShort(Sine("aiff", {}, 22050, 2, 6.0), 0.4)},
    {"AuCutShort", CutShort(Sine("au", {}, 8000, 1, 6.0), 0.4)},
    {"ApeCutShort", CutShort(Ours(DestApe, "ape", 6.0), 0.4)},
};
class ProbeLength : public ::testing::TestWithParam<LengthCase> {};
}  // namespace

// The probe (converter, splitter) and the full open (player, audio-CD plan)
// give the length a full decode gives, and a conversion writes all of it.
TEST_P(ProbeLength, IsTheLengthOfAFullDecode) {
  const QString dir = TestEnv::FreshDir(QString("probe_length_") + GetParam().name);
  const QString in = GetParam().make(dir);
  const double decoded = DecodedMs(in);
  ASSERT_GT(decoded, 1000);
  const SourceProbe probe = SourceProbe::Of(in);
  ASSERT_TRUE(probe.opened);
  EXPECT_NEAR(double(probe.info.durationMs), decoded, 1.0);
  cPlayer player;
  ASSERT_EQ(player.OpenFile(in), 0);
  EXPECT_NEAR(player.Duration() * 1000, decoded, 1.0);

  cAudioConverter c;
  JobWatcher w(c);
  ASSERT_TRUE(ConvertTo8k(c, w, in, dir + "/out.wav"));
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
  // The resampler set up anew where a chained stream changes its rate loses a few of its samples.
  EXPECT_NEAR(1000.0 * double(DecodePcm(dir + "/out.wav").size()) / 8000, decoded, 3.0);
}

INSTANTIATE_TEST_SUITE_P(InputTypes, ProbeLength, ::testing::ValuesIn(kLengthCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A length measured by a decode is kept for the next open of the file, and a
// file changed since (cut short, written anew) is measured again.
TEST(ProbeLengthReuse, AFileChangedSinceItWasMeasuredIsMeasuredAgain) {
  const QString dir = TestEnv::FreshDir("probe_length_reuse");
  const QString in = Sine("wma", {"-c:a", "wmav2"}, 44100, 2, 6.0)(dir);
  const double whole = DecodedMs(in);
  EXPECT_NEAR(double(SourceProbe::Of(in).info.durationMs), whole, 1.0);
  AudioDecoder again;
  QString error;
  ASSERT_TRUE(again.Open(in, &error)) << error.toStdString();
  EXPECT_NEAR(double(again.Info().durationMs), whole, 1.0);

  const QString cut = CutShort([&](const QString&) { return in; }, 0.5)(dir);
  const double shorter = DecodedMs(cut);
  ASSERT_LT(shorter, whole - 1000);
  EXPECT_NEAR(double(SourceProbe::Of(cut).info.durationMs), shorter, 1.0);
  ASSERT_TRUE(again.Open(cut, &error)) << error.toStdString();
  EXPECT_NEAR(double(again.Info().durationMs), shorter, 1.0);
}
