// The ripper's run on several workers into a compressed format: the drive is
// read track by track in row order while earlier tracks encode ahead into
// hidden temporary files, and what the user sees and gets is the run of one
// worker: the same files byte for byte, the same log, question and end; an
// Abort leaves no temporary file.
#include <QDir>
#include <QThread>
#include <mutex>

#include "SmallDisk.h"
#include "backend/cd/CdTrackSource.h"
#include "backend/cd/ReadAheadStore.h"
#include "platform/Services.h"
#include "platform/audio/cAudioConverter.h"
#include "tests/tools/disc/RipperFixture.h"

using namespace AudioFixtures;
using ListFixtures::FileBytes;
using ListFixtures::WriteBytes;

namespace {
const char* const kMp3 = "MP3 - MPEG-1 Audio Layer 3 (*.mp3)";

class RipperWorkAhead : public RipperTest {
 protected:
  void SetUp() override {
    RipperTest::SetUp();
    g_tMp3Settings = Mp3FormatRecord{};
    g_tMp3Settings.Bitrate = 128, g_tMp3Settings.SampleRate = 44100, g_tMp3Settings.Mode = 1;
    g_tMp3Settings.Quality = 5, g_bMp3Abr = false;
    g_lApeLevel = 2;
    g_sTagSong = "Song [TRACK_NUM]";
  }
  void TearDown() override {
    ReadAheadStore::SetDefaultBudget(ReadAheadStore::kBudget);
    RipperTest::TearDown();
  }
  QStringList PartFiles() const { return QDir(out).entryList({".*.part"}, QDir::Files | QDir::Hidden); }
  QStringList EveryFile() const { return QDir(out).entryList(QDir::Files | QDir::Hidden); }
};
}  // namespace

// Six tracks: two equal titles (the second gets " (2)"), a range row, a target
// that exists (asked at its turn, Yes), a row left unmarked.
TEST_F(RipperWorkAhead, ManyWorkersGiveTheFilesLogQuestionAndEndOfOne) {
  UseDisc({{1.2, 440}, {1, 550}, {2.5, 660}, {1, 770, 1}, {1.1, 880}, {1, 990}}, "ahead");
  const QStringList names = {"Same", "Same", "Cut", "Exists", "Skipped", "Last"};
  for (int r = 1; r <= names.size(); ++r) ItemRow::SetText(*main->cGrid1, r, "Item Name", names[r - 1] + ".cda");
  ItemRow::SetIcon(*main->cGrid1, 5, "Inc", ItemRow::kUnmarked);
  ItemRow::SetText(*main->cGrid1, 3, "COL_RANGE_ALL", "0");
  ItemRow::SetText(*main->cGrid1, 3, "COL_RANGE_START_TIME", "1");
  ItemRow::SetText(*main->cGrid1, 3, "COL_RANGE_LENGTH_TIME", "1");
  UseItemNameTemplate();
  struct Format {
    const char* listText;
    const char* ext;
  } formats[] = {{kMp3, "mp3"}, {"APE - Monkey 's Audio (*.ape)", "ape"}};
  for (const Format& f : formats) {
    SCOPED_TRACE(f.ext);
    const QString ext = f.ext;
    const auto seen = RunOnWorkers({1, 4}, [&](int workers, RunSeen& s) {
      out = TestEnv::FreshDir(QString("out_%1_%2").arg(ext).arg(workers));
      WriteBytes(out + "/Exists.cda." + ext, "old");
      ScriptedUi::get().reset();
      ScriptedUi::get().answers = {vbYes};
      WithRipper([&](g_frmCDRipper& w) {
        SelectFormat(w, f.listText);
        // While the first track encodes, later tracks' files appear beside it.
        bool looked = false;
        QObject::connect(w.cAudioCDRipper1, &cAudioCDRipper::Progress, &w, [&](long) {
          if (w.m_lCurrentRow != 1 || looked) return;
          looked = true;
          auto ahead = [&] { return !PartFiles().filter(QRegularExpression("^\\.(Cut|Last)\\.")).isEmpty(); };
          s.workedAhead = workers > 1 ? HoldsSoon(ahead) : ahead();
        });
        Rip(w);
        s.log = Messages(w);
        s.end = w.lblCurrentTrack->text();
      });
      s.prompts = ScriptedUi::get().prompts().replaceInStrings(out, "<out>");
      s.files = EveryFile();
      for (const QString& file : s.files) s.bytes[file] = FileBytes(out + "/" + file);
    });
    ExpectWhatOneWorkerGives(seen);
    const RunSeen& four = seen.at(4);
    EXPECT_FALSE(seen.at(1).workedAhead);
    EXPECT_TRUE(four.workedAhead);
    EXPECT_EQ(four.log.filter("Done.").size(), 5);
    EXPECT_EQ(four.end, "Done.");
    EXPECT_EQ(four.prompts.size(), 1);
    EXPECT_EQ(four.files, QStringList({"Cut.cda." + ext, "Exists.cda." + ext, "Last.cda." + ext,
                                       "Same.cda (2)." + ext, "Same.cda." + ext}));
    EXPECT_NE(four.bytes.at("Exists.cda." + ext), "old");
  }
  EXPECT_EQ(DecodePcm(out + "/Same.cda.ape"), TrackSamples(1));
}

// Rows that are not read ahead (their targets exist, so their question comes
// first) still read the drive at their place in row order, and a row skipped
// at its question gives its place up, so the rows after it read on.
TEST_F(RipperWorkAhead, EveryRowReadsTheDriveAtItsPlace) {
  UseDisc({{1, 440}, {1, 550}, {1, 660}, {1, 770}, {1, 880}}, "order");
  cAudioConverter::SetWorkAheadThreads(3);
  WriteBytes(out + "/Track01.mp3", "old");
  WriteBytes(out + "/Track03.mp3", "old");
  ScriptedUi::get().answers = {vbYes, vbNo};
  std::mutex mutex;
  std::vector<long> reads;
  WatchCdReads([&](long track) {
    std::lock_guard lock(mutex);
    reads.push_back(track);
  });
  WithRipper([&](g_frmCDRipper& w) {
    SelectFormat(w, kMp3);
    Rip(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
  });
  WatchCdReads({});
  EXPECT_EQ(reads, (std::vector<long>{1, 2, 4, 5}));
  EXPECT_EQ(FileBytes(out + "/Track03.mp3"), "old");
  EXPECT_EQ(EveryFile(), QStringList({"Track01.mp3", "Track02.mp3", "Track03.mp3", "Track04.mp3", "Track05.mp3"}));
}

// An Abort while later tracks are read and encoded ahead: nothing of any
// unfinished track stays, temporary files included.
TEST_F(RipperWorkAhead, AbortRemovesEveryTrackRippedAhead) {
  UseDisc({{1, 440}, {8, 550}, {1, 660}, {1, 770}, {1, 880}}, "abort");
  cAudioConverter::SetWorkAheadThreads(3);
  bool aborted = false;
  WithRipper([&](g_frmCDRipper& w) {
    SelectFormat(w, kMp3);
    QObject::connect(w.cAudioCDRipper1, &cAudioCDRipper::Progress, &w, [&](long) {
      if (w.m_lCurrentRow != 2 || aborted) return;
      // Later tracks encode into their temporary files meanwhile (the window
      // waits here, so track 2 stays running as the user sees it).
      const QRegularExpression later("^\\.Track0[345]\\.");
      EXPECT_TRUE(HoldsSoon([&] { return PartFiles().filter(later).size() >= 2; }));
      aborted = true;
      ScriptedUi::get().answers.push_back(vbYes);
      w.cmdAbort->click();
    });
    Rip(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Aborted.");
    EXPECT_EQ(Messages(w).filter("Aborted.").size(), 1);
  });
  ASSERT_TRUE(aborted);
  // The stopped rips' files go as they end, after the run's end.
  EXPECT_TRUE(cAudioConverter::WaitForStoppedJobs(10000));
  EXPECT_EQ(EveryFile(), QStringList{"Track01.mp3"});
}

// A disc image cut in the middle of its second track: that track ends in a
// read error at the cut, not in silence, and the track wholly behind the cut
// in one at its start, among good ones, on four workers as on one.
TEST_F(RipperWorkAhead, DamagedDiscGivesTheErrorsOfOneWorker) {
  UseDisc({{1, 440}, {4, 330}, {1, 550}}, "damaged");
  QFile bin(image.bin);
  ASSERT_TRUE(bin.resize(image.starts[1] + 2 * 75 * DiscImage::kSectorBytes));
  const auto seen = RunOnWorkers({1, 4}, [&](int workers, RunSeen& s) {
    out = TestEnv::FreshDir(QString("out_damaged_%1").arg(workers));
    WithRipper([&](g_frmCDRipper& w) {
      SelectFormat(w, kMp3);
      Rip(w);
      s.log = Messages(w);
      s.end = w.lblCurrentTrack->text();
    });
    s.files = EveryFile();
  });
  ExpectWhatOneWorkerGives(seen);
  EXPECT_EQ(seen.at(1).end, "Done.");
  EXPECT_EQ(seen.at(1).log.filter("Error: "),
            QStringList({"Error: Read error on track 2 at 0:02.(1)", "Error: Read error on track 3 at 0:00.(1)"}));
  EXPECT_EQ(seen.at(1).files, QStringList({"Track01.mp3"}));
}

// Six tracks to MP3 on a disk with room for the first two, the first one
// long: the tracks ripped and the tracks failed are those of one worker,
// whatever was encoded ahead meanwhile.
TEST_F(RipperWorkAhead, AFullDiskFailsTheTracksOfOneWorker) {
  UseDisc({{10, 440}, {5, 550}, {5, 660}, {5, 770}, {5, 880}, {5, 990}}, "full");
  g_tMp3Settings.Quality = 0;  // the slowest coding: encoding ahead outlasts the reads
  const QString disk = TestEnv::FreshDir("small_disk");
  // About 16 kB a second at 128 kbit/s; the disk holds seventeen and a half.
  const SmallDisk small(disk, 286720);
  if (!small.Mounted()) GTEST_SKIP() << "no small disk can be mounted here";
  const auto seen = RunOnWorkers({1, 4}, [&](int, RunSeen& s) {
    out = disk;
    for (const QString& file : EveryFile()) QFile::remove(out + "/" + file);
    WithRipper([&](g_frmCDRipper& w) {
      SelectFormat(w, kMp3);
      Rip(w);
      s.log = Messages(w).filter(QRegularExpression("^(Done|Error)"));
    });
    s.files = EveryFile();
  });
  ExpectWhatOneWorkerGives(seen);
  EXPECT_EQ(seen.at(1).log.mid(0, 2), QStringList(2, "Done."));
  EXPECT_EQ(seen.at(1).log.filter("Error: Cannot write " + disk).size(), 4);
  EXPECT_EQ(seen.at(1).files, QStringList({"Track01.mp3", "Track02.mp3"}));
}

// Tracks read ahead that cannot be held aside (nothing fits in memory and the
// folder for them cannot be made) are ripped again at their turns, which read
// as they encode: the files and log of one worker.
TEST_F(RipperWorkAhead, TracksThatCannotBeHeldAsideAreRippedAtTheirTurns) {
  UseDisc({{1, 440}, {1.5, 550}, {1, 660}, {1.2, 770}}, "aside");
  WriteBytes(ProgramFolder() + "/ripcache", "a file where the folder goes");
  ReadAheadStore::SetDefaultBudget(0);
  const auto seen = RunOnWorkers({1, 4}, [&](int workers, RunSeen& s) {
    out = TestEnv::FreshDir(QString("aside_%1").arg(workers));
    WithRipper([&](g_frmCDRipper& w) {
      SelectFormat(w, kMp3);
      Rip(w);
      s.log = Messages(w);
    });
    s.files = EveryFile();
    for (const QString& file : s.files) s.bytes[file] = FileBytes(out + "/" + file);
  });
  ExpectWhatOneWorkerGives(seen);
  EXPECT_EQ(seen.at(1).log.filter("Done.").size(), 4);
  EXPECT_EQ(seen.at(1).bytes.size(), 4u);
}
