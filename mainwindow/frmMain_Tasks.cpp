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
#include "core/mdlFileSystem.h"
#include "lists/ItemRow.h"
#include "platform/XP_ProgressBar.h"
#include "platform/cGrid.h"
#include "settings/FormControls.h"
#include "tools/convert/g_frmACMConverter.h"
#include "tools/convert/g_frmConverter.h"
#include "tools/convert/g_frmJoiner.h"
#include "tools/convert/g_frmSplitter.h"
#include "tools/disc/g_frmCDBurner.h"
#include "tools/disc/g_frmCDRipper.h"
#include "tools/disc/g_frmDataBurner3.h"

namespace {
// The totals panels (the time goes into the wider, first panel) and the
// sub-folder name, as every tool that writes files receives them.
void handOverTotals(frmMain& w, TaskWindow& task, const QString& time, const QString& size) {
  task.cStatusBar1->SetPanelText("Total Size", "Total Time: " + time);
  task.cStatusBar1->SetPanelText("Total Time", "Total Size: " + size);
  if (!task.txtUndeForlder) return;
  cTreeNode* node = w.cTreeView1->SelectedItem();
  // A drive's caption is the disc's title from the CD database: any length.
  task.txtUndeForlder->setText(
      mdlFunctions::CapFileNameLength(mdlFunctions::MakeSafeFileName(node ? node->Text() : QString())));
}

// The totals of the marked items.
void handOverTotals(frmMain& w, TaskWindow& task) {
  const long seconds = w.GetTotalTime(true).toLong();
  handOverTotals(w, task, mdlFunctions::SecondsToTimeText(seconds), w.GetTotalSize(true));
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

// As the converter, and the list of sources whose format narrows the codecs:
// every item of the list, the current one chosen.
void frmMain::OpenACMConverter() {
  SetBusy(true);
  g_frmACMConverter& task = form<g_frmACMConverter>();
  task.lblFilesToConvert->setText(QString::number(CountMarkedItems()) + " items to convert.");
  task.g_ltmrItemSecsTotal = GetTotalTime(true).toLong();
  handOverTotals(*this, task);
  CopyGridRows(*cGrid1, *task.cGrid1, true);
  task.cboBestAccordItem->addItem("All ACM Codecs");
  for (long row = 1; row <= cGrid1->Rows(); ++row) task.cboBestAccordItem->addItem(ItemRow::Text(*cGrid1, row, "COL_FILE"));
  const long current = cGrid1->SelectedRow();
  if (current >= 1) {
    task.cboBestAccordItem->setCurrentIndex(int(current));
    task.cboBestAccordItem_Click();
  }
  SetBusy(false);
  task.ShowModal(this);
}

// The current row, marked or not, is the one file split.
void frmMain::OpenSplitter() {
  SetBusy(true);
  g_frmSplitter& task = form<g_frmSplitter>();
  const long row = cGrid1->SelectedRow();
  task.lblFilesToConvert->setText("Split: " + ItemRow::Text(*cGrid1, row, "Item Name"));
  handOverTotals(*this, task, ItemRow::Text(*cGrid1, row, "Time"),
                 mdlFileSystem::FormatFileSize(ItemRow::Text(*cGrid1, row, "COL_BYTES_SIZE").toDouble()));
  task.g_sFileToSplit = ItemRow::Text(*cGrid1, row, "COL_FILE");
  for (long col = 2; col <= cGrid1->Columns(); ++col) task.cGrid1->SetCell(1, col, cGrid1->Cell(row, col).Text());
  task.cGrid1->SetSelectedRow(1);
  SetBusy(false);
  task.ShowModal(this);
}

void frmMain::OpenJoiner() {
  SetBusy(true);
  g_frmJoiner& task = form<g_frmJoiner>();
  task.lblFilesToConvert->setText(QString::number(CountMarkedItems()) + " items to join.");
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
  if (found) task.cboDevices->setEnabled(false);
  SetBusy(false);
  task.ShowModal(this);
}

// The marked rows as tracks, with the disc's fill in minutes of an 80-minute
// CD as the disc will take it; a longer list is shown in red (the write then
// refuses it).
void frmMain::OpenCDBurner() {
  SetBusy(true);
  g_frmCDBurner& task = form<g_frmCDBurner>();
  const long items = CountMarkedItems();
  CopyGridRows(*cGrid1, *task.cGrid1, true);
  const double minutes = task.DiscSeconds() / 60.0;
  const QString m = QString::number(mdlFunctions::RoundHalfEven(minutes));
  task.lblFilesToConvert->setText(QString::number(items) + " items to burn (" + m + " minutes).");
  task.cStatusBar1->SetPanelText("Total Size", m + " Min / 80 Min.");
  task.prgSize->SetMax(83);
  task.prgSize->SetValue(m.toLong());
  if (minutes > 80) {
    task.prgSize->SetBarColor(255);
    task.lblDataSize->setText("Data is to big (more then 80 min). Please remove some tracks.");
    QFont bold = task.lblDataSize->font();
    bold.setBold(true);
    task.lblDataSize->setFont(bold);
  } else {
    task.lblDataSize->setText("Data Size: " + QString::number(items) + " files, " + m + " Min / 80 Min.");
  }
  SetBusy(false);
  task.ShowModal(this);
}

// The command's key is the window's title; the list's name, made safe, is
// the disc's volume label.
void frmMain::OpenDataBurner(const QString& key) {
  SetBusy(true);
  g_frmDataBurner3& task = form<g_frmDataBurner3>();
  task.lblTitle->setText(key);
  task.SetCaption(key);
  task.lblFilesToConvert->setText(QString::number(CountMarkedItems()) + " items to burn.");
  FormControls::SelectText(task.cboTargetFormat, key == "WMA CD Maker" ? "WMA - Windows Media Audio files (*.wma)"
                                                                        : "MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
  task.g_ltmrItemSecsTotal = GetTotalTime(true).toLong();
  handOverTotals(*this, task);
  cTreeNode* node = cTreeView1->SelectedItem();
  task.txtCDName->setText(mdlFunctions::MakeSafeFileName(node ? node->Text() : QString()));
  CopyGridRows(*cGrid1, *task.cGrid1, true);
  SetBusy(false);
  task.ShowModal(this);
}
