// The output-format window: one page per output format behind a tab strip.
// Loaded hidden at start-up, it fills the output-format store as it loads and
// after OK, and only hides when closed until the program exits.
#pragma once
#include <QString>

#include "core/RegistryRoutines.h"
#include "platform/Form.h"

class ClickLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class cAudioConverter;
class cTabControl;

class g_frmAudioProp : public Form {
  Q_OBJECT
 public:
  g_frmAudioProp();

  // Reads the stored settings of every format into the pages and the store.
  void GetOptions();
  // Shows the page of the selected tab; lTab is not used.
  void cTabControl1_TabClick(long lTab);
  // Opens the window modally at the tab of a format key ("WAV" .. "APE").
  void ShowAtFormat(const QString& key, QWidget* owner = nullptr);

  void cmdOk_Click();
  void cmdExit_Click();
  void cboTags_Click();
  void cboWMACodecs_Click();
  void chkBestAccordToSource_Click();
  void lblMP3Advanced_Click();
  void sldOGG_Scroll();
  void cAudioConverter1_AcmTagFound(const QString& name);
  void cAudioConverter1_AcmFormatFound(const QString& name);

  QWidget* picTitle;
  QLabel* lblTitle;
  QLabel* lblFormatDesc;
  cTabControl* cTabControl1;
  QPushButton* cmdOk;
  QPushButton* cmdExit;
  cAudioConverter* cAudioConverter1;
  // Pages.
  QWidget* froToWAV;
  QWidget* froToACM;
  QWidget* froToMP3;
  QWidget* froToWMA;
  QWidget* froToOGG;
  QWidget* froToAPE;
  // WAV.
  QComboBox* cboSamplesWAV;
  QComboBox* cboBitrateWAV;
  QComboBox* cboChannelsWAV;
  // ACM.
  QComboBox* cboTags;
  QComboBox* cboFormats;
  QCheckBox* chkBestAccordToSource;
  // MP3.
  QComboBox* cboMP3Bitrate;
  QComboBox* cboMP3Mode;
  QComboBox* cboMP3Samplerate;
  QComboBox* cboMP3Quality;
  ClickLabel* lblMP3Advanced;
  QWidget* picMP3Advanced;
  QCheckBox* chkMP3Original;
  QCheckBox* chkMP3Copyright;
  QCheckBox* chkMP3ErrorProtect;
  QCheckBox* chkMP3VBR;
  QCheckBox* chkMP3VBRTag;
  QCheckBox* chkMP3VBRForceMinBitrate;
  QCheckBox* chkMP3ABR;
  QComboBox* cboMP3ABRBitrate;
  QCheckBox* chkMP3StrictISO;
  QComboBox* cboMP3MinBitrate;
  QComboBox* cboMP3MaxBitrate;
  QComboBox* cboMP3VBRQuality;
  // WMA.
  QComboBox* cboWMACodecs;
  QComboBox* cboWMAFormat;
  // OGG.
  QRadioButton* ptnQualityOGG;
  QScrollBar* sldOGG;
  QLabel* lblSensitivityVal;
  QRadioButton* optOggBit;
  QComboBox* cboOggBitNom;
  // APE.
  QComboBox* cboAPELevel;

 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;

 private:
  void buildWindow();
  void buildWavPage();
  void buildAcmPage();
  void buildMp3Page();
  void buildWmaPage();
  void buildOggPage();
  void buildApePage();
  void connectHandlers();
  void setDefaults();
  void HideFormatPages();
  void FillWmaCodecs();
  void FillWmaFormats();
  void ToggleMP3Advanced();
  void chooseFirstAcmEntries();
  void storeSettings();
  QWidget* page(int format) const;

  RegistryRoutines settings_;
};
