#include "platform/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

bool IsSameFile(const QString& a, const QString& b) {
  struct stat sa {}, sb {};
  if (::stat(QFile::encodeName(a).constData(), &sa) != 0) return false;
  if (::stat(QFile::encodeName(b).constData(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString FileKey(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) == 0) return QString("%1:%2").arg(st.st_dev).arg(st.st_ino);
  // A link to a file not yet there leads to where the file will be.
  QFileInfo info(path);
  for (int hops = 0; info.isSymLink() && hops < 40; ++hops) info = QFileInfo(info.symLinkTarget());
  const QString folder = info.dir().canonicalPath();
  return folder.isEmpty() ? info.absoluteFilePath() : folder + "/" + info.fileName();
}
