// "MP3 Tags Editor": shows the ID3v1 and ID3v2 tags of one MP3 file in one set
// of boxes and writes the boxes back on "Apply". A version box chooses which
// of the two tags take part.
#pragma once
#include "platform/Form.h"
#include "tags/cMP3ID3v1.h"
#include "tags/cMP3ID3v2.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class cTabControl;

class g_frmMP3TagsEditor : public Form {
  Q_OBJECT
 public:
  g_frmMP3TagsEditor();

  QWidget* picTitle;
  QLabel* lblTitleMain;
  QLabel* Label1;
  QComboBox* cboID3;
  QLabel* lblSourceFIle;
  QLineEdit* sSourceFile;
  QPushButton* cmdSelectFile;
  cTabControl* cTabControl1;
  QFrame* froGeneral;
  QFrame* froAdvanced;
  QFrame* froLyric;
  QLineEdit* txtTitle;
  QLineEdit* txtArtist;
  QLineEdit* txtAlbum;
  QLineEdit* txtYear;
  QComboBox* cboGenre;
  QPlainTextEdit* txtDescription;
  QLineEdit* txtTrackNum;
  QLineEdit* txtOriginalArtist;
  QLineEdit* txtURL;
  QLineEdit* txtEncodedBy;
  QLineEdit* txtCopyright;
  QPlainTextEdit* txtLyric;
  QPushButton* cmdApply;
  QPushButton* cmdClose;

  void cboID3_Click();
  void cmdSelectFile_Click();
  void LoadTagsFromFile(const QString& path);
  void cmdApply_Click();
  void cTabControl1_TabClick();
  void cmdClose_Click();

 signals:
  // The tags of the file were written.
  void TagsSaved(const QString& path);

 protected:
  void Form_Load() override;

 private:
  void BuildGeneralPage();
  void BuildAdvancedPage();
  void ApplySkin();
  void FillGenreList();
  void ShowGenre(const QString& name);
  void SelectGenreForApply();
  void FillID3v1();
  void FillID3v2();
  // Writes the chosen tags; the error of the one that failed, else null.
  const TagError* WriteTags();
  void ClearBoxes();

  bool m_bReadID3v1 = false;
  bool m_bReadID3v2 = false;
  bool m_bWriteID3v1 = false;
  bool m_bWriteID3v2 = false;
  cMP3ID3v1 m_cID3v1;
  cMP3ID3v2 m_cID3v2;
};
