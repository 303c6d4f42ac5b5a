// What the kernel says of this process's files: which are locked, and how a
// descriptor was opened.
#pragma once
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <sys/stat.h>
#include <unistd.h>

// The inodes that hold a lock of any process (flock or POSIX), from /proc/locks.
inline QSet<qulonglong> LockedInodes() {
  QFile f("/proc/locks");
  QSet<qulonglong> inodes;
  if (!f.open(QIODevice::ReadOnly)) return inodes;
  static const QRegularExpression device("\\b[0-9a-f]+:[0-9a-f]+:([0-9]+)\\b");
  for (const QByteArray& line : f.readAll().split('\n'))
    if (const auto m = device.match(QString::fromLatin1(line)); m.hasMatch()) inodes << m.captured(1).toULongLong();
  return inodes;
}

inline qulonglong InodeOf(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? qulonglong(st.st_ino) : 0;
}

inline bool Locked(const QString& path) { return LockedInodes().contains(InodeOf(path)); }

// The open flags of this process's descriptor of the file, -1 when none is open.
inline int OpenFlagsOf(const QString& path) {
  const QByteArray target = QFile::encodeName(QFileInfo(path).absoluteFilePath());
  for (const QString& fd : QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
    char link[4096];
    const ssize_t n = ::readlink(QFile::encodeName("/proc/self/fd/" + fd).constData(), link, sizeof link);
    if (n <= 0 || QByteArray(link, int(n)) != target) continue;
    QFile info("/proc/self/fdinfo/" + fd);
    if (!info.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& line : info.readAll().split('\n'))
      if (line.startsWith("flags:")) return line.mid(6).trimmed().toInt(nullptr, 8);
  }
  return -1;
}
