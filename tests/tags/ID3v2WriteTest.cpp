#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QUrl>
#include <cerrno>
#include <cstring>

#include "AudioFixtures.h"
#include "FileSizeLimit.h"
#include "SmallDisk.h"
#include "TagFixtures.h"
#include "TestEnv.h"
#include "tags/ID3Text.h"
#include "tags/cMP3ID3v2.h"

using namespace TagFixtures;
using AudioFixtures::DecodePcm;

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

// A second of a stereo sine as the lame command encodes it: its first frame
// is the Info frame that states the encoder delay and padding.
QString LameFile(const QString& d, const QString& bitrate) {
  const QString wav = AudioFixtures::WriteWav(d + "/sine.wav", 44100, 2, 16, 1.0);
  const QString path = d + "/lame" + bitrate + ".mp3";
  AudioFixtures::RunTool("lame", {"--quiet", bitrate, wav, path});
  EXPECT_TRUE(QByteArrayList({"Xing", "Info"}).contains(Read(path).mid(36, 4))) << bitrate.toStdString();
  return path;
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

TEST(ID3v2Write, TagIsReplacedOnlyWhereItsEndIsKnown) {
  const QString d = dir();
  const QByteArray title = Frame("TIT2", QByteArray("\0Kept", 5));
  auto withSize = [](QByteArray tag, const char* size) { return tag.replace(6, 4, QByteArray(size, 4)); };
  // Read as the standard size the tag ends inside the file, as a plain count
  // past its end; the extended header claims more than the whole tag.
  const QByteArray extendedHeader = QByteArray("\x7f\xff\xff\xf0", 4) + QByteArray(6, '\0');
  const QByteArray badExtended = Tag(extendedHeader + title, 3, 16256 - 25, 0x40);
  ASSERT_EQ(badExtended.mid(6, 4), QByteArray("\0\0\x7f\0", 4));
  // A size field that is not synchsafe (384 as a plain count) with audio
  // right behind the frames, and an extended header stretched to the plain
  // count (328) of a 210-byte standard tag, hiding its frames.
  const QByteArray notSynchsafe = withSize(Tag(title, 3), "\0\0\x01\x80");
  const QByteArray stretchedExtended =
      Tag(QByteArray("\0\0\x01\x3a", 4) + QByteArray(6, '\0') + title, 3, 200 - 25, 0x40);
  ASSERT_EQ(stretchedExtended.mid(6, 4), QByteArray("\0\0\x01\x48", 4));
  constexpr qint64 kRefused = -1;
  // samples: what the file decodes to, 0 when it is no real audio; kept:
  // frames the new tag holds as they were.
  struct Case {
    std::string name;
    QByteArray file;
    qint64 end;
    QString shownTitle;
    size_t samples = 0;
    QByteArrayList kept = {};
  };
  std::vector<Case> cases = {
      {"size 7F 7F 7F 7F", withSize(Tag(title, 3, 100), "\x7f\x7f\x7f\x7f"), kRefused, "Kept"},
      {"version 2.4, size past the end", withSize(Tag(Frame("TIT2", QByteArray("\3Kept", 5), 4), 4, 100), "\0\x40\0\0"),
       kRefused, "Kept"},
      {"extended header longer than the tag", badExtended, kRefused, ""},
      {"size 00 00 01 80 read as a plain count", notSynchsafe, kRefused, "Kept"},
      {"extended header reaching the plain count", stretchedExtended, kRefused, ""},
  };
  for (auto& c : cases) c.file += Audio() + V1Block("v1", 1, 2);
  // This program's own 2048-byte tag in front of 242 zero bytes and audio:
  // its size field read as a plain count (3958) points at the fifth frame.
  const QByteArray zerosThenAudio = QByteArray(1910 - 4 * 417, '\0') + Audio(8);
  const QByteArray ownTag = update(Write(d, "own.mp3", zerosThenAudio), [](cMP3ID3v2& t) { t.SetTitle("Kept"); });
  ASSERT_EQ(ID3Text::ReadBE32(ownTag.constData() + 6) - 2048 - zerosThenAudio.indexOf('\xff'), 4 * 417);
  cases.push_back({"own tag, zeros, then audio where the plain count points", ownTag + V1Block("v1", 1, 2), 2048, "Kept"});
  // Last frames that run from the standard end (276) to the plain count
  // (522): a version 2.4 frame with a plain size, and an overlong comment in
  // an unsynchronised version 2.2 tag, 1 byte shorter once resynchronised.
  const QByteArray longNote = QByteArray("\3note\0", 6) + QByteArray(235, 'x');
  const QByteArray plainSized = Tag(Frame("TIT2", QByteArray("\3Kept", 5), 4) + "TXXX" +
                                    QByteArray("\0\0\x01\xe7\0\0", 6) + longNote, 4);
  const QByteArray comment = QByteArray("\0eng\0a\xff\0b", 9) + QByteArray(240, 'c');
  const QByteArray overlongComment =
      Tag(QByteArray("TT2\0\0\x05\0Kept", 11) + QByteArray("COM\0\x01\xee", 6) + comment, 2, 0, 0x80);
  for (const QByteArray& tag : {plainSized, overlongComment}) ASSERT_EQ(tag.mid(6, 4), QByteArray("\0\0\x02\x0a", 4));
  cases.push_back({"version 2.4 frame with a plain size", plainSized + Audio(), 276, "Kept"});
  cases.push_back({"version 2.2 comment past the end", overlongComment + Audio(), 276, "Kept"});
  // A version 2.4 title of 152 UTF-16 characters with a plain size (00 00 01
  // 33, 307 bytes) that also reads as a synchsafe 179, which ends on a zero
  // inside the text; behind it frames with plain and synchsafe sizes.
  QByteArray longTitle("\x01\xfe\xff", 3);
  QString letters;
  for (int i = 0; i < 152; ++i) {
    letters += QChar('a' + i % 26);
    longTitle.append('\0').append(char('a' + i % 26));
  }
  const QByteArray plainPicture = Frame("APIC", QByteArray("\0image/png\0\x03\0", 13) + QByteArray(287, '\x89'));
  const QByteArray track = Frame("TRCK", QByteArray("\0" "7", 2));
  const QByteArray plainTitled = Tag(Frame("TIT2", longTitle) + track + plainPicture, 4, 20);
  ASSERT_EQ(plainTitled.mid(14, 4), QByteArray("\0\0\x01\x33", 4));
  cases.push_back({"version 2.4 plain sizes, a synchsafe reading on a zero", plainTitled + Audio(), plainTitled.size(),
                   letters, 0, {track, plainPicture}});
  // Tags without padding in front of encoder output whose first frame, the
  // Info frame, states the encoder delay and padding; the text frame is long
  // enough for its synchsafe and plain sizes to differ. With the longer
  // title the tag's plain count lies past the Info frame.
  for (const char* bitrate : {"-V2", "-b192"}) {
    const QString lame = LameFile(d, bitrate);
    const QByteArray encoded = Read(lame);
    const size_t samples = DecodePcm(lame).size();
    for (int titleLength : {4, 150}) {
      for (int n : {356, 377}) {
        const QByteArray frames = Frame("TIT2", "\3" + QByteArray(titleLength, 'K'), 4) +
                                  Frame("TXXX", QByteArray("\3note\0", 6) + QByteArray(n, 'x'), 4);
        const QByteArray tag = Tag(frames, 4);
        cases.push_back({std::string(bitrate) + " audio, title " + std::to_string(titleLength) + ", text " +
                             std::to_string(n), tag + encoded, tag.size(), QString(titleLength, 'K'), samples});
      }
    }
  }
  // Older tags (size 00 00 08 00) in front of encoder output whose standard
  // size ends inside a frame, on bytes that read as an audio frame header: a
  // sync in a picture, a UTF-16 byte-order mark in a comment.
  const QString lame = LameFile(d, "-b192");
  const size_t samples = DecodePcm(lame).size();
  QByteArray cover(1500, '\x89');
  cover.replace(1034 - 10 - title.size() - 10 - 14, 4, QByteArray("\xff\xfb\x90\x64", 4));
  const QByteArray picture = Frame("APIC", QByteArray("\0image/jpeg\0\x03\0", 14) + cover);
  QByteArray utf16Text("\x01" "eng\xff\xfe\0\0\xff\xfe", 10);
  for (int i = 0; i < 100; ++i) utf16Text.append("A\0", 2);
  const QByteArray note = Frame("COMM", utf16Text);
  const QByteArray filler = Frame("PRIV", QByteArray(1034 - 10 - title.size() - 10 - 10 - 8, 'p'));
  const std::pair<std::string, QByteArray> inside[] = {{"a picture", picture}, {"a comment", filler + note}};
  for (const auto& [where, frames] : inside) {
    const QByteArray older = LegacyTag(title + frames);
    ASSERT_EQ(older.mid(6, 4), QByteArray("\0\0\x08\0", 4));
    ASSERT_EQ(uchar(older[1034]), 0xff);
    cases.push_back({"older tag, standard size inside " + where, older + Read(lame), 2048, "Kept", samples, {frames}});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = Write(d, "a.mp3", c.file);
    cMP3ID3v2 t;
    EXPECT_TRUE(t.SetMP3File(path));
    EXPECT_EQ(t.Title(), c.shownTitle);
    t.SetTitle("New");
    const bool known = c.end != kRefused;
    EXPECT_EQ(t.CanReplaceTag(), known);
    EXPECT_EQ(t.Update(), known) << t.LastError().Description.toStdString();
    const QByteArray bytes = Read(path);
    if (!known) {
      EXPECT_EQ(t.LastError().Number, tagErrDamagedTag);
      EXPECT_TRUE(t.LastError().Description.contains(path)) << t.LastError().Description.toStdString();
      EXPECT_EQ(bytes, c.file);
      continue;
    }
    EXPECT_EQ(bytes.mid(tagLength(bytes)), c.file.mid(c.end));
    for (const QByteArray& frame : c.kept) EXPECT_TRUE(bytes.left(tagLength(bytes)).contains(frame)) << frame.left(4).data();
    if (c.samples) {
      EXPECT_EQ(DecodePcm(path).size(), c.samples);
    }
    cMP3ID3v2 back;
    back.SetMP3File(path);
    EXPECT_EQ(back.Title(), "New");
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

  // A rewrite that fails half way, for a file larger and smaller than a write
  // buffer, says the system's reason.
  for (int frames : {40, 2}) {
    const QByteArray original = Tag(Frame("TIT2", QByteArray("\0Keep", 5))) + Audio(frames);
    const QString path = Write(d, "a.mp3", original);
    t.SetMP3File(path);
    t.SetTitle(QString(3000, 'x'));
    {
      FileSizeLimit limit(original.size());
      EXPECT_FALSE(t.Update());
    }
    EXPECT_EQ(t.LastError().Number, tagErrDeviceIO);
    EXPECT_EQ(t.LastError().Description.toStdString(), std::strerror(EFBIG));
    EXPECT_EQ(Read(path), original);
    EXPECT_EQ(QDir(d).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary file left
  }
}

TEST(ID3v2Write, FullDiskSaysSo) {
  const QString d = dir();
  const SmallDisk small(d, 64 << 10);
  if (!small.Mounted()) GTEST_SKIP() << "no small disk can be mounted here";
  const QByteArray original = Tag(Frame("TIT2", QByteArray("\0Keep", 5))) + Audio(100);
  const QString path = Write(d, "a.mp3", original);
  ASSERT_EQ(Read(path), original);
  cMP3ID3v2 t;
  t.SetMP3File(path);
  t.SetTitle("New");
  EXPECT_FALSE(t.Update());
  EXPECT_EQ(t.LastError().Description.toStdString(), std::strerror(ENOSPC));
  EXPECT_EQ(Read(path), original);
  EXPECT_EQ(QDir(d).entryList(QDir::Files | QDir::Hidden), QStringList{"a.mp3"});
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
