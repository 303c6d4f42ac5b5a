// APEv2 tag (header, UTF-8 text items, footer) as appended to .ape files.
#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>

namespace ApeTag {
// The tag for the given item keys and values; empty values and keys APEv2
// does not allow are left out. Empty when no item remains.
QByteArray Build(const QMap<QString, QString>& items);
}  // namespace ApeTag
