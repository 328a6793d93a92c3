#include "watch/FileTimes.h"

#include "tests/support/Files.h"
#include "tests/support/TestPlatform.h"

#include <QTemporaryDir>

namespace {

constexpr uint64_t UnixEpochTicks = 116444736000000000; // 1970-01-01 in 100 ns since 1601-01-01

TEST(FileTimes, FullResolutionSince1601AndOrderBelowAMillisecond)
{
    QTemporaryDir dir;
    FileTimes sheet, events;
    const QString sheetPath = dir.filePath(QStringLiteral(u"D\u00E9j\u00E0.xlsx")),
                  eventPath = dir.filePath("Day1.TVX");
    WriteBytes(sheetPath, {});
    WriteBytes(eventPath, {});
    ASSERT_TRUE(SetFileTimesSince1970(sheetPath, 1700000000, 123456789));
    ASSERT_TRUE(SetFileTimesSince1970(eventPath, 1700000000, 123456489));
    ASSERT_TRUE(GetFileTimes(sheetPath, sheet));
    ASSERT_TRUE(GetFileTimes(eventPath, events));
    EXPECT_EQ(sheet.LastAccessTime, UnixEpochTicks);
    EXPECT_EQ(sheet.LastWriteTime, UnixEpochTicks + 17000000000000000 + 1234567);
    EXPECT_EQ(sheet.LastWriteTime - events.LastWriteTime, 3u);
    EXPECT_EQ(CompareFileTimes(sheet.LastWriteTime, events.LastWriteTime), 1);
    EXPECT_EQ(CompareFileTimes(events.LastWriteTime, sheet.LastWriteTime), -1);
    EXPECT_EQ(CompareFileTimes(0x8000000000000000u, 1), 1); // unsigned
}

} // namespace
