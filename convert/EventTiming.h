#pragma once

#include "convert/ScheduleRow.h"
#include "events/Timecode.h"

#include <QDate>
#include <QString>

struct EventTiming {
    TimecodeText StartTC;
    TimecodeText EndTC;
    bool CrossesMidnight = false;
    TimecodeText DurationTC;
    double StartSeconds = 0;
    double DurationSeconds = 0;
    bool EndsNextDay = false;
    double EndSeconds = 0;
    QDate Today;
    int TodayWeekday = 0; // Sunday = 1 .. Saturday = 7
    int EndDayIndex = 0;  // Sunday = 0 .. Saturday = 6
    QString EventKey;
};

// What the events of one day share, worked out once a conversion: a calendar date costs more than an event.
struct EventDay {
    explicit EventDay(const QDate &today);
    QDate Today;
    double Serial = 0; // today as a day serial
    int Weekday = 0;   // Sunday = 1 .. Saturday = 7
    QString KeyPrefix; // "yyyymmdd", the event keys' start
};

// The timecode of a day serial's time of day, frames always 00, written at out (room for 96 characters); returns
// its end.
char *WriteTimeOfDayTimecode(char *out, double serial);
EventTiming ComputeEventTiming(const ScheduleRow &row, const EventDay &day);
