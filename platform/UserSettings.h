// Per-user settings by application, section and key, kept in the user's config
// folder (one file per application), apart from the settings hive.
#pragma once
#include <QString>

// The stored text, or the default when the value is missing.
QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
void SaveSetting(const QString& app, const QString& section, const QString& key, const QString& value);
