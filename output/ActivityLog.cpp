#include "output/ActivityLog.h"

#include "events/Timecode.h"

#include <QDir>
#include <QFile>
#include <charconv>

namespace {

void AppendPadded(QString &text, int value, int width)
{
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    for (auto length = result.ptr - digits; length < width; ++length)
        text += u'0';
    text += QLatin1String(digits, result.ptr - digits);
}

QString LogsFolder(const QString &programDir)
{
    return programDir + QLatin1String("/Logs");
}

} // namespace

QString LogFilePath(const QString &programDir, int16_t folder, const QDate &day)
{
    QString path = LogsFolder(programDir) + QLatin1String("/Watch Folder #");
    AppendPadded(path, folder, 1);
    path += QLatin1String(" Log For ") + DateToYYYYMMDD(day) + QLatin1String(".TXT");
    return path;
}

QString LogLine(const QString &message, const QDateTime &now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    QString line;
    line.reserve(21 + message.size());
    AppendPadded(line, date.month(), 2);
    line += u'-';
    AppendPadded(line, date.day(), 2);
    line += u'-';
    AppendPadded(line, date.year(), 4);
    line += QLatin1String("  ");
    AppendPadded(line, time.hour(), 2);
    line += u':';
    AppendPadded(line, time.minute(), 2);
    line += u':';
    AppendPadded(line, time.second(), 2);
    line += u' ';
    line += message;
    return line;
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
