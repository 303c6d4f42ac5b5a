// The main window with a generated disc image as its last drive, the drive
// opened, and the ripper opened through the main window's command and driven
// while it is shown modally, as a user drives it.
#pragma once
#include <QComboBox>
#include <QLabel>
#include <cstring>

#include "DiscImage.h"
#include "platform/XP_ProgressBar.h"
#include "platform/cd/cAudioCDRipper.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "tests/taskframe/TaskFixture.h"
#include "tools/disc/g_frmCDRipper.h"

class RipperTest : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    g_sDefaultFileNameFormat = "[file_name].[dest_extension]";
    g_lWavSampleRate = 44100, g_lWavChannelsIndex = 1, g_lWavBits = 16;
  }

  // Writes the image, lists it as the last drive and opens that drive.
  void UseDisc(const std::vector<DiscImage::Track>& tracks, const QString& name = "disc") {
    image = OpenDiscImage(tracks, name);
    drive = g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count());
    ASSERT_EQ(main->cGrid1->Rows(), long(tracks.size()));
  }
  // The three-track disc: different tones, the third with a pregap of one
  // second (which the second track carries).
  void UseThreeTracks() { UseDisc({{2, 440}, {1.6, 660}, {1, 880, 1}}); }

  // Opens the ripper over the open drive and runs the steps while it is
  // shown; the window is closed afterwards when the steps left it open.
  void WithRipper(const std::function<void(g_frmCDRipper&)>& steps) {
    WithTask<g_frmCDRipper>("Audio CD Ripper", steps);
  }
  // Files named after the rows' item names.
  void UseItemNameTemplate() {
    QFile formats(ProgramFolder() + "/FileNameFormats.txt");
    ASSERT_TRUE(formats.open(QIODevice::WriteOnly));
    formats.write("[item_name].[dest_extension]\n[123].[dest_extension]\n");
    g_sDefaultFileNameFormat = "[item_name].[dest_extension]";
  }
  static void SelectFormat(g_frmCDRipper& w, const char* listText) {
    ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, listText));
  }
  // Presses Rip and waits for the run to end.
  static void Rip(g_frmCDRipper& w) {
    w.cmdConvert->click();
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 120000));
  }
  static void TickEndActions(TaskWindow& w) {
    for (QCheckBox* box : {w.chkPlaySound, w.chkTurnOffComputer}) box->setChecked(true);
  }
  // The image's samples of a track, from its INDEX 01 to the next one's.
  std::vector<int16_t> TrackSamples(int track) const { return Samples(image.TrackBytes(track)); }
  static std::vector<int16_t> Samples(const QByteArray& bytes) {
    std::vector<int16_t> s(size_t(bytes.size()) / 2);
    std::memcpy(s.data(), bytes.constData(), s.size() * 2);
    return s;
  }

  DiscImage::Image image;
  cTreeNode* drive = nullptr;
};
