#include "settings/frmOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyle>

#include "core/mdlCommDialog.h"
#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "core/mdlRunOnStart.h"
#include "core/mdlSetFormIcon32.h"
#include "core/mdlSupportedDestination.h"
#include "mainwindow/MainImages.h"
#include "mainwindow/frmMain.h"
#include "platform/audio/cAudioGraph.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/audio/Sound.h"
#include "platform/cImageList.h"
#include "platform/cTreeView.h"
#include "settings/FormControls.h"
#include "settings/OptionValues.h"
#include "settings/StoredControls.h"
#include "settings/g_frmAudioProp.h"
#include "settings/g_frmProgParameters.h"

using namespace FormControls;
using namespace StoredControls;

namespace {
struct Page {
  const char* key;
  const char* text;
  long image;
};
const Page kPages[] = {
    {"General", "General", 9}, {"Events", "Events", 10}, {"View", "View", 11},
    {"ID3 Tags", "Default ID3 Tags", 6}, {"Advanced", "Advanced", 59},
};

QString defaultItemsListFolder() { return ProgramFolder() + "/Main/"; }

// The folder the lists live in, whatever was typed: an empty box means the
// default folder, and a folder typed without its closing "/" still names
// that folder (list paths are the folder followed by the file name).
QString itemsListFolderOf(const QString& text) {
  if (text.isEmpty()) return defaultItemsListFolder();
  return text.endsWith('/') ? text : text + "/";
}

QLineEdit* tagBox(QWidget* page, const char* name, int left, int top, int width) {
  auto* box = Named(new QLineEdit(page), name);
  Place(box, left, top, width, 285);
  QPalette white = box->palette();
  white.setColor(QPalette::Base, Qt::white);
  box->setPalette(white);
  return box;
}

QPlainTextEdit* memo(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* box = Named(new QPlainTextEdit(parent), name);
  Place(box, left, top, width, height);
  return box;
}
}  // namespace

frmOptions::frmOptions() {
  setObjectName("frmOptions");
  buildWindow();
  connectHandlers();
}

// ---------------------------------------------------------------- construction

void frmOptions::buildWindow() {
  FixedDialog(this, "Options", 8760, 5850);

  picTitle = Panel(this, 0, 0, 8775, 495);
  SetControlBackColor(picTitle, NumberFromColor(palette().color(QPalette::Highlight)));
  lblTitle = Label(picTitle, "General", 120, 75, 4845, 270);
  QFont title("Tahoma");
  title.setPointSizeF(11.25);
  title.setItalic(true);
  lblTitle->setFont(title);
  SetControlForeColor(lblTitle, 0xFFFFFF);

  imgMenu = new cImageList(this);
  MainImages::FillMenuImages(*imgMenu);
  cTreeView1 = new cTreeView(this);
  Place(cTreeView1, 120, 600, 2175, 4455);

  cmdCancel = Button(this, "Cancel", 5400, 5280, 1455, 375);
  cmdOk = Button(this, "OK", 7080, 5280, 1455, 375, true);
  cmdOk->setDefault(true);
  cmdOk->setAutoDefault(true);
  VSeparator(this, 6960, 5280, 5640);
  lblAudioDevice = Label(this, "Record From:", 120, 5160, 975, 195);
  lblAudioDevice->hide();
  cboDevices = Named(List(this, 120, 5400, 5295, 315), "cboDevices");
  cboDevices->hide();
  chkDontSaveSilenceFile = Named(
      Check(this, "Do not save a file that contains a silence only ('empty file')", 240, 5400, 5175, 255),
      "chkDontSaveSilenceFile");
  chkDontSaveSilenceFile->hide();

  // Every page is designed at this rectangle; the load lays them out beside the tree.
  froGeneral = Panel(this, 2495, 600, 5895, 4455);
  froEvents = Panel(this, 2495, 600, 5895, 4455);
  froView = Panel(this, 2495, 600, 5895, 4455);
  froTags = Panel(this, 2495, 600, 5895, 4455);
  froAdvanced = Panel(this, 2495, 600, 5895, 4455);
  buildGeneralPage();
  buildEventsPage();
  buildViewPage();
  buildTagsPage();
  buildAdvancedPage();
}

void frmOptions::buildGeneralPage() {
  QWidget* p = froGeneral;
  const QIcon info = style()->standardIcon(QStyle::SP_FileDialogInfoView);
  Heading(p, "General Properties:", 240, 120, 1635, 195);
  Label(p, "Default File Name Format:", 240, 600, 1875, 195);
  lblParameters = Link(p, "Parameters", "Parameters", 4680, 600, 825, 195, info, 4365, 600);
  cboFileName = Named(List(p, 240, 840, 5295, 315), "cboFileName");
  Label(p, "Default Audio Format:", 240, 1440, 1590, 195);
  cboTargetFormat = Named(List(p, 240, 1680, 4305, 315), "cboTargetFormat");
  cmdEditTargetFormat = Button(p, "Edit", 4560, 1680, 975, 320, true);
  cmdEditTargetFormat->setToolTip("Edit Target Audio Formats");
  chkGoToNextItem = Named(Check(p, "Go to next item when done playing an item", 240, 2400, 3615, 255),
                          "chkGoToNextItem");
  chkClearOnExit = Named(Check(p, "Clear the 'Items List' on exit", 240, 2760, 3615, 255), "chkClearOnExit");
  chkSelectTheLastItem =
      Named(Check(p, "Auto select the last Item", 240, 3120, 3615, 255), "chkSelectTheLastItem");
  chkAutoFreeDB = Named(Check(p, "Open the FreeDB service automatically", 240, 3480, 3615, 255), "chkAutoFreeDB");
  chkAutoFreeDB->hide();
  lblMoreAdvancedOptions =
      Link(p, "More advanced options...", "More advanced options", 240, 3960, 1860, 195);
}

void frmOptions::buildEventsPage() {
  QWidget* p = froEvents;
  Heading(p, "Default Events When Done:", 240, 120, 2280, 195);
  chkPlaySound = Named(Check(p, "Play sound", 240, 600, 5295, 255), "chkPlaySound");
  txtPlayAtEnd = memo(p, "txtPlayAtEnd", 240, 840, 5295, 375);
  txtPlayAtEnd->setReadOnly(true);
  txtPlayAtEnd->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  cmdAddSound = Button(p, "Add", 3720, 1320, 855, 255);
  cmdTestSound = Button(p, "Test", 4680, 1320, 855, 255);
  HSeparator(p, 240, 5520, 1680);
  chkNoticeApp = Named(Check(p, "Execute external application", 240, 1920, 5295, 255), "chkNoticeApp");
  txtAppNotice = memo(p, "txtAppNotice", 240, 2160, 5295, 615);
  txtAppNotice->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  lblNoticParameters = Link(p, "Parameters", "Parameters", 555, 2880, 825, 195,
                            style()->standardIcon(QStyle::SP_FileDialogInfoView), 240, 2880);
  cmdTestApp = Button(p, "Test", 4680, 2880, 855, 255);
  HSeparator(p, 240, 5520, 3240);
  chkOpenDestFolder = Named(Check(p, "Open the destination folder", 240, 3480, 3495, 255), "chkOpenDestFolder");
  chkTurnOffComputer = Named(Check(p, "Turn off computer", 240, 3840, 3495, 255), "chkTurnOffComputer");
}

void frmOptions::buildViewPage() {
  QWidget* p = froView;
  Heading(p, "Program View:", 240, 120, 1215, 195);
  chkDisplayTitle = Named(Check(p, "Display Title", 240, 600, 2415, 255), "chkDisplayTitle");
  chkDisplayGridHotTrack =
      Named(Check(p, "Display grid hot track", 3120, 600, 2415, 255), "chkDisplayGridHotTrack");
  chkDisplayPlayer = Named(Check(p, "Display player", 240, 960, 2415, 255), "chkDisplayPlayer");
  chkDisplayGridLine = Named(Check(p, "Display grid lines", 3120, 960, 2415, 255), "chkDisplayGridLine");
  chkDisplayAudioGraph =
      Named(Check(p, "Display the 'Audio Graph'", 240, 1320, 2415, 255), "chkDisplayAudioGraph");
  chkMenuXPStyle = Named(Check(p, "Advanced menus style", 3120, 1320, 2415, 255), "chkMenuXPStyle");
  HSeparator(p, 240, 5520, 2520);
  Label(p, "Application Color", 240, 2760, 1200, 195);
  picColor = Named(Swatch(p, 240, 3000, 5295, 255), "picColor");
  Label(p, "Text Color", 240, 3360, 750, 195);
  picTextColor = Named(Swatch(p, 240, 3600, 5295, 255), "picTextColor");
  const long buttonFace = NumberFromColor(palette().color(QPalette::Button));
  SetControlBackColor(picColor, buttonFace);
  SetControlBackColor(picTextColor, buttonFace);
}

void frmOptions::buildTagsPage() {
  QWidget* p = froTags;
  Heading(p, "Default ID3 Tags:", 240, 120, 1455, 195);
  chkCopyID3FromSource =
      Named(Check(p, "Copy the ID3 tags from source file", 240, 600, 5055, 255), "chkCopyID3FromSource");
  lblTagArtist = Label(p, "Artist:", 240, 960, 390, 195);
  lblID3TagParameters = Link(p, "Parameters", "Parameters", 4680, 960, 825, 195,
                             style()->standardIcon(QStyle::SP_FileDialogInfoView), 4320, 960);
  txtTagArtist = tagBox(p, "txtTagArtist", 240, 1200, 5295);
  lblTagSong = Label(p, "Song:", 240, 1560, 420, 195);
  lblTagAlbum = Label(p, "Album:", 3000, 1560, 480, 195);
  txtTagSong = tagBox(p, "txtTagSong", 240, 1800, 2355);
  txtTagAlbum = tagBox(p, "txtTagAlbum", 3000, 1800, 2535);
  lblTagGenre = Label(p, "Genre:", 240, 2160, 480, 195);
  lblTagTrack = Label(p, "Track:", 3000, 2160, 465, 195);
  txtTagGenre = tagBox(p, "txtTagGenre", 240, 2400, 2355);
  txtTagTrack = tagBox(p, "txtTagTrack", 3000, 2400, 2535);
  lblTagYear = Label(p, "Year:", 240, 2760, 375, 195);
  txtTagYear = tagBox(p, "txtTagYear", 240, 3000, 5295);
  HSeparator(p, 240, 5520, 3360);
  lblTagComment = Label(p, "Comment:", 240, 3480, 705, 195);
  txtTagComment = memo(p, "txtTagComment", 240, 3720, 5295, 435);
  txtTagComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void frmOptions::buildAdvancedPage() {
  QWidget* p = froAdvanced;
  Heading(p, "Advanced Properties:", 240, 120, 1815, 195);
  Label(p, "Items List Main Directory:", 240, 600, 1830, 195);
  lblOpenDestinationDestinationFolder =
      Link(p, "Open destination folder", "Open destination folder", 3000, 600, 1695, 195,
           style()->standardIcon(QStyle::SP_DirOpenIcon), 2685, 585);
  txtToPath = Named(HistoryBox(p, 240, 840, 4545, 315), "txtToPath");
  cmdSelectPath = Button(p, "...", 4800, 840, 735, 320);
  cmdSelectPath->setToolTip("Select a new directory");
  chkDisplayMSGWhenErase = Named(Check(p, "Display a confirmation message when erasing an item", 240, 1680, 4545, 255),
                                 "chkDisplayMSGWhenErase");
  chkDisplayMSGWhenExit = Named(
      Check(p, "Display a confirmation message when exiting the program", 240, 2040, 4545, 255),
      "chkDisplayMSGWhenExit");
  chkSaveLogWhenExit = Named(
      Check(p, "Save the 'Log' to a text file when exiting the program", 240, 2400, 4545, 255), "chkSaveLogWhenExit");
  chkRunWhenWinStarts =
      Named(Check(p, "Run this program when windows is started", 240, 2760, 4545, 255), "chkRunWhenWinStarts");
  chkAutoUpdate = Named(Check(p, "Auto check for new updates", 240, 3120, 4545, 255), "chkAutoUpdate");
  chkAutoUpdate->hide();
  chkDisplayLiveUpdateWindow =
      Named(Check(p, "Display the Live Update window", 240, 3480, 4545, 255), "chkDisplayLiveUpdateWindow");
  chkDisplayLiveUpdateWindow->hide();
}

void frmOptions::connectHandlers() {
  connect(cmdOk, &QPushButton::clicked, this, &frmOptions::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
  connect(cTreeView1, &cTreeView::NodeClick, this, &frmOptions::cTreeView1_NodeClick);
  connect(cTreeView1, &cTreeView::SelectionChanged, this, &frmOptions::cTreeView1_SelectionChanged);
  // The dependent fields follow their box whenever its value changes.
  connect(chkCopyID3FromSource, &QCheckBox::stateChanged, this, &frmOptions::EnableDefaultTagFields);
  connect(chkNoticeApp, &QCheckBox::stateChanged, this, &frmOptions::EnableNoticeAppFields);
  connect(chkPlaySound, &QCheckBox::stateChanged, this, &frmOptions::EnablePlaySoundFields);
  connect(cmdAddSound, &QPushButton::clicked, this, &frmOptions::cmdAddSound_Click);
  connect(cmdTestSound, &QPushButton::clicked, this, &frmOptions::cmdTestSound_Click);
  connect(cmdTestApp, &QPushButton::clicked, this, &frmOptions::cmdTestApp_Click);
  connect(lblNoticParameters, &ClickLabel::Click, this, &frmOptions::lblNoticParameters_Click);
  connect(lblID3TagParameters, &ClickLabel::Click, this, &frmOptions::lblID3TagParameters_Click);
  connect(lblParameters, &ClickLabel::Click, this, &frmOptions::lblParameters_Click);
  connect(cmdEditTargetFormat, &QPushButton::clicked, this, &frmOptions::cmdEditTargetFormat_Click);
  connect(lblMoreAdvancedOptions, &ClickLabel::Click, this, &frmOptions::lblMoreAdvancedOptions_Click);
  connect(cmdSelectPath, &QPushButton::clicked, this, &frmOptions::cmdSelectPath_Click);
  connect(lblOpenDestinationDestinationFolder, &ClickLabel::Click, this,
          &frmOptions::lblOpenDestinationDestinationFolder_Click);
  connect(picColor, &ClickLabel::Click, this, &frmOptions::picColor_Click);
  connect(picTextColor, &ClickLabel::Click, this, &frmOptions::picTextColor_Click);
}

// ---------------------------------------------------------------- load

void frmOptions::Form_Load() {
  const long back = FormBackColor();
  SetControlBackColor(this, back);
  for (QWidget* page : {froGeneral, froEvents, froView, froTags, froAdvanced}) SetControlBackColor(page, back);
  for (QCheckBox* box : findChildren<QCheckBox*>()) SetControlBackColor(box, back);
  chkAutoFreeDB->setVisible(lAppIncCDRipper == 1);
  mdlSetFormIcon32::SetFormIcon(this, "gears", true);
  settings_.hkey = HKEY_LOCAL_MACHINE;
  settings_.KeyRoot = mdlModes::SettingsKeyRoot();

  const QRect tree = cTreeView1->geometry();
  froGeneral->move(tree.right() + 1 + px(200), froGeneral->y());
  for (QWidget* page : {froEvents, froView, froTags, froAdvanced})
    page->setGeometry(froGeneral->x(), froGeneral->y(), froGeneral->width(), tree.height());

  LoadFileNameFormats();
  mdlFunctions::LoadPathHistory(txtToPath);
  if (txtToPath->currentText().isEmpty()) txtToPath->setEditText(defaultItemsListFolder());
  BuildPageTree();
  mdlSupportedDestination::FillDestinationFormats(cboTargetFormat);
  GetOptions();
  cTreeView1_NodeClick(cTreeView1->Nodes().Item(1));
  EnablePlaySoundFields();
  EnableNoticeAppFields();
  EnableDefaultTagFields();
}

void frmOptions::BuildPageTree() {
  cTreeView1->SetImageList(imgMenu);
  for (const Page& page : kPages)
    cTreeView1->Nodes().Add(nullptr, &page == kPages ? 0 : 2, page.key, page.text, page.image, -1);
}

void frmOptions::LoadFileNameFormats() {
  const QString file = ProgramFolder() + "/FileNameFormats.txt";
  if (QFileInfo(file).isFile()) return mdlFunctions::LoadListFromFile(file, cboFileName);
  cboFileName->clear();
  for (const char* format : kBuiltInFileNameFormats) AddItem(cboFileName, format);
}

void frmOptions::GetOptions() {
  RegistryRoutines& s = settings_;
  s.Subkey = "General";
  ReadPosition(s, cboDevices);
  g_lAudioDevice = cboDevices->currentIndex();
  const QString target = Stored(s, "cboTargetFormat");
  if (!target.isEmpty()) {
    SelectText(cboTargetFormat, target);
    g_sDefaultTargetFormat = cboTargetFormat->currentText();
  }
  txtToPath->setEditText(Stored(s, "txtToPath"));
  ReadCheck(s, chkSelectTheLastItem);
  g_bSelectTheLastItem = CheckValue(chkSelectTheLastItem) != 0;
  ReadCheck(s, chkAutoFreeDB);
  g_bAutoFreeDB = CheckValue(chkAutoFreeDB) != 0;
  if (txtToPath->currentText().isEmpty()) {
    txtToPath->setEditText(defaultItemsListFolder());
    if (!QFileInfo(txtToPath->currentText()).isDir()) mdlFunctions::CreateFolderPath(txtToPath->currentText());
    mdlFunctions::SavePathHistory(txtToPath);
    mdlFunctions::LoadPathHistory(txtToPath);
  }
  g_sItemsListFolder = itemsListFolderOf(txtToPath->currentText());
  ReadListText(s, cboFileName);
  g_sDefaultFileNameFormat = cboFileName->currentText();

  const std::pair<QCheckBox*, bool*> general[] = {
      {chkSaveLogWhenExit, nullptr},         {chkDisplayMSGWhenExit, &g_bDisplayMSGWhenExit},
      {chkDisplayMSGWhenErase, &g_bDisplayMSGWhenErase}, {chkGoToNextItem, &g_bGoToNextItem},
      {chkDisplayPlayer, &g_bDisplayPlayer}, {chkClearOnExit, &g_bClearOnExit},
      {chkDisplayAudioGraph, &g_bDisplayAudioGraph}, {chkMenuXPStyle, &g_bMenuXPStyle},
      {chkDisplayGridHotTrack, &g_bDisplayGridHotTrack}, {chkDisplayTitle, &g_bDisplayTitle},
      {chkDisplayGridLine, &g_bDisplayGridLine},
  };
  for (auto [box, value] : general) {
    ReadCheck(s, box);
    if (value) *value = CheckValue(box) != 0;
  }
  ReadColor(s, picColor);
  g_lTitleBackColor = ControlBackColor(picColor);
  ReadColor(s, picTextColor);
  g_lTitleForeColor = ControlBackColor(picTextColor);
  setTitleColors(g_lTitleBackColor, g_lTitleForeColor);
  SetCheckValue(chkRunWhenWinStarts, mdlRunOnStart::IsRunOnStartup() ? 1 : 0);
  ReadCheck(s, chkDisplayLiveUpdateWindow);
  ReadCheck(s, chkAutoUpdate);

  s.Subkey = "Events";
  const std::pair<QCheckBox*, bool*> events[] = {
      {chkOpenDestFolder, &g_bOpenDestFolder}, {chkTurnOffComputer, &g_bTurnOffComputer},
      {chkPlaySound, &g_bPlaySound}};
  for (auto [box, value] : events) {
    ReadCheck(s, box);
    *value = CheckValue(box) != 0;
  }
  setPlayAtEnd(Stored(s, "txtPlayAtEnd"));
  if (txtPlayAtEnd->toPlainText().isEmpty()) setPlayAtEnd(ProgramFolder() + "/sound/notify.wav");
  g_sPlayAtEndFile = txtPlayAtEnd->property("Tag").toString();
  ReadCheck(s, chkNoticeApp);
  g_bNoticeApp = CheckValue(chkNoticeApp) != 0;
  txtAppNotice->setPlainText(Stored(s, "txtAppNotice"));
  g_sAppNotice = txtAppNotice->toPlainText();

  s.Subkey = "ID3 Tags";
  if (Stored(s, "chkCopyID3FromSource").isEmpty()) SetCheckValue(chkCopyID3FromSource, 1);
  else ReadCheck(s, chkCopyID3FromSource);
  g_bCopyID3FromSource = CheckValue(chkCopyID3FromSource) != 0;
  const std::pair<QLineEdit*, QString*> tags[] = {
      {txtTagArtist, &g_sTagArtist}, {txtTagSong, &g_sTagSong}, {txtTagAlbum, &g_sTagAlbum},
      {txtTagTrack, &g_sTagTrack},   {txtTagGenre, &g_sTagGenre}, {txtTagYear, &g_sTagYear}};
  for (auto [box, value] : tags) {
    box->setText(Stored(s, box->objectName()));
    *value = box->text();
  }
  txtTagComment->setPlainText(Stored(s, "txtTagComment"));
  g_sTagComment = txtTagComment->toPlainText();
}

void frmOptions::setPlayAtEnd(const QString& path) {
  txtPlayAtEnd->setProperty("Tag", path);
  txtPlayAtEnd->setPlainText(mdlFunctions::GetFileNameFromPath(path));
  txtPlayAtEnd->setToolTip(path);
}

void frmOptions::setTitleColors(long back, long fore) {
  SetControlBackColor(picTitle, back);
  SetControlForeColor(lblTitle, fore);
}

// ---------------------------------------------------------------- pages

void frmOptions::HideAllPages() {
  for (QWidget* page : {froGeneral, froEvents, froView, froTags, froAdvanced}) page->hide();
}

void frmOptions::cTreeView1_NodeClick(cTreeNode* node) {
  if (!node) return;
  HideAllPages();
  QWidget* const pages[] = {froGeneral, froEvents, froView, froTags, froAdvanced};
  for (int i = 0; i < 5; ++i) {
    if (node->Key() != kPages[i].key) continue;
    pages[i]->show();
    break;
  }
  node->SetSelected(true);
  lblTitle->setText(node->Text());
}

void frmOptions::cTreeView1_SelectionChanged() { cTreeView1_NodeClick(cTreeView1->SelectedItem()); }

void frmOptions::ShowAtPage(const QString& key, QWidget* owner) {
  if (cTreeNode* node = cTreeView1->Nodes().Item(key)) {
    node->SetSelected(true);
    cTreeView1_NodeClick(node);
  }
  ShowModal(owner);
}

void frmOptions::SetDefaultTargetFormat(const QString& text) {
  settings_.Subkey = "General";
  Write(settings_, "cboTargetFormat", text);
  SelectText(cboTargetFormat, text);
  g_sDefaultTargetFormat = text;
}

void frmOptions::SetDefaultFileNameFormat(const QString& text) {
  settings_.Subkey = "General";
  Write(settings_, "cboFileName", text);
  SelectText(cboFileName, text);
  g_sDefaultFileNameFormat = text;
}

void frmOptions::Form_Resize() { cmdOk->setFocus(); }

void frmOptions::EnableDefaultTagFields() {
  const bool enabled = CheckValue(chkCopyID3FromSource) != 1;
  for (QWidget* w : std::initializer_list<QWidget*>{
           lblTagArtist, txtTagArtist, lblTagSong, txtTagSong, lblTagAlbum, txtTagAlbum, lblTagGenre, lblTagTrack,
           txtTagGenre, txtTagTrack, lblTagYear, txtTagYear, lblTagComment, txtTagComment})
    w->setEnabled(enabled);
}

void frmOptions::EnableNoticeAppFields() {
  const bool enabled = CheckValue(chkNoticeApp) == 1;
  txtAppNotice->setEnabled(enabled);
  cmdTestApp->setEnabled(enabled);
}

void frmOptions::EnablePlaySoundFields() {
  const bool enabled = CheckValue(chkPlaySound) == 1;
  txtPlayAtEnd->setEnabled(enabled);
  cmdAddSound->setEnabled(enabled);
  cmdTestSound->setEnabled(enabled);
}

// ---------------------------------------------------------------- OK, Cancel, closing

void frmOptions::cmdOk_Click() {
  storeOptions();
  GetOptions();
  if (frmMain* main = loadedForm<frmMain>()) {
    main->Form_Resize();
    main->cGrid1->SetHotTrack(g_bDisplayGridHotTrack);
    main->cGrid1->SetGridLines(g_bDisplayGridLine);
  }
  Unload();
}

void frmOptions::storeOptions() {
  RegistryRoutines& s = settings_;
  s.Subkey = "General";
  for (QCheckBox* box : {chkClearOnExit, chkDisplayAudioGraph, chkMenuXPStyle, chkSelectTheLastItem, chkAutoFreeDB,
                         chkDisplayPlayer, chkDisplayGridHotTrack, chkDisplayTitle, chkDisplayGridLine})
    WriteCheck(s, box);
  Write(s, "picColor", QString::number(ControlBackColor(picColor)));
  Write(s, "picTextColor", QString::number(ControlBackColor(picTextColor)));
  Write(s, "cboDevices", QString::number(cboDevices->currentIndex()));
  Write(s, "cboTargetFormat", cboTargetFormat->currentText());
  applyItemsListFolder();
  Write(s, "txtToPath", txtToPath->currentText());
  Write(s, "cboFileName", cboFileName->currentText());
  mdlRunOnStart::SetRunOnStartup(CheckValue(chkRunWhenWinStarts) == 1);
  for (QCheckBox* box : {chkSaveLogWhenExit, chkDisplayMSGWhenExit, chkDisplayMSGWhenErase, chkGoToNextItem,
                         chkDisplayLiveUpdateWindow, chkAutoUpdate})
    WriteCheck(s, box);

  s.Subkey = "Events";
  WriteCheck(s, chkOpenDestFolder);
  WriteCheck(s, chkTurnOffComputer);
  WriteCheck(s, chkPlaySound);
  Write(s, "txtPlayAtEnd", txtPlayAtEnd->property("Tag").toString());
  WriteCheck(s, chkNoticeApp);
  Write(s, "txtAppNotice", txtAppNotice->toPlainText());

  s.Subkey = "ID3 Tags";
  WriteCheck(s, chkCopyID3FromSource);
  for (QLineEdit* box : {txtTagArtist, txtTagSong, txtTagAlbum, txtTagGenre, txtTagTrack, txtTagYear})
    Write(s, box->objectName(), box->text());
  Write(s, "txtTagComment", txtTagComment->toPlainText());
}

// A new items-lists folder rebuilds the main window's tree and opens its
// second node, so later changes go to a list of the new folder.
void frmOptions::applyItemsListFolder() {
  const QString folder = itemsListFolderOf(txtToPath->currentText());
  if (folder == g_sItemsListFolder) return;
  g_sItemsListFolder = folder;
  frmMain* main = loadedForm<frmMain>();
  if (!main) return;
  main->setTree();
  cTreeNode* second = main->cTreeView1->Nodes().Item(2);
  if (!second) return;
  second->SetSelected(true);
  main->cTreeView1_NodeClick(second);
}

void frmOptions::cmdCancel_Click() {
  GetOptions();
  Unload();
}

void frmOptions::Form_Unload(int& Cancel) {
  if (!g_bExiting) {
    Cancel = 1;
    Hide();
  }
  PlaySoundFile(QString());  // ends the Test button's sound
}

// ---------------------------------------------------------------- page actions

void frmOptions::cmdAddSound_Click() {
  FileDialogRecord.lpstrFilter = QString("media files (*.wav; *.mp3)") + QChar(0) + "*.wav; *.mp3" + QChar(0) +
                                 "mp3 (*.mp3)" + QChar(0) + "*.mp3" + QChar(0) + "wav (*.wav)" + QChar(0) +
                                 "*.wav" + QChar(0);
  FileDialogRecord.lpstrTitle = "Select files";
  const FileDialogResult r = mdlCommDialog::ShowOpenDialog(this, true);
  if (r.Cancelled || r.Files.size() < 2) return;
  const QString folder = r.Folder.endsWith('/') ? r.Folder : r.Folder + "/";
  setPlayAtEnd(folder + r.Files[1]);
}

void frmOptions::cmdTestSound_Click() {
  // A sound that cannot be played gives the system's default sound.
  if (!PlaySoundFile(txtPlayAtEnd->property("Tag").toString())) QApplication::beep();
}

void frmOptions::cmdTestApp_Click() {
  // Run as typed, placeholders and all, split into arguments without a shell.
  QStringList args = QProcess::splitCommand(txtAppNotice->toPlainText());
  if (args.isEmpty()) return;
  const QString program = args.takeFirst();
  StartProgram(program, args, true);
}

void frmOptions::showLegend(int section) { g_frmProgParameters::ShowAtSection(section, this); }
void frmOptions::lblNoticParameters_Click() { showLegend(0); }
void frmOptions::lblID3TagParameters_Click() { showLegend(1); }
void frmOptions::lblParameters_Click() { showLegend(2); }

void frmOptions::cmdEditTargetFormat_Click() {
  form<g_frmAudioProp>().ShowAtFormat(cboTargetFormat->currentText().left(3), this);
}

void frmOptions::lblMoreAdvancedOptions_Click() { cTreeView1_NodeClick(cTreeView1->Nodes().Item("Advanced")); }

void frmOptions::cmdSelectPath_Click() {
  QString folder = mdlCommDialog::BrowseForFolder("Select a new directory", txtToPath->currentText(), this, true,
                                                  QString(), true, false);
  if (folder.isEmpty()) return;
  if (!folder.endsWith('/')) folder += "/";
  txtToPath->setEditText(folder);
  mdlFunctions::SavePathHistory(txtToPath);
  mdlFunctions::LoadPathHistory(txtToPath);
}

void frmOptions::lblOpenDestinationDestinationFolder_Click() {
  if (!txtToPath->currentText().endsWith('/')) txtToPath->setEditText(txtToPath->currentText() + "/");
  const QString path = txtToPath->currentText();
  if (!QFileInfo(path).isDir()) {
    const int answer = MsgBox("The folder " + path + " does not exist." + QString(44, ' ') +
                                  "\r\n\r\nWould you like to create it?",
                              vbInformation + vbYesNo);
    if (answer != vbYes) return;
    if (mdlFunctions::CreateFolderPath(path) != 0) {
      MsgBox("The path: " + path + " cannot be created.", vbOKOnly);
    } else {
      mdlFunctions::SavePathHistory(txtToPath);
      mdlFunctions::LoadPathHistory(txtToPath);
    }
  }
  mdlFunctions::ShellOpen(this, path);
}

void frmOptions::picColor_Click() {
  const ColorDialogResult r = mdlCommDialog::ShowColorDialog(this, false);
  if (r.Cancelled || r.Color == -1) return;
  SetControlBackColor(picColor, r.Color);
  SetControlBackColor(picTitle, r.Color);
  settings_.Subkey = "Display";
  Write(settings_, "picColor", QString::number(ControlBackColor(picColor)));
  if (frmMain* main = loadedForm<frmMain>()) {
    SetControlBackColor(main->picTitle, r.Color);
    main->cAudioGraphAmp->SetGraphBackColor(r.Color);
    main->cAudioGraphFreq->SetGraphBackColor(r.Color);
  }
}

void frmOptions::picTextColor_Click() {
  const ColorDialogResult r = mdlCommDialog::ShowColorDialog(this, false);
  if (r.Cancelled || r.Color == -1) return;
  settings_.Subkey = "Display";
  Write(settings_, "picTextColor", QString::number(r.Color));
  SetControlBackColor(picTextColor, r.Color);
  SetControlForeColor(lblTitle, r.Color);
  // The main window colours its title through a style sheet.
  if (frmMain* main = loadedForm<frmMain>()) {
    main->lblTitle->setStyleSheet(QString("color: %1;").arg(ColorFromNumber(r.Color).name()));
    main->cAudioGraphAmp->SetGraphForeColor(r.Color);
    main->cAudioGraphFreq->SetGraphForeColor(r.Color);
  }
}
