// Size texts and small file checks.
#pragma once
#include <QString>
#include <QtGlobal>

namespace mdlFileSystem {
// The "Size" text of an item: " bytes" up to 999, then KB, MB, ... each used up
// to 999 of it.
QString FormatFileSize(double bytes);
// The number with two decimals below 10, one below 100, none from 100 on.
QString FormatSizeNumber(double value);
// The size total of a list: no unit below 1000 bytes, the next unit from 1000
// of the last one; "" for a negative count, "0" for none.
QString FormatByteSize(qint64 bytes);
// True when the file was deleted.
bool DeleteFileSafe(const QString& path);
// True when the path is a regular file (not a folder).
bool FileExists(const QString& path);
}  // namespace mdlFileSystem
