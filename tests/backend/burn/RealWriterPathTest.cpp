// The real-writer code on libburn's own "stdio:" drive, the nearest thing to a
// writer here: the disc readout, and an audio write that libburn refuses on
// such a drive, which must end with one error and leave no cache behind.
#include <gtest/gtest.h>

#include <QDir>

#include "AudioFixtures.h"
#include "TestEnv.h"
#include "backend/burn/AudioDiscWriter.h"
#include "backend/burn/BurnDrives.h"
#include "backend/burn/DataDiscWriter.h"
#include "platform/Services.h"

using namespace AudioFixtures;

namespace {
BurnDrives::Writer StdioWriter(const QString& file) {
  BurnDrives::Writer w;
  w.letter = "R";
  w.model = "stdio drive";
  w.device = "stdio:" + file;
  w.kind = BurnDrives::Kind::Real;
  w.writesCd = true;
  return w;
}
}  // namespace

TEST(RealWriterPath, ReadsTheDiscOfADrive) {
  const QString dir = TestEnv::FreshDir("realdisc");
  const BurnDrives::DiscInfo info = BurnDrives::ReadDisc(StdioWriter(dir + "/new.img"));
  EXPECT_TRUE(info.ready);
  EXPECT_TRUE(info.blank);
  EXPECT_EQ(info.state, "");
  EXPECT_GT(info.freeBytes, 0);
  EXPECT_EQ(info.usedBytes, 0);
  const BurnDrives::DiscInfo missing = BurnDrives::ReadDisc(StdioWriter("/nonexistent-folder/x.img"));
  EXPECT_FALSE(missing.ready);
  EXPECT_FALSE(missing.state.isEmpty());
}

TEST(RealWriterPath, ARefusedAudioWriteEndsWithOneErrorAndNoCache) {
  const QString dir = TestEnv::FreshDir("realaudio");
  QObject context;
  BurnJob job(&context);
  QStringList events;
  long code = 0;
  AudioBurnEvents ev;
  ev.caching = [&] { events << "Caching"; };
  ev.writing = [&] { events << "Writing"; };
  ev.trackProgress = [](int, int) {};
  ev.progress = [](int) {};
  ev.closingTrack = [&](int) { events << "ClosingTrack"; };
  ev.closingSession = [&] { events << "ClosingSession"; };
  ev.finished = [&] { events << "Finished"; };
  ev.error = [&](long c, const QString&) {
    events << "Error";
    code = c;
  };
  AudioBurnRequest request{{WriteWav(dir + "/a.wav", 22050, 1, 16, 1.0), WriteWav(dir + "/b.wav", 44100, 2, 16, 1.0)},
                           StdioWriter(dir + "/disc.img"), 0, true};
  job.Start([&] { AudioDiscWriter::Run(job, request, ev); });
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return !job.Running(); }, 60000));
  EXPECT_EQ(events, (QStringList{"Caching", "Caching", "Error"}));
  EXPECT_EQ(code, 2);
  EXPECT_TRUE(QDir(ProgramFolder() + "/burncache").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

// A data write on a drive: the first engine wants a CD, the second takes any medium.
TEST(RealWriterPath, DataWriteChecksTheMedium) {
  const QString dir = TestEnv::FreshDir("realdata");
  const QString file = WriteWav(dir + "/a.wav", 8000, 1, 16, 0.5);
  for (bool cdOnly : {true, false}) {
    SCOPED_TRACE(cdOnly);
    QObject context;
    BurnJob job(&context);
    QStringList ends;
    long code = 0;
    DataBurnEvents ev;
    ev.initializing = [] {};
    ev.addingFile = [](const QString&) {};
    ev.counted = [](long) {};
    ev.started = [] {};
    ev.progress = [](int) {};
    ev.closing = [] {};
    ev.done = [&] { ends << "Done"; };
    ev.error = [&](long c, const QString&) {
      ends << "Error";
      code = c;
    };
    const QString image = dir + (cdOnly ? "/cd.img" : "/any.img");
    DataBurnRequest request{{file}, "Label", "App", "Publisher", true, StdioWriter(image), 0, cdOnly, false};
    job.Start([&] { DataDiscWriter::Run(job, request, ev); });
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return !job.Running(); }, 60000));
    if (cdOnly) {
      EXPECT_EQ(ends, QStringList{"Error"});
      EXPECT_EQ(code, 2);
    } else {
      EXPECT_EQ(ends, QStringList{"Done"});
      EXPECT_GT(QFileInfo(image).size(), 0);
    }
  }
}
