// The ACM converter: the converter's run into compressed WAV files, with the
// codec tag and format picked in the window from what the conversion control
// offers for a chosen source. It writes no tags.
#pragma once
#include "tools/convert/g_frmConverter.h"

class QComboBox;
class QLabel;

class g_frmACMConverter : public g_frmConverter {
  Q_OBJECT
 public:
  g_frmACMConverter();

  void cboBestAccordItem_Click();
  void cboTags_Click();
  void cAudioConverter1_AcmTagFound(const QString& name);
  void cAudioConverter1_AcmFormatFound(const QString& name);
  void SetDestination() override;
  void cAudioConverter1_Aborted() override;

  QLabel* Label1;
  QComboBox* cboBestAccordItem;
  QLabel* lblTag;
  QComboBox* cboTags;
  QLabel* lblFormat;
  QComboBox* cboFormats;

 protected:
  void LoadOwnControls() override;
  void ApplyTags(const TagSet&) override {}
  QString DestExtension() const override { return "wav"; }
  QString RunCaption(const QString&) const override { return AppTitle(); }
  void ShowItemError(const QString&) override {}
  void ItemLoopEnded() override;

 private:
  // Chooses "PCM" when the tag list has entries, which lists its formats.
  void choosePcm();
};
