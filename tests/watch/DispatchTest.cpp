#include "config/WatchSettings.h"
#include "output/ActivityLog.h"
#include "tests/support/WatchTestSupport.h"
#include "tests/support/XlsxBuilder.h"

#include <functional>
#include <gmock/gmock.h>

namespace {

void WriteSchedule(const QString &path, time_t writeTime)
{
    ASSERT_TRUE(WriteOneEventSchedule(path));
    SetWriteTime(path, writeTime);
}

using Dispatch = CoreTest;

// Written under the time the copy started with (a copy keeping the source's time), or under a time ahead of the
// clock (another machine's): converted 500 ms after the last change seen.
TEST_F(Dispatch, WorkbookStillBeingWrittenIsLeftForLater)
{
    activate(1, watch1);
    const QString workbook = watch1 + QStringLiteral("Day1.xlsx");
    for (const time_t ahead : {0, 3600}) {
        SCOPED_TRACE(ahead);
        view.logLines.clear();
        const time_t written = clock.now().toSecsSinceEpoch() + ahead;
        addFile(watch1, QStringLiteral("Day1.xlsx"), written, "PK\x03\x04 first chunk");
        scanOnce();
        core->timeWatch_Timer();
        clock.set(clock.now().addMSecs(400));
        WriteSchedule(workbook, written);
        core->timeWatch_Timer();
        clock.set(clock.now().addMSecs(400));
        core->timeWatch_Timer();
        EXPECT_TRUE(view.logLines.empty());
        clock.set(clock.now().addMSecs(100)); // 500 ms after the size changed
        core->timeWatch_Timer();
        EXPECT_EQ(messages(), QStringList{QStringLiteral("Make TVX File for : Day1.xlsx")});
        EXPECT_TRUE(QFile::remove(watch1 + QStringLiteral("Day1.TVX")));
    }
}

TEST_F(Dispatch, UnreadableWorkbookLeavesTheEventFileAndIsReadAgainOnlyWhenChanged)
{
    activate(1, watch1);
    const QByteArray good = "DWX300\r\nearlier conversion\r\n";
    addFile(watch1, QStringLiteral("Day1.TVX"), 100, good);
    addFile(watch1, QStringLiteral("Day1.xlsx"), 200, "not a workbook");
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(ReadBytes(watch1 + "Day1.TVX"), good);
    ASSERT_EQ(messages().size(), 2);
    EXPECT_THAT(messages()[1].toStdString(), testing::MatchesRegex(R"(TVX File not made for : Day1\.xlsx \(.+\))"));

    // Queued again by every scan, but freed without reading or logging while it stays the same.
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_EQ(messages().size(), 2);

    WriteSchedule(watch1 + "Day1.xlsx", 300);
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(messages().mid(2),
              QStringList({"Make TVX File for : Day1.xlsx", "TVX File made for : Day1.xlsx after 1 failed attempt"}));
    EXPECT_EQ(ReadBytes(watch1 + "Day1.TVX").count("\r\n"), 1 + 13);

    // The success ends the streak: the next conversion is logged as any other.
    SetWriteTime(watch1 + "Day1.TVX", 250);
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(messages().mid(4), QStringList{"Make TVX File for : Day1.xlsx"});
}

// A change scan soon after a failed write, which may have set it off, leaves the workbook until a pause has passed.
TEST_F(Dispatch, AFailedWriteIsRetriedByAChangeScanOnlyAfterAPause)
{
    activate(1, watch1);
    WriteSchedule(watch1 + "Day1.xlsx", 100);
    ASSERT_TRUE(QDir(watch1).mkdir("Day1.TVX")); // no event file can replace a folder
    scanOnce();
    core->timeWatch_Timer();
    const QDateTime failed = clock.now();
    for (const int after : {TranslatorCore::ScanPauseInterval - 1, TranslatorCore::ScanPauseInterval}) {
        clock.set(failed.addMSecs(after));
        core->watchFolderChanged(1);
        scanOnce();
        EXPECT_EQ(pending().size(), after == TranslatorCore::ScanPauseInterval ? 1 : 0) << after;
    }
}

TEST_F(Dispatch, RequestOfAFolderWhosePathWasClearedTouchesNothing)
{
    // The watch folder is the working folder, where a bare file name would land.
    const QString workingDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(watch1));
    activate(1, watch1);
    WriteSchedule(watch1 + "Day1.xlsx", 100);
    scanOnce();
    core->WatchFolderSettings()[1].Path.clear();
    core->timeWatch_Timer();
    QDir::setCurrent(workingDir);
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_FALSE(QFile::exists(watch1 + "Day1.TVX"));
    EXPECT_TRUE(view.logLines.empty());
}

using StartUp = CoreTest;

// Each active folder's log, and no other, says at start-up what is wrong with the router configuration.
TEST_F(StartUp, MissingOrUnreadableRouterFilesAreLoggedForEachActiveFolder)
{
    const QString dir = programDir.path();
    ASSERT_TRUE(QDir(dir).mkdir("DWX.INI"));
    WriteBytes(TranslatorIniPath(dir), "[Watch_Folder_1_Settings]\r\nActive=1\r\nPath=/srv/in/\r\n");
    core = std::make_unique<TranslatorCore>(dir, clock, view);
    core->Form_Load();
    const QStringList notices{"DWX.INI cannot be read: is a folder: default destinations used",
                              "RT-IN1.LST not found in " + QDir::toNativeSeparators(dir) +
                                  ": sources not matched, input 0 used"};
    EXPECT_EQ(core->startupNotices(), notices);
    const QString time = QStringLiteral("12-04-2026  14:05:33 ");
    EXPECT_EQ(ReadBytes(LogFilePath(dir, 1, clock.now().date())),
              (time + notices.join("\r\n" + time) + "\r\n").toUtf8());
    EXPECT_FALSE(QFile::exists(LogFilePath(dir, 2, clock.now().date())));
    EXPECT_TRUE(view.logLines.empty()); // the caller shows the notices once
}

// Saves the workbook again on the given call of now(), the way a user's save can land between read and write.
class SavingClock final : public Clock
{
public:
    QDateTime now() const override
    {
        if (++calls == saveOnCall)
            save();
        return QDateTime(QDate(2026, 12, 2), QTime(12, 0));
    }
    std::function<void()> save;
    int saveOnCall = 0;
    mutable int calls = 0;
};

TEST(DispatchSavedMeanwhile, AWorkbookSavedDuringItsConversionIsQueuedAgain)
{
    QTemporaryDir programDir;
    const QString workbook = programDir.filePath(QStringLiteral("Day1.xlsx"));
    SavingClock clock;
    RecordingView view;
    TranslatorCore core(programDir.path(), clock, view);
    core.Form_Load();
    core.WatchFolderSettings()[1] = {true, programDir.path() + u'/', 0};
    WriteSchedule(workbook, 100);
    for (int tick = 0; tick < 200 && !core.ConversionQueue()[0].Pending; ++tick)
        core.timeMain_Timer();

    // Grown by one byte with an old time stamp: newer content the scan would never see as newer.
    clock.save = [&] {
        QFile file(workbook);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(" ");
        file.close();
        SetWriteTime(workbook, 100);
    };
    clock.saveOnCall = clock.calls + 3; // log line, event date, then the time shown after the write
    core.timeWatch_Timer();
    ASSERT_TRUE(QFile::exists(programDir.filePath(QStringLiteral("Day1.TVX"))));
    EXPECT_TRUE(core.ConversionQueue()[0].Pending);
}

} // namespace
