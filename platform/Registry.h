// The settings hive: keys that exist or not, named typed values, enumeration.
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are two files in the user's config
// folder ("machine.hive", "user.hive"); paths use "\" and ignore letter case.
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

constexpr long HKEY_CURRENT_USER = 0x80000001L;
constexpr long HKEY_LOCAL_MACHINE = 0x80000002L;

enum RegType { REG_NONE = 0, REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3, REG_DWORD = 4,
               REG_MULTI_SZ = 7, REG_QWORD = 11 };
enum RegResult { ERROR_SUCCESS = 0, ERROR_FILE_NOT_FOUND = 2, ERROR_ACCESS_DENIED = 5,
                 ERROR_INVALID_HANDLE = 6, ERROR_MORE_DATA = 234, ERROR_NO_MORE_ITEMS = 259 };

struct RegValue {
  int type = REG_NONE;
  QByteArray data;  // raw bytes; string types hold their text and terminating NUL(s)
};

namespace Hive {
// True when the key (root and "\"-separated path; empty parts ignored) exists.
bool KeyExists(long root, const QString& path);
// The value, or nothing with code ERROR_FILE_NOT_FOUND for a missing key or value.
std::optional<RegValue> Query(long root, const QString& path, const QString& name, long* code = nullptr);
// Writes into an existing key; a missing key gives ERROR_FILE_NOT_FOUND and writes nothing.
long SetValue(long root, const QString& path, const QString& name, const RegValue& value);
long DeleteValue(long root, const QString& path, const QString& name);
// Creates the key with every missing key along the path.
long CreateKey(long root, const QString& path);
// Deletes a key that has no sub-keys.
long DeleteKey(long root, const QString& path);
// Sub-keys or value names in the order they were created; code 2 when the key is missing.
QStringList EnumKeys(long root, const QString& path, long* code = nullptr);
QStringList EnumValues(long root, const QString& path, long* code = nullptr);
// True when the root's file exists but cannot be read as a hive: it then reads
// as empty and every write is refused, so the file stays as it was.
bool Damaged(long root);
// Expands $VAR, ${VAR} and %VAR% references from the environment.
QString ExpandEnvironmentStrings(const QString& text);
// The folder of the hive files: the user's config folder + "/Tessory" unless set.
QString Folder();
void SetFolder(const QString& folder);
}  // namespace Hive
