#pragma once

#include <QDate>
#include <cstdint>

// Date values count days since 1899-12-30; the fraction is the time of day.

double DateToSerial(const QDate &date);
// The calendar day of a serial (its fraction ignored, rounded towards the earlier day).
QDate SerialToDate(double serial);

// d minus the greatest whole number not above d: -0.25 gives 0.75 (18:00).
double TimeOfDayPart(double d);

// Whole seconds 0..86399 of the time of day, rounded half up; 23:59:59.5 and later are the next midnight, 0.
int32_t SecondOfDay(double d);
