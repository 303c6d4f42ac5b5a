#include "mainwindow/frmMain.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPixmap>
#include <QWindow>
#include <cmath>

#include "core/RegistryRoutines.h"
#include "core/mdlMain.h"
#include "core/mdlModes.h"
#include "core/mdlMouseClick.h"
#include "core/mdlOnTop.h"
#include "core/mdlSetFormIcon32.h"
#include "core/mdlTransparent.h"
#include "mainwindow/MainImages.h"
#include "platform/Services.h"
#include "settings/OptionValues.h"
#include "platform/audio/cAudioGraph.h"

namespace {
struct MenuEntry {
  const char* caption;
  const char* key;
  long icon;
  const char* when = nullptr;    // tool switch that must be 1
  const char* orWhen = nullptr;  // or this one (separators of a pair)
};

struct MenuRoot {
  const char* caption;
  const char* key;
  bool hidden;
  std::vector<MenuEntry> items;
};

const std::vector<MenuRoot>& menuTree() {
  static const std::vector<MenuRoot> roots = {
      {"File", "mnuFileTop", false, {{"Remove", "Remove", 4}, {"-", "mnuFile(4)", -1}, {"Exit", "Exit", -1}}},
      {"Edit", "mnuEditTop", false, {}},
      {"Tools", "Tools", false,
       {{"-", "mnuFile(4)", -1, "lAppIncConverter", "lAppIncACMConverter"},
        {"Audio Converter", "Audio Converter", 60, "lAppIncConverter"},
        {"ACM Converter", "ACM Converter", 61, "lAppIncACMConverter"},
        {"-", "mnuFile(4)", -1, "lAppIncJoin", "lAppIncSplit"},
        {"Audio Joiner", "Audio Joiner", 64, "lAppIncJoin"},
        {"Audio Splitter", "Audio Splitter", 63, "lAppIncSplit"},
        {"-", "mnuFile(4)", -1, "lAppIncEditor", "lAppIncMicRec"},
        {"Audio Analyser", "Audio Analyser", 62, "lAppIncEditor"},
        {"Audio Recorder", "Audio Recorder", 70, "lAppIncMicRec"},
        {"-", "mnuFile(4)", -1, "lAppIncAudioBurner", "lAppIncCDRipper"},
        {"Audio CD Maker", "Audio CD Maker", 73, "lAppIncAudioBurner"},
        {"Audio CD Ripper", "Audio CD Ripper", 25, "lAppIncCDRipper"},
        {"-", "mnuFile(4)", -1, "lAppIncMP3Burner", "lAppIncWMABurner"},
        {"MP3 CD Maker", "MP3 CD Maker", 72, "lAppIncMP3Burner"},
        {"WMA CD Maker", "WMA CD Maker", 72, "lAppIncWMABurner"},
        {"-", "mnuFile(4)", -1},
        {"MP3 Tags Editor", "MP3 Tags Editor", 6, "lAppIncMP3TagsEditor"},
        {"-", "mnuFile(4)", -1},
        {"Text To Speech", "Text To Speech", 82, "lAppIncTTS"},
        {"-", "mnuFile(4)", -1, "lAppIncTTS"},
        {"Master Volume", "Master Volume", 79},
        {"-", "mnuFile(4)", -1},
        {"Notes", "Notes", 8}}},
      {"Options", "mnuOptionsTop", false, {}},
      {"Mode", "Mode", false,
       {{"Transparent", "Transparent", 11}, {"On Top", "On Top", 53}, {"-", "mnuFile(4)", -1},
        {"Minimize", "Minimize", 76}, {"Go to SysTray", "GoSysTray", 77}, {"-", "mnuFile(4)", -1},
        {"Exit", "Exit", 78}}},
      {"Options", "Options", true,
       {{"General                     ", "General", 9}, {"-", "Options Line1", -1}, {"Events", "Events", 10},
        {"View", "View", 11}, {"-", "Options Line2", -1}, {"ID3 Tags", "ID3 Tags", 18},
        {"-", "Options Line2", -1}, {"Advanced", "Advanced", 59}}},
      {"Help", "Help", true,
       {{"Help Topics     ", "HelpTopic", 12}, {"Support", "Support", -1}, {"-", "mnuFile(4)", -1},
        {"About", "About", 22}}},
      {"mnuSysTry", "mnuSysTry", true,
       {{"Exit                      ", "RC Exit", 27}, {"-", "st1", -1}, {"Hide", "RC Open", -1}}},
      {"mnuProjects", "mnuProjects", true,
       {{"New Items List", "New Items List", 48}, {"Rename Items List", "Rename Items List", 49},
        {"Remove Items List", "Remove Items List", 50}, {"-", "st4", -1},
        {"Items List Properties", "Items List Properties", 51}}},
      {"mnuFilesList", "mnuFilesList", true,
       {{"Mark/Unmark All", "MarkUnmark All", 74}, {"-", "st1", -1}, {"Move Up", "Move Up", 0},
        {"Move Down", "Move Down", 1}, {"-", "st1", -1}, {"Move To First", "Move To First", 80},
        {"Move To Last", "Move To Last", 81}, {"-", "st1", -1}, {"Edit", "Rename Item", 32},
        {"Save As...", "Save As", 5}, {"-", "st1", -1}, {"Audio Analyser", "Audio Analyser", 62, "lAppIncEditor"},
        {"-", "st1", -1, "lAppIncEditor"}, {"Remove Item", "Remove Item", 3}, {"-", "ClearLine", -1},
        {"Remove All", "Clear the List", 27}, {"-", "st1", -1, "lAppIncCDRipper"},
        {"FreeDB", "FreeDB", 22, "lAppIncCDRipper"}}},
      {"mnuAdd", "mnuAdd", true, {{"Add Files", "Add Files", 39}}},
  };
  return roots;
}

bool offered(const MenuEntry& e) {
  if (!e.when) return true;
  return mdlModes::ToolSwitch(e.when) == 1 || (e.orWhen && mdlModes::ToolSwitch(e.orWhen) == 1);
}

struct GridColumn {
  const char* key;
  const char* header;
  long width;
  bool shownInMain;
};
const GridColumn kItemColumns[] = {
    {"Inc", "Inc", 26, true},          {"Type", "Type", 40, true},
    {"Item Name", "Item Name", 200, true}, {"Size", "Size", 80, false},
    {"Time", "Time-Length", 80, false}, {"Created", "Created", 140, false},
    {"Range", "Range", 120, true},
};
const char* const kHiddenKeys[] = {"COL_FILE", "COL_RANGE_ALL", "COL_RANGE_START_TIME", "COL_RANGE_LENGTH_TIME",
                                   "COL_BYTES_SIZE", "COL_TAG_ALBUM", "COL_TAG_ARTIST", "COL_TAG_COMMENT",
                                   "COL_TAG_GEN", "COL_TAG_YEAR", "COL_TAG_TITLE", "COL_TAG_TRACK"};
}  // namespace

frmMain::frmMain()
    : cSysTray1(new cSysTray(this)),
      picTitle(new QWidget(this)),
      lblTitle(new QLabel(picTitle)),
      picTitleProject(new QWidget(this)),
      lblProjects(new QLabel("Items Lists", picTitleProject)),
      picResizer(new QWidget(this)),
      tmrStartSwitches(new Timer(this)),
      cAudioGraphAmp(new cAudioGraph(this)),
      cAudioGraphFreq(new cAudioGraph(this)) {
  connect(tmrStartSwitches, &Timer::Tick, this, &frmMain::tmrStartSwitches_Timer);
  connect(cSysTray1, &cSysTray::MouseEvent, this, &frmMain::cSysTray1_MouseEvent);
  connect(menu_, &cMenu::Click, this, &frmMain::m_cMenu_Click);
  picTitle->setAutoFillBackground(true);
  QFont f = lblTitle->font();
  f.setBold(true);
  lblTitle->setFont(f);
  lblProjects->move(px(60), 0);
  // The splitter reaches 60 twips into the list title: its text starts past it.
  lblListName->setIndent(px(120));
  picResizer->setAutoFillBackground(true);
  picResizer->setCursor(Qt::SizeHorCursor);
  picResizer->installEventFilter(this);
  // The splitter reaches across the lower panes; the top toolbar and the
  // status bar stay in front of it.
  picResizer->raise();
}

void frmMain::Form_Load() {
  settings_.hkey = HKEY_LOCAL_MACHINE;
  settings_.KeyRoot = mdlModes::SettingsKeyRoot();
  MainImages::FillMenuImages(*imgMenu);
  MainImages::FillGridImages(*imgGrid);
  // Title colours.
  QPalette tp = picTitle->palette();
  tp.setColor(QPalette::Window, ColorFromNumber(g_lTitleBackColor));
  picTitle->setPalette(tp);
  lblTitle->setStyleSheet(QString("color: %1;").arg(ColorFromNumber(g_lTitleForeColor).name()));
  cAudioGraphAmp->SetGraphBackColor(g_lTitleBackColor);
  cAudioGraphAmp->SetGraphForeColor(g_lTitleForeColor);
  cAudioGraphFreq->SetGraphBackColor(g_lTitleBackColor);
  cAudioGraphFreq->SetGraphForeColor2(g_lTitleForeColor);
  prgStatus->SetBarColor(g_lTitleBackColor);
  // Tray icon.
  cSysTray1->AddIcon();
  cSysTray1->SetToolTip(mdlModes::WindowTitle());
  cSysTray1->SetIconFile(ProgramFolder() + "/SysIcon/systrayicon.ico");
  mdlSetFormIcon32::SetFormIcon(this, "AAA", true);
  // Grids.
  InitItemGrid(*cGrid1, imgGrid);
  InitInfoGrid();
  // Status bar.
  cStatusBar1->SetImageList(imgMenu);
  cStatusBar1->AddPanel(0, "", "", 47, 120, false, false, 0, "Main");
  cStatusBar1->AddPanel(0, "", "", -1, 180, false, false, 0, "Items List Properties");
  cStatusBar1->AddPanel(0, GetNotesToStatus(), "Notes", 8, 250, false, false, 0, "Notes");
  cStatusBar1->AddPanel(0, "Master Volume", "", 79, 64, false, false, 0, "Master Volume");
  cStatusBar1->SetPanelText("Main", "Ready.");
  BuildMainMenus();
  SetAppView();
  BuildToolbars();
  ConnectStatusPanels();
  SetCaption(mdlModes::WindowTitle());
  lblTitle->setText(mdlModes::WindowTitle());
  cTreeView1->SetImageList(imgMenu);
  setTree();
  if (lAppIncItemsLists == 1) {
    cTreeNode* first = g_oItemsListsNode ? g_oItemsListsNode->Children().Item(1) : nullptr;
    if (first) {
      first->SetSelected(true);
      cTreeView1_NodeClick(first);
    } else {
      RunCommand("New Items List");
    }
  } else if (cTreeNode* drive = g_oAudioCDsNode ? g_oAudioCDsNode->Children().Item(1) : nullptr) {
    drive->SetSelected(true);
    cTreeView1_NodeClick(drive);
  }
  tmrStartSwitches->SetInterval(200);
  tmrStartSwitches->SetEnabled(true);
  settings_.Subkey = "General";
  RestoreWindowSize();
}

void frmMain::InitItemGrid(cGrid& grid, cImageList* images, bool taskGrid) {
  // Every row, read from a list or added now, takes the grid's font.
  grid.setFont(QFont("Tahoma", 8));
  grid.SetDefaultRowHeight(24);
  grid.SetImageList(images);
  for (const GridColumn& c : kItemColumns) {
    bool inc = QString(c.key) == "Inc";
    QString header = taskGrid && inc ? QString() : QString(c.header);
    long width = taskGrid && inc ? 20 : taskGrid && QString(c.key) == "Item Name" ? 160 : c.width;
    grid.AddColumn(c.key, header, 0, -1, width, taskGrid || c.shownInMain);
  }
  for (const char* key : kHiddenKeys) grid.AddColumn(key, key, 0, -1, -1, false);
  grid.SetGridLines(true);
  grid.SetGridLineColor(0x80000008L);
  grid.SetHotTrack(true);
}

void frmMain::InitInfoGrid() {
  cGridInfo->SetDefaultRowHeight(20);
  cGridInfo->AddColumn("Name", "Name", 0, -1, 70);
  cGridInfo->AddColumn("Value", "Value", 0, -1, 130);
  cGridInfo->SetGridLines(true);
  cGridInfo->horizontalHeader()->setStretchLastSection(true);
}

void frmMain::BuildMainMenus() {
  QFont font("Tahoma");
  menu_->SetOwner(this);
  menu_->SetXPStyle(false);
  menu_->SetFont(font);
  menu_->SetXPStyle(g_bMenuXPStyle);
  menu_->SetImageList(imgMenu);
  for (const MenuRoot& root : menuTree()) {
    long parent = menu_->AddItem(root.caption, "", 0, 0, -1, false, true, root.key);
    for (const MenuEntry& e : root.items)
      if (offered(e)) menu_->AddItem(e.caption, "", 0, parent, e.icon, false, true, e.key);
    if (root.hidden) menu_->SetItemVisible(parent, false);
  }
  menu_->SetMenuActive(true);
}

void frmMain::SetAppView() {
  if (!g_sFormBackColor.isEmpty()) {
    bool ok = false;
    const long back = g_sFormBackColor.toLong(&ok);
    if (ok) {
      SetBackColor(back);
      QPalette p = picResizer->palette();
      p.setColor(QPalette::Window, ColorFromNumber(back));
      picResizer->setPalette(p);
      cStatusBar1->SetStatusBackColor(back);
      cGridInfo->SetBackColor(back);
      cSlider1->SetSliderColor(back);
    }
  }
  const QString view = ProgramFolder() + "/View/";
  if (!g_sBackPicture.isEmpty()) {
    const QPixmap back(view + g_sBackPicture);
    if (!back.isNull())
      for (QWidget* w : {static_cast<QWidget*>(this), picResizer}) {
        QPalette p = w->palette();
        p.setBrush(QPalette::Window, back);
        w->setPalette(p);
      }
  }
  if (!g_sTitlePicture.isEmpty()) {
    const QPixmap title(view + g_sTitlePicture);
    if (!title.isNull()) {
      QPalette p = picTitle->palette();
      p.setBrush(QPalette::Window, title);
      picTitle->setPalette(p);
    }
  }
}

void frmMain::RestoreWindowSize() {
  bool ok = false;
  // The first window is wide enough for every toolbar caption at the font in use.
  const QString first = QString::number(std::max(13140L, ToolbarsFitWidth()));
  long w = settings_.GetRegistryValue("lWidth", first).toString().toLong(&ok);
  if (!ok) w = 0;
  long h = settings_.GetRegistryValue("lHeight", "7440").toString().toLong(&ok);
  if (!ok) h = 0;
  SetWidth(w < 3000 ? 13740 : int(w));
  SetHeight(h < 1000 ? 7440 : int(h));
}

long frmMain::ToolbarsFitWidth() const {
  // The room Layout gives them: the top toolbar spans the title strip (the
  // window less 350), the tools toolbar the grid and information pane (less
  // the tree and 450 more); a few twips spare for the rounding to pixels.
  constexpr long kSpare = 60;
  const long top = long(twips(tlbrTop->sizeHint().width())) + 350;
  if (tlbrRecorder->ButtonCount() == 0) return top + kSpare;
  const long tools = std::max(m_lRecorderHostWidth, long(twips(tlbrRecorder->sizeHint().width())));
  return std::max(top, tools + 450 + m_lTreeWidth) + kSpare;
}

namespace {
// Places a control in twips; a negative size leaves it where it was.
void place(QWidget* w, double left, double top, double width, double height) {
  if (width < 0 || height < 0) return;
  const auto p = [](double tw) { return int(std::lround(tw / TwipsPerPixel)); };
  w->setGeometry(p(left), p(top), p(width), p(height));
}
}  // namespace

void frmMain::TreePaneSwitch() {
  const bool shown = !cTreeView1->isHidden();
  if (shown && lAppIncTree == 0) m_lTreeWidth = 0;
  if (!shown && lAppIncTree == 1) m_lTreeWidth = 2535;
  if (shown != (lAppIncTree == 1)) {
    cTreeView1->setVisible(lAppIncTree == 1);
    picResizer->setVisible(lAppIncTree == 1);
    picTitleProject->setVisible(lAppIncTree == 1);
    tlbrProjects->setVisible(lAppIncTree == 1);
  }
}

void frmMain::Form_Resize() {
  if (WindowState() == vbMinimized) return;
  TreePaneSwitch();
  menu_->SetXPStyle(g_bMenuXPStyle);
  const double titleH = g_bDisplayTitle ? 375 : 0;
  picTitle->setVisible(g_bDisplayTitle);
  cGridInfo->setVisible(g_bDisplayPlayer);
  const double infoW = g_bDisplayPlayer ? 3495 : 0;
  const double treeW = m_lTreeWidth;
  const double resizerW = cTreeView1->isHidden() ? 0 : 100;
  const double playerH = PlayerStripHeight() * TwipsPerPixel;
  const double listTitleH = 255, commandH = 1155, listStripH = 400, treeFrameH = 500;
  const double listToolbarH = 495;
  const double statusH = twips(cStatusBar1->height());
  // The window's outer size, frame included, as the pane sizes assume.
  m_laidOutSize = outerSize();
  const double outerW = twips(m_laidOutSize.width()), outerH = twips(m_laidOutSize.height());
  const double titleLeft = 100, titleTop = 120, titleW = outerW - 350;
  place(picTitle, titleLeft, titleTop, titleW, titleH);
  lblTitle->move(px(120), std::max(0, (px(int(titleH)) - lblTitle->sizeHint().height()) / 2));
  lblTitle->adjustSize();
  const double hostTop = titleTop + titleH + 40;
  const double hostH = twips(LayoutToolbars(QRect(px(120), px(int(hostTop)), px(int(titleW)), 0)));
  const double titlesTop = hostTop + hostH;
  const double gridTop = titlesTop + listTitleH + 20;
  const double gridH = outerH - commandH - listToolbarH - hostH - titleH - statusH - listTitleH - 600;
  const double treeH = gridH + commandH - 60;
  const double listStripTop = gridTop + gridH;
  const double treeFrameTop = gridTop + treeH - 40;
  const double commandTop = listStripTop + listStripH;
  const double treeLeft = titleLeft + 20;
  const double gridLeft = treeLeft + treeW + resizerW - 40;
  const double infoH = gridH - playerH;
  const double gridW = titleW - treeW - infoW - 100;
  const double infoLeft = gridLeft + gridW;
  const double spanW = infoW + gridW;
  place(cTreeView1, treeLeft, gridTop, treeW, treeH);
  place(picResizer, treeLeft + treeW + 20, 1200, resizerW, 20000);
  place(picTitleProject, 120, titlesTop, treeW, listTitleH);
  place(lblProjects, 60, 0, std::max(0.0, treeW - 60), listTitleH);
  place(lblListName, gridLeft, titlesTop, spanW, listTitleH);
  place(cGrid1, gridLeft, gridTop, gridW, gridH);
  place(cGridInfo, infoLeft, gridTop, infoW, infoH);
  if (g_bDisplayPlayer && infoH >= 0)
    LayoutPlayerStrip(QRect(px(int(infoLeft)), px(int(gridTop + infoH)), px(int(infoW)), px(int(playerH))));
  else
    LayoutPlayerStrip(QRect());
  const auto r = [](double l, double t, double w, double h) {
    return QRect(px(int(l)), px(int(t)), px(int(std::max(0.0, w))), px(int(std::max(0.0, h))));
  };
  LayoutToolbarFrames(r(120, treeFrameTop, treeW, treeFrameH), r(gridLeft, listStripTop, spanW, listStripH),
                      r(gridLeft, commandTop, spanW, commandH));
  // The notice sits on the grid: its place in the grid's own coordinates.
  if (gridW >= 0) picEmptyMsg->move(px(int(gridW / 2 - twips(picEmptyMsg->width()) / 2.0)), px(int(2400 - gridTop)));
  cStatusBar1->setGeometry(0, height() - px(int(statusH)), width(), px(int(statusH)));
  prgStatus->setGeometry(width() - px(2500), height() - px(int(statusH)) + 3, px(2300), px(int(statusH)) - 6);
  tlbrTop->raise();
  cStatusBar1->raise();
}

QSize frmMain::outerSize() const {
  // Asked of the window system each time: a window manager may add its frame
  // only after the window is shown, and that changes no size of ours.
  const QWindow* handle = windowHandle();
  return handle ? size().grownBy(handle->frameMargins()) : size();
}

void frmMain::relayoutWhenTheFrameChanged() {
  if (IsLoaded() && outerSize() != m_laidOutSize) Form_Resize();
}

void frmMain::showEvent(QShowEvent* event) {
  frmMainLists::showEvent(event);
  // Exposure comes once the window manager has framed the window, before the
  // first paint.
  if (QWindow* handle = windowHandle()) handle->installEventFilter(this);
  relayoutWhenTheFrameChanged();
}

void frmMain::moveEvent(QMoveEvent* event) {
  frmMainLists::moveEvent(event);
  relayoutWhenTheFrameChanged();
}

void frmMain::cTreeView1_DragDrop(QWidget*, float X, float) {
  m_lTreeWidth = X < 1000 ? 1000 : long(twips(cTreeView1->x()) + X - 120);
  Form_Resize();
}

void frmMain::cGrid1_DragDrop(QWidget*, float X, float) {
  m_lTreeWidth = long(twips(cTreeView1->x()) + m_lTreeWidth + X - 60);
  Form_Resize();
}

// The splitter is dragged with the mouse: letting go over a control of the
// tree side or of the list side is the drop on that control.
bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle()) {
    if (event->type() == QEvent::Expose) relayoutWhenTheFrameChanged();
    return false;
  }
  if (watched != picResizer) return frmMainLists::eventFilter(watched, event);
  if (event->type() == QEvent::MouseButtonPress) {
    m_bDraggingSplitter = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
  } else if (event->type() == QEvent::MouseButtonRelease && m_bDraggingSplitter) {
    m_bDraggingSplitter = false;
    DropSplitter(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
  }
  return false;
}

void frmMain::DropSplitter(const QPoint& globalPos) {
  const auto hit = [&](QWidget* w) {
    return w->isVisible() && w->rect().contains(w->mapFromGlobal(globalPos));
  };
  const auto drop = [&](QWidget* w, void (frmMain::*handler)(QWidget*, float, float)) {
    const QPoint at = w->mapFromGlobal(globalPos);
    (this->*handler)(picResizer, float(twips(at.x())), float(twips(at.y())));
  };
  // Front controls first: labels before their strips, the frame before the tree.
  for (QWidget* w : {static_cast<QWidget*>(lblProjects), picTitleProject, static_cast<QWidget*>(tlbrProjects),
                     static_cast<QWidget*>(cTreeView1)})
    if (hit(w)) return drop(w, &frmMain::cTreeView1_DragDrop);
  for (QWidget* w : {static_cast<QWidget*>(cSlider1), static_cast<QWidget*>(lblListName),
                     static_cast<QWidget*>(tlbrList), static_cast<QWidget*>(tlbrRecorder),
                     static_cast<QWidget*>(cGrid1)})
    if (hit(w)) return drop(w, &frmMain::cGrid1_DragDrop);
}

void frmMain::RunCommand(const QString& key) { m_cMenu_Click(menu_->IndexForKey(key)); }

void frmMain::m_cMenu_Click(long index) {
  // Any command stops a preview first, with the whole stop so that the play
  // buttons, graphs and timers never show a preview that no longer plays.
  tlbrPlayButtons_ButtonClick(0);
  QString key = menu_->ItemKey(index);
  if (key.isEmpty()) return;
  if (RunListCommand(key)) return;
  RunWindowCommand(key);
}

void frmMain::SetOnTop(bool bVal) {
  mdlOnTop::SetWindowOnTop(this, bVal);
  menu_->SetItemChecked(menu_->IndexForKey("On Top"), bVal);
}

void frmMain::SetTransparent(bool bVal) {
  if (bVal) mdlTransparent::SetWindowAlpha(this, 90);
  else mdlTransparent::ClearWindowAlpha(this);
  menu_->SetItemChecked(menu_->IndexForKey("Transparent"), bVal);
}

void frmMain::hideToTray() {
  // Without a notification area the window stays reachable, minimised.
  SetWindowState(vbMinimized);
  if (cSysTray::Available()) Hide();
  menu_->SetItemCaption(menu_->IndexForKey("RC Open"), "Show");
  m_bInTray = true;
}

void frmMain::StartInTray() {
  menu_->SetItemCaption(menu_->IndexForKey("RC Open"), "Show");
  Show();
  hideToTray();
}

void frmMain::cSysTray1_MouseEvent(long type, long) {
  if (type == 2) {
    activateWindow();
    long x = 0, y = 0;
    mdlMouseClick::GetMousePos(x, y);
    menu_->ShowPopupAtCursor(x, y, menu_->IndexForKey("RC Open"), -1);
    return;
  }
  if (type != 1) return;
  int state = WindowState();
  if (state == vbMinimized && m_bInTray) {
    Show();
    SetWindowState(vbNormal);
    menu_->SetItemCaption(menu_->IndexForKey("RC Open"), "Hide");
    m_bInTray = false;
  } else if (state == vbNormal || (state == vbMinimized && !m_bInTray)) {
    hideToTray();
  }
}

void frmMain::tmrStartSwitches_Timer() {
  tmrStartSwitches->SetEnabled(false);
  QString args = CommandLineArgs().toLower();
  if (args == "-addfiles") RunCommand("Add Files");
  else if (args == "-addaudiocd") SelectFirstAudioCD();
}

void frmMain::Form_Unload(int& Cancel) {
  g_bExiting = true;
  if (g_bDisplayMSGWhenExit &&
      MsgBox("Are you sure you want to exit '" + g_sAppName + " " + g_sAppVersion + "' ?",
             vbYesNo + vbInformation, mdlModes::WindowTitle()) == vbNo) {
    Cancel = 1;
    g_bExiting = false;
    return;
  }
  SetOnTop(false);
  tlbrPlayButtons_ButtonClick(0);
  cTreeNode* node = cTreeView1->SelectedItem();
  if (g_bClearOnExit && node && !IsCDNode(node->Key())) DoClearTheList();
  for (Form* f : LoadedForms())
    if (f != this) f->Unload();
  cAudioGraphAmp->CloseGraph();
  cAudioGraphFreq->CloseGraph();
  settings_.Subkey = "General";
  settings_.SetRegistryValue("lHeight", QString::number(Height()), REG_SZ);
  settings_.SetRegistryValue("lWidth", QString::number(Width()), REG_SZ);
  cSysTray1->RemoveIcon();
}

void frmMain::Form_Terminate() {
  mdlMain::SuppressFaultDialog();
  QCoreApplication::quit();
}
