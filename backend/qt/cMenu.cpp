#include "platform/cMenu.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>

#include "platform/cImageList.h"

cMenu::cMenu(QObject* parent) : QObject(parent) {}
cMenu::~cMenu() {
  if (active_) active_->deleteLater();
}

long cMenu::AddItem(const QString& caption, const QString&, long, long parent, long icon, bool checked,
                    bool enabled, const QString& key) {
  items_.push_back({caption, key, parent, icon, checked, true, enabled});
  return long(items_.size());
}

long cMenu::IndexForKey(const QString& key) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].key == key) return long(i) + 1;
  return 0;
}

bool cMenu::valid(long i) const { return i >= 1 && size_t(i) <= items_.size(); }

QString cMenu::ItemKey(long i) const { return valid(i) ? items_[i - 1].key : QString(); }
QString cMenu::ItemCaption(long i) const { return valid(i) ? items_[i - 1].caption : QString(); }
void cMenu::SetItemCaption(long i, const QString& c) {
  if (valid(i)) items_[i - 1].caption = c;
}
bool cMenu::ItemChecked(long i) const { return valid(i) && items_[i - 1].checked; }
void cMenu::SetItemChecked(long i, bool on) {
  if (valid(i)) items_[i - 1].checked = on;
}
bool cMenu::ItemVisible(long i) const { return valid(i) && items_[i - 1].visible; }
void cMenu::SetItemVisible(long i, bool on) {
  if (valid(i)) items_[i - 1].visible = on;
}
bool cMenu::ItemEnabled(long i) const { return valid(i) && items_[i - 1].enabled; }
void cMenu::SetItemEnabled(long i, bool on) {
  if (valid(i)) items_[i - 1].enabled = on;
}
long cMenu::ItemParent(long i) const { return valid(i) ? items_[i - 1].parent : 0; }

// Builds the popup of one level; hidden roots still show as popups, since the
// window shows its menus only as popups.
QMenu* cMenu::buildPopup(long parent) {
  auto* menu = new QMenu(owner_);
  if (font_ != QFont()) menu->setFont(font_);
  for (size_t i = 0; i < items_.size(); ++i) {
    const Item& it = items_[i];
    if (it.parent != parent) continue;
    if (it.caption == "-") {
      menu->addSeparator();
      continue;
    }
    long index = long(i) + 1;
    QString text = it.caption;
    bool hasChildren = std::any_of(items_.begin(), items_.end(), [index](const Item& c) { return c.parent == index; });
    if (hasChildren) {
      QMenu* sub = buildPopup(index);
      sub->setTitle(text);
      if (images_ && it.icon >= 0) sub->setIcon(images_->ItemPicture(it.icon));
      QAction* a = menu->addMenu(sub);
      a->setVisible(it.visible || parent != 0);
      a->setEnabled(it.enabled);
      continue;
    }
    QAction* a = menu->addAction(text);
    if (images_ && it.icon >= 0) a->setIcon(images_->ItemPicture(it.icon));
    a->setCheckable(it.checked);
    a->setChecked(it.checked);
    a->setEnabled(it.enabled);
    a->setVisible(it.visible);
    connect(a, &QAction::triggered, this, [this, index] { emit Click(index); });
  }
  return menu;
}

void cMenu::showPopup(long index, const QPoint& global) {
  if (!valid(index)) return;
  if (active_) active_->deleteLater();
  QMenu* menu = buildPopup(items_[index - 1].parent);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  active_ = menu;
  menu->popup(global);
}

void cMenu::ShowPopupAt(long x, long y, long, long, long, long, long, long index) {
  const QPoint p{int(x), int(y)};
  showPopup(index, owner_ ? owner_->mapToGlobal(p) : p);
}

void cMenu::ShowPopupAtCursor(long x, long y, long index, long) { showPopup(index, QPoint(int(x), int(y))); }
