#include "output/ActivityLog.h"

#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDateTime Morning(QDate(2026, 12, 4), QTime(14, 5, 33));

TEST(ActivityLog, FileNamesAndLineFormat)
{
    EXPECT_EQ(LogFilePath(QStringLiteral("/opt/tavrel"), 2, QDate(2027, 1, 9)),
              QStringLiteral("/opt/tavrel/Logs/Watch Folder #2 Log For 20270109.TXT"));
    EXPECT_EQ(LogLine(QStringLiteral("Make TVX File for : Schedule.xlsx"), Morning),
              QStringLiteral("12-04-2026  14:05:33 Make TVX File for : Schedule.xlsx"));
    EXPECT_EQ(LogLine(QString(), QDateTime(QDate(2027, 1, 9), QTime(0, 0, 7))),
              QStringLiteral("01-09-2027  00:00:07 "));
}

TEST(ActivityLog, CreatesLogsAndAppendsPerFolderAndDay)
{
    QTemporaryDir programDir;
    const QString dir = programDir.path();
    WriteLog(dir, QStringLiteral("first"), 1, Morning);
    WriteLog(dir, QStringLiteral("second \u00e9"), 1, Morning.addSecs(1));
    WriteLog(dir, QStringLiteral("other folder"), 2, Morning);
    WriteLog(dir, QStringLiteral("next day"), 1, QDateTime(QDate(2026, 12, 5), QTime(0, 0)));
    EXPECT_EQ(ReadBytes(LogFilePath(dir, 1, Morning.date())),
              "12-04-2026  14:05:33 first\r\n12-04-2026  14:05:34 second \xc3\xa9\r\n");
    EXPECT_EQ(ReadBytes(LogFilePath(dir, 2, Morning.date())), "12-04-2026  14:05:33 other folder\r\n");
    EXPECT_EQ(ReadBytes(LogFilePath(dir, 1, QDate(2026, 12, 5))), "12-05-2026  00:00:00 next day\r\n");

    const QString missing = programDir.filePath(QStringLiteral("missing"));
    WriteLog(missing, QStringLiteral("lost"), 1, Morning);
    EXPECT_FALSE(QDir(missing).exists()) << "a missing program folder is not created";
}

} // namespace
