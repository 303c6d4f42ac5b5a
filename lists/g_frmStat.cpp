#include "lists/g_frmStat.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "core/mdlFunctions.h"
#include "core/mdlSetFormIcon32.h"
#include "core/mdlSupportedFormats.h"
#include "lists/ItemRow.h"
#include "lists/frmMainLists.h"
#include "platform/Services.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cAudioConverter.h"
#include "settings/OptionValues.h"

const QString g_frmStat::kBusyMessage =
    "Files are still being added to the list. Add these when that is done." + QString(10, ' ');

g_frmStat::g_frmStat()
    : lblStat(new QLabel("Adding", this)),
      cProgressBar1(new cProgressBar(this)),
      cmdCancel(new QPushButton("Cancel", this)),
      cAudioConverter1(new cAudioConverter(this)) {
  setObjectName("g_frmStat");
  SetCaption("Add Files");
  setFont(QFont("Tahoma", 8));
  setFixedSize(px(7125), px(1305));
  lblStat->setGeometry(px(240), px(120), px(6615), px(195));
  cProgressBar1->setGeometry(px(240), px(360), px(6615), px(375));
  cProgressBar1->setTextVisible(false);
  cmdCancel->setGeometry(px(5520), px(840), px(1335), px(375));
  connect(cmdCancel, &QPushButton::clicked, this, &g_frmStat::cmdCancel_Click);
}

void g_frmStat::Form_Load() {
  mdlSetFormIcon32::SetFormIcon(this, "replace2", true);
  g_bAddFilesCancel = false;
}

void g_frmStat::Form_Unload(int& Cancel) {
  // Only the add itself unloads the window it runs in (a refused second add
  // asks too); its close button stops it as Cancel does.
  if (running_) {
    Cancel = 1;
    return;
  }
  cAudioConverter1->CloseConverter();
  g_bAddFilesCancel = true;
}

void g_frmStat::closeEvent(QCloseEvent* event) {
  if (running_) cmdCancel_Click();
  Form::closeEvent(event);
}

void g_frmStat::cmdCancel_Click() { g_bAddFilesCancel = true; }

bool g_frmStat::SupportAudioFile(const QString& sFileName) {
  const QString ext = mdlFunctions::GetExtension(sFileName).toLower();
  return mdlSupportedFormats::GetAudioFileFilter().toLower().contains(ext);
}

QString g_frmStat::getLegaName(const QString& sPath) {
  QString name = sPath;
  for (QChar c : QStringLiteral(":?<>\\/*|\"")) name.remove(c);
  return name;
}

void g_frmStat::AddFilesToList(const QStringList& Data, cGrid& cGrid1, QWidget* frm) {
  // An add that starts while another runs would write its rows among the
  // other's and end it; it is refused.
  if (running_) {
    MsgBox(kBusyMessage, vbInformation);
    return;
  }
  if (frm) {
    setParent(frm, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    move(frm->geometry().center() - rect().center());
  }
  // The rows go to the list open now: until they are in, the owner takes no
  // clicks, keys or drops that would open, remove or fill another list.
  setWindowModality(Qt::WindowModal);
  running_ = true;
  Show();
  cProgressBar1->SetMin(1);
  cProgressBar1->SetMax(Data.size() + 1);
  cProgressBar1->SetValue(1);
  cGrid1.SetRedraw(false);
  const long base = cGrid1.Rows();
  long added = 0;
  QStringList files;  // probed ahead while the rows are written
  for (const QString& path : Data)
    if (addable(path)) files << path;
  cAudioConverter1->PrefetchSources(files);
  for (qsizetype i = 0; i < Data.size(); ++i) {
    DoEvents();  // serves a click on Cancel
    if (g_bAddFilesCancel) break;
    const QString& path = Data[i];
    if (addable(path)) {
      if (cAudioConverter1->OpenSource(path) != 0) {
        MsgBox("Cannot add " + path, vbInformation);
      } else {
        lblStat->setText("Adding " + path);
        SetCaption("Adding " + path);
        writeRow(cGrid1, base + ++added, path);
      }
    }
    cProgressBar1->SetValue(long(i) + 1);
  }
  cAudioConverter1->PrefetchSources({});
  cGrid1.SetRedraw(true);
  frmMainLists* main = frmMainLists::MainWindow();
  if (cGrid1.Rows() > 0) {
    cGrid1.SetSelectedRow(g_bSelectTheLastItem ? cGrid1.Rows() : 1);
    if (main) main->GetFileInfoToGridInfo();
    cGrid1.SetSelectedCol(2);
    if (main) {
      main->picEmptyMsg->hide();
      main->cStatusBar1->SetPanelText("Main", "Ready.");
      main->DisplayGridInfoStatusBar();
    }
  } else if (main) {
    main->picEmptyMsg->show();
  }
  running_ = false;
  Unload();
}

bool g_frmStat::addable(const QString& path) {
  const QFileInfo info(path);
  const bool empty = info.exists() && info.size() == 0;
  return !mdlFunctions::IsFolder(path) && SupportAudioFile(path) && !empty;
}

void g_frmStat::writeRow(cGrid& grid, long row, const QString& path) {
  ItemRow::SetIcon(grid, row, "Inc", ItemRow::kMarked);
  ItemRow::SetIcon(grid, row, "Type", ItemRow::kAudioIcon);
  ItemRow::SetText(grid, row, "Item Name", getLegaName(mdlFunctions::GetFileNameFromPath(path)));
  ItemRow::SetFileCells(grid, row, path, ItemRow::RoundedSeconds(double(cAudioConverter1->Duration())));
  ItemRow::SetText(grid, row, "Range", "All");
  ItemRow::SetText(grid, row, "COL_RANGE_ALL", "1");
  ItemRow::SetTags(grid, row,
                   g_bCopyID3FromSource ? ItemRow::SourceTags(*cAudioConverter1, path) : ItemRow::DefaultTags());
}
