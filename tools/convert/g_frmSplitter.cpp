#include "tools/convert/g_frmSplitter.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

#include "core/mdlFunctions.h"
#include "lists/NameBoxFilter.h"
#include "platform/Services.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cAudioConverter.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"

using namespace FormControls;

namespace {
const char* const kTooSmall = "Source file length is to small.       ";

TaskWindowLook splitterLook() {
  TaskWindowLook look;
  look.caption = "Audio Splitter";
  look.icon = "cut";
  look.firstTab = "Settings        ";
  look.firstTabImage = 9;
  look.startCaption = "Split";
  look.targetFormat = true;
  return look;
}


// A number as the user typed it, in the user's notation or with a point.
bool readNumber(const QString& text, double& value) {
  bool ok = false;
  value = QLocale().toDouble(text.trimmed(), &ok);
  if (!ok) value = text.trimmed().toDouble(&ok);
  return ok && std::isfinite(value);
}

QLineEdit* countBox(QWidget* parent, const QString& text, int left, int top) {
  auto* box = new QLineEdit(text, parent);
  Place(box, left, top, 600, 315);
  // Only the characters a name may not hold are kept out, as in name boxes.
  NameBoxFilter::Install(box);
  return box;
}
}  // namespace

g_frmSplitter::g_frmSplitter() : TaskWindow(splitterLook()) {
  setObjectName("g_frmSplitter");
  cAudioConverter1 = new cAudioConverter(this);
  Label2 = Label(TabSettings, "Splitter Mode:", 120, 2460, 1400, 240);
  ptnSplitByParts = Named(new QRadioButton("Split to" + QString(25, u' ') + "parts", TabSettings), "ptnSplitByParts");
  Place(ptnSplitByParts, 1560, 2430, 2700, 270);
  txtSplitParts = countBox(TabSettings, "6", 2520, 2400);
  ptnSplitBySecs = Named(new QRadioButton("Split each" + QString(20, u' ') + "seconds", TabSettings), "ptnSplitBySecs");
  Place(ptnSplitBySecs, 4560, 2430, 3300, 270);
  txtSplitSecs = countBox(TabSettings, "10", 5940, 2400);
  ptnSplitByParts->setChecked(true);
  connect(ptnSplitByParts, &QRadioButton::clicked, this, &g_frmSplitter::ptnSplitByParts_Click);
  connect(ptnSplitBySecs, &QRadioButton::clicked, this, &g_frmSplitter::ptnSplitBySecs_Click);
  connect(cmdConvert, &QPushButton::clicked, this, &g_frmSplitter::cmdConvert_Click);
  connect(cmdAbort, &QPushButton::clicked, this, &g_frmSplitter::cmdAbort_Click);
  connect(cAudioConverter1, &cAudioConverter::Progress, this, &g_frmSplitter::cAudioConverter1_Progress);
  connect(cAudioConverter1, &cAudioConverter::Done, this, &g_frmSplitter::cAudioConverter1_Done);
  connect(cAudioConverter1, &cAudioConverter::Aborted, this, &g_frmSplitter::cAudioConverter1_Aborted);
  connect(cAudioConverter1, &cAudioConverter::Error, this, &g_frmSplitter::cAudioConverter1_Error);
}

void g_frmSplitter::CloseJobControl() { cAudioConverter1->CloseConverter(); }

void g_frmSplitter::HandOverFormat(long position) { OutputFormatStore::HandOver(*cAudioConverter1, position); }

void g_frmSplitter::ApplyTags(const TagSet& tags) { SetControlTags(*cAudioConverter1, tags); }

void g_frmSplitter::SetSplitModeControls() {
  const bool parts = ptnSplitByParts->isChecked();
  txtSplitParts->setEnabled(parts);
  txtSplitSecs->setEnabled(!parts);
}

// ---------------------------------------------------------------- the run

void g_frmSplitter::cmdConvert_Click() {
  BeginRunLog("Preparing to split: " + mdlFunctions::GetFileNameFromPath(g_sFileToSplit) + "..");
  SetDestination();
  CreateSubFolderWhenTicked();
  m_bRunError = false;
  m_bAbortPending = false;
  BringLogToFront();
  // A file that cannot be opened has no length, whatever was opened before.
  m_lSourceMs = cAudioConverter1->OpenSource(g_sFileToSplit) == 0 ? cAudioConverter1->Duration() : 0;
  if (!planParts()) return;
  ConvertTracks();
}

bool g_frmSplitter::planParts() {
  m_lPartNumber = 1;
  m_lPartStart = 0;
  double count = 0;
  double maximum = 0;
  bool usable = false;
  if (ptnSplitByParts->isChecked()) {
    // A part count is a whole number of at least one.
    usable = readNumber(txtSplitParts->text(), count) && count >= 1 && count == std::floor(count);
    m_lPartSecs = usable ? mdlFunctions::RoundHalfEven(sourceSecs() / count) : 0;
    maximum = count * 100;
  } else {
    usable = readNumber(txtSplitSecs->text(), count) && count < sourceSecs();
    m_lPartSecs = usable ? mdlFunctions::RoundHalfEven(count) : 0;
    maximum = usable && count > 0 ? sourceSecs() / count * 100 : 0;
  }
  if (!usable || m_lPartSecs < 1) {
    MsgBox(kTooSmall, vbOKOnly | vbInformation);
    return false;
  }
  prgTotal->SetMax(mdlFunctions::RoundHalfEven(maximum));
  return true;
}

void g_frmSplitter::ConvertTracks() {
  SetButtonsEnabled(false);
  long outcome = TaskSkipped;
  while (sourceSecs() > double(m_lPartStart)) {
    outcome = m_bAbortPending ? TaskAborted : ConvertTask();
    if (outcome == TaskStarted) return;
    if (outcome != TaskSkipped) break;
    nextPart();
  }
  // An Abort confirmed behind the last item's question answered No.
  if (m_bAbortPending && outcome == TaskSkipped) outcome = TaskAborted;
  if (outcome == TaskAborted) {
    cAudioConverter1_Aborted();
    return;
  }
  SetButtonsEnabled(true);
  endRun(outcome);
}

void g_frmSplitter::endRun(long outcome) {
  if (outcome == TaskCancelled) {
    Log("Aborted.");
    lblCurrentTrack->setText("Aborted.");
    ShowTrayBalloon("Aborted.");
    return;
  }
  ShowTrayBalloon("Done.");
  lblCurrentTrack->setText("Done.");
  DoEndEvents();
}

void g_frmSplitter::nextPart() {
  m_lPartNumber += 1;
  m_lPartStart += m_lPartSecs;
}

// The source's name keeps its whole base whatever its extension's length; the
// extension is the format's upper-case code.
QString g_frmSplitter::CreatePartFileName(const QString& source) const {
  const QString base = mdlFunctions::RemoveFileExt(mdlFunctions::GetFileNameFromPath(source));
  return mdlFunctions::CapFileNameLength("Part_" + QString::number(m_lPartNumber) + "_" + base + "." +
                                         DestExtension().toUpper());
}

long g_frmSplitter::ConvertTask() {
  const QString name = mdlFunctions::GetFileNameFromPath(g_sFileToSplit);
  Log("Start to split: " + name + "...");
  SetID3Tags(1);
  lblCurrentTrack->setText(name);
  cAudioConverter1->SetInputFile(g_sFileToSplit);
  cAudioConverter1->SetRangeStart(m_lPartStart);
  cAudioConverter1->SetRangeLength(m_lPartSecs);
  const QString output = OutputFolder() + CreatePartFileName(g_sFileToSplit);
  if (const long answer = AskOverwrite(output); answer != TaskStarted) return answer;
  cAudioConverter1->SetOutputFile(output);
  if (m_bAbortPending) return TaskAborted;
  cAudioConverter1->StartConvert();
  return TaskStarted;
}

void g_frmSplitter::cmdAbort_Click() {
  if (!ConfirmAbort()) return;
  m_bAbortPending = true;
  cAudioConverter1->AbortConvert();
  ShowTrayBalloon("Aborted.");
}

// ---------------------------------------------------------------- job events

void g_frmSplitter::cAudioConverter1_Progress(long percent) {
  if (percent <= 0) return;
  ShowRowProgress(m_lPartNumber, percent);
  SetCaption(AppTitle());
}

void g_frmSplitter::cAudioConverter1_Done() {
  Log("Done.");
  lblCurrentTrack->setText("Done.");
  nextPart();
  ConvertTracks();
}

void g_frmSplitter::cAudioConverter1_Error(long code, const QString& text) {
  LogItemError(code, text);
  SetButtonsEnabled(true);
  nextPart();
  ConvertTracks();
}

void g_frmSplitter::cAudioConverter1_Aborted() {
  SetButtonsEnabled(true);
  Log("Aborted.");
  lblCurrentTrack->setText("Aborted.");
}
