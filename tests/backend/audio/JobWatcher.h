// Records the events of a conversion, join or rip job and waits for its end.
#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <utility>
#include <vector>

#include "platform/audio/cAudioConverter.h"
#include "platform/audio/cAudioJoin.h"
#include "platform/cd/cAudioCDRipper.h"

struct JobWatcher {
  QStringList ends;  // "Done", "Aborted", "Error" in arrival order
  long errorCode = 0;
  QString errorText;
  std::vector<std::pair<long, long>> progress;  // (file number, percent); file 1 for the converter

  explicit JobWatcher(cAudioConverter& c) {
    Watch(c);
    QObject::connect(&c, &cAudioConverter::Progress, &context_, [this](long p) { progress.push_back({1, p}); });
  }
  explicit JobWatcher(cAudioCDRipper& r) {
    Watch(r);
    QObject::connect(&r, &cAudioCDRipper::Progress, &context_, [this](long p) { progress.push_back({1, p}); });
  }
  explicit JobWatcher(cAudioJoin& j) {
    Watch(j);
    QObject::connect(&j, &cAudioJoin::Progress, &context_, [this](long f, long p) { progress.push_back({f, p}); });
  }
  // Serves events until the job has ended, then a little longer so that a
  // second ending event would show.
  bool Wait(int ms = 60000, int settleMs = 50) {
    QElapsedTimer t;
    t.start();
    while (ends.isEmpty() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < settleMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !ends.isEmpty();
  }

 private:
  QObject context_;  // ends the connections with the watcher
  void Watch(cAudioJobControl& c) {
    QObject::connect(&c, &cAudioJobControl::Done, &context_, [this] { ends << "Done"; });
    QObject::connect(&c, &cAudioJobControl::Aborted, &context_, [this] { ends << "Aborted"; });
    QObject::connect(&c, &cAudioJobControl::Error, &context_, [this](long code, const QString& text) {
      ends << "Error";
      errorCode = code;
      errorText = text;
    });
  }
};
