// The splitter: cuts one source into consecutive parts, by a number of parts
// or a length in seconds, and converts each part into a file of its own, one
// job after another on its conversion control.
#pragma once
#include "taskframe/TaskWindow.h"

class QLineEdit;
class QRadioButton;
class cAudioConverter;

class g_frmSplitter : public TaskWindow {
  Q_OBJECT
 public:
  g_frmSplitter();

  enum TaskOutcome : long { TaskStarted = 0, TaskSkipped = 1, TaskCancelled = 2, TaskAborted = 3 };

  void cmdConvert_Click();
  void ConvertTracks();
  long ConvertTask();
  void cmdAbort_Click();
  void ptnSplitByParts_Click() { SetSplitModeControls(); }
  void ptnSplitBySecs_Click() { SetSplitModeControls(); }
  void cAudioConverter1_Progress(long percent);
  void cAudioConverter1_Done();
  void cAudioConverter1_Aborted();
  void cAudioConverter1_Error(long code, const QString& text);

  // The file to split, handed over by the main window.
  QString g_sFileToSplit;

  cAudioConverter* cAudioConverter1;
  QLabel* Label2;
  QRadioButton* ptnSplitByParts;
  QLineEdit* txtSplitParts;
  QRadioButton* ptnSplitBySecs;
  QLineEdit* txtSplitSecs;

  long m_lSourceMs = 0;
  long m_lPartSecs = 0;
  long m_lPartStart = 0;
  long m_lPartNumber = 0;

 protected:
  void LoadOwnControls() override { SetSplitModeControls(); }
  void CloseJobControl() override;
  void HandOverFormat(long position) override;
  void ApplyTags(const TagSet& tags) override;

 private:
  void SetSplitModeControls();
  // The part length and the total bar's maximum of the chosen mode; false
  // (after the message) when the mode's text or the source's length give no
  // part of at least one second.
  bool planParts();
  QString CreatePartFileName(const QString& source) const;
  void nextPart();
  void endRun(long outcome);
  double sourceSecs() const { return double(m_lSourceMs) / 1000.0; }
  bool m_bAbortPending = false;
};
