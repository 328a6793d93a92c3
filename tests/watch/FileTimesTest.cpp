#include "watch/FileTimes.h"

#include "tests/support/TestPlatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr uint64_t UnixEpochTicks = 116444736000000000; // 1970-01-01 in 100 ns since 1601-01-01

QString MakeFile(const QTemporaryDir &dir, const QString &name, int64_t seconds, int32_t nanoseconds)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(SetFileTimesSince1970(path, seconds, nanoseconds));
    return path;
}

TEST(FileTimes, FullResolutionSince1601AndOrderBelowAMillisecond)
{
    QTemporaryDir dir;
    FileTimes sheet, events;
    ASSERT_TRUE(GetFileTimes(MakeFile(dir, QStringLiteral(u"D\u00E9j\u00E0.xlsx"), 1700000000, 123456789), sheet));
    EXPECT_EQ(sheet.LastAccessTime, UnixEpochTicks);
    EXPECT_EQ(sheet.LastWriteTime, UnixEpochTicks + 17000000000000000 + 1234567);

    ASSERT_TRUE(GetFileTimes(MakeFile(dir, QStringLiteral("Day1.TVX"), 1700000000, 123456489), events));
    EXPECT_EQ(sheet.LastWriteTime - events.LastWriteTime, 3u);
    EXPECT_EQ(CompareFileTimes(sheet.LastWriteTime, events.LastWriteTime), 1);
    EXPECT_EQ(CompareFileTimes(events.LastWriteTime, sheet.LastWriteTime), -1);
    EXPECT_EQ(CompareFileTimes(5, 5), 0);
    EXPECT_EQ(CompareFileTimes(0x8000000000000000u, 1), 1); // unsigned
}

TEST(FileTimes, MissingFileOrFolderLeavesTheTimes)
{
    QTemporaryDir dir;
    FileTimes times{1, 2, 3};
    EXPECT_FALSE(GetFileTimes(dir.filePath(QStringLiteral("none.xlsx")), times));
    EXPECT_FALSE(GetFileTimes(dir.path(), times));
    EXPECT_FALSE(GetFileTimes(QString(), times));
    EXPECT_EQ(times.CreationTime + times.LastAccessTime + times.LastWriteTime, 6u);
}

} // namespace
