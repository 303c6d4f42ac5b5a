#include "tags/ID3v2Layout.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>

#include "backend/audio/MpegFrames.h"
#include "tags/ID3Text.h"

namespace ID3v2Layout {
namespace {
using namespace ID3Text;

constexpr int kHeader = 10;
constexpr uint8_t kUnsync = 0x80, kExtended = 0x40, kFooter = 0x10;

struct Walk {
  std::vector<RawFrame> frames;
  qint64 end = 0;    // right behind the last frame
  bool cut = false;  // it stopped at a frame that runs past the data's end
};

// The frame data and where its padding starts.
struct FrameBytes {
  const QByteArray& data;
  qint64 padding;
};

// True when a frame of this size would end on the tag's end, its padding or
// a next frame header whose size fits the tag. A zero byte with other bytes
// behind it lies inside a frame.
bool landsWell(const FrameBytes& b, qint64 next) {
  if (next > b.data.size()) return false;
  if (next >= b.padding) return true;
  if (next + 10 > b.data.size() || !IsFrameId(b.data.mid(next, 4))) return false;
  const char* p = b.data.constData() + next + 4;
  const qint64 left = b.data.size() - next - 10;
  return qint64(ReadBE32(p)) <= left || (IsSynchsafe(p) && qint64(ReadSynchsafe(p)) <= left);
}

// Version 2.4 sizes are synchsafe; some writers put plain counts there.
qint64 frameSize24(const FrameBytes& b, qint64 pos) {
  const char* p = b.data.constData() + pos + 4;
  const qint64 plain = ReadBE32(p);
  if (!IsSynchsafe(p)) return plain;
  const qint64 safe = ReadSynchsafe(p);
  if (safe == plain || landsWell(b, pos + kHeader + safe)) return safe;
  return landsWell(b, pos + kHeader + plain) ? plain : safe;
}

// Behind the last byte other than zero.
qint64 paddingStart(const QByteArray& data) {
  qint64 end = data.size();
  while (end > 0 && data[end - 1] == 0) --end;
  return end;
}

Walk walkFrames(const QByteArray& data, int version) {
  Walk w;
  const FrameBytes bytes{data, paddingStart(data)};
  const int headerLength = version == 2 ? 6 : 10;
  const int idLength = version == 2 ? 3 : 4;
  qint64 pos = 0;
  while (pos + headerLength <= data.size()) {
    const QByteArray id = data.mid(pos, idLength);
    if (!IsFrameId(id)) break;
    const char* p = data.constData() + pos;
    qint64 size = version == 2 ? ReadBE24(p + 3) : version == 3 ? ReadBE32(p + 4) : frameSize24(bytes, pos);
    w.cut = size > data.size() - pos - headerLength;
    if (w.cut) break;
    RawFrame f;
    f.id = id;
    if (version > 2) f.flags = uint16_t(uchar(p[8]) << 8 | uchar(p[9]));
    f.body = data.mid(pos + headerLength, size);
    pos += headerLength + size;
    if (size == 0) continue;
    w.frames.push_back(std::move(f));
  }
  w.end = pos;
  return w;
}

// Frame data behind the header: the extended header skipped, unsynchronisation
// of a version 2.3 tag undone. *whole is false when the extended header
// claims more than the data holds or than its fields can take (6 or 10 bytes
// behind its size in version 2.3, 6 to 15 bytes in all in version 2.4): a
// longer one would hide the frames and vouch for any end as padding.
QByteArray frameData(QByteArray data, int version, uint8_t flags, bool* whole) {
  *whole = true;
  if (version <= 3 && (flags & kUnsync)) data = Resynchronise(data);
  if (version < 3 || !(flags & kExtended) || data.size() < 4) return data;
  const qint64 size = version == 3 ? qint64(ReadBE32(data.constData())) + 4 : qint64(ReadSynchsafe(data.constData()));
  *whole = size >= (version == 3 ? 10 : 6) && size <= (version == 3 ? 14 : 15) && size <= data.size();
  return data.mid(std::min<qint64>(size, data.size()));
}

// Whether the audio ends at a position: the file's end, an ID3v1 tag at the
// file's end, or an APE tag.
bool endsAudio(QIODevice& device, qint64 at) {
  const qint64 fileLength = device.size();
  if (at == fileLength) return true;
  if (at > fileLength || !device.seek(at)) return false;
  const QByteArray b = device.read(8);
  return (b.startsWith("TAG") && fileLength - at == 128) || b == "APETAGEX";
}

// The MPEG audio frame header at a position and the frame it starts; 0 when
// there is none.
uint32_t headerAt(QIODevice& device, qint64 at, MpegFrame* frame) {
  if (!device.seek(at)) return 0;
  const QByteArray b = device.read(4);
  if (b.size() != 4) return 0;
  const uint32_t header = ReadBE32(b.constData());
  return ReadMpegHeader(header, frame) ? header : 0;
}

// Whether what starts at a tag's end shows that the tag ends there: an audio
// frame followed by another of its stream or by the audio's end (a lone
// header is no proof: a picture or a UTF-16 byte-order mark may look like
// one), an ID3v1 tag at the file's end, an APE tag, or the file's end.
bool endsTag(QIODevice& device, qint64 at) {
  if (endsAudio(device, at)) return true;
  MpegFrame frame;
  const uint32_t header = headerAt(device, at, &frame);
  if (header == 0) return false;
  const qint64 next = at + frame.bytes;
  return endsAudio(device, next) || SameMpegStream(headerAt(device, next, &frame), header);
}

struct Header {
  int version = 0;
  uint8_t flags = 0;
  qint64 plain = 0;   // the size field as a plain count
  qint64 safe = 0;    // the standard reading, header and footer included
  qint64 footer = 0;
};

// The tag read as extent bytes long, counted from "ID3".
struct Reading {
  qint64 extent = 0;
  std::vector<RawFrame> frames;
  bool whole = true;    // the extended header is as long as its fields
  bool padded = false;  // the frames, then zero bytes only, fill it
  bool cut = false;     // a frame runs past it
  bool known = true;
};

Reading readAs(QIODevice& device, qint64 tagStart, const Header& h, qint64 extent, qint64 footer) {
  Reading r;
  r.extent = extent;
  if (!device.seek(tagStart + kHeader)) return r;
  const QByteArray data =
      frameData(device.read(std::max<qint64>(extent - kHeader - footer, 0)), h.version, h.flags, &r.whole);
  Walk walk = walkFrames(data, h.version);
  r.frames = std::move(walk.frames);
  r.cut = walk.cut;
  r.padded = !walk.cut && std::all_of(data.begin() + walk.end, data.end(), [](char c) { return c == 0; });
  return r;
}

// The tag's end is where the standard synchsafe size puts it when the file
// shows a tag ending there and no frame runs past it. Otherwise the plain
// count of the whole tag that older versions of this program wrote is taken
// where the file shows an end and only frames and padding lie before it; then
// the standard size where the file shows an end (frames that run past it into
// the audio are dropped), or where only padding fills it. Any other end is
// not known: taking it could cut the audio or leave a piece of the tag.
Reading readTag(QIODevice& device, qint64 tagStart, const Header& h) {
  const qint64 available = device.size() - tagStart;
  auto shown = [&](qint64 extent) { return extent <= available && endsTag(device, tagStart + extent); };
  std::optional<Reading> standard;
  if (shown(h.safe)) {
    standard = readAs(device, tagStart, h, h.safe, h.footer);
    if (!standard->cut) return *standard;
  }
  if (h.plain != h.safe && shown(h.plain)) {
    Reading older = readAs(device, tagStart, h, h.plain, 0);
    if (older.padded) return older;
  }
  if (standard) return *standard;
  if (h.safe <= available) {
    Reading padded = readAs(device, tagStart, h, h.safe, h.footer);
    if (padded.padded) return padded;
  }
  Reading unknown = readAs(device, tagStart, h, std::min(h.safe, available), 0);
  unknown.known = false;
  return unknown;
}

uint16_t flags24To23(uint16_t f) {
  uint16_t status = 0;
  if (f & 0x4000) status |= 0x8000;
  if (f & 0x2000) status |= 0x4000;
  if (f & 0x1000) status |= 0x2000;
  return status;
}

// Re-encodes a version 2.4 text frame in UTF-8 or UTF-16BE as UTF-16 with a
// byte-order mark, which version 2.3 knows.
QByteArray reencode(const QByteArray& body, int prefix) {
  const int encoding = uchar(body[0]);
  if (encoding != Utf16BE && encoding != Utf8) return body;
  QByteArray out = body.left(prefix);
  out[0] = char(Utf16);
  int pos = prefix;
  while (pos < body.size()) {
    int next = 0;
    const int length = StringLength(body, pos, encoding, &next);
    out += Encode(Decode(body.mid(pos, length), encoding), Utf16);
    if (next > pos + length) out += Terminator(Utf16);
    pos = next;
  }
  return out;
}

// A version 2.4 frame in version 2.3 form; false when it cannot be held so
// (compressed, encrypted or grouped).
bool to23(RawFrame& f, uint8_t tagFlags) {
  if (f.flags & 0x004C) return false;
  if ((f.flags & 0x0002) || (tagFlags & kUnsync)) f.body = Resynchronise(f.body);
  if (f.flags & 0x0001) f.body.remove(0, 4);
  f.flags = flags24To23(f.flags);
  if (f.body.isEmpty()) return false;
  if (f.id.startsWith('T')) f.body = reencode(f.body, 1);
  else if ((f.id == "COMM" || f.id == "USLT") && f.body.size() >= 4) f.body = reencode(f.body, 4);
  return true;
}

// The MIME type of a version 2.2 picture's three-letter image format; "-->"
// (the picture is a link) stays as it is.
QByteArray imageMime(const QByteArray& format) {
  const QByteArray f = format.trimmed().toUpper();
  if (f == "-->") return f;
  if (f == "JPG") return "image/jpeg";
  return "image/" + f.toLower();
}

// A version 2.2 frame in version 2.3 form; false when it has none or is too
// short for its layout. Pictures name a MIME type instead of an image format,
// links a four-letter frame instead of a three-letter one; the other bodies
// are the same in both versions.
bool from22(RawFrame& f) {
  f.id = MapV22FrameId(f.id);
  if (f.id == "APIC") {
    if (f.body.size() < 5) return false;
    f.body = f.body.left(1) + imageMime(f.body.mid(1, 3)) + '\0' + f.body.mid(4);
  } else if (f.id == "LINK") {
    const QByteArray target = MapV22FrameId(f.body.left(3));
    if (target.isEmpty()) return false;
    f.body = target + f.body.mid(3);
  }
  return !f.id.isEmpty();
}

RawFrame textFrame(const char* id, const QString& text) { return RawFrame{id, 0, TextBody(text)}; }

// The recording time of later tags (TDRC, "yyyy-MM-ddTHH:mm:ss" or a part of
// it) as version 2.3 holds it: the year in TYER, day and month in TDAT, hour
// and minute in TIME. A tag that has a TYER keeps it and loses its TDRC, so
// that one year is left for every reader.
std::vector<RawFrame> fromRecordingTime(const RawFrame& tdrc, const std::vector<RawFrame>& frames) {
  auto holds = [&](const char* id) {
    return std::any_of(frames.begin(), frames.end(), [&](const RawFrame& f) { return f.id == id; });
  };
  if (holds("TYER") || tdrc.body.isEmpty()) return {};
  const int encoding = uchar(tdrc.body[0]);
  int next = 0;
  const QString text = Decode(tdrc.body.mid(1, StringLength(tdrc.body, 1, encoding, &next)), encoding).trimmed();
  static const QRegularExpression time(R"(^(\d{4})(?:-(\d\d)-(\d\d)(?:T(\d\d):(\d\d))?)?)");
  const QRegularExpressionMatch m = time.match(text);
  if (!m.hasMatch()) return {textFrame("TYER", text)};
  std::vector<RawFrame> out{textFrame("TYER", m.captured(1))};
  if (m.hasCaptured(3) && !holds("TDAT")) out.push_back(textFrame("TDAT", m.captured(3) + m.captured(2)));
  if (m.hasCaptured(5) && !holds("TIME")) out.push_back(textFrame("TIME", m.captured(4) + m.captured(5)));
  return out;
}

// Compressed, encrypted or grouped recording times cannot be read and are kept as they are.
void convertRecordingTime(std::vector<RawFrame>& frames) {
  auto readable = [](const RawFrame& f) { return f.id == "TDRC" && !(f.flags & 0x00E0); };
  const auto first = std::find_if(frames.begin(), frames.end(), readable);
  if (first == frames.end()) return;
  std::vector<RawFrame> year = fromRecordingTime(*first, frames);
  const auto at = frames.erase(first);
  const long position = long(at - frames.begin());
  frames.erase(std::remove_if(at, frames.end(), readable), frames.end());
  frames.insert(frames.begin() + position, std::make_move_iterator(year.begin()), std::make_move_iterator(year.end()));
}

void convertFrames(std::vector<RawFrame>& frames, int version, uint8_t tagFlags) {
  std::vector<RawFrame> out;
  for (RawFrame& f : frames) {
    if (version == 2 && !from22(f)) continue;
    if (version == 4 && !to23(f, tagFlags)) continue;
    out.push_back(std::move(f));
  }
  convertRecordingTime(out);
  frames = std::move(out);
}
}  // namespace

bool IsFrameId(const QByteArray& id) {
  if (id.isEmpty()) return false;
  return std::all_of(id.begin(), id.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// Every version 2.2 frame with a version 2.3 form (CRM, the encrypted meta
// frame, has none), and the sort and compilation frames that some writers of
// version 2.2 tags add, under the names they take in later tags.
QByteArray MapV22FrameId(const QByteArray& id) {
  static const char* const map[][2] = {
      {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
      {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
      {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
      {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"},
      {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
      {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
      {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
      {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"},
      {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
      {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
      {"WPB", "WPUB"}, {"WXX", "WXXX"},
      {"TCP", "TCMP"}, {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"}, {"TSP", "TSOP"}, {"TST", "TSOT"},
  };
  for (const auto& m : map)
    if (id == m[0]) return m[1];
  return QByteArray();
}

Layout Read(QIODevice& device, qint64 tagStart) {
  Layout layout;
  if (!device.seek(tagStart + 3)) return layout;
  const QByteArray bytes = device.read(7);
  if (bytes.isEmpty()) return layout;
  layout.version = uchar(bytes[0]);
  if (layout.version < 2 || layout.version > 4 || bytes.size() < 7) return layout;
  Header h;
  h.version = layout.version;
  h.flags = uchar(bytes[2]);
  const char* size = bytes.constData() + 3;
  h.footer = h.version == 4 && (h.flags & kFooter) ? 10 : 0;
  h.plain = ReadBE32(size);
  h.safe = IsSynchsafe(size) ? qint64(ReadSynchsafe(size)) + kHeader + h.footer : h.plain;
  Reading r = readTag(device, tagStart, h);
  layout.extent = r.extent;
  layout.endKnown = r.known && r.whole;
  layout.frames = std::move(r.frames);
  convertFrames(layout.frames, layout.version, h.flags);
  return layout;
}

}  // namespace ID3v2Layout
