#include "watch/FolderWatcher.h"

#include "files/SafeFile.h"
#include "tests/support/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// The system's own notifications: each wait runs the event loop until the first arrives, or a generous cap.
class FolderWatcherTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "watch_tests";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv); // kept until the process ends
    }

    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath("watch1") && QDir(dir.path()).mkpath("watch2"));
        watcher.setHandler([this](int folder) {
            notified.insert(folder);
            loop.quit();
        });
        cap.setSingleShot(true);
        QObject::connect(&cap, &QTimer::timeout, &loop, &QEventLoop::quit);
    }

    // The folders notified of what the system reported until the first notice.
    QSet<int> waitForNotice()
    {
        notified.clear();
        cap.start(10000);
        loop.exec();
        cap.stop();
        return notified;
    }

    QString folder(int n) const { return dir.filePath(QStringLiteral("watch%1").arg(n)); }

    QTemporaryDir dir;
    FolderWatcher watcher;
    QEventLoop loop;
    QTimer cap;
    QSet<int> notified;
};

// Written over its first bytes: its folder sees nothing of it.
void RewriteInPlace(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("rewritten");
}

TEST_F(FolderWatcherTest, AFileCreatedInFolder2IsNotifiedForFolder2)
{
    watcher.watch(1, folder(1), {});
    watcher.watch(2, folder(2), {});
    WriteBytes(folder(2) + "/Day1.xlsx", "new");
    EXPECT_EQ(waitForNotice(), QSet<int>{2});
}

// Replaced through a rename, as a save usually does, the workbook is a new file, taken up again by the next scan.
TEST_F(FolderWatcherTest, AWorkbookRewrittenInPlaceIsNotifiedAlsoAfterAReplacement)
{
    const QString workbook = folder(1) + "/Day1.xlsx";
    WriteBytes(workbook, "first");
    watcher.watch(1, folder(1), {"Day1.xlsx"});
    RewriteInPlace(workbook);
    ASSERT_EQ(waitForNotice(), QSet<int>{1});

    ASSERT_FALSE(ReplaceWholeFile(workbook, "second"));
    ASSERT_EQ(waitForNotice(), QSet<int>{1});
    watcher.watch(1, folder(1), {"Day1.xlsx"});
    RewriteInPlace(workbook);
    EXPECT_EQ(waitForNotice(), QSet<int>{1});
}

} // namespace
