#include "tests/convert/XlsxBuilder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

const QString WatchExe = QStringLiteral(TAVREL_WATCH_EXE);

// Last-write time in nanoseconds since 1970; 0 when the file is missing.
int64_t WriteTimeNs(const QString &path)
{
    struct stat info {
    };
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec;
}

bool WaitFor(const std::function<bool()> &condition, std::chrono::seconds limit)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > std::chrono::milliseconds(limit).count())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

TEST(WatchCli, VersionAndMissingProgramFolder)
{
    QProcess version;
    version.start(WatchExe, {QStringLiteral("--version")});
    ASSERT_TRUE(version.waitForFinished(10000));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_EQ(version.readAllStandardOutput(), QByteArray("tavrel-watch " TAVREL_VERSION "\n"));

    QProcess missing;
    missing.start(WatchExe, {QStringLiteral("--program-dir"), QStringLiteral("/nonexistent/tavrel")});
    ASSERT_TRUE(missing.waitForFinished(10000));
    EXPECT_EQ(missing.exitCode(), 2);
}

TEST(WatchCli, ConvertsDroppedAndResavedSchedulesAndStopsOnSigterm)
{
    QTemporaryDir programDir;
    ASSERT_TRUE(QDir(programDir.path()).mkdir(QStringLiteral("in")));
    const QString watch = programDir.filePath(QStringLiteral("in")) + u'/';
    QFile ini(programDir.filePath(QStringLiteral("Translator.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Watch_Folder_1_Settings]\r\nActive=1\r\nPath=" + QFile::encodeName(watch) + "\r\n");
    ini.close();

    QProcess watcher;
    watcher.start(WatchExe, {QStringLiteral("--program-dir"), programDir.path()});
    ASSERT_TRUE(watcher.waitForStarted(10000));

    const QString workbook = watch + QStringLiteral("Day1.xlsx");
    const QString eventFile = watch + QStringLiteral("Day1.TVX");
    ASSERT_TRUE(WriteOneEventSchedule(workbook));
    ASSERT_TRUE(WaitFor([&] { return WriteTimeNs(eventFile) != 0; }, std::chrono::seconds(25)));
    const int64_t firstWrite = WriteTimeNs(eventFile);

    // Saved again, one second after its event file was made.
    ASSERT_TRUE(WriteOneEventSchedule(workbook));
    const timespec savedAt{static_cast<time_t>(firstWrite / 1'000'000'000 + 1), 0};
    const timespec times[2] = {savedAt, savedAt};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(workbook).constData(), times, 0), 0);
    EXPECT_TRUE(WaitFor([&] { return WriteTimeNs(eventFile) > firstWrite; }, std::chrono::seconds(25)));

    ASSERT_EQ(kill(static_cast<pid_t>(watcher.processId()), SIGTERM), 0);
    ASSERT_TRUE(watcher.waitForFinished(10000));
    EXPECT_EQ(watcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watcher.exitCode(), 0);
    EXPECT_EQ(watcher.readAllStandardOutput().count("Make TVX File for : Day1.xlsx\n"), 2);
}

} // namespace
