// The main window's toolbars: their buttons for the tool switches, and what a
// click or a drop-down arrow does.
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "core/mdlModes.h"
#include "tests/lists/ListFixtures.h"

using namespace ListFixtures;

namespace {
QStringList keysOf(const cToolbar& bar) {
  QStringList keys;
  for (long i = 1; i <= bar.ButtonCount(); ++i) keys << bar.ButtonKey(i);
  return keys;
}

void click(cToolbar& bar, const QString& key) {
  QToolButton* b = bar.ButtonFace(bar.ButtonIndex(key));
  ASSERT_NE(b, nullptr) << key.toStdString();
  QTest::mouseClick(b, Qt::LeftButton);
}

// The main window loaded afresh with the current switches.
frmMain* reloadMain() {
  unloadForm<frmMain>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return &form<frmMain>();
}
}  // namespace

using ToolbarsTest = ListsTest;

TEST_F(ToolbarsTest, TheProductsToolbarsHoldTheirButtonsInOrder) {
  EXPECT_EQ(keysOf(*main->tlbrTop), QStringList({"Add", "", "Items List", "", "Audio CD Maker", "Tools", "",
                                                  "Options", "", "Mode", "Help"}));
  EXPECT_EQ(keysOf(*main->tlbrProjects), QStringList({"New Items List", "Rename Items List", "Remove Items List",
                                                       "", "Items List Properties"}));
  EXPECT_EQ(keysOf(*main->tlbrList),
            QStringList({"Add Files", "", "MarkUnmark All", "", "Move Up", "Move Down", "", "Move To First",
                         "Move To Last", "", "Rename Item", "", "Save As", "", "Remove Item", "Clear the List", "",
                         "FreeDB"}));
  EXPECT_EQ(keysOf(*main->tlbrPlayButtons), QStringList({"Play", "Pause", "Stop"}));
  EXPECT_EQ(keysOf(*main->tlbrRecorder),
            QStringList({"Audio Converter", "ACM Converter", "", "Audio Joiner", "Audio Splitter", "",
                         "Audio Analyser", "Audio Recorder", "", "Audio CD Ripper", "Audio CD Maker", "",
                         "MP3 CD Maker", "WMA CD Maker"}));
  EXPECT_EQ(main->m_lRecorderHostWidth, 12230);

  QToolButton* add = main->tlbrTop->ButtonFace(1);
  EXPECT_EQ(add->text(), "  Add File(s)  ");
  EXPECT_EQ(add->toolTip(), "Add Files(s) to The Items List");
  EXPECT_EQ(main->tlbrTop->ButtonFace(main->tlbrTop->ButtonIndex("Mode"))->toolTip(), "Modes");
  EXPECT_EQ(main->tlbrTop->ButtonFace(main->tlbrTop->ButtonIndex("Audio CD Maker"))->text(), "Burn");
  EXPECT_EQ(main->tlbrList->ButtonFace(main->tlbrList->ButtonIndex("Clear the List"))->toolTip(), "Remove All");
  for (const QString& key : {"Items List", "Tools", "Options", "Mode", "Help"})
    EXPECT_NE(main->tlbrTop->ButtonArrow(main->tlbrTop->ButtonIndex(key)), nullptr) << key.toStdString();
  EXPECT_EQ(main->tlbrTop->ButtonArrow(main->tlbrTop->ButtonIndex("Audio CD Maker")), nullptr);
  for (const QString& key : {"Play", "Pause", "Stop"})
    EXPECT_EQ(main->tlbrPlayButtons->ButtonFace(main->tlbrPlayButtons->ButtonIndex(key))->isCheckable(),
              key == "Pause");
  EXPECT_EQ(main->tlbrPlayButtons->ButtonIndex("Record"), 0);
  EXPECT_EQ(main->tlbrPlayButtons->ButtonKey(0), "");
  EXPECT_FALSE(QFile::exists(ProgramFolder() + "/tbbg.bmp"));
}

TEST_F(ToolbarsTest, ToolSwitchesDecideWhichButtonsExist) {
  struct Case {
    long itemsLists, ripper, editor, micRec;
    const char* featured;
    QStringList topStart, tools;
    long toolsWidth;
  };
  const Case cases[] = {
      {0, 0, 1, 0, "lAppIncNothing", {"Items List", "", "Tools"}, {"", "Audio Analyser"}, 30 + 100 + 1000},
      {1, 0, 0, 0, "lAppIncTTS", {"Add", "", "Items List", "", "Text To Speech", "Tools"}, {}, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.featured);
    for (long* s : {&lAppIncConverter, &lAppIncJoin, &lAppIncSplit, &lAppIncAudioBurner, &lAppIncACMConverter,
                    &lAppIncMP3Burner, &lAppIncWMABurner, &lAppIncTTS})
      *s = 0;
    lAppIncItemsLists = c.itemsLists;
    lAppIncCDRipper = c.ripper;
    lAppIncEditor = c.editor;
    lAppIncMicRec = c.micRec;
    g_sFeaturedTool = c.featured;
    frmMain* m = reloadMain();
    EXPECT_EQ(keysOf(*m->tlbrTop).mid(0, c.topStart.size()), c.topStart);
    EXPECT_EQ(keysOf(*m->tlbrList).first(), c.itemsLists ? "Add Files" : "MarkUnmark All");
    EXPECT_EQ(keysOf(*m->tlbrList).last(), "Clear the List");
    EXPECT_EQ(keysOf(*m->tlbrRecorder), c.tools);
    EXPECT_EQ(m->m_lRecorderHostWidth, c.toolsWidth);
  }
  mdlModes::InitAppMode();
}

TEST_F(ToolbarsTest, ButtonsRunTheirCommandsAndListButtonsLeaveOnTop) {
  WriteWav(media + "/a.wav", 1);
  WriteWav(media + "/b.wav", 1);
  ScriptedUi::get().dialogAnswers.push_back(QStringList{media + "/a.wav"});
  click(*main->tlbrTop, "Add");
  ScriptedUi::get().dialogAnswers.push_back(QStringList{media + "/b.wav"});
  click(*main->tlbrList, "Add Files");
  ASSERT_EQ(main->cGrid1->Rows(), 2);

  const long onTop = main->m_cMenu()->IndexForKey("On Top");
  main->SetOnTop(true);
  main->cGrid1->SetSelectedRow(2);
  click(*main->tlbrList, "Move Up");
  EXPECT_EQ(Cell(main, 1, "Item Name"), "b.wav");
  EXPECT_FALSE(main->m_cMenu()->ItemChecked(onTop));

  // The tools toolbar leaves the window on top; its command reaches the dispatcher.
  main->SetOnTop(true);
  ScriptedUi::get().reset();
  main->tlbrRecorder_ButtonClick(main->tlbrRecorder->ButtonIndex("Text To Speech"));
  EXPECT_TRUE(main->m_cMenu()->ItemChecked(onTop));

  const long lists = main->cTreeView1->Nodes().Count();
  click(*main->tlbrProjects, "New Items List");
  EXPECT_EQ(main->cTreeView1->Nodes().Count(), lists + 1);
}

TEST_F(ToolbarsTest, ButtonAndArrowOpenTheSamePopupOnlyTheButtonLeavesOnTop) {
  cMenu& menu = *main->m_cMenu();
  const long onTop = menu.IndexForKey("On Top");
  const struct {
    const char* key;
    const char* item;
  } popups[] = {{"Items List", "Save As"}, {"Tools", "Notes"}, {"Options", "ID3 Tags"}, {"Mode", "Transparent"},
                {"Help", "About"}};
  for (const auto& p : popups) {
    SCOPED_TRACE(p.key);
    const long index = main->tlbrTop->ButtonIndex(p.key);
    main->SetOnTop(true);
    QTest::mouseClick(main->tlbrTop->ButtonArrow(index), Qt::LeftButton);
    ASSERT_NE(menu.ActivePopup(), nullptr);
    QStringList texts;
    for (QAction* a : menu.ActivePopup()->actions()) texts << a->text();
    EXPECT_TRUE(texts.contains(menu.ItemCaption(menu.IndexForKey(p.item))));
    EXPECT_TRUE(menu.ItemChecked(onTop));
    QMenu* byArrow = menu.ActivePopup();
    const QStringList arrowTexts = texts;
    byArrow->close();
    QTest::mouseClick(main->tlbrTop->ButtonFace(index), Qt::LeftButton);
    ASSERT_NE(menu.ActivePopup(), nullptr);
    texts.clear();
    for (QAction* a : menu.ActivePopup()->actions()) texts << a->text();
    EXPECT_EQ(texts, arrowTexts);
    QToolButton* face = main->tlbrTop->ButtonFace(index);
    EXPECT_EQ(menu.ActivePopup()->pos(), face->mapToGlobal(QPoint(0, face->height())));
    EXPECT_FALSE(menu.ItemChecked(onTop));
    menu.ActivePopup()->close();
  }
}

// The first window of a fresh install shows every toolbar caption whole.
TEST_F(ToolbarsTest, TheFirstWindowShowsEveryCaptionWhole) {
  main->show();
  QCoreApplication::processEvents();
  for (cToolbar* bar : {main->tlbrTop, main->tlbrRecorder}) {
    ASSERT_GT(bar->ButtonCount(), 0);
    for (long i = 1; i <= bar->ButtonCount(); ++i) {
      const QToolButton* b = bar->ButtonFace(i);
      if (!b || b->text().isEmpty()) continue;
      EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
    }
  }
}
