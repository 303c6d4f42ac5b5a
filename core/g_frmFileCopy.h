// "File Copy": runs one copy with a progress bar and closes itself after it.
// The caller sets g_sSourceFile and g_sDestFile, puts them into lblFrom and
// lblTo, switches tmrStart on and shows the window modally.
#pragma once
#include "platform/Form.h"

class FileCopyClass;
class QLabel;
class QPushButton;
class Timer;
class XP_ProgressBar;

class g_frmFileCopy : public Form {
  Q_OBJECT
 public:
  g_frmFileCopy();

  QString g_sSourceFile;
  QString g_sDestFile;
  // Copies with the window's controls; a failure is shown, never passed on.
  void FileCopyEx(const QString& sSource, const QString& sDest);

  QWidget* picTitle;
  QLabel* lblTitle;
  QLabel* Label1;
  QLabel* lblFrom;
  QLabel* Label2;
  QLabel* lblTo;
  QLabel* lblState;
  XP_ProgressBar* ProgressBar1;
  QPushButton* cmdOk;
  QPushButton* cmdExit;
  Timer* tmrStart;
  Timer* Timer1;
  Timer* tmrEnd;

  void tmrStart_Timer();
  void Timer1_Timer();
  void tmrEnd_Timer();
  void cmdOk_Click();
  void cmdExit_Click();

 protected:
  void Form_Load() override;
  // Refused while a copy runs.
  void Form_Unload(int& Cancel) override;

 private:
  FileCopyClass* m_cCopier = nullptr;
};
