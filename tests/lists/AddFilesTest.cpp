#include <QDropEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidgetItem>
#include <functional>
#include <QMimeData>
#include <QUrl>

#include "ListFixtures.h"
#include "core/mdlFunctions.h"
#include "lists/ItemRecord.h"
#include "lists/g_frmStat.h"

using namespace ListFixtures;
using AddFilesTest = ListsTest;

namespace {
long recordCount(const QString& path) {
  return ItemRecordText::SplitRecords(mdlFunctions::ReadTextFile(path)).size() - 1;
}
}  // namespace

TEST_F(AddFilesTest, GoodFilesBecomeRowsAndTheOthersAreSkippedOrRefused) {
  WriteWav(media + "/a.wav", 2);
  Encode(media + "/a.wav", media + "/b.mp3");
  Encode(media + "/a.wav", media + "/c.ogg", {"-c:a", "libvorbis"});
  WriteBytes(media + "/notes.txt", "text");
  WriteBytes(media + "/broken.wav", QByteArray(5000, 'z'));
  WriteBytes(media + "/empty.wav", QByteArray());
  WriteWav(media + "/.hidden.wav", 2);
  g_sTagYear = "[YEAR]";
  AddFromDialog({"a.wav", "notes.txt", "broken.wav", "b.mp3", "empty.wav", ".hidden.wav", "c.ogg"});
  EXPECT_EQ(ScriptedUi::get().prompts(), QStringList{"Cannot add " + media + "/broken.wav"});
  const auto& dlg = ScriptedUi::get().dialogs;
  ASSERT_EQ(dlg.size(), 1u);
  EXPECT_EQ(dlg[0].title, "Add audio files");
  ASSERT_EQ(main->cGrid1->Rows(), 3);
  const char* names[] = {"a.wav", "b.mp3", "c.ogg"};
  for (long r = 1; r <= 3; ++r) {
    EXPECT_EQ(Cell(main, r, "Item Name"), names[r - 1]);
    EXPECT_EQ(Cell(main, r, "Time"), "00:00:02");
    EXPECT_EQ(Mark(main, r), 1);
    EXPECT_EQ(ItemRow::Icon(*main->cGrid1, r, "Type"), ItemRow::kAudioIcon);
    EXPECT_EQ(Cell(main, r, "Range"), "All");
    EXPECT_EQ(Cell(main, r, "COL_RANGE_ALL"), "1");
    EXPECT_EQ(Cell(main, r, "COL_RANGE_START_TIME"), "");
    EXPECT_EQ(Cell(main, r, "COL_TAG_YEAR"), "[YEAR]");
  }
  EXPECT_EQ(main->cGrid1->SelectedRow(), 1);
  EXPECT_EQ(recordCount(ListPath()), 3);
  EXPECT_TRUE(main->cStatusBar1->PanelText("Items List Properties").startsWith("3 Items, "));
  EXPECT_EQ(loadedForm<g_frmStat>(), nullptr);
  EXPECT_EQ(main->cGridInfo->Rows(), 9);
}

TEST_F(AddFilesTest, CancelledDialogChangesNothing) {
  WriteWav(media + "/a.wav", 1);
  AddFromDialog({"a.wav"});
  const QByteArray before = FileBytes(ListPath());
  const QString summary = main->cStatusBar1->PanelText("Items List Properties");
  main->RunCommand("Add Files");  // no answer left: cancelled
  EXPECT_EQ(main->cGrid1->Rows(), 1);
  EXPECT_EQ(FileBytes(ListPath()), before);
  EXPECT_EQ(main->cStatusBar1->PanelText("Items List Properties"), summary);
}

TEST_F(AddFilesTest, DroppedFilesGoAfterTheRowsInDropOrder) {
  WriteWav(media + "/a.wav", 1);
  WriteWav(media + "/b.wav", 1);
  WriteWav(media + "/c.wav", 1);
  AddFromDialog({"a.wav"});
  g_bSelectTheLastItem = true;
  main->cGrid1_OLEDragDrop({media + "/c.wav", TestEnv::FreshDir("folder"), media + "/b.wav"}, 1, 1, 0, 0, 0);
  ASSERT_EQ(main->cGrid1->Rows(), 3);
  EXPECT_EQ(Cell(main, 2, "Item Name"), "c.wav");
  EXPECT_EQ(Cell(main, 3, "Item Name"), "b.wav");
  EXPECT_EQ(main->cGrid1->SelectedRow(), 3);
  EXPECT_TRUE(ScriptedUi::get().shown.empty());
  EXPECT_EQ(recordCount(ListPath()), 3);
}

TEST_F(AddFilesTest, DropOnTheEmptyPanelAddsAndDropOnRootOrDriveDoesNothing) {
  WriteWav(media + "/a.wav", 1);
  ASSERT_FALSE(main->picEmptyMsg->isHidden());
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(media + "/a.wav")});
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  // The application routes a drop only within a real drag; hand it to the label's filter.
  static_cast<QObject*>(main)->eventFilter(main->lblAddorDrag, &drop);
  ASSERT_EQ(main->cGrid1->Rows(), 1);
  EXPECT_TRUE(main->picEmptyMsg->isHidden());

  g_oItemsListsNode->SetSelected(true);
  main->cGrid1_OLEDragDrop({media + "/a.wav"}, 1, 1, 0, 0, 0);
  EXPECT_EQ(main->cGrid1->Rows(), 1);
}

TEST_F(AddFilesTest, CancelStopsBeforeTheNextFileAndKeepsTheRowsWritten) {
  WriteWav(media + "/a.wav", 1);
  WriteBytes(media + "/bad.wav", QByteArray(3000, 'q'));
  WriteWav(media + "/c.wav", 1);
  // The user presses Cancel while the refusal of the second file is shown.
  SetMsgBoxHandler([](const MsgBoxCall&) {
    if (g_frmStat* w = loadedForm<g_frmStat>()) {
      w->grab().save("/tmp/lists_g_frmStat.png");
      w->cmdCancel_Click();
    }
    return int(vbOK);
  });
  AddFromDialog({"a.wav", "bad.wav", "c.wav"});
  ScriptedUi::get().install();
  ASSERT_EQ(main->cGrid1->Rows(), 1);
  EXPECT_EQ(recordCount(ListPath()), 1);
}

TEST_F(AddFilesTest, SupportedTypesAndItemNames) {
  struct Case {
    const char* path;
    bool supported;
  } cases[] = {{"/m/a.MP3", true}, {"/m/a.txt", false}, {"/m/noext", true}, {"/m.d/file", false},
               {"/m/a.wma", true}, {"/m/a.flac", false}};
  for (const Case& c : cases) EXPECT_EQ(g_frmStat::SupportAudioFile(c.path), c.supported) << c.path;
  EXPECT_EQ(g_frmStat::getLegaName("a:b:c?.wav"), "abc.wav");
  EXPECT_EQ(g_frmStat::getLegaName("plain name.mp3"), "plain name.mp3");
}

// Files of every common type become rows in the order given, with their own
// tags; a damaged one among them is refused once, by name.
TEST_F(AddFilesTest, MixedTypesBecomeRowsInOrderAndADamagedOneIsRefusedOnce) {
  QStringList names = WriteMixedFiles(media, 12);
  WriteBytes(media + "/damaged.wav", QByteArray(5000, 'z'));
  names.insert(7, "damaged.wav");
  g_bCopyID3FromSource = true;
  AddFromDialog(names);
  EXPECT_EQ(ScriptedUi::get().prompts(), QStringList{"Cannot add " + media + "/damaged.wav"});
  names.removeAll("damaged.wav");
  ASSERT_EQ(main->cGrid1->Rows(), 12);
  for (long r = 1; r <= 12; ++r) {
    EXPECT_EQ(Cell(main, r, "Item Name"), names[r - 1]);
    EXPECT_EQ(Cell(main, r, "Time"), "00:00:02");
    EXPECT_EQ(Cell(main, r, "COL_TAG_TITLE"), QString("Title %1").arg(r - 1));
  }
  EXPECT_EQ(recordCount(ListPath()), 12);
}

// An add belongs to the list it started on. While its files go in (events are
// let through between two files), a click on another list or on "Remove Items
// List" does nothing, and a second drop is refused with a word: afterwards each
// list file holds exactly its own items.
TEST_F(AddFilesTest, AnAddKeepsToItsListWhateverTheUserDoesMeanwhile) {
  const QString folder = g_sItemsListFolder;
  WriteBytes(folder + "Other.flst", "");
  main->setTree();
  const auto node = [&](const QString& text) {
    cTreeNodes lists = g_oItemsListsNode->Children();
    for (long i = 1; i <= lists.Count(); ++i)
      if (lists.Item(i)->Text() == text) return lists.Item(i);
    return static_cast<cTreeNode*>(nullptr);
  };
  WriteWav(media + "/o1.wav", 1);
  WriteWav(media + "/o2.wav", 1);
  main->cTreeView1_NodeClick(node("Other"));
  AddFromDialog({"o1.wav", "o2.wav"});
  const QByteArray other = FileBytes(folder + "Other.flst");
  ASSERT_EQ(recordCount(folder + "Other.flst"), 2);
  main->cTreeView1_NodeClick(node("New Items List 1"));
  QStringList names;
  for (int i = 0; i < 40; ++i) names << WriteWav(media + QString("/a%1.wav").arg(i, 2, 10, QChar('0')), 0.1).section('/', -1);

  // A user's click, through the window as the window system delivers it.
  const auto click = [&](QWidget* w, QPoint at) {
    QTest::mouseClick(main->windowHandle(), Qt::LeftButton, {}, w->mapTo(main, at));
  };
  QMimeData dropped;
  dropped.setUrls({QUrl::fromLocalFile(media + "/o1.wav")});
  const std::vector<std::function<void()>> meanwhile = {
      [&] {
        QTreeWidgetItem* item = main->cTreeView1->findItems("Other", Qt::MatchExactly | Qt::MatchRecursive).value(0);
        click(main->cTreeView1->viewport(), main->cTreeView1->visualItemRect(item).center());
      },
      [&] {
        QToolButton* remove = main->tlbrProjects->ButtonFace(main->tlbrProjects->ButtonIndex("Remove Items List"));
        click(remove, remove->rect().center());
      },
      [&] {
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject*>(main)->eventFilter(main->cGrid1->viewport(), &drop);
      },
  };
  size_t step = 0;
  std::function<void()> next = [&] {
    if (step == meanwhile.size()) return;
    meanwhile[step++]();
    QTimer::singleShot(0, next);  // at the next file
  };
  QTimer::singleShot(0, next);
  AddFromDialog(names);
  EXPECT_EQ(step, meanwhile.size());

  EXPECT_EQ(ScriptedUi::get().prompts(), QStringList{g_frmStat::kBusyMessage});
  EXPECT_EQ(main->cTreeView1->SelectedItem(), node("New Items List 1"));
  ASSERT_NE(node("Other"), nullptr);
  EXPECT_EQ(FileBytes(folder + "Other.flst"), other);
  const QStringList records = ItemRecordText::SplitRecords(mdlFunctions::ReadTextFile(ListPath()));
  ASSERT_EQ(records.size(), 41);
  ASSERT_EQ(main->cGrid1->Rows(), 40);
  for (long r = 1; r <= 40; ++r) EXPECT_EQ(Cell(main, r, "Item Name"), names[r - 1]);
  main->cTreeView1_NodeClick(node("Other"));
  main->cTreeView1_NodeClick(node("New Items List 1"));
  EXPECT_EQ(main->cGrid1->Rows(), 40);
  EXPECT_EQ(loadedForm<g_frmStat>(), nullptr);
}
