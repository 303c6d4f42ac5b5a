// Each run folder ".tessory-run-XXXXXX" has a lock file of the same name plus
// ".lock" beside it, held with flock by its owner. The lock file is made and
// locked under a passing name and only then renamed, so a sweep never finds
// one that is not locked yet; the folder is made after it.
#include "platform/RunFolder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const QString kPrefix = QStringLiteral(".tessory-run-");
const QString kLock = QStringLiteral(".lock");

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString randomName() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  QString s = kPrefix;
  for (int i = 0; i < 8; ++i) s += QChar(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)]);
  return s;
}

// Removes the run folders whose lock no live run holds.
void sweep(const QDir& shared) {
  for (const QString& name : shared.entryList({kPrefix + "*" + kLock}, QDir::Files | QDir::Hidden)) {
    const QString lock = shared.filePath(name);
    const int fd = ::open(native(lock).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      QDir(lock.chopped(kLock.size())).removeRecursively();
      ::unlink(native(lock).constData());
    }
    ::close(fd);
  }
}
}  // namespace

RunFolder::RunFolder(QString shared) : shared_(std::move(shared)) { path_ = shared_ + "/" + randomName(); }

RunFolder::~RunFolder() { Remove(); }

bool RunFolder::Make() {
  if (lock_ >= 0) return QDir().mkpath(path_);
  if (!QDir().mkpath(shared_)) return false;
  sweep(QDir(shared_));
  // The name told before the folder was made is kept unless another run took it.
  for (int attempt = 0; attempt < 100 && lock_ < 0; ++attempt) {
    const QString name = attempt == 0 ? path_.mid(shared_.size() + 1) : randomName();
    const QByteArray passing = native(shared_ + "/" + name + ".new");
    const int fd = ::open(passing.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) continue;
    const QByteArray lock = native(shared_ + "/" + name + kLock);
    if (::flock(fd, LOCK_EX) != 0 || ::rename(passing.constData(), lock.constData()) != 0) {
      ::unlink(passing.constData());
      ::close(fd);
      return false;
    }
    lock_ = fd;
    path_ = shared_ + "/" + name;
  }
  return lock_ >= 0 && QDir().mkpath(path_);
}

void RunFolder::Remove() {
  if (lock_ < 0) return;
  QDir(path_).removeRecursively();
  ::unlink(native(path_ + kLock).constData());
  ::close(lock_);
  lock_ = -1;
}
