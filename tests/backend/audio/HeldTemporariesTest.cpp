// What a killed run leaves in its destination folder goes when a run next
// writes there; nothing else in the folder is touched, the files of a run
// still going on in another process included.
#include <gtest/gtest.h>

#include <QFile>
#include <unistd.h>

#include "AudioFixtures.h"
#include "JobWatcher.h"
#include "KilledRun.h"
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

TEST(HeldTemporaries, NextRunIntoTheFolderRemovesItsTemporariesOnly) {
  const QString dir = TestEnv::FreshDir("killedrun");
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

  // The user's own files of like names and a link named as ours stay too.
  const QStringList users = {".song.mp3.1234.part", "song.mp3.part", ".song.mp3.0123456789ABCDEF.part",
                             ".song.mp3.0123456789abcdeg.part", ".0123456789abcdef.part",
                             "song.mp3.0123456789abcdef.part"};
  for (const QString& name : users) ASSERT_TRUE(writeFile(out + "/" + name, "mine"));
  ASSERT_TRUE(writeFile(dir + "/target.mp3", "linked"));
  ASSERT_TRUE(QFile::link(dir + "/target.mp3", out + "/.link.mp3.0123456789abcdef.part"));
  kept << users << ".link.mp3.0123456789abcdef.part" << "new.wav";

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
}
