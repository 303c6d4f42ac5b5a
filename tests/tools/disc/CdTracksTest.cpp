// The marked tracks of an open drive handed to the disc writers: the audio-CD
// writer reads them from the drive onto the disc; the data-disc writer
// converts them, and refuses to copy them as they are, before its run.
#include <QLineEdit>

#include "backend/cd/CdTrackSource.h"
#include "platform/cStatusBar.h"
#include "tests/tools/disc/RipperFixture.h"
#include "tools/disc/g_frmCDBurner.h"
#include "tools/disc/g_frmDataBurner3.h"

namespace {
// A track of a written image as the ripper reads it.
QByteArray ReadTrack(const QString& cue, int track) {
  auto source = MakeCdTrackSource(CdDriveTable::Drive{"X:", cue, true}, track, -1, -1);
  QString error;
  QByteArray pcm;
  if (!source->Open(&error) || !source->Start(source->NativeFormat(), &error)) return pcm;
  for (int frames; (frames = source->Read(&error)) > 0;)
    pcm.append(static_cast<const char*>(source->Pcm()), frames * 4);
  return pcm;
}

class CdTracksToDiscTest : public RipperTest {
 protected:
  // Two tracks long enough to be written as they are.
  void UseTwoTracks() { UseDisc({{4.2, 440}, {4, 660}}); }
};
}  // namespace

// The written disc holds each track's samples, then the silence of the
// next track's pregap, which a rip gives to the track before it.
TEST_F(CdTracksToDiscTest, TheAudioCdWriterWritesTheTracksFromTheDrive) {
  UseTwoTracks();
  const QString target = TestEnv::FreshDir("burn") + "/copy.cue";
  qputenv("TESSORY_CD_IMAGES", (image.cue + ":" + target).toLocal8Bit());
  WithTask<g_frmCDBurner>("Audio CD Maker", [&](g_frmCDBurner& w) {
    w.cboDrv->setCurrentIndex(w.cboDrv->findText(target, Qt::MatchContains));
    w.cmdConvert->click();
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 120000));
    EXPECT_EQ(w.lblCurrentTrack->text(), "Finished.") << Messages(w).join("\n").toStdString();
  });
  for (int t = 1; t <= 2; ++t) {
    SCOPED_TRACE(t);
    const QByteArray written = ReadTrack(target, t), want = image.TrackBytes(t);
    ASSERT_GE(written.size(), want.size());
    EXPECT_TRUE(written.left(want.size()) == want);
    EXPECT_EQ(written.mid(want.size()).count('\0'), written.size() - want.size());
  }
}

// Copied as they are, tracks would be no files: the run does not start, the
// message names the ripper, and the window closes with its own button.
TEST_F(CdTracksToDiscTest, TheDataDiscWriterRefusesToCopyTracksAsTheyAre) {
  UseTwoTracks();
  WithTask<g_frmDataBurner3>("MP3 CD Maker", [&](g_frmDataBurner3& w) {
    const QString staging = w.GetTempBurnFolder();
    w.chkDoNotConvertSource->setChecked(true);
    w.cmdConvert->click();
    ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
    EXPECT_TRUE(ScriptedUi::get().shown[0].prompt.contains("rip them first with the Audio CD Ripper"))
        << ScriptedUi::get().shown[0].prompt.toStdString();
    EXPECT_TRUE(w.cmdConvert->isEnabled());
    EXPECT_TRUE(Messages(w).filter("Start to").isEmpty());
    EXPECT_TRUE(AudioFixtures::FilesIn(staging).isEmpty());
    w.cmdExit->click();
    EXPECT_EQ(loadedForm<g_frmDataBurner3>(), nullptr);
  });
}
