#include "taskframe/TaskWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTime>

#include "core/TitleColors.h"
#include "core/mdlCommDialog.h"
#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "core/mdlSetFormIcon32.h"
#include "core/mdlShutDown.h"
#include "core/mdlSupportedDestination.h"
#include "lists/ItemRow.h"
#include "mainwindow/frmMain.h"
#include "platform/FileIdentity.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/Sound.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/cGrid.h"
#include "platform/cStatusBar.h"
#include "platform/cTabControl.h"
#include "settings/FormControls.h"
#include "settings/OptionValues.h"
#include "settings/frmOptions.h"
#include "settings/g_frmAudioProp.h"
#include "settings/g_frmProgParameters.h"

using namespace FormControls;

namespace {
constexpr int kWidth = 9900;
constexpr int kHeight = 8460;

const char* const kDestinationFormatNames[] = {"WAV", "ACM WAV", "MP3", "WMA", "OGG", "APE"};

QString replaceAll(QString text, const std::vector<std::pair<QString, QString>>& values) {
  for (const auto& [placeholder, value] : values) text.replace(placeholder, value);
  return text;
}

// A name that stays one piece of a path: no "/" and no control character,
// never "." or "..".
QString safeName(QString name) {
  for (QChar& c : name)
    if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7F) c = u'_';
  return name == "." || name == ".." ? QString() : name;
}

bool tagsFollowTheClock(const cGrid& grid, long row) {
  for (const char* key : {"COL_TAG_ALBUM", "COL_TAG_ARTIST", "COL_TAG_COMMENT", "COL_TAG_GEN", "COL_TAG_TITLE",
                          "COL_TAG_TRACK", "COL_TAG_YEAR"})
    if (ItemRow::Text(grid, row, key).contains("[TIME]")) return true;
  return false;
}

QString localTimeText() {
  QString format = QLocale().timeFormat(QLocale::LongFormat);
  format.remove(u't');
  return QLocale().toString(QTime::currentTime(), format.trimmed());
}
}  // namespace

TaskWindow::TaskWindow(const TaskWindowLook& look) : look_(look) {
  buildFrame();
  buildEventsPage();
  buildSettingsBlocks();
  connectFrame();
}

// ---------------------------------------------------------------- construction

void TaskWindow::buildFrame() {
  FixedDialog(this, look_.caption, kWidth, kHeight);
  picTitle = Panel(this, 0, 0, kWidth, 495);
  lblTitle = Label(picTitle, look_.caption, 120, 75, 6000, 330);
  QFont title("Tahoma");
  title.setPointSizeF(11.25);
  title.setItalic(true);
  lblTitle->setFont(title);

  cGrid1 = new cGrid(this);
  Place(cGrid1, 120, 600, kWidth - 240, 2400);
  cTabControl1 = new cTabControl(this);
  Place(cTabControl1, 120, 3120, kWidth - 240, 3300);
  TabSettings = Panel(this, 0, 0, 100, 100);
  TabEvents = Panel(this, 0, 0, 100, 100);
  TabLog = Panel(this, 0, 0, 100, 100);
  txtLog = new QPlainTextEdit(TabLog);
  txtLog->setReadOnly(true);

  lblFilesToConvert = Label(this, "Files: 0/15", 120, 6540, 4500, 240);
  lblCurrentTrack = Label(this, "Ready.", 120, 6780, 6500, 240);
  if (look_.timeLeft) {
    lblTimeLeft = Label(this, "Time Left: 00:00:00", 7200, 6540, 2580, 240);
    Timer1 = new Timer(this);
    Timer1->SetInterval(1000);
  }
  prgCurrnet = new XP_ProgressBar(this);
  Place(prgCurrnet, 120, 7050, kWidth - 240, 210);
  prgCurrnet->SetMax(100);
  prgTotal = new XP_ProgressBar(this);
  Place(prgTotal, 120, 7320, kWidth - 240, 210);
  cmdConvert = Button(this, look_.startCaption, 5160, 7650, 1455, 375, true);
  cmdAbort = Button(this, "Abort", 6720, 7650, 1455, 375);
  cmdExit = Button(this, "Exit", 8280, 7650, 1455, 375);
  cStatusBar1 = new cStatusBar(this);
  Place(cStatusBar1, 0, kHeight - 330, kWidth, 330);
}

void TaskWindow::buildEventsPage() {
  QWidget* p = TabEvents;
  Label20 = Heading(p, "Events When Done:", 240, 180, 3000, 240);
  chkPlaySound = Check(p, look_.playSoundCaption, 480, 540, 4000, 270);
  chkOpenDestFolder = Check(p, "Open the destination folder", 480, 900, 4000, 270);
  chkNoticeApp = Check(p, look_.noticeAppCaption, 480, 1260, 4000, 270);
  chkTurnOffComputer = Check(p, "Turn off computer", 480, 1620, 4000, 270);
  lblEventsSettings = Link(p, "Events Options...", "", 480, 2100, 2000, 240);
}

void TaskWindow::buildSettingsBlocks() {
  QWidget* p = TabSettings;
  if (look_.destination) {
    Label4 = Label(p, "Destination:", 120, 180, 1300, 240);
    txtToPath = HistoryBox(p, 1560, 120, 6000, 315);
    cmdSelectPath = Button(p, "...", 7620, 120, 420, 315);
    cmdSelectPath->setToolTip("Select a new directory");
    lblSetAsDefaultDestination = Link(p, "Set as default", "Set as default destination", 8160, 180, 1200, 240);
    lblOpenDestinationDestinationFolder =
        Link(p, "Open destination folder", "Open destination folder", 1860, 510, 2500, 240,
             mdlSetFormIcon32::ProgramIcon("document_music"), 1560, 500);
    chkCreateSubFolder = Check(p, "Under a new directory name:", 1560, 840, 3000, 270);
    txtUndeForlder = new QLineEdit(p);
    Place(txtUndeForlder, 4620, 810, 3420, 315);
  }
  if (look_.overwrite) chkOverWrite = Check(p, "Overwrite existing files", 1560, 1200, 3000, 270);
  if (look_.fileNames) {
    Label21 = Label(p, "File Name Format:", 120, 1620, 1400, 240);
    cboFileName = List(p, 1560, 1560, 5000, 315);
    for (const char* t : kBuiltInFileNameFormats) AddItem(cboFileName, t);
    lblSetAsDefaultFileName = Link(p, "Set as default", "", 6660, 1620, 1200, 240);
  }
  if (look_.targetFormat) {
    Label5 = Label(p, "Audio Format:", 120, 2040, 1400, 240);
    cboTargetFormat = List(p, 1560, 1980, 5000, 315);
    cmdEditTargetFormat = Button(p, "Edit", 6660, 1980, 720, 315);
    cmdEditTargetFormat->setToolTip("Edit Target Audio Formats");
    lblSetAsDefaultFormat = Link(p, "Set as default", "Set as default format", 7500, 2040, 1200, 240);
  }
  if (look_.parameters) lblParameters = Link(p, "Parameters", "", 8160, 1620, 1200, 240);
}

void TaskWindow::connectFrame() {
  connect(cTabControl1, &cTabControl::TabClick, this, &TaskWindow::cTabControl1_TabClick);
  connect(cmdExit, &QPushButton::clicked, this, &TaskWindow::cmdExit_Click);
  connect(lblEventsSettings, &ClickLabel::Click, this, &TaskWindow::lblEventsSettings_Click);
  if (txtToPath) {
    connect(txtToPath, &QComboBox::currentIndexChanged, this, &TaskWindow::txtToPath_Click);
    connect(cmdSelectPath, &QPushButton::clicked, this, &TaskWindow::cmdSelectPath_Click);
    connect(lblSetAsDefaultDestination, &ClickLabel::Click, this, &TaskWindow::lblSetAsDefaultDestination_Click);
    connect(lblOpenDestinationDestinationFolder, &ClickLabel::Click, this,
            &TaskWindow::lblOpenDestinationDestinationFolder_Click);
    connect(chkCreateSubFolder, &QCheckBox::stateChanged, this, &TaskWindow::chkCreateSubFolder_Click);
  }
  if (cboFileName) {
    connect(cboFileName, &QComboBox::currentIndexChanged, this, &TaskWindow::cboFileName_Click);
    connect(lblSetAsDefaultFileName, &ClickLabel::Click, this, &TaskWindow::lblSetAsDefaultFileName_Click);
  }
  if (cboTargetFormat) {
    connect(cboTargetFormat, &QComboBox::currentIndexChanged, this, &TaskWindow::cboTargetFormat_Click);
    connect(lblSetAsDefaultFormat, &ClickLabel::Click, this, &TaskWindow::lblSetAsDefaultFormat_Click);
    connect(cmdEditTargetFormat, &QPushButton::clicked, this, &TaskWindow::cmdEditTargetFormat_Click);
  }
  if (lblParameters) connect(lblParameters, &ClickLabel::Click, this, &TaskWindow::lblParameters_Click);
}

// ---------------------------------------------------------------- load and close

void TaskWindow::Form_Load() {
  mdlSetFormIcon32::SetFormIcon(this, look_.icon, true);
  SetControlBackColor(picTitle, g_lTitleBackColor);
  SetControlForeColor(lblTitle, g_lTitleForeColor);
  bool numeric = false;
  const long back = g_sFormBackColor.toLong(&numeric);
  if (numeric) {
    SetBackColor(back);
    for (QWidget* w : std::initializer_list<QWidget*>{TabSettings, TabEvents, TabLog, chkPlaySound,
                                                      chkOpenDestFolder, chkTurnOffComputer, chkNoticeApp})
      SetControlBackColor(w, back);
    for (QWidget* w : std::initializer_list<QWidget*>{chkCreateSubFolder, chkOverWrite})
      if (w) SetControlBackColor(w, back);
  }
  prgCurrnet->SetBarColor(g_lTitleBackColor);
  prgTotal->SetBarColor(g_lTitleBackColor);
  cTabControl1->SetImageList(loadedForm<frmMain>() ? loadedForm<frmMain>()->imgMenu : nullptr);
  cTabControl1->AddTab(look_.firstTab, look_.firstTabImage, -1, "Settings");
  cTabControl1->AddTab("Events        ", 10, -1, "Events");
  cTabControl1->AddTab("Log             ", 36, -1, "Log");
  placePages();
  HideTabPages();
  TabSettings->setVisible(true);
  Place(txtLog, 100, 100, twips(TabLog->width()) - 200, twips(TabLog->height()) - 200);
  frmMain::InitItemGrid(*cGrid1, loadedForm<frmMain>() ? loadedForm<frmMain>()->imgMenu : nullptr, true);
  if (txtToPath) {
    mdlFunctions::LoadPathHistory(txtToPath);
    if (txtToPath->currentText().isEmpty()) txtToPath->setEditText(ProgramFolder() + "/Main/");
  }
  if (cboFileName) {
    LoadFileNameFormats();
    if (!g_sDefaultFileNameFormat.isEmpty()) SelectText(cboFileName, g_sDefaultFileNameFormat);
    else if (cboFileName->count() > 1) cboFileName->setCurrentIndex(1);
  }
  if (cboTargetFormat) {
    mdlSupportedDestination::FillDestinationFormats(cboTargetFormat);
    SelectText(cboTargetFormat, form<frmOptions>().cboTargetFormat->currentText());
  }
  setEventBoxesFromOptions();
  cStatusBar1->AddPanel(0, "", "", -1, 200, false, false, 0, "Total Size");
  cStatusBar1->AddPanel(0, "", "", -1, 64, false, false, 0, "Total Time");
  LoadOwnControls();
  if (chkCreateSubFolder) CheckUnderFolderEna();
}

void TaskWindow::placePages() {
  for (QWidget* page : {TabSettings, TabEvents, TabLog}) {
    Place(page, cTabControl1->ClientLeft() - 50, cTabControl1->ClientTop(), cTabControl1->ClientWidth() + 50,
          cTabControl1->ClientHeight());
    page->raise();
  }
}

void TaskWindow::setEventBoxesFromOptions() {
  SetCheckValue(chkNoticeApp, BoolToCheckValue(g_bNoticeApp));
  SetCheckValue(chkOpenDestFolder, BoolToCheckValue(g_bOpenDestFolder));
  SetCheckValue(chkPlaySound, BoolToCheckValue(g_bPlaySound));
  SetCheckValue(chkTurnOffComputer, BoolToCheckValue(g_bTurnOffComputer));
}

void TaskWindow::Form_Unload(int& Cancel) {
  if (!cmdConvert->isEnabled()) {
    Cancel = 1;
    return;
  }
  CloseJobControl();
}

void TaskWindow::cmdExit_Click() { Unload(); }

void TaskWindow::HideTabPages() {
  TabSettings->setVisible(false);
  TabEvents->setVisible(false);
  TabLog->setVisible(false);
}

void TaskWindow::cTabControl1_TabClick(long) {
  HideTabPages();
  const QString key = cTabControl1->TabKey(cTabControl1->SelectedTab());
  if (key == "Settings") TabSettings->setVisible(true);
  else if (key == "Events") TabEvents->setVisible(true);
  else if (key == "Log") TabLog->setVisible(true);
}

// ---------------------------------------------------------------- target format

void TaskWindow::SetDestination() {
  const long position = mdlSupportedDestination::GetDestinationFormatIndex(cboTargetFormat->currentText());
  HandOverFormat(position);
  Log(QString("Destination format: ") + kDestinationFormatNames[position]);
}

void TaskWindow::cboTargetFormat_Click() {
  lblSetAsDefaultFormat->setEnabled(cboTargetFormat->currentText() != g_sDefaultTargetFormat);
}

void TaskWindow::lblSetAsDefaultFormat_Click() {
  form<frmOptions>().SetDefaultTargetFormat(cboTargetFormat->currentText());
  lblSetAsDefaultFormat->setEnabled(false);
}

void TaskWindow::cmdEditTargetFormat_Click() {
  form<g_frmAudioProp>().ShowAtFormat(cboTargetFormat->currentText().left(3));
  cboTargetFormat->setCurrentIndex(form<frmOptions>().cboTargetFormat->currentIndex());
  lblSetAsDefaultFormat_Click();
}

// ---------------------------------------------------------------- output names

void TaskWindow::LoadFileNameFormats() {
  const QString file = mdlFunctions::FileNameFormatsFile();
  if (!QFileInfo(file).isFile() || QFileInfo(file).isHidden()) return;
  mdlFunctions::LoadListFromFile(file, cboFileName);
}

// An empty box hands WAV over (SetDestination), so its files are named so too.
QString TaskWindow::DestExtension() const {
  const QString text = cboTargetFormat ? cboTargetFormat->currentText() : QString();
  const long position = mdlSupportedDestination::GetDestinationFormatIndex(text);
  return mdlSupportedDestination::FormatKey(int(position)).toLower();
}

QString TaskWindow::GetTargetFileName(long row) {
  QString name = cboFileName->currentIndex() < 0 ? QString() : cboFileName->currentText();
  const QString file = ItemRow::Text(*cGrid1, row, "COL_FILE");
  const QString itemName = ItemRow::Text(*cGrid1, row, "Item Name");
  name.replace("[123]", QString::number(row));
  name.replace("[file_name]", safeName(mdlFunctions::RemoveFileExt(mdlFunctions::GetFileNameFromPath(file))));
  name.replace("[source_extension]", safeName(mdlFunctions::GetExtension(itemName).toLower()));
  name.replace("[dest_extension]", DestExtension());
  name.replace("[convert_extension]", DestExtension());
  name.replace("[time]", QTime::currentTime().toString("HH:mm:ss").replace(u':', u'-'));
  name.replace("[date]", QLocale().toString(QDate::currentDate(), QLocale::ShortFormat).replace(u'/', u'-'));
  name.replace("[item_name]", safeName(itemName));
  // Template lines come from a file too: the whole name is made safe once more,
  // and a name from a long title is cut so that the file can be created.
  return mdlFunctions::CapFileNameLength(safeName(name));
}

void TaskWindow::cboFileName_Click() {
  lblSetAsDefaultFileName->setEnabled(cboFileName->currentText() != g_sDefaultFileNameFormat);
}

void TaskWindow::lblSetAsDefaultFileName_Click() {
  form<frmOptions>().SetDefaultFileNameFormat(cboFileName->currentText());
  lblSetAsDefaultFileName->setEnabled(false);
}

// ---------------------------------------------------------------- tags

void TaskWindow::SetID3Tags(long row) {
  auto tag = [&](const char* key) { return CreateID3TagsString(ItemRow::Text(*cGrid1, row, key)); };
  ApplyTags({tag("COL_TAG_ALBUM"), tag("COL_TAG_ARTIST"), tag("COL_TAG_COMMENT"), tag("COL_TAG_GEN"),
             tag("COL_TAG_TITLE"), tag("COL_TAG_TRACK"), tag("COL_TAG_YEAR")});
}

QString TaskWindow::CreateID3TagsString(QString text) {
  return ExpandTagText(text, cGrid1->SelectedRow(), ExtraTagValues());
}

QString TaskWindow::ExpandTagText(const QString& text, long trackNumber,
                                  std::vector<std::pair<QString, QString>> extra) {
  std::vector<std::pair<QString, QString>> values = {
      {"[DATE]", QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)},
      {"[TIME]", localTimeText()},
      {"[TRACK_NUM]", QString::number(trackNumber)},
      {"[PROG_NAME]", g_sAppName},
      {"[PROG_VERSION]", g_sAppVersion}};
  for (auto& e : extra) values.push_back(std::move(e));
  values.emplace_back("[YEAR]", QString::number(QDate::currentDate().year()));
  return replaceAll(text, values);
}

bool RowIsWhole(const cGrid& grid, long row) { return ItemRow::Text(grid, row, "COL_RANGE_ALL") == "1"; }

double RowRangeStart(const cGrid& grid, long row) {
  return ItemRow::LeadingNumber(ItemRow::Text(grid, row, "COL_RANGE_START_TIME"));
}

double RowRangeLength(const cGrid& grid, long row) {
  return ItemRow::LeadingNumber(ItemRow::Text(grid, row, "COL_RANGE_LENGTH_TIME"));
}

void TaskWindow::ShowRowProgress(long row, long percent) {
  prgCurrnet->SetValue(percent);
  prgTotal->SetValue((row - 1) * 100 + percent);
}

long TaskWindow::SecondsDone(long percent, long itemSecs) {
  return mdlFunctions::RoundHalfEven(double(percent) / 100.0 * double(itemSecs));
}

void TaskWindow::AnnounceItem(long row, const QString& logVerb) {
  lblCurrentTrack->setText(mdlFunctions::GetFileNameFromPath(ItemRow::Text(*cGrid1, row, "COL_FILE")));
  lblFilesToConvert->setText("Files: " + QString::number(row) + "/" + QString::number(cGrid1->Rows()));
  Log(logVerb + lblCurrentTrack->text() + "...");
}

QString TaskWindow::LogItemError(long code, const QString& text) {
  m_bRunError = true;
  const QString line = "Error: " + text + "(" + QString::number(code) + ")";
  Log(line);
  return line;
}

void TaskWindow::ShowErrorLine(const QString& line) {
  lblCurrentTrack->setText(line);
  SetCaption(line);
}

long TaskWindow::ItemSeconds(long row) const {
  return RowIsWhole(*cGrid1, row) ? mdlFunctions::TimeTextToSeconds(ItemRow::Text(*cGrid1, row, "Time"))
                                  : ItemRow::WholeSeconds(RowRangeLength(*cGrid1, row));
}

QString TaskWindow::ConvertingCaption() const {
  const double total = prgTotal->Max() > 0 ? double(prgTotal->Value()) / double(prgTotal->Max()) * 100.0 : 0.0;
  return "Converting... [ " + QString::number(prgCurrnet->Value()) + "% / " + QLocale().toString(total, 'g', 15) +
         "% ]";
}

std::vector<std::pair<QString, QString>> TaskWindow::ItemTagValues(long row) {
  return {{"[SOURCE_NAME]", mdlFunctions::GetFileNameFromPath(ItemRow::Text(*cGrid1, row, "COL_FILE"))},
          {"[ITEM_NAME]", ItemRow::Text(*cGrid1, row, "Item Name")},
          {"[RANGE]", ItemRow::Text(*cGrid1, row, "Range")}};
}

// ---------------------------------------------------------------- destination

void TaskWindow::reloadHistory() {
  mdlFunctions::SavePathHistory(txtToPath);
  mdlFunctions::LoadPathHistory(txtToPath);
  lblSetAsDefaultDestination->setEnabled(false);
}

void TaskWindow::cmdSelectPath_Click() {
  const QString folder =
      mdlCommDialog::BrowseForFolder("Select a new directory", txtToPath->currentText(), this, true, QString(), true);
  if (folder.isEmpty()) return;
  txtToPath->setEditText(mdlFunctions::FolderWithSlash(folder));
  reloadHistory();
}

void TaskWindow::txtToPath_Click() { lblSetAsDefaultDestination->setEnabled(txtToPath->currentIndex() >= 1); }

void TaskWindow::lblSetAsDefaultDestination_Click() { reloadHistory(); }

void TaskWindow::lblOpenDestinationDestinationFolder_Click() {
  if (!txtToPath->currentText().endsWith(u'/')) txtToPath->setEditText(txtToPath->currentText() + u'/');
  const QString folder = OutputFolder();
  if (!QFileInfo(folder).isDir()) {
    const int answer = MsgBox("The folder " + folder + " does not exist." + QString(44, u' ') +
                                  "\r\n\r\nWould you like to create it?",
                              vbYesNo | vbInformation, AppTitle());
    if (answer != vbYes) return;
    if (mdlFunctions::CreateFolderPath(folder) != 0)
      MsgBox("The path: " + folder + " cannot be created.", vbOKOnly, AppTitle());
    else
      reloadHistory();
  }
  mdlFunctions::ShellOpen(this, OutputFolder());
}

void TaskWindow::chkCreateSubFolder_Click() { CheckUnderFolderEna(); }

void TaskWindow::CheckUnderFolderEna() {
  const bool on = CheckValue(chkCreateSubFolder) == 1;
  txtUndeForlder->setEnabled(on);
  if (!on) return;
  txtUndeForlder->setFocus();
  txtUndeForlder->selectAll();
}

QString TaskWindow::GetSubFolder() const {
  if (!chkCreateSubFolder || CheckValue(chkCreateSubFolder) != 1 || txtUndeForlder->text().isEmpty()) return {};
  return txtUndeForlder->text() + u'/';
}

// A destination typed without its closing "/" still names the folder.
QString TaskWindow::OutputFolder() const {
  return mdlFunctions::FolderWithSlash(txtToPath->currentText()) + GetSubFolder();
}

// ---------------------------------------------------------------- end of a job

void TaskWindow::DoEndEvents() {
  if (CheckValue(chkPlaySound) == 1) PlaySoundFile(g_sPlayAtEndFile);
  if (CheckValue(chkOpenDestFolder) == 1 && !FolderToOpenWhenDone().isEmpty())
    mdlFunctions::ShellOpen(this, FolderToOpenWhenDone());
  if (CheckValue(chkNoticeApp) == 1) RunNoticeApp();
  EndOfJobDiscAction();
  if (!m_bRunError && CheckValue(chkTurnOffComputer) == 1) mdlShutDown::ShowTurnOffDialog(30);
}

void TaskWindow::UpdateTimeLeft(long ticks, long itemSecsDone, long secsDone, long secsTotal) {
  long left = 0;
  if (itemSecsDone > 0) {
    const double done = double(itemSecsDone + secsDone);
    left = mdlFunctions::RoundHalfEven(double(ticks) / done * (double(secsTotal) - done));
  }
  if (left <= 0) return;
  lblTimeLeft->setText("Time Left: " + ItemRow::TimeText(left));
  if (Running()) return;
  Timer1->SetEnabled(false);
  lblTimeLeft->setText("Time Left: 00:00:00");
}

void TaskWindow::RunNoticeApp() {
  frmMain* main = loadedForm<frmMain>();
  const QStringList command = main ? main->GetNoticAppParameters() : QStringList();
  if (!command.isEmpty()) StartProgram(command.first(), command.mid(1), true);
}

void TaskWindow::lblEventsSettings_Click() {
  form<frmOptions>().ShowAtPage("Events");
  setEventBoxesFromOptions();
}

void TaskWindow::lblParameters_Click() { g_frmProgParameters::ShowAtSection(2); }

QString TaskWindow::AppTitle() { return g_sAppName + " " + g_sAppVersion; }

void TaskWindow::ShowTrayBalloon(const QString& text, int seconds) {
  if (frmMain* main = loadedForm<frmMain>()) main->cSysTray1->ShowBalloon(text, AppTitle(), 1, seconds * 1000);
}

// ---------------------------------------------------------------- run helpers

void TaskWindow::WorkRowsAhead(cAudioJobControl& control) {
  // Ended at the run's end even when nothing is queued: a control may hold places for the run.
  aheadControl_ = &control;
  const long rows = cGrid1->Rows();
  if (rows < 2 || cAudioJobControl::WorkAheadThreads() < 2) return;
  // Named as their turns will name them; the turns take the names again.
  const QSet<QString> runOutputs = m_runOutputs;
  std::vector<QString> outputs(rows + 1);
  QHash<QString, int> uses;
  for (long row = 1; row <= rows; ++row) {
    if (!RowInRun(row)) continue;
    const QString name = GetTargetFileName(row);
    outputs[row] = RowOutput(name.isEmpty() ? QString() : OutputFolder() + name);
    if (!outputs[row].isEmpty()) uses[FileKey(outputs[row])] += 1;
    uses[FileKey(ItemRow::Text(*cGrid1, row, "COL_FILE"))] += 1;
  }
  m_runOutputs = runOutputs;
  for (long row = 1; row <= rows; ++row) {
    const QString& output = outputs[row];
    if (output.isEmpty() || uses.value(FileKey(output)) > 1 || QFileInfo::exists(output) || RowFollowsTheClock(row))
      continue;
    SetUpRowJob(row, output);
    control.PrepareAhead();
  }
}

void TaskWindow::EndWorkAhead() {
  if (aheadControl_) aheadControl_->EndWorkAhead();
  aheadControl_ = nullptr;
}

void TaskWindow::SetUpConversion(cAudioConverter& converter, long row, const QString& output) {
  cGrid1->SetSelectedRow(row);
  SetID3Tags(row);
  converter.SetInputFile(ItemRow::Text(*cGrid1, row, "COL_FILE"));
  SetRowRange(converter, *cGrid1, row);
  converter.SetOutputFile(output);
}

bool TaskWindow::RowFollowsTheClock(long row) const {
  return (cboFileName && cboFileName->currentText().contains("[time]")) || tagsFollowTheClock(*cGrid1, row);
}

void TaskWindow::Log(const QString& message) { mdlFunctions::AddLogLine(message, txtLog); }

void TaskWindow::BeginRunLog(const QString& preparingLine) {
  if (!txtLog->toPlainText().isEmpty()) {
    txtLog->moveCursor(QTextCursor::End);
    txtLog->insertPlainText("\n");
  }
  if (txtToPath) {
    mdlFunctions::SavePathHistory(txtToPath);
    mdlFunctions::LoadPathHistory(txtToPath);
  }
  Log(preparingLine);
}

void TaskWindow::CreateSubFolderWhenTicked() {
  if (CheckValue(chkCreateSubFolder) != 1) return;
  QString folder = OutputFolder();
  folder.chop(1);
  mdlFunctions::CreateFolderPath(folder);
}

void TaskWindow::BringLogToFront() {
  cTabControl1->SelectTab("Log");
  cTabControl1_TabClick(cTabControl1->TabIndex("Log"));
}

void TaskWindow::SetButtonsEnabled(bool enabled) {
  cmdConvert->setEnabled(enabled);
  cmdExit->setEnabled(enabled);
}

bool TaskWindow::Running() const { return !cmdConvert->isEnabled(); }

// The run may end while the question is open: nothing is left to abort then.
bool TaskWindow::ConfirmAbort() {
  return Running() && MsgBox("Abort operation?" + QString(38, u' '), vbYesNo | vbInformation) == vbYes && Running();
}

QString TaskWindow::OutputPathOrError(const QString& name) {
  if (!name.isEmpty()) return OutputFolder() + name;
  m_bRunError = true;
  const QString text = "Error: The file name template gives no name for this item.";
  Log(text);
  lblCurrentTrack->setText(text);
  return {};
}

QString TaskWindow::UniqueInRun(const QString& path) {
  if (path.isEmpty()) return path;
  const QString folder = mdlFunctions::GetFolderPath(path);
  const QString file = mdlFunctions::GetFileNameFromPath(path);
  QString unique = path;
  for (int n = 2; m_runOutputs.contains(unique.toLower()); ++n) unique = folder + mdlFunctions::NumberedFileName(file, n);
  m_runOutputs.insert(unique.toLower());
  return unique;
}

long TaskWindow::AskOverwrite(const QString& path) {
  if ((chkOverWrite && CheckValue(chkOverWrite) == 1) || !QFileInfo(path).exists()) return 0;
  Log("File already exists.");
  switch (MsgBox("The file: '" + path + "' already exists.\r\n\r\nOverwrite it?", vbYesNoCancel | vbInformation)) {
    case vbYes: Log("Overwrite it..."); return 0;
    case vbNo: return 1;
    default: return 2;
  }
}

void TaskWindow::EndRunCancelled() {
  lblCurrentTrack->setText("Aborted.");
  SetCaption("Aborted.");
  ShowTrayBalloon("Aborted.");
}

void TaskWindow::EndRunFailed(const QString& text, const QString& caption) {
  Log(text);
  lblCurrentTrack->setText(text);
  SetCaption(caption);
  ShowTrayBalloon(text);
  Timer1->SetEnabled(false);
}

void TaskWindow::EndRunAborted() {
  SetButtonsEnabled(true);
  Log("Aborted.");
  lblCurrentTrack->setText("Aborted.");
  SetBusy(false);
  SetCaption("Aborted.");
}
