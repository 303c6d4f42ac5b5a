// How a ripper run ends: Abort mid-track, the overwrite question answered,
// a disc damaged mid-track, a disc gone before the run, and which end-of-job
// actions each end runs.
#include <QFile>
#include <QFileInfo>

#include "platform/cSysTray.h"
#include "platform/audio/cAudioConverter.h"
#include "tests/tools/disc/RipperFixture.h"

using namespace AudioFixtures;
using ListFixtures::FileBytes;

namespace {

// Abort answered No changes nothing; Yes stops the running track: no output
// and no temporary file stay, and no end-of-job action runs.
TEST_F(RipperTest, AbortMidTrackLeavesNoPartialFile) {
  UseDisc({{60, 330}, {1, 440}}, "long");
  g_tMp3Settings = Mp3FormatRecord{};
  g_tMp3Settings.Bitrate = 128, g_tMp3Settings.SampleRate = 44100, g_tMp3Settings.Mode = 1;
  g_tMp3Settings.Quality = 0, g_bMp3Abr = false;  // the slowest coding
  WithRipper([&](g_frmCDRipper& w) {
    SelectFormat(w, "MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
    TickEndActions(w);
    w.cmdAbort->click();  // no run: nothing is asked
    EXPECT_TRUE(ScriptedUi::get().shown.empty());
    ScriptedUi::get().answers = {vbNo, vbYes};
    w.cmdConvert->click();
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.prgCurrnet->Value() >= 2; }, 30000));
    w.cmdAbort->click();
    EXPECT_FALSE(w.cmdConvert->isEnabled());
    w.cmdAbort->click();
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 30000));
    EXPECT_EQ(ScriptedUi::get().prompts(), QStringList(2, "Abort operation?" + QString(38, ' ')));
    EXPECT_EQ(w.lblCurrentTrack->text(), "Aborted.");
    EXPECT_EQ(w.windowTitle(), "Aborted.");
    EXPECT_EQ(Messages(w).filter("Aborted.").size(), 1);
    EXPECT_EQ(main->cSysTray1->LastBalloonText(), "Aborted.");
    EXPECT_TRUE(w.cmdExit->isEnabled());
  });
  // A rip that did not stop within the abort's grace ends on its own and
  // takes its temporary file with it.
  EXPECT_TRUE(cAudioConverter::WaitForStoppedJobs(30000));
  EXPECT_TRUE(FilesIn(out).isEmpty()) << FilesIn(out).join(' ').toStdString();
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_EQ(turnOffShown, 0);
}

// An existing output, hidden or not, is asked about: No skips the track, Yes
// overwrites it, Cancel ends the run as aborted; the box ticked asks nothing.
TEST_F(RipperTest, OverwriteQuestionAnswers) {
  UseThreeTracks();
  struct Case {
    const char* name;
    const char* templ;
    bool overwriteBox;
    std::deque<int> answers;
    int asked;
    QStringList ripped;  // tracks written anew
    const char* ending;
    bool endActions;
  } cases[] = {
      {"No", "[file_name].[dest_extension]", false, {vbNo}, 1, {"Track02", "Track03"}, "Done.", true},
      {"Yes", "[file_name].[dest_extension]", false, {vbYes}, 1, {"Track01", "Track02", "Track03"}, "Done.", true},
      {"Cancel", "[file_name].[dest_extension]", false, {vbCancel}, 1, {}, "Aborted.", false},
      {"hidden, No", ".[file_name].[dest_extension]", false, {vbNo}, 1, {".Track02", ".Track03"}, "Done.", true},
      {"box ticked", "[file_name].[dest_extension]", true, {}, 0, {"Track01", "Track02", "Track03"}, "Done.", true},
  };
  QFile formats(ProgramFolder() + "/FileNameFormats.txt");
  ASSERT_TRUE(formats.open(QIODevice::WriteOnly));
  formats.write("[file_name].[dest_extension]\n.[file_name].[dest_extension]\n");
  formats.close();
  const QByteArray old = "not a ripped file";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    out = TestEnv::FreshDir("out");
    sounds.clear();
    ScriptedUi::get().reset();
    const QString prefix = QString(c.templ).startsWith('.') ? "." : "";
    const QString existing = out + "/" + prefix + "Track01.wav";
    ListFixtures::WriteBytes(existing, old);
    g_sDefaultFileNameFormat = c.templ;
    WithRipper([&](g_frmCDRipper& w) {
      SelectFormat(w, "WAV - Waveform Audio Format (*.wav)");
      w.chkPlaySound->setChecked(true);
      w.chkOverWrite->setChecked(c.overwriteBox);
      ScriptedUi::get().answers = c.answers;
      Rip(w);
      EXPECT_EQ(w.lblCurrentTrack->text(), c.ending);
      const QStringList log = Messages(w);
      EXPECT_EQ(log.filter("File already exists.").size(), c.asked);
      EXPECT_EQ(log.filter("Overwrite it...").size(), c.answers == std::deque<int>{vbYes} ? 1 : 0);
    });
    const auto prompts = ScriptedUi::get().prompts();
    ASSERT_EQ(prompts.size(), c.asked);
    if (c.asked) EXPECT_EQ(prompts[0], "The file: '" + existing + "' already exists.\r\n\r\nOverwrite it?");
    for (int t = 1; t <= 3; ++t) {
      const QString file = out + "/" + prefix + QString("Track%1.wav").arg(t, 2, 10, QChar('0'));
      if (c.ripped.contains(QFileInfo(file).completeBaseName()))
        EXPECT_TRUE(DecodePcm(file) == TrackSamples(t)) << file.toStdString();
      else if (t == 1)
        EXPECT_EQ(FileBytes(file), old);
      else
        EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
    }
    EXPECT_EQ(sounds.size(), c.endActions ? 1 : 0);
  }
}

// The user aborts while the last track's overwrite question is open, then
// answers No: the run still ends aborted, with no end-of-job action.
TEST_F(RipperTest, AbortBehindTheLastTracksQuestionAnsweredNoEndsAborted) {
  UseThreeTracks();
  ListFixtures::WriteBytes(out + "/Track03.wav", "old");
  WithRipper([&](g_frmCDRipper& w) {
    SelectFormat(w, "WAV - Waveform Audio Format (*.wav)");
    TickEndActions(w);
    AbortAtEachQuestion(w, vbNo);
    Rip(w);
    ScriptedUi::get().install();
    EXPECT_EQ(w.lblCurrentTrack->text(), "Aborted.");
    EXPECT_EQ(w.windowTitle(), "Aborted.");
    EXPECT_EQ(LastMessage(w), "Aborted.");
    EXPECT_FALSE(Messages(w).mid(Messages(w).lastIndexOf("Start to rip: Track03.cda...")).contains("Done."));
  });
  EXPECT_EQ(FileBytes(out + "/Track03.wav"), "old");
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_EQ(turnOffShown, 0);
}

// The disc goes bad while its second track is read: that track ends with an
// error and leaves no partial file, the run goes on to the next track and ends
// with "Done." and its end-of-job actions, all but the turn-off.
TEST_F(RipperTest, DamagedDiscMidTrackEndsThatTrackWithError) {
  UseDisc({{1, 440}, {60, 330}, {1, 550}}, "damaged");
  g_tMp3Settings = Mp3FormatRecord{};
  g_tMp3Settings.Bitrate = 128, g_tMp3Settings.SampleRate = 44100, g_tMp3Settings.Mode = 1;
  g_tMp3Settings.Quality = 0, g_bMp3Abr = false;  // the reader stays far behind the cut
  // On one worker the drive is read as the track encodes (several read a track
  // whole before encoding it; RipperWorkAhead damages the disc before the run).
  cAudioConverter::SetWorkAheadThreads(1);
  WithRipper([&](g_frmCDRipper& w) {
    SelectFormat(w, "MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
    TickEndActions(w);
    w.cmdConvert->click();
    // The second track has reported progress of its own (the current bar
    // still shows the first track's 100 until then).
    ASSERT_TRUE(TestEnv::WaitUntil(
        [&] { return w.lblFilesToConvert->text() == "Files: 2/3" && w.prgTotal->Value() > 100; }, 30000));
    QFile bin(image.bin);
    ASSERT_TRUE(bin.resize(image.starts[1] + 30 * 75 * DiscImage::kSectorBytes));
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 60000));
    const QStringList log = Messages(w);
    const QStringList errors = log.filter("Error: ");
    ASSERT_GE(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("Error: Read error on track 2 at 0:")) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].endsWith("(1)"));
    EXPECT_EQ(log[log.indexOf(errors[0]) - 1], "Start to rip: Track02.cda...");
    EXPECT_EQ(errors.last(), "Error: Read error on track 3 at 0:00.(1)");
    EXPECT_EQ(log[log.indexOf(errors.last()) - 1], "Start to rip: Track03.cda...");
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
  });
  // Track 3 lies wholly behind the cut: it fails too, and gets no file of
  // whatever the reader would find in its place.
  EXPECT_EQ(OutFiles(), QStringList{"Track01.mp3"});
  EXPECT_EQ(sounds.size(), 1);
  EXPECT_EQ(turnOffShown, 0);
  cAudioConverter::SetWorkAheadThreads(0);
}

// The disc taken out after its tracks were listed: the disc check says so,
// and every marked track answers Rip with an error; nothing crashes and the
// run ends as failed, without the end-of-job actions.
TEST_F(RipperTest, DiscGoneBeforeTheRunGivesAnErrorPerTrack) {
  UseThreeTracks();
  const QString letter = drive->Text();
  QFile::rename(image.cue, image.cue + ".gone");
  WithRipper([&](g_frmCDRipper& w) {
    EXPECT_EQ(w.lblCDStatus->text(), "'" + letter + "\\' is not an Audio CD.");
    TickEndActions(w);
    Rip(w);
    const QStringList errors = Messages(w).filter("Error: ");
    ASSERT_EQ(errors.size(), 3);
    EXPECT_EQ(errors[0], "Error: There is no CD in drive " + letter + ".(1)");
    EXPECT_EQ(w.lblCurrentTrack->text(), "Failed: no track could be ripped.");
  });
  EXPECT_TRUE(OutFiles().isEmpty());
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_EQ(turnOffShown, 0);
}

// No device at all: the list stays empty, the status keeps "Ready." and Rip
// reports an error for each marked row.
TEST_F(RipperTest, EmptyDeviceListAnswersRipWithErrors) {
  UseThreeTracks();
  qunsetenv("TESSORY_CD_IMAGES");
  if (cAudioCDRipper().GetDeviceCount() > 0) GTEST_SKIP() << "this machine has a CD drive";
  WithRipper([&](g_frmCDRipper& w) {
    EXPECT_EQ(w.cboDevices->count(), 0);
    EXPECT_EQ(w.lblCDStatus->text(), "Ready.");
    EXPECT_TRUE(w.cboDevices->isEnabled());
    Rip(w);
    const QStringList errors = Messages(w).filter("Error: ");
    ASSERT_EQ(errors.size(), 3);
    EXPECT_EQ(errors[0], "Error: There is no CD drive to rip from.(1)");
  });
  EXPECT_TRUE(OutFiles().isEmpty());
}

}  // namespace
