#pragma once

#include "events/Failure.h"

#include <QString>
#include <array>
#include <cstdint>

constexpr int WatchFolderCount = 2;

struct WatchFolderSettings {
    bool Active = false;
    QString Path;       // used with a trailing separator
    int16_t Format = 0; // 0 = "NRT XLSX"; anything else lists "*.TXT" and reads no workbook
};

// Slots 0..2 indexed by folder number; slot 0 plays no part.
using WatchSettingsTable = std::array<WatchFolderSettings, WatchFolderCount + 1>;

inline QString TranslatorIniPath(const QString &programDir)
{
    return programDir + QStringLiteral("/Translator.ini");
}

// Fills slots 1 and 2 from Translator.ini in the program folder; missing values take their defaults.
void LoadWatchSettings(const QString &programDir, WatchSettingsTable &table);
// Writes all six keys of slots 1 and 2 in one replacement of the file, so a failed save leaves it as it was;
// no other key or section is touched.
Failure SaveWatchSettings(const QString &programDir, const WatchSettingsTable &table);

// The platform's root folder with its separator: "C:\" on Windows, "/" elsewhere.
QString DefaultWatchPath();
// The platform's folder separator, "\" on Windows and "/" elsewhere.
QChar NativeSeparator();
// A non-empty path that does not end in a separator gets one; an empty path stays empty.
QString WithTrailingSeparator(const QString &path);
