#include "convert/ScheduleWorkbook.h"

#include "output/EventFile.h"
#include "tests/convert/XlsxBuilder.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace {

const QString FixtureDir = QStringLiteral(TAVREL_SOURCE_DIR "/tests/fixtures");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The first differing line of two event files, for a readable failure.
std::string firstDifference(const QByteArray &actual, const QByteArray &expected)
{
    const QList<QByteArray> a = actual.split('\n');
    const QList<QByteArray> e = expected.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), e.size()); ++i) {
        const QByteArray left = a.value(i, "<none>");
        const QByteArray right = e.value(i, "<none>");
        if (left != right)
            return "line " + std::to_string(i + 1) + "\n  actual:   " + left.toStdString() +
                   "\n  expected: " + right.toStdString();
    }
    return "identical";
}

RouterConfig fixtureRouter()
{
    RouterConfig router;
    LoadRouterDestinations(FixtureDir + QStringLiteral("/config"), router);
    LoadRouterInputs(FixtureDir + QStringLiteral("/config"), router);
    return router;
}

struct GoldenCase {
    std::string workbook;
    std::string expected;
    QDate day;
};

void PrintTo(const GoldenCase &c, std::ostream *out)
{
    *out << c.workbook;
}

class GoldenFileTest : public testing::TestWithParam<GoldenCase>
{
};

TEST_P(GoldenFileTest, WriterWorkbookGivesExpectedEventFile)
{
    const GoldenCase &c = GetParam();
    EventList events;
    const QString workbook = FixtureDir + QStringLiteral("/schedules/") + QString::fromStdString(c.workbook);
    ASSERT_EQ(ReadScheduleWorkbook(workbook, fixtureRouter(), c.day, events), "");
    const QByteArray expected =
        readFile(FixtureDir + QStringLiteral("/expected/") + QString::fromStdString(c.expected));
    ASSERT_FALSE(expected.isEmpty());
    const QByteArray actual = RenderEventFile(events);
    EXPECT_TRUE(actual == expected) << firstDifference(actual, expected);
}

std::vector<GoldenCase> goldenCases()
{
    std::vector<GoldenCase> cases;
    for (const std::string writer : {"openpyxl", "xlsxwriter", "libreoffice", "gnumeric"}) {
        cases.push_back({"example-" + writer + ".xlsx", "example.TVX", QDate(2026, 12, 4)});
        cases.push_back({"schedule-" + writer + ".xlsx", "schedule.TVX", QDate(2026, 12, 5)});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Writers, GoldenFileTest, testing::ValuesIn(goldenCases()), [](const auto &info) {
    std::string name = info.param.workbook;
    name = name.substr(0, name.find('.'));
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

QString scheduleRow(int row, const QString &name)
{
    return RowXml(row, NumberCell(QStringLiteral("J%1").arg(row), QStringLiteral("5")) +
                           NumberCell(QStringLiteral("K%1").arg(row), QStringLiteral("0.5")) +
                           InlineStringCell(QStringLiteral("R%1").arg(row), name) +
                           SharedStringCell(QStringLiteral("V%1").arg(row), 0));
}

TEST(ScheduleWorkbookTest, ReadsRowsFiveToHundredOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("window.xlsx"));
    ASSERT_TRUE(WriteTestWorkbook(path,
                                  scheduleRow(4, QStringLiteral("row 4")) + scheduleRow(5, QStringLiteral("row 5")) +
                                      scheduleRow(100, QStringLiteral("row 100")) +
                                      scheduleRow(101, QStringLiteral("row 101")),
                                  {QStringLiteral("CAM 1")}));
    EventList events;
    ASSERT_EQ(ReadScheduleWorkbook(path, RouterConfig{}, QDate(2026, 12, 2), events), "");
    ASSERT_EQ(events.slots().size(), 2u);
    EXPECT_EQ(events.slots()[0].Section1[1].Name1, "row 5");
    EXPECT_EQ(events.slots()[1].Section1[1].Name1, "row 100");
}

TEST(ScheduleWorkbookTest, UnreadableWorkbookLeavesEventsAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("not-a-zip.xlsx"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("plain text, not a workbook");
    file.close();

    EventList events;
    EventRecord kept;
    kept.EventKey = QStringLiteral("kept");
    events.Add(kept);
    EXPECT_EQ(ReadScheduleWorkbook(path, RouterConfig{}, QDate(2026, 12, 2), events), "not an xlsx workbook");
    EXPECT_EQ(
        ReadScheduleWorkbook(dir.filePath(QStringLiteral("missing.xlsx")), RouterConfig{}, QDate(2026, 12, 2), events),
        "file not found");
    ASSERT_EQ(events.slots().size(), 1u);
    EXPECT_EQ(events.slots()[0].EventKey, "kept");
}

} // namespace
