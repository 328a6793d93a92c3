#include "watch/LogTail.h"

#include "tests/support/Files.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

void Append(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
    file.write(bytes);
}

// Each read brings the whole lines written since the last one, as the writer left them.
TEST(LogTail, FollowsTheFileLineByLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Watch Folder #1 Log For 20261204.TXT"));
    LogTail tail(path);
    const auto read = [&](qint64 maxBytes = LogTail::ChunkBytes) {
        const LogRead result = tail.readNew(maxBytes);
        EXPECT_FALSE(result.failure) << result.failure.reason.toStdString();
        return result;
    };
    EXPECT_TRUE(read().lines.isEmpty()) << "not written yet";

    Append(path, "12-04-2026  14:05:33 Make TVX File for : Day1.xlsx\r\n12-04-2026  14:05:33 Row 7 not");
    LogRead result = read();
    EXPECT_EQ(result.lines, QStringList{"12-04-2026  14:05:33 Make TVX File for : Day1.xlsx"});
    EXPECT_EQ(result.kinds, std::vector{LogLineKind::Plain});

    Append(path, " used: event name empty \xc3\xa9\r\n12-04-2026  14:05:34 TVX File not made for : D.xlsx (x)\r\n");
    result = read();
    EXPECT_EQ(result.lines, QStringList({"12-04-2026  14:05:33 Row 7 not used: event name empty \u00e9",
                                         "12-04-2026  14:05:34 TVX File not made for : D.xlsx (x)"}));
    EXPECT_EQ(result.kinds, std::vector({LogLineKind::Warning, LogLineKind::Failure}));
    EXPECT_TRUE(read().lines.isEmpty());

    // A read takes what fits and says that more follows.
    Append(path, "a\r\nb\r\nc\r\n");
    result = read(6);
    EXPECT_EQ(result.lines, QStringList({"a", "b"}));
    EXPECT_TRUE(result.more);
    result = read(6);
    EXPECT_EQ(result.lines, QStringList{"c"});
    EXPECT_FALSE(result.more);
    // A line longer than a whole read is shown in parts rather than never.
    Append(path, "long line\r\n");
    EXPECT_EQ(read(4).lines, QStringList{"long"});

    WriteBytes(path, "new\r\n");
    result = read();
    EXPECT_TRUE(result.restarted);
    EXPECT_EQ(result.lines, QStringList{"new"});

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QFileInfo(path).fileName()));
    EXPECT_TRUE(tail.readNew().failure) << "a folder in the file's place is no log";
}

TEST(ClassifyLogLine, TellsFailuresAndWarningsByTheirMessage)
{
    const struct {
        const char *line;
        LogLineKind kind;
    } cases[] = {
        {"12-04-2026  14:05:33 Make TVX File for : Row 5.xlsx", LogLineKind::Plain},
        {"12-04-2026  14:05:33 TVX File not made for : Day1.xlsx (file not found)", LogLineKind::Failure},
        {"12-04-2026  14:05:33 Row 12 not used: event name empty", LogLineKind::Warning},
        {"12-04-2026  14:05:33 DWX.INI not found in /opt: default destinations used", LogLineKind::Warning},
        {"12-04-2026  14:05:33 RT-IN1.LST changed since start-up: restart the program to use it", LogLineKind::Warning},
        {"Row 12", LogLineKind::Plain},
        {"", LogLineKind::Plain},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ClassifyLogLine(QString::fromUtf8(c.line)), c.kind) << c.line;
}

} // namespace
