#include "platform/cStatusBar.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

#include "platform/Form.h"
#include "platform/cImageList.h"

cStatusBar::cStatusBar(QWidget* parent) : QWidget(parent) {
  auto* l = new QHBoxLayout(this);
  l->setContentsMargins(2, 1, 2, 1);
  l->setSpacing(2);
  l->addStretch(1);
  setFixedHeight(24);
}

long cStatusBar::AddPanel(long, const QString& text, const QString& toolTip, long icon, long width, bool, bool,
                          long, const QString& key) {
  auto* box = new QFrame(this);
  box->setFrameShape(QFrame::StyledPanel);
  box->setFrameShadow(QFrame::Sunken);
  box->setToolTip(toolTip);
  box->setMinimumWidth(int(width));
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(3, 0, 3, 0);
  row->setSpacing(3);
  auto* pic = new QLabel(box);
  auto* label = new QLabel(text, box);
  row->addWidget(pic);
  row->addWidget(label, 1);
  box->installEventFilter(this);
  auto* l = static_cast<QHBoxLayout*>(layout());
  l->insertWidget(l->count() - 1, box);
  panels_.push_back({key, box, pic, label});
  SetPanelIcon(key, icon);
  return long(panels_.size());
}

const cStatusBar::Panel* cStatusBar::find(const QString& key) const {
  for (auto& p : panels_)
    if (p.key == key) return &p;
  return nullptr;
}

QString cStatusBar::PanelText(const QString& key) const {
  const Panel* p = find(key);
  return p ? p->text->text() : QString();
}

void cStatusBar::SetPanelText(const QString& key, const QString& text) {
  if (const Panel* p = find(key)) p->text->setText(text);
}

QString cStatusBar::PanelKey(long index) const {
  return index >= 1 && size_t(index) <= panels_.size() ? panels_[index - 1].key : QString();
}

long cStatusBar::PanelIndex(const QString& key) const {
  for (size_t i = 0; i < panels_.size(); ++i)
    if (panels_[i].key == key) return long(i) + 1;
  return 0;
}

void cStatusBar::SetPanelIcon(const QString& key, long icon) {
  const Panel* p = find(key);
  if (!p) return;
  QPixmap pm = images_ && icon >= 0 ? images_->ItemPicture(icon).pixmap(16, 16) : QPixmap();
  p->icon->setPixmap(pm);
  p->icon->setVisible(!pm.isNull());
}

void cStatusBar::SetStatusBackColor(long color) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ColorFromNumber(color));
  setPalette(pal);
  setAutoFillBackground(true);
}

bool cStatusBar::eventFilter(QObject* obj, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    for (size_t i = 0; i < panels_.size(); ++i)
      if (panels_[i].box == obj) emit PanelClick(long(i) + 1);
  }
  return QWidget::eventFilter(obj, event);
}
