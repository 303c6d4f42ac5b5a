#include "core/mdlFileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cmath>

namespace {
const char* const kFileSizeUnits[] = {" bytes", " KB", " MB", " GB", " TB", " PB", " EB", " ZB", " YB"};
constexpr int kLargestFileSizeUnit = 8;
// The list total's units; a 64-bit count reaches exabytes.
const char* const kByteSizeUnits[] = {"", " KB", " MB", " GB", " TB", " PB", " EB"};

QString fixed(double v, int decimals) {
  QLocale loc;
  loc.setNumberOptions(QLocale::OmitGroupSeparator);
  return loc.toString(v, 'f', decimals);
}
}  // namespace

namespace mdlFileSystem {

QString FormatFileSize(double bytes) {
  if (bytes <= 999) return fixed(std::nearbyint(bytes), 0) + kFileSizeUnits[0];
  int k = 1;
  while (k < kLargestFileSizeUnit && bytes > 999 * std::pow(1024.0, k)) ++k;
  return FormatSizeNumber(bytes / std::pow(1024.0, k)) + kFileSizeUnits[k];
}

QString FormatSizeNumber(double value) {
  if (value >= 100) return fixed(std::nearbyint(value), 0);
  return fixed(value, value >= 10 ? 1 : 2);
}

QString FormatByteSize(qint64 bytes) {
  if (bytes < 0) return QString();
  if (bytes == 0) return "0";
  int k = 0;
  double v = double(bytes);
  while (v >= 1000) {
    v /= 1024;
    ++k;
  }
  return FormatSizeNumber(v) + kByteSizeUnits[k];
}

bool DeleteFileSafe(const QString& path) { return FileExists(path) && QFile::remove(path); }

bool FileExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

}  // namespace mdlFileSystem
