#include "tags/TagError.h"

#include <QCoreApplication>
#include <QFileDevice>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

QString TagErrorSource(const char* className) {
  QString program = QFileInfo(QCoreApplication::applicationFilePath()).baseName();
  return program + "." + QString::fromLatin1(className);
}

TagError MakeTagError(long number, const QString& description, const char* className) {
  return TagError{number, TagErrorSource(className), description};
}

TagError FileError(const QFileDevice& file, const char* className, int reason) {
  long number = tagErrDeviceIO;
  if (file.error() == QFileDevice::OpenError || file.error() == QFileDevice::PermissionsError) {
    QFileInfo info(file.fileName());
    if (!info.exists()) number = tagErrFileNotFound;
    else if (file.error() == QFileDevice::PermissionsError) number = tagErrPermissionDenied;
    else number = tagErrPathAccess;
  }
  QString text = reason ? QString::fromLocal8Bit(std::strerror(reason)) : file.errorString();
  if (text.isEmpty()) text = QStringLiteral("File access error");
  return MakeTagError(number, text, className);
}

bool WriteWhole(QFileDevice& file, const QByteArray& bytes, int* reason) {
  errno = 0;
  const bool whole = file.write(bytes) == bytes.size();
  *reason = whole ? 0 : errno;
  return whole;
}
