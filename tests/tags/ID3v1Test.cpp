#include <gtest/gtest.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "FileSizeLimit.h"
#include "TagFixtures.h"
#include "TestEnv.h"
#include "tags/cMP3ID3v1.h"

using namespace TagFixtures;

namespace {
QString dir() { return TestEnv::FreshDir("id3v1"); }
}

TEST(ID3v1, GenreNames) {
  const struct { int number; const char* name; } cases[] = {
      {0, "Blues"}, {17, "Rock"}, {78, "Rock 'n'Roll"}, {122, "Drum Solo"}, {123, ""},
      {124, "Euro - House"}, {147, "Synth Pop"}, {148, ""}, {255, ""}};
  for (const auto& c : cases) EXPECT_EQ(cMP3ID3v1::GenreName(uint8_t(c.number)), c.name) << c.number;
  int named = 0;
  for (int g = 0; g < 256; ++g) named += !cMP3ID3v1::GenreName(uint8_t(g)).isEmpty();
  EXPECT_EQ(named, 147);
}

TEST(ID3v1, FileOfOnlyABlockHasNoTagAndStaysUntouched) {
  const QByteArray block = V1Block("Title", 3, 17);
  const QString path = Write(dir(), "a.mp3", block);
  cMP3ID3v1 tag;
  ASSERT_TRUE(tag.SetMP3File(path));
  EXPECT_FALSE(tag.HasID3v1Tag());
  EXPECT_EQ(tag.Genre(), 255);
  tag.SetTitle("Other");
  EXPECT_TRUE(tag.Update());
  EXPECT_EQ(Read(path), block);
}

TEST(ID3v1, AppendsABlockAndReadsBackCutAndTrimmed) {
  const QByteArray audio(200, 'x');
  const QString path = Write(dir(), "a.mp3", audio);
  cMP3ID3v1 tag;
  ASSERT_TRUE(tag.SetMP3File(path));
  EXPECT_FALSE(tag.HasID3v1Tag());
  tag.SetTitle(QString(35, 'T'));
  tag.SetArtist("  Artist  ");
  tag.SetAlbum("");
  tag.SetYear("19999");
  tag.SetComment(QString(30, 'c'));
  tag.SetTrack(7);
  tag.SetGenre(80);
  ASSERT_TRUE(tag.Update());
  EXPECT_EQ(tag.Title(), QString(35, 'T'));  // the object keeps what was set
  const QByteArray bytes = Read(path);
  ASSERT_EQ(bytes.size(), 328);
  EXPECT_EQ(bytes.left(200), audio);
  EXPECT_EQ(bytes.mid(200, 3), "TAG");
  EXPECT_EQ(bytes.mid(203 + 30, 30), QByteArray("  Artist  ").leftJustified(30, ' '));

  cMP3ID3v1 back;
  ASSERT_TRUE(back.SetMP3File(path));
  EXPECT_TRUE(back.HasID3v1Tag());
  EXPECT_EQ(back.Title(), QString(30, 'T'));
  EXPECT_EQ(back.Artist(), "Artist");
  EXPECT_EQ(back.Album(), "");
  EXPECT_EQ(back.Year(), "1999");
  EXPECT_EQ(back.Comment(), QString(28, 'c'));
  EXPECT_EQ(back.Track(), 7);
  EXPECT_EQ(back.Genre(), 80);

  back.SetTitle("Second");
  ASSERT_TRUE(back.Update());
  EXPECT_EQ(Read(path).size(), 328);  // overwritten in place
  cMP3ID3v1 again;
  again.SetMP3File(path);
  EXPECT_EQ(again.Title(), "Second");
}

TEST(ID3v1, TextsRoundTrip) {
  const QString cases[] = {"Caf\u00e9 d\u00e9j\u00e0 \u00fc", "", QString(30, 'z')};
  for (const QString& text : cases) {
    const QString path = Write(dir(), "a.mp3", QByteArray(300, 'x'));
    cMP3ID3v1 tag;
    tag.SetMP3File(path);
    tag.SetTitle(text);
    tag.SetComment(text.left(28));
    ASSERT_TRUE(tag.Update());
    cMP3ID3v1 back;
    back.SetMP3File(path);
    EXPECT_EQ(back.Title(), text);
    EXPECT_EQ(back.Comment(), text.left(28));
  }
  // One byte per character: what Latin-1 cannot hold is replaced.
  const QString path = Write(dir(), "b.mp3", QByteArray(300, 'x'));
  cMP3ID3v1 tag;
  tag.SetMP3File(path);
  tag.SetTitle("\u65e5\u672c");
  tag.Update();
  cMP3ID3v1 back;
  back.SetMP3File(path);
  EXPECT_EQ(back.Title(), "??");
}

TEST(ID3v1, LowerCaseTagIsNoTag) {
  QByteArray block = V1Block("x", 1, 1);
  block.replace(0, 3, "tag");
  const QByteArray file = QByteArray(100, 'a') + block;
  const QString path = Write(dir(), "a.mp3", file);
  cMP3ID3v1 tag;
  tag.SetMP3File(path);
  EXPECT_FALSE(tag.HasID3v1Tag());
  ASSERT_TRUE(tag.Update());
  const QByteArray bytes = Read(path);
  EXPECT_EQ(bytes.size(), file.size() + 128);
  EXPECT_EQ(bytes.left(file.size()), file);
}

TEST(ID3v1, ReadsNullAndBlankPaddingAlikeAndTrackOnlyInV11) {
  struct Case {
    QByteArray comment;  // 30 bytes at offsets 97..126
    QString expectedComment;
    int expectedTrack;
  };
  const Case cases[] = {
      {QByteArray("note").leftJustified(28, '\0') + QByteArray("\0\x05", 2), "note", 5},
      {QByteArray("note").leftJustified(28, ' ') + QByteArray("\0\0", 2), "note", 0},
      {QByteArray(30, 'n'), QString(30, 'n'), 0},  // v1.0: a 30-byte comment, no track
      {QByteArray("ab\0cd", 5).leftJustified(30, '\0'), "abcd", 0},
  };
  for (const Case& c : cases) {
    QByteArray block = V1Block("  Title\0\0", 0, 9);
    block.replace(97, 30, c.comment);
    const QString path = Write(dir(), "a.mp3", QByteArray(10, 'a') + block);
    cMP3ID3v1 tag;
    tag.SetMP3File(path);
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Comment(), c.expectedComment);
    EXPECT_EQ(tag.Track(), c.expectedTrack);
    EXPECT_EQ(tag.Genre(), 9);
  }
}

TEST(ID3v1, EmptyAndMissingFilesAreReported) {
  const QString d = dir();
  const QString empty = Write(d, "empty.mp3", {});
  cMP3ID3v1 tag;
  EXPECT_TRUE(tag.SetMP3File(empty));
  EXPECT_FALSE(tag.HasID3v1Tag());
  EXPECT_FALSE(tag.Update());
  EXPECT_EQ(tag.LastError().Number, -2147217407L);
  EXPECT_EQ(tag.LastError().Description, empty + " is not a valid MP3 file.");
  EXPECT_TRUE(tag.LastError().Source.endsWith(".cMP3ID3v1"));
  EXPECT_EQ(Read(empty).size(), 0);

  const QString small = Write(d, "small.mp3", QByteArray(128, 'a'));
  tag.SetMP3File(small);
  EXPECT_TRUE(tag.Update());
  EXPECT_EQ(Read(small).size(), 128);

  tag.SetTitle("kept");
  EXPECT_FALSE(tag.SetMP3File(d + "/missing.mp3"));
  EXPECT_EQ(tag.LastError().Number, 53);
  EXPECT_EQ(tag.Title(), "");
  EXPECT_EQ(tag.Genre(), 255);
  EXPECT_FALSE(tag.Update());
  EXPECT_FALSE(QFile::exists(d + "/missing.mp3"));
}

TEST(ID3v1, FailedAppendIsReportedAndLeavesTheFile) {
  const QByteArray audio(1000, 'a');
  const QString path = Write(dir(), "a.mp3", audio);
  cMP3ID3v1 tag;
  tag.SetMP3File(path);
  tag.SetTitle("T");
  {
    FileSizeLimit limit(1050);
    EXPECT_FALSE(tag.Update());
  }
  EXPECT_NE(tag.LastError().Number, 0);
  EXPECT_EQ(tag.LastError().Description.toStdString(), std::strerror(EFBIG));
  EXPECT_EQ(Read(path).size(), audio.size());
  EXPECT_EQ(Read(path), audio);
}
