#include "tags/cMP3ID3v1.h"

#include <QFile>
#include <array>

#include "tags/ID3Text.h"

namespace {
constexpr const char* kClass = "cMP3ID3v1";
constexpr qint64 kBlock = 128;

// Genre numbers 0 to 147; 123 has no name.
const std::array<const char*, 148> kGenres = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro - Techno",
    "Ambient", "Trip Hop", "Vocal", "Jazz - Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "Alt.Rock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave",
    "Techno - Industrial", "Electronic", "Pop / Folk", "Eurodance", "Dream", "Southern Rock",
    "Comedy", "Cult", "Gangsta Rap", "Top 40", "Christian Rap", "Pop / Funk", "Jungle",
    "Native American", "Cabaret", "New Wave", "Psychedelic", "Rave", "Showtunes", "Trailer",
    "Lo - fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock 'n'Roll",
    "Hard Rock", "Folk", "Folk / Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin",
    "Revival", "Celtic", "Blue Grass", "Avant Garde", "Gothic Rock", "Progressive Rock",
    "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening",
    "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony",
    "Booty Bass", "Primus", "Pr0n Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba",
    "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock",
    "Drum Solo", "", "Euro - House", "Dance Hall", "Goa", "Drum & Bass", "Club - House",
    "Hardcore", "Terror", "Indie", "Brit Pop", "Negerpunk", "Polsk Punk", "Beat",
    "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian",
    "Christian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime", "JPop", "Synth Pop"};

// A text cut to its field or padded with blanks.
QByteArray field(const QString& text, int length) {
  QByteArray b = ID3Text::ToLatin1(text).left(length);
  return b.leftJustified(length, ' ');
}
}  // namespace

QString cMP3ID3v1::GenreName(uint8_t genre) {
  return genre < kGenres.size() ? QString::fromLatin1(kGenres[genre]) : QString();
}

bool cMP3ID3v1::Fail(const TagError& error) {
  m_error = error;
  return false;
}

void cMP3ID3v1::ResetTag() {
  m_bHasTag = false;
  m_sTitle.clear();
  m_sArtist.clear();
  m_sAlbum.clear();
  m_sYear.clear();
  m_sComment.clear();
  m_bytGenre = 255;
  m_bytTrack = 0;
}

bool cMP3ID3v1::SetMP3File(const QString& path) {
  m_sMP3File = path;
  return ReadTagV1();
}

bool cMP3ID3v1::Update() { return WriteTagV1(); }

bool cMP3ID3v1::ReadTagV1() {
  m_error = TagError();
  ResetTag();
  QFile file(m_sMP3File);
  if (!file.open(QIODevice::ReadOnly)) return Fail(FileError(file, kClass));
  return ReadTag(file);
}

QString cMP3ID3v1::StripNulls(const QByteArray& bytes) {
  QString text = QString::fromLatin1(bytes);
  text.remove(QChar(0));
  qsizetype start = 0, end = text.size();
  while (start < end && text[start] == ' ') ++start;
  while (end > start && text[end - 1] == ' ') --end;
  return text.mid(start, end - start);
}

bool cMP3ID3v1::ReadTag(QIODevice& device) {
  m_error = TagError();
  ResetTag();
  const qint64 length = device.size();
  if (length <= kBlock || !device.seek(length - kBlock)) return true;
  const QByteArray b = device.read(kBlock);
  if (b.size() != kBlock || !b.startsWith("TAG")) return true;
  m_bHasTag = true;
  m_sTitle = StripNulls(b.mid(3, 30));
  m_sArtist = StripNulls(b.mid(33, 30));
  m_sAlbum = StripNulls(b.mid(63, 30));
  m_sYear = StripNulls(b.mid(93, 4));
  // v1.1 holds a track number behind a zero byte; v1.0 a 30-byte comment.
  const bool v11 = b[125] == 0 && b[126] != 0;
  m_sComment = StripNulls(b.mid(97, v11 ? 28 : 30));
  m_bytTrack = v11 ? uint8_t(b[126]) : 0;
  m_bytGenre = uint8_t(b[127]);
  return true;
}

QByteArray cMP3ID3v1::BuildBlock() const {
  QByteArray b("TAG");
  b += field(m_sTitle, 30) + field(m_sArtist, 30) + field(m_sAlbum, 30);
  b += field(m_sYear, 4) + field(m_sComment, 28);
  b.append('\0').append(char(m_bytTrack)).append(char(m_bytGenre));
  return b;
}

bool cMP3ID3v1::Placement(QFile& file, qint64* at, QByteArray* block) {
  m_error = TagError();
  const qint64 length = file.size();
  *at = length;
  block->clear();
  if (length == 0)
    return Fail(MakeTagError(tagErrNotMP3, m_sMP3File + " is not a valid MP3 file.", kClass));
  if (length <= kBlock) return true;
  if (!file.seek(length - kBlock)) return Fail(FileError(file, kClass));
  if (file.read(3) == "TAG") *at = length - kBlock;
  *block = BuildBlock();
  return true;
}

bool cMP3ID3v1::WriteTagV1() {
  m_error = TagError();
  QFile file(m_sMP3File);
  if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered)) return Fail(FileError(file, kClass));
  const qint64 length = file.size();
  qint64 at = 0;
  QByteArray block;
  if (!Placement(file, &at, &block)) return false;
  if (block.isEmpty()) return true;
  int reason = 0;
  if (!file.seek(at) || !WriteWhole(file, block, &reason)) {
    TagError error = FileError(file, kClass, reason);
    if (at == length) file.resize(length);
    return Fail(error);
  }
  file.close();
  if (file.error() != QFileDevice::NoError) return Fail(FileError(file, kClass));
  return true;
}
