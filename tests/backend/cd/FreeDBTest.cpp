// Looking a generated disc image up on a loopback CDDB server: exact and
// several matches, no match, a silent server, hostile titles, the connection
// check and a dropped lookup.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>

#include "CddbServer.h"
#include "DiscImage.h"
#include "TestEnv.h"
#include "platform/cd/cAudioCDRipper.h"
#include "platform/cd/cFreeDB.h"

namespace {

struct Events {
  QStringList log;  // every event in arrival order
  QList<std::tuple<QString, int, QString>> tracks;
  long errorCode = 0;
  QObject context;  // ends the connections with the record
  explicit Events(cFreeDB& db) {
    QObject::connect(&db, &cFreeDB::Notify, &context, [this] { log << "Notify"; });
    QObject::connect(&db, &cFreeDB::Error, &context, [this](long code, const QString& text) {
      errorCode = code;
      log << "Error:" + text;
    });
    QObject::connect(&db, &cFreeDB::StateChanged, &context, [this](const QString& s) { log << "State:" + s; });
    QObject::connect(&db, &cFreeDB::Message, &context, [this](const QString& s) { log << "Message:" + s; });
    QObject::connect(&db, &cFreeDB::ArtistFound, &context, [this](const QString& s) { log << "Artist:" + s; });
    QObject::connect(&db, &cFreeDB::AlbumFound, &context, [this](const QString& s) { log << "Album:" + s; });
    QObject::connect(&db, &cFreeDB::TrackInfo, &context, [this](const QString& a, int n, const QString& t) {
      log << "Track";
      tracks << std::make_tuple(a, n, t);
    });
  }
  bool Ended() const {
    return tracks.size() == 3 || std::any_of(log.begin(), log.end(), [](const QString& e) { return e.startsWith("Error:"); });
  }
};

class FreeDBTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image = DiscImage::Write(TestEnv::FreshDir("cddb"), {{2, 440}, {1.6, 660}, {1, 880, 1}});
    qputenv("TESSORY_CD_IMAGES", image.cue.toLocal8Bit());
    cAudioCDRipper ripper;
    drive = ripper.GetDeviceName(ripper.GetDeviceCount() - 1).left(2);
    id = CddbServer::DiscId(image);
    db.SelectDrive(drive);
    db.SetServerHost("127.0.0.1");
    db.SetServerPort(server.Port());
    db.SetTimeout(5);
  }
  void TearDown() override { qunsetenv("TESSORY_CD_IMAGES"); }
  // An entry for the image's disc.
  QByteArrayList Entry(const QString& discId, const QString& artist, const QString& album, const QStringList& titles) {
    return CddbServer::Entry(image, discId, artist, album, titles);
  }
  bool Run(Events& e) {
    db.StartQuery();
    return TestEnv::WaitUntil([&] { return e.Ended(); }, 20000);
  }
  DiscImage::Image image;
  QString drive, id;
  CddbServer server;
  cFreeDB db;
};

TEST_F(FreeDBTest, ExactMatchReportsArtistAlbumAndEveryTrack) {
  server.queryReply = "200 rock " + id + " The Artist / The Album\r\n";
  server.entries["rock " + id] = Entry(id, "The Artist", "The Album", {"One", "Guest / Two", "Drei ü"});
  Events e(db);
  ASSERT_TRUE(Run(e)) << e.log.join('|').toStdString();
  EXPECT_EQ(e.errorCode, 0) << e.log.join('|').toStdString();
  EXPECT_TRUE(e.log.contains("Notify"));
  EXPECT_TRUE(e.log.contains("Artist:The Artist"));
  EXPECT_TRUE(e.log.contains("Album:The Album"));
  // Artist and album come before the first track.
  EXPECT_LT(e.log.indexOf("Album:The Album"), e.log.indexOf("Track"));
  const QList<std::tuple<QString, int, QString>> want{
      {"The Artist", 1, "One"}, {"Guest", 2, "Two"}, {"The Artist", 3, "Drei ü"}};
  EXPECT_EQ(e.tracks, want);
  // The greeting names the client, the protocol level is 6 and the disc ID and
  // frame offsets come from the image's table of contents.
  const QString commands = server.commands.join('\n');
  EXPECT_TRUE(commands.contains(QRegularExpression("cddb hello clsCDDB \\S+ clsCDDB v0.5"))) << commands.toStdString();
  EXPECT_TRUE(server.commands.contains("proto 6")) << commands.toStdString();
  EXPECT_TRUE(server.commands.filter(QRegularExpression("^cddb query " + id + " 3 150 300 495 +7$")).size() == 1) << commands.toStdString();
  EXPECT_TRUE(server.commands.contains("cddb read rock " + id));
}

// Several matches: the first with the disc's own ID is read, even when an
// inexact one comes first.
TEST_F(FreeDBTest, SeveralMatchesTakeTheFirstExactOne) {
  server.queryReply = "211 Found inexact matches, list follows (until terminating `.')\r\n"
                      "misc 0badbeef Someone Else / Near Miss\r\n"
                      "jazz " + id + " The Artist / Jazz Edition\r\n"
                      "rock " + id + " The Artist / Rock Edition\r\n.\r\n";
  for (const char* cat : {"misc", "jazz", "rock"})
    server.entries[QString(cat) + " " + id] = Entry(id, "The Artist", cat, {"a", "b", "c"});
  server.entries["misc 0badbeef"] = Entry("0badbeef", "Someone Else", "Near Miss", {"x", "y", "z"});
  Events e(db);
  ASSERT_TRUE(Run(e)) << e.log.join('|').toStdString();
  EXPECT_TRUE(e.log.contains("Album:jazz")) << e.log.join('|').toStdString();
  EXPECT_TRUE(server.commands.contains("cddb read jazz " + id));
  EXPECT_EQ(e.tracks.size(), 3);
}

// Every way the lookup can fail ends it with one Error of code 2 and no results.
TEST_F(FreeDBTest, FailuresEndWithErrorCode2) {
  struct Case {
    const char* name;
    QString reply;
    bool silent;
    QString driveName;
    const char* text;
  } cases[] = {
      {"no match", "202 No match found\r\n", false, {}, "is not in the CD database"},
      {"entry missing", "200 rock 0badbeef X / Y\r\n", false, {}, "cannot be read"},
      {"server refuses", "403 Database entry is corrupt\r\n", false, {}, "query failed"},
      {"refusal without words", "403\r\n", false, {}, "query failed: the server answered \"403\"."},
      {"match without an ID", "200 rock\r\n", false, {}, "query failed: the server's match names no disc ID."},
      {"matches without IDs", "211 Found inexact matches\r\nrock\r\njazz zz\r\n.\r\n", false, {},
       "query failed: the server's match names no disc ID."},
      {"silent server", {}, true, {}, "query failed: the server did not answer."},
      {"no disc", {}, false, "Z:", "There is no audio CD in drive Z:."},
  };
  db.SetTimeout(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.queryReply = c.reply;
    server.silent = c.silent;
    db.SelectDrive(c.driveName.isEmpty() ? drive : c.driveName);
    Events e(db);
    ASSERT_TRUE(Run(e));
    EXPECT_EQ(e.errorCode, FreeDbErrLookup);
    EXPECT_TRUE(e.log.last().contains(c.text)) << e.log.join('|').toStdString();
    EXPECT_TRUE(e.tracks.isEmpty());
    TestEnv::WaitUntil([] { return false; }, 50);
    EXPECT_EQ(e.log.filter("Error:").size(), 1);
  }
}

// Titles, a 10,000-character one too, are passed on as text, but never with
// control characters; bytes that are not UTF-8 are read as Latin-1, as older
// entries are written.
TEST_F(FreeDBTest, HostileTitlesArriveAsPlainText) {
  server.queryReply = "200 rock " + id + " x / y\r\n";
  QByteArrayList entry = Entry(id, "..", "AC/DC", {"t0", QString(10000, 'x'), "t2"});
  entry[entry.indexOf("TTITLE0=t0")] = QByteArray("TTITLE0=../..\x01\x1b/etc");
  entry[entry.indexOf("TTITLE2=t2")] = QByteArray("TTITLE2=bad\xff\xfe" "bytes");
  server.entries["rock " + id] = entry;
  Events e(db);
  ASSERT_TRUE(Run(e)) << e.log.join('|').toStdString();
  EXPECT_TRUE(e.log.contains("Artist:.."));
  EXPECT_TRUE(e.log.contains("Album:AC/DC"));
  ASSERT_EQ(e.tracks.size(), 3);
  EXPECT_EQ(std::get<2>(e.tracks[0]), "../..  /etc");
  EXPECT_EQ(std::get<2>(e.tracks[1]), QString(10000, 'x'));
  EXPECT_EQ(std::get<2>(e.tracks[2]), QString::fromUtf8("bad\u00ff\u00fe" "bytes"));
}

TEST_F(FreeDBTest, ConnectionCheckTriesTheServerItself) {
  EXPECT_TRUE(db.IsConnected());
  QTcpServer closed;
  closed.listen(QHostAddress::LocalHost, 0);
  const quint16 port = closed.serverPort();
  closed.close();
  db.SetServerPort(port);
  EXPECT_FALSE(db.IsConnected());
}

// A dropped lookup reports nothing more, even when the server answers later.
TEST_F(FreeDBTest, DisconnectDropsTheLookup) {
  server.silent = true;
  Events e(db);
  db.StartQuery();
  db.Disconnect();
  TestEnv::WaitUntil([] { return false; }, 300);
  EXPECT_TRUE(e.log.isEmpty()) << e.log.join('|').toStdString();
}

// A lookup dropped while the server keeps silent lets its connection go at
// once, not at the time-out.
TEST_F(FreeDBTest, DroppedLookupClosesItsConnection) {
  server.silent = true;
  db.SetTimeout(60);
  db.StartQuery();
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return server.OpenConnections() == 1; }, 5000));
  db.Disconnect();
  EXPECT_TRUE(TestEnv::WaitUntil([&] { return server.OpenConnections() == 0; }, 3000));
}

// The entry's escapes mean what xmcd says ("\n", "\t", "\\"; other
// backslashes stay), a value goes on over several lines, and a disc title
// without " / " names artist and album alike.
TEST_F(FreeDBTest, EntryTextsAreReadAsTheFormatWritesThem) {
  server.queryReply = "200 rock " + id + " x / y\r\n";
  QByteArrayList entry = Entry(id, "a", "b", {"t0", "t1", "t2"});
  entry[entry.indexOf("DTITLE=a / b")] = "DTITLE=Tab\\tOnly";
  entry[entry.indexOf("TTITLE0=t0")] = "TTITLE0=Line\\nTwo";
  entry[entry.indexOf("TTITLE1=t1")] = "TTITLE1=Back\\\\slash \\q";
  const qsizetype third = entry.indexOf("TTITLE2=t2");
  entry[third] = "TTITLE2=Caf\xe9";
  entry.insert(third + 1, "TTITLE2= au lait");
  server.entries["rock " + id] = entry;
  Events e(db);
  ASSERT_TRUE(Run(e)) << e.log.join('|').toStdString();
  EXPECT_TRUE(e.log.contains("Artist:Tab Only")) << e.log.join('|').toStdString();
  EXPECT_TRUE(e.log.contains("Album:Tab Only"));
  const QList<std::tuple<QString, int, QString>> want{
      {"Tab Only", 1, "Line Two"}, {"Tab Only", 2, "Back\\slash \\q"}, {"Tab Only", 3, "Caf\u00e9 au lait"}};
  EXPECT_EQ(e.tracks, want);
}

// An entry that does not describe the disc's tracks (no frame offsets, no
// disc length, another number of tracks) is a failed lookup: nothing named.
TEST_F(FreeDBTest, EntryWithoutTheDiscsLayoutFails) {
  server.queryReply = "200 rock " + id + " x / y\r\n";
  const QByteArrayList full = Entry(id, "Artist", "Album", {"a", "b", "c"});
  auto without = [&](const std::function<bool(const QByteArray&)>& drop) {
    QByteArrayList lines;
    for (const QByteArray& l : full)
      if (!drop(l)) lines << l;
    return lines;
  };
  const QByteArrayList cases[] = {
      without([](const QByteArray& l) { return l.startsWith("#"); }),
      without([](const QByteArray& l) { return l.startsWith("# Disc length"); }),
      without([](const QByteArray& l) { return l.startsWith("# Track frame offsets") || l.startsWith("#\t"); }),
      without([&](const QByteArray& l) { return l == full[full.indexOf("# Track frame offsets:") + 1]; }),
  };
  for (const QByteArrayList& entry : cases) {
    SCOPED_TRACE(entry.join('|').left(120).toStdString());
    server.entries["rock " + id] = entry;
    Events e(db);
    ASSERT_TRUE(Run(e));
    EXPECT_EQ(e.errorCode, FreeDbErrLookup);
    EXPECT_TRUE(e.log.last().contains("does not list the tracks of this CD")) << e.log.join('|').toStdString();
    EXPECT_TRUE(e.log.filter("Artist:").isEmpty());
    EXPECT_TRUE(e.tracks.isEmpty());
  }
}

// An xmcd entry is a few kilobytes: one that is not, however the server cuts
// it into lines, ends the lookup with a message and names nothing.
TEST_F(FreeDBTest, OversizedEntriesFailWithAMessage) {
  server.queryReply = "200 rock " + id + " x / y\r\n";
  const QByteArrayList plain = Entry(id, "Artist", "Album", {"a", "b", "c"});
  const qsizetype title = plain.indexOf("TTITLE1=b");
  QByteArrayList large = plain, longText = plain, longLine = plain;
  for (int i = 0; i < 1100; ++i) large << "X" + QByteArray::number(i) + "=" + QByteArray(1000, 'x');
  for (int i = 0; i < 20; ++i) longText.insert(title + 1, "TTITLE1=" + QByteArray(4000, 'y'));
  longLine[title] = "TTITLE1=" + QByteArray(70000, 'z');
  const struct {
    QByteArrayList entry;
    const char* text;
  } cases[] = {
      {large, "cannot be read: the server's answer is larger than 1 MB."},
      {longText, "cannot be read: a text of the entry is longer than 64 KB."},
      {longLine, "cannot be read: a line of the server's answer is longer than 64 KB."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    server.entries["rock " + id] = c.entry;
    Events e(db);
    ASSERT_TRUE(Run(e));
    EXPECT_EQ(e.errorCode, FreeDbErrLookup);
    EXPECT_TRUE(e.log.last().endsWith(c.text)) << e.log.join('|').left(300).toStdString();
    EXPECT_TRUE(e.log.filter("Artist:").isEmpty());
    EXPECT_TRUE(e.tracks.isEmpty());
  }
}

// The time-out holds for the whole lookup: a server that sends its entry one
// line at a time, each well within the time-out, is cut off at it.
TEST_F(FreeDBTest, OneDeadlineForTheWholeLookup) {
  server.queryReply = "200 rock " + id + " x / y\r\n";
  server.entries["rock " + id] = Entry(id, "Artist", "Album", {"a", "b", "c"});
  server.trickleMs = 500;  // the entry's 24 lines take 12 s
  db.SetTimeout(2);
  Events e(db);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(Run(e));
  EXPECT_LT(clock.elapsed(), 6000);
  EXPECT_EQ(e.errorCode, FreeDbErrLookup);
  EXPECT_TRUE(e.log.last().contains("cannot be read: the server did not answer")) << e.log.join('|').toStdString();
  EXPECT_TRUE(e.tracks.isEmpty());
}

}  // namespace
