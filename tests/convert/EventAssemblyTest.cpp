#include "convert/EventTiming.h"

#include <gtest/gtest.h>

namespace {

// The golden schedule of the workbook tests holds the rest: a Saturday with plain, equal, empty, padded and
// midnight rows, 32-unit cuts of non-ASCII names and notes, router look-up and levels, and rows kept in order.

const QDate Wednesday(2026, 12, 2);

double At(int h, int m, int s = 0)
{
    return (h * 3600 + m * 60 + s) / 86400.0;
}

ScheduleRow Row(double start, double end)
{
    ScheduleRow row;
    row.VrNumber = 5;
    row.StartTime = start;
    row.EndTime = end;
    row.EventName = QStringLiteral("News");
    row.SourceName = QStringLiteral("CAM 1");
    return row;
}

TEST(EventTiming, MidnightWrapAndBoundaries)
{
    const struct {
        QDate today;
        double start, end;
        const char *startTC, *durationTC;
        bool crosses;
        double endSeconds;
        int endDayIndex;
    } cases[] = {
        {Wednesday, At(23, 0), At(1, 0), "23:00:00;00", "02:00:00;00", true, 3600, 4},
        {QDate(2026, 12, 5), 46361 + At(23, 30), 46000, "23:30:00;00", "00:30:00;00", true, 0, 0}, // Saturday
        {Wednesday, -1, At(1, 0), "00:00:00;00", "01:00:00;00", false, 3600, 3}, // a true cell: previous midnight
        {Wednesday, At(23, 59, 59) + 0.6 / 86400, 0, "00:00:00;00", "00:00:00;00", false, 0, 3}, // rounds up
    };
    for (const auto &c : cases) {
        const EventTiming t = ComputeEventTiming(Row(c.start, c.end), c.today);
        EXPECT_EQ(t.StartTC, c.startTC);
        EXPECT_EQ(t.DurationTC, c.durationTC) << c.startTC;
        EXPECT_EQ(t.CrossesMidnight, c.crosses) << c.startTC;
        EXPECT_EQ(t.EndsNextDay, c.crosses) << c.startTC;
        EXPECT_DOUBLE_EQ(t.EndSeconds, c.endSeconds) << c.startTC;
        EXPECT_EQ(t.EndDayIndex, c.endDayIndex) << c.startTC;
    }
    EXPECT_EQ(TimeOfDayTimecode(46360 + 12.0 / 24 + 20.0 / 1440), "12:20:00;00");
    EXPECT_EQ(TimeOfDayTimecode(0.416666666666667), "10:00:00;00"); // as one writer rounds 10:00
}

} // namespace
