#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "TestEnv.h"
#include "platform/Form.h"
#include "platform/cGrid.h"
#include "platform/cMenu.h"
#include "platform/cStatusBar.h"
#include "platform/cTabControl.h"
#include "platform/cTreeView.h"

namespace {
void addColumns(cGrid& g) {
  g.AddColumn("Inc", "Inc", 0, -1, 26);
  g.AddColumn("Item Name", "Item Name", 0, -1, 200);
  g.AddColumn("COL_FILE", "COL_FILE", 0, -1, -1, false);
}
}  // namespace

TEST(GridContract, RowsComeIntoBeingOnlyOnePastTheLast) {
  cGrid g;
  addColumns(g);
  EXPECT_EQ(g.Rows(), 0);
  g.SetCell(2, 2, "too far");  // skipping a row writes nothing
  EXPECT_EQ(g.Rows(), 0);
  g.SetCell(1, g.ColumnIndex("Item Name"), "a", 0, -1);
  g.SetCell(1, g.ColumnIndex("Inc"), QVariant(), 0, 1);
  g.SetCell(2, g.ColumnIndex("Item Name"), "b");
  EXPECT_EQ(g.Rows(), 2);
  EXPECT_EQ(g.Cell(1, 2).Text(), "a");
  EXPECT_EQ(g.Cell(1, 1).Text(), "");
  EXPECT_EQ(g.Cell(1, 1).IconIndex(), 1);
  EXPECT_EQ(g.Cell(2, 1).IconIndex(), -1);
  EXPECT_EQ(g.Cell(3, 2).Text(), "");  // outside reads empty
}

TEST(GridContract, KeysFindColumnsAndHiddenCellsHoldValues) {
  cGrid g;
  addColumns(g);
  EXPECT_EQ(g.Columns(), 3);
  EXPECT_EQ(g.ColumnIndex("Inc"), 1);
  EXPECT_EQ(g.ColumnIndex("COL_FILE"), 3);
  EXPECT_EQ(g.ColumnIndex("nope"), 0);
  EXPECT_TRUE(g.isColumnHidden(2));
  g.SetCell(1, 3, "/music/a.wav");
  EXPECT_EQ(g.Cell(1, 3).Text(), "/music/a.wav");
}

TEST(GridContract, RemovalMovesRowsUpAndKeepsACurrentRowWhileRowsRemain) {
  cGrid g;
  addColumns(g);
  for (int r = 1; r <= 3; ++r) g.SetCell(r, 2, QString("row%1").arg(r));
  g.SetSelectedRow(2);
  EXPECT_EQ(g.SelectedRow(), 2);
  g.RemoveRow(2);
  EXPECT_EQ(g.Rows(), 2);
  EXPECT_EQ(g.Cell(2, 2).Text(), "row3");
  EXPECT_GE(g.SelectedRow(), 1);
  g.Clear();
  EXPECT_EQ(g.Rows(), 0);
  EXPECT_EQ(g.Columns(), 3);
  EXPECT_LT(g.SelectedRow(), 1);
}

TEST(GridContract, DoubleClickReportsTheCell) {
  cGrid g;
  addColumns(g);
  g.resize(400, 200);
  g.show();
  g.SetCell(1, 2, "a");
  QSignalSpy spy(&g, &cGrid::DblClick);
  QRect r = g.visualRect(g.model()->index(0, 1));
  QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, r.center());
  ASSERT_EQ(spy.size(), 1);
  EXPECT_EQ(spy[0][0].toLongLong(), 1);
  EXPECT_EQ(spy[0][1].toLongLong(), 2);
}

TEST(TreeContract, NodesByPositionKeyAndChildren) {
  cTreeView t;
  cTreeNode* root = t.Nodes().Add(nullptr, 0, "##MAINITEMS/x/", "Items Lists", 17, 17);
  cTreeNode* a = t.Nodes().Add(root, 4, "/x/a.flst", "a", 42, 43);
  cTreeNode* cds = t.Nodes().Add(nullptr, 2, "##MAINCDSAudio CDs", "Audio CDs", 71, 71);
  t.Nodes().Add(root, 4, "/x/b.flst", "b", 42, 43);
  EXPECT_EQ(t.Nodes().Add(root, 4, "/x/a.flst", "dup"), nullptr);  // keys are unique
  EXPECT_EQ(t.Nodes().Count(), 4);
  EXPECT_EQ(t.Nodes().Item(2), a);
  EXPECT_EQ(t.Nodes().Item("##MAINCDSAudio CDs"), cds);
  EXPECT_EQ(root->Children().Count(), 2);
  EXPECT_EQ(root->Children().Item(2)->Text(), "b");
  EXPECT_EQ(a->Parent(), root);
  a->Remove();
  EXPECT_EQ(root->Children().Count(), 1);
  EXPECT_EQ(t.Nodes().Count(), 3);
  t.Nodes().Clear();
  EXPECT_EQ(t.Nodes().Count(), 0);
}

TEST(TreeContract, SelectingByCodeRaisesNoNodeClick) {
  cTreeView t;
  cTreeNode* n = t.Nodes().Add(nullptr, 0, "k", "text");
  QSignalSpy clicks(&t, &cTreeView::NodeClick);
  n->SetSelected(true);
  EXPECT_EQ(t.SelectedItem(), n);
  EXPECT_EQ(clicks.size(), 0);
}

TEST(TreeContract, LabelEditCanBeCancelledByTheHandler) {
  cTreeView t;
  t.resize(300, 200);
  t.show();
  t.SetLabelEdit(true);
  cTreeNode* n = t.Nodes().Add(nullptr, 0, "k", "Old");
  bool refuse = true;
  QString seen;
  QObject::connect(&t, &cTreeView::AfterLabelEdit, [&](cTreeNode*, QString& text, int& cancel) {
    seen = text;
    if (refuse) cancel = 1;
  });
  auto typeCaption = [&](const QString& text) {
    n->StartLabelEdit();
    QPointer<QLineEdit> edit;
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return (edit = t.findChild<QLineEdit*>()) && edit->isVisible(); }, 2000));
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    // The editor goes away once the caption is committed.
    TestEnv::WaitUntil([&] { return !edit || !edit->isVisible(); }, 500);
  };
  typeCaption("New");
  EXPECT_EQ(seen, "New");
  EXPECT_EQ(n->Text(), "Old");
  refuse = false;
  typeCaption("Newer");
  EXPECT_EQ(n->Text(), "Newer");
}

TEST(MenuObject, KeysCaptionsAndClicks) {
  cMenu m;
  long root = m.AddItem("Mode", "", 0, 0, -1, false, true, "Mode");
  long top = m.AddItem("On Top", "", 0, root, 53, false, true, "On Top");
  m.AddItem("-", "", 0, root, -1, false, true, "mnuFile(4)");
  long exit = m.AddItem("Exit", "", 0, root, 78, false, true, "Exit");
  EXPECT_EQ(m.IndexForKey("On Top"), top);
  EXPECT_EQ(m.IndexForKey("nope"), 0);
  EXPECT_EQ(m.ItemKey(exit), "Exit");
  m.SetItemCaption(top, "Always On Top");
  EXPECT_EQ(m.ItemCaption(top), "Always On Top");
  m.SetItemChecked(top, true);
  EXPECT_TRUE(m.ItemChecked(top));
  QWidget owner;
  m.SetOwner(&owner);
  QSignalSpy clicks(&m, &cMenu::Click);
  m.ShowPopupAt(10, 10, 0, 0, 0, 0, -1, exit);
  ASSERT_NE(m.ActivePopup(), nullptr);
  QStringList shown;
  for (QAction* a : m.ActivePopup()->actions()) shown << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(shown, QStringList({"Always On Top", "-", "Exit"}));
  m.ActivePopup()->actions().last()->trigger();
  ASSERT_EQ(clicks.size(), 1);
  EXPECT_EQ(clicks[0][0].toLongLong(), exit);
}

TEST(StatusBarAndTabs, PanelsAndTabsByKey) {
  cStatusBar s;
  s.AddPanel(0, "", "", -1, 120, false, false, 0, "Main");
  s.AddPanel(0, "x", "Notes", -1, 250, false, false, 0, "Notes");
  s.SetPanelText("Main", "Ready.");
  EXPECT_EQ(s.PanelText("Main"), "Ready.");
  EXPECT_EQ(s.PanelKey(2), "Notes");
  EXPECT_EQ(s.PanelText("nope"), "");

  QWidget w;
  cTabControl tabs(&w);
  tabs.setGeometry(10, 10, 300, 200);
  tabs.AddTab("WAV", -1, -1, "WAV");
  tabs.AddTab("MP3", -1, -1, "MP3");
  QSignalSpy clicks(&tabs, &cTabControl::TabClick);
  tabs.SelectTab("MP3");  // by code: no click event
  EXPECT_EQ(tabs.SelectedTab(), 2);
  EXPECT_EQ(tabs.TabIndex("MP3"), 2);
  EXPECT_EQ(clicks.size(), 0);
  EXPECT_GT(tabs.ClientTop(), twips(10));
  EXPECT_GT(tabs.ClientHeight(), 0);
}
