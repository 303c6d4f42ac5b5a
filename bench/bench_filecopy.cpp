// Times the file copy window's copier (8000-byte chunks, events let through
// between chunks) against dd with the same block size and against cp on the
// same file, and prints the ratios.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "core/FileCopyClass.h"

namespace {
double seconds(const std::function<void()>& work) {
  QElapsedTimer t;
  t.start();
  work();
  return t.nsecsElapsed() / 1e9;
}
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const qint64 size = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 256) * 1024 * 1024;
  QTemporaryDir dir;
  const QString src = dir.filePath("src.bin");
  {
    QFile f(src);
    f.open(QIODevice::WriteOnly);
    QByteArray block(1 << 20, '\0');
    for (int i = 0; i < block.size(); ++i) block[i] = char(i * 31 + i / 977);
    for (qint64 done = 0; done < size; done += block.size()) f.write(block);
  }
  for (long chunk : {8000L, 32000L}) {
    const double ours = seconds([&] {
      FileCopyClass copier;
      copier.CacheSize = chunk;
      copier.Copy(src, dir.filePath("ours.bin"));
    });
    const double dd = seconds([&] {
      QProcess::execute("dd", {"if=" + src, "of=" + dir.filePath("dd.bin"), QString("bs=%1").arg(chunk),
                               "status=none"});
    });
    const double cp = seconds([&] { QProcess::execute("cp", {src, dir.filePath("cp.bin")}); });
    std::printf("%lld MiB, chunk %ld: FileCopyClass %.3f s, dd %.3f s (ratio %.2f), cp %.3f s (ratio %.2f)\n",
                size >> 20, chunk, ours, dd, ours / dd, cp, ours / cp);
    for (const char* f : {"ours.bin", "dd.bin", "cp.bin"}) QFile::remove(dir.filePath(f));
  }
  return 0;
}
