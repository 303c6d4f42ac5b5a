// The audio tools' tests: the main window with a list open, a way to act
// inside a window's modal show, and the WAV checks they share.
#pragma once
#include <QFile>
#include <QTimer>
#include <functional>

#include "AudioFixtures.h"
#include "backend/audio/WavFile.h"
#include "tests/lists/ListFixtures.h"

inline QByteArray WavSamples(const QString& path) {
  WavLayout l;
  QString error;
  if (!WavFile::ReadLayout(path, &l, &error)) return QByteArray();
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll().mid(int(l.dataOffset), int(l.dataBytes));
}

class AudioToolsTest : public ListsTest {
 protected:
  // The polls of windows that never showed end with the test: their actions
  // hold references to its locals.
  void TearDown() override {
    qDeleteAll(polls.children());
    ListsTest::TearDown();
  }
  // Runs the action once a window of type F shows modally; returns at once.
  template <class F>
  void WhenShown(std::function<void(F&)> action) {
    auto* poll = new QTimer(&polls);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
      F* f = loadedForm<F>();
      if (!f || !f->IsModalShown()) return;
      poll->stop();
      poll->deleteLater();
      action(*f);
    });
    poll->start();
  }
  // Adds generated WAV files to the open list, marks them and selects the first.
  void AddItems(const QStringList& paths) {
    QStringList names;
    for (const QString& p : paths) names << QFileInfo(p).fileName();
    AddFromDialog(names);
    ASSERT_EQ(main->cGrid1->Rows(), paths.size());
    for (long r = 1; r <= main->cGrid1->Rows(); ++r) ItemRow::SetIcon(*main->cGrid1, r, "Inc", ItemRow::kMarked);
    main->cGrid1->SetSelectedRow(1);
  }
  QString Column(long row, const QString& key) const { return ItemRow::Text(*main->cGrid1, row, key); }
  QObject polls;
};
