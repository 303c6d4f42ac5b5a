#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QtEndian>
#include <cstring>
#include <functional>
#include <optional>

#include "SettingsFixture.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/cTabControl.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "settings/frmOptions.h"
#include "settings/g_frmAudioProp.h"

namespace {
// A second of 16-bit silence at the given rate and channel count.
QString silentWav(const QString& path, int rate, int channels) {
  const int bytes = rate * channels * 2;
  QByteArray h(44, '\0');
  auto put32 = [&](int at, quint32 v) { qToLittleEndian<quint32>(v, h.data() + at); };
  auto put16 = [&](int at, quint16 v) { qToLittleEndian<quint16>(v, h.data() + at); };
  memcpy(h.data(), "RIFF", 4);
  put32(4, 36 + bytes);
  memcpy(h.data() + 8, "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, quint16(channels));
  put32(24, quint32(rate));
  put32(28, quint32(rate * channels * 2));
  put16(32, quint16(channels * 2));
  put16(34, 16);
  memcpy(h.data() + 36, "data", 4);
  put32(40, quint32(bytes));
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(h + QByteArray(bytes, '\0'));
  return path;
}

// Records the hand-over calls a processing control receives.
struct RecordingControl {
  long format = 0;
  QStringList calls;
  Mp3FormatRecord mp3;
  void SetDestinationFormat(long f) { format = f; }
  void SetWavFormat(const WavFormatRecord& r) { calls << QString("wav %1 %2 %3").arg(r.SampleRate).arg(r.Channels).arg(r.BitsPerSample); }
  void SetAcmFormat(const QString& tag, const QString& f) { calls << "acm " + tag + " / " + f; }
  void SetMp3Format(const Mp3FormatRecord& r) { mp3 = r; calls << "mp3"; }
  void SetWmaFormat(const WmaFormatRecord& r) { calls << QString("wma %1 %2").arg(r.CodecIndex).arg(r.FormatIndex); }
  void SetOggFormat(const OggFormatRecord& r) { calls << QString("ogg %1 %2 %3").arg(r.Mode).arg(r.NominalBitrate).arg(r.Quality); }
  void SetApeLevel(long level) { calls << QString("ape %1").arg(level); }
};
}  // namespace

using AudioFormatTest = SettingsTest;

TEST_F(AudioFormatTest, EachSettingLoadsByTheRulesOfItsControl) {
  g_frmAudioProp& p = form<g_frmAudioProp>();
  struct Case {
    const char* section;
    const char* name;
    QString prior;
    std::optional<QString> stored;  // nullopt: the value is removed
    std::function<long()> value;
    long expected;
  };
  const auto channels = [] { return g_lWavChannelsIndex; };
  const auto rate = [] { return g_lWavSampleRate; };
  const auto slider = [] { return g_lOggQuality; };
  const auto bitrateMode = [] { return long(g_bOggBitrateMode); };
  const auto errorProtection = [] { return long(g_tMp3Settings.ErrorProtection); };
  const Case cases[] = {
      // A list stored by position: missing and empty are 0, -1 is no choice, others are refused.
      {"Formats\\WAV", "cboChannelsWAV", "1", std::nullopt, channels, 0},
      {"Formats\\WAV", "cboChannelsWAV", "1", "", channels, 0},
      {"Formats\\WAV", "cboChannelsWAV", "1", "-1", channels, -1},
      {"Formats\\WAV", "cboChannelsWAV", "1", "7", channels, 1},
      {"Formats\\WAV", "cboChannelsWAV", "1", "stereo", channels, 1},
      // A list stored by text keeps its choice unless the text is one of its entries.
      {"Formats\\WAV", "cboSamplesWAV", "22050", "8000", rate, 8000},
      {"Formats\\WAV", "cboSamplesWAV", "22050", std::nullopt, rate, 22050},
      {"Formats\\WAV", "cboSamplesWAV", "22050", "", rate, 22050},
      {"Formats\\WAV", "cboSamplesWAV", "22050", "96000", rate, 22050},
      // The slider: missing and empty are 0, other numbers outside 0 to 100 and texts are refused.
      {"Formats\\OGG", "sldOGG", "40", "90", slider, 90},
      {"Formats\\OGG", "sldOGG", "40", std::nullopt, slider, 0},
      {"Formats\\OGG", "sldOGG", "40", "", slider, 0},
      {"Formats\\OGG", "sldOGG", "40", "-3", slider, 40},
      {"Formats\\OGG", "sldOGG", "40", "loud", slider, 40},
      // Options: "True" chosen, "False", missing and empty not.
      {"Formats\\OGG", "optOggBit", "True", "False", bitrateMode, 0},
      {"Formats\\OGG", "optOggBit", "True", std::nullopt, bitrateMode, 0},
      {"Formats\\OGG", "optOggBit", "False", "True", bitrateMode, 1},
      // Boxes: "1" ticked, "0", missing and empty clear, other texts refused.
      {"Formats\\MP3", "chkMP3ErrorProtect", "1", "0", errorProtection, 0},
      {"Formats\\MP3", "chkMP3ErrorProtect", "1", "", errorProtection, 0},
      {"Formats\\MP3", "chkMP3ErrorProtect", "1", "on", errorProtection, -1},
      {"Formats\\MP3", "chkMP3ErrorProtect", "0", "1", errorProtection, -1},
  };
  for (const Case& c : cases) {
    Store(c.section, c.name, c.prior);
    p.GetOptions();
    if (c.stored) Store(c.section, c.name, *c.stored);
    else Section(c.section).DeleteValue(c.name);
    p.GetOptions();
    EXPECT_EQ(c.value(), c.expected) << c.name << " stored " << (c.stored ? c.stored->toStdString() : "-");
  }
}

TEST_F(AudioFormatTest, NothingStoredFillsTheStoreFromTheDefaultsAndTheMissingValueRules) {
  // Not even what the install step stores.
  for (const char* f : {"WAV", "ACM", "MP3", "WMA", "OGG", "APE"}) {
    const QString key = Section(QString("Formats\\") + f).Path();
    ASSERT_EQ(Hive::DeleteKey(HKEY_LOCAL_MACHINE, key), ERROR_SUCCESS) << f;
    ASSERT_EQ(Hive::CreateKey(HKEY_LOCAL_MACHINE, key), ERROR_SUCCESS) << f;
  }
  form<g_frmAudioProp>();
  EXPECT_EQ(g_lWavSampleRate, 44100);
  EXPECT_EQ(g_lWavBits, 16);
  EXPECT_EQ(g_lWavChannelsIndex, 0);  // a missing position is 0: mono
  EXPECT_EQ(g_sAcmTag, "PCM");
  EXPECT_EQ(g_sAcmFormat, "44100 Hz, 16 Bit, Stereo");  // PCM lists CD quality first
  const Mp3FormatRecord& m = g_tMp3Settings;
  EXPECT_EQ(m.Bitrate, 128);
  EXPECT_EQ(m.Quality, 5);
  EXPECT_EQ(m.SampleRate, 44100);
  EXPECT_EQ(m.Mode, 0);
  EXPECT_EQ(m.Copyright | m.Original | m.ErrorProtection | m.StrictISO | m.WriteVbrTag | m.VbrForceMinBitrate, 0);
  EXPECT_EQ(m.VbrQuality, 5);
  EXPECT_EQ(m.VbrMinBitrate, 9);
  EXPECT_EQ(m.VbrMaxBitrate, 11);
  EXPECT_EQ(m.AbrBitrate, 96);
  EXPECT_EQ(m.VbrMethod, 0);
  EXPECT_FALSE(g_bMp3Abr);
  EXPECT_EQ(g_lWmaCodecIndex, 0);
  EXPECT_EQ(g_lWmaFormatIndex, 0);
  EXPECT_EQ(g_lOggQuality, 0);
  EXPECT_FALSE(g_bOggQualityMode || g_bOggBitrateMode);
  EXPECT_EQ(g_lOggBitrate, 32);
  EXPECT_EQ(g_lApeLevel, 0);
  const WavFormatRecord wav = OutputFormatStore::WavFormat();
  EXPECT_EQ(std::make_tuple(wav.SampleRate, wav.Channels, wav.BitsPerSample), std::make_tuple(44100, 1, 16));
  const OggFormatRecord ogg = OutputFormatStore::OggFormat();
  EXPECT_EQ(std::make_tuple(ogg.Mode, ogg.NominalBitrate, ogg.Quality), std::make_tuple(0, 0, 0));
}

TEST_F(AudioFormatTest, TheMp3RecordFollowsTheTagAndAbrChoices) {
  g_frmAudioProp& p = form<g_frmAudioProp>();
  struct Choice {
    bool tag, abr;
    int32_t method;
    int16_t writeTag;
  };
  const Choice choices[] = {{false, false, 0, 0}, {true, false, 4, -1}, {true, true, 3, -1}, {false, true, 3, 0}};
  for (const Choice& c : choices) {
    p.chkMP3VBRTag->setChecked(c.tag);
    p.chkMP3ABR->setChecked(c.abr);
    p.cmdOk_Click();
    EXPECT_EQ(Read("Formats\\MP3", "chkMP3VBRTag"), c.tag ? "1" : "0");
    EXPECT_EQ(Read("Formats\\MP3", "chkMP3ABR"), c.abr ? "1" : "0");
    const Mp3FormatRecord r = OutputFormatStore::Mp3Format();
    EXPECT_EQ(r.VbrMethod, c.method) << c.tag << c.abr;
    EXPECT_EQ(r.WriteVbrTag, c.writeTag) << c.tag << c.abr;
    EXPECT_EQ(g_tMp3Settings.VbrMethod, 0);  // the store never keeps a method
    RecordingControl control;
    OutputFormatStore::HandOver(control, fmtMP3);
    EXPECT_EQ(control.format, 3);
    EXPECT_EQ(control.calls, QStringList{"mp3"});
    EXPECT_EQ(control.mp3.VbrMethod, c.method);
  }
}

TEST_F(AudioFormatTest, Mp3ListsStoreTheirTextsAndGiveNumbersOrPositions) {
  g_frmAudioProp& p = form<g_frmAudioProp>();
  p.cboMP3MinBitrate->setCurrentIndex(p.cboMP3MinBitrate->findText("96"));
  p.cboMP3MaxBitrate->setCurrentIndex(p.cboMP3MaxBitrate->findText("320"));
  p.cboMP3Quality->setCurrentIndex(5);
  p.cboMP3Bitrate->setCurrentIndex(0);
  p.cboMP3Mode->setCurrentIndex(3);
  p.chkMP3Copyright->setChecked(true);
  p.cmdOk_Click();
  EXPECT_EQ(Read("Formats\\MP3", "cboMP3MinBitrate"), "96");
  EXPECT_EQ(Read("Formats\\MP3", "cboMP3MaxBitrate"), "320");
  EXPECT_EQ(Read("Formats\\MP3", "cboMP3Quality"), "5 ");
  EXPECT_EQ(Read("Formats\\MP3", "cboMP3Bitrate"), "8 ");
  EXPECT_EQ(Read("Formats\\MP3", "cboMP3Mode"), "3");
  EXPECT_EQ(g_tMp3Settings.VbrMinBitrate, 9);
  EXPECT_EQ(g_tMp3Settings.VbrMaxBitrate, 18);
  EXPECT_EQ(g_tMp3Settings.Quality, 5);
  EXPECT_EQ(g_tMp3Settings.Bitrate, 8);
  EXPECT_EQ(g_tMp3Settings.Mode, 3);
  EXPECT_EQ(g_tMp3Settings.Copyright, -1);
}

TEST_F(AudioFormatTest, OggAndWavChoicesAreStoredAndBuildTheirRecords) {
  g_frmAudioProp& p = form<g_frmAudioProp>();
  p.optOggBit->setChecked(true);
  EXPECT_FALSE(p.ptnQualityOGG->isChecked());
  p.cboOggBitNom->setCurrentIndex(p.cboOggBitNom->findText("128"));
  p.cboSamplesWAV->setCurrentIndex(p.cboSamplesWAV->findText("22050"));
  p.cboBitrateWAV->setCurrentIndex(p.cboBitrateWAV->findText("8"));
  p.cboChannelsWAV->setCurrentIndex(1);
  p.cmdOk_Click();
  EXPECT_EQ(Read("Formats\\OGG", "optOggBit"), "True");
  EXPECT_EQ(Read("Formats\\OGG", "ptnQualityOGG"), "False");
  EXPECT_EQ(Read("Formats\\OGG", "cboOggBitNom"), "128");
  EXPECT_EQ(Read("Formats\\WAV", "cboSamplesWAV"), "22050");
  EXPECT_EQ(Read("Formats\\WAV", "cboBitrateWAV"), "8");
  EXPECT_EQ(Read("Formats\\WAV", "cboChannelsWAV"), "1");
  OggFormatRecord ogg = OutputFormatStore::OggFormat();
  EXPECT_EQ(std::make_tuple(ogg.Mode, ogg.NominalBitrate, ogg.Quality), std::make_tuple(2, 128, 0));
  const WavFormatRecord wav = OutputFormatStore::WavFormat();
  EXPECT_EQ(std::make_tuple(wav.SampleRate, wav.Channels, wav.BitsPerSample), std::make_tuple(22050, 2, 8));

  p.ptnQualityOGG->setChecked(true);
  p.sldOGG->setValue(70);
  p.cmdOk_Click();
  EXPECT_EQ(Read("Formats\\OGG", "sldOGG"), "70");
  ogg = OutputFormatStore::OggFormat();
  EXPECT_EQ(std::make_tuple(ogg.Mode, ogg.NominalBitrate, ogg.Quality), std::make_tuple(0, 0, 70));

  RecordingControl control;
  for (int f = fmtWAV; f <= fmtAPE; ++f) OutputFormatStore::HandOver(control, f);
  EXPECT_EQ(control.calls, QStringList({"wav 22050 2 8", "acm PCM / 44100 Hz, 16 Bit, Stereo", "mp3", "wma 0 0",
                                        "ogg 0 0 70", "ape 0"}));
  EXPECT_EQ(control.format, 6);
}

TEST_F(AudioFormatTest, StoredSettingsComeBackAfterARestart) {
  Store("Formats\\WAV", "cboChannelsWAV", "1");
  Store("Formats\\ACM", "cboTags", "IMA ADPCM");
  Store("Formats\\ACM", "cboFormats", "22050 Hz, 4 Bit, Mono");
  Store("Formats\\WMA", "cboWMACodecs", "1");
  Store("Formats\\WMA", "cboWMAFormat", "3");
  Store("Formats\\OGG", "sldOGG", "101");  // out of range: the slider keeps 50
  Store("Formats\\MP3", "lblMP3Advanced", "Simple...");
  Store("Formats\\APE", "cboAPELevel", "4");
  g_frmAudioProp& p = form<g_frmAudioProp>();
  EXPECT_EQ(g_lWavChannelsIndex, 1);
  EXPECT_EQ(g_sAcmTag, "IMA ADPCM");
  EXPECT_EQ(g_sAcmFormat, "22050 Hz, 4 Bit, Mono");
  EXPECT_EQ(g_lWmaCodecIndex, 1);
  EXPECT_EQ(g_lWmaFormatIndex, 3);
  EXPECT_EQ(g_lOggQuality, 50);
  EXPECT_EQ(p.lblSensitivityVal->text(), "50");
  EXPECT_EQ(g_lApeLevel, 4);
  EXPECT_TRUE(p.picMP3Advanced->isVisibleTo(p.froToMP3));
  p.lblMP3Advanced_Click();
  EXPECT_EQ(p.lblMP3Advanced->text(), "Advanced...");
  EXPECT_FALSE(p.picMP3Advanced->isVisibleTo(p.froToMP3));
}

TEST_F(AudioFormatTest, AMissingMp3SectionClearsTheBoxesButKeepsTheTextLists) {
  g_frmAudioProp& p = form<g_frmAudioProp>();
  p.cboMP3Bitrate->setCurrentIndex(p.cboMP3Bitrate->findText("192"));
  p.cboMP3Mode->setCurrentIndex(2);
  p.chkMP3Original->setChecked(true);
  ASSERT_EQ(Hive::DeleteKey(HKEY_LOCAL_MACHINE, Section("Formats\\MP3").Path()), ERROR_SUCCESS);
  p.cmdOk_Click();
  EXPECT_FALSE(p.chkMP3Original->isChecked());
  EXPECT_EQ(p.cboMP3Mode->currentIndex(), 0);
  EXPECT_EQ(p.cboMP3Bitrate->currentText(), "192");
  EXPECT_EQ(g_tMp3Settings.Bitrate, 192);
}

TEST_F(AudioFormatTest, OkMakesTheShownFormatTheTargetFormatAndExitDoesNot) {
  frmOptions& o = form<frmOptions>();
  g_frmAudioProp& p = form<g_frmAudioProp>();
  o.cboTargetFormat->setCurrentIndex(0);
  p.cTabControl1->SelectTab("APE");
  p.cTabControl1_TabClick(1);  // the selected tab decides, not the index
  EXPECT_TRUE(p.froToAPE->isVisibleTo(&p));
  EXPECT_EQ(p.lblTitle->text(), "APE -");
  EXPECT_EQ(p.lblFormatDesc->text(), QString::fromUtf8("Monkey\u2019s Audio file format"));
  EXPECT_EQ(p.lblFormatDesc->x(), p.lblTitle->x() + p.lblTitle->width() + px(80));
  p.cmdExit_Click();
  EXPECT_EQ(o.cboTargetFormat->currentIndex(), 0);
  p.cmdOk_Click();
  EXPECT_EQ(o.cboTargetFormat->currentIndex(), 5);
  EXPECT_FALSE(Has("General", "cboTargetFormat"));  // stored by the options window's OK only
  p.cTabControl1->SelectTab("ACM");
  p.cTabControl1_TabClick(0);
  EXPECT_EQ(p.lblTitle->text(), "WAV(ACM) -");
}

TEST_F(AudioFormatTest, CodecListsComeFromTheConverterTables) {
  g_frmAudioProp& p = form<g_frmAudioProp>();
  cAudioConverter c;
  ASSERT_GT(c.GetWmaCodecCount(), 0);
  ASSERT_EQ(p.cboWMACodecs->count(), c.GetWmaCodecCount());
  for (long i = 0; i < c.GetWmaCodecCount(); ++i) EXPECT_EQ(p.cboWMACodecs->itemText(int(i)), c.GetWmaCodecName(i));
  p.cboWMACodecs->setCurrentIndex(1);
  EXPECT_EQ(p.cboWMAFormat->count(), c.GetWmaFormatCount(1));
  EXPECT_EQ(p.cboWMAFormat->currentIndex(), 0);
  for (int i = 1; i < p.cboTags->count(); ++i)
    EXPECT_LE(QString::compare(p.cboTags->itemText(i - 1), p.cboTags->itemText(i), Qt::CaseInsensitive), 0);
}

TEST_F(AudioFormatTest, RecommendedCodecsFollowTheChosenSourceAndACancelKeepsTheLists) {
  g_frmAudioProp& p = form<g_frmAudioProp>();
  auto& ui = ScriptedUi::get();
  const int tags = p.cboTags->count();
  p.chkBestAccordToSource->setChecked(true);  // dialog cancelled
  EXPECT_EQ(ui.dialogs.back().title, "Open MP3 audio file");
  EXPECT_FALSE(p.chkBestAccordToSource->isChecked());
  EXPECT_EQ(p.cboTags->count(), tags);
  EXPECT_EQ(p.cboTags->currentText(), "PCM");
  EXPECT_GT(p.cboFormats->count(), 0);

  const QString source = silentWav(TestEnv::FreshDir("acm") + "/stereo.wav", 22050, 2);
  ui.dialogAnswers = {{source}};
  p.chkBestAccordToSource->setChecked(true);
  ASSERT_GT(p.cboTags->count(), 0);
  EXPECT_LT(p.cboTags->count(), tags);
  EXPECT_EQ(p.cboTags->currentIndex(), 0);
  for (int i = 0; i < p.cboFormats->count(); ++i) EXPECT_TRUE(p.cboFormats->itemText(i).contains("22050 Hz")) << p.cboFormats->itemText(i).toStdString();
  EXPECT_EQ(p.cboFormats->currentIndex(), 0);

  p.chkBestAccordToSource->setChecked(false);  // all tags again, the first in alphabetical order
  EXPECT_EQ(p.cboTags->count(), tags);
  EXPECT_EQ(p.cboTags->currentIndex(), 0);
  EXPECT_NE(p.cboTags->currentText(), "PCM");
}

TEST_F(AudioFormatTest, TheQualityLabelFollowsEveryMoveOfTheSlider) {
  g_frmAudioProp& p = form<g_frmAudioProp>();
  p.sldOGG->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(p.lblSensitivityVal->text(), QString::number(p.sldOGG->value()));
  p.sldOGG->setValue(33);
  EXPECT_EQ(p.lblSensitivityVal->text(), "33");
}
