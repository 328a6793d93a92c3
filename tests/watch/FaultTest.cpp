// Faults of the file system and of the user, end to end through both tick handlers: nothing crashes, every
// failure is logged, nothing is lost, and an event file is only ever replaced by a complete new one.
#include "config/WatchSettings.h"
#include "tests/support/WatchTestSupport.h"

#include <QProcess>
#include <algorithm>

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

    // Runs both timers for ms of the clock's time as the window does; with a watcher, it reports the change each
    // conversion attempt makes in folder 1 (its temporary file). Returns the number of attempts.
    int runTimers(qint64 ms, bool watcher = true)
    {
        const QDateTime start = clock.now();
        qint64 now = 0, nextMain = view.intervals.empty() ? TranslatorCore::MainTimerDesignInterval : 0;
        qint64 nextWatch = TranslatorCore::WatchTimerInterval;
        size_t intervals = view.intervals.size();
        int attempts = 0;
        while ((now = std::min(nextMain, nextWatch)) < ms) {
            clock.set(start.addMSecs(now));
            if (nextMain <= nextWatch) {
                core->timeMain_Timer();
            } else {
                const bool queued = !pending().isEmpty();
                core->timeWatch_Timer();
                nextWatch = now + TranslatorCore::WatchTimerInterval;
                if (queued && pending().isEmpty() && ++attempts && watcher)
                    core->watchFolderChanged(1);
            }
            // A new period restarts the countdown.
            if (view.intervals.size() != intervals) {
                intervals = view.intervals.size();
                nextMain = now + view.intervals.back();
            }
        }
        clock.set(start.addMSecs(ms));
        return attempts;
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
            saved = SaveWatchSettings(programDir.path(), table).reason;
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
        EXPECT_EQ(messages().filter(notMade).size(), fits ? 0 : 1) << "a second failure alike is not logged at once";
        EXPECT_EQ(core->panel(1).lastFile, fits
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

// The automation system holds the event file open for an hour (on Linux, every write fails as on a full disk); the
// parameter: whether a folder watcher reports changes (a network share reports none).
class HeldEventFile : public Fault, public ::testing::WithParamInterface<bool>
{
};

TEST_P(HeldEventFile, IsTriedOncePerScanAndLoggedAtGrowingIntervals)
{
    const QString eventFile = watch1 + "Day1.TVX";
    addFile(watch1, "Day1.TVX", 100, Old);
    ASSERT_TRUE(QFile::copy(Fixtures + "schedules/schedule-libreoffice.xlsx", watch1 + "Day1.xlsx"));
    SetWriteTime(watch1 + "Day1.xlsx", 200);
    clock.set(QDateTime(QDate(2026, 12, 5), QTime(14, 5, 33)));
    activate(1, watch1);
    constexpr qint64 Hour = 3600 * 1000;
    int attempts = 0;
    {
        const HeldOpen held(eventFile);
        const FileSizeLimit disk(Old.size() + 100);
        if (!held.active() && !disk.active())
            GTEST_SKIP() << "no way to make the write fail";
        attempts = runTimers(Hour, GetParam());
    }
    EXPECT_LE(attempts, Hour / TranslatorCore::ScanPauseInterval) << "at most one attempt per scan";
    // A scan's burst and the conversion's wait add well under 2 s to the pause.
    EXPECT_GE(attempts, Hour / (TranslatorCore::ScanPauseInterval + 2000)) << "but one at every regular scan";
    const QStringList failing = messages();
    ASSERT_GE(failing.size(), 3);
    EXPECT_LE(failing.size(), 12);
    EXPECT_EQ(failing[0], "Make TVX File for : Day1.xlsx");
    // The streak's lines and their growing gaps are the failure streak's own test.
    EXPECT_TRUE(failing[1].startsWith("TVX File not made for : Day1.xlsx (cannot write "));
    EXPECT_EQ(failing.filter("TVX File still not made for : Day1.xlsx (cannot write ").size(), failing.size() - 2);

    attempts += runTimers(30 * 1000, GetParam());
    EXPECT_EQ(ReadBytes(eventFile), ReadBytes(Fixtures + "expected/schedule.TVX"));
    const QStringList made = messages().mid(failing.size());
    ASSERT_GE(made.size(), 2);
    EXPECT_EQ(made.first(), "Make TVX File for : Day1.xlsx");
    EXPECT_EQ(made.last(), "TVX File made for : Day1.xlsx after " + QString::number(attempts - 1) + " failed attempts");
    EXPECT_EQ(made.filter("Row ").size(), made.size() - 2) << "the row lines once, with the file they describe";
    EXPECT_TRUE(failing.filter("Row ").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Fault, HeldEventFile, ::testing::Bool(),
                         [](const auto &info) { return std::string(info.param ? "Watcher" : "NoWatcher"); });

} // namespace
