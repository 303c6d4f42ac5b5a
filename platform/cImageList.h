// Image lists: pictures addressed by index from 0, shared by menus, toolbars,
// grids and trees. An index with no picture draws nothing.
#pragma once
#include <QIcon>
#include <QObject>
#include <vector>

class cImageList : public QObject {
  Q_OBJECT
 public:
  explicit cImageList(QObject* parent = nullptr) : QObject(parent) {}
  // Adds a picture and returns its index.
  long AddIcon(const QIcon& icon);
  void SetIcon(long index, const QIcon& icon);
  QIcon ItemPicture(long index) const;
  long ImageCount() const { return long(icons_.size()); }
 private:
  std::vector<QIcon> icons_;
};
