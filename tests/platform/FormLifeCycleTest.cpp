#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include "platform/Form.h"
#include "platform/Timer.h"

namespace {
class ProbeForm : public Form {
 public:
  int loads = 0;
  int terminates = 0;
  bool refuse = false;
 protected:
  void Form_Load() override { ++loads; }
  void Form_Unload(int& Cancel) override { Cancel = refuse ? 1 : 0; }
  void Form_Terminate() override { ++terminates; }
};
}  // namespace

TEST(FormLifeCycle, LoadOnceUnloadCanBeRefused) {
  ProbeForm& f = form<ProbeForm>();
  EXPECT_EQ(f.loads, 1);
  EXPECT_EQ(&form<ProbeForm>(), &f);  // one instance
  EXPECT_FALSE(f.isVisible());        // loading does not show
  f.refuse = true;
  EXPECT_FALSE(f.Unload());
  EXPECT_EQ(loadedForm<ProbeForm>(), &f);
  f.refuse = false;
  EXPECT_TRUE(f.Unload());
  EXPECT_EQ(f.terminates, 1);
  EXPECT_EQ(loadedForm<ProbeForm>(), nullptr);
}

TEST(FormLifeCycle, ModalShowReturnsWhenTheWindowHides) {
  ProbeForm& f = form<ProbeForm>();
  QTimer::singleShot(50, &f, [&f] { f.Hide(); });
  f.ShowModal();
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(f.IsModalShown());
  f.Unload();
}

TEST(FormLifeCycle, TimerTicksOnlyWhileEnabled) {
  Timer t;
  int ticks = 0;
  QObject::connect(&t, &Timer::Tick, [&] {
    ++ticks;
    t.SetEnabled(false);  // one-shot, as the windows use it
  });
  t.SetInterval(10);
  QEventLoop loop;
  QTimer::singleShot(100, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(ticks, 0);
  t.SetEnabled(true);
  QTimer::singleShot(100, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(ticks, 1);
}
