#include "mainwindow/frmAbout.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include "core/mdlModes.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "platform/cTabControl.h"
#include "settings/OptionValues.h"

namespace {
QLabel* linkLabel(QLabel* label) {
  label->setStyleSheet("color: blue; text-decoration: underline;");
  label->setCursor(Qt::PointingHandCursor);
  return label;
}
}  // namespace

frmAbout::frmAbout()
    : picTitle(new QWidget(this)),
      lblTitle(new QLabel(picTitle)),
      cTabControl1(new cTabControl(this)),
      picAbout(new QWidget(this)),
      lblAppName(new QLabel(picAbout)),
      lblDesc(new QLabel(picAbout)),
      lblSite(linkLabel(new QLabel(picAbout))),
      lblHomePage(linkLabel(new QLabel(picAbout))),
      lblSupport(linkLabel(new QLabel("Support", picAbout))),
      lblVersionInside(new QLabel("Inside version:", picAbout)),
      cmdOk(new QPushButton("OK", this)) {
  setObjectName("frmAbout");
  SetCaption("About");
  setFont(QFont("Tahoma", 8));
  setFixedSize(px(5820), px(5055));
  picTitle->setAutoFillBackground(true);
  picTitle->setGeometry(0, 0, px(7335), px(495));
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);
  lblTitle->setGeometry(px(120), px(120), px(5400), px(255));
  cTabControl1->setGeometry(px(120), px(600), px(5655), px(3615));
  QFont nameFont = lblAppName->font();
  nameFont.setBold(true);
  lblAppName->setFont(nameFont);
  lblAppName->setGeometry(px(240), px(360), px(4800), px(255));
  lblDesc->setGeometry(px(240), px(780), px(4800), px(555));
  lblDesc->setWordWrap(true);
  lblDesc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblSite->setGeometry(px(240), px(1500), px(4800), px(255));
  lblHomePage->setGeometry(px(240), px(1860), px(4800), px(255));
  lblSupport->setGeometry(px(240), px(2220), px(4800), px(255));
  lblVersionInside->setGeometry(px(240), px(2700), px(4800), px(255));
  cmdOk->setGeometry(px(4200), px(4440), px(1215), px(375));
  cmdOk->setDefault(true);
  for (QLabel* link : {lblSite, lblHomePage, lblSupport}) link->installEventFilter(this);
  connect(cmdOk, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);
  connect(cTabControl1, &cTabControl::TabClick, this, &frmAbout::cTabControl1_TabClick);
}

void frmAbout::Form_Load() {
  QPalette title = picTitle->palette();
  title.setColor(QPalette::Window, ColorFromNumber(g_lTitleBackColor));
  picTitle->setPalette(title);
  lblTitle->setStyleSheet(QString("color: %1;").arg(ColorFromNumber(g_lTitleForeColor).name()));
  const QString nameAndVersion = g_sAppName + " " + g_sAppVersion;
  lblAppName->setText(nameAndVersion);
  lblTitle->setText(nameAndVersion);
  lblHomePage->setText(nameAndVersion + " - Home Page");
  lblSite->setText(g_sAppSite);
  lblVersionInside->setText(lblVersionInside->text() + " " + g_sAppFullVersion);
  lblDesc->setText(g_sAppDescription);
  if (frmMain* main = loadedForm<frmMain>()) cTabControl1->SetImageList(main->imgMenu);
  cTabControl1->AddTab("About   ", 18, -1, "About");
  picAbout->setGeometry(px(cTabControl1->ClientLeft() - 50), px(cTabControl1->ClientTop()),
                        px(cTabControl1->ClientWidth() + 50), px(cTabControl1->ClientHeight()));
  HideTabPages();
  picAbout->show();
  picAbout->raise();
}

void frmAbout::HideTabPages() { picAbout->hide(); }

void frmAbout::cTabControl1_TabClick(long) {
  HideTabPages();
  if (cTabControl1->SelectedTabKey() == "About") picAbout->show();
}

void frmAbout::lblSite_Click() { ShellOpenDocument(g_sAppSite); }
void frmAbout::lblHomePage_Click() { ShellOpenDocument(g_sAppHomePage); }
void frmAbout::lblSupport_Click() { ShellOpenDocument(g_sAppSupportPage); }
void frmAbout::cmdOk_Click() { Unload(); }

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == lblSite) lblSite_Click();
    else if (watched == lblHomePage) lblHomePage_Click();
    else if (watched == lblSupport) lblSupport_Click();
  }
  return Form::eventFilter(watched, event);
}
