// The speech control: rendered files checked for format, length and level;
// words reported in order with positions in the text; brackets read aloud.
#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>

#include "AudioFixtures.h"
#include "TestEnv.h"
#include "backend/audio/WavFile.h"
#include "platform/speech/cParlo.h"

namespace {
// The id of a format name, from the control's own list.
long formatId(cParlo& parlo, const QString& name) {
  long id = -1;
  auto c = QObject::connect(&parlo, &cParlo::FormatFound, [&](const QString& n, long i) {
    if (n == name) id = i;
  });
  parlo.InitSpeech();
  QObject::disconnect(c);
  return id;
}

long englishVoice(cParlo& parlo) {
  for (long i = 1; i <= parlo.GetVoiceCount(); ++i)
    if (parlo.GetVoiceName(i).startsWith("English")) return i - 1;
  return 0;
}

double seconds(const QString& path) {
  WavLayout l;
  QString error;
  return WavFile::ReadLayout(path, &l, &error) ? double(l.Frames()) / l.sampleRate : 0;
}
}  // namespace

TEST(Parlo, ListsVoicesAndTheFormats) {
  cParlo parlo;
  EXPECT_GT(parlo.GetVoiceCount(), 10);
  QSignalSpy found(&parlo, &cParlo::FormatFound);
  parlo.InitSpeech();
  ASSERT_EQ(found.size(), 36);  // reported before the call returned
  EXPECT_EQ(found[0][0].toString(), "SAFT8kHz8BitMono");
  EXPECT_EQ(found[0][1].toLongLong(), 4);
  EXPECT_EQ(found[18][0].toString(), "SAFT22kHz16BitMono");
  EXPECT_EQ(found[18][1].toLongLong(), 22);
  EXPECT_EQ(found[35][0].toString(), "SAFT48kHz16BitStereo");
}

TEST(Parlo, RendersFilesInEachFormatWithPlausibleLengthAndLevel) {
  const QString dir = TestEnv::FreshDir("parlo-render");
  cParlo parlo;
  parlo.SetVoiceIndex(englishVoice(parlo));
  struct Case {
    const char* format;
    int rate, bits, channels;
  } cases[] = {{"SAFT22kHz16BitMono", 22050, 16, 1}, {"SAFT8kHz8BitMono", 8000, 8, 1}, {"SAFT44kHz16BitStereo", 44100, 16, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    parlo.SetAudioFormatId(formatId(parlo, c.format));
    QString path = dir + "/speech.wav";
    ASSERT_EQ(parlo.SpeakToFile("This is a short test of the speech engine.", path), 0);
    WavLayout l;
    QString error;
    ASSERT_TRUE(WavFile::ReadLayout(path, &l, &error));
    EXPECT_EQ(l.sampleRate, c.rate);
    EXPECT_EQ(l.bits, c.bits);
    EXPECT_EQ(l.channels, c.channels);
    const double s = double(l.Frames()) / l.sampleRate;
    EXPECT_GT(s, 1.5);
    EXPECT_LT(s, 6.0);
    const double rms = AudioFixtures::Rms(AudioFixtures::DecodePcm(path));
    EXPECT_GT(rms, 500);  // speech, not silence
  }
}

TEST(Parlo, RateChangesTheLengthAndBracketsAreSpoken) {
  const QString dir = TestEnv::FreshDir("parlo-rate");
  cParlo parlo;
  parlo.SetVoiceIndex(englishVoice(parlo));
  QString path = dir + "/r.wav";
  const QString text = "Speaking at different rates gives different lengths.";
  parlo.SetRate(0);
  ASSERT_EQ(parlo.SpeakToFile(text, path), 0);
  const double normal = seconds(path);
  parlo.SetRate(8);
  ASSERT_EQ(parlo.SpeakToFile(text, path), 0);
  EXPECT_LT(seconds(path), normal * 0.7);
  parlo.SetRate(0);
  // Text between brackets is read, not dropped as markup.
  ASSERT_EQ(parlo.SpeakToFile("one two", path), 0);
  const double plain = seconds(path);
  ASSERT_EQ(parlo.SpeakToFile("one <b> two", path), 0);
  EXPECT_GT(seconds(path), plain + 0.4);
}

TEST(Parlo, FailedRenderingsSayWhy) {
  const QString dir = TestEnv::FreshDir("parlo-fail");
  cParlo parlo;
  QString path = dir + "/empty.wav";
  EXPECT_EQ(parlo.SpeakToFile("", path), 2);
  EXPECT_FALSE(QFile::exists(path));
  QString unwritable = dir + "/missing/x.wav";
  EXPECT_EQ(parlo.SpeakToFile("hello", unwritable), 3);
}

TEST(Parlo, SpeaksWithWordsReportedInOrder) {
  cParlo parlo;
  parlo.SetVoiceIndex(englishVoice(parlo));
  parlo.SetRate(10);
  QSignalSpy words(&parlo, &cParlo::WordBoundary);
  QSignalSpy done(&parlo, &cParlo::SpeakDone);
  const QString text = QString::fromUtf8("Grüße one two");
  parlo.Speak(text);
  EXPECT_TRUE(parlo.IsSpeaking());
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return !done.isEmpty(); }, 15000));
  EXPECT_FALSE(parlo.IsSpeaking());
  QStringList spoken;
  for (const auto& w : words) spoken << text.mid(int(w[0].toLongLong()), int(w[1].toLongLong()));
  EXPECT_EQ(spoken, (QStringList{QString::fromUtf8("Grüße"), "one", "two"}));
}
