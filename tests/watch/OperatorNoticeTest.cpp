#include "output/ActivityLog.h"
#include "tests/support/WatchTestSupport.h"
#include "tests/support/XlsxBuilder.h"
#include "watch/LogLines.h"

namespace {

const QByteArray OtherInput =
    "#TRUE#,\"OTH\",\"Other\",1,\"OTHER\",#TRUE#,#TRUE#,#TRUE#,#TRUE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n";

// A program folder whose RT-IN1.LST was read at start-up and lists no "CAM 1".
class OperatorNotice : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        WriteBytes(inputList(), OtherInput);
        core = std::make_unique<TranslatorCore>(programDir.path(), clock, view);
        core->Form_Load();
        activate(1, watch1);
    }

    QString inputList() const { return programDir.filePath(QStringLiteral("RT-IN1.LST")); }
    QByteArray log(int folder) const { return ReadBytes(LogFilePath(programDir.path(), folder, clock.now().date())); }
};

// Row 5 makes an event from a source the list lacks; rows 6 and 7 hold something but make none. After a failure,
// the panel shows it until the next success.
TEST_F(OperatorNotice, RowNotesShowBesideTheLastFileUntilAFailureOrACleanConversion)
{
    const QString workbook = watch1 + QStringLiteral("Day1.xlsx");
    ASSERT_TRUE(WriteTestWorkbook(workbook,
                                  RowXml(5, NumberCell("J5", "1") + NumberCell("K5", "0.5") + NumberCell("L5", "0.51") +
                                                InlineStringCell("R5", "News") + InlineStringCell("V5", "CAM 1")) +
                                      RowXml(6, InlineStringCell("R6", "Sport")) + RowXml(7, NumberCell("J7", "40"))));
    SetWriteTime(workbook, 100);
    scanOnce();
    core->timeWatch_Timer();
    const QStringList notes{"Row 5: source \"CAM 1\" is not in RT-IN1.LST, input 0 used",
                            "Row 6 not used: VR number outside 1 to 32", "Row 7 not used: VR number outside 1 to 32"};
    EXPECT_EQ(core->panel(1).lastFile, "Day1.TVX  14:05:33  2 rows not used, 1 unknown source");
    EXPECT_EQ(core->panel(1).lastWarnings, notes.join(u'\n'));
    // In the folder's log after the make line; the viewer tells the lines apart by what the dispatch writes.
    const QString time = QStringLiteral("12-04-2026  14:05:33 ");
    EXPECT_EQ(log(1),
              (time + "Make TVX File for : Day1.xlsx\r\n" + time + notes.join("\r\n" + time) + "\r\n").toUtf8());
    for (const auto &[folder, line] : view.logLines)
        EXPECT_EQ(ClassifyLogLine(line), line.contains(" Make ") ? LogLineKind::Plain : LogLineKind::Warning);

    SetWriteTime(watch1 + QStringLiteral("Day1.TVX"), 150);
    addFile(watch1, QStringLiteral("Day1.xlsx"), 200, "not a workbook");
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(core->panel(1).lastFile, "Day1.xlsx not made");
    EXPECT_TRUE(core->panel(1).lastWarnings.isEmpty());
    EXPECT_EQ(ClassifyLogLine(view.logLines.back().second), LogLineKind::Failure);

    ASSERT_TRUE(WriteTestWorkbook(
        workbook, RowXml(5, NumberCell("J5", "1") + InlineStringCell("R5", "News") + InlineStringCell("V5", "OTHER"))));
    SetWriteTime(workbook, 300);
    scanOnce();
    core->timeWatch_Timer();
    EXPECT_EQ(core->panel(1).lastFile, "Day1.TVX  14:05:33");
    EXPECT_FALSE(core->panel(1).lastFailure) << "cleared by the success";
    EXPECT_TRUE(core->panel(1).lastWarnings.isEmpty());
}

TEST(RowNotesSummary, CountsEachKindInTheSingularOrPlural)
{
    const RowNote unknown{RowNote::Kind::UnknownSource, {}}, unused{RowNote::Kind::NotUsed, {}},
        error{RowNote::Kind::ErrorValue, {}};
    const struct {
        const char *name;
        std::vector<RowNote> notes;
        QString summary;
    } cases[] = {
        {"none", {}, ""},
        {"one unused", {unused}, "1 row not used"},
        {"both kinds", {unknown, unused, unused}, "2 rows not used, 1 unknown source"},
        {"unknown only", {unknown, unknown}, "2 unknown sources"},
        {"all three", {error, unknown, unused}, "1 row not used, 1 unknown source, 1 error value"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RowNotesSummary(c.notes), c.summary) << c.name;
}

// Replaced, removed or created after start-up: one line in each active folder's log and one notice, once; the
// lists read at start-up stay in use.
TEST_F(OperatorNotice, ARouterFileChangedSinceStartUpIsReportedOnce)
{
    const QString dwxIni = programDir.filePath(QStringLiteral("DWX.INI"));
    const struct {
        const char *name;
        std::function<void()> change;
        const char *file;
    } cases[] = {
        {"read only", [&] { (void)ReadBytes(inputList()); }, nullptr},
        {"rewritten, same size", [&] { addFile(programDir.path() + u'/', "RT-IN1.LST", 1000, OtherInput); },
         "RT-IN1.LST"},
        {"replaced", [&] { QFile::remove(inputList()), WriteBytes(inputList(), OtherInput + OtherInput); },
         "RT-IN1.LST"},
        {"removed", [&] { QFile::remove(inputList()); }, "RT-IN1.LST"},
        {"created", [&] { WriteBytes(dwxIni, "[VR 1]\r\nVR_Destination_Output=9\r\n"); }, "DWX.INI"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(inputList(), OtherInput);
        QFile::remove(dwxIni);
        QFile::remove(LogFilePath(programDir.path(), 1, clock.now().date()));
        view.notices.clear();
        core = std::make_unique<TranslatorCore>(programDir.path(), clock, view);
        core->Form_Load();
        activate(1, watch1);
        c.change();
        for (int tick = 0; tick < 3; ++tick) {
            core->timeMain_Timer();
            clock.advanceSeconds(1);
        }
        const QString notice = QString::fromLatin1(c.file) + " changed since start-up: restart the program to use it";
        EXPECT_EQ(view.notices, c.file ? QStringList{notice} : QStringList{});
        EXPECT_EQ(core->changeNotices(), view.notices);
        EXPECT_EQ(log(1), c.file ? ("12-04-2026  14:05:33 " + notice + "\r\n").toUtf8() : "<missing>");
        EXPECT_EQ(log(2), "<missing>") << "folder 2 is not active";
        EXPECT_EQ(core->router().RouterInputTable[1].Name, "OTHER");
        EXPECT_EQ(core->router().RouterDestination[1].Output, 1);
        clock.advanceSeconds(-3);
    }
}

} // namespace
