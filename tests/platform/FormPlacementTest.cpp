// Windows open with their whole frame, title bar included, on the available
// area of the screen, wherever their owner is or the program put them.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <optional>

#include "platform/Form.h"

namespace {
class OwnerForm : public Form {};
class PlacedForm : public Form {};

// The frame a window of that size gets shown modally over the owner, or shown
// alone where the program moved it.
QRect FrameWhenShown(Form& owner, QSize size, std::optional<QPoint> moved) {
  PlacedForm& f = form<PlacedForm>();
  f.resize(size);
  QRect frame;
  if (moved) {
    f.move(*moved);
    f.Show();
    frame = f.frameGeometry();
  } else {
    QTimer::singleShot(0, &f, [&f, &frame] {
      frame = f.frameGeometry();
      f.Hide();
    });
    f.ShowModal(&owner);
  }
  f.Unload();
  return frame;
}
}  // namespace

TEST(FormPlacement, EveryWindowOpensWithItsFrameInsideTheAvailableArea) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QPoint corner = area.bottomRight();
  struct Case {
    const char* name;
    QRect owner;  // the main window, shown
    QSize size;
    std::optional<QPoint> moved;  // none: shown modally over the owner
    std::optional<QPoint> topLeft;  // none: anywhere inside
  } cases[] = {
      {"taller than the space above the centre of an owner at the top", {area.topLeft(), QSize(640, 496)},
       {600, 564}, {}, {}},
      {"over an owner in the bottom right corner", {corner - QPoint(299, 199), QSize(300, 200)}, {400, 300}, {}, {}},
      {"larger than the screen keeps its title bar on it", {area.topLeft() + QPoint(100, 100), QSize(300, 200)},
       area.size() + QSize(200, 200), {}, area.topLeft()},
      {"moved partly above and left of the screen", {area.topLeft(), QSize(300, 200)}, {400, 300},
       area.topLeft() - QPoint(50, 80), area.topLeft()},
      {"moved partly below and right of the screen", {area.topLeft(), QSize(300, 200)}, {400, 300},
       corner - QPoint(100, 100), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OwnerForm& owner = form<OwnerForm>();
    owner.resize(c.owner.size());
    owner.move(c.owner.topLeft());
    owner.Show();
    const QRect frame = FrameWhenShown(owner, c.size, c.moved);
    owner.Unload();
    if (c.topLeft) {
      EXPECT_EQ(frame.topLeft(), *c.topLeft);
      continue;
    }
    EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                      << frame.height();
  }
}
