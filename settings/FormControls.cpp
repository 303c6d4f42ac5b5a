#include "settings/FormControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>

#include "core/mdlModes.h"
#include "platform/Form.h"

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Click();
}

namespace FormControls {

namespace {
// The designed widths fit the original font; a wider substitute font must
// not cut captions off, so a control grows to its text.
void fitText(QWidget* w) {
  if (w->sizeHint().width() > w->width()) w->resize(w->sizeHint().width(), w->height());
}
}  // namespace

void FixedDialog(QWidget* window, const QString& caption, int width, int height) {
  window->setWindowTitle(caption);
  window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint);
  window->setFixedSize(px(width), px(height));
  QFont font("Tahoma");
  font.setPointSizeF(8.25);
  window->setFont(font);
}

void Place(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(px(left), px(top), px(width), px(height));
}

QLabel* Label(QWidget* parent, const QString& text, int left, int top, int width, int height) {
  auto* l = new QLabel(text, parent);
  Place(l, left, top, width, height);
  fitText(l);
  return l;
}

QLabel* Heading(QWidget* parent, const QString& text, int left, int top, int width, int height) {
  QLabel* l = Label(parent, text, left, top, width, height);
  QFont f = l->font();
  f.setBold(true);
  f.setUnderline(true);
  l->setFont(f);
  fitText(l);
  return l;
}

ClickLabel* Link(QWidget* parent, const QString& text, const QString& tip, int left, int top, int width,
                 int height, const QIcon& icon, int iconLeft, int iconTop) {
  auto* l = new ClickLabel(text, parent);
  Place(l, left, top, width, height);
  QFont f = l->font();
  f.setUnderline(true);
  l->setFont(f);
  SetControlForeColor(l, 0xFF0000);  // blue
  l->setCursor(Qt::PointingHandCursor);
  l->setToolTip(tip);
  fitText(l);
  if (!icon.isNull()) {
    auto* pic = new QLabel(parent);
    Place(pic, iconLeft, iconTop, 240, 240);
    pic->setPixmap(icon.pixmap(16, 16));
  }
  return l;
}

QCheckBox* Check(QWidget* parent, const QString& text, int left, int top, int width, int height) {
  auto* c = new QCheckBox(text, parent);
  Place(c, left, top, width, height);
  fitText(c);
  return c;
}

QComboBox* List(QWidget* parent, int left, int top, int width, int height) {
  auto* c = new QComboBox(parent);
  Place(c, left, top, width, height);
  return c;
}

QComboBox* HistoryBox(QWidget* parent, int left, int top, int width, int height) {
  QComboBox* c = List(parent, left, top, width, height);
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  return c;
}

QPushButton* Button(QWidget* parent, const QString& text, int left, int top, int width, int height, bool bold) {
  auto* b = new QPushButton(text, parent);
  Place(b, left, top, width, height);
  if (bold) {
    QFont f = b->font();
    f.setBold(true);
    b->setFont(f);
  }
  return b;
}

namespace {
QWidget* line(QWidget* parent, QColor color, int x, int y, int w, int h) {
  auto* l = new QWidget(parent);
  l->setGeometry(x, y, w, h);
  l->setAutoFillBackground(true);
  QPalette p = l->palette();
  p.setColor(QPalette::Window, color);
  l->setPalette(p);
  return l;
}
}  // namespace

void HSeparator(QWidget* parent, int left, int right, int top) {
  line(parent, QColor(128, 128, 128), px(left), px(top), px(right - left), 1);
  line(parent, Qt::white, px(left), px(top) + 1, px(right - left), 1);
}

void VSeparator(QWidget* parent, int left, int top, int bottom) {
  line(parent, QColor(128, 128, 128), px(left), px(top), 1, px(bottom - top));
  line(parent, Qt::white, px(left) + 1, px(top), 1, px(bottom - top));
}

ClickLabel* Swatch(QWidget* parent, int left, int top, int width, int height) {
  auto* s = new ClickLabel(parent);
  Place(s, left, top, width, height);
  s->setFrameStyle(QFrame::Box | QFrame::Plain);
  s->setAutoFillBackground(true);
  s->setCursor(Qt::PointingHandCursor);
  return s;
}

QWidget* Panel(QWidget* parent, int left, int top, int width, int height) {
  auto* p = new QWidget(parent);
  Place(p, left, top, width, height);
  p->setAutoFillBackground(true);
  return p;
}

void SetControlBackColor(QWidget* w, long color) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, ColorFromNumber(color));
  p.setColor(QPalette::Button, ColorFromNumber(color));
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

long ControlBackColor(const QWidget* w) { return NumberFromColor(w->palette().color(QPalette::Window)); }

void SetControlForeColor(QWidget* w, long color) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, ColorFromNumber(color));
  w->setPalette(p);
}

long FormBackColor() { return g_sFormBackColor.toLong(); }

int CheckValue(const QCheckBox* box) {
  switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
  }
}

void SetCheckValue(QCheckBox* box, int value) {
  box->setTristate(value == 2);
  box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void AddItem(QComboBox* box, const QString& text, bool sorted) {
  int at = box->count();
  if (sorted) {
    at = 0;
    while (at < box->count() && QString::compare(box->itemText(at), text, Qt::CaseInsensitive) <= 0) ++at;
  }
  const bool noChoice = box->currentIndex() < 0;
  const QSignalBlocker quiet(box);
  box->insertItem(at, text);
  if (noChoice) box->setCurrentIndex(-1);
}

bool SelectText(QComboBox* box, const QString& text) {
  const int i = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (i < 0) return false;
  box->setCurrentIndex(i);
  return true;
}

}  // namespace FormControls
