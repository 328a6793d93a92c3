#include "tests/convert/XlsxBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Fixtures = QStringLiteral(TAVREL_SOURCE_DIR "/tests/fixtures/");

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
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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
    const QByteArray m_expected = ReadAll(Fixtures + QStringLiteral("expected/example.TVX"));
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
    EXPECT_EQ(ReadAll(m_dir.filePath(QStringLiteral("Day1.TVX"))), m_expected);

    const QString workbook = example(QStringLiteral("Show.xlsx"));
    EXPECT_EQ(
        RunConvert(m_options + QStringList{"-o", m_dir.filePath(QStringLiteral("chosen.TVX")), workbook}).exitCode, 0);
    EXPECT_EQ(ReadAll(m_dir.filePath(QStringLiteral("chosen.TVX"))), m_expected);

    const QString out = m_dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkdir(out));
    EXPECT_EQ(
        RunConvert(m_options + QStringList{"--output-dir", out, workbook, example(QStringLiteral("Plain"))}).exitCode,
        0);
    EXPECT_EQ(ReadAll(out + "/Show.TVX"), m_expected);
    EXPECT_EQ(ReadAll(out + "/Plain.TVX"), m_expected);
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
    EXPECT_EQ(ReadAll(m_dir.filePath(QStringLiteral("Good.TVX"))), m_expected);
}

TEST_F(ConvertCliTest, CheckPrintsOneJsonLinePerUsedRow)
{
    const CliResult single = RunConvert({QStringLiteral("--check"), example(QStringLiteral("Day1.xlsx"))});
    EXPECT_EQ(single.exitCode, 0);
    EXPECT_EQ(single.out, R"({"row":5,"vr":5,"start":"10:00:00;00","end":"11:30:00;00","name":"News","note":"",)"
                          R"("source":"CAM 1","accepted":true,"reason":""})"
                          "\n");
    EXPECT_EQ(files(), QStringList{"Day1.xlsx"});

    // Quotes, backslash, a tab, a lone surrogate (by the _xHHHH_ escape) and U+00E9; row 7 holds only an error.
    const QString odd = m_dir.filePath(QStringLiteral("odd.xlsx"));
    ASSERT_TRUE(WriteTestWorkbook(
        odd, RowXml(5, NumberCell("J5", "40") + InlineStringCell("R5", "  say \"hi\"\\\t_xD83D_\u00e9 ")) +
                 RowXml(6, InlineStringCell("R6", QString())) + RowXml(7, R"(<c r="K7" t="e"><v>#N/A</v></c>)")));
    const QString missing = m_dir.filePath(QStringLiteral("missing.xlsx"));
    const CliResult several = RunConvert({QStringLiteral("--check"), odd, missing});
    EXPECT_EQ(several.exitCode, 1);
    EXPECT_EQ(several.err, "tavrel-convert: " + missing.toUtf8() + ": file not found\n");
    const QByteArray prefix = "{\"workbook\":\"" + odd.toUtf8() + "\",";
    EXPECT_EQ(several.out.toStdString(),
              (prefix +
               R"("row":5,"vr":40,"start":"00:00:00;00","end":"00:00:00;00",)"
               R"("name":"say \"hi\"\\\u0009\ud83d)"
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
