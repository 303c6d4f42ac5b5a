#include "tools/disc/g_frmCDRipper.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "lists/ItemRow.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"
#include "platform/cGrid.h"
#include "platform/cd/cAudioCDRipper.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"

using namespace FormControls;

namespace {
TaskWindowLook ripperLook() {
  TaskWindowLook look;
  look.caption = "Audio CD Ripper";
  look.icon = "cd_music";
  look.firstTab = "Ripper Options    ";
  look.firstTabImage = 25;
  look.startCaption = "Rip";
  look.fileNames = true;
  look.targetFormat = true;
  look.timeLeft = true;
  return look;
}

constexpr long kRed = 255;
constexpr long kBlack = 0;

}  // namespace

g_frmCDRipper::g_frmCDRipper() : TaskWindow(ripperLook()) {
  setObjectName("g_frmCDRipper");
  cAudioCDRipper1 = new cAudioCDRipper(this);
  lblDevices = Label(TabSettings, "Audio CD:", 120, 2460, 1400, 240);
  cboDevices = List(TabSettings, 1560, 2400, 4200, 315);
  lblCDStatus = Label(TabSettings, "Ready.", 6660, 2460, 3000, 240);
  chkOpenCDdrive = Check(TabEvents, "Eject the CD door", 4800, 540, 4000, 270);
  connect(cboDevices, &QComboBox::currentIndexChanged, this, &g_frmCDRipper::cboDevices_Click);
  connect(cmdConvert, &QPushButton::clicked, this, &g_frmCDRipper::cmdConvert_Click);
  connect(cmdAbort, &QPushButton::clicked, this, &g_frmCDRipper::cmdAbort_Click);
  connect(Timer1, &Timer::Tick, this, &g_frmCDRipper::Timer1_Timer);
  connect(cAudioCDRipper1, &cAudioCDRipper::Progress, this, &g_frmCDRipper::cAudioCDRipper1_Progress);
  connect(cAudioCDRipper1, &cAudioCDRipper::Done, this, &g_frmCDRipper::cAudioCDRipper1_Done);
  connect(cAudioCDRipper1, &cAudioCDRipper::Aborted, this, &g_frmCDRipper::cAudioCDRipper1_Aborted);
  connect(cAudioCDRipper1, &cAudioCDRipper::Error, this, &g_frmCDRipper::cAudioCDRipper1_Error);
}

void g_frmCDRipper::LoadOwnControls() {
  SetCheckValue(chkOpenCDdrive, 1);
  bool numeric = false;
  const long back = g_sFormBackColor.toLong(&numeric);
  if (numeric) SetControlBackColor(chkOpenCDdrive, back);
  g_ltmrItemSecsTotal = 0;
  m_ltmrItemSecsDone = 0;
  m_ltmrTicks = 0;
  m_ltmrItemSecs = 0;
  m_ltmrSecsDone = 0;
  FillDeviceList();
}

void g_frmCDRipper::FillDeviceList() {
  const long count = cAudioCDRipper1->GetDeviceCount();
  for (long i = 0; i < count; ++i) AddItem(cboDevices, cAudioCDRipper1->GetDeviceName(i));
  if (cboDevices->count() > 0) cboDevices->setCurrentIndex(0);
}

void g_frmCDRipper::CloseJobControl() { cAudioCDRipper1->CloseRipper(); }

void g_frmCDRipper::HandOverFormat(long position) { OutputFormatStore::HandOver(*cAudioCDRipper1, position); }

void g_frmCDRipper::ApplyTags(const TagSet& tags) { SetControlTags(*cAudioCDRipper1, tags); }

void g_frmCDRipper::EndOfJobDiscAction() {
  if (CheckValue(chkOpenCDdrive) == 1) cAudioCDRipper1->Eject();
}

// ---------------------------------------------------------------- the disc check

void g_frmCDRipper::cboDevices_Click() {
  const long position = cboDevices->currentIndex();
  if (position < 0) return;
  const QString drive = cboDevices->currentText().left(2);
  auto show = [&](long color, const QString& text) {
    SetControlForeColor(lblCDStatus, color);
    lblCDStatus->setText(text);
  };
  if (!cAudioCDRipper1->SelectDevice(position)) return show(kRed, "Cannot select '" + drive + "\\' as an Audio CD.");
  if (!cAudioCDRipper1->IsAudioCD()) return show(kRed, "'" + drive + "\\' is not an Audio CD.");
  const long tracks = cAudioCDRipper1->GetTrackCount();
  if (tracks < 1) return show(kRed, "'" + drive + "\\' has no CDA tracks.");
  show(kBlack, "OK: " + QString::number(tracks) + " CDA tracks");
}

// ---------------------------------------------------------------- the run

void g_frmCDRipper::cmdConvert_Click() {
  BeginRunLog("Preparing to rip: " + QString::number(cGrid1->Rows()) + " tracks.");
  SetDestination();
  CreateSubFolderWhenTicked();
  m_lCurrentRow = 1;
  m_bRunError = false;
  m_bItemDone = false;
  m_bAbortPending = false;
  ForgetRunOutputs();
  m_ltmrSecsDone = 0;
  BringLogToFront();
  m_ltmrTicks = 1;
  cAudioCDRipper1->SetDeviceIndex(cboDevices->currentIndex());
  // WAV output is as fast as the drive and stays one rip at a time.
  if (cAudioCDRipper1->DestinationFormat() > 2) {
    // Every marked row reads the drive at its place in row order, worked ahead or not.
    for (long row = 1; row <= cGrid1->Rows(); ++row)
      if (RowInRun(row)) cAudioCDRipper1->ReserveReadTurn(row);
    WorkRowsAhead(*cAudioCDRipper1);
  }
  ConvertTracks();
}

void g_frmCDRipper::ConvertTracks() {
  const long rows = cGrid1->Rows();
  prgTotal->SetMax(rows * 100);
  SetButtonsEnabled(false);
  Timer1->SetEnabled(true);
  long outcome = TaskSkipped;
  for (long row = m_lCurrentRow; row <= rows; ++row) {
    m_lCurrentRow = row;
    SetBusy(true);
    if (!RowInRun(row)) continue;
    outcome = m_bAbortPending ? TaskAborted : ConvertTask(row);
    if (outcome == TaskStarted) return;
    cAudioCDRipper1->GiveUpReadTurn(row);
    if (outcome == TaskCancelled) Log("Aborted.");
    if (outcome == TaskCancelled || outcome == TaskAborted) break;
  }
  // An Abort confirmed behind the last track's question answered No.
  if (m_bAbortPending && outcome == TaskSkipped) outcome = TaskAborted;
  EndWorkAhead();
  if (outcome == TaskAborted) {
    EndRunAborted();
    return;
  }
  SetButtonsEnabled(true);
  SetBusy(false);
  if (outcome == TaskCancelled) {
    EndRunCancelled();
    return;
  }
  if (RunFailed()) {
    const QString text = "Failed: no track could be ripped.";
    EndRunFailed(text, text);
    return;
  }
  endRunDone();
}

void g_frmCDRipper::endRunDone() {
  ShowTrayBalloon("Done.");
  lblCurrentTrack->setText("Done.");
  SetCaption("Done.");
  prgTotal->SetValue(cGrid1->Rows() * 100);
  prgCurrnet->SetValue(100);
  Timer1->SetEnabled(false);
  SetBusy(false);
  DoEndEvents();
}

long g_frmCDRipper::ConvertTask(long lRow) {
  const QString name = GetTargetFileName(lRow);
  cGrid1->SetSelectedRow(lRow);
  m_ltmrItemSecs = ItemSeconds(lRow);
  m_ltmrItemSecsDone = 0;
  AnnounceItem(lRow, "Start to rip: ");
  const QString output = RowOutput(OutputPathOrError(name));
  if (output.isEmpty()) return TaskSkipped;
  SetUpRowJob(lRow, output);
  if (const long answer = AskOverwrite(output); answer != TaskStarted) return answer;
  if (m_bAbortPending) return TaskAborted;
  cAudioCDRipper1->RipTrack();
  return TaskStarted;
}

// Encoding is what takes long, not reading: the marked rows are read in row
// order and encoded on the control's workers (see WorkRowsAhead).
void g_frmCDRipper::SetUpRowJob(long row, const QString& output) {
  cGrid1->SetSelectedRow(row);
  cAudioCDRipper1->SetTrackNumber(row);
  SetID3Tags(row);
  SetRowRange(*cAudioCDRipper1, *cGrid1, row);
  cAudioCDRipper1->SetOutputFile(output);
}

bool g_frmCDRipper::RowInRun(long row) const { return ItemRow::Icon(*cGrid1, row, "Inc") == ItemRow::kMarked; }

void g_frmCDRipper::cmdAbort_Click() {
  if (!ConfirmAbort()) return;
  m_bAbortPending = true;
  cAudioCDRipper1->AbortRip();
  ShowTrayBalloon("Aborted.");
  Timer1->SetEnabled(false);
}

// ---------------------------------------------------------------- control events

void g_frmCDRipper::cAudioCDRipper1_Progress(long percent) {
  if (percent < 1) return;
  SetBusy(false);
  ShowRowProgress(m_lCurrentRow, percent);
  SetCaption(ConvertingCaption());
  m_ltmrItemSecsDone = SecondsDone(percent, m_ltmrItemSecs);
}

void g_frmCDRipper::cAudioCDRipper1_Done() {
  m_bItemDone = true;
  Log("Done.");
  lblCurrentTrack->setText("Done.");
  m_ltmrSecsDone += m_ltmrItemSecs;
  m_lCurrentRow += 1;
  ConvertTracks();
}

void g_frmCDRipper::cAudioCDRipper1_Aborted() { EndRunAborted(); }

void g_frmCDRipper::cAudioCDRipper1_Error(long code, const QString& text) {
  ShowErrorLine(LogItemError(code, text));
  SetButtonsEnabled(true);
  m_lCurrentRow += 1;
  ConvertTracks();
  SetBusy(false);
}

void g_frmCDRipper::Timer1_Timer() {
  m_ltmrTicks += 1;
  UpdateTimeLeft(m_ltmrTicks, m_ltmrItemSecsDone, m_ltmrSecsDone, g_ltmrItemSecsTotal);
}
