// The audio CD ripper: rips the marked tracks of the disc in one drive, one
// after the other, into files of the chosen format with their tags. The grid
// holds every track of the disc, so a row number is the track number; the
// run passes over the unmarked rows. Each track is started from the ripper
// control's Done or Error event of the one before. Into a compressed format
// later tracks are read and encoded ahead on every core (see WorkRowsAhead).
#pragma once

#include "taskframe/TaskWindow.h"

class cAudioCDRipper;

class g_frmCDRipper : public TaskWindow {
  Q_OBJECT
 public:
  g_frmCDRipper();

  // Outcomes of preparing one track.
  enum TaskOutcome : long { TaskStarted = 0, TaskSkipped = 1, TaskCancelled = 2, TaskAborted = 3 };

  void cboDevices_Click();
  void cmdConvert_Click();
  void ConvertTracks();
  long ConvertTask(long lRow);
  void cmdAbort_Click();
  void Timer1_Timer();
  void cAudioCDRipper1_Progress(long percent);
  void cAudioCDRipper1_Done();
  void cAudioCDRipper1_Aborted();
  void cAudioCDRipper1_Error(long code, const QString& text);

  cAudioCDRipper* cAudioCDRipper1;
  QLabel* lblDevices;
  QComboBox* cboDevices;
  QLabel* lblCDStatus;
  QCheckBox* chkOpenCDdrive;

  // Total length in seconds of the marked tracks.
  long g_ltmrItemSecsTotal = 0;
  long m_lCurrentRow = 0;
  long m_ltmrTicks = 0;
  long m_ltmrItemSecs = 0;
  long m_ltmrItemSecsDone = 0;
  long m_ltmrSecsDone = 0;

 protected:
  void LoadOwnControls() override;
  void CloseJobControl() override;
  void HandOverFormat(long position) override;
  void ApplyTags(const TagSet& tags) override;
  void EndOfJobDiscAction() override;
  void SetUpRowJob(long row, const QString& output) override;
  bool RowInRun(long row) const override;

 private:
  void FillDeviceList();
  void endRunDone();
  // An Abort confirmed while no track was running (between two tracks): the
  // run ends as aborted before the next track starts.
  bool m_bAbortPending = false;
};
