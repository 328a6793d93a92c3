#include "output/ActivityLog.h"

#include "events/Number.h"
#include "events/Timecode.h"

#include <QDir>
#include <QFile>

namespace {

QString LogsFolder(const QString &programDir)
{
    return programDir + QLatin1String("/Logs");
}

} // namespace

QString LogFilePath(const QString &programDir, int16_t folder, const QDate &day)
{
    return LogsFolder(programDir) + QLatin1String("/Watch Folder #") + FormatInteger(folder) +
           QLatin1String(" Log For ") + DateToYYYYMMDD(day) + QLatin1String(".TXT");
}

QString LogLine(const QString &message, const QDateTime &now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    return FormatInteger(date.month(), 2) + u'-' + FormatInteger(date.day(), 2) + u'-' + FormatInteger(date.year(), 4) +
           QLatin1String("  ") + FormatInteger(time.hour(), 2) + u':' + FormatInteger(time.minute(), 2) + u':' +
           FormatInteger(time.second(), 2) + u' ' + message;
}

void WriteLog(const QString &programDir, const QString &message, int16_t folder, const QDateTime &now)
{
    QFile file(LogFilePath(programDir, folder, now.date()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        // Only a missing Logs folder is mended; the program folder itself is never created.
        if (QDir(LogsFolder(programDir)).exists() || !QDir(programDir).mkdir(QStringLiteral("Logs")))
            return;
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
    }
    // One write, so a failing disk loses the line rather than leaving half of it.
    file.write((LogLine(message, now) + QLatin1String("\r\n")).toUtf8());
}
