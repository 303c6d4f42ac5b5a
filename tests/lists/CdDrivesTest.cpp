#include <QFileInfo>

#include "ListFixtures.h"
#include "platform/cd/cAudioCDRipper.h"

using namespace ListFixtures;

class CdDrivesTest : public ListsTest {
 protected:
  void SetUp() override {
    ListsTest::SetUp();
    images = TestEnv::FreshDir("images");
  }
  // Rebuilds the tree with these images as drives and returns the last drive node.
  cTreeNode* ImageDrive(const QStringList& cues) {
    qputenv("TESSORY_CD_IMAGES", cues.join(':').toLocal8Bit());
    main->setTree();
    return g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count());
  }
  QString images;
};

TEST_F(CdDrivesTest, RipperReadsTheTracksOfAnImageDrive) {
  const QString audio = WriteBinCue(images);
  const QString dataDir = TestEnv::FreshDir("data");
  const QString mixed = WriteBinCue(dataDir, true);
  qputenv("TESSORY_CD_IMAGES", (audio + ":" + mixed).toLocal8Bit());
  cAudioCDRipper ripper;
  const long n = ripper.GetDeviceCount();
  ASSERT_GE(n, 2);
  // Drive names follow the device order, images after the real drives.
  const QString first = ripper.GetDeviceName(n - 2), second = ripper.GetDeviceName(n - 1);
  EXPECT_EQ(first, QString(QChar('D' + int(n) - 2)) + ": (" + audio + ")");
  EXPECT_EQ(second.left(2), QString(QChar('D' + int(n) - 1)) + ":");
  ASSERT_TRUE(ripper.SelectDevice(n - 2));
  EXPECT_TRUE(ripper.IsAudioCD());
  ASSERT_EQ(ripper.GetTrackCount(), 2);
  EXPECT_EQ(ripper.GetTrackLength(1), 3);  // includes track 2's pregap
  EXPECT_EQ(ripper.GetTrackLength(2), 2);
  EXPECT_EQ(ripper.GetTrackType(1), 1);
  EXPECT_EQ(ripper.GetTrackType(2), 1);
  ASSERT_TRUE(ripper.SelectDevice(n - 1));
  EXPECT_EQ(ripper.GetTrackType(2), 0);
  EXPECT_FALSE(ripper.SelectDevice(n));
  EXPECT_EQ(ripper.GetTrackCount(), 0);
  QFile::remove(mixed);  // the image taken out: a drive without a disc
  ASSERT_TRUE(ripper.SelectDevice(n - 1));
  EXPECT_FALSE(ripper.IsAudioCD());
  EXPECT_EQ(ripper.GetTrackCount(), 0);
}

TEST_F(CdDrivesTest, OpeningADriveListsItsTracksAsRows) {
  cTreeNode* drive = ImageDrive({WriteBinCue(images)});
  const QString letter = drive->Text();
  ASSERT_EQ(letter.size(), 2);
  EXPECT_EQ(drive->Key(), "##CD" + letter + " (" + images + "/disc.cue)");
  main->cTreeView1_NodeClick(drive);
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  EXPECT_TRUE(main->tmrCDs->Enabled());
  EXPECT_EQ(main->lblListName->text(), letter);
  struct Row {
    const char* name;
    const char* time;
    qint64 bytes;
  } rows[] = {{"Track01.cda", "00:00:03", 3 * 176400}, {"Track02.cda", "00:00:02", 2 * 176400}};
  for (long r = 1; r <= 2; ++r) {
    const Row& e = rows[r - 1];
    EXPECT_EQ(Cell(main, r, "Item Name"), e.name);
    EXPECT_EQ(Cell(main, r, "Time"), e.time);
    EXPECT_EQ(Cell(main, r, "COL_FILE"), letter + "/" + e.name);
    EXPECT_EQ(Cell(main, r, "COL_BYTES_SIZE"), QString::number(e.bytes));
    EXPECT_EQ(Cell(main, r, "Range"), "All");
    EXPECT_EQ(Cell(main, r, "COL_RANGE_ALL"), "1");
    EXPECT_EQ(Mark(main, r), 1);
    EXPECT_EQ(ItemRow::Icon(*main->cGrid1, r, "Type"), ItemRow::kAudioIcon);
  }
  EXPECT_EQ(Cell(main, 1, "Size"), "517 KB");
  EXPECT_EQ(main->cStatusBar1->PanelText("Items List Properties"), "2 Items, 861 KB, 00:00:05");
  // Opening a list switches the poll off again.
  main->cTreeView1_NodeClick(g_oItemsListsNode->Children().Item(1));
  EXPECT_FALSE(main->tmrCDs->Enabled());
}

TEST_F(CdDrivesTest, DataTrackIsUnmarkedAndCannotBeEdited) {
  main->cTreeView1_NodeClick(ImageDrive({WriteBinCue(images, true)}));
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  EXPECT_EQ(Cell(main, 1, "Time"), "00:00:02");  // the data track's pregap is no audio
  EXPECT_EQ(Mark(main, 2), 0);
  EXPECT_EQ(ItemRow::Icon(*main->cGrid1, 2, "Type"), ItemRow::kDataIcon);
  main->cGrid1_DblClick(2, 3);
  ASSERT_EQ(ScriptedUi::get().prompts(), QStringList{"Cannot edit a data track." + QString(36, ' ')});
  main->cGrid1->SetSelectedRow(2);
  main->cGrid1->SetSelectedCol(1);
  main->cGrid1_MouseUp(1, 0, 5, 5);  // a click on its mark changes nothing
  EXPECT_EQ(Mark(main, 2), 0);
  main->RunCommand("MarkUnmark All");  // one is marked: all unmarked
  EXPECT_EQ(Mark(main, 1), 0);
  main->RunCommand("MarkUnmark All");  // data tracks are marked like any other
  EXPECT_EQ(Mark(main, 2), 1);
  main->RunCommand("Remove Item");
  EXPECT_EQ(ScriptedUi::get().prompts().last(), "Cannot remove items from Audio CD." + QString(20, ' '));
}

TEST_F(CdDrivesTest, PollListsADiscThatArrivesAndEmptiesWhenItGoes) {
  const QString cue = images + "/disc.cue";
  cTreeNode* drive = ImageDrive({cue});  // no image yet: an empty drive
  main->cTreeView1_NodeClick(drive);
  EXPECT_EQ(main->cGrid1->Rows(), 0);
  EXPECT_FALSE(main->picEmptyMsg->isHidden());
  EXPECT_EQ(main->lblAddorDrag->text(), "Insert an Audio CD to the CD drive.");
  EXPECT_TRUE(ScriptedUi::get().shown.empty());
  WriteBinCue(images);
  main->tmrCDs_Timer();
  EXPECT_EQ(main->cGrid1->Rows(), 2);
  EXPECT_TRUE(main->picEmptyMsg->isHidden());
  main->tmrCDs_Timer();  // an unchanged disc is not listed again
  EXPECT_EQ(main->cGrid1->Rows(), 2);
  drive->SetText("Some Disc Title");
  QFile::remove(cue);
  main->tmrCDs_Timer();
  EXPECT_EQ(main->cGrid1->Rows(), 0);
  EXPECT_FALSE(main->picEmptyMsg->isHidden());
  EXPECT_EQ(drive->Text(), drive->Key().mid(4, 2));
}

// A drive that has gone since the tree was built (unplugged, or its image no
// longer listed) has no device to read: the message, the empty panel, and no
// rows listed from another drive in its place.
TEST_F(CdDrivesTest, OpeningADriveThatHasGoneSaysThereIsNoCd) {
  const QString second = TestEnv::FreshDir("second");
  cTreeNode* drive = ImageDrive({WriteBinCue(images), WriteBinCue(second)});
  main->cTreeView1_NodeClick(drive);
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  qputenv("TESSORY_CD_IMAGES", (images + "/disc.cue").toLocal8Bit());
  main->cTreeView1_NodeClick(drive);
  EXPECT_EQ(main->cGrid1->Rows(), 0);
  EXPECT_FALSE(main->picEmptyMsg->isHidden());
  EXPECT_EQ(main->lblAddorDrag->text(), "Insert an Audio CD to the CD drive.");
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_EQ(ScriptedUi::get().shown[0].prompt, "There is no CD in the drive.");
  EXPECT_EQ(ScriptedUi::get().shown[0].buttons & 0x70, vbInformation);
}

TEST_F(CdDrivesTest, FirstAudioDiscOpensAtTheStartSwitch) {
  const QString empty = TestEnv::FreshDir("empty") + "/none.cue";
  ImageDrive({empty, WriteBinCue(images)});
  main->SelectFirstAudioCD();
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  EXPECT_EQ(main->cTreeView1->SelectedItem(), g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count()));
}

TEST_F(CdDrivesTest, SaveAsOnADriveSaysNothingToSaveAndOpensNoDialog) {
  cTreeNode* drive = ImageDrive({WriteBinCue(images)});
  main->cTreeView1_NodeClick(drive);
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  main->cGrid1->SetSelectedRow(1);
  main->RunCommand("Save As");
  EXPECT_TRUE(ScriptedUi::get().dialogs.empty());
  EXPECT_EQ(ScriptedUi::get().prompts(), QStringList{"Nothing to save." + QString(20, ' ')});
}

// An image of more than 99 tracks is no CD: opening its drive lists nothing
// and says why (the disc library would overrun its table reading it).
TEST_F(CdDrivesTest, ImageOfMoreThan99TracksListsNothing) {
  std::vector<DiscImage::Track> tracks(100, {0.2, 440});
  cTreeNode* drive = ImageDrive({DiscImage::Write(images, tracks).cue});
  main->cTreeView1_NodeClick(drive);
  EXPECT_EQ(main->cGrid1->Rows(), 0);
  EXPECT_EQ(ScriptedUi::get().prompts(),
            QStringList{"The CD image of drive " + drive->Text() + " lists 100 tracks; a CD holds at most 99."});
  tracks.pop_back();
  main->cTreeView1_NodeClick(ImageDrive({DiscImage::Write(images, tracks).cue}));
  EXPECT_EQ(main->cGrid1->Rows(), 99);
  EXPECT_EQ(ScriptedUi::get().prompts().size(), 1);
}
