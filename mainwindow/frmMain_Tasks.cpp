// The tool windows opened over the marked items: each is loaded, given its
// counts, totals and sub-folder name and the copied rows, shown modally, and
// the main window refreshes its item information after it has closed.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>

#include "core/mdlFunctions.h"
#include "mainwindow/frmMain.h"
#include "platform/cStatusBar.h"
#include "platform/cTreeView.h"
#include "taskframe/TaskWindow.h"
#include "tools/convert/g_frmConverter.h"
#include "tools/disc/g_frmCDRipper.h"

namespace {
// The totals panels (the time goes into the wider, first panel) and the
// sub-folder name, as every tool that writes files receives them.
void handOverTotals(frmMain& w, TaskWindow& task) {
  const long seconds = w.GetTotalTime(true).toLong();
  task.cStatusBar1->SetPanelText("Total Size", "Total Time: " + mdlFunctions::SecondsToTimeText(seconds));
  task.cStatusBar1->SetPanelText("Total Time", "Total Size: " + w.GetTotalSize(true));
  if (!task.txtUndeForlder) return;
  cTreeNode* node = w.cTreeView1->SelectedItem();
  // A drive's caption is the disc's title from the CD database: any length.
  task.txtUndeForlder->setText(
      mdlFunctions::CapFileNameLength(mdlFunctions::MakeSafeFileName(node ? node->Text() : QString())));
}
}  // namespace

void frmMain::OpenConverter() {
  SetBusy(true);
  g_frmConverter& task = form<g_frmConverter>();
  task.lblFilesToConvert->setText(QString::number(CountMarkedItems()) + " items to convert.");
  task.g_ltmrItemSecsTotal = GetTotalTime(true).toLong();
  handOverTotals(*this, task);
  CopyGridRows(*cGrid1, *task.cGrid1, true);
  SetBusy(false);
  task.ShowModal(this);
}

// Every track of the open drive with its mark, so a row is its track number;
// the drive's own line of the device list is chosen and locked.
void frmMain::OpenCDRipper() {
  SetBusy(true);
  g_frmCDRipper& task = form<g_frmCDRipper>();
  task.lblFilesToConvert->setText(QString::number(CountMarkedItems()) + " items to convert.");
  task.g_ltmrItemSecsTotal = GetTotalTime(true).toLong();
  handOverTotals(*this, task);
  CopyGridRows(*cGrid1, *task.cGrid1, false);
  cTreeNode* node = cTreeView1->SelectedItem();
  const QString drive = GetCDNameNode(node ? node->Key() : QString());
  bool found = false;
  for (int i = 0; i < task.cboDevices->count(); ++i) {
    if (!task.cboDevices->itemText(i).startsWith(drive)) continue;
    task.cboDevices->setCurrentIndex(i);
    found = true;
  }
  if (found) {
    task.cboDevices->setEnabled(false);
    task.cmdOpenCD->setEnabled(false);
  }
  SetBusy(false);
  task.ShowModal(this);
}
