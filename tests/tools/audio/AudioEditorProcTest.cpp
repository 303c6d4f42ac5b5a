// The one-file conversion window on its own: plain WAV or a chosen format
// with the default tags, the flags it resets, and an error that keeps it
// open without passing for an abort, its whole reason shown.
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include "AudioToolsFixture.h"
#include "DiscImage.h"
#include "backend/cd/CdDriveTable.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cAudioConverter.h"
#include "settings/OptionValues.h"
#include "tools/convert/g_frmAudioEditorProc.h"

class AudioEditorProcTest : public AudioToolsTest {
 protected:
  void TearDown() override {
    g_sTagArtist.clear();
    AudioToolsTest::TearDown();
  }
  // Converts src into dst and returns the outcome once the window has closed.
  g_frmAudioEditorProc::Outcome Convert(const QString& src, const QString& dst) {
    g_frmAudioEditorProc& w = form<g_frmAudioEditorProc>();
    w.ConvertFile(src, dst);
    w.ShowModal(main);
    return g_frmAudioEditorProc::LastOutcome();
  }
};

TEST_F(AudioEditorProcTest, ConvertsToWavOrToTheNamedFormatWithTheDefaultTags) {
  const QString src = AudioFixtures::WriteWav(media + "/s.wav", 22050, 1, 16, 1.0);
  g_sTagArtist = "[PROG_NAME] [TRACK_NUM] [SOURCE_NAME]";
  struct Case {
    bool convertTo;
    const char* target;
    const char* ext;
    const char* codec;
    const char* artist;
  } cases[] = {
      {false, "MP3 - ignored while the switch is off", "wav", "pcm_s16le", ""},
      {true, "mp3 - lower case counts", "mp3", "mp3", "Tessory 1 [SOURCE_NAME]"},
      {true, "OGG - Ogg Vorbis (*.ogg)", "ogg", "vorbis", "Tessory 1 [SOURCE_NAME]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    g_frmAudioEditorProc::g_sConvertToTarget = c.target;
    g_frmAudioEditorProc::g_bConvertTo = c.convertTo;
    const QString out = media + "/out." + c.ext;
    ASSERT_EQ(Convert(src, out), g_frmAudioEditorProc::Done);
    EXPECT_FALSE(g_frmAudioEditorProc::g_bConvertTo);
    EXPECT_EQ(loadedForm<g_frmAudioEditorProc>(), nullptr);  // it closed itself
    const AudioFixtures::Probe probe = AudioFixtures::ProbeFile(out);
    EXPECT_EQ(probe.codec, c.codec);
    EXPECT_EQ(probe.tags.value("artist"), c.artist);
  }
}

// "[TIME]" is the time of day as the task windows write it: no time zone.
TEST_F(AudioEditorProcTest, TheTimeTagCarriesNoTimeZone) {
  const QString time = form<g_frmAudioEditorProc>().CreateID3TagsString("[TIME]");
  EXPECT_TRUE(QRegularExpression(R"(^\d{1,2}:\d\d:\d\d( [AP]M)?$)").match(time).hasMatch()) << time.toStdString();
}

TEST_F(AudioEditorProcTest, AnErrorKeepsTheWindowOpenWithItsReason) {
  QString shown;
  bool stillOpen = false;
  WhenShown<g_frmAudioEditorProc>([&](g_frmAudioEditorProc& w) {
    TestEnv::WaitUntil([&] { return w.lblCurrentTrack->text() != "Preparing..."; }, 5000);
    TestEnv::WaitUntil([&] { return false; }, 100);
    shown = w.lblCurrentTrack->text();
    stillOpen = w.IsLoaded();
    w.Unload();
  });
  g_frmAudioEditorProc::g_bConvertTo = true;
  g_frmAudioEditorProc::g_sConvertToTarget = "MP3";
  EXPECT_EQ(Convert(media + "/missing.wav", media + "/out.mp3"), g_frmAudioEditorProc::Failed);
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(shown.endsWith("(" + QString::number(AudioErrInput) + ")")) << shown.toStdString();
  EXPECT_FALSE(g_frmAudioEditorProc::g_bConvertTo);
  EXPECT_FALSE(main->g_bAbortedAudioEditor);
  EXPECT_FALSE(QFile::exists(media + "/out.mp3"));
}

// Nothing is left to abort after a failure: the window's own button closes it.
TEST_F(AudioEditorProcTest, AfterAnErrorTheWindowsButtonClosesIt) {
  QString button;
  bool closed = false;
  WhenShown<g_frmAudioEditorProc>([&](g_frmAudioEditorProc& w) {
    TestEnv::WaitUntil([&] { return g_frmAudioEditorProc::LastOutcome() == g_frmAudioEditorProc::Failed; }, 60000);
    button = w.cmdAbort->text();
    w.cmdAbort->click();
    closed = loadedForm<g_frmAudioEditorProc>() == nullptr;
    if (!closed) w.Unload();
  });
  EXPECT_EQ(Convert(media + "/missing.wav", media + "/out.wav"), g_frmAudioEditorProc::Failed);
  EXPECT_EQ(button, "Close");
  EXPECT_TRUE(closed);
}

// A reason longer than the window is wide (the disc library's, a long file
// name) is shown whole: in lines, the window grown to hold them.
TEST_F(AudioEditorProcTest, AFailuresWholeReasonIsShown) {
  const QString album = "Some_Album_Name_Disc_1_Remastered_In_2011_Deluxe_Edition_With_Bonus_Tracks";
  const DiscImage::Image image = DiscImage::Write(media, {{1, 440}}, album);
  QFile::remove(image.bin);
  qputenv("TESSORY_CD_IMAGES", image.cue.toLocal8Bit());
  const QString drive = CdDriveTable::Drives().back().name;
  struct Case {
    QString source;
    QStringList parts;  // of the reason, in order
  } cases[] = {
      {drive + "/Track01.cda", {"The CD image of drive " + drive + " cannot be opened: ", album + ".bin", "(" + QString::number(AudioErrInput) + ")"}},
      {media + "/" + album + "_" + album + ".wav", {album + "_" + album + ".wav", "(" + QString::number(AudioErrInput) + ")"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source.toStdString());
    QString shown;
    int needed = 0, lineHeight = 0;
    QRect label, window, below;
    WhenShown<g_frmAudioEditorProc>([&](g_frmAudioEditorProc& w) {
      TestEnv::WaitUntil([&] { return g_frmAudioEditorProc::LastOutcome() == g_frmAudioEditorProc::Failed; }, 60000);
      shown = w.lblCurrentTrack->text();
      label = w.lblCurrentTrack->geometry();
      needed = w.lblCurrentTrack->heightForWidth(label.width());
      lineHeight = w.lblCurrentTrack->fontMetrics().height();
      // The least the text takes at the label's width, wherever its lines break.
      needed = std::max(needed, w.lblCurrentTrack->fontMetrics()
                                    .boundingRect(QRect(0, 0, label.width(), 1 << 20), Qt::TextWrapAnywhere, shown)
                                    .height());
      window = w.rect();
      below = w.prgCurrnet->geometry().united(w.cmdAbort->geometry());
      w.Unload();
    });
    g_frmAudioEditorProc::g_bConvertTo = false;
    EXPECT_EQ(Convert(c.source, media + "/out.wav"), g_frmAudioEditorProc::Failed);
    qsizetype at = 0;
    for (const QString& part : c.parts) {
      at = shown.indexOf(part, at);
      EXPECT_GE(at, 0) << part.toStdString() << " in " << shown.toStdString();
    }
    EXPECT_GT(needed, 2 * lineHeight);  // the reason takes several lines
    EXPECT_LE(needed, label.height());
    EXPECT_TRUE(window.contains(label)) << label.bottom() << " " << window.bottom();
    EXPECT_LT(label.bottom(), below.top());
    EXPECT_TRUE(window.contains(below));
  }
  qunsetenv("TESSORY_CD_IMAGES");
}
