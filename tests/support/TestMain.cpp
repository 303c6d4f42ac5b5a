#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTimer>

#include "ScriptedUi.h"
#include "TestEnv.h"
#include "platform/Registry.h"

namespace {
QTemporaryDir* g_home = nullptr;
constexpr int kRecheckMs = 5;

// The offscreen platform reports every opacity, raise and tray call it cannot
// honour; those lines only bury the test output.
void quietHandler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
  if (msg.contains("This plugin does not support") || msg.contains("systemTrayWindowChanged") ||
      msg.contains("XDG_RUNTIME_DIR"))
    return;
  qt_message_output(type, ctx, msg);
}

class ResetUi : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    ScriptedUi::get().reset();
    ScriptedUi::get().install();
  }
};
}  // namespace

namespace TestEnv {
QString Home() { return g_home->path(); }
QString FreshDir(const QString& name) {
  QDir d(Home() + "/" + name);
  d.removeRecursively();
  QDir().mkpath(d.path());
  return d.path();
}
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  // Wakes the wait for events below, so that a condition a worker makes true
  // without posting anything is seen.
  QTimer recheck;
  recheck.start(kRecheckMs);
  while (!condition()) {
    if (deadline.hasExpired()) return condition();
    // A loop nested in the handling of a posted event (a message box opened
    // by a queued signal) is not handed the events posted before that one
    // until something new is posted: they are sent here.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}
void ResetHive() {
  QDir(Home() + "/config/Tessory").removeRecursively();
  Hive::SetFolder(Home() + "/config/Tessory");
}
}  // namespace TestEnv

int main(int argc, char** argv) {
  QTemporaryDir home;
  g_home = &home;
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
  qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  qInstallMessageHandler(quietHandler);
  QApplication app(argc, argv);
  Hive::SetFolder(home.path() + "/config/Tessory");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new ResetUi);
  ScriptedUi::get().install();
  return RUN_ALL_TESTS();
}
