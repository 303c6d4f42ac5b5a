#include "platform/cToolbar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QToolButton>

#include "platform/cImageList.h"

cToolbar::cToolbar(QWidget* parent) : QWidget(parent), row_(new QHBoxLayout(this)) {
  row_->setContentsMargins(2, 2, 2, 2);
  row_->setSpacing(1);
  row_->addStretch(1);
}

void cToolbar::CreateToolbar(int iconSize, bool vertical, bool captionBeside, bool flat) {
  iconSize_ = iconSize;
  captionBeside_ = captionBeside;
  flat_ = flat;
  row_->setDirection(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
}

long cToolbar::AddButton(const QString& toolTip, long image, const QString& caption, long style,
                         const QString& key) {
  const long index = long(buttons_.size()) + 1;
  const int at = row_->count() - 1;  // before the closing stretch
  if (style == Separator) {
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    row_->insertWidget(at, line);
    buttons_.push_back({key, style, line, nullptr});
    return index;
  }
  auto* b = new QToolButton(this);
  b->setObjectName(key);
  b->setToolTip(toolTip);
  b->setAutoRaise(flat_);
  b->setIconSize(QSize(iconSize_, iconSize_));
  if (images_ && image >= 0) b->setIcon(images_->ItemPicture(image));
  b->setText(caption);
  b->setToolButtonStyle(caption.isEmpty()  ? Qt::ToolButtonIconOnly
                        : captionBeside_ ? Qt::ToolButtonTextBesideIcon
                                         : Qt::ToolButtonTextUnderIcon);
  b->setCheckable(style == Check);
  // The check mark has already toggled when ButtonClick arrives.
  connect(b, &QToolButton::clicked, this, [this, index] { emit ButtonClick(index); });
  row_->insertWidget(at, b);
  QToolButton* arrow = nullptr;
  if (style == DropDown) {
    arrow = new QToolButton(this);
    arrow->setObjectName(key + ":arrow");
    arrow->setArrowType(Qt::DownArrow);
    arrow->setAutoRaise(flat_);
    arrow->setFixedWidth(14);
    connect(arrow, &QToolButton::clicked, this, [this, index] { emit ButtonDropDown(index); });
    row_->insertWidget(at + 1, arrow);
  }
  buttons_.push_back({key, style, b, arrow});
  return index;
}

QString cToolbar::ButtonKey(long index) const {
  if (index < 1 || index > ButtonCount()) return {};
  return buttons_[size_t(index - 1)].key;
}

long cToolbar::ButtonIndex(const QString& key) const {
  if (key.isEmpty()) return 0;
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i].key == key) return long(i) + 1;
  return 0;
}

const cToolbar::Button* cToolbar::find(const QString& key) const {
  const long i = ButtonIndex(key);
  return i ? &buttons_[size_t(i - 1)] : nullptr;
}

QToolButton* cToolbar::face(const Button& b) const {
  return b.style == Separator ? nullptr : static_cast<QToolButton*>(b.widget);
}

bool cToolbar::ButtonChecked(const QString& key) const {
  const Button* b = find(key);
  return b && face(*b) && face(*b)->isChecked();
}

void cToolbar::SetButtonChecked(const QString& key, bool on) {
  const Button* b = find(key);
  if (b && face(*b) && face(*b)->isCheckable()) face(*b)->setChecked(on);
}

bool cToolbar::ButtonEnabled(const QString& key) const {
  const Button* b = find(key);
  return b && b->widget->isEnabled();
}

void cToolbar::SetButtonEnabled(const QString& key, bool on) {
  const Button* b = find(key);
  if (!b) return;
  b->widget->setEnabled(on);
  if (b->arrow) b->arrow->setEnabled(on);
}

void cToolbar::GetButtonPosition(long index, long& x, long& y) const {
  if (index < 1 || index > ButtonCount()) return;
  const QWidget* w = buttons_[size_t(index - 1)].widget;
  const QPoint p = w->mapToGlobal(QPoint(0, w->height()));
  x = p.x();
  y = p.y();
}

QToolButton* cToolbar::ButtonFace(long index) const {
  if (index < 1 || index > ButtonCount()) return nullptr;
  return face(buttons_[size_t(index - 1)]);
}

QToolButton* cToolbar::ButtonArrow(long index) const {
  if (index < 1 || index > ButtonCount()) return nullptr;
  return buttons_[size_t(index - 1)].arrow;
}
