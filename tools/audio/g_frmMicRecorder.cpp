#include "tools/audio/g_frmMicRecorder.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "core/TitleColors.h"
#include "core/mdlCommDialog.h"
#include "core/mdlModes.h"
#include "core/mdlSetFormIcon32.h"
#include "lists/TitleSkin.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"
#include "platform/cSlider.h"
#include "platform/cStatusBar.h"
#include "tools/audio/ToolLayout.h"

namespace {
QComboBox* list(QWidget* parent, const QStringList& items, const QString& shown, int left, int top, int width) {
  auto* box = place(new QComboBox(parent), left, top, width, 315);
  box->addItems(items);
  box->setCurrentText(shown);
  return box;
}

QPushButton* button(QWidget* parent, const QString& caption, const QString& tip, int left, int top, int width) {
  auto* b = place(new QPushButton(caption, parent), left, top, width, 375);
  b->setToolTip(tip);
  return b;
}
}  // namespace

g_frmMicRecorder::g_frmMicRecorder()
    : cWave1(new cWave(this)), tmrRec(new Timer(this)), tmSlider(new Timer(this)) {
  setObjectName("g_frmMicRecorder");
  SetCaption("Audio Recorder");
  setWindowIcon(mdlSetFormIcon32::ProgramIcon("microphone2"));
  setFont(QFont("Tahoma", 8));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(px(6600), px(6600));
  picTitle = place(new QWidget(this), 0, 0, 6600, 600);
  lblTitle = place(new QLabel("Audio Recorder", picTitle), 240, 150, 5000, 300);
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);
  place(new QLabel("Devices:", this), 120, 720, 3000, 255);
  cboDevices = place(new QComboBox(this), 120, 960, 6360, 315);
  place(new QLabel("Destination Wave File:", this), 120, 1380, 3000, 255);
  // The default file lives in the user's home folder.
  txtAudioFile = place(new QLineEdit(QDir::homePath() + "/wave_file.wav", this), 120, 1620, 5880, 315);
  cmdPath = button(this, "...", QString(), 6060, 1600, 420);
  place(new QLabel("Recorder:", this), 120, 2040, 3000, 255);
  place(new QLabel("Bits per sample:", this), 120, 2340, 1980, 255);
  cboBitPerSample = list(this, {"8", "16"}, "16", 120, 2580, 1980);
  place(new QLabel("Samples per second:", this), 2280, 2340, 1980, 255);
  cboSamplesPerSec = list(this, {"8000", "11025", "22050", "44100"}, "44100", 2280, 2580, 1980);
  place(new QLabel("Channels:", this), 4440, 2340, 1980, 255);
  cboChannels = list(this, {"Mono", "Stereo"}, "Stereo", 4440, 2580, 2040);
  cmdRecord = button(this, "Record", "Record", 120, 3000, 1020);
  cmdStopRec = button(this, "Stop", "Stop", 1200, 3000, 1020);
  cmdPauseIn = button(this, "Pause Record", QString(), 2280, 3000, 1440);
  cmdUnPauseIn = button(this, "Unpause Record", QString(), 3780, 3000, 1440);
  lblRecTime = place(new QLabel("0:00:00", this), 5280, 2940, 1200, 255);
  Label6 = place(new QLabel("0:00:30", this), 5280, 3180, 1200, 255);
  prgMeter = place(new cProgressBar(this), 120, 3480, 6360, 255);
  prgMeter->SetMax(120);
  place(new QLabel("Player:", this), 120, 3900, 3000, 255);
  cmdPlay = button(this, "Play", "Play", 120, 4200, 1020);
  cmdStop = button(this, "Stop", "Stop", 1200, 4200, 1020);
  cmdPauseOut = button(this, "Pause Play", QString(), 2280, 4200, 1440);
  cmdUnPauseOut = button(this, "Unpause Play", QString(), 3780, 4200, 1440);
  cSlider1 = place(new cSlider(this), 120, 4680, 6360, 315);
  cSlider1->SetMax(100);
  lblCurrentPositionSec = place(new QLabel("0:00:00", this), 120, 5040, 1200, 255);
  lbTotalLengthSec = place(new QLabel("0:00:00", this), 5280, 5040, 1200, 255);
  cmdAdd = button(this, "Add", QString(), 3900, 5520, 1260);
  cmdExit = button(this, "Exit", QString(), 5220, 5520, 1260);
  cStatusBar1 = place(new cStatusBar(this), 0, 6240, 6600, 360);
  tmrRec->SetInterval(1000);
  tmSlider->SetInterval(100);

  connect(cmdRecord, &QPushButton::clicked, this, &g_frmMicRecorder::cmdRecord_Click);
  connect(cmdStopRec, &QPushButton::clicked, this, &g_frmMicRecorder::cmdStopRec_Click);
  connect(cmdPauseIn, &QPushButton::clicked, this, &g_frmMicRecorder::cmdPauseIn_Click);
  connect(cmdUnPauseIn, &QPushButton::clicked, this, &g_frmMicRecorder::cmdUnPauseIn_Click);
  connect(cmdPlay, &QPushButton::clicked, this, &g_frmMicRecorder::cmdPlay_Click);
  connect(cmdStop, &QPushButton::clicked, this, &g_frmMicRecorder::cmdStop_Click);
  connect(cmdPauseOut, &QPushButton::clicked, this, &g_frmMicRecorder::cmdPauseOut_Click);
  connect(cmdUnPauseOut, &QPushButton::clicked, this, &g_frmMicRecorder::cmdUnPauseOut_Click);
  connect(cmdPath, &QPushButton::clicked, this, &g_frmMicRecorder::cmdPath_Click);
  connect(cmdAdd, &QPushButton::clicked, this, &g_frmMicRecorder::cmdAdd_Click);
  connect(cmdExit, &QPushButton::clicked, this, &g_frmMicRecorder::cmdExit_Click);
  connect(tmrRec, &Timer::Tick, this, &g_frmMicRecorder::tmrRec_Timer);
  connect(tmSlider, &Timer::Tick, this, &g_frmMicRecorder::tmSlider_Timer);
  connect(cWave1, &cWave::RecordDone, this, &g_frmMicRecorder::cWave1_RecordDone);
  connect(cWave1, &cWave::Error, this, [](long, const QString& text) { MsgBox(text, vbExclamation); });
  connect(cWave1, &cWave::MeterLevel, prgMeter, [this](int level) { prgMeter->SetValue(level); });
}

void g_frmMicRecorder::Form_Load() {
  TitleSkin::Apply(*this, picTitle, lblTitle);
  cSlider1->SetSliderColor(g_sFormBackColor.toLong());
  prgMeter->SetBarColor(g_lTitleBackColor);
  prgMeter->SetBarTextColor(g_sFormBackColor.toLong());
  cWave1->MeterIn(true);
  const long count = cWave1->GetDeviceCount(WAVE_DEVICES_IN);
  for (long i = 0; i < count; ++i) {
    WaveDeviceRecord rec;
    long position = i;
    cWave1->GetDeviceCaps(position, rec, WAVE_DEVICES_IN);
    cboDevices->addItem(QString::number(i) + " - " + rec.name + " - " + QString::number(rec.channels));
  }
  cboDevices->setCurrentIndex(count > 0 ? 0 : -1);
}

void g_frmMicRecorder::Form_Unload(int&) {
  // The window is gone before the recording's end could be reported.
  disconnect(cWave1, nullptr, this, nullptr);
  cWave1->PlayStop();
  cWave1->RecordStop();
  cWave1->CloseWave();
}

long g_frmMicRecorder::SelectedDevice() const { return cboDevices->currentIndex(); }

WAVEFORMATEX g_frmMicRecorder::FormatFromLists() const {
  WAVEFORMATEX f;
  f.wFormatTag = 1;
  f.nChannels = int16_t(cboChannels->currentText() == "Stereo" ? 2 : 1);
  f.nSamplesPerSec = cboSamplesPerSec->currentText().toInt();
  f.wBitsPerSample = int16_t(cboBitPerSample->currentText().toInt());
  f.nBlockAlign = int16_t(std::nearbyint(f.wBitsPerSample / 8.0 * f.nChannels));
  f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
  f.cbSize = 0;
  return f;
}

void g_frmMicRecorder::cmdRecord_Click() {
  cWave1->MeterIn(true);
  cWave1->PreScreenClose();
  long device = SelectedDevice();
  // The format is read from the lists at each press, so what is chosen is recorded.
  WAVEFORMATEX format = FormatFromLists();
  if (cWave1->RecordStart(device, txtAudioFile->text(), format, 1600) != 0) {
    MsgBox(cWave1->LastError(), vbExclamation);
    return;
  }
  m_lSeconds = 0;
  tmrRec->SetEnabled(true);
  cmdRecord->setEnabled(false);
}

void g_frmMicRecorder::cmdStopRec_Click() { cWave1->RecordStop(); }

void g_frmMicRecorder::cmdPauseIn_Click() { cWave1->RecordPause(); }

void g_frmMicRecorder::cmdUnPauseIn_Click() {
  if (cWave1->IsRecordPaused()) cWave1->RecordUnPause();
}

void g_frmMicRecorder::tmrRec_Timer() {
  cmdRecord->setEnabled(false);
  ++m_lSeconds;
  lblRecTime->setText(cWave1->SecondsToText(m_lSeconds));
  if (m_lSeconds < 30) return;
  cmdStopRec_Click();
  m_lSeconds = 0;
  tmrRec->SetEnabled(false);
  cmdRecord->setEnabled(true);
}

void g_frmMicRecorder::cWave1_RecordDone() {
  cmdRecord->setEnabled(true);
  tmrRec->SetEnabled(false);
  if (std::exchange(m_bAddWhenDone, false)) AddFileToList();
}

void g_frmMicRecorder::cmdPlay_Click() {
  const QString path = txtAudioFile->text();
  if (!QFileInfo(path).isFile()) {
    MsgBox("The audio file " + path + " doesn't exists", vbInformation);
    return;
  }
  if (cWave1->IsPlaying()) return;
  WaveInfoRecord info;
  cWave1->GetWaveInfo(path, info);
  if (cWave1->PlayStart(path, int16_t(SelectedDevice()), 8000) != 0) {
    MsgBox(cWave1->LastError(), vbExclamation);
    return;
  }
  lbTotalLengthSec->setText(cWave1->SecondsToText(info.seconds));
  tmSlider->SetEnabled(true);
}

void g_frmMicRecorder::tmSlider_Timer() {
  cSlider1->SetValue(cWave1->GetPlayPosition());
  lblCurrentPositionSec->setText(cWave1->SecondsToText(cWave1->GetPlayPositionSeconds()));
}

void g_frmMicRecorder::cmdStop_Click() {
  cWave1->PlayStop();
  tmSlider->SetEnabled(false);
  cSlider1->SetValue(0);
}

void g_frmMicRecorder::cmdPauseOut_Click() { cWave1->PlayPause(); }
void g_frmMicRecorder::cmdUnPauseOut_Click() { cWave1->PlayUnPause(); }

void g_frmMicRecorder::cmdPath_Click() {
  FileDialogRecord.lpstrFilter = QString("Audio Wav File (*.wav)") + QChar(0) + "*.wav" + QChar(0);
  FileDialogRecord.lpstrTitle = "Save as WAV file";
  FileDialogRecord.lpstrDefExt = "wav";
  const FileDialogResult result = mdlCommDialog::ShowSaveDialog(this, QString(), true);
  if (result.Cancelled) return;
  const QString path = result.Files.value(1);
  if (QFileInfo::exists(path) &&
      MsgBox("The file " + path + " is already exists, overwrite it?", vbYesNo + vbInformation) == vbNo)
    return;
  txtAudioFile->setText(path);
}

void g_frmMicRecorder::cmdAdd_Click() {
  if (!frmMain::OpenListFor("the recording")) return;
  // A running recording is ended first; its file is added once its header is final.
  if (cWave1->IsRecording()) {
    m_bAddWhenDone = true;
    cWave1->RecordStop();
    return;
  }
  AddFileToList();
}

void g_frmMicRecorder::AddFileToList() {
  const QString path = txtAudioFile->text();
  const QFileInfo info(path);
  if (path.isEmpty() || !info.isFile()) {
    MsgBox("The file:" + path + " was not found.", vbInformation);
    return;
  }
  if (info.size() <= 64) {
    MsgBox("The file:" + path + " is empty.", vbInformation);
    return;
  }
  frmMain::MainWindow()->addPaths({path});
  Unload();
}

void g_frmMicRecorder::cmdExit_Click() { Unload(); }
