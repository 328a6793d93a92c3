#include "tests/convert/XlsxBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Fixtures = QStringLiteral(TAVREL_SOURCE_DIR "/tests/fixtures");
const QString ConfigDir = Fixtures + QStringLiteral("/config");
const QString ExampleWorkbook = Fixtures + QStringLiteral("/schedules/example-libreoffice.xlsx");

struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliResult runConvert(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TAVREL_CONVERT_EXE), arguments);
    CliResult run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class ConvertCliTest : public testing::Test
{
protected:
    // A copy of the example workbook in the temporary folder, under the given name.
    QString copyExample(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QFile::copy(ExampleWorkbook, path);
        return path;
    }
    QString writeFile(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }

    QTemporaryDir m_dir;
    const QByteArray m_expected = readFile(Fixtures + QStringLiteral("/expected/example.TVX"));
};

TEST_F(ConvertCliTest, WrongUsageExitsTwoWithUsageLine)
{
    const QString workbook = copyExample(QStringLiteral("Day1.xlsx"));
    for (const QStringList &arguments :
         {QStringList{}, QStringList{QStringLiteral("--bogus"), workbook},
          QStringList{QStringLiteral("-o"), QStringLiteral("x.TVX"), workbook, workbook},
          QStringList{QStringLiteral("--date"), QStringLiteral("2026-13-01"), workbook},
          QStringList{QStringLiteral("--check"), QStringLiteral("--output-dir"), m_dir.path(), workbook}}) {
        const CliResult run = runConvert(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.contains("\nusage: tavrel-convert ")) << run.err.toStdString();
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Day1.xlsx")});

    const CliResult version = runConvert({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "tavrel-convert " TAVREL_VERSION "\n");
}

TEST_F(ConvertCliTest, WritesEventFileBesideWorkbookUnderPrefixName)
{
    const QString workbook = copyExample(QStringLiteral("Day1.final.xlsx"));
    const CliResult run = runConvert(
        {QStringLiteral("--config-dir"), ConfigDir, QStringLiteral("--date"), QStringLiteral("2026-12-04"), workbook});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readFile(m_dir.filePath(QStringLiteral("Day1.TVX"))), m_expected);
}

TEST_F(ConvertCliTest, OutputFileAndOutputDir)
{
    const QString workbook = copyExample(QStringLiteral("Show.xlsx"));
    const QString out = m_dir.filePath(QStringLiteral("chosen.TVX"));
    const QStringList common{QStringLiteral("--config-dir"), ConfigDir, QStringLiteral("--date"),
                             QStringLiteral("2026-12-04")};
    EXPECT_EQ(runConvert(common + QStringList{QStringLiteral("-o"), out, workbook}).exitCode, 0);
    EXPECT_EQ(readFile(out), m_expected);

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("out")));
    const QString noDot = copyExample(QStringLiteral("Plain"));
    EXPECT_EQ(runConvert(common + QStringList{QStringLiteral("--output-dir"), m_dir.filePath(QStringLiteral("out")),
                                              workbook, noDot})
                  .exitCode,
              0);
    EXPECT_EQ(readFile(m_dir.filePath(QStringLiteral("out/Show.TVX"))), m_expected);
    EXPECT_EQ(readFile(m_dir.filePath(QStringLiteral("out/Plain.TVX"))), m_expected);
}

TEST_F(ConvertCliTest, FailuresAreReportedAndOthersStillConverted)
{
    const QString bad = writeFile(QStringLiteral("Bad.xlsx"), "not a zip archive");
    const QString good = copyExample(QStringLiteral("Good.xlsx"));
    const QString blocked = copyExample(QStringLiteral("Blocked.xlsx"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("Blocked.TVX"))); // a folder where the file must go
    const CliResult run = runConvert({QStringLiteral("--config-dir"), ConfigDir, QStringLiteral("--date"),
                                      QStringLiteral("2026-12-04"), bad, good, blocked});
    EXPECT_EQ(run.exitCode, 1);
    const QList<QByteArray> lines = run.err.split('\n');
    ASSERT_EQ(lines.size(), 3) << run.err.toStdString();
    EXPECT_EQ(lines[0], "tavrel-convert: " + bad.toUtf8() + ": not an xlsx workbook");
    EXPECT_TRUE(lines[1].startsWith("tavrel-convert: " + blocked.toUtf8() + ": cannot write ")) << lines[1].data();
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("Bad.TVX"))));
    EXPECT_EQ(readFile(m_dir.filePath(QStringLiteral("Good.TVX"))), m_expected);
}

TEST_F(ConvertCliTest, CheckPrintsOneJsonLinePerUsedRow)
{
    const QString example = copyExample(QStringLiteral("Day1.xlsx"));
    const CliResult single = runConvert({QStringLiteral("--check"), example});
    EXPECT_EQ(single.exitCode, 0);
    EXPECT_EQ(single.out, R"({"row":5,"vr":5,"start":"10:00:00;00","end":"11:30:00;00","name":"News","note":"",)"
                          R"("source":"CAM 1","accepted":true,"reason":""})"
                          "\n");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Day1.xlsx")});

    // Quotes, backslash, a tab, a lone surrogate (by the _xHHHH_ escape) and U+00E9; row 7 holds only an error.
    const QString odd = m_dir.filePath(QStringLiteral("odd.xlsx"));
    ASSERT_TRUE(WriteTestWorkbook(
        odd, RowXml(5, NumberCell(QStringLiteral("J5"), QStringLiteral("40")) +
                           InlineStringCell(QStringLiteral("R5"), QStringLiteral("  say \"hi\"\\\t_xD83D_\u00e9 "))) +
                 RowXml(6, InlineStringCell(QStringLiteral("R6"), QString())) +
                 RowXml(7, QStringLiteral(R"(<c r="K7" t="e"><v>#N/A</v></c>)"))));
    const QString bad = writeFile(QStringLiteral("bad.xlsx"), "");
    const CliResult several = runConvert({QStringLiteral("--check"), odd, bad});
    EXPECT_EQ(several.exitCode, 1);
    EXPECT_EQ(several.err, "tavrel-convert: " + bad.toUtf8() + ": not an xlsx workbook\n");
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
