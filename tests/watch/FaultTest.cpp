// Faults of the file system and of the user, end to end through both tick handlers: nothing crashes, every
// failure is logged, nothing is lost, and an event file is only ever replaced by a complete new one.
#include "config/WatchSettings.h"
#include "convert/WorkbookCells.h"
#include "output/ActivityLog.h"
#include "tests/support/WatchTestSupport.h"
#include "tests/support/XlsxBuilder.h"

#include <QProcess>
#include <array>

namespace {

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
        const FileSizeLimit disk(limit);
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

// Names with quotes, non-ASCII letters, a surrogate pair, leading blanks and an upper-case extension.
TEST_F(Fault, AwkwardNamesAreConvertedOnceUnderTheirOwnPrefix)
{
    activate(1, watch1);
    QStringList names{QStringLiteral("Day \"1\" final.xlsx"), QString::fromUtf8("Ünïcödé – 日本語 😀.xlsx"),
                      QStringLiteral("  leading blanks.XLSX")};
    names.removeIf([](const QString &name) { return !IsValidFileName(name); }); // Windows refuses quotes
    for (const QString &name : names)
        CopyExample(watch1 + name, 200);
    cycle();
    QStringList made;
    for (const QString &name : names) {
        const QString eventFileName = name.left(name.indexOf(u'.') + 1) + QStringLiteral("TVX");
        EXPECT_EQ(ReadBytes(watch1 + eventFileName), m_example) << name.toStdString();
        made.append(QStringLiteral("Make TVX File for : ") + name);
    }
    made.sort();
    QStringList logged = messages();
    logged.sort();
    EXPECT_EQ(logged, made);
    const QByteArray log = ReadBytes(LogFilePath(programDir.path(), 1, clock.now().date()));
    EXPECT_TRUE(log.contains((made[0] + QStringLiteral("\r\n")).toUtf8()));

    cycle();
    EXPECT_EQ(messages().size(), names.size()) << "up to date after one conversion";
}

} // namespace
