// The lookup window as the user meets it: the "FreeDB" command on an open
// drive, the results in the drive's rows and caption, no connection, errors,
// Abort, the automatic lookup, and results that arrive after the user moved on.
#include <QPushButton>
#include <QTimer>

#include "CddbServer.h"
#include "tests/lists/ListFixtures.h"
#include "tests/settings/SettingsFixture.h"
#include "tools/disc/g_frmFreeDB.h"

using namespace ListFixtures;

namespace {

class FreeDBWindowTest : public ListsTest {
 protected:
  void SetUp() override {
    ListsTest::SetUp();
    image = DiscImage::Write(TestEnv::FreshDir("lookup"), {{2, 440}, {1.6, 660}, {1, 880, 1}});
    id = CddbServer::DiscId(image);
    UseServerPort(server.Port());
    qputenv("TESSORY_CD_IMAGES", image.cue.toLocal8Bit());
    main->setTree();
    drive = g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count());
    // A stuck lookup window must never hang the test.
    QObject::connect(&guard, &QTimer::timeout, [] { unloadForm<g_frmFreeDB>(); });
    guard.start(20000);
  }
  void UseServerPort(int port) {
    Store("General", "sFreeDBServer", "127.0.0.1");
    Store("General", "lFreeDBPort", QString::number(port));
  }
  void Answer(const QStringList& titles) {
    server.queryReply = "200 rock " + id + " The Artist / The Album\r\n";
    server.entries["rock " + id] = CddbServer::Entry(image, id, "The Artist", "The Album", titles);
  }
  void OpenDrive() {
    main->cTreeView1_NodeClick(drive);
    ASSERT_EQ(main->cGrid1->Rows(), 3);
  }
  static bool LookupGone() {
    return TestEnv::WaitUntil([] { return loadedForm<g_frmFreeDB>() == nullptr; }, 15000);
  }
  DiscImage::Image image;
  QString id;
  CddbServer server;
  cTreeNode* drive = nullptr;
  QTimer guard;
};

TEST_F(FreeDBWindowTest, LookupNamesTheRowsAndTheDrive) {
  Answer({"One", "Guest / Two", "Three"});
  OpenDrive();
  const QString letter = drive->Text();
  bool shown = false;
  QTimer watch;  // the window is on screen while the query runs
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (g_frmFreeDB* w = loadedForm<g_frmFreeDB>()) shown = shown || w->isVisible();
  });
  watch.start(1);
  main->RunCommand("FreeDB");
  ASSERT_TRUE(LookupGone());
  EXPECT_TRUE(shown);
  struct Row {
    const char* name;
    const char* artist;
  } rows[] = {{"One.cda", "The Artist"}, {"Two.cda", "Guest"}, {"Three.cda", "The Artist"}};
  for (long r = 1; r <= 3; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(Cell(main, r, "Item Name"), rows[r - 1].name);
    EXPECT_EQ(Cell(main, r, "COL_TAG_ARTIST"), rows[r - 1].artist);
    EXPECT_EQ(Cell(main, r, "COL_TAG_ALBUM"), "The Album");
    EXPECT_EQ(Cell(main, r, "COL_FILE"), letter + QString("/Track%1.cda").arg(r, 2, 10, QChar('0')));
  }
  EXPECT_EQ(drive->Text(), "The Artist - The Album");
  EXPECT_EQ(main->lblListName->text(), "The Artist - The Album");
  EXPECT_TRUE(ScriptedUi::get().shown.empty());
  EXPECT_TRUE(server.commands.contains("cddb read rock " + id));
}

TEST_F(FreeDBWindowTest, NoConnectionTellsTheUserAndShowsNoWindow) {
  QTcpServer closed;
  closed.listen(QHostAddress::LocalHost, 0);
  UseServerPort(closed.serverPort());
  closed.close();
  OpenDrive();
  main->RunCommand("FreeDB");
  EXPECT_EQ(loadedForm<g_frmFreeDB>(), nullptr);
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_EQ(ScriptedUi::get().shown[0].prompt,
            "There is no internet connection.\r\n\r\nGetting the information about the Audio CD (using the "
            "'FreeDB') has failed.");
  EXPECT_EQ(ScriptedUi::get().shown[0].buttons & 0x70, vbInformation);
  EXPECT_EQ(Cell(main, 1, "Item Name"), "Track01.cda");
  EXPECT_TRUE(server.commands.isEmpty());
}

// An error that ends the lookup: its text and code in a warning box, the
// window closes and nothing changes.
TEST_F(FreeDBWindowTest, NoMatchWarnsAndCloses) {
  OpenDrive();
  const QString caption = drive->Text();
  main->RunCommand("FreeDB");
  ASSERT_TRUE(LookupGone());
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_EQ(ScriptedUi::get().shown[0].prompt, "The CD (disc ID " + id + ") is not in the CD database.(2)");
  EXPECT_EQ(ScriptedUi::get().shown[0].buttons & 0x70, vbExclamation);
  EXPECT_EQ(drive->Text(), caption);
  EXPECT_EQ(Cell(main, 2, "Item Name"), "Track02.cda");
}

// Abort while the server keeps silent: the window closes at once and nothing
// is written, even when the server answers later.
TEST_F(FreeDBWindowTest, AbortClosesTheWindowAndWritesNothing) {
  Answer({"One", "Two", "Three"});
  server.holdRead = true;
  server.queryReply.clear();
  server.silent = true;
  OpenDrive();
  QTimer clicker;
  QObject::connect(&clicker, &QTimer::timeout, [] {
    g_frmFreeDB* w = loadedForm<g_frmFreeDB>();
    if (w && w->IsModalShown()) w->cmdAbort->click();
  });
  clicker.start(10);
  main->RunCommand("FreeDB");
  EXPECT_EQ(loadedForm<g_frmFreeDB>(), nullptr);
  TestEnv::WaitUntil([] { return false; }, 200);
  EXPECT_EQ(Cell(main, 1, "Item Name"), "Track01.cda");
  EXPECT_EQ(drive->Text().size(), 2);
  EXPECT_TRUE(ScriptedUi::get().shown.empty());
}

// The user opens an items list while the hidden window still waits for the
// entry: the list's rows, its caption and its file stay as they were, and the
// drive node alone takes the disc's name.
TEST_F(FreeDBWindowTest, ResultsNeverLandInAListOpenedMeanwhile) {
  cTreeNode* list = g_oItemsListsNode->Children().Item(1);
  ASSERT_NE(list, nullptr);
  main->cTreeView1_NodeClick(list);
  WriteWav(media + "/a.wav", 1.0);
  AddFromDialog({"a.wav"});
  const QString listCaption = list->Text();
  const QByteArray listFile = FileBytes(list->Key());
  Answer({"One", "Two", "Three"});
  server.holdRead = true;
  OpenDrive();
  main->RunCommand("FreeDB");  // returns when the match hides the window
  ASSERT_NE(loadedForm<g_frmFreeDB>(), nullptr);
  main->cTreeView1_NodeClick(list);
  ASSERT_EQ(main->cGrid1->Rows(), 1);
  server.ReleaseRead();
  ASSERT_TRUE(LookupGone());
  EXPECT_EQ(Cell(main, 1, "Item Name"), "a.wav");
  EXPECT_TRUE(Cell(main, 1, "COL_TAG_ALBUM").isEmpty());
  EXPECT_EQ(list->Text(), listCaption);
  EXPECT_EQ(main->lblListName->text(), listCaption);
  EXPECT_EQ(FileBytes(list->Key()), listFile);
  EXPECT_EQ(drive->Text(), "The Artist - The Album");
}

// With the option on, listing a disc looks it up at once.
TEST_F(FreeDBWindowTest, AutomaticLookupWhenTheDiscIsListed) {
  Answer({"One", "Two", "Three"});
  g_bAutoFreeDB = true;
  main->cTreeView1_NodeClick(drive);
  g_bAutoFreeDB = false;
  ASSERT_TRUE(LookupGone());
  EXPECT_EQ(Cell(main, 3, "Item Name"), "Three.cda");
  EXPECT_EQ(drive->Text(), "The Artist - The Album");
}

// An entry without the disc's layout is a failed lookup: no row and not the
// drive's caption change. Titles that name nothing leave a track its own name.
TEST_F(FreeDBWindowTest, BrokenEntriesAndBlankTitlesKeepTheTrackNames) {
  Answer({"One", "Two", "Three"});
  QByteArrayList headless;
  for (const QByteArray& line : server.entries["rock " + id])
    if (!line.startsWith("#")) headless << line;
  server.entries["rock " + id] = headless;
  OpenDrive();
  const QString caption = drive->Text();
  main->RunCommand("FreeDB");
  ASSERT_TRUE(LookupGone());
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_TRUE(ScriptedUi::get().shown[0].prompt.endsWith("does not list the tracks of this CD.(2)"));
  EXPECT_EQ(drive->Text(), caption);
  for (long r = 1; r <= 3; ++r) EXPECT_EQ(Cell(main, r, "Item Name"), QString("Track%1.cda").arg(r, 2, 10, QChar('0')));
  Answer({"", "  ", "Three"});
  main->RunCommand("FreeDB");
  ASSERT_TRUE(LookupGone());
  EXPECT_EQ(Cell(main, 1, "Item Name"), "Track01.cda");
  EXPECT_EQ(Cell(main, 2, "Item Name"), "Track02.cda");
  EXPECT_EQ(Cell(main, 3, "Item Name"), "Three.cda");
  EXPECT_EQ(Cell(main, 1, "COL_TAG_ALBUM"), "The Album");
  EXPECT_EQ(drive->Text(), "The Artist - The Album");
}

// Replies that name nothing usable change nothing they cannot name: a match
// without a disc ID is a failed lookup that says why; a blank disc title
// leaves the caption and the artist and album cells as they were, as a blank
// title leaves its track's name; a name made from titles never starts with a
// dot, so no output file or folder is hidden.
TEST_F(FreeDBWindowTest, RepliesThatNameNothingLeaveTheNamesAsTheyWere) {
  const QString noId = "The CD database query failed: the server's match names no disc ID.(2)";
  const QStringList own{"Track01.cda", "Track02.cda", "Track03.cda"}, mine{"Mine", "Mine", "Mine"},
      myAlbum{"My Album", "My Album", "My Album"};
  struct Case {
    const char* name;
    QString reply;        // the query's answer; empty: the disc's own match
    QByteArray discLine;  // the entry's DTITLE line
    QStringList titles;
    QString prompt;   // the warning shown; empty: none
    QString caption;  // empty: the drive keeps its caption
    QStringList names, artists, albums;
  } cases[] = {
      {"match without an ID", "200 rock\r\n", "DTITLE=A / B", {"One", "Two", "Three"}, noId, {}, own, mine, myAlbum},
      {"matches without IDs", "211 Found inexact matches\r\nrock\r\n.\r\n", "DTITLE=A / B", {"One", "Two", "Three"},
       noId, {}, own, mine, myAlbum},
      {"blank disc title", {}, "DTITLE=", {"One", "Guest / Two", ""}, {}, {},
       {"One.cda", "Two.cda", "Track03.cda"}, {"Mine", "Guest", "Mine"}, myAlbum},
      {"blank artist and album", {}, "DTITLE=  /  ", {"One", "Two", "Three"}, {}, {},
       {"One.cda", "Two.cda", "Three.cda"}, mine, myAlbum},
      {"titles of dots", {}, "DTITLE=.Dot Band / ..Hidden", {".", "..", "...Baby"}, {}, "Dot Band - Hidden",
       {"Track01.cda", "Track02.cda", "Baby.cda"}, {".Dot Band", ".Dot Band", ".Dot Band"},
       {"..Hidden", "..Hidden", "..Hidden"}},
      {"disc title of dots", {}, "DTITLE=. / ..", {"One", "Two", "Three"}, {}, {},
       {"One.cda", "Two.cda", "Three.cda"}, {".", ".", "."}, {"..", "..", ".."}},
  };
  OpenDrive();
  const QString letter = drive->Text();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedUi::get().shown.clear();
    drive->SetText(letter);
    for (long r = 1; r <= 3; ++r) {
      ItemRow::SetText(*main->cGrid1, r, "Item Name", own[r - 1]);
      ItemRow::SetText(*main->cGrid1, r, "COL_TAG_ARTIST", "Mine");
      ItemRow::SetText(*main->cGrid1, r, "COL_TAG_ALBUM", "My Album");
    }
    Answer(c.titles);
    if (!c.reply.isEmpty()) server.queryReply = c.reply;
    QByteArrayList& entry = server.entries["rock " + id];
    entry[entry.indexOf("DTITLE=The Artist / The Album")] = c.discLine;
    main->RunCommand("FreeDB");
    ASSERT_TRUE(LookupGone());
    if (c.prompt.isEmpty()) {
      EXPECT_TRUE(ScriptedUi::get().shown.empty());
    } else {
      ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
      EXPECT_EQ(ScriptedUi::get().shown[0].prompt, c.prompt);
    }
    EXPECT_EQ(drive->Text(), c.caption.isEmpty() ? letter : c.caption);
    for (long r = 1; r <= 3; ++r) {
      SCOPED_TRACE(r);
      EXPECT_EQ(Cell(main, r, "Item Name"), c.names[r - 1]);
      EXPECT_EQ(Cell(main, r, "COL_TAG_ARTIST"), c.artists[r - 1]);
      EXPECT_EQ(Cell(main, r, "COL_TAG_ALBUM"), c.albums[r - 1]);
    }
  }
}

}  // namespace
