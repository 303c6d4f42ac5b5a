// The text-to-speech window: speaks the typed text, marking each word as it
// is heard, and renders it into an audio file of one of the output formats,
// saved under a chosen name or written to the program folder and added to
// the open items list.
#pragma once
#include "platform/Form.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class cParlo;
class cSlider;

class g_frmParlo : public Form {
  Q_OBJECT
 public:
  g_frmParlo();

  void FillVoices();
  void FillAudioOutputs();
  // Renders the text into a WAV file at path; true when the complete file is there.
  bool SpeakToWavFile(const QString& path);
  void cmdSay_Click();
  void cmdStop_Click();
  void cmdSaveAs_Click();
  void cmdAdd_Click();
  void cmdEditTargetFormat_Click();
  void lblClearText_Click();
  void lblID3Tags_Click();
  // The speech file every rendering writes first.
  static QString TempSpeechFile();

  cParlo* cParlo1;
  QWidget* picTitle;
  QLabel* lblTitle;
  QPlainTextEdit* txtSpeak;
  QComboBox* cboVoices;
  QComboBox* cboAudioOutputs;
  QComboBox* cboFormats;
  cSlider* sldRate;
  cSlider* sldVolume;
  QLabel* lblRateVal;
  QLabel* lblValumeVal;
  QComboBox* cboTargetFormat;
  QPushButton* cmdSay;
  QPushButton* cmdStop;
  QPushButton* cmdSaveAs;
  QPushButton* cmdAdd;
  QPushButton* cmdEditTargetFormat;
  QPushButton* lblClearText;
  QPushButton* lblID3Tags;
  QPushButton* cmdToolsIcon[4];

 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;

 private:
  void cParlo1_SpeakDone();
  void cParlo1_WordBoundary(long start, long length);
  void cParlo1_FormatFound(const QString& name, long id);
  void txtSpeak_Change();
  void HandOverSettings(long rate, long volume);
  QString TargetExtension() const;
  // Renders and converts into destination; true when the converted file is there.
  bool RenderAndConvert(const QString& destination);
};
