// A fresh hive and program folder per test, the settings windows unloaded
// between tests, and small helpers to read and write stored values.
#pragma once
#include <QCoreApplication>
#include <QTimer>
#include <ostream>

#include "core/RegistryRoutines.h"
#include "platform/Registry.h"
#include "platform/audio/Sound.h"
#include "settings/OptionValues.h"
#include "tests/mainwindow/MainWindowFixture.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline RegistryRoutines Section(const QString& subkey) {
  RegistryRoutines r;
  r.hkey = HKEY_LOCAL_MACHINE;
  r.KeyRoot = mdlModes::SettingsKeyRoot();
  r.Subkey = subkey;
  return r;
}
inline void Store(const QString& subkey, const QString& name, const QString& text) {
  ASSERT_TRUE(Section(subkey).SetRegistryValue(name, text, REG_SZ)) << subkey.toStdString();
}
inline QString Read(const QString& subkey, const QString& name) {
  return Section(subkey).GetRegistryValue(name).toString();
}
inline bool Has(const QString& subkey, const QString& name) {
  return Hive::Query(HKEY_LOCAL_MACHINE, Section(subkey).Path(), name).has_value();
}

class SettingsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // An empty stored target format or template leaves these as they were.
    g_sDefaultTargetFormat.clear();
    g_sDefaultFileNameFormat.clear();
    SetSoundHandler([this](const QString& path) {
      sounds.push_back(path);
      return soundPlays;
    });
  }
  void TearDown() override {
    SetSoundHandler(nullptr);
    MainWindowTest::TearDown();
  }
  std::vector<QString> sounds;
  bool soundPlays = true;
};

// Runs the action once the next modal showing has started, so a test can
// look at a modal window and close it.
template <class F>
void WhenModal(F action) {
  QTimer::singleShot(0, action);
}
