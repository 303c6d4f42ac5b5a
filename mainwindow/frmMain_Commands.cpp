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
  const QString help = QFile::exists(local) ? local : g_sAppHomePage + "help.html";
  if (!ShellOpenDocument(help))
    MsgBox("No web browser could be started to show the help. Open " + help + " in your browser.", vbInformation);
}

// The tools that take the marked items of the open list, with the message
// shown when none is marked.
const std::pair<const char*, const char*> kTaskTools[] = {
    {"Audio Converter", "Mark the items to convert."}, {"ACM Converter", "Mark the items to convert."},
    {"Audio Joiner", "Mark the items to join."},       {"Audio Splitter", "Mark the items to split."},
    {"Audio CD Ripper", "Mark the items to rip."},     {"Audio CD Maker", "Mark the items to burn."},
    {"MP3 CD Maker", "Mark the items to burn."},       {"WMA CD Maker", "Mark the items to burn."},
    {"Audio Analyser", "Mark the item to edit."}};

const char* notMarkedMessage(const QString& key) {
  for (const auto& [tool, message] : kTaskTools)
    if (key == tool) return message;
  return nullptr;
}

void inform(const QString& text, int blanks) { MsgBox(text + QString(blanks, ' '), vbInformation); }

// Selects and shows a node's first child, when it has one.
void openFirstChild(frmMain& w, cTreeNode* parent) {
  cTreeNode* child = parent ? parent->Children().Item(1) : nullptr;
  if (!child) return;
  child->SetSelected(true);
  w.cTreeView1_NodeClick(child);
}

// The checks before a tool gets the marked items; false when one refused
// (after its message or follow-up).
bool taskChecksPass(frmMain& w, const QString& key, const char* notMarked) {
  cTreeNode* node = w.cTreeView1->SelectedItem();
  const QString nodeKey = node ? node->Key() : QString();
  const bool ripper = key == "Audio CD Ripper";
  if (frmMain::IsMainNode(nodeKey)) {
    inform(ripper ? "Select the Items List of the CD." : "Select the Items List.", 40);
    openFirstChild(w, node);
    return false;
  }
  if (ripper && !frmMain::IsCDNode(nodeKey)) {
    inform("Select the the Audio CD device to rip from.", 40);
    if (g_oAudioCDsNode) g_oAudioCDsNode->SetExpanded(true);
    openFirstChild(w, g_oAudioCDsNode);
    return false;
  }
  if (!ripper && w.cGrid1->Rows() == 0) {
    w.RunCommand("Add Files");
    return false;
  }
  const long marked = w.CountMarkedItems();
  if (marked == 0) {
    inform(notMarked, 29);
    return false;
  }
  if (key == "Audio Joiner" && marked == 1) {
    MsgBox("Nothing to join." + QString(55, ' ') + "\r\n\r\n", vbInformation);
    return false;
  }
  return true;
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
    QObject::connect(&editor, &g_frmMP3TagsEditor::TagsSaved, &w, &frmMainLists::SourceTagsChanged,
                     Qt::UniqueConnection);
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
  if (const char* notMarked = notMarkedMessage(key); notMarked && !taskChecksPass(*this, key, notMarked))
    return true;
  if (key == "Audio Converter") {
    dropTopMost(*this);
    OpenConverter();
  }
  if (key == "ACM Converter") {
    dropTopMost(*this);
    OpenACMConverter();
  }
  if (key == "Audio Splitter") {
    dropTopMost(*this);
    OpenSplitter();
  }
  if (key == "Audio Joiner") {
    dropTopMost(*this);
    OpenJoiner();
  }
  if (key == "Audio CD Ripper") {
    dropTopMost(*this);
    OpenCDRipper();
  }
  if (key == "Audio CD Maker") {
    dropTopMost(*this);
    OpenCDBurner();
  }
  if (key == "MP3 CD Maker" || key == "WMA CD Maker") {
    dropTopMost(*this);
    OpenDataBurner(key);
  }
  if (RunAudioToolCommand(key)) {
    GetFileInfoToGridInfo();
    return true;
  }
  const bool exit = key == "Exit" || key == "RC Exit";
  // A closed main window runs nothing more; a cancelled close goes on.
  if (exit && Unload()) return true;
  const bool known = exit || notMarkedMessage(key) || runCommand(*this, key);
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
