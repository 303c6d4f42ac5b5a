// The recorder window: records from a device into a WAV file for at most 30
// seconds in the format chosen in its lists when Record is pressed, plays a
// WAV file back, and adds the file to the open items list.
#pragma once
#include "platform/Form.h"
#include "platform/audio/cWave.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Timer;
class cProgressBar;
class cSlider;
class cStatusBar;

class g_frmMicRecorder : public Form {
  Q_OBJECT
 public:
  g_frmMicRecorder();

  void cmdRecord_Click();
  void cmdStopRec_Click();
  void cmdPauseIn_Click();
  void cmdUnPauseIn_Click();
  void tmrRec_Timer();
  void cmdPlay_Click();
  void cmdStop_Click();
  void cmdPauseOut_Click();
  void cmdUnPauseOut_Click();
  void tmSlider_Timer();
  void cmdPath_Click();
  void cmdAdd_Click();
  void cmdExit_Click();
  // The format the lists choose now.
  WAVEFORMATEX FormatFromLists() const;

  cWave* cWave1;
  QWidget* picTitle;
  QLabel* lblTitle;
  QComboBox* cboDevices;
  QLineEdit* txtAudioFile;
  QPushButton* cmdPath;
  QComboBox* cboBitPerSample;
  QComboBox* cboSamplesPerSec;
  QComboBox* cboChannels;
  QPushButton* cmdRecord;
  QPushButton* cmdStopRec;
  QPushButton* cmdPauseIn;
  QPushButton* cmdUnPauseIn;
  QLabel* lblRecTime;
  QLabel* Label6;
  cProgressBar* prgMeter;
  QPushButton* cmdPlay;
  QPushButton* cmdStop;
  QPushButton* cmdPauseOut;
  QPushButton* cmdUnPauseOut;
  cSlider* cSlider1;
  QLabel* lblCurrentPositionSec;
  QLabel* lbTotalLengthSec;
  QPushButton* cmdAdd;
  QPushButton* cmdExit;
  cStatusBar* cStatusBar1;
  Timer* tmrRec;
  Timer* tmSlider;

 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;

 private:
  void cWave1_RecordDone();
  void AddFileToList();
  long SelectedDevice() const;
  long m_lSeconds = 0;
  bool m_bAddWhenDone = false;  // "Add" waits for the recording's end
};
