// The one class through which the system reads and writes its settings hive.
// An object addresses one key: a root (hkey), a path (KeyRoot) and a section
// (Subkey). It keeps no key open between calls and never reports an error
// except through its results.
#pragma once
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/Registry.h"

class RegistryRoutines {
 public:
  long hkey = 0;
  QString KeyRoot;
  QString Subkey;

  bool KeyExists() const;
  // "0" when the key was created or opened, else empty.
  QString CreateKey(const QString& KeyName = QString()) const;
  long DeleteKey(const QString& KeyName) const;
  long DeleteValue(const QString& ValueName) const;
  // Names in creation order (the collection's keys are the names themselves).
  QStringList EnumRegistryKeys(long root, const QString& KeyName) const;
  QStringList EnumRegistryValues(long root, const QString& KeyName) const;
  // The value by its type (text, byte array, Long), or DefaultValue.
  QVariant GetRegistryValue(const QString& ValueName, const QVariant& DefaultValue = QVariant()) const;
  bool SetRegistryValue(const QString& ValueName, const QVariant& value, int DType) const;
  // There is no remote registry here: reads give "Error!" and writes False, as a
  // failed connection does.
  QVariant ReadRemoteRegistryValue(const QString& computer, long root, const QString& ValueName,
                                   const QString& KeyPath = QString()) const;
  bool WriteRemoteRegistryValue(const QString& computer, long root, const QString& ValueName,
                                const QVariant& value, int DType, const QString& KeyPath = QString()) const;
  // Cuts the text before its first NUL (searched only within the first 32767 characters).
  static QString TrimNull(QString& item);

  // The addressed key: KeyRoot, "\" and Subkey.
  QString Path() const;
};
