#include <QFileInfo>

#include "ListFixtures.h"
#include "core/mdlFunctions.h"
#include "lists/ItemRecord.h"
#include "platform/cd/cAudioCDRipper.h"

using namespace ListFixtures;
using ListFileTest = ListsTest;

TEST_F(ListFileTest, ListWrittenAndReadBackKeepsMarksNamesRangesAndTags) {
  WriteWav(media + "/one.wav", 40);
  WriteWav(media + "/two.wav", 3);
  AddFromDialog({"one.wav", "two.wav"});
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  const QString markup = QString::fromUtf8("<ITEM></COL_TAG_ALBUM> &lt; Ünïcødé 日本");
  cGrid& g = *main->cGrid1;
  ItemRow::SetText(g, 1, "Item Name", QString::fromUtf8("Première"));
  ItemRow::SetText(g, 1, "COL_RANGE_ALL", "0");
  ItemRow::SetText(g, 1, "COL_RANGE_START_TIME", "10");
  ItemRow::SetText(g, 1, "COL_RANGE_LENGTH_TIME", "20");
  ItemRow::SetText(g, 1, "COL_TAG_ALBUM", markup);
  ItemRow::SetText(g, 2, "COL_TAG_COMMENT", "line one\r\nline two");
  ItemRow::SetIcon(g, 2, "Inc", ItemRow::kUnmarked);
  main->SaveGridToFile();

  const QByteArray bytes = FileBytes(ListPath());
  EXPECT_TRUE(bytes.endsWith("</ITEM>\r\n"));
  EXPECT_EQ(bytes.count("\r\n"), 1);  // one line
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  ASSERT_EQ(g.Rows(), 2);
  EXPECT_EQ(Cell(main, 1, "Item Name"), QString::fromUtf8("Première"));
  EXPECT_EQ(Cell(main, 1, "COL_FILE"), media + "/one.wav");
  EXPECT_EQ(Cell(main, 1, "Range"), "00:00:10 - 00:00:30");
  EXPECT_EQ(Cell(main, 1, "Time"), "00:00:40");
  EXPECT_EQ(Cell(main, 1, "COL_TAG_ALBUM"), markup);
  EXPECT_EQ(Cell(main, 2, "COL_TAG_COMMENT"), "line one\r\nline two");
  EXPECT_EQ(Cell(main, 2, "Range"), "All");
  EXPECT_EQ(Mark(main, 1), 1);
  EXPECT_EQ(Mark(main, 2), 0);
  EXPECT_EQ(ItemRow::Icon(g, 2, "Type"), ItemRow::kAudioIcon);
  EXPECT_EQ(Cell(main, 2, "COL_BYTES_SIZE"), QString::number(QFileInfo(media + "/two.wav").size()));
  // Saved again unchanged, the file is the same byte for byte.
  main->SaveGridToFile();
  EXPECT_EQ(FileBytes(ListPath()), bytes);
}

TEST_F(ListFileTest, BadRecordsAreDroppedAndTheOthersKept) {
  WriteWav(media + "/good1.wav", 2);
  WriteWav(media + "/good2.wav", 2);
  WriteWav(media + "/long.wav", 40);
  WriteBytes(media + "/empty.wav", QByteArray());
  WriteBytes(media + "/broken.wav", QByteArray(4000, 'x'));
  WriteBytes(media + "/noise.mp3", QByteArray(3000, '\x7f'));
  auto rec = [&](const QString& name, const QString& inc = "1", const QString& all = "1", const QString& start = "",
                 const QString& length = "") {
    ItemRecord r;
    r.inc = inc;
    r.name = name;
    r.file = media + "/" + name;
    r.rangeAll = all;
    r.rangeStart = start;
    r.rangeLength = length;
    return r.ToText();
  };
  const QString text = "stray text" + rec("good1.wav") + rec("vanished.wav") + rec("empty.wav") + rec("broken.wav") +
                       rec("noise.mp3") + rec("good1.wav", "x") + rec("long.wav", "0", "abc") +
                       rec("good2.wav", "0", "0", "0", "1");
  mdlFunctions::WriteTextFile(text, ListPath());
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  ASSERT_EQ(main->cGrid1->Rows(), 3);
  EXPECT_EQ(Cell(main, 1, "Item Name"), "good1.wav");
  EXPECT_EQ(Cell(main, 2, "Item Name"), "long.wav");
  EXPECT_EQ(Cell(main, 2, "Range"), "All");  // a range flag other than "0" is the whole file
  EXPECT_EQ(Cell(main, 2, "COL_RANGE_START_TIME"), "");
  EXPECT_EQ(Mark(main, 2), 0);
  EXPECT_EQ(Cell(main, 3, "Range"), "00:00:00 - 00:00:01");
  EXPECT_FALSE(main->prgStatus->isVisible());
  EXPECT_TRUE(ScriptedUi::get().shown.empty());
  // The next change writes the kept records only.
  main->RunCommand("MarkUnmark All");
  EXPECT_EQ(ItemRecordText::SplitRecords(mdlFunctions::ReadTextFile(ListPath())).size(), 4);
}

// Ranges stay as the file holds them, also those the audio no longer covers or
// that this program would not write; the next save keeps them byte for byte.
TEST_F(ListFileTest, RangedRecordsAreKeptAsStored) {
  WriteWav(media + "/long.wav", 40);
  const struct {
    const char* start;
    const char* length;
    const char* shown;
  } cases[] = {
      {"30", "20", "00:00:30 - 00:00:50"},    // ends past the audio
      {"50", "5", "00:00:50 - 00:00:55"},     // starts past it
      {"10", "0", "00:00:10 - 00:00:10"},     // no length
      {"10.5", "20", "00:00:10 - 00:00:30"},  // halves go to the even second
      {"12.5", "0.7", "00:00:12 - 00:00:13"},
      {"10", "-3", "00:00:10 - 00:00:07"},
      {"abc", "5", "00:00:00 - 00:00:05"},
      {"7 s", "x", "00:00:07 - 00:00:07"},
  };
  QString text;
  for (const auto& c : cases) {
    ItemRecord r;
    r.name = c.start;
    r.file = media + "/long.wav";
    r.rangeAll = "0";
    r.rangeStart = c.start;
    r.rangeLength = c.length;
    text += r.ToText();
  }
  mdlFunctions::WriteTextFile(text, ListPath());
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  ASSERT_EQ(main->cGrid1->Rows(), long(std::size(cases)));
  for (long row = 1; row <= main->cGrid1->Rows(); ++row) {
    const auto& c = cases[row - 1];
    EXPECT_EQ(Cell(main, row, "Range"), c.shown) << c.start;
    EXPECT_EQ(Cell(main, row, "COL_RANGE_START_TIME"), c.start);
    EXPECT_EQ(Cell(main, row, "COL_RANGE_LENGTH_TIME"), c.length);
  }
  main->RunCommand("MarkUnmark All");
  main->RunCommand("MarkUnmark All");
  EXPECT_EQ(FileBytes(ListPath()), (text + "\r\n").toUtf8());
}

TEST_F(ListFileTest, EmptyListFilesReadAsEmptyLists) {
  for (const QByteArray& content : {QByteArray(), QByteArray("\r\n")}) {
    WriteBytes(ListPath(), content);
    main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
    EXPECT_EQ(main->cGrid1->Rows(), 0);
    EXPECT_FALSE(main->picEmptyMsg->isHidden());
    EXPECT_EQ(main->lblAddorDrag->text(), "Add or Drag and Drop audio items to here.");
    EXPECT_EQ(main->cStatusBar1->PanelText("Items List Properties"), "0 Items, 0 KB, 00:00:00");
  }
  main->SaveGridToFile();
  EXPECT_EQ(FileBytes(ListPath()), "\r\n");
}

TEST_F(ListFileTest, SavingOrClearingWithARootOrDriveOpenWritesNoFile) {
  const QString images = TestEnv::FreshDir("images");
  qputenv("TESSORY_CD_IMAGES", WriteBinCue(images).toLocal8Bit());
  main->setTree();
  WriteWav(media + "/a.wav", 2);
  cTreeNode* list = g_oItemsListsNode->Children().Item(1);
  main->cTreeView1_NodeClick(list);
  AddFromDialog({"a.wav"});
  const QByteArray before = FileBytes(list->Key());
  const QStringList filesBefore = QDir(g_sItemsListFolder).entryList(QDir::Files);
  const QStringList cwdBefore = QDir::current().entryList(QDir::AllEntries);

  cTreeNode* drive = g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count());
  main->cTreeView1_NodeClick(drive);
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  main->RunCommand("MarkUnmark All");  // saves
  main->DoClearTheList();
  EXPECT_EQ(main->cGrid1->Rows(), 2);  // the disc is listed again
  g_oItemsListsNode->SetSelected(true);
  main->SaveGridToFile();
  main->DoClearTheList();

  EXPECT_EQ(FileBytes(list->Key()), before);
  EXPECT_EQ(QDir(g_sItemsListFolder).entryList(QDir::Files), filesBefore);
  EXPECT_EQ(QDir::current().entryList(QDir::AllEntries), cwdBefore);
}

TEST_F(ListFileTest, TagsComeFromTheSourceWhenThatOptionIsOn) {
  WriteWav(media + "/t.wav", 2);
  Encode(media + "/t.wav", media + "/t.mp3", {"-metadata", "title=From File", "-metadata", "artist=Band"});
  AddFromDialog({"t.mp3"});
  ItemRow::SetText(*main->cGrid1, 1, "COL_TAG_TITLE", "Typed");
  main->SaveGridToFile();
  g_bCopyID3FromSource = true;
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  EXPECT_EQ(Cell(main, 1, "COL_TAG_TITLE"), "From File");
  EXPECT_EQ(Cell(main, 1, "COL_TAG_ARTIST"), "Band");
  g_bCopyID3FromSource = false;
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  EXPECT_EQ(Cell(main, 1, "COL_TAG_TITLE"), "Typed");
}
