#include "convert/EventTiming.h"

#include "events/DateValue.h"
#include "events/Number.h"
#include "events/Timecode.h"

namespace {

double secondsOf(const QString &timecode)
{
    return ParseNumberPrefix(TimecodeToSeconds(timecode)).value_or(0);
}

} // namespace

QString TimeOfDayTimecode(double serial)
{
    // Hour 0..23, minute and second 0..59: always two digits each.
    const int parts[3] = {HourOf(serial), MinuteOf(serial), SecondOfMinute(serial)};
    char16_t text[11] = {u'0', u'0', u':', u'0', u'0', u':', u'0', u'0', u';', u'0', u'0'};
    for (int i = 0; i < 3; ++i) {
        text[3 * i] = char16_t(u'0' + parts[i] / 10);
        text[3 * i + 1] = char16_t(u'0' + parts[i] % 10);
    }
    return QString::fromUtf16(text, 11);
}

EventTiming ComputeEventTiming(const ScheduleRow &row, const QDate &today)
{
    EventTiming timing;
    timing.StartTC = TimeOfDayTimecode(row.StartTime);
    timing.EndTC = TimeOfDayTimecode(row.EndTime);
    timing.StartSeconds = secondsOf(timing.StartTC);
    timing.CrossesMidnight = secondsOf(timing.EndTC) < timing.StartSeconds;
    timing.DurationTC = TimecodeCalc(timing.EndTC, timing.StartTC, QStringLiteral("-"), timing.CrossesMidnight);
    timing.DurationSeconds = secondsOf(timing.DurationTC);
    const double end = timing.StartSeconds + timing.DurationSeconds;
    timing.EndsNextDay = end >= 86400;
    timing.EndSeconds = timing.EndsNextDay ? end - 86400 : end;

    timing.Today = today;
    timing.EventKey = DateToYYYYMMDD(today) + timing.StartTC;
    timing.TodayWeekday = today.dayOfWeek() % 7 + 1; // Qt counts Monday 1 .. Sunday 7
    timing.EndDayIndex = timing.EndsNextDay ? timing.TodayWeekday % 7 : timing.TodayWeekday - 1;
    return timing;
}
