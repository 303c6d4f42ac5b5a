#include "core/g_frmSplash.h"

#include <QPainter>
#include <QScreen>

#include "core/mdlModes.h"

namespace {
// 26 steps of 10 up to 250, then fully opaque; each step a little over 5 ms.
constexpr size_t FadeStepCount = 27;
constexpr int FadeStepMs = 6;

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
  fadeTimer_.setTimerType(Qt::PreciseTimer);
  fadeTimer_.setInterval(FadeStepMs);
  connect(&fadeTimer_, &QTimer::timeout, this, &g_frmSplash::fadeTick);
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
  steps_.clear();
  fadeClock_.start();
  fadeTimer_.start();
  fadeTick();
}

// Opacity 0, 10, 20 ... 250, then 255, one step every FadeStepMs. Steps that
// fall due while start-up keeps the thread busy are taken in order at the next
// tick, so the fade never takes longer than its own length.
void g_frmSplash::fadeTick() {
  const qint64 due = std::min<qint64>(FadeStepCount, fadeClock_.elapsed() / FadeStepMs + 1);
  while (qint64(steps_.size()) < due) {
    const int alpha = steps_.size() + 1 < FadeStepCount ? int(steps_.size()) * 10 : 255;
    setWindowOpacity(alpha / 255.0);
    steps_.push_back(alpha);
  }
  if (steps_.size() == FadeStepCount) fadeTimer_.stop();
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
