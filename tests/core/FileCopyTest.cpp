#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "ScriptedUi.h"
#include "TestEnv.h"
#include "core/FileCopyClass.h"
#include "core/g_frmFileCopy.h"
#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"

namespace {
QByteArray pattern(int size) {
  QByteArray data(size, '\0');
  for (int i = 0; i < size; ++i) data[i] = char((i * 7 + i / 251) & 0xFF);
  return data;
}

void writeFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Runs the action at every chance the copy gives to pending events.
class EachChunk {
 public:
  explicit EachChunk(std::function<void()> action) : action_(std::move(action)) {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { action_(); });
    timer_.start();
  }
 private:
  std::function<void()> action_;
  QTimer timer_;
};

class FileCopy : public ::testing::Test {
 protected:
  void SetUp() override { dir = TestEnv::FreshDir("copy"); }
  QStringList entries() const { return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot); }
  QString dir;
};
}  // namespace

TEST_F(FileCopy, CopiesInChunksWithRisingProgress) {
  const QByteArray data = pattern(100000);
  writeFile(dir + "/src.wav", data);
  FileCopyClass copier;
  copier.CacheSize = 8000;
  QList<int> seen;
  {
    EachChunk watch([&] {
      if (seen.isEmpty() || seen.last() != copier.PercentREady) seen << copier.PercentREady;
    });
    EXPECT_EQ(copier.Copy(dir + "/src.wav", dir + "/dst.wav"), "");
  }
  EXPECT_TRUE(copier.Sucessfull);
  EXPECT_EQ(copier.SecondsTaken, 0);
  EXPECT_EQ(readFile(dir + "/dst.wav"), data);
  // Six blocks of 16,000 bytes are written during the loop: 16, 32, ... 96 per cent.
  EXPECT_EQ(seen, (QList<int>{0, 16, 32, 48, 64, 80, 96}));
}

TEST_F(FileCopy, SmallEmptyAndReplacedFiles) {
  struct Case {
    int size;
  } cases[] = {{0}, {5000}, {32000}, {64001}};
  for (const Case& c : cases) {
    const QByteArray data = pattern(c.size);
    writeFile(dir + "/src.wav", data);
    writeFile(dir + "/dst.wav", "old content that is longer than nothing");
    FileCopyClass copier;
    EXPECT_EQ(copier.Copy(dir + "/src.wav", dir + "/dst.wav"), "") << c.size;
    EXPECT_TRUE(copier.Sucessfull);
    EXPECT_EQ(readFile(dir + "/dst.wav"), data) << c.size;
  }
  EXPECT_EQ(entries(), (QStringList{"dst.wav", "src.wav"}));
}

TEST_F(FileCopy, MissingSourceLeavesTheDestinationAlone) {
  writeFile(dir + "/dst.wav", "keep");
  FileCopyClass copier;
  EXPECT_FALSE(copier.Copy(dir + "/missing.wav", dir + "/dst.wav").isEmpty());
  EXPECT_FALSE(copier.Sucessfull);
  EXPECT_EQ(readFile(dir + "/dst.wav"), "keep");
}

TEST_F(FileCopy, CopyOntoItselfIsRefusedAndTheSourceStays) {
  const QByteArray data = pattern(70000);
  writeFile(dir + "/src.wav", data);
  QDir().mkpath(dir + "/sub");
  ASSERT_TRUE(QFile::link(dir + "/src.wav", dir + "/link.wav"));
  ASSERT_TRUE(QFile::link(dir, dir + "/sub/up"));
  for (const QString& same : {dir + "/src.wav", dir + "/./src.wav", dir + "/sub/../src.wav", dir + "//src.wav",
                              dir + "/link.wav", dir + "/sub/up/src.wav"}) {
    FileCopyClass copier;
    EXPECT_FALSE(copier.Copy(dir + "/src.wav", same).isEmpty()) << same.toStdString();
    EXPECT_FALSE(copier.Sucessfull);
    EXPECT_EQ(readFile(dir + "/src.wav"), data) << same.toStdString();
  }
  EXPECT_EQ(entries(), (QStringList{"link.wav", "src.wav"}));
}

TEST_F(FileCopy, DestinationThatCannotBeCreatedFails) {
  writeFile(dir + "/src.wav", pattern(40000));
  writeFile(dir + "/afile", "x");
  FileCopyClass copier;
  EXPECT_FALSE(copier.Copy(dir + "/src.wav", dir + "/afile/dst.wav").isEmpty());
  EXPECT_FALSE(copier.Copy(dir + "/src.wav", dir + "/nofolder/dst.wav").isEmpty());
  EXPECT_FALSE(copier.Sucessfull);
  EXPECT_EQ(entries(), (QStringList{"afile", "src.wav"}));
}

TEST_F(FileCopy, SourceCutShortPartWayLeavesNoHalfWrittenFile) {
  writeFile(dir + "/src.wav", pattern(200000));
  writeFile(dir + "/dst.wav", "previous copy");
  FileCopyClass copier;
  copier.CacheSize = 8000;
  QString error;
  {
    EachChunk cut([&] {
      if (copier.PercentREady >= 16) QFile::resize(dir + "/src.wav", 50000);
    });
    error = copier.Copy(dir + "/src.wav", dir + "/dst.wav");
  }
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(copier.Sucessfull);
  EXPECT_EQ(readFile(dir + "/dst.wav"), "previous copy");
  EXPECT_EQ(entries(), (QStringList{"dst.wav", "src.wav"}));
}

namespace {
class CopyWindow : public FileCopy {
 protected:
  void TearDown() override {
    unloadForm<g_frmFileCopy>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // The main window's way: load, set the paths, switch tmrStart on, show modally.
  g_frmFileCopy& run(const QString& from, const QString& to, const std::function<void(g_frmFileCopy&)>& during) {
    g_frmFileCopy& f = form<g_frmFileCopy>();
    f.g_sSourceFile = from;
    f.g_sDestFile = to;
    f.lblFrom->setText(from);
    f.lblTo->setText(to);
    EachChunk watch([&f, during] {
      if (!f.cmdExit->isEnabled()) during(f);
    });
    f.tmrStart->SetEnabled(true);
    f.ShowModal();
    return f;
  }
};
}  // namespace

TEST_F(CopyWindow, CopiesAndClosesItself) {
  const QByteArray data = pattern(300000);
  writeFile(dir + "/src.wav", data);
  QStringList states;
  bool closeRefused = false;
  run(dir + "/src.wav", dir + "/dst.wav", [&](g_frmFileCopy& f) {
    if (states.isEmpty()) {
      states << f.lblState->text();
      EXPECT_FALSE(f.cmdOk->isEnabled());
      EXPECT_TRUE(f.Timer1->Enabled());
      f.close();  // closing is refused while the copy runs
      closeRefused = loadedForm<g_frmFileCopy>() != nullptr;
    }
  });
  EXPECT_EQ(states, QStringList{"Copying"});
  EXPECT_TRUE(closeRefused);
  EXPECT_EQ(readFile(dir + "/dst.wav"), data);
  EXPECT_EQ(loadedForm<g_frmFileCopy>(), nullptr);
  EXPECT_TRUE(ScriptedUi::get().shown.empty());
}

TEST_F(CopyWindow, ProgressBarFollowsTheCopy) {
  writeFile(dir + "/src.wav", pattern(100000));
  g_frmFileCopy& f = form<g_frmFileCopy>();
  QList<long> bar;
  EachChunk watch([&] {
    if (f.cmdExit->isEnabled()) return;
    emit f.Timer1->Tick();
    bar << f.ProgressBar1->Value();
  });
  f.FileCopyEx(dir + "/src.wav", dir + "/dst.wav");
  ASSERT_FALSE(bar.isEmpty());
  EXPECT_EQ(bar.last(), 96);
  EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
  EXPECT_EQ(f.ProgressBar1->Value(), 100);
  EXPECT_EQ(f.lblState->text(), "Ready");
  EXPECT_TRUE(f.tmrEnd->Enabled());
}

TEST_F(CopyWindow, FailedCopySaysSo) {
  writeFile(dir + "/src.wav", pattern(1000));
  writeFile(dir + "/afile", "x");
  g_frmFileCopy& f = form<g_frmFileCopy>();
  f.FileCopyEx(dir + "/src.wav", dir + "/afile/dst.wav");
  EXPECT_EQ(f.lblState->text(), "Failed");
  EXPECT_NE(f.ProgressBar1->Value(), 100);
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_TRUE(ScriptedUi::get().shown[0].prompt.startsWith("The file could not be copied."));
  EXPECT_TRUE(f.cmdExit->isEnabled());
  EXPECT_TRUE(f.tmrEnd->Enabled());

  f.FileCopyEx(dir + "/src.wav", dir + "/src.wav");
  EXPECT_EQ(f.lblState->text(), "Failed");
  EXPECT_EQ(readFile(dir + "/src.wav"), pattern(1000));
}
