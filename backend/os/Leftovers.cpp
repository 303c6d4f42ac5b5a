// The note is a JSON array of folders, replaced whole (SafeFile) under a lock
// file beside it that every thread of every running program takes for its
// read, change and write; the sweeping thread keeps to state that is never
// destroyed, since it may outlive the program's static objects.
#include "platform/Leftovers.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/HiddenTemp.h"
#include "platform/RunFolder.h"
#include "platform/SafeFile.h"
#include "platform/Services.h"

namespace {
struct State {
  std::mutex mutex;
  QSet<QString> used;  // noted while the program runs
  std::function<void(const QString&)> hook;
  std::atomic<int> sweeping{0};
};

State& state() {
  static auto* s = new State;
  return *s;
}

QString noteFile() { return ProgramFolder() + "/tempfolders.json"; }

// Held while the note is read, changed and written. Without it (a lock file
// that cannot be made) the note is changed all the same: it only helps a
// later start.
FileLock lockNote(const QString& file) {
  FileLock lock;
  lock.Take(file + ".lock");
  return lock;
}

QStringList readNote(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QStringList folders;
  for (const QJsonValue& v : QJsonDocument::fromJson(f.readAll()).array())
    if (v.isString()) folders << v.toString();
  return folders;
}

void writeNote(const QString& file, const QStringList& folders) {
  SafeFile::Write(file, QJsonDocument(QJsonArray::fromStringList(folders)).toJson(QJsonDocument::Compact));
}

// The absolute ones among the folders, each once, in their order.
QStringList distinctFolders(const QStringList& folders) {
  QStringList out;
  QSet<QString> seen;
  for (const QString& folder : folders) {
    if (!QDir::isAbsolutePath(folder)) continue;
    const QString clean = QDir::cleanPath(folder);
    if (seen.contains(clean)) continue;
    seen.insert(clean);
    out << clean;
  }
  return out;
}

// Folders read and found empty of ours are forgotten, unless this program
// used them meanwhile; a folder that could not be read stays noted.
void forget(const QString& file, const QSet<QString>& empty) {
  if (empty.isEmpty()) return;
  State& s = state();
  std::lock_guard lock(s.mutex);
  const FileLock guard = lockNote(file);
  QStringList noted = readNote(file);
  const qsizetype before = noted.size();
  noted.removeIf([&](const QString& f) {
    const QString clean = QDir::cleanPath(f);
    return empty.contains(clean) && !s.used.contains(clean);
  });
  if (noted.size() != before) writeNote(file, noted);
}

void sweep(const QStringList& shared, const QStringList& folders, const QString& file,
           const std::function<void(const QString&)>& hook) {
  for (const QString& folder : shared) {
    if (hook) hook(folder);
    RunFolder::Sweep(folder);
  }
  QSet<QString> empty;
  for (const QString& folder : distinctFolders(folders + readNote(file))) {
    if (hook) hook(folder);
    if (HiddenTemp::Sweep(folder) == Swept::Empty) empty.insert(folder);
  }
  forget(file, empty);
}
}  // namespace

namespace Leftovers {
bool Note(const QString& folder) {
  const QString key = QDir::cleanPath(folder);
  State& s = state();
  std::lock_guard lock(s.mutex);
  if (s.used.contains(key)) return false;
  s.used.insert(key);
  const QString file = noteFile();
  const FileLock guard = lockNote(file);
  QStringList noted = readNote(file);
  if (!noted.contains(key)) writeNote(file, noted << key);
  return true;
}

void SweepInBackground(const QStringList& folders) {
  State& s = state();
  const QString file = noteFile();
  const QStringList shared = RunFolder::SharedFolders();
  std::function<void(const QString&)> hook;
  {
    std::lock_guard lock(s.mutex);
    hook = s.hook;
  }
  ++s.sweeping;
  try {
    std::thread([shared, folders, file, hook] {
      sweep(shared, folders, file, hook);
      --state().sweeping;
    }).detach();
  } catch (const std::system_error&) {
    --s.sweeping;  // the next start sweeps them
  }
}

bool Sweeping() { return state().sweeping > 0; }

void SetSweepHook(std::function<void(const QString&)> hook) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  s.hook = std::move(hook);
}
}  // namespace Leftovers
