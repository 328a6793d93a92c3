#include "convert/EventTiming.h"

#include "events/DateValue.h"
#include "events/Timecode.h"

namespace {

constexpr int32_t SecondsPerDay = 86400;

// Whole seconds carry no frames.
char *writeTimeOfDay(char *out, int32_t second)
{
    return WriteTimecode(out, second / 3600, second / 60 % 60, second % 60, 0);
}

// Written in place: a copy read back as a whole soon after its bytes were stored stalls the processor.
void setTimeOfDay(TimecodeText &text, int32_t second)
{
    char timecode[96];
    text.assign(std::string_view(timecode, size_t(writeTimeOfDay(timecode, second) - timecode)));
}

// Widened into the QString's units by hand: a library conversion per key costs more than the few units it copies.
QString eventKey(QStringView prefix, const TimecodeText &start)
{
    const std::string_view timecode = start.view();
    QString text(prefix.size() + qsizetype(timecode.size()), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (const QChar unit : prefix)
        *out++ = unit.unicode();
    for (const char c : timecode)
        *out++ = char16_t(c);
    return text;
}

} // namespace

// Qt counts Monday 1 .. Sunday 7.
EventDay::EventDay(const QDate &today)
    : Today(today), Serial(DateToSerial(today)), Weekday(today.dayOfWeek() % 7 + 1), KeyPrefix(DateToYYYYMMDD(today))
{
}

char *WriteTimeOfDayTimecode(char *out, double serial)
{
    return writeTimeOfDay(out, SecondOfDay(serial));
}

EventTiming ComputeEventTiming(const ScheduleRow &row, const EventDay &day)
{
    // For schedule rows, whole seconds replace TimecodeToSeconds and TimecodeCalc over the timecode texts: frames
    // are always 00, so both give these same integers for any serial (a test sweeps serials through both).
    const int32_t start = SecondOfDay(row.StartTime);
    const int32_t end = SecondOfDay(row.EndTime);
    EventTiming timing;
    setTimeOfDay(timing.StartTC, start);
    setTimeOfDay(timing.EndTC, end);
    timing.StartSeconds = start;
    timing.CrossesMidnight = end < start;
    const int32_t duration = timing.CrossesMidnight ? end + SecondsPerDay - start : end - start;
    setTimeOfDay(timing.DurationTC, duration);
    timing.DurationSeconds = duration;
    const int32_t endOfEvent = start + duration;
    timing.EndsNextDay = endOfEvent >= SecondsPerDay;
    timing.EndSeconds = timing.EndsNextDay ? endOfEvent - SecondsPerDay : endOfEvent;

    timing.Today = day.Today;
    timing.EventKey = eventKey(day.KeyPrefix, timing.StartTC);
    timing.TodayWeekday = day.Weekday;
    timing.EndDayIndex = timing.EndsNextDay ? timing.TodayWeekday % 7 : timing.TodayWeekday - 1;
    return timing;
}
