#include "tools/audio/g_frmAudioEditor.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "core/TitleColors.h"
#include "core/mdlCommDialog.h"
#include "core/mdlFunctions.h"
#include "core/mdlSetFormIcon32.h"
#include "lists/TitleSkin.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cAudioEditor.h"
#include "platform/cToolbar.h"
#include "tools/audio/ToolLayout.h"

namespace {
// "83500 ms [0:01:24]": the seconds rounded half to even.
QString timeText(long ms) {
  return QString::number(ms) + " ms [" + mdlFunctions::SecondsToTimeText(long(std::nearbyint(ms / 1000.0))) + "]";
}

// The whole number before the first blank of a range label; false when it has none.
bool leadingNumber(const QString& caption, long* value) {
  bool ok = false;
  const long v = caption.section(' ', 0, 0).toLong(&ok);
  if (ok) *value = v;
  return ok;
}

// A fixed caption and its value label beside it.
QLabel* valueRow(QWidget* frame, const QString& caption, int top) {
  place(new QLabel(caption, frame), 120, top, 1320, 255);
  return place(new QLabel(frame), 1500, top, 2200, 255);
}

struct ButtonDef {
  const char* key;
  long image;
  const char* caption;
  const char* tip;
};
const ButtonDef kButtons[] = {
    {"Play", 55, "Play", "Play"},      {"Pause", 67, "Pause", "Pause"},
    {"Stop", 40, "Stop", "Stop"},      {nullptr, -1, "", ""},
    {"Zoom", 68, "Zoom", "Zoom"},      {"Restore", 62, "Restore", "Restore"},
    {nullptr, -1, "", ""},             {"Save Selection", 5, "Save As", "Save Selection As..."},
    {nullptr, -1, "", ""},             {"Abort", 27, "Abort", "Abort Operation"},
};
}  // namespace

g_frmAudioEditor::g_frmAudioEditor() {
  setObjectName("g_frmAudioEditor");
  setFont(QFont("Tahoma", 8));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(px(9600), px(7200));
  picTitle = place(new QWidget(this), 0, 0, 9600, 600);
  lblTitle = place(new QLabel("Audio Analyzer", picTitle), 240, 150, 5000, 300);
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);
  picList = place(new QWidget(this), 0, 600, 9600, 480);
  tlbrList = place(new cToolbar(picList), 60, 30, 9480, 420);
  cAudioEditor1 = place(new cAudioEditor(this), 120, 1140, 9360, 2700);
  txtWavFile = place(new QLineEdit(this), 120, 3900, 9360, 315);
  txtWavFile->setReadOnly(true);
  fraInfo = place(new QFrame(this), 120, 4260, 4620, 1860);
  fraInfo->setFrameShape(QFrame::StyledPanel);
  place(new QLabel("File Information", fraInfo), 120, 60, 3000, 255);
  lblInfoSamples = valueRow(fraInfo, "Info Samples", 360);
  lblInfoBits = valueRow(fraInfo, "Info Bits", 660);
  lblInfoChannels = valueRow(fraInfo, "Info Channels", 960);
  lblNumOfSamples = valueRow(fraInfo, "Total Samples", 1260);
  lblLength = valueRow(fraInfo, "Time Length", 1560);
  fraPosition = place(new QFrame(this), 4860, 4260, 4620, 1860);
  fraPosition->setFrameShape(QFrame::StyledPanel);
  place(new QLabel("Selection Position", fraPosition), 120, 60, 3000, 255);
  lblSamplesStart = valueRow(fraPosition, "Samples Start", 360);
  lblSamplesEnd = valueRow(fraPosition, "Samples End", 660);
  lblTimeStart = valueRow(fraPosition, "Time Start", 960);
  lblTimeEnd = valueRow(fraPosition, "Time End", 1260);
  lblSelectedTime = valueRow(fraPosition, "Selected Time", 1560);
  prgCurrnet = place(new XP_ProgressBar(this), 120, 6240, 4620, 255);
  prgCurrnet->SetMin(0);
  prgCurrnet->SetMax(100);
  cmdAddSelection = place(new QPushButton("Add Selection", this), 4860, 6600, 1800, 375);
  cmdAbort = place(new QPushButton("Abort", this), 6780, 6600, 1260, 375);
  cmdExit = place(new QPushButton("Exit", this), 8160, 6600, 1320, 375);

  connect(tlbrList, &cToolbar::ButtonClick, this, &g_frmAudioEditor::tlbrList_ButtonClick);
  connect(cmdAddSelection, &QPushButton::clicked, this, &g_frmAudioEditor::cmdAddSelection_Click);
  connect(cmdAbort, &QPushButton::clicked, this, &g_frmAudioEditor::cmdAbort_Click);
  connect(cmdExit, &QPushButton::clicked, this, &g_frmAudioEditor::cmdExit_Click);
  connect(cAudioEditor1, &cAudioEditor::FileInfo, this, &g_frmAudioEditor::cAudioEditor1_FileInfo);
  connect(cAudioEditor1, &cAudioEditor::SelectionChanged, this, &g_frmAudioEditor::cAudioEditor1_SelectionChanged);
  connect(cAudioEditor1, &cAudioEditor::Progress, prgCurrnet, &XP_ProgressBar::SetValue);
  connect(cAudioEditor1, &cAudioEditor::SaveDone, this, &g_frmAudioEditor::cAudioEditor1_SaveDone);
  connect(cAudioEditor1, &cAudioEditor::LoadDone, this, &g_frmAudioEditor::cAudioEditor1_LoadDone);
  connect(cAudioEditor1, &cAudioEditor::Error, this, &g_frmAudioEditor::cAudioEditor1_Error);
  connect(cAudioEditor1, &cAudioEditor::PlayDone, this, [this] { tlbrList->SetButtonEnabled("Play", true); });
}

void g_frmAudioEditor::Form_Load() {
  mdlSetFormIcon32::SetFormIcon(this, "document_pulse", true);
  TitleSkin::Apply(*this, picTitle, lblTitle);
  cAudioEditor1->SetViewForeColor(g_lTitleForeColor);
  cAudioEditor1->SetViewBackColor2(g_lTitleBackColor);
  cAudioEditor1->SetViewBackColor(g_lTitleBackColor);
  prgCurrnet->SetBarColor(g_lTitleBackColor);
  frmMain* main = loadedForm<frmMain>();
  tlbrList->SetImageList(main ? main->imgMenu : nullptr);
  tlbrList->CreateToolbar(16, false, true, true);
  for (const ButtonDef& b : kButtons) {
    if (b.key) tlbrList->AddButton(b.tip, b.image, b.caption, cToolbar::Plain, b.key);
    else tlbrList->AddButton("", -1, "", cToolbar::Separator, "");
  }
}

void g_frmAudioEditor::Form_Unload(int&) { cAudioEditor1->CloseEditor(); }

void g_frmAudioEditor::tlbrList_ButtonClick(long index) {
  const QString key = tlbrList->ButtonKey(index);
  if (key == "Play") {
    if (cAudioEditor1->Play() == 0) tlbrList->SetButtonEnabled("Play", false);
    else MsgBox(cAudioEditor1->LastError(), vbExclamation);
  } else if (key == "Pause") {
    if (cAudioEditor1->IsPaused()) cAudioEditor1->ResumePlay();
    else cAudioEditor1->PausePlay();
  } else if (key == "Stop") {
    cAudioEditor1->StopPlay();
    tlbrList->SetButtonEnabled("Play", true);
  } else if (key == "Zoom") {
    cAudioEditor1->ZoomToSelection();
  } else if (key == "Restore") {
    cAudioEditor1->RestoreZoom();
  } else if (key == "Save Selection") {
    SaveSelectionAs();
  }
}

void g_frmAudioEditor::SetSaveEnabled(bool on) {
  cmdAddSelection->setEnabled(on);
  tlbrList->SetButtonEnabled("Save Selection", on);
}

QString g_frmAudioEditor::SaveSelectionAs() {
  FileDialogRecord.lpstrFilter = QString("Wav Audio Files (*.wav)") + QChar(0) + "*.wav" + QChar(0);
  FileDialogRecord.lpstrTitle = "Save Selection As";
  FileDialogRecord.lpstrDefExt = "wav";
  const FileDialogResult result = mdlCommDialog::ShowSaveDialog(this, QString(), true);
  if (result.Cancelled) return QString();
  const QString path = result.Files.value(1);
  cAudioEditor1->SetSaveSource(txtWavFile->text());
  cAudioEditor1->SetOutputFile(path);
  long start = 0, end = 0;
  if (leadingNumber(lblTimeStart->text(), &start)) cAudioEditor1->SetSelectionStart(start);
  if (leadingNumber(lblTimeEnd->text(), &end) && leadingNumber(lblTimeStart->text(), &start))
    cAudioEditor1->SetSelectionLength(end - start);
  SetSaveEnabled(false);
  cAudioEditor1->SaveSelection();
  return path;
}

void g_frmAudioEditor::cmdAddSelection_Click() {
  if (!frmMain::OpenListFor("the selection")) return;
  const QString path = SaveSelectionAs();
  if (path.isEmpty()) return;
  const QString source = txtWavFile->text();
  const QFileInfo info(source);
  if (source.isEmpty() || !info.isFile()) {
    MsgBox("The file:" + source + " was not found.", vbInformation);
    return;
  }
  if (info.size() <= 64) {
    MsgBox("The file:" + source + " is empty.", vbInformation);
    return;
  }
  // The new file goes to the list once its save is complete (SaveDone).
  m_sPendingAdd = path;
}

void g_frmAudioEditor::cmdAbort_Click() { cAudioEditor1->AbortEditor(); }

void g_frmAudioEditor::cmdExit_Click() {
  cAudioEditor1->AbortEditor();
  Unload();
}

void g_frmAudioEditor::cAudioEditor1_FileInfo(long sps, long bits, long channels, long seconds, long samples) {
  lblInfoSamples->setText(QString::number(sps));
  lblInfoBits->setText(QString::number(bits));
  lblInfoChannels->setText(QString::number(channels));
  lblNumOfSamples->setText(QString::number(samples));
  lblLength->setText(mdlFunctions::SecondsToTimeText(seconds));
  lblSamplesStart->setText("0");
  lblSamplesEnd->setText(QString::number(samples));
  lblTimeStart->setText(timeText(0));
  lblTimeEnd->setText(timeText(seconds * 1000));
  lblSelectedTime->setText(lblTimeEnd->text());
}

void g_frmAudioEditor::cAudioEditor1_SelectionChanged(long startSample, long endSample, long startMs, long endMs) {
  lblSamplesStart->setText(QString::number(startSample));
  lblSamplesEnd->setText(QString::number(endSample));
  lblTimeStart->setText(timeText(startMs));
  lblTimeEnd->setText(timeText(endMs));
  lblSelectedTime->setText(timeText(endMs - startMs));
}

void g_frmAudioEditor::cAudioEditor1_SaveDone() {
  SetSaveEnabled(true);
  const QString added = std::exchange(m_sPendingAdd, QString());
  frmMain* main = loadedForm<frmMain>();
  if (added.isEmpty() || !main) return;
  main->addPaths({added});
  Unload();
}

void g_frmAudioEditor::cAudioEditor1_LoadDone() {
  tlbrList->SetButtonEnabled("Play", true);
  SetSaveEnabled(true);
}

void g_frmAudioEditor::cAudioEditor1_Error(long, const QString&) {
  // A failed or aborted save adds nothing.
  m_sPendingAdd.clear();
  cmdAddSelection->setEnabled(true);
}
