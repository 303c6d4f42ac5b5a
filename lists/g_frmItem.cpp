#include "lists/g_frmItem.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "core/mdlFunctions.h"
#include "core/mdlSetFormIcon32.h"
#include "lists/ItemRow.h"
#include "lists/NameBoxFilter.h"
#include "lists/TitleSkin.h"
#include "lists/frmMainLists.h"
#include "platform/Services.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/cDateTimePick.h"
#include "platform/cTabControl.h"
#include "settings/frmOptions.h"
#include "settings/g_frmProgParameters.h"

namespace {
QTime timeOf(long seconds) { return QTime(0, 0).addSecs(int(seconds)); }

QLabel* link(QLabel* label, const QString& tip) {
  label->setStyleSheet("color: #0000FF; text-decoration: underline;");
  label->setCursor(Qt::PointingHandCursor);
  label->setToolTip(tip);
  return label;
}
}  // namespace

g_frmItem::g_frmItem()
    : picTitle(new QWidget(this)),
      lblTitle(new QLabel(picTitle)),
      cTabControl1(new cTabControl(this)),
      TabInfo(new QWidget(this)),
      TabRange(new QWidget(this)),
      TabTags(new QWidget(this)),
      cAudioConverter1(new cAudioConverter(this)),
      txtItemName(new QLineEdit(TabInfo)),
      lblFileName(new QLabel(TabInfo)),
      lblPath(new QLabel(TabInfo)),
      lblTotalTime(new QLabel(TabInfo)),
      lblTotalSize(new QLabel(TabInfo)),
      lblCreated(new QLabel(TabInfo)),
      lblFormat(new QLabel(TabInfo)),
      lblSamples(new QLabel(TabInfo)),
      lblBitrate(new QLabel(TabInfo)),
      lblChannels(new QLabel(TabInfo)),
      ptnAllFile(new QRadioButton("Process all the file range", TabRange)),
      ptnConvertByTime(new QRadioButton("Process range by time", TabRange)),
      lblStartAfter(new QLabel("Start after:", TabRange)),
      lblUntil(new QLabel("Until:", TabRange)),
      dtStartAfter(new cDateTimePick(TabRange)),
      dtUntil(new cDateTimePick(TabRange)),
      cmdGoTSoStart(new QPushButton("<<", TabRange)),
      cmdGoToEnd(new QPushButton(">>", TabRange)),
      txtTagArtist(new QLineEdit(TabTags)),
      txtTagSong(new QLineEdit(TabTags)),
      txtTagAlbum(new QLineEdit(TabTags)),
      txtTagGenre(new QLineEdit(TabTags)),
      txtTagTrack(new QLineEdit(TabTags)),
      txtTagYear(new QLineEdit(TabTags)),
      txtTagComment(new QPlainTextEdit(TabTags)),
      lblDefaultID3Tags(new QLabel("Default ID3 Tags Options...", TabTags)),
      lblID3TagParameters(new QLabel("Parameters", TabTags)),
      cmdOK(new QPushButton("OK", this)),
      cmdApply(new QPushButton("Apply", this)),
      cmdExit(new QPushButton("Exit", this)),
      cmdBack(new QPushButton("<<", this)),
      cmdNext(new QPushButton(">>", this)) {
  setObjectName("g_frmItem");
  SetCaption("Item Properties");
  setFont(QFont("Tahoma", 8));
  setFixedSize(px(6720), px(5880));
  picTitle->setAutoFillBackground(true);
  picTitle->setGeometry(0, 0, px(6720), px(375));
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);
  lblTitle->setGeometry(px(120), px(60), px(6400), px(255));
  cTabControl1->setGeometry(px(120), px(480), px(6480), px(4560));
  buildInfoPage();
  buildRangePage();
  buildTagsPage();
  const int top = px(5280), h = px(375);
  cmdOK->setGeometry(px(120), top, px(1215), h);
  cmdApply->setGeometry(px(1440), top, px(1215), h);
  cmdExit->setGeometry(px(2760), top, px(1215), h);
  cmdBack->setGeometry(px(5040), top, px(735), h);
  cmdNext->setGeometry(px(5865), top, px(735), h);
  cmdBack->setToolTip("Previous item");
  cmdNext->setToolTip("Next item");
  connect(cTabControl1, &cTabControl::TabClick, this, &g_frmItem::cTabControl1_TabClick);
  connect(cmdOK, &QPushButton::clicked, this, &g_frmItem::cmdOK_Click);
  connect(cmdApply, &QPushButton::clicked, this, &g_frmItem::cmdApply_Click);
  connect(cmdExit, &QPushButton::clicked, this, &g_frmItem::cmdExit_Click);
  connect(cmdBack, &QPushButton::clicked, this, &g_frmItem::cmdBack_Click);
  connect(cmdNext, &QPushButton::clicked, this, &g_frmItem::cmdNext_Click);
}

void g_frmItem::buildInfoPage() {
  const char* captions[] = {"Item Name", "File Name", "Location", "Total Time", "Total Size",
                            "Created",   "Format",    "Samples",  "Bitrate",    "Channels"};
  QWidget* values[] = {txtItemName, lblFileName, lblPath,    lblTotalTime, lblTotalSize,
                       lblCreated,  lblFormat,   lblSamples, lblBitrate,   lblChannels};
  for (int i = 0; i < 10; ++i) {
    const int y = px(240 + i * 390);
    (new QLabel(captions[i], TabInfo))->setGeometry(px(240), y, px(1200), px(255));
    (new QLabel("-", TabInfo))->setGeometry(px(1500), y, px(150), px(255));
    values[i]->setGeometry(px(1800), i == 0 ? y - px(45) : y, px(4200), i == 0 ? px(315) : px(255));
  }
  link(lblFileName, "Open file with external player")->installEventFilter(this);
  link(lblPath, "Open directory")->installEventFilter(this);
  NameBoxFilter::Install(txtItemName);
}

void g_frmItem::buildRangePage() {
  ptnAllFile->setGeometry(px(240), px(240), px(4000), px(255));
  ptnConvertByTime->setGeometry(px(240), px(600), px(4000), px(255));
  ptnAllFile->setChecked(true);
  lblStartAfter->setGeometry(px(600), px(1080), px(1100), px(255));
  dtStartAfter->setGeometry(px(1800), px(1035), px(1500), px(315));
  cmdGoTSoStart->setGeometry(px(3420), px(1035), px(495), px(315));
  lblUntil->setGeometry(px(600), px(1560), px(1100), px(255));
  dtUntil->setGeometry(px(1800), px(1515), px(1500), px(315));
  cmdGoToEnd->setGeometry(px(3420), px(1515), px(495), px(315));
  cmdGoTSoStart->setToolTip("Go to start");
  cmdGoToEnd->setToolTip("Go to end");
  connect(ptnAllFile, &QRadioButton::clicked, this, &g_frmItem::EnableRangeControls);
  connect(ptnConvertByTime, &QRadioButton::toggled, this, &g_frmItem::EnableRangeControls);
  connect(dtStartAfter, &cDateTimePick::Change, this, &g_frmItem::dtStartAfter_Change);
  connect(dtUntil, &cDateTimePick::Change, this, &g_frmItem::dtUntil_Change);
  connect(cmdGoTSoStart, &QPushButton::clicked, this, &g_frmItem::cmdGoTSoStart_Click);
  connect(cmdGoToEnd, &QPushButton::clicked, this, &g_frmItem::cmdGoToEnd_Click);
}

void g_frmItem::buildTagsPage() {
  const char* captions[] = {"Artist:", "Song:", "Album:", "Genre:", "Track:", "Year:", "Comment:"};
  QWidget* boxes[] = {txtTagArtist, txtTagSong, txtTagAlbum, txtTagGenre, txtTagTrack, txtTagYear, txtTagComment};
  for (int i = 0; i < 7; ++i) {
    const int y = px(240 + i * 390);
    (new QLabel(captions[i], TabTags))->setGeometry(px(240), y + px(30), px(1000), px(255));
    boxes[i]->setGeometry(px(1320), y, px(4800), i == 6 ? px(1000) : px(315));
  }
  link(lblDefaultID3Tags, "Parameters")->setGeometry(px(240), px(3720), px(2400), px(255));
  link(lblID3TagParameters, "Parameters")->setGeometry(px(3000), px(3720), px(1500), px(255));
  lblDefaultID3Tags->installEventFilter(this);
  lblID3TagParameters->installEventFilter(this);
}

cGrid* g_frmItem::grid() const {
  frmMainLists* main = frmMainLists::MainWindow();
  return main ? main->cGrid1 : nullptr;
}

QString g_frmItem::cell(long row, const QString& key) const {
  return grid() ? ItemRow::Text(*grid(), row, key) : QString();
}

void g_frmItem::setCell(long row, const QString& key, const QString& text) {
  if (grid()) ItemRow::SetText(*grid(), row, key, text);
}

QTime g_frmItem::itemLength() const { return timeOf(mdlFunctions::TimeTextToSeconds(lblTotalTime->text())); }

void g_frmItem::Form_Load() {
  mdlSetFormIcon32::SetFormIcon(this, "document_music", true);
  TitleSkin::Apply(*this, picTitle, lblTitle);
  if (frmMainLists* main = frmMainLists::MainWindow()) cTabControl1->SetImageList(main->imgMenu);
  cTabControl1->AddTab("Item Information", 39, -1, "Item Information");
  cTabControl1->AddTab("Range To Process", 23, -1, "Range");
  cTabControl1->AddTab("Destination ID3 Tags  ", 18, -1, "ID3 Tags");
  for (QWidget* page : {TabInfo, TabRange, TabTags}) {
    page->setGeometry(px(cTabControl1->ClientLeft() - 50), px(cTabControl1->ClientTop()),
                      px(cTabControl1->ClientWidth() + 50), px(cTabControl1->ClientHeight()));
    page->raise();
  }
  HideTabPages();
  TabInfo->show();
  lItem = grid() ? grid()->SelectedRow() : 0;
  l_lGridRowNum = lItem;
  GetFileInfo();
  EnableRangeControls();
  GetRangeOptions();
  SetIDvTags();
  enableStepButtons();
}

bool g_frmItem::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == lblFileName) lblFileName_Click();
    else if (watched == lblPath) lblPath_Click();
    else if (watched == lblDefaultID3Tags) lblDefaultID3Tags_Click();
    else if (watched == lblID3TagParameters) lblID3TagParameters_Click();
  }
  return Form::eventFilter(watched, event);
}

void g_frmItem::enableStepButtons() {
  const long rows = grid() ? grid()->Rows() : 0;
  cmdNext->setEnabled(l_lGridRowNum < rows);
  cmdBack->setEnabled(l_lGridRowNum > 1);
}

void g_frmItem::HideTabPages() {
  TabInfo->hide();
  TabRange->hide();
  TabTags->hide();
}

void g_frmItem::cTabControl1_TabClick(long) {
  HideTabPages();
  const QString key = cTabControl1->TabKey(cTabControl1->SelectedTab());
  if (key == "Item Information") TabInfo->show();
  else if (key == "Range") TabRange->show();
  else if (key == "ID3 Tags") TabTags->show();
}

void g_frmItem::GetFileInfo() {
  lblTitle->setText(cell(lItem, "Item Name"));
  const QString path = cell(l_lGridRowNum, "COL_FILE");
  cAudioConverter1->OpenSource(path);
  txtItemName->setText(cell(l_lGridRowNum, "Item Name"));
  lblFileName->setText(mdlFunctions::GetFileNameFromPath(path));
  lblPath->setText(mdlFunctions::GetFolderPath(path));
  lblTotalTime->setText(cell(l_lGridRowNum, "Time"));
  lblTotalSize->setText(cell(l_lGridRowNum, "Size"));
  lblCreated->setText(cell(l_lGridRowNum, "Created"));
  lblFormat->setText(mdlFunctions::GetFileExt(path).toUpper());
  lblSamples->setText(QString::number(cAudioConverter1->SampleRate()));
  lblBitrate->setText(QString::number(cAudioConverter1->BitsPerSample()));
  lblChannels->setText(cAudioConverter1->Channels() == 1 ? "MONO" : "STEREO");
  cAudioConverter1->CloseSource();
  cAudioConverter1->CloseConverter();
  dtStartAfter->SetValue(QTime(0, 0));
  dtUntil->SetValue(itemLength());
}

void g_frmItem::EnableRangeControls() {
  const bool on = ptnConvertByTime->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{dtStartAfter, dtUntil, cmdGoTSoStart, cmdGoToEnd, lblStartAfter,
                                                    lblUntil})
    w->setEnabled(on);
}

void g_frmItem::GetRangeOptions() {
  if (cell(lItem, "COL_RANGE_ALL") == "1") ptnAllFile->setChecked(true);
  const QString start = cell(lItem, "COL_RANGE_START_TIME");
  if (start.isEmpty()) return;
  ptnConvertByTime->setChecked(true);
  // A stored range may reach past the audio (the file changed since): shown within it.
  const long total = mdlFunctions::TimeTextToSeconds(lblTotalTime->text());
  const double from = ItemRow::LeadingNumber(start);
  const long s = std::clamp(ItemRow::WholeSeconds(from), 0L, total);
  const long u = ItemRow::WholeSeconds(from + ItemRow::LeadingNumber(cell(lItem, "COL_RANGE_LENGTH_TIME")));
  dtStartAfter->SetValue(timeOf(s));
  dtUntil->SetValue(timeOf(std::clamp(u, s, total)));
}

void g_frmItem::SetIDvTags() {
  txtTagAlbum->setText(cell(l_lGridRowNum, "COL_TAG_ALBUM"));
  txtTagArtist->setText(cell(l_lGridRowNum, "COL_TAG_ARTIST"));
  txtTagComment->setPlainText(cell(l_lGridRowNum, "COL_TAG_COMMENT"));
  txtTagGenre->setText(cell(l_lGridRowNum, "COL_TAG_GEN"));
  txtTagSong->setText(cell(l_lGridRowNum, "COL_TAG_TITLE"));
  txtTagTrack->setText(cell(l_lGridRowNum, "COL_TAG_TRACK"));
  txtTagYear->setText(cell(l_lGridRowNum, "COL_TAG_YEAR"));
}

void g_frmItem::dtStartAfter_Change(const QTime& newValue) {
  if (itemLength() < newValue) dtStartAfter->SetValue(itemLength());
}

void g_frmItem::dtUntil_Change(const QTime& newValue) {
  if (itemLength() < newValue) dtUntil->SetValue(itemLength());
}

void g_frmItem::cmdGoTSoStart_Click() { dtStartAfter->SetValue(QTime(0, 0)); }
void g_frmItem::cmdGoToEnd_Click() { dtUntil->SetValue(itemLength()); }

void g_frmItem::SaveItemProperties(long& result) {
  txtItemName->setText(txtItemName->text().trimmed());
  // A name of blanks only counts as empty.
  if (txtItemName->text().isEmpty()) {
    MsgBox("Empty Item Name." + QString(42, ' '), vbInformation);
    txtItemName->setFocus();
    result = -1;
    return;
  }
  if (!mdlFunctions::IsLegalName(txtItemName->text())) {
    MsgBox("Illegal Item Name." + QString(42, ' '), vbInformation);
    txtItemName->setFocus();
    int key = '?';
    mdlFunctions::CheckIllegalNameChar(txtItemName, key);
    result = -1;
    return;
  }
  setCell(l_lGridRowNum, "Item Name", txtItemName->text());
  const bool range = ptnConvertByTime->isChecked();
  const long s = dtStartAfter->Value().msecsSinceStartOfDay() / 1000;
  const long u = dtUntil->Value().msecsSinceStartOfDay() / 1000;
  if (range && s >= u) {
    MsgBox("'Start after' field is more or an equel to the 'Until' field." + QString(9, ' '), vbInformation);
    result = 1;
    return;
  }
  setCell(lItem, "COL_RANGE_ALL", range ? "0" : "1");
  setCell(lItem, "COL_RANGE_START_TIME", range ? QString::number(s) : QString());
  setCell(lItem, "COL_RANGE_LENGTH_TIME", range ? QString::number(u - s) : QString());
  setCell(lItem, "Range", range ? ItemRow::RangeText(s, u - s) : "All");
  setCell(l_lGridRowNum, "COL_TAG_ALBUM", txtTagAlbum->text());
  setCell(l_lGridRowNum, "COL_TAG_ARTIST", txtTagArtist->text());
  setCell(l_lGridRowNum, "COL_TAG_COMMENT", txtTagComment->toPlainText());
  setCell(l_lGridRowNum, "COL_TAG_GEN", txtTagGenre->text());
  setCell(l_lGridRowNum, "COL_TAG_TITLE", txtTagSong->text());
  setCell(l_lGridRowNum, "COL_TAG_TRACK", txtTagTrack->text());
  setCell(l_lGridRowNum, "COL_TAG_YEAR", txtTagYear->text());
  if (frmMainLists* main = frmMainLists::MainWindow()) main->SaveGridToFile();
  result = 0;
}

void g_frmItem::cmdOK_Click() {
  long result = 0;
  SaveItemProperties(result);
  if (result == 0) Unload();
}

void g_frmItem::cmdApply_Click() {
  long result = 0;
  SaveItemProperties(result);
}

void g_frmItem::cmdExit_Click() { Unload(); }

void g_frmItem::ShowGridRow(long row) {
  if (!grid() || row < 1 || row > grid()->Rows()) return;
  grid()->SetSelectedRow(row);
  lItem = row;
  GetFileInfo();
  SetIDvTags();
  EnableRangeControls();
  GetRangeOptions();
  enableStepButtons();
}

void g_frmItem::cmdNext_Click() { ShowGridRow(++l_lGridRowNum); }
void g_frmItem::cmdBack_Click() { ShowGridRow(--l_lGridRowNum); }

void g_frmItem::lblFileName_Click() {
  if (grid()) ShellOpenDocument(cell(grid()->SelectedRow(), "COL_FILE"));
}

void g_frmItem::lblPath_Click() { mdlFunctions::ShellOpen(this, lblPath->text()); }

void g_frmItem::lblDefaultID3Tags_Click() { form<frmOptions>().ShowAtPage("ID3 Tags"); }

void g_frmItem::lblID3TagParameters_Click() { g_frmProgParameters::ShowAtSection(1); }
