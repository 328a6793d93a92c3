// SUM, MIN, MAX, COUNT, COUNTA, COUNTBLANK, AVERAGE and the rounding and arithmetic functions.
#include "xlsx/formula/Coerce.h"
#include "xlsx/formula/Functions.h"
#include "xlsx/formula/Rounding.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace formula {

namespace {

// Numbers in references, and numbers, Booleans and numeric texts given outright; the first error stops.
template <class Take> std::optional<ErrorValue> EachNumber(Calc &calc, Args args, Take take)
{
    std::optional<ErrorValue> error;
    for (int arg : args) {
        const Operand operand = calc.eval(arg);
        if (operand.isArea) {
            calc.forEachCell(operand.area, [&](int, int, const Value &v) {
                if (v.isError())
                    error = v.error;
                else if (v.type == Value::Type::Number)
                    take(v.number);
                return !error;
            });
        } else if (operand.value.type != Value::Type::Blank) {
            const Coerced<double> n = ToNumber(operand.value);
            if (n.error)
                error = n.error;
            else
                take(n.value);
        }
        if (error)
            return error;
    }
    return std::nullopt;
}

Operand Sum(Calc &calc, Args args)
{
    double sum = 0;
    const auto error =
        EachNumber(calc, args, [&](double n) { sum = (sum < 0) != (n < 0) && ApproxEqual(sum, -n) ? 0 : sum + n; });
    return error ? Value::Error(*error) : Value::Number(sum);
}

template <bool IsMax> Operand Extreme(Calc &calc, Args args)
{
    std::optional<double> best;
    const auto error = EachNumber(calc, args, [&](double n) {
        if (!best || (IsMax ? n > *best : n < *best))
            best = n;
    });
    return error ? Value::Error(*error) : Value::Number(best.value_or(0));
}

Operand Average(Calc &calc, Args args)
{
    double sum = 0;
    long long count = 0;
    const auto error = EachNumber(calc, args, [&](double n) { sum += n, ++count; });
    if (error)
        return Value::Error(*error);
    return count ? Value::Number(sum / double(count)) : Value::Error(ErrorValue::Div0);
}

// COUNT: numbers in references; numbers, Booleans and numeric texts given outright. COUNTA: anything but
// blank cells and omitted arguments.
template <bool All> Operand Count(Calc &calc, Args args)
{
    long long count = 0;
    for (int arg : args) {
        const Operand operand = calc.eval(arg);
        if (operand.isArea) {
            calc.forEachCell(operand.area, [&](int, int, const Value &v) {
                count += All ? v.type != Value::Type::Blank : v.type == Value::Type::Number;
                return true;
            });
        } else if (All) {
            count += !calc.isMissing(arg);
        } else {
            count += operand.value.type != Value::Type::Blank && !ToNumber(operand.value).error;
        }
    }
    return Value::Number(double(count));
}

Operand CountBlank(Calc &calc, Args args)
{
    const Operand operand = calc.eval(args[0]);
    if (!operand.isArea)
        return Value::Error(ErrorValue::Value);
    long long skipped = 0;
    long long count = 0;
    calc.forEachCell(
        operand.area,
        [&](int, int, const Value &v) {
            count += v.type == Value::Type::Blank || (v.type == Value::Type::Text && v.text.isEmpty());
            return true;
        },
        &skipped);
    return Value::Number(double(count + skipped));
}

template <RoundMode Mode> Operand Round(Calc &calc, Args args)
{
    double value = 0;
    double digits = 0;
    if (Value e = NumberArg(calc, args[0], value); e.isError())
        return e;
    if (args.size() > 1) {
        if (Value e = NumberArg(calc, args[1], digits); e.isError())
            return e;
    }
    return Value::Number(RoundDecimal(value, int(std::clamp(Truncate(digits), -1000.0, 1000.0)), Mode));
}

template <double (*F)(double)> Operand OneNumber(Calc &calc, Args args)
{
    double value = 0;
    if (Value e = NumberArg(calc, args[0], value); e.isError())
        return e;
    return Value::Number(F(value));
}

double IntPart(double x)
{
    return std::floor(Approx15(x));
}

double Absolute(double x)
{
    return std::fabs(x);
}

// The first two arguments as numbers, or the first one's error.
Value TwoNumberArgs(Calc &calc, Args args, double &a, double &b)
{
    if (Value e = NumberArg(calc, args[0], a); e.isError())
        return e;
    return NumberArg(calc, args[1], b);
}

Operand Mod(Calc &calc, Args args)
{
    double a = 0;
    double b = 0;
    if (Value e = TwoNumberArgs(calc, args, a, b); e.isError())
        return e;
    if (b == 0)
        return Value::Error(ErrorValue::Div0);
    const double product = std::floor(Approx15(a / b)) * b;
    return Value::Number(ApproxEqual(a, product) ? 0 : a - product);
}

// FLOOR and CEILING to a multiple of significance, worked on 15 digits.
template <bool Up> Operand ToMultiple(Calc &calc, Args args)
{
    double x = 0;
    double significance = 0;
    if (Value e = TwoNumberArgs(calc, args, x, significance); e.isError())
        return e;
    if (x == 0)
        return Value::Number(0);
    if (significance == 0)
        return Up ? Value::Number(0) : Value::Error(ErrorValue::Div0);
    if (x > 0 && significance < 0)
        return Value::Error(ErrorValue::Num);
    const double quotient = Approx15(x / significance);
    return Value::Number(Approx15((Up ? std::ceil(quotient) : std::floor(quotient)) * significance));
}

constexpr std::array Functions = {
    FunctionInfo{u"SUM", 1, 255, Sum},
    FunctionInfo{u"MIN", 1, 255, Extreme<false>},
    FunctionInfo{u"MAX", 1, 255, Extreme<true>},
    FunctionInfo{u"AVERAGE", 1, 255, Average},
    FunctionInfo{u"COUNT", 1, 255, Count<false>},
    FunctionInfo{u"COUNTA", 1, 255, Count<true>},
    FunctionInfo{u"COUNTBLANK", 1, 1, CountBlank},
    FunctionInfo{u"ROUND", 2, 2, Round<RoundMode::HalfAway>},
    FunctionInfo{u"ROUNDUP", 2, 2, Round<RoundMode::Up>},
    FunctionInfo{u"ROUNDDOWN", 2, 2, Round<RoundMode::Down>},
    FunctionInfo{u"TRUNC", 1, 2, Round<RoundMode::Down>},
    FunctionInfo{u"INT", 1, 1, OneNumber<IntPart>},
    FunctionInfo{u"ABS", 1, 1, OneNumber<Absolute>},
    FunctionInfo{u"MOD", 2, 2, Mod},
    FunctionInfo{u"FLOOR", 2, 2, ToMultiple<false>},
    FunctionInfo{u"CEILING", 2, 2, ToMultiple<true>},
};

} // namespace

std::span<const FunctionInfo> MathFunctions()
{
    return Functions;
}

} // namespace formula
