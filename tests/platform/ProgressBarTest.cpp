#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "TestEnv.h"
#include "platform/XP_ProgressBar.h"

namespace {
// Notes the value each paint of a bar shows.
struct PaintLog : QObject {
  std::vector<int> shown;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint) shown.push_back(static_cast<QProgressBar*>(o)->value());
    return false;
  }
};

template <class Bar>
void checkRepaintsAreThrottled() {
  QWidget window;
  window.resize(400, 40);
  auto* bar = new Bar(&window);
  bar->setGeometry(0, 0, 400, 20);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QCoreApplication::processEvents();
  PaintLog log;
  bar->installEventFilter(&log);
  // A run reports every percent, each through the event queue: one repaint at
  // the start and at most one per gap after it.
  QElapsedTimer clock;
  clock.start();
  for (long v = 1; v <= 100; ++v) {
    bar->SetValue(v);
    EXPECT_EQ(bar->Value(), v);
    QCoreApplication::processEvents();
  }
  const size_t allowed = 2 + clock.elapsed() / ThrottledProgressBar::RepaintGapMs;
  EXPECT_LE(log.shown.size(), allowed);
  // The last value shows once the work goes quiet.
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return !log.shown.empty() && log.shown.back() == 100; }, 2000));
  EXPECT_LE(log.shown.size(), allowed);
  // After a pause a change shows at once.
  QTest::qWait(ThrottledProgressBar::RepaintGapMs + 20);
  const size_t before = log.shown.size();
  bar->SetValue(10);
  QCoreApplication::processEvents();
  ASSERT_EQ(log.shown.size(), before + 1);
  EXPECT_EQ(log.shown.back(), 10);
}
}  // namespace

TEST(ProgressBars, ManyValuesRepaintAFewTimesAndEndOnTheLast) {
  checkRepaintsAreThrottled<XP_ProgressBar>();
  checkRepaintsAreThrottled<cProgressBar>();
}

TEST(ProgressBars, ValuesAreHeldInRangeAndFollowRangeChanges) {
  XP_ProgressBar bar;
  bar.SetMax(300);
  bar.SetValue(250);
  bar.SetValue(500);
  EXPECT_EQ(bar.Value(), 300);
  bar.SetValue(-5);
  EXPECT_EQ(bar.Value(), 0);
  bar.SetMin(10);
  EXPECT_EQ(bar.Min(), 10);
  bar.SetValue(120);
  bar.SetValue(200);  // not shown yet when the range changes
  bar.SetMax(150);
  EXPECT_EQ(bar.Max(), 150);
  EXPECT_EQ(bar.Value(), bar.value());  // the bar shows what it reports
  bar.SetValue(150);
  EXPECT_EQ(bar.Value(), 150);
}
