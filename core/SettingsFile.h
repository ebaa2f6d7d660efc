#pragma once

#include <QString>

// korvane.ini, the program's one settings file. Nothing about it is ever reported to the operator: an
// unreadable file reads as empty, and a failed write leaves the file as it was.

// The folder of the settings file, always ending in a separator: $XDG_CONFIG_HOME/korvane/ on Linux
// (~/.config/korvane/ by default), the Windows directory on Windows.
QString SettingsFolder();

// The stored value, or "" when the file, the section or the key is absent.
QString ReadSetting(const QString& section, const QString& key);

void WriteSetting(const QString& section, const QString& key, const QString& value);
