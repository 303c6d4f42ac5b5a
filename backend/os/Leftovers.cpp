// The note is a JSON array of folders, replaced whole (SafeFile) under a lock
// of this process; the sweeping thread keeps to state that is never
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

// Folders swept empty of ours are forgotten, unless this program used them meanwhile.
void forget(const QString& file, const QStringList& empty) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  QStringList noted = readNote(file);
  const qsizetype before = noted.size();
  noted.removeIf([&](const QString& f) { return empty.contains(f) && !s.used.contains(f); });
  if (noted.size() != before) writeNote(file, noted);
}

void sweep(const QStringList& folders, const QString& file, const std::function<void(const QString&)>& hook) {
  QStringList empty;
  for (const QString& folder : folders) {
    if (hook) hook(folder);
    const bool temporaries = HiddenTemp::Sweep(folder);
    if (!RunFolder::Sweep(folder) && !temporaries) empty << folder;
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
  QStringList noted = readNote(file);
  if (!noted.contains(key)) writeNote(file, noted << key);
  return true;
}

void SweepInBackground(const QStringList& folders) {
  State& s = state();
  const QString file = noteFile();
  QStringList all;
  std::function<void(const QString&)> hook;
  {
    std::lock_guard lock(s.mutex);
    hook = s.hook;
    for (const QString& folder : folders + readNote(file))
      if (QDir::isAbsolutePath(folder) && !all.contains(QDir::cleanPath(folder))) all << QDir::cleanPath(folder);
  }
  ++s.sweeping;
  try {
    std::thread([all, file, hook] {
      sweep(all, file, hook);
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
