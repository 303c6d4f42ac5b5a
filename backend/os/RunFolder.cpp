// Each run folder ".tessory-run-XXXXXXXX" has a lock file of the same name
// plus ".lock" beside it, held by its owner (a file made locked, see
// FileLock); the folder is made after it.
#include "platform/RunFolder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <unistd.h>

#include "platform/Leftovers.h"

namespace {
const QString kPrefix = QStringLiteral(".tessory-run-");
const QString kLock = QStringLiteral(".lock");

QString randomName() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  QString s = kPrefix;
  for (int i = 0; i < 8; ++i) s += QChar(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)]);
  return s;
}

// Without a static pattern object: the start-up sweep may run on while the
// program's static objects go.
bool isLockName(const QString& name) {
  if (name.size() != kPrefix.size() + 8 + kLock.size() || !name.startsWith(kPrefix) || !name.endsWith(kLock))
    return false;
  for (const QChar c : QStringView(name).sliced(kPrefix.size(), 8))
    if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) return false;
  return true;
}
}  // namespace

RunFolder::RunFolder(QString shared) : shared_(std::move(shared)) { path_ = shared_ + "/" + randomName(); }

RunFolder::~RunFolder() { Remove(); }

bool RunFolder::Make() {
  if (lock_.Held()) return QDir().mkpath(path_);
  if (!QDir().mkpath(shared_)) return false;
  Leftovers::Note(shared_);
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
  QDir(path_).removeRecursively();
  ::unlink(QFile::encodeName(path_ + kLock).constData());
  lock_.Release();
}

bool RunFolder::Sweep(const QString& shared) {
  return SweepUnlocked(shared, isLockName, [](const QString& lock) {
    QDir(lock.chopped(kLock.size())).removeRecursively();
    ::unlink(QFile::encodeName(lock).constData());
  });
}
