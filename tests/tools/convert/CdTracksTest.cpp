// The marked tracks of an open drive handed to the converter, the splitter
// and the joiner: each reads them from the drive, and the outputs hold the
// tracks' exact samples; a run whose every track fails ends as failed.
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "platform/cSysTray.h"
#include "tests/tools/disc/RipperFixture.h"
#include "tools/convert/g_frmJoiner.h"
#include "tools/convert/g_frmSplitter.h"

using namespace AudioFixtures;

namespace {
class CdTracksTest : public RipperTest {
 protected:
  void SetUp() override {
    RipperTest::SetUp();
    UseThreeTracks();
  }
  static void ToWav(TaskWindow& w) {
    ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, "WAV - Waveform Audio Format (*.wav)"));
  }
  static QByteArray Pcm(const QString& path) {
    const std::vector<int16_t> pcm = DecodePcm(path);
    return QByteArray(reinterpret_cast<const char*>(pcm.data()), qsizetype(pcm.size() * 2));
  }
};
}  // namespace

TEST_F(CdTracksTest, TheConverterGivesEachMarkedTracksExactSamples) {
  WithConverter([&](g_frmConverter& w) {
    ToWav(w);
    Convert(w);
    EXPECT_TRUE(Messages(w).filter("Error: ").isEmpty()) << Messages(w).join("\n").toStdString();
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
  });
  ASSERT_EQ(OutFiles(), QStringList({"Track01.wav", "Track02.wav", "Track03.wav"}));
  for (int t = 1; t <= 3; ++t) EXPECT_TRUE(Pcm(out + QString("/Track0%1.wav").arg(t)) == image.TrackBytes(t)) << t;
}

// The disc gone after its tracks were listed: every track fails, and the run
// says so instead of "Done.", with no end-of-job action.
TEST_F(CdTracksTest, ARunWhoseEveryTrackFailsEndsFailedWithoutTheEndActions) {
  QFile::rename(image.cue, image.cue + ".gone");
  g_sPlayAtEndFile = "/sounds/end.wav";
  g_sAppNotice = "notify-tool";
  WithConverter([&](g_frmConverter& w) {
    for (QCheckBox* box : {w.chkPlaySound, w.chkOpenDestFolder, w.chkNoticeApp, w.chkTurnOffComputer})
      box->setChecked(true);
    ToWav(w);
    Convert(w);
    const QString failed = "Failed: no item could be converted.";
    EXPECT_EQ(Messages(w).filter("Error: ").size(), 3);
    EXPECT_FALSE(Messages(w).contains("Done."));
    EXPECT_EQ(LastMessage(w), failed);
    EXPECT_EQ(w.lblCurrentTrack->text(), failed);
    EXPECT_EQ(main->cSysTray1->LastBalloonText(), failed);
  });
  EXPECT_TRUE(OutFiles().isEmpty());
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_TRUE(ScriptedUi::get().shellCalls.empty());
  EXPECT_EQ(turnOffShown, 0);
}

TEST_F(CdTracksTest, TheSplitterCutsATrackIntoItsParts) {
  const qint64 second = DiscImage::kSectorsPerSecond * DiscImage::kSectorBytes;
  main->cGrid1->SetSelectedRow(1);
  WithTask<g_frmSplitter>("Audio Splitter", [&](g_frmSplitter& w) {
    ToWav(w);
    w.ptnSplitByParts->setChecked(true);
    w.txtSplitParts->setText("2");
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.") << Messages(w).join("\n").toStdString();
  });
  ASSERT_EQ(OutFiles(), QStringList({"Part_1_Track01.WAV", "Part_2_Track01.WAV"}));
  EXPECT_TRUE(Pcm(out + "/Part_1_Track01.WAV") == image.TrackBytes(1).left(second));
  EXPECT_TRUE(Pcm(out + "/Part_2_Track01.WAV") == image.TrackBytes(1).mid(second));
}

TEST_F(CdTracksTest, TheJoinerPutsTheTracksOneAfterTheOther) {
  WithTask<g_frmJoiner>("Audio Joiner", [&](g_frmJoiner& w) {
    ToWav(w);
    w.txtJoinedFileName->setText("disc.wav");
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.") << Messages(w).join("\n").toStdString();
  });
  EXPECT_TRUE(Pcm(out + "/disc.wav") == image.TrackBytes(1) + image.TrackBytes(2) + image.TrackBytes(3));
}
