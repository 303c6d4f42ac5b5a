#include "tags/g_frmMP3TagsEditor.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "core/TitleColors.h"
#include "core/mdlCommDialog.h"
#include "core/mdlModes.h"
#include "core/mdlSetFormIcon32.h"
#include "platform/Services.h"
#include "platform/cTabControl.h"

namespace {
constexpr int kNoGenre = 255;

template <class W>
W* place(W* w, int left, int top, int width, int height) {
  w->setGeometry(px(left), px(top), px(width), px(height));
  return w;
}

QLabel* label(QWidget* parent, const QString& text, int left, int top, int width = 1335) {
  return place(new QLabel(text, parent), left, top + 30, width, 255);
}

// A caption on the left and its text box on the right, one row of a page.
QLineEdit* row(QWidget* page, const QString& caption, int top) {
  label(page, caption, 120, top);
  return place(new QLineEdit(page), 1560, top, 4440, 315);
}

void paint(QWidget* w, QPalette::ColorRole role, long color) {
  QPalette p = w->palette();
  p.setColor(role, ColorFromNumber(color));
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

void setPicture(QWidget* w, const QString& name) {
  if (name.isEmpty()) return;
  QPalette p = w->palette();
  p.setBrush(QPalette::Window, QBrush(QPixmap(ProgramFolder() + "/View/" + name)));
  w->setPalette(p);
}
}  // namespace

g_frmMP3TagsEditor::g_frmMP3TagsEditor() {
  setFont(QFont("Tahoma", 8));
  SetCaption("MP3 Tags Editor");
  setFixedSize(px(6480), px(7440));
  picTitle = place(new QWidget(this), 0, 0, 6480, 600);
  lblTitleMain = place(new QLabel("MP3 Tags Editor", picTitle), 240, 150, 5000, 300);
  QFont bold = lblTitleMain->font();
  bold.setBold(true);
  bold.setPointSizeF(9.75);
  lblTitleMain->setFont(bold);

  Label1 = label(this, "Version:", 120, 780);
  cboID3 = place(new QComboBox(this), 1560, 780, 1935, 315);
  lblSourceFIle = label(this, "Source File:", 120, 1200);
  sSourceFile = place(new QLineEdit(this), 1560, 1200, 4200, 315);
  cmdSelectFile = place(new QPushButton("...", this), 5835, 1200, 525, 315);
  cTabControl1 = place(new cTabControl(this), 120, 1680, 6240, 4920);
  froGeneral = new QFrame(this);
  froAdvanced = new QFrame(this);
  froLyric = new QFrame(this);
  BuildGeneralPage();
  BuildAdvancedPage();
  txtLyric = place(new QPlainTextEdit(froLyric), 120, 120, 5880, 3960);
  cmdApply = place(new QPushButton("Apply", this), 3720, 6840, 1215, 375);
  cmdClose = place(new QPushButton("Close", this), 5145, 6840, 1215, 375);
  cmdApply->setEnabled(false);

  connect(cboID3, &QComboBox::currentIndexChanged, this, [this] { cboID3_Click(); });
  connect(cmdSelectFile, &QPushButton::clicked, this, &g_frmMP3TagsEditor::cmdSelectFile_Click);
  connect(cTabControl1, &cTabControl::TabClick, this, [this] { cTabControl1_TabClick(); });
  connect(cmdApply, &QPushButton::clicked, this, &g_frmMP3TagsEditor::cmdApply_Click);
  connect(cmdClose, &QPushButton::clicked, this, &g_frmMP3TagsEditor::cmdClose_Click);
}

void g_frmMP3TagsEditor::BuildGeneralPage() {
  txtTitle = row(froGeneral, "Title", 120);
  txtArtist = row(froGeneral, "Artist", 540);
  txtAlbum = row(froGeneral, "Album", 960);
  txtYear = row(froGeneral, "Year", 1380);
  label(froGeneral, "Genre", 120, 1800);
  cboGenre = place(new QComboBox(froGeneral), 1560, 1800, 4440, 315);
  cboGenre->setEditable(true);
  cboGenre->setInsertPolicy(QComboBox::NoInsert);
  txtTrackNum = row(froGeneral, "Track Number", 2220);
  label(froGeneral, "Comment", 120, 2640);
  txtDescription = place(new QPlainTextEdit(froGeneral), 1560, 2640, 4440, 1200);
}

void g_frmMP3TagsEditor::BuildAdvancedPage() {
  txtOriginalArtist = row(froAdvanced, "Original Artist", 120);
  txtURL = row(froAdvanced, "URL", 540);
  txtEncodedBy = row(froAdvanced, "Encoded By", 960);
  txtCopyright = row(froAdvanced, "Copyright", 1380);
}

void g_frmMP3TagsEditor::Form_Load() {
  mdlSetFormIcon32::SetFormIcon(this, "text_align_left", true);
  ApplySkin();
  cboID3->addItems({"ID3 v1", "ID3 v2", "ID3 v1+v2"});
  cboID3->setCurrentIndex(2);
  FillGenreList();
  for (QFrame* page : {froGeneral, froAdvanced, froLyric}) {
    page->setGeometry(px(cTabControl1->ClientLeft() - 50), px(cTabControl1->ClientTop()),
                      px(cTabControl1->ClientWidth() + 50), px(cTabControl1->ClientHeight()));
    page->raise();
  }
  froAdvanced->hide();
  froLyric->hide();
  froGeneral->show();
}

void g_frmMP3TagsEditor::ApplySkin() {
  paint(picTitle, QPalette::Window, g_lTitleBackColor);
  paint(lblTitleMain, QPalette::WindowText, g_lTitleForeColor);
  lblTitleMain->setAutoFillBackground(false);
  const long back = g_sFormBackColor.toLong();
  SetBackColor(back);
  for (QFrame* page : {froGeneral, froAdvanced, froLyric}) {
    paint(page, QPalette::Window, back);
    setPicture(page, g_sBackPicture);
  }
  setPicture(this, g_sBackPicture);
  setPicture(picTitle, g_sTitlePicture);
}

void g_frmMP3TagsEditor::FillGenreList() {
  cboGenre->addItem(QString(), kNoGenre);
  for (int g = 0; g <= 255; ++g) {
    if (cMP3ID3v1::GenreName(uint8_t(g)).isEmpty()) continue;
    cboGenre->addItem(cMP3ID3v2::GenreName(uint8_t(g)), g);
  }
}

void g_frmMP3TagsEditor::cboID3_Click() {
  const int version = cboID3->currentIndex();
  m_bReadID3v1 = m_bWriteID3v1 = version == 0 || version == 2;
  m_bReadID3v2 = m_bWriteID3v2 = version == 1 || version == 2;
  cTabControl1->ClearTabs();
  const QStringList tabs = m_bReadID3v2 ? QStringList{"General", "Advanced", "Lyrics"} : QStringList{"General"};
  for (const QString& tab : tabs) cTabControl1->AddTab(tab, -1, -1, tab);
  cTabControl1_TabClick();
  if (!sSourceFile->text().isEmpty()) LoadTagsFromFile(sSourceFile->text());
}

void g_frmMP3TagsEditor::cTabControl1_TabClick() {
  froGeneral->hide();
  froAdvanced->hide();
  froLyric->hide();
  const QString key = cTabControl1->TabKey(cTabControl1->SelectedTab());
  if (key == "General") froGeneral->show();
  else if (key == "Advanced") froAdvanced->show();
  else if (key == "Lyrics") froLyric->show();
}

void g_frmMP3TagsEditor::cmdSelectFile_Click() {
  FileDialogRecord.lpstrFilter = QString("MP3 Audio Files (*.mp3)") + QChar(0) + "*.mp3";
  FileDialogRecord.lpstrTitle = "Open MP3 audio file";
  const FileDialogResult r = mdlCommDialog::ShowOpenDialog(this, true);
  if (r.Cancelled || r.Count == 0) return;
  // Several files chosen: the window works on the first of them.
  sSourceFile->setText(r.Count == 1 ? r.Files[0] : r.Folder + "/" + r.Files[1]);
  cmdApply->setEnabled(true);
  LoadTagsFromFile(sSourceFile->text());
}

void g_frmMP3TagsEditor::ClearBoxes() {
  for (QLineEdit* box : {txtTitle, txtArtist, txtAlbum, txtYear, txtTrackNum, txtOriginalArtist, txtURL,
                         txtEncodedBy, txtCopyright})
    box->clear();
  txtDescription->clear();
  txtLyric->clear();
  cboGenre->setCurrentIndex(0);
}

// The list entry of that name, or the name as typed text when the list has none.
void g_frmMP3TagsEditor::ShowGenre(const QString& name) {
  const int index = cboGenre->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0) cboGenre->setCurrentIndex(index);
  else cboGenre->setEditText(name);
}

void g_frmMP3TagsEditor::LoadTagsFromFile(const QString& path) {
  ClearBoxes();
  if (m_bReadID3v1) {
    m_cID3v1.SetMP3File(path);
    txtArtist->setText(m_cID3v1.Artist());
    txtTitle->setText(m_cID3v1.Title());
    txtAlbum->setText(m_cID3v1.Album());
    const QString genre = cMP3ID3v1::GenreName(m_cID3v1.Genre());
    if (genre.isEmpty()) cboGenre->setCurrentIndex(0);
    else ShowGenre(genre);
    txtYear->setText(m_cID3v1.Year());
    txtDescription->setPlainText(m_cID3v1.Comment());
  }
  if (!m_bReadID3v2) return;
  m_cID3v2.SetMP3File(path);
  auto fill = [](auto* box, const QString& value) {
    if (!value.isEmpty()) box->setPlainText(value);
  };
  auto fillLine = [](QLineEdit* box, const QString& value) {
    if (!value.isEmpty()) box->setText(value);
  };
  fillLine(txtArtist, m_cID3v2.Artist());
  fillLine(txtTitle, m_cID3v2.Title());
  fillLine(txtAlbum, m_cID3v2.Album());
  // A free genre text without a number is shown too, so that Apply keeps it.
  QString genre = cMP3ID3v2::GenreName(m_cID3v2.Genre());
  if (genre.isEmpty() && m_cID3v2.Genre() == kNoGenre) genre = m_cID3v2.OtherGenreName();
  if (!genre.isEmpty()) ShowGenre(genre);
  fillLine(txtYear, m_cID3v2.Year());
  fill(txtDescription, m_cID3v2.Comment());
  fillLine(txtTrackNum, m_cID3v2.Track());
  fillLine(txtOriginalArtist, m_cID3v2.OriginalArtist());
  fill(txtLyric, m_cID3v2.Lyrics());
  fillLine(txtCopyright, m_cID3v2.Copyright());
  fillLine(txtEncodedBy, m_cID3v2.EncodedBy());
  fillLine(txtURL, m_cID3v2.LinkTo());
}

// The entry whose text is the box's text; else the first that contains it;
// else the empty entry (no genre number) with the typed text kept as the
// free genre text.
void g_frmMP3TagsEditor::SelectGenreForApply() {
  const QString text = cboGenre->currentText();
  int index = text.isEmpty() ? 0 : cboGenre->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0) index = cboGenre->findText(text, Qt::MatchContains | Qt::MatchCaseSensitive);
  cboGenre->setCurrentIndex(std::max(index, 0));
  cboGenre->setEditText(index < 0 ? text : cboGenre->itemText(index));
}

void g_frmMP3TagsEditor::FillID3v1() {
  m_cID3v1.SetArtist(txtArtist->text());
  m_cID3v1.SetTitle(txtTitle->text());
  m_cID3v1.SetAlbum(txtAlbum->text());
  m_cID3v1.SetYear(txtYear->text());
  m_cID3v1.SetComment(txtDescription->toPlainText());
  m_cID3v1.SetGenre(uint8_t(cboGenre->currentData().toInt()));
}

void g_frmMP3TagsEditor::FillID3v2() {
  m_cID3v2.SetArtist(txtArtist->text());
  m_cID3v2.SetTitle(txtTitle->text());
  m_cID3v2.SetAlbum(txtAlbum->text());
  m_cID3v2.SetYear(txtYear->text());
  m_cID3v2.SetComment(txtDescription->toPlainText());
  m_cID3v2.SetGenre(uint8_t(cboGenre->currentData().toInt()));
  m_cID3v2.SetOtherGenreName(cboGenre->currentText());
  m_cID3v2.SetTrack(txtTrackNum->text());
  m_cID3v2.SetOriginalArtist(txtOriginalArtist->text());
  m_cID3v2.SetCopyright(txtCopyright->text());
  m_cID3v2.SetEncodedBy(txtEncodedBy->text());
  m_cID3v2.SetLinkTo(txtURL->text());
  m_cID3v2.SetLyrics(txtLyric->toPlainText());
}

// With both versions the ID3v1 tag is written in the same replacement of the
// file as the ID3v2 tag, so a save that fails (a damaged tag, a full disk)
// leaves the file as it was.
const TagError* g_frmMP3TagsEditor::WriteTags() {
  if (m_bWriteID3v1) FillID3v1();
  if (!m_bWriteID3v2) return m_bWriteID3v1 && !m_cID3v1.Update() ? &m_cID3v1.LastError() : nullptr;
  FillID3v2();
  return m_cID3v2.Update(m_bWriteID3v1 ? &m_cID3v1 : nullptr) ? nullptr : &m_cID3v2.LastError();
}

void g_frmMP3TagsEditor::cmdApply_Click() {
  SelectGenreForApply();
  if (const TagError* error = WriteTags()) {
    MsgBox(error->Description + "(" + QString::number(error->Number) + ")", vbInformation);
    return;
  }
  emit TagsSaved(sSourceFile->text());
  MsgBox("Done.", vbInformation, g_sAppName + " " + g_sAppVersion);
}

void g_frmMP3TagsEditor::cmdClose_Click() { Unload(); }
