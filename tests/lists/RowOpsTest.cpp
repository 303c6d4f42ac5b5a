#include <QItemSelectionModel>
#include <QTest>
#include <QTimer>

#include "FileSizeLimit.h"
#include "ListFixtures.h"
#include "core/mdlFileSystem.h"
#include "core/g_frmFileCopy.h"
#include "core/mdlFunctions.h"
#include "lists/ItemRecord.h"

using namespace ListFixtures;

class RowOpsTest : public ListsTest {
 protected:
  // Five items a..e lasting 1..5 seconds; c unmarked.
  void SetUp() override {
    ListsTest::SetUp();
    QStringList names;
    for (int i = 0; i < 5; ++i) {
      const QString n = QString(QChar('a' + i)) + ".wav";
      WriteWav(media + "/" + n, i + 1);
      names << n;
    }
    AddFromDialog(names);
    ASSERT_EQ(main->cGrid1->Rows(), 5);
    ItemRow::SetIcon(*main->cGrid1, 3, "Inc", ItemRow::kUnmarked);
    main->SaveGridToFile();
  }
  QString Order() const {
    QString out;
    for (long r = 1; r <= main->cGrid1->Rows(); ++r) out += Cell(main, r, "Item Name").left(1);
    return out;
  }
  QString FileOrder() const {
    QString out;
    for (const QString& p : ItemRecordText::SplitRecords(mdlFunctions::ReadTextFile(ListPath())))
      if (!p.isEmpty()) out += ItemRecord::FromText(p).name.left(1);
    return out;
  }
  void SelectRows(std::initializer_list<long> rows, long current) {
    cGrid& g = *main->cGrid1;
    g.setCurrentCell(int(current - 1), 0, QItemSelectionModel::NoUpdate);
    g.selectionModel()->clearSelection();
    for (long r : rows)
      g.selectionModel()->select(g.model()->index(int(r - 1), 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  bool WaitForRemoval() {
    return TestEnv::WaitUntil([&] { return !main->tmrRemove->Enabled(); }, 2000);
  }
};

TEST_F(RowOpsTest, MovesExchangeRowsKeepMarksAndSaveTheOrder) {
  struct Case {
    const char* key;
    long from;
    const char* order;
    long current;
  } cases[] = {{"Move Up", 3, "acbde", 2},      {"Move Down", 3, "abdce", 4}, {"Move To First", 4, "dbcae", 1},
               {"Move To Last", 2, "aecdb", 5}, {"Move Up", 1, "abcde", 1},  {"Move Down", 5, "abcde", 5}};
  const QByteArray original = FileBytes(ListPath());
  for (const Case& c : cases) {
    WriteBytes(ListPath(), original);
    main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());  // back to a..e
    ASSERT_EQ(Order(), "abcde");
    main->cGrid1->SetSelectedRow(c.from);
    main->RunCommand(c.key);
    EXPECT_EQ(Order(), c.order) << c.key << " " << c.from;
    EXPECT_EQ(FileOrder(), c.order) << c.key << " " << c.from;
    EXPECT_EQ(main->cGrid1->SelectedRow(), c.current) << c.key << " " << c.from;
    const long cRow = QString(c.order).indexOf('c') + 1;
    for (long r = 1; r <= 5; ++r) {
      EXPECT_EQ(Mark(main, r), r == cRow ? 0 : 1) << c.key << " row " << r;  // the mark travels with c
      EXPECT_EQ(Cell(main, r, "Time"), QString("00:00:0%1").arg(Cell(main, r, "Item Name")[0].unicode() - 'a' + 1));
    }
  }
}

TEST_F(RowOpsTest, RemoveItemRemovesTheSelectedRowsAfterTheQuestion) {
  g_bDisplayMSGWhenErase = true;
  SelectRows({2, 3}, 4);
  ScriptedUi::get().answers = {vbNo};
  main->RunCommand("Remove Item");
  ASSERT_TRUE(WaitForRemoval());
  EXPECT_EQ(Order(), "abcde");
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_EQ(ScriptedUi::get().shown[0].prompt, "This operation will erase the d.wav under the '" +
                                                   main->cTreeView1->SelectedItem()->Text() + "'.\r\n\r\nContinue?");
  SelectRows({2, 3}, 4);
  ScriptedUi::get().answers = {vbYes};
  main->RunCommand("Remove Item");
  ASSERT_TRUE(WaitForRemoval());
  EXPECT_EQ(Order(), "ade");
  EXPECT_EQ(FileOrder(), "ade");
  EXPECT_EQ(Cell(main, main->cGrid1->SelectedRow(), "Item Name"), "d.wav");  // the current item stays current
  for (long r = 1; r <= 3; ++r) EXPECT_EQ(Mark(main, r), 1);
  EXPECT_TRUE(main->cStatusBar1->PanelText("Items List Properties").startsWith("3 Items, "));
  // Removing every row leaves an empty list file and the empty panel.
  g_bDisplayMSGWhenErase = false;
  main->cGrid1->selectAll();
  main->RunCommand("Remove Item");
  ASSERT_TRUE(WaitForRemoval());
  EXPECT_EQ(main->cGrid1->Rows(), 0);
  EXPECT_EQ(FileBytes(ListPath()), "\r\n");
  EXPECT_FALSE(main->picEmptyMsg->isHidden());
}

TEST_F(RowOpsTest, ClearTheListAsksFirst) {
  const QByteArray before = FileBytes(ListPath());
  ScriptedUi::get().answers = {vbNo};
  main->RunCommand("Clear the List");
  ASSERT_TRUE(WaitForRemoval());
  EXPECT_EQ(main->cGrid1->Rows(), 5);
  EXPECT_EQ(FileBytes(ListPath()), before);
  EXPECT_EQ(ScriptedUi::get().shown[0].prompt, "This operation will erase all the items under the '" +
                                                   main->cTreeView1->SelectedItem()->Text() +
                                                   "' list.\r\n\r\nAre you sure?");
  EXPECT_EQ(ScriptedUi::get().shown[0].buttons, vbYesNo + vbExclamation);
  ScriptedUi::get().answers = {vbYes};
  main->RunCommand("Clear the List");
  ASSERT_TRUE(WaitForRemoval());
  EXPECT_EQ(main->cGrid1->Rows(), 0);
  EXPECT_EQ(FileBytes(ListPath()), "\r\n");
  EXPECT_FALSE(main->picEmptyMsg->isHidden());
}

TEST_F(RowOpsTest, MarkClicksAndMarkAll) {
  cGrid& g = *main->cGrid1;
  const QByteArray before = FileBytes(ListPath());
  g.SetSelectedRow(2);
  g.SetSelectedCol(3);
  main->cGrid1_MouseUp(1, 0, 100, 5);  // another column: no change, no write
  EXPECT_EQ(Mark(main, 2), 1);
  EXPECT_EQ(FileBytes(ListPath()), before);
  g.SetSelectedCol(1);
  main->cGrid1_MouseUp(1, 0, 400, 5);  // far to the right: nothing at all
  EXPECT_EQ(Mark(main, 2), 1);
  main->cGrid1_MouseUp(1, 0, 5, 5);
  EXPECT_EQ(Mark(main, 2), 0);
  EXPECT_NE(FileBytes(ListPath()), before);
  main->cGrid1_MouseUp(1, 0, 5, 5);
  EXPECT_EQ(FileBytes(ListPath()), before);
  EXPECT_EQ(main->CountMarkedItems(), 4);
  main->RunCommand("MarkUnmark All");
  EXPECT_EQ(main->CountMarkedItems(), 0);
  EXPECT_FALSE(main->IsAnyItemMarked());
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  EXPECT_EQ(main->CountMarkedItems(), 0);  // saved
  main->RunCommand("MarkUnmark All");
  EXPECT_EQ(main->CountMarkedItems(), 5);
}

TEST_F(RowOpsTest, TotalsSummaryAndHandOver) {
  // b covers 30 seconds of range instead of its 2-second length.
  ItemRow::SetText(*main->cGrid1, 2, "COL_RANGE_ALL", "0");
  ItemRow::SetText(*main->cGrid1, 2, "COL_RANGE_LENGTH_TIME", "30");
  EXPECT_EQ(main->GetTotalTime(false), QString::number(1 + 30 + 3 + 4 + 5));
  EXPECT_EQ(main->GetTotalTime(true), QString::number(1 + 30 + 4 + 5));
  qint64 bytes = 0;
  for (long r = 1; r <= 5; ++r) bytes += Cell(main, r, "COL_BYTES_SIZE").toLongLong();
  EXPECT_EQ(main->GetTotalSize(false), mdlFileSystem::FormatByteSize(bytes));
  main->DisplayGridInfoStatusBar();
  EXPECT_EQ(main->cStatusBar1->PanelText("Items List Properties"),
            "5 Items, " + mdlFileSystem::FormatByteSize(bytes) + ", 00:00:43");

  cGrid tool;
  frmMain::InitItemGrid(tool, main->imgGrid, true);
  main->CopyGridRows(*main->cGrid1, tool, true);
  ASSERT_EQ(tool.Rows(), 4);  // c is not marked
  EXPECT_EQ(ItemRow::Text(tool, 3, "Item Name"), "d.wav");
  EXPECT_EQ(ItemRow::Text(tool, 2, "COL_RANGE_LENGTH_TIME"), "30");
  EXPECT_EQ(ItemRow::Icon(tool, 1, "Inc"), -1);  // the mark column is not written
  EXPECT_EQ(tool.SelectedRow(), 1);
  cGrid all;
  frmMain::InitItemGrid(all, main->imgGrid, true);
  main->CopyGridRows(*main->cGrid1, all, false);
  ASSERT_EQ(all.Rows(), 5);
  EXPECT_EQ(ItemRow::Icon(all, 3, "Inc"), 0);
  EXPECT_EQ(ItemRow::Icon(all, 4, "Inc"), 1);
  EXPECT_EQ(ItemRow::Text(all, 3, "Item Name"), "c.wav");
}

TEST_F(RowOpsTest, InformationPaneDescribesTheCurrentRow) {
  main->cGrid1->SetSelectedRow(4);
  main->GetFileInfoToGridInfo();
  main->GetFileInfoToGridInfo();
  cGrid& info = *main->cGridInfo;
  ASSERT_EQ(info.Rows(), 9);
  const QStringList expected = {"File Name", "d.wav", "Total Time", "00:00:04", "Format", "WAV",
                                "Samples",   "8000",  "Channels",   "MONO",     "Item",   "4"};
  QStringList got;
  for (long r : {1, 2, 5, 6, 8, 9}) got << info.CellText(r, 1) << info.CellText(r, 2);
  EXPECT_EQ(got, expected);
}

TEST_F(RowOpsTest, SaveAsCopiesTheCurrentItemAndFreeDbWantsADrive) {
  const QString dest = TestEnv::FreshDir("copies") + "/copy.wav";
  ScriptedUi::get().dialogAnswers.push_back({dest});
  main->cGrid1->SetSelectedRow(2);
  QTimer guard;  // never leave the copy window hanging
  QObject::connect(&guard, &QTimer::timeout, [] { unloadForm<g_frmFileCopy>(); });
  guard.start(10000);
  main->RunCommand("Save As");
  EXPECT_EQ(ScriptedUi::get().dialogs.back().kind, DialogCall::SaveFile);
  EXPECT_EQ(FileBytes(dest), FileBytes(media + "/b.wav"));
  main->RunCommand("FreeDB");
  EXPECT_EQ(ScriptedUi::get().prompts().last(), "Select the CD drive to get the information about." + QString(18, ' '));
}

// The grid reports where the mouse was let go in twips: a click anywhere
// selects the cell, and the row shows its length; only a release within the
// first 300 twips (20 pixels, the mark column) shows it again and flips the mark.
TEST_F(RowOpsTest, OnlyAReleaseOverTheMarkColumnCounts) {
  cGrid& g = *main->cGrid1;
  ASSERT_GE(g.columnWidth(0), 21);
  const int y = g.rowViewportPosition(1) + g.rowHeight(1) / 2;
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(g.columnViewportPosition(1) + 4, y));
  EXPECT_EQ(g.SelectedRow(), 2);
  EXPECT_EQ(main->lbTotalLengthSec->text(), "0:00:02");
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(21, y));  // 315 twips, still in the mark column
  EXPECT_EQ(Mark(main, 2), 1);
  main->lbTotalLengthSec->setText("untouched");
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(21, y));
  EXPECT_EQ(Mark(main, 2), 1);
  EXPECT_EQ(main->lbTotalLengthSec->text(), "untouched");
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(5, y));
  EXPECT_EQ(Mark(main, 2), 0);
  EXPECT_EQ(main->lbTotalLengthSec->text(), "0:00:02");
}

// On a full disk every command that saves the list leaves its file as it was
// and says so where it would have said "Ready.".
TEST_F(RowOpsTest, AFullDiskKeepsTheListFileAndSaysSo) {
  WriteWav(media + "/f.wav", 1);
  const QByteArray before = FileBytes(ListPath());
  struct Case {
    const char* key;
    int answer;
  } cases[] = {{"Add Files", 0}, {"Move Down", 0}, {"MarkUnmark All", 0}, {"Remove Item", 0}, {"Clear the List", vbYes}};
  for (const Case& c : cases) {
    ScriptedUi::get().reset();
    ScriptedUi::get().answers = {c.answer};
    ScriptedUi::get().dialogAnswers.push_back({media + "/f.wav"});
    SelectRows({2}, 2);
    main->cStatusBar1->SetPanelText("Main", "");
    {
      FileSizeLimit full(1);
      main->RunCommand(c.key);
      ASSERT_TRUE(WaitForRemoval());
    }
    EXPECT_EQ(FileBytes(ListPath()), before) << c.key;
    EXPECT_EQ(main->cStatusBar1->PanelText("Main"), "The items list could not be saved.") << c.key;
  }
}
