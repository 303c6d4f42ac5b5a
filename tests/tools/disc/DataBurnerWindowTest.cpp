// The data-disc window between runs and during one, event by event: late
// events and Abort on a ready window, the progress caption, the time-left
// estimate, and the "Do not convert" box.
#include <QLabel>
#include <QPlainTextEdit>

#include "platform/Timer.h"
#include "platform/XP_ProgressBar.h"
#include "tests/tools/disc/DataBurnerFixture.h"

// Events of a run that is over, Abort and a progress of 0 change nothing.
TEST_F(DataBurnerTest, AReadyWindowIgnoresLateEventsAndAbort) {
  AddSources({"a.wav"});
  WithBurner(0, [&](g_frmDataBurner3& w) {
    const QString log = w.txtLog->toPlainText();
    w.cmdAbort->click();
    w.cAudioConverter1_Done();
    w.cAudioConverter1_Progress(0);
    emit w.cAudioDataBurner1->Finished();
    emit w.cAudioDataBurner1->Progress(42);
    emit w.cBurner1->End();
    EXPECT_EQ(w.txtLog->toPlainText(), log) << w.txtLog->toPlainText().toStdString();
    EXPECT_EQ(w.lblCurrentTrack->text(), "Ready.");
    EXPECT_EQ(w.prgCurrnet->Value(), 0);
    EXPECT_TRUE(w.cmdConvert->isEnabled());
  });
  EXPECT_TRUE(Prompts().isEmpty());
  EXPECT_TRUE(sounds.isEmpty());
}

// A progress report sets both bars and the caption; the estimate is the pace
// so far applied to what is left, and once the run is over it reads zero.
TEST_F(DataBurnerTest, ProgressCaptionAndTimeLeft) {
  AddSources({"a.wav", "b.wav", "c.wav"});
  WithBurner(0, [&](g_frmDataBurner3& w) {
    w.cmdConvert->setEnabled(false);  // as during a run
    w.prgTotal->SetMax(300);
    w.m_lCurrentRow = 1;
    w.m_ltmrItemSecs = 60;
    w.cAudioConverter1_Progress(50);
    EXPECT_EQ(w.prgCurrnet->Value(), 50);
    EXPECT_EQ(w.prgTotal->Value(), 50);
    EXPECT_EQ(w.Caption(), "Converting... [ 50% / 16.6666666666667% ]");
    EXPECT_EQ(w.m_ltmrItemSecsDone, 30);

    w.g_ltmrItemSecsTotal = 180;
    w.m_ltmrSecsDone = 0;
    w.m_ltmrTicks = 9;
    w.Timer1->SetEnabled(true);
    w.Timer1_Timer();  // 10 ticks for 30 seconds: 150 seconds left take 50
    EXPECT_EQ(w.lblTimeLeft->text(), "Time Left: 00:00:50");
    w.cmdConvert->setEnabled(true);
    w.Timer1_Timer();
    EXPECT_EQ(w.lblTimeLeft->text(), "Time Left: 00:00:00");
    EXPECT_FALSE(w.Timer1->Enabled());
  });
}

// The box turns the target format off and on; it stays usable during a run,
// which keeps the mode it was started in.
TEST_F(DataBurnerTest, DoNotConvertSwitchesTheTargetFormat) {
  AddSources({"a.wav", "b.wav"});
  WithBurner(0, [&](g_frmDataBurner3& w) {
    EXPECT_TRUE(w.cboTargetFormat->isEnabled());
    w.chkDoNotConvertSource->setChecked(true);
    for (QWidget* c : std::initializer_list<QWidget*>{w.cboTargetFormat, w.cmdEditTargetFormat, w.lblCDFormat})
      EXPECT_FALSE(c->isEnabled());
    EXPECT_EQ(w.lblCDFormat->text(), "CD Format:");
    w.chkDoNotConvertSource->setChecked(false);
    EXPECT_TRUE(w.cboTargetFormat->isEnabled());

    w.cmdConvert->click();  // converting the first row
    w.chkDoNotConvertSource->setChecked(true);
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 60000));
  });
  EXPECT_EQ(QStringList(DiscFiles().keys()), (QStringList{"a.mp3", "b.mp3"}));
}
