#include "core/g_frmSplash.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include "core/mdlModes.h"
#include "platform/Services.h"

namespace {
QLabel* makeLabel(QWidget* parent, int leftTw, int topTw, const QFont& font) {
  auto* l = new QLabel(parent);
  l->move(px(leftTw), px(topTw));
  l->setFont(font);
  l->setStyleSheet("color: #404040; background: transparent;");
  return l;
}
}  // namespace

g_frmSplash::g_frmSplash() {
  setObjectName("g_frmSplash");
  setWindowFlags(Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint);
  setFixedSize(px(4020), px(1245));
  picTitle = new QWidget(this);
  picTitle->setGeometry(px(120), px(120), px(3735), px(255));
  picTitle->setAutoFillBackground(true);
  QFont title("Tahoma");
  title.setPointSizeF(9.75);
  title.setBold(true);
  QFont version("Verdana");
  version.setPointSizeF(8.25);
  version.setBold(true);
  QFont status("Tahoma");
  status.setPointSizeF(8.25);
  lblAppTitle = makeLabel(picTitle, 0, 0, title);
  lblVersion = makeLabel(this, 120, 480, version);
  lblStat = makeLabel(this, 120, 840, status);
  lblStat->setText("Loading...");
  lblStat->adjustSize();
}

void g_frmSplash::Form_Load() {
  lblAppTitle->setText(mdlModes::WindowTitle());
  lblAppTitle->adjustSize();
  lblVersion->setText("Version " + g_sAppFullVersion);
  lblVersion->adjustSize();
  // Invisible until the fade starts.
  setWindowOpacity(0.0);
  long back = g_sFormBackColor.isEmpty() ? 0xFFFFFF : g_sFormBackColor.toLong();
  SetBackColor(back);
  QPalette p = picTitle->palette();
  p.setColor(QPalette::Window, ColorFromNumber(back));
  picTitle->setPalette(p);
  if (QScreen* s = screen()) move(s->geometry().center() - rect().center());
}

void g_frmSplash::FadeIn() {
  QPointer<g_frmSplash> self(this);
  steps_.clear();
  for (int alpha = 0; alpha <= 250; alpha += 10) {
    if (!self) return;  // closed by a double-click meanwhile
    setWindowOpacity(alpha / 255.0);
    steps_.push_back(alpha);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() <= 5) DoEvents();
  }
  if (!self) return;
  setWindowOpacity(1.0);
  steps_.push_back(255);
}

void g_frmSplash::CloseSplash() { Unload(); }

void g_frmSplash::mouseDoubleClickEvent(QMouseEvent*) { CloseSplash(); }

void g_frmSplash::paintEvent(QPaintEvent* e) {
  Form::paintEvent(e);
  // The window has no border of its own: draw its outline.
  QPainter painter(this);
  painter.setPen(QColor(0x80, 0x80, 0x80));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
