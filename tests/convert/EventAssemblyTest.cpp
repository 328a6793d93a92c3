#include "convert/EventTiming.h"
#include "events/Number.h"
#include "events/Timecode.h"
#include "tests/support/Files.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>
#include <vector>

namespace {

// The golden schedule of the workbook tests holds the rest: a Saturday with plain, equal, empty, padded and
// midnight rows, 32-unit cuts of non-ASCII names and notes, router look-up and levels, and rows kept in order.

const QDate Wednesday(2026, 12, 2);

double At(int h, int m, int s = 0)
{
    return (h * 3600 + m * 60 + s) / 86400.0;
}

QString TimeOfDayTimecode(double serial)
{
    char text[96];
    return QString::fromLatin1(text, WriteTimeOfDayTimecode(text, serial) - text);
}

ScheduleRow Row(double start, double end)
{
    ScheduleRow row;
    row.StartTime = start;
    row.EndTime = end;
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
        const EventTiming t = ComputeEventTiming(Row(c.start, c.end), EventDay(c.today));
        EXPECT_EQ(
            std::tuple(t.StartTC.toString(), t.DurationTC.toString(), t.CrossesMidnight, t.EndsNextDay, t.EndSeconds,
                       t.EndDayIndex),
            std::tuple(QString(c.startTC), QString(c.durationTC), c.crosses, c.crosses, c.endSeconds, c.endDayIndex));
    }
    EXPECT_EQ(TimeOfDayTimecode(46360 + 12.0 / 24 + 20.0 / 1440), "12:20:00;00");
    EXPECT_EQ(TimeOfDayTimecode(0.416666666666667), "10:00:00;00"); // as one writer rounds 10:00
}

// What the timecode texts give, which ComputeEventTiming works out in whole seconds instead.
auto TimingByTexts(double start, double end)
{
    const auto seconds = [](const QString &tc) { return ParseNumberPrefix(TimecodeToSeconds(tc)).value_or(0); };
    const QString startTC = TimeOfDayTimecode(start), endTC = TimeOfDayTimecode(end);
    const bool crosses = seconds(endTC) < seconds(startTC);
    const QString durationTC = TimecodeCalc(endTC, startTC, QStringLiteral("-"), crosses);
    const double sum = seconds(startTC) + seconds(durationTC);
    return std::tuple(startTC, endTC, durationTC, crosses, seconds(startTC), seconds(durationTC), sum >= 86400,
                      sum >= 86400 ? sum - 86400 : sum);
}

TEST(EventTiming, WholeSecondsAgreeWithTheTimecodeTextsForAnySerial)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    std::vector<double> serials = {-0.0, -1e-300, -0.25, -1, 1e15 + 0.5, 0x1p52 + 1, 1e300, -1e300, inf, -inf, nan};
    std::vector<double> seconds = {0.5, 86399, 86399.5, 86400, 32768};
    for (int s = 0; s < 86400; s += 3617)
        seconds.insert(seconds.end(), {s + 0.0, s + 0.4999999, s + 0.5});
    for (const double s : seconds) // each also just below itself and on a later day
        serials.insert(serials.end(), {s / 86400, std::nextafter(s / 86400, 0.0), 46000 + s / 86400});
    const EventDay day(Wednesday);
    for (const double start : serials) {
        for (const double end : serials) {
            const EventTiming t = ComputeEventTiming(Row(start, end), day);
            EXPECT_EQ(std::tuple(t.StartTC.toString(), t.EndTC.toString(), t.DurationTC.toString(), t.CrossesMidnight,
                                 t.StartSeconds, t.DurationSeconds, t.EndsNextDay, t.EndSeconds),
                      TimingByTexts(start, end))
                << start << " to " << end;
        }
    }
}

} // namespace
