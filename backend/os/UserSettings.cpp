#include "platform/UserSettings.h"

#include <QSettings>
#include <QStandardPaths>

namespace {
QString settingsFile(const QString& app) {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/" + app +
         "/user-settings.ini";
}
QString entry(const QString& section, const QString& key) { return section + "/" + key; }
}  // namespace

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue) {
  QSettings s(settingsFile(app), QSettings::IniFormat);
  return s.value(entry(section, key), defaultValue).toString();
}

void SaveSetting(const QString& app, const QString& section, const QString& key, const QString& value) {
  QSettings s(settingsFile(app), QSettings::IniFormat);
  s.setValue(entry(section, key), value);
}
