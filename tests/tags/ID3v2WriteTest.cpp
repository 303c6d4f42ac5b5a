#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QUrl>

#include "FileSizeLimit.h"
#include "TagFixtures.h"
#include "TestEnv.h"
#include "tags/ID3Text.h"
#include "tags/cMP3ID3v2.h"

using namespace TagFixtures;

namespace {
QString dir() { return TestEnv::FreshDir("id3v2write"); }

// The standard size field: the tag's length without its header, 7 bits a byte.
qint64 tagLength(const QByteArray& file) { return ID3Text::ReadSynchsafe(file.constData() + 6) + 10; }

// Writes through a fresh object and returns the file's bytes.
QByteArray update(const QString& path, const std::function<void(cMP3ID3v2&)>& edit) {
  cMP3ID3v2 t;
  EXPECT_TRUE(t.SetMP3File(path));
  edit(t);
  EXPECT_TRUE(t.Update()) << t.LastError().Description.toStdString();
  return Read(path);
}
}  // namespace

TEST(ID3v2Write, NewTagTakesStandardSizeAndKeepsTheAudio) {
  const QByteArray audio = Audio() + V1Block("v1", 1, 2);
  const QString path = Write(dir(), "a.mp3", audio);
  const QByteArray bytes = update(path, [](cMP3ID3v2& t) { t.SetTitle(""); });
  ASSERT_EQ(bytes.size(), audio.size() + 2048);
  EXPECT_EQ(bytes.left(10), QByteArray("ID3\x03\x00\x00\x00\x00\x0f\x76", 10));
  EXPECT_EQ(bytes.mid(10, 11), QByteArray("TIT2\0\0\0\x01\0\0\0", 11));
  EXPECT_EQ(bytes.mid(21, 2048 - 21), QByteArray(2048 - 21, '\0'));
  EXPECT_EQ(bytes.mid(2048), audio);
}

TEST(ID3v2Write, SizeRounding) {
  // 10 + (10 + body) + 4 = 2048 needs room for 4096.
  const QString path = Write(dir(), "a.mp3", Audio());
  const QByteArray bytes = update(path, [](cMP3ID3v2& t) { t.SetTitle(QString(2023, 'x')); });
  EXPECT_EQ(bytes.size(), Audio().size() + 4096);
  EXPECT_EQ(tagLength(bytes), 4096);
  EXPECT_EQ(bytes.mid(4096), Audio());
}

TEST(ID3v2Write, FittingTagKeepsTheOldTagLength) {
  const QByteArray old = Tag(Frame("TIT2", '\0' + QByteArray(3000, 'o')), 3, 4096 - 10 - 3011);
  ASSERT_EQ(old.size(), 4096);
  const QString path = Write(dir(), "a.mp3", old + Audio());
  QByteArray bytes = update(path, [](cMP3ID3v2& t) { t.SetTitle(QString(2900, 'n')); });
  EXPECT_EQ(bytes.size(), 4096 + Audio().size());
  EXPECT_EQ(tagLength(bytes), 4096);
  EXPECT_EQ(bytes.mid(10 + 10 + 2901 + 4, 4096 - 2925), QByteArray(4096 - 2925, '\0'));
  EXPECT_EQ(bytes.mid(4096), Audio());
  // A second save without a change finds its own tag and keeps it.
  EXPECT_EQ(update(path, [](cMP3ID3v2&) {}), bytes);
  // A tag as long as the room grows the file.
  bytes = update(path, [](cMP3ID3v2& t) { t.SetTitle(QString(4096 - 24 - 1, 'g')); });
  EXPECT_EQ(bytes.size(), 6144 + Audio().size());
  EXPECT_EQ(bytes.mid(6144), Audio());
}

TEST(ID3v2Write, FrameBodies) {
  const QString path = Write(dir(), "a.mp3", Audio());
  const QByteArray bytes = update(path, [](cMP3ID3v2& t) {
    t.SetComment("abc");
    t.SetGenre(17);
    t.SetOtherGenreName("Rock");
    t.SetArtist("\u65e5\u672c");
    t.SetLinkTo("http://x");
    t.SetArtistURL("http://a");
    t.AddTag("XID3", "skipped");
  });
  EXPECT_TRUE(bytes.contains(QByteArray("COMM\0\0\0\x08\0\0\0\0nt\0abc", 18)));
  EXPECT_TRUE(bytes.contains(QByteArray("TCON\0\0\0\x09\0\0\0(17)Rock", 19)));
  EXPECT_TRUE(bytes.contains(QByteArray("TPE1\0\0\0\x07\0\0\x01\xff\xfe\xe5\x65\x2c\x67", 17)));
  EXPECT_TRUE(bytes.contains(QByteArray("WXXX\0\0\0\x0a\0\0\0\0http://x", 20)));
  EXPECT_TRUE(bytes.contains(QByteArray("WOAR\0\0\0\x08\0\0http://a", 18)));
  EXPECT_FALSE(bytes.contains("XID3"));
  cMP3ID3v2 back;
  back.SetMP3File(path);
  EXPECT_EQ(back.Comment(), "abc");
  EXPECT_EQ(back.Genre(), 17);
  EXPECT_EQ(back.OtherGenreName(), "Rock");
  EXPECT_EQ(back.Artist(), "\u65e5\u672c");
}

TEST(ID3v2Write, EveryPropertyRoundTrips) {
  using Setter = void (cMP3ID3v2::*)(const QString&);
  using Getter = QString (cMP3ID3v2::*)() const;
  const struct { Setter set; Getter get; } props[] = {
      {&cMP3ID3v2::SetTitle, &cMP3ID3v2::Title}, {&cMP3ID3v2::SetArtist, &cMP3ID3v2::Artist},
      {&cMP3ID3v2::SetAlbum, &cMP3ID3v2::Album}, {&cMP3ID3v2::SetYear, &cMP3ID3v2::Year},
      {&cMP3ID3v2::SetComment, &cMP3ID3v2::Comment}, {&cMP3ID3v2::SetLyrics, &cMP3ID3v2::Lyrics},
      {&cMP3ID3v2::SetTrack, &cMP3ID3v2::Track}, {&cMP3ID3v2::SetCopyright, &cMP3ID3v2::Copyright},
      {&cMP3ID3v2::SetComposer, &cMP3ID3v2::Composer}, {&cMP3ID3v2::SetOriginalArtist, &cMP3ID3v2::OriginalArtist},
      {&cMP3ID3v2::SetEncodedBy, &cMP3ID3v2::EncodedBy}, {&cMP3ID3v2::SetLinkTo, &cMP3ID3v2::LinkTo},
      {&cMP3ID3v2::SetArtistURL, &cMP3ID3v2::ArtistURL}, {&cMP3ID3v2::SetBuyURL, &cMP3ID3v2::BuyURL},
      {&cMP3ID3v2::SetAudioURL, &cMP3ID3v2::AudioURL}, {&cMP3ID3v2::SetOtherGenreName, &cMP3ID3v2::OtherGenreName},
  };
  const QString texts[] = {"Caf\u00e9 \u00fcber", "\u0417\u0438\u043c\u0430 \U0001F3B5 \u65e5\u672c", "",
                           QString(70000, QChar(0x263A))};
  const QString d = dir();
  for (const QString& text : texts) {
    const QString path = Write(d, "a.mp3", Audio());
    int n = 0;
    update(path, [&](cMP3ID3v2& t) {
      for (const auto& p : props) (t.*p.set)(text + QString::number(n++));
    });
    cMP3ID3v2 back;
    back.SetMP3File(path);
    n = 0;
    for (const auto& p : props) {
      const QString expected = text + QString::number(n++);
      const bool url = p.get == &cMP3ID3v2::LinkTo || p.get == &cMP3ID3v2::ArtistURL ||
                       p.get == &cMP3ID3v2::BuyURL || p.get == &cMP3ID3v2::AudioURL;
      // Links hold Latin-1 only: other characters are percent-encoded.
      if (url && !ID3Text::FitsLatin1(text)) EXPECT_EQ(QUrl::fromPercentEncoding((back.*p.get)().toUtf8()), expected);
      else EXPECT_EQ((back.*p.get)(), expected) << n;
    }
    EXPECT_EQ(Read(path).right(Audio().size()), Audio());
  }
}

TEST(ID3v2Write, UntouchedFramesAreKeptByteForByte) {
  const QByteArray picture = QByteArray("\0image/png\0\x03\0", 13) + QByteArray(5000, '\x89');
  const QByteArray foreignComment = QByteArray("\x01" "deu\xff\xfe\0\0\xff\xfeH\0i\0", 14);
  const QByteArray unknown = QByteArray("owner\0\x01\x02\x00\x03", 10);
  const QByteArray frames = Frame("TIT2", QByteArray("\0Old", 4)) + Frame("APIC", picture) +
                            Frame("COMM", QByteArray("\0eng\0main", 9)) + Frame("COMM", foreignComment) +
                            Frame("PRIV", unknown, 3, 0x8000) + Frame("XYZ1", "?");
  const QString path = Write(dir(), "a.mp3", Tag(frames, 3, 100) + Audio());
  const QByteArray bytes = update(path, [](cMP3ID3v2& t) {
    t.SetTitle("New");
    t.SetComment("changed");
  });
  EXPECT_TRUE(bytes.contains(Frame("APIC", picture)));
  EXPECT_TRUE(bytes.contains(Frame("COMM", foreignComment)));
  EXPECT_TRUE(bytes.contains(Frame("PRIV", unknown, 3, 0x8000)));
  EXPECT_TRUE(bytes.contains(Frame("XYZ1", "?")));
  EXPECT_FALSE(bytes.contains("main"));
  EXPECT_EQ(bytes.mid(tagLength(bytes)), Audio());
  cMP3ID3v2 back;
  back.SetMP3File(path);
  EXPECT_EQ(back.Title(), "New");
  EXPECT_EQ(back.Comment(), "changed");
  EXPECT_EQ(back.TagsInFrame("COMM"), 2);
}

TEST(ID3v2Write, Version24TagsBecomeVersion23) {
  const QByteArray frames = Frame("TIT2", QByteArray("\x03" "Caf\xc3\xa9", 6), 4) +
                            Frame("TPE1", '\0' + QByteArray(200, 'a'), 4) +
                            Frame("TALB", QByteArray("\0\0\0\x04\0Alb", 8), 4, 0x0001) +   // data length given
                            Frame("TCOM", QByteArray("zzz", 3), 4, 0x0008);               // compressed: dropped
  const QString path = Write(dir(), "a.mp3", Tag(frames, 4, 50) + Audio());
  const QByteArray bytes = update(path, [](cMP3ID3v2& t) { t.SetYear("1999"); });
  EXPECT_EQ(bytes[3], 3);
  EXPECT_TRUE(bytes.contains(Frame("TIT2", QByteArray("\x01\xff\xfe" "C\0a\0f\0\xe9\0", 11))));
  EXPECT_TRUE(bytes.contains(Frame("TALB", QByteArray("\0Alb", 4))));
  EXPECT_FALSE(bytes.contains("TCOM"));
  cMP3ID3v2 back;
  back.SetMP3File(path);
  EXPECT_EQ(back.Title(), "Caf\u00e9");
  EXPECT_EQ(back.Artist(), QString(200, 'a'));
  EXPECT_EQ(back.Album(), "Alb");
  EXPECT_EQ(bytes.mid(tagLength(bytes)), Audio());
}

TEST(ID3v2Write, OlderTagsOfThisProgramAreReplacedWithoutLosingAudio) {
  const QByteArray lyrics = Frame("USLT", QByteArray("\0\0Sing", 6));
  // The second tag's frames run past where its count, read as the standard
  // size, would end it; its padding still reaches up to the audio.
  for (int titleLength : {3, 3000}) {
    const QByteArray frames = Frame("TIT2", '\0' + QByteArray(titleLength, 'o')) + lyrics;
    const QString path = Write(dir(), "a.mp3", LegacyTag(frames) + Audio());
    const QByteArray bytes = update(path, [](cMP3ID3v2& t) {
      EXPECT_EQ(t.Lyrics(), "Sing");
      t.SetTitle(QString(3000, 'n'));
    });
    EXPECT_EQ(bytes.size(), 4096 + Audio().size()) << titleLength;
    EXPECT_EQ(bytes.mid(4096), Audio()) << titleLength;
  }
}

TEST(ID3v2Write, StandardTagOfOtherWritersIsReplacedWithoutLosingAudio) {
  // 300 bytes of frames: read as a plain count the size would claim 37000.
  const QByteArray tag = Tag(Frame("TIT2", '\0' + QByteArray(290, 't')), 3, 0);
  const QByteArray audio = Audio(100);
  for (int growBy : {0, 500}) {
    const QString path = Write(dir(), "a.mp3", tag + audio);
    const QByteArray bytes = update(path, [&](cMP3ID3v2& t) { t.SetTitle(QString(200 + growBy, 'x')); });
    EXPECT_EQ(bytes.mid(tagLength(bytes)), audio) << growBy;
  }
}

TEST(ID3v2Write, TagWhoseEndIsNotKnownIsNotReplaced) {
  const QByteArray title = Frame("TIT2", QByteArray("\0Kept", 5));
  auto withSize = [](QByteArray tag, const char* size) { return tag.replace(6, 4, QByteArray(size, 4)); };
  // Read as the standard size the tag ends inside the file, as a plain count
  // past its end; the extended header claims more than the whole tag.
  const QByteArray extendedHeader = QByteArray("\x7f\xff\xff\xf0", 4) + QByteArray(6, '\0');
  const QByteArray badExtended = Tag(extendedHeader + title, 3, 16256 - 25, 0x40);
  ASSERT_EQ(badExtended.mid(6, 4), QByteArray("\0\0\x7f\0", 4));
  // A standard tag of 2058 bytes, zeros, then audio: the size field read as
  // a plain count (4096) points at a frame sync 4 frames into the audio.
  const QByteArray zerosThenAudio = Tag(title, 3, 2048 - title.size()) + QByteArray(370, '\0') + Audio(4);
  ASSERT_EQ(zerosThenAudio.size(), 4096);
  // A size field that is not synchsafe (384 as a plain count) with audio
  // right behind the frames, and an extended header stretched to the plain
  // count (328) of a 210-byte standard tag, hiding its frames.
  const QByteArray notSynchsafe = withSize(Tag(title, 3), "\0\0\x01\x80");
  const QByteArray stretchedExtended =
      Tag(QByteArray("\0\0\x01\x3a", 4) + QByteArray(6, '\0') + title, 3, 200 - 25, 0x40);
  ASSERT_EQ(stretchedExtended.mid(6, 4), QByteArray("\0\0\x01\x48", 4));
  const struct { const char* name; QByteArray tag; QString shownTitle; } cases[] = {
      {"audio behind zeros where the older count points", zerosThenAudio, "Kept"},
      {"size 7F 7F 7F 7F", withSize(Tag(title, 3, 100), "\x7f\x7f\x7f\x7f"), "Kept"},
      {"version 2.4, size past the end", withSize(Tag(Frame("TIT2", QByteArray("\3Kept", 5), 4), 4, 100), "\0\x40\0\0"),
       "Kept"},
      {"extended header longer than the tag", badExtended, ""},
      {"size 00 00 01 80 read as a plain count", notSynchsafe, "Kept"},
      {"extended header reaching the plain count", stretchedExtended, ""},
  };
  for (const auto& c : cases) {
    const QByteArray original = c.tag + Audio() + V1Block("v1", 1, 2);
    const QString path = Write(dir(), "a.mp3", original);
    cMP3ID3v2 t;
    EXPECT_TRUE(t.SetMP3File(path)) << c.name;
    EXPECT_EQ(t.Title(), c.shownTitle) << c.name;
    t.SetTitle("New");
    EXPECT_FALSE(t.CanReplaceTag()) << c.name;
    EXPECT_EQ(t.LastError().Number, tagErrDamagedTag) << c.name;
    EXPECT_FALSE(t.Update()) << c.name;
    EXPECT_EQ(t.LastError().Number, tagErrDamagedTag) << c.name;
    EXPECT_TRUE(t.LastError().Description.contains(path)) << t.LastError().Description.toStdString();
    EXPECT_EQ(Read(path), original) << c.name;
  }
}

TEST(ID3v2Write, FailuresLeaveTheFileUntouched) {
  const QString d = dir();
  cMP3ID3v2 t;
  const QString empty = Write(d, "empty.mp3", {});
  t.SetMP3File(empty);
  t.SetTitle("x");
  EXPECT_FALSE(t.Update());
  EXPECT_EQ(t.LastError().Number, 9);
  EXPECT_EQ(Read(empty).size(), 0);

  t.SetMP3File(d + "/missing.mp3");
  t.SetTitle("x");
  EXPECT_FALSE(t.Update());
  EXPECT_EQ(t.LastError().Number, 53);
  EXPECT_FALSE(QFile::exists(d + "/missing.mp3"));

  // A rewrite that fails half way, for a file larger and smaller than a write buffer.
  for (int frames : {40, 2}) {
    const QByteArray original = Tag(Frame("TIT2", QByteArray("\0Keep", 5))) + Audio(frames);
    const QString path = Write(d, "a.mp3", original);
    t.SetMP3File(path);
    t.SetTitle(QString(3000, 'x'));
    {
      FileSizeLimit limit(original.size());
      EXPECT_FALSE(t.Update());
    }
    EXPECT_NE(t.LastError().Number, 0);
    EXPECT_FALSE(t.LastError().Description.isEmpty());
    EXPECT_EQ(Read(path), original);
    EXPECT_EQ(QDir(d).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary file left
  }
}

TEST(ID3v2Write, RewriteKeepsPermissions) {
  const QString path = Write(dir(), "a.mp3", Audio());
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
  update(path, [](cMP3ID3v2& t) { t.SetTitle("p"); });
  const QFile::Permissions allBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                 QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                 QFile::ExeOther;
  EXPECT_EQ(QFile::permissions(path) & allBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
}
