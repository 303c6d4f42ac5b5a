// The audio-CD writer window on a BIN/CUE image drive: the hand-over, the
// writer readout, a disc written and read back by the ripper sample for
// sample, files that cannot be added, a failed write, the per-user box.
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QFont>

#include "backend/audio/AudioDecoder.h"
#include "backend/burn/BurnErrors.h"
#include "platform/burn/cAudioBurner.h"
#include "lists/ItemRow.h"
#include "platform/cStatusBar.h"
#include "tests/tools/disc/RipperFixture.h"
#include "tools/disc/g_frmCDBurner.h"

using namespace AudioFixtures;

namespace {
constexpr int kSectorFrames = 588;
constexpr int kPregapSectors = 150;

// The item as the engine's decoder gives it at CD rate, 16-bit stereo.
std::vector<int16_t> DecodedAtCdRate(const QString& path, double start = -1, double length = -1) {
  AudioDecoder d;
  QString error;
  std::vector<int16_t> out;
  if (!d.Open(path, &error) || !d.Start(44100, 2, 16, start, length, &error)) return out;
  for (int n; (n = d.Read(&error)) > 0;) {
    const auto* pcm = static_cast<const int16_t*>(d.Pcm());
    out.insert(out.end(), pcm, pcm + n * 2);
  }
  return out;
}

class CDBurnerTest : public RipperTest {
 protected:
  void SetUp() override {
    RipperTest::SetUp();
    cue = TestEnv::FreshDir("burn") + "/disc.cue";
    qputenv("TESSORY_CD_IMAGES", cue.toLocal8Bit());
  }
  // Items of three formats and rates, each long enough to be a track as it is.
  QStringList MakeItems() {
    WriteWav(media + "/a.wav", 44100, 2, 16, 4.5);
    WriteWav(media + "/b.wav", 22050, 1, 16, 4.2);
    const QString wav = WriteWav(media + "/tmp.wav", 48000, 2, 16, 4.1);
    Encode(wav, media + "/c.ogg", {"-c:a", "libvorbis"});
    QFile::remove(wav);
    const QStringList names{"a.wav", "b.wav", "c.ogg"};
    AddItems(names);
    return names;
  }
  void WithBurner(const std::function<void(g_frmCDBurner&)>& steps) {
    WithTask<g_frmCDBurner>("Audio CD Maker", [&](g_frmCDBurner& w) {
      w.cboDrv->setCurrentIndex(w.cboDrv->findText(cue, Qt::MatchContains));
      steps(w);
    });
  }
  // Presses Burn and waits for the write to end.
  static void Burn(g_frmCDBurner& w) {
    w.cmdConvert->click();
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 120000));
  }
  QString cue;
};
}  // namespace

TEST_F(CDBurnerTest, HandOverShowsTheFillOfAnEightyMinuteDisc) {
  WriteWav(media + "/a.wav", 44100, 2, 16, 1.0);
  AddItems({"a.wav"});
  struct Case {
    const char* time;
    const char* minutes;
    bool tooLong;
  } cases[] = {{"1:20:00", "80", false}, {"1:20:30", "80", true}, {"1:21:30", "82", true}, {"0:00:29", "0", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    ItemRow::SetText(*main->cGrid1, 1, "Time", c.time);
    WithBurner([&](g_frmCDBurner& w) {
      EXPECT_EQ(w.lblFilesToConvert->text(), QString("1 items to burn (") + c.minutes + " minutes).");
      EXPECT_EQ(w.cStatusBar1->PanelText("Total Size"), QString(c.minutes) + " Min / 80 Min.");
      EXPECT_EQ(w.prgSize->Max(), 83);
      EXPECT_EQ(w.prgSize->Value(), QString(c.minutes).toLong());
      EXPECT_EQ(w.prgSize->BarColor() == 255, c.tooLong);
      EXPECT_EQ(w.lblDataSize->font().bold(), c.tooLong);
      EXPECT_EQ(w.lblDataSize->text(), c.tooLong ? QString("Data is to big (more then 80 min). Please remove some tracks.")
                                                 : QString("Data Size: 1 files, ") + c.minutes + " Min / 80 Min.");
      ASSERT_EQ(w.cGrid1->Rows(), 1);
    });
  }
}

TEST_F(CDBurnerTest, ImageWriterShowsABlankDiscAndOnlyTheHighestSpeed) {
  WriteWav(media + "/a.wav", 44100, 2, 16, 1.0);
  AddItems({"a.wav"});
  WithBurner([&](g_frmCDBurner& w) {
    ASSERT_TRUE(w.cboDrv->currentText().contains(cue));
    ASSERT_EQ(w.cboSpeed->count(), 1);
    EXPECT_EQ(w.cboSpeed->currentText(), "Max.");
    EXPECT_EQ(w.cboSpeed->currentData().toLongLong(), 65535);
    EXPECT_EQ(w.lblDiskCapacity->text(), "80 Min");
    EXPECT_EQ(w.lblState->text(), "OK - Ready to be burn.");
    EXPECT_FALSE(w.lblState->font().bold());
  });
}

// The disc read back through the ripper window equals the items decoded at CD
// rate, up to the silence that fills each track's last sector and the next
// track's two-second pregap, which a rip gives to the track before it.
TEST_F(CDBurnerTest, WrittenDiscRipsBackToTheItemsSampleForSample) {
  const QStringList names = MakeItems();
  WithBurner([&](g_frmCDBurner& w) {
    Burn(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Finished.");
    EXPECT_EQ(w.prgTotal->Max(), 3);
    EXPECT_EQ(w.lblFilesToConvert->text(), "Files: 3/3");
    const QStringList log = Messages(w);
    EXPECT_TRUE(log.contains("Preparing to burn: 3 tracks."));
    EXPECT_TRUE(log.contains("Writing track..."));
    EXPECT_EQ(LastMessage(w), "Finished.");
  });

  main->setTree();
  drive = g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count());
  drive->SetSelected(true);
  main->cTreeView1_NodeClick(drive);
  ASSERT_EQ(main->cGrid1->Rows(), 3);
  WithRipper([&](g_frmCDRipper& w) {
    SelectFormat(w, "WAV - Waveform Audio Format (*.wav)");
    Rip(w);
  });
  const QStringList ripped = OutFiles();
  ASSERT_EQ(ripped.size(), 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(names[i].toStdString());
    const std::vector<int16_t> item = DecodedAtCdRate(media + "/" + names[i]);
    const std::vector<int16_t> track = DecodePcm(out + "/" + ripped[i]);
    const size_t frames = item.size() / 2;
    const size_t padded = (frames + kSectorFrames - 1) / kSectorFrames * kSectorFrames;
    const size_t pregap = i < 2 ? kPregapSectors * kSectorFrames : 0;
    ASSERT_EQ(track.size(), (padded + pregap) * 2);
    EXPECT_TRUE(std::equal(item.begin(), item.end(), track.begin()));
    EXPECT_TRUE(std::all_of(track.begin() + long(item.size()), track.end(), [](int16_t s) { return s == 0; }));
  }
}

TEST_F(CDBurnerTest, FilesThatCannotBeAddedAreLoggedAndNothingIsWrittenWithoutTracks) {
  MakeItems();
  QFile::remove(media + "/b.wav");
  WithBurner([&](g_frmCDBurner& w) {
    Burn(w);
    EXPECT_TRUE(Messages(w).contains("Cannot add b.wav"));
    EXPECT_EQ(w.prgTotal->Max(), 2);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Finished.");

    QFile::remove(media + "/a.wav");
    QFile::remove(media + "/c.ogg");
    const QByteArray before = ListFixtures::FileBytes(cue);
    w.cmdConvert->click();
    EXPECT_EQ(ScriptedUi::get().prompts().last(), "Nothing to burn.");
    EXPECT_TRUE(w.cmdConvert->isEnabled());
    EXPECT_TRUE(w.cmdExit->isEnabled());
    EXPECT_EQ(ListFixtures::FileBytes(cue), before);
  });
}

TEST_F(CDBurnerTest, AFailedWriteRunsNoEndActionAndTheWindowCanClose) {
  MakeItems();
  // The image's folder is gone by the time the disc is written.
  WithBurner([&](g_frmCDBurner& w) {
    TickEndActions(w);
    w.chkOpenCDdrive->setChecked(true);
    QDir(QFileInfo(cue).absolutePath()).removeRecursively();
    Burn(w);
    EXPECT_TRUE(w.lblCurrentTrack->text().startsWith("Error:")) << w.lblCurrentTrack->text().toStdString();
    EXPECT_EQ(LastMessage(w), w.lblCurrentTrack->text());
  });
  EXPECT_EQ(loadedForm<g_frmCDBurner>(), nullptr);
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_EQ(turnOffShown, 0);
}

TEST_F(CDBurnerTest, OpenTheCdDriveIsKeptPerUser) {
  WriteWav(media + "/a.wav", 44100, 2, 16, 1.0);
  AddItems({"a.wav"});
  WithBurner([&](g_frmCDBurner& w) {
    EXPECT_FALSE(w.chkOpenCDdrive->isChecked());
    w.chkOpenCDdrive->setChecked(true);
  });
  WithBurner([&](g_frmCDBurner& w) { EXPECT_TRUE(w.chkOpenCDdrive->isChecked()); });
}

TEST_F(CDBurnerTest, AbortDuringTheWriteLeavesNoImageAndRunsNoEndAction) {
  MakeItems();
  WithBurner([&](g_frmCDBurner& w) {
    TickEndActions(w);
    bool aborted = false;
    QObject::connect(w.cAudioBurner1, &cAudioBurner::Progress, &w, [&] {
      if (aborted) return;
      aborted = true;
      w.cmdExit->click();  // refused while the disc is written
      EXPECT_NE(loadedForm<g_frmCDBurner>(), nullptr);
      ScriptedUi::get().answers.push_back(vbYes);
      w.cmdAbort->click();
    });
    Burn(w);
    ASSERT_TRUE(aborted);
    EXPECT_EQ(ScriptedUi::get().prompts().last(), "Abort operation?" + QString(38, ' '));
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return LastMessage(w).startsWith("Error:"); }, 20000));
  });
  EXPECT_FALSE(QFileInfo::exists(cue));
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_EQ(turnOffShown, 0);
}

// The write thread has ended and posted its success before the Abort click is
// handled (the UI thread is held until then): the write still ends aborted,
// with no end action, and no image or hidden file is left.
TEST_F(CDBurnerTest, AbortMeetingTheEndOfTheWriteStillEndsAborted) {
  MakeItems();
  const QDir folder = QFileInfo(cue).absoluteDir();
  WithBurner([&](g_frmCDBurner& w) {
    TickEndActions(w);
    w.chkOpenCDdrive->setChecked(true);
    QObject::connect(w.cAudioBurner1, &cAudioBurner::ClosingSession, &w, [&] {
      // The CUE, in place or under its hidden name, is the thread's last file.
      QElapsedTimer t;
      t.start();
      while (folder.entryList({"*.cue", ".*.cue.*"}, QDir::Files | QDir::Hidden).isEmpty() && t.elapsed() < 60000)
        QThread::msleep(5);
      QThread::msleep(200);
      ScriptedUi::get().answers.push_back(vbYes);
      w.cmdAbort->click();
    });
    Burn(w);
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return LastMessage(w).startsWith("Error:") || LastMessage(w) == "Finished."; }, 20000));
    EXPECT_EQ(LastMessage(w), "Error:Aborted(" + QString::number(BurnErrAborted) + ")");
    EXPECT_FALSE(Messages(w).contains("Finished."));
  });
  EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden).join(' '), "");
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_EQ(turnOffShown, 0);
}

// A row's range is what its track gets, sample for sample: from a CD-audio WAV
// copied as it is, and from a file of another rate decoded as the converter
// decodes a range.
TEST_F(CDBurnerTest, ARowsRangeIsBurntAndNotTheWholeFile) {
  WriteWav(media + "/a.wav", 44100, 2, 16, 10.0, Signal::Ramp);
  WriteWav(media + "/b.wav", 22050, 1, 16, 10.0, Signal::Ramp);
  AddItems({"a.wav", "b.wav"});
  const long ranges[2][2] = {{2, 5}, {1, 4}};  // start and length in seconds
  for (long row = 1; row <= 2; ++row) {
    ItemRow::SetText(*main->cGrid1, row, "COL_RANGE_ALL", "0");
    ItemRow::SetText(*main->cGrid1, row, "COL_RANGE_START_TIME", QString::number(ranges[row - 1][0]));
    ItemRow::SetText(*main->cGrid1, row, "COL_RANGE_LENGTH_TIME", QString::number(ranges[row - 1][1]));
  }
  WithBurner([&](g_frmCDBurner& w) {
    Burn(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Finished.");
  });
  const QByteArray bin = ListFixtures::FileBytes(QFileInfo(cue).absolutePath() + "/disc.bin");
  const std::vector<int16_t> a = DecodedAtCdRate(media + "/a.wav", 2, 5);
  const std::vector<int16_t> whole = DecodedAtCdRate(media + "/a.wav");
  ASSERT_EQ(a.size(), size_t(5 * 44100 * 2));
  EXPECT_TRUE(std::equal(a.begin(), a.end(), whole.begin() + 2 * 44100 * 2));
  const std::vector<int16_t> b = DecodedAtCdRate(media + "/b.wav", 1, 4);
  const qint64 bSectors = std::max<qint64>((qint64(b.size()) / 2 + kSectorFrames - 1) / kSectorFrames, 300);
  ASSERT_EQ(bin.size(), (375 + kPregapSectors + bSectors) * 2352);
  const auto* samples = reinterpret_cast<const int16_t*>(bin.constData());
  EXPECT_TRUE(std::equal(a.begin(), a.end(), samples));
  const int16_t* bTrack = samples + (375 + kPregapSectors) * kSectorFrames * 2;
  EXPECT_TRUE(std::equal(b.begin(), b.end(), bTrack));
  EXPECT_TRUE(std::all_of(bTrack + b.size(), samples + bin.size() / 2, [](int16_t s) { return s == 0; }));
}

// The fill shown is the disc as it is written: twelve one-second items make
// 70 seconds (each padded to 4 s, 2-second pregaps between them), a minute.
TEST_F(CDBurnerTest, TheMinuteTotalCountsWhatIsWritten) {
  QStringList names;
  for (int i = 1; i <= 12; ++i) names << QString("t%1.wav").arg(i);
  for (const QString& n : names) WriteWav(media + "/" + n, 44100, 2, 16, 1.0);
  AddItems(names);
  WithBurner([&](g_frmCDBurner& w) {
    EXPECT_EQ(w.lblFilesToConvert->text(), "12 items to burn (1 minutes).");
    EXPECT_EQ(w.prgSize->Value(), 1);
    Burn(w);
  });
  const qint64 bin = QFileInfo(QFileInfo(cue).absolutePath() + "/disc.bin").size();
  EXPECT_EQ(bin, 70 * 75 * 2352);
}
