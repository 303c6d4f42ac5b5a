// Tags written by other tools are read here, and tags written here are read
// by TagLib and FFmpeg.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/urllinkframe.h>

#include "TagFixtures.h"
#include "TestEnv.h"
#include "tags/cMP3ID3v1.h"
#include "tags/cMP3ID3v2.h"

using namespace TagFixtures;

namespace {
QString dir() { return TestEnv::FreshDir("interop"); }

TagLib::String TL(const QString& s) { return TagLib::String(s.toUtf8().constData(), TagLib::String::UTF8); }
QString Q(const TagLib::String& s) { return QString::fromUtf8(s.toCString(true)); }

const QString kTitle = "Zima \u65e5\u672c \u00e9";
const QByteArray kPicture = QByteArray(3000, '\x89') + QByteArray("\0\xff\0", 3);

// A file tagged by TagLib: texts, a picture and a user text frame.
QString TagLibFile(const QString& d, TagLib::ID3v2::Version version) {
  const QString path = Write(d, "taglib.mp3", Audio(20));
  TagLib::MPEG::File f(path.toUtf8().constData());
  TagLib::ID3v2::Tag* tag = f.ID3v2Tag(true);
  tag->setTitle(TL(kTitle));
  tag->setArtist(TL("Artist"));
  tag->setAlbum(TL("Album"));
  tag->setComment(TL("A comment"));
  tag->setYear(2001);
  tag->setTrack(7);
  tag->setGenre(TL("Rock"));
  auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
  picture->setMimeType("image/png");
  picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
  picture->setPicture(TagLib::ByteVector(kPicture.constData(), uint(kPicture.size())));
  tag->addFrame(picture);
  auto* user = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF8);
  user->setDescription("MOOD");
  user->setText(TL("calm \u263A"));
  tag->addFrame(user);
  EXPECT_TRUE(f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, version));
  return path;
}

// A version 2.2 frame: three-letter identifier, 24-bit size.
QByteArray Frame22(const QByteArray& id, const QByteArray& body) {
  const int n = int(body.size());
  return id + char(n >> 16) + char(n >> 8) + char(n) + body;
}

// The file's tags as FFmpeg reads them.
QJsonObject FfprobeTags(const QString& path) {
  QProcess p;
  p.start("ffprobe", {"-v", "quiet", "-of", "json", "-show_entries", "format_tags", path});
  p.waitForFinished(20000);
  return QJsonDocument::fromJson(p.readAllStandardOutput()).object()["format"].toObject()["tags"].toObject();
}

// Sets every box the tags editor sets, as it does on Apply.
void ApplyAll(cMP3ID3v2& t, const QString& title) {
  t.SetArtist(t.Artist());
  t.SetTitle(title);
  t.SetAlbum(t.Album());
  t.SetYear(t.Year());
  t.SetComment(t.Comment());
  t.SetGenre(t.Genre());
  t.SetOtherGenreName(t.OtherGenreName());
  t.SetTrack(t.Track());
  t.SetOriginalArtist(t.OriginalArtist());
  t.SetCopyright(t.Copyright());
  t.SetEncodedBy(t.EncodedBy());
  t.SetLinkTo(t.LinkTo());
  t.SetLyrics(t.Lyrics());
}
}  // namespace

TEST(Interop, TagLibTagsAreReadAndKeptThroughASave) {
  for (auto version : {TagLib::ID3v2::v3, TagLib::ID3v2::v4}) {
    const QString path = TagLibFile(dir(), version);
    cMP3ID3v2 t;
    ASSERT_TRUE(t.SetMP3File(path));
    EXPECT_EQ(t.ID3v2TagVersion(), int(version));
    EXPECT_EQ(t.Title(), kTitle);
    EXPECT_EQ(t.Artist(), "Artist");
    EXPECT_EQ(t.Album(), "Album");
    EXPECT_EQ(t.Comment(), "A comment");
    EXPECT_EQ(t.Track(), "7");
    EXPECT_EQ(t.OtherGenreName(), "Rock");
    EXPECT_EQ(t.Year(), "2001");

    ApplyAll(t, "New \u0436");
    ASSERT_TRUE(t.Update()) << t.LastError().Description.toStdString();

    TagLib::MPEG::File f(path.toUtf8().constData());
    ASSERT_TRUE(f.isValid());
    TagLib::ID3v2::Tag* tag = f.ID3v2Tag();
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->header()->majorVersion(), 3u);
    EXPECT_EQ(Q(tag->title()), "New \u0436");
    EXPECT_EQ(Q(tag->artist()), "Artist");
    EXPECT_EQ(Q(tag->comment()), "A comment");
    EXPECT_EQ(tag->year(), 2001u);
    EXPECT_EQ(tag->track(), 7u);
    EXPECT_EQ(Q(tag->genre()), "Rock");
    const auto pictures = tag->frameListMap()["APIC"];
    ASSERT_EQ(pictures.size(), 1u);
    const auto* picture = static_cast<TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
    EXPECT_EQ(picture->picture(), TagLib::ByteVector(kPicture.constData(), uint(kPicture.size())));
    EXPECT_EQ(Q(picture->mimeType()), "image/png");
    auto* user = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, "MOOD");
    ASSERT_TRUE(user);
    EXPECT_EQ(Q(user->fieldList().back()), "calm \u263A");
    EXPECT_EQ(Read(path).right(Audio(20).size()), Audio(20));
  }
}

TEST(Interop, Id3v2CommandTagsAreRead) {
  ASSERT_FALSE(QStandardPaths::findExecutable("id3v2").isEmpty()) << "the id3v2 command is needed";
  const QString path = Write(dir(), "cmd.mp3", Audio(20));
  ASSERT_EQ(QProcess::execute("id3v2", {"-t", "Song", "-a", "Band", "-A", "Record", "-y", "1999", "-c",
                                        "Remark", "-g", "80", "-T", "5", path}),
            0);
  cMP3ID3v2 v2;
  ASSERT_TRUE(v2.SetMP3File(path));
  EXPECT_EQ(v2.Title(), "Song");
  EXPECT_EQ(v2.Artist(), "Band");
  EXPECT_EQ(v2.Album(), "Record");
  EXPECT_EQ(v2.Year(), "1999");
  EXPECT_EQ(v2.Comment(), "Remark");
  EXPECT_EQ(v2.Track(), "5");
  EXPECT_EQ(v2.Genre(), 80);
  cMP3ID3v1 v1;
  ASSERT_TRUE(v1.SetMP3File(path));
  EXPECT_TRUE(v1.HasID3v1Tag());
  EXPECT_EQ(v1.Title(), "Song");
  EXPECT_EQ(v1.Comment(), "Remark");
  EXPECT_EQ(v1.Track(), 5);
  EXPECT_EQ(v1.Genre(), 80);
  // And a save keeps the audio and the ID3v1 block behind it.
  const QByteArray tail = Read(path).right(Audio(20).size() + 128);
  v2.SetTitle("Changed");
  ASSERT_TRUE(v2.Update());
  EXPECT_EQ(Read(path).right(tail.size()), tail);
}

TEST(Interop, OurTagsAreReadByTagLibAndFFmpeg) {
  const QString path = Write(dir(), "ours.mp3", Audio(20));
  cMP3ID3v2 t;
  t.SetMP3File(path);
  t.SetTitle(kTitle);
  t.SetArtist("\u0417\u0438\u043c\u0430");
  t.SetAlbum("Album");
  t.SetYear("1998");
  t.SetComment("Note \u263A");
  t.SetTrack("3");
  t.SetGenre(13);
  t.SetOtherGenreName("Pop");
  t.SetLyrics("La \u266B la");
  ASSERT_TRUE(t.Update());
  cMP3ID3v1 v1;
  v1.SetMP3File(path);
  v1.SetTitle("Caf\u00e9");
  v1.SetTrack(3);
  v1.SetGenre(13);
  ASSERT_TRUE(v1.Update());

  TagLib::MPEG::File f(path.toUtf8().constData());
  ASSERT_TRUE(f.isValid());
  TagLib::ID3v2::Tag* tag = f.ID3v2Tag();
  ASSERT_TRUE(tag);
  EXPECT_EQ(Q(tag->title()), kTitle);
  EXPECT_EQ(Q(tag->artist()), "\u0417\u0438\u043c\u0430");
  EXPECT_EQ(Q(tag->comment()), "Note \u263A");
  EXPECT_EQ(tag->year(), 1998u);
  EXPECT_EQ(tag->track(), 3u);
  EXPECT_EQ(Q(tag->genre()), "Pop");
  const auto lyrics = tag->frameListMap()["USLT"];
  ASSERT_EQ(lyrics.size(), 1u);
  EXPECT_EQ(Q(lyrics.front()->toString()), "La \u266B la");
  TagLib::ID3v1::Tag* old = f.ID3v1Tag();
  ASSERT_TRUE(old);
  EXPECT_EQ(Q(old->title()), "Caf\u00e9");
  EXPECT_EQ(old->track(), 3u);
  EXPECT_EQ(Q(old->genre()), "Pop");

  const QJsonObject tags = FfprobeTags(path);
  EXPECT_EQ(tags["title"].toString(), kTitle);
  EXPECT_EQ(tags["artist"].toString(), "\u0417\u0438\u043c\u0430");
  EXPECT_EQ(tags["album"].toString(), "Album");
  EXPECT_EQ(tags["comment"].toString(), "Note \u263A");
  EXPECT_EQ(tags["track"].toString(), "3");
}

TEST(Interop, Version22FramesAreKeptThroughASave) {
  const QByteArray jpeg = QByteArray("\xff\xd8\xff\xe0", 4) + QByteArray(2000, '\x4a');
  const QByteArray png = QByteArray("\x89PNG", 4) + QByteArray(300, '\x50');
  const QByteArray frames =
      Frame22("TT2", QByteArray("\0Title", 6)) + Frame22("PIC", QByteArray("\0JPG\x03" "cover\0", 11) + jpeg) +
      Frame22("PIC", QByteArray("\0PNG\x04\0", 6) + png) + Frame22("TXX", QByteArray("\0MOOD\0calm", 10)) +
      Frame22("ULT", QByteArray("\0eng\0la la", 10)) + Frame22("WXX", QByteArray("\0\0http://x", 10)) +
      Frame22("TCM", QByteArray("\0Comp", 5)) + Frame22("TP2", QByteArray("\0Band", 5)) +
      Frame22("CRM", QByteArray("owner\0sealed", 12)) + Frame22("LNK", QByteArray("TT2http://l\0", 12));
  const QString path = Write(dir(), "v22.mp3", Tag(frames, 2, 40) + Audio(20));
  cMP3ID3v2 t;
  ASSERT_TRUE(t.SetMP3File(path));
  EXPECT_EQ(t.Lyrics(), "la la");
  EXPECT_EQ(t.Composer(), "Comp");
  EXPECT_EQ(t.LinkTo(), "http://x");
  ApplyAll(t, "New");
  ASSERT_TRUE(t.Update()) << t.LastError().Description.toStdString();

  const QByteArray bytes = Read(path);
  EXPECT_FALSE(bytes.contains("CRM"));
  EXPECT_TRUE(bytes.contains(QByteArray("LINK\0\0\0\x0d\0\0TIT2http://l\0", 23)));
  EXPECT_EQ(bytes.right(Audio(20).size()), Audio(20));
  TagLib::MPEG::File f(path.toUtf8().constData());
  TagLib::ID3v2::Tag* tag = f.ID3v2Tag();
  ASSERT_TRUE(tag);
  EXPECT_EQ(tag->header()->majorVersion(), 3u);
  EXPECT_EQ(Q(tag->title()), "New");
  const auto pictures = tag->frameListMap()["APIC"];
  ASSERT_EQ(pictures.size(), 2u);
  const struct { QString mime; int type; QString description; QByteArray data; } expected[] = {
      {"image/jpeg", 3, "cover", jpeg}, {"image/png", 4, "", png}};
  auto picture = pictures.begin();
  for (const auto& e : expected) {
    const auto* p = static_cast<TagLib::ID3v2::AttachedPictureFrame*>(*picture++);
    EXPECT_EQ(Q(p->mimeType()), e.mime);
    EXPECT_EQ(int(p->type()), e.type);
    EXPECT_EQ(Q(p->description()), e.description);
    EXPECT_EQ(p->picture(), TagLib::ByteVector(e.data.constData(), uint(e.data.size())));
  }
  auto* mood = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, "MOOD");
  ASSERT_TRUE(mood);
  EXPECT_EQ(Q(mood->fieldList().back()), "calm");
  const auto lyrics = tag->frameListMap()["USLT"];
  ASSERT_EQ(lyrics.size(), 1u);
  EXPECT_EQ(Q(lyrics.front()->toString()), "la la");
  const auto links = tag->frameListMap()["WXXX"];
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(Q(static_cast<TagLib::ID3v2::UserUrlLinkFrame*>(links.front())->url()), "http://x");
  EXPECT_EQ(Q(tag->frameListMap()["TCOM"].front()->toString()), "Comp");
  EXPECT_EQ(Q(tag->frameListMap()["TPE2"].front()->toString()), "Band");
}

TEST(Interop, Version24YearIsShownAndWrittenOnce) {
  // The day, month, hour and minute go to the frames version 2.3 has for them.
  const QByteArray dateAndTime = Frame("TDAT", QByteArray("\0" "0305", 5)) + Frame("TIME", QByteArray("\0" "1020", 5));
  const struct { QByteArray frames; QString year; QByteArray kept; } cases[] = {
      {Frame("TDRC", QByteArray("\x03" "2001-05-03T10:20", 17), 4), "2001", dateAndTime},
      {Frame("TDRC", QByteArray("\0" "2001", 5), 4), "2001", {}},
      {Frame("TYER", QByteArray("\0" "1990", 5), 4) + Frame("TDRC", QByteArray("\x03" "2001-05-03", 11), 4), "1990", {}},
  };
  for (const auto& c : cases) {
    for (const QString& edit : {QString(), QString("1999")}) {
      const QString path = Write(dir(), "year.mp3", Tag(c.frames + Frame("TIT2", QByteArray("\0T", 2), 4), 4, 20) + Audio(20));
      cMP3ID3v2 t;
      ASSERT_TRUE(t.SetMP3File(path));
      EXPECT_EQ(t.Year(), c.year);
      ApplyAll(t, "T");
      if (!edit.isNull()) t.SetYear(edit);
      ASSERT_TRUE(t.Update()) << t.LastError().Description.toStdString();
      const QString year = edit.isNull() ? c.year : edit;
      const QByteArray bytes = Read(path);
      EXPECT_EQ(bytes.count("TYER"), 1) << c.year.toStdString();
      EXPECT_FALSE(bytes.contains("TDRC"));
      EXPECT_TRUE(bytes.contains(c.kept));
      EXPECT_EQ(bytes.contains("TDAT"), !c.kept.isEmpty());
      TagLib::MPEG::File f(path.toUtf8().constData());
      ASSERT_TRUE(f.ID3v2Tag());
      EXPECT_EQ(f.ID3v2Tag()->year(), year.toUInt());
      cMP3ID3v2 back;
      back.SetMP3File(path);
      EXPECT_EQ(back.Year(), year);
    }
  }
}
