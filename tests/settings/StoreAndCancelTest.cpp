#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "SettingsFixture.h"
#include "core/mdlMain.h"
#include "core/mdlRunOnStart.h"
#include "mainwindow/frmMain.h"
#include "settings/FormControls.h"
#include "settings/frmOptions.h"
#include "settings/g_frmAudioProp.h"

using FormControls::ControlBackColor;
using FormControls::SetControlBackColor;

namespace {
const QStringList kGeneral = {
    "chkClearOnExit", "chkDisplayAudioGraph", "chkMenuXPStyle", "chkSelectTheLastItem", "chkAutoFreeDB",
    "chkDisplayPlayer", "chkDisplayGridHotTrack", "chkDisplayTitle", "chkDisplayGridLine", "picColor",
    "picTextColor", "cboDevices", "cboTargetFormat", "txtToPath", "cboFileName", "chkSaveLogWhenExit",
    "chkDisplayMSGWhenExit", "chkDisplayMSGWhenErase", "chkGoToNextItem", "chkDisplayLiveUpdateWindow",
    "chkAutoUpdate"};
const QStringList kEvents = {"chkOpenDestFolder", "chkTurnOffComputer", "chkPlaySound",
                             "txtPlayAtEnd",      "chkNoticeApp",       "txtAppNotice"};
const QStringList kTags = {"chkCopyID3FromSource", "txtTagArtist", "txtTagSong", "txtTagAlbum",
                           "txtTagGenre",          "txtTagTrack",  "txtTagYear", "txtTagComment"};

QStringList sorted(QStringList l) {
  l.sort();
  return l;
}

// Ticks every box the user sees and fills every field with something other
// than the defaults.
void editEverything(frmOptions& o, const QString& folder) {
  for (QCheckBox* box : o.findChildren<QCheckBox*>()) box->setChecked(box != o.chkCopyID3FromSource);
  SetControlBackColor(o.picColor, 255);
  SetControlBackColor(o.picTextColor, 65535);
  o.cboTargetFormat->setCurrentIndex(2);
  o.txtToPath->setEditText(folder);
  o.cboFileName->setCurrentIndex(3);
  ScriptedUi::get().dialogAnswers = {{"/usr/share/sounds/chord.wav"}};
  o.cmdAddSound_Click();
  o.txtAppNotice->setPlainText("notify-send \"[FILE_RECORDED]\"");
  o.txtTagArtist->setText("[PROG_NAME]");
  o.txtTagSong->setText("song");
  o.txtTagAlbum->setText("album");
  o.txtTagGenre->setText("genre");
  o.txtTagTrack->setText("[TRACK_NUM]");
  o.txtTagYear->setText("[YEAR]");
  o.txtTagComment->setPlainText("two\nlines");
}
}  // namespace

using StoreAndCancelTest = SettingsTest;

TEST_F(StoreAndCancelTest, OkStoresEveryValueUnderItsNameAndSectionAndReadsThemBack) {
  frmOptions& o = form<frmOptions>();
  const QString folder = TestEnv::FreshDir("lists") + "/";
  editEverything(o, folder);
  o.cmdOk_Click();

  EXPECT_EQ(sorted(Section("General").EnumRegistryValues(HKEY_LOCAL_MACHINE, Section("General").Path())),
            sorted(kGeneral));
  EXPECT_EQ(sorted(Section("Events").EnumRegistryValues(HKEY_LOCAL_MACHINE, Section("Events").Path())),
            sorted(kEvents));
  EXPECT_EQ(sorted(Section("ID3 Tags").EnumRegistryValues(HKEY_LOCAL_MACHINE, Section("ID3 Tags").Path())),
            sorted(kTags));
  for (const char* box : {"chkClearOnExit", "chkDisplayTitle", "chkAutoFreeDB", "chkAutoUpdate"})
    EXPECT_EQ(Read("General", box), "1") << box;
  EXPECT_EQ(Read("General", "picColor"), "255");
  EXPECT_EQ(Read("General", "picTextColor"), "65535");
  EXPECT_EQ(Read("General", "cboDevices"), "-1");
  EXPECT_EQ(Read("General", "cboTargetFormat"), "MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
  EXPECT_EQ(Read("General", "txtToPath"), folder);
  EXPECT_EQ(Read("General", "cboFileName"), "[file_name]_[123].[source_extension].[dest_extension]");
  EXPECT_EQ(Read("Events", "txtPlayAtEnd"), "/usr/share/sounds/chord.wav");
  EXPECT_EQ(Read("Events", "txtAppNotice"), "notify-send \"[FILE_RECORDED]\"");
  EXPECT_EQ(Read("ID3 Tags", "chkCopyID3FromSource"), "0");
  EXPECT_EQ(Read("ID3 Tags", "txtTagTrack"), "[TRACK_NUM]");
  EXPECT_EQ(Read("ID3 Tags", "txtTagComment"), "two\nlines");
  EXPECT_TRUE(mdlRunOnStart::IsRunOnStartup());

  // The process-wide values now hold what was stored.
  EXPECT_TRUE(g_bDisplayTitle && g_bClearOnExit && g_bPlaySound && g_bNoticeApp && g_bTurnOffComputer);
  EXPECT_FALSE(g_bCopyID3FromSource);
  EXPECT_EQ(g_lTitleBackColor, 255);
  EXPECT_EQ(g_lTitleForeColor, 65535);
  EXPECT_EQ(g_sDefaultTargetFormat, "MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
  EXPECT_EQ(g_sItemsListFolder, folder);
  EXPECT_EQ(g_sPlayAtEndFile, "/usr/share/sounds/chord.wav");
  EXPECT_EQ(g_sTagArtist, "[PROG_NAME]");
  EXPECT_EQ(g_sTagComment, "two\nlines");
  EXPECT_NE(loadedForm<frmOptions>(), nullptr);
  EXPECT_FALSE(o.isVisible());
}

TEST_F(StoreAndCancelTest, CancelPutsEveryControlBackToTheStoredState) {
  Store("General", "chkDisplayTitle", "1");
  Store("General", "picColor", "128");
  Store("ID3 Tags", "txtTagArtist", "artist");
  Store("General", "cboTargetFormat", "WAV - Waveform Audio Format (*.wav)");
  frmOptions& o = form<frmOptions>();
  editEverything(o, "/elsewhere/");
  o.chkDisplayTitle->setChecked(false);
  o.cmdCancel_Click();
  EXPECT_TRUE(o.chkDisplayTitle->isChecked());
  EXPECT_FALSE(o.chkPlaySound->isChecked());
  EXPECT_TRUE(o.chkCopyID3FromSource->isChecked());
  EXPECT_EQ(ControlBackColor(o.picColor), 128);
  EXPECT_EQ(ControlBackColor(o.picTitle), 128);  // the window's own title strip too
  EXPECT_EQ(o.txtTagArtist->text(), "artist");
  EXPECT_EQ(o.txtPlayAtEnd->toPlainText(), "notify.wav");
  EXPECT_EQ(o.txtToPath->currentText(), ProgramFolder() + "/Main/");
  EXPECT_EQ(o.cboTargetFormat->currentIndex(), 0);
  EXPECT_EQ(g_sItemsListFolder, ProgramFolder() + "/Main/");
  EXPECT_FALSE(Has("Events", "txtPlayAtEnd"));
  EXPECT_FALSE(o.isVisible());
}

TEST_F(StoreAndCancelTest, TheCloseBoxHidesAndKeepsTheEditsForTheNextShowing) {
  frmOptions& o = form<frmOptions>();
  o.Show();
  o.txtTagSong->setText("unsaved");
  o.close();
  EXPECT_EQ(loadedForm<frmOptions>(), &o);
  EXPECT_FALSE(o.isVisible());
  EXPECT_EQ(o.txtTagSong->text(), "unsaved");
  EXPECT_EQ(g_sTagSong, "");
  EXPECT_FALSE(Has("ID3 Tags", "txtTagSong"));
}

TEST_F(StoreAndCancelTest, BothLongLivedWindowsCloseOnlyWhileTheProgramExits) {
  form<frmOptions>();
  form<g_frmAudioProp>();
  EXPECT_FALSE(unloadForm<frmOptions>());
  EXPECT_FALSE(unloadForm<g_frmAudioProp>());
  loadedForm<g_frmAudioProp>()->cmdExit_Click();
  EXPECT_NE(loadedForm<g_frmAudioProp>(), nullptr);
  g_bExiting = true;
  EXPECT_TRUE(unloadForm<frmOptions>());
  EXPECT_TRUE(unloadForm<g_frmAudioProp>());
  g_bExiting = false;
  EXPECT_EQ(loadedForm<frmOptions>(), nullptr);
  EXPECT_EQ(loadedForm<g_frmAudioProp>(), nullptr);
}

TEST_F(StoreAndCancelTest, AnyClosingStopsTheTestSound) {
  frmOptions& o = form<frmOptions>();
  o.chkPlaySound->setChecked(true);
  o.cmdTestSound->click();
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_EQ(sounds[0], ProgramFolder() + "/sound/notify.wav");
  o.cmdCancel_Click();
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_EQ(sounds[1], "");  // an empty path stops the sound
  o.close();
  EXPECT_EQ(sounds.size(), 3u);
}

TEST_F(StoreAndCancelTest, OkAppliesTheViewToTheMainWindowAndANewFolderRebuildsItsTree) {
  ASSERT_TRUE(mdlMain::StartUp());
  frmMain* main = loadedForm<frmMain>();
  frmOptions& o = *loadedForm<frmOptions>();
  o.chkDisplayGridLine->setChecked(false);
  o.chkDisplayGridHotTrack->setChecked(true);
  o.chkDisplayTitle->setChecked(true);
  const QString folder = TestEnv::FreshDir("other lists");
  o.txtToPath->setEditText(folder);  // typed without its closing "/"
  o.cmdOk_Click();
  EXPECT_FALSE(main->cGrid1->GridLines());
  EXPECT_TRUE(main->cGrid1->HotTrack());
  EXPECT_TRUE(main->picTitle->isVisibleTo(main));
  EXPECT_EQ(Read("General", "txtToPath"), folder);
  ASSERT_NE(g_oItemsListsNode, nullptr);
  EXPECT_EQ(g_oItemsListsNode->Key(), "##MAINITEMS" + folder + "/");
  cTreeNode* second = main->cTreeView1->Nodes().Item(2);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->Selected());
  EXPECT_TRUE(second->Key().startsWith(folder + "/"));
}

TEST_F(StoreAndCancelTest, AnEmptiedFolderBoxRebuildsTheTreeFromTheDefaultFolder) {
  Store("General", "txtToPath", TestEnv::FreshDir("first") + "/");
  ASSERT_TRUE(mdlMain::StartUp());
  frmOptions& o = *loadedForm<frmOptions>();
  o.txtToPath->setEditText("");
  o.cmdOk_Click();
  EXPECT_EQ(g_sItemsListFolder, ProgramFolder() + "/Main/");
  ASSERT_NE(g_oItemsListsNode, nullptr);
  EXPECT_EQ(g_oItemsListsNode->Key(), "##MAINITEMS" + ProgramFolder() + "/Main/");
}

TEST_F(StoreAndCancelTest, SetAsDefaultStoresChoosesAndSetsTheValueAtOnce) {
  frmOptions& o = form<frmOptions>();
  o.SetDefaultTargetFormat("OGG - Ogg Media Format (*.ogg)");
  o.SetDefaultFileNameFormat("[123].[dest_extension]");
  EXPECT_EQ(Read("General", "cboTargetFormat"), "OGG - Ogg Media Format (*.ogg)");
  EXPECT_EQ(o.cboTargetFormat->currentIndex(), 4);
  EXPECT_EQ(g_sDefaultTargetFormat, "OGG - Ogg Media Format (*.ogg)");
  EXPECT_EQ(Read("General", "cboFileName"), "[123].[dest_extension]");
  EXPECT_EQ(o.cboFileName->currentText(), "[123].[dest_extension]");
  EXPECT_EQ(g_sDefaultFileNameFormat, "[123].[dest_extension]");
  o.cmdCancel_Click();  // already stored: a Cancel keeps them
  EXPECT_EQ(g_sDefaultTargetFormat, "OGG - Ogg Media Format (*.ogg)");
}
