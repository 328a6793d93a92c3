#include "watch/FolderWatcher.h"

#include "files/SafeFile.h"
#include "tests/support/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace {

// The system's own notifications: each wait runs the event loop until the first arrives, or a generous cap. A save
// through a rename makes the workbook a new file, which the next scan's watch() takes up again.
TEST(FolderWatcher, NotifiesEitherFolderAndAWorkbookRewrittenInPlaceAlsoAfterAReplacement)
{
    int argc = 1;
    char name[] = "watch_tests", *argv[] = {name, nullptr};
    const QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("watch1") && QDir(dir.path()).mkpath("watch2"));
    const QString folder1 = dir.filePath("watch1"), folder2 = dir.filePath("watch2");
    const QString workbook = folder1 + "/Day1.xlsx";
    WriteBytes(workbook, "first");

    FolderWatcher watcher;
    QEventLoop loop;
    QTimer cap;
    QObject::connect(&cap, &QTimer::timeout, &loop, &QEventLoop::quit);
    QSet<int> notified;
    watcher.setHandler([&](int folder) {
        notified.insert(folder);
        loop.quit();
    });
    const auto noticeAfter = [&](const std::function<void()> &change) {
        notified.clear();
        change();
        cap.start(10000);
        loop.exec();
        return notified;
    };
    const auto rewriteInPlace = [&] {
        QFile file(workbook);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite)); // neither truncated nor renamed: its folder sees nothing
        file.write("rewritten");
    };

    watcher.watch(1, folder1, {"Day1.xlsx"});
    watcher.watch(2, folder2, {});
    EXPECT_EQ(noticeAfter([&] { WriteBytes(folder2 + "/Day2.xlsx", "new"); }), QSet<int>{2});
    EXPECT_EQ(noticeAfter(rewriteInPlace), QSet<int>{1});
    ASSERT_EQ(noticeAfter([&] { ASSERT_FALSE(ReplaceWholeFile(workbook, "second")); }), QSet<int>{1});
    watcher.watch(1, folder1, {"Day1.xlsx"});
    EXPECT_EQ(noticeAfter(rewriteInPlace), QSet<int>{1}) << "watched again";
}

} // namespace
