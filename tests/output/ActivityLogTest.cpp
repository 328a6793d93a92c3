#include "output/ActivityLog.h"

#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDateTime Morning(QDate(2026, 12, 4), QTime(14, 5, 33));

// Named by folder and day, one CRLF line per message with the month first.
TEST(ActivityLog, CreatesLogsAndAppendsPerFolderAndDay)
{
    QTemporaryDir programDir;
    const QString dir = programDir.path();
    WriteLog(dir, QStringLiteral("first"), 1, Morning);
    WriteLog(dir, QStringLiteral("second \u00e9"), 1, Morning.addSecs(1));
    WriteLog(dir, QStringLiteral("other folder"), 2, Morning);
    WriteLog(dir, QString(), 1, QDateTime(QDate(2027, 1, 9), QTime(0, 0, 7)));
    const auto log = [&dir](const char *name) { return ReadBytes(dir + "/Logs/Watch Folder #" + name + ".TXT"); };
    EXPECT_EQ(log("1 Log For 20261204"), "12-04-2026  14:05:33 first\r\n12-04-2026  14:05:34 second \xc3\xa9\r\n");
    EXPECT_EQ(log("2 Log For 20261204"), "12-04-2026  14:05:33 other folder\r\n");
    EXPECT_EQ(log("1 Log For 20270109"), "01-09-2027  00:00:07 \r\n");

    const QString missing = programDir.filePath(QStringLiteral("missing"));
    WriteLog(missing, QStringLiteral("lost"), 1, Morning);
    EXPECT_FALSE(QDir(missing).exists()) << "a missing program folder is not created";
}

} // namespace
