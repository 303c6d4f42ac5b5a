#include "tags/cMP3ID3v2.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

#include "backend/audio/MpegFrames.h"
#include "tags/ID3Text.h"
#include "tags/ID3v2Layout.h"
#include "tags/cMP3ID3v1.h"

namespace {
using namespace ID3Text;
constexpr const char* kClass = "cMP3ID3v2";
constexpr qint64 kSearchBlock = 4096;

// A comment or lyrics frame: encoding, language, description, text.
struct Note {
  QString description;
  QString text;
};

// Where the first MPEG audio frame header in the bytes before limit starts;
// -1 when there is none.
qsizetype FirstMpegHeader(const QByteArray& bytes, qsizetype limit) {
  MpegFrame frame;
  const qsizetype end = std::min(limit, bytes.size() - 3);
  for (qsizetype i = bytes.indexOf('\xFF'); i >= 0 && i < end; i = bytes.indexOf('\xFF', i + 1))
    if (ReadMpegHeader(ReadBE32(bytes.constData() + i), &frame)) return i;
  return -1;
}

Note ParseNote(const QByteArray& body, bool lyrics) {
  Note note;
  if (body.isEmpty()) return note;
  const int encoding = uchar(body[0]);
  // Lyrics as older versions of this program wrote them: no language code.
  if (lyrics && body.size() >= 2 && body[1] == 0) {
    note.text = Decode(body.mid(2), encoding);
    return note;
  }
  int next = 0;
  const int length = StringLength(body, 4, encoding, &next);
  note.description = Decode(body.mid(4, length), encoding);
  note.text = Decode(body.mid(next), encoding);
  return note;
}

QString DecodeText(const QByteArray& body) {
  return body.isEmpty() ? QString() : DecodeValues(body.mid(1), uchar(body[0]));
}

// Characters Latin-1 cannot hold are given as percent-encoded UTF-8.
QByteArray UrlBytes(const QString& url) {
  QByteArray out;
  for (qsizetype i = 0; i < url.size();) {
    qsizetype j = i;
    while (j < url.size() && url[j].unicode() > 0xFF) ++j;
    if (j == i) out.append(char(url[i++].unicode()));
    else out.append(url.mid(i, j - i).toUtf8().toPercentEncoding());
    i = std::max(i, j);
  }
  return out;
}

QByteArray NoteBody(const QString& text, bool lyrics) {
  const int encoding = EncodingFor(text);
  QByteArray body(1, char(encoding));
  body += lyrics ? QByteArray("XXX") : QByteArray("\0nt", 3);
  body += Encode(QString(), encoding) + Terminator(encoding) + Encode(text, encoding);
  return body;
}
}  // namespace

const char* cMP3ID3v2::FrameIdOf(Property p) {
  static const char* const ids[pCount] = {"WOAR", "WCOM", "WOAF", "TCOP", "TCOM", "TOPE", "WXXX", "PCNT", "TENC",
                                          "TIT2", "TPE1", "TALB", "TYER", "COMM", "USLT", "TCON", "TRCK"};
  return ids[p];
}

QString cMP3ID3v2::GenreName(uint8_t genre) { return cMP3ID3v1::GenreName(genre); }

bool cMP3ID3v2::Fail(const TagError& error) {
  m_error = error;
  return false;
}

// ---- the frame set ----

cMP3ID3v2::FrameEntry* cMP3ID3v2::Find(const QString& frame) {
  const auto it = m_colFrameIndex.constFind(frame.toUpper());
  return it == m_colFrameIndex.constEnd() ? nullptr : &m_colFrameIds[*it];
}

const cMP3ID3v2::FrameEntry* cMP3ID3v2::Find(const QString& frame) const {
  return const_cast<cMP3ID3v2*>(this)->Find(frame);
}

void cMP3ID3v2::Append(const QString& frame, FrameText text) {
  if (FrameEntry* e = Find(frame)) {
    e->texts.push_back(std::move(text));
    return;
  }
  m_colFrameIndex.insert(frame.toUpper(), m_colFrameIds.size());
  m_colFrameIds.push_back(FrameEntry{frame, {std::move(text)}});
}

void cMP3ID3v2::Erase(size_t position) {
  m_colFrameIds.erase(m_colFrameIds.begin() + long(position));
  m_colFrameIndex.clear();
  for (size_t i = 0; i < m_colFrameIds.size(); ++i) m_colFrameIndex.insert(m_colFrameIds[i].id.toUpper(), i);
}

QString cMP3ID3v2::Frame(long index) {
  if (index < 1 || index > FrameCount()) {
    Fail(MakeTagError(tagErrSubscript, "Subscript out of range", kClass));
    return QString();
  }
  return m_colFrameIds[index - 1].id;
}

bool cMP3ID3v2::RemoveFrame(const QString& frame) {
  const FrameEntry* e = Find(frame);
  if (!e) return Fail(MakeTagError(tagErrInvalidCall, "Invalid procedure call or argument", kClass));
  Erase(size_t(e - m_colFrameIds.data()));
  return true;
}

bool cMP3ID3v2::RemoveFrame(long index) {
  if (index < 1 || index > FrameCount())
    return Fail(MakeTagError(tagErrSubscript, "Subscript out of range", kClass));
  Erase(size_t(index - 1));
  return true;
}

long cMP3ID3v2::TagsInFrame(const QString& frame) const {
  const FrameEntry* e = Find(frame);
  return e ? long(e->texts.size()) : 0;
}

void cMP3ID3v2::AddTag(const QString& frame, const QString& tag) { Append(frame, FrameText{tag, {}, 0}); }

bool cMP3ID3v2::RemoveTag(const QString& frame, long tagIndex) {
  FrameEntry* e = Find(frame);
  if (!e || tagIndex < 1 || tagIndex > long(e->texts.size()))
    return Fail(MakeTagError(tagErrInvalidCall, "Invalid procedure call or argument", kClass));
  e->texts.erase(e->texts.begin() + (tagIndex - 1));
  if (e->texts.empty()) RemoveFrame(frame);
  return true;
}

// ---- reading ----

void cMP3ID3v2::ResetTag() {
  m_colFrameIds.clear();
  m_colFrameIndex.clear();
  m_bNoteShown = {false, false};
  m_lTagPosition = 0;
  m_bytTagVersion = 0;
  for (QString& p : m_props) p.clear();
  m_bytGenre = 255;
}

bool cMP3ID3v2::SetMP3File(const QString& path) {
  m_sMP3File = path;
  return ReadTagV2();
}

bool cMP3ID3v2::ReadTagV2() {
  m_error = TagError();
  ResetTag();
  QFile file(m_sMP3File);
  if (!file.open(QIODevice::ReadOnly)) return Fail(FileError(file, kClass));
  return ReadTag(file);
}

bool cMP3ID3v2::ReadTag(QIODevice& device) {
  m_error = TagError();
  ResetTag();
  const qint64 position = FindTagHeader(device);
  if (position == 0) return true;
  m_lTagPosition = position;
  ParseFrames(device, position - 4);
  return true;
}

// The 1-based position of the byte behind the first "ID3" in front of the
// first MPEG audio frame header (any version and layer, with a CRC or
// without); 0 when there is none.
qint64 cMP3ID3v2::FindTagHeader(QIODevice& device) {
  const qint64 length = device.size();
  for (qint64 start = 0; start < length; start += kSearchBlock - 3) {
    if (!device.seek(start)) return 0;
    const QByteArray block = device.read(kSearchBlock);
    const qsizetype k = block.indexOf("ID3");
    if (FirstMpegHeader(block, k < 0 ? block.size() : k) >= 0) return 0;
    if (k >= 0) return start + k + 4;
    if (start + kSearchBlock >= length) break;
  }
  return 0;
}

void cMP3ID3v2::ParseFrames(QIODevice& device, qint64 tagStart) {
  ID3v2Layout::Layout layout = ID3v2Layout::Read(device, tagStart);
  m_bytTagVersion = uint8_t(layout.version);
  for (ID3v2Layout::RawFrame& f : layout.frames) StoreFrame(QString::fromLatin1(f.id), f.body, f.flags);
}

void cMP3ID3v2::StoreFrame(const QString& id, const QByteArray& body, uint16_t flags) {
  Append(id, FrameText{QString(), body, flags});
  // Compressed, encrypted or grouped frames are kept but cannot be shown.
  if (!(flags & 0x00E0)) ShowFrame(id, body);
}

void cMP3ID3v2::ShowFrame(const QString& id, const QByteArray& body) {
  if (id == "COMM" || id == "USLT") {
    const bool lyrics = id == "USLT";
    const Note note = ParseNote(body, lyrics);
    if (m_bNoteShown[lyrics] || !note.description.isEmpty()) return;
    m_bNoteShown[lyrics] = true;
    m_props[lyrics ? pLyrics : pComment] = note.text;
    return;
  }
  if (id == "TCON") return ParseGenre(DecodeText(body));
  for (int p = 0; p < pCount; ++p) {
    if (id != FrameIdOf(Property(p))) continue;
    if (p == pLinkTo) {
      int next = 0;
      StringLength(body, 1, body.isEmpty() ? 0 : uchar(body[0]), &next);
      m_props[p] = Decode(body.mid(next), Latin1);
    } else if (id.startsWith('W') || p == pPlayCounter) {
      m_props[p] = Decode(body, Latin1);
    } else {
      m_props[p] = DecodeText(body);
    }
  }
}

// "(17)Rock", "(17)" and "Rock"; version 2.4 also gives a bare "17".
void cMP3ID3v2::ParseGenre(const QString& text) {
  bool ok = false;
  const int bare = m_bytTagVersion == 4 ? text.toInt(&ok) : -1;
  if (ok && bare >= 0 && bare <= 255 && text.at(0).isDigit()) {
    m_bytGenre = uint8_t(bare);
    m_props[pOtherGenreName] = GenreName(m_bytGenre);
    return;
  }
  const qsizetype p = text.indexOf('('), q = text.indexOf(')');
  if (p >= 0 && q > p) {
    const int number = text.mid(p + 1, q - p - 1).toInt(&ok);
    if (ok && number >= 0 && number <= 255) {
      m_bytGenre = uint8_t(number);
      m_props[pOtherGenreName] = q == text.size() - 1 ? GenreName(m_bytGenre) : text.mid(q + 1);
      return;
    }
  }
  m_props[pOtherGenreName] = text;
}

// ---- the setters ----

// The identifier keeps its place, so that frames set as they were stay
// where they were.
void cMP3ID3v2::ReplaceFrame(const QString& frame, FrameText text) {
  FrameEntry* e = Find(frame);
  if (!e) return Append(frame, std::move(text));
  e->texts.clear();
  e->texts.push_back(std::move(text));
}

// A text set as it is shown keeps its frames as they are: several values are
// shown joined, and other encodings than the one written would change it.
void cMP3ID3v2::SetTextFrame(Property p, const QString& v) {
  if (v == m_props[p] && Find(FrameIdOf(p))) return;
  m_props[p] = v;
  ReplaceFrame(FrameIdOf(p), FrameText{v, TextBody(v), 0});
}

void cMP3ID3v2::SetUrlFrame(Property p, const QString& v) {
  m_props[p] = v;
  ReplaceFrame(FrameIdOf(p), FrameText{v, UrlBytes(v), 0});
}

void cMP3ID3v2::SetLinkTo(const QString& v) {
  m_props[pLinkTo] = v;
  ReplaceFrame("WXXX", FrameText{v, QByteArray(2, '\0') + UrlBytes(v), 0});
}

// The comment and the lyrics replace only the frame they show (the first
// without a description), in its place; the others stay as they are.
void cMP3ID3v2::SetNoteFrame(Property p, const QString& v) {
  m_props[p] = v;
  const QString id = FrameIdOf(p);
  FrameText text{v, NoteBody(v, p == pLyrics), 0};
  FrameEntry* e = Find(id);
  const long main = e ? MainNote(*e, p == pLyrics) : -1;
  if (main < 0) return Append(id, std::move(text));
  e->texts[main] = std::move(text);
}

// The comment or lyrics frame the property shows: the first without a description.
long cMP3ID3v2::MainNote(const FrameEntry& e, bool lyrics) {
  for (size_t i = 0; i < e.texts.size(); ++i) {
    const FrameText& t = e.texts[i];
    if (ParseNote(t.body.isEmpty() ? TextBody(t.text) : t.body, lyrics).description.isEmpty()) return long(i);
  }
  return -1;
}

void cMP3ID3v2::SetGenre(uint8_t v) {
  m_bytGenre = v;
  SetGenreFrame();
}

void cMP3ID3v2::SetOtherGenreName(const QString& v) {
  m_props[pOtherGenreName] = v;
  SetGenreFrame();
}

// "(17)Rock"; without a genre number only the free text, since other readers
// take "(255)" for a genre of its own.
void cMP3ID3v2::SetGenreFrame() {
  QString text = m_props[pOtherGenreName];
  if (m_bytGenre != 255) text.prepend("(" + QString::number(m_bytGenre) + ")");
  ReplaceFrame("TCON", FrameText{text, TextBody(text), 0});
}

// ---- writing ----

bool cMP3ID3v2::Update(cMP3ID3v1* v1) { return WriteTagV2(v1); }

bool cMP3ID3v2::CanReplaceTag() {
  m_error = TagError();
  QFile file(m_sMP3File);
  qint64 oldExtent = 0;
  return OpenOldTag(file, &oldExtent);
}

// Opens the file and finds where its old tag ends (0 without one); only a tag
// at the file's start is replaced. A tag whose end is not known (sizes past
// the file's end, or an end that neither what follows nor padding shows) is
// refused: writing over it could cut the audio.
bool cMP3ID3v2::OpenOldTag(QFile& file, qint64* oldExtent) {
  *oldExtent = 0;
  if (!file.open(QIODevice::ReadOnly)) return Fail(FileError(file, kClass));
  if (file.read(3) != "ID3") return true;
  const ID3v2Layout::Layout old = ID3v2Layout::Read(file, 0);
  if (old.version < 2 || old.version > 4) return true;
  if (!old.endKnown)
    return Fail(MakeTagError(tagErrDamagedTag,
                             "The ID3v2 tag of " + m_sMP3File +
                                 " is damaged (its size does not show where the audio starts), so it cannot be "
                                 "replaced without risking the audio. The file was not changed.",
                             kClass));
  *oldExtent = old.extent;
  return true;
}

QByteArray cMP3ID3v2::BuildTag() const {
  QByteArray tag("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
  for (const FrameEntry& e : m_colFrameIds) {
    const QByteArray id = e.id.toUpper().toLatin1();
    if (id.size() != 4 || id.contains("ID3") || !ID3v2Layout::IsFrameId(id)) continue;
    for (const FrameText& t : e.texts) {
      const QByteArray body = t.body.isEmpty() ? TextBody(t.text) : t.body;
      tag += id;
      PutBE32(tag, uint32_t(body.size()));
      tag.append(char(t.flags >> 8)).append(char(t.flags & 0xFF));
      tag += body;
    }
  }
  return tag + QByteArray(4, '\0');
}

bool cMP3ID3v2::WriteTagV2(cMP3ID3v1* v1) {
  m_error = TagError();
  const QByteArray tag = BuildTag();
  // The size field holds 28 bits.
  if (tag.size() >= (1 << 28) - 2048)
    return Fail(MakeTagError(tagErrTagTooLarge, "The tag is too large to be written", kClass));
  QFile file(m_sMP3File);
  qint64 oldExtent = 0;
  if (!OpenOldTag(file, &oldExtent)) return false;
  Tail tail{file.size(), {}};
  if (v1 && !v1->Placement(file, &tail.at, &tail.block)) return Fail(v1->LastError());
  if (file.size() == 0) return Fail(MakeTagError(tagErrSubscript, "Subscript out of range", kClass));
  tail.at = std::max(tail.at, oldExtent);
  return RewriteFile(file, oldExtent, tag, tail);
}

// The file is written anew beside the original: the tag (keeping the old
// tag's length when it fits, else with room to grow), then everything behind
// the old tag up to the tail's place, then the tail; it replaces the original
// only when complete, so a failure part way never leaves a damaged tag nor
// changes either tag. Unbuffered, every write fails where its reason is still
// known.
bool cMP3ID3v2::RewriteFile(QFile& source, qint64 oldExtent, QByteArray tag, const Tail& tail) {
  const qint64 size = tag.size() < oldExtent ? oldExtent : (tag.size() / 2048 + 1) * 2048;
  tag.append(QByteArray(size - tag.size(), '\0'));
  tag.replace(6, 4, Synchsafe(uint32_t(size - 10)));
  QSaveFile out(m_sMP3File);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return Fail(FileError(out, kClass));
  int reason = 0;
  bool ok = WriteWhole(out, tag, &reason) && source.seek(oldExtent);
  while (ok && source.pos() < tail.at) {
    const QByteArray piece = source.read(std::min<qint64>(1 << 16, tail.at - source.pos()));
    ok = !piece.isEmpty() && WriteWhole(out, piece, &reason);
  }
  ok = ok && WriteWhole(out, tail.block, &reason);
  if (!ok) {
    const bool readFailed = source.error() != QFileDevice::NoError;
    const TagError error = readFailed ? FileError(source, kClass) : FileError(out, kClass, reason);
    out.cancelWriting();
    return Fail(error);
  }
  if (!out.commit()) return Fail(FileError(out, kClass));
  return true;
}
