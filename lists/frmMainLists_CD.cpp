// The drive branch: the tracks of the disc in a drive as rows, and the poll
// that follows discs going in and out.
#include <QDateTime>

#include "core/mdlFileSystem.h"
#include "core/mdlFileTime.h"
#include "core/mdlFunctions.h"
#include "lists/ItemRow.h"
#include "lists/frmMainLists.h"
#include "platform/Services.h"
#include "platform/cd/cAudioCDRipper.h"
#include "settings/OptionValues.h"

namespace {
// Bytes of one second of CD audio: 44100 Hz, 16 bits, stereo.
constexpr qint64 kCdBytesPerSecond = 176400;
}  // namespace

long frmMainLists::GetCDDriveIndex(const QString& drive) {
  long found = 0;
  for (long p = 0; p < cAudioCDRipper1->GetDeviceCount(); ++p)
    if (cAudioCDRipper1->GetDeviceName(p).left(2) == drive) found = p;
  return found;
}

std::function<std::unique_ptr<PcmSource>(double start)> frmMainLists::trackPreview(long track) {
  return cAudioCDRipper1->TrackPreview(GetCDDriveIndex(GetCDNameNode(selectedKey())), track);
}

long frmMainLists::trackSeconds(long track) {
  return mdlFunctions::TimeTextToSeconds(ItemRow::Text(*cGrid1, track, "Time"));
}

void frmMainLists::writeTrackRow(long track, const QString& drive) {
  const bool audio = cAudioCDRipper1->GetTrackType(track) == 1;
  const long seconds = cAudioCDRipper1->GetTrackLength(track);
  const qint64 bytes = seconds * kCdBytesPerSecond;
  const QString name = QString("Track%1.cda").arg(track, 2, 10, QChar('0'));
  const QString path = drive + "/" + name;
  QDateTime created = mdlFileTime::GetFileCreated(path);
  if (created == mdlFileTime::ZeroDate()) created = QDateTime::currentDateTime();
  ItemRow::SetIcon(*cGrid1, track, "Inc", audio ? ItemRow::kMarked : ItemRow::kUnmarked);
  ItemRow::SetIcon(*cGrid1, track, "Type", GetTypeIcon(audio ? "Audio" : "Data"));
  ItemRow::SetText(*cGrid1, track, "Item Name", name);
  ItemRow::SetText(*cGrid1, track, "Time", ItemRow::TimeText(seconds));
  ItemRow::SetText(*cGrid1, track, "Size", mdlFileSystem::FormatFileSize(double(bytes)));
  ItemRow::SetText(*cGrid1, track, "COL_FILE", path);
  ItemRow::SetText(*cGrid1, track, "Created", ItemRow::CreatedText(created));
  ItemRow::SetText(*cGrid1, track, "Range", "All");
  ItemRow::SetText(*cGrid1, track, "COL_RANGE_ALL", "1");
  ItemRow::SetText(*cGrid1, track, "COL_BYTES_SIZE", QString::number(bytes));
  ItemRow::SetTags(*cGrid1, track, ItemRow::DefaultTags());
}

void frmMainLists::LoadCDTracks(const QString& drive) {
  const QString noDisc = "Insert an Audio CD to the CD drive.";
  SetBusy(true);
  const long position = GetCDDriveIndex(drive);
  cGrid1->Clear();
  cGrid1->SetImageList(imgGrid);
  // The drive of the node has gone (unplugged, or its image no longer listed):
  // there is no device to read, so nothing may be listed from another one.
  if (cAudioCDRipper1->GetDeviceName(position).left(2) != drive) {
    showEmptyPanel(noDisc);
    DisplayGridInfoStatusBar();
    SetBusy(false);
    MsgBox("There is no CD in the drive.", vbInformation);
    return;
  }
  cGrid1->SetRedraw(false);
  if (cAudioCDRipper1->SelectDevice(position)) {
    if (cAudioCDRipper1->IsAudioCD()) {
      const long count = cAudioCDRipper1->GetTrackCount();
      prgStatus->SetMax(count);
      prgStatus->show();
      for (long t = 1; t <= count; ++t) {
        prgStatus->SetValue(t);
        writeTrackRow(t, drive);
      }
    } else {
      cGrid1->Clear();
      showEmptyPanel(noDisc);
    }
  }
  cGrid1->SetRedraw(true);
  // A drive that cannot be read at all (such as an image no CD can hold) says why.
  if (!cAudioCDRipper1->DeviceError().isEmpty()) MsgBox(cAudioCDRipper1->DeviceError(), vbInformation);
  if (cGrid1->Rows() > 0) {
    picEmptyMsg->hide();
    selectRowAfterFill();
    cStatusBar1->SetPanelText("Main", "Ready.");
    DisplayGridInfoStatusBar();
    if (g_bAutoFreeDB) m_cMenu_Click(menu_->IndexForKey("FreeDB"));
  } else {
    showEmptyPanel(noDisc);
  }
  DisplayGridInfoStatusBar();
  prgStatus->hide();
  SetBusy(false);
}

void frmMainLists::tmrCDs_Timer() {
  if (!g_oAudioCDsNode) return;
  cTreeNodes drives = g_oAudioCDsNode->Children();
  for (long i = 1; i <= drives.Count(); ++i) {
    const long p = i - 1;
    if (!cAudioCDRipper1->SelectDevice(p)) continue;
    cTreeNode* node = drives.Item(i);
    const QString device = cAudioCDRipper1->GetDeviceName(p);
    const bool open = selectedKey() == node->Key();
    if (cAudioCDRipper1->GetTrackCount() >= 1) {
      if (selectedKey() == "##CD" + device && cGrid1->Rows() == 0) cTreeView1_NodeClick(node);
    } else {
      if (open && cGrid1->Rows() > 0) cTreeView1_NodeClick(node);
      node->SetText(device.left(2));
    }
  }
}

void frmMainLists::SelectFirstAudioCD() {
  if (!g_oAudioCDsNode) return;
  cTreeNodes drives = g_oAudioCDsNode->Children();
  for (long i = 1; i <= drives.Count(); ++i) {
    if (cAudioCDRipper1->SelectDevice(i - 1) && cAudioCDRipper1->GetTrackCount() >= 1) {
      cTreeView1_NodeClick(drives.Item(i));
      return;
    }
  }
}

void frmMainLists::cAudioCDRipper1_Error(long code, const QString& text) {
  MsgBox(text + " (" + QString::number(code) + ")", vbOKOnly);
}
