#include "convert/EventTiming.h"

#include "events/DateValue.h"
#include "events/Number.h"
#include "events/Timecode.h"

#include <charconv>

namespace {

void appendTwoDigits(QString &out, int value)
{
    char buffer[12];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (value >= 0 && value < 10)
        out += QLatin1Char('0');
    out += QLatin1String(buffer, result.ptr);
}

double secondsOf(const QString &timecode)
{
    return ParseNumberPrefix(TimecodeToSeconds(timecode)).value_or(0);
}

} // namespace

QString TimeOfDayTimecode(double serial)
{
    QString text;
    text.reserve(11);
    appendTwoDigits(text, HourOf(serial));
    text += QLatin1Char(':');
    appendTwoDigits(text, MinuteOf(serial));
    text += QLatin1Char(':');
    appendTwoDigits(text, SecondOfMinute(serial));
    text += QLatin1String(";00");
    return text;
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
