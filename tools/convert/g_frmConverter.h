// The audio converter: turns every row of its grid into one output file in the
// chosen format, one job after another on its conversion control as the user
// sees it (later rows convert ahead on every core), with the time left
// estimated from the pace so far.
#pragma once
#include "taskframe/TaskWindow.h"

class cAudioConverter;

class g_frmConverter : public TaskWindow {
  Q_OBJECT
 public:
  g_frmConverter();

  // Outcomes of preparing one item.
  enum TaskOutcome : long { TaskStarted = 0, TaskSkipped = 1, TaskCancelled = 2, TaskAborted = 3 };

  void cmdConvert_Click();
  void ConvertTracks();
  long ConvertTask(long lRow);
  void cmdAbort_Click();
  void Timer1_Timer();
  virtual void cAudioConverter1_Progress(long percent);
  void cAudioConverter1_Done();
  virtual void cAudioConverter1_Aborted();
  void cAudioConverter1_Error(long code, const QString& text);

  cAudioConverter* cAudioConverter1;
  // Total length in seconds of the handed-over items.
  long g_ltmrItemSecsTotal = 0;
  long m_lCurrentRow = 0;
  long m_lItemSecs = 0;
  long m_lItemSecsDone = 0;
  long m_lSecsDone = 0;
  long m_lTimerTicks = 0;

 protected:
  // A window that runs the same item loop under its own look.
  explicit g_frmConverter(const TaskWindowLook& look);

  void LoadOwnControls() override;
  void CloseJobControl() override;
  void HandOverFormat(long position) override;
  void ApplyTags(const TagSet& tags) override;
  std::vector<std::pair<QString, QString>> ExtraTagValues() override;
  void SetUpRowJob(long row, const QString& output) override;

  // What differs in the ACM converter's run: the caption while it runs and
  // when done, the error's status label, the steps after the item loop.
  virtual QString RunCaption(const QString& converterText) const { return converterText; }
  virtual void ShowItemError(const QString& line) { ShowErrorLine(line); }
  virtual void ItemLoopEnded() {}
  // False: the run never shows the hourglass.
  bool m_bShowHourglass = true;

 private:
  void endRunDone();
  void setBusyPointer(bool busy);
  // An Abort confirmed while no job was running (between two items): the run
  // ends as aborted before the next item starts.
  bool m_bAbortPending = false;
};
