#include "tools/audio/g_frmParlo.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include "core/mdlCommDialog.h"
#include "core/mdlModes.h"
#include "core/mdlSetFormIcon32.h"
#include "core/mdlSupportedDestination.h"
#include "lists/TitleSkin.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "platform/UserSettings.h"
#include "platform/cSlider.h"
#include "platform/cTabControl.h"
#include "platform/speech/cParlo.h"
#include "settings/frmOptions.h"
#include "settings/g_frmAudioProp.h"
#include "tools/audio/ToolLayout.h"
#include "tools/convert/g_frmAudioEditorProc.h"

namespace {
constexpr long kSpeakFlags = 11;
const char* const kDefaultFormat = "SAFT22kHz16BitMono";

QComboBox* labelledList(QWidget* parent, const QString& caption, int top) {
  place(new QLabel(caption, parent), 120, top, 1860, 255);
  return place(new QComboBox(parent), 2040, top - 30, 4440, 315);
}

QPushButton* button(QWidget* parent, const QString& caption, const QString& tip, int left, int top, int width) {
  auto* b = place(new QPushButton(caption, parent), left, top, width, 375);
  b->setToolTip(tip);
  return b;
}

QPushButton* link(QWidget* parent, const QString& caption, const QString& tip, int left, int top) {
  auto* b = button(parent, caption, tip, left, top, 1200);
  b->setFlat(true);
  b->setCursor(Qt::PointingHandCursor);
  return b;
}

}  // namespace

g_frmParlo::g_frmParlo() : cParlo1(new cParlo(this)) {
  setObjectName("g_frmParlo");
  SetCaption(QString());
  setWindowIcon(mdlSetFormIcon32::ProgramIcon("document_music"));
  setFont(QFont("Tahoma", 8));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(px(6720), px(7560));
  picTitle = place(new QWidget(this), 0, 0, 6720, 600);
  lblTitle = place(new QLabel("Text To Speech", picTitle), 240, 150, 5000, 300);
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);
  txtSpeak = place(new QPlainTextEdit(this), 120, 720, 6360, 1800);
  txtSpeak->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  cboVoices = labelledList(this, "Voices:", 2700);
  cboAudioOutputs = labelledList(this, "Audio Outputs:", 3120);
  cboFormats = labelledList(this, "Formats:", 3540);
  place(new QLabel("Rate:", this), 120, 3960, 1500, 255);
  sldRate = place(new cSlider(this), 2040, 3930, 3840, 315);
  sldRate->setOrientation(Qt::Horizontal);
  sldRate->setMinimum(-10);
  sldRate->SetMax(10);
  lblRateVal = place(new QLabel("0", this), 6000, 3960, 480, 255);
  place(new QLabel("Volume:", this), 120, 4380, 1500, 255);
  sldVolume = place(new cSlider(this), 2040, 4350, 3840, 315);
  sldVolume->setOrientation(Qt::Horizontal);
  sldVolume->SetMax(100);
  lblValumeVal = place(new QLabel("50", this), 6000, 4380, 480, 255);
  cboTargetFormat = labelledList(this, "Destination Format:", 4800);
  cmdEditTargetFormat = button(this, "Edit", "Edit Target Audio Formats", 5400, 5160, 1080);
  const int icons[4] = {84, 41, 47, 3};
  const char* iconTips[4] = {"Say it", "Stop", "Save 'Text To Speech' as a wav file.", "Add to items list."};
  for (int i = 0; i < 4; ++i) {
    cmdToolsIcon[i] = place(new QPushButton(this), 120, 5640 + i * 420, 375, 375);
    cmdToolsIcon[i]->setToolTip(iconTips[i]);
    cmdToolsIcon[i]->setEnabled(false);
    cmdToolsIcon[i]->setProperty("picture", icons[i]);
  }
  cmdSay = button(this, "Say It", "Say it", 540, 5640, 1800);
  cmdStop = button(this, "Stop", "Stop", 540, 6060, 1800);
  cmdSaveAs = button(this, "Save As...", "Save 'Text To Speech' as...", 540, 6480, 1800);
  cmdAdd = button(this, "Add to Items List", "Add to items list.", 540, 6900, 1800);
  lblClearText = link(this, "Clear Text", QString(), 3960, 5640);
  lblID3Tags = link(this, "ID3Tags", "Set the ID3 tags", 5280, 5640);

  connect(cmdSay, &QPushButton::clicked, this, &g_frmParlo::cmdSay_Click);
  connect(cmdStop, &QPushButton::clicked, this, &g_frmParlo::cmdStop_Click);
  connect(cmdSaveAs, &QPushButton::clicked, this, &g_frmParlo::cmdSaveAs_Click);
  connect(cmdAdd, &QPushButton::clicked, this, &g_frmParlo::cmdAdd_Click);
  connect(cmdEditTargetFormat, &QPushButton::clicked, this, &g_frmParlo::cmdEditTargetFormat_Click);
  connect(lblClearText, &QPushButton::clicked, this, &g_frmParlo::lblClearText_Click);
  connect(lblID3Tags, &QPushButton::clicked, this, &g_frmParlo::lblID3Tags_Click);
  connect(txtSpeak, &QPlainTextEdit::textChanged, this, &g_frmParlo::txtSpeak_Change);
  connect(sldRate, &QSlider::valueChanged, this, [this](int v) { lblRateVal->setText(QString::number(v)); });
  connect(sldVolume, &QSlider::valueChanged, this, [this](int v) { lblValumeVal->setText(QString::number(v)); });
  connect(cParlo1, &cParlo::SpeakDone, this, &g_frmParlo::cParlo1_SpeakDone);
  connect(cParlo1, &cParlo::WordBoundary, this, &g_frmParlo::cParlo1_WordBoundary);
  connect(cParlo1, &cParlo::FormatFound, this, &g_frmParlo::cParlo1_FormatFound);
}

QString g_frmParlo::TempSpeechFile() { return ProgramFolder() + "/tmptts.wav"; }

void g_frmParlo::Form_Load() {
  if (frmMain* main = loadedForm<frmMain>())
    for (int i = 0; i < 4; ++i) cmdToolsIcon[i]->setIcon(main->imgMenu->ItemPicture(cmdToolsIcon[i]->property("picture").toInt()));
  TitleSkin::Apply(*this, picTitle, lblTitle);
  sldRate->SetSliderColor(g_sFormBackColor.toLong());
  sldVolume->SetSliderColor(g_sFormBackColor.toLong());
  FillVoices();
  FillAudioOutputs();
  cParlo1->InitSpeech();
  cboFormats->setCurrentIndex(cboFormats->findText(GetSetting(g_sAppName, "TTS", "Format", kDefaultFormat)));
  const int voice = cboVoices->findText(GetSetting(g_sAppName, "TTS", "Voice"));
  if (voice >= 0) cboVoices->setCurrentIndex(voice);
  sldVolume->SetValue(50);
  sldRate->SetValue(0);
  txtSpeak->setPlainText("This sample shows you how to use the 'Text To Speech'.");
  mdlSupportedDestination::FillDestinationFormats(cboTargetFormat);
  cboTargetFormat->setCurrentIndex(form<frmOptions>().cboTargetFormat->currentIndex());
}

void g_frmParlo::Form_Unload(int&) {
  cParlo1->CloseSpeech();
  SaveSetting(g_sAppName, "TTS", "Format", cboFormats->currentText());
  SaveSetting(g_sAppName, "TTS", "Voice", cboVoices->currentText());
}

void g_frmParlo::FillVoices() {
  cboVoices->clear();
  for (long i = 1; i <= cParlo1->GetVoiceCount(); ++i) cboVoices->addItem(cParlo1->GetVoiceName(i));
  if (cboVoices->count() > 0) cboVoices->setCurrentIndex(0);
}

void g_frmParlo::FillAudioOutputs() {
  cboAudioOutputs->clear();
  for (long i = 1; i <= cParlo1->GetAudioOutputCount(); ++i) cboAudioOutputs->addItem(cParlo1->GetAudioOutputName(i));
  if (cboAudioOutputs->count() > 0) cboAudioOutputs->setCurrentIndex(0);
}

void g_frmParlo::cParlo1_FormatFound(const QString& name, long id) {
  cboFormats->addItem(name, qlonglong(id));
}

void g_frmParlo::HandOverSettings(long rate, long volume) {
  cParlo1->SetAudioOutputIndex(cboAudioOutputs->currentIndex());
  cParlo1->SetVoiceIndex(cboVoices->currentIndex());
  cParlo1->SetRate(rate);
  cParlo1->SetVolume(volume);
  cParlo1->SetSpeakFlags(kSpeakFlags);
  // With no format selected the control keeps the one it had.
  if (cboFormats->currentIndex() >= 0) cParlo1->SetAudioFormatId(cboFormats->currentData().toLongLong());
}

void g_frmParlo::cmdSay_Click() {
  if (!cParlo1->IsSpeaking()) HandOverSettings(sldRate->Value(), sldVolume->Value());
  cParlo1->Speak(txtSpeak->toPlainText());
}

void g_frmParlo::cmdStop_Click() { cParlo1->StopSpeaking(); }

void g_frmParlo::cParlo1_WordBoundary(long start, long length) {
  QTextCursor cursor = txtSpeak->textCursor();
  cursor.setPosition(int(start));
  cursor.setPosition(int(start + length), QTextCursor::KeepAnchor);
  txtSpeak->setTextCursor(cursor);
}

void g_frmParlo::cParlo1_SpeakDone() { txtSpeak->selectAll(); }

void g_frmParlo::txtSpeak_Change() { lblClearText->setEnabled(!txtSpeak->toPlainText().isEmpty()); }

bool g_frmParlo::SpeakToWavFile(const QString& path) {
  // An older rendering must never pass for this one.
  QFile::remove(path);
  HandOverSettings(0, 100);
  QString target = path;
  return cParlo1->SpeakToFile(txtSpeak->toPlainText(), target) == 0 && QFile::exists(path);
}

QString g_frmParlo::TargetExtension() const { return cboTargetFormat->currentText().left(3).toLower(); }

bool g_frmParlo::RenderAndConvert(const QString& destination) {
  if (!SpeakToWavFile(TempSpeechFile())) return false;
  SetBusy(true);
  g_frmAudioEditorProc& proc = form<g_frmAudioEditorProc>();
  g_frmAudioEditorProc::g_sConvertToTarget = cboTargetFormat->currentText();
  g_frmAudioEditorProc::g_bConvertTo = true;
  proc.ConvertFile(TempSpeechFile(), destination);
  SetBusy(false);
  proc.ShowModal(this);
  return g_frmAudioEditorProc::LastOutcome() == g_frmAudioEditorProc::Done;
}

void g_frmParlo::cmdSaveAs_Click() {
  const QString ext = TargetExtension();
  FileDialogRecord.lpstrFilter = "Audio Files (*." + ext + ")" + QChar(0) + "*." + ext + QChar(0);
  FileDialogRecord.lpstrTitle = "Save As";
  FileDialogRecord.lpstrDefExt = ext;
  const FileDialogResult result = mdlCommDialog::ShowSaveDialog(this, QString(), true);
  if (result.Cancelled) return;
  RenderAndConvert(result.Files.value(1));
}

void g_frmParlo::cmdAdd_Click() {
  // Adding writes the open list's file, so it needs an items list to be open.
  frmMainLists* main = frmMain::OpenListFor("the speech");
  if (!main) return;
  QString name = "TTS_" + frmMain::CreateFileName(cboTargetFormat->currentText());
  name = name.left(name.size() - 3) + TargetExtension();
  const QString destination = ProgramFolder() + "/" + name;
  if (!RenderAndConvert(destination)) return;
  main->addPaths({destination});
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  Unload();
}

void g_frmParlo::lblClearText_Click() {
  if (MsgBox("This action will clear the Text-Box, continue?", vbYesNo + vbInformation) == vbYes) txtSpeak->clear();
}

void g_frmParlo::lblID3Tags_Click() { form<frmOptions>().ShowAtPage("ID3 Tags", this); }

void g_frmParlo::cmdEditTargetFormat_Click() {
  g_frmAudioProp& prop = form<g_frmAudioProp>();
  const QString key = cboTargetFormat->currentText().left(3);
  prop.cTabControl1->SelectTab(key);
  prop.cTabControl1_TabClick(prop.cTabControl1->TabIndex(key));
  prop.ShowModal(this);
  cboTargetFormat->setCurrentIndex(form<frmOptions>().cboTargetFormat->currentIndex());
}
