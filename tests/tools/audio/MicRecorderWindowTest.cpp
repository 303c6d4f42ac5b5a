// The recorder window on SDL's disk driver: recordings in the format the
// lists hold when Record is pressed, the 30-second clock, Add during a
// recording, and playback of the recorded file.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "AudioToolsFixture.h"
#include "core/TitleColors.h"
#include "core/mdlModes.h"
#include "platform/Form.h"
#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cWave.h"
#include "tools/audio/g_frmMicRecorder.h"

class MicRecorderWindowTest : public AudioToolsTest {
 protected:
  void SetUp() override {
    AudioToolsTest::SetUp();
    dir = TestEnv::FreshDir("recorder");
  }
  void TearDown() override {
    unloadForm<g_frmMicRecorder>();
    disk.reset();
    AudioToolsTest::TearDown();
  }
  g_frmMicRecorder& Open(const QByteArray& input) {
    disk = std::make_unique<AudioFixtures::DiskAudio>(dir, input);
    g_frmMicRecorder& w = form<g_frmMicRecorder>();
    w.txtAudioFile->setText(dir + "/rec.wav");
    return w;
  }
  static void tick(g_frmMicRecorder& w, int times) {
    for (int i = 0; i < times; ++i) emit w.tmrRec->Tick();
  }
  // Waits until the file holds more than the input (SDL then delivers silence).
  bool grownPast(const QByteArray& input) {
    return TestEnv::WaitUntil([&] { return QFileInfo(dir + "/rec.wav").size() > 44 + input.size() + 16384; }, 20000);
  }
  // The default file, the "..." question, the messages and playback.
  void Exercise(g_frmMicRecorder& w);
  QString dir;
  std::unique_ptr<AudioFixtures::DiskAudio> disk;
};

TEST_F(MicRecorderWindowTest, RecordsInTheFormatTheListsHoldWhenRecordIsPressed) {
  struct Case {
    const char *bits, *rate, *channels;
    int b, r, c;
  } cases[] = {{"8", "8000", "Mono", 8, 8000, 1}, {"16", "44100", "Stereo", 16, 44100, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    const QByteArray input = AudioFixtures::Pattern(c.r * c.c * c.b / 8 / 4);
    g_frmMicRecorder& w = Open(input);
    EXPECT_TRUE(w.cboDevices->currentText().startsWith("0 - "));
    // The lists as the user leaves them before pressing Record.
    w.cboBitPerSample->setCurrentText(c.bits);
    w.cboSamplesPerSec->setCurrentText(c.rate);
    w.cboChannels->setCurrentText(c.channels);
    QTest::mouseClick(w.cmdRecord, Qt::LeftButton);
    ASSERT_FALSE(w.cmdRecord->isEnabled());
    ASSERT_TRUE(grownPast(input));
    QTest::mouseClick(w.cmdStopRec, Qt::LeftButton);
    EXPECT_TRUE(TestEnv::WaitUntil([&] { return w.cmdRecord->isEnabled(); }, 2000));
    WavLayout l;
    QString error;
    ASSERT_TRUE(WavFile::ReadLayout(dir + "/rec.wav", &l, &error));
    EXPECT_EQ(l.bits, c.b);
    EXPECT_EQ(l.sampleRate, c.r);
    EXPECT_EQ(l.channels, c.c);
    EXPECT_EQ(WavSamples(dir + "/rec.wav").left(input.size()), input);
    w.Unload();
    disk.reset();
  }
}

TEST_F(MicRecorderWindowTest, TheClockEndsEveryRecordingAtItsThirtiethTick) {
  g_frmMicRecorder& w = Open(AudioFixtures::Pattern(1000));
  QTest::mouseClick(w.cmdRecord, Qt::LeftButton);
  ASSERT_TRUE(w.cWave1->IsRecording());
  tick(w, 10);
  QTest::mouseClick(w.cmdPauseIn, Qt::LeftButton);  // pausing does not hold the clock
  EXPECT_TRUE(w.cWave1->IsRecordPaused());
  tick(w, 19);
  EXPECT_EQ(w.lblRecTime->text(), "0:00:29");
  EXPECT_TRUE(w.cWave1->IsRecording());
  EXPECT_FALSE(w.cmdRecord->isEnabled());
  tick(w, 1);
  EXPECT_EQ(w.lblRecTime->text(), "0:00:30");
  EXPECT_FALSE(w.cWave1->IsRecording());
  EXPECT_TRUE(w.cmdRecord->isEnabled());
  EXPECT_FALSE(w.tmrRec->Enabled());
  // Stopped by hand after 12 seconds: the label keeps 12 until the next recording ticks.
  QTest::mouseClick(w.cmdRecord, Qt::LeftButton);
  tick(w, 12);
  QTest::mouseClick(w.cmdStopRec, Qt::LeftButton);
  EXPECT_TRUE(TestEnv::WaitUntil([&] { return w.cmdRecord->isEnabled(); }, 2000));
  EXPECT_EQ(w.lblRecTime->text(), "0:00:12");
}

TEST_F(MicRecorderWindowTest, AddDuringARecordingStopsItAndAddsTheFinishedFile) {
  const QByteArray input = AudioFixtures::Pattern(44100);
  g_frmMicRecorder& w = Open(input);
  QTest::mouseClick(w.cmdRecord, Qt::LeftButton);
  ASSERT_TRUE(grownPast(input));
  // Playing the file being recorded is refused.
  QTest::mouseClick(w.cmdPlay, Qt::LeftButton);
  EXPECT_FALSE(w.tmSlider->Enabled());
  QTest::mouseClick(w.cmdAdd, Qt::LeftButton);
  EXPECT_FALSE(w.cWave1->IsRecording());
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return loadedForm<g_frmMicRecorder>() == nullptr; }, 3000));
  ASSERT_EQ(main->cGrid1->Rows(), 1);
  EXPECT_EQ(Column(1, "COL_FILE"), dir + "/rec.wav");
  // The list's file holds it too: opening the list again (as the next start does) shows it.
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  ASSERT_EQ(main->cGrid1->Rows(), 1);
  EXPECT_EQ(Column(1, "COL_FILE"), dir + "/rec.wav");
  WavLayout l;
  QString error;
  ASSERT_TRUE(WavFile::ReadLayout(dir + "/rec.wav", &l, &error));
  EXPECT_EQ(l.dataBytes, QFileInfo(dir + "/rec.wav").size() - 44);
  EXPECT_EQ(WavSamples(dir + "/rec.wav").left(input.size()), input);
}

// The level bar takes the title's back colour for its bar and the window's
// back colour for its text when the window loads.
TEST_F(MicRecorderWindowTest, TheLevelBarTakesItsColoursAtLoad) {
  const long title = g_lTitleBackColor;
  const QString window = g_sFormBackColor;
  g_lTitleBackColor = 0x3366CC;
  g_sFormBackColor = QString::number(0x99EEAA);
  g_frmMicRecorder& w = Open(AudioFixtures::Pattern(1000));
  EXPECT_EQ(w.prgMeter->BarColor(), 0x3366CC);
  EXPECT_EQ(w.prgMeter->BarTextColor(), 0x99EEAA);
  EXPECT_EQ(w.prgMeter->palette().color(QPalette::Highlight), ColorFromNumber(0x3366CC));
  EXPECT_EQ(w.prgMeter->palette().color(QPalette::HighlightedText), ColorFromNumber(0x99EEAA));
  g_lTitleBackColor = title;
  g_sFormBackColor = window;
}

TEST_F(MicRecorderWindowTest, OpensFromTheMainWindowWithItsDefaultFileQuestionAndMessages) {
  bool ran = false;
  WhenShown<g_frmMicRecorder>([&](g_frmMicRecorder& w) {
    ran = true;
    Exercise(w);
    QTest::mouseClick(w.cmdExit, Qt::LeftButton);
  });
  main->RunCommand("Audio Recorder");
  EXPECT_TRUE(ran);
  EXPECT_EQ(loadedForm<g_frmMicRecorder>(), nullptr);
}

void MicRecorderWindowTest::Exercise(g_frmMicRecorder& w) {
  EXPECT_EQ(w.txtAudioFile->text(), QDir::homePath() + "/wave_file.wav");
  const QString existing = AudioFixtures::WriteWav(dir + "/old.wav", 8000, 1, 16, 1.0);
  auto& ui = ScriptedUi::get();
  ui.dialogAnswers = {{existing}, {existing}};
  ui.answers = {vbNo, vbYes};
  QTest::mouseClick(w.cmdPath, Qt::LeftButton);
  EXPECT_EQ(w.txtAudioFile->text(), QDir::homePath() + "/wave_file.wav");
  QTest::mouseClick(w.cmdPath, Qt::LeftButton);
  EXPECT_EQ(w.txtAudioFile->text(), existing);
  w.txtAudioFile->setText(dir + "/none.wav");
  QTest::mouseClick(w.cmdPlay, Qt::LeftButton);
  w.txtAudioFile->setText("");
  QTest::mouseClick(w.cmdAdd, Qt::LeftButton);
  ListFixtures::WriteBytes(dir + "/small.wav", QByteArray(64, 'x'));
  w.txtAudioFile->setText(dir + "/small.wav");
  QTest::mouseClick(w.cmdAdd, Qt::LeftButton);
  EXPECT_EQ(ui.prompts(), (QStringList{"The file " + existing + " is already exists, overwrite it?",
                                       "The file " + existing + " is already exists, overwrite it?",
                                       "The audio file " + dir + "/none.wav doesn't exists", "The file: was not found.",
                                       "The file:" + dir + "/small.wav is empty."}));
  // A real file plays; the slider follows it to the end until Stop.
  w.txtAudioFile->setText(existing);
  QTest::mouseClick(w.cmdPlay, Qt::LeftButton);
  EXPECT_TRUE(w.tmSlider->Enabled());
  EXPECT_EQ(w.lbTotalLengthSec->text(), "0:00:01");
  EXPECT_TRUE(TestEnv::WaitUntil([&] { return w.lblCurrentPositionSec->text() == "0:00:01"; }, 5000));
  QTest::mouseClick(w.cmdStop, Qt::LeftButton);
  EXPECT_FALSE(w.tmSlider->Enabled());
}
