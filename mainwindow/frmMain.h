// The main window: menus and the one command dispatcher, the tray icon, the
// status bar, the layout and the window's start-up and shut-down. The item
// lists half lives in lists/frmMainLists.
#pragma once
#include "core/RegistryRoutines.h"
#include "lists/frmMainLists.h"
#include "platform/cSlider.h"
#include "platform/cSysTray.h"
#include "platform/cToolbar.h"

class cAudioGraph;

class frmMain : public frmMainLists {
  Q_OBJECT
 public:
  frmMain();

  void m_cMenu_Click(long index) override;
  void StopPlay() override;
  void tlbrPlayButtons_ButtonClick(long index) override;
  // Runs a command by its key, as a menu click would.
  void RunCommand(const QString& key);

  // Layout pass: view switches and pane sizes.
  void Form_Resize() override;
  // The item grid's columns; every task window's grid gets the same.
  static void InitItemGrid(cGrid& grid, cImageList* images, bool taskGrid = false);
  void InitInfoGrid();
  QString GetNotesToStatus() const;
  void SetOnTop(bool bVal);
  void SetTransparent(bool bVal);
  void cSysTray1_MouseEvent(long type, long unused = 0);
  bool InTray() const { return m_bInTray; }
  // Puts the window in the tray at start-up ("-st").
  void StartInTray();

  cSysTray* cSysTray1;
  QWidget* picTitle;
  QLabel* lblTitle;
  QWidget* picTitleProject;
  QLabel* lblProjects;
  // The splitter between the tree and the grid: dragging it and letting go
  // over a control of either side sets the tree width.
  QWidget* picResizer;
  // Drops of the splitter; X and Y in twips inside the control let go over.
  void cTreeView1_DragDrop(QWidget* Source, float X, float Y);
  void cGrid1_DragDrop(QWidget* Source, float X, float Y);
  // Width of the tree column in twips.
  long TreeWidth() const { return m_lTreeWidth; }
  Timer* tmrStartSwitches;
  cAudioGraph* cAudioGraphAmp;
  cAudioGraph* cAudioGraphFreq;

  // Preview player (frmMain_Player.cpp).
  int PlayerStripHeight() const;
  void LayoutPlayerStrip(const QRect& strip);
  // Connects the player's controls; runs once at load with the toolbars.
  void SetUpPlayer();
  void StartPlay();
  void SetRowBold(long lRow, bool bBold);
  void SetPlayerTimes(const QString& length, const QString& position) override;
  void cPlayer1_PlayEnd();
  void cSlider1_SeekStart();
  void cSlider1_SeekEnd();
  void tmrPlayer_Timer();
  void tmSlider_Timer();
  void tmrAudioData_Timer();
  cSlider* cSlider1 = new cSlider(this);
  QLabel* lblCurrentPositionSec = new QLabel("0:00:00", this);
  QLabel* lbTotalLengthSec = new QLabel("0:00:00", this);
  Timer* tmrPlayer = new Timer(this);
  Timer* tmSlider = new Timer(this);
  Timer* tmrAudioData = new Timer(this);
  // Key of the tree node of the list that was shown when the preview started;
  // a key rather than the node, so a rebuilt tree leaves nothing dangling.
  QString m_cPlayingNode;

  // Toolbars (frmMain_Toolbars.cpp): built at load; laid out from the top of
  // the given area across its width, returning the height they take.
  void BuildToolbars();
  // The top toolbar at the given place; returns its height.
  int LayoutToolbars(const QRect& area);
  // The list commands in the frame under the tree, the list toolbar in its
  // strip under the grid and the tools toolbar in the frame under that.
  void LayoutToolbarFrames(const QRect& treeFrame, const QRect& listStrip, const QRect& commandFrame);
  void BuildToolsToolbar();
  void tlbrTop_ButtonClick(long index);
  void tlbrTop_ButtonDropDown(long index);
  void tlbrProjects_ButtonClick(long index);
  void tlbrList_ButtonClick(long index);
  void tlbrRecorder_ButtonClick(long index);
  cImageList* imgPlayer = new cImageList(this);
  cImageList* imgGeneral = new cImageList(this);
  cToolbar* tlbrTop = new cToolbar(this);
  cToolbar* tlbrProjects = new cToolbar(this);
  cToolbar* tlbrList = new cToolbar(this);
  cToolbar* tlbrPlayButtons = new cToolbar(this);
  cToolbar* tlbrRecorder = new cToolbar(this);
  // Width of the tools toolbar's holder in twips: grows with each button.
  long m_lRecorderHostWidth = 30;
  // Set by the one-file conversion window when its conversion was aborted.
  bool g_bAbortedAudioEditor = false;

  // Commands (frmMain_Commands.cpp).
  // The status bar's panels run their commands; called once at load.
  void ConnectStatusPanels();
  void cStatusBar1_PanelClick(long index);
  // Tool windows (frmMain_Tasks.cpp): load, hand over, show modally.
  void OpenConverter();
  void OpenACMConverter();
  void OpenSplitter();
  void OpenJoiner();
  void OpenCDBurner();
  // key: "MP3 CD Maker" or "WMA CD Maker".
  void OpenDataBurner(const QString& key);
  void OpenCDRipper();
  // Texts for others (frmMain_Templates.cpp). The end-of-job program and its
  // arguments: g_sAppNotice split into arguments, then placeholders filled
  // from the product and the grid's last row.
  QStringList GetNoticAppParameters() const;
  // The extension for a speech target format text, and a file name made of
  // the time, the date and that extension.
  static QString GetExt(const QString& targetFormat);
  static QString CreateFileName(const QString& targetFormat);
  // The notes file the notes window keeps and the "Notes" panel summarises.
  static QString NotesFile();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;
  void Form_Terminate() override;

 private:
  // The player strip, status bar and rows back to "nothing plays".
  void showPlayStopped();
  long playTrack(long track);
  void BuildMainMenus();
  void SetAppView();
  void RestoreWindowSize();
  // The narrowest window width (twips) at which the layout shows the top and
  // the tools toolbars whole.
  long ToolbarsFitWidth() const;
  void tmrStartSwitches_Timer();
  void hideToTray();
  bool RunWindowCommand(const QString& key);
  // Audio tools (frmMain_AudioTools.cpp): false for a key that is none of them.
  bool RunAudioToolCommand(const QString& key);
  void OpenAudioAnalyser();
  static QString EditorTempFile();
  void TreePaneSwitch();
  void DropSplitter(const QPoint& globalPos);
  // The window's size with the window manager's frame, as the layout wants it.
  QSize outerSize() const;
  // Lays the panes out again when the frame changed since the last pass.
  void relayoutWhenTheFrameChanged();
  QSize m_laidOutSize;
  RegistryRoutines settings_;
  bool m_bInTray = false;
  long m_lTreeWidth = 2535;
  bool m_bDraggingSplitter = false;
};
