// TIME, TIMEVALUE, DATE, DATEVALUE, HOUR, MINUTE, SECOND, YEAR, MONTH, DAY, WEEKDAY, TODAY, NOW.
#include "events/DateValue.h"
#include "xlsx/formula/Coerce.h"
#include "xlsx/formula/Functions.h"

#include <array>
#include <cmath>

namespace formula {

namespace {

constexpr double LastSerial = 2958465; // 9999-12-31

Operand Time(Calc &calc, Args args)
{
    double parts[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (Value e = NumberArg(calc, args[size_t(i)], parts[i]); e.isError())
            return e;
        parts[i] = Truncate(parts[i]);
        if (parts[i] > 32767)
            return Value::Error(ErrorValue::Num);
    }
    const double seconds = parts[0] * 3600 + parts[1] * 60 + parts[2];
    if (seconds < 0)
        return Value::Error(ErrorValue::Num);
    return Value::Number(std::fmod(seconds, 86400) / 86400);
}

Operand Date(Calc &calc, Args args)
{
    double parts[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (Value e = NumberArg(calc, args[size_t(i)], parts[i]); e.isError())
            return e;
        parts[i] = Truncate(parts[i]);
        if (std::fabs(parts[i]) > 1e7)
            return Value::Error(ErrorValue::Num);
    }
    double year = parts[0];
    if (year < 0 || year >= 10000)
        return Value::Error(ErrorValue::Num);
    if (year < 1900)
        year += 1900;
    const QDate date = QDate(int(year), 1, 1).addMonths(int(parts[1]) - 1).addDays(qint64(parts[2]) - 1);
    const double serial = date.isValid() ? DateToSerial(date) : -1;
    if (serial < 0 || serial > LastSerial)
        return Value::Error(ErrorValue::Num);
    return Value::Number(serial);
}

// TIMEVALUE and DATEVALUE take a text only.
Operand FromText(Calc &calc, Args args, bool time)
{
    const Value value = calc.scalar(args[0]);
    if (value.isError())
        return value;
    if (value.type != Value::Type::Text)
        return Value::Error(ErrorValue::Value);
    const std::optional<double> serial = TextToDateTime(value.text);
    if (!serial)
        return Value::Error(ErrorValue::Value);
    return Value::Number(time ? TimeOfDayPart(*serial) : std::floor(*serial));
}

Operand TimeValue(Calc &calc, Args args)
{
    return FromText(calc, args, true);
}

Operand DateValue(Calc &calc, Args args)
{
    return FromText(calc, args, false);
}

// A serial from 0 to 9999-12-31, or the error.
Value SerialArg(Calc &calc, int node, double &serial)
{
    if (Value e = NumberArg(calc, node, serial); e.isError())
        return e;
    if (serial < 0 || serial >= LastSerial + 1)
        return Value::Error(ErrorValue::Num);
    return Value::Blank();
}

template <int Divisor, int Modulus> Operand TimePart(Calc &calc, Args args)
{
    double serial = 0;
    if (Value e = SerialArg(calc, args[0], serial); e.isError())
        return e;
    return Value::Number(double(SecondOfDay(serial) / Divisor % Modulus));
}

template <int Part> Operand DatePart(Calc &calc, Args args)
{
    double serial = 0;
    if (Value e = SerialArg(calc, args[0], serial); e.isError())
        return e;
    const QDate date = SerialToDate(serial);
    return Value::Number(Part == 0 ? date.year() : Part == 1 ? date.month() : date.day());
}

Operand Weekday(Calc &calc, Args args)
{
    double serial = 0;
    double type = 1;
    if (Value e = SerialArg(calc, args[0], serial); e.isError())
        return e;
    if (args.size() > 1 && !calc.isMissing(args[1])) {
        if (Value e = NumberArg(calc, args[1], type); e.isError())
            return e;
    }
    const int dayOfWeek = SerialToDate(serial).dayOfWeek(); // Monday 1 to Sunday 7
    int first;                                              // the day counted as 1, Monday 1 to Sunday 7
    switch (int(Truncate(type))) {
    case 1:
    case 17:
        first = 7;
        break;
    case 2:
    case 11:
        first = 1;
        break;
    case 3:
        return Value::Number(dayOfWeek - 1);
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
        first = int(Truncate(type)) - 10;
        break;
    default:
        return Value::Error(ErrorValue::Num);
    }
    return Value::Number((dayOfWeek - first + 7) % 7 + 1);
}

Operand Today(Calc &calc, Args)
{
    return Value::Number(std::floor(calc.now()));
}

Operand Now(Calc &calc, Args)
{
    return Value::Number(calc.now());
}

constexpr std::array Functions = {
    FunctionInfo{u"TIME", 3, 3, Time},
    FunctionInfo{u"DATE", 3, 3, Date},
    FunctionInfo{u"TIMEVALUE", 1, 1, TimeValue},
    FunctionInfo{u"DATEVALUE", 1, 1, DateValue},
    FunctionInfo{u"HOUR", 1, 1, TimePart<3600, 24>},
    FunctionInfo{u"MINUTE", 1, 1, TimePart<60, 60>},
    FunctionInfo{u"SECOND", 1, 1, TimePart<1, 60>},
    FunctionInfo{u"YEAR", 1, 1, DatePart<0>},
    FunctionInfo{u"MONTH", 1, 1, DatePart<1>},
    FunctionInfo{u"DAY", 1, 1, DatePart<2>},
    FunctionInfo{u"WEEKDAY", 1, 2, Weekday},
    FunctionInfo{u"TODAY", 0, 0, Today},
    FunctionInfo{u"NOW", 0, 0, Now},
};

} // namespace

std::span<const FunctionInfo> DateFunctions()
{
    return Functions;
}

} // namespace formula
