// Records the events of a burner in arrival order and waits for a write's end.
#pragma once
#include <QObject>
#include <QStringList>

#include "TestEnv.h"

struct BurnWatcher {
  QStringList events;  // event names, with arguments where they matter
  QStringList ends;    // the ending events only
  long errorCode = 0;
  QString errorText;

  void Add(const QString& name) { events << name; }
  void End(const QString& name) {
    events << name;
    ends << name;
  }
  void Fail(long code, const QString& text) {
    End("Error");
    errorCode = code;
    errorText = text;
  }
  // Serves events until a write has ended, then a little longer so that a
  // second ending would show.
  bool Wait(int ms = 120000) {
    const bool ended = TestEnv::WaitUntil([this] { return !ends.isEmpty(); }, ms);
    TestEnv::WaitUntil([] { return false; }, 100);
    return ended;
  }
  int Count(const QString& name) const { return int(events.count(name)); }
  QObject context;  // ends the connections with the watcher
};
