#include "core/mdlMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>

#include "core/RegistryRoutines.h"
#include "core/g_frmSplash.h"
#include "core/mdlModes.h"
#include "core/mdlFunctions.h"
#include "core/mdlRunOnStart.h"
#include "mainwindow/frmMain.h"
#include "platform/Leftovers.h"
#include "platform/Registry.h"
#include "platform/SafeFile.h"
#include "platform/Services.h"
#include "platform/audio/cAudioJobControl.h"
#include "settings/frmOptions.h"
#include "settings/g_frmAudioProp.h"

namespace {
// Temporary files of saves cut short by a crash or a power cut, and those of
// runs killed while writing into a destination folder used before or any
// other folder they wrote in (swept in the background: a destination may be
// on a mount that hangs); the tree sweeps the lists folder itself whenever
// it lists it.
void removeLeftovers() {
  SafeFile::RemoveStale({ProgramFolder(), Hive::Folder(), QFileInfo(mdlRunOnStart::EntryPath()).path()});
  Leftovers::SweepInBackground(mdlFunctions::ReadTextFile(mdlFunctions::PathHistoryFile()).split("\r\n"));
}

// The splash fades in while the windows load; when they load quicker than
// that, it is seen opaque before it goes. A double-click may have closed it.
void finishSplashFade() {
  QPointer<g_frmSplash> splash = loadedForm<g_frmSplash>();
  while (splash && splash->isVisible() && splash->Fading())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
}  // namespace

namespace mdlMain {
bool StartUp() {
  mdlModes::InitAppMode();
  RegistryRoutines store;
  store.hkey = HKEY_LOCAL_MACHINE;
  store.KeyRoot = mdlModes::SettingsKeyRoot();
  store.Subkey = "General";
  if (!store.KeyExists()) {
    MsgBox("This program cannot run, please reinstall the software or connect to the sofrware aurhor.\r\n\r\n"
           "The main reistry key doesn't existed.",
           vbInformation + vbOKOnly, g_sAppName);
    return false;
  }
  g_bSplashShown = true;
  g_frmSplash& splash = form<g_frmSplash>();
  splash.SetCaption(mdlModes::WindowTitle());
  splash.Show();
  splash.repaint();
  splash.FadeIn();
  SetSplashStatus("Loading options...");
  form<frmOptions>();
  SetSplashStatus("Loading audio properties...");
  form<g_frmAudioProp>();
  removeLeftovers();
  SetSplashStatus("Loading GUI...");
  frmMain& main = form<frmMain>();
  finishSplashFade();
  unloadForm<g_frmSplash>();
  if (CommandLineArgs() == "-st") main.StartInTray();
  else main.Show();
  return true;
}

int Main(int argc, char** argv) {
  QApplication app(argc, argv);
  return Run();
}

int Run() {
  // The program ends when the main window unloads, not when its last window hides.
  QApplication::setQuitOnLastWindowClosed(false);
  if (!StartUp()) return 1;
  const int code = QApplication::exec();
  // Jobs stopped in a slow read remove their temporary files as they end;
  // those still in one after the wait lose them now.
  cAudioJobControl::EndStoppedJobs(2000);
  return code;
}

void SetSplashStatus(const QString& text) {
  if (!g_bSplashShown) return;
  if (g_frmSplash* s = loadedForm<g_frmSplash>()) {
    s->lblStat->setText(text);
    s->lblStat->adjustSize();
    DoEvents();  // shows the text and the fade's steps due meanwhile
  }
}

void SuppressFaultDialog() {}
}  // namespace mdlMain
