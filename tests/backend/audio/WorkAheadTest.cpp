// Jobs worked ahead: those that hang in a read (a stalled network share, a
// scratched disc) are never waited for and leave no file, even at the
// program's exit; what waits ahead stays bounded however long the list; and a
// row's own failure or a want of open files or of room ends each row as one
// at a time would.
#include <gtest/gtest.h>

#include <QDir>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "AudioFixtures.h"
#include "GermanLocale.h"
#include "JobWatcher.h"
#include "SmallDisk.h"
#include "TestEnv.h"
#include "backend/audio/WorkAhead.h"

using namespace AudioFixtures;

namespace {
// The rows' set-up: the input to a small WAV, quick to write.
void ToWav(cAudioConverter& c, const QString& in) {
  c.SetDestinationFormat(DestWav);
  c.SetWavFormat({8000, 1, 16});
  c.SetInputFile(in);
}

// Holds every read until opened.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  int held = 0;  // reads that came to the gate
  void Open() {
    std::lock_guard lock(mutex);
    open = true;
    changed.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex);
    ++held;
    changed.notify_all();
    changed.wait(lock, [&] { return open; });
  }
  bool WaitForARead(int ms) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return held > 0; });
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

// Work-ahead workers set by a test go back to one per core, whatever its end.
class WorkAhead : public ::testing::Test {
 protected:
  void TearDown() override {
    cAudioConverter::SetWorkAheadThreads(0);
    cAudioConverter::WaitForStoppedJobs(60000);
  }
};

int OpenDescriptors() {
  const QDir::Filters every = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
  return int(QDir("/proc/self/fd").entryList(every).size());
}

QStringList Temporaries(const QString& dir) { return QDir(dir).entryList({".*.part"}, QDir::Files | QDir::Hidden); }

// Runs each output's turn in order on the converter; the endings, with the
// error texts.
QStringList RunTurns(cAudioConverter& c, const QStringList& outputs) {
  QStringList ends;
  for (const QString& output : outputs) {
    JobWatcher w(c);
    c.SetOutputFile(output);
    if (c.StartConvert() != 0 || !w.Wait(60000, 0)) return ends << "not started";
    ends << (w.ends.value(0) == "Error" ? "Error: " + w.errorText : w.ends.join(","));
  }
  return ends;
}

// Takes every open file the soft limit (lowered to a few more than are open)
// leaves, until Free; the limit goes back as it was.
class DescriptorsUsedUp {
 public:
  DescriptorsUsedUp() {
    getrlimit(RLIMIT_NOFILE, &old_);
    const rlimit low{rlim_t(OpenDescriptors() + 16), old_.rlim_max};
    setrlimit(RLIMIT_NOFILE, &low);
    for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) taken_.push_back(fd);
  }
  ~DescriptorsUsedUp() { Free(); }
  void Free() {
    for (int fd : taken_) close(fd);
    taken_.clear();
    setrlimit(RLIMIT_NOFILE, &old_);
  }
  rlim_t SoftLimit() const {
    rlimit now{};
    getrlimit(RLIMIT_NOFILE, &now);
    return now.rlim_cur;
  }
  rlim_t Lowered() const { return rlim_t(taken_.size()); }

 private:
  rlimit old_{};
  std::vector<int> taken_;
};

// Takes the room a disk has left, to the last byte, while the file is there.
bool TakeTheRoom(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
  const QByteArray block(64 << 10, 'x');
  for (qint64 n = block.size(); n > 0; n /= 2)
    while (f.write(block.constData(), n) == n) {
    }
  return true;
}

class NoJob : public cAudioJobControl {
 public:
  using cAudioJobControl::StartTurn;
};
}  // namespace

// Three jobs queued ahead, all hanging in their first read; the first one's
// turn comes. Abort and closing the control return while every read still
// hangs; once the reads go on, the stopped jobs end and no file stays.
TEST_F(WorkAhead, AbortAndCloseReturnWhileReadsHang) {
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
}

// A long list whose first turn does not come (its question waits for the
// user): the workers go only so far ahead, open files and outputs on disk
// stay bounded, and every row then ends as one at a time ends it.
TEST_F(WorkAhead, ALongListWithItsFirstTurnHeldStaysBounded) {
  constexpr int kRows = 600, kWorkers = 4;
  const QString dir = TestEnv::FreshDir("longlist");
  const QString out = dir + "/out";
  const QString in = WriteWav(dir + "/short.wav", 8000, 1, 16, 0.05, Signal::Ramp);
  cAudioConverter::SetWorkAheadThreads(kWorkers);
  const int before = OpenDescriptors();
  cAudioConverter c;
  ToWav(c, in);
  QStringList outputs;
  for (int row = 1; row <= kRows; ++row) {
    outputs << out + QString("/row %1.wav").arg(row);
    c.SetOutputFile(outputs.back());
    ASSERT_TRUE(c.PrepareAhead());
  }
  // The workers end once they went as far ahead as they may.
  ASSERT_TRUE(cAudioConverter::WaitForStoppedJobs(120000));
  EXPECT_LT(OpenDescriptors() - before, 8 * kWorkers);
  EXPECT_LE(Temporaries(out).size(), 8 * kWorkers);
  EXPECT_EQ(RunTurns(c, outputs), QStringList(kRows, "Done"));
  EXPECT_EQ(FilesIn(out).size(), kRows);
  EXPECT_EQ(DecodePcm(outputs.back()), DecodePcm(in));
}

// With no open file to spare, a row that cannot open its input is not called
// damaged; rows worked ahead that ran short of open files convert at their
// turns once files are free again; and the process's limit is left alone.
TEST_F(WorkAhead, RunningOutOfOpenFilesIsNoDamageAndIsRetriedAtTheTurn) {
  const QString dir = TestEnv::FreshDir("nofiles");
  const QString in = WriteWav(dir + "/in.wav", 8000, 1, 16, 0.2, Signal::Ramp);
  cAudioConverter::SetWorkAheadThreads(2);
  cAudioConverter c;
  ToWav(c, in);
  const QStringList outputs = {dir + "/1.wav", dir + "/2.wav", dir + "/3.wav"};
  QStringList alone;
  {
    DescriptorsUsedUp used;
    const rlim_t lowered = used.SoftLimit();
    alone = RunTurns(c, {dir + "/alone.wav"});
    for (const QString& output : outputs) {
      c.SetOutputFile(output);
      ASSERT_TRUE(c.PrepareAhead());
    }
    ASSERT_TRUE(cAudioConverter::WaitForStoppedJobs(60000));
    EXPECT_EQ(used.SoftLimit(), lowered);
  }
  ASSERT_EQ(alone.size(), 1);
  EXPECT_TRUE(alone[0].startsWith("Error: ")) << alone[0].toStdString();
  EXPECT_FALSE(alone[0].contains("damaged")) << alone[0].toStdString();
  EXPECT_EQ(RunTurns(c, outputs), QStringList(3, "Done"));
  EXPECT_EQ(DecodePcm(outputs.back()), DecodePcm(in));
}

// Rows worked ahead onto a full disk convert at their turns once there is
// room again, in each kind of writer (our APE encoder, FFmpeg's, LAME's),
// under a locale whose system messages are not English.
TEST_F(WorkAhead, RunningOutOfRoomIsRetriedAtTheTurnInAnyLanguage) {
  const GermanLocale german;
  ASSERT_TRUE(german.Active() || !GermanLocale::Buildable()) << german.Problem().toStdString();
  if (!german.Active()) GTEST_SKIP() << german.Problem().toStdString();
  const QString in = WriteWav(TestEnv::FreshDir("noroom") + "/in.wav", 44100, 2, 16, 0.5, Signal::Ramp);
  const QString disk = TestEnv::FreshDir("noroom_disk");
  const SmallDisk small(disk, 2 << 20);
  if (!small.Mounted()) GTEST_SKIP() << "no small disk can be mounted here";
  struct Case {
    const char* ext;
    std::function<void(cAudioConverter&)> format;
    bool lossless;
  } cases[] = {
      {"ape", [](cAudioConverter& c) { c.SetDestinationFormat(DestApe), c.SetApeLevel(1); }, true},
      {"wav", [](cAudioConverter& c) { c.SetDestinationFormat(DestWav), c.SetWavFormat({44100, 2, 16}); }, true},
      {"mp3",
       [](cAudioConverter& c) {
         Mp3FormatRecord mp3;
         mp3.Bitrate = 128, mp3.SampleRate = 44100, mp3.Quality = 5;
         c.SetDestinationFormat(DestMp3), c.SetMp3Format(mp3);
       },
       false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.ext);
    for (const QString& file : FilesIn(disk)) QFile::remove(disk + "/" + file);
    cAudioConverter::SetWorkAheadThreads(2);
    cAudioConverter c;
    k.format(c);
    c.SetInputFile(in);
    QStringList outputs;
    for (int i = 1; i <= 3; ++i) outputs << QString("%1/%2.%3").arg(disk).arg(i).arg(k.ext);
    ASSERT_TRUE(TakeTheRoom(disk + "/filler"));
    for (const QString& output : outputs) {
      c.SetOutputFile(output);
      ASSERT_TRUE(c.PrepareAhead());
    }
    ASSERT_TRUE(cAudioConverter::WaitForStoppedJobs(60000));
    QFile::remove(disk + "/filler");
    EXPECT_EQ(RunTurns(c, outputs), QStringList(3, "Done"));
    const std::vector<int16_t> pcm = DecodePcm(in), out = DecodePcm(outputs.back());
    if (k.lossless) EXPECT_EQ(out, pcm);
    else EXPECT_GE(out.size(), pcm.size());
  }
}

// A row that fails on its own (its output is its source, its folder cannot
// be made) ends with its error, and the rows after it keep what was worked
// ahead for them instead of going one at a time.
TEST_F(WorkAhead, ARowsOwnFailureLeavesTheWorkAheadOfTheOthers) {
  struct Case {
    const char* name;
    std::function<QString(const QString& dir, const QString& in)> failingOutput;
    const char* error;
  } cases[] = {
      {"output is its source", [](const QString&, const QString& in) { return in; }, "is the source file"},
      {"folder cannot be made", [](const QString& dir, const QString&) { return dir + "/in.wav/sub/2.wav"; },
       "cannot be written to"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const QString dir = TestEnv::FreshDir("ownfailure");
    const QString in = WriteWav(dir + "/in.wav", 8000, 1, 16, 0.2, Signal::Ramp);
    cAudioConverter::SetWorkAheadThreads(3);
    cAudioConverter c;
    ToWav(c, in);
    const QStringList outputs = {dir + "/1.wav", k.failingOutput(dir, in), dir + "/3.wav", dir + "/4.wav",
                                 dir + "/5.wav"};
    for (const QString& output : outputs) {
      c.SetOutputFile(output);
      ASSERT_TRUE(c.PrepareAhead());
    }
    ASSERT_TRUE(cAudioConverter::WaitForStoppedJobs(60000));
    const QStringList firstTwo = RunTurns(c, outputs.mid(0, 2));
    ASSERT_EQ(firstTwo.size(), 2);
    EXPECT_EQ(firstTwo[0], "Done");
    EXPECT_TRUE(firstTwo[1].contains(k.error)) << firstTwo[1].toStdString();
    // The rows after it are still there, converted ahead, when their turns come.
    ASSERT_TRUE(cAudioConverter::WaitForStoppedJobs(60000));
    EXPECT_EQ(Temporaries(dir).size(), 3);
    EXPECT_EQ(RunTurns(c, outputs.mid(2)), QStringList(3, "Done"));
    EXPECT_EQ(DecodePcm(outputs.back()), DecodePcm(in));
  }
}

// A control that sets up no job of its own has no turn to start.
TEST_F(WorkAhead, ATurnWithoutAJobIsRefused) {
  NoJob control;
  EXPECT_EQ(control.StartTurn([](int, int) {}), AudioErrNothingToDo);
}

// The program's exit while a job still hangs in a read past the wait: the
// job's temporary file goes, and the process ends cleanly.
TEST_F(WorkAhead, AJobStillRunningAtTheExitLosesItsTemporary) {
  const QString dir = TestEnv::FreshDir("exiting");
  const QString in = WriteWav(dir + "/in.wav", 44100, 2, 16, 3.0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const auto gate = std::make_shared<Gate>();  // never opened
    auto* converter = new HangingConverter(gate);
    converter->SetDestinationFormat(DestWav);
    converter->SetWavFormat({44100, 2, 16});
    converter->SetInputFile(in);
    converter->SetOutputFile(dir + "/out.wav");
    if (converter->StartConvert() != 0) _exit(2);
    if (!gate->WaitForARead(60000) || Temporaries(dir).isEmpty()) _exit(3);
    delete converter;
    exit(cAudioConverter::EndStoppedJobs(0) ? 4 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Temporaries(dir), QStringList());
  EXPECT_EQ(FilesIn(dir), QStringList{"in.wav"});
}
