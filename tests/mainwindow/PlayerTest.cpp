// The preview player of the main window: playing generated WAV files on the
// dummy audio output, the row and node bold, the times, the go-to-next
// advance, pause, resume, stop and seek.
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "AudioFixtures.h"
#include "DiscImage.h"
#include "platform/audio/cPlayer.h"
#include "tests/lists/ListFixtures.h"

using namespace ListFixtures;

namespace {
bool rowBold(frmMain* m, long row) {
  for (long c = 1; c <= m->cGrid1->Columns(); ++c)
    if (!m->cGrid1->CellFont(row, c).bold()) return false;
  return true;
}
}  // namespace

class PlayerTest : public ListsTest {
 protected:
  void SetUp() override {
    ListsTest::SetUp();
    g_bGoToNextItem = false;
  }
  void press(const QString& key) {
    cToolbar& bar = *main->tlbrPlayButtons;
    QTest::mouseClick(bar.ButtonFace(bar.ButtonIndex(key)), Qt::LeftButton);
  }
  void addRows(const QList<QPair<QString, double>>& files) {
    QStringList names;
    for (const auto& [name, seconds] : files) {
      WriteWav(media + "/" + name, seconds);
      names << name;
    }
    AddFromDialog(names);
    ASSERT_EQ(main->cGrid1->Rows(), files.size());
  }
  bool playing() const { return main->cPlayer1->IsPlaying(); }
  QString mainPanel() const { return main->cStatusBar1->PanelText("Main"); }
  cTreeNode* listNode() const { return main->cTreeView1->SelectedItem(); }
};

TEST_F(PlayerTest, PlayBoldsTheRowAndAtTheEndTheNextMarkedRowPlays) {
  addRows({{"a.wav", 1.4}, {"b.wav", 1.0}, {"c.wav", 0.4}});
  ItemRow::SetIcon(*main->cGrid1, 2, "Inc", 0);
  g_bGoToNextItem = true;
  main->cGrid1->SetSelectedRow(1);
  press("Play");
  ASSERT_TRUE(playing());
  EXPECT_EQ(mainPanel(), "Playing");
  EXPECT_TRUE(rowBold(main, 1));
  EXPECT_FALSE(rowBold(main, 2));
  EXPECT_TRUE(listNode()->Bold());
  EXPECT_EQ(main->lbTotalLengthSec->text(), "0:00:01");
  EXPECT_EQ(main->cSlider1->Max(), 1);

  // The position follows the player, then the end moves on to row 3, skipping the unmarked row 2.
  EXPECT_TRUE(QTest::qWaitFor([&] { return main->lblCurrentPositionSec->text() == "0:00:01"; }, 3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return main->cGrid1->SelectedRow() != 1 && playing(); }, 4000));
  ASSERT_EQ(main->cGrid1->SelectedRow(), 3);
  EXPECT_TRUE(rowBold(main, 3));
  EXPECT_FALSE(rowBold(main, 1));
  EXPECT_EQ(mainPanel(), "Playing");
  // A length of less than half a second still gives the slider a range.
  EXPECT_EQ(main->lbTotalLengthSec->text(), "0:00:00");
  EXPECT_EQ(main->cSlider1->Max(), 1);

  ASSERT_TRUE(QTest::qWaitFor([&] { return mainPanel() == "Ready."; }, 4000));
  EXPECT_FALSE(playing());
  EXPECT_EQ(main->cGrid1->SelectedRow(), 3);
  EXPECT_FALSE(rowBold(main, 3));
  EXPECT_FALSE(listNode()->Bold());
  EXPECT_EQ(main->cSlider1->Value(), 0);
  EXPECT_EQ(main->lblCurrentPositionSec->text(), "0:00:00");
  EXPECT_FALSE(main->tmSlider->Enabled());
  EXPECT_FALSE(main->tmrAudioData->Enabled());
}

TEST_F(PlayerTest, PauseResumeSeekAndStop) {
  addRows({{"a.wav", 3.0}});
  press("Pause");
  EXPECT_FALSE(main->tlbrPlayButtons->ButtonChecked("Pause"));  // nothing plays

  press("Play");
  ASSERT_TRUE(playing());
  EXPECT_EQ(main->cSlider1->Max(), 3);
  press("Pause");
  EXPECT_TRUE(main->cPlayer1->IsPaused());
  EXPECT_TRUE(main->tlbrPlayButtons->ButtonChecked("Pause"));
  press("Pause");
  EXPECT_FALSE(main->cPlayer1->IsPaused());
  press("Pause");
  press("Play");  // resumes the same item rather than restarting it
  EXPECT_FALSE(main->cPlayer1->IsPaused());
  EXPECT_FALSE(main->tlbrPlayButtons->ButtonChecked("Pause"));
  EXPECT_FALSE(main->tmrPlayer->Enabled());

  // A click on the slider's track seeks to the whole second there; paused,
  // the preview stays there.
  press("Pause");
  const QPoint nearEnd(main->cSlider1->width() * 3 / 4, main->cSlider1->height() / 2);
  QTest::mouseClick(main->cSlider1, Qt::LeftButton, {}, nearEnd);
  EXPECT_EQ(main->cSlider1->Value(), 2);
  EXPECT_EQ(main->cPlayer1->GetPosition(), 2);
  EXPECT_TRUE(main->tmSlider->Enabled());

  press("Stop");  // ends a paused preview
  EXPECT_FALSE(playing());
  EXPECT_FALSE(main->tlbrPlayButtons->ButtonChecked("Pause"));
  EXPECT_FALSE(listNode()->Bold());
  EXPECT_TRUE(main->m_cPlayingNode.isEmpty());
  EXPECT_FALSE(main->tmSlider->Enabled());

  // A seek while nothing plays does nothing.
  main->cSlider1->SetValue(1);
  main->cSlider1_SeekEnd();
  EXPECT_FALSE(playing());
}

TEST_F(PlayerTest, PlayWhilePlayingStartsTheCurrentRowAMomentLater) {
  addRows({{"a.wav", 3.0}, {"b.wav", 3.0}});
  main->cGrid1->SetSelectedRow(1);
  press("Play");
  main->cGrid1->SetSelectedRow(2);
  press("Play");
  EXPECT_FALSE(playing());
  EXPECT_TRUE(main->tmrPlayer->Enabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return playing(); }, 30000));
  EXPECT_FALSE(main->tmrPlayer->Enabled());
  EXPECT_TRUE(rowBold(main, 2));
  EXPECT_FALSE(rowBold(main, 1));
  // Other parts of the window end the preview with index 0.
  main->tlbrPlayButtons_ButtonClick(0);
  EXPECT_FALSE(playing());
}

// However a preview ends, nothing goes on showing it: the status bar, the
// position, the slider and the bold row and list are reset.
TEST_F(PlayerTest, EveryWayAPreviewEndsResetsWhatShowsIt) {
  addRows({{"a.wav", 3.0}, {"short.wav", 1.9}});
  const struct {
    const char* name;
    long row;
    std::function<void()> end;
  } cases[] = {
      {"Stop button", 1, [&] { press("Stop"); }},
      {"Stop while paused", 1, [&] { press("Pause"), press("Stop"); }},
      {"A command", 1, [&] { main->RunCommand("MarkUnmark All"); }},
      {"End of the file", 2, [] {}},
  };
  for (const auto& c : cases) {
    main->cGrid1->SetSelectedRow(c.row);
    press("Play");
    ASSERT_TRUE(playing()) << c.name;
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->lblCurrentPositionSec->text() == "0:00:01"; }, 3000)) << c.name;
    c.end();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playing(); }, 3000)) << c.name;
    EXPECT_EQ(mainPanel(), "Ready.") << c.name;
    EXPECT_EQ(main->lblCurrentPositionSec->text(), "0:00:00") << c.name;
    EXPECT_EQ(main->cSlider1->Value(), 0) << c.name;
    EXPECT_FALSE(rowBold(main, c.row)) << c.name;
    EXPECT_FALSE(listNode()->Bold()) << c.name;
    EXPECT_FALSE(main->tmSlider->Enabled()) << c.name;
  }
}

// A drive's row names no file ("D:/Track02.cda"): its track plays from the
// drive, and the samples played are the track's.
TEST_F(PlayerTest, ADrivesTrackPlaysFromTheDrive) {
  const QString dir = TestEnv::FreshDir("cd_preview");
  const DiscImage::Image image = DiscImage::Write(dir, {{1, 440}, {1, 660}});
  AudioFixtures::DiskAudio disk(dir, {});
  qputenv("TESSORY_CD_IMAGES", image.cue.toLocal8Bit());
  main->setTree();
  main->cTreeView1_NodeClick(g_oAudioCDsNode->Children().Item(1));
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  main->cGrid1->SetSelectedRow(2);
  press("Play");
  ASSERT_TRUE(playing());
  EXPECT_TRUE(ScriptedUi::get().shown.empty());
  EXPECT_EQ(main->lbTotalLengthSec->text(), "0:00:01");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !playing(); }, 10000));
  const QByteArray played = FileBytes(dir + "/played.raw");
  const QByteArray track = image.TrackBytes(2);
  const qsizetype at = played.indexOf(track);
  ASSERT_GE(at, 0) << played.size();
  // Around the track the device played silence only.
  EXPECT_EQ(played.left(at).count('\0') + played.mid(at + track.size()).count('\0'), played.size() - track.size());
}

// While nothing plays, the player shows the selected item's own length (a
// file's, a drive's track's, none for a file that is gone), never the one
// played or selected before it; a playing preview keeps showing its own. A
// track's length is its own drive's, also after the poll of the drives has
// read another drive's disc.
TEST_F(PlayerTest, TheLengthShownIsTheSelectedItems) {
  addRows({{"three.wav", 3.0}, {"one.wav", 1.0}, {"gone.wav", 1.0}});
  const QString shown = DiscImage::Write(TestEnv::FreshDir("cd_length"), {{2, 440}}).cue;
  const QString other = DiscImage::Write(TestEnv::FreshDir("cd_other"), {{5, 440}}).cue;
  qputenv("TESSORY_CD_IMAGES", (shown + ":" + other).toLocal8Bit());
  main->setTree();
  cTreeNode* list = g_oItemsListsNode->Children().Item(1);
  cTreeNode* drive = g_oAudioCDsNode->Children().Item(1);
  const auto open = [&](cTreeNode* node) {
    node->SetSelected(true);
    main->cTreeView1_NodeClick(node);
  };
  const auto select = [&](long row) { main->cGrid1->SetSelectedRow(row); };
  const auto length = [&] { return main->lbTotalLengthSec->text(); };

  open(drive);
  main->tmrCDs_Timer();
  press("Play");
  ASSERT_TRUE(playing());
  EXPECT_EQ(length(), "0:00:02");
  press("Stop");
  open(list);  // selects its first row
  ASSERT_EQ(main->cGrid1->SelectedRow(), 1);
  EXPECT_EQ(length(), "0:00:03");
  ASSERT_TRUE(QFile::remove(media + "/gone.wav"));
  select(3);
  EXPECT_EQ(length(), "0:00:00");
  select(2);
  EXPECT_EQ(length(), "0:00:01");
  select(1);
  press("Play");
  ASSERT_TRUE(playing());
  select(2);
  EXPECT_EQ(length(), "0:00:03");
  press("Stop");
  open(drive);
  EXPECT_EQ(length(), "0:00:02");
}

TEST_F(PlayerTest, EmptyGridAndMissingFile) {
  ASSERT_EQ(main->cGrid1->Rows(), 0);
  press("Play");
  EXPECT_FALSE(playing());
  EXPECT_TRUE(ScriptedUi::get().shown.empty());

  addRows({{"gone.wav", 0.5}});
  QFile::remove(media + "/gone.wav");
  press("Play");
  EXPECT_FALSE(playing());
  EXPECT_EQ(ScriptedUi::get().prompts(), QStringList{media + "/gone.wav is not existed."});
  EXPECT_NE(mainPanel(), "Playing");
}
