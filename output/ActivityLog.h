#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

// "Logs/Watch Folder #<folder> Log For <yyyymmdd>.TXT" in the program folder.
QString LogFilePath(const QString &programDir, int16_t folder, const QDate &day);
// "mm-dd-yyyy  hh:mm:ss message" without the line end.
QString LogLine(const QString &message, const QDateTime &now);

// Appends the line (UTF-8, CR LF) to the folder's log of the day, creating the Logs folder when missing.
// Every failure is ignored: the line is then lost.
void WriteLog(const QString &programDir, const QString &message, int16_t folder, const QDateTime &now);
