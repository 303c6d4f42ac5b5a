// Each run folder ".tessory-run-XXXXXXXX" has a lock file of the same name
// plus ".lock" beside it, held by its owner (a file made locked, see
// FileLock); the folder is made after it.
#include "platform/RunFolder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <unistd.h>

#include "platform/Services.h"

namespace {
const QString kPrefix = QStringLiteral(".tessory-run-");
const QString kLock = QStringLiteral(".lock");
constexpr qsizetype kRandom = 8;
constexpr QStringView kChars = u"abcdefghijklmnopqrstuvwxyz0123456789";

QString randomName() {
  QString s = kPrefix;
  for (int i = 0; i < kRandom; ++i) s += kChars[QRandomGenerator::global()->bounded(int(kChars.size()))];
  return s;
}

bool isLockName(const QString& name) { return LockNameHead(name, kPrefix, kRandom, kChars) == 0; }
}  // namespace

RunFolder::RunFolder(QString shared) : shared_(std::move(shared)) { path_ = shared_ + "/" + randomName(); }

RunFolder::~RunFolder() { Remove(); }

QString RunFolder::SharedFolder(Place place) {
  switch (place) {
    case Place::BurnCache: return ProgramFolder() + "/burncache";
    case Place::RipCache: return ProgramFolder() + "/ripcache";
    case Place::Staging: return ProgramFolder() + "/datacdtmp";
  }
  return {};
}

QStringList RunFolder::SharedFolders() {
  return {SharedFolder(Place::BurnCache), SharedFolder(Place::RipCache), SharedFolder(Place::Staging)};
}

bool RunFolder::Make() {
  if (lock_.Held()) return QDir().mkpath(path_);
  if (!QDir().mkpath(shared_)) return false;
  Sweep(shared_);
  // The name told before the folder was made is kept unless another run took it.
  for (int attempt = 0; attempt < 100 && !lock_.Held(); ++attempt) {
    const QString name = attempt == 0 ? path_.mid(shared_.size() + 1) : randomName();
    bool taken = false;
    if (lock_.Create(shared_ + "/" + name + kLock, 0600, &taken)) path_ = shared_ + "/" + name;
    else if (!taken) return false;
  }
  return lock_.Held() && QDir().mkpath(path_);
}

void RunFolder::Remove() {
  if (!lock_.Held()) return;
  RemoveOwn(path_);
  ::unlink(QFile::encodeName(path_ + kLock).constData());
  lock_.Release();
}

void RunFolder::Sweep(const QString& shared) {
  SweepUnlocked(shared, isLockName, [](const QString& lock) {
    RemoveOwn(lock.chopped(kLock.size()));
    ::unlink(QFile::encodeName(lock).constData());
  });
}
