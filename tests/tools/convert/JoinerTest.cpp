// The joiner end to end: items of different rates and channels joined into
// one file with the first row's tags, names that cannot be used, and an
// existing output.
#include <QLabel>
#include <QLineEdit>

#include "lists/ItemRow.h"
#include "platform/XP_ProgressBar.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "tests/taskframe/TaskFixture.h"
#include "tools/convert/g_frmJoiner.h"

using namespace AudioFixtures;
using ListFixtures::FileBytes;

namespace {
class JoinerTest : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    WriteWav(media + "/a.wav", 44100, 2, 16, 1.0);
    WriteWav(media + "/b.wav", 22050, 1, 16, 0.5);
    const QString wav = WriteWav(media + "/tmp.wav", 48000, 2, 16, 1.0);
    Encode(wav, media + "/c.ogg", {"-c:a", "libvorbis"});
    QFile::remove(wav);
  }
  // The items, added to the list, then the joiner opened over them.
  void WithJoiner(const std::function<void(g_frmJoiner&)>& steps) {
    AddItems({"a.wav", "b.wav", "c.ogg"});
    WithTask<g_frmJoiner>("Audio Joiner", steps);
  }
};
}  // namespace

TEST_F(JoinerTest, ThreeItemsOfDifferentRatesBecomeOneFileWithTheFirstRowsTags) {
  g_tMp3Settings = Mp3FormatRecord{};
  g_tMp3Settings.Bitrate = 128, g_tMp3Settings.SampleRate = 44100, g_tMp3Settings.Mode = 1;
  g_tMp3Settings.Quality = 5, g_tMp3Settings.WriteVbrTag = -1, g_bMp3Abr = false;
  g_sTagSong = "[ITEM_NAME] #[TRACK_NUM]";
  WithJoiner([&](g_frmJoiner& w) {
    EXPECT_EQ(w.chkPlaySound->text(), "Play sound");
    EXPECT_EQ(w.chkNoticeApp->text(), "Notice application ");
    ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, "MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
    w.txtJoinedFileName->setText("joined-[source_extension].[dest_extension]");
    w.cGrid1->SetSelectedRow(3);
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    EXPECT_EQ(w.prgTotal->Value(), 300);
    const QStringList log = Messages(w);
    EXPECT_TRUE(log.contains("Preparing to join: 3 tracks."));
    for (const char* line : {"Add a.wav...", "Add b.wav...", "Add c.ogg..."}) EXPECT_TRUE(log.contains(line)) << line;
  });
  const QString joined = out + "/joined-wav.mp3";
  const Probe p = ProbeFile(joined);
  EXPECT_EQ(p.sampleRate, 44100);
  EXPECT_EQ(p.channels, 2);
  EXPECT_NEAR(double(DecodePcm(joined).size()) / 2, 2.5 * 44100, 1152 * 3);
  // The item's own placeholders belong to the converter: here they stay as typed.
  EXPECT_EQ(p.tags.value("title"), "[ITEM_NAME] #1");
}

TEST_F(JoinerTest, NamesThatLeaveTheFolderOrHitASourceAreRefused) {
  const QByteArray source = FileBytes(media + "/a.wav");
  WithJoiner([&](g_frmJoiner& w) {
    for (const QString& name : {"../x.wav", "sub/x.wav", "..", ""}) {
      SCOPED_TRACE(name.toStdString());
      w.txtJoinedFileName->setText(name);
      w.cmdConvert->click();
      EXPECT_TRUE(w.cmdConvert->isEnabled());
      EXPECT_TRUE(LastMessage(w).startsWith("Error: The file name")) << LastMessage(w).toStdString();
    }
    w.txtToPath->setEditText(media + "/");
    w.txtJoinedFileName->setText("a.wav");
    w.cmdConvert->click();
    EXPECT_TRUE(w.cmdConvert->isEnabled());
    EXPECT_EQ(LastMessage(w), "Error: The file " + media + "/a.wav is one of the files to join.");
  });
  EXPECT_TRUE(OutFiles().isEmpty());
  EXPECT_EQ(FileBytes(media + "/a.wav"), source);
  EXPECT_TRUE(ScriptedUi::get().prompts().isEmpty());
}

TEST_F(JoinerTest, AFixedNameMeetsTheOverwriteQuestionOnTheSecondJoin) {
  g_lWavSampleRate = 22050, g_lWavChannelsIndex = 0, g_lWavBits = 16;
  WithJoiner([&](g_frmJoiner& w) {
    FormControls::SelectText(w.cboTargetFormat, "WAV - Waveform Audio Format (*.wav)");
    w.txtJoinedFileName->setText("all.wav");
    Convert(w);
    const QByteArray first = FileBytes(out + "/all.wav");
    ScriptedUi::get().answers.push_back(vbNo);
    w.cmdConvert->click();
    EXPECT_TRUE(w.cmdConvert->isEnabled());
    EXPECT_EQ(LastMessage(w), "File already exists.");
    EXPECT_EQ(FileBytes(out + "/all.wav"), first);
  });
  EXPECT_NEAR(double(DecodePcm(out + "/all.wav").size()), 2.5 * 22050, 64);
}
