// Locks are flock locks on the file's own open description, so a writer that
// opens the path again (an encoder library, QFile) writes on undisturbed
// while the owner's descriptor keeps the lock.
#include "platform/HiddenTemp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
QByteArray native(const QString& path) { return QFile::encodeName(path); }

// Never over a file that is there: two makers of one name must not share it.
bool renameNoReplace(const QByteArray& from, const QByteArray& to) {
  if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: a second name refuses a taken one too.
  if (::link(from.constData(), to.constData()) == 0) {
    ::unlink(from.constData());
    return true;
  }
  if (errno == EEXIST) return false;
  // Nor with links (FAT): the names are random, a clash is not to be met.
  return ::rename(from.constData(), to.constData()) == 0;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Locks the regular file name in the folder when nobody holds it; -1 when
// it is something else, in use or gone.
int lockUnused(int folder, const char* name) {
  struct stat seen {};
  if (::fstatat(folder, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode)) return -1;
  const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat opened {}, now {};
  // Still the same file once locked: its owner may have renamed it away meanwhile.
  if (::fstat(fd, &opened) == 0 && sameFile(opened, seen) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
      ::fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(now, opened))
    return fd;
  ::close(fd);
  return -1;
}

QString randomHex() {
  return QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0'));
}

QString folderKey(const QString& folder) { return QDir::cleanPath(folder); }

// True the first time the folder is asked for while the program runs.
bool firstVisit(const QString& folder) {
  static std::mutex mutex;
  static QSet<QString> visited;
  std::lock_guard lock(mutex);
  if (visited.contains(folder)) return false;
  visited.insert(folder);
  return true;
}
}  // namespace

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool FileLock::Create(const QString& path, int mode, bool* taken) {
  Release();
  const QByteArray final = native(path);
  // Short, so that any name that fits passes through it.
  const QByteArray passing = native(QFileInfo(path).absolutePath() + "/." + randomHex() + ".new");
  const int fd = ::open(passing.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
  if (fd < 0) {
    if (taken) *taken = errno == EEXIST;
    return false;
  }
  if (::flock(fd, LOCK_EX) != 0 || !renameNoReplace(passing, final)) {
    if (taken) *taken = errno == EEXIST;
    ::unlink(passing.constData());
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void FileLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

void SweepUnlocked(const QString& folder, const std::function<bool(const QString&)>& ours,
                   const std::function<void(const QString&)>& remove) {
  DIR* dir = ::opendir(native(folder).constData());
  if (!dir) return;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
    const QString name = QFile::decodeName(entry->d_name);
    if (!ours(name)) continue;
    const int fd = lockUnused(dirFd, entry->d_name);
    if (fd < 0) continue;
    if (remove) remove(folder + "/" + name);
    else ::unlinkat(dirFd, entry->d_name, 0);
    ::close(fd);
  }
  ::closedir(dir);
}

HiddenTemp::HiddenTemp(const QString& target) {
  const QFileInfo info(target);
  if (info.fileName().isEmpty()) return;
  path_ = info.absolutePath() + "/." + info.fileName() + "." + randomHex() + ".part";
}

bool HiddenTemp::Make(Folder folder) {
  if (path_.isEmpty() || lock_.Held()) return lock_.Held();
  const QString dir = QFileInfo(path_).absolutePath();
  if (folder == Folder::Make) QDir().mkpath(dir);
  if (QFileInfo(dir).isDir() && firstVisit(folderKey(dir))) SweepUnlocked(dir, IsTemporaryName);
  // The name is random: another maker's file of that name is not to be met.
  return lock_.Create(path_, 0666);
}

HiddenTemp& HiddenTemp::operator=(HiddenTemp&& other) noexcept {
  if (this != &other) {
    Discard();
    path_ = std::move(other.path_);
    lock_ = std::move(other.lock_);
  }
  return *this;
}

// Only while the name still holds this file: a renamed one is gone from it.
void HiddenTemp::Discard() {
  if (!lock_.Held()) return;
  const QByteArray name = native(path_);
  struct stat held {}, now {};
  if (::fstat(lock_.Descriptor(), &held) == 0 && ::lstat(name.constData(), &now) == 0 && sameFile(held, now))
    ::unlink(name.constData());
  lock_.Release();
}

// Only the exact form: a user's ".song.mp3.1234.part" or "song.mp3.part" stays.
bool HiddenTemp::IsTemporaryName(const QString& name) {
  static const QRegularExpression exact(QRegularExpression::anchoredPattern("\\.[^/]+\\.[0-9a-f]{16}\\.part"));
  return exact.match(name).hasMatch();
}

void HiddenTemp::Sweep(const QStringList& folders) {
  for (const QString& folder : folders) {
    if (!QDir::isAbsolutePath(folder)) continue;
    firstVisit(folderKey(folder));
    SweepUnlocked(folder, IsTemporaryName);
  }
}
