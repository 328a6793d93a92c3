#pragma once

#include "events/Failure.h"

#include <QList>
#include <QString>

// INI access with the profile-string semantics the settings files were written for: section and key names
// match without regard to case, the first matching section and key win, values are cut to 254 characters,
// and a missing file, section or key gives the default.
QString ReadIniString(const QString &file, const QString &section, const QString &key, const QString &defaultValue);

struct IniEntry {
    QString section;
    QString key;
    QString value;
};

// Writes each key=value into its section in turn, creating file, section or key as needed; CR and LF in a
// value become blanks. The file is replaced once, whole or not at all (ReplaceWholeFile), and never when it
// exists but cannot be read.
Failure WriteIniStrings(const QString &file, const QList<IniEntry> &entries);
// One entry of WriteIniStrings.
Failure WriteIniString(const QString &file, const QString &section, const QString &key, const QString &value);
