#include "tests/support/Files.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/XlsxBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliResult RunConvert(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TAVREL_CONVERT_EXE), arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            ConsoleText(process.readAllStandardOutput()), ConsoleText(process.readAllStandardError())};
}

class ConvertCliTest : public testing::Test
{
protected:
    // A copy of the example workbook under the given name.
    QString example(const QString &name)
    {
        QFile::copy(Fixtures + QStringLiteral("schedules/example-libreoffice.xlsx"), m_dir.filePath(name));
        return m_dir.filePath(name);
    }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files); }

    QTemporaryDir m_dir;
    const QByteArray m_expected = ReadBytes(Fixtures + QStringLiteral("expected/example.TVX"));
    const QStringList m_options{"--config-dir", Fixtures + "config", "--date", "2026-12-04"};
};

TEST_F(ConvertCliTest, WrongUsageExitsTwoWithTheUsageLine)
{
    const QString workbook = example(QStringLiteral("Day1.xlsx"));
    for (const QStringList &arguments :
         {QStringList{}, QStringList{"--bogus", workbook}, QStringList{"-o", "x.TVX", workbook, workbook},
          QStringList{"--date", "2026-13-01", workbook},
          QStringList{"--check", "--output-dir", m_dir.path(), workbook}}) {
        const CliResult run = RunConvert(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains("\nusage: tavrel-convert ")) << run.err.toStdString();
    }
    EXPECT_EQ(files(), QStringList{"Day1.xlsx"});

    const CliResult version = RunConvert({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "tavrel-convert " TAVREL_VERSION "\n");
}

TEST_F(ConvertCliTest, WritesBesideTheWorkbookUnderThePrefixOrWhereAsked)
{
    const CliResult beside = RunConvert(m_options + QStringList{example(QStringLiteral("Day1.final.xlsx"))});
    EXPECT_EQ(beside.exitCode, 0) << beside.err.toStdString();
    EXPECT_EQ(ReadBytes(m_dir.filePath(QStringLiteral("Day1.TVX"))), m_expected);

    const QString workbook = example(QStringLiteral("Show.xlsx"));
    EXPECT_EQ(
        RunConvert(m_options + QStringList{"-o", m_dir.filePath(QStringLiteral("chosen.TVX")), workbook}).exitCode, 0);
    EXPECT_EQ(ReadBytes(m_dir.filePath(QStringLiteral("chosen.TVX"))), m_expected);

    const QString out = m_dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkdir(out));
    EXPECT_EQ(
        RunConvert(m_options + QStringList{"--output-dir", out, workbook, example(QStringLiteral("Plain"))}).exitCode,
        0);
    EXPECT_EQ(ReadBytes(out + "/Show.TVX"), m_expected);
    EXPECT_EQ(ReadBytes(out + "/Plain.TVX"), m_expected);
}

TEST_F(ConvertCliTest, FailuresAreReportedAndTheOthersStillConverted)
{
    const QString bad = m_dir.filePath(QStringLiteral("Bad.xlsx"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a zip archive");
    file.close();
    const QString good = example(QStringLiteral("Good.xlsx"));
    const QString blocked = example(QStringLiteral("Blocked.xlsx"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("Blocked.TVX"))); // a folder where the file must go
    const CliResult run = RunConvert(m_options + QStringList{bad, good, blocked});
    EXPECT_EQ(run.exitCode, 1);
    const QList<QByteArray> lines = run.err.split('\n');
    ASSERT_EQ(lines.size(), 3) << run.err.toStdString();
    EXPECT_EQ(lines[0], "tavrel-convert: " + bad.toUtf8() + ": not an xlsx workbook");
    EXPECT_TRUE(lines[1].startsWith("tavrel-convert: " + blocked.toUtf8() + ": cannot write ")) << lines[1].data();
    EXPECT_EQ(files(), (QStringList{"Bad.xlsx", "Blocked.xlsx", "Good.TVX", "Good.xlsx"}));
    EXPECT_EQ(ReadBytes(m_dir.filePath(QStringLiteral("Good.TVX"))), m_expected);
}

struct MessageCase {
    const char *name;
    // Prepares the case in dir and returns the arguments.
    std::function<QStringList(const QString &dir)> arguments;
    int exitCode;
    QByteArray err; // "DIR" stands for dir
};

// What is wrong is said in so many words: usage errors exit 2, unreadable workbooks 1, warnings keep 0.
TEST_F(ConvertCliTest, MessagesSayWhatIsWrong)
{
    const QString day = QStringLiteral("--date=2026-12-05");
    const MessageCase cases[] = {
        {"config folder missing",
         [&](const QString &dir) {
             return QStringList{"--config-dir", dir + "/none", dir + "/Day1.xlsx"};
         },
         2, "tavrel-convert: --config-dir: no such folder: DIR/none\n"},
        {"config folder without DWX.INI and RT-IN1.LST",
         [&](const QString &dir) {
             QFile::copy(Fixtures + "schedules/example-libreoffice.xlsx", dir + "/Day1.xlsx");
             return QStringList{"--config-dir", dir, day, dir + "/Day1.xlsx"};
         },
         0,
         "tavrel-convert: warning: DWX.INI not found in DIR: default destinations used\n"
         "tavrel-convert: warning: RT-IN1.LST not found in DIR: sources not matched, input 0 used\n"},
        {"folder as workbook",
         [&](const QString &dir) {
             return QStringList{"--config-dir", Fixtures + "config", dir};
         },
         1, "tavrel-convert: DIR: is a folder\n"},
        {"legacy xls",
         [&](const QString &dir) {
             WriteBytes(dir + "/Old.xlsx", CompoundFileBytes({"\005SummaryInformation", "Workbook"}));
             return QStringList{"--config-dir", Fixtures + "config", dir + "/Old.xlsx"};
         },
         1, "tavrel-convert: DIR/Old.xlsx: legacy .xls workbook: save it as .xlsx\n"},
        {"Excel 5 xls, stream in the second directory sector",
         [&](const QString &dir) {
             WriteBytes(dir + "/Old.xlsx", CompoundFileBytes({"A", "B", "C", "D", "Book"}));
             return QStringList{"--config-dir", Fixtures + "config", dir + "/Old.xlsx"};
         },
         1, "tavrel-convert: DIR/Old.xlsx: legacy .xls workbook: save it as .xlsx\n"},
        {"encrypted xlsx",
         [&](const QString &dir) {
             WriteBytes(dir + "/Locked.xlsx",
                        CompoundFileBytes({"\006DataSpaces", "EncryptionInfo", "EncryptedPackage"}));
             return QStringList{"--config-dir", Fixtures + "config", dir + "/Locked.xlsx"};
         },
         1, "tavrel-convert: DIR/Locked.xlsx: encrypted workbook\n"},
        {"OpenDocument renamed",
         [&](const QString &dir) {
             WriteZip(dir + "/Sheet.xlsx", {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                            {"content.xml", "<office:document-content/>"}});
             return QStringList{"--config-dir", Fixtures + "config", dir + "/Sheet.xlsx"};
         },
         1, "tavrel-convert: DIR/Sheet.xlsx: OpenDocument spreadsheet, not .xlsx\n"},
    };
    for (const MessageCase &c : cases) {
        QTemporaryDir dir;
        const CliResult run = RunConvert(c.arguments(dir.path()));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        const QByteArray err = QByteArray(c.err).replace("DIR", dir.path().toUtf8());
        if (c.exitCode == 2)
            EXPECT_TRUE(run.err.startsWith(err + "usage: ")) << c.name << "\n" << run.err.toStdString();
        else
            EXPECT_EQ(run.err.toStdString(), err.toStdString()) << c.name;
    }
}

TEST_F(ConvertCliTest, CheckPrintsOneJsonLinePerUsedRow)
{
    const CliResult single = RunConvert({QStringLiteral("--check"), example(QStringLiteral("Day1.xlsx"))});
    EXPECT_EQ(single.exitCode, 0);
    EXPECT_EQ(single.out, R"({"row":5,"vr":5,"start":"10:00:00;00","end":"11:30:00;00","name":"News","note":"",)"
                          R"("source":"CAM 1","accepted":true,"reason":""})"
                          "\n");
    EXPECT_EQ(files(), QStringList{"Day1.xlsx"});

    // Quotes, backslash, a tab, U+001F (the last unit escaped), a lone surrogate (by the _xHHHH_ escape) and U+00E9;
    // row 7 holds only an error.
    const QString odd = m_dir.filePath(QStringLiteral("odd.xlsx"));
    ASSERT_TRUE(WriteTestWorkbook(
        odd, RowXml(5, NumberCell("J5", "40") + InlineStringCell("R5", "  say \"hi\"\\\t_x001F__xD83D_\u00e9 ")) +
                 RowXml(6, InlineStringCell("R6", QString())) + RowXml(7, R"(<c r="K7" t="e"><v>#N/A</v></c>)")));
    const QString missing = m_dir.filePath(QStringLiteral("missing.xlsx"));
    const CliResult several = RunConvert({QStringLiteral("--check"), odd, missing});
    EXPECT_EQ(several.exitCode, 1);
    EXPECT_EQ(several.err, "tavrel-convert: " + missing.toUtf8() + ": file not found\n");
    const QByteArray prefix = "{\"workbook\":\"" + odd.toUtf8() + "\",";
    EXPECT_EQ(several.out.toStdString(),
              (prefix +
               R"("row":5,"vr":40,"start":"00:00:00;00","end":"00:00:00;00",)"
               R"("name":"say \"hi\"\\\u0009\u001f\ud83d)"
               "\xc3\xa9"
               R"(","note":"","source":"","accepted":false,"reason":"VR number outside 1 to 32"})"
               "\n" +
               prefix +
               R"("row":7,"vr":0,"start":"00:00:00;00","end":"00:00:00;00","name":"",)"
               R"("note":"","source":"","accepted":false,"reason":"VR number outside 1 to 32"})"
               "\n")
                  .toStdString());
}

} // namespace
