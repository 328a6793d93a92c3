// Faults of the file system and of the user, end to end through both tick handlers: nothing crashes, every
// failure is logged, nothing is lost, and an event file is only ever replaced by a complete new one.
#include "config/WatchSettings.h"
#include "tests/support/WatchTestSupport.h"

#include <QProcess>

namespace {

class Fault : public CoreTest
{
protected:
    // The router configuration of the fixtures, under which the golden event files were made.
    void SetUp() override
    {
        CoreTest::SetUp();
        for (const char *name : {"DWX.INI", "RT-IN1.LST"})
            ASSERT_TRUE(QFile::copy(Fixtures + "config/" + name, programDir.filePath(name)));
        core = std::make_unique<TranslatorCore>(programDir.path(), clock, view);
        core->Form_Load();
    }

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

// The file before the write; as settings, its other section is kept by the save.
const QByteArray Old = "[Watch_Folder_1_Settings]\r\nActive=0\r\nPath=/old/\r\n\r\n[Other]\r\nKeep=this\r\n";
const QByteArray SavedIni = "[Watch_Folder_1_Settings]\r\nActive=1\r\nPath=/srv/day/\r\nFormat=0\r\n\r\n[Other]\r\n"
                            "Keep=this\r\n[Watch_Folder_2_Settings]\r\nActive=0\r\nPath=/\r\nFormat=0\r\n";

// The parameter: who writes, and whether the complete new file fits under the file-size limit or misses one byte.
class FullDisk : public Fault, public ::testing::WithParamInterface<std::tuple<Writer, bool>>
{
};

// schedule.TVX is larger than Qt's 16 KiB write buffer, so a part of it reaches the disk before the write fails.
TEST_P(FullDisk, ReplacesTheFileWholeOrLeavesItByteForByte)
{
    const auto [writer, fits] = GetParam();
    const bool ini = writer == Writer::Settings;
    const QByteArray golden = ini ? SavedIni : ReadBytes(Fixtures + "expected/schedule.TVX");
    const QString path = ini ? TranslatorIniPath(programDir.path()) : watch1 + "Day1.TVX";
    const QString workbook = watch1 + "Day1.xlsx";
    addFile(QFileInfo(path).path() + u'/', QFileInfo(path).fileName(), 100, Old);
    if (!ini) {
        ASSERT_TRUE(QFile::copy(Fixtures + "schedules/schedule-libreoffice.xlsx", workbook));
        SetWriteTime(workbook, 200);
        clock.set(QDateTime(QDate(2026, 12, 5), QTime(14, 5, 33)));
        activate(1, watch1);
    }
    const QStringList before = entries(QFileInfo(path).path());

    QProcess convert;
    QString saved;
    {
        const FileSizeLimit disk(fits ? golden.size() : golden.size() - 1);
        ASSERT_TRUE(disk.active());
        if (writer == Writer::Convert) {
            convert.start(QStringLiteral(TAVREL_CONVERT_EXE),
                          {"--config-dir", Fixtures + "config", "--date", "2026-12-05", workbook});
            convert.waitForFinished(30000);
        } else if (writer == Writer::Dispatch) {
            cycle();
            cycle(); // a failed attempt is retried at the next scan
        } else {
            WatchSettingsTable table{};
            table[1] = {true, QStringLiteral("/srv/day/"), 0};
            table[2] = {false, QStringLiteral("/"), 0};
            saved = SaveWatchSettings(programDir.path(), table);
        }
    }

    EXPECT_EQ(ReadBytes(path), fits ? golden : Old);
    EXPECT_EQ(entries(QFileInfo(path).path()), before);
    const QString reason = QStringLiteral("cannot write ") + path + QStringLiteral(": File too large");
    if (writer == Writer::Convert) {
        const QString err = QString::fromUtf8(convert.readAllStandardError());
        EXPECT_EQ(convert.exitCode(), fits ? 0 : 1);
        EXPECT_EQ(err.endsWith(workbook + ": " + reason + u'\n'), !fits) << err.toStdString();
    } else if (writer == Writer::Dispatch) {
        const QString notMade = "TVX File not made for : Day1.xlsx (" + reason + u')';
        EXPECT_EQ(messages().filter(notMade).size(), fits ? 0 : 2) << "each attempt says why it failed";
        EXPECT_EQ(core->panel(1).LastFile, fits
                                               ? QStringLiteral("Day1.TVX  14:05:33  5 rows not used, 1 unknown source")
                                               : QStringLiteral("Day1.xlsx not made"));
    } else {
        EXPECT_EQ(saved, fits ? QString() : QStringLiteral("File too large"));
    }
}

std::string FullDiskCaseName(const ::testing::TestParamInfo<std::tuple<Writer, bool>> &info)
{
    static const char *const Writers[] = {"Convert", "Dispatch", "Settings"};
    return std::string(Writers[int(std::get<0>(info.param))]) + (std::get<1>(info.param) ? "_Fits" : "_OneByteShort");
}

INSTANTIATE_TEST_SUITE_P(Writers, FullDisk,
                         ::testing::Combine(::testing::Values(Writer::Convert, Writer::Dispatch, Writer::Settings),
                                            ::testing::Bool()),
                         FullDiskCaseName);

// Non-ASCII letters, a surrogate pair, leading blanks and an upper-case extension; one after the other, so each
// event file holds its own workbook's events only.
TEST_F(Fault, AwkwardNamesAreConvertedOnceUnderTheirOwnPrefix)
{
    activate(1, watch1);
    const QStringList names{QString::fromUtf8("Ünïcödé – 日本語 😀.xlsx"), QStringLiteral("  leading blanks.XLSX")};
    for (const QString &name : names) {
        ASSERT_TRUE(QFile::copy(Fixtures + "schedules/example-libreoffice.xlsx", watch1 + name));
        SetWriteTime(watch1 + name, 200);
    }
    cycle();
    for (const QString &name : names)
        EXPECT_EQ(ReadBytes(watch1 + name.section(u'.', 0, 0) + ".TVX"), ReadBytes(Fixtures + "expected/example.TVX"))
            << name.toStdString();
    cycle();
    EXPECT_EQ(messages().size(), names.size()) << "up to date after one conversion";
}

} // namespace
