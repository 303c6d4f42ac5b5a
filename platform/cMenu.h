// The main window's menu object: one tree of keyed, captioned items with
// pictures, shown as popups. Items are addressed by their 1-based position.
#pragma once
#include <QFont>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QMenu;
class QWidget;
class cImageList;

class cMenu : public QObject {
  Q_OBJECT
 public:
  explicit cMenu(QObject* parent = nullptr);
  ~cMenu() override;
  void SetOwner(QWidget* owner) { owner_ = owner; }
  void SetImageList(cImageList* list) { images_ = list; }
  // Adds an item under parent (0 for a root) and returns its position. A
  // caption of "-" makes a separator.
  long AddItem(const QString& caption, const QString& help, long itemData, long parent, long icon,
               bool checked, bool enabled, const QString& key);
  long Count() const { return long(items_.size()); }
  // The position of the item with that key, 0 when there is none.
  long IndexForKey(const QString& key) const;
  QString ItemKey(long index) const;
  QString ItemCaption(long index) const;
  void SetItemCaption(long index, const QString& caption);
  bool ItemChecked(long index) const;
  void SetItemChecked(long index, bool on);
  bool ItemVisible(long index) const;
  void SetItemVisible(long index, bool on);
  bool ItemEnabled(long index) const;
  void SetItemEnabled(long index, bool on);
  long ItemParent(long index) const;
  void SetXPStyle(bool on) { xpStyle_ = on; }
  bool XPStyle() const { return xpStyle_; }
  void SetFont(const QFont& f) { font_ = f; }
  bool MenuActive() const { return menuActive_; }
  void SetMenuActive(bool on) { menuActive_ = on; }
  // Shows, at the owner's point (x, y), the popup that holds the item at index.
  void ShowPopupAt(long x, long y, long x2, long y2, long a, long b, long c, long index);
  // Shows that popup at a screen point (the tray's).
  void ShowPopupAtCursor(long x, long y, long index, long c);
  // The popup last shown (tests and the tray read it).
  QMenu* ActivePopup() const { return active_; }

 signals:
  void Click(long index);

 private:
  struct Item {
    QString caption, key;
    long parent = 0, icon = -1;
    bool checked = false, visible = true, enabled = true;
  };
  bool valid(long index) const;
  QMenu* buildPopup(long parent);
  void showPopup(long index, const QPoint& global);
  std::vector<Item> items_;
  QPointer<QWidget> owner_;
  cImageList* images_ = nullptr;
  QPointer<QMenu> active_;
  bool xpStyle_ = false;
  bool menuActive_ = false;
  QFont font_;
};
