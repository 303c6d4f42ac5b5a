// Locks are flock locks, taken through a descriptor open for writing (NFS
// refuses an exclusive lock on one open only for reading).
#include "platform/HiddenTemp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/Leftovers.h"
#include "platform/Utf8Text.h"

namespace {
const QString kMark = QStringLiteral(".tessory-");
const QString kPart = QStringLiteral(".part");
const QString kLock = QStringLiteral(".lock");
constexpr int kHexDigits = 16;
constexpr qsizetype kNameMax = 255;

QByteArray native(const QString& path) { return QFile::encodeName(path); }

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// True while the name holds the open file.
bool stillNamed(int fd, int folder, const char* name) {
  struct stat opened {}, now {};
  return ::fstat(fd, &opened) == 0 && ::fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(now, opened);
}

// Open for writing where the file's mode allows it, else for reading (a
// local file system locks either way).
int openToLock(int folder, const char* name) {
  const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  const int fd = ::openat(folder, name, O_WRONLY | flags);
  if (fd >= 0 || (errno != EACCES && errno != EPERM && errno != EROFS)) return fd;
  return ::openat(folder, name, O_RDONLY | flags);
}

// True for a regular file of the running user, seen without following a link.
bool ownFile(int folder, const char* name, struct stat* seen) {
  return ::fstatat(folder, name, seen, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(seen->st_mode) && seen->st_uid == ::geteuid();
}

// Locks the file seen when nobody holds it; -1 when it is in use or gone.
int lockUnused(int folder, const char* name, const struct stat& seen) {
  struct stat opened {};
  const int fd = openToLock(folder, name);
  if (fd < 0) return -1;
  // Still the same file once locked: its owner may have made it again meanwhile.
  if (::fstat(fd, &opened) == 0 && sameFile(opened, seen) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
      stillNamed(fd, folder, name))
    return fd;
  ::close(fd);
  return -1;
}

// A file made without a name (where the file system can), locked, and only
// then given its name: no sweep ever sees it unlocked. The descriptor, or
// -errno; -EOPNOTSUPP when this way is not open.
int linkLocked(const QByteArray& name, const QByteArray& folder, mode_t mode) {
  const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd < 0) return -EOPNOTSUPP;
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
  if (::flock(fd, LOCK_EX) == 0 && ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
    return fd;
  const int error = errno == EEXIST ? -EEXIST : -EOPNOTSUPP;
  ::close(fd);
  return error;
}

// Made under its name, then locked; made again when a sweep took it
// between. The descriptor, or -errno.
int makeThenLock(const QByteArray& name, mode_t mode) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return -errno;
    // A sweep holding the lock removes the file before it lets go.
    if (::flock(fd, LOCK_EX) != 0) {
      const int error = -errno;
      ::unlink(name.constData());
      ::close(fd);
      return error;
    }
    if (stillNamed(fd, AT_FDCWD, name.constData())) return fd;
    ::close(fd);
  }
  return -EAGAIN;
}

QString randomHex() {
  return QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(), kHexDigits, 16, QChar(u'0'));
}

// ".<name>.tessory-<hex>.lock", any name.
bool isLockName(const QString& name) {
  return name.startsWith(u'.') && LockNameHead(name, kMark, kHexDigits, u"0123456789abcdef") > 1;
}

// The names in the folder but "." and "..", all read before any is removed.
std::vector<QByteArray> namesIn(DIR* dir) {
  std::vector<QByteArray> names;
  while (const dirent* entry = ::readdir(dir))
    if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0) names.emplace_back(entry->d_name);
  return names;
}

// Removes the folder's entry of the running user, without following a link;
// a folder, with everything in it, only when folders is true.
void removeOwnAt(int folder, const char* name, bool folders) {
  struct stat seen {}, opened {};
  if (::fstatat(folder, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || seen.st_uid != ::geteuid()) return;
  if (!S_ISDIR(seen.st_mode)) {
    ::unlinkat(folder, name, 0);
    return;
  }
  if (!folders) return;
  const int fd = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  // The folder seen, not another put in its place since.
  DIR* dir = ::fstat(fd, &opened) == 0 && sameFile(opened, seen) ? ::fdopendir(fd) : nullptr;
  if (!dir) {
    ::close(fd);
    return;
  }
  for (const QByteArray& entry : namesIn(dir)) removeOwnAt(::dirfd(dir), entry.constData(), true);
  ::closedir(dir);
  ::unlinkat(folder, name, AT_REMOVEDIR);
}

// The path's folder is opened as named; its last name is not followed.
void removeOwn(const QString& path, bool folders) {
  const QFileInfo info(path);
  const int parent = ::open(native(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return;
  removeOwnAt(parent, native(info.fileName()).constData(), folders);
  ::close(parent);
}

QString partOf(const QString& lock) { return lock.chopped(kLock.size()) + kPart; }
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
  const QByteArray name = native(path);
  int fd = linkLocked(name, QFile::encodeName(QFileInfo(path).absolutePath()), mode_t(mode));
  if (fd == -EOPNOTSUPP) fd = makeThenLock(name, mode_t(mode));
  if (taken) *taken = fd == -EEXIST;
  if (fd < 0) return false;
  fd_ = fd;
  return true;
}

bool FileLock::Take(const QString& path) {
  Release();
  fd_ = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return false;
  int result;
  do result = ::flock(fd_, LOCK_EX);
  while (result != 0 && errno == EINTR);
  if (result == 0) return true;
  Release();
  return false;
}

void FileLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

Swept SweepUnlocked(const QString& folder, const std::function<bool(const QString&)>& ours,
                    const std::function<void(const QString&)>& remove) {
  DIR* dir = ::opendir(native(folder).constData());
  if (!dir) return Swept::Unread;
  const int dirFd = ::dirfd(dir);
  Swept swept = Swept::Empty;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      if (errno != 0) swept = Swept::Unread;
      break;
    }
    if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
    const QString name = QFile::decodeName(entry->d_name);
    struct stat seen {};
    if (!ours(name) || !ownFile(dirFd, entry->d_name, &seen)) continue;
    const int fd = lockUnused(dirFd, entry->d_name, seen);
    if (fd < 0) {
      swept = Swept::Kept;
      continue;
    }
    if (remove) remove(folder + "/" + name);
    else ::unlinkat(dirFd, entry->d_name, 0);
    ::close(fd);
  }
  ::closedir(dir);
  return swept;
}

qsizetype LockNameHead(QStringView name, QStringView mark, qsizetype random, QStringView alphabet) {
  const QStringView lock = u".lock";
  const qsizetype head = name.size() - mark.size() - random - lock.size();
  if (head < 0 || !name.endsWith(lock) || name.sliced(head, mark.size()) != mark) return -1;
  for (const QChar c : name.sliced(head + mark.size(), random))
    if (!alphabet.contains(c)) return -1;
  return head;
}

void RemoveOwn(const QString& path) { removeOwn(path, true); }

HiddenTemp::HiddenTemp(const QString& target) {
  const QFileInfo info(target);
  if (info.fileName().isEmpty()) return;
  const QString tail = kMark + randomHex() + kPart;
  path_ = info.absolutePath() + "/." + Utf8Text::Head(info.fileName(), kNameMax - 1 - tail.size()) + tail;
}

bool HiddenTemp::Make(Folder folder) {
  if (path_.isEmpty() || lock_.Held()) return lock_.Held();
  const QString dir = QFileInfo(path_).absolutePath();
  if (folder == Folder::Make) QDir().mkpath(dir);
  if (QFileInfo(dir).isDir() && Leftovers::Note(dir)) Sweep(dir);
  // The names are random: another maker's files of these names are not to be met.
  if (!lock_.Create(path_.chopped(kPart.size()) + kLock, 0666)) return false;
  const int fd = ::open(native(path_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  Remove();
  return false;
}

HiddenTemp& HiddenTemp::operator=(HiddenTemp&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::move(other.path_);
    lock_ = std::move(other.lock_);
  }
  return *this;
}

// The temporary first, its lock last: a lock without its file is swept like
// one with it. A writer may have made the file when Make could not.
void HiddenTemp::Remove() {
  if (path_.isEmpty()) return;
  if (!lock_.Held()) {
    ::unlink(native(path_).constData());
    return;
  }
  Unlink();
  lock_.Release();
}

void HiddenTemp::Unlink() const {
  if (path_.isEmpty()) return;
  ::unlink(native(path_).constData());
  ::unlink(native(path_.chopped(kPart.size()) + kLock).constData());
}

Swept HiddenTemp::Sweep(const QString& folder) {
  if (!QDir::isAbsolutePath(folder)) return Swept::Unread;
  return SweepUnlocked(folder, isLockName, [](const QString& lock) {
    removeOwn(partOf(lock), false);
    ::unlink(native(lock).constData());
  });
}
