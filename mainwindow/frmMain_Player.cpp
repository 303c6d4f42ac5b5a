// The preview player strip of the main window: play, pause and stop of the
// current row, the position slider and times, and the two level graphs.
#include <QApplication>
#include <cmath>

#include "core/mdlFileSystem.h"
#include "core/mdlModes.h"
#include "lists/ItemRow.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "platform/audio/cAudioGraph.h"
#include "platform/audio/cPlayer.h"
#include "settings/OptionValues.h"

namespace {
constexpr long kPlayingIcon = 38;
constexpr long kReadyIcon = 47;
}  // namespace

void frmMain::SetUpPlayer() {
  tmrPlayer->SetInterval(200);
  tmSlider->SetInterval(200);
  tmrAudioData->SetInterval(100);
  connect(tmrPlayer, &Timer::Tick, this, &frmMain::tmrPlayer_Timer);
  connect(tmSlider, &Timer::Tick, this, &frmMain::tmSlider_Timer);
  connect(tmrAudioData, &Timer::Tick, this, &frmMain::tmrAudioData_Timer);
  connect(cPlayer1, &cPlayer::PlayEnd, this, &frmMain::cPlayer1_PlayEnd);
  connect(cSlider1, &cSlider::SeekStart, this, &frmMain::cSlider1_SeekStart);
  connect(cSlider1, &cSlider::SeekEnd, this, &frmMain::cSlider1_SeekEnd);
  for (QLabel* l : {lblCurrentPositionSec, lbTotalLengthSec}) l->setAlignment(Qt::AlignCenter);
}

void frmMain::StartPlay() {
  if (cGrid1->Rows() < 1) return;
  if (cPlayer1->IsPaused()) {
    cPlayer1->ResumePlay();
    tlbrPlayButtons->SetButtonChecked("Pause", false);
    return;
  }
  if (!tmrPlayer->Enabled() && cPlayer1->IsPlaying()) {
    // Stop now, start the current row a moment later.
    StopPlay();
    tmrPlayer->SetEnabled(true);
    return;
  }
  const long row = cGrid1->SelectedRow();
  const QString path = ItemRow::Text(*cGrid1, row, "COL_FILE");
  const cTreeNode* node = cTreeView1->SelectedItem();
  const QString key = node ? node->Key() : QString();
  const bool track = IsCDNode(key);
  if (!track && !mdlFileSystem::FileExists(path)) {
    MsgBox(path + " is not existed.", vbInformation, mdlModes::WindowTitle());
    cTreeView1_NodeClick(cTreeView1->SelectedItem());
    return;
  }
  if (const long code = track ? playTrack(row) : cPlayer1->Play(path, g_lAudioDevice); code != 0) {
    cPlayer1->ReportError(code);
    return;
  }
  cStatusBar1->SetPanelText("Main", "Playing");
  cStatusBar1->SetPanelIcon("Main", kPlayingIcon);
  const long length = long(std::nearbyint(cPlayer1->Duration()));
  cSlider1->SetMax(std::max(length, 1L));
  if (cTreeNode* node = cTreeView1->SelectedItem()) {
    m_cPlayingNode = node->Key();
    node->SetBold(true);
  }
  lbTotalLengthSec->setText(cPlayer1->SecondsToText(length));
  tmSlider->SetEnabled(true);
  tmrAudioData->SetEnabled(true);
  SetRowBold(row, true);
}

long frmMain::playTrack(long track) {
  return cPlayer1->PlaySource(trackPreview(track), double(trackSeconds(track)), g_lAudioDevice);
}

void frmMain::StopPlay() {
  tlbrPlayButtons->SetButtonEnabled("Play", true);
  tlbrPlayButtons->SetButtonChecked("Pause", false);
  if (!cPlayer1->IsPlaying()) return;
  cPlayer1->StopPlay();
  showPlayStopped();
  if (cTreeNode* node = cTreeView1->Nodes().Item(m_cPlayingNode)) node->SetBold(false);
  m_cPlayingNode.clear();
}

// Whatever ended the preview, nothing may go on showing it.
void frmMain::showPlayStopped() {
  tmrAudioData->SetEnabled(false);
  tmSlider->SetEnabled(false);
  cSlider1->SetValue(0);
  cAudioGraphFreq->ClearGraph();
  cAudioGraphAmp->ClearGraph();
  lblCurrentPositionSec->setText("0:00:00");
  cStatusBar1->SetPanelText("Main", "Ready.");
  cStatusBar1->SetPanelIcon("Main", kReadyIcon);
  SetRowUnBold();
}

void frmMain::SetRowBold(long lRow, bool bBold) {
  QFont f = cGrid1->font();
  f.setBold(bBold);
  for (long c = 1; c <= cGrid1->Columns(); ++c) cGrid1->SetCellFont(lRow, c, f);
}

void frmMain::SetPlayerTimes(const QString& length, const QString& position) {
  lbTotalLengthSec->setText(length);
  lblCurrentPositionSec->setText(position);
}

void frmMain::tlbrPlayButtons_ButtonClick(long index) {
  // Index 0 names no button: the parts of the window that only need the
  // preview ended pass it, so it stands for Stop.
  const QString key = index == 0 ? QString("Stop") : tlbrPlayButtons->ButtonKey(index);
  if (key == "Play") {
    StartPlay();
  } else if (key == "Pause") {
    if (!cPlayer1->IsPlaying()) {
      tlbrPlayButtons->SetButtonChecked("Pause", false);
      return;
    }
    const bool pause = tlbrPlayButtons->ButtonChecked("Pause");
    if (!cPlayer1->IsPlaying()) return;
    if (pause) cPlayer1->PausePlay();
    else cPlayer1->ResumePlay();
  } else if (key == "Stop") {
    if (cPlayer1->IsPaused()) cPlayer1->ResumePlay();
    if (cPlayer1->IsPlaying()) StopPlay();
  }
}

void frmMain::cPlayer1_PlayEnd() {
  tlbrPlayButtons_ButtonClick(tlbrPlayButtons->ButtonIndex("Stop"));
  showPlayStopped();
  cTreeView1->SetTreeOption4F(true);
  // Ended through Stop: no advance.
  if (m_cPlayingNode.isEmpty()) return;
  if (cTreeNode* node = cTreeView1->Nodes().Item(m_cPlayingNode)) node->SetBold(false);
  if (!g_bGoToNextItem || tmrPlayer->Enabled()) return;
  const long rows = cGrid1->Rows();
  for (long r = cGrid1->SelectedRow() + 1; r <= rows; ++r) {
    if (ItemRow::Icon(*cGrid1, r, "Inc") != ItemRow::kMarked) continue;
    cGrid1->SetSelectedRow(r);
    tlbrPlayButtons_ButtonClick(tlbrPlayButtons->ButtonIndex("Play"));
    return;
  }
}

void frmMain::cSlider1_SeekStart() {
  if (cPlayer1->IsPlaying()) tmSlider->SetEnabled(false);
}

void frmMain::cSlider1_SeekEnd() {
  if (!cPlayer1->IsPlaying()) return;
  cPlayer1->Seek(cSlider1->Value());
  tmSlider->SetEnabled(true);
}

void frmMain::tmrPlayer_Timer() {
  tmrPlayer->SetEnabled(false);
  StartPlay();
}

void frmMain::tmSlider_Timer() {
  cSlider1->SetValue(cPlayer1->GetPosition());
  lblCurrentPositionSec->setText(cPlayer1->SecondsToText(cPlayer1->GetPosition()));
}

void frmMain::tmrAudioData_Timer() {
  if (!cPlayer1->IsPlaying()) return;
  cAudioGraphAmp->AddValue(cPlayer1->Level());
  cAudioGraphAmp->RefreshGraph();
  cAudioGraphFreq->AddValue(cPlayer1->Level());
  cAudioGraphFreq->RefreshGraph();
}

int frmMain::PlayerStripHeight() const { return px(1215); }

void frmMain::LayoutPlayerStrip(const QRect& strip) {
  const bool shown = strip.height() > 0 && strip.width() > 0;
  for (QWidget* w : std::initializer_list<QWidget*>{cSlider1, tlbrPlayButtons, lblCurrentPositionSec,
                                                     lbTotalLengthSec})
    w->setVisible(shown);
  const bool graphs = g_bDisplayAudioGraph && shown;
  for (cAudioGraph* g : {cAudioGraphAmp, cAudioGraphFreq}) g->setVisible(graphs);
  if (!shown) return;
  // Slider across the top; play buttons and the two times under it; the
  // graphs side by side in what is left.
  const int left = strip.left() + px(100), width = strip.width() - px(200);
  const int sliderH = px(300);
  cSlider1->setGeometry(left, strip.top() + px(30), width, sliderH);
  const int rowTop = strip.top() + px(30) + sliderH;
  const int rowH = px(500);
  const int buttonsW = tlbrPlayButtons->sizeHint().width();
  tlbrPlayButtons->setGeometry(left, rowTop, buttonsW, rowH);
  const int timeW = (width - buttonsW) / 2;
  lblCurrentPositionSec->setGeometry(left + buttonsW, rowTop, timeW, rowH);
  lbTotalLengthSec->setGeometry(left + buttonsW + timeW, rowTop, width - buttonsW - timeW, rowH);
  const int graphTop = rowTop + rowH;
  const int graphH = std::max(0, strip.bottom() + 1 - graphTop - px(30));
  const int half = width / 2;
  cAudioGraphAmp->setGeometry(left, graphTop, half, graphH);
  cAudioGraphFreq->setGeometry(left + half, graphTop, width - half, graphH);
}
