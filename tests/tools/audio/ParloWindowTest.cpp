// The text-to-speech window (its tool switch turned on): speech with words
// marked as heard, renderings converted into each output format, "Add to
// Items List", and renderings that fail adding nothing.
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>

#include "AudioToolsFixture.h"
#include "core/mdlModes.h"
#include "core/mdlSupportedDestination.h"
#include "platform/UserSettings.h"
#include "platform/speech/cParlo.h"
#include "settings/g_frmAudioProp.h"
#include "settings/frmOptions.h"
#include "platform/cTabControl.h"
#include "tools/audio/g_frmParlo.h"
#include "tools/convert/g_frmAudioEditorProc.h"

class ParloWindowTest : public AudioToolsTest {
 protected:
  void SetUp() override {
    AudioToolsTest::SetUp();
    // The product keeps the speech window out of its menus; these tests build
    // the main window with it switched on.
    lAppIncTTS = 1;
    unloadForm<frmMain>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    main = &form<frmMain>();
    main->Show();
    dir = TestEnv::FreshDir("speech");
  }
  void TearDown() override {
    mdlModes::InitAppMode();
    AudioToolsTest::TearDown();
  }
  // Opens the window from the main window and runs the action in it.
  void InWindow(std::function<void(g_frmParlo&)> action) {
    WhenShown<g_frmParlo>([action](g_frmParlo& w) {
      action(w);
      if (loadedForm<g_frmParlo>()) w.Unload();
    });
    main->RunCommand("Text To Speech");
  }
  QString dir;
};

TEST_F(ParloWindowTest, SaveAsRendersAndConvertsIntoEachFormat) {
  const QStringList codecs = {"pcm_s16le", "", "mp3", "wmav2", "vorbis", "ape"};
  QStringList filters;
  InWindow([&](g_frmParlo& w) {
    EXPECT_EQ(w.cboFormats->currentText(), "SAFT22kHz16BitMono");
    EXPECT_EQ(w.txtSpeak->toPlainText(), "This sample shows you how to use the 'Text To Speech'.");
    ASSERT_EQ(w.cboTargetFormat->count(), 6);
    for (int i = 0; i < 6; ++i) {
      w.cboTargetFormat->setCurrentIndex(i);
      const QString ext = w.cboTargetFormat->currentText().left(3).toLower();
      const QString out = dir + "/speech." + ext;
      ScriptedUi::get().dialogAnswers.push_back({out});
      QTest::mouseClick(w.cmdSaveAs, Qt::LeftButton);
      filters << ScriptedUi::get().dialogs.back().filter;
      SCOPED_TRACE(out.toStdString());
      EXPECT_EQ(g_frmAudioEditorProc::LastOutcome(), g_frmAudioEditorProc::Done);
      const AudioFixtures::Probe probe = AudioFixtures::ProbeFile(out);
      if (!codecs[i].isEmpty()) EXPECT_EQ(probe.codec, codecs[i]);
      ASSERT_GT(probe.sampleRate, 0);
      const double seconds = double(AudioFixtures::DecodePcm(out).size()) / probe.sampleRate / probe.channels;
      EXPECT_GT(seconds, 1.5);
      EXPECT_LT(seconds, 8.0);
    }
  });
  EXPECT_EQ(filters.value(1), "Audio Files (*.acm)");
  EXPECT_EQ(filters.value(2), "Audio Files (*.mp3)");
}

TEST_F(ParloWindowTest, AddPutsTheSpeechIntoTheProgramFolderAndTheOpenList) {
  InWindow([&](g_frmParlo& w) {
    w.cboTargetFormat->setCurrentText(mdlSupportedDestination::FormatText(fmtOGG));
    QTest::mouseClick(w.cmdAdd, Qt::LeftButton);
  });
  ASSERT_EQ(main->cGrid1->Rows(), 1);
  const QString added = Column(1, "COL_FILE");
  EXPECT_TRUE(added.startsWith(ProgramFolder() + "/TTS_")) << added.toStdString();
  EXPECT_TRUE(added.endsWith(".ogg"));
  EXPECT_EQ(AudioFixtures::ProbeFile(added).codec, "vorbis");
  EXPECT_TRUE(ListFixtures::FileBytes(ListPath()).contains(QFileInfo(added).fileName().toUtf8()));
}

TEST_F(ParloWindowTest, AFailedRenderingNeverConvertsOrAddsThePreviousSpeech) {
  // The speech of an earlier rendering is still there.
  AudioFixtures::WriteWav(g_frmParlo::TempSpeechFile(), 22050, 1, 16, 2.0);
  const QByteArray listBefore = ListFixtures::FileBytes(ListPath());
  bool stillOpen = false;
  bool converterShown = false;
  WhenShown<g_frmAudioEditorProc>([&](g_frmAudioEditorProc& p) {
    converterShown = true;
    p.Unload();
  });
  InWindow([&](g_frmParlo& w) {
    ScriptedUi::get().answers = {vbYes};
    QTest::mouseClick(w.lblClearText, Qt::LeftButton);
    EXPECT_TRUE(w.txtSpeak->toPlainText().isEmpty());
    EXPECT_FALSE(w.lblClearText->isEnabled());
    QTest::mouseClick(w.cmdAdd, Qt::LeftButton);
    stillOpen = loadedForm<g_frmParlo>() != nullptr;
    ScriptedUi::get().dialogAnswers.push_back({dir + "/nothing.mp3"});
    QTest::mouseClick(w.cmdSaveAs, Qt::LeftButton);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_FALSE(converterShown);
  EXPECT_FALSE(QFile::exists(g_frmParlo::TempSpeechFile()));
  EXPECT_FALSE(QFile::exists(dir + "/nothing.mp3"));
  EXPECT_EQ(main->cGrid1->Rows(), 0);
  EXPECT_EQ(ListFixtures::FileBytes(ListPath()), listBefore);
}

TEST_F(ParloWindowTest, AddWritesNoListWhileNoItemsListIsOpen) {
  g_oItemsListsNode->SetSelected(true);
  main->cTreeView1_NodeClick(g_oItemsListsNode);
  InWindow([&](g_frmParlo& w) { QTest::mouseClick(w.cmdAdd, Qt::LeftButton); });
  EXPECT_EQ(main->cGrid1->Rows(), 0);
  EXPECT_NE(g_frmAudioEditorProc::LastOutcome(), g_frmAudioEditorProc::Running);
  EXPECT_TRUE(QDir(ProgramFolder()).entryList({"TTS_*"}).isEmpty());
}

TEST_F(ParloWindowTest, SayItMarksEachWordAsItIsHeardAndTheChoicesAreKept) {
  QStringList marked;
  QString atEnd;
  InWindow([&](g_frmParlo& w) {
    w.txtSpeak->setPlainText("Grüße <one> two");
    w.sldRate->SetValue(10);
    EXPECT_EQ(w.lblRateVal->text(), "10");
    QObject::connect(w.cParlo1, &cParlo::WordBoundary, &w, [&] { marked << w.txtSpeak->textCursor().selectedText(); });
    QTest::mouseClick(w.cmdSay, Qt::LeftButton);
    ASSERT_TRUE(w.cParlo1->IsSpeaking());
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return !w.cParlo1->IsSpeaking(); }, 15000));
    atEnd = w.txtSpeak->textCursor().selectedText();
    w.cboFormats->setCurrentText("SAFT8kHz8BitMono");
  });
  EXPECT_EQ(marked.value(0), QString::fromUtf8("Grüße"));
  EXPECT_EQ(marked.last(), "two");
  EXPECT_EQ(atEnd, QString::fromUtf8("Grüße <one> two"));
  EXPECT_EQ(GetSetting(g_sAppName, "TTS", "Format"), "SAFT8kHz8BitMono");
  InWindow([&](g_frmParlo& w) { EXPECT_EQ(w.cboFormats->currentText(), "SAFT8kHz8BitMono"); });
}

TEST_F(ParloWindowTest, EditOpensTheTargetFormatsPageAndTakesBackTheDefault) {
  QString page;
  WhenShown<g_frmAudioProp>([&](g_frmAudioProp& p) {
    page = p.cTabControl1->SelectedTabKey();
    p.Hide();
  });
  InWindow([&](g_frmParlo& w) {
    w.cboTargetFormat->setCurrentText(mdlSupportedDestination::FormatText(fmtWMA));
    QTest::mouseClick(w.cmdEditTargetFormat, Qt::LeftButton);
    EXPECT_EQ(w.cboTargetFormat->currentIndex(), form<frmOptions>().cboTargetFormat->currentIndex());
  });
  EXPECT_EQ(page, "WMA");
}
