// An image drive's CUE sheet is read as the disc library reads it: a sheet it
// would misread (and then write outside its track table) is refused with the
// drive's message, and a sound one still opens with its tracks.
#include <gtest/gtest.h>

#include <QFile>

#include "DiscImage.h"
#include "TestEnv.h"
#include "backend/cd/CdDriveTable.h"

namespace {

QByteArray Tracks(int from, int to) {
  QByteArray out;
  for (int t = from; t <= to; ++t)
    out += QString("  TRACK %1 AUDIO\n    INDEX 01 00:00:00\n").arg(t, 2, 10, QChar('0')).toLatin1();
  return out;
}

// A title of this many bytes, then text on the same line.
QByteArray Title(int bytes, const QByteArray& then = {}) { return "TITLE " + QByteArray(bytes - 6, 'x') + then + "\n"; }

// The lines, each behind a NUL.
QByteArray BehindNul(const QByteArray& lines) {
  QByteArray out;
  for (const QByteArray& line : lines.split('\n'))
    if (!line.isEmpty()) out += QByteArray(1, '\0') + line + "\n";
  return out;
}

TEST(CdDriveTable, SheetsTheLibraryWouldMisreadAreRefused) {
  const QString dir = TestEnv::FreshDir("sheets");
  QByteArray hidden = Tracks(1, 99);  // 51 more tracks behind the cut of long titles
  for (int i = 0; i < 51; ++i) hidden += Title(4095, "TRACK 99 AUDIO");
  struct Case {
    const char* name;
    QByteArray body;       // after the FILE line
    const char* device;    // the path the drive lists: "cue" or "bin"
    const char* refusal;   // the rest of the message; empty when the sheet opens
    int first = 0, count = 0;
  } cases[] = {
      {"hidden", hidden, "cue", "has a line of 4109 bytes; a CUE sheet line holds at most 4094."},
      {"cut", Title(4095) + Tracks(1, 1), "cue",
       "has a line of 4095 bytes; a CUE sheet line holds at most 4094."},
      {"longest", Title(4094) + Tracks(1, 2), "cue", "", 1, 2},
      {"byBin", Tracks(97, 97), "bin", "starts at track 97, above its number of tracks (1)."},
      {"soundByBin", Tracks(1, 3), "bin", "", 1, 3},
      {"none", "REM no tracks\n", "cue", "lists no tracks."},
      {"alone97", Tracks(97, 97), "cue", "starts at track 97, above its number of tracks (1)."},
      {"from5", Tracks(5, 6), "cue", "starts at track 5, above its number of tracks (2)."},
      {"afterNul", BehindNul(Tracks(1, 1)) + Tracks(2, 2), "cue", "starts at track 2, above its number of tracks (1)."},
      {"skips", Tracks(1, 1) + Tracks(3, 3), "cue", "lists track 3 after track 1; its tracks must follow in order."},
      {"backwards", Tracks(2, 2) + Tracks(1, 1), "cue",
       "lists track 1 after track 2; its tracks must follow in order."},
      {"number100", Tracks(1, 1) + "  TRACK 100 AUDIO\n", "cue", "numbers a track outside 1 to 99."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DiscImage::Image image = DiscImage::Write(dir, {{1, 440}}, c.name);
    QFile sheet(image.cue);
    ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
    const QByteArray text = "FILE \"" + QByteArray(c.name) + ".bin\" BINARY\n" + c.body;
    ASSERT_EQ(sheet.write(text), text.size());
    sheet.close();
    const CdDriveTable::Drive drive{"E:", QString(c.device) == "bin" ? image.bin : image.cue, true};
    QString why;
    CdIo_t* cdio = CdDriveTable::Open(drive, &why);
    if (*c.refusal) {
      EXPECT_EQ(cdio, nullptr);
      EXPECT_EQ(why.toStdString(), std::string("The CD image of drive E: ") + c.refusal);
    } else {
      ASSERT_NE(cdio, nullptr) << why.toStdString();
      EXPECT_EQ(cdio_get_first_track_num(cdio), c.first);
      EXPECT_EQ(cdio_get_num_tracks(cdio), c.count);
    }
    if (cdio) cdio_destroy(cdio);
  }
}

}  // namespace
