// A label for a text of any length (a reason that quotes paths and file
// names): it breaks lines between words, and inside a word wider than itself,
// so that no part is cut off; heightForWidth is the height its lines take.
// Lines run from the left.
#pragma once
#include <QLabel>

class WrapLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
