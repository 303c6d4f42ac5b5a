// The main window's own commands, run by the dispatcher after the item lists',
// and the status-bar panels that run commands by their keys.
#include <QFile>
#include <utility>

#include "core/mdlModes.h"
#include "core/mdlOnTop.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/g_frmNotes.h"
#include "platform/Services.h"
#include "settings/frmOptions.h"
#include "tags/g_frmMP3TagsEditor.h"

namespace {
// Takes the window out of the top-most layer so that what a command opens is
// not hidden behind it; the "On Top" mark is left as it is.
void dropTopMost(frmMain& w) { mdlOnTop::SetWindowOnTop(&w, false); }

// The desktop's volume control: the first of these that starts.
void startVolumeControl() {
  const std::pair<const char*, QStringList> controls[] = {
      {"pavucontrol", {}}, {"gnome-control-center", {"sound"}}, {"systemsettings", {"kcm_pulseaudio"}}};
  for (const auto& [program, args] : controls)
    if (StartProgram(program, args)) return;
  MsgBox("No volume control could be started. Install \"pavucontrol\" or open the sound settings of your "
         "desktop.",
         vbInformation);
}

// The help installed beside the program when there is one, else the help page.
void openHelp() {
  const QString local = ProgramFolder() + "/Help.html";
  ShellOpenDocument(QFile::exists(local) ? local : g_sAppHomePage + "help.html");
}

bool isOptionsPage(const QString& key) {
  return QStringList{"General", "Events", "View", "ID3 Tags", "Advanced"}.contains(key);
}

// The commands that end with the information pane's refresh; false for a key
// that is none of them.
bool runCommand(frmMain& w, const QString& key) {
  cMenu& menu = *w.m_cMenu();
  if (key == "RC Open") {
    w.cSysTray1_MouseEvent(1);
  } else if (key == "Minimize") {
    w.SetWindowState(vbMinimized);
  } else if (key == "On Top") {
    w.SetOnTop(!menu.ItemChecked(menu.IndexForKey("On Top")));
  } else if (key == "Transparent") {
    w.SetTransparent(!menu.ItemChecked(menu.IndexForKey("Transparent")));
  } else if (isOptionsPage(key)) {
    dropTopMost(w);
    form<frmOptions>().ShowAtPage(key, &w);
  } else if (key == "MP3 Tags Editor") {
    dropTopMost(w);
    w.SetBusy(true);
    g_frmMP3TagsEditor& editor = form<g_frmMP3TagsEditor>();
    w.SetBusy(false);
    editor.Show();
  } else if (key == "About") {
    dropTopMost(w);
    form<frmAbout>().ShowModal(&w);
  } else if (key == "Notes") {
    dropTopMost(w);
    form<g_frmNotes>().Show();
  } else if (key == "Master Volume") {
    dropTopMost(w);
    startVolumeControl();
  } else if (key == "HelpTopic") {
    openHelp();
  } else if (key == "Support") {
    ShellOpenDocument(g_sAppSupportPage);
  } else {
    return false;
  }
  return true;
}
}  // namespace

bool frmMain::RunWindowCommand(const QString& key) {
  if (key == "GoSysTray") {
    hideToTray();
    return true;
  }
  const bool exit = key == "Exit" || key == "RC Exit";
  // A closed main window runs nothing more; a cancelled close goes on.
  if (exit && Unload()) return true;
  const bool known = exit || runCommand(*this, key);
  GetFileInfoToGridInfo();
  return known;
}

void frmMain::ConnectStatusPanels() {
  connect(cStatusBar1, &cStatusBar::PanelClick, this, &frmMain::cStatusBar1_PanelClick, Qt::UniqueConnection);
}

void frmMain::cStatusBar1_PanelClick(long index) {
  const QString key = cStatusBar1->PanelKey(index);
  if (key.isEmpty()) return;
  RunCommand(key);
}
