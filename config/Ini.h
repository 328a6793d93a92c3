#pragma once

#include <QString>

// INI access with the profile-string semantics the settings files were written for: section and key names
// match without regard to case, the first matching section and key win, values are cut to 254 characters,
// and a missing file, section or key gives the default.
QString ReadIniString(const QString &file, const QString &section, const QString &key, const QString &defaultValue);

// Writes key=value into the section, creating file, section or key as needed; CR and LF in the value become
// blanks. The file is replaced atomically, so it is never left half written. A failure is not reported.
void WriteIniString(const QString &file, const QString &section, const QString &key, const QString &value);
