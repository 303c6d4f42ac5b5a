#include "tools/convert/g_frmConverter.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "core/mdlFunctions.h"
#include "lists/ItemRow.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/cGrid.h"
#include "settings/OutputFormatStore.h"

namespace {
TaskWindowLook converterLook() {
  TaskWindowLook look;
  look.caption = "Audio Converter";
  look.icon = "replace2";
  look.firstTab = "Converter        ";
  look.firstTabImage = 7;
  look.startCaption = "Convert";
  look.noticeAppCaption = "Execute external program ";
  look.fileNames = true;
  look.targetFormat = true;
  look.parameters = true;
  look.timeLeft = true;
  return look;
}

}  // namespace

g_frmConverter::g_frmConverter() : g_frmConverter(converterLook()) {}

g_frmConverter::g_frmConverter(const TaskWindowLook& look) : TaskWindow(look) {
  setObjectName("g_frmConverter");
  cAudioConverter1 = new cAudioConverter(this);
  connect(cmdConvert, &QPushButton::clicked, this, &g_frmConverter::cmdConvert_Click);
  connect(cmdAbort, &QPushButton::clicked, this, &g_frmConverter::cmdAbort_Click);
  connect(Timer1, &Timer::Tick, this, &g_frmConverter::Timer1_Timer);
  connect(cAudioConverter1, &cAudioConverter::Progress, this, &g_frmConverter::cAudioConverter1_Progress);
  connect(cAudioConverter1, &cAudioConverter::Done, this, &g_frmConverter::cAudioConverter1_Done);
  connect(cAudioConverter1, &cAudioConverter::Aborted, this, &g_frmConverter::cAudioConverter1_Aborted);
  connect(cAudioConverter1, &cAudioConverter::Error, this, &g_frmConverter::cAudioConverter1_Error);
}

void g_frmConverter::LoadOwnControls() {
  g_ltmrItemSecsTotal = 0;
  m_lItemSecsDone = 0;
  m_lTimerTicks = 0;
  m_lItemSecs = 0;
  m_lSecsDone = 0;
}

void g_frmConverter::CloseJobControl() { cAudioConverter1->CloseConverter(); }

void g_frmConverter::HandOverFormat(long position) { OutputFormatStore::HandOver(*cAudioConverter1, position); }

void g_frmConverter::ApplyTags(const TagSet& tags) { SetControlTags(*cAudioConverter1, tags); }

std::vector<std::pair<QString, QString>> g_frmConverter::ExtraTagValues() {
  return ItemTagValues(cGrid1->SelectedRow());
}

void g_frmConverter::SetUpRowJob(long row, const QString& output) { SetUpConversion(*cAudioConverter1, row, output); }

// ---------------------------------------------------------------- the run

void g_frmConverter::cmdConvert_Click() {
  BeginRunLog("Preparing to convert: " + QString::number(cGrid1->Rows()) + " tracks.");
  SetDestination();
  CreateSubFolderWhenTicked();
  m_lCurrentRow = 1;
  ForgetRunOutputs();
  m_bRunError = false;
  m_bItemDone = false;
  m_bAbortPending = false;
  m_lSecsDone = 0;
  BringLogToFront();
  m_lTimerTicks = 1;
  WorkRowsAhead(*cAudioConverter1);
  ConvertTracks();
}

void g_frmConverter::ConvertTracks() {
  prgTotal->SetMax(cGrid1->Rows() * 100);
  SetButtonsEnabled(false);
  Timer1->SetEnabled(true);
  const long rows = cGrid1->Rows();
  long outcome = TaskSkipped;
  for (long row = m_lCurrentRow; row <= rows; ++row) {
    m_lCurrentRow = row;
    setBusyPointer(true);
    outcome = m_bAbortPending ? TaskAborted : ConvertTask(m_lCurrentRow);
    if (outcome == TaskStarted) return;
    if (outcome == TaskCancelled) Log("Aborted.");
    if (outcome == TaskCancelled || outcome == TaskAborted) break;
  }
  // An Abort confirmed behind the last item's question answered No.
  if (m_bAbortPending && outcome == TaskSkipped) outcome = TaskAborted;
  EndWorkAhead();
  ItemLoopEnded();
  if (outcome == TaskAborted) {
    cAudioConverter1_Aborted();
    return;
  }
  SetButtonsEnabled(true);
  setBusyPointer(false);
  if (outcome == TaskCancelled) {
    EndRunCancelled();
    return;
  }
  if (RunFailed()) {
    const QString text = "Failed: no item could be converted.";
    EndRunFailed(text, RunCaption(text));
    return;
  }
  endRunDone();
}

void g_frmConverter::endRunDone() {
  ShowTrayBalloon("Done.");
  lblCurrentTrack->setText("Done.");
  SetCaption(RunCaption("Done."));
  prgTotal->SetValue((cGrid1->Rows() - 1) * 100 + 100);
  prgCurrnet->SetValue(100);
  Timer1->SetEnabled(false);
  DoEndEvents();
}

long g_frmConverter::ConvertTask(long lRow) {
  const QString name = GetTargetFileName(lRow);
  cGrid1->SetSelectedRow(lRow);
  m_lItemSecs = ItemSeconds(lRow);
  m_lItemSecsDone = 0;
  AnnounceItem(lRow, "Start to convert: ");
  const QString output = RowOutput(OutputPathOrError(name));
  if (output.isEmpty()) return TaskSkipped;
  SetUpRowJob(lRow, output);
  if (const long answer = AskOverwrite(output); answer != TaskStarted) return answer;
  if (m_bAbortPending) return TaskAborted;
  cAudioConverter1->StartConvert();
  return TaskStarted;
}

void g_frmConverter::cmdAbort_Click() {
  if (!ConfirmAbort()) return;
  m_bAbortPending = true;
  cAudioConverter1->AbortConvert();
  ShowTrayBalloon("Aborted.");
  Timer1->SetEnabled(false);
}

// ---------------------------------------------------------------- job events

void g_frmConverter::cAudioConverter1_Progress(long percent) {
  if (percent < 1) return;
  setBusyPointer(false);
  ShowRowProgress(m_lCurrentRow, percent);
  SetCaption(RunCaption(ConvertingCaption()));
  m_lItemSecsDone = SecondsDone(percent, m_lItemSecs);
}

void g_frmConverter::cAudioConverter1_Done() {
  m_bItemDone = true;
  Log("Done.");
  lblCurrentTrack->setText("Done.");
  m_lSecsDone += m_lItemSecs;
  m_lCurrentRow += 1;
  ConvertTracks();
}

void g_frmConverter::cAudioConverter1_Error(long code, const QString& text) {
  ShowItemError(LogItemError(code, text));
  SetButtonsEnabled(true);
  m_lCurrentRow += 1;
  ConvertTracks();
  setBusyPointer(false);
}

void g_frmConverter::setBusyPointer(bool busy) {
  if (m_bShowHourglass) SetBusy(busy);
}

void g_frmConverter::cAudioConverter1_Aborted() { EndRunAborted(); }

void g_frmConverter::Timer1_Timer() {
  m_lTimerTicks += 1;
  UpdateTimeLeft(m_lTimerTicks, m_lItemSecsDone, m_lSecsDone, g_ltmrItemSecsTotal);
}
