// The tree of lists and drives, and the commands that add, remove and clear items.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include "core/mdlCommDialog.h"
#include "core/mdlFileSystem.h"
#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "core/mdlOnTop.h"
#include "core/mdlSupportedFormats.h"
#include "lists/ItemRecord.h"
#include "lists/frmMainLists.h"
#include "lists/g_frmDirProperties.h"
#include "lists/g_frmStat.h"
#include "platform/SafeFile.h"
#include "platform/Services.h"
#include "platform/audio/cPlayer.h"
#include "platform/cd/cAudioCDRipper.h"
#include "settings/OptionValues.h"

namespace {
// The items-lists folder with its closing "/", also when it was typed without one.
QString listFolder() {
  QString f = g_sItemsListFolder;
  if (!f.isEmpty() && !f.endsWith('/')) f += '/';
  return f;
}

// The folder's files, without the temporary files of saves: those an
// interrupted save left are removed, one still in use is only left out.
// Any other name is the user's, whatever it looks like.
QStringList plainFiles(const QString& folder) {
  SafeFile::RemoveStale({folder});
  QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  names.removeIf(SafeFile::IsTemporaryName);
  return names;
}

bool createEmptyFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly);
}

}  // namespace

bool frmMainLists::ListFileExists(const QString& path) {
  const QFileInfo info(path);
  const QStringList names = QDir(info.absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
  for (const QString& n : names)
    if (n.compare(info.fileName(), Qt::CaseInsensitive) == 0) return true;
  return false;
}

bool frmMainLists::RenameListFile(const QString& oldPath, const QString& newPath) {
  QFile file(oldPath);
  if (file.rename(newPath)) return true;
  MsgBox(file.errorString() + " (" + QString::number(int(file.error())) + ")." + QString(28, ' '), vbInformation);
  return false;
}

QString frmMainLists::GetNewListFileName(const QString& folder) {
  for (long n = 1;; ++n) {
    const QString name = "New Items List " + QString::number(n) + ".flst";
    if (!QFileInfo(folder + name).isFile()) return name;
  }
}

void frmMainLists::setTree() {
  cTreeView1->Nodes().Clear();
  g_oItemsListsNode = nullptr;
  g_oAudioCDsNode = nullptr;
  const QString folder = listFolder();
  if (plainFiles(folder).isEmpty()) {
    mdlFunctions::CreateFolderPath(folder);
    createEmptyFile(folder + GetNewListFileName(folder));
  }
  cTreeView1->SetImageList(imgMenu);
  if (lAppIncItemsLists == 1) {
    g_oItemsListsNode = cTreeView1->Nodes().Add(nullptr, 0, "##MAINITEMS" + folder, "Items Lists", 17, 17);
    for (const QString& name : plainFiles(folder))
      if (name != "." && name != ".." && name.contains(".flst"))
        cTreeView1->Nodes().Add(g_oItemsListsNode, 4, folder + name, mdlFunctions::RemoveFileExt(name), 42, 43);
    if (g_oItemsListsNode->Children().Count() == 0)
      cTreeView1->SetLabelEdit(true);
    else
      g_oItemsListsNode->SetNodeOption124(true);
  }
  if (lAppIncCDRipper == 1) {
    g_oAudioCDsNode = cTreeView1->Nodes().Add(nullptr, 2, "##MAINCDS" + QString("Audio CDs"), "Audio CDs", 71, 71);
    for (long p = 0; p < cAudioCDRipper1->GetDeviceCount(); ++p) {
      const QString name = cAudioCDRipper1->GetDeviceName(p);
      cTreeView1->Nodes().Add(g_oAudioCDsNode, 4, "##CD" + name, name.left(2), 25, 25);
    }
    g_oAudioCDsNode->SetExpanded(true);
  }
}

void frmMainLists::cTreeView1_NodeClick(cTreeNode* node) {
  if (!prgStatus->isHidden() || !node) return;
  const QString key = node->Key();
  if (IsMainNode(key)) {
    cGrid1->Clear();
    return;
  }
  stopPreview();
  node->SetSelected(true);
  lblListName->setText(node->Text());
  tmrCDs->SetEnabled(false);
  if (IsCDNode(key)) {
    tmrCDs->SetEnabled(true);
    LoadCDTracks(GetCDNameNode(key));
    GetFileInfoToGridInfo();
    return;
  }
  readListFile(key);
}

void frmMainLists::cTreeView1_AfterLabelEdit(cTreeNode* node, QString& NewString, int& Cancel) {
  if (!node || IsCDNode(node->Key())) return;
  // A root names no file to rename.
  if (IsMainNode(node->Key())) {
    Cancel = 1;
    return;
  }
  if (NewString.isEmpty() || !mdlFunctions::IsLegalName(NewString)) {
    node->StartLabelEdit();
    Cancel = 1;
    return;
  }
  if (NewString == node->Text()) return;
  const QString oldPath = node->Key();
  const QString newPath = mdlFunctions::GetFolderPath(oldPath) + NewString + ".flst";
  if (ListFileExists(newPath)) {
    MsgBox("The Items List '" + NewString + "' already exists. Please select a different name.", vbInformation);
    node->StartLabelEdit();
    Cancel = 1;
    return;
  }
  if (!RenameListFile(oldPath, newPath)) {
    Cancel = 1;
    return;
  }
  node->SetKey(newPath);
  node->SetText(NewString);
  cTreeView1_NodeClick(node);
}

void frmMainLists::newItemsList() {
  if (!g_oItemsListsNode) return;
  const QString folder = listFolder();
  const QString name = GetNewListFileName(folder);
  createEmptyFile(folder + name);
  cTreeNode* node =
      cTreeView1->Nodes().Add(g_oItemsListsNode, 4, folder + name, mdlFunctions::RemoveFileExt(name), 42, 43);
  if (!node) return;
  node->SetSelected(true);
  cTreeView1_NodeClick(node);
  cTreeView1->SetLabelEdit(true);
  node->StartLabelEdit();
}

void frmMainLists::RemoveItemsList() {
  cTreeNode* node = cTreeView1->SelectedItem();
  if (!node || !g_oItemsListsNode || g_oItemsListsNode->Children().Count() < 2) return;
  const QString path = node->Key();
  if (ItemRecordText::SplitRecords(mdlFunctions::ReadTextFile(path)).size() > 1 &&
      MsgBox("This operation will erase all the items under the '" + mdlFunctions::GetFileNameFromPath(path) +
                 "', are you sure?",
             vbYesNo + vbInformation) != vbYes)
    return;
  mdlFileSystem::DeleteFileSafe(path);
  node->Remove();
  cTreeNodes lists = g_oItemsListsNode->Children();
  cTreeNode* next = lists.Count() > 0 ? lists.Item(lists.Count()) : cTreeView1->SelectedItem();
  cTreeView1_NodeClick(next);
}

void frmMainLists::lblListName_Click() {
  if (IsMainNode(selectedKey())) return;
  m_cMenu_Click(menu_->IndexForKey("Items List Properties"));
}

void frmMainLists::ShowListProperties(cTreeNode* node) {
  if (!node) return;
  g_frmDirProperties& w = form<g_frmDirProperties>();
  w.txtFolderName->setText(node->Text());
  w.lblContain->setText(cStatusBar1->PanelText("Items List Properties"));
  w.txtPath->setText(node->Key());
  cTreeNode* selected = cTreeView1->SelectedItem();
  if (selected && selected->Text() == "Items Lists") {
    w.Unload();
    return;
  }
  w.bEditFolderName = true;
  w.txtFolderName->setEnabled(true);
  w.Show();
}

// --- adding ------------------------------------------------------------------

void frmMainLists::AddFiles() {
  if (windowFlags() & Qt::WindowStaysOnTopHint) mdlOnTop::SetWindowOnTop(this, false);
  FileDialogRecord.lpstrFilter = mdlSupportedFormats::GetAudioFileFilter();
  FileDialogRecord.lpstrTitle = "Add audio files";
  const FileDialogResult r = mdlCommDialog::ShowOpenDialog(this, true);
  if (r.Cancelled) return;
  QStringList paths;
  for (int i = 1; i <= r.Count; ++i) {
    const QString path = r.Folder + (r.Folder.endsWith('/') ? "" : "/") + r.Files.value(i);
    const QFileInfo info(path);
    if (info.isFile() && !info.isHidden() && info.size() >= 1) paths << path;
  }
  addPaths(paths);
}

void frmMainLists::cGrid1_OLEDragDrop(const QStringList& files, long, int, int, float, float) {
  if (!selectedIsList()) return;
  QStringList paths;
  for (const QString& path : files) {
    const QFileInfo info(path);
    if (info.exists() && !info.isHidden() && info.size() >= 1) paths << path;
  }
  addPaths(paths);
}

void frmMainLists::addPaths(const QStringList& paths) {
  form<g_frmStat>().AddFilesToList(paths, *cGrid1, this);
  unloadForm<g_frmStat>();
  SaveGridToFile();
  DisplayGridInfoStatusBar();
}

frmMainLists* frmMainLists::OpenListFor(const QString& what) {
  // A drive's track grid has no file behind it: what is added there is lost.
  frmMainLists* main = MainWindow();
  if (main && main->selectedIsList()) return main;
  MsgBox("Open an items list first: " + what + " is added to the open list.", vbInformation);
  return nullptr;
}

// --- removing and clearing ---------------------------------------------------

void frmMainLists::tmrRemove_Timer() {
  tmrRemove->SetEnabled(false);
  if (m_sRemoveMode == "All")
    ClearListAsk(false);
  else if (m_sRemoveMode == "Item")
    RemoveSelectedItems();
}

void frmMainLists::ClearListAsk(bool bNoQuestion) {
  if (cGrid1->Rows() == 0) return;
  stopPreview();
  if (cPlayer1->IsPlaying()) return;
  if (!bNoQuestion) {
    cTreeNode* node = cTreeView1->SelectedItem();
    const QString prompt = "This operation will erase all the items under the '" + (node ? node->Text() : QString()) +
                           "' list.\r\n\r\nAre you sure?";
    if (MsgBox(prompt, vbYesNo + vbExclamation) != vbYes) return;
  }
  DoClearTheList();
}

void frmMainLists::DoClearTheList() {
  // Only a list node's own file is ever emptied, by replacing it whole, so a
  // failed write leaves the list as it was.
  const bool saved = !selectedIsList() || writeListFile(QString());
  cGrid1->Clear();
  cGrid1->SetRedraw(true);
  cTreeView1_NodeClick(cTreeView1->SelectedItem());
  // Reading the list back says "Ready."; the failure must stay in view.
  if (!saved) showListNotSaved();
}

void frmMainLists::RemoveSelectedItems() {
  stopPreview();
  if (g_bDisplayMSGWhenErase) {
    cTreeNode* node = cTreeView1->SelectedItem();
    const QString prompt = "This operation will erase the " +
                           cGrid1->CellText(cGrid1->SelectedRow(), cGrid1->ColumnIndex("Item Name")) + " under the '" +
                           (node ? node->Text() : QString()) + "'.\r\n\r\nContinue?";
    if (MsgBox(prompt, vbYesNo + vbInformation) != vbYes) return;
  }
  cGrid1->SetRedraw(false);
  const long n = cGrid1->Rows();
  long removed = 0;
  for (long i = 1; i <= n; ++i) {
    const long row = i - removed;
    if (!cGrid1->CellSelected(row, 1)) continue;
    cGrid1->RemoveRow(row);
    ++removed;
  }
  const long current = cGrid1->SelectedRow();
  if (current < 1)
    cGrid1->Clear();
  else
    cGrid1->SetSelectedRow(current);
  SaveGridToFile();
  DisplayGridInfoStatusBar();
  cGrid1->SetRedraw(true);
  if (cGrid1->Rows() == 0)
    showEmptyPanel(lblAddorDrag->text());
  else
    picEmptyMsg->hide();
}
