// Image drives as users bring them: sheets saved by other programs (a
// byte-order mark, CRLF line ends, remarks and postgaps the disc library
// refuses) open as the same sheet without those, a sheet that still cannot be
// opened says why, and a BIN cut short ends its tracks in a read error, never
// in made-up silence or a read that does not end.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <thread>

#include "DiscImage.h"
#include "TestEnv.h"
#include "backend/cd/CdTrackSource.h"

namespace {

struct Read {
  QString error;
  QByteArray pcm;
};

// The track read as the ripper reads it, on a worker; nothing when the read
// did not end by itself within a long while. It is aborted then, and left
// behind if that does not end it either.
std::optional<Read> ReadOnAWorker(const CdDriveTable::Drive& drive, long track) {
  struct Shared {
    std::atomic<bool> abort{false};
    Read read;
  };
  auto shared = std::make_shared<Shared>();
  std::promise<void> done;
  std::future<void> ended = done.get_future();
  std::thread worker([shared, drive, track, done = std::move(done)]() mutable {
    auto source = MakeCdTrackSource(drive, track, -1, -1, std::make_shared<CdReadTurns>()->Next(), nullptr,
                                    &shared->abort);
    Read& read = shared->read;
    if (source->Open(&read.error) && source->Start(source->NativeFormat(), &read.error))
      for (int frames; (frames = source->Read(&read.error)) > 0;)
        read.pcm.append(static_cast<const char*>(source->Pcm()), frames * 4);
    done.set_value();
  });
  if (ended.wait_for(std::chrono::seconds(60)) == std::future_status::ready) {
    worker.join();
    return shared->read;
  }
  shared->abort = true;
  if (ended.wait_for(std::chrono::seconds(30)) == std::future_status::ready)
    worker.join();
  else
    worker.detach();
  return std::nullopt;
}

// The image's table as the disc library gives it: first track, then each
// track's start and the lead-out.
std::vector<int> Table(CdIo_t* cdio) {
  std::vector<int> table{cdio_get_first_track_num(cdio)};
  for (track_t t = 1; t <= cdio_get_num_tracks(cdio); ++t) table.push_back(cdio_get_track_lsn(cdio, t));
  table.push_back(cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK));
  return table;
}

QByteArray WithBom(const QByteArray& sheet) { return "\xEF\xBB\xBF" + sheet; }
QByteArray WithPostgap(const QByteArray& sheet) {
  return QByteArray(sheet).replace("INDEX 01 00:02:00\r\n", "INDEX 01 00:02:00\r\n    POSTGAP 00:01:00\r\n");
}
QByteArray WithLongRemark(const QByteArray& sheet) { return "REM " + QByteArray(4996, 'x') + "\r\n" + sheet; }
QByteArray WithUnknownWord(const QByteArray& sheet) { return sheet + "  COMMENT none\r\n"; }
QByteArray WithBomAndUnknownWord(const QByteArray& sheet) { return WithBom(WithUnknownWord(sheet)); }
QByteArray WithLongWord(const QByteArray& sheet) { return sheet + "  " + QByteArray(3000, 'Z') + "\r\n"; }
QByteArray AsItIs(const QByteArray& sheet) { return sheet; }

constexpr qint64 kNoBin = -2;

// Temporary files go to the folder while it lives.
class TemporariesIn {
 public:
  explicit TemporariesIn(const QString& folder) : was_(qgetenv("TMPDIR")), set_(qEnvironmentVariableIsSet("TMPDIR")) {
    qputenv("TMPDIR", QFile::encodeName(folder));
  }
  ~TemporariesIn() { set_ ? qputenv("TMPDIR", was_) : qunsetenv("TMPDIR"); }

 private:
  QByteArray was_;
  bool set_;
};

void WriteSheet(const QString& path, const QByteArray& text) {
  QFile sheet(path);
  ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
  ASSERT_EQ(sheet.write(text), text.size());
}

TEST(CdImageSheet, SheetsOpenAsTheirTracksAndCutImagesFailTheirReads) {
  const QString dir = TestEnv::FreshDir("image-sheets");
  const QString temporaries = TestEnv::FreshDir("image-sheets-tmp");
  std::optional<TemporariesIn> privateFolder(temporaries);
  const qint64 second = 75 * DiscImage::kSectorBytes;
  // A reason quotes the sheet: a long one is cut.
  std::string longWord = "longWord.cue line 8: warning: unrecognized keyword: ";
  longWord = "The CD image of drive E: cannot be opened: " + longWord + std::string(200 - longWord.size(), 'Z') + "...";
  struct Case {
    const char* name;
    QByteArray (*sheet)(const QByteArray&);  // from the sheet the fixture writes
    const char* device;                     // the path the drive lists: "cue" or "bin"
    qint64 binSeconds;                      // of the BIN kept; -1 for all of it, kNoBin for none
    const char* error;                      // of the open or the read of track 2; empty when it reads whole
  } cases[] = {
      {"bomCrlf", WithBom, "cue", -1, ""},
      {"bomByBin", WithBom, "bin", -1, ""},
      {"postgap", WithPostgap, "cue", -1, ""},
      {"longRemark", WithLongRemark, "cue", -1, ""},
      {"unknownWord", WithBomAndUnknownWord, "cue", -1,
       "The CD image of drive E: cannot be opened: unknownWord.cue line 8: warning: unrecognized keyword: COMMENT"},
      {"unknownByBin", WithUnknownWord, "bin", -1,
       "The CD image of drive E: cannot be opened: unknownByBin.cue line 8: warning: unrecognized keyword: COMMENT; "
       "source name unknownByBin.cue is not recognized as a CUE file; init failed"},
      {"longWord", WithLongWord, "cue", -1, longWord.c_str()},
      {"bomWithoutBin", WithBom, "cue", kNoBin,
       "The CD image of drive E: cannot be opened: could not retrieve file info for `bomWithoutBin.bin': No such "
       "file or directory; init failed"},
      {"cutBeforeTrack2", AsItIs, "cue", 1, "Read error on track 2 at 0:00."},
      {"cutInsideTrack2", AsItIs, "cue", 3, "Read error on track 2 at 0:01."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DiscImage::Image image = DiscImage::Write(dir, {{2, 440}, {2, 660}, {2, 880}}, c.name);
    const CdDriveTable::Drive drive{"E:", QString(c.device) == "bin" ? image.bin : image.cue, true};
    QFile written(image.cue);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray fixture = written.readAll();  // with CRLF line ends
    written.close();
    WriteSheet(image.cue, QByteArray(fixture).replace("\r\n", "\n"));
    QString why;
    CdIo_t* cdio = CdDriveTable::Open(drive, &why);
    ASSERT_NE(cdio, nullptr) << why.toStdString();
    const std::vector<int> clean = Table(cdio);
    cdio_destroy(cdio);
    WriteSheet(image.cue, c.sheet(fixture));
    if (c.binSeconds >= 0) {
      ASSERT_TRUE(QFile::resize(image.bin, c.binSeconds * second));
    }
    if (c.binSeconds == kNoBin) {
      ASSERT_TRUE(QFile::remove(image.bin));
    }

    const std::optional<Read> ended = ReadOnAWorker(drive, 2);
    ASSERT_TRUE(ended) << "the read of track 2 did not end";
    const Read& read = *ended;
    const QByteArray track2 = image.TrackBytes(2);
    if (*c.error) {
      EXPECT_EQ(read.error.toStdString(), c.error);
      // What was delivered is the image's own sound up to its end, no silence made up behind it.
      EXPECT_EQ(read.pcm.size(), std::max<qint64>(c.binSeconds * second - image.starts[1], 0));
      EXPECT_TRUE(read.pcm == track2.left(read.pcm.size()));
      continue;
    }
    EXPECT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_EQ(read.pcm.size(), track2.size());
    EXPECT_TRUE(read.pcm == track2);

    cdio = CdDriveTable::Open(drive, &why);
    EXPECT_NE(cdio, nullptr) << why.toStdString();
    if (!cdio) continue;
    EXPECT_EQ(Table(cdio), clean);
    cdio_destroy(cdio);
  }
  privateFolder.reset();
  // The cleaned copies handed to the disc library are gone, and were never in the user's folder.
  EXPECT_TRUE(QDir(temporaries).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
  for (const QString& name : QDir(dir).entryList(QDir::Files))
    EXPECT_TRUE(name.endsWith(".cue") || name.endsWith(".bin")) << name.toStdString();
}

}  // namespace
