// The one-file conversion window: converts one file into another behind a
// small progress window that starts by itself once shown, closes itself when
// the conversion is done or aborted and stays open with the error after a
// failure, its Abort button then a Close button. A caller reads LastOutcome()
// after the modal show returns and uses the destination only when it reads Done.
#pragma once
#include "platform/Form.h"

class QLabel;
class QPushButton;
class Timer;
class XP_ProgressBar;
class cAudioConverter;

class g_frmAudioEditorProc : public Form {
  Q_OBJECT
 public:
  enum Outcome { NotRun, Running, Done, Aborted, Failed };

  g_frmAudioEditorProc();

  // True: convert to the format g_sConvertToTarget names (its first three
  // letters) with the stored settings and the default tags; false: plain WAV.
  static bool g_bConvertTo;
  static QString g_sConvertToTarget;
  // How the last conversion ended; it outlives the window.
  static Outcome LastOutcome() { return lastOutcome_; }

  void ConvertFile(const QString& SourceFile, const QString& Destination);
  void ConvertX();
  void SetDestination();
  void SetID3Tags();
  QString CreateID3TagsString(QString sStr) const;

  cAudioConverter* cAudioConverter1;
  Timer* Timer1;
  QPushButton* cmdAbort;
  XP_ProgressBar* prgCurrnet;
  QLabel* lblCurrentTrack;

 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;

 private:
  void cAudioConverter1_Progress(long percent);
  void cAudioConverter1_Done();
  void cAudioConverter1_Aborted();
  void cAudioConverter1_Error(long code, const QString& text);
  void cmdAbort_Click();
  void Finish(Outcome outcome, const QString& text);
  void HoldAllLines();
  QString m_sSourceFile, m_sDestinationFile;
  static Outcome lastOutcome_;
};
