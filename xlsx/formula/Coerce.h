#pragma once

// How one kind of value is used as another, as the spreadsheet program does it.
#include "xlsx/formula/Value.h"

#include <QString>
#include <optional>

namespace formula {

template <class T> struct Coerced {
    Coerced(T v = {}) : value(std::move(v)) {}
    Coerced(T v, std::optional<ErrorValue> e) : value(std::move(v)), error(e) {}
    T value;
    std::optional<ErrorValue> error;
};

// Blank 0, TRUE 1, a text that reads as a number, time or date; other text #VALUE!; errors stay.
Coerced<double> ToNumber(const Value &value);
// Blank "", numbers in general form, TRUE "TRUE"; errors stay.
Coerced<QString> ToText(const Value &value);
// Blank FALSE, numbers other than 0 TRUE, the texts "TRUE" and "FALSE"; other text #VALUE!; errors stay.
Coerced<bool> ToBoolean(const Value &value);

// A text as the spreadsheet program reads a typed entry: "12", " -1,234.5 ", "50%", "(3)", "1e3", "10:30",
// "9:05:10.5 PM", "2024-03-01", "3/1/2024 10:00". nullopt when it is none of these.
std::optional<double> TextToNumber(QStringView text);
// Only the time and date forms of TextToNumber, for TIMEVALUE and DATEVALUE.
std::optional<double> TextToDateTime(QStringView text);
// The general form of at most 15 significant digits: 0.1, 1E+20, -2.5.
QString NumberToText(double value);

// Equal when they differ only beyond the 15th significant digit or so, as the spreadsheet program compares.
bool ApproxEqual(double a, double b);
// The value to 15 significant digits, which rounding functions work from.
double Approx15(double value);

// Orders two non-error values: blank takes the other side's kind; numbers before texts before Booleans;
// texts ignore case. -1, 0 or 1.
int CompareValues(const Value &a, const Value &b);

} // namespace formula
