// The process's worker threads stay within one budget however the pools nest:
// jobs worked ahead on every core, each coding its APE frames in parallel.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "AudioFixtures.h"
#include "TestEnv.h"
#include "backend/audio/SourceProbe.h"
#include "backend/audio/ThreadBudget.h"
#include "backend/audio/WorkAhead.h"

using namespace AudioFixtures;

namespace {
int ThreadsNow() { return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()); }

// Counts the process's threads, as often as it can, while it lives.
class ThreadWatch {
 public:
  ThreadWatch() : thread_([this] {
      while (!stop_) most_ = std::max(most_.load(), ThreadsNow());
    }) {}
  ~ThreadWatch() { Stop(); }
  // The most threads seen, this watch's own included.
  int Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return most_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int> most_{0};
  std::thread thread_;
};

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Several frames at the faster levels (73728 blocks each).
QString ApeInput(const QString& dir) { return WriteWav(dir + "/in.wav", 8000, 2, 16, 60.0); }

std::shared_ptr<AheadJob> ApeJob(const QString& input, const QString& output) {
  AudioJobSettings settings;
  settings.destinationFormat = DestApe;
  settings.apeLevel = 2;
  settings.outputFile = output;
  auto job = FileJob(settings, input);
  job->temp = HiddenTemp(output);
  return job;
}

// The file the job writes when its frames are coded on its own thread alone.
QByteArray OneThreadApe(const QString& input, const QString& output) {
  qputenv("TESSORY_APE_THREADS", "1");
  auto job = ApeJob(input, output);
  job->Run([](int, int) {});
  qunsetenv("TESSORY_APE_THREADS");
  EXPECT_EQ(job->Outcome().code, 0) << job->Outcome().text.toStdString();
  return ReadAll(job->temp.Path());
}
}  // namespace

// A job per core worked ahead, each writing APE on every core it can get:
// never more than two threads per core and eight others, every file byte for
// byte the one-thread encode's, and the budget all given back at the end.
TEST(ThreadBudget, WorkAheadOfApeJobsStaysWithinTwoThreadsPerCoreAndEight) {
  const QString dir = TestEnv::FreshDir("budget_ahead");
  const QString input = ApeInput(dir);
  const QByteArray expected = OneThreadApe(input, dir + "/one.ape");
  ASSERT_GT(expected.size(), 1000);

  const int cores = ThreadBudget::Cores();
  ThreadWatch watch;
  {
    WorkAheadPool pool;
    std::vector<std::shared_ptr<AheadJob>> jobs;
    for (int i = 0; i < cores + 2; ++i) {
      jobs.push_back(ApeJob(input, dir + QString("/%1.ape").arg(i)));
      pool.Add(jobs.back());
    }
    for (const auto& job : jobs) {
      bool claimed = false;
      const auto taken = pool.Take(*job, &claimed);
      ASSERT_EQ(taken, job);
      if (claimed)
        job->Run([](int, int) {});
      else
        job->Follow([](int, int) {});
      ASSERT_EQ(job->Outcome().code, 0) << job->Outcome().text.toStdString();
      EXPECT_TRUE(ReadAll(job->temp.Path()) == expected) << job->temp.Path().toStdString();
    }
  }
  // Workers end on their own once the queue is empty.
  EXPECT_TRUE(WaitForDetached(10000));
  EXPECT_LE(watch.Stop(), 2 * cores + 8);
  EXPECT_EQ(ThreadBudget::PlacesHeld(), 0);
  EXPECT_EQ(ThreadBudget::CoresHeld(), 0);
}

// An APE file written alone still codes on every core.
TEST(ThreadBudget, ApeJobAloneCodesOnEveryCore) {
  const QString dir = TestEnv::FreshDir("budget_alone");
  const QString input = ApeInput(dir);
  const int before = ThreadsNow();
  ThreadWatch watch;
  auto job = ApeJob(input, dir + "/alone.ape");
  job->Run([](int, int) {});
  ASSERT_EQ(job->Outcome().code, 0) << job->Outcome().text.toStdString();
  // The watch, and a coder beside this thread for every other core.
  EXPECT_GE(watch.Stop(), before + 1 + ThreadBudget::Cores() - 1);
}

// With every place of the budget held elsewhere, files probed ahead are
// probed when asked for, and work ahead waits for the job's turn.
TEST(ThreadBudget, PoolsRefusedAPlaceWorkOnTheCallersThread) {
  const QString dir = TestEnv::FreshDir("budget_full");
  const QString wav = WriteWav(dir + "/a.wav", 8000, 1, 16, 0.5);
  std::vector<ThreadBudget::Held> held;
  while (ThreadBudget::Held place = ThreadBudget::TakePlace()) held.push_back(std::move(place));
  const int before = ThreadsNow();

  ProbePool probes;
  probes.Start({wav, dir + "/missing.wav"});
  SourceProbe p;
  ASSERT_TRUE(probes.Take(dir + "/missing.wav", &p));
  EXPECT_FALSE(p.opened);
  ASSERT_TRUE(probes.Take(wav, &p));
  EXPECT_TRUE(p.opened);
  EXPECT_EQ(p.info.durationMs, 500);

  WorkAheadPool pool;
  auto job = ApeJob(wav, dir + "/a.ape");
  pool.Add(job);
  EXPECT_EQ(ThreadsNow(), before);
  bool claimed = false;
  EXPECT_EQ(pool.Take(*job, &claimed), job);
  EXPECT_TRUE(claimed);
}

// A place or core taken goes back however its holder ends: an early return,
// an exception, or a new place given to the same holder.
TEST(ThreadBudget, PlacesAndCoresGoBackWhateverEndsTheirHolder) {
  const int places = ThreadBudget::PlacesHeld(), cores = ThreadBudget::CoresHeld();
  auto holdThenThrow = [] {
    const ThreadBudget::Held place = ThreadBudget::TakePlace();
    const ThreadBudget::Held core = ThreadBudget::TakeCore();
    if (place && core) throw std::runtime_error("the job failed");
  };
  EXPECT_THROW(holdThenThrow(), std::runtime_error);
  ThreadBudget::Held moved = ThreadBudget::TakePlace();
  ASSERT_TRUE(moved);
  ThreadBudget::Held other = std::move(moved);
  EXPECT_FALSE(moved);
  other = ThreadBudget::TakeCore();
  EXPECT_EQ(ThreadBudget::PlacesHeld(), places);
  other = {};
  EXPECT_EQ(ThreadBudget::PlacesHeld(), places);
  EXPECT_EQ(ThreadBudget::CoresHeld(), cores);
}
