// UI-thread time the two progress bars of a task window cost while a run
// reports every percent, beside the plain bar that repaints on each value.
// The percent events come through the event queue at a converter's pace.
#include <QApplication>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

#include "platform/XP_ProgressBar.h"

namespace {
constexpr int Items = 10;
constexpr int TickMs = 10;          // a 10-second item converts in about 0.2 s:
constexpr int EventsPerTick = 5;    // 101 percent events in 21 ticks
constexpr int Runs = 3;
constexpr double Target = 0.25;

double threadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Posts every percent of every item to set(current, total) as queued calls and
// answers the UI thread's CPU seconds for the run, the last values shown.
double runItems(QWidget& window, const std::function<void(int, int)>& set) {
  window.show();
  QCoreApplication::processEvents();
  int step = 0;
  QEventLoop loop;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    for (int i = 0; i < EventsPerTick && step < Items * 101; ++i, ++step) {
      const int item = step / 101, percent = step % 101;
      QMetaObject::invokeMethod(&window, [&set, item, percent] { set(percent, item * 100 + percent); },
                                Qt::QueuedConnection);
    }
    if (step == Items * 101) {
      tick.stop();
      QTimer::singleShot(2 * ThrottledProgressBar::RepaintGapMs, &loop, &QEventLoop::quit);
    }
  });
  const double start = threadCpuSeconds();
  tick.start(TickMs);
  loop.exec();
  return threadCpuSeconds() - start;
}

template <class Bar, class Set>
double once(Set setValue) {
  QWidget window;
  window.resize(660, 60);
  auto* current = new Bar(&window);
  auto* total = new Bar(&window);
  current->setGeometry(8, 8, 640, 14);
  total->setGeometry(8, 26, 640, 14);
  total->setMaximum(Items * 100);
  return runItems(window, [&](int c, int t) {
    setValue(*current, c);
    setValue(*total, t);
  });
}

// Median of the runs, in milliseconds per item.
template <class Bar, class Set>
double side(Set setValue) {
  std::vector<double> ms;
  for (int i = 0; i < Runs; ++i) ms.push_back(once<Bar>(setValue) * 1000 / Items);
  std::sort(ms.begin(), ms.end());
  return ms[Runs / 2];
}
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const double idle = side<QProgressBar>([](QProgressBar&, int) {});
  const double plain = side<QProgressBar>([](QProgressBar& b, int v) { b.setValue(v); });
  const double ours = side<XP_ProgressBar>([](XP_ProgressBar& b, int v) { b.SetValue(v); });
  std::printf("two progress bars, %d items of 101 percent events, median of %d runs\n", Items, Runs);
  std::printf("event queue alone  %.2f ms UI-thread CPU per item\n", idle);
  std::printf("plain bars         %.2f ms per item more\n", plain - idle);
  std::printf("our bars           %.2f ms per item more\n", ours - idle);
  const double ratio = std::max(0.0, ours - idle) / std::max(1e-9, plain - idle);
  std::printf("ratio %.3f (target at most %.2f)%s\n", ratio, Target, ratio <= Target ? "" : " MISSED");
  return 0;
}
