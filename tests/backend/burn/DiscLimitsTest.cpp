// What no disc holds is refused before anything is written: more than 99
// audio tracks, more audio than an 80-minute CD, more data than a CD for the
// CD engine. Large sources are sparse files, so nothing big is read or kept.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "AudioFixtures.h"
#include "BurnWatcher.h"
#include "TestEnv.h"
#include "platform/burn/cAudioBurner.h"
#include "platform/burn/cAudioDataBurner.h"

using namespace AudioFixtures;

namespace {
// A CD-audio WAV whose samples are a hole of the given length.
QString SparseCdWav(const QString& path, double seconds) {
  const QString wav = WriteWav(path, 44100, 2, 16, 0.0);
  const qint64 data = qint64(seconds * 44100) * 4;
  QFile f(wav);
  if (!f.open(QIODevice::ReadWrite)) return QString();
  const qint64 header = f.size();
  auto putLe32 = [&](qint64 at, quint32 v) {
    f.seek(at);
    for (int i = 0; i < 4; ++i) f.putChar(char(v >> (8 * i)));
  };
  putLe32(4, quint32(header - 8 + data));
  putLe32(header - 4, quint32(data));
  f.resize(header + data);
  return wav;
}

QString SparseFile(const QString& path, qint64 bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.resize(bytes) ? path : QString();
}

template <class Burner>
QString Letter(Burner& b, const QString& image) {
  for (long i = 1; i <= b.GetDriveCount(); ++i)
    if (b.GetDriveName(i).contains(image)) return b.GetDriveName(i).left(1);
  return QString();
}

template <class Burner>
void WatchEnd(Burner& b, BurnWatcher& w) {
  QObject::connect(&b, &Burner::Finished, &w.context, [&w] { w.End("Finished"); });
  QObject::connect(&b, &Burner::Error, &w.context, [&w](long c, const QString& t) { w.Fail(c, t); });
}
}  // namespace

TEST(DiscLimits, WhatNoDiscHoldsIsRefusedBeforeAnythingIsWritten) {
  const QString dir = TestEnv::FreshDir("limits");
  const QString disc = dir + "/disc";
  QDir().mkpath(disc);
  qputenv("TESSORY_CD_IMAGES", (disc + "/audio.cue:" + disc + "/data.iso").toLocal8Bit());
  struct Case {
    const char* name;
    QStringList audio;  // tracks for the audio-CD writer, or
    QString data;       // a file for the CD engine of the data-disc writer
    QString message;  // how the error text ends
  };
  QStringList hundred;
  const QString shortWav = WriteWav(dir + "/short.wav", 44100, 2, 16, 0.1);
  for (int i = 0; i < 100; ++i) hundred << shortWav;
  const Case cases[] = {
      {"100 tracks", hundred, {}, "An audio CD holds at most 99 tracks; these are 100."},
      {"81 minutes", {SparseCdWav(dir + "/long.wav", 81 * 60)}, {},
       "The tracks take 81:00 minutes, more than the disc holds (80:00)."},
      {"80 minutes and a track", {SparseCdWav(dir + "/eighty.wav", 80 * 60), shortWav}, {},
       "The tracks take 80:06 minutes, more than the disc holds (80:00)."},
      {"800 MB on a CD", {}, SparseFile(dir + "/big.bin", 800LL << 20),
       "MB, more than the disc holds (703 MB)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BurnWatcher w;
    if (c.data.isEmpty()) {
      cAudioBurner b;
      WatchEnd(b, w);
      for (const QString& t : c.audio) ASSERT_TRUE(b.AddTrack(t));
      b.Burn(Letter(b, "audio.cue"), 65535);
      ASSERT_TRUE(w.Wait());
    } else {
      cAudioDataBurner b;
      WatchEnd(b, w);
      ASSERT_TRUE(b.AddFile(c.data));
      b.Burn(Letter(b, "data.iso"), 65535);
      ASSERT_TRUE(w.Wait());
    }
    EXPECT_EQ(w.ends, QStringList{"Error"});
    EXPECT_EQ(w.errorCode, 7);
    EXPECT_TRUE(w.errorText.endsWith(c.message)) << w.errorText.toStdString();
    EXPECT_TRUE(QDir(disc).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
  }
  qunsetenv("TESSORY_CD_IMAGES");
}
