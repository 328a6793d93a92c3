#include "output/ActivityLog.h"
#include "output/EventFile.h"
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

const auto NotMade = testing::MatchesRegex(R"(TVX File not made for : Day1\.xlsx \(.+\))");

using Dispatch = CoreTest;

TEST_F(Dispatch, ServesTheLowestEntryFirstAndFreesIt)
{
    activate(1, watch1, 1);
    for (const char *name : {"a.txt", "b.txt", "c.txt"})
        addFile(watch1, QString::fromUtf8(name), 100);
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(ReadBytes(watch1 + "a.TVX"), RenderEventFile(EventList{}));
    EXPECT_FALSE(QFile::exists(watch1 + "b.TVX"));
    EXPECT_EQ(pending(), (QStringList{"1:b.txt", "1:c.txt"}));

    // The freed entry 0 takes the next new request, which is therefore served before older ones.
    addFile(watch1, QStringLiteral("z.txt"), 100);
    scanOnce();
    scanOnce();
    EXPECT_EQ(pending(), (QStringList{"1:z.txt", "1:b.txt", "1:c.txt"}));
    for (int tick = 0; tick < 4; ++tick)
        core->timeWatch_Timer();
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_EQ(messages(), (QStringList{"Make TVX File for : a.txt", "Make TVX File for : z.txt",
                                       "Make TVX File for : b.txt", "Make TVX File for : c.txt"}));
}

TEST_F(Dispatch, WorkbookStillBeingWrittenIsLeftForLater)
{
    activate(1, watch1);
    const QString workbook = watch1 + QStringLiteral("Day1.xlsx");
    const time_t started = clock.now().toSecsSinceEpoch();
    WriteBytes(workbook, "PK\x03\x04 first chunk");
    SetWriteTime(workbook, started);
    scanOnce();
    core->timeWatch_Timer();
    // Then complete, under the time the copy started with, as a copy keeping the source's time leaves it.
    clock.set(clock.now().addMSecs(400));
    WriteSchedule(workbook, started);
    core->timeWatch_Timer();
    clock.set(clock.now().addMSecs(400));
    core->timeWatch_Timer();
    EXPECT_TRUE(view.logLines.empty());
    EXPECT_EQ(pending(), QStringList{QStringLiteral("1:Day1.xlsx")});

    clock.set(clock.now().addMSecs(100)); // 500 ms after the size changed
    core->timeWatch_Timer();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Make TVX File for : Day1.xlsx")});
    EXPECT_TRUE(QFile::exists(watch1 + QStringLiteral("Day1.TVX")));
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
    EXPECT_TRUE(pending().isEmpty());
    ASSERT_EQ(messages().size(), 2);
    EXPECT_EQ(messages()[0], "Make TVX File for : Day1.xlsx");
    EXPECT_THAT(messages()[1].toStdString(), NotMade);

    // Queued again by every scan, but freed without reading or logging while it stays the same.
    scanOnce();
    EXPECT_EQ(pending().size(), 1);
    core->timeWatch_Timer();
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_EQ(messages().size(), 2);

    WriteSchedule(watch1 + "Day1.xlsx", 300);
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(messages().size(), 3);
    EXPECT_EQ(ReadBytes(watch1 + "Day1.TVX").count("\r\n"), 1 + 13);
}

// Each failed attempt says so, even when the reason is the same as last time.
TEST_F(Dispatch, EveryFailedWriteIsLoggedAndRetried)
{
    activate(1, watch1);
    WriteSchedule(watch1 + "Day1.xlsx", 100);
    ASSERT_TRUE(QDir(watch1).mkdir(QStringLiteral("Day1.TVX"))); // the event file cannot replace a folder
    for (int attempt = 0; attempt < 2; ++attempt) {
        scanOnce();
        core->timeWatch_Timer();
    }
    const QString make = QStringLiteral("Make TVX File for : Day1.xlsx");
    const QString notMade =
        "TVX File not made for : Day1.xlsx (cannot write " + watch1 + "Day1.TVX: Filename refers to a directory)";
    EXPECT_EQ(messages(), (QStringList{make, notMade, make, notMade}));
    EXPECT_EQ(core->panel(1).LastFile, "Day1.xlsx not made"); // until the next success
    EXPECT_EQ(core->panel(1).LastFailure, notMade.section(u'(', 1).chopped(1));

    ASSERT_TRUE(QDir(watch1).rmdir(QStringLiteral("Day1.TVX")));
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(messages().size(), 5);
    EXPECT_EQ(core->panel(1).LastFile, "Day1.TVX  14:05:33");
    EXPECT_TRUE(core->panel(1).LastFailure.isEmpty());
}

TEST_F(Dispatch, RequestOfAFolderWhosePathWasClearedTouchesNothing)
{
    // The watch folder is the working folder, where a bare file name would land.
    const QString workingDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(watch1));
    activate(1, watch1);
    WriteSchedule(watch1 + "Day1.xlsx", 100);
    scanOnce();
    ASSERT_EQ(pending().size(), 1);
    core->WatchFolderSettings()[1].Path.clear();
    core->timeWatch_Timer();
    QDir::setCurrent(workingDir);
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_FALSE(QFile::exists(watch1 + "Day1.TVX"));
    EXPECT_TRUE(view.logLines.empty());
}

struct StartUpCase {
    const char *name;
    std::function<void(const QString &programDir)> prepare;
    QStringList notices; // "DIR" stands for the program folder
};

// Each active folder's log, and no other, says at start-up what is wrong with the router configuration.
TEST(StartUp, MissingOrUnreadableRouterFilesAreLoggedForEachActiveFolder)
{
    const StartUpCase cases[] = {
        {"missing",
         [](const QString &) {},
         {"DWX.INI not found in DIR: default destinations used",
          "RT-IN1.LST not found in DIR: sources not matched, input 0 used"}},
        {"folders in their place",
         [](const QString &dir) {
             ASSERT_TRUE(QDir(dir).mkdir("DWX.INI"));
             ASSERT_TRUE(QDir(dir).mkdir("RT-IN1.LST"));
         },
         {"DWX.INI cannot be read: is a folder: default destinations used",
          "RT-IN1.LST cannot be read: is a folder: sources not matched, input 0 used"}},
        {"present",
         [](const QString &dir) {
             for (const char *name : {"DWX.INI", "RT-IN1.LST"})
                 ASSERT_TRUE(QFile::copy(Fixtures + "config/" + name, dir + u'/' + QLatin1String(name)));
         },
         {}},
    };
    for (const StartUpCase &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir programDir;
        c.prepare(programDir.path());
        WriteBytes(TranslatorIniPath(programDir.path()), "[Watch_Folder_1_Settings]\r\nActive=1\r\nPath=/srv/in/\r\n");
        ManualClock clock(QDateTime(QDate(2026, 12, 4), QTime(14, 5, 33)));
        RecordingView view;
        TranslatorCore core(programDir.path(), clock, view);
        core.Form_Load();

        QStringList notices = c.notices;
        notices.replaceInStrings(QStringLiteral("DIR"), programDir.path());
        EXPECT_EQ(core.StartupNotices(), notices);
        QByteArray log;
        for (const QString &notice : std::as_const(notices))
            log += "12-04-2026  14:05:33 " + notice.toUtf8() + "\r\n";
        EXPECT_EQ(ReadBytes(LogFilePath(programDir.path(), 1, QDate(2026, 12, 4))), log.isEmpty() ? "<missing>" : log);
        EXPECT_FALSE(QFile::exists(LogFilePath(programDir.path(), 2, QDate(2026, 12, 4))));
        EXPECT_TRUE(view.logLines.empty()); // the caller shows the notices once
    }
}

} // namespace

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
    const QString watch = programDir.path() + u'/';
    const QString workbook = watch + QStringLiteral("Day1.xlsx");
    SavingClock clock;
    RecordingView view;
    TranslatorCore core(programDir.path(), clock, view);
    core.Form_Load();
    core.WatchFolderSettings()[1] = {true, watch, 0};
    WriteSchedule(workbook, 100);
    for (int tick = 0; tick < 200 && !core.ConversionQueue()[0].Pending; ++tick)
        core.timeMain_Timer();
    ASSERT_TRUE(core.ConversionQueue()[0].Pending);

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
    ASSERT_TRUE(QFile::exists(watch + QStringLiteral("Day1.TVX")));
    EXPECT_TRUE(core.ConversionQueue()[0].Pending);
    EXPECT_EQ(core.ConversionQueue()[0].FileName, QStringLiteral("Day1.xlsx"));
}
