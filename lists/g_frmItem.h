// "Item Properties": one row of the main item grid, on three pages:
// information, the range to process (whole file or a span between two times
// that never pass the item's length) and the seven tag texts. "<<" and ">>"
// step through the rows; OK and Apply write the row back and save the list.
#pragma once
#include "platform/Form.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class cAudioConverter;
class cDateTimePick;
class cGrid;
class cTabControl;

class g_frmItem : public Form {
  Q_OBJECT
 public:
  g_frmItem();
  // The row shown, and the row the step buttons move from and the save writes.
  long lItem = 0;
  long l_lGridRowNum = 0;

  void GetFileInfo();
  void cTabControl1_TabClick(long lTab);
  void SetIDvTags();
  void GetRangeOptions();
  void EnableRangeControls();
  void dtStartAfter_Change(const QTime& newValue);
  void dtUntil_Change(const QTime& newValue);
  void cmdGoTSoStart_Click();
  void cmdGoToEnd_Click();
  void cmdOK_Click();
  void cmdApply_Click();
  void cmdExit_Click();
  void cmdBack_Click();
  void cmdNext_Click();
  void lblFileName_Click();
  void lblPath_Click();
  void lblDefaultID3Tags_Click();
  void lblID3TagParameters_Click();

  QWidget* picTitle;
  QLabel* lblTitle;
  cTabControl* cTabControl1;
  QWidget* TabInfo;
  QWidget* TabRange;
  QWidget* TabTags;
  cAudioConverter* cAudioConverter1;
  QLineEdit* txtItemName;
  QLabel* lblFileName;
  QLabel* lblPath;
  QLabel* lblTotalTime;
  QLabel* lblTotalSize;
  QLabel* lblCreated;
  QLabel* lblFormat;
  QLabel* lblSamples;
  QLabel* lblBitrate;
  QLabel* lblChannels;
  QRadioButton* ptnAllFile;
  QRadioButton* ptnConvertByTime;
  QLabel* lblStartAfter;
  QLabel* lblUntil;
  cDateTimePick* dtStartAfter;
  cDateTimePick* dtUntil;
  QPushButton* cmdGoTSoStart;
  QPushButton* cmdGoToEnd;
  QLineEdit* txtTagArtist;
  QLineEdit* txtTagSong;
  QLineEdit* txtTagAlbum;
  QLineEdit* txtTagGenre;
  QLineEdit* txtTagTrack;
  QLineEdit* txtTagYear;
  QPlainTextEdit* txtTagComment;
  QLabel* lblDefaultID3Tags;
  QLabel* lblID3TagParameters;
  QPushButton* cmdOK;
  QPushButton* cmdApply;
  QPushButton* cmdExit;
  QPushButton* cmdBack;
  QPushButton* cmdNext;

 protected:
  void Form_Load() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildInfoPage();
  void buildRangePage();
  void buildTagsPage();
  void HideTabPages();
  void ShowGridRow(long row);
  void enableStepButtons();
  // 0 written and saved, -1 name refused, 1 range refused.
  void SaveItemProperties(long& result);
  QString cell(long row, const QString& key) const;
  void setCell(long row, const QString& key, const QString& text);
  QTime itemLength() const;
  cGrid* grid() const;
};
