// The preview player strip of the main window.
#include "mainwindow/frmMain.h"
#include "platform/audio/cAudioGraph.h"
#include "settings/OptionValues.h"

// The preview player joins in a later step; until then nothing plays.
void frmMain::StopPlay() {}
void frmMain::tlbrPlayButtons_ButtonClick(long) {}

int frmMain::PlayerStripHeight() const { return px(900); }

void frmMain::LayoutPlayerStrip(const QRect& strip) {
  const bool graphs = g_bDisplayAudioGraph && strip.height() > 0;
  for (cAudioGraph* g : {cAudioGraphAmp, cAudioGraphFreq}) g->setVisible(graphs);
  const int half = strip.width() / 2;
  cAudioGraphAmp->setGeometry(strip.left(), strip.top(), half, strip.height());
  cAudioGraphFreq->setGeometry(strip.left() + half, strip.top(), strip.width() - half, strip.height());
}
