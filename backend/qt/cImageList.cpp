#include "platform/cImageList.h"

long cImageList::AddIcon(const QIcon& icon) {
  icons_.push_back(icon);
  return long(icons_.size()) - 1;
}

void cImageList::SetIcon(long index, const QIcon& icon) {
  if (index < 0) return;
  if (size_t(index) >= icons_.size()) icons_.resize(size_t(index) + 1);
  icons_[size_t(index)] = icon;
}

QIcon cImageList::ItemPicture(long index) const {
  if (index < 0 || size_t(index) >= icons_.size()) return QIcon();
  return icons_[size_t(index)];
}
