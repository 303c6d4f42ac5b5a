// The item-lists half of the main window: the tree of lists and drives, the
// item grid, the information pane and the list title, with the operations on
// them. frmMain (mainwindow/) derives from it and adds menus, toolbars, the
// player, the tray and the layout; the shared controls live here so both
// halves reach them.
#pragma once
#include <QLabel>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "platform/Form.h"
#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"
#include "platform/cGrid.h"
#include "platform/cImageList.h"
#include "platform/cMenu.h"
#include "platform/cStatusBar.h"
#include "platform/cTreeView.h"

class cAudioConverter;
class cAudioCDRipper;
class cPlayer;
class PcmSource;
struct ItemRecord;

// The two roots of the tree, set each time the tree is built.
extern cTreeNode* g_oItemsListsNode;
extern cTreeNode* g_oAudioCDsNode;

class frmMainLists : public Form {
  Q_OBJECT
 public:
  explicit frmMainLists(QWidget* parent = nullptr);
  ~frmMainLists() override;
  // The main window, for the item windows that work on its grid; nullptr before it exists.
  static frmMainLists* MainWindow();

  // Key tests, pure functions of a key text.
  static bool IsMainNode(const QString& key);
  static bool IsCDNode(const QString& key);
  static QString GetCDNameNode(const QString& key);

  // --- tree of lists and drives ---
  // Builds the tree of lists and drives.
  virtual void setTree();
  // Opens a node: a list's file, a drive's tracks or, for a root, an empty grid.
  virtual void cTreeView1_NodeClick(cTreeNode* node);
  void cTreeView1_AfterLabelEdit(cTreeNode* node, QString& NewString, int& Cancel);
  // The first free "New Items List <n>.flst" of the folder (a file name).
  static QString GetNewListFileName(const QString& folder);
  // A file or folder of that path exists, whatever the letter case of its name.
  static bool ListFileExists(const QString& path);
  // Renames a list file; when that fails, says why and returns false.
  static bool RenameListFile(const QString& oldPath, const QString& newPath);
  void RemoveItemsList();
  void lblListName_Click();
  void ShowListProperties(cTreeNode* node);

  // --- list file ---
  // Rewrites the selected list's file from the grid; writes nothing unless a list node is selected.
  // A file that cannot be written whole keeps its old content, and the status bar says so.
  void SaveGridToFile();
  // The tags of a source file changed on disk: rows of the open list that
  // copy their tags from that file take the new ones, as a reload would.
  void SourceTagsChanged(const QString& path);
  static QString GetTagValue(const QString& tag, const QString& text);
  static long GetTypeIcon(const QString& type);

  // --- CD drives ---
  void LoadCDTracks(const QString& drive);
  long GetCDDriveIndex(const QString& drive);
  void tmrCDs_Timer();
  // Opens the first drive whose disc has tracks; nothing when there is none.
  virtual void SelectFirstAudioCD();
  void cAudioCDRipper1_Error(long code, const QString& text);

  // --- adding, removing, clearing ---
  void AddFiles();
  void cGrid1_OLEDragDrop(const QStringList& files, long effect, int button, int shift, float x, float y);
  void tmrRemove_Timer();
  void ClearListAsk(bool bNoQuestion);
  // Empties the current list and its file, without a question.
  virtual void DoClearTheList();
  void RemoveSelectedItems();
  // Adds files to the open list and saves its file, as every add does.
  void addPaths(const QStringList& paths);
  // The main window while an items list is open, for a tool adding its file
  // (`what`) to it; otherwise says a list must be opened first and gives nullptr.
  static frmMainLists* OpenListFor(const QString& what);

  // --- marks, grid events ---
  void cGrid1_MouseUp(int button, int shift, float x, float y);
  void ShowItemLength();
  void cGrid1_DblClick(long row, long col);
  void cGrid1_SelChange(long row, long col);
  void cGrid1_RedrawOn(long unused);
  void cGridInfo_DblClick(long row, long col);
  void MarkAllItems(bool bMark);
  bool IsAnyItemMarked();
  long CountMarkedItems();

  // --- row order, totals, hand-over, information pane ---
  long ReplaceRow(long lMove);
  long CopyGridRows(cGrid& source, cGrid& destination, bool bOnlyMarked);
  QString GetTotalTime(bool bMarkedOnly);
  QString GetTotalSize(bool bMarkedOnly);
  void DisplayGridInfoStatusBar();
  void GetFileInfoToGridInfo();

  // Runs a command of the item lists by its key; false when the key is not one of them.
  virtual bool RunListCommand(const QString& key);

  // Main-window services the list code calls (mainwindow/frmMain).
  virtual void m_cMenu_Click(long index) = 0;
  virtual void StopPlay() = 0;
  virtual void tlbrPlayButtons_ButtonClick(long index) = 0;
  // Every cell of the item grid back to the regular font.
  virtual void SetRowUnBold();
  // The player panel's length and position labels.
  virtual void SetPlayerTimes(const QString& length, const QString& position);
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
  cAudioConverter* cAudioConverter1;
  cPlayer* cPlayer1;
  cAudioCDRipper* cAudioCDRipper1;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  cMenu* menu_;
  QString m_sRemoveMode;
  // A drive's rows name no file ("D:/Track02.cda"): a track of the open drive
  // is read from the drive itself.
  std::function<std::unique_ptr<PcmSource>(double start)> trackPreview(long track);
  // A drive's track length in whole seconds, as its row was listed from the
  // disc's table of contents (the ripper's current disc may be another drive's).
  long trackSeconds(long track);

 private:
  void lookUpDisc();
  QString selectedKey() const;
  bool selectedIsList() const;
  void stopPreview();
  void readListFile(const QString& path);
  bool writeListFile(const QString& text);
  void showListNotSaved();
  bool fillRowFromRecord(long row, const ItemRecord& record);
  void writeTrackRow(long track, const QString& drive);
  void showEmptyPanel(const QString& text);
  void selectRowAfterFill();
  bool runMoveCommand(const QString& key);
  void newItemsList();
  void saveItemAs();
  long itemSeconds(long row);
  bool openItemDetails(long row);
  void showItemLength(bool opened);
};
