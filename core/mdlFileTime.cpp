#include "core/mdlFileTime.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace {
// Cut to the second first, so that only one conversion to local time is made
// (each costs a look at the time zone, which long item lists feel).
QDateTime toSecond(const QDateTime& t, bool toLocal) {
  const auto seconds = qint64(std::floor(double(t.toMSecsSinceEpoch()) / 1000.0));
  return QDateTime::fromSecsSinceEpoch(seconds, toLocal ? Qt::LocalTime : Qt::UTC);
}

// The birth time where the file system keeps one, else the last status change.
QDateTime birthTime(const QFileInfo& info) {
  const QDateTime birth = info.birthTime();
  return birth.isValid() ? birth : info.metadataChangeTime();
}

// The file's details when it is a file that can be opened for reading.
bool readableFile(const QString& path, QFileInfo& info) {
  info = QFileInfo(path);
  QFile file(path);
  return info.isFile() && file.open(QIODevice::ReadOnly);
}
}  // namespace

namespace mdlFileTime {

QDateTime ZeroDate() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0)); }

bool GetFileTimes(const QString& path, QDateTime& created, QDateTime& accessed, QDateTime& written,
                  bool toLocal) {
  QFileInfo info;
  if (!readableFile(path, info)) return true;
  const QDateTime birth = birthTime(info);
  if (!birth.isValid()) return true;
  created = toSecond(birth, toLocal);
  accessed = toSecond(info.lastRead(), toLocal);
  written = toSecond(info.lastModified(), toLocal);
  return false;
}

QDateTime GetFileCreated(const QString& path) {
  QFileInfo info;
  if (!readableFile(path, info)) return ZeroDate();
  const QDateTime birth = birthTime(info);
  return birth.isValid() ? toSecond(birth, true) : ZeroDate();
}

}  // namespace mdlFileTime
