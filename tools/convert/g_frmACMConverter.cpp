#include "tools/convert/g_frmACMConverter.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "platform/audio/cAudioConverter.h"
#include "settings/FormControls.h"

using namespace FormControls;

namespace {
constexpr long kPlainPcm = 1;
constexpr long kAcmWav = 2;
const QString kAllCodecs = "All ACM Codecs";

TaskWindowLook acmLook() {
  TaskWindowLook look;
  look.caption = "ACM Converter";
  look.icon = "replace2";
  look.firstTab = "ACM Converter        ";
  look.firstTabImage = 61;
  look.startCaption = "Convert";
  look.fileNames = true;
  look.parameters = true;
  look.timeLeft = true;
  return look;
}
}  // namespace

g_frmACMConverter::g_frmACMConverter() : g_frmConverter(acmLook()) {
  setObjectName("g_frmACMConverter");
  m_bShowHourglass = false;
  Label1 = Label(TabSettings, "Best ACM Codecs According:", 120, 2040, 2600, 240);
  cboBestAccordItem = List(TabSettings, 2760, 1980, 6600, 315);
  lblTag = Label(TabSettings, "Target ACM Tag:", 120, 2460, 1400, 240);
  cboTags = List(TabSettings, 1560, 2400, 2640, 315);
  lblFormat = Label(TabSettings, "Target ACM Format:", 4320, 2460, 1900, 240);
  cboFormats = List(TabSettings, 6240, 2400, 3120, 315);
  // Activated, not index-changed: choosing the entry already chosen lists again.
  connect(cboBestAccordItem, &QComboBox::activated, this, &g_frmACMConverter::cboBestAccordItem_Click);
  connect(cboTags, &QComboBox::activated, this, &g_frmACMConverter::cboTags_Click);
  connect(cAudioConverter1, &cAudioConverter::AcmTagFound, this, &g_frmACMConverter::cAudioConverter1_AcmTagFound);
  connect(cAudioConverter1, &cAudioConverter::AcmFormatFound, this,
          &g_frmACMConverter::cAudioConverter1_AcmFormatFound);
}

void g_frmACMConverter::LoadOwnControls() {
  g_frmConverter::LoadOwnControls();
  cAudioConverter1->EnumAcmTags(kPlainPcm, 44100, 2, 16, 0);
  choosePcm();
}

void g_frmACMConverter::choosePcm() {
  if (cboTags->count() < 1) return;
  cboTags->setCurrentIndex(cboTags->findText("PCM", Qt::MatchExactly | Qt::MatchCaseSensitive));
  cboTags_Click();
}

void g_frmACMConverter::cAudioConverter1_AcmTagFound(const QString& name) { cboTags->addItem(name); }

void g_frmACMConverter::cAudioConverter1_AcmFormatFound(const QString& name) { cboFormats->addItem(name); }

void g_frmACMConverter::cboTags_Click() {
  cboFormats->clear();
  cAudioConverter1->EnumAcmFormats(cboTags->currentIndex() < 0 ? QString() : cboTags->currentText());
  if (cboFormats->count() >= 1) cboFormats->setCurrentIndex(0);
}

void g_frmACMConverter::cboBestAccordItem_Click() {
  cboTags->clear();
  cboFormats->clear();
  long flags = 0;
  if (cboBestAccordItem->currentText() != kAllCodecs) {
    cAudioConverter1->OpenSource(cboBestAccordItem->currentText());
    flags = ACM_FORMATENUMF_CONVERT;
  }
  cAudioConverter1->EnumAcmTags(kPlainPcm, cAudioConverter1->SampleRate(), cAudioConverter1->Channels(),
                                cAudioConverter1->BitsPerSample(), flags);
  choosePcm();
}

void g_frmACMConverter::SetDestination() {
  cAudioConverter1->SetDestinationFormat(kAcmWav);
  const QString tag = cboTags->currentIndex() < 0 ? QString() : cboTags->currentText();
  const QString format = cboFormats->currentIndex() < 0 ? QString() : cboFormats->currentText();
  cAudioConverter1->SetAcmFormat(tag, format);
  Log("Destination format: ACM WAV");
}

void g_frmACMConverter::ItemLoopEnded() {
  SetCaption(AppTitle());
  lblTimeLeft->setText("Time Left: 00:00:00");
}

void g_frmACMConverter::cAudioConverter1_Aborted() {
  SetButtonsEnabled(true);
  Log("Aborted.");
  lblCurrentTrack->setText("Aborted.");
}
