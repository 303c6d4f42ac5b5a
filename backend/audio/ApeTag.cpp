#include "backend/audio/ApeTag.h"

#include <QtEndian>

namespace {
constexpr quint32 kVersion = 2000;
constexpr quint32 kHasHeader = 0x80000000u;
constexpr quint32 kIsHeader = 0x20000000u;
constexpr int kFrameBytes = 32;

void AppendLE32(QByteArray& out, quint32 v) {
  char b[4];
  qToLittleEndian(v, b);
  out.append(b, 4);
}

// Keys are 2 to 255 printable ASCII characters.
bool ValidKey(const QString& key) {
  if (key.size() < 2 || key.size() > 255) return false;
  for (QChar c : key)
    if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
  return true;
}

QByteArray Frame(quint32 size, quint32 count, quint32 flags) {
  QByteArray out("APETAGEX");
  AppendLE32(out, kVersion);
  AppendLE32(out, size);
  AppendLE32(out, count);
  AppendLE32(out, flags);
  out.append(8, '\0');
  return out;
}
}  // namespace

QByteArray ApeTag::Build(const QMap<QString, QString>& items) {
  QByteArray body;
  quint32 count = 0;
  for (auto it = items.begin(); it != items.end(); ++it) {
    if (it.value().isEmpty() || !ValidKey(it.key())) continue;
    const QByteArray value = it.value().toUtf8();
    AppendLE32(body, quint32(value.size()));
    AppendLE32(body, 0);  // UTF-8 text
    body += it.key().toLatin1();
    body += '\0';
    body += value;
    ++count;
  }
  if (!count) return {};
  const quint32 size = quint32(body.size() + kFrameBytes);
  return Frame(size, count, kHasHeader | kIsHeader) + body + Frame(size, count, kHasHeader);
}
