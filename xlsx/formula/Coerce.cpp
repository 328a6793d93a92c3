#include "xlsx/formula/Coerce.h"

#include "events/Number.h"

#include <charconv>
#include <cmath>

namespace formula {

Coerced<double> ToNumber(const Value &value)
{
    switch (value.type) {
    case Value::Type::Blank:
        return {0};
    case Value::Type::Number:
        return {value.number};
    case Value::Type::Boolean:
        return {value.boolean ? 1.0 : 0.0};
    case Value::Type::Text:
        if (const auto number = TextToNumber(value.text))
            return {*number};
        return {0, ErrorValue::Value};
    case Value::Type::Error:
        break;
    }
    return {0, value.error};
}

Coerced<QString> ToText(const Value &value)
{
    switch (value.type) {
    case Value::Type::Blank:
        return {};
    case Value::Type::Number:
        return {NumberToText(value.number)};
    case Value::Type::Boolean:
        return {value.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE")};
    case Value::Type::Text:
        return {value.text};
    case Value::Type::Error:
        break;
    }
    return {{}, value.error};
}

Coerced<bool> ToBoolean(const Value &value)
{
    switch (value.type) {
    case Value::Type::Blank:
        return {false};
    case Value::Type::Number:
        return {value.number != 0};
    case Value::Type::Boolean:
        return {value.boolean};
    case Value::Type::Text:
        if (value.text.compare(u"TRUE", Qt::CaseInsensitive) == 0)
            return {true};
        if (value.text.compare(u"FALSE", Qt::CaseInsensitive) == 0)
            return {false};
        return {false, ErrorValue::Value};
    case Value::Type::Error:
        break;
    }
    return {false, value.error};
}

QString NumberToText(double value)
{
    return FormatNumberG15(value);
}

bool ApproxEqual(double a, double b)
{
    if (a == b)
        return true;
    if (a == 0 || b == 0 || (a < 0) != (b < 0))
        return false;
    // 2^-48, the margin the spreadsheet program leaves for binary fractions.
    return std::fabs(a - b) < std::fabs(a) * 3.552713678800501e-15;
}

double Approx15(double value)
{
    if (!std::isfinite(value) || value == 0)
        return value;
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific, 14).ptr;
    double rounded = value;
    std::from_chars(digits, end, rounded);
    return rounded;
}

namespace {

int Rank(Value::Type type)
{
    switch (type) {
    case Value::Type::Number:
        return 0;
    case Value::Type::Text:
        return 1;
    case Value::Type::Boolean:
        return 2;
    default:
        return 3;
    }
}

template <class T> int Order(const T &a, const T &b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

Value BlankAs(Value::Type type)
{
    switch (type) {
    case Value::Type::Text:
        return Value::Text({});
    case Value::Type::Boolean:
        return Value::Boolean(false);
    default:
        return Value::Number(0);
    }
}

} // namespace

int CompareValues(const Value &a, const Value &b)
{
    if (a.type == Value::Type::Blank && b.type == Value::Type::Blank)
        return 0;
    if (a.type == Value::Type::Blank)
        return CompareValues(BlankAs(b.type), b);
    if (b.type == Value::Type::Blank)
        return CompareValues(a, BlankAs(a.type));
    if (a.type != b.type)
        return Order(Rank(a.type), Rank(b.type));
    switch (a.type) {
    case Value::Type::Number:
        return ApproxEqual(a.number, b.number) ? 0 : Order(a.number, b.number);
    case Value::Type::Text: {
        const int c = a.text.compare(b.text, Qt::CaseInsensitive);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    case Value::Type::Boolean:
        return Order(int(a.boolean), int(b.boolean));
    default:
        return 0;
    }
}

} // namespace formula
