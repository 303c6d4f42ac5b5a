#include "platform/FileIdentity.h"

#include <QFile>
#include <sys/stat.h>

bool IsSameFile(const QString& a, const QString& b) {
  struct stat sa {}, sb {};
  if (::stat(QFile::encodeName(a).constData(), &sa) != 0) return false;
  if (::stat(QFile::encodeName(b).constData(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
