// The main window's own commands, run by the dispatcher after the item lists'.
#include "core/mdlModes.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "settings/frmOptions.h"
#include "tags/g_frmMP3TagsEditor.h"

bool frmMain::RunWindowCommand(const QString& key) {
  if (key == "Exit" || key == "RC Exit") {
    Unload();
  } else if (key == "RC Open") {
    cSysTray1_MouseEvent(1);
  } else if (key == "GoSysTray") {
    hideToTray();
  } else if (key == "Minimize") {
    SetWindowState(vbMinimized);
  } else if (key == "On Top") {
    SetOnTop(!menu_->ItemChecked(menu_->IndexForKey("On Top")));
  } else if (key == "Transparent") {
    SetTransparent(!menu_->ItemChecked(menu_->IndexForKey("Transparent")));
  } else if (QStringList{"General", "Events", "View", "ID3 Tags", "Advanced"}.contains(key)) {
    SetOnTop(false);
    form<frmOptions>().ShowAtPage(key, this);
  } else if (key == "MP3 Tags Editor") {
    SetOnTop(false);
    SetBusy(true);
    g_frmMP3TagsEditor& editor = form<g_frmMP3TagsEditor>();
    SetBusy(false);
    editor.Show();
  } else if (key == "Support") {
    ShellOpenDocument(g_sAppSupportPage);
  } else {
    return false;
  }
  return true;
}

