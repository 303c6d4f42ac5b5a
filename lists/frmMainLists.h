// The item-lists half of the main window: the tree of lists and drives, the
// item grid, the information pane and the list title, with the operations on
// them. frmMain (mainwindow/) derives from it and adds menus, toolbars, the
// player, the tray and the layout; the shared controls live here so both
// halves reach them.
#pragma once
#include <QLabel>
#include <QString>

#include "platform/Form.h"
#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"
#include "platform/cGrid.h"
#include "platform/cImageList.h"
#include "platform/cMenu.h"
#include "platform/cStatusBar.h"
#include "platform/cTreeView.h"

// The two roots of the tree, set each time the tree is built.
extern cTreeNode* g_oItemsListsNode;
extern cTreeNode* g_oAudioCDsNode;

class frmMainLists : public Form {
  Q_OBJECT
 public:
  explicit frmMainLists(QWidget* parent = nullptr);

  // Key tests, pure functions of a key text.
  static bool IsMainNode(const QString& key);
  static bool IsCDNode(const QString& key);
  static QString GetCDNameNode(const QString& key);

  // Builds the tree of lists and drives.
  virtual void setTree();
  // Opens a node: a list's file, a drive's tracks or, for a root, an empty grid.
  virtual void cTreeView1_NodeClick(cTreeNode* node);
  // Empties the current list and its file, without a question.
  virtual void DoClearTheList();
  // Opens the first drive whose disc has tracks; nothing when there is none.
  virtual void SelectFirstAudioCD();
  // Runs a command of the item lists by its key; false when the key is not one of them.
  virtual bool RunListCommand(const QString& key);

  // Main-window services the list code calls (mainwindow/frmMain).
  virtual void m_cMenu_Click(long index) = 0;
  virtual void StopPlay() = 0;
  virtual void tlbrPlayButtons_ButtonClick(long index) = 0;
  cMenu* m_cMenu() const { return menu_; }

  // Shared controls.
  cTreeView* cTreeView1;
  cGrid* cGrid1;
  cGrid* cGridInfo;
  QLabel* lblListName;
  cStatusBar* cStatusBar1;
  XP_ProgressBar* prgStatus;
  QWidget* picEmptyMsg;
  QLabel* lblAddorDrag;
  QLabel* lblEmptylist;
  Timer* tmrCDs;
  Timer* tmrRemove;
  cImageList* imgMenu;
  cImageList* imgGrid;

 protected:
  cMenu* menu_;
  QString m_sRemoveMode;
};
