// Tab strips with keyed, captioned tabs. The window places its own page boxes
// on the strip's client rectangle (ClientLeft/Top/Width/Height, in twips in the
// parent's coordinates) and shows the page of the clicked tab.
#pragma once
#include <QStringList>
#include <QWidget>

class QTabBar;
class cImageList;

class cTabControl : public QWidget {
  Q_OBJECT
 public:
  explicit cTabControl(QWidget* parent = nullptr);
  void SetImageList(cImageList* list) { images_ = list; }
  // Adds a tab and returns its 1-based index.
  long AddTab(const QString& caption, long icon = -1, long itemData = -1, const QString& key = QString());
  void ClearTabs();
  long TabCount() const;
  // 1-based index of the keyed tab, 0 when there is none.
  long TabIndex(const QString& key) const;
  QString TabKey(long index) const;
  void SelectTab(const QString& key);
  void SelectTabIndex(long index);
  long SelectedTab() const;
  QString SelectedTabKey() const { return TabKey(SelectedTab()); }
  int ClientLeft() const;
  int ClientTop() const;
  int ClientWidth() const;
  int ClientHeight() const;
  QTabBar* Bar() const { return bar_; }
 signals:
  // A tab was clicked (or chosen with the keyboard): its 1-based index.
  void TabClick(long index);
 protected:
  void resizeEvent(QResizeEvent* e) override;
 private:
  QRect clientRect() const;
  QTabBar* bar_;
  QStringList keys_;
  cImageList* images_ = nullptr;
  bool quiet_ = false;
};
