// Cutting text to a number of UTF-8 bytes, for limits that count bytes (file
// names, volume labels) where Qt counts UTF-16 units.
#pragma once
#include <QString>
#include <QStringView>

namespace Utf8Text {
// The longest start of the text that takes at most this many bytes in UTF-8,
// never ending inside a character. Reads no more of the text than it keeps.
QString Head(QStringView text, qsizetype bytes);
}  // namespace Utf8Text
