// Faults of the file system and of the user, end to end through both tick handlers: nothing crashes, every
// failure is logged, nothing is lost, and an event file is only ever replaced by a complete new one.
#include "WatchTestSupport.h"
#include "config/WatchSettings.h"
#include "convert/WorkbookCells.h"
#include "output/ActivityLog.h"
#include "tests/convert/XlsxBuilder.h"

#include <QProcess>
#include <array>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString Fixtures = QStringLiteral(TAVREL_SOURCE_DIR "/tests/fixtures/");

// A one-row schedule, written with the given time.
void WriteSchedule(const QString &path, time_t writeTime)
{
    const QString row =
        RowXml(FirstScheduleRow, NumberCell("J5", "1") + NumberCell("K5", "0.5") + NumberCell("L5", "0.6") +
                                     InlineStringCell("R5", "News") + InlineStringCell("V5", "CAM 1"));
    ASSERT_TRUE(WriteTestWorkbook(path, row));
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
    // The router configuration of the fixtures, under which expected/example.TVX is example's event file.
    void SetUp() override
    {
        CoreTest::SetUp();
        for (const char *name : {"DWX.INI", "RT-IN1.LST"})
            ASSERT_TRUE(QFile::copy(Fixtures + "config/" + name, programDir.filePath(name)));
        core = std::make_unique<TranslatorCore>(programDir.path(), clock, view);
        core->Form_Load();
    }

    // The example workbook of the fixtures, with the given last-write time.
    static void CopyExample(const QString &path, time_t writeTime)
    {
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(Fixtures + "schedules/example-libreoffice.xlsx", path));
        SetWriteTime(path, writeTime);
    }

    const QByteArray m_example = ReadBytes(Fixtures + "expected/example.TVX");

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

    // Names in the folder in code-unit order, hidden ones (a temporary file) included.
    static QStringList entries(const QString &folder)
    {
        QStringList names =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }
};

// Who replaces a file: tavrel-convert (a process of its own), the watcher's dispatch, or the settings save.
enum class Writer { Convert, Dispatch, Settings };
// Where the file-size limit stands against the size of the complete new file.
enum class Room { Half, OneByteShort, Exact, Double };

struct FullDiskTarget {
    const char *name; // the golden event file in tests/fixtures/expected, or "ini"
    Writer writer;
    QDate day;
};

const QByteArray OldEventFile = "DWX300\r\nthe previous conversion\r\n";
const QByteArray OldIni = "[Watch_Folder_1_Settings]\r\nActive=0\r\nPath=/old/\r\n\r\n[Other]\r\nKeep=this\r\n";
const QByteArray SavedIni = "[Watch_Folder_1_Settings]\r\nActive=1\r\nPath=/srv/day/\r\nFormat=0\r\n\r\n[Other]\r\n"
                            "Keep=this\r\n[Watch_Folder_2_Settings]\r\nActive=0\r\nPath=/\r\nFormat=0\r\n";

class FullDisk : public Fault, public ::testing::WithParamInterface<std::tuple<FullDiskTarget, Room>>
{
};

// example.TVX (one event) fits in any write buffer; schedule.TVX is larger than Qt's 16 KiB one.
TEST_P(FullDisk, ReplacesTheFileWholeOrLeavesItByteForByte)
{
    const auto &[target, room] = GetParam();
    const bool ini = target.writer == Writer::Settings;
    const QByteArray golden = ini ? SavedIni : ReadBytes(Fixtures + "expected/" + target.name + ".TVX");
    ASSERT_FALSE(golden.isEmpty());
    const qint64 size = golden.size();
    const qint64 limit = std::array{size / 2, size - 1, size, 2 * size}[size_t(room)];
    const bool fits = limit >= size;
    const QByteArray old = ini ? OldIni : OldEventFile;
    const QString path = ini ? TranslatorIniPath(programDir.path()) : watch1 + "Day1.TVX";
    const QString workbook = watch1 + "Day1.xlsx";
    addFile(ini ? programDir.path() + u'/' : watch1, QFileInfo(path).fileName(), 100, old);
    if (!ini) {
        ASSERT_TRUE(QFile::copy(Fixtures + "schedules/" + target.name + "-libreoffice.xlsx", workbook));
        SetWriteTime(workbook, 200);
        clock.set(QDateTime(target.day, QTime(14, 5, 33)));
        activate(1, watch1);
    }
    const QStringList before = entries(QFileInfo(path).path());

    QProcess convert;
    QString saved;
    {
        const FileSizeLimit disk{rlim_t(limit)};
        ASSERT_TRUE(disk.active());
        if (target.writer == Writer::Convert) {
            convert.start(QStringLiteral(TAVREL_CONVERT_EXE),
                          {"--config-dir", Fixtures + "config", "--date", target.day.toString(Qt::ISODate), workbook});
            convert.waitForFinished(30000);
        } else if (target.writer == Writer::Dispatch) {
            cycle();
            cycle(); // a failed attempt is retried at the next scan
        } else {
            WatchSettingsTable table{};
            table[1] = {true, QStringLiteral("/srv/day/"), 0};
            table[2] = {false, QStringLiteral("/"), 0};
            saved = SaveWatchSettings(programDir.path(), table);
        }
    }

    EXPECT_EQ(ReadBytes(path), fits ? golden : old);
    EXPECT_EQ(entries(QFileInfo(path).path()), before);
    const QString reason = QStringLiteral("cannot write ") + path + QStringLiteral(": File too large");
    // The schedule's rows that make no event, and its source missing from RT-IN1.LST, come before any failure.
    const QStringList rows = QLatin1String(target.name) != QLatin1String("schedule")
                                 ? QStringList{}
                                 : QStringList{R"(Row 8: source "Unknown Source" is not in RT-IN1.LST, input 0 used)",
                                               "Row 9 not used: VR number outside 1 to 32",
                                               "Row 10 not used: VR number outside 1 to 32",
                                               "Row 11 not used: VR number outside 1 to 32",
                                               "Row 12 not used: event name empty",
                                               "Row 13 not used: source name empty"};
    if (target.writer == Writer::Convert) {
        QString err;
        for (const QString &row : rows)
            err += "tavrel-convert: " + workbook + ": " + row + u'\n';
        if (!fits)
            err += "tavrel-convert: " + workbook + ": " + reason + u'\n';
        EXPECT_EQ(convert.exitCode(), fits ? 0 : 1);
        EXPECT_EQ(QString::fromUtf8(convert.readAllStandardError()), err);
    } else if (target.writer == Writer::Dispatch) {
        const QStringList attempt = QStringList{QStringLiteral("Make TVX File for : Day1.xlsx")} + rows;
        const QString notMade = "TVX File not made for : Day1.xlsx (" + reason + u')';
        EXPECT_EQ(messages(), fits ? attempt : attempt + QStringList{notMade} + attempt + QStringList{notMade});
        EXPECT_EQ(core->panel(1).LastFile,
                  fits ? QStringLiteral("Day1.TVX  14:05:33") : QStringLiteral("Day1.xlsx not made"));
    } else {
        EXPECT_EQ(saved, fits ? QString() : QStringLiteral("File too large"));
    }
}

std::string FullDiskCaseName(const ::testing::TestParamInfo<std::tuple<FullDiskTarget, Room>> &info)
{
    static const char *const Writers[] = {"Convert", "Dispatch", "Settings"};
    static const char *const Rooms[] = {"Half", "OneByteShort", "Exact", "Double"};
    const FullDiskTarget &target = std::get<0>(info.param);
    return std::string(Writers[int(target.writer)]) + "_" + target.name + "_" + Rooms[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Writers, FullDisk,
    ::testing::Combine(::testing::Values(FullDiskTarget{"example", Writer::Convert, QDate(2026, 12, 4)},
                                         FullDiskTarget{"schedule", Writer::Convert, QDate(2026, 12, 5)},
                                         FullDiskTarget{"example", Writer::Dispatch, QDate(2026, 12, 4)},
                                         FullDiskTarget{"schedule", Writer::Dispatch, QDate(2026, 12, 5)},
                                         FullDiskTarget{"ini", Writer::Settings, QDate()}),
                       ::testing::Values(Room::Half, Room::OneByteShort, Room::Exact, Room::Double)),
    FullDiskCaseName);

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
    WriteSchedule(workbook, 200);
    scanOnce();
    CopyExample(replacement, 300);
    RenameOver(replacement, workbook);
    core->timeWatch_Timer();
    const QByteArray converted = ReadBytes(watch1 + QStringLiteral("Day1.TVX"));
    EXPECT_EQ(converted, m_example) << "the dispatch reads the file as it is then";

    // Saved again, then replaced by a damaged file before the dispatch: the last good event file stays.
    SetWriteTime(workbook, QDateTime::currentSecsSinceEpoch() + 3600);
    scanOnce();
    ASSERT_EQ(pending(), QStringList{QStringLiteral("1:Day1.xlsx")});
    WriteBytes(replacement, "PK\x03\x04 half of a workbook");
    SetWriteTime(replacement, 400); // long settled, so the dispatch reads it at once
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
    CopyExample(watch1 + QStringLiteral("Day1.xlsx"), 200);
    scanOnce();
    ASSERT_TRUE(QDir().rename(watch1Dir, away)); // gone while its request waits
    core->timeWatch_Timer();
    EXPECT_EQ(messages().last(), QStringLiteral("TVX File not made for : Day1.xlsx (file not found)"));

    // The caption says so rather than show the counts of an empty folder.
    cycle();
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (folder not found)"));
    EXPECT_TRUE(pending().isEmpty());
    WriteBytes(watch1Dir, "not a folder");
    cycle();
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (folder not found)"));
    ASSERT_TRUE(QFile::remove(watch1Dir));
    ASSERT_TRUE(QDir().mkdir(watch1Dir));
    ASSERT_EQ(chmod(QFile::encodeName(watch1Dir).constData(), 0), 0);
    if (geteuid() != 0) { // root lists any folder
        cycle();
        EXPECT_EQ(core->panel(1).FrameCaption,
                  QStringLiteral("Watch Folder 1  (folder cannot be read: Permission denied)"));
    }
    ASSERT_TRUE(QDir().rmdir(watch1Dir));

    ASSERT_TRUE(QDir().rename(away, watch1Dir));
    SetWriteTime(watch1 + QStringLiteral("Day1.xlsx"), 300); // changed while away: read again
    cycle();
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), m_example);
    cycle();
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (1 XLS Files) (1 TVX Files)"));
    EXPECT_EQ(messages().count(QStringLiteral("Make TVX File for : Day1.xlsx")), 2);
}

TEST_F(Fault, LogsFolderThatCannotBeCreated)
{
    activate(1, watch1);
    const QString logs = programDir.filePath(QStringLiteral("Logs"));
    WriteBytes(logs, "a file where the Logs folder belongs");
    CopyExample(watch1 + QStringLiteral("Day1.xlsx"), 200);
    cycle();
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("Day1.TVX")), m_example);
    EXPECT_EQ(ReadBytes(logs), "a file where the Logs folder belongs");
    EXPECT_EQ(core->panel(1).LastFile, QStringLiteral("Day1.TVX  14:05:33"));
}

// The settings save says why it failed and touches nothing; the dialog shows that reason.
TEST_F(Fault, TranslatorIniThatCannotBeWritten)
{
    const QString ini = TranslatorIniPath(programDir.path());
    ASSERT_TRUE(QDir().mkdir(ini)); // a folder in its place
    auto restarted = std::make_unique<TranslatorCore>(programDir.path(), clock, view);
    restarted->Form_Load();
    EXPECT_FALSE(restarted->WatchFolderSettings()[1].Active);
    WatchSettingsTable table = restarted->WatchFolderSettings();
    table[1] = {true, watch1, 0};
    EXPECT_EQ(SaveWatchSettings(programDir.path(), table), "cannot be read: file to open is a directory");
    EXPECT_TRUE(QFileInfo(ini).isDir());

    // A program folder that does not exist: defaults, nothing written, nothing created.
    const QString missing = programDir.filePath(QStringLiteral("missing/program"));
    TranslatorCore homeless(missing, clock, view);
    homeless.Form_Load();
    EXPECT_EQ(SaveWatchSettings(missing, homeless.WatchFolderSettings()), "No such file or directory");
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
        CopyExample(watch1 + name, 300);

    scanOnce();
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (10000 XLS Files) (10000 TVX Files)"));
    EXPECT_EQ(pending(), (QStringList{QStringLiteral("1:") + stale[0], QStringLiteral("1:") + stale[1],
                                      QStringLiteral("1:") + stale[2]}));
    for (int tick = 0; tick < 3; ++tick)
        core->timeWatch_Timer();
    for (const QString &name : stale) {
        const QString eventFile = watch1 + name.left(7) + QStringLiteral("TVX");
        EXPECT_EQ(ReadBytes(eventFile), m_example) << name.toStdString();
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
    CopyExample(watch1 + name, 200);
    cycle();
    EXPECT_EQ(ReadBytes(watch1 + eventFileName), m_example);
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
    EXPECT_EQ(ReadBytes(watch1 + QStringLiteral("A.TVX")), QByteArray("DWX300\r\n"));
    EXPECT_FALSE(QFile::exists(watch1 + QStringLiteral(".TVX")));
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (1 XLS Files) (0 TVX Files)"));
}

TEST_F(Fault, LongestFileNameTheSystemAllows)
{
    activate(1, watch1);
    const QString name = QString(250, QLatin1Char('L')) + QStringLiteral(".xlsx"); // 255 bytes, the limit
    CopyExample(watch1 + name, 200);
    cycle();
    const QString eventFile = watch1 + QString(250, QLatin1Char('L')) + QStringLiteral(".TVX");
    EXPECT_EQ(ReadBytes(eventFile), m_example);
    EXPECT_EQ(entries(watch1).size(), 2);
}

} // namespace
