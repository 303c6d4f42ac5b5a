// Toolbars: a row of buttons with a key, a picture from an image list, an
// optional caption and a tooltip. Buttons are numbered from 1 in the order they
// were added (separators count); index 0 names no button. Styles: plain,
// separator, check button, and drop-down button with an arrow of its own.
#pragma once
#include <QPoint>
#include <QString>
#include <QWidget>
#include <vector>

class QHBoxLayout;
class QToolButton;
class cImageList;

class cToolbar : public QWidget {
  Q_OBJECT
 public:
  enum Style { Plain = 0, Separator = 1, Check = 2, DropDown = 8 };

  explicit cToolbar(QWidget* parent = nullptr);
  void SetImageList(cImageList* list) { images_ = list; }
  // Picture size in pixels; captions beside the pictures or under them.
  void CreateToolbar(int iconSize, bool vertical, bool captionBeside, bool flat);
  // Adds a button and returns its index; image -1 for none.
  long AddButton(const QString& toolTip, long image, const QString& caption, long style,
                 const QString& key);

  long ButtonCount() const { return long(buttons_.size()); }
  QString ButtonKey(long index) const;
  long ButtonIndex(const QString& key) const;  // 0 when no button has the key
  bool ButtonChecked(const QString& key) const;
  void SetButtonChecked(const QString& key, bool on);
  bool ButtonEnabled(const QString& key) const;
  void SetButtonEnabled(const QString& key, bool on);
  // The screen point under the left edge of a button, for drop-down menus.
  void GetButtonPosition(long index, long& x, long& y) const;
  // The button's face, for presses from code and tests; nullptr for none.
  QToolButton* ButtonFace(long index) const;
  QToolButton* ButtonArrow(long index) const;

 signals:
  void ButtonClick(long index);
  void ButtonDropDown(long index);

 private:
  struct Button {
    QString key;
    long style;
    QWidget* widget;      // the face, or the separator line
    QToolButton* arrow;   // drop-down buttons only
  };
  const Button* find(const QString& key) const;
  QToolButton* face(const Button& b) const;
  QHBoxLayout* row_;
  cImageList* images_ = nullptr;
  int iconSize_ = 16;
  bool captionBeside_ = true;
  bool flat_ = true;
  std::vector<Button> buttons_;
};
