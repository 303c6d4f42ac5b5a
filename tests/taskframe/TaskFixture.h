// The main window with its first list, items added from generated audio, and
// the converter opened through the main window's command and driven while it
// is shown modally, as a user drives it.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <functional>
#include <map>

#include "AudioFixtures.h"
#include "core/g_frmTurnOff.h"
#include "platform/audio/Sound.h"
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
