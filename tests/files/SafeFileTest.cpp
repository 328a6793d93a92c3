#include "files/SafeFile.h"

#include "tests/support/Files.h"
#include "tests/support/TestPlatform.h"

#include <QDir>
#include <QTemporaryDir>
#include <optional>

namespace {

enum class Obstacle { None, FullDisk, Reader };

// A full disk refuses the new bytes only when they are flushed, since they fit Qt's write buffer; on Windows the
// automation system reading the file keeps it from being replaced, until it is done.
TEST(ReplaceWholeFile, ReplacesTheFileWholeOrLeavesItAndNoTemporaryFile)
{
    for (const Obstacle obstacle : {Obstacle::None, Obstacle::FullDisk, Obstacle::Reader}) {
        SCOPED_TRACE(int(obstacle));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Day1.TVX"));
        WriteBytes(path, "the old and longer file");
        {
            std::optional<FileSizeLimit> disk;
            std::optional<HeldOpen> reader;
            if (obstacle == Obstacle::FullDisk)
                disk.emplace(4);
            if (obstacle == Obstacle::Reader)
                reader.emplace(path);
            if ((disk && !disk->active()) || (reader && !reader->active()))
                continue; // no such obstacle here
            const Failure failure = ReplaceWholeFile(path, "new bytes");
            EXPECT_EQ(bool(failure), obstacle != Obstacle::None);
            EXPECT_TRUE(obstacle != Obstacle::FullDisk || failure.reason == "File too large")
                << failure.reason.toStdString();
            EXPECT_EQ(ReadBytes(path), failure ? "the old and longer file" : "new bytes");
        }
        const auto entries = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        EXPECT_EQ(QDir(dir.path()).entryList(entries), QStringList{QStringLiteral("Day1.TVX")});
        EXPECT_FALSE(ReplaceWholeFile(path, "new bytes")) << "once the obstacle is gone";
        EXPECT_EQ(ReadBytes(path), "new bytes");
    }
}

} // namespace
