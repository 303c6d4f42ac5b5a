// Shared by the benchmarks: timing one side of a comparison, and a temporary
// home with the program's settings installed for benches that open windows.
#pragma once
#include <QElapsedTimer>
#include <QtGlobal>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>

#include "core/mdlInstall.h"
#include "platform/Registry.h"

// Wall seconds of one side; the run starts with the earlier writes on disk, so
// neither side pays for the other's write-back. A failed run ends the bench.
inline double TimeAfterSync(const std::function<bool()>& run) {
  ::sync();
  QElapsedTimer t;
  t.start();
  if (!run()) {
    std::fprintf(stderr, "a run failed\n");
    std::exit(1);
  }
  return double(t.nsecsElapsed()) / 1e9;
}

// Windows go offscreen unless a platform was chosen, so that a bench runs
// without a display. Call before the application object is made.
inline void OffscreenUnlessChosen() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Settings, data and sound of the run go to a temporary home; windows are
// offscreen. Call before the application object is made.
inline void UseProgramHome(const QString& home) {
  qputenv("HOME", home.toUtf8());
  qputenv("XDG_CONFIG_HOME", (home + "/config").toUtf8());
  qputenv("XDG_DATA_HOME", (home + "/data").toUtf8());
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("SDL_AUDIODRIVER", "dummy");
}

// The install step's settings in that home; false (after a message) when
// they could not be written.
inline bool InstallProgramSettings(const QString& home) {
  Hive::SetFolder(home + "/config/Tessory");
  if (mdlInstall::Install()) return true;
  std::fprintf(stderr, "the settings could not be installed\n");
  return false;
}
