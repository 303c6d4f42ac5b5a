#include "tools/convert/g_frmAudioEditorProc.h"

#include <QLabel>
#include <QPushButton>

#include "core/TitleColors.h"
#include "core/mdlModes.h"
#include "core/mdlSetFormIcon32.h"
#include "mainwindow/frmMain.h"
#include "platform/Timer.h"
#include "platform/WrapLabel.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cAudioConverter.h"
#include "settings/OptionValues.h"
#include "settings/OutputFormatStore.h"
#include "taskframe/TaskWindow.h"
#include "tools/audio/ToolLayout.h"

bool g_frmAudioEditorProc::g_bConvertTo = false;
QString g_frmAudioEditorProc::g_sConvertToTarget;
g_frmAudioEditorProc::Outcome g_frmAudioEditorProc::lastOutcome_ = g_frmAudioEditorProc::NotRun;

g_frmAudioEditorProc::g_frmAudioEditorProc()
    : cAudioConverter1(new cAudioConverter(this)), Timer1(new Timer(this)) {
  setObjectName("g_frmAudioEditorProc");
  SetCaption("Preparing Audio Analyzer");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(px(5400), px(1500));
  lblCurrentTrack = place(new WrapLabel("Preparing...", this), 120, 120, 5160, 255);
  prgCurrnet = place(new XP_ProgressBar(this), 120, 450, 5160, 255);
  prgCurrnet->SetMin(0);
  prgCurrnet->SetMax(100);
  cmdAbort = place(new QPushButton("Abort", this), 3960, 900, 1320, 375);
  Timer1->SetInterval(10);
  connect(Timer1, &Timer::Tick, this, &g_frmAudioEditorProc::ConvertX);
  connect(cmdAbort, &QPushButton::clicked, this, &g_frmAudioEditorProc::cmdAbort_Click);
  connect(cAudioConverter1, &cAudioConverter::Progress, this, &g_frmAudioEditorProc::cAudioConverter1_Progress);
  connect(cAudioConverter1, &cAudioConverter::Done, this, &g_frmAudioEditorProc::cAudioConverter1_Done);
  connect(cAudioConverter1, &cAudioConverter::Aborted, this, &g_frmAudioEditorProc::cAudioConverter1_Aborted);
  connect(cAudioConverter1, &cAudioConverter::Error, this, &g_frmAudioEditorProc::cAudioConverter1_Error);
}

void g_frmAudioEditorProc::Form_Load() {
  SetBackColor(g_sFormBackColor.toLong());
  prgCurrnet->SetBarColor(g_lTitleBackColor);
  mdlSetFormIcon32::SetFormIcon(this, "document_pulse", true);
}

void g_frmAudioEditorProc::Form_Unload(int&) { cAudioConverter1->CloseConverter(); }

void g_frmAudioEditorProc::ConvertFile(const QString& SourceFile, const QString& Destination) {
  m_sSourceFile = SourceFile;
  m_sDestinationFile = Destination;
  lastOutcome_ = Running;
  Timer1->SetEnabled(true);
}

void g_frmAudioEditorProc::ConvertX() {
  Timer1->SetEnabled(false);
  if (g_bConvertTo) {
    SetDestination();
    SetID3Tags();
  } else {
    OutputFormatStore::HandOver(*cAudioConverter1, fmtWAV);
  }
  cAudioConverter1->SetInputFile(m_sSourceFile);
  cAudioConverter1->SetOutputFile(m_sDestinationFile);
  cAudioConverter1->StartConvert();
}

void g_frmAudioEditorProc::SetDestination() {
  static const char* const kKeys[] = {"WAV", "ACM", "MP3", "WMA", "OGG", "APE"};
  const QString key = g_sConvertToTarget.left(3).toUpper();
  for (int format = 0; format < OutputFormatCount; ++format)
    if (key == kKeys[format]) OutputFormatStore::HandOver(*cAudioConverter1, format);
}

void g_frmAudioEditorProc::SetID3Tags() {
  cAudioConverter1->SetTagAlbum(CreateID3TagsString(g_sTagAlbum));
  cAudioConverter1->SetTagArtist(CreateID3TagsString(g_sTagArtist));
  cAudioConverter1->SetTagComment(CreateID3TagsString(g_sTagComment));
  cAudioConverter1->SetTagGenre(CreateID3TagsString(g_sTagGenre));
  cAudioConverter1->SetTagTitle(CreateID3TagsString(g_sTagSong));
  cAudioConverter1->SetTagTrack(CreateID3TagsString(g_sTagTrack));
  cAudioConverter1->SetTagYear(CreateID3TagsString(g_sTagYear));
}

QString g_frmAudioEditorProc::CreateID3TagsString(QString sStr) const { return TaskWindow::ExpandTagText(sStr, 1); }

void g_frmAudioEditorProc::cAudioConverter1_Progress(long percent) {
  if (percent >= 1) prgCurrnet->SetValue(percent);
}

void g_frmAudioEditorProc::Finish(Outcome outcome, const QString& text) {
  lblCurrentTrack->setText(text);
  HoldAllLines();
  Timer1->SetEnabled(false);
  g_bConvertTo = false;
  lastOutcome_ = outcome;
}

// A failure's reason can take several lines: the label and the window grow
// to hold them, the bar and the button moving down with them.
void g_frmAudioEditorProc::HoldAllLines() {
  const int grow = lblCurrentTrack->heightForWidth(lblCurrentTrack->width()) - lblCurrentTrack->height();
  if (grow <= 0) return;
  lblCurrentTrack->resize(lblCurrentTrack->width(), lblCurrentTrack->height() + grow);
  for (QWidget* below : std::initializer_list<QWidget*>{prgCurrnet, cmdAbort}) below->move(below->x(), below->y() + grow);
  setFixedSize(width(), height() + grow);
}

void g_frmAudioEditorProc::cAudioConverter1_Done() {
  Finish(Done, "Done.");
  Unload();
}

void g_frmAudioEditorProc::cAudioConverter1_Aborted() {
  Finish(Aborted, "Aborted.");
  if (frmMain* main = loadedForm<frmMain>()) main->g_bAbortedAudioEditor = true;
  Unload();
}

void g_frmAudioEditorProc::cAudioConverter1_Error(long code, const QString& text) {
  // The window stays open with the reason until the user closes it: with its button, or the title bar's.
  Finish(Failed, text + "(" + QString::number(code) + ")");
  cmdAbort->setText("Close");
}

// Nothing is left to abort once the conversion failed: the button closes the window.
void g_frmAudioEditorProc::cmdAbort_Click() {
  if (lastOutcome_ == Failed) Unload();
  else cAudioConverter1->AbortConvert();
}
