#include "platform/cTabControl.h"

#include <QTabBar>

#include "platform/Form.h"
#include "platform/cImageList.h"

cTabControl::cTabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
  bar_->setDrawBase(true);
  bar_->setExpanding(false);
  connect(bar_, &QTabBar::currentChanged, this, [this](int i) {
    if (!quiet_ && i >= 0) emit TabClick(i + 1);
  });
}

long cTabControl::AddTab(const QString& caption, long icon, long, const QString& key) {
  quiet_ = true;
  int i = images_ && icon >= 0 ? bar_->addTab(images_->ItemPicture(icon), caption) : bar_->addTab(caption);
  quiet_ = false;
  keys_.insert(i, key);
  bar_->resize(width(), bar_->sizeHint().height());
  return i + 1;
}

void cTabControl::ClearTabs() {
  quiet_ = true;
  while (bar_->count()) bar_->removeTab(0);
  quiet_ = false;
  keys_.clear();
}

long cTabControl::TabCount() const { return bar_->count(); }
long cTabControl::TabIndex(const QString& key) const { return keys_.indexOf(key) + 1; }
QString cTabControl::TabKey(long index) const { return keys_.value(index - 1); }

void cTabControl::SelectTab(const QString& key) { SelectTabIndex(TabIndex(key)); }

void cTabControl::SelectTabIndex(long index) {
  if (index < 1 || index > bar_->count()) return;
  quiet_ = true;
  bar_->setCurrentIndex(int(index - 1));
  quiet_ = false;
}

long cTabControl::SelectedTab() const { return bar_->currentIndex() + 1; }

QRect cTabControl::clientRect() const {
  int top = bar_->sizeHint().height();
  QRect r(4, top + 4, std::max(0, width() - 8), std::max(0, height() - top - 8));
  return QRect(mapToParent(r.topLeft()), r.size());
}

int cTabControl::ClientLeft() const { return twips(clientRect().left()); }
int cTabControl::ClientTop() const { return twips(clientRect().top()); }
int cTabControl::ClientWidth() const { return twips(clientRect().width()); }
int cTabControl::ClientHeight() const { return twips(clientRect().height()); }

void cTabControl::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  bar_->resize(width(), bar_->sizeHint().height());
}
