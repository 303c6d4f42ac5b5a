// The splitter end to end: the hand-over of the current row, both split modes
// cut exactly on WAV, the refused counts, an existing part file.
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "lists/ItemRow.h"
#include "platform/XP_ProgressBar.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "tests/taskframe/TaskFixture.h"
#include "tools/convert/g_frmSplitter.h"

using namespace AudioFixtures;
using ListFixtures::FileBytes;

namespace {
const QString kWavFormat = "WAV - Waveform Audio Format (*.wav)";
const QString kTooSmall = "Source file length is to small.       ";

class SplitterTest : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    g_lWavSampleRate = 44100, g_lWavChannelsIndex = 0, g_lWavBits = 16;
  }
  // A 5-second mono source with a four-letter extension.
  void AddSong() {
    const QString wav = WriteWav(media + "/tmp.wav", 44100, 1, 16, 5.0);
    Encode(wav, media + "/song.aiff");
    QFile::remove(wav);
    AddItems({"song.aiff"});
  }
  void WithSplitter(const std::function<void(g_frmSplitter&)>& steps) {
    WithTask<g_frmSplitter>("Audio Splitter", [&](g_frmSplitter& w) {
      FormControls::SelectText(w.cboTargetFormat, kWavFormat);
      steps(w);
    });
  }
  QString Part(int n) const { return out + QString("/Part_%1_song.WAV").arg(n); }
};
}  // namespace

TEST_F(SplitterTest, TheCurrentRowIsHandedOverMarkedOrNot) {
  for (const char* n : {"a.wav", "b.wav", "c.wav"}) WriteWav(media + "/" + n, 22050, 1, 16, 1.0);
  AddItems({"a.wav", "b.wav", "c.wav"});
  ItemRow::SetIcon(*main->cGrid1, 3, "Inc", ItemRow::kUnmarked);
  main->cGrid1->SetSelectedRow(3);
  WithSplitter([&](g_frmSplitter& w) {
    EXPECT_EQ(w.g_sFileToSplit, media + "/c.wav");
    EXPECT_EQ(w.lblFilesToConvert->text(), "Split: " + ItemRow::Text(*main->cGrid1, 3, "Item Name"));
    ASSERT_EQ(w.cGrid1->Rows(), 1);
    EXPECT_EQ(ItemRow::Text(*w.cGrid1, 1, "COL_FILE"), media + "/c.wav");
    EXPECT_TRUE(w.txtSplitParts->isEnabled());
    EXPECT_FALSE(w.txtSplitSecs->isEnabled());
    // The item's own placeholders belong to the converter: here they stay as typed.
    EXPECT_EQ(w.CreateID3TagsString("[ITEM_NAME] [SOURCE_NAME] [RANGE]"), "[ITEM_NAME] [SOURCE_NAME] [RANGE]");
  });
}

// 5 s in two parts gives 2 s parts (2.5 rounds to the even 2): three files.
TEST_F(SplitterTest, BothModesCutTheSourceExactlyAndKeepItsBaseName) {
  AddSong();
  const std::vector<int16_t> source = DecodePcm(media + "/song.aiff");
  for (bool byParts : {true, false}) {
    SCOPED_TRACE(byParts ? "parts" : "seconds");
    out = TestEnv::FreshDir(byParts ? "parts" : "secs");
    WithSplitter([&](g_frmSplitter& w) {
      (byParts ? w.ptnSplitByParts : w.ptnSplitBySecs)->click();
      w.txtSplitParts->setText("2");
      w.txtSplitSecs->setText("2");
      Convert(w);
      EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
      EXPECT_EQ(w.prgTotal->Max(), byParts ? 200 : 250);
      EXPECT_EQ(Messages(w).filter("Start to split: song.aiff...").size(), 3);
    });
    ASSERT_EQ(OutFiles(), QStringList({"Part_1_song.WAV", "Part_2_song.WAV", "Part_3_song.WAV"}));
    std::vector<int16_t> joined;
    for (int n = 1; n <= 3; ++n) {
      const std::vector<int16_t> part = DecodePcm(Part(n));
      EXPECT_EQ(part.size(), n < 3 ? 88200u : 44100u);
      joined.insert(joined.end(), part.begin(), part.end());
    }
    EXPECT_TRUE(joined == source);
  }
}

// A 20-s MP3 whose LAME tag states the encoder's delay and padding decodes to
// 20 s: four parts asked, four 5-s parts made, and none past the end.
TEST_F(SplitterTest, AnMp3SplitsIntoTheNumberOfPartsAsked) {
  const QString wav = WriteWav(media + "/tmp.wav", 44100, 1, 16, 20.0);
  RunTool("lame", {"--quiet", "-b", "128", wav, media + "/song.mp3"});
  QFile::remove(wav);
  AddItems({"song.mp3"});
  WithSplitter([&](g_frmSplitter& w) {
    w.txtSplitParts->setText("4");
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    EXPECT_EQ(Messages(w).filter("Error").join("\n"), "");
  });
  ASSERT_EQ(OutFiles(), QStringList({"Part_1_song.WAV", "Part_2_song.WAV", "Part_3_song.WAV", "Part_4_song.WAV"}));
  // Each part within a frame of 5 s, and together the whole decode.
  constexpr double kFrame = 1152;
  std::vector<int16_t> joined;
  for (int n = 1; n <= 4; ++n) {
    const std::vector<int16_t> part = DecodePcm(Part(n));
    EXPECT_NEAR(double(part.size()), 5 * 44100, kFrame) << n;
    joined.insert(joined.end(), part.begin(), part.end());
  }
  EXPECT_TRUE(joined == DecodePcm(media + "/song.mp3"));
}

TEST_F(SplitterTest, CountsThatGiveNoWholeSecondAreRefusedBeforeAnythingStarts) {
  AddSong();
  struct Case {
    bool byParts;
    const char* text;
  } cases[] = {{true, "0"},   {true, "2.5"}, {true, "abc"},  {true, "-1"}, {true, "11"},
               {false, "abc"}, {false, "0.4"}, {false, "-3"}, {false, "5"}, {false, ""}};
  WithSplitter([&](g_frmSplitter& w) {
    // A finished run first: its part length is never reused.
    w.txtSplitParts->setText("1");
    Convert(w);
    ASSERT_EQ(OutFiles().size(), 1);
    QFile::remove(Part(1));
    for (const Case& c : cases) {
      SCOPED_TRACE(c.text);
      (c.byParts ? w.ptnSplitByParts : w.ptnSplitBySecs)->click();
      (c.byParts ? w.txtSplitParts : w.txtSplitSecs)->setText(c.text);
      const int shown = ScriptedUi::get().prompts().size();
      w.cmdConvert->click();
      ASSERT_EQ(ScriptedUi::get().prompts().size(), shown + 1);
      EXPECT_EQ(ScriptedUi::get().prompts().last(), kTooSmall);
      EXPECT_TRUE(w.cmdConvert->isEnabled());
      EXPECT_TRUE(OutFiles().isEmpty());
    }
  });
}

TEST_F(SplitterTest, AnExistingPartAnsweredNoIsKeptAndTheNextPartFollows) {
  AddSong();
  ListFixtures::WriteBytes(Part(2), "keep me");
  ScriptedUi::get().answers.push_back(vbNo);
  WithSplitter([&](g_frmSplitter& w) {
    w.ptnSplitBySecs->click();
    w.txtSplitSecs->setText("2");
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    EXPECT_TRUE(Messages(w).contains("File already exists."));
  });
  EXPECT_EQ(FileBytes(Part(2)), "keep me");
  EXPECT_EQ(DecodePcm(Part(3)).size(), 44100u);
  EXPECT_EQ(DecodePcm(Part(1)).size(), 88200u);
}

TEST_F(SplitterTest, AbortBehindTheLastPartsQuestionAnsweredNoEndsAborted) {
  AddSong();
  ListFixtures::WriteBytes(Part(3), "keep me");
  WithSplitter([&](g_frmSplitter& w) {
    w.chkPlaySound->setChecked(true);
    w.chkTurnOffComputer->setChecked(true);
    SetMsgBoxHandler([&w](const MsgBoxCall& call) {
      if (call.prompt.startsWith("Abort operation?")) return int(vbYes);
      w.cmdAbort->click();
      return int(vbNo);
    });
    w.ptnSplitBySecs->click();
    w.txtSplitSecs->setText("2");
    Convert(w);
    ScriptedUi::get().install();
    EXPECT_EQ(w.lblCurrentTrack->text(), "Aborted.");
    EXPECT_EQ(LastMessage(w), "Aborted.");
  });
  EXPECT_EQ(FileBytes(Part(3)), "keep me");
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_EQ(turnOffShown, 0);
}
