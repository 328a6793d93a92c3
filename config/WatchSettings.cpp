#include "config/WatchSettings.h"

#include "config/Ini.h"
#include "events/Number.h"

namespace {

QString SectionName(int folder)
{
    return QStringLiteral("Watch_Folder_") + FormatInteger(folder) + QStringLiteral("_Settings");
}

} // namespace

void LoadWatchSettings(const QString &programDir, WatchSettingsTable &table)
{
    const QString file = TranslatorIniPath(programDir);
    for (int folder = 1; folder <= WatchFolderCount; ++folder) {
        const QString section = SectionName(folder);
        WatchFolderSettings &settings = table[static_cast<size_t>(folder)];
        const QString active = Trimmed(ReadIniString(file, section, QStringLiteral("Active"), QStringLiteral("0")));
        settings.Active = ParseNumberPrefix(active) == 1.0;
        settings.Path = Trimmed(ReadIniString(file, section, QStringLiteral("Path"), DefaultWatchPath()));
        const QString format = ReadIniString(file, section, QStringLiteral("Format"), QStringLiteral("0"));
        settings.Format = ParseInteger16(format).value_or(0);
    }
}

Failure SaveWatchSettings(const QString &programDir, const WatchSettingsTable &table)
{
    QList<IniEntry> entries;
    for (int folder = 1; folder <= WatchFolderCount; ++folder) {
        const QString section = SectionName(folder);
        const WatchFolderSettings &settings = table[static_cast<size_t>(folder)];
        entries.append(
            {section, QStringLiteral("Active"), settings.Active ? QStringLiteral("1") : QStringLiteral("0")});
        entries.append({section, QStringLiteral("Path"), Trimmed(settings.Path)});
        entries.append({section, QStringLiteral("Format"), FormatInteger(settings.Format)});
    }
    return WriteIniStrings(TranslatorIniPath(programDir), entries);
}

QString DefaultWatchPath()
{
#ifdef _WIN32
    return QStringLiteral("C:\\");
#else
    return QStringLiteral("/");
#endif
}

QChar NativeSeparator()
{
#ifdef _WIN32
    return u'\\';
#else
    return u'/';
#endif
}

QString WithTrailingSeparator(const QString &path)
{
    if (path.isEmpty() || path.endsWith(NativeSeparator()) || path.endsWith(u'/'))
        return path;
    return path + NativeSeparator();
}
