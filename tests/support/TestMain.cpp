#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "ScriptedUi.h"
#include "TestEnv.h"
#include "platform/Registry.h"

namespace {
QTemporaryDir* g_home = nullptr;

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
  QApplication app(argc, argv);
  Hive::SetFolder(home.path() + "/config/Tessory");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new ResetUi);
  ScriptedUi::get().install();
  return RUN_ALL_TESTS();
}
