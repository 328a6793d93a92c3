#include "files/SafeFile.h"

#include "tests/support/Files.h"
#include "tests/support/TestPlatform.h"

#include <QDir>
#include <QTemporaryDir>
#include <optional>

namespace {

// Unhindered, on a full disk (the new bytes fit Qt's write buffer, so only their flush fails), and held open by a
// reader, which on Windows keeps the file from being replaced until it is done.
TEST(ReplaceWholeFile, ReplacesTheFileWholeOrLeavesItAndNoTemporaryFile)
{
    for (const char *obstacle : {"none", "full disk", "reader"}) {
        SCOPED_TRACE(obstacle);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Day1.TVX"));
        WriteBytes(path, "the old and longer file");
        {
            std::optional<FileSizeLimit> disk;
            std::optional<HeldOpen> reader;
            if ((obstacle[0] == 'f' && !disk.emplace(4).active()) ||
                (obstacle[0] == 'r' && !reader.emplace(path).active()))
                continue; // no such obstacle here
            const Failure failure = ReplaceWholeFile(path, "new bytes");
            EXPECT_EQ(bool(failure), disk || reader);
            EXPECT_TRUE(!disk || failure.reason == "File too large") << failure.reason.toStdString();
            EXPECT_EQ(ReadBytes(path), failure ? "the old and longer file" : "new bytes");
        }
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        EXPECT_EQ(QDir(dir.path()).entryList(all), QStringList{QStringLiteral("Day1.TVX")});
        EXPECT_FALSE(ReplaceWholeFile(path, "new bytes")) << "once nothing stands in the way";
        EXPECT_EQ(ReadBytes(path), "new bytes");
    }
}

} // namespace
