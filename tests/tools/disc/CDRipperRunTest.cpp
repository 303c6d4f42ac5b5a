// The ripper run end to end on a generated three-track image: the hand-over
// from the main window, every format, a range row, and names from a CD
// database lookup, hostile ones included.
#include <QLineEdit>
#include <QFileInfo>

#include "CddbServer.h"
#include "core/mdlFunctions.h"
#include "platform/cSysTray.h"
#include "tests/tools/disc/RipperFixture.h"
#include "tests/settings/SettingsFixture.h"
#include "tools/disc/g_frmFreeDB.h"

using namespace AudioFixtures;
using ListFixtures::Cell;

namespace {

// Only the marked tracks rip, yet the ripper holds every track of the disc
// with its mark, so a row is its track number; the drive is chosen and locked.
TEST_F(RipperTest, HandOverKeepsEveryTrackAndLocksTheDrive) {
  UseThreeTracks();
  ItemRow::SetIcon(*main->cGrid1, 2, "Inc", ItemRow::kUnmarked);
  const QString letter = drive->Text();
  WithRipper([&](g_frmCDRipper& w) {
    EXPECT_EQ(w.windowTitle(), "Audio CD Ripper");
    EXPECT_EQ(w.lblFilesToConvert->text(), "2 items to convert.");
    EXPECT_EQ(w.g_ltmrItemSecsTotal, 2 + 1);
    ASSERT_EQ(w.cGrid1->Rows(), 3);
    for (long r = 1; r <= 3; ++r) EXPECT_EQ(ItemRow::Icon(*w.cGrid1, r, "Inc"), r == 2 ? 0 : 1) << r;
    EXPECT_TRUE(w.cboDevices->currentText().startsWith(letter));
    EXPECT_EQ(w.cboDevices->currentIndex(), w.cboDevices->count() - 1);
    EXPECT_FALSE(w.cboDevices->isEnabled());
    // The eject is the "Eject the CD door" box: no "Open" button beside the drive.
    for (const QPushButton* b : w.findChildren<QPushButton*>()) EXPECT_NE(b->text(), "Open");
    EXPECT_EQ(w.lblCDStatus->text(), "OK: 3 CDA tracks");
    EXPECT_EQ(w.txtUndeForlder->text(), QString(letter).replace(':', '-'));
    EXPECT_TRUE(w.chkOpenCDdrive->isChecked());
    SelectFormat(w, "WAV - Waveform Audio Format (*.wav)");
    TickEndActions(w);
    Rip(w);
    const QStringList log = Messages(w);
    EXPECT_EQ(log[0], "Preparing to rip: 3 tracks.");
    EXPECT_EQ(log.filter("Start to rip: ").join('|'), "Start to rip: Track01.cda...|Start to rip: Track03.cda...");
    EXPECT_EQ(w.lblFilesToConvert->text(), "Files: 3/3");
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    EXPECT_EQ(w.windowTitle(), "Done.");
    EXPECT_EQ(w.prgTotal->Value(), 300);
    EXPECT_EQ(main->cSysTray1->LastBalloonText(), "Done.");
  });
  EXPECT_EQ(OutFiles(), QStringList({"Track01.wav", "Track03.wav"}));
  EXPECT_TRUE(DecodePcm(out + "/Track01.wav") == TrackSamples(1));
  EXPECT_TRUE(DecodePcm(out + "/Track03.wav") == TrackSamples(3));
  // The image drive has no tray: the eject changes nothing; the turn-off follows a clean run.
  EXPECT_TRUE(QFile::exists(image.cue));
  EXPECT_EQ(turnOffShown, 1);
  EXPECT_EQ(sounds.size(), 1);
}

// Every track into WAV (bit-exact) and into the compressed formats: they
// decode to the track's length, to a codec frame, and carry the row's tags.
TEST_F(RipperTest, EveryTrackIntoEachFormat) {
  g_sTagSong = "Song [TRACK_NUM]";
  g_sTagArtist = "[PROG_NAME]";
  g_sTagAlbum = "Tones";
  g_sTagYear = "2001";
  UseThreeTracks();
  struct Target {
    const char* listText;
    const char* ext;
    const char* codec;
    int tolerance;  // frames; -1: every sample
    bool tags;
  } targets[] = {{"WAV - Waveform Audio Format (*.wav)", "wav", "pcm_s16le", -1, false},
                 {"MP3 - MPEG-1 Audio Layer 3 (*.mp3)", "mp3", "mp3", 1152 * 2 + 529, true},
                 {"OGG - Ogg Media Format (*.ogg)", "ogg", "vorbis", 2048, true},
                 {"APE - Monkey 's Audio (*.ape)", "ape", "ape", -1, true}};
  g_tMp3Settings = Mp3FormatRecord{};
  g_tMp3Settings.Bitrate = 128, g_tMp3Settings.SampleRate = 44100, g_tMp3Settings.Mode = 1;
  g_tMp3Settings.Quality = 5, g_tMp3Settings.WriteVbrTag = -1, g_bMp3Abr = false;
  g_bOggBitrateMode = false, g_lOggQuality = 50, g_lApeLevel = 2;
  for (const Target& t : targets) {
    SCOPED_TRACE(t.ext);
    WithRipper([&](g_frmCDRipper& w) {
      SelectFormat(w, t.listText);
      Rip(w);
      EXPECT_EQ(Messages(w).filter("Done.").size(), 3) << Messages(w).join("\n").toStdString();
    });
    for (int track = 1; track <= 3; ++track) {
      SCOPED_TRACE(track);
      const QString file = out + QString("/Track%1.").arg(track, 2, 10, QChar('0')) + t.ext;
      const Probe p = ProbeFile(file);
      EXPECT_EQ(p.codec, t.codec);
      EXPECT_EQ(p.sampleRate, 44100);
      EXPECT_EQ(p.channels, 2);
      const std::vector<int16_t> got = DecodePcm(file);
      const std::vector<int16_t> want = TrackSamples(track);
      if (t.tolerance < 0) {
        EXPECT_TRUE(got == want);
      } else {
        EXPECT_NEAR(double(got.size() / 2), double(want.size() / 2), t.tolerance);
        EXPECT_NEAR(Rms(got), Rms(want), Rms(want) * 0.1);
      }
      if (!t.tags) continue;
      EXPECT_EQ(p.tags.value("title"), "Song " + QString::number(track));
      EXPECT_EQ(p.tags.value("artist"), "Tessory");
      EXPECT_EQ(p.tags.value("album"), "Tones");
      EXPECT_TRUE(p.tags.value("date", p.tags.value("year")).startsWith("2001"));
    }
  }
}

// A row with a range rips exactly those seconds; the next row, without one,
// rips its whole track.
TEST_F(RipperTest, RangeRowRipsExactlyThatRange) {
  UseThreeTracks();
  ItemRow::SetText(*main->cGrid1, 2, "COL_RANGE_ALL", "0");
  ItemRow::SetText(*main->cGrid1, 2, "COL_RANGE_START_TIME", "1");
  ItemRow::SetText(*main->cGrid1, 2, "COL_RANGE_LENGTH_TIME", "1");
  ItemRow::SetIcon(*main->cGrid1, 1, "Inc", ItemRow::kUnmarked);
  WithRipper([&](g_frmCDRipper& w) {
    EXPECT_EQ(w.g_ltmrItemSecsTotal, 1 + 1);
    SelectFormat(w, "WAV - Waveform Audio Format (*.wav)");
    Rip(w);
  });
  const qint64 second = 75 * DiscImage::kSectorBytes;
  EXPECT_TRUE(DecodePcm(out + "/Track02.wav") == Samples(image.TrackBytes(2).mid(second, second)));
  EXPECT_TRUE(DecodePcm(out + "/Track03.wav") == TrackSamples(3));
  EXPECT_EQ(OutFiles(), QStringList({"Track02.wav", "Track03.wav"}));
}

// Titles from a CD database name the files and the sub-folder, and whatever
// they hold, every file lands inside the destination with a name the file
// system takes, and none of them is hidden.
TEST_F(RipperTest, LookupNamesStayInsideTheDestination) {
  const QString longTitle(1000, u'\u00e9');  // two bytes each
  const QByteArrayList titles = {"..", "AC/DC", "Tab\tand\x01 bell\x07", QByteArray("Bad \xff\xfe utf8"),
                                 longTitle.toUtf8(), "../../escape"};
  std::vector<DiscImage::Track> tracks;
  for (int i = 0; i < titles.size(); ++i) tracks.push_back({2, 300.0 + 100 * i});
  UseDisc(tracks, "hostile");
  CddbServer server;
  const QString id = CddbServer::DiscId(image);
  QByteArrayList entry = CddbServer::Entry(image, id, "AC/DC", "../..", {"a", "b", "c", "d", "e", "f"});
  for (int i = 0; i < titles.size(); ++i)
    for (QByteArray& line : entry)
      if (line.startsWith("TTITLE" + QByteArray::number(i) + "=")) line = "TTITLE" + QByteArray::number(i) + "=" + titles[i];
  server.queryReply = "200 rock " + id + " AC/DC / ../..\r\n";
  server.entries["rock " + id] = entry;
  Store("General", "sFreeDBServer", "127.0.0.1");
  Store("General", "lFreeDBPort", QString::number(server.Port()));
  main->RunCommand("FreeDB");
  ASSERT_TRUE(TestEnv::WaitUntil([] { return loadedForm<g_frmFreeDB>() == nullptr; }, 15000));
  ASSERT_EQ(Cell(main, 2, "Item Name"), "AC/DC.cda");
  ASSERT_EQ(drive->Text(), "AC/DC - /..");
  // The lookup passes no control characters on and reads bytes that are not
  // UTF-8 as Latin-1; a list row may still hold anything.
  EXPECT_EQ(Cell(main, 3, "Item Name"), "Tab and  bell .cda");
  EXPECT_EQ(Cell(main, 4, "Item Name"), QString::fromLatin1("Bad \xff\xfe utf8.cda"));
  for (int r : {3, 4, 5}) ItemRow::SetText(*main->cGrid1, r, "Item Name", QString::fromUtf8(titles[r - 1]) + ".cda");
  UseItemNameTemplate();
  const QString outside = QFileInfo(out).absolutePath();
  const QStringList before = QDir(outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  WithRipper([&](g_frmCDRipper& w) {
    SelectFormat(w, "WAV - Waveform Audio Format (*.wav)");
    w.chkCreateSubFolder->setChecked(true);
    Rip(w);
    EXPECT_EQ(Messages(w).filter("Error").join('|'), "");
  });
  EXPECT_EQ(QDir(outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
  const QString sub = mdlFunctions::MakeSafeFileName("AC/DC - /..");
  ASSERT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{sub});
  const QString folder = out + "/" + sub;
  QStringList files = FilesIn(folder);
  ASSERT_EQ(files.size(), titles.size()) << files.join('|').toStdString();
  EXPECT_TRUE(files.contains("Track01.cda.wav"));
  EXPECT_TRUE(files.contains("AC_DC.cda.wav"));
  EXPECT_TRUE(files.contains("Tab_and_ bell_.cda.wav"));
  EXPECT_TRUE(files.contains(QString::fromUtf8("Bad \xff\xfe utf8") + ".cda.wav"));
  EXPECT_TRUE(files.contains(QString(98, u'\u00e9') + ".wav"));
  EXPECT_TRUE(files.contains("_.._escape.cda.wav"));
  EXPECT_FALSE(sub.startsWith('.'));
  for (const QString& f : files) {
    SCOPED_TRACE(f.toStdString());
    EXPECT_FALSE(f.startsWith('.'));
    EXPECT_LE(f.toUtf8().size(), mdlFunctions::kMaxFileNameBytes);
    EXPECT_TRUE(f.endsWith(".wav"));
    EXPECT_EQ(DecodePcm(folder + "/" + f).size(), size_t(2 * 44100 * 2));
  }
}

// Equal titles, titles equal in their first 200 bytes and titles differing
// only in case never share a file, "Overwrite" ticked or not: the later track
// gets " (2)", " (3)" before the extension.
TEST_F(RipperTest, EqualTitlesNeverShareAFile) {
  const QString longA = QString(300, u'x') + "A", longB = QString(300, u'x') + "B";
  const QStringList names = {"Same", "Same", longA, longB, "SAME"};
  std::vector<DiscImage::Track> tracks;
  for (int i = 0; i < names.size(); ++i) tracks.push_back({1, 300.0 + 100 * i});
  UseDisc(tracks, "equal");
  for (int r = 1; r <= names.size(); ++r) ItemRow::SetText(*main->cGrid1, r, "Item Name", names[r - 1] + ".cda");
  UseItemNameTemplate();
  const QString cut = mdlFunctions::CapFileNameLength(QString(300, u'x') + ".cda.wav");
  const QStringList want = {"Same.cda.wav", "Same.cda (2).wav", cut, mdlFunctions::NumberedFileName(cut, 2),
                            "SAME.cda (3).wav"};
  for (bool overwrite : {true, false}) {
    SCOPED_TRACE(overwrite);
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    WithRipper([&](g_frmCDRipper& w) {
      SelectFormat(w, "WAV - Waveform Audio Format (*.wav)");
      w.chkOverWrite->setChecked(overwrite);
      Rip(w);
      EXPECT_EQ(Messages(w).filter("exists").join('|'), "");
    });
    ASSERT_EQ(OutFiles().size(), names.size()) << OutFiles().join('|').toStdString();
    for (int t = 1; t <= names.size(); ++t) {
      EXPECT_LE(want[t - 1].toUtf8().size(), mdlFunctions::kMaxFileNameBytes);
      EXPECT_TRUE(DecodePcm(out + "/" + want[t - 1]) == TrackSamples(t)) << t;
    }
  }
}

}  // namespace
