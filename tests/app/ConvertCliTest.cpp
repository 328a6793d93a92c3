#include "tests/support/Files.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/XlsxBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class ConvertCliTest : public testing::Test
{
protected:
    // TMP in the arguments and in standard error stands for the test's folder.
    CliResult run(const QStringList &arguments) const
    {
        QStringList expanded;
        for (const QString &argument : arguments)
            expanded << QString(argument).replace("TMP", m_dir.path());
        QProcess process;
        process.start(QStringLiteral(TAVREL_CONVERT_EXE), expanded);
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                ConsoleText(process.readAllStandardOutput()),
                ConsoleText(process.readAllStandardError()).replace(m_dir.path().toUtf8(), "TMP")};
    }
    QTemporaryDir m_dir;
};

// Wrong usage exits 2 with the reason and the usage lines, writing nothing; missing settings only warn; a workbook
// that cannot be converted is named with its reason, exits 1, and the others are still converted.
TEST_F(ConvertCliTest, ExitCodeAndMessagesSayWhatIsWrong)
{
    const QByteArray usage = "\nusage: tavrel-convert [--config-dir DIR] [--date YYYY-MM-DD] [-o OUT.TVX | "
                             "--output-dir DIR] WORKBOOK...\n       tavrel-convert --check WORKBOOK...\n";
    const QByteArray warned = "warning: DWX.INI not found in TMP: default destinations used\ntavrel-convert: warning: "
                              "RT-IN1.LST not found in TMP: sources not matched, input 0 used\n";
    const struct {
        QStringList arguments;
        int exitCode;
        QByteArray err, out = {};
    } cases[] = {
        {{"--version"}, 0, "", "tavrel-convert " TAVREL_VERSION "\n"},
        {{}, 2, "no workbook given"},
        {{"--bogus", "TMP/Day1.xlsx"}, 2, "Unknown option 'bogus'."},
        {{"-o", "TMP/x.TVX", "TMP/Day1.xlsx", "TMP/Day1.xlsx"}, 2, "-o takes one workbook only"},
        {{"--date", "2026-13-01", "TMP/Day1.xlsx"}, 2, "--date wants YYYY-MM-DD, not \"2026-13-01\""},
        {{"--check", "--output-dir", "TMP", "TMP/Day1.xlsx"},
         2,
         "--check writes nothing: -o and --output-dir do not apply"},
        {{"--config-dir", "TMP/none", "TMP/Day1.xlsx"}, 2, "--config-dir: no such folder: TMP/none"},
        // Excel 5: the stream is found in the second sector of the directory. Div.TVX holds Div.xlsx's event alone.
        {{"--config-dir", "TMP", "--date", "2026-12-04", "TMP/Old.xlsx", "TMP/Excel5.xlsx", "TMP/Sheet.xlsx",
          "TMP/Day1.xlsx", "TMP/Div.xlsx"},
         1,
         warned + "tavrel-convert: TMP/Old.xlsx: legacy .xls workbook: save it as .xlsx\n"
                  "tavrel-convert: TMP/Excel5.xlsx: legacy .xls workbook: save it as .xlsx\n"
                  "tavrel-convert: TMP/Sheet.xlsx: OpenDocument spreadsheet, not .xlsx\n"
                  "tavrel-convert: TMP/Div.xlsx: Row 7: L is #DIV/0!\n"},
        // A calculated error value is told as a stored one would be; the event is still made.
        {{"--config-dir", "TMP", "--date", "2026-12-04", "-o", "TMP/alone.TVX", "TMP/Div.xlsx"},
         0,
         warned + "tavrel-convert: TMP/Div.xlsx: Row 7: L is #DIV/0!\n"},
        // One workbook checked: its lines do not name it.
        {{"--check", "TMP/Day1.xlsx"},
         0,
         "",
         R"({"row":5,"vr":5,"start":"10:00:00;00","end":"11:30:00;00","name":"News","note":"",)"
         R"("source":"CAM 1","accepted":true,"reason":""})"
         "\n"},
    };
    QFile::copy(Fixtures + QStringLiteral("schedules/example-libreoffice.xlsx"), m_dir.filePath("Day1.xlsx"));
    ASSERT_TRUE(WriteTestWorkbook(m_dir.filePath("Div.xlsx"),
                                  RowXml(7, NumberCell("J7", "1") + "<c r='L7'><f>1/0</f></c>" +
                                                InlineStringCell("R7", "News") + InlineStringCell("V7", "CAM 1"))));
    WriteBytes(m_dir.filePath("Old.xlsx"), CompoundFileBytes({"\005SummaryInformation", "Workbook"}));
    WriteBytes(m_dir.filePath("Excel5.xlsx"), CompoundFileBytes({"A", "B", "C", "D", "Book"}));
    ASSERT_TRUE(WriteZip(m_dir.filePath("Sheet.xlsx"), {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                                        {"content.xml", "<office:document-content/>"}}));
    for (const auto &c : cases) {
        const CliResult result = run(c.arguments);
        const std::string arguments = c.arguments.join(u' ').toStdString();
        EXPECT_EQ(result.exitCode, c.exitCode) << arguments;
        EXPECT_EQ(result.out, c.out) << arguments;
        const QByteArray err = c.exitCode == 2 ? c.err + usage : c.err;
        EXPECT_EQ(result.err, err.isEmpty() ? err : "tavrel-convert: " + err) << arguments;
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList({"*.TVX"}, QDir::Files), (QStringList{"alone.TVX", "Day1.TVX", "Div.TVX"}));
    EXPECT_EQ(ReadBytes(m_dir.filePath("Div.TVX")), ReadBytes(m_dir.filePath("alone.TVX")));
}

TEST_F(ConvertCliTest, CheckPrintsOneJsonLinePerUsedRow)
{
    // Quotes, backslash, a tab, U+001F (the last unit escaped) before a blank (the first not), a lone surrogate
    // (by the _xHHHH_ escape) and U+00E9; row 6 holds only an empty text.
    ASSERT_TRUE(WriteTestWorkbook(
        m_dir.filePath("odd.xlsx"),
        RowXml(5, NumberCell("J5", "40") + InlineStringCell("R5", "  say \"hi\"\\\t_x001F_ _xD83D_\u00e9 ")) +
            RowXml(6, InlineStringCell("R6", QString()))));
    const CliResult result = run({"--check", "TMP/odd.xlsx", "TMP/missing.xlsx"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "tavrel-convert: TMP/missing.xlsx: file not found\n");
    const QByteArray prefix = "{\"workbook\":\"" + m_dir.filePath("odd.xlsx").toUtf8() + "\",";
    EXPECT_EQ(result.out.toStdString(),
              (prefix + R"("row":5,"vr":40,"start":"00:00:00;00","end":"00:00:00;00",)"
                        R"("name":"say \"hi\"\\\u0009\u001f \ud83d)"
                        "\xc3\xa9"
                        R"(","note":"","source":"","accepted":false,"reason":"VR number outside 1 to 32"})"
                        "\n")
                  .toStdString());
}

// Schedules built from formulas by two writers, left uncalculated, against the lines of LibreOffice's calculated
// copies (scripts/make-formula-fixtures).
TEST_F(ConvertCliTest, FormulaWorkbooksCheckAsLibreOfficeCalculatesThem)
{
    for (const char *book :
         {"functions-openpyxl", "functions-xlsxwriter", "template-openpyxl", "template-xlsxwriter"}) {
        const QString base = Fixtures + QStringLiteral("formulas/") + QLatin1String(book);
        const QByteArray expected = ReadBytes(base + QStringLiteral(".check"));
        ASSERT_FALSE(expected.isEmpty()) << book;
        const CliResult result = run({"--check", "--date", "2026-12-04", base + QStringLiteral(".xlsx")});
        EXPECT_EQ(result.exitCode, 0) << book;
        EXPECT_EQ(result.err.toStdString(), "") << book;
        EXPECT_EQ(result.out.toStdString(), expected.toStdString()) << book;
    }
}

} // namespace
