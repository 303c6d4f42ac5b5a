// The main window with its first list, items added from generated audio, and
// the converter opened through the main window's command and driven while it
// is shown modally, as a user drives it.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

#include "AudioFixtures.h"
#include "core/g_frmTurnOff.h"
#include "platform/audio/Sound.h"
#include "platform/audio/cAudioJobControl.h"
#include "tests/lists/ListFixtures.h"
#include "tools/convert/g_frmConverter.h"

class TaskTest : public ListsTest {
 protected:
  void SetUp() override {
    ListsTest::SetUp();
    out = TestEnv::FreshDir("out");
    for (QString* tag : {&g_sTagArtist, &g_sTagSong, &g_sTagAlbum, &g_sTagTrack, &g_sTagGenre, &g_sTagYear,
                         &g_sTagComment})
      tag->clear();
    g_bPlaySound = g_bOpenDestFolder = g_bNoticeApp = g_bTurnOffComputer = false;
    SetSoundHandler([this](const QString& path) {
      sounds << path;
      return true;
    });
    // The turn-off count-down is cancelled as soon as it shows.
    QObject::connect(&watch_, &QTimer::timeout, [this] {
      if (g_frmTurnOff* f = loadedForm<g_frmTurnOff>()) {
        ++turnOffShown;
        f->cmdCancel->click();
      }
    });
    watch_.start(10);
  }
  void TearDown() override {
    watch_.stop();
    SetSoundHandler(nullptr);
    cAudioJobControl::SetWorkAheadThreads(0);
    ListsTest::TearDown();
  }

  // Generated sources in the media folder, added to the open list.
  void AddItems(const QStringList& names) { AddFromDialog(names); }

  // Runs the main window's command for a task window and the steps while the
  // window is shown, its destination set to the output folder; the window is
  // closed afterwards when the steps left it open.
  template <class W>
  void WithTask(const QString& command, const std::function<void(W&)>& steps) {
    bool shown = false;
    QTimer open;  // gone with this call when the window never opened
    open.setSingleShot(true);
    QObject::connect(&open, &QTimer::timeout, [&] {
      W* w = loadedForm<W>();
      ASSERT_NE(w, nullptr);
      shown = true;
      if (w->txtToPath) w->txtToPath->setEditText(out + "/");
      steps(*w);
      if (loadedForm<W>()) w->cmdExit->click();
    });
    open.start(0);
    main->RunCommand(command);
    EXPECT_TRUE(shown);
  }
  // Opens the converter with the marked items.
  void WithConverter(const std::function<void(g_frmConverter&)>& steps) {
    WithTask<g_frmConverter>("Audio Converter", steps);
  }
  // Presses the start button and waits for the run to end.
  static void Convert(TaskWindow& w) {
    w.cmdConvert->click();
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 120000));
  }
  // Every question but the Abort button's clicks Abort first, confirms it and
  // is then given the answer.
  static void AbortAtEachQuestion(TaskWindow& w, int answer) {
    SetMsgBoxHandler([&w, answer](const MsgBoxCall& call) {
      if (call.prompt.startsWith("Abort operation?")) return int(vbYes);
      w.cmdAbort->click();
      return answer;
    });
  }
  // The log's messages without their times.
  static QStringList Messages(TaskWindow& w) {
    QStringList lines;
    static const QRegularExpression time(R"(^\d{1,2}:\d\d:\d\d( [AP]M)?:)");
    for (const QString& l : w.txtLog->toPlainText().split('\n')) lines << QString(l).remove(time);
    return lines;
  }
  // The log's last message.
  static QString LastMessage(TaskWindow& w) {
    const QStringList lines = Messages(w).filter(QRegularExpression("\\S"));
    return lines.isEmpty() ? QString() : lines.last();
  }
  QStringList OutFiles() const { return AudioFixtures::FilesIn(out); }

  QString out;
  QStringList sounds;
  int turnOffShown = 0;

 private:
  QTimer watch_;
};

// What a run on the work-ahead workers shows and leaves, to compare with a run on one.
struct RunSeen {
  QStringList log, prompts, files;
  QString end;
  std::map<QString, QByteArray> bytes;
  bool workedAhead = false;
};

// The same run on each count of work-ahead workers, one among them:
// run(workers, seen) runs it and records what it shows and leaves. The jobs a
// run stopped have ended before the next run.
inline std::map<int, RunSeen> RunOnWorkers(const std::vector<int>& counts,
                                           const std::function<void(int workers, RunSeen& seen)>& run) {
  std::map<int, RunSeen> seen;
  for (int workers : counts) {
    cAudioJobControl::SetWorkAheadThreads(workers);
    run(workers, seen[workers]);
    EXPECT_TRUE(cAudioJobControl::WaitForStoppedJobs(60000));
  }
  return seen;
}

// Every run on several workers shows and leaves what the run on one does:
// the log, the end, the questions, the files byte for byte.
inline void ExpectWhatOneWorkerGives(const std::map<int, RunSeen>& seen) {
  const RunSeen& one = seen.at(1);
  for (const auto& [workers, s] : seen) {
    SCOPED_TRACE(QString("%1 workers").arg(workers).toStdString());
    EXPECT_EQ(s.log, one.log);
    EXPECT_EQ(s.end, one.end);
    EXPECT_TRUE(s.prompts == one.prompts) << s.prompts.join('|').toStdString();
    EXPECT_EQ(s.files, one.files);
    for (const auto& [file, bytes] : one.bytes)
      EXPECT_TRUE(s.bytes.count(file) && s.bytes.at(file) == bytes) << file.toStdString();
  }
}

// Waits, without serving events, until the condition holds (files a worker
// writes ahead while the window waits); false only past a long safety net.
inline bool HoldsSoon(const std::function<bool()>& condition) {
  QElapsedTimer t;
  t.start();
  while (!condition()) {
    if (t.elapsed() > 60000) return false;
    QThread::msleep(5);
  }
  return true;
}
