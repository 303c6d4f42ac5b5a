#include "tools/disc/g_frmCDBurner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "core/mdlShutDown.h"
#include "lists/ItemRow.h"
#include "platform/Services.h"
#include "platform/UserSettings.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/Sound.h"
#include "platform/burn/cAudioBurner.h"
#include "platform/cGrid.h"
#include "settings/FormControls.h"
#include "settings/OptionValues.h"

using namespace FormControls;

namespace {
constexpr long kRed = 255;
constexpr long kGreen = 32768;
constexpr long kHighestSpeed = 65535;
// Bytes of a second of CD audio as data sectors count them.
constexpr double kCapacityPerSecond = 153535;

TaskWindowLook burnerLook() {
  TaskWindowLook look;
  look.caption = "Audio CD Burner";
  look.icon = "cd_music";
  look.firstTab = "Burner Options   ";
  look.firstTabImage = 73;
  look.startCaption = "Burn";
  look.noticeAppCaption = "Execute external program ";
  look.destination = false;
  look.overwrite = false;
  return look;
}
}  // namespace

g_frmCDBurner::g_frmCDBurner() : TaskWindow(burnerLook()) {
  setObjectName("g_frmCDBurner");
  cAudioBurner1 = new cAudioBurner(this);
  buildSettingsPage();
  chkOpenCDdrive = Check(TabEvents, "Open the CD drive", 4800, 540, 4000, 270);
  connect(cboDrv, &QComboBox::currentIndexChanged, this, &g_frmCDBurner::cboDrv_Click);
  connect(cmdOpenCD, &QPushButton::clicked, this, &g_frmCDBurner::cmdOpenCD_Click);
  connect(cmdClose, &QPushButton::clicked, this, &g_frmCDBurner::cmdClose_Click);
  connect(lblOpenDestinationDestinationFolder, &ClickLabel::Click, this, &g_frmCDBurner::lblOpenDestinationDestinationFolder_Click);
  connect(cmdConvert, &QPushButton::clicked, this, &g_frmCDBurner::cmdConvert_Click);
  connect(cmdAbort, &QPushButton::clicked, this, &g_frmCDBurner::cmdAbort_Click);
  connect(cAudioBurner1, &cAudioBurner::TrackProgress, this, &g_frmCDBurner::cAudioBurner1_TrackProgress);
  connect(cAudioBurner1, &cAudioBurner::Progress, this, &g_frmCDBurner::cAudioBurner1_Progress);
  connect(cAudioBurner1, &cAudioBurner::ClosingSession, this, [this] { cAudioBurner1_Stage("Closing session..."); });
  connect(cAudioBurner1, &cAudioBurner::ClosingTrack, this, [this] { cAudioBurner1_Stage("Closing track..."); });
  connect(cAudioBurner1, &cAudioBurner::CachingTrack, this, [this] { cAudioBurner1_Stage("Caching track..."); });
  connect(cAudioBurner1, &cAudioBurner::WritingTrack, this, [this] { cAudioBurner1_Stage("Writing track..."); });
  connect(cAudioBurner1, &cAudioBurner::Finished, this, &g_frmCDBurner::cAudioBurner1_Finished);
  connect(cAudioBurner1, &cAudioBurner::Error, this, &g_frmCDBurner::cAudioBurner1_Error);
}

void g_frmCDBurner::buildSettingsPage() {
  QWidget* p = TabSettings;
  Label(p, "CDs:", 120, 180, 1300, 240);
  cboDrv = List(p, 1560, 120, 4500, 315);
  cmdOpenCD = Button(p, "Open CD", 6240, 120, 1300, 315);
  cmdClose = Button(p, "Close CD", 7680, 120, 1300, 315);
  Label(p, "Speeds:", 120, 600, 1300, 240);
  cboSpeed = List(p, 1560, 540, 2400, 315);
  lblOpenDestinationDestinationFolder =
      Link(p, "Browse with explorer", "Browse with the explorer.", 6240, 600, 2500, 240);
  Label(p, "Disk Size:", 120, 1020, 1300, 240);
  lblDiskSize = Label(p, "Disk Size", 1560, 1020, 3000, 240);
  Label(p, "Disk Capacity:", 120, 1320, 1300, 240);
  lblDiskCapacity = Label(p, "Disk Capacity", 1560, 1320, 3000, 240);
  Label(p, "Disk State:", 120, 1620, 1300, 240);
  lblState = Label(p, "State", 1560, 1620, 7800, 240);
  Label(p, "0 MIN", 120, 2100, 600, 240);
  prgSize = new cProgressBar(p);
  Place(prgSize, 780, 2100, 7700, 240);
  Label(p, "80 MIN", 8600, 2100, 800, 240);
  lblDataSize = Label(p, "Data Size:", 120, 2460, 9200, 240);
}

void g_frmCDBurner::LoadOwnControls() {
  bool numeric = false;
  const long back = g_sFormBackColor.toLong(&numeric);
  if (numeric) SetControlBackColor(chkOpenCDdrive, back);
  FillDriveList();
  const QString stored = GetSetting(g_sAppName, "General", "chkOpenCDdrive", "0");
  SetCheckValue(chkOpenCDdrive, stored == "1" ? 1 : 0);
}

void g_frmCDBurner::CloseJobControl() {
  cAudioBurner1->CloseBurner();
  SaveSetting(g_sAppName, "General", "chkOpenCDdrive", QString::number(CheckValue(chkOpenCDdrive) == 1 ? 1 : 0));
}

// ---------------------------------------------------------------- writers and the disc

QString g_frmCDBurner::driveLetter() const { return cboDrv->currentText().left(1); }

void g_frmCDBurner::FillDriveList() {
  const long count = cAudioBurner1->GetDriveCount();
  for (long i = 1; i <= count; ++i) AddItem(cboDrv, cAudioBurner1->GetDriveName(i));
  if (cboDrv->count() > 0) cboDrv->setCurrentIndex(0);
}

void g_frmCDBurner::FillSpeedList() {
  const long count = cAudioBurner1->GetSpeedCount(driveLetter());
  cboSpeed->clear();
  for (long i = 1; i <= count; ++i) {
    const long kbs = cAudioBurner1->GetSpeed(i);
    cboSpeed->addItem(QString::number(kbs) + " KB/s (" + QString::number(kbs / 176) + "x)", qlonglong(kbs));
  }
  cboSpeed->addItem("Max.", qlonglong(kHighestSpeed));
  cboSpeed->setCurrentIndex(cboSpeed->count() - 1);
}

void g_frmCDBurner::cboDrv_Click() {
  if (cboDrv->currentIndex() < 0) return;
  FillSpeedList();
  lblDiskSize->setText(QString::number(cAudioBurner1->GetDiscSize(driveLetter())));
  const double minutes = double(cAudioBurner1->GetDiscCapacity(driveLetter())) / kCapacityPerSecond / 60.0;
  lblDiskCapacity->setText(QString::number(mdlFunctions::RoundHalfEven(minutes)) + " Min");
  const QString state = cAudioBurner1->GetDiscState(driveLetter());
  QFont font = lblState->font();
  font.setBold(!state.isEmpty());
  lblState->setFont(font);
  SetControlForeColor(lblState, state.isEmpty() ? kGreen : kRed);
  lblState->setText(state.isEmpty() ? "OK - Ready to be burn." : state);
}

void g_frmCDBurner::cmdOpenCD_Click() { cAudioBurner1->OpenTray(driveLetter()); }

void g_frmCDBurner::cmdClose_Click() { cAudioBurner1->CloseTray(driveLetter()); }

void g_frmCDBurner::lblOpenDestinationDestinationFolder_Click() {
  const QString root = cAudioBurner1->GetDriveRoot(driveLetter());
  if (!root.isEmpty()) mdlFunctions::ShellOpen(this, root);
}

// ---------------------------------------------------------------- the write

void g_frmCDBurner::cmdConvert_Click() {
  // Busy from the first row on: a second click or a close cannot queue twice.
  SetButtonsEnabled(false);
  BeginRunLog("Preparing to burn: " + QString::number(cGrid1->Rows()) + " tracks.");
  BringLogToFront();
  Log("List the files to burn...");
  for (long row = 1; row <= cGrid1->Rows(); ++row) {
    const QString path = ItemRow::Text(*cGrid1, row, "COL_FILE");
    const bool whole = RowIsWhole(*cGrid1, row);
    const double start = whole ? -1 : RowRangeStart(*cGrid1, row);
    const double length = whole ? -1 : RowRangeLength(*cGrid1, row);
    if (!cAudioBurner1->AddTrack(path, start, length)) Log("Cannot add " + mdlFunctions::GetFileNameFromPath(path));
  }
  BurnDisk();
}

double g_frmCDBurner::DiscSeconds() const {
  std::vector<long> tracks;
  for (long row = 1; row <= cGrid1->Rows(); ++row) tracks.push_back(ItemSeconds(row));
  return cAudioBurner::DiscSeconds(tracks);
}

void g_frmCDBurner::BurnDisk() {
  const long tracks = cAudioBurner1->GetTrackCount();
  if (tracks < 1) {
    SetButtonsEnabled(true);
    MsgBox("Nothing to burn.", vbOKOnly | vbInformation);
    return;
  }
  prgTotal->SetMax(tracks);
  m_bRunError = false;
  m_lLastTrack = 0;
  const long speed = cboSpeed->currentIndex() < 0 ? kHighestSpeed : cboSpeed->currentData().toLongLong();
  cAudioBurner1->SetWriteOption(true);
  SetButtonsEnabled(false);
  cAudioBurner1->Burn(driveLetter(), speed);
  cAudioBurner1->ResetBurner();
}

void g_frmCDBurner::cmdAbort_Click() {
  if (!ConfirmAbort()) return;
  cAudioBurner1->AbortBurn();
  SetButtonsEnabled(true);
  ShowTrayBalloon("Aborted.");
}

// ---------------------------------------------------------------- events of the write

void g_frmCDBurner::cAudioBurner1_TrackProgress(int percent, int track) {
  prgCurrnet->SetValue(percent);
  prgTotal->SetValue(track);
  if (track == m_lLastTrack) return;
  lblFilesToConvert->setText("Files: " + QString::number(m_lLastTrack + 1) + "/" + QString::number(cGrid1->Rows()));
  m_lLastTrack = track;
}

void g_frmCDBurner::cAudioBurner1_Progress(int percent) { prgCurrnet->SetValue(percent); }

void g_frmCDBurner::cAudioBurner1_Stage(const QString& text) {
  Log(text);
  lblCurrentTrack->setText(text);
}

void g_frmCDBurner::cAudioBurner1_Finished() {
  prgTotal->SetValue(prgTotal->Max());
  cAudioBurner1_Stage("Finished.");
  SetButtonsEnabled(true);
  DoEndEvents();
}

void g_frmCDBurner::cAudioBurner1_Error(long code, const QString& text) {
  m_bRunError = true;
  cAudioBurner1_Stage("Error:" + text + "(" + QString::number(code) + ")");
  SetButtonsEnabled(true);
}

void g_frmCDBurner::DoEndEvents() {
  if (CheckValue(chkPlaySound) == 1) PlaySoundFile(g_sPlayAtEndFile);
  if (CheckValue(chkOpenDestFolder) == 1) lblOpenDestinationDestinationFolder_Click();
  if (CheckValue(chkNoticeApp) == 1) RunNoticeApp();
  if (CheckValue(chkOpenCDdrive) == 1) cmdOpenCD_Click();
  if (CheckValue(chkTurnOffComputer) == 1) mdlShutDown::ShowTurnOffDialog(30);
}
