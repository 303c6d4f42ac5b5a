#include "tools/disc/g_frmDataBurner3.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <unistd.h>

#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "lists/ItemRow.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "platform/UserSettings.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/burn/cAudioDataBurner.h"
#include "platform/burn/cBurner.h"
#include "platform/cd/CdTrackPaths.h"
#include "platform/cGrid.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"

using namespace FormControls;

namespace {
TaskWindowLook dataBurnerLook() {
  TaskWindowLook look;
  look.caption = "Audio Data Burner";
  look.icon = "cd_music";
  look.firstTab = "Options        ";
  look.firstTabImage = 72;
  look.startCaption = "Burn";
  look.noticeAppCaption = "Execute external program ";
  look.destination = false;
  look.overwrite = false;
  look.fileNames = true;
  look.targetFormat = true;
  look.parameters = true;
  look.timeLeft = true;
  return look;
}

// The window's own templates, used when no template file replaces them.
const char* const kDataDiscFileNameFormats[] = {
    "[file_name].[dest_extension]",       "[file_name].[source_extension].[dest_extension]",
    "[file_name]_[123].[dest_extension]", "[file_name]_[123].[source_extension].[dest_extension]",
    "[123].[dest_extension]",             "[123].[source_extension].[dest_extension]"};

constexpr long kMaxSpeed = 65535;
// Where the second engine's libraries come from.
const char* const kLibburnPage = "https://packages.debian.org/bookworm/libburn4";
constexpr long kBytesPerSecondAt1x = 176;  // KB/s of a 1x audio CD

}  // namespace

g_frmDataBurner3::g_frmDataBurner3() : TaskWindow(dataBurnerLook()), m_staging(RunFolder::SharedFolder(RunFolder::Place::Staging)) {
  setObjectName("g_frmDataBurner3");
  cAudioConverter1 = new cAudioConverter(this);
  cAudioDataBurner1 = new cAudioDataBurner(this);
  cBurner1 = new cBurner(this);
  QWidget* p = TabSettings;
  lblEngine = Label(p, "Burning Engine:", 120, 180, 1400, 240);
  cmbEngine = List(p, 1560, 120, 3000, 315);
  cmbEngine->addItem("IMAPI V1 - CDs only.");
  cmbEngine->addItem("IMAPI V2 - CDs / DVDs");
  cmbEngine->setCurrentIndex(-1);
  lblDrv = Label(p, "Destination CD:", 120, 560, 1400, 240);
  cboDrv = List(p, 1560, 500, 5000, 315);
  lblOpenCDDoor = Link(p, "Open", "Open CD", 6660, 560, 600, 240);
  lblCloseCDDoor = Link(p, "Close", "Close CD", 7320, 560, 600, 240);
  lblRefreshCDInfo = Link(p, "Refresh", "Refresh CD Information", 7980, 560, 900, 240);
  lblSpeed = Label(p, "Speeds:", 120, 940, 1400, 240);
  cboSpeed = List(p, 1560, 880, 3000, 315);
  lblSpeed->setVisible(false);
  cboSpeed->setVisible(false);
  lblFileSys = Label(p, "File Sytem:", 120, 940, 1400, 240);
  chkISO = Check(p, "ISO", 1560, 920, 900, 270);
  chkJOLIET = Check(p, "JOLIET", 2520, 920, 1100, 270);
  chkUDF = Check(p, "UDF", 3720, 920, 900, 270);
  SetCheckValue(chkISO, 1);
  SetCheckValue(chkJOLIET, 1);
  lblCDName = Label(p, "CD Name:", 120, 1290, 1400, 240);
  txtCDName = new QLineEdit(p);
  Place(txtCDName, 1560, 1230, 3000, 315);
  lblCDStatus = Label(p, "Ready.", 4680, 1290, 4000, 240);
  lblCDFormat = Label5;
  lblCDFormat->setText("CD Format:");
  chkDoNotConvertSource = Check(
      p, "Do not convert the source items (burn the Items List with the same format they are)", 120, 2400, 9000, 270);
  chkEraseTempfiles = Check(TabEvents, "Erase Temp files", 4800, 540, 4000, 270);
  chkOpenCDdrive = Check(TabEvents, "Eject the CD door", 4800, 900, 4000, 270);
  SetCheckValue(chkEraseTempfiles, 1);
  SetCheckValue(chkOpenCDdrive, 1);
  lblErasetempfilesnow = Link(TabEvents, "Erase temp files now.", "", 4800, 2100, 2500, 240);

  connect(cmbEngine, &QComboBox::currentIndexChanged, this, &g_frmDataBurner3::cmbEngine_Click);
  connect(cboDrv, &QComboBox::currentIndexChanged, this, &g_frmDataBurner3::cboDrv_Click);
  connect(lblOpenCDDoor, &ClickLabel::Click, this, &g_frmDataBurner3::lblOpenCDDoor_Click);
  connect(lblCloseCDDoor, &ClickLabel::Click, this, &g_frmDataBurner3::lblCloseCDDoor_Click);
  connect(lblRefreshCDInfo, &ClickLabel::Click, this, &g_frmDataBurner3::lblRefreshCDInfo_Click);
  connect(lblErasetempfilesnow, &ClickLabel::Click, this, &g_frmDataBurner3::lblErasetempfilesnow_Click);
  connect(chkDoNotConvertSource, &QCheckBox::stateChanged, this, &g_frmDataBurner3::chkDoNotConvertSource_Click);
  connect(cmdConvert, &QPushButton::clicked, this, &g_frmDataBurner3::cmdConvert_Click);
  connect(cmdAbort, &QPushButton::clicked, this, &g_frmDataBurner3::cmdAbort_Click);
  connect(Timer1, &Timer::Tick, this, &g_frmDataBurner3::Timer1_Timer);
  connect(cAudioConverter1, &cAudioConverter::Progress, this, &g_frmDataBurner3::cAudioConverter1_Progress);
  connect(cAudioConverter1, &cAudioConverter::Done, this, &g_frmDataBurner3::cAudioConverter1_Done);
  connect(cAudioConverter1, &cAudioConverter::Aborted, this, &g_frmDataBurner3::cAudioConverter1_Aborted);
  connect(cAudioConverter1, &cAudioConverter::Error, this, &g_frmDataBurner3::cAudioConverter1_Error);
  connect(cAudioDataBurner1, &cAudioDataBurner::Progress, this, &g_frmDataBurner3::cAudioDataBurner1_Progress);
  connect(cAudioDataBurner1, &cAudioDataBurner::ClosingSession, this,
          &g_frmDataBurner3::cAudioDataBurner1_ClosingSession);
  connect(cAudioDataBurner1, &cAudioDataBurner::BurnStarted, this, &g_frmDataBurner3::cAudioDataBurner1_BurnStarted);
  connect(cAudioDataBurner1, &cAudioDataBurner::Finished, this, &g_frmDataBurner3::cAudioDataBurner1_Finished);
  connect(cAudioDataBurner1, &cAudioDataBurner::Error, this, &g_frmDataBurner3::cAudioDataBurner1_Error);
  connect(cBurner1, &cBurner::Error, this, &g_frmDataBurner3::cBurner1_Error);
  connect(cBurner1, &cBurner::DoneBurn, this, &g_frmDataBurner3::cBurner1_DoneBurn);
  connect(cBurner1, &cBurner::Canceled, this, &g_frmDataBurner3::cBurner1_Canceled);
  connect(cBurner1, &cBurner::End, this, &g_frmDataBurner3::cBurner1_End);
  connect(cBurner1, &cBurner::Progress, this, &g_frmDataBurner3::cBurner1_Progress);
  connect(cBurner1, &cBurner::Finalization, this, &g_frmDataBurner3::cBurner1_Finalization);
  connect(cBurner1, &cBurner::Initializing, this, &g_frmDataBurner3::cBurner1_Initializing);
  connect(cBurner1, &cBurner::Completed, this, &g_frmDataBurner3::cBurner1_Completed);
  connect(cBurner1, &cBurner::StartBurning, this, &g_frmDataBurner3::cBurner1_StartBurning);
  connect(cBurner1, &cBurner::ItemsCounted, this, &g_frmDataBurner3::cBurner1_ItemsCounted);
  connect(cBurner1, &cBurner::AddingFile, this, &g_frmDataBurner3::cBurner1_AddingFile);
}

// ---------------------------------------------------------------- load and close

void g_frmDataBurner3::LoadOwnControls() {
  bool numeric = false;
  const long back = g_sFormBackColor.toLong(&numeric);
  if (numeric)
    for (QWidget* w : std::initializer_list<QWidget*>{chkDoNotConvertSource, chkOpenCDdrive, chkEraseTempfiles, chkISO,
                                                      chkUDF, chkJOLIET})
      SetControlBackColor(w, back);
  FillDriveListV1();
  const double stored = ItemRow::LeadingNumber(GetSetting(g_sAppName, "BurnerEngine", "cmbEngine", "0"));
  const long engine = mdlFunctions::RoundHalfEven(stored);
  // The list starts without a choice, so setting it runs the engine handling.
  if (engine == 0 || engine == 1) cmbEngine->setCurrentIndex(int(engine));
  cboFileName->clear();
  for (const char* t : kDataDiscFileNameFormats) AddItem(cboFileName, t);
  LoadFileNameFormats();
  if (cboFileName->count() > 0) cboFileName->setCurrentIndex(0);
  g_ltmrItemSecsTotal = 0;
  m_ltmrItemSecsDone = 0;
  m_ltmrTicks = 0;
  m_ltmrItemSecs = 0;
  m_ltmrSecsDone = 0;
  EnableTargetFormat();
}

void g_frmDataBurner3::CloseJobControl() {
  m_staging.Remove();
  SaveSetting(g_sAppName, "BurnerEngine", "cmbEngine", QString::number(cmbEngine->currentIndex()));
  cAudioConverter1->CloseConverter();
  cAudioDataBurner1->CloseBurner();
}

void g_frmDataBurner3::HandOverFormat(long position) { OutputFormatStore::HandOver(*cAudioConverter1, position); }

void g_frmDataBurner3::ApplyTags(const TagSet& tags) { SetControlTags(*cAudioConverter1, tags); }

// A copied file keeps its own type, so it keeps its own extension too.
QString g_frmDataBurner3::DestExtension() const {
  if (!m_bCopyMode) return TaskWindow::DestExtension();
  const QString file = ItemRow::Text(*cGrid1, m_lNamingRow, "COL_FILE");
  return mdlFunctions::GetExtension(mdlFunctions::GetFileNameFromPath(file)).toLower();
}

// ---------------------------------------------------------------- engine and writers

void g_frmDataBurner3::cmbEngine_Click() {
  const bool second = cmbEngine->currentIndex() != 0;
  for (QWidget* w : std::initializer_list<QWidget*>{chkJOLIET, chkISO, chkUDF, lblFileSys}) w->setVisible(second);
  if (!second) {
    FillDriveListV1();
    return;
  }
  if (IsIMAPI2Installed()) FillDriveListV2();
  else cmbEngine->setCurrentIndex(0);
}

bool g_frmDataBurner3::IsIMAPI2Installed() {
  const QStringList missing = cBurner::MissingLibraries();
  if (missing.isEmpty()) return true;
  const QString prompt = "The CD/DVD engine needs the disc-writing libraries, and these are missing here: " +
                         missing.join(", ") + ".\r\n\r\nContinue?";
  if (MsgBox(prompt, vbYesNo | vbInformation, AppTitle()) == vbYes) mdlFunctions::ShellOpen(this, kLibburnPage);
  return false;
}

void g_frmDataBurner3::FillDriveListV1() {
  cboDrv->clear();
  const long count = cAudioDataBurner1->GetDriveCount();
  for (long i = 1; i <= count; ++i) AddItem(cboDrv, cAudioDataBurner1->GetDriveName(i));
  if (count > 0) cboDrv->setCurrentIndex(0);
}

void g_frmDataBurner3::FillDriveListV2() {
  cboDrv->clear();
  const long count = cBurner1->DriveCount();
  for (long i = 0; i < count; ++i) AddItem(cboDrv, cBurner1->GetDriveLetter(i) + " - " + cBurner1->GetDriveName(i));
  if (count > 0) cboDrv->setCurrentIndex(0);
}

void g_frmDataBurner3::cboDrv_Click() {
  if (cmbEngine->currentIndex() == 0) FillSpeedListV1();
  RefreshCDInfo();
}

void g_frmDataBurner3::FillSpeedListV1() {
  const long count = cAudioDataBurner1->GetSpeedCount(driveLetter());
  cboSpeed->clear();
  for (long i = 1; i <= count; ++i) {
    const long kbs = cAudioDataBurner1->GetSpeed(i);
    cboSpeed->addItem(QString::number(kbs) + " KB/s (" + QString::number(kbs / kBytesPerSecondAt1x) + "x)",
                      qlonglong(kbs));
  }
  cboSpeed->addItem("Max.", qlonglong(kMaxSpeed));
  cboSpeed->setCurrentIndex(cboSpeed->count() - 1);
}

QString g_frmDataBurner3::driveLetter() const { return cboDrv->currentText().left(1); }

QString g_frmDataBurner3::driveName() const { return cboDrv->currentText().left(2); }

void g_frmDataBurner3::lblOpenCDDoor_Click() { cAudioDataBurner1->OpenTray(driveLetter()); }

void g_frmDataBurner3::lblCloseCDDoor_Click() { cAudioDataBurner1->CloseTray(driveLetter()); }

// ---------------------------------------------------------------- staging folder

// Hidden files are not listed, so they stay; the folder itself stays too.
void g_frmDataBurner3::EraseTempBurnFolder() {
  QDir folder(GetTempBurnFolder());
  for (const QString& name : folder.entryList(QDir::Files)) folder.remove(name);
}

// The engines read the staged files while they write: nothing is erased then.
void g_frmDataBurner3::lblErasetempfilesnow_Click() {
  if (Running()) return;
  EraseTempBurnFolder();
  MsgBox("Done." + QString(28, u' '), vbInformation);
}

void g_frmDataBurner3::chkDoNotConvertSource_Click() { EnableTargetFormat(); }

void g_frmDataBurner3::EnableTargetFormat() {
  const bool convert = CheckValue(chkDoNotConvertSource) != 1;
  for (QWidget* w : std::initializer_list<QWidget*>{cboTargetFormat, cmdEditTargetFormat, lblCDFormat})
    w->setEnabled(convert);
}

// ---------------------------------------------------------------- the staging run

void g_frmDataBurner3::cmdConvert_Click() {
  m_bAbort = false;
  prgCurrnet->SetValue(0);
  prgTotal->SetValue(0);
  BeginRunLog("Preparing to burn: " + QString::number(cGrid1->Rows()) + " tracks.");
  if (copiesCdTracks()) return;
  if (cmbEngine->currentIndex() == 0 && !drivesReady()) return;
  SetDestination();
  // Files staged outside a locked run folder would never be swept.
  if (!m_staging.Make()) {
    const QString why = "The path: " + GetTempBurnFolder() + " cannot be created.";
    Log(why);
    MsgBox(why, vbExclamation);
    Log("Aborted.");
    return;
  }
  m_lCurrentRow = 1;
  m_bRunError = false;
  m_ltmrSecsDone = 0;
  m_bCopyMode = CheckValue(chkDoNotConvertSource) == 1;
  m_stagedFiles = QStringList();
  for (long row = 1; row <= cGrid1->Rows(); ++row) m_stagedFiles << QString();
  BringLogToFront();
  m_ltmrTicks = 1;
  cmdAbort->setEnabled(true);
  ConvertTracks(true);
}

// A CD track is read from its drive: it converts, but there is no file to copy.
bool g_frmDataBurner3::copiesCdTracks() {
  if (CheckValue(chkDoNotConvertSource) != 1) return false;
  bool tracks = false;
  for (long row = 1; row <= cGrid1->Rows(); ++row)
    tracks = tracks || IsCdTrackPath(ItemRow::Text(*cGrid1, row, "COL_FILE"));
  if (!tracks) return false;
  const QString why = "CD tracks are not files that can be copied as they are. Untick \"Do not convert the source "
                      "items\" to convert them, or rip them first with the Audio CD Ripper.";
  Log(why);
  MsgBox(why, vbInformation);
  return true;
}

bool g_frmDataBurner3::drivesReady() {
  const QString letter = driveLetter();
  QString problem;
  if (!cAudioDataBurner1->IsDriveReady(letter)) problem = "' is not ready.";
  else if (!cAudioDataBurner1->IsDiscEmpty(letter)) problem = "' is not empty.";
  if (problem.isEmpty()) return true;
  Log("The CD drive '" + driveName() + problem);
  MsgBox("Please insert an empty media into drive: " + driveName(), vbInformation);
  Log("Aborted.");
  return false;
}

void g_frmDataBurner3::ConvertTracks(bool startOfRun) {
  SetButtonsEnabled(false);
  Timer1->SetEnabled(true);
  lblCurrentTrack->setText("Ready.");
  if (startOfRun) EraseTempBurnFolder();
  if (startOfRun && !m_bCopyMode) WorkRowsAhead(*cAudioConverter1);
  if (m_bCopyMode) copyLoop();
  else convertLoop();
}

QString g_frmDataBurner3::stageName(long row) {
  m_lNamingRow = row;
  const QString name = GetTargetFileName(row);
  if (row >= 1 && row <= m_stagedFiles.size())
    m_stagedFiles[row - 1] = name.isEmpty() ? QString() : GetTempBurnFolder() + name;
  return name;
}

void g_frmDataBurner3::copyLoop() {
  const long rows = cGrid1->Rows();
  prgTotal->SetMax(rows);
  for (long row = 1; row <= rows; ++row) {
    // A click on Abort between two files is served here.
    QCoreApplication::processEvents();
    if (m_bAbort) return abortCopies();
    const QString name = stageName(row);
    const QString target = GetTempBurnFolder() + name;
    const QString source = ItemRow::Text(*cGrid1, row, "COL_FILE");
    bool copy = !name.isEmpty();
    if (name.isEmpty()) Log("Cannot copy: " + mdlFunctions::GetFileNameFromPath(source));
    if (copy && QFileInfo::exists(target)) {
      const int answer = MsgBox("The file name " + name + " is already existed in the list to be burn. " +
                                    "\r\n\r\nOverwtie it?",
                                vbYesNoCancel | vbInformation);
      if (answer == vbCancel) break;
      copy = answer == vbYes;
    }
    if (copy && !copyRow(row, target)) Log("Cannot copy: " + mdlFunctions::GetFileNameFromPath(source));
    prgTotal->SetValue(row);
    lblFilesToConvert->setText("Files: " + QString::number(row) + "/" + QString::number(rows));
  }
  // An Abort given during the last row is not lost either.
  if (m_bAbort) return abortCopies();
  endStagingNormally();
}

void g_frmDataBurner3::abortCopies() {
  EraseTempBurnFolder();
  Log("Aborted.");
  endStagingCancelled();
}

// The copy goes to a hidden name first, so a half-copied file never passes
// for a staged one; it must end with the source's size. On the source's own
// file system a second link to the file is the copy: nothing ever writes into
// a staged file (a later row replaces it by a new one), so it stays unchanged.
bool g_frmDataBurner3::copyRow(long row, const QString& target) {
  const QString source = ItemRow::Text(*cGrid1, row, "COL_FILE");
  const QString part = GetTempBurnFolder() + ".copying";
  QFile::remove(part);
  const bool linked = ::link(QFile::encodeName(source).constData(), QFile::encodeName(part).constData()) == 0;
  const bool copied = (linked || QFile::copy(source, part)) && QFileInfo(part).size() == QFileInfo(source).size();
  const bool placed = copied && (!QFileInfo::exists(target) || QFile::remove(target)) && QFile::rename(part, target);
  QFile::remove(part);
  if (!placed) m_stagedFiles[row - 1].clear();
  return placed;
}

void g_frmDataBurner3::convertLoop() {
  const long rows = cGrid1->Rows();
  prgTotal->SetMax(rows * 100);
  long outcome = TaskSkipped;
  for (long row = m_lCurrentRow; row <= rows; ++row) {
    m_lCurrentRow = row;
    SetBusy(true);
    outcome = m_bAbort ? TaskAborted : ConvertTask(row);
    // An Abort given while the row was prepared ends the run, whatever the row became.
    if (outcome != TaskStarted && m_bAbort) outcome = TaskAborted;
    if (outcome == TaskStarted) return;
    if (outcome == TaskCancelled || outcome == TaskAborted) break;
  }
  EndWorkAhead();
  if (outcome == TaskCancelled || outcome == TaskAborted) {
    Log("Aborted.");
    endStagingCancelled();
    return;
  }
  endStagingNormally();
}

long g_frmDataBurner3::ConvertTask(long lRow) {
  const QString name = stageName(lRow);
  cGrid1->SetSelectedRow(lRow);
  m_ltmrItemSecs = ItemSeconds(lRow);
  m_ltmrItemSecsDone = 0;
  AnnounceItem(lRow, "Start to convert: ");
  lblCurrentTrack->setText("Start to convert: " + lblCurrentTrack->text() + "...");
  const QString output = RowOutput(OutputPathOrError(name));
  if (output.isEmpty()) return TaskSkipped;
  SetUpRowJob(lRow, output);
  if (const long answer = AskOverwrite(output); answer != TaskStarted) return answer;
  // An Abort given while the conversion was prepared stops it before it starts.
  if (m_bAbort) return TaskAborted;
  cAudioConverter1->StartConvert();
  return TaskStarted;
}

void g_frmDataBurner3::SetUpRowJob(long row, const QString& output) { SetUpConversion(*cAudioConverter1, row, output); }

void g_frmDataBurner3::endStagingNormally() {
  SetButtonsEnabled(true);
  SetCaption(lblCurrentTrack->text());
  prgCurrnet->SetValue(100);
  Timer1->SetEnabled(false);
  prgTotal->SetValue(0);
  SetBusy(false);
  const bool anyStaged = std::any_of(m_stagedFiles.begin(), m_stagedFiles.end(),
                                     [](const QString& f) { return !f.isEmpty() && QFileInfo(f).isFile(); });
  if (!anyStaged) {
    // Writing now would only spend a blank disc.
    Log("Nothing was staged: there is nothing to burn.");
    lblCurrentTrack->setText("Nothing to burn.");
    SetCaption(lblCurrentTrack->text());
    return;
  }
  if (MsgBox("Burn CD?" + QString(46, u' '), vbOKCancel) != vbOK) return;
  if (cmbEngine->currentIndex() == 0) BurnDataDiscV1();
  else BurnDataDiscV2();
}

void g_frmDataBurner3::endStagingCancelled() {
  SetButtonsEnabled(true);
  SetBusy(false);
  Timer1->SetEnabled(false);
  EndRunCancelled();
}

void g_frmDataBurner3::cmdAbort_Click() {
  // The engines cannot stop a write once it runs.
  if (m_bWriting || !ConfirmAbort()) return;
  cAudioConverter1->AbortConvert();
  ShowTrayBalloon("Aborted.");
  Timer1->SetEnabled(false);
  m_bAbort = true;
}

// ---------------------------------------------------------------- conversion events

void g_frmDataBurner3::cAudioConverter1_Progress(long percent) {
  if (percent < 1) return;
  SetBusy(false);
  ShowRowProgress(m_lCurrentRow, percent);
  SetCaption(ConvertingCaption());
  m_ltmrItemSecsDone = SecondsDone(percent, m_ltmrItemSecs);
}

void g_frmDataBurner3::cAudioConverter1_Done() {
  if (!Running() || m_bWriting) return;
  m_ltmrSecsDone += m_ltmrItemSecs;
  m_lCurrentRow += 1;
  ConvertTracks();
}

void g_frmDataBurner3::cAudioConverter1_Aborted() {
  Timer1->SetEnabled(false);
  EndRunAborted();
}

void g_frmDataBurner3::cAudioConverter1_Error(long code, const QString& text) {
  ShowErrorLine(LogItemError(code, text));
  if (m_lCurrentRow >= 1 && m_lCurrentRow <= m_stagedFiles.size()) m_stagedFiles[m_lCurrentRow - 1].clear();
  m_lCurrentRow += 1;
  ConvertTracks();
  SetBusy(false);
}

void g_frmDataBurner3::Timer1_Timer() {
  m_ltmrTicks += 1;
  UpdateTimeLeft(m_ltmrTicks, m_ltmrItemSecsDone, m_ltmrSecsDone, g_ltmrItemSecsTotal);
}

// ---------------------------------------------------------------- end of a write

// Where the writer's disc is mounted, or an image drive's folder.
QString g_frmDataBurner3::FolderToOpenWhenDone() const {
  const QString root = cAudioDataBurner1->GetDriveRoot(driveLetter());
  return root.isEmpty() ? root : root + "/";
}

void g_frmDataBurner3::EndOfJobDiscAction() {
  if (CheckValue(chkEraseTempfiles) == 1) {
    Log("Erase temp files...");
    EraseTempBurnFolder();
  }
  if (CheckValue(chkOpenCDdrive) == 1) cAudioDataBurner1->OpenTray(driveLetter());
}
