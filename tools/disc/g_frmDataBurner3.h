// The data-disc writer: puts the marked items onto a data disc as audio files
// (MP3 or WMA for players that read such discs). A run first stages one file
// per row in the per-user staging folder, converted to the target format or
// copied as it is, and then, after "Burn CD?", writes the staged files with
// one of two engines: the first (CDs only, with drive checks before staging)
// or the second (CDs, DVDs and BDs, with a choice of file systems).
//
// The staging run lives in g_frmDataBurner3.cpp, the two writes in
// g_frmDataBurner3_Write.cpp.
#pragma once
#include <QStringList>

#include "platform/RunFolder.h"
#include "taskframe/TaskWindow.h"

class cAudioConverter;
class cAudioDataBurner;
class cBurner;

class g_frmDataBurner3 : public TaskWindow {
  Q_OBJECT
 public:
  g_frmDataBurner3();

  // Outcomes of preparing one conversion.
  enum TaskOutcome : long { TaskStarted = 0, TaskSkipped = 1, TaskCancelled = 2, TaskAborted = 3 };

  // Engine choice, writers and the staging folder.
  void cmbEngine_Click();
  bool IsIMAPI2Installed();
  void FillDriveListV1();
  void FillDriveListV2();
  void cboDrv_Click();
  void FillSpeedListV1();
  bool RefreshCDInfo() { return false; }
  void lblOpenCDDoor_Click();
  void lblCloseCDDoor_Click();
  void lblRefreshCDInfo_Click() { RefreshCDInfo(); }
  // This window's own folder inside the shared staging folder.
  QString GetTempBurnFolder() const { return m_staging.Path(); }
  void EraseTempBurnFolder();
  void lblErasetempfilesnow_Click();
  void chkDoNotConvertSource_Click();
  void EnableTargetFormat();

  // The staging run.
  void cmdConvert_Click();
  // Runs or continues the item loop; the call from Burn also empties the
  // staging folder first.
  void ConvertTracks(bool startOfRun = false);
  long ConvertTask(long lRow);
  void cmdAbort_Click();
  void Timer1_Timer();
  void cAudioConverter1_Progress(long percent);
  void cAudioConverter1_Done();
  void cAudioConverter1_Aborted();
  void cAudioConverter1_Error(long code, const QString& text);

  // The writes and their engines' events.
  void BurnDataDiscV1();
  void BurnDataDiscV2();
  void EnableBurnControls(bool enable);
  void cAudioDataBurner1_Progress(int percent);
  void cAudioDataBurner1_ClosingSession();
  void cAudioDataBurner1_BurnStarted();
  void cAudioDataBurner1_Finished();
  void cAudioDataBurner1_Error(long code, const QString& text);
  void cBurner1_Error(const QString& message, const QString& detail);
  void cBurner1_DoneBurn();
  void cBurner1_Canceled();
  void cBurner1_End();
  void cBurner1_Progress(long percent);
  void cBurner1_Finalization();
  void cBurner1_Initializing();
  void cBurner1_Completed();
  void cBurner1_StartBurning();
  void cBurner1_ItemsCounted(long files, long folders);
  void cBurner1_AddingFile(const QString& path);

  cAudioConverter* cAudioConverter1;
  cAudioDataBurner* cAudioDataBurner1;
  cBurner* cBurner1;
  QLabel* lblEngine;
  QComboBox* cmbEngine;
  QLabel* lblDrv;
  QComboBox* cboDrv;
  QLabel* lblSpeed;
  QComboBox* cboSpeed;
  QLabel* lblFileSys;
  QCheckBox* chkISO;
  QCheckBox* chkJOLIET;
  QCheckBox* chkUDF;
  QLabel* lblCDName;
  QLineEdit* txtCDName;
  ClickLabel* lblOpenCDDoor;
  ClickLabel* lblCloseCDDoor;
  ClickLabel* lblRefreshCDInfo;
  QLabel* lblCDStatus;
  QLabel* lblCDFormat;  // the target format's label
  QCheckBox* chkDoNotConvertSource;
  ClickLabel* lblErasetempfilesnow;
  QCheckBox* chkEraseTempfiles;
  QCheckBox* chkOpenCDdrive;

  // Total length in seconds of the handed-over items.
  long g_ltmrItemSecsTotal = 0;
  long m_lCurrentRow = 0;
  bool m_bAbort = false;
  long m_ltmrTicks = 0;
  long m_ltmrItemSecs = 0;
  long m_ltmrItemSecsDone = 0;
  long m_ltmrSecsDone = 0;

 protected:
  void LoadOwnControls() override;
  void CloseJobControl() override;
  void HandOverFormat(long position) override;
  void ApplyTags(const TagSet& tags) override;
  QString DestExtension() const override;
  QString OutputFolder() const override { return GetTempBurnFolder(); }
  QString FolderToOpenWhenDone() const override;
  void EndOfJobDiscAction() override;
  void SetUpRowJob(long row, const QString& output) override;
  // Two rows of one name: the second asks before it replaces the first.
  QString RowOutput(const QString& path) override { return path; }

 private:
  // The selected writer's letter ("E") and drive name ("E:").
  QString driveLetter() const;
  QString driveName() const;
  bool drivesReady();
  // True (after its message) when the copy mode would copy a CD track.
  bool copiesCdTracks();
  // The row's name in the staging folder, recorded as the row's staged file.
  QString stageName(long row);
  void copyLoop();
  void convertLoop();
  bool copyRow(long row, const QString& target);
  void abortCopies();
  void endStagingNormally();
  void endStagingCancelled();
  // The staged files of the rows in row order, each once; the rows whose file
  // is missing are reported as the write's own loss.
  QStringList readableStagedFiles();
  void reportNotAdded(const QString& path);
  // Starts a write: the busy state and the bars at 0.
  void beginWrite();
  bool failWhenNothingToBurn(const QStringList& files);
  void endWriteFailed(const QString& text);
  void endWriteDone();
  void showWriteStep(const QString& logLine, const QString& status = QString());

  // The mode the run was started in: a click on the box during a run takes
  // effect at the next Burn.
  bool m_bCopyMode = false;
  // Another window or a second program may stage beside this one.
  RunFolder m_staging;
  // The staged file of each row (index row - 1), recorded when it is staged,
  // so a template with the time or date is not built anew at write time.
  QStringList m_stagedFiles;
  long m_lNamingRow = 0;
  // A write is going on; its failure (Error or Canceled) keeps the
  // end-of-job actions from running at its End.
  bool m_bWriting = false;
  bool m_bWriteFailed = false;
};
