#include "convert/EventTiming.h"

#include "events/DateValue.h"
#include "events/Timecode.h"

namespace {

constexpr int32_t SecondsPerDay = 86400;

// A whole second of the day as a timecode: whole seconds carry no frames.
char *writeTimeOfDay(char *out, int32_t second)
{
    return WriteTimecode(out, second / 3600, second / 60 % 60, second % 60, 0);
}

QString timeOfDayText(int32_t second)
{
    char text[96];
    return QString::fromLatin1(text, writeTimeOfDay(text, second) - text);
}

} // namespace

QString TimeOfDayTimecode(double serial)
{
    return timeOfDayText(SecondOfDay(serial));
}

EventTiming ComputeEventTiming(const ScheduleRow &row, const QDate &today)
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

    timing.Today = today;
    char key[192];
    timing.EventKey = QString::fromLatin1(key, writeTimeOfDay(WriteYYYYMMDD(key, today), start) - key);
    timing.TodayWeekday = today.dayOfWeek() % 7 + 1; // Qt counts Monday 1 .. Sunday 7
    timing.EndDayIndex = timing.EndsNextDay ? timing.TodayWeekday % 7 : timing.TodayWeekday - 1;
    return timing;
}
