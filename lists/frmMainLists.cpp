#include "lists/frmMainLists.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "core/g_frmFileCopy.h"
#include "core/mdlCommDialog.h"
#include "core/mdlFileSystem.h"
#include "core/mdlFunctions.h"
#include "core/mdlOnTop.h"
#include "core/mdlSupportedFormats.h"
#include "lists/ItemRow.h"
#include "lists/g_frmItem.h"
#include "platform/Services.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/audio/cPlayer.h"
#include "platform/cd/CdTrackPaths.h"
#include "platform/cd/cAudioCDRipper.h"
#include "tools/disc/g_frmFreeDB.h"

cTreeNode* g_oItemsListsNode = nullptr;
cTreeNode* g_oAudioCDsNode = nullptr;

namespace {
frmMainLists* g_mainWindow = nullptr;
constexpr qint64 kLongMax = std::numeric_limits<qint32>::max();

// Adds to a 32-bit total unless that would carry it past its largest value.
void addToLong(qint64& sum, qint64 value) {
  if (sum + value <= kLongMax && sum + value >= -kLongMax - 1) sum += value;
}
}  // namespace

frmMainLists::frmMainLists(QWidget* parent)
    : Form(parent),
      cTreeView1(new cTreeView(this)),
      cGrid1(new cGrid(this)),
      cGridInfo(new cGrid(this)),
      lblListName(new QLabel(this)),
      cStatusBar1(new cStatusBar(this)),
      prgStatus(new XP_ProgressBar(this)),
      picEmptyMsg(new QWidget(cGrid1)),
      lblAddorDrag(new QLabel("Add or Drag and Drop audio files to here.", picEmptyMsg)),
      lblEmptylist(new QLabel("Empty list.", picEmptyMsg)),
      tmrCDs(new Timer(this)),
      tmrRemove(new Timer(this)),
      imgMenu(new cImageList(this)),
      imgGrid(new cImageList(this)),
      cAudioConverter1(new cAudioConverter(this)),
      cPlayer1(new cPlayer(this)),
      cAudioCDRipper1(new cAudioCDRipper(this)),
      menu_(new cMenu(this)) {
  setObjectName("frmMain");
  g_mainWindow = this;
  // A drive's rows go to the tools by their paths: the tools read them from the drive.
  ServeCdTrackPaths();
  tmrCDs->SetInterval(5000);
  tmrRemove->SetInterval(50);
  prgStatus->hide();
  // The empty-list panel: two centred labels; drops on it reach the grid's handler.
  auto* layout = new QVBoxLayout(picEmptyMsg);
  for (QLabel* l : {lblEmptylist, lblAddorDrag}) {
    l->setAlignment(Qt::AlignCenter);
    l->setAcceptDrops(true);
    l->installEventFilter(this);
    layout->addWidget(l);
  }
  picEmptyMsg->setAcceptDrops(true);
  picEmptyMsg->installEventFilter(this);
  picEmptyMsg->resize(px(5400), px(900));
  picEmptyMsg->hide();
  lblListName->installEventFilter(this);
  lblListName->setCursor(Qt::PointingHandCursor);

  connect(cTreeView1, &cTreeView::NodeClick, this, [this](cTreeNode* n) { cTreeView1_NodeClick(n); });
  connect(cTreeView1, &cTreeView::AfterLabelEdit, this, &frmMainLists::cTreeView1_AfterLabelEdit);
  connect(cGrid1, &cGrid::MouseUp, this, &frmMainLists::cGrid1_MouseUp);
  connect(cGrid1, &cGrid::DblClick, this, &frmMainLists::cGrid1_DblClick);
  connect(cGrid1, &cGrid::SelChange, this, &frmMainLists::cGrid1_SelChange);
  connect(cGrid1, &cGrid::RedrawOn, this, &frmMainLists::cGrid1_RedrawOn);
  connect(cGrid1, &cGrid::OLEDragDrop, this, &frmMainLists::cGrid1_OLEDragDrop);
  connect(cGridInfo, &cGrid::DblClick, this, &frmMainLists::cGridInfo_DblClick);
  connect(tmrCDs, &Timer::Tick, this, &frmMainLists::tmrCDs_Timer);
  connect(tmrRemove, &Timer::Tick, this, &frmMainLists::tmrRemove_Timer);
  connect(cAudioCDRipper1, &cAudioCDRipper::Error, this, &frmMainLists::cAudioCDRipper1_Error);
}

frmMainLists::~frmMainLists() {
  if (g_mainWindow == this) g_mainWindow = nullptr;
}

frmMainLists* frmMainLists::MainWindow() { return g_mainWindow; }

bool frmMainLists::IsMainNode(const QString& key) { return key.startsWith("##MAIN"); }
bool frmMainLists::IsCDNode(const QString& key) { return key.left(4) == "##CD"; }
QString frmMainLists::GetCDNameNode(const QString& key) { return key.mid(4, 2); }

QString frmMainLists::selectedKey() const {
  cTreeNode* n = cTreeView1->SelectedItem();
  return n ? n->Key() : QString();
}

bool frmMainLists::selectedIsList() const {
  const QString key = selectedKey();
  return !key.isEmpty() && !IsMainNode(key) && !IsCDNode(key);
}

void frmMainLists::stopPreview() {
  if (!cPlayer1->IsPlaying()) return;
  tlbrPlayButtons_ButtonClick(0);
  SetRowUnBold();
}

void frmMainLists::SetRowUnBold() {
  cGrid1->SetRedraw(false);
  QFont f = cGrid1->font();
  f.setBold(false);
  for (long r = 1; r <= cGrid1->Rows(); ++r)
    for (long c = 1; c <= cGrid1->Columns(); ++c) cGrid1->SetCellFont(r, c, f);
  cGrid1->SetRedraw(true);
}

void frmMainLists::SetPlayerTimes(const QString&, const QString&) {}

bool frmMainLists::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblListName) {
    if (event->type() == QEvent::MouseButtonRelease) lblListName_Click();
    return false;
  }
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* e = static_cast<QDropEvent*>(event);
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    return true;
  }
  if (event->type() == QEvent::Drop) {
    auto* e = static_cast<QDropEvent*>(event);
    QStringList files;
    for (const QUrl& u : e->mimeData()->urls())
      if (u.isLocalFile()) files << u.toLocalFile();
    e->acceptProposedAction();
    const QPoint p = e->position().toPoint();
    cGrid1_OLEDragDrop(files, 1, 1, 0, float(p.x()), float(p.y()));
    return true;
  }
  return Form::eventFilter(watched, event);
}

// --- commands ----------------------------------------------------------------

// The open drive's disc in the CD database: the lookup window shows until it
// has found the disc (or ends), then writes the titles while hidden.
void frmMainLists::lookUpDisc() {
  SetBusy(true);
  g_frmFreeDB& lookup = form<g_frmFreeDB>();
  if (lookup.GetFreeDB()) lookup.ShowModal(this);
  SetBusy(false);
}

bool frmMainLists::RunListCommand(const QString& key) {
  cTreeNode* node = cTreeView1->SelectedItem();
  const QString nodeKey = node ? node->Key() : QString();
  if (key == "Add Files") {
    if (IsCDNode(nodeKey))
      MsgBox("Adding new items to the Audio CD List is not possible." + QString(20, ' '), vbInformation);
    else if (node && !IsMainNode(nodeKey))
      AddFiles();
  } else if (key == "FreeDB") {
    mdlOnTop::SetWindowOnTop(this, false);
    if (cGrid1->Rows() > 0 && !IsCDNode(nodeKey))
      MsgBox("Select the CD drive to get the information about." + QString(18, ' '), vbInformation);
    else if (cGrid1->Rows() > 0)
      lookUpDisc();
  } else if (key == "Items List Properties") {
    if (node && !IsMainNode(nodeKey)) ShowListProperties(node);
  } else if (key == "New Items List") {
    // Made whatever is selected but a drive: a root, a list or nothing.
    if (!IsCDNode(nodeKey)) newItemsList();
  } else if (key == "Rename Items List") {
    if (node && !IsMainNode(nodeKey) && node->Text() != "Items Lists") RunListCommand("Items List Properties");
  } else if (key == "Remove Items List") {
    if (node && !IsMainNode(nodeKey) && !IsCDNode(nodeKey)) RemoveItemsList();
  } else if (key == "Remove Item") {
    if (IsCDNode(nodeKey)) {
      MsgBox("Cannot remove items from Audio CD." + QString(20, ' '), vbInformation);
    } else if (cGrid1->Rows() > 0) {
      m_sRemoveMode = "Item";
      tmrRemove->SetEnabled(true);
    }
  } else if (key == "Clear the List") {
    if (cGrid1->Rows() > 0) {
      m_sRemoveMode = "All";
      tmrRemove->SetEnabled(true);
    }
  } else if (key == "MarkUnmark All") {
    MarkAllItems(!IsAnyItemMarked());
  } else if (key == "Rename Item") {
    if (cGrid1->Rows() > 0) {
      // The item window must not open behind a top-most main window.
      mdlOnTop::SetWindowOnTop(this, false);
      cGrid1_DblClick(cGrid1->SelectedRow(), cGrid1->SelectedCol());
    }
  } else if (key == "Save As") {
    if (IsCDNode(nodeKey)) {
      MsgBox("Nothing to save." + QString(20, ' '), vbInformation);
      return true;
    }
    saveItemAs();
  } else if (!runMoveCommand(key)) {
    return false;
  }
  GetFileInfoToGridInfo();
  return true;
}

bool frmMainLists::runMoveCommand(const QString& key) {
  const long r = cGrid1->SelectedRow();
  const long n = cGrid1->Rows();
  if (key == "Move Up") {
    if (r > 1) ReplaceRow(-1);
  } else if (key == "Move Down") {
    if (r >= 1 && r < n) ReplaceRow(1);
  } else if (key == "Move To First") {
    if (n > 1 && r > 1) ReplaceRow(1 - r);
  } else if (key == "Move To Last") {
    if (n > 1 && r >= 1 && r < n) ReplaceRow(n - r);
  } else {
    return false;
  }
  if (n > 0) SaveGridToFile();
  return true;
}

void frmMainLists::saveItemAs() {
  if (cGrid1->Rows() < 1 || cGrid1->SelectedRow() < 1) return;
  const QString source = ItemRow::Text(*cGrid1, cGrid1->SelectedRow(), "COL_FILE");
  FileDialogRecord.lpstrFilter = mdlSupportedFormats::GetAudioFileFilter();
  FileDialogRecord.lpstrTitle = "Save As";
  FileDialogRecord.lpstrDefExt = mdlFunctions::GetExtension(mdlFunctions::GetFileNameFromPath(source));
  const FileDialogResult r =
      mdlCommDialog::ShowSaveDialog(this, mdlFunctions::GetFileNameFromPath(source), true);
  if (r.Cancelled || r.Count < 1) return;
  g_frmFileCopy& copy = form<g_frmFileCopy>();
  copy.g_sSourceFile = source;
  copy.g_sDestFile = r.Files.value(1);
  copy.lblFrom->setText(copy.g_sSourceFile);
  copy.lblTo->setText(copy.g_sDestFile);
  copy.tmrStart->SetEnabled(true);
  copy.ShowModal();
}

// --- marks and grid events ---------------------------------------------------

void frmMainLists::cGrid1_MouseUp(int button, int, float x, float y) {
  if (button == 2 && cGrid1->Rows() > 0) {
    const long index = menu_->IndexForKey("MarkUnmark All");
    const long rx = std::lround(x), ry = std::lround(y);
    menu_->ShowPopupAt(cGrid1->x() + px(int(rx)), cGrid1->y() + px(int(ry)), rx, ry, 0, 0, -1, index);
    return;
  }
  // Only a release over the first 300 twips, where the marks are, counts.
  if (x > 300) return;
  ShowItemLength();
  const long row = cGrid1->SelectedRow();
  if (ItemRow::Icon(*cGrid1, row, "Type") == ItemRow::kDataIcon) return;
  if (cGrid1->SelectedCol() != 1) return;
  const long icon = cGrid1->CellIcon(row, 1);
  cGrid1->SetCellIcon(row, 1, icon == ItemRow::kMarked ? ItemRow::kUnmarked : ItemRow::kMarked);
  SaveGridToFile();
}

void frmMainLists::ShowItemLength() {
  if (cGrid1->Rows() < 1) return;
  showItemLength(openItemDetails(cGrid1->SelectedRow()));
}

// While nothing plays, the player shows the current item's own length; an
// item that could not be opened has none.
void frmMainLists::showItemLength(bool opened) {
  if (cPlayer1->IsPlaying()) return;
  const long seconds = opened ? long(std::nearbyint(cPlayer1->Duration())) : 0;
  SetPlayerTimes(cPlayer1->SecondsToText(seconds), "0:00:00");
}

// The player takes the row's details: a file's from the file, a drive's audio
// track's from its row, which the disc's table of contents filled, so that no
// drive is read on the UI thread. False for a data track and a file that
// cannot be opened.
bool frmMainLists::openItemDetails(long row) {
  if (!IsCDNode(selectedKey())) return cPlayer1->OpenFile(ItemRow::Text(*cGrid1, row, "COL_FILE")) == 0;
  if (ItemRow::Icon(*cGrid1, row, "Type") == ItemRow::kDataIcon) return false;
  cPlayer1->OpenCdAudio(double(trackSeconds(row)));
  return true;
}

void frmMainLists::cGrid1_DblClick(long row, long) {
  if (ItemRow::Icon(*cGrid1, row, "Type") == ItemRow::kDataIcon) {
    MsgBox("Cannot edit a data track." + QString(36, ' '), vbInformation);
    return;
  }
  SetBusy(true);
  g_frmItem& item = form<g_frmItem>();
  SetBusy(false);
  item.ShowModal();
}

void frmMainLists::cGrid1_SelChange(long, long) { GetFileInfoToGridInfo(); }

void frmMainLists::cGrid1_RedrawOn(long) { cGrid1->SetRedraw(true); }

void frmMainLists::cGridInfo_DblClick(long, long) {
  cGrid1_DblClick(cGrid1->SelectedRow(), cGrid1->SelectedCol());
}

void frmMainLists::MarkAllItems(bool bMark) {
  const long icon = bMark ? ItemRow::kMarked : ItemRow::kUnmarked;
  cGrid1->SetRedraw(false);
  for (long r = 1; r <= cGrid1->Rows(); ++r) ItemRow::SetIcon(*cGrid1, r, "Inc", icon);
  cGrid1->SetRedraw(true);
  SaveGridToFile();
}

bool frmMainLists::IsAnyItemMarked() {
  for (long r = 1; r <= cGrid1->Rows(); ++r)
    if (ItemRow::Icon(*cGrid1, r, "Inc") == ItemRow::kMarked) return true;
  return false;
}

long frmMainLists::CountMarkedItems() {
  long n = 0;
  for (long r = 1; r <= cGrid1->Rows(); ++r)
    if (ItemRow::Icon(*cGrid1, r, "Inc") == ItemRow::kMarked) ++n;
  return n;
}

// --- row order, totals, hand-over --------------------------------------------

long frmMainLists::ReplaceRow(long lMove) {
  const long r = cGrid1->SelectedRow();
  const long t = r + lMove;
  cGrid1->SetRedraw(false);
  for (long c = 2; c <= cGrid1->Columns(); ++c) {
    const QString other = cGrid1->CellText(t, c);
    cGrid1->SetCell(t, c, cGrid1->CellText(r, c));
    cGrid1->SetCell(r, c, other);
  }
  const long inc = cGrid1->ColumnIndex("Inc");
  const long otherMark = cGrid1->CellIcon(t, inc);
  cGrid1->SetCellIcon(t, inc, cGrid1->CellIcon(r, inc));
  cGrid1->SetCellIcon(r, inc, otherMark);
  cGrid1->SetSelectedRow(t);
  cGrid1->SetRedraw(true);
  return 0;
}

long frmMainLists::CopyGridRows(cGrid& source, cGrid& destination, bool bOnlyMarked) {
  if (source.Rows() < 1) return 0;
  destination.SetRedraw(false);
  const long srcInc = source.ColumnIndex("Inc");
  long counter = 0;
  for (long i = 1; i <= source.Rows(); ++i) {
    const long mark = source.CellIcon(i, srcInc);
    long target = i;
    if (bOnlyMarked) {
      if (mark != ItemRow::kMarked) continue;
      target = ++counter;
    } else {
      destination.SetCell(i, destination.ColumnIndex("Inc"), QVariant(), ItemRow::kIconCellFormat, mark);
    }
    for (long c = 2; c <= source.Columns(); ++c) destination.SetCell(target, c, source.CellText(i, c));
    destination.SetSelectedRow(1);
  }
  destination.SetRedraw(true);
  return 0;
}

long frmMainLists::itemSeconds(long row) {
  if (ItemRow::Text(*cGrid1, row, "COL_RANGE_ALL") == "1")
    return mdlFunctions::TimeTextToSeconds(ItemRow::Text(*cGrid1, row, "Time"));
  return ItemRow::WholeSeconds(ItemRow::LeadingNumber(ItemRow::Text(*cGrid1, row, "COL_RANGE_LENGTH_TIME")));
}

QString frmMainLists::GetTotalTime(bool bMarkedOnly) {
  qint64 sum = 0;
  for (long r = 1; r <= cGrid1->Rows(); ++r) {
    if (bMarkedOnly && ItemRow::Icon(*cGrid1, r, "Inc") != ItemRow::kMarked) continue;
    addToLong(sum, itemSeconds(r));
  }
  return QString::number(sum);
}

QString frmMainLists::GetTotalSize(bool bMarkedOnly) {
  qint64 sum = 0;
  for (long r = 1; r <= cGrid1->Rows(); ++r) {
    if (bMarkedOnly && ItemRow::Icon(*cGrid1, r, "Inc") != ItemRow::kMarked) continue;
    bool ok = false;
    const qint64 bytes = ItemRow::Text(*cGrid1, r, "COL_BYTES_SIZE").toLongLong(&ok);
    if (ok) addToLong(sum, bytes);
  }
  return mdlFileSystem::FormatByteSize(sum);
}

void frmMainLists::DisplayGridInfoStatusBar() {
  const long rows = cGrid1->Rows();
  if (rows == 0) {
    cStatusBar1->SetPanelText("Items List Properties", "0 Items, 0 KB, 00:00:00");
    return;
  }
  cStatusBar1->SetPanelText("Items List Properties", QString::number(rows) + " Items, " + GetTotalSize(false) +
                                                         ", " + ItemRow::TimeText(GetTotalTime(false).toLong()));
}

// --- information pane --------------------------------------------------------

void frmMainLists::GetFileInfoToGridInfo() {
  cGridInfo->Clear();
  if (cGrid1->Rows() < 1) return;
  cGridInfo->SetRedraw(false);
  const long row = cGrid1->SelectedRow();
  const QString path = ItemRow::Text(*cGrid1, row, "COL_FILE");
  const bool opened = openItemDetails(row);
  // What could not be opened has no details: the previous item's must not show.
  const auto detail = [opened](const QString& value) { return opened ? value : QString(); };
  const QString lines[9][2] = {
      {"File Name", ItemRow::Text(*cGrid1, row, "Item Name")},
      {"Total Time", ItemRow::Text(*cGrid1, row, "Time")},
      {"File Size", ItemRow::Text(*cGrid1, row, "Size")},
      {"Created", ItemRow::Text(*cGrid1, row, "Created")},
      {"Format", mdlFunctions::GetFileExt(path).toUpper()},
      {"Samples", detail(QString::number(cPlayer1->SampleRate()))},
      {"Bitrate", detail(QString::number(cPlayer1->Bitrate()))},
      {"Channels", detail(cPlayer1->Channels() == 1 ? "MONO" : "STEREO")},
      {"Item", QString::number(row)},
  };
  for (long i = 0; i < 9; ++i) {
    cGridInfo->SetCell(i + 1, 1, lines[i][0]);
    cGridInfo->SetCell(i + 1, 2, lines[i][1]);
  }
  cGridInfo->SetRedraw(true);
  showItemLength(opened);
  SetBusy(false);
}
