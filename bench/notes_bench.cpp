// Opening the notes window on 10 MB of notes of several line lengths, against
// a bare text box given the same 10 MB in short lines, the best case of the
// box itself. Prints each time and its ratio to that reference, and the time
// to close the window without an edit.
//   notes_bench [megabytes]
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/g_frmNotes.h"

namespace {
// Digits without a blank, cut into lines of the given length.
QByteArray notesOf(qsizetype bytes, qsizetype lineLength) {
  QByteArray out;
  out.reserve(bytes + bytes / lineLength * 2 + 2);
  while (out.size() < bytes) {
    for (qsizetype i = 0; i < lineLength && out.size() < bytes; ++i) out += char('0' + i % 10);
    out += "\r\n";
  }
  return out;
}

// The time to open the window, and the time to close it unedited.
std::pair<qint64, qint64> openNotes(const QByteArray& bytes) {
  QFile f(frmMain::NotesFile());
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
  f.close();
  QElapsedTimer t;
  t.start();
  g_frmNotes& notes = form<g_frmNotes>();
  notes.Show();
  QCoreApplication::processEvents();
  const qint64 opened = t.elapsed();
  t.restart();
  notes.Unload();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return {opened, t.elapsed()};
}

qint64 bareBox(const QByteArray& bytes) {
  QElapsedTimer t;
  t.start();
  QPlainTextEdit box;
  box.resize(541, 363);
  box.setPlainText(QString::fromUtf8(bytes));
  box.show();
  QCoreApplication::processEvents();
  return t.elapsed();
}
}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("XDG_DATA_HOME", home.path().toUtf8());
  OffscreenUnlessChosen();
  QApplication app(argc, argv);
  const qsizetype size = (argc > 1 ? atoll(argv[1]) : 10) * 1000 * 1000;
  const qint64 reference = bareBox(notesOf(size, 80));
  std::printf("bare text box, %lld bytes in 80-character lines: %lld ms\n", (long long)size, (long long)reference);
  for (qsizetype length : {qsizetype(80), qsizetype(4096), qsizetype(100000), qsizetype(1000000), size}) {
    const auto [opened, closed] = openNotes(notesOf(size, length));
    std::printf("notes window, lines of %9lld characters: opens in %5lld ms (%.2f x the bare box), closes in %5lld ms\n",
                (long long)length, (long long)opened, reference > 0 ? double(opened) / double(reference) : 0.0,
                (long long)closed);
  }
  return 0;
}
