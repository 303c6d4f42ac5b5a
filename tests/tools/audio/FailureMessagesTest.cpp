// Commands of the audio tools that cannot do what they were asked say why in
// a message box instead of doing nothing.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "AudioToolsFixture.h"
#include "platform/audio/cAudioEditor.h"
#include "platform/cToolbar.h"
#include "tools/audio/g_frmAudioEditor.h"
#include "tools/audio/g_frmMicRecorder.h"
#include "tools/audio/g_frmParlo.h"

class FailureMessagesTest : public AudioToolsTest {};

TEST_F(FailureMessagesTest, ACommandThatCannotRunSaysWhy) {
  const QString wav = AudioFixtures::WriteWav(media + "/tone.wav", 8000, 1, 16, 1.0);
  struct Case {
    const char* name;
    std::function<void()> act;
    QString prompt;  // the start of the one message expected
  };
  const Case cases[] = {
      {"waveform editor Play without an audio device",
       [&] {
         AddItems({wav});
         WhenShown<g_frmAudioEditor>([](g_frmAudioEditor& e) {
           cToolbar& bar = *e.tlbrList;
           // A selection takes once the file is loaded.
           TestEnv::WaitUntil([&] {
             e.cAudioEditor1->SetSelection(0, 100);
             return e.lblSamplesEnd->text() == "100";
           }, 5000);
           AudioFixtures::NoAudio none;
           bar.ButtonFace(bar.ButtonIndex("Play"))->click();
           EXPECT_TRUE(bar.ButtonEnabled("Play"));
           e.cmdExit->click();
         });
         main->RunCommand("Audio Analyser");
       },
       "The sound system cannot start"},
      {"recorder Play without an audio device",
       [&] {
         AudioFixtures::NoAudio none;
         g_frmMicRecorder& w = form<g_frmMicRecorder>();
         w.txtAudioFile->setText(wav);
         QTest::mouseClick(w.cmdPlay, Qt::LeftButton);
         unloadForm<g_frmMicRecorder>();
       },
       "The sound system cannot start"},
      {"recorder Record without an input device",
       [&] {
         AudioFixtures::NoAudio none;
         g_frmMicRecorder& w = form<g_frmMicRecorder>();
         w.txtAudioFile->setText(media + "/rec.wav");
         QTest::mouseClick(w.cmdRecord, Qt::LeftButton);
         EXPECT_TRUE(w.cmdRecord->isEnabled());
         unloadForm<g_frmMicRecorder>();
       },
       "The sound system cannot start"},
      {"speech Add to Items List without an open list",
       [&] {
         g_oItemsListsNode->SetSelected(true);
         main->cTreeView1_NodeClick(g_oItemsListsNode);
         g_frmParlo& w = form<g_frmParlo>();
         QTest::mouseClick(w.cmdAdd, Qt::LeftButton);
         unloadForm<g_frmParlo>();
       },
       "Open an items list first"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedUi::get().shown.clear();
    c.act();
    const QStringList prompts = ScriptedUi::get().prompts();
    ASSERT_EQ(prompts.size(), 1) << prompts.join(" | ").toStdString();
    EXPECT_TRUE(prompts[0].startsWith(c.prompt)) << prompts[0].toStdString();
  }
}
