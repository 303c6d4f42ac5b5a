#include "core/g_frmTurnOff.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "core/mdlModes.h"
#include "core/mdlOnTop.h"
#include "core/mdlSetFormIcon32.h"
#include "core/mdlShutDown.h"
#include "platform/Services.h"
#include "platform/Timer.h"

namespace {
// The program's main window, found by its class so that this module needs
// nothing above it.
Form* mainWindow() {
  for (Form* f : LoadedForms())
    if (qstrcmp(f->metaObject()->className(), "frmMain") == 0) return f;
  return nullptr;
}

QLabel* label(QWidget* parent, const QString& text, int left, int top, int width, int height) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(px(left), px(top), px(width), px(height));
  return l;
}
}  // namespace

g_frmTurnOff::g_frmTurnOff() {
  setFont(QFont("Tahoma", 8));
  SetCaption("Turn Off Computer");
  setFixedSize(px(4800), px(2280));
  lblApplInfo = label(this, QString(), 1080, 120, 3600, 255);
  Image1 = label(this, QString(), 240, 240, 720, 720);
  lblStatus = label(this, "Computer will shutdown in", 1080, 600, 2160, 255);
  lblSecToShutDown = label(this, "100", 3240, 600, 480, 255);
  lblSecToShutDown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblSeconds = label(this, "Seconds", 3780, 600, 900, 255);
  cmdTurnOffNow = new QPushButton("Shutdown Now", this);
  cmdTurnOffNow->setGeometry(px(1080), px(1320), px(1680), px(435));
  cmdCancel = new QPushButton("Cancel", this);
  cmdCancel->setGeometry(px(2880), px(1320), px(1680), px(435));
  Timer1 = new Timer(this);
  Timer1->SetInterval(1000);
  connect(Timer1, &Timer::Tick, this, &g_frmTurnOff::Timer1_Timer);
  connect(cmdTurnOffNow, &QPushButton::clicked, this, &g_frmTurnOff::cmdTurnOffNow_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &g_frmTurnOff::cmdCancel_Click);
}

void g_frmTurnOff::Form_Load() {
  lblApplInfo->setText(g_sAppName + " " + g_sAppVersion);
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(px(720), px(720)));
  mdlSetFormIcon32::SetFormIcon(this, "aaa", false);
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void g_frmTurnOff::Form_Resize() { mdlOnTop::SetWindowOnTop(this, true); }

void g_frmTurnOff::StartShutDown(long lNumOfSec) {
  lNumOfSecToShutDown = lNumOfSec;
  lblSecToShutDown->setText(QString::number(lNumOfSecToShutDown));
  Timer1->SetEnabled(true);
  Timer1_Timer();
}

void g_frmTurnOff::Timer1_Timer() {
  lblSecToShutDown->setText(QString::number(lNumOfSecToShutDown));
  if (lNumOfSecToShutDown > 0) {
    --lNumOfSecToShutDown;
    return;
  }
  Timer1->SetEnabled(false);
  ShutDown();
}

void g_frmTurnOff::cmdTurnOffNow_Click() {
  Timer1->SetEnabled(false);
  lNumOfSecToShutDown = 0;
  lblSecToShutDown->setText("0");
  ShutDown();
}

void g_frmTurnOff::cmdCancel_Click() {
  Timer1->SetEnabled(false);
  Unload();
}

void g_frmTurnOff::ShutDown() {
  const bool accepted = mdlShutDown::ShutdownSystem(mdlShutDown::EWX_SHUTDOWN);
  Unload();
  if (!accepted) {
    MsgBox("The computer could not be turned off.\n\n" + mdlShutDown::LastError().Description,
           vbExclamation);
    return;
  }
  if (Form* main = mainWindow()) main->Unload();
}
