#include "platform/cBalloonTip.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QStyle>
#include <QTimer>

namespace {
constexpr int kShownMs = 6000;

QStyle::StandardPixmap pixmapFor(int icon) {
  switch (icon) {
    case 2: return QStyle::SP_MessageBoxWarning;
    case 3: return QStyle::SP_MessageBoxCritical;
    default: return QStyle::SP_MessageBoxInformation;
  }
}

class Balloon : public QFrame {
 public:
  explicit Balloon(QWidget* target) : QFrame(target, Qt::ToolTip | Qt::FramelessWindowHint) {
    setObjectName("cBalloonTip");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
  }
 protected:
  void mousePressEvent(QMouseEvent*) override { close(); }
};

// One balloon per control: a new warning replaces the one still up.
void closeOldBalloon(QWidget* target) {
  for (QObject* child : target->children())
    if (auto* b = qobject_cast<QWidget*>(child); b && b->objectName() == "cBalloonTip") b->close();
}
}  // namespace

void cBalloonTip::ShowTip() const {
  if (!BalloonHwnd) return;
  closeOldBalloon(BalloonHwnd);
  auto* frame = new Balloon(BalloonHwnd);
  auto* icon = new QLabel(frame);
  auto* text = new QLabel(QString(BalloonText).replace("\r\n", "\n"), frame);
  text->setObjectName("text");
  auto* row = new QHBoxLayout(frame);
  row->setContentsMargins(8, 6, 8, 6);
  if (BalloonIcon > 0) {
    int size = frame->style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(frame->style()->standardIcon(pixmapFor(BalloonIcon)).pixmap(size, size));
    row->addWidget(icon, 0, Qt::AlignTop);
  }
  row->addWidget(text);
  frame->setFrameStyle(QFrame::Box);
  frame->setAutoFillBackground(true);
  frame->setBackgroundRole(QPalette::ToolTipBase);
  frame->adjustSize();
  frame->move(BalloonHwnd->mapToGlobal(QPoint(BalloonHwnd->width() / 4, BalloonHwnd->height())));
  frame->show();
  QTimer::singleShot(kShownMs, frame, &QWidget::close);
}
