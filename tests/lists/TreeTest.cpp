#include <QLineEdit>
#include <QTest>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "InterruptedSave.h"
#include "ListFixtures.h"
#include "core/mdlFunctions.h"
#include "lists/g_frmDirProperties.h"

using namespace ListFixtures;
using TreeTest = ListsTest;

namespace {
QStringList listNames(frmMain* m) {
  QStringList out;
  for (long i = 1; i <= g_oItemsListsNode->Children().Count(); ++i) out << g_oItemsListsNode->Children().Item(i)->Text();
  Q_UNUSED(m);
  return out;
}
}  // namespace

TEST_F(TreeTest, BuildingTheTreeMakesAFirstListAndTakesOnlyListFiles) {
  const QString folder = g_sItemsListFolder;
  ASSERT_TRUE(folder.endsWith('/'));
  EXPECT_TRUE(QFileInfo(folder + "New Items List 1.flst").isFile());  // made at start-up
  EXPECT_EQ(QFileInfo(folder + "New Items List 1.flst").size(), 0);
  EXPECT_EQ(g_oItemsListsNode->Key(), "##MAINITEMS" + folder);
  EXPECT_EQ(g_oAudioCDsNode->Key(), "##MAINCDSAudio CDs");
  WriteBytes(folder + "a.flst.bak", "");
  WriteBytes(folder + "B.FLST", "");
  WriteBytes(folder + "New Items List 3.flst", "");
  main->setTree();
  EXPECT_EQ(listNames(main), (QStringList{"New Items List 1", "New Items List 3", "a.flst"}));
  EXPECT_EQ(frmMain::GetNewListFileName(folder), "New Items List 2.flst");
  // A folder without list files gets no list and caption editing is switched on.
  QDir(folder).removeRecursively();
  QDir().mkpath(folder);
  WriteBytes(folder + "other.txt", "");
  main->setTree();
  EXPECT_EQ(g_oItemsListsNode->Children().Count(), 0);
  EXPECT_TRUE(main->cTreeView1->LabelEdit());
}

TEST_F(TreeTest, NewListRenameAndRemove) {
  const QString folder = g_sItemsListFolder;
  main->RunCommand("New Items List");
  ASSERT_EQ(g_oItemsListsNode->Children().Count(), 2);
  cTreeNode* node = main->cTreeView1->SelectedItem();
  EXPECT_EQ(node->Key(), folder + "New Items List 2.flst");
  EXPECT_TRUE(QFileInfo(node->Key()).isFile());

  struct Case {
    QString text;
    bool renamed;
    QString message;
  } cases[] = {
      {"", false, ""},
      {"Bad?Name", false, ""},
      {"new items list 1", false, "The Items List 'new items list 1' already exists. Please select a different name."},
      {"Rock", true, ""},
  };
  for (const Case& c : cases) {
    ScriptedUi::get().reset();
    QString text = c.text;
    int cancel = 0;
    main->cTreeView1_AfterLabelEdit(node, text, cancel);
    EXPECT_EQ(cancel != 0, !c.renamed) << c.text.toStdString();
    EXPECT_EQ(ScriptedUi::get().prompts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
  }
  EXPECT_EQ(node->Key(), folder + "Rock.flst");
  EXPECT_TRUE(QFileInfo(folder + "Rock.flst").isFile());
  EXPECT_FALSE(QFileInfo(folder + "New Items List 2.flst").exists());
  EXPECT_EQ(main->lblListName->text(), "Rock");
  QString rootText = "Renamed";
  int cancel = 0;
  main->cTreeView1_AfterLabelEdit(g_oItemsListsNode, rootText, cancel);
  EXPECT_EQ(cancel, 1);

  // A list with items asks before it goes; the last list cannot be removed.
  WriteWav(media + "/a.wav", 1);
  AddFromDialog({"a.wav"});
  ScriptedUi::get().reset();
  ScriptedUi::get().answers = {vbNo, vbYes};
  main->RunCommand("Remove Items List");
  EXPECT_TRUE(QFileInfo(folder + "Rock.flst").isFile());
  main->RunCommand("Remove Items List");
  EXPECT_EQ(ScriptedUi::get().prompts(),
            QStringList(2, "This operation will erase all the items under the 'Rock.flst', are you sure?"));
  EXPECT_FALSE(QFileInfo(folder + "Rock.flst").exists());
  ASSERT_EQ(g_oItemsListsNode->Children().Count(), 1);
  EXPECT_EQ(main->cTreeView1->SelectedItem(), g_oItemsListsNode->Children().Item(1));
  main->RunCommand("Remove Items List");
  EXPECT_EQ(g_oItemsListsNode->Children().Count(), 1);
  EXPECT_TRUE(QFileInfo(folder + "New Items List 1.flst").isFile());
}

TEST_F(TreeTest, OpeningARootEmptiesTheGridOnly) {
  WriteWav(media + "/a.wav", 1);
  AddFromDialog({"a.wav"});
  const QString title = main->lblListName->text();
  g_oItemsListsNode->SetSelected(true);  // as a click on it does
  main->cTreeView1_NodeClick(g_oItemsListsNode);
  EXPECT_EQ(main->cGrid1->Rows(), 0);
  EXPECT_EQ(main->lblListName->text(), title);
  main->RunCommand("Add Files");  // nothing on a root
  EXPECT_EQ(ScriptedUi::get().dialogs.size(), 1u);
}

TEST_F(TreeTest, ListPropertiesRenameTheList) {
  const QString folder = g_sItemsListFolder;
  cTreeNode* node = main->cTreeView1->SelectedItem();
  main->lblListName_Click();
  g_frmDirProperties* w = loadedForm<g_frmDirProperties>();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->txtFolderName->text(), "New Items List 1");
  EXPECT_EQ(w->txtPath->text(), node->Key());
  EXPECT_EQ(w->lblContain->text(), "0 Items, 0 KB, 00:00:00");
  w->grab().save("/tmp/lists_frmDirProperties.png");

  w->txtFolderName->clear();
  QTest::keyClicks(w->txtFolderName, "Ro?c:k");  // the illegal keys are dropped as typed
  EXPECT_EQ(w->txtFolderName->text(), "Rock");

  WriteBytes(folder + "Taken.flst", "");
  w->txtFolderName->setText("taken");
  w->cmdOk_Click();
  EXPECT_EQ(ScriptedUi::get().prompts().last(), "Folder name already exists, please select a different name.");
  w->txtFolderName->setText("Bad|Name");
  w->cmdOk_Click();
  EXPECT_EQ(ScriptedUi::get().prompts().last(), "Illegal Item Name." + QString(42, ' '));
  w->txtFolderName->setText("   ");
  w->cmdOk_Click();
  EXPECT_EQ(ScriptedUi::get().prompts().last(), "Empty Item Name." + QString(42, ' '));
  EXPECT_NE(loadedForm<g_frmDirProperties>(), nullptr);
  w->txtFolderName->setText("  Rock ");
  w->cmdOk_Click();
  EXPECT_EQ(loadedForm<g_frmDirProperties>(), nullptr);
  EXPECT_EQ(node->Key(), folder + "Rock.flst");
  EXPECT_EQ(node->Text(), "Rock");
  EXPECT_EQ(main->lblListName->text(), "Rock");
  EXPECT_TRUE(QFileInfo(folder + "Rock.flst").isFile());

  // Asked for the root, no window is shown.
  g_oItemsListsNode->SetSelected(true);
  main->ShowListProperties(g_oItemsListsNode);
  EXPECT_EQ(loadedForm<g_frmDirProperties>(), nullptr);
}

TEST_F(TreeTest, AFailedRenameInTheListPropertiesKeepsTheOldName) {
  const QString folder = g_sItemsListFolder;
  cTreeNode* node = main->cTreeView1->SelectedItem();
  const QString oldKey = node->Key();
  const QStringList filesBefore = QDir(folder).entryList(QDir::Files);
  main->lblListName_Click();
  g_frmDirProperties* w = loadedForm<g_frmDirProperties>();
  ASSERT_NE(w, nullptr);
  // Legal, but longer than a file name may be: the rename itself fails.
  w->txtFolderName->setText(QString(300, 'x'));
  w->cmdOk_Click();
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_EQ(ScriptedUi::get().shown[0].buttons, vbInformation);
  EXPECT_EQ(loadedForm<g_frmDirProperties>(), w);  // open for another try
  EXPECT_EQ(node->Key(), oldKey);
  EXPECT_EQ(node->Text(), "New Items List 1");
  EXPECT_EQ(main->lblListName->text(), "New Items List 1");
  main->SaveGridToFile();
  EXPECT_EQ(QDir(folder).entryList(QDir::Files), filesBefore);
  w->cmdCancel_Click();
}

TEST_F(TreeTest, NewItemsListIsRefusedOnlyOnADrive) {
  const QString images = TestEnv::FreshDir("images");
  qputenv("TESSORY_CD_IMAGES", WriteBinCue(images).toLocal8Bit());
  main->setTree();
  cTreeNode* drive = g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count());
  ASSERT_NE(drive, nullptr);
  drive->SetSelected(true);
  main->cTreeView1_NodeClick(drive);
  main->RunCommand("New Items List");
  EXPECT_EQ(g_oItemsListsNode->Children().Count(), 1);
  for (cTreeNode* root : {g_oItemsListsNode, g_oAudioCDsNode}) {
    const long before = g_oItemsListsNode->Children().Count();
    root->SetSelected(true);
    main->cTreeView1_NodeClick(root);
    main->RunCommand("New Items List");
    ASSERT_EQ(g_oItemsListsNode->Children().Count(), before + 1) << root->Text().toStdString();
    cTreeNode* made = main->cTreeView1->SelectedItem();
    EXPECT_EQ(made, g_oItemsListsNode->Children().Item(before + 1));
    EXPECT_TRUE(QFileInfo(made->Key()).isFile());
    EXPECT_EQ(main->lblListName->text(), made->Text());
  }
}

// What an interrupted save leaves beside a list is never shown as a list, and
// is gone once the tree has been built again, as at the next start, unless a
// save still holds it. The user's own files stay, whatever their names.
TEST_F(TreeTest, LeftoversOfInterruptedSavesAreNoListsAndUserFilesStay) {
  const QString folder = g_sItemsListFolder;
  WriteBytes(folder + "Rock.flst", "\r\n");
  const auto leftovers = [&] {
    return QDir(folder).entryList({".tessory-save-??????"}, QDir::Files | QDir::Hidden, QDir::Name);
  };
  for (int i = 0; i < 2; ++i)
    ASSERT_TRUE(InterruptSave([&] { mdlFunctions::WriteTextFile(QString(100000, 'x'), folder + "Rock.flst"); }, 5000));
  ASSERT_EQ(leftovers().size(), 2);
  const QString inUse = leftovers().first();
  const int held = ::open(QFile::encodeName(folder + inUse).constData(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const QStringList users{"Party.flst.backup", "Party.flst.2024ab", ".tessory-save-notes"};
  for (const QString& name : users) WriteBytes(folder + name, "<ITEM>");
  main->setTree();
  EXPECT_EQ(listNames(main), (QStringList{"New Items List 1", "Party.flst", "Party.flst", "Rock"}));
  EXPECT_EQ(leftovers(), QStringList{inUse});
  for (const QString& name : users) EXPECT_EQ(FileBytes(folder + name), "<ITEM>") << name.toStdString();
  EXPECT_EQ(FileBytes(folder + "Rock.flst"), "\r\n");
  ::close(held);
  main->setTree();
  EXPECT_TRUE(leftovers().isEmpty());
}
