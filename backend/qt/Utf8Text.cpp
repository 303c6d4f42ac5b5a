#include "platform/Utf8Text.h"

namespace Utf8Text {
QString Head(QStringView text, qsizetype bytes) {
  if (bytes <= 0) return {};
  // No character takes less than a byte, so the first that many UTF-16 units
  // hold the answer; half a surrogate pair at their end is no character.
  QStringView start = text.left(bytes);
  if (start.size() < text.size() && start.back().isHighSurrogate()) start.chop(1);
  const QByteArray utf8 = start.toUtf8();
  if (utf8.size() <= bytes) return start.toString();
  qsizetype end = bytes;
  while (end > 0 && (uchar(utf8[end]) & 0xC0) == 0x80) --end;  // back to a character's first byte
  return QString::fromUtf8(utf8.first(end));
}
}  // namespace Utf8Text
