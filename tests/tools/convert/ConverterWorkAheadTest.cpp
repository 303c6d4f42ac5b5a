// The converter's run on several workers: later rows convert ahead into hidden
// temporary files, and what the user sees and gets is the run of one worker:
// the same files byte for byte, the same log, questions and end; an Abort
// leaves no temporary file.
#include <QDir>
#include <QLabel>
#include <QThread>

#include "GermanLocale.h"
#include "platform/audio/cAudioConverter.h"
#include "SmallDisk.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "tests/taskframe/TaskFixture.h"

using namespace AudioFixtures;
using ListFixtures::FileBytes;
using ListFixtures::WriteBytes;

namespace {
const char* const kMp3 = "MP3 - MPEG-1 Audio Layer 3 (*.mp3)";

class ConverterWorkAhead : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    g_sDefaultFileNameFormat = "[file_name].[dest_extension]";
    g_tMp3Settings = Mp3FormatRecord{};
    g_tMp3Settings.Bitrate = 128, g_tMp3Settings.SampleRate = 44100, g_tMp3Settings.Mode = 1;
    g_tMp3Settings.Quality = 5, g_bMp3Abr = false;
    g_bOggBitrateMode = false, g_lOggQuality = 50;
    g_lApeLevel = 2;
    g_sTagSong = "[ITEM_NAME] #[TRACK_NUM]";
    g_sTagComment = "[SOURCE_NAME] [RANGE] [YEAR]";
  }
  // Hidden temporary files in the output folder, by the output they are for.
  QStringList PartFiles() const {
    return QDir(out).entryList({".*.part"}, QDir::Files | QDir::Hidden);
  }
};

// An Ogg file with each page's stream serial (chosen at random per file) and
// checksum blanked.
QByteArray WithoutOggSerials(QByteArray ogg) {
  for (qsizetype at = ogg.indexOf("OggS"); at >= 0 && at + 27 <= ogg.size(); at = ogg.indexOf("OggS", at + 27)) {
    ogg.replace(at + 14, 4, QByteArray(4, 0));
    ogg.replace(at + 22, 4, QByteArray(4, 0));
  }
  return ogg;
}
}  // namespace

// Eight items: a damaged one, one whose target exists (Yes), one whose target
// exists (No), two of one name (the second gets " (2)", nothing asked).
TEST_F(ConverterWorkAhead, ManyWorkersGiveTheFilesLogQuestionsAndEndOfOne) {
  QDir(media).mkpath("sub");
  const QStringList names = {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav", "f.wav", "sub/a.wav", "g.wav"};
  for (int i = 0; i < names.size(); ++i) WriteWav(media + "/" + names[i], i % 2 ? 22050 : 44100, 1 + i % 2, 16, 1.0 + 0.1 * i);
  AddItems(names);
  ASSERT_EQ(main->cGrid1->Rows(), 8);
  WriteBytes(media + "/c.wav", QByteArray(5000, 'z'));
  ItemRow::SetText(*main->cGrid1, 5, "COL_RANGE_ALL", "0");
  ItemRow::SetText(*main->cGrid1, 5, "COL_RANGE_START_TIME", "1");
  ItemRow::SetText(*main->cGrid1, 5, "COL_RANGE_LENGTH_TIME", "1");
  struct Format {
    const char* listText;
    const char* ext;
  } formats[] = {{kMp3, "mp3"}, {"OGG - Ogg Media Format (*.ogg)", "ogg"}, {"APE - Monkey 's Audio (*.ape)", "ape"},
                 {"WAV - Waveform Audio Format (*.wav)", "wav"}};
  for (const Format& f : formats) {
    SCOPED_TRACE(f.ext);
    const auto seen = RunOnWorkers({1, 4}, [&](int workers, RunSeen& s) {
      out = TestEnv::FreshDir(QString("out_%1_%2").arg(f.ext).arg(workers));
      WriteBytes(out + "/d." + QString(f.ext), "old d");
      WriteBytes(out + "/f." + QString(f.ext), "old f");
      ScriptedUi::get().reset();
      ScriptedUi::get().answers = {vbYes, vbNo};
      WithConverter([&](g_frmConverter& w) {
        ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, f.listText));
        // While the first row converts, later rows' files appear beside it.
        bool looked = false;
        QObject::connect(w.cAudioConverter1, &cAudioConverter::Progress, &w, [&](long) {
          if (w.m_lCurrentRow != 1 || looked) return;
          looked = true;
          auto ahead = [&] { return !PartFiles().filter(QRegularExpression("^\\.[bg]\\.")).isEmpty(); };
          s.workedAhead = workers > 1 ? HoldsSoon(ahead) : ahead();
        });
        Convert(w);
        s.log = Messages(w);
        s.end = w.lblCurrentTrack->text();
      });
      s.prompts = ScriptedUi::get().prompts().replaceInStrings(out, "<out>");
      s.files = OutFiles();
      for (const QString& file : s.files)
        s.bytes[file] = file.endsWith(".ogg") ? WithoutOggSerials(FileBytes(out + "/" + file)) : FileBytes(out + "/" + file);
    });
    ExpectWhatOneWorkerGives(seen);
    const RunSeen& four = seen.at(4);
    EXPECT_FALSE(seen.at(1).workedAhead);
    EXPECT_TRUE(four.workedAhead);
    EXPECT_EQ(four.end, "Done.");
    EXPECT_EQ(four.prompts.size(), 2);
    EXPECT_EQ(four.log.filter("Error: ").size(), 1);
    const QString ext = f.ext;
    EXPECT_EQ(four.files, QStringList({"a (2)." + ext, "a." + ext, "b." + ext, "d." + ext, "e." + ext, "f." + ext, "g." + ext}));
    EXPECT_EQ(four.bytes.at("f." + ext), "old f");
    EXPECT_EQ(four.bytes.at("a." + ext).size(), FileBytes(out + "/a." + ext).size());
    EXPECT_NE(four.bytes.at("a (2)." + ext), four.bytes.at("a." + ext));
    EXPECT_NE(four.bytes.at("d." + ext), "old d");
  }
}

// An Abort while later rows are already converted ahead: nothing of any
// unfinished row stays, temporary files included.
TEST_F(ConverterWorkAhead, AbortRemovesEveryFileConvertedAhead) {
  const QStringList names = {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"};
  for (const QString& n : names) WriteWav(media + "/" + n, 44100, 2, 16, n == "b.wav" ? 8.0 : 1.0);
  AddItems(names);
  cAudioConverter::SetWorkAheadThreads(3);
  bool aborted = false;
  WithConverter([&](g_frmConverter& w) {
    ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, kMp3));
    QObject::connect(w.cAudioConverter1, &cAudioConverter::Progress, &w, [&](long) {
      if (w.m_lCurrentRow != 2 || aborted) return;
      // Later rows convert into their temporary files meanwhile (the window
      // waits here, so row 2 stays running as the user sees it).
      EXPECT_TRUE(HoldsSoon([&] { return PartFiles().filter(QRegularExpression("^\\.[cde]\\.")).size() >= 3; }));
      aborted = true;
      ScriptedUi::get().answers.push_back(vbYes);
      w.cmdAbort->click();
    });
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Aborted.");
    EXPECT_EQ(LastMessage(w), "Aborted.");
  });
  ASSERT_TRUE(aborted);
  // The stopped jobs' files go as they end, after the run's end.
  EXPECT_TRUE(cAudioConverter::WaitForStoppedJobs(10000));
  EXPECT_EQ(OutFiles(), QStringList{"a.mp3"});
  EXPECT_EQ(PartFiles(), QStringList());
}

// A later row whose source is a link to the first row's target converts the
// target the first row wrote, on four workers as on one, not the file that
// was there before.
TEST_F(ConverterWorkAhead, ASourceReachedThroughALinkIsReadAfterTheRowThatWritesIt) {
  g_sDefaultFileNameFormat = "[123].[dest_extension]";
  const QString target = TestEnv::FreshDir("written") + "/1.wav";
  WriteWav(media + "/a.wav", 44100, 2, 16, 3.0);
  WriteWav(target, 22050, 1, 16, 0.5);
  ASSERT_TRUE(QFile::link(target, media + "/link.wav"));
  AddItems({"a.wav", "link.wav"});
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  const auto seen = RunOnWorkers({1, 4}, [&](int, RunSeen& s) {
    WriteWav(target, 22050, 1, 16, 0.5);
    out = QFileInfo(target).absolutePath();
    QFile::remove(out + "/2.wav");
    WithConverter([&](g_frmConverter& w) {
      ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, "WAV - Waveform Audio Format (*.wav)"));
      w.chkOverWrite->setChecked(true);
      Convert(w);
      s.log = Messages(w);
    });
    s.files = OutFiles();
    for (const QString& file : s.files) s.bytes[file] = FileBytes(out + "/" + file);
  });
  ExpectWhatOneWorkerGives(seen);
  EXPECT_EQ(seen.at(1).files, QStringList({"1.wav", "2.wav"}));
  EXPECT_EQ(DecodePcm(out + "/2.wav"), DecodePcm(media + "/a.wav"));
}

// Six items to MP3 on a disk with room for three: the rows written and the
// rows failed are those of one worker, whatever the workers wrote ahead.
TEST_F(ConverterWorkAhead, AFullDiskFailsTheRowsOfOneWorker) {
  const QString disk = TestEnv::FreshDir("small_disk");
  // About 80 kB each at 128 kbit/s; the disk holds three and a half.
  const SmallDisk small(disk, 286720);
  if (!small.Mounted()) GTEST_SKIP() << "no small disk can be mounted here";
  const QStringList names = {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav", "f.wav"};
  for (const QString& n : names) WriteWav(media + "/" + n, 44100, 2, 16, 5.0);
  AddItems(names);
  const auto seen = RunOnWorkers({1, 4, 8}, [&](int, RunSeen& s) {
    out = disk;
    for (const QString& file : FilesIn(out)) QFile::remove(out + "/" + file);
    WithConverter([&](g_frmConverter& w) {
      ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, kMp3));
      Convert(w);
      s.log = Messages(w).filter(QRegularExpression("^(Done|Error)"));
    });
    s.files = OutFiles();
  });
  ExpectWhatOneWorkerGives(seen);
  const QStringList& log = seen.at(1).log;
  EXPECT_EQ(log.mid(0, 3), QStringList(3, "Done."));
  EXPECT_EQ(log.filter("Error: Cannot write " + disk).size(), 3);
  EXPECT_EQ(seen.at(1).files, QStringList({"a.mp3", "b.mp3", "c.mp3"}));
}

// Eight rows on two workers, every other one over an existing output twice
// its size, on a disk with room for the eight outputs and two more: one row
// at a time fits, rows worked ahead run out of room. They convert again at their turns,
// so that every row is done, in our APE writer as in LAME's, under a locale
// whose system messages are not English.
TEST_F(ConverterWorkAhead, RowsShortOfRoomAheadAreDoneAtTheirTurnsInAnyLanguage) {
  const GermanLocale german;
  ASSERT_TRUE(german.Active() || !GermanLocale::Buildable()) << german.Problem().toStdString();
  if (!german.Active()) GTEST_SKIP() << german.Problem().toStdString();
  QStringList names;
  for (char c = 'a'; c <= 'h'; ++c) names << QString("%1.wav").arg(c);
  for (const QString& n : names) WriteWav(media + "/" + n, 44100, 2, 16, 4.0);
  AddItems(names);
  ASSERT_EQ(main->cGrid1->Rows(), 8);
  for (const auto& [listText, ext] : {std::pair{"APE - Monkey 's Audio (*.ape)", "ape"}, std::pair{kMp3, "mp3"}}) {
    SCOPED_TRACE(ext);
    auto run = [&] {
      WithConverter([&](g_frmConverter& w) {
        ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, listText));
        w.chkOverWrite->setChecked(true);
        Convert(w);
        EXPECT_EQ(Messages(w).filter(QRegularExpression("^(Done|Error)")), QStringList(8, "Done."));
      });
    };
    cAudioConverter::SetWorkAheadThreads(1);
    out = TestEnv::FreshDir(QString("room_%1").arg(ext));
    run();
    const QString written = out;
    const QStringList files = OutFiles();
    ASSERT_EQ(files.size(), 8);
    // Each file takes whole pages of the disk.
    auto pages = [](qint64 bytes) { return (bytes + 4095) / 4096 * 4096; };
    qint64 room = 0, largest = 0;
    for (const QString& file : files) {
      room += pages(QFileInfo(written + "/" + file).size());
      largest = std::max(largest, pages(QFileInfo(written + "/" + file).size()));
    }
    cAudioConverter::SetWorkAheadThreads(2);
    // Which rows run short, and where in their writing, differs from run to run.
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(round);
      out = TestEnv::FreshDir(QString("full_%1").arg(ext));
      const SmallDisk small(out, long(room + 2 * largest));
      if (!small.Mounted()) GTEST_SKIP() << "no small disk can be mounted here";
      for (int i = 1; i < files.size(); i += 2)
        WriteBytes(out + "/" + files[i], QByteArray(QFileInfo(written + "/" + files[i]).size() * 2, 'o'));
      run();
      EXPECT_EQ(OutFiles(), files);
      for (const QString& file : files)
        EXPECT_TRUE(FileBytes(out + "/" + file) == FileBytes(written + "/" + file)) << file.toStdString();
      EXPECT_TRUE(cAudioConverter::WaitForStoppedJobs(60000));
    }
  }
}

// Two items whose names differ only in case: the second's turn names it
// " (2)", and it works ahead under that name, so that its turn takes it.
TEST_F(ConverterWorkAhead, ARowWorksAheadUnderTheNameItsTurnGivesIt) {
  for (const QString& n : {"A.wav", "a.wav"}) WriteWav(media + "/" + n, 44100, 2, 16, 4.0);
  AddItems({"A.wav", "a.wav"});
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  cAudioConverter::SetWorkAheadThreads(3);
  bool workedAhead = false;
  WithConverter([&](g_frmConverter& w) {
    ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, kMp3));
    bool looked = false;
    QObject::connect(w.cAudioConverter1, &cAudioConverter::Progress, &w, [&](long) {
      if (w.m_lCurrentRow != 1 || looked) return;
      looked = true;
      const QRegularExpression second("^\\.[aA] \\(2\\)\\.mp3\\.", QRegularExpression::CaseInsensitiveOption);
      workedAhead = HoldsSoon([&] { return !PartFiles().filter(second).isEmpty(); });
    });
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
  });
  EXPECT_TRUE(workedAhead);
  EXPECT_EQ(OutFiles().size(), 2);
  EXPECT_EQ(OutFiles().filter(QRegularExpression("^[aA] \\(2\\)\\.mp3$")).size(), 1);
}
