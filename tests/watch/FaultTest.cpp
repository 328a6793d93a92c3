// Faults of the file system and of the user, end to end through both tick handlers: nothing crashes, every
// failure is logged, nothing is lost, and an event file is only ever replaced by a complete new one.
#include "WatchTestSupport.h"
#include "config/WatchSettings.h"
#include "convert/ScheduleWorkbook.h"
#include "convert/WorkbookCells.h"
#include "output/ActivityLog.h"
#include "output/EventFile.h"
#include "tests/convert/XlsxBuilder.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// A schedule of `rows` valid rows (VR 1.., 10:00 on, "News n" from "CAM 1"), written with the given time.
void WriteSchedule(const QString &path, time_t writeTime, int rows = 1, const QString &name = QStringLiteral("News"))
{
    QString sheetData;
    for (int i = 0; i < rows; ++i) {
        const QString r = QString::number(FirstScheduleRow + i);
        sheetData +=
            RowXml(FirstScheduleRow + i, NumberCell(u'J' + r, QString::number(1 + i % 32)) +
                                             NumberCell(u'K' + r, QString::number((600 + i) / 1440.0, 'g', 17)) +
                                             NumberCell(u'L' + r, QString::number((601 + i) / 1440.0, 'g', 17)) +
                                             InlineStringCell(u'R' + r, name + u' ' + QString::number(i)) +
                                             InlineStringCell(u'V' + r, QStringLiteral("CAM 1")));
    }
    ASSERT_TRUE(WriteTestWorkbook(path, sheetData));
    SetWriteTime(path, writeTime);
}

// Replaces path by other in one rename, as a program saving through a temporary file does.
void RenameOver(const QString &other, const QString &path)
{
    ASSERT_EQ(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()), 0);
}

// Every file write beyond `bytes` fails with EFBIG, as on a full disk; root is not exempt.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool active() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_set = false;
};

class Fault : public CoreTest
{
protected:
    // One whole scan of the next active folder, then dispatch ticks until no request is left.
    void cycle()
    {
        scanOnce();
        for (int tick = 0; tick < 20000 && !pending().isEmpty(); ++tick)
            core->timeWatch_Timer();
    }

    QStringList messages() const
    {
        QStringList result;
        for (const auto &[folder, line] : view.logLines)
            result.append(line.mid(21)); // after "12-04-2026  14:05:33 "
        return result;
    }

    // The event file the dispatch must have written for this workbook now.
    QByteArray expectedEventFile(const QString &workbook) const
    {
        EventList events;
        EXPECT_EQ(ReadScheduleWorkbook(workbook, core->Router(), clock.now().date(), events), QString());
        return RenderEventFile(events);
    }

    // Names in the folder in code-unit order, hidden ones (a temporary file) included.
    static QStringList entries(const QString &folder)
    {
        QStringList names =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }
};

TEST_F(Fault, FullDiskKeepsTheOldEventFileAndIsRetried)
{
    activate(1, watch1);
    const QByteArray old = "DWX300\r\nthe previous conversion\r\n";
    addFile(watch1, QStringLiteral("Day1.TVX"), 100, old);
    WriteSchedule(watch1 + QStringLiteral("Day1.xlsx"), 200, 40); // about 100 kB of event file
    scanOnce();
    ASSERT_EQ(pending(), QStringList{QStringLiteral("1:Day1.xlsx")});
    {
        const FileSizeLimit disk(8192);
        ASSERT_TRUE(disk.active());
        core->timeWatch_Timer();
    }
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), old);
    EXPECT_EQ(entries(watch1), (QStringList{QStringLiteral("Day1.TVX"), QStringLiteral("Day1.xlsx")}));
    ASSERT_EQ(messages().size(), 2);
    EXPECT_TRUE(messages()[1].startsWith(QStringLiteral("TVX File not made for : Day1.xlsx (")))
        << messages()[1].toStdString();
    EXPECT_TRUE(core->panel(1).LastFile.isEmpty());

    // Space again: the next scan finds the stale event file and the conversion succeeds.
    cycle();
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), expectedEventFile(watch1 + QStringLiteral("Day1.xlsx")));
    EXPECT_EQ(entries(watch1), (QStringList{QStringLiteral("Day1.TVX"), QStringLiteral("Day1.xlsx")}));
}

TEST_F(Fault, ReadOnlyWatchFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes anyway; the full-disk case injects the same failure";
    activate(1, watch1);
    WriteSchedule(watch1 + QStringLiteral("Day1.xlsx"), 200);
    ASSERT_TRUE(QFile::setPermissions(watch1, QFile::ReadOwner | QFile::ExeOwner));
    cycle();
    cycle();
    ASSERT_TRUE(QFile::setPermissions(watch1, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_FALSE(QFile::exists(watch1 + QStringLiteral("Day1.TVX")));
    ASSERT_EQ(messages().size(), 3) << "logged once, retried at the next scan";
    EXPECT_TRUE(messages()[1].startsWith(QStringLiteral("TVX File not made for : Day1.xlsx (")));
    cycle();
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), expectedEventFile(watch1 + QStringLiteral("Day1.xlsx")));
}

TEST_F(Fault, SpreadsheetDeletedBetweenScanAndDispatch)
{
    activate(1, watch1);
    const QByteArray old = "DWX300\r\n";
    addFile(watch1, QStringLiteral("Day1.TVX"), 100, old);
    WriteSchedule(watch1 + QStringLiteral("Day1.xlsx"), 200);
    scanOnce();
    ASSERT_TRUE(QFile::remove(watch1 + QStringLiteral("Day1.xlsx")));
    core->timeWatch_Timer();

    EXPECT_TRUE(pending().isEmpty());
    EXPECT_EQ(messages(), (QStringList{QStringLiteral("Make TVX File for : Day1.xlsx"),
                                       QStringLiteral("TVX File not made for : Day1.xlsx (file not found)")}));
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), old);
    cycle();
    EXPECT_EQ(messages().size(), 2) << "nothing left to convert";
}

TEST_F(Fault, SpreadsheetReplacedBetweenScanAndDispatch)
{
    activate(1, watch1);
    const QString workbook = watch1 + QStringLiteral("Day1.xlsx");
    const QString replacement = watch1 + QStringLiteral("~$Day1.tmp");
    WriteSchedule(workbook, 200, 1, QStringLiteral("Morning"));
    scanOnce();
    WriteSchedule(replacement, 300, 3, QStringLiteral("Evening"));
    RenameOver(replacement, workbook);
    core->timeWatch_Timer();
    const QByteArray converted = ReadBytes(watch1 + QStringLiteral("Day1.TVX"));
    EXPECT_EQ(converted, expectedEventFile(workbook)) << "the dispatch reads the file as it is then";
    EXPECT_TRUE(converted.contains(TextToByteCodes(QStringLiteral("Evening 2")).toUtf8()));

    // Saved again, then replaced by a damaged file before the dispatch: the last good event file stays.
    SetWriteTime(workbook, QDateTime::currentSecsSinceEpoch() + 3600);
    scanOnce();
    ASSERT_EQ(pending(), QStringList{QStringLiteral("1:Day1.xlsx")});
    WriteBytes(replacement, "PK\x03\x04 half of a workbook");
    RenameOver(replacement, workbook);
    core->timeWatch_Timer();
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), converted);
    EXPECT_TRUE(messages().last().startsWith(QStringLiteral("TVX File not made for : Day1.xlsx (damaged workbook: ")))
        << messages().last().toStdString();
    EXPECT_EQ(entries(watch1), (QStringList{QStringLiteral("Day1.TVX"), QStringLiteral("Day1.xlsx")}));
}

TEST_F(Fault, WatchFolderDisappearsAndComesBack)
{
    activate(1, watch1);
    const QString away = programDir.filePath(QStringLiteral("watch1.away"));
    const QString watch1Dir = programDir.filePath(QStringLiteral("watch1"));
    WriteSchedule(watch1 + QStringLiteral("Day1.xlsx"), 200);
    scanOnce();
    ASSERT_TRUE(QDir().rename(watch1Dir, away)); // gone while its request waits
    core->timeWatch_Timer();
    EXPECT_EQ(messages().last(), QStringLiteral("TVX File not made for : Day1.xlsx (file not found)"));

    cycle();
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (0 XLS Files) (0 TVX Files)"));
    EXPECT_TRUE(pending().isEmpty());

    // A regular file where the folder was lists nothing either.
    WriteBytes(watch1Dir, "not a folder");
    cycle();
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (0 XLS Files) (0 TVX Files)"));
    ASSERT_TRUE(QFile::remove(watch1Dir));

    ASSERT_TRUE(QDir().rename(away, watch1Dir));
    SetWriteTime(watch1 + QStringLiteral("Day1.xlsx"), 300); // changed while away: read again
    cycle();
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), expectedEventFile(watch1 + QStringLiteral("Day1.xlsx")));
    cycle();
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (1 XLS Files) (1 TVX Files)"));
    EXPECT_EQ(messages().count(QStringLiteral("Make TVX File for : Day1.xlsx")), 2);
}

TEST_F(Fault, LogsFolderThatCannotBeCreated)
{
    activate(1, watch1);
    const QString logs = programDir.filePath(QStringLiteral("Logs"));
    WriteBytes(logs, "a file where the Logs folder belongs");
    WriteSchedule(watch1 + QStringLiteral("Day1.xlsx"), 200);
    cycle();
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), expectedEventFile(watch1 + QStringLiteral("Day1.xlsx")));
    EXPECT_EQ(ReadBytes(logs), "a file where the Logs folder belongs");
    EXPECT_EQ(core->panel(1).LastFile, QStringLiteral("Day1.TVX  14:05:33"));
}

TEST_F(Fault, TranslatorIniThatCannotBeWritten)
{
    const QString ini = TranslatorIniPath(programDir.path());
    ASSERT_TRUE(QDir().mkdir(ini)); // a folder in its place
    auto restarted = std::make_unique<TranslatorCore>(programDir.path(), clock, view);
    restarted->Form_Load();
    EXPECT_FALSE(restarted->WatchFolderSettings()[1].Active);

    // The dialog's apply: the table first, then the file, which cannot be written.
    WatchSettingsTable &table = restarted->WatchFolderSettings();
    table[1] = {true, watch1, 0};
    SaveWatchSettings(programDir.path(), table);
    EXPECT_TRUE(QFileInfo(ini).isDir());
    EXPECT_EQ(table[1].Path, watch1);
    EXPECT_TRUE(table[1].Active);

    // The program goes on with the values in memory.
    core = std::move(restarted);
    WriteSchedule(watch1 + QStringLiteral("Day1.xlsx"), 200);
    cycle();
    EXPECT_TRUE(QFile::exists(watch1 + QStringLiteral("Day1.TVX")));

    // A program folder that does not exist: defaults, nothing written, nothing created.
    const QString missing = programDir.filePath(QStringLiteral("missing/program"));
    TranslatorCore homeless(missing, clock, view);
    homeless.Form_Load();
    SaveWatchSettings(missing, homeless.WatchFolderSettings());
    homeless.timeMain_Timer();
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(Fault, TenThousandFilesInOneFolder)
{
    activate(1, watch1);
    constexpr int Count = 10000;
    for (int i = 0; i < Count; ++i) {
        const QString prefix = QStringLiteral("S%1.").arg(i, 5, 10, QLatin1Char('0'));
        addFile(watch1, prefix + QStringLiteral("xlsx"), 100);
        addFile(watch1, prefix + QStringLiteral("TVX"), 200);
    }
    const QStringList stale = {QStringLiteral("S00000.xlsx"), QStringLiteral("S04001.xlsx"),
                               QStringLiteral("S09999.xlsx")};
    for (const QString &name : stale)
        WriteSchedule(watch1 + name, 300, 2);

    scanOnce();
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (10000 XLS Files) (10000 TVX Files)"));
    EXPECT_EQ(pending(), (QStringList{QStringLiteral("1:") + stale[0], QStringLiteral("1:") + stale[1],
                                      QStringLiteral("1:") + stale[2]}));
    for (int tick = 0; tick < 3; ++tick)
        core->timeWatch_Timer();
    for (const QString &name : stale) {
        const QString eventFile = watch1 + name.left(7) + QStringLiteral("TVX");
        EXPECT_EQ(ReadBytes(eventFile), expectedEventFile(watch1 + name)) << name.toStdString();
    }
    cycle();
    EXPECT_TRUE(pending().isEmpty());
    EXPECT_EQ(entries(watch1).size(), 2 * Count);
}

class AwkwardName : public Fault, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(AwkwardName, ConvertsOnceUnderItsOwnPrefix)
{
    activate(1, watch1);
    const QString name = QString::fromUtf8(GetParam());
    const QString eventFileName = name.left(name.indexOf(u'.') + 1) + QStringLiteral("TVX");
    WriteSchedule(watch1 + name, 200, 2, name);
    cycle();
    EXPECT_EQ(ReadBytes(watch1 + eventFileName), expectedEventFile(watch1 + name));
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Make TVX File for : ") + name});
    EXPECT_EQ(core->panel(1).LastFile, eventFileName + QStringLiteral("  14:05:33"));
    const QByteArray log = ReadBytes(LogFilePath(programDir.path(), 1, clock.now().date()));
    EXPECT_TRUE(log.contains((QStringLiteral("Make TVX File for : ") + name + QStringLiteral("\r\n")).toUtf8()));

    cycle();
    EXPECT_EQ(messages().size(), 1) << "up to date after one conversion";
    QStringList both{eventFileName, name};
    both.sort();
    EXPECT_EQ(entries(watch1), both);
}

INSTANTIATE_TEST_SUITE_P(Names, AwkwardName,
                         ::testing::Values("Day 1 final.xlsx", "Day \"1\".xlsx", "a,b,c.xlsx", "#1 News.xlsx",
                                           "Ünïcödé – 日本語 😀.xlsx", "  leading blanks.XLSX", "x.xlsx",
                                           "semi;colon's [1] (2) {3} $HOME `cmd` *?.xlsx"));

TEST_F(Fault, NamesOfFourAndFiveCharacters)
{
    // "*.TXT" folders: ".TXT" (4 characters) is hidden and never listed; "A.TXT" (5) is converted.
    activate(1, watch1, 1);
    addFile(watch1, QStringLiteral(".TXT"), 200);
    addFile(watch1, QStringLiteral("A.TXT"), 200);
    cycle();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Make TVX File for : A.TXT")});
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("A.TVX")), RenderEventFile(EventList{}));
    EXPECT_FALSE(QFile::exists(watch1 + QStringLiteral(".TVX")));
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (1 XLS Files) (0 TVX Files)"));
}

TEST_F(Fault, LongestFileNameTheSystemAllows)
{
    activate(1, watch1);
    const QString name = QString(250, QLatin1Char('L')) + QStringLiteral(".xlsx"); // 255 bytes, the limit
    WriteSchedule(watch1 + QStringLiteral("~$short"), 200);                        // libzip cannot write to such a name
    RenameOver(watch1 + QStringLiteral("~$short"), watch1 + name);
    cycle();
    const QString eventFile = watch1 + QString(250, QLatin1Char('L')) + QStringLiteral(".TVX");
    EXPECT_EQ(ReadBytes(eventFile), expectedEventFile(watch1 + name));
    EXPECT_EQ(entries(watch1).size(), 2);
}

} // namespace
