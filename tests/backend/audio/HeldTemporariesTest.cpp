// What a killed run leaves in its destination folder goes when a run next
// writes there; nothing else in the folder is touched, the files of a run
// still going on in another process included.
#include <gtest/gtest.h>

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

#include "AudioFixtures.h"
#include "JobWatcher.h"
#include "KilledRun.h"
#include "ProcLocks.h"
#include "TestEnv.h"

using namespace AudioFixtures;

namespace {
bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList wavs(const QString& dir, const QStringList& names) {
  QStringList paths;
  for (const QString& name : names) paths << WriteWav(dir + "/" + name, 44100, 2, 16, 3.0);
  return paths;
}

std::string sorted(QStringList names) {
  names.sort();
  return names.join(" ").toStdString();
}
}  // namespace

// A user's or another program's files of like names stay, whether or not
// they are locked, and so do the temporaries of a live run with their locks.
TEST(HeldTemporaries, NextRunIntoTheFolderRemovesItsTemporariesOnly) {
  // A folder of its own each time: a folder is swept once while the program runs.
  static int pass = 0;
  const QString dir = TestEnv::FreshDir(QString("killedrun%1").arg(++pass));
  const QString out = dir + "/out";
  ASSERT_TRUE(QDir().mkpath(out));
  ASSERT_TRUE(KilledConversion(wavs(dir, {"one.wav", "two.wav", "three.wav"}), out));
  const QStringList killed = FilledTemporaries(out);
  ASSERT_EQ(killed.size(), 3);
  LiveChild live(ConversionInChild(wavs(dir, {"four.wav", "five.wav"}), out));
  ASSERT_TRUE(live.Started());
  QStringList kept = FilledTemporaries(out);
  for (const QString& name : killed) kept.removeOne(name);
  ASSERT_EQ(kept.size(), 2);
  for (const QString& part : QStringList(kept)) kept << part.chopped(5) + ".lock";

  const QStringList users = {".song.mp3.1234.part", "song.mp3.part", ".song.mp3.0123456789ABCDEF.part",
                             ".song.mp3.0123456789abcdeg.part", ".0123456789abcdef.part",
                             "song.mp3.0123456789abcdef.part", ".song.mp3.0123456789abcdef.part",
                             ".0123456789abcdef.new", ".song.mp3.tessory-0123456789abcdef.part"};
  for (const QString& name : users) ASSERT_TRUE(writeFile(out + "/" + name, "mine"));
  // Held by another program under a POSIX lock, which flock does not see.
  const QString held = ".held.mp3.0123456789abcdef.part";
  ASSERT_TRUE(writeFile(out + "/" + held, "held"));
  const int heldFd = ::open(QFile::encodeName(out + "/" + held).constData(), O_RDWR);
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(heldFd, F_SETLK, &whole), 0);
  ASSERT_TRUE(writeFile(dir + "/target.mp3", "linked"));
  ASSERT_TRUE(QFile::link(dir + "/target.mp3", out + "/.link.mp3.tessory-0123456789abcdef.lock"));
  kept << users << held << ".link.mp3.tessory-0123456789abcdef.lock" << "new.wav";

  cAudioConverter c;
  JobWatcher w(c);
  c.SetDestinationFormat(DestWav);
  c.SetWavFormat({8000, 1, 16});
  const QString in = WriteWav(dir + "/new.wav", 8000, 1, 16, 1.0, Signal::Ramp);
  c.SetInputFile(in);
  c.SetOutputFile(out + "/new.wav");
  c.StartConvert();
  ASSERT_TRUE(w.Wait());
  EXPECT_TRUE(live.Kill());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();

  EXPECT_EQ(sorted(QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System)), sorted(kept))
      << "the killed run left " << sorted(killed);
  EXPECT_EQ(DecodePcm(out + "/new.wav"), DecodePcm(in));
  QFile linked(dir + "/target.mp3");
  ASSERT_TRUE(linked.open(QIODevice::ReadOnly));
  EXPECT_EQ(linked.readAll(), "linked");
  ::close(heldFd);
}

// On an SMB share a lock is mandatory: any write through a descriptor other
// than the locking one is refused. So no output's temporary carries a lock
// while its encoder writes it; the lock is on its marker beside it.
TEST(HeldTemporaries, EveryFormatWritesATemporaryThatCarriesNoLock) {
  struct Threads {
    Threads() { cAudioConverter::SetWorkAheadThreads(2); }
    ~Threads() { cAudioConverter::SetWorkAheadThreads(0); }
  } threads;
  const QString dir = TestEnv::FreshDir("unlocked");
  const QString in = WriteWav(dir + "/in.wav", 44100, 2, 16, 1.0);
  for (auto [dest, ext] : {std::pair{DestWav, "wav"}, std::pair{DestMp3, "mp3"}, std::pair{DestWma, "wma"},
                           std::pair{DestOgg, "ogg"}, std::pair{DestApe, "ape"}}) {
    SCOPED_TRACE(ext);
    const QString out = dir + "/out." + ext;
    cAudioConverter c;
    c.SetDestinationFormat(dest);
    c.SetInputFile(in);
    c.SetOutputFile(out);
    ASSERT_TRUE(c.PrepareAhead());
    QString part;
    ASSERT_TRUE(TestEnv::WaitUntil([&] {
      const QFileInfoList parts = QDir(dir).entryInfoList({".out.*.part"}, QDir::Files | QDir::Hidden);
      part = parts.isEmpty() ? QString() : parts[0].absoluteFilePath();
      return !part.isEmpty() && parts[0].size() > 0;
    }, 30000));
    EXPECT_FALSE(Locked(part));
    EXPECT_TRUE(Locked(part.chopped(5) + ".lock"));
    JobWatcher w(c);
    ASSERT_EQ(c.StartConvert(), 0);
    ASSERT_TRUE(w.Wait());
    EXPECT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
    // The whole second is there (lossy formats: give or take a frame).
    EXPECT_NEAR(double(DecodePcm(out).size()), double(DecodePcm(in).size()), 0.05 * double(DecodePcm(in).size()));
  }
}
