#include "core/g_frmFileCopy.h"

#include <QLabel>
#include <QPushButton>

#include "core/FileCopyClass.h"
#include "core/TitleColors.h"
#include "core/mdlSetFormIcon32.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"

namespace {
constexpr long kChunk = 8000;

QLabel* label(QWidget* parent, const QString& text, int left, int top, int width, int height) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(px(left), px(top), px(width), px(height));
  return l;
}

Timer* timer(QObject* parent, int ms) {
  auto* t = new Timer(parent);
  t->SetInterval(ms);
  return t;
}
}  // namespace

g_frmFileCopy::g_frmFileCopy() {
  setFont(QFont("Tahoma", 8));
  SetCaption("File Copy");
  setWindowIcon(mdlSetFormIcon32::ProgramIcon("aaa"));
  setFixedSize(px(6600), px(3000));
  picTitle = new QWidget(this);
  picTitle->setGeometry(0, 0, px(6600), px(495));
  picTitle->setAutoFillBackground(true);
  lblTitle = label(picTitle, "File Copy", 120, 120, 4000, 255);
  Label1 = label(this, "From:", 120, 660, 600, 255);
  lblFrom = label(this, QString(), 780, 660, 5700, 255);
  Label2 = label(this, "To:", 120, 1020, 600, 255);
  lblTo = label(this, QString(), 780, 1020, 5700, 255);
  lblState = label(this, "State", 120, 1440, 6360, 255);
  ProgressBar1 = new XP_ProgressBar(this);
  ProgressBar1->setGeometry(px(120), px(1800), px(6360), px(255));
  cmdOk = new QPushButton("OK", this);
  cmdOk->setGeometry(px(3720), px(2340), px(1275), px(400));
  cmdExit = new QPushButton("Exit", this);
  cmdExit->setGeometry(px(5160), px(2340), px(1275), px(400));
  tmrStart = timer(this, 100);
  Timer1 = timer(this, 1000);
  tmrEnd = timer(this, 100);
  connect(tmrStart, &Timer::Tick, this, &g_frmFileCopy::tmrStart_Timer);
  connect(Timer1, &Timer::Tick, this, &g_frmFileCopy::Timer1_Timer);
  connect(tmrEnd, &Timer::Tick, this, &g_frmFileCopy::tmrEnd_Timer);
  connect(cmdOk, &QPushButton::clicked, this, &g_frmFileCopy::cmdOk_Click);
  connect(cmdExit, &QPushButton::clicked, this, &g_frmFileCopy::cmdExit_Click);
}

void g_frmFileCopy::Form_Load() {
  QPalette p = picTitle->palette();
  p.setColor(QPalette::Window, ColorFromNumber(g_lTitleBackColor));
  picTitle->setPalette(p);
  QPalette t = lblTitle->palette();
  t.setColor(QPalette::WindowText, ColorFromNumber(g_lTitleForeColor));
  lblTitle->setPalette(t);
  ProgressBar1->SetBarColor(g_lTitleBackColor);
}

void g_frmFileCopy::Form_Unload(int& Cancel) {
  if (!cmdExit->isEnabled()) Cancel = 1;
}

void g_frmFileCopy::tmrStart_Timer() {
  tmrStart->SetEnabled(false);
  FileCopyEx(g_sSourceFile, g_sDestFile);
}

void g_frmFileCopy::FileCopyEx(const QString& sSource, const QString& sDest) {
  cmdOk->setEnabled(false);
  cmdExit->setEnabled(false);
  ProgressBar1->SetValue(0);
  ProgressBar1->setVisible(true);
  lblState->setText("Copying");
  FileCopyClass copier;
  copier.CacheSize = kChunk;
  m_cCopier = &copier;
  Timer1->SetEnabled(true);
  const QString error = copier.Copy(sSource, sDest);
  Timer1->SetEnabled(false);
  m_cCopier = nullptr;
  if (error.isEmpty()) {
    ProgressBar1->SetValue(100);
    lblState->setText("Ready");
  } else {
    lblState->setText("Failed");
    MsgBox("The file could not be copied.\n\n" + error, vbExclamation);
  }
  cmdOk->setEnabled(true);
  cmdExit->setEnabled(true);
  tmrEnd->SetEnabled(true);
}

void g_frmFileCopy::Timer1_Timer() {
  if (m_cCopier) ProgressBar1->SetValue(m_cCopier->PercentREady);
}

void g_frmFileCopy::tmrEnd_Timer() {
  tmrEnd->SetEnabled(false);
  Unload();
}

void g_frmFileCopy::cmdOk_Click() { FileCopyEx(g_sSourceFile, g_sDestFile); }

void g_frmFileCopy::cmdExit_Click() { Unload(); }
