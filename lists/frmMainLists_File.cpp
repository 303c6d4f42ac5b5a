// The items-list file: written whole from the grid after every change, read
// back with every record checked against the disk and the conversion control.
#include <QFileInfo>

#include "core/mdlFileSystem.h"
#include "core/mdlFunctions.h"
#include "lists/ItemRecord.h"
#include "lists/ItemRow.h"
#include "lists/frmMainLists.h"
#include "platform/FileIdentity.h"
#include "platform/audio/cAudioConverter.h"
#include "settings/OptionValues.h"

namespace {
// The files of the records, in their order: probed ahead while the rows are filled.
QStringList recordFiles(const QStringList& pieces) {
  QStringList files;
  for (const QString& piece : pieces)
    if (!piece.isEmpty()) files << ItemRecordText::GetTagValue(ItemRecordText::kElements[3], piece);
  return files;
}
}  // namespace

QString frmMainLists::GetTagValue(const QString& tag, const QString& text) {
  return ItemRecordText::GetTagValue(tag, text);
}

long frmMainLists::GetTypeIcon(const QString& type) {
  if (type == "Audio") return ItemRow::kAudioIcon;
  if (type == "Data") return ItemRow::kDataIcon;
  return 0;
}

void frmMainLists::SaveGridToFile() {
  // Roots and drives name no list file.
  if (!selectedIsList()) return;
  QString text;
  for (long r = 1; r <= cGrid1->Rows(); ++r) {
    ItemRecord rec;
    rec.inc = QString::number(ItemRow::Icon(*cGrid1, r, "Inc"));
    rec.name = ItemRow::Text(*cGrid1, r, "Item Name");
    rec.file = ItemRow::Text(*cGrid1, r, "COL_FILE");
    rec.rangeAll = ItemRow::Text(*cGrid1, r, "COL_RANGE_ALL");
    rec.rangeStart = ItemRow::Text(*cGrid1, r, "COL_RANGE_START_TIME");
    rec.rangeLength = ItemRow::Text(*cGrid1, r, "COL_RANGE_LENGTH_TIME");
    for (int i = 0; i < 7; ++i) rec.tags[i] = ItemRow::Text(*cGrid1, r, ItemRow::kTagKeys[i]);
    text += rec.ToText();
  }
  writeListFile(text);
}

bool frmMainLists::writeListFile(const QString& text) {
  if (mdlFunctions::WriteTextFile(text, selectedKey())) return true;
  showListNotSaved();
  return false;
}

void frmMainLists::showListNotSaved() { cStatusBar1->SetPanelText("Main", "The items list could not be saved."); }

void frmMainLists::readListFile(const QString& path) {
  SetBusy(true);
  cGrid1->Clear();
  cGrid1->SetImageList(imgGrid);
  prgStatus->show();
  cGrid1->SetRedraw(false);
  const QStringList pieces = ItemRecordText::SplitRecords(mdlFunctions::ReadTextFile(path));
  prgStatus->SetMax(std::max<long>(0, long(pieces.size()) - 1));
  cAudioConverter1->PrefetchSources(recordFiles(pieces));
  long rows = 0;
  for (const QString& piece : pieces) {
    if (piece.isEmpty()) continue;
    if (!fillRowFromRecord(rows + 1, ItemRecord::FromText(piece))) continue;
    prgStatus->SetValue(++rows);
  }
  cAudioConverter1->PrefetchSources({});
  cGrid1->SetRedraw(true);
  if (rows > 0) {
    picEmptyMsg->hide();
    lblAddorDrag->setText("Add or Drag and Drop audio items to here.");
    selectRowAfterFill();
    cStatusBar1->SetPanelText("Main", "Ready.");
  } else {
    showEmptyPanel("Add or Drag and Drop audio items to here.");
  }
  GetFileInfoToGridInfo();
  DisplayGridInfoStatusBar();
  prgStatus->hide();
  SetBusy(false);
}

// Writes the row of a record whose file is still there and still opens as
// audio; a record that fails a check leaves no row.
bool frmMainLists::fillRowFromRecord(long row, const ItemRecord& rec) {
  bool ok = false;
  const long mark = rec.inc.toLong(&ok);
  if (!ok) return false;
  const QFileInfo info(rec.file);
  if (rec.file.isEmpty() || !mdlFileSystem::FileExists(rec.file) || info.size() < 1) return false;
  if (cAudioConverter1->OpenSource(rec.file) != 0) return false;
  const long seconds = ItemRow::RoundedSeconds(double(cAudioConverter1->Duration()));
  // A range is kept as the file holds it; whoever uses it fits it to the audio.
  const bool range = rec.rangeAll == "0";

  ItemRow::SetIcon(*cGrid1, row, "Inc", mark == ItemRow::kMarked ? ItemRow::kMarked : ItemRow::kUnmarked);
  ItemRow::SetIcon(*cGrid1, row, "Type", GetTypeIcon(rec.type));
  ItemRow::SetText(*cGrid1, row, "Item Name", rec.name);
  ItemRow::SetFileCells(*cGrid1, row, rec.file, seconds);
  ItemRow::SetText(*cGrid1, row, "COL_RANGE_ALL", range ? "0" : "1");
  ItemRow::SetText(*cGrid1, row, "COL_RANGE_START_TIME", range ? rec.rangeStart : QString());
  ItemRow::SetText(*cGrid1, row, "COL_RANGE_LENGTH_TIME", range ? rec.rangeLength : QString());
  ItemRow::SetText(*cGrid1, row, "Range", range ? ItemRow::StoredRangeText(rec.rangeStart, rec.rangeLength) : "All");
  ItemRow::SetTags(*cGrid1, row,
                   g_bCopyID3FromSource ? ItemRow::SourceTags(*cAudioConverter1, rec.file)
                                        : QStringList(std::begin(rec.tags), std::end(rec.tags)));
  cAudioConverter1->CloseSource();
  return true;
}

void frmMainLists::SourceTagsChanged(const QString& path) {
  if (!g_bCopyID3FromSource || !selectedIsList()) return;
  bool changed = false;
  for (long row = 1; row <= cGrid1->Rows(); ++row) {
    if (!IsSameFile(ItemRow::Text(*cGrid1, row, "COL_FILE"), path)) continue;
    ItemRow::SetTags(*cGrid1, row, ItemRow::SourceTags(*cAudioConverter1, path));
    changed = true;
  }
  if (!changed) return;
  cAudioConverter1->CloseSource();
  SaveGridToFile();
  GetFileInfoToGridInfo();
}

void frmMainLists::selectRowAfterFill() {
  cGrid1->SetSelectedRow(g_bSelectTheLastItem ? cGrid1->Rows() : 1);
}

void frmMainLists::showEmptyPanel(const QString& text) {
  lblAddorDrag->setText(text);
  picEmptyMsg->show();
  picEmptyMsg->raise();
}
