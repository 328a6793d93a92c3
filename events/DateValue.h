#pragma once

#include <QDate>

#include <cstdint>

// Date values count days since 1899-12-30; the fraction is the time of day.

double DateToSerial(const QDate &date);
// The calendar day of a serial (its fraction ignored, rounded towards the earlier day).
QDate SerialToDate(double serial);

// d minus the greatest whole number not above d: -0.25 gives 0.75 (18:00).
double TimeOfDayPart(double d);

// Seconds 0..59 of the time of day, agreeing with HourOf and MinuteOf (whole second rounded half up).
int16_t SecondOfMinute(double d);

// Hour 0..23 and minute 0..59 of the time of day, after rounding to the nearest whole second (half up).
int HourOf(double d);
int MinuteOf(double d);
