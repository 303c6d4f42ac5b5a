#include <gtest/gtest.h>

#include <QBuffer>

#include "TagFixtures.h"
#include "TestEnv.h"
#include "tags/cMP3ID3v2.h"

using namespace TagFixtures;

namespace {
QString dir() { return TestEnv::FreshDir("id3v2read"); }

cMP3ID3v2 readBytes(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  cMP3ID3v2 tag;
  tag.ReadTag(buffer);
  return tag;
}
}  // namespace

TEST(ID3v2Read, FilesWithoutATag) {
  const QString d = dir();
  cMP3ID3v2 tag;
  EXPECT_TRUE(tag.SetMP3File(Write(d, "empty.mp3", {})));
  EXPECT_FALSE(tag.HasID3v2Tag());
  // "ID3" behind the first block holding an audio sync is not looked at.
  const QByteArray late = QByteArray(100, 'a') + Audio(12) + Tag(Frame("TIT2", QByteArray("\0x", 2)));
  EXPECT_TRUE(tag.SetMP3File(Write(d, "late.mp3", late)));
  EXPECT_FALSE(tag.HasID3v2Tag());
  EXPECT_EQ(tag.ID3v2TagVersion(), 0);
  EXPECT_EQ(tag.FrameCount(), 0);
  EXPECT_EQ(tag.Title(), "");
  EXPECT_EQ(tag.Genre(), 255);
  // Nor behind audio of any MPEG version and layer, with a CRC or without:
  // "ID3" in the ID3v1 title is no tag.
  const uint32_t headers[] = {0xFFFB9000u, 0xFFFA9000u, 0xFFF38000u, 0xFFE38000u, 0xFFFD9000u, 0xFFFFB000u};
  for (uint32_t header : headers) {
    EXPECT_TRUE(tag.SetMP3File(Write(d, "v1.mp3", Audio(4, header) + V1Block("ID3 fan club", 1, 2))));
    EXPECT_FALSE(tag.HasID3v2Tag()) << std::hex << header;
    EXPECT_EQ(tag.ID3v2TagVersion(), 0) << std::hex << header;
  }

  EXPECT_FALSE(tag.SetMP3File(d + "/missing.mp3"));
  EXPECT_EQ(tag.LastError().Number, 53);
  EXPECT_TRUE(tag.LastError().Source.endsWith(".cMP3ID3v2"));
}

TEST(ID3v2Read, TagAcrossTheFirstBlockBoundaryIsFound) {
  const QByteArray tag = Tag(Frame("TIT2", QByteArray("\0Far", 4)));
  const cMP3ID3v2 t = readBytes(QByteArray(4094, 'a') + tag + Audio());
  EXPECT_TRUE(t.HasID3v2Tag());
  EXPECT_EQ(t.Title(), "Far");
}

TEST(ID3v2Read, UnknownVersionIsATagWithoutFrames) {
  QByteArray tag = Tag(Frame("TIT2", QByteArray("\0x", 2)));
  tag[3] = 5;
  const cMP3ID3v2 t = readBytes(tag + Audio());
  EXPECT_TRUE(t.HasID3v2Tag());
  EXPECT_EQ(t.ID3v2TagVersion(), 5);
  EXPECT_EQ(t.FrameCount(), 0);
}

TEST(ID3v2Read, Version22FramesAreHeldUnderVersion23Names) {
  QByteArray frames = QByteArray("TT2\0\0\x06", 6) + QByteArray("\0Title", 6);
  frames += QByteArray("PIC\0\0\x02", 6) + "ab";  // too short for a picture: not held
  frames += QByteArray("TCO\0\0\x05", 6) + QByteArray("\0(13)", 5);
  QByteArray tag = Tag(frames, 2, 10);
  const cMP3ID3v2 t = readBytes(tag + Audio());
  EXPECT_EQ(t.ID3v2TagVersion(), 2);
  EXPECT_EQ(t.Title(), "Title");
  EXPECT_EQ(t.TagsInFrame("TIT2"), 1);
  EXPECT_EQ(t.TagsInFrame("tit2"), 1);
  EXPECT_EQ(t.Genre(), 13);
  EXPECT_EQ(t.FrameCount(), 2);
}

TEST(ID3v2Read, TextEncodings) {
  const struct { QByteArray body; QString text; } cases[] = {
      {QByteArray("\0Caf\xe9", 5), "Caf\u00e9"},
      {QByteArray("\x01\xff\xfe\xe5\x65\x2c\x67\0\0", 9), "\u65e5\u672c"},
      {QByteArray("\x01\xfe\xff\x65\xe5\x67\x2c", 7), "\u65e5\u672c"},
      {QByteArray("\x02\x65\xe5\x67\x2c", 5), "\u65e5\u672c"},
      {QByteArray("\x03\xe6\x97\xa5\xe6\x9c\xac\0", 8), "\u65e5\u672c"},
      // Several values, NUL between them (version 2.4), each UTF-16 one with its own byte-order mark.
      {QByteArray("\0Alpha\0Beta", 11), "Alpha / Beta"},
      {QByteArray("\x01\xff\xfe" "A\0l\0p\0h\0a\0\0\0\xff\xfe" "B\0e\0t\0a\0\0\0", 27), "Alpha / Beta"},
      {QByteArray("\x02\0A\0l\0p\0h\0a\0\0\0B\0e\0t\0a", 21), "Alpha / Beta"},
      {QByteArray("\x03" "Alpha\0Beta\0", 12), "Alpha / Beta"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(readBytes(Tag(Frame("TIT2", c.body), 3) + Audio()).Title(), c.text);
    EXPECT_EQ(readBytes(Tag(Frame("TIT2", c.body), 4) + Audio()).Title(), c.text);
  }
}

TEST(ID3v2Read, GenreReferences) {
  const struct { QByteArray text; int genre; QString other; } cases[] = {
      {"(17)Rock", 17, "Rock"}, {"(17)", 17, "Rock"}, {"(17)R", 17, "R"}, {"Rock", 255, "Rock"},
      {"(300)x", 255, "(300)x"}, {"(x)y", 255, "(x)y"}, {"(123)", 123, ""}, {")1(", 255, ")1("},
  };
  for (const auto& c : cases) {
    const cMP3ID3v2 t = readBytes(Tag(Frame("TCON", '\0' + c.text)) + Audio());
    EXPECT_EQ(t.Genre(), c.genre) << c.text.constData();
    EXPECT_EQ(t.OtherGenreName(), c.other) << c.text.constData();
  }
  // A bare number is a genre reference in version 2.4 only.
  EXPECT_EQ(readBytes(Tag(Frame("TCON", QByteArray("\0" "17", 3), 4), 4)).Genre(), 17);
  EXPECT_EQ(readBytes(Tag(Frame("TCON", QByteArray("\0" "17", 3)))).OtherGenreName(), "17");
}

TEST(ID3v2Read, CommentsAndLyricsShowTheFirstWithoutDescription) {
  QByteArray frames = Frame("COMM", QByteArray("\0engiTunNORM\0 0000", 18));
  frames += Frame("COMM", QByteArray("\0deu\0Hallo", 10));
  frames += Frame("COMM", QByteArray("\0eng\0Hello", 10));
  frames += Frame("USLT", QByteArray("\0\0Old style lyrics", 18));
  const cMP3ID3v2 t = readBytes(Tag(frames) + Audio());
  EXPECT_EQ(t.Comment(), "Hallo");
  EXPECT_EQ(t.TagsInFrame("COMM"), 3);
  EXPECT_EQ(t.Lyrics(), "Old style lyrics");
}

TEST(ID3v2Read, Version24FrameSizesAreSynchsafe) {
  const QByteArray longText = '\0' + QByteArray(300, 'L');
  QByteArray frames = Frame("TIT2", longText, 4) + Frame("TPE1", QByteArray("\0Artist", 7), 4);
  EXPECT_EQ(readBytes(Tag(frames, 4) + Audio()).Artist(), "Artist");
  // Some writers put plain counts into version 2.4 frames.
  frames = Frame("TIT2", longText, 3) + Frame("TPE1", QByteArray("\0Artist", 7), 3);
  const cMP3ID3v2 t = readBytes(Tag(frames, 4) + Audio());
  EXPECT_EQ(t.Title(), QString(300, 'L'));
  EXPECT_EQ(t.Artist(), "Artist");
}

TEST(ID3v2Read, UnsynchronisationAndExtendedHeader) {
  // Version 2.3 frame sizes count the bytes before unsynchronisation.
  QByteArray frames = QByteArray("TIT2\0\0\0\x04\0\0", 10) + QByteArray("\0A\xff\x00\xe0", 5);
  QByteArray unsync = Tag(frames, 3, 0, 0x80);
  EXPECT_EQ(readBytes(unsync + Audio()).Title(), "A\u00ff\u00e0");
  QByteArray ext = QByteArray("\0\0\0\x06\0\0\0\0\0\0", 10) + Frame("TIT2", QByteArray("\0Ext", 4));
  EXPECT_EQ(readBytes(Tag(ext, 3, 0, 0x40) + Audio()).Title(), "Ext");
}

TEST(ID3v2Read, LegacyWholeTagCount) {
  const QByteArray frames = Frame("TIT2", QByteArray("\0Old", 4)) + Frame("COMM", QByteArray("\0\0nt\0Note", 9));
  const cMP3ID3v2 t = readBytes(LegacyTag(frames) + Audio());
  EXPECT_EQ(t.Title(), "Old");
  EXPECT_EQ(t.Comment(), "Note");
}

TEST(ID3v2Read, HostileTagsEndTheWalkWithoutHarm) {
  const QByteArray good = Frame("TIT2", QByteArray("\0Good", 5));
  auto withSize = [](QByteArray tag, QByteArray size) { return tag.replace(6, 4, size); };
  const QByteArray cases[] = {
      withSize(Tag(good), "\x7f\x7f\x7f\x7f") + Audio(1),                   // tag larger than the file
      withSize(Tag(good), "\xff\xff\xff\xff") + Audio(1),                   // plain count past 4 GB
      Tag(good + QByteArray("TPE1\0\0\0\0\0\0", 10) + Frame("TALB", QByteArray("\0x", 2))),  // zero size
      Tag(good + QByteArray("TPE1\x7f\xff\xff\xff\0\0xyz", 13)),            // frame past the tag's end
      Tag(good + QByteArray("TPE1\xff\xff\xff\xf0\0\0", 10), 4),            // negative as a signed count
      Tag(good + QByteArray("tp\x01\x02\0\0\0\x01\0\0x", 11)),              // not an identifier
      Tag(good).left(12),                                                   // cut inside the first frame
      Tag(good + QByteArray("TPE1\0\0\0\x40\0\0abc", 13)).left(33),         // cut inside a later frame
  };
  for (const QByteArray& bytes : cases) {
    const cMP3ID3v2 t = readBytes(bytes);
    EXPECT_TRUE(t.HasID3v2Tag());
    EXPECT_LE(t.FrameCount(), 3);
    if (bytes.size() > 25) EXPECT_EQ(t.Title(), "Good");
  }
  // The zero-size frame is skipped and the walk goes on.
  EXPECT_EQ(readBytes(cases[2]).TagsInFrame("TALB"), 1);
  EXPECT_EQ(readBytes(cases[2]).TagsInFrame("TPE1"), 0);
}

TEST(ID3v2Read, ASecondFileReplacesEverything) {
  const QString d = dir();
  cMP3ID3v2 t;
  t.SetMP3File(Write(d, "a.mp3", Tag(Frame("USLT", QByteArray("\0eng\0La la", 10))) + Audio()));
  EXPECT_EQ(t.Lyrics(), "La la");
  t.SetMP3File(Write(d, "b.mp3", Tag(Frame("TIT2", QByteArray("\0B", 2))) + Audio()));
  EXPECT_EQ(t.Lyrics(), "");
  EXPECT_EQ(t.FrameCount(), 1);
}

TEST(ID3v2Read, FrameSetOperations) {
  cMP3ID3v2 t;
  t.AddTag("TXXX", "one");
  t.AddTag("TXXX", "two");
  t.AddTag("TXXX", "three");
  t.AddTag("PRIV", "p");
  EXPECT_EQ(t.FrameCount(), 2);
  EXPECT_EQ(t.TagsInFrame("TXXX"), 3);
  EXPECT_TRUE(t.RemoveTag("TXXX", 1));
  EXPECT_EQ(t.TagsInFrame("TXXX"), 2);
  EXPECT_FALSE(t.RemoveTag("TXXX", 3));
  EXPECT_EQ(t.LastError().Number, 5);
  EXPECT_FALSE(t.RemoveTag("NONE", 1));
  EXPECT_EQ(t.Frame(1), "TXXX");
  EXPECT_EQ(t.Frame(3), "");
  EXPECT_EQ(t.LastError().Number, 9);
  EXPECT_FALSE(t.RemoveFrame("NONE"));
  EXPECT_EQ(t.LastError().Number, 5);
  EXPECT_FALSE(t.RemoveFrame(5L));
  EXPECT_EQ(t.LastError().Number, 9);
  EXPECT_TRUE(t.RemoveFrame(1L));
  EXPECT_EQ(t.FrameCount(), 1);
  EXPECT_EQ(t.TagsInFrame("PRIV"), 1);
  EXPECT_TRUE(t.RemoveTag("priv", 1));
  EXPECT_EQ(t.FrameCount(), 0);
}
