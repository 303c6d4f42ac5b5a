#include "tags/ID3Text.h"

#include <QStringList>

namespace ID3Text {

bool FitsLatin1(const QString& text) {
  for (QChar c : text)
    if (c.unicode() > 0xFF) return false;
  return true;
}

QByteArray ToLatin1(const QString& text) {
  QByteArray out;
  out.reserve(text.size());
  for (QChar c : text) out.append(c.unicode() > 0xFF ? '?' : char(c.unicode()));
  return out;
}

int EncodingFor(const QString& text) { return FitsLatin1(text) ? Latin1 : Utf16; }

QByteArray Encode(const QString& text, int encoding) {
  if (encoding == Latin1) return ToLatin1(text);
  QByteArray out("\xFF\xFE", 2);
  for (QChar c : text) {
    out.append(char(c.unicode() & 0xFF));
    out.append(char(c.unicode() >> 8));
  }
  return out;
}

QByteArray TextBody(const QString& text) {
  const int encoding = EncodingFor(text);
  return QByteArray(1, char(encoding)) + Encode(text, encoding);
}

QByteArray Terminator(int encoding) {
  return (encoding == Utf16 || encoding == Utf16BE) ? QByteArray(2, '\0') : QByteArray(1, '\0');
}

namespace {
QString decodeUtf16(const QByteArray& bytes, bool bigEndian) {
  QByteArray b = bytes;
  if (b.size() >= 2 && uchar(b[0]) == 0xFF && uchar(b[1]) == 0xFE) {
    bigEndian = false;
    b.remove(0, 2);
  } else if (b.size() >= 2 && uchar(b[0]) == 0xFE && uchar(b[1]) == 0xFF) {
    bigEndian = true;
    b.remove(0, 2);
  }
  QString out;
  out.reserve(b.size() / 2);
  for (qsizetype i = 0; i + 1 < b.size(); i += 2) {
    ushort lo = uchar(b[i]), hi = uchar(b[i + 1]);
    out.append(QChar(bigEndian ? ushort(lo << 8 | hi) : ushort(hi << 8 | lo)));
  }
  return out;
}
}  // namespace

QString Decode(const QByteArray& bytes, int encoding) {
  QString out;
  switch (encoding) {
    case Utf16: out = decodeUtf16(bytes, false); break;
    case Utf16BE: out = decodeUtf16(bytes, true); break;
    case Utf8: out = QString::fromUtf8(bytes); break;
    default: out = QString::fromLatin1(bytes); break;
  }
  out.remove(QChar(0));
  return out;
}

QString DecodeValues(const QByteArray& bytes, int encoding) {
  QStringList values;
  for (int pos = 0, next = 0; pos < bytes.size(); pos = next) {
    QString value = Decode(bytes.mid(pos, StringLength(bytes, pos, encoding, &next)), encoding);
    if (value.startsWith(QChar(0xFEFF))) value.remove(0, 1);
    if (!value.isEmpty()) values << value;
  }
  return values.join(" / ");
}

int StringLength(const QByteArray& data, int from, int encoding, int* next) {
  const bool wide = encoding == Utf16 || encoding == Utf16BE;
  if (from >= data.size()) {
    *next = int(data.size());
    return 0;
  }
  int i = from;
  if (wide) {
    while (i + 1 < data.size() && !(data[i] == 0 && data[i + 1] == 0)) i += 2;
    if (i + 1 < data.size()) {
      *next = i + 2;
      return i - from;
    }
  } else {
    while (i < data.size() && data[i] != 0) ++i;
    if (i < data.size()) {
      *next = i + 1;
      return i - from;
    }
  }
  *next = int(data.size());
  return int(data.size()) - from;
}

uint32_t ReadBE32(const char* p) {
  return uint32_t(uchar(p[0])) << 24 | uint32_t(uchar(p[1])) << 16 | uint32_t(uchar(p[2])) << 8 |
         uint32_t(uchar(p[3]));
}

uint32_t ReadBE24(const char* p) {
  return uint32_t(uchar(p[0])) << 16 | uint32_t(uchar(p[1])) << 8 | uint32_t(uchar(p[2]));
}

void PutBE32(QByteArray& out, uint32_t v) {
  out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

bool IsSynchsafe(const char* p) {
  return !((p[0] | p[1] | p[2] | p[3]) & 0x80);
}

uint32_t ReadSynchsafe(const char* p) {
  return uint32_t(uchar(p[0]) & 0x7F) << 21 | uint32_t(uchar(p[1]) & 0x7F) << 14 |
         uint32_t(uchar(p[2]) & 0x7F) << 7 | uint32_t(uchar(p[3]) & 0x7F);
}

QByteArray Synchsafe(uint32_t v) {
  QByteArray out;
  out.append(char((v >> 21) & 0x7F)).append(char((v >> 14) & 0x7F));
  out.append(char((v >> 7) & 0x7F)).append(char(v & 0x7F));
  return out;
}

QByteArray Resynchronise(const QByteArray& data) {
  QByteArray out;
  out.reserve(data.size());
  for (qsizetype i = 0; i < data.size(); ++i) {
    out.append(data[i]);
    if (uchar(data[i]) == 0xFF && i + 1 < data.size() && data[i + 1] == 0) ++i;
  }
  return out;
}

}  // namespace ID3Text
