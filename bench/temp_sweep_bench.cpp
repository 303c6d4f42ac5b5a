// A run writing into a huge folder: the first hidden temporary made there
// sweeps the folder once, later ones do not scan it again. Times the first
// one against find looking for the same names side by side, and 100 more
// against that first one.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "platform/HiddenTemp.h"

namespace {
bool fill(const QString& folder, int files) {
  for (int i = 0; i < files; ++i) {
    const QByteArray name = QFile::encodeName(folder + QString("/track %1.mp3").arg(i));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
  }
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int files = argc > 1 ? QByteArray(argv[1]).toInt() : 200000;
  QTemporaryDir dir;
  const QString folder = dir.filePath("huge");
  if (!dir.isValid() || !QDir().mkpath(folder) || !fill(folder, files)) {
    std::fprintf(stderr, "the folder could not be filled\n");
    return 1;
  }
  const double find = TimeAfterSync([&] {
    return QProcess::execute("find", {folder, "-maxdepth", "1", "-name", ".*.part", "-type", "f"}) == 0;
  });
  HiddenTemp first(folder + "/first.mp3");
  const double ours = TimeAfterSync([&] { return first.Make(); });
  std::vector<HiddenTemp> more;
  const double later = TimeAfterSync([&] {
    for (int i = 0; i < 100; ++i) {
      more.emplace_back(folder + QString("/later %1.mp3").arg(i));
      if (!more.back().Make()) return false;
    }
    return true;
  });
  std::printf("%d files: first temporary %.3f s, find %.3f s (ratio %.2f, target <= 2.00)%s\n", files, ours, find,
              ours / find, ours / find > 2.0 ? " MISSED" : "");
  std::printf("100 more temporaries %.3f s, %.2f of the first (target <= 0.50: no second scan)%s\n", later,
              later / ours, later / ours > 0.5 ? " MISSED" : "");
  return 0;
}
