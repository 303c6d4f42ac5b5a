#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "SettingsFixture.h"
#include "core/mdlFunctions.h"
#include "core/mdlMain.h"
#include "mainwindow/frmMain.h"
#include "platform/audio/cAudioGraph.h"
#include "platform/cTabControl.h"
#include "platform/cTreeView.h"
#include "settings/FormControls.h"
#include "settings/frmOptions.h"
#include "settings/g_frmAudioProp.h"
#include "settings/g_frmProgParameters.h"

using FormControls::ControlBackColor;

using OptionsWindowTest = SettingsTest;

namespace {
std::vector<QWidget*> pages(frmOptions& o) {
  return {o.froGeneral, o.froEvents, o.froView, o.froTags, o.froAdvanced};
}
QWidget* shownPage(frmOptions& o) {
  QWidget* shown = nullptr;
  for (QWidget* p : pages(o))
    if (p->isVisibleTo(&o)) {
      EXPECT_EQ(shown, nullptr) << "two pages shown";
      shown = p;
    }
  return shown;
}
}  // namespace

TEST_F(OptionsWindowTest, ThePagesShareOneRectangleAndTheTreeSwitchesThem) {
  frmOptions& o = form<frmOptions>();
  for (QWidget* p : pages(o)) EXPECT_EQ(p->geometry(), QRect(px(2495), px(600), px(5895), px(4455)));
  EXPECT_EQ(shownPage(o), o.froGeneral);
  EXPECT_EQ(o.lblTitle->text(), "General");
  const std::pair<const char*, QWidget*> nodes[] = {
      {"Events", o.froEvents}, {"View", o.froView}, {"ID3 Tags", o.froTags}, {"Advanced", o.froAdvanced}};
  for (auto [key, page] : nodes) {
    o.cTreeView1_NodeClick(o.cTreeView1->Nodes().Item(QString(key)));
    EXPECT_EQ(shownPage(o), page) << key;
    EXPECT_TRUE(o.cTreeView1->Nodes().Item(QString(key))->Selected());
  }
  o.cTreeView1_NodeClick(o.cTreeView1->Nodes().Item("ID3 Tags"));
  EXPECT_EQ(o.lblTitle->text(), "Default ID3 Tags");
  cTreeNode* stray = o.cTreeView1->Nodes().Add(nullptr, 2, "Nothing", "Nothing");
  o.cTreeView1_NodeClick(stray);
  EXPECT_EQ(shownPage(o), nullptr);
  EXPECT_EQ(o.lblTitle->text(), "Nothing");
  o.lblMoreAdvancedOptions_Click();
  EXPECT_EQ(shownPage(o), o.froAdvanced);
}

TEST_F(OptionsWindowTest, OpensModallyAtTheCallersPage) {
  frmOptions& o = form<frmOptions>();
  o.cTreeView1_NodeClick(o.cTreeView1->Nodes().Item("View"));
  bool seen = false;
  WhenModal([&] {
    seen = o.isVisible() && o.IsModalShown();
    EXPECT_EQ(shownPage(o), o.froEvents);
    EXPECT_EQ(o.lblTitle->text(), "Events");
    o.cmdCancel->click();
  });
  o.ShowAtPage("Events");
  EXPECT_TRUE(seen);
  EXPECT_FALSE(o.isVisible());
}

TEST_F(OptionsWindowTest, DependentFieldsFollowTheirBoxes) {
  frmOptions& o = form<frmOptions>();
  struct Rule {
    QCheckBox* box;
    int value;
    std::vector<QWidget*> fields;
    bool enabled;
  };
  const std::vector<QWidget*> tagFields = {o.lblTagArtist, o.txtTagArtist, o.lblTagSong,  o.txtTagSong,
                                           o.lblTagAlbum,  o.txtTagAlbum,  o.lblTagGenre, o.lblTagTrack,
                                           o.txtTagGenre,  o.txtTagTrack,  o.lblTagYear,  o.txtTagYear,
                                           o.lblTagComment, o.txtTagComment};
  const std::vector<QWidget*> appFields = {o.txtAppNotice, o.cmdTestApp};
  const std::vector<QWidget*> soundFields = {o.txtPlayAtEnd, o.cmdAddSound, o.cmdTestSound};
  const Rule rules[] = {
      {o.chkCopyID3FromSource, 1, tagFields, false}, {o.chkCopyID3FromSource, 0, tagFields, true},
      {o.chkCopyID3FromSource, 2, tagFields, true},  {o.chkNoticeApp, 1, appFields, true},
      {o.chkNoticeApp, 0, appFields, false},         {o.chkNoticeApp, 2, appFields, false},
      {o.chkPlaySound, 1, soundFields, true},        {o.chkPlaySound, 0, soundFields, false},
      {o.chkPlaySound, 2, soundFields, false},
  };
  for (const Rule& r : rules) {
    FormControls::SetCheckValue(r.box, r.value);
    for (QWidget* w : r.fields)
      EXPECT_EQ(w->isEnabled(), r.enabled) << r.box->objectName().toStdString() << "=" << r.value;
  }
  // Loading the stored state moves the fields as well.
  o.chkCopyID3FromSource->setChecked(false);
  o.cmdCancel_Click();  // nothing stored: the box is ticked again
  EXPECT_FALSE(o.txtTagArtist->isEnabled());
}

TEST_F(OptionsWindowTest, TheFreeDbBoxIsShownOnlyWithTheRipper) {
  lAppIncCDRipper = 0;
  Store("General", "chkAutoFreeDB", "1");
  frmOptions& o = form<frmOptions>();
  EXPECT_FALSE(o.chkAutoFreeDB->isVisibleTo(o.froGeneral));
  EXPECT_TRUE(g_bAutoFreeDB);  // still read
  lAppIncCDRipper = 1;
}

TEST_F(OptionsWindowTest, TheSoundButtonTakesTheFirstPickedFile) {
  frmOptions& o = form<frmOptions>();
  auto& ui = ScriptedUi::get();
  ui.dialogAnswers = {{"/media/a/chord.wav", "/media/a/ding.wav"}, {"/root.wav"}};
  o.cmdAddSound_Click();
  EXPECT_EQ(o.txtPlayAtEnd->property("Tag").toString(), "/media/a/chord.wav");
  EXPECT_EQ(o.txtPlayAtEnd->toPlainText(), "chord.wav");
  EXPECT_EQ(o.txtPlayAtEnd->toolTip(), "/media/a/chord.wav");
  EXPECT_EQ(ui.dialogs[0].title, "Select files");
  const QStringList filters = ui.dialogs[0].filter.split(";;");
  ASSERT_EQ(filters.size(), 3);
  EXPECT_TRUE(filters[0].startsWith("media files (*.wav ") && filters[0].contains("*.mp3"));
  EXPECT_EQ(filters[1], "mp3 (*.mp3)");
  o.cmdAddSound_Click();
  EXPECT_EQ(o.txtPlayAtEnd->property("Tag").toString(), "/root.wav");
  o.cmdAddSound_Click();  // cancelled: nothing changes
  EXPECT_EQ(o.txtPlayAtEnd->property("Tag").toString(), "/root.wav");
  EXPECT_EQ(g_sPlayAtEndFile, ProgramFolder() + "/sound/notify.wav");  // only OK stores it
}

TEST_F(OptionsWindowTest, AnUnplayableSoundStillAnswersTheTest) {
  soundPlays = false;
  frmOptions& o = form<frmOptions>();
  o.cmdTestSound_Click();  // falls back on the system's beep; nothing else to see
  ASSERT_EQ(sounds.size(), 1u);
}

TEST_F(OptionsWindowTest, TheCommandTestStartsTheLineAsTypedWithoutAShell) {
  frmOptions& o = form<frmOptions>();
  auto& ui = ScriptedUi::get();
  o.txtAppNotice->setPlainText("\"/opt/my tools/notify\" --file \"[FILE_CREATED]\" ; rm -rf x");
  o.cmdTestApp_Click();
  ASSERT_EQ(ui.shellCalls.size(), 1u);
  EXPECT_EQ(ui.shellCalls[0].kind, ShellCall::Run);
  EXPECT_EQ(ui.shellCalls[0].target, "/opt/my tools/notify");
  EXPECT_EQ(ui.shellCalls[0].args, QStringList({"--file", "[FILE_CREATED]", ";", "rm", "-rf", "x"}));
  EXPECT_TRUE(ui.shellCalls[0].minimised);
  o.txtAppNotice->setPlainText("   ");
  o.cmdTestApp_Click();
  EXPECT_EQ(ui.shellCalls.size(), 1u);
}

TEST_F(OptionsWindowTest, ThePickedFolderEndsWithASlashAndLeadsTheHistory) {
  frmOptions& o = form<frmOptions>();
  auto& ui = ScriptedUi::get();
  const QString lists = TestEnv::FreshDir("picked");
  ui.dialogAnswers = {{lists}, {"/"}};
  o.cmdSelectPath_Click();
  EXPECT_EQ(ui.dialogs[0].kind, DialogCall::Folder);
  EXPECT_EQ(ui.dialogs[0].title, "Select a new directory");
  EXPECT_EQ(o.txtToPath->currentText(), lists + "/");
  EXPECT_TRUE(mdlFunctions::ReadTextFile(mdlFunctions::PathHistoryFile()).startsWith(lists + "/\r\n"));
  o.cmdSelectPath_Click();
  EXPECT_EQ(o.txtToPath->currentText(), "/");
  o.cmdSelectPath_Click();  // cancelled
  EXPECT_EQ(o.txtToPath->currentText(), "/");
}

TEST_F(OptionsWindowTest, OpeningAMissingFolderOffersToCreateIt) {
  frmOptions& o = form<frmOptions>();
  auto& ui = ScriptedUi::get();
  const QString folder = TestEnv::Home() + "/New";
  QDir(folder).removeRecursively();
  o.txtToPath->setEditText(folder);
  ui.answers = {vbNo};
  o.lblOpenDestinationDestinationFolder_Click();
  EXPECT_EQ(o.txtToPath->currentText(), folder + "/");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].prompt, "The folder " + folder + "/ does not exist." + QString(44, ' ') +
                                    "\r\n\r\nWould you like to create it?");
  EXPECT_EQ(ui.shown[0].buttons, vbInformation + vbYesNo);
  EXPECT_EQ(ui.shown[0].title, "Tessory 3.1");
  EXPECT_FALSE(QDir(folder).exists());
  EXPECT_TRUE(ui.shellCalls.empty());

  ui.answers = {vbYes};
  o.lblOpenDestinationDestinationFolder_Click();
  EXPECT_TRUE(QDir(folder).exists());
  EXPECT_TRUE(mdlFunctions::ReadTextFile(mdlFunctions::PathHistoryFile()).startsWith(folder + "/\r\n"));
  ASSERT_EQ(ui.shellCalls.size(), 1u);
  EXPECT_EQ(ui.shellCalls[0].target, folder + "/");
  // An existing folder opens at once.
  o.lblOpenDestinationDestinationFolder_Click();
  EXPECT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shellCalls.size(), 2u);
}

TEST_F(OptionsWindowTest, AFolderThatCannotBeCreatedIsReportedAndStillOpened) {
  frmOptions& o = form<frmOptions>();
  auto& ui = ScriptedUi::get();
  const QString file = TestEnv::FreshDir("blocked") + "/file";
  mdlFunctions::WriteTextFile("x", file);
  o.txtToPath->setEditText(file + "/sub/");
  ui.answers = {vbYes, vbOK};
  o.lblOpenDestinationDestinationFolder_Click();
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shown[1].prompt, "The path: " + file + "/sub/ cannot be created.");
  EXPECT_EQ(ui.shown[1].buttons, vbOKOnly);
  EXPECT_EQ(ui.shellCalls.size(), 1u);
}

TEST_F(OptionsWindowTest, PickedColoursRecolourAtOnceAndKeepACopyThatCancelDoesNotUndo) {
  ASSERT_TRUE(mdlMain::StartUp());
  frmOptions& o = *loadedForm<frmOptions>();
  frmMain* main = loadedForm<frmMain>();
  auto& ui = ScriptedUi::get();
  const long stored = g_lTitleBackColor;
  ASSERT_NE(stored, 255);
  ui.dialogAnswers = {{"255"}, {"65280"}};
  o.picColor_Click();
  o.picTextColor_Click();
  EXPECT_EQ(ui.dialogs[0].kind, DialogCall::Color);
  EXPECT_EQ(ControlBackColor(o.picColor), 255);
  EXPECT_EQ(ControlBackColor(o.picTitle), 255);
  EXPECT_EQ(ControlBackColor(o.picTextColor), 65280);
  EXPECT_EQ(NumberFromColor(o.lblTitle->palette().color(QPalette::WindowText)), 65280);
  EXPECT_EQ(Read("Display", "picColor"), "255");
  EXPECT_EQ(Read("Display", "picTextColor"), "65280");
  EXPECT_EQ(ControlBackColor(main->picTitle), 255);
  EXPECT_TRUE(main->lblTitle->styleSheet().contains("#00ff00"));
  for (cAudioGraph* g : {main->cAudioGraphAmp, main->cAudioGraphFreq}) {
    EXPECT_EQ(g->GraphBackColor(), 255);
    EXPECT_EQ(g->GraphForeColor(), 65280);
  }
  EXPECT_EQ(g_lTitleBackColor, stored);  // only OK stores the option

  o.cmdCancel_Click();
  EXPECT_EQ(ControlBackColor(o.picColor), stored);
  EXPECT_EQ(ControlBackColor(o.picTitle), stored);
  EXPECT_EQ(Read("Display", "picColor"), "255");
  EXPECT_EQ(ControlBackColor(main->picTitle), 255);
  EXPECT_EQ(main->cAudioGraphAmp->GraphBackColor(), 255);
  ui.dialogAnswers = {};
  o.picColor_Click();  // cancelled
  EXPECT_EQ(ControlBackColor(o.picColor), stored);
}

TEST_F(OptionsWindowTest, TheLinksOpenTheLegendAtTheirSection) {
  frmOptions& o = form<frmOptions>();
  const std::pair<void (frmOptions::*)(), int> links[] = {{&frmOptions::lblNoticParameters_Click, 0},
                                                          {&frmOptions::lblID3TagParameters_Click, 1},
                                                          {&frmOptions::lblParameters_Click, 2}};
  for (auto [link, section] : links) {
    int shown = -1;
    WhenModal([&] {
      g_frmProgParameters* legend = loadedForm<g_frmProgParameters>();
      ASSERT_NE(legend, nullptr);
      shown = legend->cboSections->currentIndex();
      legend->cmdOk->click();
    });
    (o.*link)();
    EXPECT_EQ(shown, section);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(loadedForm<g_frmProgParameters>(), nullptr);
  }
}

TEST_F(OptionsWindowTest, EditOpensTheFormatWindowAtTheDefaultFormat) {
  frmOptions& o = form<frmOptions>();
  g_frmAudioProp& p = form<g_frmAudioProp>();
  o.cboTargetFormat->setCurrentIndex(2);  // MP3
  QString key;
  WhenModal([&] {
    key = p.cTabControl1->SelectedTabKey();
    EXPECT_TRUE(p.froToMP3->isVisibleTo(&p));
    EXPECT_FALSE(p.froToWAV->isVisibleTo(&p));
    p.cmdExit->click();
  });
  o.cmdEditTargetFormat_Click();
  EXPECT_EQ(key, "MP3");
  EXPECT_EQ(o.cboTargetFormat->currentIndex(), 2);
}
