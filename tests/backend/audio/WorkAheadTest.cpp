// Jobs worked ahead that hang in a read (a stalled network share, a
// scratched disc): stopping them never waits for them, and they leave no file.
#include <gtest/gtest.h>

#include <QDir>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "AudioFixtures.h"
#include "JobWatcher.h"
#include "TestEnv.h"
#include "backend/audio/WorkAhead.h"

using namespace AudioFixtures;

namespace {
// Holds every read until opened.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  void Open() {
    std::lock_guard lock(mutex);
    open = true;
    changed.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return open; });
  }
};

// A file source whose reads hang until the gate opens, deaf to any abort.
class HangingSource : public PcmSource {
 public:
  HangingSource(std::unique_ptr<PcmSource> file, std::shared_ptr<Gate> gate)
      : file_(std::move(file)), gate_(std::move(gate)) {}
  bool Open(QString* error) override { return file_->Open(error); }
  PcmFormat NativeFormat() const override { return file_->NativeFormat(); }
  bool Start(PcmFormat format, QString* error) override { return file_->Start(format, error); }
  int Read(QString* error) override {
    gate_->Wait();
    return file_->Read(error);
  }
  const void* Pcm() const override { return file_->Pcm(); }
  double Progress() const override { return file_->Progress(); }
  QString File() const override { return file_->File(); }

 private:
  std::unique_ptr<PcmSource> file_;
  std::shared_ptr<Gate> gate_;
};

class HangingConverter : public cAudioConverter {
 public:
  explicit HangingConverter(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}

 protected:
  std::shared_ptr<AheadJob> CurrentJob(bool ahead) const override {
    auto job = cAudioConverter::CurrentJob(ahead);
    job->sources = [gate = gate_, files = job->sources](const std::atomic<bool>& abort) {
      PcmSources sources = files(abort);
      sources[0] = std::make_unique<HangingSource>(std::move(sources[0]), gate);
      return sources;
    };
    return job;
  }

 private:
  std::shared_ptr<Gate> gate_;
};
}  // namespace

// Three jobs queued ahead, all hanging in their first read; the first one's
// turn comes. Abort and closing the control return while every read still
// hangs; once the reads go on, the stopped jobs end and no file stays.
TEST(WorkAhead, AbortAndCloseReturnWhileReadsHang) {
  const QString dir = TestEnv::FreshDir("hanging");
  const QString out = TestEnv::FreshDir("hanging_out");
  for (const char* name : {"a", "b", "c"}) WriteWav(dir + "/" + name + ".wav", 44100, 2, 16, 1.0);
  cAudioConverter::SetWorkAheadThreads(3);
  auto gate = std::make_shared<Gate>();
  // Should a call wait for the reads after all, they go on after a while.
  std::atomic<bool> released{false}, finished{false};
  std::thread safety([&] {
    for (int i = 0; i < 3000 && !finished; ++i) QThread::msleep(10);
    released = true;
    gate->Open();
  });
  auto parts = [&] { return QDir(out).entryList({".*.part"}, QDir::Files | QDir::Hidden); };
  bool abortReturnedFirst = false, closeReturnedFirst = false;
  {
    HangingConverter converter(gate);
    converter.SetDestinationFormat(DestWav);
    for (const char* name : {"a", "b", "c"}) {
      converter.SetInputFile(dir + "/" + name + ".wav");
      converter.SetOutputFile(out + "/" + name + ".wav");
      ASSERT_TRUE(converter.PrepareAhead());
    }
    EXPECT_TRUE(TestEnv::WaitUntil([&] { return parts().size() == 3; }, 10000));
    converter.SetInputFile(dir + "/a.wav");
    converter.SetOutputFile(out + "/a.wav");
    JobWatcher watcher(converter);
    ASSERT_EQ(converter.StartConvert(), 0);
    converter.AbortConvert();
    abortReturnedFirst = !released;
    EXPECT_TRUE(watcher.Wait());
    EXPECT_EQ(watcher.ends, QStringList{"Aborted"});
  }
  closeReturnedFirst = !released;
  finished = true;
  safety.join();
  EXPECT_TRUE(abortReturnedFirst);
  EXPECT_TRUE(closeReturnedFirst);
  gate->Open();
  EXPECT_TRUE(cAudioConverter::WaitForStoppedJobs(10000));
  EXPECT_EQ(parts(), QStringList());
  EXPECT_EQ(FilesIn(out), QStringList());
  cAudioConverter::SetWorkAheadThreads(0);
}
