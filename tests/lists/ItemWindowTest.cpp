#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "ListFixtures.h"
#include "lists/g_frmItem.h"
#include "platform/cDateTimePick.h"
#include "platform/cTabControl.h"

using namespace ListFixtures;

class ItemWindowTest : public ListsTest {
 protected:
  void SetUp() override {
    ListsTest::SetUp();
    WriteWav(media + "/a.wav", 40);
    WriteWav(media + "/b.wav", 3);
    WriteWav(media + "/c.wav", 5);
    AddFromDialog({"a.wav", "b.wav", "c.wav"});
    ASSERT_EQ(main->cGrid1->Rows(), 3);
  }
  // Opens the item window on the current row as "Rename Item" does and runs
  // the steps while it is shown; the window is closed afterwards in any case.
  void WithItemWindow(const std::function<void(g_frmItem&)>& steps) {
    // Loading lets events through, so wait until the window is shown modally.
    bool ran = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      g_frmItem* w = loadedForm<g_frmItem>();
      if (ran || !w || !w->IsModalShown()) return;
      ran = true;
      steps(*w);
      if ((w = loadedForm<g_frmItem>())) w->cmdExit_Click();
    });
    poll.start(5);
    main->RunCommand("Rename Item");
    EXPECT_TRUE(ran);
  }
};

TEST_F(ItemWindowTest, RangeEditsAreClampedToTheLengthAndSaved) {
  main->cGrid1->SetSelectedRow(1);
  WithItemWindow([&](g_frmItem& w) {
    EXPECT_EQ(w.lItem, 1);
    EXPECT_FALSE(w.cmdBack->isEnabled());
    EXPECT_TRUE(w.cmdNext->isEnabled());
    EXPECT_EQ(w.txtItemName->text(), "a.wav");
    EXPECT_EQ(w.lblTotalTime->text(), "00:00:40");
    EXPECT_EQ(w.lblChannels->text(), "MONO");
    EXPECT_EQ(w.lblSamples->text(), "8000");
    EXPECT_EQ(w.lblFormat->text(), "WAV");
    EXPECT_TRUE(w.ptnAllFile->isChecked());
    EXPECT_FALSE(w.dtStartAfter->isEnabled());
    EXPECT_EQ(w.dtUntil->Value(), QTime(0, 0, 40));
    w.grab().save("/tmp/lists_g_frmItem_info.png");
    w.ptnConvertByTime->click();
    EXPECT_TRUE(w.dtStartAfter->isEnabled());
    EXPECT_TRUE(w.cmdGoToEnd->isEnabled());
    w.dtUntil->SetValue(QTime(1, 0, 0));
    EXPECT_EQ(w.dtUntil->Value(), QTime(0, 0, 40));  // snapped back to the length
    w.dtStartAfter->SetValue(QTime(0, 0, 50));
    EXPECT_EQ(w.dtStartAfter->Value(), QTime(0, 0, 40));
    w.cmdOK_Click();  // start equals end: refused
    EXPECT_EQ(ScriptedUi::get().prompts().last(),
              "'Start after' field is more or an equel to the 'Until' field." + QString(9, ' '));
    EXPECT_NE(loadedForm<g_frmItem>(), nullptr);
    w.dtStartAfter->SetValue(QTime(0, 0, 10));
    w.dtUntil->SetValue(QTime(0, 0, 30));
    w.txtTagAlbum->setText("<ITEM> & [ALBUM]");
    w.txtTagComment->setPlainText(QString::fromUtf8("zwei\nZeilen äö"));
    w.txtItemName->setText("  Intro ");
    w.cTabControl1->SelectTabIndex(2);
    w.cTabControl1_TabClick(2);
    w.grab().save("/tmp/lists_g_frmItem_range.png");
    w.cmdOK_Click();
    EXPECT_EQ(loadedForm<g_frmItem>(), nullptr);
  });
  EXPECT_EQ(Cell(main, 1, "Item Name"), "Intro");
  EXPECT_EQ(Cell(main, 1, "COL_RANGE_ALL"), "0");
  EXPECT_EQ(Cell(main, 1, "COL_RANGE_START_TIME"), "10");
  EXPECT_EQ(Cell(main, 1, "COL_RANGE_LENGTH_TIME"), "20");
  EXPECT_EQ(Cell(main, 1, "Range"), "00:00:10 - 00:00:30");
  // Read back from the saved file.
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  EXPECT_EQ(Cell(main, 1, "Range"), "00:00:10 - 00:00:30");
  EXPECT_EQ(Cell(main, 1, "COL_TAG_ALBUM"), "<ITEM> & [ALBUM]");
  EXPECT_EQ(Cell(main, 1, "COL_TAG_COMMENT"), QString::fromUtf8("zwei\nZeilen äö"));
  EXPECT_EQ(main->GetTotalTime(false), QString::number(20 + 3 + 5));
  // Opened again, the range shows and the whole file can be chosen back.
  main->cGrid1->SetSelectedRow(1);
  WithItemWindow([&](g_frmItem& w) {
    EXPECT_TRUE(w.ptnConvertByTime->isChecked());
    EXPECT_EQ(w.dtStartAfter->Value(), QTime(0, 0, 10));
    EXPECT_EQ(w.dtUntil->Value(), QTime(0, 0, 30));
    w.ptnAllFile->click();
    EXPECT_FALSE(w.dtUntil->isEnabled());
    w.cmdApply_Click();
  });
  EXPECT_EQ(Cell(main, 1, "COL_RANGE_ALL"), "1");
  EXPECT_EQ(Cell(main, 1, "COL_RANGE_START_TIME"), "");
  EXPECT_EQ(Cell(main, 1, "Range"), "All");
}

TEST_F(ItemWindowTest, SteppingShowsTheNextRowAndDropsUnsavedEdits) {
  main->cGrid1->SetSelectedRow(1);
  const QByteArray before = FileBytes(ListPath());
  WithItemWindow([&](g_frmItem& w) {
    w.txtItemName->setText("Edited");
    w.cmdNext->click();
    EXPECT_EQ(w.lItem, 2);
    EXPECT_EQ(w.l_lGridRowNum, 2);
    EXPECT_EQ(w.txtItemName->text(), "b.wav");
    EXPECT_EQ(main->cGrid1->SelectedRow(), 2);
    w.cmdNext->click();
    EXPECT_FALSE(w.cmdNext->isEnabled());
    EXPECT_TRUE(w.cmdBack->isEnabled());
    w.txtItemName->setText("bad/name");
    w.cmdApply_Click();
    EXPECT_EQ(ScriptedUi::get().prompts().last(), "Illegal Item Name." + QString(42, ' '));
  });
  EXPECT_EQ(Cell(main, 1, "Item Name"), "a.wav");
  EXPECT_EQ(Cell(main, 3, "Item Name"), "c.wav");
  EXPECT_EQ(main->cGrid1->SelectedRow(), 3);
  EXPECT_EQ(FileBytes(ListPath()), before);
}

TEST_F(ItemWindowTest, RenameItemTakesTheMainWindowOffTopButKeepsTheMark) {
  main->SetOnTop(true);
  ASSERT_TRUE(main->windowFlags() & Qt::WindowStaysOnTopHint);
  bool onTopWhileOpen = true;
  WithItemWindow([&](g_frmItem&) { onTopWhileOpen = main->windowFlags() & Qt::WindowStaysOnTopHint; });
  EXPECT_FALSE(onTopWhileOpen);
  EXPECT_TRUE(main->m_cMenu()->ItemChecked(main->m_cMenu()->IndexForKey("On Top")));
}

TEST_F(ItemWindowTest, AStoredRangePastTheAudioIsShownWithinIt) {
  // b.wav lasts 3 seconds; the stored range from 1.6 seconds for a whole day is kept in the row.
  ItemRow::SetText(*main->cGrid1, 2, "COL_RANGE_ALL", "0");
  ItemRow::SetText(*main->cGrid1, 2, "COL_RANGE_START_TIME", "1.6");
  ItemRow::SetText(*main->cGrid1, 2, "COL_RANGE_LENGTH_TIME", "86400");
  main->cGrid1->SetSelectedRow(2);
  WithItemWindow([&](g_frmItem& w) {
    EXPECT_TRUE(w.ptnConvertByTime->isChecked());
    EXPECT_EQ(w.dtStartAfter->Value(), QTime(0, 0, 2));
    EXPECT_EQ(w.dtUntil->Value(), QTime(0, 0, 3));
  });
  EXPECT_EQ(ItemRow::Text(*main->cGrid1, 2, "COL_RANGE_LENGTH_TIME"), "86400");
}
