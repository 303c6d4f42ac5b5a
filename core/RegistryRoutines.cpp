#include "core/RegistryRoutines.h"

#include <QtEndian>

QString RegistryRoutines::Path() const { return KeyRoot + "\\" + Subkey; }

bool RegistryRoutines::KeyExists() const { return Hive::KeyExists(hkey, Path()); }

QString RegistryRoutines::CreateKey(const QString& KeyName) const {
  QString name = KeyName.isNull() ? Subkey : KeyName;
  return Hive::CreateKey(hkey, KeyRoot + "\\" + name) == ERROR_SUCCESS ? "0" : QString();
}

long RegistryRoutines::DeleteKey(const QString& KeyName) const {
  return Hive::DeleteKey(hkey, KeyRoot + "\\" + KeyName);
}

long RegistryRoutines::DeleteValue(const QString& ValueName) const {
  return Hive::DeleteValue(hkey, Path(), ValueName);
}

QStringList RegistryRoutines::EnumRegistryKeys(long root, const QString& KeyName) const {
  return Hive::EnumKeys(root, KeyName);
}

QStringList RegistryRoutines::EnumRegistryValues(long root, const QString& KeyName) const {
  return Hive::EnumValues(root, KeyName);
}

QVariant RegistryRoutines::GetRegistryValue(const QString& ValueName, const QVariant& DefaultValue) const {
  std::optional<RegValue> v = Hive::Query(hkey, Path(), ValueName);
  if (!v) return DefaultValue;
  const QByteArray& d = v->data;
  const qsizetype n = d.size();
  switch (v->type) {
    case REG_SZ:
      if (n == 0) return DefaultValue;
      return QString::fromUtf8(d.left(n - 1));
    case REG_EXPAND_SZ:
      if (n == 0) return DefaultValue;
      return Hive::ExpandEnvironmentStrings(QString::fromUtf8(d.left(n - 1)));
    case REG_BINARY:
      return d;
    case REG_DWORD:
      if (n < 4) return DefaultValue;
      return QVariant::fromValue<qint32>(qFromLittleEndian<qint32>(d.constData()));
    case REG_MULTI_SZ: {
      // A list shorter than its two closing NULs has no sound reading: default.
      if (n < 2) return DefaultValue;
      QString text = QString::fromUtf8(d.left(n - 2));
      if (text.section(QChar(0), 0, 0).isEmpty()) return DefaultValue;
      return text;
    }
    default:
      return DefaultValue;
  }
}

bool RegistryRoutines::SetRegistryValue(const QString& ValueName, const QVariant& value, int DType) const {
  if (!Hive::KeyExists(hkey, Path())) return false;
  RegValue v;
  v.type = DType;
  switch (DType) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      QString text = value.toString();
      v.data = text.toUtf8();
      if (!text.isEmpty()) v.data.append('\0');
      break;
    }
    case REG_MULTI_SZ:
      v.data = value.toString().toUtf8();
      break;
    case REG_BINARY:
      v.data = value.toByteArray();
      break;
    case REG_DWORD: {
      v.data.resize(4);
      qToLittleEndian<qint32>(qint32(value.toLongLong()), v.data.data());
      break;
    }
    default:
      return true;  // other types write nothing
  }
  return Hive::SetValue(hkey, Path(), ValueName, v) == ERROR_SUCCESS;
}

QVariant RegistryRoutines::ReadRemoteRegistryValue(const QString&, long, const QString&, const QString&) const {
  return QString("Error!");
}

bool RegistryRoutines::WriteRemoteRegistryValue(const QString&, long, const QString&, const QVariant&, int,
                                                const QString&) const {
  return false;
}

QString RegistryRoutines::TrimNull(QString& item) {
  qsizetype pos = item.indexOf(QChar(0));
  if (pos >= 0 && pos < 32767) item.truncate(pos);
  return item;
}
