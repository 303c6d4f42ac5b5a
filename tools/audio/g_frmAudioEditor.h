// The waveform editor window: one WAV file in the wave view, played, zoomed
// and measured; the selected range saved as a new file, or saved and added to
// the open items list once the new file is complete.
#pragma once
#include "platform/Form.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class XP_ProgressBar;
class cAudioEditor;
class cToolbar;

class g_frmAudioEditor : public Form {
  Q_OBJECT
 public:
  g_frmAudioEditor();

  // The path chosen for the selection, or "" when the dialog was cancelled.
  QString SaveSelectionAs();
  void tlbrList_ButtonClick(long index);
  void cmdAddSelection_Click();
  void cmdAbort_Click();
  void cmdExit_Click();

  QWidget* picTitle;
  QLabel* lblTitle;
  QWidget* picList;
  cToolbar* tlbrList;
  cAudioEditor* cAudioEditor1;
  QLineEdit* txtWavFile;
  QFrame* fraInfo;
  QFrame* fraPosition;
  QLabel* lblInfoSamples;
  QLabel* lblInfoBits;
  QLabel* lblInfoChannels;
  QLabel* lblNumOfSamples;
  QLabel* lblLength;
  QLabel* lblSamplesStart;
  QLabel* lblSamplesEnd;
  QLabel* lblTimeStart;
  QLabel* lblTimeEnd;
  QLabel* lblSelectedTime;
  XP_ProgressBar* prgCurrnet;
  QPushButton* cmdAddSelection;
  QPushButton* cmdAbort;
  QPushButton* cmdExit;

 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;

 private:
  void cAudioEditor1_FileInfo(long sps, long bits, long channels, long seconds, long samples);
  void cAudioEditor1_SelectionChanged(long startSample, long endSample, long startMs, long endMs);
  void cAudioEditor1_SaveDone();
  void cAudioEditor1_LoadDone();
  void cAudioEditor1_Error(long code, const QString& text);
  void SetSaveEnabled(bool on);
  // The new file "Add Selection" hands to the list once its save is done.
  QString m_sPendingAdd;
};
