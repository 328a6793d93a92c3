#include "convert/ScheduleWorkbook.h"

#include "output/EventFile.h"
#include "tests/support/Files.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Workbooks of four writers, made by scripts/make-fixtures, against the event files expected byte for byte.
TEST(ScheduleWorkbook, WritersWorkbooksGiveTheGoldenEventFiles)
{
    RouterConfig router;
    (void)LoadRouterDestinations(Fixtures + QStringLiteral("config"), router);
    (void)LoadRouterInputs(Fixtures + QStringLiteral("config"), router);
    for (const char *writer : {"openpyxl", "xlsxwriter", "libreoffice", "gnumeric"}) {
        for (const auto &[name, day] : {std::pair{"example", QDate(2026, 12, 4)}, {"schedule", QDate(2026, 12, 5)}}) {
            const QString workbook = Fixtures + QStringLiteral("schedules/%1-%2.xlsx").arg(name, writer);
            EventList events;
            ASSERT_EQ(ReadScheduleWorkbook(workbook, router, QDateTime(day, QTime(0, 0)), events), Failure())
                << workbook.toStdString();
            const QByteArray expected = ReadBytes(Fixtures + QStringLiteral("expected/%1.TVX").arg(name));
            ASSERT_FALSE(expected.isEmpty());
            EXPECT_EQ(RenderEventFile(events).toStdString(), expected.toStdString()) << workbook.toStdString();
        }
    }
}

} // namespace
