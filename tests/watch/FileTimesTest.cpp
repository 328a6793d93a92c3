#include "watch/FileTimes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

constexpr uint64_t UnixEpochTicks = 116444736000000000;

QString MakeFile(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("x");
    return path;
}

bool SetTimes(const QString &path, timespec access, timespec write)
{
    const timespec times[2] = {access, write};
    return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

TEST(GetFileTimes, MissingFileOrFolderLeavesTimes)
{
    QTemporaryDir dir;
    FileTimes times{1, 2, 3};
    EXPECT_FALSE(GetFileTimes(dir.filePath(QStringLiteral("none.xlsx")), times));
    EXPECT_FALSE(GetFileTimes(dir.path(), times));
    EXPECT_FALSE(GetFileTimes(QString(), times));
    EXPECT_EQ(times.CreationTime, 1u);
    EXPECT_EQ(times.LastAccessTime, 2u);
    EXPECT_EQ(times.LastWriteTime, 3u);
}

TEST(GetFileTimes, KeepsFullResolutionSince1601)
{
    QTemporaryDir dir;
    const QString path = MakeFile(dir, QStringLiteral(u"D\u00E9j\u00E0.xlsx"));
    ASSERT_TRUE(SetTimes(path, {0, 0}, {1700000000, 123456789}));
    FileTimes times;
    ASSERT_TRUE(GetFileTimes(path, times));
    EXPECT_EQ(times.LastAccessTime, UnixEpochTicks);
    EXPECT_EQ(times.LastWriteTime, UnixEpochTicks + 17000000000000000 + 1234567);
}

TEST(GetFileTimes, OrdersWritesLessThanAMillisecondApart)
{
    QTemporaryDir dir;
    const QString sheet = MakeFile(dir, QStringLiteral("Day1.xlsx"));
    const QString events = MakeFile(dir, QStringLiteral("Day1.TVX"));
    const timespec base{1800000000, 500000000};
    ASSERT_TRUE(SetTimes(events, base, base));
    ASSERT_TRUE(SetTimes(sheet, base, {base.tv_sec, base.tv_nsec + 300}));
    FileTimes sheetTimes, eventTimes;
    ASSERT_TRUE(GetFileTimes(sheet, sheetTimes));
    ASSERT_TRUE(GetFileTimes(events, eventTimes));
    EXPECT_EQ(CompareFileTimes(sheetTimes.LastWriteTime, eventTimes.LastWriteTime), 1);
    EXPECT_EQ(CompareFileTimes(eventTimes.LastWriteTime, sheetTimes.LastWriteTime), -1);
    EXPECT_EQ(sheetTimes.LastWriteTime - eventTimes.LastWriteTime, 3u);
}

TEST(CompareFileTimes, ComparesUnsigned)
{
    EXPECT_EQ(CompareFileTimes(0, UnixEpochTicks), -1);
    EXPECT_EQ(CompareFileTimes(5, 5), 0);
    EXPECT_EQ(CompareFileTimes(0x8000000000000000u, 1), 1);
    EXPECT_EQ(CompareFileTimes(1, UINT64_MAX), -1);
}

} // namespace
