#include "convert/EventTiming.h"

#include "events/DateValue.h"
#include "events/Timecode.h"

namespace {

constexpr int32_t SecondsPerDay = 86400;

// Written straight into a QString's units, with no conversion from bytes: a second of the day (0..86399) has
// two digits in every field, and whole seconds carry no frames.
QString timeOfDayText(int32_t second, QStringView prefix = {})
{
    QString text(prefix.size() + 11, Qt::Uninitialized);
    QChar *out = text.data();
    for (const QChar unit : prefix)
        *out++ = unit;
    const auto field = [&out](unsigned value, char16_t separator) {
        *out++ = QChar(u'0' + value / 10);
        *out++ = QChar(u'0' + value % 10);
        *out++ = QChar(separator);
    };
    const auto seconds = unsigned(second);
    field(seconds / 3600, u':');
    field(seconds / 60 % 60, u':');
    field(seconds % 60, u';');
    *out++ = u'0';
    *out = u'0';
    return text;
}

} // namespace

// Qt counts Monday 1 .. Sunday 7.
EventDay::EventDay(const QDate &today)
    : Today(today), Serial(DateToSerial(today)), Weekday(today.dayOfWeek() % 7 + 1), KeyPrefix(DateToYYYYMMDD(today))
{
}

QString TimeOfDayTimecode(double serial)
{
    return timeOfDayText(SecondOfDay(serial));
}

EventTiming ComputeEventTiming(const ScheduleRow &row, const QDate &today)
{
    return ComputeEventTiming(row, EventDay(today));
}

EventTiming ComputeEventTiming(const ScheduleRow &row, const EventDay &day)
{
    // For schedule rows, whole seconds replace TimecodeToSeconds and TimecodeCalc over the timecode texts: frames
    // are always 00, so both give these same integers for any serial (a test sweeps serials through both).
    const int32_t start = SecondOfDay(row.StartTime);
    const int32_t end = SecondOfDay(row.EndTime);
    EventTiming timing;
    timing.StartTC = timeOfDayText(start);
    timing.EndTC = timeOfDayText(end);
    timing.StartSeconds = start;
    timing.CrossesMidnight = end < start;
    const int32_t duration = timing.CrossesMidnight ? end + SecondsPerDay - start : end - start;
    timing.DurationTC = timeOfDayText(duration);
    timing.DurationSeconds = duration;
    const int32_t endOfEvent = start + duration;
    timing.EndsNextDay = endOfEvent >= SecondsPerDay;
    timing.EndSeconds = timing.EndsNextDay ? endOfEvent - SecondsPerDay : endOfEvent;

    timing.Today = day.Today;
    timing.EventKey = timeOfDayText(start, day.KeyPrefix);
    timing.TodayWeekday = day.Weekday;
    timing.EndDayIndex = timing.EndsNextDay ? timing.TodayWeekday % 7 : timing.TodayWeekday - 1;
    return timing;
}
