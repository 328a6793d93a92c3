#include "output/EventFile.h"

#include "tests/support/Files.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

// Full records of real events are checked byte for byte by the golden files of the conversion tests; replacing
// the file whole or not at all by the full-disk table of the fault tests and the tests of ReplaceWholeFile.

TEST(EventFile, IsNamedAfterTheWorkbookUpToItsFirstDot)
{
    for (const auto &[workbook, eventFile] : {std::pair{"Day 1.final.xlsx", "Day 1.TVX"},
                                              {"day2.XLSX", "day2.TVX"},
                                              {"Schedule", "Schedule.TVX"},
                                              {".x.xlsx", ".TVX"}})
        EXPECT_EQ(EventFileName(QString::fromUtf8(workbook)), QString::fromUtf8(eventFile));
}

EventRecord KeyOnly(const QString &key)
{
    EventRecord event;
    event.EventKey = key;
    return event;
}

QList<QByteArray> LinesOf(const QByteArray &file)
{
    EXPECT_TRUE(file.endsWith("\r\n"));
    return file.chopped(2).split('\n');
}

// Texts are Latin-1 with "?" for anything beyond; dates pad month and day. Timecode frames give fractions, which no
// golden file holds; whole numbers print all their digits below 1e15.
TEST(EventFile, EmptyListIsTheHeaderOnlyBlankKeysAreSkippedAndNumbersTakeTheirShortestForm)
{
    EXPECT_EQ(RenderEventFile(EventList{}), "DWX300\r\n");

    EventList events;
    events.add(KeyOnly(QStringLiteral("   ")));
    EventRecord event = KeyOnly(QStringLiteral(u"k\u00e9\u20ac"));
    event.Date2 = 46396; // 2027-01-09
    Section1Entry &entry = event.Section1[1];
    entry.StartSeconds = 0.033;
    entry.Num1 = 1e15;
    entry.Num2 = -0.5;
    entry.Num3 = 999999999999999;
    entry.Num4 = -1e15;
    events.add(event);
    const QList<QByteArray> lines = LinesOf(RenderEventFile(events));
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[1], "#1899-12-30#,#2027-01-09#,\"\",\"\",\"\",#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,"
                        "#FALSE#,0,0,\"k\xe9?\",\"UnIcOdE \"\r");
    EXPECT_EQ(lines[10],
              "#FALSE#,0,\"\",\"\",0,0,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,\"\",0,\"\"\r");
    const QList<QByteArray> items = lines[2].split(',');
    EXPECT_EQ(items[4], ".033");
    EXPECT_EQ(items.mid(28, 4).join(','), "1E+15,-.5,999999999999999,-1E+15");
}

} // namespace
