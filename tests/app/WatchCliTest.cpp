#include "tests/support/Files.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/XlsxBuilder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

const QString WatchExe = QStringLiteral(TAVREL_WATCH_EXE);

bool WaitFor(const std::function<bool()> &condition, std::chrono::seconds limit)
{
    for (const QDeadlineTimer deadline(limit); !condition();) { // once each time: the condition may act
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

QDateTime writeTime(const QString &path)
{
    return QFileInfo(path).lastModified(); // invalid while the file is missing
}

// True once the process has printed a whole line; waits a moment for its output first.
bool PrintedALine(QProcess &process)
{
    process.waitForReadyRead(100);
    return process.canReadLine();
}

// Starts tavrel-watch on programDir and waits for its first line, printed once it holds the folder.
bool StartWatch(QProcess &watcher, const QString &programDir)
{
    watcher.start(WatchExe, {QStringLiteral("--program-dir"), programDir});
    return watcher.waitForStarted(10000) && WaitFor([&] { return PrintedALine(watcher); }, std::chrono::seconds(20));
}

TEST(WatchCli, OneProgramPerProgramFolderAndAKilledOnesLockIsTakenOver)
{
    QTemporaryDir programDir, otherDir;
    QProcess first, other, second, next;
    ASSERT_TRUE(StartWatch(first, programDir.path()));
    ASSERT_TRUE(StartWatch(other, otherDir.path())) << "another program folder runs side by side";

    second.start(WatchExe, {QStringLiteral("--program-dir"), programDir.path()});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 1);
    // The computer's name is checked by the lock's own test.
    const QByteArray refusal = ConsoleText(second.readAllStandardError());
    EXPECT_TRUE(refusal.startsWith((QStringLiteral("DWX Tavrel Translator is already running for ") +
                                    QDir::toNativeSeparators(programDir.path()) + QStringLiteral(" (process ") +
                                    QString::number(first.processId()) + QStringLiteral(" on "))
                                       .toUtf8()) &&
                refusal.endsWith("). Close it first.\n"))
        << refusal.toStdString();
    EXPECT_EQ(second.readAllStandardOutput(), QByteArray()) << "nothing started";

    first.kill(); // leaves its lock file behind
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_TRUE(QFile::exists(programDir.filePath(QStringLiteral("tavrel.lock"))));
    ASSERT_TRUE(StartWatch(next, programDir.path()));
    EXPECT_TRUE(next.readLine().startsWith("tavrel-watch: program folder "));
    EXPECT_EQ(next.state(), QProcess::Running);
    EXPECT_EQ(other.state(), QProcess::Running);
    for (QProcess *watcher : {&other, &next}) {
        watcher->kill();
        watcher->waitForFinished(10000);
    }
}

TEST(WatchCli, ConvertsDroppedAndResavedSchedulesAtOnceAndStopsOnSigterm)
{
    QTemporaryDir programDir;
    ASSERT_TRUE(QDir(programDir.path()).mkdir(QStringLiteral("in")));
    const QString watch = programDir.filePath(QStringLiteral("in")) + u'/';
    const QString missing = programDir.filePath(QStringLiteral("missing")) + u'/';
    WriteBytes(programDir.filePath(QStringLiteral("Translator.ini")),
               "[Watch_Folder_1_Settings]\r\nActive=1\r\nPath=" + QFile::encodeName(watch) +
                   "\r\n[Watch_Folder_2_Settings]\r\nActive=1\r\nPath=" + QFile::encodeName(missing) + "\r\n");

    QProcess watcher;
    PrepareForRequestStop(watcher);
    watcher.start(WatchExe, {QStringLiteral("--program-dir"), programDir.path()});
    ASSERT_TRUE(watcher.waitForStarted(10000));

    const QString workbook = watch + QStringLiteral("Day1.xlsx");
    const QString eventFile = watch + QStringLiteral("Day1.TVX");
    ASSERT_TRUE(WriteOneEventSchedule(workbook));
    ASSERT_TRUE(WaitFor([&] { return writeTime(eventFile).isValid(); }, std::chrono::seconds(25)));
    const QDateTime firstWrite = writeTime(eventFile);

    // Saved again, one second after its event file was made. On Windows the scan opens each workbook for a moment
    // without sharing, and a save that lands then fails; it is tried again, as an editor would.
    ASSERT_TRUE(WaitFor([&] { return WriteOneEventSchedule(workbook); }, std::chrono::seconds(5)));
    const int64_t savedAt = firstWrite.toSecsSinceEpoch() + 1;
    ASSERT_TRUE(SetFileTimesSince1970(workbook, savedAt, 0, savedAt));
    // Sooner than the 10 s pause after the scan that found it: the folder's notification starts the next scan.
    EXPECT_TRUE(WaitFor([&] { return writeTime(eventFile) > firstWrite; }, std::chrono::seconds(8)));

    const bool asked = RequestStop(watcher);
    if (!asked)
        watcher.kill();
    ASSERT_TRUE(watcher.waitForFinished(10000));
    // What it works with comes first, so the journal shows a wrong folder or a missing file.
    const QByteArray out = ConsoleText(watcher.readAllStandardOutput());
    const QByteArray dir = QDir::toNativeSeparators(programDir.path()).toUtf8();
    EXPECT_TRUE(out.startsWith("tavrel-watch: program folder " + dir +
                               "\ntavrel-watch: watching folder 1: " + QDir::toNativeSeparators(watch).toUtf8() +
                               "\ntavrel-watch: watching folder 2: " + QDir::toNativeSeparators(missing).toUtf8() +
                               " (folder not found)\ntavrel-watch: DWX.INI not found in " + dir +
                               ": default destinations used\n"))
        << out.toStdString();
    EXPECT_EQ(out.count("Make TVX File for : Day1.xlsx\n"), 2);
    if (!asked)
        GTEST_SKIP() << "no console to send Ctrl+Break through here; scripts/test-windows stops it with Ctrl+C";
    EXPECT_EQ(watcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watcher.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(programDir.filePath(QStringLiteral("tavrel.lock"))));
}

} // namespace
