#include "convert/EventTiming.h"

#include "events/DateValue.h"
#include "events/Number.h"
#include "events/Timecode.h"

#include <algorithm>

namespace {

double secondsOf(const QString &timecode)
{
    return ParseNumberPrefix(TimecodeToSeconds(timecode)).value_or(0);
}

} // namespace

QString TimeOfDayTimecode(double serial)
{
    char text[96];
    char *end = WriteInteger(text, HourOf(serial), 2);
    *end++ = ':';
    end = WriteInteger(end, MinuteOf(serial), 2);
    *end++ = ':';
    end = WriteInteger(end, SecondOfMinute(serial), 2);
    end = std::copy_n(";00", 3, end); // whole seconds: no frames
    return QString::fromLatin1(text, end - text);
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
