// The converter run end to end: items of several formats through the window's
// run into every output format, abort, a damaged source, existing outputs.
#include <QFileInfo>
#include <QLabel>

#include "platform/cSysTray.h"
#include "platform/XP_ProgressBar.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "tests/taskframe/TaskFixture.h"

using namespace AudioFixtures;
using ConverterRun = TaskTest;

namespace {
struct Source {
  const char* name;
  int rate;
  int channels;
  double seconds;
  QStringList encode;  // ffmpeg arguments; empty: a WAV
};
// Five items of three formats.
const Source kSources[] = {
    {"a.wav", 44100, 2, 2.0, {}},
    {"b.wav", 22050, 1, 1.0, {}},
    {"c.mp3", 44100, 2, 1.5, {"-c:a", "libmp3lame"}},
    {"d.ogg", 48000, 2, 1.0, {"-c:a", "libvorbis"}},
    {"e.mp3", 22050, 1, 1.0, {"-c:a", "libmp3lame"}},
};

void writeSources(const QString& media) {
  for (const Source& s : kSources) {
    const QString target = media + "/" + s.name;
    if (s.encode.isEmpty()) {
      WriteWav(target, s.rate, s.channels, 16, s.seconds);
      continue;
    }
    const QString wav = WriteWav(media + "/tmp.wav", s.rate, s.channels, 16, s.seconds);
    Encode(wav, target, s.encode);
    QFile::remove(wav);
  }
}

struct Target {
  const char* listText;
  const char* ext;
  const char* codec;
  std::function<void()> store;
  int rate;      // 0: the source's
  int channels;  // 0: the source's
  int tolerance; // frames: a codec frame and the resampler's edge
  bool tags;
};

const Target kTargets[] = {
    {"WAV - Waveform Audio Format (*.wav)", "wav", "pcm_s16le",
     [] { g_lWavSampleRate = 22050, g_lWavChannelsIndex = 0, g_lWavBits = 16; }, 22050, 1, 64, false},
    {"ACM - Waveform ACM Codecs (*.wav)", "acm", "adpcm_ima_wav",
     [] { g_sAcmTag = "IMA ADPCM", g_sAcmFormat = "8000 Hz, 4 Bit, Mono"; }, 8000, 1, 2048, false},
    {"MP3 - MPEG-1 Audio Layer 3 (*.mp3)", "mp3", "mp3",
     [] {
       g_tMp3Settings = Mp3FormatRecord{};
       g_tMp3Settings.Bitrate = 128, g_tMp3Settings.SampleRate = 44100, g_tMp3Settings.Mode = 1;
       g_tMp3Settings.Quality = 5, g_tMp3Settings.WriteVbrTag = -1, g_bMp3Abr = false;
     },
     44100, 2, 1152 * 2, true},
    {"WMA - Windows Media Audio files (*.wma)", "wma", "wmav2",
     [] { g_lWmaCodecIndex = 0, g_lWmaFormatIndex = 0; }, 44100, 2, 4096, true},
    {"OGG - Ogg Media Format (*.ogg)", "ogg", "vorbis",
     [] { g_bOggBitrateMode = false, g_lOggQuality = 50; }, 0, 0, 512, true},
    {"APE - Monkey 's Audio (*.ape)", "ape", "ape", [] { g_lApeLevel = 2; }, 0, 0, 64, true},
};
}  // namespace

TEST_F(ConverterRun, FiveItemsOfThreeFormatsIntoEachOutputFormat) {
  writeSources(media);
  g_sTagSong = "[ITEM_NAME] #[TRACK_NUM]";
  g_sTagArtist = "[PROG_NAME] [PROG_VERSION]";
  g_sTagComment = "[SOURCE_NAME] [RANGE]";
  g_sTagYear = "[YEAR]";
  QStringList names;
  for (const Source& s : kSources) names << s.name;
  AddItems(names);
  ASSERT_EQ(main->cGrid1->Rows(), 5);
  g_sDefaultFileNameFormat = "[file_name]_[123].[dest_extension]";
  const QString year = QString::number(QDate::currentDate().year());

  for (const Target& t : kTargets) {
    SCOPED_TRACE(t.ext);
    t.store();
    WithConverter([&](g_frmConverter& w) {
      ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, t.listText));
      Convert(w);
      EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
      EXPECT_EQ(w.prgTotal->Value(), 500);
    });
    for (int i = 0; i < 5; ++i) {
      const Source& s = kSources[i];
      const QString base = QString(s.name).section('.', 0, 0);
      const QString file = out + "/" + base + "_" + QString::number(i + 1) + "." + t.ext;
      SCOPED_TRACE(file.toStdString());
      ASSERT_TRUE(QFileInfo::exists(file));
      const Probe p = ProbeFile(file);
      EXPECT_EQ(p.codec, t.codec);
      const int rate = t.rate ? t.rate : (QString(s.name).endsWith(".ogg") ? 48000 : s.rate);
      const int channels = t.channels ? t.channels : s.channels;
      EXPECT_EQ(p.sampleRate, rate);
      EXPECT_EQ(p.channels, channels);
      const std::vector<int16_t> pcm = DecodePcm(file);
      const std::vector<int16_t> src = DecodePcm(media + "/" + s.name);
      const double expected = double(src.size()) / s.channels / s.rate * rate;
      EXPECT_NEAR(double(pcm.size()) / channels, expected, t.tolerance);
      EXPECT_GT(Rms(pcm), 1000);
      if (!t.tags) continue;
      EXPECT_EQ(p.tags.value("title"), s.name + QString(" #") + QString::number(i + 1));
      EXPECT_EQ(p.tags.value("artist"), "Tessory 3.1");
      EXPECT_EQ(p.tags.value("comment"), s.name + QString(" All"));
      EXPECT_TRUE(p.tags.value("date", p.tags.value("year")).startsWith(year));
    }
  }
}
