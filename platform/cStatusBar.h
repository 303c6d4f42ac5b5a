// Status bars with keyed panels (text, picture, width, tooltip); a click on a
// panel raises PanelClick with its 1-based position.
#pragma once
#include <QStringList>
#include <QWidget>
#include <vector>

class QLabel;
class cImageList;

class cStatusBar : public QWidget {
  Q_OBJECT
 public:
  explicit cStatusBar(QWidget* parent = nullptr);
  void SetImageList(cImageList* list) { images_ = list; }
  // Adds a panel and returns its position.
  long AddPanel(long style, const QString& text, const QString& toolTip, long icon, long width,
                bool spring, bool fitContents, long itemData, const QString& key);
  long PanelCount() const { return long(panels_.size()); }
  QString PanelText(const QString& key) const;
  void SetPanelText(const QString& key, const QString& text);
  QString PanelKey(long index) const;
  long PanelIndex(const QString& key) const;
  void SetPanelIcon(const QString& key, long icon);
  void SetStatusBackColor(long color);
 signals:
  void PanelClick(long index);
 protected:
  bool eventFilter(QObject* obj, QEvent* event) override;
 private:
  struct Panel {
    QString key;
    QWidget* box;
    QLabel* icon;
    QLabel* text;
  };
  const Panel* find(const QString& key) const;
  std::vector<Panel> panels_;
  cImageList* images_ = nullptr;
};
