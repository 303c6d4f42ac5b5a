#include "settings/g_frmAudioProp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "core/mdlCommDialog.h"
#include "core/mdlModes.h"
#include "core/mdlSetFormIcon32.h"
#include "core/mdlSupportedDestination.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/cTabControl.h"
#include "settings/FormControls.h"
#include "settings/OptionValues.h"
#include "settings/OutputFormatStore.h"
#include "settings/StoredControls.h"
#include "settings/frmOptions.h"

using namespace FormControls;
using namespace StoredControls;

namespace {
struct FormatPage {
  const char* title;
  const char* description;
};
// By OutputFormat.
const FormatPage kPages[OutputFormatCount] = {
    {"WAV -", "Waveform audio format"},
    {"WAV(ACM) -", "Waveform audio format with ACM codec"},
    {"MP3 -", "MPEG-1 Audio Layer 3"},
    {"WMA -", "Windows Media Audio"},
    {"OGG -", "Ogg Media format"},
    {"APE -", "Monkey\u2019s Audio file format"},
};
long* const kOffered[OutputFormatCount] = {&g_lDestWAV, &g_lDestACM, &g_lDestMP3,
                                           &g_lDestWMA, &g_lDestOGG, &g_lDestAPE};

const char* const kMp3Bitrates[] = {"8 ", "16", "24", "32", "40", "48", "56", "64", "80", "96",
                                    "112", "128", "144", "160", "176", "192", "224", "256", "320"};

QComboBox* list(QWidget* page, const char* name, int left, int top, int width,
                std::initializer_list<const char*> entries = {}) {
  QComboBox* box = Named(List(page, left, top, width, 315), name);
  for (const char* e : entries) AddItem(box, e);
  return box;
}

QComboBox* mp3BitrateList(QWidget* page, const char* name, int left, int top, int width) {
  QComboBox* box = list(page, name, left, top, width);
  for (const char* e : kMp3Bitrates) AddItem(box, e);
  return box;
}

QComboBox* mp3QualityList(QWidget* page, const char* name, int left, int top, int width) {
  QComboBox* box = list(page, name, left, top, width);
  for (int digit = 0; digit <= 9; ++digit) AddItem(box, QString::number(digit) + " ");
  return box;
}

int16_t flag(const QCheckBox* box) { return CheckValue(box) == 1 ? -1 : 0; }

// An option stored as "True" or "False"; both of the page's options may end
// up not chosen, so they exclude each other by hand.
void readOption(const RegistryRoutines& store, QRadioButton* option) {
  const QString text = Stored(store, option->objectName());
  if (text == "True") option->setChecked(true);
  else if (text.isEmpty() || text == "False") option->setChecked(false);
}
void writeOption(const RegistryRoutines& store, const QRadioButton* option) {
  Write(store, option->objectName(), option->isChecked() ? "True" : "False");
}
}  // namespace

g_frmAudioProp::g_frmAudioProp() {
  setObjectName("g_frmAudioProp");
  setWindowIcon(mdlSetFormIcon32::ProgramIcon("gears"));
  buildWindow();
  connectHandlers();
}

// ---------------------------------------------------------------- construction

void g_frmAudioProp::buildWindow() {
  FixedDialog(this, "Audio Format", 8400, 5460);

  picTitle = Panel(this, 0, 0, 8415, 495);
  lblTitle = Label(picTitle, "WAV -", 120, 75, 1200, 270);
  QFont title("Tahoma");
  title.setPointSizeF(11.25);
  title.setItalic(true);
  lblTitle->setFont(title);
  lblFormatDesc = Label(picTitle, "Waveform audio format", 1400, 120, 5000, 195);

  cTabControl1 = new cTabControl(this);
  Place(cTabControl1, 120, 600, 8160, 4200);
  cAudioConverter1 = new cAudioConverter(this);
  froToWAV = Panel(this, 120, 960, 8100, 3720);
  froToACM = Panel(this, 120, 960, 8100, 3720);
  froToMP3 = Panel(this, 120, 960, 8100, 3720);
  froToWMA = Panel(this, 120, 960, 8100, 3720);
  froToOGG = Panel(this, 120, 960, 8100, 3720);
  froToAPE = Panel(this, 120, 960, 8100, 3720);
  buildWavPage();
  buildAcmPage();
  buildMp3Page();
  buildWmaPage();
  buildOggPage();
  buildApePage();

  cmdExit = Button(this, "Exit", 5160, 4920, 1455, 375);
  VSeparator(this, 6720, 4920, 5280);
  cmdOk = Button(this, "OK", 6840, 4920, 1455, 375, true);
  cmdOk->setDefault(true);
}

void g_frmAudioProp::buildWavPage() {
  QWidget* p = froToWAV;
  Label(p, "Samples:", 240, 240, 2400, 195);
  cboSamplesWAV = list(p, "cboSamplesWAV", 240, 480, 2400, {"44100", "22050", "11025", "8000"});
  Label(p, "Bitrate:", 240, 960, 2400, 195);
  cboBitrateWAV = list(p, "cboBitrateWAV", 240, 1200, 2400);
  Label(p, "Channels:", 240, 1680, 2400, 195);
  cboChannelsWAV = list(p, "cboChannelsWAV", 240, 1920, 2400, {"Mono", "Stereo"});
}

void g_frmAudioProp::buildAcmPage() {
  QWidget* p = froToACM;
  Label(p, "Target ACM Tag:", 240, 240, 3000, 195);
  cboTags = list(p, "cboTags", 240, 480, 5295);
  Label(p, "Target ACM Format:", 240, 960, 3000, 195);
  cboFormats = list(p, "cboFormats", 240, 1200, 5295);
  chkBestAccordToSource =
      Check(p, "Get recommended codecs according to source file format.", 240, 1800, 6000, 255);
}

void g_frmAudioProp::buildMp3Page() {
  QWidget* p = froToMP3;
  Label(p, "Bitrate:", 240, 120, 1800, 195);
  cboMP3Bitrate = mp3BitrateList(p, "cboMP3Bitrate", 240, 360, 1800);
  Label(p, "Mode:", 2400, 120, 3000, 195);
  cboMP3Mode = list(p, "cboMP3Mode", 2400, 360, 3000,
                    {"STEREO_MODE = 0", "JOINT_STEREO_MODE = 1", "DUAL_CHANNEL_MODE = 2", "MONO_MODE = 3",
                     "NOT_SET_MODE = 4", "FORCE_JOINT_STEREO_MODE = 5"});
  Label(p, "Samplerate:", 240, 780, 1800, 195);
  cboMP3Samplerate = list(p, "cboMP3Samplerate", 240, 1020, 1800,
                          {"8000", "11025", "12000", "16000", "22050", "24000", "32000", "44100", "48000"});
  Label(p, "Quality:", 2400, 780, 1800, 195);
  cboMP3Quality = mp3QualityList(p, "cboMP3Quality", 2400, 1020, 1800);
  lblMP3Advanced = Named(Link(p, "Advanced...", "", 240, 1500, 900, 195), "lblMP3Advanced");

  QWidget* a = picMP3Advanced = Panel(p, 120, 1800, 7860, 1560);
  chkMP3Original = Named(Check(a, "Original", 120, 60, 2160, 255), "chkMP3Original");
  chkMP3Copyright = Named(Check(a, "Copyright", 120, 420, 2160, 255), "chkMP3Copyright");
  chkMP3ErrorProtect = Named(Check(a, "Error Protection", 120, 780, 2160, 255), "chkMP3ErrorProtect");
  chkMP3StrictISO = Named(Check(a, "ISO Encoding", 120, 1140, 2160, 255), "chkMP3StrictISO");
  chkMP3VBR = Named(Check(a, "VBR Mode", 2400, 60, 2520, 255), "chkMP3VBR");
  chkMP3VBRTag = Named(Check(a, "Write VBR Tag", 2400, 420, 2520, 255), "chkMP3VBRTag");
  chkMP3VBRForceMinBitrate =
      Named(Check(a, "VBR Force Min Bitrate", 2400, 780, 2520, 255), "chkMP3VBRForceMinBitrate");
  chkMP3ABR = Named(Check(a, "ABR (Instead of VBR)", 2400, 1140, 2040, 255), "chkMP3ABR");
  cboMP3ABRBitrate = mp3BitrateList(a, "cboMP3ABRBitrate", 4440, 1110, 840);
  Label(a, "Min VBR Bitrate:", 5280, 90, 1440, 195);
  cboMP3MinBitrate = mp3BitrateList(a, "cboMP3MinBitrate", 6840, 30, 960);
  Label(a, "Max VBR Bitrate:", 5280, 450, 1440, 195);
  cboMP3MaxBitrate = mp3BitrateList(a, "cboMP3MaxBitrate", 6840, 390, 960);
  Label(a, "VBR Quality:", 5280, 810, 1440, 195);
  cboMP3VBRQuality = mp3QualityList(a, "cboMP3VBRQuality", 6840, 750, 960);
  picMP3Advanced->hide();
}

void g_frmAudioProp::buildWmaPage() {
  QWidget* p = froToWMA;
  Label(p, "Codec:", 240, 240, 3000, 195);
  cboWMACodecs = list(p, "cboWMACodecs", 240, 480, 5295);
  Label(p, "Format:", 240, 960, 3000, 195);
  cboWMAFormat = list(p, "cboWMAFormat", 240, 1200, 5295);
}

void g_frmAudioProp::buildOggPage() {
  QWidget* p = froToOGG;
  ptnQualityOGG = Named(new QRadioButton("Quality:", p), "ptnQualityOGG");
  Place(ptnQualityOGG, 240, 360, 1200, 255);
  ptnQualityOGG->setAutoExclusive(false);
  ptnQualityOGG->setChecked(true);
  sldOGG = Named(new QScrollBar(Qt::Horizontal, p), "sldOGG");
  Place(sldOGG, 1560, 360, 4200, 255);
  sldOGG->setRange(0, 100);
  lblSensitivityVal = Label(p, "0", 5880, 390, 600, 195);
  optOggBit = Named(new QRadioButton("Bitrate:", p), "optOggBit");
  Place(optOggBit, 240, 960, 1200, 255);
  optOggBit->setAutoExclusive(false);
  cboOggBitNom =
      list(p, "cboOggBitNom", 1560, 930, 1500, {"32", "40", "48", "64", "80", "96", "128", "160", "196", "256", "350"});
}

void g_frmAudioProp::buildApePage() {
  Label(froToAPE, "APE Level:", 240, 240, 2400, 195);
  cboAPELevel = list(froToAPE, "cboAPELevel", 240, 480, 2400, {"Fast", "Normal", "High", "Extra high", "Slow"});
}

void g_frmAudioProp::connectHandlers() {
  connect(cmdOk, &QPushButton::clicked, this, &g_frmAudioProp::cmdOk_Click);
  connect(cmdExit, &QPushButton::clicked, this, &g_frmAudioProp::cmdExit_Click);
  connect(cTabControl1, &cTabControl::TabClick, this, &g_frmAudioProp::cTabControl1_TabClick);
  connect(cboTags, &QComboBox::currentIndexChanged, this, &g_frmAudioProp::cboTags_Click);
  connect(cboWMACodecs, &QComboBox::currentIndexChanged, this, &g_frmAudioProp::cboWMACodecs_Click);
  connect(chkBestAccordToSource, &QCheckBox::stateChanged, this, &g_frmAudioProp::chkBestAccordToSource_Click);
  connect(lblMP3Advanced, &ClickLabel::Click, this, &g_frmAudioProp::lblMP3Advanced_Click);
  // The value label follows every change of the slider, not only drags.
  connect(sldOGG, &QScrollBar::valueChanged, this, &g_frmAudioProp::sldOGG_Scroll);
  connect(ptnQualityOGG, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optOggBit->setChecked(false);
  });
  connect(optOggBit, &QRadioButton::toggled, this, [this](bool on) {
    if (on) ptnQualityOGG->setChecked(false);
  });
  connect(cAudioConverter1, &cAudioConverter::AcmTagFound, this, &g_frmAudioProp::cAudioConverter1_AcmTagFound);
  connect(cAudioConverter1, &cAudioConverter::AcmFormatFound, this,
          &g_frmAudioProp::cAudioConverter1_AcmFormatFound);
}

// ---------------------------------------------------------------- load

void g_frmAudioProp::Form_Load() {
  SetControlBackColor(picTitle, g_lTitleBackColor);
  SetControlForeColor(lblTitle, g_lTitleForeColor);
  SetControlForeColor(lblFormatDesc, g_lTitleForeColor);
  const long back = FormBackColor();
  SetControlBackColor(this, back);
  for (int f = 0; f < OutputFormatCount; ++f) SetControlBackColor(page(f), back);
  SetControlBackColor(picMP3Advanced, back);
  for (QCheckBox* box : picMP3Advanced->findChildren<QCheckBox*>()) SetControlBackColor(box, back);
  for (QWidget* w : std::initializer_list<QWidget*>{ptnQualityOGG, optOggBit, chkBestAccordToSource})
    SetControlBackColor(w, back);

  for (int f = 0; f < OutputFormatCount; ++f)
    if (*kOffered[f] == 1) {
      const QString key = mdlSupportedDestination::FormatKey(f);
      cTabControl1->AddTab(key, -1, -1, key);
    }
  for (int f = 0; f < OutputFormatCount; ++f)
    page(f)->setGeometry(px(cTabControl1->ClientLeft() - 50), px(cTabControl1->ClientTop()),
                         px(cTabControl1->ClientWidth() + 50), px(cTabControl1->ClientHeight()));
  HideFormatPages();
  froToWAV->show();

  setDefaults();
  cAudioConverter1->EnumAcmTags(1, 44100, 2, 16, 0);
  if (cboTags->count() > 0) SelectText(cboTags, "PCM");
  settings_.hkey = HKEY_LOCAL_MACHINE;
  settings_.KeyRoot = mdlModes::SettingsKeyRoot();
  GetOptions();
  sldOGG_Scroll();
}

void g_frmAudioProp::setDefaults() {
  AddItem(cboBitrateWAV, "8");
  AddItem(cboBitrateWAV, "16");
  SelectText(cboBitrateWAV, "16");
  SelectText(cboSamplesWAV, "44100");
  SelectText(cboChannelsWAV, "Stereo");
  FillWmaCodecs();
  cboAPELevel->setCurrentIndex(0);
  cboOggBitNom->setCurrentIndex(0);
  sldOGG->setValue(50);
  SelectText(cboMP3Bitrate, "128");
  cboMP3Mode->setCurrentIndex(0);
  SelectText(cboMP3Samplerate, "44100");
  cboMP3Quality->setCurrentIndex(5);
  for (QCheckBox* box : {chkMP3Copyright, chkMP3Original, chkMP3VBR, chkMP3VBRTag}) SetCheckValue(box, 1);
  cboMP3VBRQuality->setCurrentIndex(5);
  SelectText(cboMP3MaxBitrate, "128");
  SelectText(cboMP3MinBitrate, "96");
  SelectText(cboMP3ABRBitrate, "96");
}

QWidget* g_frmAudioProp::page(int format) const {
  QWidget* const pages[OutputFormatCount] = {froToWAV, froToACM, froToMP3, froToWMA, froToOGG, froToAPE};
  return pages[format];
}

void g_frmAudioProp::GetOptions() {
  RegistryRoutines& s = settings_;
  s.Subkey = "Formats\\WAV";
  ReadListText(s, cboSamplesWAV);
  Number(cboSamplesWAV->currentText(), g_lWavSampleRate);
  ReadListText(s, cboBitrateWAV);
  Number(cboBitrateWAV->currentText(), g_lWavBits);
  ReadPosition(s, cboChannelsWAV);
  g_lWavChannelsIndex = cboChannelsWAV->currentIndex();

  s.Subkey = "Formats\\ACM";
  ReadListText(s, cboTags);  // a new tag lists its formats
  g_sAcmTag = cboTags->currentText();
  ReadListText(s, cboFormats);
  g_sAcmFormat = cboFormats->currentText();

  s.Subkey = "Formats\\MP3";
  Mp3FormatRecord& mp3 = g_tMp3Settings;
  auto number = [](const QComboBox* box, int32_t& field) {
    long n = field;
    if (Number(box->currentText(), n)) field = int32_t(n);
  };
  ReadListText(s, cboMP3Bitrate);
  number(cboMP3Bitrate, mp3.Bitrate);
  ReadListText(s, cboMP3Quality);
  number(cboMP3Quality, mp3.Quality);
  ReadListText(s, cboMP3Samplerate);
  number(cboMP3Samplerate, mp3.SampleRate);
  ReadPosition(s, cboMP3Mode);
  mp3.Mode = cboMP3Mode->currentIndex();
  const std::pair<QCheckBox*, int16_t*> flags[] = {{chkMP3ErrorProtect, &mp3.ErrorProtection},
                                                   {chkMP3Original, &mp3.Original},
                                                   {chkMP3Copyright, &mp3.Copyright},
                                                   {chkMP3StrictISO, &mp3.StrictISO}};
  for (auto [box, field] : flags) {
    ReadCheck(s, box);
    *field = flag(box);
  }
  ReadListText(s, cboMP3VBRQuality);
  mp3.VbrQuality = cboMP3VBRQuality->currentIndex();
  ReadListText(s, cboMP3MinBitrate);
  mp3.VbrMinBitrate = cboMP3MinBitrate->currentIndex();
  ReadListText(s, cboMP3MaxBitrate);
  mp3.VbrMaxBitrate = cboMP3MaxBitrate->currentIndex();
  ReadCheck(s, chkMP3VBRTag);
  mp3.WriteVbrTag = flag(chkMP3VBRTag);
  ReadCheck(s, chkMP3VBRForceMinBitrate);
  mp3.VbrForceMinBitrate = flag(chkMP3VBRForceMinBitrate);
  ReadCheck(s, chkMP3ABR);
  g_bMp3Abr = flag(chkMP3ABR) != 0;
  ReadListText(s, cboMP3ABRBitrate);
  number(cboMP3ABRBitrate, mp3.AbrBitrate);
  lblMP3Advanced->setText(Stored(s, "lblMP3Advanced"));
  if (lblMP3Advanced->text().isEmpty()) lblMP3Advanced->setText("Advanced...");
  lblMP3Advanced->adjustSize();
  picMP3Advanced->setVisible(lblMP3Advanced->text() != "Advanced...");

  s.Subkey = "Formats\\WMA";
  ReadPosition(s, cboWMACodecs);  // a new codec lists its formats
  g_lWmaCodecIndex = cboWMACodecs->currentIndex();
  ReadPosition(s, cboWMAFormat);
  g_lWmaFormatIndex = cboWMAFormat->currentIndex();

  s.Subkey = "Formats\\OGG";
  readOption(s, ptnQualityOGG);
  g_bOggQualityMode = ptnQualityOGG->isChecked();
  const QString slider = Stored(s, "sldOGG");
  long value = 0;
  if ((slider.isEmpty() || Number(slider, value)) && value >= 0 && value <= 100) sldOGG->setValue(int(value));
  g_lOggQuality = sldOGG->value();
  readOption(s, optOggBit);
  g_bOggBitrateMode = optOggBit->isChecked();
  ReadListText(s, cboOggBitNom);
  Number(cboOggBitNom->currentText(), g_lOggBitrate);

  s.Subkey = "Formats\\APE";
  ReadPosition(s, cboAPELevel);
  g_lApeLevel = cboAPELevel->currentIndex();
}

// ---------------------------------------------------------------- pages

void g_frmAudioProp::HideFormatPages() {
  for (int f = 0; f < OutputFormatCount; ++f) page(f)->hide();
}

void g_frmAudioProp::cTabControl1_TabClick(long) {
  HideFormatPages();
  const QString key = cTabControl1->TabKey(cTabControl1->SelectedTab());
  for (int f = 0; f < OutputFormatCount; ++f) {
    if (key != mdlSupportedDestination::FormatKey(f)) continue;
    page(f)->show();
    lblTitle->setText(kPages[f].title);
    lblFormatDesc->setText(kPages[f].description);
  }
  lblTitle->adjustSize();
  lblFormatDesc->adjustSize();
  lblFormatDesc->move(lblTitle->x() + lblTitle->width() + px(80), lblFormatDesc->y());
}

void g_frmAudioProp::ShowAtFormat(const QString& key, QWidget* owner) {
  cTabControl1->SelectTab(key);
  cTabControl1_TabClick(cTabControl1->TabIndex(key));
  ShowModal(owner);
}

void g_frmAudioProp::cAudioConverter1_AcmTagFound(const QString& name) { AddItem(cboTags, name, true); }
void g_frmAudioProp::cAudioConverter1_AcmFormatFound(const QString& name) { AddItem(cboFormats, name); }

void g_frmAudioProp::cboTags_Click() {
  cboFormats->clear();
  cAudioConverter1->EnumAcmFormats(cboTags->currentText());
  if (cboFormats->count() > 0) cboFormats->setCurrentIndex(0);
}

void g_frmAudioProp::chooseFirstAcmEntries() {
  cboTags->setCurrentIndex(0);
  if (cboFormats->count() > 0) cboFormats->setCurrentIndex(0);
}

void g_frmAudioProp::chkBestAccordToSource_Click() {
  if (CheckValue(chkBestAccordToSource) != 1) {
    cboTags->clear();
    cboFormats->clear();
    cAudioConverter1->EnumAcmTags(1, 44100, 2, 16, 0);
    return chooseFirstAcmEntries();
  }
  FileDialogRecord.lpstrFilter = QString("MP3 Audio Files (*.mp3)") + QChar(0) + "*.mp3" + QChar(0);
  FileDialogRecord.lpstrTitle = "Open MP3 audio file";
  const FileDialogResult r = mdlCommDialog::ShowOpenDialog(this, true);
  const QString source = r.Files.value(0);
  if (r.Cancelled || source.isEmpty()) {
    // Nothing chosen: the codecs listed so far stay, and so does the choice.
    const QSignalBlocker quiet(chkBestAccordToSource);
    SetCheckValue(chkBestAccordToSource, 0);
    return;
  }
  cboTags->clear();
  cboFormats->clear();
  cAudioConverter1->OpenSource(source);
  cAudioConverter1->EnumAcmTags(1, cAudioConverter1->SampleRate(), cAudioConverter1->Channels(),
                                cAudioConverter1->BitsPerSample(), ACM_FORMATENUMF_CONVERT);
  chooseFirstAcmEntries();
}

void g_frmAudioProp::FillWmaCodecs() {
  for (long i = 0; i < cAudioConverter1->GetWmaCodecCount(); ++i) {
    DoEvents();
    AddItem(cboWMACodecs, cAudioConverter1->GetWmaCodecName(i));
  }
  cboWMACodecs->setCurrentIndex(0);
}

void g_frmAudioProp::cboWMACodecs_Click() { FillWmaFormats(); }

void g_frmAudioProp::FillWmaFormats() {
  cboWMAFormat->clear();
  const long codec = cboWMACodecs->currentIndex();
  for (long i = 0; i < cAudioConverter1->GetWmaFormatCount(codec); ++i)
    AddItem(cboWMAFormat, cAudioConverter1->GetWmaFormatName(codec, i));
  if (cboWMAFormat->count() > 0) cboWMAFormat->setCurrentIndex(0);
}

void g_frmAudioProp::lblMP3Advanced_Click() { ToggleMP3Advanced(); }

void g_frmAudioProp::ToggleMP3Advanced() {
  if (lblMP3Advanced->text() == "Advanced...") {
    picMP3Advanced->show();
    lblMP3Advanced->setText("Simple...");
  } else if (lblMP3Advanced->text() == "Simple...") {
    picMP3Advanced->hide();
    lblMP3Advanced->setText("Advanced...");
  }
  lblMP3Advanced->adjustSize();
}

void g_frmAudioProp::sldOGG_Scroll() { lblSensitivityVal->setText(QString::number(sldOGG->value())); }

// ---------------------------------------------------------------- OK, Exit, closing

void g_frmAudioProp::cmdOk_Click() {
  // The shown format becomes the options window's target format; that
  // window's OK stores it.
  if (frmOptions* options = loadedForm<frmOptions>())
    options->cboTargetFormat->setCurrentIndex(int(cTabControl1->SelectedTab() - 1));
  storeSettings();
  GetOptions();
  Unload();
}

void g_frmAudioProp::storeSettings() {
  RegistryRoutines& s = settings_;
  s.Subkey = "Formats\\WAV";
  WriteListText(s, cboSamplesWAV);
  WriteListText(s, cboBitrateWAV);
  WritePosition(s, cboChannelsWAV);
  s.Subkey = "Formats\\ACM";
  WriteListText(s, cboTags);
  WriteListText(s, cboFormats);
  s.Subkey = "Formats\\MP3";
  WriteListText(s, cboMP3Bitrate);
  WriteListText(s, cboMP3Quality);
  WriteListText(s, cboMP3Samplerate);
  WritePosition(s, cboMP3Mode);
  for (QCheckBox* box : {chkMP3ErrorProtect, chkMP3Original, chkMP3Copyright, chkMP3StrictISO}) WriteCheck(s, box);
  WriteListText(s, cboMP3VBRQuality);
  WriteListText(s, cboMP3MinBitrate);
  WriteListText(s, cboMP3MaxBitrate);
  for (QCheckBox* box : {chkMP3VBRTag, chkMP3VBRForceMinBitrate, chkMP3ABR}) WriteCheck(s, box);
  WriteListText(s, cboMP3ABRBitrate);
  Write(s, "lblMP3Advanced", lblMP3Advanced->text());
  s.Subkey = "Formats\\WMA";
  WritePosition(s, cboWMACodecs);
  WritePosition(s, cboWMAFormat);
  s.Subkey = "Formats\\OGG";
  writeOption(s, ptnQualityOGG);
  Write(s, "sldOGG", QString::number(sldOGG->value()));
  writeOption(s, optOggBit);
  WriteListText(s, cboOggBitNom);
  s.Subkey = "Formats\\APE";
  WritePosition(s, cboAPELevel);
}

void g_frmAudioProp::cmdExit_Click() { Unload(); }

void g_frmAudioProp::Form_Unload(int& Cancel) {
  if (!g_bExiting) {
    Cancel = 1;
    Hide();
    return;
  }
  cAudioConverter1->CloseConverter();
}
