// The audio-CD writer: the marked items written as an audio CD, one track per
// row in row order, on the writer and at the speed chosen in the window. The
// writer control decodes the files itself; the window lists the writers, shows
// the disc, hands the rows over as tracks and follows the write.
#pragma once
#include "taskframe/TaskWindow.h"

class cAudioBurner;
class cProgressBar;

class g_frmCDBurner : public TaskWindow {
  Q_OBJECT
 public:
  g_frmCDBurner();

  void BurnDisk();
  // The seconds of the disc the rows make, pregaps and padding counted.
  double DiscSeconds() const;
  // The end-of-job actions of a finished disc.
  void DoEndEvents();
  void cboDrv_Click();
  void cmdConvert_Click();
  void cmdAbort_Click();
  void cmdOpenCD_Click();
  void cmdClose_Click();
  void lblOpenDestinationDestinationFolder_Click();
  void cAudioBurner1_TrackProgress(int percent, int track);
  void cAudioBurner1_Progress(int percent);
  void cAudioBurner1_Stage(const QString& text);
  void cAudioBurner1_Finished();
  void cAudioBurner1_Error(long code, const QString& text);

  cAudioBurner* cAudioBurner1;
  QComboBox* cboDrv;
  QComboBox* cboSpeed;
  QLabel* lblDiskSize;
  QLabel* lblDiskCapacity;
  QLabel* lblState;
  QPushButton* cmdOpenCD;
  QPushButton* cmdClose;
  cProgressBar* prgSize;
  QLabel* lblDataSize;
  QCheckBox* chkOpenCDdrive;
  // The track of the last track-progress event of the current write.
  long m_lLastTrack = 0;

 protected:
  void LoadOwnControls() override;
  void CloseJobControl() override;

 private:
  void FillDriveList();
  void FillSpeedList();
  QString driveLetter() const;
  void buildSettingsPage();
};
