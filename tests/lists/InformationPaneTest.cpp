// The information pane describes the current row's own item: a drive's track,
// which names no file, shows the values of CD audio, and an item that cannot
// be opened shows none, never those of the item shown before it. A track's
// values come from the disc's table of contents read when the drive was
// listed: the pane never reads the drive, so it shows them even once the
// image's BIN is gone.
#include "ListFixtures.h"

using namespace ListFixtures;

class InformationPaneTest : public ListsTest {};

TEST_F(InformationPaneTest, ShowsTheCurrentItemsOwnDetails) {
  const QString cue = WriteBinCue(TestEnv::FreshDir("images"), true);
  qputenv("TESSORY_CD_IMAGES", cue.toLocal8Bit());
  main->setTree();
  cTreeNode* drive = g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count());
  cTreeNode* list = g_oItemsListsNode->Children().Item(1);
  list->SetSelected(true);
  main->cTreeView1_NodeClick(list);
  WriteWav(media + "/mono.wav", 1.0);
  WriteWav(media + "/gone.wav", 1.0);
  AddFromDialog({"mono.wav", "gone.wav"});
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  QFile::remove(media + "/gone.wav");
  struct Step {
    const char* name;
    cTreeNode* node;
    long row;
    QStringList details;  // "Samples", "Bitrate", "Channels"
    bool binGone = false;
  } steps[] = {
      {"a WAV file", list, 1, {"8000", "128", "MONO"}},
      {"a file that is gone", list, 2, {"", "", ""}},
      {"a drive's audio track", drive, 1, {"44100", "1411", "STEREO"}},
      {"a drive's data track", drive, 2, {"", "", ""}},
      {"a drive's audio track once its BIN is gone", drive, 1, {"44100", "1411", "STEREO"}, true},
  };
  cTreeNode* open = list;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    if (s.node != open) {
      s.node->SetSelected(true);
      main->cTreeView1_NodeClick(s.node);
      open = s.node;
    }
    ASSERT_EQ(main->cGrid1->Rows(), 2);
    if (s.binGone) ASSERT_TRUE(QFile::remove(QString(cue).replace(".cue", ".bin")));
    main->cGrid1->SetSelectedRow(s.row);
    main->cGrid1_SelChange(s.row, 1);
    cGrid& info = *main->cGridInfo;
    ASSERT_EQ(info.Rows(), 9);
    EXPECT_EQ((QStringList{info.CellText(6, 1), info.CellText(7, 1), info.CellText(8, 1)}),
              (QStringList{"Samples", "Bitrate", "Channels"}));
    EXPECT_EQ((QStringList{info.CellText(6, 2), info.CellText(7, 2), info.CellText(8, 2)}), s.details);
    EXPECT_EQ(info.CellText(9, 2), QString::number(s.row));
  }
}
