#include "WatchTestSupport.h"
#include "output/ActivityLog.h"
#include "output/EventFile.h"
#include "tests/convert/XlsxBuilder.h"

namespace {

// A schedule with one valid row: VR 1, 12:00 to 12:15, "News" from "CAM 1".
void WriteSchedule(const QString &path, time_t writeTime)
{
    const QString row = RowXml(5, NumberCell(QStringLiteral("J5"), QStringLiteral("1")) +
                                      NumberCell(QStringLiteral("K5"), QStringLiteral("0.5")) +
                                      NumberCell(QStringLiteral("L5"), QStringLiteral("0.5104166666666666")) +
                                      InlineStringCell(QStringLiteral("R5"), QStringLiteral("News")) +
                                      InlineStringCell(QStringLiteral("V5"), QStringLiteral("CAM 1")));
    ASSERT_TRUE(WriteTestWorkbook(path, row));
    SetWriteTime(path, writeTime);
}

QStringList Messages(const RecordingView &view)
{
    QStringList messages;
    for (const auto &[folder, line] : view.logLines)
        messages.append(line.mid(21)); // after "12-04-2026  14:05:33 "
    return messages;
}

using Dispatch = CoreTest;

TEST_F(Dispatch, ServesTheLowestEntryFirstAndFreesIt)
{
    activate(1, watch1, 1);
    for (const char *name : {"a.txt", "b.txt", "c.txt"})
        addFile(watch1, QString::fromUtf8(name), 100);
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("a.TVX")), RenderEventFile(EventList{}));
    EXPECT_FALSE(QFile::exists(watch1 + QStringLiteral("b.TVX")));
    EXPECT_EQ(pending(), (QStringList{QStringLiteral("1:b.txt"), QStringLiteral("1:c.txt")}));

    // The freed entry 0 takes the next new request, which is therefore served before older ones.
    addFile(watch1, QStringLiteral("z.txt"), 100);
    scanOnce();
    scanOnce();
    EXPECT_EQ(pending(),
              (QStringList{QStringLiteral("1:z.txt"), QStringLiteral("1:b.txt"), QStringLiteral("1:c.txt")}));
    for (int tick = 0; tick < 4; ++tick)
        core->timeWatch_Timer();
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_EQ(Messages(view),
              (QStringList{QStringLiteral("Make TVX File for : a.txt"), QStringLiteral("Make TVX File for : z.txt"),
                           QStringLiteral("Make TVX File for : b.txt"), QStringLiteral("Make TVX File for : c.txt")}));
}

TEST_F(Dispatch, NamesTheEventFileAfterThePrefixInTheWatchFolder)
{
    const QString showFolder = programDir.filePath(QStringLiteral("Show.2024")) + u'/';
    ASSERT_TRUE(QDir(programDir.path()).mkdir(QStringLiteral("Show.2024")));
    activate(1, showFolder);
    WriteSchedule(showFolder + QStringLiteral("Day1.final.xlsx"), 100);
    WriteSchedule(showFolder + QStringLiteral("day2.XLSX"), 100);
    scanOnce();
    core->timeWatch_Timer();
    core->timeWatch_Timer();
    EXPECT_EQ(QDir(showFolder).entryList({QStringLiteral("*.TVX")}, QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("Day1.TVX"), QStringLiteral("day2.TVX")}));
    EXPECT_EQ(core->panel(1).LastFile, QStringLiteral("day2.TVX  14:05:33"));
}

TEST_F(Dispatch, UnreadableWorkbookLeavesTheEventFileAndIsReadAgainOnlyWhenChanged)
{
    activate(1, watch1);
    const QByteArray good = "DWX300\r\nearlier conversion\r\n";
    addFile(watch1, QStringLiteral("Day1.TVX"), 100, good);
    addFile(watch1, QStringLiteral("Day1.xlsx"), 200, "not a workbook");
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), good);
    EXPECT_TRUE(pending().isEmpty());
    ASSERT_EQ(Messages(view).size(), 2);
    EXPECT_EQ(Messages(view)[0], QStringLiteral("Make TVX File for : Day1.xlsx"));
    EXPECT_TRUE(Messages(view)[1].startsWith(QStringLiteral("TVX File not made for : Day1.xlsx (")));
    EXPECT_TRUE(Messages(view)[1].endsWith(u')'));

    // Queued again by every scan, but freed without reading or logging while it stays the same.
    scanOnce();
    EXPECT_EQ(pending().size(), 1);
    core->timeWatch_Timer();
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_EQ(Messages(view).size(), 2);

    WriteSchedule(watch1 + QStringLiteral("Day1.xlsx"), 300);
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(Messages(view).size(), 3);
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")).count("\r\n"), 1 + 13);
}

TEST_F(Dispatch, FailedWriteIsLoggedOncePerReasonAndRetried)
{
    activate(1, watch1);
    WriteSchedule(watch1 + QStringLiteral("Day1.xlsx"), 100);
    ASSERT_TRUE(QDir(watch1).mkdir(QStringLiteral("Day1.TVX"))); // the event file cannot replace a folder
    for (int attempt = 0; attempt < 2; ++attempt) {
        scanOnce();
        core->timeWatch_Timer();
    }
    const QStringList messages = Messages(view);
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("TVX File not made for : Day1.xlsx (")));
    EXPECT_EQ(messages[2], QStringLiteral("Make TVX File for : Day1.xlsx"));
    EXPECT_TRUE(core->panel(1).LastFile.isEmpty());

    ASSERT_TRUE(QDir(watch1).rmdir(QStringLiteral("Day1.TVX")));
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(Messages(view).size(), 4);
    EXPECT_EQ(core->panel(1).LastFile, QStringLiteral("Day1.TVX  14:05:33"));
}

TEST(DispatchEndToEnd, ConvertsADroppedScheduleThroughBothHandlers)
{
    QTemporaryDir programDir;
    ASSERT_TRUE(QDir(programDir.path()).mkdir(QStringLiteral("in")));
    const QString watch = programDir.filePath(QStringLiteral("in"));
    WriteBytes(TranslatorIniPath(programDir.path()),
               "[Watch_Folder_1_Settings]\r\nActive=1\r\nPath=" + watch.toUtf8() + "\r\nFormat=0\r\n");
    WriteSchedule(watch + QStringLiteral("/Day1.xlsx"), 100);

    ManualClock clock(QDateTime(QDate(2026, 12, 4), QTime(14, 5, 33)));
    RecordingView view;
    TranslatorCore core(programDir.path(), clock, view);
    core.Form_Load();
    EXPECT_TRUE(core.panel(1).Enabled);
    for (int tick = 0; tick < 119; ++tick)
        core.timeMain_Timer();
    EXPECT_EQ(core.panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (1 XLS Files) (0 TVX Files)"));
    core.timeWatch_Timer();

    const QByteArray eventFile = ReadBytes(watch + QStringLiteral("/Day1.TVX"));
    EXPECT_TRUE(eventFile.startsWith("DWX300\r\n"));
    EXPECT_EQ(eventFile.count("\r\n"), 1 + 13);
    EXPECT_EQ(ReadBytes(LogFilePath(programDir.path(), 1, QDate(2026, 12, 4))),
              QByteArray("12-04-2026  14:05:33 Make TVX File for : Day1.xlsx\r\n"));
    EXPECT_EQ(core.panel(1).LastFile, QStringLiteral("Day1.TVX  14:05:33"));

    // The new event file is newer than the workbook: the next scan of the folder queues nothing.
    for (int tick = 0; tick < 120; ++tick)
        core.timeMain_Timer();
    EXPECT_EQ(core.panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (1 XLS Files) (1 TVX Files)"));
    core.timeWatch_Timer();
    EXPECT_EQ(view.logLines.size(), 1u);
}

} // namespace

TEST(DispatchEmptyPath, RequestForAFolderWhosePathWasClearedTouchesNothing)
{
    QTemporaryDir programDir;
    const QString workingDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(programDir.path()));
    ManualClock clock;
    RecordingView view;
    TranslatorCore core(programDir.path(), clock, view);
    core.Form_Load();
    auto &settings = core.WatchFolderSettings()[1];
    settings.Active = true;
    settings.Path = programDir.path() + u'/';
    // The watch folder is the working folder, where a bare file name would land.
    WriteSchedule(settings.Path + QStringLiteral("Day1.xlsx"), 100);
    for (int tick = 0; tick < 200 && !core.ConversionQueue()[0].Pending; ++tick)
        core.timeMain_Timer();
    ASSERT_TRUE(core.ConversionQueue()[0].Pending);

    settings.Path.clear();
    core.timeWatch_Timer();
    QDir::setCurrent(workingDir);
    EXPECT_FALSE(core.ConversionQueue()[0].Pending);
    EXPECT_FALSE(QFile::exists(programDir.path() + QStringLiteral("/Day1.TVX")));
    EXPECT_TRUE(view.logLines.empty());
}
