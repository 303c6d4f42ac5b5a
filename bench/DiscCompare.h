// Shared by the disc benches: a speed figure means something only when both
// sides made the same disc, so the images are compared after the race.
#pragma once
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdio>

namespace DiscCompare {
inline bool SameFileBytes(const QString& a, const QString& b) {
  QFile fa(a), fb(b);
  if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size()) return false;
  while (!fa.atEnd())
    if (fa.read(1 << 20) != fb.read(1 << 20)) return false;
  return true;
}

// Unpacks a data-disc image with xorriso, by its Joliet names.
inline bool Extract(const QString& image, const QString& folder) {
  QDir(folder).removeRecursively();
  QProcess p;
  p.start("xorriso", {"-joliet", "on", "-osirrox", "on", "-indev", image, "-extract", "/", folder});
  return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// "" when both images hold the same files (names and bytes), else what differs.
inline QString DataDiscDifference(const QString& ours, const QString& reference, const QString& scratch) {
  const QString a = scratch + "/ours", b = scratch + "/reference";
  if (!Extract(ours, a) || !Extract(reference, b)) return "an image cannot be read";
  const QStringList names = QDir(a).entryList(QDir::Files, QDir::Name);
  QString difference;
  if (names != QDir(b).entryList(QDir::Files, QDir::Name)) difference = "the lists of files differ";
  for (const QString& name : names)
    if (difference.isEmpty() && !SameFileBytes(a + "/" + name, b + "/" + name)) difference = name + " differs";
  QDir(a).removeRecursively();
  QDir(b).removeRecursively();
  return difference;
}

// The comparison's line: the files are the same, or the run MISSED.
inline bool ReportSame(const char* what, const QString& difference) {
  if (difference.isEmpty()) std::printf("%-44s both sides hold the same files\n", what);
  else std::printf("%-44s MISSED: %s\n", what, qPrintable(difference));
  return difference.isEmpty();
}
}  // namespace DiscCompare
