// The waveform editor window opened from the main window's "Audio Analyser":
// its labels, a selection saved and added once complete, and the conversion
// in front of a file that is not a WAV file.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "AudioToolsFixture.h"
#include "platform/Timer.h"
#include "platform/audio/cAudioEditor.h"
#include "platform/cToolbar.h"
#include "tools/audio/g_frmAudioEditor.h"
#include "tools/convert/g_frmAudioEditorProc.h"

namespace {
bool loaded(g_frmAudioEditor& e) { return !e.lblNumOfSamples->text().isEmpty(); }
}  // namespace

class AudioEditorWindowTest : public AudioToolsTest {};

TEST_F(AudioEditorWindowTest, ShowsTheFileAndAddsTheSelectionOnlyOnceItIsSaved) {
  const QString src = AudioFixtures::WriteWav(media + "/tone.wav", 8000, 1, 16, 6.0, AudioFixtures::Signal::Ramp);
  AddItems({src});
  const QString out = media + "/part.wav";
  QStringList seen;
  long rowsRightAfterClick = -1;
  bool openAfterClick = false;
  WhenShown<g_frmAudioEditor>([&](g_frmAudioEditor& e) {
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return loaded(e); }, 5000));
    seen << e.Caption() << e.lblInfoSamples->text() << e.lblInfoBits->text() << e.lblInfoChannels->text()
         << e.lblNumOfSamples->text() << e.lblLength->text() << e.lblTimeStart->text() << e.lblTimeEnd->text()
         << e.lblSelectedTime->text();
    // A selection made with the mouse: press at a quarter, let go at three quarters.
    // (the wave view takes a selection once its summary is built)
    const int w = e.cAudioEditor1->width();
    TestEnv::WaitUntil([&] {
      QTest::mousePress(e.cAudioEditor1, Qt::LeftButton, {}, QPoint(w / 4, 20));
      QTest::mouseRelease(e.cAudioEditor1, Qt::LeftButton, {}, QPoint(3 * w / 4, 20));
      return e.lblSamplesStart->text() != "0";
    }, 5000);
    seen << e.lblSamplesStart->text() << e.lblSamplesEnd->text();
    // Then one from code: 1500 ms to 4500 ms.
    e.cAudioEditor1->SetSelection(12000, 36000);
    seen << e.lblTimeStart->text() << e.lblTimeEnd->text() << e.lblSelectedTime->text();
    ScriptedUi::get().dialogAnswers.push_back({out});
    QTest::mouseClick(e.cmdAddSelection, Qt::LeftButton);
    rowsRightAfterClick = main->cGrid1->Rows();
    openAfterClick = loadedForm<g_frmAudioEditor>() != nullptr;
  });
  main->RunCommand("Audio Analyser");
  EXPECT_EQ(seen, (QStringList{"tone.wav", "8000", "16", "1", "48000", "0:00:06", "0 ms [0:00:00]",
                               "6000 ms [0:00:06]", "6000 ms [0:00:06]", "12000", "36000", "1500 ms [0:00:02]",
                               "4500 ms [0:00:04]", "3000 ms [0:00:03]"}));
  // The click only started the save; the file was added after it was complete.
  EXPECT_EQ(rowsRightAfterClick, 1);
  EXPECT_TRUE(openAfterClick);
  EXPECT_EQ(loadedForm<g_frmAudioEditor>(), nullptr);
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  EXPECT_EQ(Column(2, "COL_FILE"), out);
  EXPECT_EQ(WavSamples(out), WavSamples(src).mid(12000 * 2, 24000 * 2));
  // The list's file holds it too: opening the list again (as the next start does) shows it.
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  EXPECT_EQ(Column(2, "COL_FILE"), out);
  const DialogCall& dialog = ScriptedUi::get().dialogs.back();
  EXPECT_EQ(dialog.title, "Save Selection As");
  EXPECT_EQ(dialog.filter, "Wav Audio Files (*.wav)");
}

TEST_F(AudioEditorWindowTest, ToolbarSaveOntoTheLoadedFileAndCancelledDialogs) {
  const QString src = AudioFixtures::WriteWav(media + "/a.wav", 8000, 2, 16, 3.0, AudioFixtures::Signal::Ramp);
  const QByteArray before = WavSamples(src);
  AddItems({src});
  WhenShown<g_frmAudioEditor>([&](g_frmAudioEditor& e) {
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return loaded(e); }, 5000));
    cToolbar& bar = *e.tlbrList;
    // Cancelled: nothing changes.
    QTest::mouseClick(e.cmdAddSelection, Qt::LeftButton);
    EXPECT_TRUE(e.cmdAddSelection->isEnabled());
    TestEnv::WaitUntil([&] {
      e.cAudioEditor1->SetSelection(8000, 16000);
      return e.lblSamplesStart->text() == "8000";
    }, 5000);
    ScriptedUi::get().dialogAnswers.push_back({src});
    bar.ButtonFace(bar.ButtonIndex("Save Selection"))->click();
    EXPECT_FALSE(bar.ButtonEnabled("Save Selection"));
    EXPECT_TRUE(TestEnv::WaitUntil([&] { return bar.ButtonEnabled("Save Selection"); }, 5000));
    // Add Selection aborted before its save could finish: nothing is added, no file is left.
    ScriptedUi::get().dialogAnswers.push_back({media + "/aborted.wav"});
    e.cmdAddSelection->click();
    e.cmdAbort->click();
    TestEnv::WaitUntil([&] { return false; }, 100);
    EXPECT_TRUE(e.cmdAddSelection->isEnabled());
    EXPECT_FALSE(QFile::exists(media + "/aborted.wav"));
    bar.ButtonFace(bar.ButtonIndex("Play"))->click();
    EXPECT_FALSE(bar.ButtonEnabled("Play"));
    bar.ButtonFace(bar.ButtonIndex("Stop"))->click();
    EXPECT_TRUE(bar.ButtonEnabled("Play"));
    e.cmdExit->click();
  });
  main->RunCommand("Audio Analyser");
  EXPECT_EQ(WavSamples(src), before.mid(8000 * 4, 8000 * 4));
  EXPECT_EQ(main->cGrid1->Rows(), 1);
}

TEST_F(AudioEditorWindowTest, AnItemThatIsNotWavIsConvertedToTheTemporaryFileFirst) {
  const QString wav = AudioFixtures::WriteWav(media + "/x.wav", 44100, 2, 16, 2.0);
  const QString mp3 = AudioFixtures::Encode(wav, media + "/song.mp3", {"-c:a", "libmp3lame"});
  AddItems({mp3});
  QString shown;
  WhenShown<g_frmAudioEditor>([&](g_frmAudioEditor& e) {
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return loaded(e); }, 5000));
    shown = e.txtWavFile->text() + "|" + e.lblInfoSamples->text() + "|" + e.lblLength->text();
    e.cmdExit->click();
  });
  main->RunCommand("Audio Analyser");
  EXPECT_EQ(shown, ProgramFolder() + "/tmpeditor.wav|44100|0:00:02");
  EXPECT_EQ(g_frmAudioEditorProc::LastOutcome(), g_frmAudioEditorProc::Done);
}

TEST_F(AudioEditorWindowTest, AFailedOrAbortedConversionNeverShowsAnOlderTemporaryFile) {
  // A temporary file from an earlier item is still there.
  AudioFixtures::WriteWav(ProgramFolder() + "/tmpeditor.wav", 8000, 1, 16, 1.0);
  const QString wav = AudioFixtures::WriteWav(media + "/long.wav", 44100, 2, 16, 120.0);
  const QString ogg = AudioFixtures::Encode(wav, media + "/long.ogg", {"-c:a", "libvorbis"});
  AudioFixtures::Encode(wav, media + "/broken.mp3", {"-t", "1", "-c:a", "libmp3lame"});
  AddItems({media + "/broken.mp3", ogg});
  // Damaged after it was added.
  ListFixtures::WriteBytes(media + "/broken.mp3", QByteArray(4000, 'x'));
  bool editorShown = false;
  QString error;
  WhenShown<g_frmAudioEditor>([&](g_frmAudioEditor& e) {
    editorShown = true;
    e.Unload();
  });
  // The broken item: the conversion window stays open with the error until closed.
  WhenShown<g_frmAudioEditorProc>([&](g_frmAudioEditorProc& p) {
    TestEnv::WaitUntil([&] { return p.lblCurrentTrack->text().endsWith(")"); }, 10000);
    error = p.lblCurrentTrack->text();
    p.Unload();
  });
  main->RunCommand("Audio Analyser");
  EXPECT_FALSE(editorShown);
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(g_frmAudioEditorProc::LastOutcome(), g_frmAudioEditorProc::Failed);
  EXPECT_FALSE(QFile::exists(ProgramFolder() + "/tmpeditor.wav"));
  EXPECT_TRUE(main->g_bAbortedAudioEditor);

  // The long item, aborted right after its conversion started (the command
  // uses the conversion window already loaded here).
  main->cGrid1->SetSelectedRow(2);
  g_frmAudioEditorProc& proc = form<g_frmAudioEditorProc>();
  QObject::connect(proc.Timer1, &Timer::Tick, proc.cmdAbort, [&proc] { proc.cmdAbort->click(); });
  main->RunCommand("Audio Analyser");
  EXPECT_FALSE(editorShown);
  EXPECT_EQ(g_frmAudioEditorProc::LastOutcome(), g_frmAudioEditorProc::Aborted);
  EXPECT_TRUE(main->g_bAbortedAudioEditor);
  EXPECT_FALSE(QFile::exists(ProgramFolder() + "/tmpeditor.wav"));
}

TEST_F(AudioEditorWindowTest, AddSelectionChecksTheLoadedFileFirst) {
  // 10 frames of 16-bit mono make a 64-byte file.
  const QString tiny = AudioFixtures::WriteWav(media + "/tiny.wav", 8000, 1, 16, 10 / 8000.0);
  ASSERT_EQ(QFileInfo(tiny).size(), 64);
  struct Case {
    QString loaded;
    QString message;
  } cases[] = {{tiny, "The file:" + tiny + " is empty."},
               {media + "/gone.wav", "The file:" + media + "/gone.wav was not found."},
               {"", "The file: was not found."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.toStdString());
    g_frmAudioEditor& e = form<g_frmAudioEditor>();
    e.txtWavFile->setText(c.loaded);
    e.Show();
    ScriptedUi::get().shown.clear();
    ScriptedUi::get().dialogAnswers.push_back({media + "/new.wav"});
    QTest::mouseClick(e.cmdAddSelection, Qt::LeftButton);
    EXPECT_EQ(ScriptedUi::get().prompts(), QStringList{c.message});
    TestEnv::WaitUntil([] { return false; }, 50);
    EXPECT_NE(loadedForm<g_frmAudioEditor>(), nullptr);
    EXPECT_EQ(main->cGrid1->Rows(), 0);
    e.Unload();
  }
}

// A track of an open drive is read from the drive into the temporary WAV.
TEST_F(AudioEditorWindowTest, ADrivesTrackIsReadFromTheDriveIntoTheTemporaryFile) {
  const DiscImage::Image image = OpenDiscImage({{1, 440}, {1.2, 660}});
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  main->cGrid1->SetSelectedRow(2);
  QString shown;
  QByteArray samples;
  // A preparation that fails stays open with its reason: closed here.
  WhenShown<g_frmAudioEditorProc>([](g_frmAudioEditorProc& p) {
    TestEnv::WaitUntil([] { return g_frmAudioEditorProc::LastOutcome() != g_frmAudioEditorProc::Running; }, 60000);
    if (g_frmAudioEditorProc::LastOutcome() == g_frmAudioEditorProc::Failed) p.Unload();
  });
  WhenShown<g_frmAudioEditor>([&](g_frmAudioEditor& e) {
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return loaded(e); }, 5000));
    shown = e.txtWavFile->text() + "|" + e.lblInfoSamples->text();
    samples = WavSamples(e.txtWavFile->text());
    e.cmdExit->click();
  });
  main->RunCommand("Audio Analyser");
  EXPECT_EQ(g_frmAudioEditorProc::LastOutcome(), g_frmAudioEditorProc::Done);
  EXPECT_EQ(shown, ProgramFolder() + "/tmpeditor.wav|44100");
  EXPECT_TRUE(samples == image.TrackBytes(2));
}
