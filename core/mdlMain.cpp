#include "core/mdlMain.h"

#include <QApplication>

#include "core/RegistryRoutines.h"
#include "core/g_frmSplash.h"
#include "core/mdlModes.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "settings/frmOptions.h"
#include "settings/g_frmAudioProp.h"

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
  SetSplashStatus("Loading GUI...");
  frmMain& main = form<frmMain>();
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
  return QApplication::exec();
}

void SetSplashStatus(const QString& text) {
  if (!g_bSplashShown) return;
  if (g_frmSplash* s = loadedForm<g_frmSplash>()) {
    s->lblStat->setText(text);
    s->lblStat->adjustSize();
  }
}

void SuppressFaultDialog() {}
}  // namespace mdlMain
