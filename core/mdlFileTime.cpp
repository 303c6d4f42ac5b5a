#include "core/mdlFileTime.h"

#include <QFile>
#include <QFileInfo>

namespace {
QDateTime toSecond(QDateTime t, bool toLocal) {
  t = toLocal ? t.toLocalTime() : t.toUTC();
  return t.addMSecs(-t.time().msec());
}
}  // namespace

namespace mdlFileTime {

QDateTime ZeroDate() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0)); }

bool GetFileTimes(const QString& path, QDateTime& created, QDateTime& accessed, QDateTime& written,
                  bool toLocal) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return true;
  const QFileInfo info(path);
  QDateTime birth = info.birthTime();
  if (!birth.isValid()) birth = info.metadataChangeTime();
  if (!birth.isValid()) return true;
  created = toSecond(birth, toLocal);
  accessed = toSecond(info.lastRead(), toLocal);
  written = toSecond(info.lastModified(), toLocal);
  return false;
}

QDateTime GetFileCreated(const QString& path) {
  QDateTime created = ZeroDate(), accessed, written;
  GetFileTimes(path, created, accessed, written, true);
  return created;
}

}  // namespace mdlFileTime
