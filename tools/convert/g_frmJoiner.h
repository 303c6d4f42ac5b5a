// The joiner: every row of its grid, whole or its range, in grid order, joined
// into one output file of the chosen format with the tags of the first row,
// in one job of its join control.
#pragma once
#include "taskframe/TaskWindow.h"

class QLineEdit;
class cAudioJoin;

class g_frmJoiner : public TaskWindow {
  Q_OBJECT
 public:
  g_frmJoiner();

  void cmdConvert_Click();
  // 0 started, 1 not started (No at the question), 2 not started (Cancel, or
  // a name that cannot be used).
  long JoinFiles();
  void cmdAbort_Click();
  void cAudioJoin1_Progress(long fileNumber, long percent);
  void cAudioJoin1_Done();
  void cAudioJoin1_Aborted();
  void cAudioJoin1_Error(long code, const QString& text);

  cAudioJoin* cAudioJoin1;
  QLineEdit* txtJoinedFileName;
  long m_lLastFileNumber = 0;

 protected:
  void CloseJobControl() override;
  void HandOverFormat(long position) override;
  void ApplyTags(const TagSet& tags) override;

 private:
  QString ExpandJoinedFileName(QString name) const;
  void fillQueue();
  // An error line when the output cannot be used: a name that would leave the
  // destination, or a path that is one of the queued sources.
  QString refusedOutput(const QString& name, const QString& path) const;
};
