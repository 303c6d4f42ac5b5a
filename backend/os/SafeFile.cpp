// A save writes ".tessory-save-XXXXXX" beside its file, holding an exclusive
// lock on it until the rename, so a start-up sweep can tell the leftovers of
// an interrupted save from a save that is still running.
#include "platform/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/HiddenTemp.h"

namespace {
const QString kPrefix = QStringLiteral(".tessory-save-");

QByteArray native(const QString& path) { return QFile::encodeName(path); }

// A symbolic link is saved through, so the link stays a link.
QString finalPath(const QString& path) {
  const QFileInfo info(path);
  if (!info.isSymLink()) return path;
  const QString target = info.canonicalFilePath();
  return target.isEmpty() ? path : target;
}

QString randomSuffix() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  QString s;
  for (int i = 0; i < 6; ++i) s += QChar(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)]);
  return s;
}

// Creates and locks a new temporary file in the folder.
bool createTemporary(const QString& folder, mode_t mode, FileLock& lock, QString& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + "/" + kPrefix + randomSuffix();
    bool taken = false;
    if (lock.Create(name, int(mode), &taken)) return true;
    if (!taken) return false;
  }
  return false;
}

// Every byte or false: a full disk shows as a short count, not as an error.
bool writeAll(int fd, const QByteArray& bytes) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, size_t(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= n;
  }
  return true;
}
}  // namespace

namespace SafeFile {
bool Write(const QString& path, const QByteArray& bytes) {
  const QString target = finalPath(path);
  const QByteArray nativeTarget = native(target);
  struct stat old {};
  const bool exists = ::stat(nativeTarget.constData(), &old) == 0;
  // A file the user may not write is not replaced behind their back.
  if (exists && (!S_ISREG(old.st_mode) || ::access(nativeTarget.constData(), W_OK) != 0)) return false;
  QString temporary;
  FileLock lock;
  if (!createTemporary(QFileInfo(target).absolutePath(), exists ? old.st_mode & 07777 : 0666, lock, temporary))
    return false;
  const int fd = lock.Descriptor();
  const QByteArray nativeTemporary = native(temporary);
  // The lock is held until the rename is done, so no sweep takes the file.
  const bool ok = writeAll(fd, bytes) && (!exists || ::fchmod(fd, old.st_mode & 07777) == 0) && ::fsync(fd) == 0 &&
                  ::rename(nativeTemporary.constData(), nativeTarget.constData()) == 0;
  if (!ok) ::unlink(nativeTemporary.constData());
  return ok;
}

// Only the exact form a save makes: a user's own ".tessory-save-notes" stays.
bool IsTemporaryName(const QString& name) {
  static const QRegularExpression exact(QRegularExpression::anchoredPattern(QRegularExpression::escape(kPrefix) + "[a-z0-9]{6}"));
  return exact.match(name).hasMatch();
}

void RemoveStale(const QStringList& folders) {
  for (const QString& folder : folders)
    if (!folder.isEmpty()) SweepUnlocked(folder, IsTemporaryName);
}
}  // namespace SafeFile
