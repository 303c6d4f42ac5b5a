#include <gtest/gtest.h>

#include <QComboBox>

#include "core/mdlCommDialog.h"
#include "core/mdlSupportedDestination.h"
#include "core/mdlSupportedFormats.h"

TEST(AudioFilter, ElevenPairsEachPieceEndedByNul) {
  const QString filter = mdlSupportedFormats::GetAudioFileFilter();
  EXPECT_EQ(filter.count(QChar(0)), 22);
  EXPECT_TRUE(filter.endsWith(QChar(0)));
  const QStringList pieces = filter.split(QChar(0));
  EXPECT_EQ(pieces[0],
            "All supported audio files (*.acm;*.wav;*.aiff;*.aif;*.aifc;*.ape;*.cda;*.mp3;*.ogg;*.au;*.snd;"
            "*.vox;*.wav;*.wma;)");
  EXPECT_EQ(pieces[1], "*.acm;*.wav;*.aiff;*.aif;*.aifc;*.ape;*.cda;*.mp3;*.ogg;*.au;*.snd;*.vox;*.wav;*.wma;");
  EXPECT_EQ(pieces[14], "Au/SND file format. (*.au;*.snd)");
  EXPECT_EQ(pieces[21], "*.wma");
  for (int i = 1; i < 22; i += 2) EXPECT_TRUE(pieces[i].startsWith("*.")) << i;
}

TEST(AudioFilter, MapsOntoTheDialogServicesForm) {
  const QStringList qt = mdlCommDialog::QtFilterFromRecord(mdlSupportedFormats::GetAudioFileFilter()).split(";;");
  ASSERT_EQ(qt.size(), 11);
  EXPECT_EQ(qt[0],
            "All supported audio files (*.acm *.wav *.aiff *.aif *.aifc *.ape *.cda *.mp3 *.ogg *.au *.snd "
            "*.vox *.wma)");
  EXPECT_EQ(qt[5], "MPEG-1 Audio Layer 3 (MP3) (*.mp3)");
  EXPECT_EQ(qt[7], "Au/SND file format. (*.au *.snd)");
  EXPECT_EQ(mdlCommDialog::QtFilterFromRecord(QString("Wav Audio Files (*.wav)") + QChar(0) + "*.wav" + QChar(0)),
            "Wav Audio Files (*.wav)");
  EXPECT_EQ(mdlCommDialog::QtFilterFromRecord(""), "");
}

TEST(OutputFormats, FilledBoxHoldsTheSixTextsInOrder) {
  g_lDestMP3 = 0;
  QComboBox box;
  box.addItem("old");
  mdlSupportedDestination::FillDestinationFormats(&box);
  ASSERT_EQ(box.count(), 6);
  EXPECT_EQ(box.itemText(0), "WAV - Waveform Audio Format (*.wav)");
  EXPECT_EQ(box.itemText(1), "ACM - Waveform ACM Codecs (*.wav)");
  EXPECT_EQ(box.itemText(2), "MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
  EXPECT_EQ(box.itemText(3), "WMA - Windows Media Audio files (*.wma)");
  EXPECT_EQ(box.itemText(4), "OGG - Ogg Media Format (*.ogg)");
  EXPECT_EQ(box.itemText(5), "APE - Monkey 's Audio (*.ape)");
  EXPECT_EQ(box.currentIndex(), -1);
  EXPECT_EQ(g_lDestMP3, 1);
}

TEST(OutputFormats, IndexFromTheFirstThreeLetters) {
  struct Case {
    const char* text;
    long index;
  } cases[] = {{"APE - Monkey 's Audio (*.ape)", 5}, {"ogg", 4}, {"mp3", 2}, {"Wma", 3}, {"ACM", 1},
               {"WAV - Waveform Audio Format (*.wav)", 0}, {"", 0}, {"FL", 0}, {"FLAC", 0}};
  for (const Case& c : cases) EXPECT_EQ(mdlSupportedDestination::GetDestinationFormatIndex(c.text), c.index) << c.text;
  for (int i = 0; i < OutputFormatCount; ++i)
    EXPECT_EQ(mdlSupportedDestination::GetDestinationFormatIndex(mdlSupportedDestination::FormatText(i)), i);
}
